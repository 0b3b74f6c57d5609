#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/sound/soundtest.h"
#include "ostrel/system/debug.h"
#include "platform/sound/sound.h"

namespace {
class SoundDriver : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDummyAudio();
    CRuntimeTest::SetUp();
  }
  void TearDown() override {
    PlatformSetSound(nullptr);
    xSetNoSound(0);
    CRuntimeTest::TearDown();
  }

  std::string WriteFile(const char* name, const std::string& content) {
    const std::string path = m_Dir.File(name);
    WriteWholeFile(path, content);
    return path;
  }

  CTempDir m_Dir;
};

bool AcceptAll(int32_t, int32_t, int32_t) { return true; }
bool AcceptUpTo22050(int32_t rate, int32_t, int32_t) { return rate <= 22050; }
bool Accept8Bits(int32_t, int32_t bits, int32_t) { return bits == 8; }
bool AcceptNone(int32_t, int32_t, int32_t) { return false; }

const std::vector<std::string> kAllFormats = {"44100/16/2", "32000/16/2", "22050/16/2", "11025/16/2", "11025/8/2"};
}  // namespace

TEST_F(SoundDriver, OutputFormatsAreTriedInOrder) {
  const struct {
    CFussySoundDevice::TAccept accept;
    int32_t rate, bits;
    size_t tries;
  } cases[] = {
      {AcceptAll, 44100, 16, 1},
      {AcceptUpTo22050, 22050, 16, 3},
      {Accept8Bits, 11025, 8, 5},
  };
  for (const auto& c : cases) {
    CFussySoundDevice device(c.accept);
    PlatformSetSound(&device);
    {
      CMilesSample sample;
      EXPECT_EQ(CMiles::IsSoundAvailable(), 1);
      EXPECT_EQ(CMiles::GetRate(), c.rate);
      EXPECT_EQ(CMiles::GetBits(), c.bits);
      EXPECT_EQ(CMiles::GetChannels(), 2);
      EXPECT_EQ(device.m_Tried, std::vector<std::string>(kAllFormats.begin(), kAllFormats.begin() + c.tries));
    }
    EXPECT_EQ(CMiles::GetRate(), 0);
    EXPECT_EQ(device.m_Shutdowns, 1);
  }
}

TEST_F(SoundDriver, WithoutAnOutputEverythingSucceedsSilently) {
  const std::string click = WriteFile("click.wav", FlatWave(300, 500));
  CFussySoundDevice refusing(AcceptNone);
  CFussySoundDevice dead(AcceptAll, false);
  for (CFussySoundDevice* device : {&refusing, &dead}) {
    PlatformSetSound(device);
    CMilesSample sample(click.c_str());
    EXPECT_EQ(device->m_Tried, device == &refusing ? kAllFormats : std::vector<std::string>{});
    EXPECT_EQ(CMiles::IsSoundAvailable(), 1);
    EXPECT_EQ(CMiles::GetRate(), 44100);
    EXPECT_EQ(sample.GetLength(), 300);
    // Nothing plays, so a waiting start returns at once and nothing counts as playing.
    const uint32_t before = m_Clock.Now();
    EXPECT_EQ(sample.Start(0, 1), 1);
    EXPECT_EQ(m_Clock.Now(), before);
    EXPECT_EQ(sample.IsPlaying(), 0);
    EXPECT_EQ(sample.GetStatus(), 2);
  }
}

TEST_F(SoundDriver, SdlsDummyDriverCountsAsNoOutput) {
  const std::string click = WriteFile("click.wav", FlatWave(300, 500));
  const std::string tune = WriteFile("tune.mid", OneNoteMidi());
  CMilesSample sample(click.c_str());
  CMilesMusic music;
  EXPECT_EQ(CMiles::IsSoundAvailable(), 1);
  EXPECT_EQ(CMiles::GetRate(), 44100);
  EXPECT_NE(sample.GetLastError(), nullptr);
  EXPECT_EQ(sample.Start(0, 1), 1);
  EXPECT_EQ(sample.IsPlaying(), 0);

  ASSERT_EQ(music.Load(tune.c_str()), 1);
  EXPECT_EQ(music.SetLoopCount(1), 1);
  EXPECT_EQ(music.Start(0, 1), 1);  // a finite piece: waits, but the silence ends at once
  EXPECT_EQ(music.IsPlaying(), 0);
  EXPECT_EQ(music.GetAtEnd(), 1);
  EXPECT_EQ(music.GetMusicState(), MUSIC_STOPPED);
}

TEST_F(SoundDriver, TheNoSoundOptionKeepsSoundOff) {
  const std::string click = WriteFile("click.wav", FlatWave(100, 500));
  const std::string options = WriteFile("options.cfg", "nosound = on\n");
  xGetDebugOptions(options.c_str(), nullptr);
  ASSERT_EQ(xGetNoSound(), 1);

  CFussySoundDevice device(AcceptAll);
  PlatformSetSound(&device);
  CMilesSample sample;
  CMilesMusic music;
  EXPECT_TRUE(device.m_Tried.empty());
  EXPECT_EQ(CMiles::IsSoundAvailable(), 0);
  EXPECT_EQ(sample.GetLastError(), nullptr);
  EXPECT_EQ(sample.Load(click.c_str()), 1);  // a sample's load counts as done
  EXPECT_EQ(sample.Start(), 0);
  EXPECT_EQ(music.Load(click.c_str()), 0);
  EXPECT_EQ(music.Start(), 0);
  EXPECT_EQ(sample.SetMasterVolume(200), 0);
  EXPECT_EQ(sample.GetMasterVolume(), 0);
  EXPECT_EQ(sglb->m_pMusic, nullptr);
}

TEST_F(SoundDriver, MasterVolumeKeepsHalfOf255) {
  CMilesSample sample;
  EXPECT_EQ(sample.GetMasterVolume(), 254);
  const struct {
    int32_t set, get;
  } cases[] = {{255, 254}, {256, 254}, {1000, 254}, {100, 100}, {101, 100}, {1, 0}, {0, 0}, {-5, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(sample.SetMasterVolume(c.set), 1);
    EXPECT_EQ(sample.GetMasterVolume(), c.get) << c.set;
  }
}

TEST_F(SoundDriver, TheLastObjectStopsTheOutput) {
  CFussySoundDevice device(AcceptAll);
  PlatformSetSound(&device);
  auto first = std::make_unique<CMilesSample>();
  {
    CMilesMusic music;
    EXPECT_EQ(device.m_Tried.size(), 1u);
  }
  EXPECT_EQ(device.m_Shutdowns, 0);
  const uint32_t before = m_Clock.Now();
  first.reset();
  EXPECT_EQ(device.m_Shutdowns, 1);
  EXPECT_EQ(m_Clock.Now(), before);  // a silent output has no tail to wait for
  EXPECT_EQ(CMiles::IsSoundAvailable(), 0);
  CMilesSample again;
  EXPECT_EQ(device.m_Tried.size(), 2u);
}
