// The block copy behind xMemcpy's large copies: the streaming copy beside glibc's memcpy, at
// the sizes xMemcpy hands to it (0x2C000 bytes and up).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "ostrel/base/fastmem.h"

namespace {
template <void* (*Copy)(void*, const void*, size_t)>
void Run(benchmark::State& state) {
  const auto n = static_cast<size_t>(state.range(0));
  std::vector<char> src(n, 'x'), dst(n);
  for (auto _ : state) {
    Copy(dst.data(), src.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

void* Glibc(void* d, const void* s, size_t n) { return std::memcpy(d, s, n); }
void* Streaming(void* d, const void* s, size_t n) { return CFastMem::memcpySSE(d, s, n); }
void* Chosen(void* d, const void* s, size_t n) { return CFastMem::memcpy(d, s, n); }

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t n : {0x2C000, 0x40000, 0x80000, 1 << 20, 8 << 20, 64 << 20}) b->Arg(n);
}
}  // namespace

BENCHMARK(Run<Glibc>)->Name("memcpy/glibc")->Apply(Sizes);
BENCHMARK(Run<Streaming>)->Name("memcpy/CFastMem::memcpySSE")->Apply(Sizes);
BENCHMARK(Run<Chosen>)->Name("memcpy/CFastMem::memcpy")->Apply(Sizes);
BENCHMARK_MAIN();
