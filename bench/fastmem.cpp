// The block copy behind xMemcpy's large copies (0x2C000 bytes and up): the copy the library
// chose (ostrel) and the streaming line copy (ostrel_sse) beside glibc's memcpy, on two heap
// blocks as a program has them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/base/fastmem.h"
#include "ratioreporter.h"

namespace {
void Run(benchmark::State& state, CFastMem::TCopyFunc copy, size_t n) {
  std::vector<char> src(n, 'x'), dst(n);
  for (auto _ : state) {
    copy(dst.data(), src.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

void* Glibc(void* d, const void* s, size_t n) { return std::memcpy(d, s, n); }
}  // namespace

int main(int argc, char** argv) {
  for (size_t n : {size_t{0x2C000}, size_t{0x40000}, size_t{0x80000}, size_t{1} << 20, size_t{8} << 20,
                   size_t{64} << 20}) {
    const std::string name = "memcpy_" + std::to_string(n >> 10) + "K/";
    benchmark::RegisterBenchmark((name + "glibc").c_str(), Run, Glibc, n);
    benchmark::RegisterBenchmark((name + "ostrel").c_str(), Run, CFastMem::memcpy, n);
    benchmark::RegisterBenchmark((name + "ostrel_sse").c_str(), Run, CFastMem::memcpySSE, n);
  }
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("glibc", "<= 1.0");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
