// Entry point: reads the command line and runs the game.
#include <cstdio>
#include <string>

#if defined(__GLIBC__)  // known once a C library header is in
#include <malloc.h>
#endif

#include "app/app.h"

namespace {

/// Pictures, their textures and decoded sounds come and go with every level, a few megabytes
/// each. Served from mappings of their own they go back to the system when let go; from the
/// heap they would leave it as large as the largest level ever played.
constexpr int LARGE_ALLOCATION_BYTES = 256 * 1024;

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, LARGE_ALLOCATION_BYTES);
#endif
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
