#include "platform/sound/silent.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/files/resolver.h"
#include "platform/sound/soundfile.h"

namespace {
// A music file larger than this is not music.
constexpr long kMaxStreamFile = 256L << 20;

bool ReadStreamFile(const char* path, std::vector<uint8_t>& out) {
  FILE* file = path ? PlatformOpenFile(path, "rb") : nullptr;
  if (!file) return false;
  bool ok = false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0 && size <= kMaxStreamFile && std::fseek(file, 0, SEEK_SET) == 0) {
      out.resize(static_cast<size_t>(size));
      ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
  }
  std::fclose(file);
  return ok;
}
}  // namespace

CSilentSoundDevice::CSilentSoundDevice() : m_Voices(kVoices), m_Music(kMusic) {}

bool CSilentSoundDevice::OpenOutput(int32_t rate, int32_t bits, int32_t channels) {
  if (rate <= 0 || (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return false;
  m_Rate = rate;
  m_Bits = bits;
  m_Channels = channels;
  return true;
}

void CSilentSoundDevice::CloseOutput() {
  m_Voices.assign(kVoices, SVoice());
  m_Music.assign(kMusic, SMusic());
  m_Ended.clear();
  m_MasterVolume = 127;
}

void CSilentSoundDevice::SetMasterVolume(int32_t volume) { m_MasterVolume = SoundClamp127(volume); }

bool CSilentSoundDevice::DecodeToWave(const void* image, uint32_t size, void** wave, uint32_t* waveSize) {
  SMpegInfo info;
  if (!wave || !waveSize || m_Rate <= 0 || !SoundMpegInfo(image, size, info)) return false;
  const uint64_t frames = static_cast<uint64_t>(info.lengthMs) * static_cast<uint32_t>(m_Rate) / 1000;
  if (frames > (1u << 28)) return false;
  std::vector<uint8_t> silence(static_cast<size_t>(frames), 0x80);
  *wave = SoundMakeWave(silence.data(), static_cast<uint32_t>(frames), static_cast<uint32_t>(m_Rate), 1, 8, waveSize);
  return *wave != nullptr;
}

CSilentSoundDevice::SVoice* CSilentSoundDevice::Voice(TSoundHandle sample) {
  if (sample < 1 || sample > kVoices || !m_Voices[sample - 1].allocated) return nullptr;
  return &m_Voices[sample - 1];
}

CSilentSoundDevice::SMusic* CSilentSoundDevice::Music(TSoundHandle music) {
  if (music < 1 || music > kMusic || !m_Music[music - 1].open) return nullptr;
  return &m_Music[music - 1];
}

TSoundHandle CSilentSoundDevice::AllocateSample() {
  for (int i = 0; i < kVoices; ++i) {
    if (!m_Voices[i].allocated) {
      m_Voices[i] = SVoice();
      m_Voices[i].allocated = true;
      return i + 1;
    }
  }
  return 0;
}

void CSilentSoundDevice::ReleaseSample(TSoundHandle sample) {
  if (Voice(sample)) m_Voices[sample - 1] = SVoice();
}

bool CSilentSoundDevice::SetSampleFile(TSoundHandle sample, const void* wave, uint32_t size) {
  SVoice* v = Voice(sample);
  if (!v) return false;
  *v = SVoice();
  v->allocated = true;
  if (SoundFileType(wave, size) != SOUNDFILE_PCM_WAVE) {
    m_LastError = "not a PCM wave image";
    return false;
  }
  v->loaded = true;
  v->lengthMs = static_cast<int32_t>(SoundWaveLengthMs(wave, size));
  return true;
}

void CSilentSoundDevice::SetSampleVolume(TSoundHandle sample, int32_t volume) {
  if (SVoice* v = Voice(sample)) v->volume = SoundClamp127(volume);
}

void CSilentSoundDevice::SetSamplePan(TSoundHandle sample, int32_t pan) {
  if (SVoice* v = Voice(sample)) v->pan = SoundClamp127(pan);
}

void CSilentSoundDevice::SetSampleLoopCount(TSoundHandle sample, int32_t loops) {
  if (SVoice* v = Voice(sample)) v->loops = loops < 0 ? 1 : loops;
}

int32_t CSilentSoundDevice::SampleStatus(TSoundHandle sample) {
  return Voice(sample) ? SOUND_STATUS_DONE : SOUND_STATUS_FREE;
}

void CSilentSoundDevice::SampleMsPosition(TSoundHandle sample, int32_t* total, int32_t* current) {
  const SVoice* v = Voice(sample);
  if (total) *total = v ? v->lengthMs : 0;
  if (current) *current = 0;
}

TSoundHandle CSilentSoundDevice::OpenSequence(const void* midi, uint32_t size) {
  if (SoundFileType(midi, size) != SOUNDFILE_MIDI) {
    m_LastError = "not a standard MIDI image";
    return 0;
  }
  for (int i = 0; i < kMusic; ++i) {
    if (!m_Music[i].open) {
      m_Music[i] = SMusic();
      m_Music[i].open = true;
      m_Music[i].data = static_cast<const uint8_t*>(midi);
      m_Music[i].size = size;
      return i + 1;
    }
  }
  m_LastError = "no free music handle";
  return 0;
}

TSoundHandle CSilentSoundDevice::OpenStream(const char* path) {
  std::vector<uint8_t> bytes;
  SMpegInfo info;
  if (!ReadStreamFile(path, bytes) || !SoundMpegInfo(bytes.data(), static_cast<uint32_t>(bytes.size()), info)) {
    m_LastError = "no MPEG audio file";
    return 0;
  }
  for (int i = 0; i < kMusic; ++i) {
    if (!m_Music[i].open) {
      SMusic& m = m_Music[i];
      m = SMusic();
      m.open = true;
      m.stream = true;
      m.owned = std::move(bytes);
      m.data = m.owned.data();
      m.size = static_cast<uint32_t>(m.owned.size());
      m.lengthMs = static_cast<int32_t>(info.lengthMs);
      return i + 1;
    }
  }
  m_LastError = "no free music handle";
  return 0;
}

void CSilentSoundDevice::CloseMusic(TSoundHandle music) {
  if (!Music(music)) return;
  m_Music[music - 1] = SMusic();
  std::erase(m_Ended, music);
}

void CSilentSoundDevice::StartMusic(TSoundHandle music) {
  if (Music(music)) QueueEndNotice(music);
}

int32_t CSilentSoundDevice::MusicStatus(TSoundHandle music) {
  return Music(music) ? SOUND_STATUS_DONE : SOUND_STATUS_FREE;
}

void CSilentSoundDevice::SetMusicVolume(TSoundHandle music, int32_t volume) {
  if (SMusic* m = Music(music)) m->volume = SoundClamp127(volume);
}

int32_t CSilentSoundDevice::GetMusicVolume(TSoundHandle music) {
  const SMusic* m = Music(music);
  return m ? m->volume : 0;
}

void CSilentSoundDevice::SetMusicLoopCount(TSoundHandle music, int32_t loops) {
  if (SMusic* m = Music(music)) m->loops = loops < 0 ? 1 : loops;
}

int32_t CSilentSoundDevice::GetMusicLoopCount(TSoundHandle music) {
  const SMusic* m = Music(music);
  return m ? m->loops : 0;
}

void CSilentSoundDevice::MusicMsPosition(TSoundHandle music, int32_t* total, int32_t* current) {
  const SMusic* m = Music(music);
  if (total) *total = m ? m->lengthMs : 0;
  if (current) *current = m ? m->startMs : 0;
}

void CSilentSoundDevice::SetMusicMsPosition(TSoundHandle music, int32_t ms) {
  if (SMusic* m = Music(music)) m->startMs = ms < 0 ? 0 : ms;
}

void CSilentSoundDevice::SetMusicEndCallback(TSoundHandle music, TSoundEndFunc callback, void* user) {
  if (SMusic* m = Music(music)) {
    m->callback = callback;
    m->user = user;
  }
}

void CSilentSoundDevice::QueueEndNotice(TSoundHandle music) {
  if (std::find(m_Ended.begin(), m_Ended.end(), music) == m_Ended.end()) m_Ended.push_back(music);
}

void CSilentSoundDevice::DeliverEndNotices() {
  // A callback may close or start music, which changes the queue: take it first.
  std::vector<TSoundHandle> ended;
  ended.swap(m_Ended);
  for (TSoundHandle music : ended) {
    const SMusic* m = Music(music);
    if (m && m->callback) m->callback(music, m->user);
  }
}
