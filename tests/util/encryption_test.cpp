#include <gtest/gtest.h>

#include <string>

#include "tests/support/fresh_books.h"
#include "util/qv_encryption.h"
#include "winapi/posix/ledger.h"

namespace {

const QVString kPassPhrase("MARBLEOTTERKITE");

// Known answers computed outside this project with the openssl command-line tool:
// rc2-cbc, key = MD5("MARBLEOTTERKITE") = ddea77d2fd16f2b3a1442fc4c66b3ff3, IV all zero.
struct KnownAnswer {
  std::string plain;
  std::string cipher;
};
const KnownAnswer kKnownAnswers[] = {
    {"abc", "9CMKGT4z8Dg="},
    {"", "vhrG0rQcKvQ="},
    {"101 00011100 GNR\n", "T51j13E3nXd0WiWD8PodkzWbRangy5sG"},
};

using EncryptionTest = qv::testing::FreshBooksTest;

std::string Encrypt(const std::string& plain) {
  QVString text(plain.data(), static_cast<int>(plain.size()));
  EXPECT_TRUE(QVEncryption::EncryptString(text, kPassPhrase));
  return text.GetNarrow();
}

TEST_F(EncryptionTest, DecryptsAWideTextByItsNarrowForm) {
  // Wide to narrow stops at the first NUL unit, so the narrow text is shorter than the wide
  // one: the Base64 copy must be measured after the switch, or it reads past the narrow text.
  QVString::WideString wide;
  for (char c : kKnownAnswers[0].cipher) wide += static_cast<WCHAR>(c);
  wide += static_cast<WCHAR>(0);
  wide += QVString::WideString(64, static_cast<WCHAR>('A'));
  QVString text(wide);
  ASSERT_EQ(text.GetLength(), static_cast<int>(wide.size()));
  ASSERT_TRUE(QVEncryption::DecryptString(text, kPassPhrase));
  EXPECT_STREQ(text.GetNarrow(), "abc");
}

TEST_F(EncryptionTest, MatchesTheKnownAnswers) {
  EXPECT_EQ(Encrypt("abc"), kKnownAnswers[0].cipher);
  EXPECT_EQ(Encrypt(std::string("\0abc", 4)), kKnownAnswers[1].cipher);  // only before the NUL
  EXPECT_EQ(Encrypt(kKnownAnswers[2].plain), kKnownAnswers[2].cipher);
  for (const KnownAnswer& answer : kKnownAnswers) {
    QVString text(answer.cipher.c_str());
    ASSERT_TRUE(QVEncryption::DecryptString(text, kPassPhrase));
    EXPECT_EQ(std::string(text.GetNarrow()), answer.plain);
  }
}

TEST_F(EncryptionTest, CipherTextSizesFollowTheBlockPadding) {
  for (int length = 1; length <= 7; ++length) {
    const std::string cipher = Encrypt(std::string(static_cast<std::size_t>(length), 'x'));
    EXPECT_EQ(cipher.size(), 12u);
    EXPECT_NE(cipher[10], '=');
    EXPECT_EQ(cipher[11], '=');
  }
  const std::string eight = Encrypt(std::string(8, 'x'));
  EXPECT_EQ(eight.size(), 24u);
  EXPECT_EQ(eight.substr(22), "==");
  const std::string sixteen = Encrypt(std::string(16, 'x'));
  EXPECT_EQ(sixteen.size(), 32u);
  EXPECT_NE(sixteen.back(), '=');
}

TEST_F(EncryptionTest, LengthsUpToTheLimitRoundTrip) {
  std::string all;
  for (int i = 1; i <= QVEncryption::kMaxPlainTextLength; ++i)
    all += static_cast<char>('!' + i % 90);
  // Every length around the block and group boundaries, then a spread up to the limit.
  for (int length = 1; length <= QVEncryption::kMaxPlainTextLength; length += length < 100    ? 1
                                                                              : length < 7600 ? 97
                                                                                              : 1) {
    const std::string plain = all.substr(0, static_cast<std::size_t>(length));
    QVString text(plain.c_str());
    ASSERT_TRUE(QVEncryption::EncryptString(text, kPassPhrase)) << length;
    ASSERT_TRUE(QVEncryption::DecryptString(text, kPassPhrase)) << length;
    ASSERT_EQ(text.GetLength(), length);
    ASSERT_EQ(std::string(text.GetNarrow()), plain);
  }
  QVString largest(all.c_str());
  ASSERT_TRUE(QVEncryption::EncryptString(largest, kPassPhrase));
  EXPECT_EQ(largest.GetLength(), 10232);
}

TEST_F(EncryptionTest, WideTextIsEncryptedAsItsCodePageBytes) {
  QVString wide(QV_WIDE("caf\u00E9"));
  ASSERT_TRUE(QVEncryption::EncryptString(wide, kPassPhrase));
  ASSERT_TRUE(QVEncryption::DecryptString(wide, kPassPhrase));
  EXPECT_EQ(wide.GetLength(), 5);  // narrow-live again, two bytes for the accented letter
  EXPECT_STREQ(wide.GetNarrow(), "caf\xC3\xA9");
}

TEST_F(EncryptionTest, RefusalsLeaveTheTextAsItWas) {
  QVString empty("");
  EXPECT_FALSE(QVEncryption::EncryptString(empty, kPassPhrase));
  EXPECT_FALSE(QVEncryption::DecryptString(empty, kPassPhrase));
  EXPECT_EQ(qv::standin::CallCount("CryptAcquireContextA"), 0);

  const std::string tooLong(QVEncryption::kMaxPlainTextLength + 1, 'x');
  QVString longText(tooLong.c_str());
  EXPECT_FALSE(QVEncryption::EncryptString(longText, kPassPhrase));
  EXPECT_EQ(std::string(longText.GetNarrow()), tooLong);

  for (const char* notCipher : {"YWJj", "not base64 at all", "AAAAAAAAAAA=", "9CMKGT4z"}) {
    QVString text(notCipher);
    EXPECT_FALSE(QVEncryption::DecryptString(text, kPassPhrase)) << notCipher;
    EXPECT_STREQ(text.GetNarrow(), notCipher);
  }
}

TEST_F(EncryptionTest, AnotherPassPhraseFailsOnThePadding) {
  int accepted = 0;
  for (int i = 0; i < 50; ++i) {
    QVString text(("record " + std::to_string(i)).c_str());
    ASSERT_TRUE(QVEncryption::EncryptString(text, kPassPhrase));
    const std::string cipher = text.GetNarrow();
    if (QVEncryption::DecryptString(text, QVString("MARBLEOTTERKITF")))
      ++accepted;
    else
      EXPECT_EQ(std::string(text.GetNarrow()), cipher);
  }
  EXPECT_LT(accepted, 10);  // only a lucky last block passes the padding check
}

TEST_F(EncryptionTest, EveryFailingCryptoCallReleasesWhatWasAcquired) {
  for (const char* call : {"CryptAcquireContextA", "CryptCreateHash", "CryptHashData",
                           "CryptDeriveKey", "CryptEncrypt", "CryptDecrypt"}) {
    qv::standin::ClearFaults();
    qv::standin::InjectFault(call);
    QVString plain("abc");
    const bool encrypted = QVEncryption::EncryptString(plain, kPassPhrase);
    QVString cipher(kKnownAnswers[0].cipher.c_str());
    const bool decrypted = QVEncryption::DecryptString(cipher, kPassPhrase);
    EXPECT_EQ(encrypted, std::string(call) == "CryptDecrypt") << call;
    EXPECT_EQ(decrypted, std::string(call) == "CryptEncrypt") << call;
    if (!encrypted) {
      EXPECT_STREQ(plain.GetNarrow(), "abc") << call;
    }
    if (!decrypted) {
      EXPECT_STREQ(cipher.GetNarrow(), kKnownAnswers[0].cipher.c_str()) << call;
    }
    EXPECT_EQ(qv::standin::OutstandingReport(), "") << call;
  }
  // A key that refuses its effective length would write cipher text nobody can read back:
  // encryption refuses, decryption goes on (the wrong length only fails the padding check).
  qv::standin::ClearFaults();
  qv::standin::InjectFault("CryptSetKeyParam");
  QVString text("abc");
  EXPECT_FALSE(QVEncryption::EncryptString(text, kPassPhrase));
  EXPECT_STREQ(text.GetNarrow(), "abc");
  EXPECT_EQ(qv::standin::OutstandingReport(), "");
}

}  // namespace
