// Level construction: a level of 200 bodies (boxes, circles, a chain, sliders, turning bodies)
// built from its XML into a session, pictures and all, as starting a level does.
#include <benchmark/benchmark.h>

#include <string>

#include "app/app.h"
#include "state/globals.h"
#include "game/game.h"
#include "game/level_file.h"

namespace {

constexpr int LEVEL_NUMBER = 9200;

std::string BigLevel() {
  std::string bodies;
  const char* const boxes[] = {"staticBoxSmall.png", "dynamicBoxSmoll.png", "staticPlankSmallGorizontal.png",
                               "dynamicBoxMedium.png"};
  for (int i = 0; i < 160; ++i) {
    const int x = 80 + (i % 20) * 34;
    const int y = 60 + (i / 20) * 60;
    bodies += "<body Name=\"" + std::string(boxes[i % 4]) + "\" x=\"" + std::to_string(x) + "\" y=\"" +
              std::to_string(y) + "\" typ=\"" + (i % 2 != 0 ? "d" : "s") + "\" shape=\"r\" />\n";
  }
  for (int i = 0; i < 20; ++i) {
    bodies += "<body Name=\"ballSmall1.png\" x=\"" + std::to_string(100 + i * 30) + "\" y=\"560\" typ=\"d\" shape=\"c\" />\n";
  }
  bodies += "<body Name=\"link.png\" x=\"760\" y=\"40\" typ=\"d\" shape=\"l\" countLinks=\"12\" direct=\"down\" />\n";
  for (int i = 0; i < 4; ++i) {
    bodies += "<body Name=\"movingPlankSmallGorizont.png\" x=\"" + std::to_string(150 + i * 150) +
              "\" y=\"530\" typ=\"s\" shape=\"r\" move=\"left\" speed=\"0.3\" />\n";
  }
  for (int i = 0; i < 3; ++i) {
    bodies += "<body Name=\"staticPlankBig.png\" x=\"" + std::to_string(200 + i * 200) +
              "\" y=\"250\" typ=\"s\" shape=\"r\" rotatingSpeed=\"1\" />\n";
  }
  return "<?xml version=\"1.0\"?>\n<level fon=\"fon3.jpg\" limitRagdoll=\"20\">\n<bodies>\n" + bodies +
         "</bodies>\n</level>\n";
}

void BM_BuildLevelOf200Bodies(benchmark::State& state) {
  static const bool ready = [] {
    SetLogQuiet(true);
    SetHeadless(true);
    Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0);
    RegisterEmbeddedAssets();
    LoadSharedMedia();
    graphicsHertz = 60;
    const std::string text = BigLevel();
    RegisterAssetBytes(LevelAssetPath(LEVEL_NUMBER), std::vector<std::uint8_t>(text.begin(), text.end()));
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

}  // namespace

BENCHMARK_MAIN();
