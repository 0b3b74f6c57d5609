#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "ostrel/base/xstring.h"
#include "ostrel/files/scramble.h"
#include "ostrel/sound/milesfile.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/sound/soundtest.h"
#include "platform/files/resolver.h"

namespace {
constexpr uint32_t kMinute = 60000;

class SoundCache : public CRuntimeTest {
 protected:
  void SetUp() override {
    UseDummyAudio();
    CRuntimeTest::SetUp();
    m_pHolder = std::make_unique<CMilesSample>();  // keeps the output and the cache alive
  }
  void TearDown() override {
    m_pHolder.reset();
    CRuntimeTest::TearDown();
  }

  std::string WriteFile(const char* name, const std::string& content) {
    const std::string path = m_Dir.File(name);
    WriteWholeFile(path, content);
    return path;
  }

  // Loads and drops a file of its own, which sweeps the cache when a sweep is due.
  void Unload() {
    CMilesFile other;
    other.Load(m_Other.c_str());
  }

  static std::string Image(const CMilesFile& file) {
    return std::string(static_cast<const char*>(file.GetImage()), file.GetImageSize());
  }

  CTempDir m_Dir;
  std::unique_ptr<CMilesSample> m_pHolder;
  std::string m_Other = WriteFile("other.wav", FlatWave(20, 9));
};
}  // namespace

TEST_F(SoundCache, ARepeatedLoadReadsTheFileOnce) {
  const std::string wave = FlatWave(50, 1234);
  const std::string path = WriteFile("Click.wav", wave);
  CMilesFile first;
  ASSERT_EQ(first.Load(path.c_str()), 1);
  ASSERT_EQ(PlatformDeleteFile(path.c_str()), 1);

  std::string otherCase = path;
  xStrUpperCase(otherCase.data());
  CMilesFile second;
  ASSERT_EQ(second.Load(otherCase.c_str()), 1);
  EXPECT_EQ(second.GetImage(), first.GetImage());
  EXPECT_EQ(Image(second), wave);
  EXPECT_EQ(second.GetFileType(), SOUNDFILE_PCM_WAVE);
  EXPECT_EQ(second.GetImageBuddy(), nullptr);
  EXPECT_EQ(second.GetImageSizeBuddy(), 0u);

  CMilesFile third;
  EXPECT_EQ(third.Clone(&first), 1);
  EXPECT_EQ(third.GetImage(), first.GetImage());
}

TEST_F(SoundCache, ScrambledFilesLoseTheirMarker) {
  const std::string wave = FlatWave(40, -777);
  std::string scrambled = wave + "XICRYPTEDFILE";
  xDecrypt(scrambled.data(), static_cast<uint32_t>(scrambled.size()));
  const std::string path = WriteFile("scrambled.wav", scrambled);
  CMilesFile file;
  ASSERT_EQ(file.Load(path.c_str()), 1);
  EXPECT_EQ(file.GetImageSize(), wave.size());
  EXPECT_EQ(Image(file), wave);
}

TEST_F(SoundCache, UnusedFilesExpireAfterFiveMinutes) {
  const std::string path = WriteFile("chip.wav", FlatWave(30, 100));
  auto load = [&] {
    CMilesFile file;
    return file.Load(path.c_str());  // and the unload as the file goes
  };
  ASSERT_EQ(load(), 1);
  ASSERT_EQ(PlatformDeleteFile(path.c_str()), 1);

  m_Clock.Advance(4 * kMinute);
  Unload();
  EXPECT_EQ(load(), 1) << "unused for 4 minutes: still cached";

  m_Clock.Advance(6 * kMinute);
  Unload();
  EXPECT_EQ(load(), 0) << "unused for 6 minutes: gone after the next sweep";
}

TEST_F(SoundCache, SweepsComeAtMostEvery30Seconds) {
  const std::string path = WriteFile("chip.wav", FlatWave(30, 100));
  {
    CMilesFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
  }
  ASSERT_EQ(PlatformDeleteFile(path.c_str()), 1);
  m_Clock.Advance(5 * kMinute - 10000);
  Unload();  // a sweep: unused for 4:50, the file stays
  m_Clock.Advance(15000);
  Unload();  // unused for 5:05, but the last sweep was 15 s ago
  CMilesFile again;
  EXPECT_EQ(again.Load(path.c_str()), 1);
}

TEST_F(SoundCache, TheLastFileEmptiesTheCache) {
  const std::string path = WriteFile("chip.wav", FlatWave(30, 100));
  m_pHolder.reset();
  {
    CMilesFile file;
    ASSERT_EQ(file.Load(path.c_str()), 1);
  }
  ASSERT_EQ(PlatformDeleteFile(path.c_str()), 1);
  CMilesFile file;
  EXPECT_EQ(file.Load(path.c_str()), 0);
}

TEST_F(SoundCache, FilesAreConvertedToWhatPlays) {
  CMilesFile adpcm;
  ASSERT_EQ(adpcm.Load(StagedSound("card.wav").c_str()), 1);
  EXPECT_EQ(adpcm.GetFileType(), SOUNDFILE_PCM_WAVE);
  SWaveInfo info;
  ASSERT_TRUE(SoundWaveInfo(adpcm.GetImage(), adpcm.GetImageSize(), info));
  EXPECT_EQ(info.bits, 16);
  EXPECT_EQ(info.rate, 22050u);
  EXPECT_EQ(info.dataSize, 7u * 505 * 2);

  const std::string midi = ReadWholeFile(StagedSound("tune.mid"));
  CMilesFile tune;
  ASSERT_EQ(tune.Load(StagedSound("tune.mid").c_str()), 1);
  EXPECT_EQ(tune.GetFileType(), SOUNDFILE_MIDI);
  EXPECT_EQ(Image(tune), midi);

  // Without an output MPEG audio becomes silence of its own length.
  CMilesSample mp3(StagedSound("tune.mp3").c_str());
  EXPECT_GE(mp3.GetLength(), 4250);
  EXPECT_LE(mp3.GetLength(), 4450);

  const struct {
    const char* name;
    std::string content;
  } refused[] = {
      {"xmidi.xmi", "FORM" + std::string("\0\0\0\x0E", 4) + "XDIRINFO" + std::string(6, '\0')},
      {"set.dls", "RIFF" + std::string("\x0C\0\0\0", 4) + "DLS colh" + std::string(4, '\0')},
      {"ms.wav", FlatWave(10, 1).replace(20, 2, "\x02\x00", 2)},
      {"voice.voc", std::string("Creative Voice File\x1A\x1A\x00\x0A\x01\x29\x11", 26)},
      {"text.wav", "not a sound at all"},
      {"empty.wav", ""},
  };
  for (const auto& r : refused) {
    CMilesFile file;
    EXPECT_EQ(file.Load(WriteFile(r.name, r.content).c_str()), 0) << r.name;
    EXPECT_EQ(file.GetImage(), nullptr) << r.name;
  }
  CMilesFile missing;
  EXPECT_EQ(missing.Load(m_Dir.File("missing.wav").c_str()), 0);
  EXPECT_EQ(missing.Load(nullptr), 0);
}
