// Sound file images from disk: kind detection, the wave chunk walk, IMA ADPCM decoding and the
// MPEG frame walk.
#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/sound/soundfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 24)) return 0;
  const auto n = static_cast<uint32_t>(size);
  SoundFileType(data, n);
  SoundWaveLengthMs(data, n);
  SWaveInfo wave;
  if (SoundWaveInfo(data, n, wave) && (wave.dataOffset > n || wave.dataSize > n - wave.dataOffset)) __builtin_trap();
  SMpegInfo mpeg;
  SoundMpegInfo(data, n, mpeg);
  uint32_t decodedSize = 0;
  if (void* decoded = SoundDecodeImaAdpcm(data, n, &decodedSize)) {
    SWaveInfo pcm;
    if (!SoundWaveInfo(decoded, decodedSize, pcm) || pcm.bits != 16) __builtin_trap();
    ::operator delete(decoded);
  }
  return 0;
}
