// Level construction: a level of 200 bodies (boxes, circles, a chain, sliders, turning bodies)
// built from its XML into a session, pictures and all, as starting a level does. And play on the
// heaviest levels a file may describe: every limit of game/level_file.h reached at once, drawn
// frame by frame with the software renderer and the most ragdolls on the field; each frame must
// stay within the 16.7 ms of a 60 Hz frame. Frames are timed on the clock and by the CPU time of
// the thread (the figure that holds on a machine shared with other work).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "state/globals.h"

namespace {

constexpr int LEVEL_NUMBER = 9200;

std::string BigLevel() {
  std::string bodies;
  const char* const boxes[] = {"staticBoxSmall.png", "dynamicBoxSmoll.png",
                               "staticPlankSmallGorizontal.png", "dynamicBoxMedium.png"};
  for (int i = 0; i < 160; ++i) {
    const int x = 80 + (i % 20) * 34;
    const int y = 60 + (i / 20) * 60;
    bodies += "<body Name=\"" + std::string(boxes[i % 4]) + "\" x=\"" + std::to_string(x) +
              "\" y=\"" + std::to_string(y) + "\" typ=\"" + (i % 2 != 0 ? "d" : "s") +
              "\" shape=\"r\" />\n";
  }
  for (int i = 0; i < 20; ++i) {
    bodies += "<body Name=\"ballSmall1.png\" x=\"" + std::to_string(100 + i * 30) +
              "\" y=\"560\" typ=\"d\" shape=\"c\" />\n";
  }
  bodies +=
      "<body Name=\"link.png\" x=\"760\" y=\"40\" typ=\"d\" shape=\"l\" countLinks=\"12\" "
      "direct=\"down\" />\n";
  for (int i = 0; i < 4; ++i) {
    bodies += "<body Name=\"movingPlankSmallGorizont.png\" x=\"" + std::to_string(150 + i * 150) +
              "\" y=\"530\" typ=\"s\" shape=\"r\" move=\"left\" speed=\"0.3\" />\n";
  }
  for (int i = 0; i < 3; ++i) {
    bodies += "<body Name=\"staticPlankBig.png\" x=\"" + std::to_string(200 + i * 200) +
              "\" y=\"250\" typ=\"s\" shape=\"r\" rotatingSpeed=\"1\" />\n";
  }
  return "<?xml version=\"1.0\"?>\n<level fon=\"fon3.jpg\" limitRagdoll=\"20\">\n<bodies>\n" +
         bodies + "</bodies>\n</level>\n";
}

/// The headless screen, the embedded assets and the shared pictures, as the game has them.
void OpenHeadlessGame() {
  static const bool opened = [] {
    SetLogQuiet(true);
    SetHeadless(true);
    Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0);
    RegisterEmbeddedAssets();
    LoadSharedMedia();
    graphicsHertz = 60;
    return true;
  }();
  (void)opened;
}

void BM_BuildLevelOf200Bodies(benchmark::State& state) {
  static const bool ready = [] {
    OpenHeadlessGame();
    const std::string text = BigLevel();
    RegisterAssetBytes(LevelAssetPath(LEVEL_NUMBER),
                       std::vector<std::uint8_t>(text.begin(), text.end()));
    return true;
  }();
  (void)ready;
  currentLevel = LEVEL_NUMBER;
  int bodies = 0;
  for (auto _ : state) {
    auto game = std::make_unique<TGame>();
    bodies = game->m_world->world->GetBodyCount() - 1;
    game->exitAll();
  }
  state.counters["bodies"] = bodies;
}
BENCHMARK(BM_BuildLevelOf200Bodies)->Unit(benchmark::kMillisecond);

constexpr int LIMITS_LEVEL_NUMBER = 9201;
constexpr int LIMITS_FRAMES = 600;  // ten seconds of play

/// A level at every limit. Variant 0 spends the bodies on dynamic boxes (every one a bullet)
/// stacked in a heap over the floor; variant 1 spends the joints on chains of the longest kind,
/// hanging over the boxes, and the bodies left on boxes.
std::string LevelAtTheLimits(int variant) {
  std::string bodies =
      R"(<body Name="borderPlankGorizontal1Big.png" x="400" y="595" typ="s" shape="r" />
<body Name="borderPlankVertical1Big.png" x="5" y="300" typ="s" shape="r" />
<body Name="borderPlankVertical1Big.png" x="795" y="300" typ="s" shape="r" />
<body Name="target.png" x="700" y="40" typ="s" shape="r" target="true" />
)";
  int left = MAX_LEVEL_BODIES - 4;
  if (variant == 1) {
    for (int joints = 0; joints + MAX_CHAIN_LINKS <= MAX_LEVEL_JOINTS && left > MAX_CHAIN_LINKS + 1;
         joints += MAX_CHAIN_LINKS) {
      bodies += "<body Name=\"link.png\" x=\"" + std::to_string(200 + joints) +
                "\" y=\"20\" typ=\"d\" shape=\"l\" countLinks=\"" +
                std::to_string(MAX_CHAIN_LINKS - 1) +
                "\" direct=\"down\" lastLink=\"ballBig2.png\" shapeLast=\"c\" />\n";
      left -= MAX_CHAIN_LINKS + 1;
    }
  }
  for (int i = 0; i < left; ++i) {
    bodies += "<body Name=\"dynamicBoxSmoll.png\" x=\"" + std::to_string(40 + (i % 36) * 20) +
              "\" y=\"" + std::to_string(560 - (i / 36) * 22) + "\" typ=\"d\" shape=\"r\" />\n";
  }
  std::string pics, clouds, drops, comets;
  for (int i = 0; i < MAX_LEVEL_DECORATIONS; ++i) {
    pics += "<pic Name=\"klen.png\" x=\"" + std::to_string(20 + (i * 37) % 760) + "\" y=\"" +
            std::to_string(20 + (i * 53) % 560) + "\" angle=\"" + std::to_string(i % 90) +
            "\" />\n";
  }
  for (int i = 0; i < MAX_LEVEL_CLOUDS; ++i) {
    clouds += "<oblako Name=\"oblako3.png\" x=\"" + std::to_string(i * 16) + "\" y=\"" +
              std::to_string(40 + i * 8) + "\" speed=\"0.5\" direct=\"left\" />\n";
  }
  for (int i = 0; i < MAX_LEVEL_DROPS; ++i) {
    drops += "<kapla Name=\"" + std::to_string(1 + i % 2) + "\" x=\"" +
             std::to_string(100 + i * 12) + "\" y=\"40\" />\n";
  }
  for (int i = 0; i < MAX_LEVEL_COMETS; ++i) {
    comets += "<kometa x0=\"" + std::to_string(900 - i * 10) +
              "\" y0=\"60\" x=\"-10\" y=\"2\" speed=\"4\" angle=\"-15\" />\n";
  }
  return "<?xml version=\"1.0\"?>\n<level fon=\"fon3.jpg\" weather=\"rain1\" thunder=\"true\" "
         "sunX=\"150\" sunY=\"110\" "
         "crow=\"45\" mouse=\"565\" spiderX=\"300\" spiderY=\"110\" limitRagdoll=\"" +
         std::to_string(MAX_LEVEL_RAGDOLLS) + "\">\n<bodies>\n" + bodies + "</bodies>\n<pics>\n" +
         pics + "</pics>\n<oblaka>\n" + clouds + "</oblaka>\n<kapli>\n" + drops +
         "</kapli>\n<komety>\n" + comets + "</komety>\n</level>\n";
}

double Percentile(std::vector<double> samples, double share) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[std::min(rank, samples.size() - 1)];
}

/// Ten seconds of the level at the limits, drawn, the cannon fired every 30 frames until the most
/// ragdolls lie on the field; every frame timed on its own.
void BM_PlayLevelAtTheLimits(benchmark::State& state) {
  static const bool ready = [] {
    OpenHeadlessGame();
    return true;
  }();
  (void)ready;
  const int variant = static_cast<int>(state.range(0));
  const int number = LIMITS_LEVEL_NUMBER + variant;
  if (!IsEmbeddedAsset(LevelAssetPath(number))) {
    const std::string text = LevelAtTheLimits(variant);
    RegisterAssetBytes(LevelAssetPath(number), std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  currentLevel = number;
  std::vector<double> frames;
  std::vector<double> cpu;
  auto threadMs = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  };
  int bodies = 0, joints = 0, ragdolls = 0;
  for (auto _ : state) {
    SeedRnd(4660);
    auto game = std::make_unique<TGame>();
    bodies = game->m_world->world->GetBodyCount() - 1;
    joints = game->m_world->world->GetJointCount();
    for (int f = 0; f < LIMITS_FRAMES; ++f) {
      InjectMouseMove(200 + (f * 7) % 500, 100 + (f * 3) % 400);
      const auto start = std::chrono::steady_clock::now();
      const double cpuStart = threadMs();
      game->Update();
      if (f % 30 == 0) game->shotRagdoll();
      cpu.push_back(threadMs() - cpuStart);
      frames.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
    }
    ragdolls = static_cast<int>(game->ragdollList.size());
    game->exitAll();
  }
  state.counters["bodies"] = bodies;
  state.counters["joints"] = joints;
  state.counters["ragdolls"] = ragdolls;
  state.counters["median_ms"] = Percentile(frames, 0.5);
  state.counters["p99_ms"] = Percentile(frames, 0.99);
  state.counters["worst_ms"] = Percentile(frames, 1.0);
  state.counters["cpu_median_ms"] = Percentile(cpu, 0.5);
  state.counters["cpu_p99_ms"] = Percentile(cpu, 0.99);
}
BENCHMARK(BM_PlayLevelAtTheLimits)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
