// Renders the level thumbnails of the level selection at build time with the game's own code:
// every level file in the base asset pack is built as a session, its first frame is drawn
// headless, and the frame is saved the way the F8 key saves it (scaled to 360 x 272, JPEG
// quality 70) as OUT_DIR/levels_thumbs/level_thumb_<n>.jpg.
// Usage: brakkon_thumbs OUT_DIR
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game.h"
#include "media/media.h"
#include "state/globals.h"

namespace {

// The game's generator state at start-up: every level starts from it, so a thumbnail does not
// depend on which other levels exist.
constexpr int START_SEED = 4660;
// The pointer sits above the top right corner: the aim picture stays off the frame and the
// cannon points up the field at about 40 degrees.
constexpr int POINTER_X = 800;
constexpr int POINTER_Y = -100;

bool RenderLevel(int level, const std::string& outDir) {
  SeedRnd(START_SEED);
  currentLevel = level;
  // A thumbnail shows the level, not the play aids drawn over it.
  playSettings.powerGauge = false;
  playSettings.firstShotDone = true;
  session = std::make_shared<TGame>();
  session->Update();
  const PixmapPtr frame = GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  session->exitAll();
  session = nullptr;
  const std::string file = outDir + "/levels_thumbs/level_thumb_" + std::to_string(level) + ".jpg";
  return frame && SavePixmapJPeg(ResizePixmap(frame, THUMBNAIL_WIDTH, THUMBNAIL_HEIGHT), file,
                                 THUMBNAIL_QUALITY);
}

/// Numbers n of the embedded files levels/level<n>.xml, ascending.
std::vector<int> LevelNumbers() {
  const std::string prefix = "levels/level", suffix = ".xml";
  std::vector<int> levels;
  for (const std::string& path : EmbeddedAssetPaths()) {
    if (path.size() <= prefix.size() + suffix.size() || path.rfind(prefix, 0) != 0 ||
        !path.ends_with(suffix)) {
      continue;
    }
    const std::string digits =
        path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    levels.push_back(std::atoi(digits.c_str()));
  }
  std::sort(levels.begin(), levels.end());
  return levels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: brakkon_thumbs OUT_DIR\n");
    return 2;
  }
  const std::string outDir = argv[1];
  // Start empty, so that the thumbnail of a level file that is gone does not stay behind.
  std::filesystem::remove_all(outDir + "/levels_thumbs");
  std::filesystem::create_directories(outDir + "/levels_thumbs");
  SetLogQuiet(true);
  SetHeadless(true);
  RegisterEmbeddedAssets();
  if (!Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0)) return 1;
  graphicsHertz = 60;
  LoadSharedMedia();
  InjectMouseMove(POINTER_X, POINTER_Y);
  int rendered = 0;
  // Every level file there is: while levels are still being made the numbers may have gaps.
  for (int level : LevelNumbers()) {
    if (!RenderLevel(level, outDir)) {
      std::fprintf(stderr, "brakkon_thumbs: cannot write the thumbnail of level %d\n", level);
      EndGraphics();
      return 1;
    }
    ++rendered;
  }
  EndGraphics();
  std::printf("brakkon_thumbs: %d thumbnails\n", rendered);
  return 0;
}
