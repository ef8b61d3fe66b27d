// The machines of tests/data/device-trees on the stand-in: each profile's devices give the
// answers expected.tsv records. The same profiles are planted in Wine prefixes, where Wine's
// SetupAPI must give the same answers (tests/windows/check_adapter_cases.py).
#include <fstream>
#include <sstream>

#include "exports/qvsupport.h"
#include "machine/machine.h"
#include "tests/netid/adapter_fixture.h"

namespace qv::netid::testing {
namespace {

struct ExpectedAnswers {
  std::string profile;
  int lan, wlan, wwan;
};

const std::string kCasesDir = std::string(QV_SOURCE_DIR) + "/tests/data/device-trees/";

std::vector<ExpectedAnswers> ReadExpectations() {
  std::vector<ExpectedAnswers> cases;
  std::ifstream file(kCasesDir + "expected.tsv");
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ExpectedAnswers answers;
    fields >> answers.profile >> answers.lan >> answers.wlan >> answers.wwan;
    cases.push_back(answers);
  }
  return cases;
}

using DeviceTreeCasesTest = AdapterTest;

TEST_F(DeviceTreeCasesTest, EveryPlantableMachineGivesItsRecordedAnswers) {
  const std::vector<ExpectedAnswers> cases = ReadExpectations();
  ASSERT_GE(cases.size(), 14u) << "expected.tsv has lost machines";
  for (const ExpectedAnswers& expected : cases) {
    SCOPED_TRACE(expected.profile);
    std::string error;
    std::shared_ptr<machine::Machine> machine =
        machine::LoadProfile(kCasesDir + expected.profile + ".json", &error);
    ASSERT_TRUE(machine != nullptr && error.empty()) << error;
    EXPECT_TRUE(machine->notPresentDevices.empty()) << "Wine has no devices that are not present";
    standin::UseMachine(machine);
    EXPECT_EQ(GetLANManufacturerID(), expected.lan);
    EXPECT_EQ(GetWLANManufacturerID(), expected.wlan);
    EXPECT_EQ(GetWWANManufacturerID(), expected.wwan);
  }
}

// The device-first WLAN walk ends at the first matching device in registry order: the second
// listed adapter of the machine is never fetched.
TEST_F(DeviceTreeCasesTest, TheWlanWalkStopsAtTheFirstListedAdapter) {
  std::string error;
  standin::UseMachine(machine::LoadProfile(kCasesDir + "wlan-two-adapters.json", &error));
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_EQ(GetWLANManufacturerID(), 0);
  EXPECT_EQ(standin::CallCount("SetupDiEnumDeviceInfo"), 2) << "the second device matches";
}

}  // namespace
}  // namespace qv::netid::testing
