// DecryptString of a maximum-size list beside what it cannot avoid: the raw RC2-CBC decryption
// of the same cipher bytes in libcrypto, and one Base64 pass. docs/PERFORMANCE.md compares them.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <string>
#include <vector>

#include "util/qv_encryption.h"

namespace {

const QVString kPassPhrase("MARBLEOTTERKITE");

std::string MaximumPlainList() {
  std::string list;
  for (int id = 100; list.size() + 17 <= 7671; ++id) list += std::to_string(id) + " 00110100 GNR\n";
  list.resize(7671, '\n');
  return list;
}

std::string MaximumCipherText() {
  QVString text(MaximumPlainList().c_str());
  QVEncryption::EncryptString(text, kPassPhrase);
  return text.GetNarrow();
}

std::vector<unsigned char> DecodedCipher(const std::string& base64) {
  std::vector<unsigned char> bytes(base64.size());
  DWORD length = static_cast<DWORD>(bytes.size());
  std::string copy = base64;
  QVEncryption::DecodeBase64(copy.data(), bytes.data(), length);
  bytes.resize(length);
  return bytes;
}

void BM_DecryptStringMaximumList(benchmark::State& state) {
  const std::string cipher = MaximumCipherText();
  for (auto _ : state) {
    QVString text(cipher.c_str());
    benchmark::DoNotOptimize(QVEncryption::DecryptString(text, kPassPhrase));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * cipher.size()));
}
BENCHMARK(BM_DecryptStringMaximumList);

// Reference: libcrypto alone, key = MD5 of the pass phrase, zero IV, PKCS padding.
void BM_RawRc2CbcDecrypt(benchmark::State& state) {
  OSSL_PROVIDER_load(nullptr, "legacy");
  OSSL_PROVIDER_load(nullptr, "default");
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "RC2-CBC", nullptr);
  unsigned char key[16];
  unsigned int keyLength = 0;
  EVP_Digest("MARBLEOTTERKITE", 15, key, &keyLength, EVP_md5(), nullptr);
  const std::vector<unsigned char> input = DecodedCipher(MaximumCipherText());
  std::vector<unsigned char> output(input.size() + 16);
  const unsigned char iv[8] = {};
  for (auto _ : state) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int produced = 0, tail = 0;
    EVP_DecryptInit_ex(ctx, cipher, nullptr, nullptr, nullptr);
    EVP_CIPHER_CTX_set_key_length(ctx, 16);
    EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, 128, nullptr);
    EVP_DecryptInit_ex(ctx, nullptr, nullptr, key, iv);
    EVP_DecryptUpdate(ctx, output.data(), &produced, input.data(), static_cast<int>(input.size()));
    EVP_DecryptFinal_ex(ctx, output.data() + produced, &tail);
    EVP_CIPHER_CTX_free(ctx);
    benchmark::DoNotOptimize(output.data());
  }
  EVP_CIPHER_free(cipher);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_RawRc2CbcDecrypt);

void BM_EncodeBase64(benchmark::State& state) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(state.range(0)));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 31);
  for (auto _ : state) {
    QVString text =
        QVEncryption::EncodeBase64(bytes.data(), static_cast<unsigned>(bytes.size()), false);
    benchmark::DoNotOptimize(text.GetLength());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_EncodeBase64)->Arg(7672);

void BM_DecodeBase64(benchmark::State& state) {
  const std::string cipher = MaximumCipherText();
  std::vector<unsigned char> out(cipher.size());
  std::string text = cipher;
  for (auto _ : state) {
    DWORD length = static_cast<DWORD>(out.size());
    benchmark::DoNotOptimize(QVEncryption::DecodeBase64(text.data(), out.data(), length));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * cipher.size()));
}
BENCHMARK(BM_DecodeBase64);

}  // namespace
