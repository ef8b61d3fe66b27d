// The machine that the Win32 stand-in reports: SMBIOS tables, the BIOS behind the ACPI-WMI
// mapper, present devices, registry contents, Windows version and power status. It is either
// the Linux host (the default), a simulated machine loaded from a JSON profile named by
// QV_MACHINE, or a machine that a test builds in code.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::machine {

// One BIOS function that the simulated BIOS implements. A request matches when its class and
// selector are equal and its leading arguments equal `args` (fewer listed args match more).
struct BiosFunction {
  std::uint16_t functionClass = 0;
  std::uint16_t selector = 0;
  std::vector<std::uint32_t> args;
  std::int32_t status = 0;
  std::array<std::uint32_t, 3> results{};  // results 2 to 4 of the call block
};

// The BIOS behind ACPI\PNP0C14\0_0. Requests that match no function answer status -2.
struct Bios {
  std::int32_t transferSize = 44;  // announced at offset 12 of QDATA's Bytes
  std::vector<BiosFunction> functions;
  // Deviations a test can ask for. queryBytes replaces QDATA's whole Bytes array (the
  // announced size is then whatever it holds at offset 12); responseSize sets the length of
  // the Bytes array that DoBFn answers with (default: the request's length); a response
  // without data answers DoBFn with no embedded BDat object.
  std::optional<std::vector<std::uint8_t>> queryBytes;
  std::optional<std::uint32_t> responseSize;
  bool responseWithoutData = false;
};

// Deviations of one MSSmBios_RawSMBiosTables instance: a "Size" other than the blob's length,
// or an "SMBiosData" that holds no array (VT_NULL).
struct RawTableQuirks {
  std::optional<std::int32_t> size;
  bool dataNull = false;
};

struct Wmi {
  std::vector<std::vector<std::uint8_t>> smbiosTables;  // one per MSSmBios_RawSMBiosTables
  std::optional<Bios> bios;                             // absent: WMI_Query, BDat, BFn missing
  std::map<std::size_t, RawTableQuirks> smbiosQuirks;   // by index into smbiosTables
};

struct OsVersion {
  std::uint32_t major = 10;
  std::uint32_t minor = 0;
};

struct RegistryValue {
  std::uint32_t type = 1;  // REG_SZ
  std::vector<std::uint8_t> data;
};

// Case-insensitive ordering for registry key paths and value names, as Windows compares them.
struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

using RegistryKey = std::map<std::string, RegistryValue, CaseInsensitiveLess>;
// Key paths below HKEY_LOCAL_MACHINE, without a leading "HKLM\".
using Registry = std::map<std::string, RegistryKey, CaseInsensitiveLess>;

// A platform call that a profile asks to fail: the n-th call (1-based) of the named function,
// or every call when occurrence is 0.
struct FaultSpec {
  std::string call;
  int occurrence = 0;
};

// Plug and Play devices by enumerator ("PCI", "USB"), as Windows instance IDs in enumeration
// order.
using DeviceList = std::map<std::string, std::vector<std::string>>;

struct Machine {
  std::string description;  // where it came from: "Linux host" or the profile's path
  OsVersion os;
  std::optional<std::uint8_t> acLineStatus;  // absent: GetSystemPowerStatus fails
  std::optional<Wmi> wmi;                    // absent: the WMI locator cannot be created
  DeviceList devices;                        // present now
  // Installed once and still known to Windows, but not present now (a removed USB modem, a
  // card taken out): SetupAPI lists them only when DIGCF_PRESENT is not asked for. The Linux
  // host has none.
  DeviceList notPresentDevices;
  Registry registry;
  std::vector<FaultSpec> faults;
};

// Builders for the two sources. Both never throw for missing data: what cannot be read is
// absent. LoadProfile reports a malformed profile through `error` (file and offending key) and
// then returns a machine without the facility whose key was malformed.
std::shared_ptr<Machine> LoadHost();
std::shared_ptr<Machine> LoadProfile(const std::string& path, std::string* error);

}  // namespace qv::machine
