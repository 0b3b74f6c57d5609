#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/sound/soundtest.h"

namespace {
struct SFrame {
  int16_t left, right;
};

// What SDL's disk driver has written so far, read as the 16-bit stereo frames it mixes.
class SoundOutput : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Output, 2);
    CRuntimeTest::SetUp();
  }

  std::vector<SFrame> Frames() const {
    const std::string bytes = ReadWholeFile(m_Output);
    std::vector<SFrame> frames(bytes.size() / sizeof(SFrame));
    if (!frames.empty()) std::memcpy(frames.data(), bytes.data(), frames.size() * sizeof(SFrame));
    return frames;
  }

  // Polls the output until ready says yes; output arrives from SDL's audio thread in real time,
  // so this is the one place where a test waits (and gives up after 20 s).
  std::vector<SFrame> WaitFor(const std::function<bool(const std::vector<SFrame>&)>& ready) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<SFrame> frames;
    do {
      frames = Frames();
      if (ready(frames)) return frames;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "the output never showed what was waited for";
    return frames;
  }

  static size_t FirstSound(const std::vector<SFrame>& frames, size_t from) {
    for (size_t i = from; i < frames.size(); ++i) {
      if (frames[i].left || frames[i].right) return i;
    }
    return frames.size();
  }

  static int Loudest(const std::vector<SFrame>& frames) {
    int loudest = 0;
    for (const SFrame& f : frames) loudest = std::max({loudest, std::abs(f.left), std::abs(f.right)});
    return loudest;
  }

  CTempDir m_Dir;
  std::string m_Output = m_Dir.File("output.raw");
};
}  // namespace

TEST_F(SoundOutput, ASampleIsHeardAtItsLevelAndPan) {
  const std::string path = m_Dir.File("flat.wav");
  WriteWholeFile(path, FlatWave(400, 16000));
  CMilesSample sample(path.c_str());
  ASSERT_EQ(CMiles::GetRate(), 44100);

  const struct {
    int32_t volume, pan;
    int left, right;
  } cases[] = {
      {255, 0, 16000, 16000},   // centre, full level
      {255, -128, 16000, 0},    // hard left
      {255, 127, 0, 16000},     // hard right
      {128, 0, 8000, 8000},     // half level
      {255, 64, 7843, 16000},   // right of centre: the left side fades
      {64, -64, 4000, 1992},    // a quarter, left of centre
  };
  size_t from = 0;
  for (const auto& c : cases) {
    sample.SetVolume(c.volume);
    sample.SetPan(c.pan);
    ASSERT_EQ(sample.Start(), 1);
    size_t start = 0;
    const auto frames = WaitFor([&](const std::vector<SFrame>& f) {
      start = FirstSound(f, from);
      return start + 2048 <= f.size();
    });
    sample.Stop();
    ASSERT_LE(start + 2048, frames.size());
    std::vector<SFrame> plateau(frames.begin() + static_cast<long>(start) + 256,
                                frames.begin() + static_cast<long>(start) + 1792);
    for (const SFrame& f : plateau) {
      ASSERT_NEAR(f.left, c.left, c.left / 100 + 2) << "volume " << c.volume << " pan " << c.pan;
      ASSERT_NEAR(f.right, c.right, c.right / 100 + 2) << "volume " << c.volume << " pan " << c.pan;
    }
    // Silence again before the next case.
    WaitFor([&](const std::vector<SFrame>& f) {
      size_t quiet = 0;
      for (size_t i = start + 1792; i < f.size() && quiet < 4096; ++i) {
        quiet = (f[i].left || f[i].right) ? 0 : quiet + 1;
        from = i + 1;
      }
      return quiet >= 4096;
    });
  }
}

TEST_F(SoundOutput, TheMidiTuneIsHeard) {
  CMilesMusic music;
  ASSERT_EQ(music.Load(StagedSound("tune.mid").c_str()), 1) << music.GetLastError();
  ASSERT_EQ(music.Start(), 1);
  const auto frames = WaitFor([](const std::vector<SFrame>& f) { return Loudest(f) > 2000; });
  EXPECT_GT(Loudest(frames), 2000);
}

TEST_F(SoundOutput, MpegAudioIsHeardAsAStreamAndAsASample) {
  CMilesSample decoded(StagedSound("tune.mp3").c_str());
  EXPECT_GE(decoded.GetLength(), 4250);
  EXPECT_LE(decoded.GetLength(), 4450);

  CMilesMusic music;
  ASSERT_EQ(music.Load(StagedSound("tune.mp3").c_str()), 1) << music.GetLastError();
  ASSERT_EQ(music.Start(), 1);
  const auto frames = WaitFor([](const std::vector<SFrame>& f) { return Loudest(f) > 2000; });
  EXPECT_GT(Loudest(frames), 2000);
  EXPECT_LE(Loudest(frames), 16000);  // the stream's own level, about 13000 at its peaks
}

TEST_F(SoundOutput, TheEndOfMusicReachesTheMainThread) {
  const std::string path = m_Dir.File("note.mid");
  WriteWholeFile(path, OneNoteMidi());
  CMilesMusic music;
  ASSERT_EQ(music.Load(path.c_str()), 1);
  music.SetLoopCount(1);
  ASSERT_EQ(music.Start(), 1);
  EXPECT_EQ(music.IsPlaying(), 1);
  WaitFor([&](const std::vector<SFrame>&) { return music.IsPlaying() == 0; });
  EXPECT_EQ(music.GetAtEnd(), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_STOPPED);
}
