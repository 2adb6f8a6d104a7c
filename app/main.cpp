// Entry point: reads the command line and runs the game.
#include <cstdio>
#include <string>

#include "app/app.h"

int main(int argc, char** argv) {
  TLaunchOptions options;
  std::string message;
  bool exitNow = false;
  if (!ParseLaunchOptions(argc, argv, options, message, exitNow)) {
    std::fputs(message.c_str(), stderr);
    return 2;
  }
  if (exitNow) {
    std::fputs(message.c_str(), stdout);
    return 0;
  }
  return RunGame(options);
}
