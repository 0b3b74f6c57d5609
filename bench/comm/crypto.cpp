// Throughput of the enciphered links: a pair of remote links on 127.0.0.1 in one process moves
// 1 MiB (16 raw packets of 64 KiB) from client to server, plain, under TLS and under the KVT
// link. Each enciphered link is set beside the plain link and beside OpenSSL's raw speed for the
// same cipher and the same bytes, enciphered and deciphered once (TLS: the negotiated AES-256-GCM;
// KVT: Blowfish-CBC, through the legacy provider), as `openssl speed -evp` measures it. Last, the
// KVT link's own Blowfish-CBC beside OpenSSL's.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdio>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/crypto/blowfish.h"
#include "ostrelcomm/kvtlink.h"
#include "comm/linkpair.h"
#include "comm/sections.h"

namespace {

using namespace commbench;

constexpr size_t kPacket = 64 * 1024;
constexpr int kPackets = 16;
constexpr size_t kTotal = kPacket * kPackets;

void Link(benchmark::State& state, EKind kind) {
  CLinkPair pair(kind);
  if (pair.Broken()) {
    state.SkipWithError("the links did not connect");
    return;
  }
  if (kind == EKind::kTls) state.SetLabel(pair.Cipher());
  const std::vector<uint8_t> payload = Pattern(kPacket);
  for (auto _ : state)
    if (!pair.Move(payload, kPackets)) {
      state.SkipWithError("packets went missing");
      break;
    }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
}

// One pass of OpenSSL's cipher over the bytes in each direction, as the two ends of a link do.
void OpensslCipher(benchmark::State& state, const char* name) {
  static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
  static OSSL_PROVIDER* deflt = OSSL_PROVIDER_load(nullptr, "default");
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
  if (!legacy || !deflt || !cipher) {
    state.SkipWithError("the cipher is not available");
    return;
  }
  const std::vector<uint8_t> key(static_cast<size_t>(EVP_CIPHER_get_key_length(cipher)), 7);
  std::vector<uint8_t> iv(static_cast<size_t>(EVP_CIPHER_get_iv_length(cipher)), 0);
  std::vector<uint8_t> plain = Pattern(kTotal), sealed(kTotal + 64), opened(kTotal + 64);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  state.SetLabel(name);
  for (auto _ : state) {
    int n = 0;
    EVP_EncryptInit_ex2(ctx, cipher, key.data(), iv.data(), nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_EncryptUpdate(ctx, sealed.data(), &n, plain.data(), static_cast<int>(kTotal));
    EVP_EncryptFinal_ex(ctx, sealed.data() + n, &n);
    EVP_DecryptInit_ex2(ctx, cipher, key.data(), iv.data(), nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_DecryptUpdate(ctx, opened.data(), &n, sealed.data(), static_cast<int>(kTotal));
    benchmark::DoNotOptimize(opened.data());
  }
  EVP_CIPHER_CTX_free(ctx);
  EVP_CIPHER_free(cipher);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
}

void KvtCipher(benchmark::State& state) {
  const uint8_t key[KVT_KEY_SIZE] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
  CBlowfish bf;
  bf.Init(key, KVT_KEY_SIZE);
  std::vector<uint8_t> data = Pattern(kTotal);
  for (auto _ : state) {
    uint32_t send[2] = {0, 0}, recv[2] = {0, 0};
    xKvtEncipherCbc(bf, send, data.data(), static_cast<uint32_t>(kTotal));
    xKvtDecipherCbc(bf, recv, data.data(), static_cast<uint32_t>(kTotal));
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
}

}  // namespace

bool BeginCrypto() {
  benchmark::RegisterBenchmark("Tls_1MiB/plain", Link, EKind::kPlain);
  benchmark::RegisterBenchmark("Tls_1MiB/ostrel", Link, EKind::kTls);
  benchmark::RegisterBenchmark("Tls_1MiB/openssl_cipher", OpensslCipher, "AES-256-GCM");
  benchmark::RegisterBenchmark("Kvt_1MiB/plain", Link, EKind::kPlain);
  benchmark::RegisterBenchmark("Kvt_1MiB/ostrel", Link, EKind::kKvt);
  benchmark::RegisterBenchmark("Kvt_1MiB/openssl_cipher", OpensslCipher, "BF-CBC");
  benchmark::RegisterBenchmark("BlowfishCbc_1MiB/ostrel", KvtCipher);
  benchmark::RegisterBenchmark("BlowfishCbc_1MiB/openssl_cipher", OpensslCipher, "BF-CBC");
  return true;
}

void EndCrypto() {}
