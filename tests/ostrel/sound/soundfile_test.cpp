#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ostrel/sound/soundtest.h"
#include "platform/sound/soundfile.h"

namespace {
std::string Le16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16)); }

std::string Chunk(const char* id, const std::string& body) {
  std::string out = std::string(id, 4) + Le32(static_cast<uint32_t>(body.size())) + body;
  if (body.size() & 1) out.push_back('\0');
  return out;
}

std::string Riff(const char* form, const std::string& chunks) {
  return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + std::string(form, 4) + chunks;
}

std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits,
                const std::string& extra = "") {
  return Chunk("fmt ", Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits) + extra);
}

std::string Wave(uint16_t tag, uint16_t channels, uint16_t align, uint16_t bits, const std::string& data,
                 const std::string& extra = "") {
  return Riff("WAVE", Fmt(tag, channels, 22050, align, bits, extra) + Chunk("data", data));
}

// n MPEG audio frames with the given header bytes, each length bytes long.
std::string MpegFrames(uint8_t b1, uint8_t b2, uint8_t b3, size_t length, int n) {
  std::string frame(length, '\0');
  frame[0] = static_cast<char>(0xFF);
  frame[1] = static_cast<char>(b1);
  frame[2] = static_cast<char>(b2);
  frame[3] = static_cast<char>(b3);
  std::string out;
  for (int i = 0; i < n; ++i) out += frame;
  return out;
}
// MPEG-1 layer 3, 128 kbit/s, 44100 Hz, joint stereo: 417 bytes a frame.
std::string Layer3Frames(int n) { return MpegFrames(0xFB, 0x90, 0x44, 417, n); }

std::string ReadFile(const std::string& path) { return ReadWholeFile(path); }

int32_t TypeOf(const std::string& image) {
  return SoundFileType(image.data(), static_cast<uint32_t>(image.size()));
}

// SDL's own decoder, the oracle for ours: 16-bit samples as SDL_LoadWAV gives them.
std::vector<int16_t> DecodeWithSdl(const std::string& image) {
  SDL_AudioSpec spec;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(image.data(), static_cast<int>(image.size())), 1, &spec, &buffer, &length))
    return {};
  std::vector<int16_t> out(length / 2);
  if (!out.empty()) std::memcpy(out.data(), buffer, out.size() * 2);
  SDL_FreeWAV(buffer);
  return out;
}

std::vector<int16_t> DecodeWithUs(const std::string& image, SWaveInfo& info) {
  uint32_t size = 0;
  void* wave = SoundDecodeImaAdpcm(image.data(), static_cast<uint32_t>(image.size()), &size);
  if (!wave) return {};
  std::vector<int16_t> out;
  if (SoundWaveInfo(wave, size, info) && info.format == WAVE_FORMAT_PCM && info.bits == 16) {
    out.resize(info.dataSize / 2);
    if (!out.empty()) std::memcpy(out.data(), static_cast<const char*>(wave) + info.dataOffset, out.size() * 2);
  }
  ::operator delete(wave);
  return out;
}

// An IMA ADPCM wave of random blocks (valid headers), for comparing decoders.
std::string RandomImaWave(uint16_t channels, uint16_t align, size_t dataSize, uint32_t seed) {
  std::mt19937 random(seed);
  std::string data(dataSize, '\0');
  for (char& c : data) c = static_cast<char>(random());
  for (size_t block = 0; block < dataSize; block += align) {
    for (uint16_t c = 0; c < channels && block + 4 * c + 3 < dataSize; ++c) {
      data[block + 4 * c + 2] = static_cast<char>(random() % 89);
      data[block + 4 * c + 3] = 0;
    }
  }
  const uint16_t perBlock = static_cast<uint16_t>((align - 4 * channels) * 2 / channels + 1);
  return Wave(WAVE_FORMAT_IMA_ADPCM, channels, align, 4, data, Le16(2) + Le16(perBlock));
}
}  // namespace

TEST(SoundFile, KindsAreToldByContent) {
  const std::string pcm16 = FlatWave(10, 1000);
  const std::string pcm8 = Wave(1, 1, 1, 8, std::string(100, '\x80'));
  const std::string msAdpcm = Wave(WAVE_FORMAT_MS_ADPCM, 1, 256, 4, std::string(256, '\0'));
  const std::string floatWave = Wave(3, 1, 4, 32, std::string(64, '\0'));
  const std::string pcm24 = Wave(1, 1, 3, 24, std::string(66, '\0'));
  const std::string voc = std::string("Creative Voice File\x1A\x1A\x00\x0A\x01\x29\x11", 26);
  const std::string xmidi = "FORM" + std::string("\0\0\0\x0E", 4) + "XDIRINFO" + std::string(6, '\0');
  const std::string dls = Riff("DLS ", Chunk("colh", Le32(1)));
  std::string midiFormat3 = OneNoteMidi();
  midiFormat3[9] = 3;
  const std::string layer2 = MpegFrames(0xFD, 0x80, 0x04, 417, 3);
  const std::string id3 = std::string("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0') + Layer3Frames(2);

  const struct {
    const char* what;
    std::string image;
    int32_t type;
  } cases[] = {
      {"16-bit PCM wave", pcm16, SOUNDFILE_PCM_WAVE},
      {"8-bit PCM wave", pcm8, SOUNDFILE_PCM_WAVE},
      {"IMA ADPCM wave", ReadFile(StagedSound("card.wav")), SOUNDFILE_ADPCM_WAVE},
      {"MS ADPCM wave", msAdpcm, SOUNDFILE_ADPCM_WAVE},
      {"float wave", floatWave, SOUNDFILE_OTHER_WAVE},
      {"24-bit wave", pcm24, SOUNDFILE_OTHER_WAVE},
      {"wave header only", pcm16.substr(0, 36), SOUNDFILE_UNKNOWN},
      {"VOC", voc, SOUNDFILE_VOC},
      {"standard MIDI", OneNoteMidi(), SOUNDFILE_MIDI},
      {"the stock tune", ReadFile(StagedSound("tune.mid")), SOUNDFILE_MIDI},
      {"MIDI of no known format", midiFormat3, SOUNDFILE_UNKNOWN},
      {"MPEG layer 3 (lame)", ReadFile(StagedSound("tune.mp3")), SOUNDFILE_MPEG_LAYER3},
      {"MPEG layer 3 frames", Layer3Frames(3), SOUNDFILE_MPEG_LAYER3},
      {"MPEG layer 3 after an ID3v2 tag", id3, SOUNDFILE_MPEG_LAYER3},
      {"MPEG layer 2", layer2, SOUNDFILE_MPEG_LAYER2},
      {"extended MIDI", xmidi, SOUNDFILE_UNKNOWN},
      {"instrument set", dls, SOUNDFILE_UNKNOWN},
      {"text", "just some text, not a sound", SOUNDFILE_UNKNOWN},
      {"empty", "", SOUNDFILE_UNKNOWN},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.image.empty() && c.type != SOUNDFILE_UNKNOWN) << c.what << ": staged file missing";
    EXPECT_EQ(TypeOf(c.image), c.type) << c.what;
  }
  EXPECT_EQ(SoundFileType(nullptr, 100), SOUNDFILE_UNKNOWN);
}

TEST(SoundFile, WaveChunksAreWalkedWithinTheImage) {
  // An odd-sized chunk is padded; the data chunk claims more than the file holds.
  const std::string data(100, 'x');
  std::string image = Riff("WAVE", Fmt(1, 2, 44100, 4, 16) + Chunk("LIST", "abc") + "data" + Le32(4000) + data);
  SWaveInfo info;
  ASSERT_TRUE(SoundWaveInfo(image.data(), static_cast<uint32_t>(image.size()), info));
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.rate, 44100u);
  EXPECT_EQ(info.dataSize, 100u);
  EXPECT_EQ(image.substr(info.dataOffset), data);

  const std::string noFormat = Riff("WAVE", Chunk("data", data));
  EXPECT_FALSE(SoundWaveInfo(noFormat.data(), static_cast<uint32_t>(noFormat.size()), info));
  std::string hugeChunk = Riff("WAVE", "JUNK" + Le32(0xFFFFFFF0u) + Fmt(1, 1, 8000, 2, 16) + Chunk("data", data));
  EXPECT_FALSE(SoundWaveInfo(hugeChunk.data(), static_cast<uint32_t>(hugeChunk.size()), info));
  std::string shortFormat = Riff("WAVE", Chunk("fmt ", std::string(8, '\1')) + Chunk("data", data));
  EXPECT_FALSE(SoundWaveInfo(shortFormat.data(), static_cast<uint32_t>(shortFormat.size()), info));

  const std::string quarter = FlatWave(250, 7);
  EXPECT_EQ(SoundWaveLengthMs(quarter.data(), static_cast<uint32_t>(quarter.size())), 250u);
  EXPECT_EQ(SoundWaveLengthMs(OneNoteMidi().data(), static_cast<uint32_t>(OneNoteMidi().size())), 0u);
}

TEST(SoundFile, ImaAdpcmDecodesAsSdlDecodesIt) {
  struct Case {
    const char* what;
    std::string image;
    uint16_t channels;
  } cases[] = {
      {"the stock card sound", ReadFile(StagedSound("card.wav")), 1},
      {"random mono blocks", RandomImaWave(1, 256, 256 * 9, 1), 1},
      {"random stereo blocks", RandomImaWave(2, 512, 512 * 5, 2), 2},
      {"random stereo, wide blocks", RandomImaWave(2, 2048, 2048 * 3, 3), 2},
  };
  for (const auto& c : cases) {
    SWaveInfo info;
    const std::vector<int16_t> ours = DecodeWithUs(c.image, info);
    const std::vector<int16_t> sdl = DecodeWithSdl(c.image);
    ASSERT_FALSE(sdl.empty()) << c.what << ": " << SDL_GetError();
    EXPECT_EQ(info.channels, c.channels) << c.what;
    EXPECT_EQ(info.rate, 22050u) << c.what;
    EXPECT_EQ(ours, sdl) << c.what;
  }
}

TEST(SoundFile, BrokenAdpcmIsRefused) {
  std::string badIndex = RandomImaWave(1, 256, 512, 4);
  SWaveInfo info;
  ASSERT_TRUE(SoundWaveInfo(badIndex.data(), static_cast<uint32_t>(badIndex.size()), info));
  badIndex[info.dataOffset + 256 + 2] = 89;  // step index of the second block
  uint32_t size = 1;
  EXPECT_EQ(SoundDecodeImaAdpcm(badIndex.data(), static_cast<uint32_t>(badIndex.size()), &size), nullptr);
  EXPECT_EQ(size, 0u);

  const std::string blockTooSmall = Wave(WAVE_FORMAT_IMA_ADPCM, 2, 8, 4, std::string(64, '\0'));
  EXPECT_EQ(SoundDecodeImaAdpcm(blockTooSmall.data(), static_cast<uint32_t>(blockTooSmall.size()), &size), nullptr);
  const std::string pcm = FlatWave(10, 3);
  EXPECT_EQ(SoundDecodeImaAdpcm(pcm.data(), static_cast<uint32_t>(pcm.size()), &size), nullptr);
}

TEST(SoundFile, MpegFramesGiveTheLength) {
  SMpegInfo info;
  const std::string ten = Layer3Frames(10);
  ASSERT_TRUE(SoundMpegInfo(ten.data(), static_cast<uint32_t>(ten.size()), info));
  EXPECT_EQ(info.layer, 3);
  EXPECT_EQ(info.frames, 10u);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.lengthMs, 10u * 1152 * 1000 / 44100);

  // Junk before the first frame is skipped; a cut last frame does not count.
  const std::string junk = std::string(100, '\x11') + Layer3Frames(4);
  ASSERT_TRUE(SoundMpegInfo(junk.data(), static_cast<uint32_t>(junk.size()), info));
  EXPECT_EQ(info.frames, 4u);
  const std::string cut = Layer3Frames(4).substr(0, 417 * 3 + 200);
  ASSERT_TRUE(SoundMpegInfo(cut.data(), static_cast<uint32_t>(cut.size()), info));
  EXPECT_EQ(info.frames, 3u);

  // MPEG-2 layer 3 at 22050 Hz, mono: 576 samples a frame.
  const std::string mpeg2 = MpegFrames(0xF3, 0x80, 0xC0, 72 * 64000 / 22050, 5);
  ASSERT_TRUE(SoundMpegInfo(mpeg2.data(), static_cast<uint32_t>(mpeg2.size()), info));
  EXPECT_EQ(info.rate, 22050u);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.lengthMs, 5u * 576 * 1000 / 22050);

  // The stock tune lasts 17 eighths at 120 beats a minute, plus the encoder's padding.
  const std::string tune = ReadFile(StagedSound("tune.mp3"));
  ASSERT_TRUE(SoundMpegInfo(tune.data(), static_cast<uint32_t>(tune.size()), info));
  EXPECT_EQ(info.rate, 44100u);
  EXPECT_GE(info.lengthMs, 4250u);
  EXPECT_LE(info.lengthMs, 4450u);

  const std::string badHeaders[] = {MpegFrames(0xFB, 0xF0, 0x44, 417, 2), MpegFrames(0xFB, 0x0C, 0x44, 417, 2),
                                    MpegFrames(0xE9, 0x90, 0x44, 417, 2)};
  for (const std::string& bad : badHeaders) EXPECT_FALSE(SoundMpegInfo(bad.data(), static_cast<uint32_t>(bad.size()), info));
}
