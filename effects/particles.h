// Particles of a level's weather: falling snowflakes and a star field streaming out of the screen
// centre, plus the frame step of the impact spark. Each moves and draws itself in screen pixels;
// with drawing off it moves exactly as it would when drawn.
#pragma once

#include <array>
#include <memory>

#include "effects/ambient.h"
#include "effects/baz.h"
#include "media/media.h"

/// The three shared snow pictures (snow1 .. snow3), mid-handled.
using TSnowPictures = std::array<ImagePtr, 3>;

class TSnowflake {
 public:
  float xS = 0, yS = 0;  ///< pixels, y down
  float speed = 0;       ///< fall per frame, pixels
  float t = 0;           ///< sway phase, degrees
  float scale = 1;
  ImagePtr img;
  float angle = 0;       ///< degrees
  float angleSpeed = 0;  ///< degrees per frame
  float initY = 0;       ///< height the flake returns to after leaving the bottom
  float speedT = 0;      ///< phase advance per frame, degrees
  float sp = 0;          ///< sway amplitude, pixels

  /// A new flake with one of `pictures`, whose drawn size it sets (the pictures are shared).
  static std::shared_ptr<TSnowflake> Create(const TSnowPictures& pictures);
  /// Draws and moves every flake (drawing only when `draw`), then resets the rotation.
  static void UpdateAll(TSnowList& flakes, bool draw = true);
};

class TStar {
 public:
  float X = 0, Y = 0;  ///< position in the star plane, pixels from the centre
  float Z = 0;         ///< depth; smaller is nearer
  int Typ = 0;
  float H = 400, V = 300;  ///< screen centre
  float sZ = 0;            ///< approach speed

  /// A star at a random place and depth.
  TStar();
  /// Moves the star and draws it (when `draw`) with the star plane turned by `angle` degrees.
  /// A star whose point leaves the 800 x 600 screen is still drawn there and restarts at depth 100.
  void UpdateS(float angle, bool draw = true);
};

/// Draws the spark's next frame (when `draw`) and advances it; endF becomes 1 after the sixth.
void UpdateSpark(TBaz& spark, bool draw = true);
