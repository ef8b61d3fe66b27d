// The snapshot search against the row-by-row walk it replaced (tests/netid/row_by_row_walk.h),
// on many generated machines: random device lists of listed and unlisted adapters, near misses,
// case variants, instance IDs too long to fetch (a failed fetch that ends the walk), and
// platform calls that fail every time. On a machine that does not change during the call both
// must give the same row and the same export code, and the snapshot must enumerate once.
#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "exports/qvsupport.h"
#include "netid/adapter_tables.h"
#include "netid/row_first_search.h"
#include "tests/netid/adapter_fixture.h"
#include "tests/netid/row_by_row_walk.h"

namespace qv::netid::testing {
namespace {

class MachineGenerator {
 public:
  explicit MachineGenerator(unsigned seed) : random_(seed) {}

  int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
  bool OneIn(int n) { return Below(n) == 0; }

  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
  }

  // Each ASCII letter lower-cased with probability one in three.
  std::string CaseVariant(std::string text) {
    for (char& c : text)
      if (std::isupper(static_cast<unsigned char>(c)) && OneIn(3))
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  std::string Hex(int digits) {
    std::string text;
    for (int i = 0; i < digits; ++i) text += "0123456789ABCDEF"[Below(16)];
    return text;
  }

  // A row of `table` with one hex digit of its last field changed: a near miss.
  std::string NearMiss(const std::string& row) {
    std::string miss = row;
    const std::size_t at = miss.size() - 1 - static_cast<std::size_t>(Below(4));
    miss[at] = miss[at] == '0' ? '1' : '0';
    return miss;
  }

  std::string PciDevice(const std::vector<std::string>& listed) {
    switch (Below(6)) {
      case 0:
      case 1:
        return "PCI\\" + CaseVariant(Pick(listed)) + "&REV_0" + Hex(1) + "\\3&" + Hex(8) + "&0&" +
               Hex(2);
      case 2:
        return "PCI\\" + CaseVariant(NearMiss(Pick(listed))) + "&REV_01\\4&" + Hex(8) + "&0&E0";
      case 3:  // too long for the 260-character buffer: its fetch fails
        return "PCI\\" + Pick(listed) + "&REV_01\\" + std::string(260 + Below(40), 'Z');
      case 4:
        return "pci\\ven_1af4&dev_10" + Hex(2) + "&subsys_" + Hex(8) + "\\3&\xC3\xA9" + Hex(1);
      default:
        return "PCI\\VEN_" + Hex(4) + "&DEV_" + Hex(4) + "&SUBSYS_" + Hex(8) + "&REV_00\\0";
    }
  }

  std::string UsbDevice(const std::vector<std::string>& listed) {
    switch (Below(5)) {
      case 0:
        return "USB\\" + CaseVariant(Pick(listed)) + "\\5&" + Hex(8) + "&0&3";
      case 1:  // a node of a composite device
        return "USB\\" + CaseVariant(Pick(listed)) + "&MI_0" + Hex(1) + "\\6&" + Hex(8) + "&0&0003";
      case 2:
        return "USB\\" + CaseVariant(NearMiss(Pick(listed))) + "\\5&" + Hex(8);
      case 3:
        return "USB\\" + Pick(listed) + "\\" + std::string(259 + Below(20), 'Y');
      default:
        return "USB\\ROOT_HUB" + Hex(2) + "\\4&" + Hex(8) + "&0";
    }
  }

  // A small table of random rows, some repeated, in mixed case, ending with the empty row.
  PatternTable SmallTable(const std::vector<std::string>& listed) {
    PatternTable table;
    const int rows = Below(6);
    for (int i = 0; i < rows; ++i) table.emplace_back(CaseVariant(Pick(listed)).c_str());
    if (OneIn(4)) table.emplace_back("3&\xC3\xA9");  // outside ASCII: matched unit by unit
    table.emplace_back("");
    return table;
  }

 private:
  std::mt19937 random_;
};

std::vector<std::string> Rows(const PatternTable& table) {
  std::vector<std::string> rows;
  for (const QVString& row : table)
    if (!row.IsEmpty()) rows.emplace_back(row.GetNarrow());
  return rows;
}

int ReferenceLanCode(const QVString& row) {
  if (row.Find("VEN_14E4", 0) != -1) return 0;
  return row.Find("VEN_8086", 0) != -1 ? 1 : -1;
}

int ReferenceWwanCode(const QVString& row) {
  for (int i = 0; i < 3; ++i)
    if (row.Find(kWWANProductIDs[i], 0) != -1) return 0;
  return row.Find(kWWANProductIDs[3], 0) != -1 ? 1 : -1;
}

// True when a device that can be fetched carries one of `rows`: present, yet hidden when the
// search finds nothing.
bool ContainsListedAdapter(const std::vector<std::string>& ids,
                           const std::vector<std::string>& rows) {
  for (const std::string& id : ids) {
    if (id.size() >= 260) continue;
    const QVString upperId = QVString(id.c_str()).MakeUpper();
    for (const std::string& row : rows)
      if (upperId.Find(row.c_str(), 0) != -1) return true;
  }
  return false;
}

// Platform calls that fail on every call: a machine that fails the same way throughout.
const char* const kSteadyFaults[] = {"SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo",
                                     "SetupDiGetDeviceInstanceIdA", "HeapAlloc"};

struct Coverage {
  int machines = 0;
  int matched = 0;
  int matchedAfterRow10 = 0;
  int listedHiddenByFailedFetch = 0;
  int steadyFaults = 0;
};

using SnapshotEquivalenceTest = AdapterTest;

TEST_F(SnapshotEquivalenceTest, GivesTheRowAndTheCodeOfTheRowByRowWalkOnGeneratedMachines) {
  const std::vector<std::string> lanRows = Rows(LANDeviceIDs());
  std::vector<std::string> pciRows = lanRows;
  for (const std::string& row : Rows(WLANDeviceIDs())) pciRows.push_back(row);
  const std::vector<std::string> wwanRows = Rows(WWANDeviceIDs());
  MachineGenerator generate(20240614);
  Coverage coverage;

  for (int machine = 0; machine < 600; ++machine) {
    machine_->devices.clear();
    const int pciCount = generate.Below(12);
    for (int i = 0; i < pciCount; ++i) AddPci(generate.PciDevice(pciRows));
    const int usbCount = generate.Below(8);
    for (int i = 0; i < usbCount; ++i) AddUsb(generate.UsbDevice(wwanRows));
    const bool steadyFault = generate.OneIn(8);
    const std::string fault = steadyFault ? kSteadyFaults[generate.Below(4)] : "";
    if (steadyFault) standin::InjectFault(fault);
    SCOPED_TRACE("machine " + std::to_string(machine));

    const QVString lanReference = ReferenceRowByRowSearch(LANDeviceIDs(), "PCI");
    const QVString wwanReference = ReferenceRowByRowSearch(WWANDeviceIDs(), "USB");
    const PatternTable small = generate.SmallTable(pciRows);
    const QVString smallReference = ReferenceRowByRowSearch(small, "PCI");

    standin::ResetDeviceWalks();
    EXPECT_STREQ(FindFirstPresentRow(LANDeviceIDs(), "PCI").GetNarrow(), lanReference.GetNarrow());
    EXPECT_STREQ(FindFirstPresentRow(WWANDeviceIDs(), "USB").GetNarrow(),
                 wwanReference.GetNarrow());
    EXPECT_STREQ(FindFirstPresentRow(small, "PCI").GetNarrow(), smallReference.GetNarrow());
    EXPECT_EQ(GetLANManufacturerID(), ReferenceLanCode(lanReference));
    EXPECT_EQ(GetWWANManufacturerID(), ReferenceWwanCode(wwanReference));
    const int opens = fault == "SetupDiGetClassDevsA" ? 0 : 1;  // per search
    EXPECT_EQ(standin::DeviceWalks("PCI").opened, opens * (small.front().IsEmpty() ? 2 : 3));
    EXPECT_EQ(standin::DeviceWalks("USB").opened, opens * 2);
    standin::ClearFaults();

    ++coverage.machines;
    if (!lanReference.IsEmpty()) {
      ++coverage.matched;
      for (std::size_t row = 10; row < lanRows.size(); ++row)
        if (lanRows[row] == lanReference.GetNarrow()) ++coverage.matchedAfterRow10;
    }
    if (lanReference.IsEmpty() && !steadyFault &&
        ContainsListedAdapter(machine_->devices["PCI"], lanRows))
      ++coverage.listedHiddenByFailedFetch;
    coverage.steadyFaults += steadyFault ? 1 : 0;
  }
  // The generator must reach the interesting cases, or the comparison proves little.
  EXPECT_GT(coverage.matched, 100);
  EXPECT_GT(coverage.matchedAfterRow10, 50);
  EXPECT_GT(coverage.listedHiddenByFailedFetch, 10);
  EXPECT_GT(coverage.steadyFaults, 30);
}

}  // namespace
}  // namespace qv::netid::testing
