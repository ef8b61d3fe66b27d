#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "exports/qvsupport.h"
#include "tests/support/fresh_books.h"
#include "tests/support/temp_directory.h"
#include "util/qv_encryption.h"
#include "winapi/posix/ledger.h"

namespace {

using qv::test::TempDirectory;

std::string DecryptFile(const std::string& content) {
  QVString text(content.c_str());
  if (!QVEncryption::DecryptString(text, QVString("MARBLEOTTERKITE"))) return "<undecryptable>";
  return text.GetNarrow();
}

class EncryptSysIdsTest : public qv::testing::FreshBooksTest {
 protected:
  void SetUp() override {
    dir.Enter();
    FreshBooksTest::SetUp();
  }
  void TearDown() override {
    FreshBooksTest::TearDown();
    EXPECT_FALSE(dir.Exists("vexasysids.enc.tmp"));
  }
  TempDirectory dir;
};

TEST_F(EncryptSysIdsTest, WritesTheBase64CipherOfTheListWithoutTerminator) {
  dir.Write("plain.txt", "101 00011100 GNR\n");
  ASSERT_EQ(EncryptSysIds("plain.txt"), 0);
  EXPECT_EQ(dir.Read("vexasysids.enc"), "T51j13E3nXd0WiWD8PodkzWbRangy5sG");
}

TEST_F(EncryptSysIdsTest, TranslatesLineEndsAndStopsAtEndOfTextOrNul) {
  dir.Write("crlf.txt", "101 00011100 GNR\r\n102 00000001 BDW\r\n");
  ASSERT_EQ(EncryptSysIds("crlf.txt"), 0);
  EXPECT_EQ(DecryptFile(dir.Read("vexasysids.enc")), "101 00011100 GNR\n102 00000001 BDW\n");

  dir.Write("eof.txt", std::string("101 00011100 GNR\n\x1A"
                                   "102 00000001 BDW\n"));
  ASSERT_EQ(EncryptSysIds("eof.txt"), 0);
  EXPECT_EQ(DecryptFile(dir.Read("vexasysids.enc")), "101 00011100 GNR\n");

  dir.Write("nul.txt", std::string("101 00011100 GNR\n\0"
                                   "garbage",
                                   25));
  ASSERT_EQ(EncryptSysIds("nul.txt"), 0);
  EXPECT_EQ(DecryptFile(dir.Read("vexasysids.enc")), "101 00011100 GNR\n");

  dir.Write("lone-cr.txt", "101\r00011100 GNR\n");
  ASSERT_EQ(EncryptSysIds("lone-cr.txt"), 0);
  EXPECT_EQ(DecryptFile(dir.Read("vexasysids.enc")), "101\r00011100 GNR\n");
}

TEST_F(EncryptSysIdsTest, WritesToTheCurrentDirectoryWhateverTheInputPath) {
  TempDirectory elsewhere;
  elsewhere.Write("list.txt", "101 00011100 GNR\n");
  dir.Write("vexasysids.enc", "old content");
  ASSERT_EQ(EncryptSysIds(elsewhere.File("list.txt").c_str()), 0);
  EXPECT_EQ(dir.Read("vexasysids.enc"), "T51j13E3nXd0WiWD8PodkzWbRangy5sG");
  EXPECT_FALSE(elsewhere.Exists("vexasysids.enc"));
  // Writing the same list twice gives byte-identical files.
  const std::string first = dir.Read("vexasysids.enc");
  ASSERT_EQ(EncryptSysIds(elsewhere.File("list.txt").c_str()), 0);
  EXPECT_EQ(dir.Read("vexasysids.enc"), first);
}

TEST_F(EncryptSysIdsTest, SizeLimitIsExact) {
  dir.Write("max.txt", std::string(7670, 'x') + "\n");
  ASSERT_EQ(EncryptSysIds("max.txt"), 0);
  EXPECT_EQ(dir.Read("vexasysids.enc").size(), 10232u);
  // CR LF pairs count once: 7671 characters after translation still fit.
  dir.Write("crlf-max.txt", std::string(7670, 'x') + "\r\n");
  EXPECT_EQ(EncryptSysIds("crlf-max.txt"), 0);
}

TEST_F(EncryptSysIdsTest, RefusesWithoutTouchingTheOldFile) {
  dir.Write("vexasysids.enc", "previous list");
  dir.Write("long.txt", std::string(7672, 'x'));
  dir.Write("empty.txt", "");
  dir.Write("nul-first.txt", std::string("\0abc", 4));
  dir.Write("ok.txt", "101 00011100 GNR\n");
  EXPECT_EQ(EncryptSysIds("missing.txt"), 1);
  EXPECT_EQ(EncryptSysIds(nullptr), 1);
  EXPECT_EQ(EncryptSysIds("long.txt"), -1);
  EXPECT_EQ(EncryptSysIds("empty.txt"), -1);
  EXPECT_EQ(EncryptSysIds("nul-first.txt"), -1);
  qv::standin::InjectFault("CryptAcquireContextA");
  EXPECT_EQ(EncryptSysIds("ok.txt"), -1);
  qv::standin::ClearFaults();
  qv::standin::InjectFault("MoveFileExA");
  EXPECT_EQ(EncryptSysIds("ok.txt"), -1);
  EXPECT_EQ(dir.Read("vexasysids.enc"), "previous list");
}

TEST_F(EncryptSysIdsTest, ADirectoryIsNoPlainList) {
  // It opens for reading on POSIX, but nothing can be read from it: 1, as for a missing file.
  dir.Write("vexasysids.enc", "previous list");
  TempDirectory folder;
  EXPECT_EQ(EncryptSysIds(folder.Path().c_str()), 1);
  EXPECT_EQ(EncryptSysIds("."), 1);
  EXPECT_EQ(dir.Read("vexasysids.enc"), "previous list");
}

TEST_F(EncryptSysIdsTest, ReadOnlyTargetIsNotReplaced) {
  dir.Write("vexasysids.enc", "protected");
  ASSERT_EQ(chmod(dir.File("vexasysids.enc").c_str(), 0444), 0);
  dir.Write("ok.txt", "101 00011100 GNR\n");
  EXPECT_EQ(EncryptSysIds("ok.txt"), -1);
  EXPECT_EQ(dir.Read("vexasysids.enc"), "protected");
}

}  // namespace
