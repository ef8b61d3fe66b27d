// Reading list files from disk and decrypting them into the plain list.
#include <gtest/gtest.h>

#include <string>

#include "devicemask/list_file.h"
#include "tests/devicemask/list_files.h"
#include "tests/support/temp_directory.h"

namespace qv::devicemask {
namespace {

using qv::test::TempDirectory;
using qv::testing::EncryptedList;
using qv::testing::Record;

TEST(ListFile, ReadsWholeFilesAndCutsAtTheFirstNul) {
  TempDirectory dir;
  const std::string path = dir.File("list.enc");

  dir.Write("list.enc", "QUJD");
  ListFileContent content = ReadListFile(path.c_str(), ShortReadPolicy::kRefuse);
  EXPECT_EQ(content.status, ListFileStatus::kRead);
  EXPECT_STREQ(content.text.GetNarrow(), "QUJD");

  dir.Write("list.enc", std::string("QU\0JD", 5));
  content = ReadListFile(path.c_str(), ShortReadPolicy::kAccept);
  EXPECT_EQ(content.status, ListFileStatus::kRead);
  EXPECT_EQ(content.text.GetLength(), 2);

  dir.Write("list.enc", "");
  content = ReadListFile(path.c_str(), ShortReadPolicy::kRefuse);
  EXPECT_EQ(content.status, ListFileStatus::kRead);
  EXPECT_TRUE(content.text.IsEmpty());
}

TEST(ListFile, RefusesWhatCannotBeAList) {
  TempDirectory dir;
  EXPECT_EQ(ReadListFile(dir.File("missing").c_str(), ShortReadPolicy::kRefuse).status,
            ListFileStatus::kCannotOpen);
  EXPECT_EQ(ReadListFile(dir.Path().c_str(), ShortReadPolicy::kAccept).status,
            ListFileStatus::kCannotOpen);
  EXPECT_EQ(ReadListFile(nullptr, ShortReadPolicy::kAccept).status, ListFileStatus::kCannotOpen);

  const std::string path = dir.File("list.enc");
  dir.Write("list.enc", std::string(kMaxListFileSize, 'A'));
  EXPECT_EQ(ReadListFile(path.c_str(), ShortReadPolicy::kRefuse).status, ListFileStatus::kRead);
  dir.Write("list.enc", std::string(kMaxListFileSize + 1, 'A'));
  const ListFileContent tooLarge = ReadListFile(path.c_str(), ShortReadPolicy::kRefuse);
  EXPECT_EQ(tooLarge.status, ListFileStatus::kTooLarge);
  EXPECT_TRUE(tooLarge.text.IsEmpty());
}

TEST(PlainList, DecryptsWhatTheListWriterEncrypts) {
  TempDirectory dir;
  const std::string path = dir.File("list.enc");
  const std::string plain = Record(245, "00110011", "GNR") + Record(378, "10000111", "BDW");
  dir.Write("list.enc", EncryptedList(plain));

  const PlainList list = DecryptListFile(path.c_str(), ShortReadPolicy::kRefuse);
  ASSERT_EQ(list.status, PlainListStatus::kLoaded);
  EXPECT_EQ(std::string(list.text.GetNarrow()), plain);
}

TEST(PlainList, EverythingUndecryptableIsOneStatus) {
  TempDirectory dir;
  const std::string path = dir.File("list.enc");
  const std::string cipher = EncryptedList(Record(245, "00110011", "GNR"));
  const std::string undecryptable[] = {
      "",                                   // nothing to decrypt
      "not base64 at all!",                 // no cipher text
      cipher.substr(0, cipher.size() - 4),  // cut short: not whole cipher blocks
      std::string("\0", 1) + cipher,        // a NUL first leaves nothing
      std::string(kMaxListFileSize, 'A'),   // far beyond any list, still read
      std::string(kMaxListFileSize + 1, 'A'),
  };
  for (const std::string& content : undecryptable) {
    dir.Write("list.enc", content);
    EXPECT_EQ(DecryptListFile(path.c_str(), ShortReadPolicy::kRefuse).status,
              PlainListStatus::kNotDecrypted)
        << content.size() << " bytes";
  }
  EXPECT_EQ(DecryptListFile(dir.File("missing").c_str(), ShortReadPolicy::kAccept).status,
            PlainListStatus::kCannotOpen);

  // Bytes after a NUL are not part of the text: the cipher text before it still decrypts.
  dir.Write("list.enc", cipher + std::string("\0garbage", 8));
  EXPECT_EQ(DecryptListFile(path.c_str(), ShortReadPolicy::kRefuse).status,
            PlainListStatus::kLoaded);
}

}  // namespace
}  // namespace qv::devicemask
