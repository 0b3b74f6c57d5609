// Background music: one piece at a time, a MIDI sequence or a streamed MPEG file. The player
// pauses and mutes everything while the program's window is inactive, and can run as a jukebox
// over the music files of a folder. The frame loop calls the process's player's Ticker once a
// frame.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"
#include "ostrel/sound/miles.h"
#include "platform/sound/sound.h"

enum : int32_t { MUSIC_PAUSED = 0, MUSIC_PLAYING = 1, MUSIC_STOPPED = 2 };

class CMilesMusic : public CMiles {
 public:
  // The first player made while there is sound becomes the process's music player.
  CMilesMusic();
  ~CMilesMusic() override;

  int32_t Load(const char* name) override;
  // wait (with a first argument of 0) runs the frame loop until a finite piece has ended.
  int32_t Start(int32_t loop = 0, int32_t wait = 0) override;
  int32_t Pause() override;
  int32_t Resume() override;
  int32_t Stop() override;
  int32_t IsPlaying() override;
  int32_t SetVolume(int32_t volume) override;  // 0..255
  int32_t SetLoopCount(int32_t count) override;
  int32_t GetStatus() override;
  int32_t GetVolume() override;
  int32_t GetLoopCount() override;
  int32_t GetPosition() override;
  int32_t SetPosition(int32_t ms) override;
  int32_t Rewind();

  // Setting the at-end flag also stops the player (state 2).
  void SetAtEnd(int32_t atEnd);
  int32_t GetAtEnd() const { return m_AtEnd; }
  int32_t GetMusicState() const { return m_State; }
  void SetMusicState(int32_t state) { m_State = state; }

  // Lists the folder's "*.mp3", "*.mid" and "*.xmi" files as the jukebox's tracks; 0 for null.
  int32_t SetExtraMusicPath(const char* folder);
  const char* GetExtraMusicPath() const { return m_pExtraPath; }
  void SetJukebox(int32_t on);
  int32_t GetJukebox() const { return m_Jukebox; }
  void SetJukeboxVolume(uint32_t volume) { m_JukeboxVolume = volume; }
  uint32_t GetJukeboxVolume() const { return m_JukeboxVolume; }
  // The track loaded now (null when none).
  const char* GetTrackName() const { return m_pCurrent; }
  int32_t GetTrackCount() const { return m_Tracks.GetNumNodes(); }
  // 0 waits for the end, 1 loads the next track, 2 starts it, 3 halted.
  int32_t GetJukeboxStep() const { return m_Step; }

  void Ticker();

 private:
  TSoundHandle Handle() const { return m_hSequence ? m_hSequence : m_hStream; }
  void Unload();
  const char* PickTrack();
  void FollowFocus();
  void StepJukebox();
  static void OnEnd(TSoundHandle music, void* user);

  TSoundHandle m_hSequence = 0;
  TSoundHandle m_hStream = 0;
  int32_t m_Loaded = 0;
  int32_t m_State = MUSIC_STOPPED;
  int32_t m_AtEnd = 0;
  int32_t m_HasTracks = 0;
  CLList m_Tracks;  // char* paths
  char* m_pExtraPath = nullptr;
  int32_t m_Jukebox = 0;
  uint32_t m_JukeboxVolume = 150;
  char* m_pCurrent = nullptr;
  char* m_pRequested = nullptr;
  int32_t m_LastPick = -1;
  int32_t m_Step = 0;
  uint32_t m_LastStep;
  int32_t m_Inactive = 0;
  int32_t m_SavedMasterVolume = 0;
  int32_t m_SavedState = MUSIC_STOPPED;
};

// Where the player learns whether the program's window is active (1) or not (0); null returns to
// the current screen's flag.
using TMusicFocusFunc = int32_t (*)();
void xSetMusicFocusSource(TMusicFocusFunc source);
