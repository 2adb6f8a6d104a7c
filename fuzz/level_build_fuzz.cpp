// Fuzz target: arbitrary bytes as a level file, built into a session and played for a few
// frames without drawing. Nothing the file says may crash the game or feed the physics garbage.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "state/globals.h"
#include "game/game.h"
#include "media/media.h"

namespace {

constexpr int FRAMES_PER_INPUT = 8;
/// The level number the fuzzer's files use: the game reads "levels/level<n>.xml" from the working
/// folder when no asset of that name is embedded (the fuzz build embeds none).
constexpr int FUZZ_LEVEL = 987654;

std::string LevelFile() { return "levels/level" + std::to_string(FUZZ_LEVEL) + ".xml"; }

bool Prepare() {
  SetLogQuiet(true);
  graphicsHertz = 60;
  // NOTE: the working folder must not change: libFuzzer reads its corpus by relative paths.
  std::filesystem::create_directories("levels");
  currentLevel = FUZZ_LEVEL;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  if (std::FILE* f = std::fopen(LevelFile().c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  auto game = std::make_unique<TGame>();
  game->drawingEnabled = false;
  for (int frame = 0; frame < FRAMES_PER_INPUT; ++frame) {
    game->Update();
    if (frame == 1) game->shotRagdoll();
  }
  game->exitAll();
  return 0;
}
