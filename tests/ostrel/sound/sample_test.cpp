#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ostrel/sound/milessample.h"
#include "ostrel/sound/soundtest.h"

namespace {
// Real output through SDL's disk driver, slowed so that whatever starts keeps playing while a
// test runs; when a play ends is the test clock's business.
class SoundSample : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Dir.File("output.raw"), 250);
    CRuntimeTest::SetUp();
    WriteWholeFile(m_Wave, FlatWave(2000, 3000));
  }

  std::vector<std::unique_ptr<CMilesSample>> Samples(int n) {
    std::vector<std::unique_ptr<CMilesSample>> out;
    for (int i = 0; i < n; ++i) out.push_back(std::make_unique<CMilesSample>(m_Wave.c_str()));
    return out;
  }

  CTempDir m_Dir;
  std::string m_Wave = m_Dir.File("two-seconds.wav");
};
}  // namespace

TEST_F(SoundSample, TenVoicesAtMost) {
  auto samples = Samples(11);
  ASSERT_EQ(CMiles::IsSoundAvailable(), 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(samples[i]->Start(), 1) << i;
  EXPECT_EQ(samples[10]->Start(), 0);
  EXPECT_EQ(samples[10]->GetStatus(), 2);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(samples[i]->IsPlaying(), 1) << i;

  m_Clock.Advance(2000 + 100);  // the plays have ended
  EXPECT_EQ(samples[0]->IsPlaying(), 0);
  EXPECT_EQ(samples[10]->Start(), 1);
  EXPECT_EQ(samples[10]->IsPlaying(), 1);
}

TEST_F(SoundSample, StartingAPlayingSampleStartsACopy) {
  auto samples = Samples(9);
  CMilesSample& shot = *samples[0];
  EXPECT_EQ(shot.Start(), 1);
  m_Clock.Advance(1000);
  EXPECT_EQ(shot.Start(), 1);  // a copy, on a second voice
  for (int i = 1; i < 9; ++i) EXPECT_EQ(samples[i]->Start(), 1) << i;
  CMilesSample extra(m_Wave.c_str());
  EXPECT_EQ(extra.Start(), 0) << "the copy holds the tenth voice";

  m_Clock.Advance(1100);  // the first play has ended, the copy plays on
  EXPECT_EQ(shot.IsPlaying(), 0);
  EXPECT_EQ(extra.Start(), 1);
  CMilesSample more(m_Wave.c_str());
  EXPECT_EQ(more.Start(), 0);

  m_Clock.Advance(1000);  // and now the copy has ended too
  EXPECT_EQ(more.Start(), 1);
}

TEST_F(SoundSample, ASampleTakesOnlyItsOwnCopiesAlong) {
  auto samples = Samples(8);
  auto a = std::make_unique<CMilesSample>(m_Wave.c_str());
  CMilesSample b(m_Wave.c_str());
  for (CMilesSample* s : {a.get(), &b, a.get(), &b}) EXPECT_EQ(s->Start(), 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(samples[i]->Start(), 1) << i;
  EXPECT_EQ(samples[6]->Start(), 0);
  a.reset();  // a and its copy give back two voices; b's copy plays on
  EXPECT_EQ(samples[6]->Start(), 1);
  EXPECT_EQ(samples[7]->Start(), 1);
  CMilesSample late(m_Wave.c_str());
  EXPECT_EQ(late.Start(), 0);
}

TEST_F(SoundSample, VolumeAndPanKeepHalfOfTheirRange) {
  CMilesSample sample(m_Wave.c_str());
  EXPECT_EQ(sample.GetVolume(), 254);
  EXPECT_EQ(sample.GetPan(), 0);
  EXPECT_EQ(sample.GetLoopCount(), 1);
  const struct {
    int32_t set, get;
  } volumes[] = {{255, 254}, {300, 254}, {129, 128}, {128, 128}, {1, 0}, {-10, 0}},
    pans[] = {{-128, -128}, {127, 126}, {0, 0}, {-1, -2}, {1, 0}, {200, 126}, {-300, -128}},
    loops[] = {{3, 3}, {0, 0}, {-1, -1}, {-2, 1}, {-100, 1}};
  for (const auto& v : volumes) {
    EXPECT_EQ(sample.SetVolume(v.set), 1);
    EXPECT_EQ(sample.GetVolume(), v.get) << "volume " << v.set;
  }
  for (const auto& p : pans) {
    EXPECT_EQ(sample.SetPan(p.set), 1);
    EXPECT_EQ(sample.GetPan(), p.get) << "pan " << p.set;
  }
  for (const auto& l : loops) {
    EXPECT_EQ(sample.SetLoopCount(l.set), 1);
    EXPECT_EQ(sample.GetLoopCount(), l.get) << "loop count " << l.set;
  }
}

TEST_F(SoundSample, PlaysEndByLengthTimesLoopCount) {
  CMilesSample sample(m_Wave.c_str());
  EXPECT_EQ(sample.GetLength(), 2000);
  sample.SetLoopCount(3);
  ASSERT_EQ(sample.Start(), 1);
  m_Clock.Advance(6099);
  EXPECT_EQ(sample.IsPlaying(), 1);
  m_Clock.Advance(1);
  EXPECT_EQ(sample.IsPlaying(), 0);

  ASSERT_EQ(sample.Start(1), 1);  // loop non-zero: for ever
  EXPECT_EQ(sample.GetLoopCount(), 0);
  m_Clock.Advance(3600000);
  EXPECT_EQ(sample.IsPlaying(), 1);
  EXPECT_EQ(sample.Stop(), 1);
  EXPECT_EQ(sample.IsPlaying(), 0);
}

TEST_F(SoundSample, WaitingRunsTheLoopUntilTheEndButNeverForAnEndlessPlay) {
  SetMinimumFrameTime(20);  // every pass waits out 20 ms of the test clock
  CMilesSample sample(m_Wave.c_str());
  const uint32_t start = m_Clock.Now();
  ASSERT_EQ(sample.Start(0, 1), 1);
  EXPECT_GE(m_Clock.Now() - start, 2100u);
  EXPECT_LE(m_Clock.Now() - start, 2200u);
  EXPECT_EQ(sample.IsPlaying(), 0);

  sample.SetLoopCount(0);
  const uint32_t endless = m_Clock.Now();
  ASSERT_EQ(sample.Start(0, 1), 1);
  EXPECT_EQ(m_Clock.Now(), endless);
  EXPECT_EQ(sample.IsPlaying(), 1);
}

TEST_F(SoundSample, APauseDoesNotCountAgainstThePlay) {
  CMilesSample sample(m_Wave.c_str());
  ASSERT_EQ(sample.Start(), 1);
  m_Clock.Advance(500);
  EXPECT_EQ(sample.Pause(), 1);
  EXPECT_EQ(sample.GetStatus(), 8);
  m_Clock.Advance(5000);
  EXPECT_EQ(sample.IsPlaying(), 1);
  EXPECT_EQ(sample.Resume(), 1);
  EXPECT_EQ(sample.GetStatus(), 4);
  m_Clock.Advance(1500);  // 2000 of play and 100 of margin: 100 left
  EXPECT_EQ(sample.IsPlaying(), 1);
  m_Clock.Advance(100);
  EXPECT_EQ(sample.IsPlaying(), 0);
}

// SDL's clock starts again with SDL, so here the play starts and pauses in its first millisecond.
class SoundSampleFromColdStart : public SoundSample {
 protected:
  void SetUp() override {
    SDL_Quit();
    SoundSample::SetUp();
  }
};

TEST_F(SoundSampleFromColdStart, APauseAtOnceHolds) {
  const std::string blip = m_Dir.File("blip.wav");
  WriteWholeFile(blip, FlatWave(300, 3000));
  CMilesSample sample(blip.c_str());
  ASSERT_EQ(sample.Start(), 1);
  EXPECT_EQ(sample.Pause(), 1);
  EXPECT_EQ(sample.GetStatus(), 8);
  EXPECT_EQ(sample.Resume(), 1);
  EXPECT_EQ(sample.GetStatus(), 4);
}

TEST_F(SoundSample, WithoutAFileNothingStarts) {
  CMilesSample empty;
  EXPECT_EQ(empty.Load(nullptr), 0);
  EXPECT_EQ(empty.Start(), 0);
  EXPECT_EQ(empty.Pause(), 0);
  EXPECT_EQ(empty.Resume(), 0);
  EXPECT_EQ(empty.Stop(), 0);
  EXPECT_EQ(empty.GetStatus(), 2);
  EXPECT_EQ(empty.GetPosition(), 0);
  EXPECT_EQ(empty.Load(m_Dir.File("missing.wav").c_str()), 0);
  EXPECT_EQ(empty.Start(), 0);

  CMilesSample copy(&empty);
  EXPECT_EQ(copy.Start(), 0);
}
