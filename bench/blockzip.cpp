// The block compressor against bzip2 -9 and xz -6 (their libraries) on the same inputs: the
// project's own sources as text, the built runtime library as a binary, and random bytes.
// The counter "ratio" is packed size / input size; bytes_per_second counts unpacked bytes;
// peak_MiB is the most memory one unpacking adds to the process (peak_per_MiB_out per MiB of
// output).
#include <benchmark/benchmark.h>
#include <bzlib.h>
#include <dlfcn.h>
#include <lzma.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ostrel/compression/zzip.h"
#include "ostrel/system/memhooks.h"

namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Every source and header of the libraries and tests, in a fixed order.
Bytes MakeText() {
  // The checkout: this file's folder's parent, or else two folders above the program (build/bench).
  fs::path root = fs::path(__FILE__).parent_path().parent_path();
  if (!fs::exists(root / "libs")) root = fs::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path();
  std::vector<fs::path> files;
  for (const char* dir : {"libs", "tests"}) {
    if (!fs::exists(root / dir)) continue;
    for (const auto& e : fs::recursive_directory_iterator(root / dir)) {
      const std::string ext = e.path().extension().string();
      if (e.is_regular_file() && (ext == ".cpp" || ext == ".h" || ext == ".py" || ext == ".txt")) files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  Bytes all;
  for (const fs::path& p : files) {
    const Bytes b = ReadFile(p);
    all.insert(all.end(), b.begin(), b.end());
  }
  return all;
}

// The runtime library this program runs with.
Bytes MakeBinary() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&xSysAllocMemFunc), &info) || !info.dli_fname) return {};
  return ReadFile(info.dli_fname);
}

Bytes MakeRandom() {
  std::mt19937 rng(3);
  Bytes b(4 << 20);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

const Bytes& Input(int64_t which) {
  static const Bytes text = MakeText(), binary = MakeBinary(), random = MakeRandom();
  return which == 0 ? text : which == 1 ? binary : random;
}

const char* InputName(int64_t which) { return which == 0 ? "sources" : which == 1 ? "library" : "random"; }

// ---- the three coders, each as pack(in) -> packed and unpack(packed, n) -> out ----

Bytes ZZipPack(const Bytes& in) {
  static CZZip z;
  auto* p = static_cast<unsigned char*>(xSysAllocMemFunc(in.size() + 32));
  std::memcpy(p, in.data(), in.size());
  uint32_t len = static_cast<uint32_t>(in.size());
  Bytes out;
  if (z.CompressBuffer(&p, len, 1, 0)) out.assign(p, p + len);
  xSysFreeMemFunc(p);
  return out;
}
bool ZZipUnpack(const Bytes& packed, Bytes& out) {
  static CZZip z;
  auto* p = static_cast<unsigned char*>(xSysAllocMemFunc(packed.size()));
  std::memcpy(p, packed.data(), packed.size());
  uint32_t len = static_cast<uint32_t>(packed.size());
  const bool ok = z.ExpandBuffer(&p, len, static_cast<uint32_t>(out.size())) && len == out.size();
  if (ok) std::memcpy(out.data(), p, len);
  xSysFreeMemFunc(p);
  return ok;
}

Bytes Bzip2Pack(const Bytes& in) {
  Bytes out(in.size() + in.size() / 100 + 600);
  auto len = static_cast<unsigned>(out.size());
  if (BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &len,
                               const_cast<char*>(reinterpret_cast<const char*>(in.data())),
                               static_cast<unsigned>(in.size()), 9, 0, 0) != BZ_OK)
    return {};
  out.resize(len);
  return out;
}
bool Bzip2Unpack(const Bytes& packed, Bytes& out) {
  auto len = static_cast<unsigned>(out.size());
  return BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out.data()), &len,
                                    const_cast<char*>(reinterpret_cast<const char*>(packed.data())),
                                    static_cast<unsigned>(packed.size()), 0, 0) == BZ_OK &&
         len == out.size();
}

Bytes XzPack(const Bytes& in) {
  Bytes out(lzma_stream_buffer_bound(in.size()));
  size_t len = 0;
  if (lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, in.data(), in.size(), out.data(), &len, out.size()) !=
      LZMA_OK)
    return {};
  out.resize(len);
  return out;
}
bool XzUnpack(const Bytes& packed, Bytes& out) {
  uint64_t memlimit = UINT64_MAX;
  size_t inPos = 0, outPos = 0;
  return lzma_stream_buffer_decode(&memlimit, 0, nullptr, packed.data(), &inPos, packed.size(), out.data(), &outPos,
                                   out.size()) == LZMA_OK &&
         outPos == out.size();
}

using TPack = Bytes (*)(const Bytes&);
using TUnpack = bool (*)(const Bytes&, Bytes&);

void Pack(benchmark::State& state, TPack pack) {
  const Bytes& in = Input(state.range(0));
  state.SetLabel(InputName(state.range(0)));
  Bytes packed;
  for (auto _ : state) {
    packed = pack(in);
    benchmark::DoNotOptimize(packed.data());
  }
  if (packed.empty()) state.SkipWithError("packing failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(in.size());
}

// A field of /proc/self/status in KiB.
long StatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t len = std::strlen(key);
  while (std::getline(status, line))
    if (line.compare(0, len, key) == 0) return std::atol(line.c_str() + len);
  return 0;
}

// The most memory one unpacking adds to the process, in MiB: freed heap is given back first and
// the high-water mark reset, so that every coder starts from fresh pages.
double PeakMiB(const Bytes& packed, Bytes& out, TUnpack unpack) {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = StatusKiB("VmRSS:");
  unpack(packed, out);
  return static_cast<double>(StatusKiB("VmHWM:") - before) / 1024.0;
}

void Unpack(benchmark::State& state, TPack pack, TUnpack unpack) {
  const Bytes& in = Input(state.range(0));
  state.SetLabel(InputName(state.range(0)));
  const Bytes packed = pack(in);
  Bytes out(in.size());
  const double peak = PeakMiB(packed, out, unpack);
  for (auto _ : state) {
    if (!unpack(packed, out)) {
      state.SkipWithError("unpacking failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  if (out != in) state.SkipWithError("round trip differs");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(in.size());
  state.counters["peak_MiB"] = peak;
  state.counters["peak_per_MiB_out"] = peak * (1 << 20) / static_cast<double>(in.size());
}

void ZZipCompress(benchmark::State& s) { Pack(s, ZZipPack); }
void Bzip2Compress(benchmark::State& s) { Pack(s, Bzip2Pack); }
void XzCompress(benchmark::State& s) { Pack(s, XzPack); }
void ZZipExpand(benchmark::State& s) { Unpack(s, ZZipPack, ZZipUnpack); }
void Bzip2Expand(benchmark::State& s) { Unpack(s, Bzip2Pack, Bzip2Unpack); }
void XzExpand(benchmark::State& s) { Unpack(s, XzPack, XzUnpack); }
}  // namespace

// Registered input by input, each coder right after the others, so that a busy machine's drift
// falls on the figures compared with each other as little as it can.
int main(int argc, char** argv) {
  for (int64_t input = 0; input <= 2; ++input) {
    using TRun = void (*)(benchmark::State&);
    const std::pair<const char*, TRun> runs[] = {{"ZZipCompress", ZZipCompress}, {"Bzip2Compress", Bzip2Compress},
                                                 {"XzCompress", XzCompress},     {"ZZipExpand", ZZipExpand},
                                                 {"Bzip2Expand", Bzip2Expand},   {"XzExpand", XzExpand}};
    for (const auto& [name, run] : runs) benchmark::RegisterBenchmark(name, run)->Arg(input)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
