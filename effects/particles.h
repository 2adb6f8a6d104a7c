// Particles of a level's weather: falling snowflakes and a star field streaming out of the screen
// centre, plus the frame step of the impact spark. Each moves and draws itself in screen pixels.
#pragma once

#include <array>
#include <memory>

#include "effects/ambient.h"
#include "media/media.h"
#include "physics/baz.h"

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
  /// Moves and draws every flake, then resets the rotation.
  static void UpdateAll(TSnowList& flakes);
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
  /// Moves and draws the star, with the star plane turned by `angle` degrees.
  void UpdateS(float angle);
};

/// Draws the spark's next frame and advances it; endF becomes 1 after the sixth.
void UpdateSpark(TBaz& spark);
