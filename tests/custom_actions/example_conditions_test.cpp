// The example package's feature conditions (examples/msi/feature-conditions.idt) against what
// QvIdentify sets on machines with each device bit: at first install, a conditional feature
// stays enabled exactly when its test holds. Under Wine only the status can be tried; here any
// platform can be made.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "custom_actions/custom_actions.h"
#include "tests/custom_actions/identify_fixture.h"

namespace qv::custom_actions::testing {
namespace {

constexpr int kIdtHeaderLines = 3;  // column names, column types, table name and keys

// Feature name to its condition, from the Condition table the example imports.
std::map<std::string, std::string> ExampleConditions() {
  std::ifstream idt(QV_SOURCE_DIR "/examples/msi/feature-conditions.idt");
  std::map<std::string, std::string> conditions;
  std::string line;
  for (int skipped = 0; skipped < kIdtHeaderLines && std::getline(idt, line); ++skipped) {
  }
  while (std::getline(idt, line)) {
    const auto first = line.find('\t'), second = line.find('\t', first + 1);
    conditions[line.substr(0, first)] = line.substr(second + 1);
  }
  return conditions;
}

// Evaluates the one form the example uses, "NOT Installed AND NOT (TEST)", at first install
// (Installed empty), where TEST is "PROPERTY >< N" (bitwise AND) or "PROPERTY = N". True when
// the condition leaves the feature enabled. An empty property makes every comparison false, as
// in Windows Installer.
bool StaysEnabled(const std::string& condition, const RecordingSession& session) {
  static const std::regex form(R"(NOT Installed AND NOT \((\w+) (><|=) (-?\d+)\))");
  std::smatch parts;
  if (!std::regex_match(condition, parts, form)) {
    ADD_FAILURE() << "a condition of another form: " << condition;
    return false;
  }
  const std::string value = session.Value(parts[1]);
  if (value.empty()) return false;
  const int property = std::stoi(value), operand = std::stoi(parts[3]);
  return parts[2] == "><" ? (property & operand) != 0 : property == operand;
}

using ExampleFeatureConditions = IdentifyTest;

TEST_F(ExampleFeatureConditions, DeviceBit3IsChosenByMaskBit3Alone) {
  const auto conditions = ExampleConditions();
  ASSERT_EQ(conditions.size(), 3u);
  for (int bit = 0; bit < 8; ++bit) {
    SCOPED_TRACE("mask bit " + std::to_string(bit));
    UseVexaMachine(245);
    WriteList(Record(245, FlagsOfBit(bit), "GNR"));
    ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
    EXPECT_EQ(StaysEnabled(conditions.at("DeviceBit3"), session_), bit == 3);
    EXPECT_FALSE(StaysEnabled(conditions.at("NotInList"), session_));
  }
}

TEST_F(ExampleFeatureConditions, NotInListIsChosenByStatusMinusFour) {
  const auto conditions = ExampleConditions();
  UseVexaMachine(999);
  WriteList(Record(245, "11111111", "GNR"));
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_TRUE(StaysEnabled(conditions.at("NotInList"), session_));
  EXPECT_FALSE(StaysEnabled(conditions.at("DeviceBit3"), session_));

  std::remove("vexasysids.enc");  // status -2: no feature of the list's
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_FALSE(StaysEnabled(conditions.at("NotInList"), session_));
}

TEST_F(ExampleFeatureConditions, IntelLanIsChosenByAnIntelWiredAdapterAlone) {
  const auto conditions = ExampleConditions();
  UseVexaMachine(245);
  WriteList(Record(245, "11111111", "GNR"));
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_FALSE(StaysEnabled(conditions.at("IntelLan"), session_)) << "no adapter: -1";

  AddLANAdapter(1);  // Broadcom
  AddWLANAdapter(1);
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_FALSE(StaysEnabled(conditions.at("IntelLan"), session_));

  machine_->devices.clear();
  AddLANAdapter(31);  // the first Intel row
  ASSERT_EQ(Identify(session_), ActionResult::kSucceeded);
  EXPECT_TRUE(StaysEnabled(conditions.at("IntelLan"), session_));
}

}  // namespace
}  // namespace qv::custom_actions::testing
