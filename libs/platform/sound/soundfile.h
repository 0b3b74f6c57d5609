// Sound file images as the sound layer sees them: the kind of a file by its content, the layout of
// wave files, the length of MPEG audio, and the conversions that need no output device. Every
// image is hostile until these functions have looked at it; they never read past size.
#pragma once

#include <cstdint>

// File kinds. The numbers are the ones the sound objects store; instrument sets and extended
// MIDI are not playable here and come out as unknown.
enum : int32_t {
  SOUNDFILE_UNKNOWN = 0,
  SOUNDFILE_PCM_WAVE = 1,
  SOUNDFILE_ADPCM_WAVE = 2,
  SOUNDFILE_OTHER_WAVE = 3,
  SOUNDFILE_VOC = 4,
  SOUNDFILE_MIDI = 5,
  SOUNDFILE_MPEG_LAYER1 = 11,
  SOUNDFILE_MPEG_LAYER2 = 12,
  SOUNDFILE_MPEG_LAYER3 = 13,
};

// Wave format tags the layer knows by name.
inline constexpr uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr uint16_t WAVE_FORMAT_MS_ADPCM = 2;
inline constexpr uint16_t WAVE_FORMAT_IMA_ADPCM = 17;

int32_t SoundFileType(const void* image, uint32_t size);

struct SWaveInfo {
  uint16_t format;  // format tag
  uint16_t channels;
  uint32_t rate;
  uint16_t blockAlign;
  uint16_t bits;
  uint16_t samplesPerBlock;  // ADPCM only
  uint32_t dataOffset;
  uint32_t dataSize;  // cut to what the image holds
};

// Reads the format and data chunks of a RIFF WAVE image; false when either is missing or broken.
bool SoundWaveInfo(const void* image, uint32_t size, SWaveInfo& info);
// Length in ms of a PCM wave image (0 when it is not one).
uint32_t SoundWaveLengthMs(const void* image, uint32_t size);

// A new PCM wave image around data (copied). The image comes from ::operator new; the caller
// frees it with ::operator delete. Null when the sizes do not fit a wave file.
void* SoundMakeWave(const void* data, uint32_t dataSize, uint32_t rate, uint16_t channels, uint16_t bits,
                    uint32_t* waveSize);

// Decodes an IMA ADPCM wave image (format 17, mono or stereo) into a 16-bit PCM wave image
// allocated as above; null for any other image or a broken one.
void* SoundDecodeImaAdpcm(const void* image, uint32_t size, uint32_t* waveSize);

struct SMpegInfo {
  int32_t layer;  // 1, 2 or 3
  uint32_t rate;
  uint16_t channels;
  uint32_t frames;
  uint32_t lengthMs;
};

// Walks the frames of MPEG audio (after an optional ID3v2 tag); false unless at least one whole
// frame is found and, when more data follows it, the next frame matches.
bool SoundMpegInfo(const void* image, uint32_t size, SMpegInfo& info);
