#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "ostrel/base/xstring.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/soundtest.h"
#include "ostrel/system/frameloop.h"
#include "platform/files/resolver.h"

namespace {
int32_t g_Active = 1;
int32_t ProgramActive() { return g_Active; }

// Without an output (SDL's dummy driver) every piece ends as soon as it starts, which is what
// drives the jukebox.
class SilentMusic : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDummyAudio();
    CRuntimeTest::SetUp();
  }

  std::string Track(const char* name, const std::string& content = OneNoteMidi()) {
    const std::string path = m_Dir.File(name);
    WriteWholeFile(path, content);
    return path;
  }

  // One frame-loop pass every 2 seconds of the test clock.
  void Pass() {
    m_Clock.Advance(2000);
    xHandler();
  }

  static std::string Name(const char* path) {
    const std::string p = path ? path : "";
    return p.substr(p.find_last_of('/') + 1);
  }

  CTempDir m_Dir;
};

// Music that keeps playing: MIDI on the slowed disk driver.
class PlayingMusic : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Dir.File("output.raw"), 250);
    CRuntimeTest::SetUp();
    g_Active = 1;
    xSetMusicFocusSource(ProgramActive);
  }
  void TearDown() override {
    xSetMusicFocusSource(nullptr);
    CRuntimeTest::TearDown();
  }

  CTempDir m_Dir;
};
}  // namespace

TEST_F(SilentMusic, TheFirstPlayerIsTheProcesss) {
  auto first = std::make_unique<CMilesMusic>();
  EXPECT_EQ(sglb->m_pMusic, first.get());
  {
    CMilesMusic second;
    EXPECT_EQ(sglb->m_pMusic, first.get());
  }
  first.reset();
  EXPECT_EQ(sglb->m_pMusic, nullptr);
}

TEST_F(SilentMusic, LoadStartEndAndRewind) {
  CMilesMusic music;
  EXPECT_EQ(music.GetMusicState(), MUSIC_STOPPED);
  EXPECT_EQ(music.Start(), 0);
  EXPECT_EQ(music.Load(m_Dir.File("none.mid").c_str()), 0);
  EXPECT_EQ(music.Load(m_Dir.File("none.mid").c_str()), 0) << "a failed track is not the current one";
  EXPECT_EQ(music.Load(Track("set.dls", std::string("RIFF\x04\0\0\0DLS ", 12)).c_str()), 0);
  EXPECT_EQ(music.GetTrackName(), nullptr);

  const std::string tune = Track("tune.mid");
  ASSERT_EQ(music.Load(tune.c_str()), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_PAUSED);
  EXPECT_EQ(music.GetLoopCount(), 0);  // no jukebox: for ever
  EXPECT_EQ(music.Start(), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_PLAYING);
  EXPECT_EQ(music.IsPlaying(), 0);  // silence ends at once
  EXPECT_EQ(music.GetAtEnd(), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_STOPPED);
  EXPECT_EQ(music.Start(), 0);
  EXPECT_EQ(music.Resume(), 0);

  std::string sameName = tune;
  xStrUpperCase(sameName.data() + sameName.size() - 8);
  EXPECT_EQ(music.Load(sameName.c_str()), 1);  // the same track only rewinds
  EXPECT_EQ(music.GetAtEnd(), 0);
  EXPECT_EQ(music.Start(), 1);

  EXPECT_EQ(music.SetVolume(255), 1);
  EXPECT_EQ(music.GetVolume(), 254);
  EXPECT_EQ(music.SetVolume(-3), 1);
  EXPECT_EQ(music.GetVolume(), 0);
  music.SetAtEnd(0);
  music.SetMusicState(MUSIC_PLAYING);
  EXPECT_EQ(music.Stop(), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_STOPPED);
}

TEST_F(SilentMusic, WaitingNeverHangsOnEndlessMusic) {
  CMilesMusic music;
  ASSERT_EQ(music.Load(Track("tune.mid").c_str()), 1);
  ASSERT_EQ(music.GetLoopCount(), 0);
  const uint32_t before = m_Clock.Now();
  EXPECT_EQ(music.Start(0, 1), 1);
  EXPECT_EQ(m_Clock.Now(), before);
}

TEST_F(SilentMusic, TheJukeboxListsItsFolder) {
  for (const char* name : {"b.MID", "a.mid", "c.xmi", "d.mp3", "notes.txt", "e.mid.bak"}) Track(name);
  CMilesMusic music;
  EXPECT_EQ(music.SetExtraMusicPath(nullptr), 0);
  ASSERT_EQ(music.SetExtraMusicPath(m_Dir.Path().c_str()), 1);
  EXPECT_EQ(music.GetTrackCount(), 4);
  EXPECT_EQ(music.GetTrackName(), nullptr);  // the jukebox is off: nothing loads
  std::string sameFolder = m_Dir.Path();
  xStrUpperCase(sameFolder.data());
  ASSERT_EQ(music.SetExtraMusicPath(sameFolder.c_str()), 1);  // the same folder: kept as it is
  EXPECT_EQ(music.GetTrackCount(), 4);
}

TEST_F(SilentMusic, TheJukeboxNeverPicksTheSameTrackTwiceInARow) {
  for (const char* name : {"b.MID", "a.mid", "c.mid"}) Track(name);
  CMilesMusic music;
  music.SetJukebox(1);
  ASSERT_EQ(music.SetExtraMusicPath(m_Dir.Path().c_str()), 1);

  std::map<std::string, int> picks;
  std::string last;
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(music.Load(nullptr), 1);
    const std::string name = Name(music.GetTrackName());
    EXPECT_NE(name, last) << "pick " << i;
    last = name;
    ++picks[name];
  }
  EXPECT_EQ(picks.size(), 3u);
  for (const auto& p : picks) EXPECT_GT(p.second, 60) << p.first;

  EXPECT_EQ(music.Load("named.mid"), 1);  // a jukebox with tracks takes no names
  EXPECT_EQ(Name(music.GetTrackName()), last);
}

TEST_F(SilentMusic, AJukeboxWithOneTrackPlaysItAgain) {
  Track("only.mid");
  CMilesMusic music;
  music.SetJukebox(1);
  ASSERT_EQ(music.SetExtraMusicPath(m_Dir.Path().c_str()), 1);
  ASSERT_EQ(Name(music.GetTrackName()), "only.mid");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(music.Start(), 1);
    EXPECT_EQ(music.IsPlaying(), 0);
    EXPECT_EQ(music.Load(nullptr), 1);
    EXPECT_EQ(Name(music.GetTrackName()), "only.mid");
  }
}

TEST_F(SilentMusic, TheJukeboxStepsEveryTwoSeconds) {
  Track("a.mid");
  Track("b.mid");
  CMilesMusic music;
  ASSERT_EQ(sglb->m_pMusic, &music);
  music.SetJukebox(1);
  ASSERT_EQ(music.SetExtraMusicPath(m_Dir.Path().c_str()), 1);
  const std::string first = Name(music.GetTrackName());
  ASSERT_EQ(music.Start(), 1);

  m_Clock.Advance(1999);
  xHandler();
  EXPECT_EQ(music.GetJukeboxStep(), 0);
  EXPECT_EQ(music.GetAtEnd(), 1);
  m_Clock.Advance(1);
  xHandler();
  EXPECT_EQ(music.GetJukeboxStep(), 1);
  Pass();
  EXPECT_EQ(music.GetJukeboxStep(), 2);
  EXPECT_NE(Name(music.GetTrackName()), first);
  EXPECT_EQ(music.GetAtEnd(), 0);
  Pass();
  EXPECT_EQ(music.GetJukeboxStep(), 0);
  Pass();
  EXPECT_EQ(music.GetJukeboxStep(), 1);
  Pass();
  EXPECT_EQ(Name(music.GetTrackName()), first);
}

TEST_F(SilentMusic, AJukeboxTrackThatFailsHaltsTheJukebox) {
  Track("bad.xmi", std::string("FORM\0\0\0\x04XDIR", 12));
  CMilesMusic music;
  music.SetJukebox(1);
  ASSERT_EQ(music.SetExtraMusicPath(m_Dir.Path().c_str()), 1);
  EXPECT_EQ(music.GetTrackName(), nullptr);
  music.SetAtEnd(1);
  Pass();
  EXPECT_EQ(music.GetJukeboxStep(), 1);
  Pass();
  EXPECT_EQ(music.GetJukeboxStep(), 3);
  Pass();
  Pass();
  EXPECT_EQ(music.GetJukeboxStep(), 3);
  music.SetJukebox(0);
  music.SetJukebox(1);
  EXPECT_EQ(music.GetJukeboxStep(), 0);
}

TEST_F(SilentMusic, SwitchingTheJukeboxOffBringsBackTheRequestedTrack) {
  const std::string requested = Track("requested.mid");
  const std::string folder = m_Dir.Path() + "/jukebox";
  ASSERT_EQ(PlatformMakeFolder(folder.c_str()), 1);
  WriteWholeFile(folder + "/track.mid", OneNoteMidi());
  CMilesMusic music;
  ASSERT_EQ(music.Load(requested.c_str()), 1);
  ASSERT_EQ(music.SetExtraMusicPath(folder.c_str()), 1);
  EXPECT_EQ(Name(music.GetTrackName()), "requested.mid");  // the jukebox is off
  music.SetJukebox(1);
  EXPECT_EQ(Name(music.GetTrackName()), "track.mid");
  EXPECT_EQ(music.GetVolume(), 150);
  music.SetJukebox(0);
  EXPECT_EQ(Name(music.GetTrackName()), "requested.mid");
  EXPECT_EQ(music.GetLoopCount(), 0);
}

TEST_F(PlayingMusic, LosingTheFocusMutesAndPauses) {
  CMilesMusic music;
  ASSERT_EQ(music.Load(StagedSound("tune.mid").c_str()), 1) << music.GetLastError();
  ASSERT_EQ(music.Start(), 1);
  EXPECT_EQ(music.GetStatus(), 4);
  ASSERT_EQ(music.SetMasterVolume(200), 1);

  g_Active = 0;
  xHandler();
  EXPECT_EQ(music.GetMasterVolume(), 0);
  EXPECT_EQ(music.GetMusicState(), MUSIC_PAUSED);
  EXPECT_EQ(music.GetStatus(), 8);
  xHandler();
  EXPECT_EQ(music.GetMasterVolume(), 0);

  g_Active = 1;
  xHandler();
  EXPECT_EQ(music.GetMasterVolume(), 200);
  EXPECT_EQ(music.GetMusicState(), MUSIC_PLAYING);
  EXPECT_EQ(music.GetStatus(), 4);
  EXPECT_EQ(music.IsPlaying(), 1);

  // Music the user had paused stays paused when the focus comes back.
  EXPECT_EQ(music.Pause(), 1);
  g_Active = 0;
  xHandler();
  g_Active = 1;
  xHandler();
  EXPECT_EQ(music.GetMusicState(), MUSIC_PAUSED);
  EXPECT_EQ(music.GetStatus(), 8);
  EXPECT_EQ(music.GetMasterVolume(), 200);
}

TEST_F(PlayingMusic, StoppingAStreamRewindsIt) {
  CMilesMusic music;
  ASSERT_EQ(music.Load(StagedSound("tune.mp3").c_str()), 1) << music.GetLastError();
  ASSERT_EQ(music.Start(), 1);
  EXPECT_EQ(music.GetStatus(), 4);
  EXPECT_EQ(music.SetPosition(1000), 1);
  EXPECT_GE(music.GetPosition(), 1000);
  EXPECT_EQ(music.Stop(), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_STOPPED);
  EXPECT_EQ(music.GetStatus(), 8);
  EXPECT_LT(music.GetPosition(), 200);
  EXPECT_EQ(music.Start(), 1);
  EXPECT_EQ(music.GetStatus(), 4);
  EXPECT_EQ(music.IsPlaying(), 1);
}
