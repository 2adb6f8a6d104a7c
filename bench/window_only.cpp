// The yardstick for the game's start-up time: a program that only opens the window and renderer
// the game opens (through the same media layer, so with the same SDL set-up and sound device),
// presents one black frame and closes. Usage: window_only [--headless]
#include <cstring>

#include "media/media.h"

int main(int argc, char** argv) {
  SetHeadless(argc > 1 && std::strcmp(argv[1], "--headless") == 0);
  AppTitle("Brakkon");
  if (!Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, FRAME_HERTZ, 0)) return 1;
  Cls();
  Flip(-1);
  EndGraphics();
  return 0;
}
