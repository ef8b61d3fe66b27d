#include "winapi/posix/crypt.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "winapi/posix/last_error.h"
#include "winapi/posix/ledger.h"

namespace {

using qv::standin::Resource;

constexpr DWORD kBlockSize = 8;
constexpr DWORD kDefaultRc2KeyBits = 128;       // the Enhanced provider's default key length
constexpr DWORD kDefaultRc2EffectiveBits = 40;  // and its historic default effective length

struct Provider {};

struct Hash {
  std::vector<BYTE> data;
  bool finished = false;  // a hash that has given a key or a value takes no more data
};

struct Key {
  std::vector<BYTE> material;
  DWORD effectiveBits = kDefaultRc2EffectiveBits;
};

// Live handles of each kind, so a stale or foreign handle fails like CryptoAPI's checks do.
template <typename Object>
std::set<Object*>& Live() {
  static std::set<Object*>* live = new std::set<Object*>;
  return *live;
}

template <typename Object>
Object* Find(ULONG_PTR handle) {
  auto* object = reinterpret_cast<Object*>(handle);
  return Live<Object>().count(object) ? object : nullptr;
}

template <typename Object>
ULONG_PTR Register(std::unique_ptr<Object> object, Resource kind) {
  qv::standin::Acquire(kind);
  Object* raw = object.release();
  Live<Object>().insert(raw);
  return reinterpret_cast<ULONG_PTR>(raw);
}

template <typename Object>
BOOL Destroy(ULONG_PTR handle, Resource kind) {
  Object* object = Find<Object>(handle);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Live<Object>().erase(object);
  delete object;
  qv::standin::Release(kind);
  return TRUE;
}

BOOL Fail(HRESULT error) {
  SetLastError(static_cast<DWORD>(error));
  return FALSE;
}

// RC2 lives in OpenSSL's legacy provider; load it once next to the default provider.
const EVP_CIPHER* Rc2Cbc() {
  static const EVP_CIPHER* cipher = [] {
    OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER_load(nullptr, "default");
    return EVP_CIPHER_fetch(nullptr, "RC2-CBC", nullptr);
  }();
  return cipher;
}

// One CBC pass over whole blocks with a zero IV and no padding of OpenSSL's own.
bool Rc2Transform(const Key& key, bool encrypt, BYTE* data, DWORD length) {
  const EVP_CIPHER* cipher = Rc2Cbc();
  if (cipher == nullptr) return false;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      &EVP_CIPHER_CTX_free);
  const unsigned char iv[kBlockSize] = {};
  const int keyLength = static_cast<int>(key.material.size());
  int produced = 0;
  int finalBytes = 0;
  return ctx && EVP_CipherInit_ex(ctx.get(), cipher, nullptr, nullptr, nullptr, encrypt) == 1 &&
         EVP_CIPHER_CTX_set_key_length(ctx.get(), keyLength) == 1 &&
         EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS,
                             static_cast<int>(key.effectiveBits), nullptr) == 1 &&
         EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.material.data(), iv, encrypt) == 1 &&
         EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
         EVP_CipherUpdate(ctx.get(), data, &produced, data, static_cast<int>(length)) == 1 &&
         EVP_CipherFinal_ex(ctx.get(), data + produced, &finalBytes) == 1;
}

std::vector<BYTE> Md5(const std::vector<BYTE>& data) {
  std::vector<BYTE> digest(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), digest.data(), &size, EVP_md5(), nullptr) != 1)
    return {};
  digest.resize(size);
  return digest;
}

}  // namespace

BOOL WINAPI CryptAcquireContextA(HCRYPTPROV* provider, LPCSTR container, LPCSTR providerName,
                                 DWORD providerType, DWORD flags) {
  if (qv::standin::ShouldFail("CryptAcquireContextA")) return Fail(NTE_PROVIDER_DLL_FAIL);
  if (provider == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *provider = 0;
  if (providerType != PROV_RSA_FULL) return Fail(NTE_PROV_TYPE_NOT_DEF);
  if (providerName != nullptr && std::strcmp(providerName, MS_ENHANCED_PROV_A) != 0)
    return Fail(NTE_KEYSET_NOT_DEF);
  if (flags != CRYPT_VERIFYCONTEXT) return Fail(NTE_BAD_KEYSET);  // no key containers here
  if (container != nullptr) return Fail(NTE_BAD_FLAGS);
  *provider = Register(std::make_unique<Provider>(), Resource::CryptProvider);
  return TRUE;
}

BOOL WINAPI CryptReleaseContext(HCRYPTPROV provider, DWORD flags) {
  if (qv::standin::ShouldFail("CryptReleaseContext")) return Fail(NTE_BAD_UID);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (Find<Provider>(provider) == nullptr) return Fail(NTE_BAD_UID);
  return Destroy<Provider>(provider, Resource::CryptProvider);
}

BOOL WINAPI CryptCreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags,
                            HCRYPTHASH* hash) {
  if (qv::standin::ShouldFail("CryptCreateHash")) return Fail(NTE_BAD_ALGID);
  if (hash == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *hash = 0;
  if (Find<Provider>(provider) == nullptr) return Fail(NTE_BAD_UID);
  if (algorithm != CALG_MD5) return Fail(NTE_BAD_ALGID);
  if (key != 0) return Fail(NTE_BAD_KEY);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  *hash = Register(std::make_unique<Hash>(), Resource::CryptHash);
  return TRUE;
}

BOOL WINAPI CryptHashData(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags) {
  if (qv::standin::ShouldFail("CryptHashData")) return Fail(NTE_BAD_HASH);
  Hash* object = Find<Hash>(hash);
  if (object == nullptr) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (object->finished) return Fail(NTE_BAD_HASH_STATE);
  if (length > 0 && data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  object->data.insert(object->data.end(), data, data + length);
  return TRUE;
}

BOOL WINAPI CryptDestroyHash(HCRYPTHASH hash) {
  if (qv::standin::ShouldFail("CryptDestroyHash")) return Fail(NTE_BAD_HASH);
  if (Find<Hash>(hash) == nullptr) return Fail(NTE_BAD_HASH);
  return Destroy<Hash>(hash, Resource::CryptHash);
}

BOOL WINAPI CryptDeriveKey(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTHASH hash, DWORD flags,
                           HCRYPTKEY* key) {
  if (qv::standin::ShouldFail("CryptDeriveKey")) return Fail(NTE_BAD_ALGID);
  if (key == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *key = 0;
  if (Find<Provider>(provider) == nullptr) return Fail(NTE_BAD_UID);
  Hash* source = Find<Hash>(hash);
  if (source == nullptr) return Fail(NTE_BAD_HASH);
  if (algorithm != CALG_RC2 || Rc2Cbc() == nullptr) return Fail(NTE_BAD_ALGID);
  DWORD keyBits = flags >> 16;
  if (keyBits == 0) keyBits = kDefaultRc2KeyBits;
  if (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0) return Fail(NTE_BAD_FLAGS);
  if ((flags & 0xFFFFu & ~CRYPT_EXPORTABLE) != 0) return Fail(NTE_BAD_FLAGS);
  // The key bytes are the leading bytes of the digest; a 128-bit key is the whole MD5 value.
  std::vector<BYTE> digest = Md5(source->data);
  if (digest.empty()) return Fail(NTE_BAD_HASH);
  source->finished = true;
  auto derived = std::make_unique<Key>();
  derived->material.assign(digest.begin(), digest.begin() + keyBits / 8);
  *key = Register(std::move(derived), Resource::CryptKey);
  return TRUE;
}

BOOL WINAPI CryptSetKeyParam(HCRYPTKEY key, DWORD param, const BYTE* data, DWORD flags) {
  if (qv::standin::ShouldFail("CryptSetKeyParam")) return Fail(NTE_BAD_KEY);
  Key* object = Find<Key>(key);
  if (object == nullptr) return Fail(NTE_BAD_KEY);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (param != KP_EFFECTIVE_KEYLEN) return Fail(NTE_BAD_TYPE);
  if (data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  DWORD bits = 0;
  std::memcpy(&bits, data, sizeof bits);
  if (bits < 1 || bits > 1024) return Fail(NTE_BAD_DATA);
  object->effectiveBits = bits;
  return TRUE;
}

BOOL WINAPI CryptDestroyKey(HCRYPTKEY key) {
  if (qv::standin::ShouldFail("CryptDestroyKey")) return Fail(NTE_BAD_KEY);
  if (Find<Key>(key) == nullptr) return Fail(NTE_BAD_KEY);
  return Destroy<Key>(key, Resource::CryptKey);
}

BOOL WINAPI CryptEncrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                         DWORD* dataLength, DWORD bufferLength) {
  if (qv::standin::ShouldFail("CryptEncrypt")) return Fail(NTE_BAD_KEY);
  const Key* object = Find<Key>(key);
  if (object == nullptr) return Fail(NTE_BAD_KEY);
  if (hash != 0) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (dataLength == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD plainLength = *dataLength;
  if (!final) {
    if (plainLength % kBlockSize != 0) return Fail(NTE_BAD_DATA);
    return Rc2Transform(*object, true, data, plainLength) ? TRUE : Fail(NTE_BAD_DATA);
  }
  // PKCS #5 padding: 1 to 8 bytes, each holding the pad length.
  const DWORD padding = kBlockSize - plainLength % kBlockSize;
  const DWORD cipherLength = plainLength + padding;
  *dataLength = cipherLength;
  if (data == nullptr) return TRUE;  // size query
  if (cipherLength > bufferLength) return Fail(ERROR_MORE_DATA);
  std::memset(data + plainLength, static_cast<int>(padding), padding);
  return Rc2Transform(*object, true, data, cipherLength) ? TRUE : Fail(NTE_BAD_DATA);
}

BOOL WINAPI CryptDecrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                         DWORD* dataLength) {
  if (qv::standin::ShouldFail("CryptDecrypt")) return Fail(NTE_BAD_DATA);
  const Key* object = Find<Key>(key);
  if (object == nullptr) return Fail(NTE_BAD_KEY);
  if (hash != 0) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (dataLength == nullptr || data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD cipherLength = *dataLength;
  if (cipherLength % kBlockSize != 0) return Fail(NTE_BAD_DATA);
  if (cipherLength == 0) return final ? Fail(NTE_BAD_DATA) : TRUE;
  if (!Rc2Transform(*object, false, data, cipherLength)) return Fail(NTE_BAD_DATA);
  if (!final) return TRUE;
  const BYTE padding = data[cipherLength - 1];
  if (padding < 1 || padding > kBlockSize) return Fail(NTE_BAD_DATA);
  for (DWORD i = cipherLength - padding; i < cipherLength; ++i)
    if (data[i] != padding) return Fail(NTE_BAD_DATA);
  *dataLength = cipherLength - padding;
  return TRUE;
}
