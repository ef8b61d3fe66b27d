// CryptoAPI for the stand-in: the calls string encryption makes, on OpenSSL's libcrypto (MD5,
// and RC2-CBC from the legacy provider), with CryptoAPI's contract and failure codes. The one
// provider offered is the Enhanced RSA provider, ephemeral contexts only.
#pragma once

#include "winapi/posix/types.h"

using HCRYPTPROV = ULONG_PTR;
using HCRYPTHASH = ULONG_PTR;
using HCRYPTKEY = ULONG_PTR;
using ALG_ID = unsigned int;

#define MS_ENHANCED_PROV_A "Microsoft Enhanced Cryptographic Provider v1.0"
#define MS_DEF_PROV_A "Microsoft Base Cryptographic Provider v1.0"
#define PROV_RSA_FULL 1
#define CRYPT_VERIFYCONTEXT 0xF0000000u
#define CRYPT_EXPORTABLE 0x00000001u
#define CALG_MD5 0x00008003u
#define CALG_RC2 0x00006602u
#define KP_IV 1
#define KP_EFFECTIVE_KEYLEN 19

#define NTE_BAD_UID QV_HRESULT(0x80090001u)
#define NTE_BAD_HASH QV_HRESULT(0x80090002u)
#define NTE_BAD_KEY QV_HRESULT(0x80090003u)
#define NTE_BAD_LEN QV_HRESULT(0x80090004u)
#define NTE_BAD_DATA QV_HRESULT(0x80090005u)
#define NTE_BAD_ALGID QV_HRESULT(0x80090008u)
#define NTE_BAD_FLAGS QV_HRESULT(0x80090009u)
#define NTE_BAD_TYPE QV_HRESULT(0x8009000Au)
#define NTE_BAD_KEY_STATE QV_HRESULT(0x8009000Bu)
#define NTE_BAD_HASH_STATE QV_HRESULT(0x8009000Cu)
#define NTE_BAD_KEYSET QV_HRESULT(0x80090016u)
#define NTE_PROV_TYPE_NOT_DEF QV_HRESULT(0x80090017u)
#define NTE_KEYSET_NOT_DEF QV_HRESULT(0x80090019u)
#define NTE_PROVIDER_DLL_FAIL QV_HRESULT(0x8009001Du)

BOOL WINAPI CryptAcquireContextA(HCRYPTPROV* provider, LPCSTR container, LPCSTR providerName,
                                 DWORD providerType, DWORD flags);
BOOL WINAPI CryptReleaseContext(HCRYPTPROV provider, DWORD flags);
BOOL WINAPI CryptCreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags,
                            HCRYPTHASH* hash);
BOOL WINAPI CryptHashData(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags);
BOOL WINAPI CryptDestroyHash(HCRYPTHASH hash);
BOOL WINAPI CryptDeriveKey(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTHASH hash, DWORD flags,
                           HCRYPTKEY* key);
BOOL WINAPI CryptSetKeyParam(HCRYPTKEY key, DWORD param, const BYTE* data, DWORD flags);
BOOL WINAPI CryptDestroyKey(HCRYPTKEY key);
BOOL WINAPI CryptEncrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                         DWORD* dataLength, DWORD bufferLength);
BOOL WINAPI CryptDecrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                         DWORD* dataLength);
