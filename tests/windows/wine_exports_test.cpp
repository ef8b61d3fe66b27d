// The plain exports of the 64-bit qvsupport.dll against Wine's real WMI, SetupAPI, CryptoAPI,
// registry and process creation. The same program runs in two prefixes: one reporting
// Windows 7 and one reporting the XP generation, where UninstallQVGina does its work.
#include <gtest/gtest.h>

#include <sddl.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

using NoArgumentFn = int(WINAPI*)();
using PathFn = int(WINAPI*)(const char*);
using IntFn = int(WINAPI*)(int);

fs::path DataFile(const std::string& name) {
  return fs::path(QV_CROSSBUILD_DATA_DIR) / name;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class WineExports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = new LoadedModule(QV_MODULE_PATH); }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(module_->IsLoaded()) << module_->Error(); }

  template <typename Fn>
  static Fn Export(const char* name) {
    Fn fn = reinterpret_cast<Fn>(module_->Find(name));
    EXPECT_NE(fn, nullptr) << name;
    return fn;
  }

  static LoadedModule* module_;
};

LoadedModule* WineExports::module_ = nullptr;

TEST_F(WineExports, GetSystemIdReadsWmiAndKeepsItsAnswer) {
  const auto getSystemId = Export<NoArgumentFn>("GetSystemId");
  ASSERT_NE(getSystemId, nullptr);
  const int id = getSystemId();
  EXPECT_GE(id, 0);
  EXPECT_LE(id, 0xFFFF);
  EXPECT_EQ(getSystemId(), id);
  // Wine takes the raw tables from the host's DMI file; without it SMBiosData is VT_NULL.
  if (!std::ifstream("Z:/sys/firmware/dmi/tables/DMI", std::ios::binary)) {
    EXPECT_EQ(id, 0);
  }
}

TEST_F(WineExports, AdapterExportsWalkTheDeviceTreeAndAnswerDocumentedCodes) {
  const auto lan = Export<NoArgumentFn>("GetLANManufacturerID");
  const auto wlan = Export<NoArgumentFn>("GetWLANManufacturerID");
  const auto wwan = Export<NoArgumentFn>("GetWWANManufacturerID");
  ASSERT_TRUE(lan && wlan && wwan);
  const int lanId = lan();
  EXPECT_TRUE(lanId == 0 || lanId == 1 || lanId == -1) << lanId;
  const int wlanId = wlan();
  EXPECT_TRUE(wlanId == 0 || wlanId == -1) << wlanId;
  const int wwanId = wwan();
  EXPECT_TRUE(wwanId == 0 || wwanId == 1 || wwanId == -1) << wwanId;
  EXPECT_EQ(lan(), lanId);
  EXPECT_EQ(wlan(), wlanId);
  EXPECT_EQ(wwan(), wwanId);
}

TEST_F(WineExports, DeviceMaskExportsDecryptTheListWithCryptoApi) {
  const auto getDeviceMask = Export<PathFn>("GetDeviceMask");
  const auto getDeviceMaskDecrypt = Export<IntFn>("GetDeviceMaskDecrypt");
  const auto isTorvaneSystem = Export<PathFn>("IsTorvaneSystem");
  const auto getSystemId = Export<NoArgumentFn>("GetSystemId");
  ASSERT_TRUE(getDeviceMask && getDeviceMaskDecrypt && isTorvaneSystem && getSystemId);

  ScratchDirectory scratch;
  EXPECT_EQ(getDeviceMask(nullptr), -2);
  EXPECT_EQ(isTorvaneSystem(nullptr), 0);
  EXPECT_EQ(getDeviceMaskDecrypt(234), -1);

  fs::copy_file(DataFile("crossbuild-sysids.enc"), scratch.path() / "vexasysids.enc");
  EXPECT_EQ(getDeviceMaskDecrypt(234), 33);  // flags 100001 of "234 10000111 GNR"
  EXPECT_EQ(getDeviceMaskDecrypt(256), 63);
  EXPECT_EQ(getDeviceMaskDecrypt(0x10000 + 256), 63);  // only the low 16 bits count
  EXPECT_EQ(getDeviceMaskDecrypt(999), -1);

  const int mask = getDeviceMask(nullptr);
  EXPECT_TRUE((mask >= 0 && mask <= 1791) || (mask >= -6 && mask <= -2)) << mask;
  // Without SMBIOS tables the system ID is 0, which no list holds, although "0" occurs in the
  // first record's flags.
  if (getSystemId() == 0) {
    EXPECT_EQ(mask, -4);
  }
  EXPECT_EQ(getDeviceMaskDecrypt(0), -1);
}

TEST_F(WineExports, ARecordStartsALineAndMayEndTheList) {
  const auto encryptSysIds = Export<PathFn>("EncryptSysIds");
  const auto getDeviceMask = Export<PathFn>("GetDeviceMask");
  const auto getDeviceMaskDecrypt = Export<IntFn>("GetDeviceMaskDecrypt");
  const auto getSystemId = Export<NoArgumentFn>("GetSystemId");
  ASSERT_TRUE(encryptSysIds && getDeviceMask && getDeviceMaskDecrypt && getSystemId);
  ScratchDirectory scratch;
  EXPECT_EQ(encryptSysIds(scratch.path().string().c_str()), 1);  // a directory is no list

  // 110 occurs in the flags of 245 and starts 1101; its own record ends the list unterminated.
  const int id = getSystemId();
  const bool threeDigits = id >= 100 && id <= 999 && id != 110 && id != 245;
  std::string list = "245 00110011 GNR\n1101 00000000 GNR\n";
  if (threeDigits) list += std::to_string(id) + " 00011100 HKM\n";
  list += "110 10000111 TRV";
  std::ofstream("plain.txt", std::ios::binary) << list;
  ASSERT_EQ(encryptSysIds("plain.txt"), 0);
  EXPECT_EQ(getDeviceMaskDecrypt(110), 0x21);
  EXPECT_EQ(getDeviceMaskDecrypt(101), -1);
  EXPECT_EQ(getDeviceMaskDecrypt(0), -1);

  std::ofstream("last.txt", std::ios::binary) << "245 00110011 GNR\n" << id << " 10000111 TRV";
  ASSERT_EQ(encryptSysIds("last.txt"), 0);
  const int mask = getDeviceMask(nullptr);
  if (id == 0) {
    EXPECT_EQ(mask, -4);
  } else if (threeDigits) {
    EXPECT_EQ(mask, 6 * 256 + 0xE1);
  }
}

class UninstallQVGinaTest : public WineExports {
 protected:
  static constexpr REGSAM kBothViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  // The view of a key opened without a view flag: the 64-bit one for the twin, the 32-bit one
  // for the product under WOW64, the only one on 32-bit Windows. The restoration writes there
  // everything but "GinaDLL".
  static constexpr REGSAM kDefaultView = 0;

  void SetUp() override {
    WineExports::SetUp();
    savedGina_ = GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY);
  }
  void TearDown() override {
    for (REGSAM view : kBothViews) {
      DeleteRegistryTree("SOFTWARE", "Vexa", view);
      DeleteRegistryTree("SOFTWARE\\Intel\\Wireless", "cswSSO", view);
    }
    if (savedGina_ == "<absent>")
      DeleteRegistryValue(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY);
    else
      SetRegistryText(kWinlogonKey, "GinaDLL", savedGina_, KEY_WOW64_64KEY);
  }

  // The product's settings as the installer leaves them. The restoration reads some values in
  // the 32-bit view and writes in the default view, so both views get them.
  void InstallProduct(const std::string& chipType) {
    for (REGSAM view : kBothViews) {
      ASSERT_TRUE(SetRegistryText(kSettingsKey, "QVGinaEnabled", "1", view));
      ASSERT_TRUE(SetRegistryText(kSettingsKey, "OrginalGINA", "C:\\Tools\\other.dll", view));
      ASSERT_TRUE(SetRegistryText(kSettingsKey, "PrevGINA", "C:\\Tools\\other.dll", view));
      ASSERT_TRUE(SetRegistryText(kSettingsKey, "WlanChipType", chipType, view));
      ASSERT_TRUE(SetRegistryText(kSingleSignOnKey, "OrgGinaDLL", "qvgina.dll", view));
    }
    ASSERT_TRUE(SetRegistryText(kWinlogonKey, "GinaDLL", "C:\\Program Files\\Vexa\\qvgina.dll",
                                KEY_WOW64_64KEY));
  }

  std::string savedGina_;
};

constexpr REGSAM UninstallQVGinaTest::kBothViews[];
constexpr REGSAM UninstallQVGinaTest::kDefaultView;

TEST_F(UninstallQVGinaTest, LeavesLaterWindowsUntouched) {
  if (WindowsMajorVersion() <= 5) GTEST_SKIP() << "this prefix reports the XP generation";
  const auto uninstall = Export<IntFn>("UninstallQVGina");
  ASSERT_NE(uninstall, nullptr);
  InstallProduct("4");
  ScratchDirectory scratch;
  fs::copy_file(QV_IWRAP_STUB_PATH, scratch.path() / "iWrap.exe");

  EXPECT_EQ(uninstall(7), 0);
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY),
            "C:\\Program Files\\Vexa\\qvgina.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "QVGinaEnabled", kDefaultView), "1");
  EXPECT_FALSE(fs::exists(scratch.path() / "iwrap-calls.txt"));
}

TEST_F(UninstallQVGinaTest, RestoresTheDisplacedModuleOnXp) {
  if (WindowsMajorVersion() > 5) GTEST_SKIP() << "needs a prefix that reports the XP generation";
  const auto uninstall = Export<IntFn>("UninstallQVGina");
  ASSERT_NE(uninstall, nullptr);
  InstallProduct("14");
  ScratchDirectory scratch;
  fs::copy_file(QV_IWRAP_STUB_PATH, scratch.path() / "iWrap.exe");

  EXPECT_EQ(uninstall(0), 0);
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY), "C:\\Tools\\other.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "QVGinaEnabled", kDefaultView), "0");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "OrginalGINA", kDefaultView), "msgina.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "PrevGINA", kDefaultView), "msgina.dll");
  EXPECT_EQ(GetRegistryText(kSingleSignOnKey, "OrgGinaDLL", kDefaultView), "msgina.dll");
  EXPECT_EQ(ReadFile(scratch.path() / "iwrap-calls.txt"),
            "iWrap.exe /CMD:27 1\niWrap.exe /CMD:28\n");
  // Intel's tool is not installed in this prefix: both ran from the current directory.
  std::string programs = ReadFile(scratch.path() / "iwrap-programs.txt");
  EXPECT_EQ(std::count(programs.begin(), programs.end(), '\n'), 2);

  // A second call finds the restored module, which is not the product's, and keeps it.
  EXPECT_EQ(uninstall(0), 0);
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY), "C:\\Tools\\other.dll");
}

// Winlogon's key readable but not writable, for as long as this object lives.
class ReadOnlyWinlogonKey {
 public:
  ReadOnlyWinlogonKey() {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogonKey, 0,
                      READ_CONTROL | WRITE_DAC | KEY_WOW64_64KEY, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = 0;
    RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (size == 0 ||
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) {
      saved_.clear();
      return;
    }
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                              &readOnly, nullptr))
      return;
    applied_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
    LocalFree(readOnly);
  }
  ~ReadOnlyWinlogonKey() {
    if (applied_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
    if (key_ != nullptr) RegCloseKey(key_);
  }

  // Whether opening the key for writing now fails, as the test needs.
  bool Holds() const {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWinlogonKey, 0,
                                      KEY_WRITE | KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    return applied_ && result != ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
  std::vector<BYTE> saved_;
  bool applied_ = false;
};

TEST_F(UninstallQVGinaTest, KeepsTheRememberedModulesWhenGinaDllCannotBeWrittenOnXp) {
  if (WindowsMajorVersion() > 5) GTEST_SKIP() << "needs a prefix that reports the XP generation";
  const auto uninstall = Export<IntFn>("UninstallQVGina");
  ASSERT_NE(uninstall, nullptr);
  InstallProduct("3");
  ScratchDirectory scratch;
  {
    ReadOnlyWinlogonKey readOnly;
    if (!readOnly.Holds()) GTEST_SKIP() << "this Wine does not refuse writes by the key's DACL";
    EXPECT_EQ(uninstall(0), 0);
  }
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY),
            "C:\\Program Files\\Vexa\\qvgina.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "OrginalGINA", kDefaultView), "C:\\Tools\\other.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "PrevGINA", kDefaultView), "C:\\Tools\\other.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "QVGinaEnabled", kDefaultView), "0");

  // Once the key can be written again, a retry still knows the displaced module.
  EXPECT_EQ(uninstall(0), 0);
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY), "C:\\Tools\\other.dll");
  EXPECT_EQ(GetRegistryText(kSettingsKey, "OrginalGINA", kDefaultView), "msgina.dll");
}

TEST_F(UninstallQVGinaTest, StartsTheInstalledToolBeforeAPlantedOneOnXp) {
  if (WindowsMajorVersion() > 5) GTEST_SKIP() << "needs a prefix that reports the XP generation";
  const auto uninstall = Export<IntFn>("UninstallQVGina");
  ASSERT_NE(uninstall, nullptr);
  InstallProduct("4");
  const fs::path home = "C:\\Program Files\\Intel\\WiFi\\bin";
  const bool hadHome = fs::exists(home);
  fs::create_directories(home);
  fs::copy_file(QV_IWRAP_STUB_PATH, home / "iWrap.exe", fs::copy_options::overwrite_existing);
  ScratchDirectory scratch;
  fs::copy_file(QV_IWRAP_STUB_PATH, scratch.path() / "iWrap.exe");

  EXPECT_EQ(uninstall(0), 0);
  std::string programs = ReadFile(scratch.path() / "iwrap-programs.txt");
  std::transform(programs.begin(), programs.end(), programs.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string installed = "c:\\program files\\intel\\wifi\\bin\\iwrap.exe\n";
  EXPECT_EQ(programs, installed + installed);
  EXPECT_EQ(ReadFile(scratch.path() / "iwrap-calls.txt"),
            "iWrap.exe /CMD:27 1\niWrap.exe /CMD:28\n");

  std::error_code ignored;
  fs::remove(home / "iWrap.exe", ignored);
  if (!hadHome) fs::remove_all("C:\\Program Files\\Intel", ignored);
}

TEST_F(UninstallQVGinaTest, RunsNoToolWithoutAnIntelChipOnXp) {
  if (WindowsMajorVersion() > 5) GTEST_SKIP() << "needs a prefix that reports the XP generation";
  const auto uninstall = Export<IntFn>("UninstallQVGina");
  ASSERT_NE(uninstall, nullptr);
  InstallProduct("3");
  ScratchDirectory scratch;
  fs::copy_file(QV_IWRAP_STUB_PATH, scratch.path() / "iWrap.exe");

  EXPECT_EQ(uninstall(0), 0);
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY), "C:\\Tools\\other.dll");
  EXPECT_FALSE(fs::exists(scratch.path() / "iwrap-calls.txt"));
  EXPECT_EQ(GetRegistryText(kSingleSignOnKey, "OrgGinaDLL", kDefaultView), "qvgina.dll");
}

}  // namespace
