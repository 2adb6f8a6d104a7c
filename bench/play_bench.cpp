// Play on the real levels: one frame of the session without drawing against a bare physics step
// of the same world, one frame drawn with the software renderer, and building every level.
// The busy scene is the heaviest level (most bodies) with 20 ragdolls thrown into the air; the
// figures are read from the counters (milliseconds, and the ratio of frame to step).
#include <benchmark/benchmark.h>
#include <stdlib.h>  // mkdtemp

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "state/globals.h"
#include "state/options.h"

namespace {

constexpr int RAGDOLLS = 20;
constexpr int STEP_FRAMES = 120;   // two seconds of play per timed run
constexpr int STEP_RUNS = 15;      // frame and bare step alternate this many times
constexpr int DRAWN_FRAMES = 600;  // per level

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// The value below which `share` of the sorted samples lie (nearest rank).
double Percentile(std::vector<double> samples, double share) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[std::min(rank, samples.size() - 1)];
}

/// Headless window with the software renderer, the asset pack, the shared media and a progress
/// file in a folder of its own, as the game has them when play starts.
void SetUpGame() {
  static bool done = false;
  if (done) return;
  done = true;
  SetLogQuiet(true);
  SetHeadless(true);
  if (!Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, FRAME_HERTZ, 0)) std::abort();
  graphicsHertz = GraphicsHertz();
  RegisterEmbeddedAssets();
  LoadSharedMedia();
  // A progress file of its own, made afresh for each run and removed at exit: wins of the timed
  // plays are recorded like a player's.
  static std::string folder =
      (std::filesystem::temp_directory_path() / "brakkon-play-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) std::abort();
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  });
  SetDataFolder(folder);
  LoadOptions();
}

std::vector<int> ExistingLevels() {
  std::vector<int> levels;
  for (int level = 1; level <= DEFAULT_LEVEL_COUNT; ++level) {
    if (IsEmbeddedAsset(LevelAssetPath(level))) levels.push_back(level);
  }
  return levels;
}

std::shared_ptr<TGame> Build(int level) {
  currentLevel = level;
  return std::make_shared<TGame>();
}

/// The level whose construction makes the most bodies.
int HeaviestLevel() {
  static const int heaviest = [] {
    int best = 1;
    int bestBodies = -1;
    for (int level : ExistingLevels()) {
      const auto game = Build(level);
      const int bodies = game->m_world->world->GetBodyCount();
      if (bodies > bestBodies) {
        best = level;
        bestBodies = bodies;
      }
    }
    return best;
  }();
  return heaviest;
}

/// A session of `level` with 20 ragdolls in two rows, each pushed up and to the right as a shot
/// at a different aim point would push it.
std::shared_ptr<TGame> BusyScene(int level, bool drawing) {
  SeedRnd(4660);  // the same picture variants and ambient events in every run
  auto game = Build(level);
  game->drawingEnabled = drawing;
  for (int i = 0; i < RAGDOLLS; ++i) {
    auto ragdoll = std::make_shared<TRagdoll>();
    ragdoll->CreateRagdoll(nullptr, 8.0f + static_cast<float>(i % 10) * 9.0f,
                           -28.0f - static_cast<float>(i / 10) * 12.0f, *game->m_world);
    const float aimX = 300.0f + static_cast<float>(i) * 20.0f;
    const float aimY = 60.0f + static_cast<float>(i % 5) * 30.0f;
    const physics::b2Vec2 impulse(aimX / 8 / 5, (75 - aimY / 8) / 5);
    for (const BodyPtr& part :
         {ragdoll->body, ragdoll->upperRightHand, ragdoll->upperLeftHand, ragdoll->head}) {
      if (part) part->ApplyImpulse(impulse, part->GetLocalCenter());
    }
    game->ragdollList.push_back(ragdoll);
  }
  InjectMouseMove(500, 200);
  return game;
}

/// The frame without drawing and the bare step of the same world, alternating; each run starts
/// from a freshly built scene, so both see the same flight.
void BM_PlayFrameAgainstStep(benchmark::State& state) {
  SetUpGame();
  const int level = HeaviestLevel();
  std::vector<double> frame;
  std::vector<double> step;
  for (auto _ : state) {
    for (int run = 0; run < STEP_RUNS; ++run) {
      auto game = BusyScene(level, false);
      auto start = Clock::now();
      for (int f = 0; f < STEP_FRAMES; ++f) game->Update();
      frame.push_back(MillisecondsSince(start) / STEP_FRAMES);
      game = BusyScene(level, false);
      physics::b2World& world = *game->m_world->world;
      const float timeStep = game->m_world->timeStep;
      start = Clock::now();
      for (int f = 0; f < STEP_FRAMES; ++f) StepSubSteps(world, timeStep);
      step.push_back(MillisecondsSince(start) / STEP_FRAMES);
    }
  }
  const double frameMs = Percentile(frame, 0.5);
  const double stepMs = Percentile(step, 0.5);
  state.counters["level"] = level;
  state.counters["frame_ms"] = frameMs;
  state.counters["step_ms"] = stepMs;
  state.counters["ratio"] = stepMs > 0 ? frameMs / stepMs : 0;
}

/// Whole frames drawn by the software renderer with the mouse sweeping over the level, on every
/// level with 20 ragdolls in flight; every frame is timed on its own.
void BM_DrawnPlayFrame(benchmark::State& state) {
  SetUpGame();
  std::vector<double> all;
  double worstLevelP99 = 0;
  int worstLevel = 0;
  for (auto _ : state) {
    for (int level : ExistingLevels()) {
      auto game = BusyScene(level, true);
      std::vector<double> frames;
      for (int f = 0; f < DRAWN_FRAMES; ++f) {
        InjectMouseMove(200 + (f * 7) % 500, 100 + (f * 3) % 400);
        const auto start = Clock::now();
        game->Update();
        frames.push_back(MillisecondsSince(start));
      }
      const double p99 = Percentile(frames, 0.99);
      if (p99 > worstLevelP99) {
        worstLevelP99 = p99;
        worstLevel = level;
      }
      all.insert(all.end(), frames.begin(), frames.end());
    }
  }
  state.counters["median_ms"] = Percentile(all, 0.5);
  state.counters["p99_ms"] = Percentile(all, 0.99);
  state.counters["worst_level"] = worstLevel;
  state.counters["its_p99_ms"] = worstLevelP99;
}

/// Building each level, three ways, all timed on the main thread and tearing down untimed:
/// - as played: the levels one after the other, each started as the game starts the next level
///   (StartSession), its pictures and sounds prepared in the background and its textures made
///   in slices of the frames while the one before was played (the benchmark lets that finish,
///   as a player's seconds in a level do);
/// - restart: the same level again once its session is gone, as the Space key does;
/// - cold: nothing prepared or held, the first build of the level in this process.
void BM_LevelConstruction(benchmark::State& state) {
  SetUpGame();
  std::vector<double> played;
  std::vector<double> restarts;
  std::vector<double> cold;
  double worst = 0;
  int worstLevel = 0;
  for (auto _ : state) {
    const std::vector<int> levels = ExistingLevels();
    for (int level : levels) {
      ForgetPreparation();
      WaitForPreparation();
      currentLevel = level;
      const auto start = Clock::now();
      auto game = std::make_shared<TGame>();
      cold.push_back(MillisecondsSince(start));
    }
    ForgetPreparation();
    PrepareLevel(levels.front());
    for (int level : levels) {
      WaitForPreparation();
      while (AdvancePreparation(2000)) {
      }
      auto start = Clock::now();
      auto game = StartSession(level);
      played.push_back(MillisecondsSince(start));
      if (played.back() > worst) {
        worst = played.back();
        worstLevel = level;
      }
      game.reset();
      start = Clock::now();
      game = std::make_shared<TGame>();
      restarts.push_back(MillisecondsSince(start));
    }
    ForgetPreparation();
  }
  state.counters["levels"] = static_cast<double>(played.size());
  state.counters["median_ms"] = Percentile(played, 0.5);
  state.counters["worst_ms"] = worst;
  state.counters["worst_level"] = worstLevel;
  state.counters["restart_median_ms"] = Percentile(restarts, 0.5);
  state.counters["cold_median_ms"] = Percentile(cold, 0.5);
  state.counters["cold_worst_ms"] = Percentile(cold, 1.0);
}

// Construction first: its cold builds are then the first of the process.
BENCHMARK(BM_LevelConstruction)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayFrameAgainstStep)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawnPlayFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
