#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/temp_directory.h"
#include "tool_runner.h"

namespace qvtool::test {
namespace {

using Json = nlohmann::json;

const char kShipped[] =
    "208 00111100 GNR\n"
    "305 00011100 BDW\n"
    "533 00011110 HKM\n";

// The shipped list encrypted, and edited copies of its plain text beside it.
class QvtoolDiffCli : public ::testing::Test {
 protected:
  void SetUp() override {
    directory.Write("shipped.txt", kShipped);
    const ToolRun encrypt = RunQvtool("encrypt shipped.txt -o .", directory.Path());
    ASSERT_EQ(encrypt.exitCode, 0) << encrypt.err;
  }
  ToolRun Diff(const std::string& arguments) {
    return RunQvtool("diff " + arguments, directory.Path());
  }
  qv::test::TempDirectory directory;
};

TEST_F(QvtoolDiffCli, TheEncryptedListAndItsPlainTextAreTheSame) {
  // CR LF line ends in the plain file read as EncryptSysIds reads them.
  directory.Write("crlf.txt", "208 00111100 GNR\r\n305 00011100 BDW\r\n533 00011110 HKM\r\n");
  const ToolRun run = Diff("vexasysids.enc crlf.txt");
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("(encrypted, 3 records)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(plain, 3 records)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Every platform gets the same answers."), std::string::npos);
}

TEST_F(QvtoolDiffCli, ADifferenceExitsOneAndNamesTheBitsInTextAndJson) {
  directory.Write("new.txt",
                  "533 00011111 TRV\n208 00111100 GNR\n305 00011100 BDW\n"
                  "759 00111100 BDW\n");
  const ToolRun text = Diff("vexasysids.enc new.txt");
  EXPECT_EQ(text.exitCode, 1) << text.err;
  EXPECT_NE(text.out.find("+ 759"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("~ 533"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("mask bit 7 (flag column 8): clear -> set"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("line code: HKM -> TRV (Torvane)"), std::string::npos) << text.out;

  const ToolRun json = Diff("--json vexasysids.enc new.txt");
  ASSERT_EQ(json.exitCode, 1) << json.err;
  const Json document = Json::parse(json.out);
  EXPECT_FALSE(document["same"].get<bool>());
  EXPECT_EQ(document["old"]["format"], "encrypted");
  ASSERT_EQ(document["added"].size(), 1u);
  EXPECT_EQ(document["added"][0]["systemId"], 759);
  ASSERT_EQ(document["changed"].size(), 1u);
  const Json& changed = document["changed"][0];
  EXPECT_EQ(changed["old"]["getDeviceMask"], 0x347);
  EXPECT_EQ(changed["new"]["getDeviceMask"], 0x6C7);
  EXPECT_EQ(changed["new"]["getDeviceMaskDecrypt"], 0x07);
  ASSERT_EQ(changed["changedBits"].size(), 1u);
  EXPECT_EQ(changed["changedBits"][0]["bit"], 7);
  EXPECT_TRUE(changed["changedBits"][0]["set"].get<bool>());
}

TEST_F(QvtoolDiffCli, ShadowingIsReportedApartFromEditedRecords) {
  directory.Write("dup.txt", std::string("305 11000000 WQE\n") + kShipped);
  const ToolRun run = Diff("--json shipped.txt dup.txt");
  EXPECT_EQ(run.exitCode, 1) << run.err;
  const Json document = Json::parse(run.out);
  EXPECT_TRUE(document["changed"].empty());
  ASSERT_EQ(document["changedByAnotherRecord"].size(), 1u);
  EXPECT_EQ(document["changedByAnotherRecord"][0]["cause"], "shadowed");
  EXPECT_EQ(document["changedByAnotherRecord"][0]["new"]["readFrom"]["line"], 1);
}

TEST_F(QvtoolDiffCli, TroubleExitsTwo) {
  // A missing file, a plain list stated to be encrypted, and a wrong command line.
  const ToolRun missing = Diff("vexasysids.enc nosuch.txt");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("nosuch.txt"), std::string::npos) << missing.err;
  const ToolRun stated = Diff("--new-format encrypted vexasysids.enc shipped.txt");
  EXPECT_EQ(stated.exitCode, 2);
  EXPECT_NE(stated.err.find("shipped.txt"), std::string::npos) << stated.err;
  EXPECT_EQ(Diff("vexasysids.enc").exitCode, 2);
  EXPECT_EQ(Diff("--old-format zip vexasysids.enc shipped.txt").exitCode, 2);
}

TEST_F(QvtoolDiffCli, StatingTheFormatOverridesDetection) {
  // Read as plain text, the encrypted file holds no record: every platform is added.
  const ToolRun run = Diff("--json --old-format plain vexasysids.enc shipped.txt");
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(Json::parse(run.out)["added"].size(), 3u);
}

TEST_F(QvtoolDiffCli, HelpShowsAnExample) {
  const ToolRun run = Diff("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("qvtool diff vexasysids.enc sysids.txt"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace qvtool::test
