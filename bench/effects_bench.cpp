// Ambient effects: the cost of a play frame of a level with snow, 12 clouds, drops, comets, the sun
// and all four creatures, every one of them kept running, against the same level without them.
// The difference of the two is what the effects cost: without drawing (the simulation alone) and
// drawn with the headless software renderer. Missing level pictures are stood in for.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "state/globals.h"

namespace {

constexpr int FULL_LEVEL = 9901;
constexpr int BARE_LEVEL = 9902;
constexpr const char* ROOT = R"(fon="fon1.jpg" levX="65" levY="30" shotsX="67" shotsY="55")";

void RegisterLevel(int number, const std::string& text) {
  RegisterAssetBytes(LevelAssetPath(number), std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string FullLevel() {
  std::string clouds;
  for (int i = 0; i < 12; ++i) {
    clouds += "<oblako Name=\"oblako" + std::to_string(i % 3 + 1) + ".png\" x=\"" +
              std::to_string(i * 70) + "\" y=\"" + std::to_string(40 + i % 4 * 30) +
              "\" speed=\"0.4\" direct=\"left\" />\n";
  }
  return std::string("<level ") + ROOT +
         R"( weather="snow" crow="55" mouse="565" spiderX="500" spiderY="150" snowmanX="300" snowmanY="525"
             snowmanTyp="H" sunX="600" sunY="150">
  <bodies />
  <oblaka>)" +
         clouds + R"(</oblaka>
  <kapli><kapla Name="1" x="200" y="10" /><kapla Name="2" x="260" y="10" /><kapla Name="1" x="320" y="10" />
         <kapla Name="2" x="380" y="10" scaleY="0.8" /><kapla Name="1" x="440" y="10" /><kapla Name="2" x="500" y="10" /></kapli>
  <komety><kometa x0="50" y0="-50" x="400" y="300" speed="3" /><kometa x0="700" y0="-80" x="-300" y="200" speed="4" />
          <kometa x0="300" y0="-60" x="0" y="100" speed="2" /><kometa x0="100" y0="0" x="500" y="100" speed="5" /></komety>
</level>)";
}

/// Headless window, assets, shared pictures and the two levels, once.
void Prepare() {
  static const bool ready = [] {
    SetLogQuiet(true);
    SetHeadless(true);
    Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0);
    RegisterEmbeddedAssets();
    LoadSharedMedia();
    graphicsHertz = 60;
    soundOn = 0;
    RegisterLevel(FULL_LEVEL, FullLevel());
    RegisterLevel(BARE_LEVEL, std::string("<level ") + ROOT + "><bodies /></level>");
    return true;
  }();
  (void)ready;
}

/// Keeps every effect of the level running: the creatures' keys held, comets and drops relaunched.
void KeepEverythingRunning(TGame& game) {
  for (TKometa& comet : game.kometyList) {
    if (comet.go == 0) {
      comet.go = 1;
      comet.d = 0;
    }
  }
  for (TKapla& drop : game.kapliList) {
    if (drop.kaplFrame == 0) drop.kaplFrame = 1;
  }
}

/// One play frame; range(0): 1 the effects level, 0 the bare one; range(1): 1 drawn.
void BM_PlayFrame(benchmark::State& state) {
  Prepare();
  const bool effects = state.range(0) != 0;
  currentLevel = effects ? FULL_LEVEL : BARE_LEVEL;
  auto game = std::make_unique<TGame>();
  game->drawingEnabled = state.range(1) != 0;
  for (int key : {KEY_C, KEY_M, KEY_S, KEY_W}) InjectKey(key, true);
  for (auto _ : state) {
    KeepEverythingRunning(*game);
    game->Update();
  }
  for (int key : {KEY_C, KEY_M, KEY_S, KEY_W}) InjectKey(key, false);
  state.SetLabel(std::string(effects ? "effects" : "bare") +
                 (state.range(1) != 0 ? ", drawn" : ", not drawn"));
}
BENCHMARK(BM_PlayFrame)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
