// What QvIdentify gives when the installer session fails it: a property that cannot be read or
// set fails the action, with a log line naming the property; nothing found on the machine does.
#include <gtest/gtest.h>

#include "custom_actions/custom_actions.h"
#include "custom_actions/property_names.h"
#include "tests/custom_actions/identify_fixture.h"

namespace qv::custom_actions::testing {
namespace {

using FailingSession = IdentifyTest;

TEST_F(FailingSession, AnUnreadableListPropertyFailsBeforeAnyQuestion) {
  UseVexaMachine(378);
  session_.readsFail = true;
  EXPECT_EQ(Identify(session_), ActionResult::kFailed);
  EXPECT_TRUE(session_.properties.empty());
  EXPECT_EQ(session_.LinesWith("the property QV_LIST_FILE cannot be read").size(), 1u);
}

TEST_F(FailingSession, EachPropertyThatCannotBeSetFailsTheAction) {
  const char* const names[] = {
      kSystemIdProperty,      kDeviceMaskProperty, kLineCodeProperty,     kDeviceMaskStatusProperty,
      kTorvaneProperty,       kLANMakerProperty,   kLANMakerNameProperty, kWLANMakerProperty,
      kWLANMakerNameProperty, kWWANMakerProperty,  kWWANMakerNameProperty};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    UseVexaMachine(378);
    session_ = RecordingSession();
    session_.refused = {name};
    EXPECT_EQ(Identify(session_), ActionResult::kFailed);
    EXPECT_EQ(session_.LinesWith(std::string("the property ") + name + " cannot be set").size(),
              1u);
    // The action stops there: the answers after the refused one are never set.
    if (std::string(name) != kWWANMakerNameProperty) {
      EXPECT_FALSE(session_.Has(kWWANMakerProperty));
    }
  }
}

}  // namespace
}  // namespace qv::custom_actions::testing
