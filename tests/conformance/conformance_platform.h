// What the conformance tests need that differs between the two APIs under test: setting up
// registry contents (the stand-in reads a modelled machine, Windows a real registry) and
// programs to start. conformance_platform_posix.cpp serves the stand-in;
// conformance_platform_win.cpp serves Windows and Wine.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

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

// The present devices of the SetupAPI tests, PCI and USB, listed out of registry order, in
// upper case as Windows records instance IDs; one is as long as an instance ID may be (199
// characters and the NUL).
inline const std::vector<std::string>& TestPresentDevices() {
  static const std::vector<std::string> devices = {
      "PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01\\3&267A616A&0&18",
      "PCI\\VEN_1234&DEV_1111&SUBSYS_00001234&REV_02\\3&267A616A&0&10",
      "USB\\VID_2E9C&PID_0042&MI_00\\6&2F3E4D5C&0&0000",
      "PCI\\VEN_1234&DEV_1111&SUBSYS_00001234&REV_02\\3&267A616A&0&08",
      "PCI\\VEN_1234&DEV_1111\\3&267A616A&0&30",
      "USB\\VID_2E9C&PID_0042\\5&2D8F3A2B&0&2",
      "PCI\\VEN_1AF4&DEV_1043&SUBSYS_11001AF4&REV_01\\4&1F2E3D4C&0&00E1&" + std::string(136, '7'),
  };
  return devices;
}

// Devices for the SetupAPI tests, for the lifetime of the object: the present devices
// `present()` (TestPresentDevices) and the installed but not present devices `notPresent()`.
// The stand-in's machine gets both. Under Wine they are planted in the prefix's registry
// (tests/windows/planted_devices.h) and removed again; Wine's SetupAPI has no devices that are
// not present, so there `notPresent()` is empty. On Windows itself a test cannot add devices:
// ok() is false and both lists are empty, so the tests must hold for any tree.
class ScopedTestDevices {
 public:
  ScopedTestDevices();
  ~ScopedTestDevices();
  ScopedTestDevices(const ScopedTestDevices&) = delete;
  ScopedTestDevices& operator=(const ScopedTestDevices&) = delete;

  bool ok() const { return ok_; }
  const std::vector<std::string>& present() const { return present_; }
  const std::vector<std::string>& notPresent() const { return notPresent_; }

 private:
  bool ok_ = false;
  std::vector<std::string> present_;
  std::vector<std::string> notPresent_;
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

// While it lives, root\wmi holds one raw SMBIOS table and the ACPI-WMI mapper (the stand-in
// serves a simulated machine); on Windows it is the machine's own WMI.
class ScopedWmiMachine {
 public:
  ScopedWmiMachine();
  ~ScopedWmiMachine();
  ScopedWmiMachine(const ScopedWmiMachine&) = delete;
  ScopedWmiMachine& operator=(const ScopedWmiMachine&) = delete;
};

}  // namespace qv::conformance
