// The 32-bit product as a foreign 32-bit caller meets it: every export found with
// GetProcAddress and called through qv_checked_call (checked_call_i686.S), which measures what
// the callee removed from the stack. The plain exports use the standard Windows convention and
// must remove exactly their arguments; the four QVEncryption members are cdecl and must leave
// them to the caller. Each answer must be the one an ordinary call gives.
//
// The program runs once per stack alignment, given as --misalign=N: 0 calls with the stack
// 16-byte aligned, as GCC keeps it; 4, 8 and 12 with a stack aligned to 4 bytes only, as code
// from another compiler may leave it, and as Windows itself guarantees. Runs in a prefix that
// reports the XP generation also take the logon-module restoration's whole road.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "tests/crossbuild/loaded_module.h"
#include "tests/crossbuild/scratch_directory.h"
#include "tests/windows/logon_chain_setup_win.h"
#include "util/qv_string.h"
#include "winapi/win32.h"

extern "C" {
uint32_t qv_checked_call(void* function, const uint32_t* arguments, uint32_t count,
                         uint32_t misalignment, int32_t* popped);
uint32_t __stdcall qv_stdcall_probe(uint32_t unused);
uint32_t qv_cdecl_probe(uint32_t unused);
}

namespace {

namespace fs = std::filesystem;
using qv::testing::DeleteRegistryTree;
using qv::testing::DeleteRegistryValue;
using qv::testing::GetRegistryText;
using qv::testing::kSettingsKey;
using qv::testing::kWinlogonKey;
using qv::testing::LoadedModule;
using qv::testing::ScratchDirectory;
using qv::testing::SetRegistryText;
using qv::testing::WindowsMajorVersion;

uint32_t g_misalignment = 0;

uint32_t Word(const void* pointer) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

fs::path DataFile(const std::string& name) {
  return fs::path(QV_CROSSBUILD_DATA_DIR) / name;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string NarrowText(const QVString& text) {
  return std::string(text.GetNarrow(), static_cast<std::size_t>(text.GetLength()));
}

struct CheckedResult {
  uint32_t value = 0;
  int32_t popped = -1;
};

CheckedResult CheckedCall(void* function, const std::vector<uint32_t>& arguments) {
  CheckedResult result;
  result.value =
      qv_checked_call(function, arguments.data(), static_cast<uint32_t>(arguments.size()),
                      g_misalignment, &result.popped);
  return result;
}

// The harness itself: the misalignment asked for is the one the callee sees, and what a
// callee removes is measured for both conventions.
TEST(CheckedCallHarness, AlignsTheStackAndMeasuresWhatTheCalleeRemoves) {
  const CheckedResult calleeCleans = CheckedCall(reinterpret_cast<void*>(&qv_stdcall_probe), {7});
  EXPECT_EQ((calleeCleans.value + g_misalignment) % 16, 0u)
      << "stack pointer " << calleeCleans.value;
  EXPECT_EQ(calleeCleans.popped, 4);
  const CheckedResult callerCleans = CheckedCall(reinterpret_cast<void*>(&qv_cdecl_probe), {7});
  EXPECT_EQ((callerCleans.value + g_misalignment) % 16, 0u)
      << "stack pointer " << callerCleans.value;
  EXPECT_EQ(callerCleans.popped, 0);
}

class StackDiscipline : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = new LoadedModule(QV_MODULE_PATH); }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(module_->IsLoaded()) << module_->Error();
    scratch_ = std::make_unique<ScratchDirectory>();
  }
  void TearDown() override { scratch_.reset(); }

  static void* Export(const std::string& name) {
    void* function = module_->Find(name);
    EXPECT_NE(function, nullptr) << name;
    return function;
  }

  // A plain export called with `arguments`: it must remove all of them, and answer `expected`.
  static void ExpectStdcall(const char* name, const std::vector<uint32_t>& arguments,
                            int expected) {
    void* function = Export(name);
    if (function == nullptr) return;
    const CheckedResult result = CheckedCall(function, arguments);
    EXPECT_EQ(result.popped, static_cast<int32_t>(4 * arguments.size())) << name;
    EXPECT_EQ(static_cast<int>(result.value), expected) << name;
  }

  // A QVEncryption member: it must leave every argument to the caller. Returns its bool.
  static bool CdeclMember(int index, const std::vector<uint32_t>& arguments) {
    const std::string name = LoadedModule::EncryptionMemberNames()[index];
    void* function = Export(name);
    if (function == nullptr) return false;
    const CheckedResult result = CheckedCall(function, arguments);
    EXPECT_EQ(result.popped, 0) << name;
    return (result.value & 0xFF) != 0;
  }

  static LoadedModule* module_;
  std::unique_ptr<ScratchDirectory> scratch_;
};

LoadedModule* StackDiscipline::module_ = nullptr;

TEST_F(StackDiscipline, ListExportsRemoveTheirArguments) {
  const std::string plainList = DataFile("crossbuild-sysids.txt").string();
  ExpectStdcall("EncryptSysIds", {Word(plainList.c_str())}, 0);
  EXPECT_EQ(ReadFile("vexasysids.enc"), ReadFile(DataFile("crossbuild-sysids.enc")));

  ExpectStdcall("GetDeviceMaskDecrypt", {234}, 33);  // "234 10000111 GNR"
  ExpectStdcall("GetDeviceMaskDecrypt", {256}, 63);
  ExpectStdcall("GetDeviceMaskDecrypt", {999}, -1);
  ExpectStdcall("IsSupportedDevice", {0x2A, 8}, 8);
  ExpectStdcall("IsSupportedDevice", {0x2A, 4}, 0);
}

TEST_F(StackDiscipline, PlatformExportsRemoveTheirArguments) {
  using NoArgumentFn = int(WINAPI*)();
  using PathFn = int(WINAPI*)(const char*);
  const auto systemId = reinterpret_cast<NoArgumentFn>(Export("GetSystemId"));
  const auto deviceMask = reinterpret_cast<PathFn>(Export("GetDeviceMask"));
  const auto torvane = reinterpret_cast<PathFn>(Export("IsTorvaneSystem"));
  ASSERT_TRUE(systemId && deviceMask && torvane);
  const std::string list = DataFile("crossbuild-sysids.enc").string();

  // What ordinary calls answer on this machine, then the same through the checked call.
  const int id = systemId();
  const int mask = deviceMask(list.c_str());
  const int isTorvane = torvane(list.c_str());
  ExpectStdcall("GetSystemId", {}, id);
  ExpectStdcall("GetDeviceMask", {Word(list.c_str())}, mask);
  ExpectStdcall("IsTorvaneSystem", {Word(list.c_str())}, isTorvane);
  ExpectStdcall("GetDeviceMask", {0}, -2);  // no "vexasysids.enc" in the current directory
}

TEST_F(StackDiscipline, AdapterExportsRemoveTheirArguments) {
  using NoArgumentFn = int(WINAPI*)();
  for (const char* name :
       {"GetLANManufacturerID", "GetWLANManufacturerID", "GetWWANManufacturerID"}) {
    const auto ordinary = reinterpret_cast<NoArgumentFn>(Export(name));
    ASSERT_NE(ordinary, nullptr);
    ExpectStdcall(name, {}, ordinary());
  }
}

// Outside the XP generation the logon-module restoration does nothing. On XP it runs its whole
// road (registry views, program starts) on the caller's stack: with the product's module in
// Winlogon's chain, the module it displaced must come back.
TEST_F(StackDiscipline, LogonExportRemovesItsArgumentAndRestoresTheChainOnXp) {
  if (WindowsMajorVersion() > 5) {
    ExpectStdcall("UninstallQVGina", {7}, 0);
    return;
  }
  const std::string savedGina = GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY);
  ASSERT_TRUE(SetRegistryText(kWinlogonKey, "GinaDLL", "C:\\Vexa\\qvgina.dll", KEY_WOW64_64KEY));
  ASSERT_TRUE(
      SetRegistryText(kSettingsKey, "OrginalGINA", "C:\\Tools\\other.dll", KEY_WOW64_32KEY));

  ExpectStdcall("UninstallQVGina", {7}, 0);
  EXPECT_EQ(GetRegistryText(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY), "C:\\Tools\\other.dll");

  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    DeleteRegistryTree("SOFTWARE", "Vexa", view);
  if (savedGina == "<absent>")
    DeleteRegistryValue(kWinlogonKey, "GinaDLL", KEY_WOW64_64KEY);
  else
    SetRegistryText(kWinlogonKey, "GinaDLL", savedGina, KEY_WOW64_64KEY);
}

TEST_F(StackDiscipline, EncryptionMembersLeaveTheirArgumentsToTheCaller) {
  const std::string plain = ReadFile(DataFile("crossbuild-sysids.txt"));
  const std::string cipher = ReadFile(DataFile("crossbuild-sysids.enc"));
  const QVString passPhrase("MARBLEOTTERKITE");

  QVString text(plain.data(), static_cast<int>(plain.size()));
  EXPECT_TRUE(CdeclMember(0, {Word(&text), Word(&passPhrase)}));
  EXPECT_EQ(NarrowText(text), cipher);
  EXPECT_TRUE(CdeclMember(1, {Word(&text), Word(&passPhrase)}));
  EXPECT_EQ(NarrowText(text), plain);

  // EncodeBase64 returns its QVString through a hidden pointer, the first argument, which the
  // caller also removes.
  alignas(QVString) unsigned char storage[sizeof(QVString)];
  unsigned char abc[] = {'a', 'b', 'c'};
  CdeclMember(2, {Word(storage), Word(abc), 3, 0});
  QVString* encoded = std::launder(reinterpret_cast<QVString*>(storage));
  EXPECT_EQ(NarrowText(*encoded), "YWJj");
  encoded->~QVString();

  char base64[] = "YWI=";
  unsigned char decoded[4] = {};
  unsigned long length = sizeof decoded;
  EXPECT_TRUE(CdeclMember(3, {Word(base64), Word(decoded), Word(&length)}));
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(std::memcmp(decoded, "ab", 2), 0);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const std::string flag = "--misalign=";
    if (argument.rfind(flag, 0) == 0) g_misalignment = std::stoul(argument.substr(flag.size()));
  }
  if (g_misalignment % 4 != 0 || g_misalignment > 12) {
    std::fprintf(stderr, "--misalign must be 0, 4, 8 or 12\n");
    return 2;
  }
  std::printf("calls with the stack pointer 16-byte aligned minus %u\n", g_misalignment);
  return RUN_ALL_TESTS();
}
