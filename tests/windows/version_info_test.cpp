// The version resources of the 64-bit qvsupport.dll and qvtool.exe as Windows reads them:
// GetFileVersionInfoA and VerQueryValueA under wine64, against the CMake project version.
// The module's string table, compiled into the same resource section, must still load.
// QV_MODULE_PATH_OVERRIDE and QVTOOL_PATH_OVERRIDE (Windows paths) name other copies of the two
// files to read in place of the build's, signed ones for instance.
#include <gtest/gtest.h>

#include <winver.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "winapi/win32.h"

namespace {

constexpr DWORD kUsEnglishUtf16 = MAKELONG(1033, 1200);

struct VersionedFile {
  std::string path;
  const char* originalFilename;
  DWORD fileType;
};

std::string PathOrOverride(const char* builtPath, const char* overrideVariable) {
  const char* replacement = std::getenv(overrideVariable);
  return replacement != nullptr && *replacement != '\0' ? replacement : builtPath;
}

VersionedFile Module() {
  return {PathOrOverride(QV_MODULE_PATH, "QV_MODULE_PATH_OVERRIDE"), "qvsupport.dll", VFT_DLL};
}

VersionedFile Tool() {
  return {PathOrOverride(QVTOOL_PATH, "QVTOOL_PATH_OVERRIDE"), "qvtool.exe", VFT_APP};
}

// The project version as four 16-bit parts: "0.1.0" is 0, 1, 0, 0.
std::vector<WORD> ProjectVersionParts() {
  unsigned parts[4] = {};
  std::sscanf(QV_PROJECT_VERSION, "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
  return {WORD(parts[0]), WORD(parts[1]), WORD(parts[2]), WORD(parts[3])};
}

std::vector<WORD> Parts(DWORD mostSignificant, DWORD leastSignificant) {
  return {HIWORD(mostSignificant), LOWORD(mostSignificant), HIWORD(leastSignificant),
          LOWORD(leastSignificant)};
}

class VersionBlock {
 public:
  explicit VersionBlock(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool Loaded() const { return !data_.empty(); }

  // The value at `subBlock` and its length as VerQueryValueA reports it, or null.
  const void* Query(const std::string& subBlock, UINT* length) {
    void* value = nullptr;
    *length = 0;
    if (!VerQueryValueA(data_.data(), subBlock.c_str(), &value, length)) return nullptr;
    return value;
  }

  std::string Text(const std::string& name) {
    UINT length = 0;
    const void* value = Query("\\StringFileInfo\\040904B0\\" + name, &length);
    return value ? std::string(static_cast<const char*>(value)) : "<missing>";
  }

 private:
  std::vector<char> data_;
};

void ExpectVersionResource(const VersionedFile& file) {
  SCOPED_TRACE(file.path);
  VersionBlock block(file.path);
  ASSERT_TRUE(block.Loaded()) << "GetFileVersionInfoA failed, error " << GetLastError();

  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block.Query("\\", &length));
  ASSERT_NE(fixed, nullptr);
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(Parts(fixed->dwFileVersionMS, fixed->dwFileVersionLS), ProjectVersionParts());
  EXPECT_EQ(Parts(fixed->dwProductVersionMS, fixed->dwProductVersionLS), ProjectVersionParts());
  EXPECT_EQ(fixed->dwFileType, file.fileType);
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);

  const auto* translation =
      static_cast<const DWORD*>(block.Query("\\VarFileInfo\\Translation", &length));
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(length, sizeof(DWORD));
  EXPECT_EQ(*translation, kUsEnglishUtf16);

  EXPECT_EQ(block.Text("FileVersion"), QV_PROJECT_VERSION);
  EXPECT_EQ(block.Text("ProductVersion"), QV_PROJECT_VERSION);
  EXPECT_EQ(block.Text("OriginalFilename"), file.originalFilename);
  EXPECT_EQ(block.Text("ProductName"), "qvsupport");
  EXPECT_NE(block.Text("LegalCopyright").find("qvsupport"), std::string::npos);
  for (const char* name : {"FileDescription", "InternalName"}) {
    const std::string text = block.Text(name);
    EXPECT_FALSE(text.empty() || text == "<missing>") << name;
  }
}

TEST(VersionResource, ModuleCarriesTheProjectVersion) {
  ExpectVersionResource(Module());
}

TEST(VersionResource, QvtoolCarriesTheProjectVersion) {
  ExpectVersionResource(Tool());
}

TEST(VersionResource, StringTableStillLoadsBesideIt) {
  HMODULE module = LoadLibraryExA(Module().path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();
  char text[16] = {};
  EXPECT_EQ(LoadStringA(module, 208, text, sizeof text), 2);
  EXPECT_STREQ(text, "15");
  EXPECT_EQ(LoadStringA(module, 765, text, sizeof text), 1);
  EXPECT_STREQ(text, "7");
  EXPECT_EQ(LoadStringA(module, 209, text, sizeof text), 0);  // no system ID 209
  FreeLibrary(module);
}

}  // namespace
