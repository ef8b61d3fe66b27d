// The SetupAPI and process-heap stand-ins behave as the Windows calls do for the uses the
// adapter walks make of them, and refuse bad arguments without crashing or leaking.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/winapi/standin_fixture.h"
#include "winapi/posix/current_machine.h"
#include "winapi/posix/ledger.h"
#include "winapi/posix/setupapi.h"
#include "winapi/win32.h"

namespace qv::testing {
namespace {

// A machine with no devices until a test adds them.
class DeviceTreeTest : public StandinTest {
 protected:
  void SetUp() override {
    machine_ = std::make_shared<machine::Machine>();
    machine_->description = "SetupAPI test machine";
    standin::UseMachine(machine_);
    StandinTest::SetUp();
  }

  void AddPci(const std::string& instanceId) { machine_->devices["PCI"].push_back(instanceId); }
  void AddUsb(const std::string& instanceId) { machine_->devices["USB"].push_back(instanceId); }

  std::shared_ptr<machine::Machine> machine_;
};

using SetupApiStandInTest = DeviceTreeTest;

SP_DEVINFO_DATA FreshRecord() {
  SP_DEVINFO_DATA record{};
  record.cbSize = sizeof(SP_DEVINFO_DATA);
  return record;
}

TEST_F(SetupApiStandInTest, WalksTheDevicesOfOneEnumeratorWithTheirInstanceIds) {
  AddPci("PCI\\VEN_1111&DEV_0001\\A");
  AddPci("PCI\\VEN_1111&DEV_0002\\B");
  AddUsb("USB\\VID_2222&PID_0001\\C");

  HDEVINFO set = SetupDiGetClassDevsA(nullptr, "pci", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  EXPECT_EQ(standin::Outstanding(standin::Resource::DeviceSet), 1);

  SP_DEVINFO_DATA record = FreshRecord();
  char id[64];
  DWORD required = 0;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 1, &record));
  ASSERT_TRUE(SetupDiGetDeviceInstanceIdA(set, &record, id, sizeof id, &required));
  EXPECT_STREQ(id, "PCI\\VEN_1111&DEV_0002\\B");
  EXPECT_EQ(required, std::strlen(id) + 1);

  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &record));
  ASSERT_TRUE(SetupDiGetDeviceInstanceIdA(set, &record, id, sizeof id, nullptr));
  EXPECT_STREQ(id, "PCI\\VEN_1111&DEV_0001\\A");

  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 2, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(SetupApiStandInTest, ReportsTheRequiredSizeWhenTheBufferIsTooSmall) {
  const std::string instanceId = "PCI\\VEN_1111&DEV_0001\\ABCDEF";
  const auto size = static_cast<DWORD>(instanceId.size() + 1);
  AddPci(instanceId);
  HDEVINFO set = SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA record = FreshRecord();
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &record));

  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &record, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, size) << "the NUL is counted";

  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &record, buffer, size - 1, &required));
  EXPECT_EQ(buffer[0], 'x') << "a refused fetch writes nothing";
  EXPECT_TRUE(SetupDiGetDeviceInstanceIdA(set, &record, buffer, size, &required));
  EXPECT_EQ(buffer, instanceId);

  EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &record, nullptr, size, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  SetupDiDestroyDeviceInfoList(set);
}

TEST_F(SetupApiStandInTest, RefusesBadHandlesRecordsAndFlags) {
  AddPci("PCI\\VEN_1111&DEV_0001\\A");
  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_PRESENT), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "PCI", nullptr, 0x100 | DIGCF_ALLCLASSES),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));

  HDEVINFO set = SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA record = FreshRecord();
  record.cbSize = 32;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  SP_DEVINFO_DATA neverFilled = FreshRecord();
  char id[64];
  EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &neverFilled, id, sizeof id, nullptr));

  int notASet = 0;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(&notASet, 0, &neverFilled));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(INVALID_HANDLE_VALUE));

  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set)) << "a set is destroyed once";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SetupApiStandInTest, UnknownEnumeratorIsInvalidDataAndNullGivesEveryDevice) {
  AddPci("PCI\\A");
  AddUsb("USB\\B");
  SP_DEVINFO_DATA record = FreshRecord();

  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "PCMCIA", nullptr, DIGCF_ALLCLASSES),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(standin::Outstanding(standin::Resource::DeviceSet), 0);
  // An enumerator the machine lists only removed devices of is known all the same.
  machine_->notPresentDevices["PCMCIA"] = {"PCMCIA\\C"};
  HDEVINFO known =
      SetupDiGetClassDevsA(nullptr, "pcmcia", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  ASSERT_NE(known, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetupDiEnumDeviceInfo(known, 0, &record));
  SetupDiDestroyDeviceInfoList(known);

  // PCI and USB are known on every machine, even with no device listed.
  machine_->devices.clear();
  HDEVINFO none = SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES);
  ASSERT_NE(none, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetupDiEnumDeviceInfo(none, 0, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  SetupDiDestroyDeviceInfoList(none);

  AddPci("PCI\\A");
  AddUsb("USB\\B");
  HDEVINFO all = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  EXPECT_TRUE(SetupDiEnumDeviceInfo(all, 1, &record));
  EXPECT_TRUE(SetupDiEnumDeviceInfo(all, 2, &record)) << "the removed PCMCIA device";
  EXPECT_FALSE(SetupDiEnumDeviceInfo(all, 3, &record));
  SetupDiDestroyDeviceInfoList(all);
}

TEST_F(SetupApiStandInTest, DevicesThatAreNotPresentAreListedOnlyWithoutThePresentFlag) {
  AddPci("PCI\\VEN_1111&DEV_0001\\PRESENT");
  machine_->notPresentDevices["PCI"] = {"PCI\\VEN_1111&DEV_0002\\GONE"};
  auto ids = [](DWORD flags) {
    std::vector<std::string> found;
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, "PCI", nullptr, flags);
    SP_DEVINFO_DATA record = FreshRecord();
    char id[64];
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &record); ++i) {
      if (SetupDiGetDeviceInstanceIdA(set, &record, id, sizeof id, nullptr)) found.push_back(id);
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
  };
  EXPECT_EQ(ids(DIGCF_PRESENT | DIGCF_ALLCLASSES),
            std::vector<std::string>{"PCI\\VEN_1111&DEV_0001\\PRESENT"});
  EXPECT_EQ(ids(DIGCF_ALLCLASSES), (std::vector<std::string>{"PCI\\VEN_1111&DEV_0001\\PRESENT",
                                                             "PCI\\VEN_1111&DEV_0002\\GONE"}));
}

TEST_F(SetupApiStandInTest, ClassAndInterfaceSetsAreEmptyAndRequestsAreLogged) {
  AddPci("PCI\\A");
  const GUID otherClass = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
  SP_DEVINFO_DATA record = FreshRecord();
  HDEVINFO byClass = SetupDiGetClassDevsA(&otherClass, "PCI", nullptr, DIGCF_PRESENT);
  ASSERT_NE(byClass, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetupDiEnumDeviceInfo(byClass, 0, &record));
  SetupDiDestroyDeviceInfoList(byClass);
  HDEVINFO interfaces =
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_DEVICEINTERFACE | DIGCF_ALLCLASSES);
  ASSERT_NE(interfaces, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetupDiEnumDeviceInfo(interfaces, 0, &record));
  SetupDiDestroyDeviceInfoList(interfaces);

  const std::vector<standin::DeviceSetRequest> requests = standin::DeviceSetRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].classGuidGiven);
  EXPECT_EQ(requests[0].enumerator, "PCI");
  EXPECT_EQ(requests[0].flags, static_cast<DWORD>(DIGCF_PRESENT));
  EXPECT_FALSE(requests[1].enumeratorGiven);
  EXPECT_EQ(requests[1].flags, static_cast<DWORD>(DIGCF_DEVICEINTERFACE | DIGCF_ALLCLASSES));
}

TEST_F(SetupApiStandInTest, InjectedFaultsFailTheCallTheWindowsWay) {
  AddPci("PCI\\A");
  standin::InjectFault("SetupDiGetClassDevsA", 1);
  EXPECT_EQ(SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_ALLCLASSES), INVALID_HANDLE_VALUE);
  EXPECT_EQ(standin::Outstanding(standin::Resource::DeviceSet), 0);

  HDEVINFO set = SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_ALLCLASSES);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA record = FreshRecord();
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &record));
  standin::InjectFault("SetupDiGetDeviceInstanceIdA", 1);
  char id[16];
  DWORD required = 77;
  EXPECT_FALSE(SetupDiGetDeviceInstanceIdA(set, &record, id, sizeof id, &required));
  EXPECT_EQ(required, 77u) << "a failure other than a short buffer reports no size";
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_EQ(standin::CallCount("SetupDiGetClassDevsA"), 2);
}

TEST_F(SetupApiStandInTest, CountsOpenedAndCompletedWalksByEnumerator) {
  AddPci("PCI\\A");
  AddPci("PCI\\B");
  SP_DEVINFO_DATA record = FreshRecord();

  HDEVINFO full = SetupDiGetClassDevsA(nullptr, "Pci", nullptr, DIGCF_ALLCLASSES);
  for (DWORD i = 0; SetupDiEnumDeviceInfo(full, i, &record); ++i) {
  }
  EXPECT_FALSE(SetupDiEnumDeviceInfo(full, 2, &record));  // asked again: still one walk
  SetupDiDestroyDeviceInfoList(full);

  HDEVINFO partial = SetupDiGetClassDevsA(nullptr, "PCI", nullptr, DIGCF_ALLCLASSES);
  SetupDiEnumDeviceInfo(partial, 0, &record);
  SetupDiDestroyDeviceInfoList(partial);

  EXPECT_EQ(standin::DeviceWalks("PCI").opened, 2);
  EXPECT_EQ(standin::DeviceWalks("pci").completed, 1);
  EXPECT_EQ(standin::DeviceWalks("USB").opened, 0);
}

using ProcessHeapStandInTest = DeviceTreeTest;

TEST_F(ProcessHeapStandInTest, HandsOutTracksAndTakesBackBlocks) {
  HANDLE heap = GetProcessHeap();
  ASSERT_NE(heap, nullptr);
  auto* zeroed = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 28));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(zeroed[i], 0);
  void* empty = HeapAlloc(heap, 0, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_EQ(standin::Outstanding(standin::Resource::HeapBlock), 2);

  EXPECT_TRUE(HeapFree(heap, 0, zeroed));
  EXPECT_FALSE(HeapFree(heap, 0, zeroed)) << "a block is given back once";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  int foreign = 0;
  EXPECT_FALSE(HeapFree(heap, 0, &foreign));
  EXPECT_TRUE(HeapFree(heap, 0, nullptr));
  int notAHeap = 0;
  EXPECT_FALSE(HeapFree(&notAHeap, 0, empty));
  EXPECT_EQ(HeapAlloc(&notAHeap, 0, 8), nullptr);
  EXPECT_TRUE(HeapFree(heap, 0, empty));
}

TEST_F(ProcessHeapStandInTest, InjectedFaultsGiveNoHeapAndNoBlock) {
  standin::InjectFault("GetProcessHeap", 1);
  EXPECT_EQ(GetProcessHeap(), nullptr);
  standin::InjectFault("HeapAlloc", 1);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 28), nullptr);
  EXPECT_EQ(standin::Outstanding(standin::Resource::HeapBlock), 0);
}

}  // namespace
}  // namespace qv::testing
