#include <dlfcn.h>

#include "tests/crossbuild/loaded_module.h"

namespace qv::testing {

// RTLD_NODELETE keeps the module mapped after dlclose, as a caller that loads it once keeps
// it: what its statics still hold (the crypto library's provider, for one) stays reachable
// for the leak checker instead of vanishing with the unmapped module.
LoadedModule::LoadedModule(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle_ == nullptr) error_ = dlerror();
}

LoadedModule::~LoadedModule() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* LoadedModule::Find(const std::string& name) const {
  return handle_ == nullptr ? nullptr : dlsym(handle_, name.c_str());
}

// The Itanium C++ ABI names of the members, as the version script exports them.
std::vector<std::string> LoadedModule::EncryptionMemberNames() {
  return {"_ZN12QVEncryption13EncryptStringER8QVStringRKS0_",
          "_ZN12QVEncryption13DecryptStringER8QVStringRKS0_",
          "_ZN12QVEncryption12EncodeBase64EPhjb", "_ZN12QVEncryption12DecodeBase64EPcPhRj"};
}

}  // namespace qv::testing
