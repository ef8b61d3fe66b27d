#include "util/qv_crypt_context.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kProviderName[] = "Microsoft Enhanced Cryptographic Provider v1.0";
constexpr DWORD kEffectiveKeyBits = 128;

}  // namespace

QVCryptContext::QVCryptContext(const QVString& passPhrase) {
  if (!CryptAcquireContextA(&m_provider, nullptr, kProviderName, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT)) {
    m_provider = 0;
    return;
  }
  if (!CryptCreateHash(m_provider, CALG_MD5, 0, 0, &m_hash)) {
    m_hash = 0;
    return;
  }
  // The length is taken before the switch to narrow. A wide key holding a NUL unit converts
  // to fewer bytes than it has units, so never hash beyond the narrow text itself.
  const int length = passPhrase.GetLength();
  const char* bytes = passPhrase.GetNarrow();
  const DWORD count = static_cast<DWORD>(
      std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), std::strlen(bytes)));
  if (!CryptHashData(m_hash, reinterpret_cast<const BYTE*>(bytes), count, 0)) return;
  if (!CryptDeriveKey(m_provider, CALG_RC2, m_hash, CRYPT_EXPORTABLE, &m_key)) {
    m_key = 0;
    return;
  }
  m_effectiveLengthSet =
      CryptSetKeyParam(m_key, KP_EFFECTIVE_KEYLEN,
                       reinterpret_cast<const BYTE*>(&kEffectiveKeyBits), 0) != FALSE;
}

QVCryptContext::~QVCryptContext() {
  if (m_key) CryptDestroyKey(m_key);
  if (m_hash) CryptDestroyHash(m_hash);
  if (m_provider) CryptReleaseContext(m_provider, 0);
}
