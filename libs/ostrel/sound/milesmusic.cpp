#include "ostrel/sound/milesmusic.h"

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ostrel/base/paths.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/crypto/random.h"
#include "ostrel/sound/milesfile.h"
#include "ostrel/sound/soundstate.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/runtimeobjects.h"
#include "platform/files/resolver.h"
#include "platform/sound/soundfile.h"

namespace {
constexpr uint32_t kJukeboxStepInterval = 2000;
const char* const kTrackPatterns[] = {".mp3", ".mid", ".xmi"};

TMusicFocusFunc g_FocusSource = nullptr;

bool EndsWithNoCase(const std::string& name, const char* suffix) {
  const size_t n = xStrlen(suffix);
  return name.size() > n && xStricmp(name.c_str() + name.size() - n, suffix) == 0;
}

// The folder's files of each pattern in turn, each group in name order.
std::vector<std::string> ListTracks(const char* folder) {
  std::vector<std::string> names;
  const std::string resolved = PlatformResolvePath(folder);
  if (DIR* dir = opendir(resolved.c_str())) {
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  std::string prefix = folder;
  if (!prefix.empty() && !xIsPathSeparator(prefix.back())) prefix += '/';
  std::vector<std::string> tracks;
  for (const char* pattern : kTrackPatterns) {
    for (const std::string& name : names) {
      const std::string path = prefix + name;
      if (EndsWithNoCase(name, pattern) && PlatformFileExists(path.c_str())) tracks.push_back(path);
    }
  }
  return tracks;
}

void ReplaceText(char*& field, const char* text) {
  char* copy = text ? xStrdup(text) : nullptr;
  xFree(field);
  field = copy;
}

bool IsStreamName(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = xToLowerAscii(c);
  return lower.find(".mp3") != std::string::npos || lower.find(".mus") != std::string::npos;
}
}  // namespace

void xSetMusicFocusSource(TMusicFocusFunc source) { g_FocusSource = source; }

CMilesMusic::CMilesMusic() : m_LastStep(xGetTime()) {
  if (IsSoundAvailable() && sglb && !sglb->m_pMusic) sglb->m_pMusic = this;
}

CMilesMusic::~CMilesMusic() {
  if (sglb && sglb->m_pMusic == this) sglb->m_pMusic = nullptr;
  Unload();
  m_Tracks.KillAllData();
  xFree(m_pExtraPath);
  xFree(m_pCurrent);
  xFree(m_pRequested);
}

void CMilesMusic::OnEnd(TSoundHandle, void* user) { static_cast<CMilesMusic*>(user)->SetAtEnd(1); }

void CMilesMusic::Unload() {
  if (CSoundDevice* device = xSoundDevice(); device && Handle()) device->CloseMusic(Handle());
  m_hSequence = 0;
  m_hStream = 0;
  m_Loaded = 0;
  m_pFile->Unload();
}

const char* CMilesMusic::PickTrack() {
  const int32_t count = m_Tracks.GetNumNodes();
  if (count <= 0) return nullptr;
  int32_t pick = 0;
  if (count > 1) {
    const bool avoid = m_LastPick >= 0 && m_LastPick < count;
    pick = static_cast<int32_t>(xRand(static_cast<uint32_t>(avoid ? count - 1 : count)));
    if (avoid && pick >= m_LastPick) ++pick;
  }
  m_LastPick = pick;
  return static_cast<const char*>(m_Tracks.Get(pick));
}

int32_t CMilesMusic::Load(const char* name) {
  CSoundDevice* device = xSoundDevice();
  if (!device) return 0;
  std::string track = name ? name : "";
  if (name && (!m_pRequested || xStricmp(name, m_pRequested) != 0)) ReplaceText(m_pRequested, name);

  if (m_Jukebox && m_HasTracks) {
    if (name) return 1;
    const char* pick = PickTrack();
    if (pick) track = pick;
    name = pick;
  }
  Stop();
  if (!name) return 0;
  if (m_Loaded && m_pCurrent && xStricmp(track.c_str(), m_pCurrent) == 0) return Rewind();

  Unload();
  ReplaceText(m_pCurrent, track.c_str());
  TSoundHandle h = 0;
  if (IsStreamName(track)) {
    h = m_hStream = device->OpenStream(track.c_str());
  } else if (m_pFile->Load(track.c_str()) && m_pFile->GetFileType() == SOUNDFILE_MIDI) {
    h = m_hSequence = device->OpenSequence(m_pFile->GetImage(), m_pFile->GetImageSize());
  }
  if (!h) {
    // Forget the name, or asking for it again would only rewind nothing.
    Unload();
    ReplaceText(m_pCurrent, nullptr);
    return 0;
  }
  if (!m_Jukebox || !m_HasTracks) {
    device->SetMusicLoopCount(h, 0);
  } else {
    device->SetMusicVolume(h, SoundClamp127(static_cast<int32_t>(m_JukeboxVolume / 2)));
  }
  device->SetMusicEndCallback(h, OnEnd, this);
  m_Loaded = 1;
  m_State = MUSIC_PAUSED;
  m_AtEnd = 0;
  return 1;
}

int32_t CMilesMusic::Start(int32_t loop, int32_t wait) {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  device->DeliverEndNotices();
  if (m_AtEnd) return 0;
  const int32_t status = device->MusicStatus(Handle());
  if (status == SOUND_STATUS_PAUSED) {
    device->ResumeMusic(Handle());
  } else if (status != SOUND_STATUS_PLAYING) {
    device->StartMusic(Handle());
  }
  m_State = MUSIC_PLAYING;
  // An endless piece never ends: waiting for it would hang the program.
  if (wait && !loop && device->GetMusicLoopCount(Handle()) != 0) {
    while (IsPlaying()) {
      if (xHandler() != 0) break;
    }
  }
  return 1;
}

int32_t CMilesMusic::Pause() {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  device->PauseMusic(Handle());
  m_State = MUSIC_PAUSED;
  return 1;
}

int32_t CMilesMusic::Resume() {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded || m_AtEnd) return 0;
  device->ResumeMusic(Handle());
  m_State = MUSIC_PLAYING;
  return 1;
}

int32_t CMilesMusic::Stop() {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  if (m_Jukebox && m_HasTracks && !m_AtEnd) return 1;  // the jukebox lets a track play out
  if (m_hSequence) {
    device->EndMusic(m_hSequence);
  } else {
    device->PauseMusic(m_hStream);
    device->SetMusicMsPosition(m_hStream, 0);
  }
  m_State = MUSIC_STOPPED;
  return 1;
}

int32_t CMilesMusic::Rewind() {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  device->SetMusicMsPosition(Handle(), 0);
  m_AtEnd = 0;
  return 1;
}

int32_t CMilesMusic::IsPlaying() {
  if (CSoundDevice* device = xSoundDevice()) device->DeliverEndNotices();
  return m_Loaded && m_State == MUSIC_PLAYING;
}

int32_t CMilesMusic::SetVolume(int32_t volume) {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  device->SetMusicVolume(Handle(), SoundClamp127(volume / 2));
  return 1;
}

int32_t CMilesMusic::GetVolume() {
  CSoundDevice* device = xSoundDevice();
  return device && m_Loaded ? device->GetMusicVolume(Handle()) * 2 : 0;
}

int32_t CMilesMusic::SetLoopCount(int32_t count) {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  device->SetMusicLoopCount(Handle(), count);
  return 1;
}

int32_t CMilesMusic::GetLoopCount() {
  CSoundDevice* device = xSoundDevice();
  return device && m_Loaded ? device->GetMusicLoopCount(Handle()) : 0;
}

int32_t CMilesMusic::GetStatus() {
  CSoundDevice* device = xSoundDevice();
  return device && m_Loaded ? device->MusicStatus(Handle()) : 0;
}

int32_t CMilesMusic::GetPosition() {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  int32_t total = 0, current = 0;
  device->MusicMsPosition(Handle(), &total, &current);
  return current;
}

int32_t CMilesMusic::SetPosition(int32_t ms) {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_Loaded) return 0;
  device->SetMusicMsPosition(Handle(), ms);
  return 1;
}

void CMilesMusic::SetAtEnd(int32_t atEnd) {
  m_AtEnd = atEnd;
  if (atEnd) m_State = MUSIC_STOPPED;
}

int32_t CMilesMusic::SetExtraMusicPath(const char* folder) {
  if (!folder) return 0;
  if (m_pExtraPath && xStricmp(folder, m_pExtraPath) == 0) return 1;
  ReplaceText(m_pExtraPath, folder);
  m_Tracks.KillAllData();
  for (const std::string& track : ListTracks(folder)) m_Tracks.InsertLast(xStrdup(track.c_str()));
  m_LastPick = -1;
  m_HasTracks = m_Tracks.GetNumNodes() > 0;
  if (m_HasTracks && m_Jukebox) Load(nullptr);
  return 1;
}

void CMilesMusic::SetJukebox(int32_t on) {
  on = on ? 1 : 0;
  if (on == m_Jukebox) return;
  m_Jukebox = on;
  m_Step = 0;
  if (on && m_HasTracks) {
    Load(nullptr);
  } else if (m_pRequested) {
    const std::string requested = m_pRequested;
    Load(requested.c_str());
  }
}

void CMilesMusic::FollowFocus() {
  const int32_t active = g_FocusSource ? g_FocusSource() : xCurrentScreenActive();
  if (!active && !m_Inactive) {
    m_Inactive = 1;
    m_SavedMasterVolume = GetMasterVolume();
    SetMasterVolume(0);
    m_SavedState = m_State;
    if (m_State == MUSIC_PLAYING) Pause();
  } else if (active && m_Inactive) {
    m_Inactive = 0;
    SetMasterVolume(m_SavedMasterVolume);
    if (m_SavedState == MUSIC_PLAYING) Resume();
  }
}

void CMilesMusic::StepJukebox() {
  switch (m_Step) {
    case 0:
      if (m_AtEnd) m_Step = 1;
      break;
    case 1:
      m_Step = Load(nullptr) ? 2 : 3;
      break;
    case 2:
      m_Step = Start() ? 0 : 3;
      break;
    default:
      break;  // halted until the jukebox is switched off and on
  }
}

void CMilesMusic::Ticker() {
  CSoundDevice* device = xSoundDevice();
  if (!device) return;
  device->DeliverEndNotices();
  FollowFocus();
  if (!m_Jukebox || !m_HasTracks) return;
  // Steps follow elapsed time, whatever the frame rate.
  const uint32_t now = xGetTime();
  if (xTimeDiff(m_LastStep, now) < kJukeboxStepInterval) return;
  m_LastStep = now;
  StepJukebox();
}
