#include "platform/sound/soundfile.h"

#include <cstring>
#include <new>

namespace {
// Decoded images stay far below what a 32-bit wave size field can describe.
constexpr uint64_t kMaxDecodedSize = 1u << 30;
constexpr uint32_t kWaveHeaderSize = 44;
// How far into a file the first MPEG frame may start (after any ID3v2 tag).
constexpr uint32_t kMpegSyncWindow = 4096;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool HasTag(const uint8_t* p, uint32_t size, uint32_t at, const char* tag) {
  return at <= size && size - at >= 4 && std::memcmp(p + at, tag, 4) == 0;
}

bool IsRiffForm(const uint8_t* p, uint32_t size, const char* form) {
  return HasTag(p, size, 0, "RIFF") && HasTag(p, size, 8, form);
}

bool IsPlainPcm(const SWaveInfo& w) {
  return w.format == WAVE_FORMAT_PCM && (w.bits == 8 || w.bits == 16) && (w.channels == 1 || w.channels == 2) &&
         w.blockAlign == w.channels * w.bits / 8;
}

bool IsMidi(const uint8_t* p, uint32_t size) {
  if (!HasTag(p, size, 0, "MThd") || size < 14) return false;
  const uint32_t headerLength = Be32(p + 4);
  const uint16_t format = static_cast<uint16_t>((p[8] << 8) | p[9]);
  const uint16_t tracks = static_cast<uint16_t>((p[10] << 8) | p[11]);
  return headerLength >= 6 && format <= 2 && tracks >= 1;
}

// ---------------------------------------------------------------------------------- MPEG audio

struct SMpegFrame {
  int32_t version;  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int32_t layer;
  uint32_t rate;
  uint16_t channels;
  uint32_t length;   // bytes
  uint32_t samples;  // per channel
};

bool ParseMpegHeader(const uint8_t* p, SMpegFrame& f) {
  static const uint16_t kBitrates[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  static const uint32_t kRates[3] = {44100, 48000, 32000};

  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int versionBits = (p[1] >> 3) & 3;
  const int layerBits = (p[1] >> 1) & 3;
  const int bitrateIndex = p[2] >> 4;
  const int rateIndex = (p[2] >> 2) & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;

  f.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
  f.layer = 4 - layerBits;
  f.rate = kRates[rateIndex] >> (f.version - 1);
  f.channels = ((p[3] >> 6) == 3) ? 1 : 2;
  const uint32_t bitrate = kBitrates[f.version == 1 ? 0 : 1][f.layer - 1][bitrateIndex] * 1000u;
  const uint32_t padding = (p[2] >> 1) & 1;
  if (f.layer == 1) {
    f.length = (12 * bitrate / f.rate + padding) * 4;
    f.samples = 384;
  } else if (f.layer == 2 || f.version == 1) {
    f.length = 144 * bitrate / f.rate + padding;
    f.samples = 1152;
  } else {
    f.length = 72 * bitrate / f.rate + padding;
    f.samples = 576;
  }
  return f.length >= 4;
}

bool SameStream(const SMpegFrame& a, const SMpegFrame& b) {
  return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}

uint32_t Id3v2Length(const uint8_t* p, uint32_t size) {
  if (size < 10 || std::memcmp(p, "ID3", 3) != 0) return 0;
  if ((p[6] | p[7] | p[8] | p[9]) & 0x80) return 0;
  uint32_t length = 10 + ((p[6] << 21) | (p[7] << 14) | (p[8] << 7) | p[9]);
  if (p[5] & 0x10) length += 10;  // footer
  return length;
}

// ------------------------------------------------------------------------------------ IMA ADPCM

const int16_t kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int8_t kImaIndexStep[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct SImaChannel {
  int32_t predictor;
  int32_t index;

  int16_t Decode(uint8_t nibble) {
    const int32_t step = kImaSteps[index];
    int32_t diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    predictor += (nibble & 8) ? -diff : diff;
    if (predictor > 32767) predictor = 32767;
    if (predictor < -32768) predictor = -32768;
    index += kImaIndexStep[nibble];
    if (index < 0) index = 0;
    if (index > 88) index = 88;
    return static_cast<int16_t>(predictor);
  }
};

// Decodes one block (whole or the cut last one) into interleaved samples; the count of frames
// written, or -1 for a broken header.
int64_t DecodeImaBlock(const uint8_t* in, uint32_t n, uint16_t channels, int16_t* out) {
  SImaChannel state[2];
  for (uint16_t c = 0; c < channels; ++c) {
    const uint8_t* h = in + 4 * c;
    state[c].predictor = static_cast<int16_t>(Le16(h));
    state[c].index = h[2];
    if (state[c].index > 88) return -1;
    out[c] = static_cast<int16_t>(state[c].predictor);
  }
  const uint8_t* data = in + 4 * channels;
  const uint32_t dataBytes = n - 4 * channels;
  int64_t frames = 1;
  if (channels == 1) {
    for (uint32_t i = 0; i < dataBytes; ++i) {
      out[frames++] = state[0].Decode(data[i] & 0x0F);
      out[frames++] = state[0].Decode(data[i] >> 4);
    }
    return frames;
  }
  // Stereo: runs of 4 bytes (8 samples) per channel, left run first.
  for (uint32_t group = 0; group + 8 <= dataBytes; group += 8) {
    for (uint16_t c = 0; c < 2; ++c) {
      for (int b = 0; b < 4; ++b) {
        const uint8_t byte = data[group + 4 * c + b];
        out[2 * (frames + 2 * b) + c] = state[c].Decode(byte & 0x0F);
        out[2 * (frames + 2 * b + 1) + c] = state[c].Decode(byte >> 4);
      }
    }
    frames += 8;
  }
  return frames;
}
}  // namespace

bool SoundWaveInfo(const void* image, uint32_t size, SWaveInfo& info) {
  const auto* p = static_cast<const uint8_t*>(image);
  if (!p || !IsRiffForm(p, size, "WAVE")) return false;
  bool haveFormat = false;
  uint32_t at = 12;
  while (at <= size && size - at >= 8) {
    const uint32_t chunkSize = Le32(p + at + 4);
    const uint32_t body = at + 8;
    const uint32_t available = size - body;
    if (HasTag(p, size, at, "fmt ")) {
      if (chunkSize < 16 || chunkSize > available) return false;
      info.format = Le16(p + body);
      info.channels = Le16(p + body + 2);
      info.rate = Le32(p + body + 4);
      info.blockAlign = Le16(p + body + 12);
      info.bits = Le16(p + body + 14);
      info.samplesPerBlock = chunkSize >= 20 ? Le16(p + body + 18) : 0;
      if (info.channels == 0 || info.rate == 0 || info.blockAlign == 0) return false;
      haveFormat = true;
    } else if (HasTag(p, size, at, "data")) {
      if (!haveFormat) return false;
      info.dataOffset = body;
      info.dataSize = chunkSize < available ? chunkSize : available;
      return true;
    }
    if (chunkSize > available) return false;
    const uint64_t next = static_cast<uint64_t>(body) + chunkSize + (chunkSize & 1);
    if (next > size) return false;
    at = static_cast<uint32_t>(next);
  }
  return false;
}

uint32_t SoundWaveLengthMs(const void* image, uint32_t size) {
  SWaveInfo w;
  if (!SoundWaveInfo(image, size, w) || !IsPlainPcm(w)) return 0;
  const uint64_t frames = w.dataSize / w.blockAlign;
  return static_cast<uint32_t>(frames * 1000 / w.rate);
}

bool SoundMpegInfo(const void* image, uint32_t size, SMpegInfo& info) {
  const auto* p = static_cast<const uint8_t*>(image);
  if (!p) return false;
  const uint32_t start = Id3v2Length(p, size);
  if (start >= size) return false;
  const uint32_t windowEnd = size - start > kMpegSyncWindow ? start + kMpegSyncWindow : size;
  for (uint32_t at = start; at < windowEnd && size - at >= 4; ++at) {
    SMpegFrame first;
    if (!ParseMpegHeader(p + at, first) || first.length > size - at) continue;
    const uint32_t next = at + first.length;
    SMpegFrame second;
    if (size - next >= 4 && !(ParseMpegHeader(p + next, second) && SameStream(first, second))) continue;

    uint64_t frames = 0;
    uint32_t pos = at;
    SMpegFrame f;
    while (size - pos >= 4 && ParseMpegHeader(p + pos, f) && SameStream(first, f) && f.length <= size - pos) {
      ++frames;
      pos += f.length;
    }
    info.layer = first.layer;
    info.rate = first.rate;
    info.channels = first.channels;
    info.frames = static_cast<uint32_t>(frames);
    info.lengthMs = static_cast<uint32_t>(frames * first.samples * 1000 / first.rate);
    return true;
  }
  return false;
}

int32_t SoundFileType(const void* image, uint32_t size) {
  const auto* p = static_cast<const uint8_t*>(image);
  if (!p) return SOUNDFILE_UNKNOWN;
  if (IsRiffForm(p, size, "WAVE")) {
    SWaveInfo w;
    if (!SoundWaveInfo(p, size, w)) return SOUNDFILE_UNKNOWN;
    if (IsPlainPcm(w)) return SOUNDFILE_PCM_WAVE;
    if (w.format == WAVE_FORMAT_MS_ADPCM || w.format == WAVE_FORMAT_IMA_ADPCM) return SOUNDFILE_ADPCM_WAVE;
    return SOUNDFILE_OTHER_WAVE;
  }
  if (IsMidi(p, size)) return SOUNDFILE_MIDI;
  static const char kVoc[] = "Creative Voice File\x1A";
  if (size >= sizeof kVoc - 1 && std::memcmp(p, kVoc, sizeof kVoc - 1) == 0) return SOUNDFILE_VOC;
  // Other RIFF and IFF forms (instrument sets, extended MIDI) are not sound this layer plays.
  if (HasTag(p, size, 0, "RIFF") || HasTag(p, size, 0, "FORM") || HasTag(p, size, 0, "CAT ")) return SOUNDFILE_UNKNOWN;
  SMpegInfo m;
  if (SoundMpegInfo(p, size, m)) return SOUNDFILE_MPEG_LAYER1 + m.layer - 1;
  return SOUNDFILE_UNKNOWN;
}

void* SoundMakeWave(const void* data, uint32_t dataSize, uint32_t rate, uint16_t channels, uint16_t bits,
                    uint32_t* waveSize) {
  if (waveSize) *waveSize = 0;
  if (rate == 0 || channels == 0 || (bits != 8 && bits != 16)) return nullptr;
  const uint64_t total = static_cast<uint64_t>(dataSize) + kWaveHeaderSize + (dataSize & 1);
  if (total > kMaxDecodedSize) return nullptr;
  auto* out = static_cast<uint8_t*>(::operator new(static_cast<size_t>(total), std::nothrow));
  if (!out) return nullptr;
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
  std::memcpy(out, "RIFF", 4);
  PutLe32(out + 4, static_cast<uint32_t>(total - 8));
  std::memcpy(out + 8, "WAVEfmt ", 8);
  PutLe32(out + 16, 16);
  PutLe16(out + 20, WAVE_FORMAT_PCM);
  PutLe16(out + 22, channels);
  PutLe32(out + 24, rate);
  PutLe32(out + 28, rate * blockAlign);
  PutLe16(out + 32, blockAlign);
  PutLe16(out + 34, bits);
  std::memcpy(out + 36, "data", 4);
  PutLe32(out + 40, dataSize);
  if (dataSize) std::memcpy(out + kWaveHeaderSize, data, dataSize);
  if (dataSize & 1) out[kWaveHeaderSize + dataSize] = 0;
  if (waveSize) *waveSize = static_cast<uint32_t>(total);
  return out;
}

void* SoundDecodeImaAdpcm(const void* image, uint32_t size, uint32_t* waveSize) {
  if (waveSize) *waveSize = 0;
  SWaveInfo w;
  if (!SoundWaveInfo(image, size, w) || w.format != WAVE_FORMAT_IMA_ADPCM || w.bits != 4) return nullptr;
  if (w.channels != 1 && w.channels != 2) return nullptr;
  const uint32_t header = 4u * w.channels;
  if (w.blockAlign <= header || (w.channels == 2 && (w.blockAlign - header) % 8 != 0)) return nullptr;

  const uint64_t perBlock = static_cast<uint64_t>(w.blockAlign - header) * 2 / w.channels + 1;
  const uint64_t wholeBlocks = w.dataSize / w.blockAlign;
  const uint32_t tail = w.dataSize % w.blockAlign;
  const uint64_t frames = wholeBlocks * perBlock + (tail > header ? perBlock : tail == header ? 1 : 0);
  const uint64_t bytes = frames * w.channels * 2;
  if (bytes + kWaveHeaderSize > kMaxDecodedSize) return nullptr;

  auto* pcm = static_cast<int16_t*>(::operator new(static_cast<size_t>(bytes ? bytes : 2), std::nothrow));
  if (!pcm) return nullptr;
  const auto* data = static_cast<const uint8_t*>(image) + w.dataOffset;
  uint64_t written = 0;
  for (uint32_t at = 0; at < w.dataSize && w.dataSize - at >= header; at += w.blockAlign) {
    const uint32_t n = w.dataSize - at < w.blockAlign ? w.dataSize - at : w.blockAlign;
    const int64_t got = DecodeImaBlock(data + at, n, w.channels, pcm + written * w.channels);
    if (got < 0) {
      ::operator delete(pcm);
      return nullptr;
    }
    written += static_cast<uint64_t>(got);
  }
  void* wave = SoundMakeWave(pcm, static_cast<uint32_t>(written * w.channels * 2), w.rate, w.channels, 16, waveSize);
  ::operator delete(pcm);
  return wave;
}
