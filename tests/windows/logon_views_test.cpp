// The logon-module restoration on 64-bit Windows of the XP generation, where the registry has
// two views: each value must be read from and written to the view its rule names. "GinaDLL" in
// the 64-bit view; "OrginalGINA" and "WlanChipType" read in the 32-bit view (Wow6432Node);
// everything else in the module's default view, which is the 32-bit view for the 32-bit product
// under WOW64 and the 64-bit view for the 64-bit twin.
//
// Every value is seeded with different text in the two views, and the test reads its seeds
// back before it calls the module, so that a setup that did not take is reported as such and
// never blamed on the product.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tests/crossbuild/loaded_module.h"
#include "tests/crossbuild/scratch_directory.h"
#include "tests/windows/logon_chain_setup_win.h"
#include "winapi/win32.h"

namespace {

namespace fs = std::filesystem;
using qv::testing::DeleteRegistryTree;
using qv::testing::DeleteRegistryValue;
using qv::testing::GetRegistryText;
using qv::testing::kSettingsKey;
using qv::testing::kSingleSignOnKey;
using qv::testing::kWinlogonKey;
using qv::testing::LoadedModule;
using qv::testing::ScratchDirectory;
using qv::testing::SetRegistryText;
using qv::testing::WindowsMajorVersion;

struct Seed {
  const char* key;
  const char* name;
  const char* view64;
  const char* view32;
};

// "WlanChipType" names an Intel chip only in the 32-bit view, and "GinaDLL" names the product's
// module only in the 64-bit view, so reading either in the wrong view changes what happens.
const Seed kSeeds[] = {
    {kSettingsKey, "QVGinaEnabled", "1 (64)", "1 (32)"},
    {kSettingsKey, "OrginalGINA", "C:\\View64\\other64.dll", "C:\\View32\\other32.dll"},
    {kSettingsKey, "PrevGINA", "C:\\View64\\prev64.dll", "C:\\View32\\prev32.dll"},
    {kSettingsKey, "WlanChipType", "3", "4"},
    {kSingleSignOnKey, "OrgGinaDLL", "sso64.dll", "sso32.dll"},
    {kWinlogonKey, "GinaDLL", "C:\\Program Files\\Vexa\\qvgina.dll", "C:\\View32\\logon32.dll"},
};

const Seed& SeedNamed(const std::string& name) {
  for (const Seed& seed : kSeeds)
    if (name == seed.name) return seed;
  throw std::invalid_argument("no seed named " + name);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether this process runs on 64-bit Windows: natively, or as a 32-bit process under WOW64.
bool OnSixtyFourBitWindows() {
  if (sizeof(void*) == 8) return true;
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

class LogonViews : public ::testing::Test {
 protected:
  static constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  // The view a key opened without a view flag lands in.
  static constexpr REGSAM kDefaultView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  static constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

  void SetUp() override {
    if (!OnSixtyFourBitWindows()) GTEST_SKIP() << "32-bit Windows has one registry view";
    if (WindowsMajorVersion() > 5) GTEST_SKIP() << "needs a prefix that reports the XP generation";
    for (REGSAM view : kViews)
      savedGina_[Index(view)] = GetRegistryText(kWinlogonKey, "GinaDLL", view);
    module_ = std::make_unique<LoadedModule>(QV_MODULE_PATH);
    ASSERT_TRUE(module_->IsLoaded()) << module_->Error();
  }

  void TearDown() override {
    module_.reset();
    for (REGSAM view : kViews) {
      DeleteRegistryTree("SOFTWARE", "Vexa", view);
      DeleteRegistryTree("SOFTWARE\\Intel\\Wireless", "cswSSO", view);
    }
    for (REGSAM view : kViews) {
      const std::string& saved = savedGina_[Index(view)];
      if (saved == "<absent>")
        DeleteRegistryValue(kWinlogonKey, "GinaDLL", view);
      else
        SetRegistryText(kWinlogonKey, "GinaDLL", saved, view);
    }
  }

  static int Index(REGSAM view) { return view == KEY_WOW64_64KEY ? 0 : 1; }
  static const char* SeedIn(const Seed& seed, REGSAM view) {
    return view == KEY_WOW64_64KEY ? seed.view64 : seed.view32;
  }
  static const char* ViewName(REGSAM view) {
    return view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view";
  }

  // Writes every seed in both views, then reads each back in both: a view that did not keep its
  // own text (a key the registry shares between the views, a write that was lost) stops the
  // test here.
  void SeedBothViews() {
    for (const Seed& seed : kSeeds)
      for (REGSAM view : kViews)
        ASSERT_TRUE(SetRegistryText(seed.key, seed.name, SeedIn(seed, view), view))
            << "could not seed " << seed.name << " in the " << ViewName(view);
    for (const Seed& seed : kSeeds)
      for (REGSAM view : kViews)
        ASSERT_EQ(GetRegistryText(seed.key, seed.name, view), SeedIn(seed, view))
            << "the seed of " << seed.name << " did not stay in the " << ViewName(view);
  }

  std::string Text(const char* key, const char* name, REGSAM view) const {
    return GetRegistryText(key, name, view);
  }

  std::unique_ptr<LoadedModule> module_;
  std::string savedGina_[2];
};

constexpr REGSAM LogonViews::kViews[];
constexpr REGSAM LogonViews::kDefaultView;
constexpr REGSAM LogonViews::kOtherView;

TEST_F(LogonViews, ReadsAndWritesEachValueInItsOwnView) {
  using IntFn = int(WINAPI*)(int);
  const auto uninstall = reinterpret_cast<IntFn>(module_->Find("UninstallQVGina"));
  ASSERT_NE(uninstall, nullptr);
  ASSERT_NO_FATAL_FAILURE(SeedBothViews());
  ScratchDirectory scratch;
  fs::copy_file(QV_IWRAP_STUB_PATH, scratch.path() / "iWrap.exe");

  EXPECT_EQ(uninstall(0), 0);

  // "GinaDLL" was read in the 64-bit view (it named the product's module there) and written
  // there, with "OrginalGINA" as the 32-bit view holds it. The 32-bit "GinaDLL" is untouched.
  EXPECT_EQ(Text(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY), "C:\\View32\\other32.dll");
  EXPECT_EQ(Text(kWinlogonKey, "GinaDLL", KEY_WOW64_32KEY), "C:\\View32\\logon32.dll");
  // "WlanChipType" was read in the 32-bit view, where it names an Intel chip: the tool ran.
  EXPECT_EQ(ReadFile(scratch.path() / "iwrap-calls.txt"),
            "iWrap.exe /CMD:27 1\niWrap.exe /CMD:28\n");

  // The writes without a view flag land in the default view only.
  EXPECT_EQ(Text(kSettingsKey, "QVGinaEnabled", kDefaultView), "0");
  EXPECT_EQ(Text(kSettingsKey, "OrginalGINA", kDefaultView), "msgina.dll");
  EXPECT_EQ(Text(kSettingsKey, "PrevGINA", kDefaultView), "msgina.dll");
  EXPECT_EQ(Text(kSingleSignOnKey, "OrgGinaDLL", kDefaultView), "msgina.dll");
  for (const Seed& seed : kSeeds) {
    if (seed.key == kWinlogonKey) continue;
    EXPECT_EQ(Text(seed.key, seed.name, kOtherView), SeedIn(seed, kOtherView))
        << seed.name << " changed in the " << ViewName(kOtherView);
  }
  EXPECT_EQ(Text(kSettingsKey, "WlanChipType", kDefaultView),
            SeedIn(SeedNamed("WlanChipType"), kDefaultView));
}

}  // namespace
