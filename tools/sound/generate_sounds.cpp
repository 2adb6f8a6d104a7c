// Build-time generator of every sound and music track: synthesizes, sets the level of each sound
// against the music, encodes Ogg Vorbis and writes ASSET_DIR/sounds/<name>.ogg. It decodes what it
// wrote and lowers a sound whose encoded peak would pass -1 dBFS.
// Usage: generate_sounds ASSET_DIR SKIN_DIR (the skin folder is not used).
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/sound/effects.h"
#include "tools/sound/music.h"
#include "tools/sound/ogg_encode.h"
#include "tools/sound/sound_measure.h"

namespace fs = std::filesystem;
using namespace sound;

namespace {

// Loudness plan (K-weighted LUFS). The game plays music at channel volume 0.7-0.8 (about -3 dB),
// so the music is heard near -19 LUFS; effects are matched on their loudest 400 ms against that.
constexpr double MUSIC_LUFS = -16.0;
constexpr float PEAK_LIMIT_DB = -1.0f;     // what the files promise after decoding
constexpr float FIRST_CEILING_DB = -2.0f;  // where the limiter starts; Vorbis adds a little

struct TJob {
  std::string name;
  std::function<std::vector<TSamples>()> make;
  double targetLufs;  ///< 0: leave the level alone (silence)
  bool momentary;     ///< match the loudest 400 ms instead of the whole sound
  float quality;      ///< Vorbis VBR quality
};

int SerialFor(const std::string& name) {
  std::uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
  return static_cast<int>(hash & 0x7FFFFFFF);
}

std::vector<TJob> AllJobs() {
  std::vector<TJob> jobs;
  auto mono = [](std::function<TSamples()> f) {
    return [f] { return std::vector<TSamples>{f()}; };
  };
  // Longest first, so two threads finish together.
  for (int n : {4, 1, 2, 3})
    jobs.push_back(
        {"theme" + std::to_string(n), [n] { return ComposeTheme(n); }, MUSIC_LUFS, false, 0.1f});
  for (int n = 1; n <= 2; ++n)
    jobs.push_back({"rain" + std::to_string(n), [n] { return MakeRain(n); }, n == 1 ? -25.0 : -29.0,
                    false, 0.1f});
  for (int n = 1; n <= 6; ++n)
    jobs.push_back({"thunder" + std::to_string(n), mono([n] { return MakeThunder(n); }),
                    -25.0 + 1.8 * (n - 1), true, 0.2f});
  for (int n = 1; n <= 8; ++n)
    jobs.push_back(
        {"fire" + std::to_string(n), mono([n] { return MakeFire(n); }), -15.5, true, 0.3f});
  for (int n = 1; n <= 5; ++n)
    jobs.push_back(
        {"fall" + std::to_string(n), mono([n] { return MakeFall(n); }), -17.5, true, 0.3f});
  for (int n = 1; n <= 2; ++n)
    jobs.push_back({"drop" + std::to_string(n), [n] { return MakeDrop(n); }, -21.0, true, 0.3f});
  jobs.push_back({"winlevel", [] { return ComposeWinJingle(); }, -15.5, true, 0.3f});
  jobs.push_back({"empty",
                  [] { return std::vector<TSamples>{TSamples(SecondsToFrames(0.25), 0.0f)}; }, 0.0,
                  false, 0.1f});
  return jobs;
}

void WriteAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  const fs::path temp = path.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + temp.string());
  }
  fs::rename(temp, path);
}

std::string RunJob(const TJob& job, const fs::path& folder) {
  const std::vector<TSamples> raw = job.make();
  float ceiling = FIRST_CEILING_DB;
  for (int attempt = 0; attempt < 6; ++attempt) {
    std::vector<TSamples> mastered = raw;
    if (job.targetLufs != 0.0) MasterTo(mastered, job.targetLufs, job.momentary, ceiling);
    const auto bytes = EncodeOggVorbis(mastered, job.quality, SerialFor(job.name));
    const auto decoded = DecodeOggVorbis(bytes);
    if (!decoded) throw std::runtime_error(job.name + ": encoded stream does not decode");
    const double peak = PeakDb(decoded->channels);
    if (peak <= PEAK_LIMIT_DB - 0.05) {
      WriteAtomically(folder / (job.name + ".ogg"), bytes);
      const TLoudness loudness = MeasureLoudness(decoded->channels, decoded->rate);
      char line[200];
      std::snprintf(line, sizeof line,
                    "%-9s %6.2f s  %d ch  peak %6.2f dBFS  %6.1f LUFS  max %6.1f LUFS  %7zu bytes",
                    job.name.c_str(), decoded->Seconds(),
                    static_cast<int>(decoded->channels.size()), peak, loudness.integrated,
                    loudness.momentaryMax, bytes.size());
      return line;
    }
    ceiling -= static_cast<float>(peak - (PEAK_LIMIT_DB - 0.3));
  }
  throw std::runtime_error(job.name + ": peak stays above the limit");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: generate_sounds ASSET_DIR [SKIN_DIR]\n";
    return 2;
  }
  const fs::path folder = fs::path(argv[1]) / "sounds";
  fs::create_directories(folder);
  const std::vector<TJob> jobs = AllJobs();
  std::vector<std::string> lines(jobs.size());
  std::atomic<std::size_t> next{0};
  std::mutex errorLock;
  std::string error;
  auto worker = [&] {
    for (std::size_t i; (i = next++) < jobs.size();) {
      try {
        lines[i] = RunJob(jobs[i], folder);
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(errorLock);
        error += std::string(e.what()) + "\n";
      }
    }
  };
  // Two workers: the build machine has two cores, and each sound is independent of the others,
  // so the output does not depend on which thread made it.
  std::thread helper(worker);
  worker();
  helper.join();
  if (!error.empty()) {
    std::cerr << "generate_sounds: " << error;
    return 1;
  }
  for (const auto& line : lines) std::cout << line << "\n";
  return 0;
}
