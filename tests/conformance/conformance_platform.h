// What the conformance tests need that differs between the two APIs under test: setting up
// registry contents (the stand-in reads a modelled machine, Windows a real registry) and
// programs to start. conformance_platform_posix.cpp serves the stand-in;
// tests/windows/conformance_platform_win.cpp serves Windows and Wine.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace qv::conformance {

// A key below HKEY_LOCAL_MACHINE holding the given REG_SZ values, removed again on
// destruction.
class ScopedRegistryKey {
 public:
  ScopedRegistryKey(const std::string& path, const std::map<std::string, std::string>& values);
  ~ScopedRegistryKey();
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

  bool ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
};

// An application name and command line for CreateProcessA.
struct ChildProgram {
  std::string application;
  std::string commandLine;
};

// A program that ends at once with exit code 0.
ChildProgram QuickChild();
// A program that runs for about two seconds.
ChildProgram SlowChild();
// The bare file name of a program found on the search path but not in the current directory.
std::string ProgramOnSearchPathOnly();

// True under Wine, where a few calls are known to differ from Windows.
bool RunningUnderWine();

// Runs `work` on a new thread and waits for it to end (MinGW's C++ library has no threads).
void RunOnAnotherThread(const std::function<void()>& work);

// A name no other process uses, for named kernel objects.
std::string UniqueObjectName(const std::string& stem);

}  // namespace qv::conformance
