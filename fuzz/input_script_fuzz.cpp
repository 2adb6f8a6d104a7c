// Fuzz target: arbitrary bytes as an input script, read from a file as `--input` reads it and,
// when it reads, played for a few frames on a headless window. Whatever the script says, reading
// it ends with a message or a script, and playing it moves nothing past its bounds.
#include <cstdint>
#include <cstdio>
#include <string>

#include "media/media.h"

namespace {

constexpr int FRAMES_PER_INPUT = 4;
const char* const SCRIPT_FILE = "fuzz-input-script.txt";

bool Prepare() {
  SetLogQuiet(true);
  SetHeadless(true);
  return Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, FRAME_HERTZ, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = Prepare();
  if (std::FILE* f = std::fopen(SCRIPT_FILE, "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  std::string error;
  if (!LoadInputScript(SCRIPT_FILE, &error)) {
    if (error.empty()) __builtin_trap();  // a refused script always says why
    return 0;
  }
  if (!prepared) return 0;
  for (int frame = 0; frame < FRAMES_PER_INPUT; ++frame) {
    // What the game asks of the input every frame, the wheel's running total included.
    (void)MouseX();
    (void)MouseY();
    (void)MouseZ();
    (void)MouseHit(1);
    (void)KeyHit(1);
    (void)JoyDown(1, 0);
    Flip(-1);
  }
  FlushMouse();
  FlushKeys();
  return 0;
}
