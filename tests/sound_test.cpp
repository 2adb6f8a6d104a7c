// Generated sounds as the game gets them: all 29 embedded under their exact names, decodable at
// 44.1 kHz, of their intended lengths, peaking at most at -1 dBFS; the four themes at one
// loudness and ending in silence, no effect far louder than the music, the rain beds looping
// without a jump, `empty` silent, and the generator writing the same bytes when run again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "media/media.h"
#include "tools/sound/sound_measure.h"

namespace {

namespace fs = std::filesystem;
using sound::TDecoded;

struct TExpected {
  std::string name;
  double minSeconds, maxSeconds;
};

std::vector<TExpected> ExpectedSounds() {
  std::vector<TExpected> list;
  for (int n = 1; n <= 4; ++n) list.push_back({"theme" + std::to_string(n), 90, 180});
  for (int n = 1; n <= 5; ++n) list.push_back({"fall" + std::to_string(n), 0.2, 1.5});
  for (int n = 1; n <= 8; ++n) list.push_back({"fire" + std::to_string(n), 0.2, 2.5});
  for (int n = 1; n <= 6; ++n) list.push_back({"thunder" + std::to_string(n), 3, 12});
  for (int n = 1; n <= 2; ++n) list.push_back({"rain" + std::to_string(n), 5, 30});
  for (int n = 1; n <= 2; ++n) list.push_back({"drop" + std::to_string(n), 0.2, 2});
  list.push_back({"winlevel", 1, 4});
  list.push_back({"empty", 0.01, 1});
  return list;
}

std::vector<std::uint8_t> Bytes(const std::string& name) {
  auto bytes = ReadAssetOrFile("sounds/" + name + ".ogg");
  return bytes ? *bytes : std::vector<std::uint8_t>{};
}

class SoundTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEmbeddedAssets(); }

  /// Decoded once per run; an empty sound when it is missing or does not decode.
  static const TDecoded& Decoded(const std::string& name) {
    static std::map<std::string, TDecoded> cache;
    auto found = cache.find(name);
    if (found == cache.end()) {
      const auto decoded = sound::DecodeOggVorbis(Bytes(name));
      found = cache.emplace(name, decoded ? *decoded : TDecoded{}).first;
    }
    return found->second;
  }

  static double MusicLoudness(int n) {
    const TDecoded& theme = Decoded("theme" + std::to_string(n));
    return sound::MeasureLoudness(theme.channels, theme.rate).integrated;
  }
};

TEST_F(SoundTest, EverySoundIsEmbeddedDecodesAndHasItsLengthAndPeak) {
  std::set<std::string> expectedPaths;
  std::size_t totalBytes = 0;
  for (const auto& e : ExpectedSounds()) {
    SCOPED_TRACE(e.name);
    const std::string path = "sounds/" + e.name + ".ogg";
    expectedPaths.insert(path);
    ASSERT_TRUE(IsEmbeddedAsset(path));
    totalBytes += Bytes(e.name).size();
    const TDecoded& s = Decoded(e.name);
    ASSERT_GT(s.Frames(), 0u) << "does not decode";
    EXPECT_EQ(s.rate, 44100);
    EXPECT_TRUE(s.channels.size() == 1 || s.channels.size() == 2);
    EXPECT_GE(s.Seconds(), e.minSeconds);
    EXPECT_LE(s.Seconds(), e.maxSeconds);
    EXPECT_LE(sound::PeakDb(s.channels), -1.0);
  }
  // Nothing else in the folder, and the folder stays small enough to embed.
  std::set<std::string> embedded;
  for (const auto& p : EmbeddedAssetPaths())
    if (p.rfind("sounds/", 0) == 0) embedded.insert(p);
  EXPECT_EQ(embedded, expectedPaths);
  EXPECT_LT(totalBytes, 12u * 1000 * 1000);
}

TEST_F(SoundTest, ThemesShareOneLoudnessAndEndInSilence) {
  double quietest = 0, loudest = -200;
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    const double lufs = MusicLoudness(n);
    quietest = std::min(quietest, lufs);
    loudest = std::max(loudest, lufs);
    // A clean ending: the last 50 ms are (close to) silent, so the next track can follow.
    const TDecoded& theme = Decoded("theme" + std::to_string(n));
    ASSERT_GT(theme.Frames(), 44100u);
    std::vector<sound::TSamples> tail;
    for (const auto& c : theme.channels) tail.emplace_back(c.end() - 2205, c.end());
    EXPECT_LT(sound::PeakDb(tail), -60.0);
    // And a prompt start: sound within the first second.
    std::vector<sound::TSamples> head;
    for (const auto& c : theme.channels) head.emplace_back(c.begin(), c.begin() + 44100);
    EXPECT_GT(sound::PeakDb(head), -30.0);
  }
  EXPECT_LE(loudest - quietest, 1.0);
  EXPECT_GT(quietest, -20.0);
}

TEST_F(SoundTest, NoEffectIsFarLouderThanTheMusic) {
  double music = 0;
  for (int n = 1; n <= 4; ++n) music += MusicLoudness(n) / 4;
  for (const auto& e : ExpectedSounds()) {
    if (e.name.rfind("theme", 0) == 0 || e.name == "empty") continue;
    SCOPED_TRACE(e.name);
    const TDecoded& s = Decoded(e.name);
    const double loudest = sound::MeasureLoudness(s.channels, s.rate).momentaryMax;
    // The music plays at channel volume 0.7-0.8; an effect's loudest moment stays within a few
    // dB of the music's average, and is not so quiet that it vanishes under it.
    EXPECT_LE(loudest, music + 3.0);
    EXPECT_GE(loudest, music - 15.0);
  }
}

// Largest step between neighbouring samples that the sound itself makes (99.9th percentile).
float TypicalLargestStep(const sound::TSamples& c) {
  std::vector<float> steps;
  steps.reserve(c.size());
  for (std::size_t i = 1; i < c.size(); ++i) steps.push_back(std::fabs(c[i] - c[i - 1]));
  const auto at = steps.begin() + static_cast<long>(steps.size() * 999 / 1000);
  std::nth_element(steps.begin(), at, steps.end());
  return *at;
}

TEST_F(SoundTest, RainBedsLoopWithoutASeam) {
  for (const char* name : {"rain1", "rain2"}) {
    SCOPED_TRACE(name);
    const TDecoded& rain = Decoded(name);
    ASSERT_GT(rain.Frames(), 44100u);
    for (const auto& c : rain.channels) {
      // The step from the last sample back to the first is one the sound makes anyway...
      EXPECT_LE(std::fabs(c.front() - c.back()), TypicalLargestStep(c));
      // ...and the level is the same on both sides of the seam.
      const std::size_t window = 4410;
      const double head = sound::RmsDb({sound::TSamples(c.begin(), c.begin() + window)});
      const double tail = sound::RmsDb({sound::TSamples(c.end() - window, c.end())});
      EXPECT_NEAR(head, tail, 1.5);
    }
  }
}

TEST_F(SoundTest, EmptyIsSilent) {
  const TDecoded& empty = Decoded("empty");
  ASSERT_GT(empty.Frames(), 0u);
  for (const auto& c : empty.channels)
    for (float v : c) ASSERT_EQ(v, 0.0f);
}

TEST_F(SoundTest, GeneratorWritesTheSameBytesAgain) {
  const fs::path dir = fs::temp_directory_path() / "brakkon_sound_test";
  fs::remove_all(dir);
  const std::string exe = std::string(BRAKKON_BUILD_DIR) + "/generate_sounds";
  ASSERT_TRUE(fs::exists(exe)) << exe;
  const std::string cmd = exe + " " + dir.string() + " " + (dir / "Skin").string() + " > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  for (const auto& e : ExpectedSounds()) {
    SCOPED_TRACE(e.name);
    std::ifstream in(dir / "sounds" / (e.name + ".ogg"), std::ios::binary);
    const std::vector<std::uint8_t> again((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    EXPECT_TRUE(again == Bytes(e.name)) << "a second run wrote different bytes";
  }
  fs::remove_all(dir);
}

}  // namespace
