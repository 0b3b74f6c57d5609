// The tables' samples (strings 10000-10042) and music (string 10700) as the build stages them:
// every file the three main scripts name is there and loads through the runtime's sample
// container and music player; Python's wave module (lame for the music) reads the same files
// independently for their format, lengths and levels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kavotest.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/sound/soundtest.h"
#include "support/pyoracle.h"

namespace {
constexpr int32_t kFirstSample = 10000;
constexpr int32_t kSampleCount = 43;
constexpr int32_t kMusic = 10700;

// What Python reads from one file.
struct SLevels {
  int32_t Rate = 0, Channels = 0, Bits = 0;
  int64_t Frames = 0;
  double Peak = 0, Rms = 0;
  std::string Md5;
  double Seconds() const { return Rate ? static_cast<double>(Frames) / Rate : 0; }
};

std::map<std::string, SLevels> PythonLevels(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& p : paths) list += p + "\n";
  const std::vector<std::string> lines = RunPythonTool("wave_levels.py", list);
  std::map<std::string, SLevels> out;
  for (size_t i = 0; i < lines.size() && i < paths.size(); ++i) {
    std::istringstream in(lines[i]);
    SLevels l;
    if (in >> l.Rate >> l.Channels >> l.Bits >> l.Frames >> l.Peak >> l.Rms >> l.Md5) out[paths[i]] = l;
    else ADD_FAILURE() << paths[i] << ": " << lines[i];
  }
  return out;
}

// Which samples are what: the dealer's spoken lines, the quiet card sounds, the short clicks.
bool IsSpoken(int32_t n) { return n == 5 || n == 7 || n == 8 || n == 11 || (n >= 15 && n <= 34) || (n >= 38 && n <= 40); }
bool IsQuietCard(int32_t n) { return n == 0 || n == 3 || n == 4 || n == 9 || n == 14; }
bool IsClick(int32_t n) { return n == 10 || n == 37; }

double Db(double fraction) { return 20 * std::log10(fraction); }

// The real output on SDL's disk driver, so that loading goes through the device's own checks.
class KavoSounds : public CKavoTest {
 protected:
  void SetUp() override {
    UseDiskAudio(m_Dir.File("output.raw"), 250);
    CKavoTest::SetUp();
  }

  // Every sample and the music a script names, by string id, as paths under the install folder.
  static std::map<int32_t, std::string> Named(const char* script) {
    CResData r;
    std::map<int32_t, std::string> names;
    if (r.Load((std::string("xrs/") + script).c_str()) != 1) return names;
    for (int32_t id = kFirstSample; id < kFirstSample + kSampleCount; ++id)
      if (const char* s = r.GetResString(id)) names[id] = s;
    if (const char* s = r.GetResString(kMusic)) names[kMusic] = s;
    r.Free();
    return names;
  }
  static std::string Staged(const std::string& name) { return std::string(VORRIN_DIST_DIR "/") + name; }

  CTempDir m_Dir;
};
}  // namespace

TEST_F(KavoSounds, TheThreeTablesNameTheSameFilesForEverySampleAndTheMusic) {
  const std::map<int32_t, std::string> regular = Named("kavo_main.xrs");
  ASSERT_EQ(regular.size(), static_cast<size_t>(kSampleCount + 1));
  for (const char* other : {"kavo_ss_main.xrs", "kavo_onedeck_main.xrs"}) EXPECT_EQ(Named(other), regular) << other;
  std::set<std::string> distinct;
  for (const auto& [id, name] : regular) {
    distinct.insert(name);
    EXPECT_EQ(name.rfind("sounds/kavo/", 0), 0u) << id << " " << name;
  }
  EXPECT_EQ(distinct.size(), regular.size()) << "two strings share one file";
}

TEST_F(KavoSounds, EverySampleLoadsThroughTheContainerWithPythonsLength) {
  const std::map<int32_t, std::string> names = Named("kavo_main.xrs");
  std::vector<std::string> paths;
  for (int32_t n = 0; n < kSampleCount; ++n) paths.push_back(Staged(names.at(kFirstSample + n)));
  const std::map<std::string, SLevels> levels = PythonLevels(paths);
  ASSERT_EQ(levels.size(), paths.size());

  // The table loads the script's relative names from the install folder, as here.
  CSampleContainer samples;
  for (int32_t n = 0; n < kSampleCount; ++n) {
    const std::string& name = names.at(kFirstSample + n);
    ASSERT_EQ(xFileExists(name.c_str()), 1) << name;
    ASSERT_EQ(samples.Load(n, name.c_str()), 1) << name;
    CMilesSample* sample = samples.FindSample(n);
    ASSERT_NE(sample, nullptr) << name;
    const SLevels& l = levels.at(paths[n]);
    EXPECT_NEAR(sample->GetLength(), l.Seconds() * 1000, 1.0) << name;
  }
  EXPECT_EQ(samples.Play(37), 1);
  EXPECT_EQ(samples.IsPlaying(37), 1);
}

TEST_F(KavoSounds, SamplesHaveTheTablesFormatLengthsAndLevels) {
  const std::map<int32_t, std::string> names = Named("kavo_main.xrs");
  std::vector<std::string> paths;
  for (int32_t n = 0; n < kSampleCount; ++n) paths.push_back(Staged(names.at(kFirstSample + n)));
  const std::map<std::string, SLevels> levels = PythonLevels(paths);
  ASSERT_EQ(levels.size(), paths.size());

  double spokenLow = 1, spokenHigh = 0;
  for (int32_t n = 0; n < kSampleCount; ++n) {
    const SLevels& l = levels.at(paths[n]);
    SCOPED_TRACE(paths[n]);
    EXPECT_EQ(l.Rate, 22050);
    EXPECT_EQ(l.Channels, 1);
    EXPECT_EQ(l.Bits, 16);
    // Never clipped, never silent.
    EXPECT_LT(l.Peak, std::pow(10, -1.0 / 20));
    EXPECT_GT(l.Rms, std::pow(10, -40.0 / 20));
    if (IsSpoken(n)) {
      EXPECT_GE(l.Seconds(), 0.4);
      EXPECT_LE(l.Seconds(), 2.5);
      spokenLow = std::min(spokenLow, l.Peak);
      spokenHigh = std::max(spokenHigh, l.Peak);
    } else if (IsQuietCard(n)) {
      EXPECT_LE(l.Peak, std::pow(10, -10.0 / 20)) << "a quiet card sound at " << Db(l.Peak) << " dB";
      EXPECT_GE(l.Peak, std::pow(10, -26.0 / 20));
      EXPECT_LT(l.Seconds(), 0.5);
    } else if (IsClick(n)) {
      EXPECT_LT(l.Seconds(), 0.3);
    } else {
      EXPECT_LE(l.Seconds(), 1.5);
    }
  }
  // The lines are levelled: every one peaks within a decibel of the others, near -3 dB.
  EXPECT_LT(Db(spokenHigh) - Db(spokenLow), 1.0);
  EXPECT_NEAR(Db(spokenHigh), -3.0, 0.5);
  // The reminder chime is soft: below the spoken lines.
  EXPECT_LT(levels.at(paths[13]).Peak, spokenLow);
}

TEST_F(KavoSounds, TheSpokenTotalsAreTwentyDifferentWords) {
  const std::map<int32_t, std::string> names = Named("kavo_main.xrs");
  std::vector<std::string> paths;
  for (int32_t total = 2; total <= 21; ++total) paths.push_back(Staged(names.at(kFirstSample + 13 + total)));
  const std::map<std::string, SLevels> levels = PythonLevels(paths);
  ASSERT_EQ(levels.size(), paths.size());
  std::set<std::string> sounds;
  for (const std::string& p : paths) sounds.insert(levels.at(p).Md5);
  EXPECT_EQ(sounds.size(), paths.size()) << "two totals sound the same";
  // Three syllables take longer to say than one.
  auto seconds = [&](int32_t total) { return levels.at(paths[total - 2]).Seconds(); };
  for (int32_t longer : {17, 21})
    for (int32_t shorter : {2, 3, 4, 8, 10}) EXPECT_GT(seconds(longer), seconds(shorter) + 0.1) << longer << " " << shorter;
}

TEST_F(KavoSounds, TheMusicPlaysAndIsACalmPieceOfHalfAMinute) {
  const std::string name = Named("kavo_main.xrs").at(kMusic);
  ASSERT_EQ(name.substr(name.size() - 4), ".mp3");
  const std::map<std::string, SLevels> levels = PythonLevels({Staged(name)});
  ASSERT_EQ(levels.size(), 1u);
  const SLevels& l = levels.begin()->second;
  EXPECT_GE(l.Seconds(), 15.0);
  EXPECT_LE(l.Seconds(), 60.0);
  EXPECT_LT(l.Peak, std::pow(10, -1.0 / 20));
  // Background music: well below the spoken lines' loudness, yet clearly there.
  EXPECT_LT(Db(l.Rms), -14.0);
  EXPECT_GT(Db(l.Rms), -30.0);

  CMilesMusic music;
  ASSERT_EQ(music.Load(name.c_str()), 1) << music.GetLastError();
  EXPECT_EQ(music.Start(), 1);
  // The runtime's own decoder agrees on the length (lame's decoder pads a frame or two).
  CMilesSample decoded(name.c_str());
  EXPECT_NEAR(decoded.GetLength(), l.Seconds() * 1000, 120.0);
  music.Stop();
}
