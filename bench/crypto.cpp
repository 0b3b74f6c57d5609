// Blowfish (ECB and CBC encryption) and MD5 throughput beside OpenSSL's, with the ratios printed
// at the end (ours / OpenSSL's; above 1 means faster).
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/md5.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ostrel/crypto/blowfish.h"
#include "ostrel/crypto/md5.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;

std::vector<uint8_t> RandomBuffer(size_t n) {
  std::mt19937 gen(5);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(gen());
  return v;
}

const uint8_t kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87};

// Bytes map to the halves big-endian, as OpenSSL's block functions map them.
inline uint32_t Load(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline void Store(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

void BM_BlowfishEcb_Ours(benchmark::State& state) {
  std::vector<uint8_t> buf = RandomBuffer(kBufferSize);
  CBlowfish bf;
  bf.Init(kKey, sizeof kKey);
  for (auto _ : state) {
    for (size_t i = 0; i < buf.size(); i += 8) {
      uint32_t l = Load(&buf[i]), r = Load(&buf[i + 4]);
      bf.Encrypt(&l, &r);
      Store(&buf[i], l);
      Store(&buf[i + 4], r);
    }
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void BM_BlowfishEcb_OpenSSL(benchmark::State& state) {
  std::vector<uint8_t> buf = RandomBuffer(kBufferSize);
  BF_KEY key;
  BF_set_key(&key, sizeof kKey, kKey);
  for (auto _ : state) {
    for (size_t i = 0; i < buf.size(); i += 8) BF_ecb_encrypt(&buf[i], &buf[i], &key, BF_ENCRYPT);
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void BM_BlowfishCbc_Ours(benchmark::State& state) {
  std::vector<uint8_t> buf = RandomBuffer(kBufferSize);
  CBlowfish bf;
  bf.Init(kKey, sizeof kKey);
  for (auto _ : state) {
    uint32_t cl = 0, cr = 0;
    for (size_t i = 0; i < buf.size(); i += 8) {
      cl ^= Load(&buf[i]);
      cr ^= Load(&buf[i + 4]);
      bf.Encrypt(&cl, &cr);
      Store(&buf[i], cl);
      Store(&buf[i + 4], cr);
    }
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void BM_BlowfishCbc_OpenSSL(benchmark::State& state) {
  std::vector<uint8_t> buf = RandomBuffer(kBufferSize);
  BF_KEY key;
  BF_set_key(&key, sizeof kKey, kKey);
  for (auto _ : state) {
    uint8_t iv[8] = {};
    BF_cbc_encrypt(buf.data(), buf.data(), long(buf.size()), &key, iv, BF_ENCRYPT);
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void BM_MD5_Ours(benchmark::State& state) {
  std::vector<uint8_t> buf = RandomBuffer(kBufferSize);
  CMD5 md5;
  uint8_t digest[16];
  for (auto _ : state) {
    md5.DigestBinary(digest, buf.data(), buf.size());
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

void BM_MD5_OpenSSL(benchmark::State& state) {
  std::vector<uint8_t> buf = RandomBuffer(kBufferSize);
  uint8_t digest[16];
  for (auto _ : state) {
    MD5(buf.data(), buf.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buf.size()));
}

BENCHMARK(BM_BlowfishEcb_Ours);
BENCHMARK(BM_BlowfishEcb_OpenSSL);
BENCHMARK(BM_BlowfishCbc_Ours);
BENCHMARK(BM_BlowfishCbc_OpenSSL);
BENCHMARK(BM_MD5_Ours);
BENCHMARK(BM_MD5_OpenSSL);

// Console output as usual, and the throughput of each run kept for the ratios.
class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) m_Rate[run.benchmark_name()] = it->second.value;
    }
  }
  void PrintRatios() const {
    for (const auto& [name, rate] : m_Rate) {
      const std::string suffix = "_Ours";
      if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
      std::string base = name.substr(0, name.size() - suffix.size());
      auto ref = m_Rate.find(base + "_OpenSSL");
      if (ref == m_Rate.end() || ref->second <= 0) continue;
      std::printf("%-16s ours %8.1f MB/s, OpenSSL %8.1f MB/s, ratio %.2f\n", base.c_str() + 3, rate / 1e6,
                  ref->second / 1e6, rate / ref->second);
    }
  }

 private:
  std::map<std::string, double> m_Rate;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
