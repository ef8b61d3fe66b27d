// CryptoAPI as string encryption uses it: the Enhanced provider, an MD5-derived RC2 key with a
// 128-bit effective length, CBC with PKCS #5 padding. The same assertions run against the
// stand-in on Linux and against the real advapi32/rsaenh under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "winapi/win32.h"

namespace {

using Bytes = std::vector<BYTE>;

constexpr char kPassPhrase[] = "MARBLEOTTERKITE";
constexpr DWORD kEffectiveKeyBits = 128;

// Cipher texts computed independently with OpenSSL: RC2-CBC, key = MD5("MARBLEOTTERKITE"),
// zero IV, PKCS #5 padding.
const Bytes kCipherOfX = {0xde, 0x96, 0xcd, 0xae, 0xf0, 0x51, 0xbe, 0xcf};
const Bytes kCipherOfSixteenLetters = {0xa0, 0x89, 0x57, 0xa0, 0x42, 0x6c, 0x5f, 0xd5,
                                       0xe2, 0x75, 0x8f, 0x5a, 0x15, 0xb6, 0x29, 0xb3,
                                       0xc1, 0xdb, 0x85, 0xfd, 0xc1, 0x51, 0xfd, 0xee};

Bytes BytesOf(const char* text) {
  return Bytes(text, text + std::strlen(text));
}

HRESULT LastErrorCode() {
  return static_cast<HRESULT>(GetLastError());
}

class ScopedProvider {
 public:
  ScopedProvider() {
    acquired_ = CryptAcquireContextA(&handle_, nullptr, MS_ENHANCED_PROV_A, PROV_RSA_FULL,
                                     CRYPT_VERIFYCONTEXT) != FALSE;
  }
  ~ScopedProvider() {
    if (acquired_) CryptReleaseContext(handle_, 0);
  }
  ScopedProvider(const ScopedProvider&) = delete;
  ScopedProvider& operator=(const ScopedProvider&) = delete;

  bool ok() const { return acquired_ && handle_ != 0; }
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
  bool acquired_ = false;
};

class ScopedHash {
 public:
  explicit ScopedHash(HCRYPTPROV provider) {
    if (!CryptCreateHash(provider, CALG_MD5, 0, 0, &handle_)) handle_ = 0;
  }
  ~ScopedHash() {
    if (handle_ != 0) CryptDestroyHash(handle_);
  }
  ScopedHash(const ScopedHash&) = delete;
  ScopedHash& operator=(const ScopedHash&) = delete;

  HCRYPTHASH get() const { return handle_; }

 private:
  HCRYPTHASH handle_ = 0;
};

class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (handle_ != 0) CryptDestroyKey(handle_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  HCRYPTKEY* out() { return &handle_; }
  HCRYPTKEY get() const { return handle_; }

 private:
  HCRYPTKEY handle_ = 0;
};

// Provider, MD5 hash of the pass phrase and the RC2 key derived from it, as string encryption
// builds them. effectiveBits 0 leaves the provider's default effective length.
class PassPhraseKey {
 public:
  explicit PassPhraseKey(DWORD effectiveBits = kEffectiveKeyBits) : hash_(provider_.get()) {
    const Bytes phrase = BytesOf(kPassPhrase);
    if (hash_.get() == 0 ||
        !CryptHashData(hash_.get(), phrase.data(), static_cast<DWORD>(phrase.size()), 0))
      return;
    if (!CryptDeriveKey(provider_.get(), CALG_RC2, hash_.get(), CRYPT_EXPORTABLE, key_.out()))
      return;
    if (effectiveBits != 0) {
      const BYTE* bits = reinterpret_cast<const BYTE*>(&effectiveBits);
      setEffectiveLengthOk_ = CryptSetKeyParam(key_.get(), KP_EFFECTIVE_KEYLEN, bits, 0) != FALSE;
    }
  }

  bool ok() const { return provider_.ok() && key_.get() != 0; }
  bool effectiveLengthSet() const { return setEffectiveLengthOk_; }
  HCRYPTKEY key() const { return key_.get(); }

  // Encrypts with final TRUE in a buffer of `capacity` bytes (at least the plain text's size).
  bool Encrypt(const Bytes& plain, DWORD capacity, Bytes& cipher, DWORD& length) const {
    cipher = plain;
    cipher.resize(capacity);
    length = static_cast<DWORD>(plain.size());
    return CryptEncrypt(key_.get(), 0, TRUE, 0, cipher.data(), &length, capacity) != FALSE;
  }

  Bytes Encrypt(const Bytes& plain) const {
    Bytes cipher;
    DWORD length = 0;
    if (!Encrypt(plain, static_cast<DWORD>(plain.size()) + 8, cipher, length)) return {};
    cipher.resize(length);
    return cipher;
  }

  // Encrypts whole blocks without padding (final FALSE).
  Bytes EncryptBlocks(const Bytes& plain) const {
    Bytes cipher = plain;
    DWORD length = static_cast<DWORD>(plain.size());
    if (!CryptEncrypt(key_.get(), 0, FALSE, 0, cipher.data(), &length, length)) return {};
    return cipher;
  }

  bool Decrypt(Bytes& data) const {
    DWORD length = static_cast<DWORD>(data.size());
    if (!CryptDecrypt(key_.get(), 0, TRUE, 0, data.data(), &length)) return false;
    data.resize(length);
    return true;
  }

 private:
  ScopedProvider provider_;
  ScopedHash hash_;
  ScopedKey key_;
  bool setEffectiveLengthOk_ = false;
};

TEST(CryptConformance, AcquiresOnlyTheNamedEnhancedProvider) {
  HCRYPTPROV provider = 0;
  ASSERT_TRUE(CryptAcquireContextA(&provider, nullptr, MS_ENHANCED_PROV_A, PROV_RSA_FULL,
                                   CRYPT_VERIFYCONTEXT));
  EXPECT_NE(provider, 0u);
  EXPECT_TRUE(CryptReleaseContext(provider, 0));

  HCRYPTPROV unknown = 0;
  SetLastError(0);
  EXPECT_FALSE(CryptAcquireContextA(&unknown, nullptr, "Microsoft Imaginary Provider v9.9",
                                    PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
  EXPECT_EQ(LastErrorCode(), NTE_KEYSET_NOT_DEF);
}

TEST(CryptConformance, DerivedRc2KeyMatchesTheKnownAnswers) {
  PassPhraseKey key;
  ASSERT_TRUE(key.ok());
  EXPECT_TRUE(key.effectiveLengthSet());
  EXPECT_EQ(key.Encrypt(BytesOf("x")), kCipherOfX);
  EXPECT_EQ(key.Encrypt(BytesOf("abcdefghijklmnop")), kCipherOfSixteenLetters);

  // The effective length is part of the transform: another one gives another cipher text.
  PassPhraseKey shorter(64);
  ASSERT_TRUE(shorter.ok());
  EXPECT_NE(shorter.Encrypt(BytesOf("x")), kCipherOfX);
}

TEST(CryptConformance, EncryptPadsToWholeBlocksAndReportsTheSizeItNeeds) {
  PassPhraseKey key;
  ASSERT_TRUE(key.ok());
  for (std::size_t size : {0u, 1u, 7u, 8u, 9u, 16u}) {
    Bytes cipher;
    DWORD length = 0;
    const Bytes plain(size, 'q');
    ASSERT_TRUE(key.Encrypt(plain, static_cast<DWORD>(size) + 8, cipher, length)) << size;
    EXPECT_EQ(length, (size / 8 + 1) * 8) << size;
  }

  // A full block needs a whole block of padding: with no room the call fails and asks for it.
  Bytes cipher;
  DWORD length = 0;
  SetLastError(0);
  EXPECT_FALSE(key.Encrypt(Bytes(8, 'q'), 8, cipher, length));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(length, 16u);
}

TEST(CryptConformance, DecryptRestoresThePlainTextAndRejectsMalformedCipherText) {
  PassPhraseKey key;
  ASSERT_TRUE(key.ok());
  Bytes data = kCipherOfSixteenLetters;
  ASSERT_TRUE(key.Decrypt(data));
  EXPECT_EQ(data, BytesOf("abcdefghijklmnop"));

  Bytes empty = key.Encrypt(Bytes());
  ASSERT_EQ(empty.size(), 8u);
  ASSERT_TRUE(key.Decrypt(empty));
  EXPECT_TRUE(empty.empty());

  Bytes ragged(kCipherOfSixteenLetters.begin(), kCipherOfSixteenLetters.end() - 3);
  SetLastError(0);
  EXPECT_FALSE(key.Decrypt(ragged));
  EXPECT_EQ(LastErrorCode(), NTE_BAD_DATA);
}

TEST(CryptConformance, DecryptRejectsInvalidPadding) {
  PassPhraseKey key;
  ASSERT_TRUE(key.ok());
  // Blocks whose last plain byte is no valid pad length (0, or more than a block).
  for (BYTE padByte : {BYTE{0}, BYTE{9}, BYTE{0xFF}}) {
    Bytes plain(16, 'q');
    plain.back() = padByte;
    Bytes cipher = key.EncryptBlocks(plain);
    ASSERT_EQ(cipher.size(), 16u);
    SetLastError(0);
    EXPECT_FALSE(key.Decrypt(cipher)) << int{padByte};
    EXPECT_EQ(LastErrorCode(), NTE_BAD_DATA) << int{padByte};
  }
}

}  // namespace
