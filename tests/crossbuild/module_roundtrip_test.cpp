// The built module as its callers see it: loaded at run time, every export found by name, and
// the encrypted system-ID list it writes compared byte for byte with a known answer that was
// computed independently (OpenSSL) and that both the Linux and the Windows builds must meet.
// Built into test_crossbuild (libqvsupport.so) and into the Windows program that wine64 runs
// against the 64-bit qvsupport.dll.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/crossbuild/loaded_module.h"
#include "tests/crossbuild/scratch_directory.h"
#include "util/qv_string.h"
#include "winapi/win32.h"

namespace {

namespace fs = std::filesystem;
using qv::testing::LoadedModule;
using qv::testing::ScratchDirectory;

using EncryptSysIdsFn = int(WINAPI*)(const char*);
using CryptStringFn = bool (*)(QVString&, const QVString&);
using EncodeBase64Fn = QVString (*)(unsigned char*, unsigned int, bool);
using DecodeBase64Fn = bool (*)(char*, unsigned char*, DWORD&);

constexpr char kPassPhrase[] = "MARBLEOTTERKITE";
constexpr char kListFileName[] = "vexasysids.enc";

// Twelve records; the largest list (7671 characters); and three records between lines of
// bytes above 0x7F (UTF-8 text, and single bytes that are no UTF-8 and no Windows-1252 text),
// which must pass through unchanged whatever the ANSI code page.
const char* const kKnownAnswerLists[] = {"crossbuild-sysids", "crossbuild-sysids-max",
                                         "crossbuild-sysids-nonascii"};

const char* const kPlainExports[] = {
    "EncryptSysIds",         "GetSystemId",     "GetDeviceMask",        "GetDeviceMaskDecrypt",
    "IsSupportedDevice",     "IsTorvaneSystem", "GetLANManufacturerID", "GetWLANManufacturerID",
    "GetWWANManufacturerID", "UninstallQVGina"};

fs::path DataFile(const std::string& name) {
  return fs::path(QV_CROSSBUILD_DATA_DIR) / name;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string NarrowText(const QVString& text) {
  return std::string(text.GetNarrow(), static_cast<std::size_t>(text.GetLength()));
}

class ModuleRoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = new LoadedModule(QV_MODULE_PATH); }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(module_->IsLoaded()) << module_->Error(); }

  template <typename Fn>
  static Fn Export(const std::string& name) {
    return reinterpret_cast<Fn>(module_->Find(name));
  }
  static std::string Member(int index) { return LoadedModule::EncryptionMemberNames()[index]; }

  // Runs EncryptSysIds on `plainList` in a scratch directory; returns its result and the file.
  static int Encrypt(const fs::path& plainList, std::string& written) {
    const auto encryptSysIds = Export<EncryptSysIdsFn>("EncryptSysIds");
    if (encryptSysIds == nullptr) return -100;
    ScratchDirectory scratch;
    const int result = encryptSysIds(plainList.string().c_str());
    written = ReadFile(scratch.path() / kListFileName);
    return result;
  }

  static LoadedModule* module_;
};

LoadedModule* ModuleRoundTrip::module_ = nullptr;

TEST_F(ModuleRoundTrip, EveryExportIsFoundByName) {
  std::vector<std::string> names(std::begin(kPlainExports), std::end(kPlainExports));
  for (const std::string& member : LoadedModule::EncryptionMemberNames()) names.push_back(member);
  std::string missing;
  for (const std::string& name : names)
    if (module_->Find(name) == nullptr) missing += " " + name;
  EXPECT_EQ(missing, "") << "exports not found";
}

TEST_F(ModuleRoundTrip, EncryptSysIdsWritesTheKnownAnswer) {
  for (const std::string list : kKnownAnswerLists) {
    std::string written;
    EXPECT_EQ(Encrypt(DataFile(list + ".txt"), written), 0) << list;
    EXPECT_EQ(written, ReadFile(DataFile(list + ".enc"))) << list;
  }
}

TEST_F(ModuleRoundTrip, CrLfLineEndsEncryptAsLf) {
  ScratchDirectory source;
  const fs::path crlfList = source.path() / "crlf-sysids.txt";
  WriteFile(crlfList, WithCrLf(ReadFile(DataFile("crossbuild-sysids.txt"))));
  std::string written;
  EXPECT_EQ(Encrypt(crlfList, written), 0);
  EXPECT_EQ(written, ReadFile(DataFile("crossbuild-sysids.enc")));
}

TEST_F(ModuleRoundTrip, EncryptSysIdsReportsUnreadableInputAndUnwritableOutput) {
  std::string written;
  EXPECT_EQ(Encrypt(DataFile("no-such-list.txt"), written), 1);
  EXPECT_EQ(written, "");

  const auto encryptSysIds = Export<EncryptSysIdsFn>("EncryptSysIds");
  ASSERT_NE(encryptSysIds, nullptr);
  ScratchDirectory scratch;
  fs::create_directory(scratch.path() / kListFileName);  // a directory cannot be opened as a file
  EXPECT_EQ(encryptSysIds(DataFile("crossbuild-sysids.txt").string().c_str()), -1);
}

TEST_F(ModuleRoundTrip, StringMembersRoundTripTheList) {
  const auto encryptString = Export<CryptStringFn>(Member(0));
  const auto decryptString = Export<CryptStringFn>(Member(1));
  ASSERT_NE(encryptString, nullptr);
  ASSERT_NE(decryptString, nullptr);
  const QVString passPhrase(kPassPhrase);

  for (const std::string list : kKnownAnswerLists) {
    const std::string plain = ReadFile(DataFile(list + ".txt"));
    const std::string cipher = ReadFile(DataFile(list + ".enc"));

    QVString text(cipher.data(), static_cast<int>(cipher.size()));
    ASSERT_TRUE(decryptString(text, passPhrase)) << list;
    EXPECT_EQ(NarrowText(text), plain) << list;

    ASSERT_TRUE(encryptString(text, passPhrase)) << list;
    EXPECT_EQ(NarrowText(text), cipher) << list;
  }

  // Another pass phrase almost always leaves invalid padding; a failed call keeps the text.
  QVString text(ReadFile(DataFile("crossbuild-sysids.enc")).c_str());
  const std::string before = NarrowText(text);
  if (!decryptString(text, QVString("NOTTHEPASSPHRASE"))) {
    EXPECT_EQ(NarrowText(text), before);
  }
}

TEST_F(ModuleRoundTrip, Base64MembersEncodeAndDecode) {
  const auto encode = Export<EncodeBase64Fn>(Member(2));
  const auto decode = Export<DecodeBase64Fn>(Member(3));
  ASSERT_NE(encode, nullptr);
  ASSERT_NE(decode, nullptr);

  unsigned char abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(NarrowText(encode(abc, 3, false)), "YWJj");
  EXPECT_EQ(NarrowText(encode(abc, 1, false)), "YQ==");

  char text[] = "YWI=";
  unsigned char out[4] = {};
  DWORD length = 4;
  EXPECT_TRUE(decode(text, out, length));
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 2), "ab");
}

}  // namespace
