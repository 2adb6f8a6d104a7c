// Fuzz target: arbitrary bytes as a level file, built into a session and played for a few
// frames without drawing. Nothing the file says may crash the game or feed the physics garbage.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/globals.h"
#include "game/game.h"
#include "media/media.h"

namespace {

constexpr int FRAMES_PER_INPUT = 8;

/// The level is read from "levels/level1.xml" in a private working folder.
bool Prepare() {
  SetLogQuiet(true);
  graphicsHertz = 60;
  const auto folder = std::filesystem::temp_directory_path() / ("level_build_fuzz_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "levels");
  std::filesystem::current_path(folder);
  currentLevel = 1;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  if (std::FILE* f = std::fopen("levels/level1.xml", "wb")) {
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
