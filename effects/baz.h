// TBaz, the impact spark: a six-frame picture the contact rules start on a ragdoll's torso when it
// first hits a box. The record and its creation live here because the physics creates it; the
// session's spark list drives and draws it frame by frame.
#pragma once

#include <array>
#include <list>
#include <memory>

#include "media/media.h"

/// The three spark animations (6 cells each, mid-handled), loaded once at start-up.
using TSparkPictures = std::array<ImagePtr, 3>;

class TBaz {
 public:
  ImagePtr img;     ///< one of the three spark animations
  int Cframe = 0;   ///< next frame to draw, 0 to 5
  float xB = 0.0f;  ///< drawn at pixel (xB, -yB)
  float yB = 0.0f;
  int endF = 0;  ///< 1 once all six frames have been drawn

  /// A spark at (0, 0) with spark picture Rand(1, 3) of `pictures`. The random number is drawn
  /// even without pictures, so the game's random sequence does not depend on them.
  static std::shared_ptr<TBaz> New(const TSparkPictures* pictures);
};

/// The session's spark list, oldest first.
using TBazList = std::list<std::shared_ptr<TBaz>>;

/// Appends a new spark (TBaz::New) drawn at pixel (x, -y) to `list`: what the physics world's
/// spark link does when a ragdoll's torso first hits a box.
void AddSpark(TBazList& list, const TSparkPictures* pictures, float x, float y);
