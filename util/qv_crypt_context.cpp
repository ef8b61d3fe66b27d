#include "util/qv_crypt_context.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kProviderName[] = "Microsoft Enhanced Cryptographic Provider v1.0";
constexpr DWORD kEffectiveKeyBits = 128;

}  // namespace

QVCryptContext::QVCryptContext(const QVString& passPhrase) {
  if (!CryptAcquireContextA(&provider_, nullptr, kProviderName, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT)) {
    provider_ = 0;
    return;
  }
  if (!CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) {
    hash_ = 0;
    return;
  }
  // The length is taken before the switch to narrow. A wide key holding a NUL unit converts
  // to fewer bytes than it has units, so never hash beyond the narrow text itself.
  const int length = passPhrase.GetLength();
  const char* bytes = passPhrase.GetNarrow();
  const DWORD count = static_cast<DWORD>(
      std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), std::strlen(bytes)));
  if (!CryptHashData(hash_, reinterpret_cast<const BYTE*>(bytes), count, 0)) return;
  if (!CryptDeriveKey(provider_, CALG_RC2, hash_, CRYPT_EXPORTABLE, &key_)) {
    key_ = 0;
    return;
  }
  effectiveLengthSet_ =
      CryptSetKeyParam(key_, KP_EFFECTIVE_KEYLEN, reinterpret_cast<const BYTE*>(&kEffectiveKeyBits),
                       0) != FALSE;
}

QVCryptContext::~QVCryptContext() {
  if (key_) CryptDestroyKey(key_);
  if (hash_) CryptDestroyHash(hash_);
  if (provider_) CryptReleaseContext(provider_, 0);
}
