#include <cstdlib>

#include "tests/crossbuild/loaded_module.h"
#include "winapi/win32.h"

namespace qv::testing {

namespace {

// QV_MODULE_PATH_OVERRIDE (a Windows path) names another copy of the module, a signed one for
// instance, for the same test programs to load in place of the build's.
std::string ModuleToLoad(const std::string& path) {
  const char* replacement = std::getenv("QV_MODULE_PATH_OVERRIDE");
  return replacement != nullptr && *replacement != '\0' ? replacement : path;
}

}  // namespace

LoadedModule::LoadedModule(const std::string& path) {
  const std::string loaded = ModuleToLoad(path);
  handle_ = LoadLibraryA(loaded.c_str());
  if (handle_ == nullptr)
    error_ = "LoadLibrary(" + loaded + ") failed with error " + std::to_string(GetLastError());
}

LoadedModule::~LoadedModule() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedModule::Find(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

// Microsoft's decorations of the members: the 32-bit product's, or the 64-bit twin's (which
// differ in the pointer and reference qualifiers).
std::vector<std::string> LoadedModule::EncryptionMemberNames() {
  if (sizeof(void*) == 8) {
    return {"?EncryptString@QVEncryption@@SA_NAEAVQVString@@AEBV2@@Z",
            "?DecryptString@QVEncryption@@SA_NAEAVQVString@@AEBV2@@Z",
            "?EncodeBase64@QVEncryption@@SA?AVQVString@@PEAEI_N@Z",
            "?DecodeBase64@QVEncryption@@SA_NPEADPEAEAEAK@Z"};
  }
  return {"?EncryptString@QVEncryption@@SA_NAAVQVString@@ABV2@@Z",
          "?DecryptString@QVEncryption@@SA_NAAVQVString@@ABV2@@Z",
          "?EncodeBase64@QVEncryption@@SA?AVQVString@@PAEI_N@Z",
          "?DecodeBase64@QVEncryption@@SA_NPADPAEAAK@Z"};
}

}  // namespace qv::testing
