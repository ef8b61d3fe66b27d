// The built module loaded the way its callers load it: LoadLibrary and GetProcAddress on
// Windows, dlopen and dlsym for libqvsupport.so. One implementation per platform.
#pragma once

#include <string>
#include <vector>

namespace qv::testing {

class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool IsLoaded() const { return handle_ != nullptr; }
  // Why loading failed, for test messages.
  const std::string& Error() const { return error_; }
  // The export's address, or null.
  void* Find(const std::string& name) const;

  // The names under which this platform's build exports the four QVEncryption members, in
  // the order EncryptString, DecryptString, EncodeBase64, DecodeBase64.
  static std::vector<std::string> EncryptionMemberNames();

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace qv::testing
