#include <gtest/gtest.h>

#include <string>

#include "ostrel/sound/milessample.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/sound/soundtest.h"

namespace {
// Samples of one second on the slowed disk driver (see the sample tests): the test clock decides
// when a play ends.
class SampleContainer : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Dir.File("output.raw"), 250);
    CRuntimeTest::SetUp();
    WriteWholeFile(m_Wave, FlatWave(1000, 2000));
  }

  // Loads ids with the one-second wave.
  void LoadIds(CSampleContainer& c, std::initializer_list<uint32_t> ids) {
    for (uint32_t id : ids) ASSERT_EQ(c.Load(id, m_Wave.c_str()), 1) << id;
  }

  CTempDir m_Dir;
  std::string m_Wave = m_Dir.File("second.wav");
};
}  // namespace

TEST_F(SampleContainer, ASequencePausesBetweenEntries) {
  CSampleContainer c(500);
  LoadIds(c, {5, 7});
  uint32_t ids[] = {5, 7, SAMPLE_SEQUENCE_END};
  ASSERT_EQ(c.StartSequence(ids), 1);
  EXPECT_EQ(c.IsPlaying(5), 1);
  EXPECT_EQ(c.PlaySequence(), 0);

  m_Clock.Advance(1100);  // 5 has ended; the pause begins with the next step
  EXPECT_EQ(c.IsPlaying(5), 0);
  EXPECT_EQ(c.PlaySequence(), 0);
  m_Clock.Advance(499);
  EXPECT_EQ(c.PlaySequence(), 0);
  EXPECT_EQ(c.IsPlaying(7), 0);
  m_Clock.Advance(1);
  EXPECT_EQ(c.PlaySequence(), 0);
  EXPECT_EQ(c.IsPlaying(7), 1);

  m_Clock.Advance(1100);
  EXPECT_EQ(c.PlaySequence(), 0);
  m_Clock.Advance(500);
  EXPECT_EQ(c.PlaySequence(), 1);  // the end mark
  EXPECT_EQ(c.PlaySequence(), 1);
  EXPECT_EQ(ids[0], 5u);  // the caller's array is left as it was
}

TEST_F(SampleContainer, TwoContainersTimeTheirOwnPauses) {
  CSampleContainer a(500), b(500);
  LoadIds(a, {1, 2});
  LoadIds(b, {1, 2});
  uint32_t ids[] = {1, 2, SAMPLE_SEQUENCE_END};
  a.StartSequence(ids);
  m_Clock.Advance(400);
  b.StartSequence(ids);
  m_Clock.Advance(700);
  EXPECT_EQ(a.PlaySequence(), 0);  // a's pause begins
  m_Clock.Advance(400);
  EXPECT_EQ(b.PlaySequence(), 0);  // b's pause begins, while a's runs
  m_Clock.Advance(100);
  EXPECT_EQ(a.PlaySequence(), 0);
  EXPECT_EQ(a.IsPlaying(2), 1);
  EXPECT_EQ(b.PlaySequence(), 0);
  EXPECT_EQ(b.IsPlaying(2), 0) << "b has paused only 100 ms";
  m_Clock.Advance(400);
  EXPECT_EQ(b.PlaySequence(), 0);
  EXPECT_EQ(b.IsPlaying(2), 1);
}

TEST_F(SampleContainer, TheOwnSequenceHoldsCapacityLessOne) {
  CSampleContainer c(0);
  LoadIds(c, {1, 2, 3});
  EXPECT_EQ(c.StartInternalSequence(), 0);
  c.SetSequenceSize(3);
  EXPECT_EQ(c.AddSample(1), 1);
  EXPECT_EQ(c.AddSample(2), 1);
  EXPECT_EQ(c.AddSample(3), 0);
  EXPECT_EQ(c.AddSample(SAMPLE_SEQUENCE_END), 0);

  ASSERT_EQ(c.StartInternalSequence(), 1);
  EXPECT_EQ(c.IsPlaying(1), 1);
  m_Clock.Advance(1100);
  EXPECT_EQ(c.PlaySequence(), 0);
  EXPECT_EQ(c.IsPlaying(2), 1);
  m_Clock.Advance(1100);
  EXPECT_EQ(c.PlaySequence(), 1);
  // The finished own sequence is gone: a new one starts empty.
  EXPECT_EQ(c.StartInternalSequence(), 0);
  EXPECT_EQ(c.AddSample(3), 1);
  EXPECT_EQ(c.StartInternalSequence(), 1);
  EXPECT_EQ(c.IsPlaying(3), 1);
}

TEST_F(SampleContainer, TheQueuePlaysOneAfterTheOther) {
  CSampleContainer c(0);
  LoadIds(c, {1, 2});
  for (int i = 0; i < SAMPLE_QUEUE_SIZE; ++i) EXPECT_EQ(c.AddCircularBuffer(i % 2 ? 2 : 1), 1) << i;
  EXPECT_EQ(c.AddCircularBuffer(1), 0);

  EXPECT_EQ(c.PlayCircularBuffer(), 1);
  EXPECT_EQ(c.IsPlaying(1), 1);
  EXPECT_EQ(c.PlayCircularBuffer(), 0);
  m_Clock.Advance(1099);
  EXPECT_EQ(c.PlayCircularBuffer(), 0);
  m_Clock.Advance(1);
  EXPECT_EQ(c.PlayCircularBuffer(), 1);
  EXPECT_EQ(c.IsPlaying(2), 1);
  EXPECT_EQ(c.AddCircularBuffer(1), 1);  // room again

  c.StopCircularBuffer();
  EXPECT_EQ(c.IsPlaying(2), 0);
  EXPECT_EQ(c.PlayCircularBuffer(), 0);
}

TEST_F(SampleContainer, ADisabledContainerPlaysNothing) {
  CSampleContainer c(0);
  LoadIds(c, {1});
  c.Enable(0);
  EXPECT_EQ(c.IsEnabled(), 0);
  EXPECT_EQ(c.Play(1), 1);
  EXPECT_EQ(c.Play(99), 1);
  EXPECT_EQ(c.IsPlaying(1), 0);
  EXPECT_EQ(c.AddCircularBuffer(1), 0);
  c.Enable(1);
  EXPECT_EQ(c.Play(99), 0);
  EXPECT_EQ(c.Play(1), 1);
  EXPECT_EQ(c.IsPlaying(1), 1);
  EXPECT_EQ(c.Stop(1), 1);
  EXPECT_EQ(c.IsPlaying(1), 0);
  EXPECT_EQ(c.Stop(99), 0);
}

TEST_F(SampleContainer, LoadsOnceAndPassesVolumeAndPanOn) {
  CSampleContainer c(0);
  EXPECT_EQ(c.GetVolume(), 255);
  EXPECT_EQ(c.GetPan(), 0);
  EXPECT_EQ(c.Load(1, nullptr), 0);
  EXPECT_EQ(c.Load(1, m_Dir.File("missing.wav").c_str()), 0);
  EXPECT_EQ(c.FindSample(1), nullptr);
  LoadIds(c, {1});
  CMilesSample* first = c.FindSample(1);
  EXPECT_EQ(c.Load(1, m_Dir.File("missing.wav").c_str()), 1);  // the id exists: nothing loads
  EXPECT_EQ(c.FindSample(1), first);

  c.SetVolume(100);
  c.SetPan(-128);
  LoadIds(c, {2});
  for (uint32_t id : {1u, 2u}) {
    EXPECT_EQ(c.FindSample(id)->GetVolume(), 100) << id;
    EXPECT_EQ(c.FindSample(id)->GetPan(), -128) << id;
  }
}
