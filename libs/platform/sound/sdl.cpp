#include "platform/sound/sdl.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <cstring>

#include "platform/files/resolver.h"
#include "platform/sound/soundfile.h"

namespace {
// The General MIDI sound fonts Debian packages install, best first.
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// The mixer reports the end of music from its audio thread: that thread only raises this flag,
// and the main thread turns it into end notices. An end we asked for ourselves is not reported.
std::atomic<bool> g_MusicFinished{false};
std::atomic<bool> g_HaltingMusic{false};

void SDLCALL OnMusicFinished() {
  if (!g_HaltingMusic.load()) g_MusicFinished.store(true);
}

void SDLCALL CountMixedBytes(int, void*, int len, void* udata) {
  static_cast<std::atomic<uint64_t>*>(udata)->fetch_add(static_cast<uint64_t>(len));
}

SDL_RWops* FromMemory(const void* data, uint32_t size) {
  return size <= static_cast<uint32_t>(INT32_MAX) ? SDL_RWFromConstMem(data, static_cast<int>(size)) : nullptr;
}

int MixVolume(int32_t volume) { return SoundClamp127(volume) * MIX_MAX_VOLUME / 127; }

// Balance: the far side fades while the near side stays at full level.
void PanGains(int32_t pan, uint8_t& left, uint8_t& right) {
  pan = SoundClamp127(pan);
  left = static_cast<uint8_t>(pan <= 64 ? 255 : 255 * (127 - pan) / 63);
  right = static_cast<uint8_t>(pan >= 64 ? 255 : 255 * pan / 64);
}

// Mixer loop counts are extra plays; ours are plays, 0 for ever.
int ChannelLoops(int32_t loops) { return loops == 0 ? -1 : loops - 1; }
int MusicLoops(int32_t loops) { return loops == 0 ? -1 : loops; }

// The mixer marks a paused channel with the tick it paused at, and tick 0 reads as "not paused":
// a pause in the first millisecond after the audio starts would not hold.
void PauseChannel(int channel) {
  while (SDL_GetTicks() == 0) SDL_Delay(1);
  Mix_Pause(channel);
}

void ChooseSoundFont() {
  const char* fromEnvironment = std::getenv("SDL_SOUNDFONTS");
  if (fromEnvironment && *fromEnvironment) return;
  for (const char* font : kSoundFonts) {
    if (PlatformFileExists(font)) {
      Mix_SetSoundFonts(font);
      return;
    }
  }
}
}  // namespace

CSdlSoundDevice::CSdlSoundDevice() = default;

CSdlSoundDevice::~CSdlSoundDevice() { Shutdown(); }

bool CSdlSoundDevice::Startup() {
  if (m_SubsystemUp) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  const char* driver = SDL_GetCurrentAudioDriver();
  if (!driver || std::strcmp(driver, "dummy") == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  m_SubsystemUp = true;
  return true;
}

void CSdlSoundDevice::Shutdown() {
  CloseOutput();
  if (!m_SubsystemUp) return;
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  m_SubsystemUp = false;
}

bool CSdlSoundDevice::OpenOutput(int32_t rate, int32_t bits, int32_t channels) {
  if (!m_SubsystemUp || m_Open) return false;
  if (!CSilentSoundDevice::OpenOutput(rate, bits, channels)) return false;
  ChooseSoundFont();
  const Uint16 format = bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  if (Mix_OpenAudioDevice(rate, format, channels, 1024, nullptr, 0) != 0) return false;
  Mix_AllocateChannels(kVoices);
  Mix_HookMusicFinished(OnMusicFinished);
  g_MusicFinished.store(false);
  m_FrameBytes = bits / 8 * channels;
  m_Open = true;
  SetMasterVolume(127);
  return true;
}

void CSdlSoundDevice::CloseOutput() {
  if (m_Open) {
    Mix_HaltChannel(-1);
    HaltMusic();
    for (int i = 0; i < kVoices; ++i) FreeChannel(i);
    for (auto& tune : m_Tunes) {
      if (tune) Mix_FreeMusic(tune);
      tune = nullptr;
    }
    Mix_HookMusicFinished(nullptr);
    Mix_CloseAudio();
    m_Open = false;
  }
  m_Current = 0;
  CSilentSoundDevice::CloseOutput();
}

const char* CSdlSoundDevice::LastError() const { return Mix_GetError(); }

void CSdlSoundDevice::SetMasterVolume(int32_t volume) {
  CSilentSoundDevice::SetMasterVolume(volume);
  if (!m_Open) return;
  Mix_MasterVolume(MixVolume(m_MasterVolume));
  ApplyMusicVolume();  // the mixer's master volume leaves music alone
}

bool CSdlSoundDevice::DecodeToWave(const void* image, uint32_t size, void** wave, uint32_t* waveSize) {
  const int32_t type = SoundFileType(image, size);
  if (!m_Open || !wave || !waveSize || type < SOUNDFILE_MPEG_LAYER1 || type > SOUNDFILE_MPEG_LAYER3) return false;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(FromMemory(image, size), 1);
  if (!chunk) return false;
  *wave = SoundMakeWave(chunk->abuf, chunk->alen, static_cast<uint32_t>(m_Rate), static_cast<uint16_t>(m_Channels),
                        static_cast<uint16_t>(m_Bits), waveSize);
  Mix_FreeChunk(chunk);
  return *wave != nullptr;
}

void CSdlSoundDevice::FreeChannel(int index) {
  SChannel& c = m_Mixer[index];
  if (!c.chunk && !c.part) return;
  Mix_HaltChannel(index);
  if (c.part) Mix_FreeChunk(c.part);  // leaves the shared memory alone
  if (c.chunk) Mix_FreeChunk(c.chunk);
  c.part = nullptr;
  c.chunk = nullptr;
  c.offset = 0;
}

void CSdlSoundDevice::ReleaseSample(TSoundHandle sample) {
  if (!Voice(sample)) return;
  FreeChannel(sample - 1);
  CSilentSoundDevice::ReleaseSample(sample);
}

bool CSdlSoundDevice::SetSampleFile(TSoundHandle sample, const void* wave, uint32_t size) {
  if (!m_Open || !Voice(sample)) return false;
  FreeChannel(sample - 1);
  if (!CSilentSoundDevice::SetSampleFile(sample, wave, size)) return false;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(FromMemory(wave, size), 1);
  if (!chunk) {
    Voice(sample)->loaded = false;
    return false;
  }
  m_Mixer[sample - 1].chunk = chunk;
  return true;
}

void CSdlSoundDevice::SetSampleVolume(TSoundHandle sample, int32_t volume) {
  CSilentSoundDevice::SetSampleVolume(sample, volume);
  if (const SVoice* v = Voice(sample)) Mix_Volume(sample - 1, MixVolume(v->volume));
}

void CSdlSoundDevice::ApplyPan(TSoundHandle sample) {
  uint8_t left, right;
  PanGains(Voice(sample)->pan, left, right);
  Mix_SetPanning(sample - 1, left, right);
}

void CSdlSoundDevice::SetSamplePan(TSoundHandle sample, int32_t pan) {
  CSilentSoundDevice::SetSamplePan(sample, pan);
  if (Voice(sample) && Mix_Playing(sample - 1)) ApplyPan(sample);
}

// Plays the voice's chunk from a byte offset. Ending a play drops the channel's effects, so the
// pan and the position counter go on again for every play.
void CSdlSoundDevice::PlayChannel(TSoundHandle sample, uint32_t offset) {
  const SVoice* v = Voice(sample);
  SChannel& c = m_Mixer[sample - 1];
  if (!v || !v->loaded || !c.chunk) return;
  const int channel = sample - 1;
  Mix_HaltChannel(channel);
  if (c.part) Mix_FreeChunk(c.part);
  c.part = nullptr;
  c.offset = 0;
  Mix_Chunk* play = c.chunk;
  if (offset > 0 && offset < c.chunk->alen) {
    c.part = Mix_QuickLoad_RAW(c.chunk->abuf + offset, c.chunk->alen - offset);
    if (c.part) {
      c.offset = offset;
      play = c.part;
    }
  }
  c.mixed.store(0);
  Mix_Volume(channel, MixVolume(v->volume));
  ApplyPan(sample);
  Mix_RegisterEffect(channel, CountMixedBytes, nullptr, &c.mixed);
  Mix_PlayChannel(channel, play, ChannelLoops(v->loops));
}

void CSdlSoundDevice::StartSample(TSoundHandle sample) { PlayChannel(sample, 0); }

void CSdlSoundDevice::StopSample(TSoundHandle sample) {
  if (Voice(sample)) PauseChannel(sample - 1);
}

void CSdlSoundDevice::ResumeSample(TSoundHandle sample) {
  if (Voice(sample)) Mix_Resume(sample - 1);
}

void CSdlSoundDevice::EndSample(TSoundHandle sample) {
  if (Voice(sample)) Mix_HaltChannel(sample - 1);
}

int32_t CSdlSoundDevice::SampleStatus(TSoundHandle sample) {
  if (!Voice(sample)) return SOUND_STATUS_FREE;
  if (!m_Mixer[sample - 1].chunk || !Mix_Playing(sample - 1)) return SOUND_STATUS_DONE;
  return Mix_Paused(sample - 1) ? SOUND_STATUS_PAUSED : SOUND_STATUS_PLAYING;
}

void CSdlSoundDevice::SampleMsPosition(TSoundHandle sample, int32_t* total, int32_t* current) {
  CSilentSoundDevice::SampleMsPosition(sample, total, current);
  if (!current || !Voice(sample) || SampleStatus(sample) == SOUND_STATUS_DONE) return;
  const SChannel& c = m_Mixer[sample - 1];
  const uint64_t span = c.chunk->alen - c.offset;
  if (span == 0 || m_FrameBytes == 0 || m_Rate <= 0) return;
  const uint64_t at = c.offset + c.mixed.load() % span;
  *current = static_cast<int32_t>(at / static_cast<uint64_t>(m_FrameBytes) * 1000 / static_cast<uint64_t>(m_Rate));
}

// Takes effect on a voice that plays: it goes on from there (and loops from there too).
void CSdlSoundDevice::SetSampleMsPosition(TSoundHandle sample, int32_t ms) {
  if (!Voice(sample) || SampleStatus(sample) == SOUND_STATUS_DONE) return;
  const bool paused = Mix_Paused(sample - 1);
  const uint64_t frame = static_cast<uint64_t>(ms < 0 ? 0 : ms) * static_cast<uint64_t>(m_Rate) / 1000;
  const uint64_t offset = frame * static_cast<uint64_t>(m_FrameBytes);
  const uint32_t length = m_Mixer[sample - 1].chunk->alen;
  PlayChannel(sample, offset < length ? static_cast<uint32_t>(offset) : 0);
  if (paused) PauseChannel(sample - 1);
}

TSoundHandle CSdlSoundDevice::OpenMusicFrom(TSoundHandle music) {
  if (!music) return 0;
  const SMusic* m = Music(music);
  SDL_RWops* source = FromMemory(m->data, m->size);
  m_Tunes[music - 1] = source ? Mix_LoadMUSType_RW(source, m->stream ? MUS_MP3 : MUS_MID, 1) : nullptr;
  if (!m_Tunes[music - 1]) {
    CSilentSoundDevice::CloseMusic(music);
    return 0;
  }
  return music;
}

TSoundHandle CSdlSoundDevice::OpenSequence(const void* midi, uint32_t size) {
  if (!m_Open) return 0;
  return OpenMusicFrom(CSilentSoundDevice::OpenSequence(midi, size));
}

TSoundHandle CSdlSoundDevice::OpenStream(const char* path) {
  if (!m_Open) return 0;
  return OpenMusicFrom(CSilentSoundDevice::OpenStream(path));
}

void CSdlSoundDevice::CloseMusic(TSoundHandle music) {
  if (!Music(music)) return;
  if (IsCurrent(music)) HaltMusic();
  if (m_Tunes[music - 1]) Mix_FreeMusic(m_Tunes[music - 1]);
  m_Tunes[music - 1] = nullptr;
  CSilentSoundDevice::CloseMusic(music);
}

void CSdlSoundDevice::HaltMusic() {
  g_HaltingMusic.store(true);
  Mix_HaltMusic();
  g_HaltingMusic.store(false);
  g_MusicFinished.store(false);
  m_Current = 0;
}

// An end the audio thread flagged belongs to the music that was playing then.
void CSdlSoundDevice::NoteNaturalEnd() {
  if (g_MusicFinished.exchange(false) && m_Current) {
    QueueEndNotice(m_Current);
    m_Current = 0;
  }
}

void CSdlSoundDevice::ApplyMusicVolume() {
  if (const SMusic* m = Music(m_Current)) Mix_VolumeMusic(MixVolume(m->volume * m_MasterVolume / 127));
}

void CSdlSoundDevice::StartMusic(TSoundHandle music) {
  const SMusic* m = Music(music);
  if (!m) return;
  NoteNaturalEnd();
  HaltMusic();
  m_Current = music;
  ApplyMusicVolume();
  if (Mix_PlayMusic(m_Tunes[music - 1], MusicLoops(m->loops)) != 0) {
    m_Current = 0;
    return;
  }
  if (m->startMs > 0) Mix_SetMusicPosition(m->startMs / 1000.0);
}

void CSdlSoundDevice::PauseMusic(TSoundHandle music) {
  if (IsCurrent(music)) Mix_PauseMusic();
}

void CSdlSoundDevice::ResumeMusic(TSoundHandle music) {
  if (IsCurrent(music)) Mix_ResumeMusic();
}

void CSdlSoundDevice::EndMusic(TSoundHandle music) {
  if (IsCurrent(music)) HaltMusic();
}

int32_t CSdlSoundDevice::MusicStatus(TSoundHandle music) {
  if (!Music(music)) return SOUND_STATUS_FREE;
  if (!IsCurrent(music) || !Mix_PlayingMusic()) return SOUND_STATUS_DONE;
  return Mix_PausedMusic() ? SOUND_STATUS_PAUSED : SOUND_STATUS_PLAYING;
}

void CSdlSoundDevice::SetMusicVolume(TSoundHandle music, int32_t volume) {
  CSilentSoundDevice::SetMusicVolume(music, volume);
  if (IsCurrent(music)) ApplyMusicVolume();
}

void CSdlSoundDevice::MusicMsPosition(TSoundHandle music, int32_t* total, int32_t* current) {
  CSilentSoundDevice::MusicMsPosition(music, total, current);
  if (!Music(music)) return;
  _Mix_Music* tune = m_Tunes[music - 1];
  const double length = Mix_MusicDuration(tune);
  if (total && length >= 0) *total = static_cast<int32_t>(length * 1000);
  if (current && IsCurrent(music) && Mix_PlayingMusic()) {
    const double at = Mix_GetMusicPosition(tune);
    if (at >= 0) *current = static_cast<int32_t>(at * 1000);
  }
}

void CSdlSoundDevice::SetMusicMsPosition(TSoundHandle music, int32_t ms) {
  CSilentSoundDevice::SetMusicMsPosition(music, ms);
  if (!IsCurrent(music) || !Mix_PlayingMusic()) return;
  if (ms <= 0) {
    Mix_RewindMusic();
  } else {
    Mix_SetMusicPosition(ms / 1000.0);
  }
}

void CSdlSoundDevice::DeliverEndNotices() {
  NoteNaturalEnd();
  CSilentSoundDevice::DeliverEndNotices();
}
