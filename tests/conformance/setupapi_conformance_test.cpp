// Device enumeration as the adapter walks use it: the sets SetupDiGetClassDevsA opens for a bus
// enumerator with and without DIGCF_PRESENT, their order, the walk with SetupDiEnumDeviceInfo,
// and the size protocol of SetupDiGetDeviceInstanceIdA. The stand-in and Wine both hold the
// devices of ScopedTestDevices (under Wine planted in the prefix's registry, beside the prefix's
// own devices); Windows lists its own tree, so every assertion also holds for any tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/conformance/conformance_platform.h"
#include "winapi/win32.h"

namespace {

constexpr DWORD kPresentAllClasses = DIGCF_PRESENT | DIGCF_ALLCLASSES;

// A class GUID that no setup class has: a set for it is always empty.
constexpr GUID kNoSuchClass = {
    0x3b1e9f52, 0x7c0d, 0x4e8a, {0xa5, 0x61, 0x0f, 0x2d, 0x9c, 0x47, 0xb3, 0x18}};

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool Contains(const std::vector<std::string>& ids, const std::string& id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

SP_DEVINFO_DATA FreshRecord() {
  SP_DEVINFO_DATA record{};
  record.cbSize = sizeof(SP_DEVINFO_DATA);
  return record;
}

// One device information set, destroyed with the object; error() is GetLastError() right after
// SetupDiGetClassDevsA.
class DeviceSet {
 public:
  DeviceSet(const GUID* classGuid, const char* enumerator, DWORD flags)
      : handle_(SetupDiGetClassDevsA(classGuid, enumerator, nullptr, flags)),
        error_(GetLastError()) {}
  DeviceSet(const char* enumerator, DWORD flags) : DeviceSet(nullptr, enumerator, flags) {}
  ~DeviceSet() {
    if (opened()) {
      EXPECT_TRUE(SetupDiDestroyDeviceInfoList(handle_));
    }
  }
  DeviceSet(const DeviceSet&) = delete;
  DeviceSet& operator=(const DeviceSet&) = delete;

  bool opened() const { return handle_ != INVALID_HANDLE_VALUE; }
  HDEVINFO handle() const { return handle_; }
  DWORD error() const { return error_; }

  // The instance IDs of all members, walked until SetupDiEnumDeviceInfo reports the end.
  std::vector<std::string> InstanceIds() const {
    std::vector<std::string> ids;
    SP_DEVINFO_DATA record = FreshRecord();
    DWORD index = 0;
    for (; SetupDiEnumDeviceInfo(handle_, index, &record); ++index) {
      char id[512] = {};
      DWORD required = 0;
      EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(handle_, &record, id, sizeof id, &required))
          << "device " << index << ": error " << GetLastError();
      EXPECT_EQ(required, std::strlen(id) + 1) << id;
      ids.push_back(id);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS)) << "walk ended at " << index;
    return ids;
  }

 private:
  HDEVINFO handle_;
  DWORD error_;
};

class SetupApiConformance : public ::testing::Test {
 protected:
  qv::conformance::ScopedTestDevices devices_;
};

TEST_F(SetupApiConformance, PresentDevicesAreTheInstalledOnesThatArePresent) {
  for (const std::string enumerator : {"PCI", "USB"}) {
    SCOPED_TRACE(enumerator);
    DeviceSet present(enumerator.c_str(), kPresentAllClasses);
    DeviceSet installed(enumerator.c_str(), DIGCF_ALLCLASSES);
    // Whether the enumerator is known does not depend on DIGCF_PRESENT.
    ASSERT_EQ(present.opened(), installed.opened());
    if (!present.opened()) {
      EXPECT_EQ(present.error(), static_cast<DWORD>(ERROR_INVALID_DATA));
      EXPECT_EQ(installed.error(), static_cast<DWORD>(ERROR_INVALID_DATA));
      continue;
    }
    const std::vector<std::string> presentIds = present.InstanceIds();
    const std::vector<std::string> installedIds = installed.InstanceIds();
    for (const std::string& id : presentIds) {
      EXPECT_TRUE(Contains(installedIds, id)) << id << " is present but not installed";
    }
    for (const std::string& id : installedIds) {
      EXPECT_EQ(Upper(id.substr(0, enumerator.size() + 1)), enumerator + "\\") << id;
      EXPECT_EQ(std::count(installedIds.begin(), installedIds.end(), id), 1) << id;
    }
    for (const std::string& id : devices_.present()) {
      if (id.rfind(enumerator, 0) != 0) continue;
      EXPECT_TRUE(Contains(presentIds, id)) << id;
      EXPECT_TRUE(Contains(installedIds, id)) << id;
    }
    for (const std::string& id : devices_.notPresent()) {
      if (id.rfind(enumerator, 0) != 0) continue;
      EXPECT_FALSE(Contains(presentIds, id)) << id << " is not present";
      EXPECT_TRUE(Contains(installedIds, id)) << id << " is installed";
    }
  }
}

// The order of the registry keys under HKLM\SYSTEM\CurrentControlSet\Enum: key by key
// (enumerator, device, instance), each level by name without regard to case.
bool InRegistryOrder(const std::vector<std::string>& ids) {
  auto keyNames = [](const std::string& id) {
    std::vector<std::string> names(1);
    for (char c : Upper(id)) {
      if (c == '\\') {
        names.emplace_back();
      } else {
        names.back() += c;
      }
    }
    return names;
  };
  return std::is_sorted(ids.begin(), ids.end(), [&](const std::string& a, const std::string& b) {
    return keyNames(a) < keyNames(b);
  });
}

TEST_F(SetupApiConformance, DevicesComeInRegistryOrder) {
  ASSERT_TRUE(devices_.ok() || !qv::conformance::RunningUnderWine());
  for (const char* enumerator : {"PCI", "USB", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(enumerator != nullptr ? enumerator : "every enumerator");
    for (const DWORD flags : {kPresentAllClasses, DWORD{DIGCF_ALLCLASSES}}) {
      DeviceSet set(enumerator, flags);
      ASSERT_TRUE(set.opened()) << set.error();
      const std::vector<std::string> ids = set.InstanceIds();
      EXPECT_TRUE(InRegistryOrder(ids)) << ::testing::PrintToString(ids);
    }
  }
  EXPECT_FALSE(InRegistryOrder(devices_.present())) << "the devices were planted out of order";
}

TEST_F(SetupApiConformance, EnumeratorNamesIgnoreCaseAndNoneMeansEveryEnumerator) {
  DeviceSet upper("PCI", kPresentAllClasses);
  DeviceSet lower("pci", kPresentAllClasses);
  ASSERT_EQ(upper.opened(), lower.opened());
  if (upper.opened()) {
    EXPECT_EQ(lower.InstanceIds(), upper.InstanceIds());
  }

  DeviceSet everything(nullptr, kPresentAllClasses);
  ASSERT_TRUE(everything.opened()) << everything.error();
  const std::vector<std::string> all = everything.InstanceIds();
  for (const char* enumerator : {"PCI", "USB"}) {
    DeviceSet one(enumerator, kPresentAllClasses);
    if (!one.opened()) continue;
    for (const std::string& id : one.InstanceIds()) EXPECT_TRUE(Contains(all, id)) << id;
  }
}

// Windows refuses an enumerator it does not know with ERROR_INVALID_DATA, as the stand-in does;
// Wine departs from it and opens an empty set.
TEST_F(SetupApiConformance, AnEnumeratorThatDoesNotExistIsInvalidData) {
  DeviceSet none("QVNOSUCHBUS", kPresentAllClasses);
  if (qv::conformance::RunningUnderWine()) {
    ASSERT_TRUE(none.opened()) << "Wine's known departure changed: " << none.error();
    EXPECT_TRUE(none.InstanceIds().empty());
    return;
  }
  EXPECT_FALSE(none.opened());
  EXPECT_EQ(none.error(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST_F(SetupApiConformance, FlagsAreChecked) {
  // Without DIGCF_ALLCLASSES a class must be named.
  DeviceSet noClass("PCI", DIGCF_PRESENT);
  EXPECT_FALSE(noClass.opened());
  EXPECT_EQ(noClass.error(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A class that no device has gives an empty set, not a failure.
  DeviceSet emptyClass(&kNoSuchClass, nullptr, DIGCF_PRESENT);
  ASSERT_TRUE(emptyClass.opened()) << emptyClass.error();
  EXPECT_TRUE(emptyClass.InstanceIds().empty());
}

// Windows refuses undefined flag bits with ERROR_INVALID_FLAGS, as the stand-in does; Wine
// departs from it and ignores them.
TEST_F(SetupApiConformance, UndefinedFlagBitsAreRefused) {
  DeviceSet undefined("PCI", kPresentAllClasses | 0x100);
  if (qv::conformance::RunningUnderWine()) {
    ASSERT_TRUE(undefined.opened()) << "Wine's known departure changed: " << undefined.error();
    DeviceSet defined("PCI", kPresentAllClasses);
    EXPECT_EQ(undefined.InstanceIds(), defined.InstanceIds());
    return;
  }
  EXPECT_FALSE(undefined.opened());
  EXPECT_EQ(undefined.error(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST_F(SetupApiConformance, TheWalkEndsWithNoMoreItemsAndChecksTheRecord) {
  DeviceSet empty(&kNoSuchClass, nullptr, DIGCF_PRESENT);
  ASSERT_TRUE(empty.opened());
  SP_DEVINFO_DATA record = FreshRecord();
  EXPECT_FALSE(SetupDiEnumDeviceInfo(empty.handle(), 0, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

  DeviceSet everything(nullptr, DIGCF_ALLCLASSES);
  ASSERT_TRUE(everything.opened());
  const std::size_t count = everything.InstanceIds().size();
  EXPECT_FALSE(SetupDiEnumDeviceInfo(everything.handle(), static_cast<DWORD>(count), &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_FALSE(SetupDiEnumDeviceInfo(everything.handle(), 0xFFFFFFFFu, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

  EXPECT_FALSE(SetupDiEnumDeviceInfo(everything.handle(), 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_GT(count, 0u) << "no device at all: the record size check cannot be reached";
  for (const DWORD wrongSize :
       {DWORD{0}, DWORD{sizeof(SP_DEVINFO_DATA) - 4}, DWORD{sizeof(SP_DEVINFO_DATA) + 4}}) {
    SP_DEVINFO_DATA wrong = FreshRecord();
    wrong.cbSize = wrongSize;
    EXPECT_FALSE(SetupDiEnumDeviceInfo(everything.handle(), 0, &wrong)) << wrongSize;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER)) << wrongSize;
  }
}

// For every device, the longest instance ID Windows allows among them: a buffer one character
// too small or none at all reports the size (the NUL counted), and one of that size takes it.
TEST_F(SetupApiConformance, InstanceIdBufferTooSmallReportsTheRequiredSize) {
  DeviceSet everything(nullptr, DIGCF_ALLCLASSES);
  ASSERT_TRUE(everything.opened());
  SP_DEVINFO_DATA record = FreshRecord();
  std::size_t longest = 0;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(everything.handle(), index, &record); ++index) {
    char id[512] = {};
    DWORD required = 0;
    ASSERT_TRUE(
        SetupDiGetDeviceInstanceIdA(everything.handle(), &record, id, sizeof id, &required));
    const auto size = static_cast<DWORD>(std::strlen(id) + 1);
    SCOPED_TRACE(id);
    longest = std::max<std::size_t>(longest, size);
    EXPECT_EQ(required, size) << "a fitting call reports the size it used, the NUL counted";

    required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(everything.handle(), &record, nullptr, 0, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, size);

    std::vector<char> small(size - 1, 'x');
    required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(everything.handle(), &record, small.data(), size - 1,
                                             &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, size);
    EXPECT_FALSE(
        SetupDiGetDeviceInstanceIdA(everything.handle(), &record, small.data(), size - 1, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    std::vector<char> exact(size, 'x');
    required = 0;
    EXPECT_TRUE(
        SetupDiGetDeviceInstanceIdA(everything.handle(), &record, exact.data(), size, &required));
    EXPECT_EQ(std::string(exact.data()), id);
    EXPECT_EQ(required, size);
  }
  ASSERT_GT(longest, 0u) << "no device at all";
  if (devices_.ok()) {
    EXPECT_EQ(longest, 200u) << "the planted 199-character instance ID";
  }
}

TEST_F(SetupApiConformance, InvalidSetHandlesAreRefused) {
  SP_DEVINFO_DATA record = FreshRecord();
  char id[64];
  DWORD required = 0;
  // A block that is not a set (a set handle is validated, never trusted).
  alignas(16) unsigned char notASet[256] = {};
  for (HDEVINFO bad : {static_cast<HDEVINFO>(INVALID_HANDLE_VALUE), static_cast<HDEVINFO>(nullptr),
                       static_cast<HDEVINFO>(notASet)}) {
    EXPECT_FALSE(SetupDiEnumDeviceInfo(bad, 0, &record));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(bad, &record, id, sizeof id, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

}  // namespace
