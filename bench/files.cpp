// LZSS against zlib (levels 1 and 6) on the same inputs, and the CRC-32 against zlib's crc32.
// The counter "ratio" is coded size / input size.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/files/crc.h"

namespace {
constexpr size_t kSize = 1 << 20;

// Text of a lobby log: words, numbers and repeated lines.
std::vector<uint8_t> MakeText() {
  std::mt19937 rng(1);
  const char* words[] = {"player ", "dealer ", "table ", "joined ", "left ", "bet ", "won ", "chips ",
                         "blackjack ", "split ", "double ", "insurance ", "\n"};
  std::string s;
  while (s.size() < kSize) {
    s += words[rng() % 13];
    if (rng() % 5 == 0) s += std::to_string(rng() % 10000) + " ";
  }
  return {s.begin(), s.begin() + kSize};
}

// Fixed-size binary records, as packed session data have them.
std::vector<uint8_t> MakeRecords() {
  std::mt19937 rng(2);
  std::vector<uint8_t> v;
  for (uint32_t i = 0; v.size() < kSize; ++i) {
    uint32_t fields[6] = {i, i * 3 + 1000, static_cast<uint32_t>(rng() % 52), static_cast<uint32_t>(rng() % 7), 250,
                          static_cast<uint32_t>(rng() % 100000)};
    const uint8_t* p = reinterpret_cast<const uint8_t*>(fields);
    v.insert(v.end(), p, p + sizeof fields);
  }
  v.resize(kSize);
  return v;
}

const std::vector<uint8_t>& Input(int64_t which) {
  static const std::vector<uint8_t> text = MakeText(), records = MakeRecords();
  return which == 0 ? text : records;
}

void LzssCompress(benchmark::State& state) {
  const auto& in = Input(state.range(0));
  CLzss lz;
  uint32_t len = 0;
  for (auto _ : state) {
    len = static_cast<uint32_t>(in.size());
    uint8_t* out = lz.CompressBuffer(in.data(), &len);
    benchmark::DoNotOptimize(out);
    xFree(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(len) / static_cast<double>(in.size());
}

void ZlibCompress(benchmark::State& state) {
  const auto& in = Input(state.range(0));
  std::vector<uint8_t> out(compressBound(in.size()));
  uLongf len = 0;
  for (auto _ : state) {
    len = out.size();
    compress2(out.data(), &len, in.data(), in.size(), static_cast<int>(state.range(1)));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(len) / static_cast<double>(in.size());
}

// Expansion speed counts the expanded bytes.
void LzssExpand(benchmark::State& state) {
  const auto& in = Input(state.range(0));
  CLzss lz;
  uint32_t codedLen = static_cast<uint32_t>(in.size());
  uint8_t* coded = lz.CompressBuffer(in.data(), &codedLen);
  std::vector<uint8_t> out(in.size());
  for (auto _ : state) {
    uint32_t len = static_cast<uint32_t>(out.size());
    if (!lz.ExpandBuffer(coded, codedLen, out.data(), &len)) state.SkipWithError("expand failed");
    benchmark::DoNotOptimize(out.data());
  }
  if (out != in) state.SkipWithError("round trip differs");
  xFree(coded);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void ZlibExpand(benchmark::State& state) {
  const auto& in = Input(state.range(0));
  std::vector<uint8_t> coded(compressBound(in.size()));
  uLongf codedLen = coded.size();
  compress2(coded.data(), &codedLen, in.data(), in.size(), static_cast<int>(state.range(1)));
  std::vector<uint8_t> out(in.size());
  for (auto _ : state) {
    uLongf len = out.size();
    uncompress(out.data(), &len, coded.data(), codedLen);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

// Argument: bytes from the front of the text (a typical installed file, and 1 MB).
void Crc32(benchmark::State& state) {
  const auto& in = Input(0);
  const uint32_t len = static_cast<uint32_t>(state.range(0));
  uint32_t crc = 0;
  for (auto _ : state) {
    xCalcCRC(in.data(), len, &crc, XCRC_POLY);
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * len));
}

void ZlibCrc32(benchmark::State& state) {
  const auto& in = Input(0);
  const uInt len = static_cast<uInt>(state.range(0));
  uLong crc = 0;
  for (auto _ : state) {
    crc = crc32(0, in.data(), len);
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * len));
}
}  // namespace

// Argument 0: 0 text, 1 records; argument 1: zlib level.
BENCHMARK(LzssCompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibCompress)->Args({0, 1})->Args({0, 6})->Args({1, 1})->Args({1, 6})->Unit(benchmark::kMillisecond);
BENCHMARK(LzssExpand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibExpand)->Args({0, 1})->Args({0, 6})->Args({1, 1})->Args({1, 6})->Unit(benchmark::kMillisecond);
BENCHMARK(Crc32)->Arg(20 * 1024)->Arg(kSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(ZlibCrc32)->Arg(20 * 1024)->Arg(kSize)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
