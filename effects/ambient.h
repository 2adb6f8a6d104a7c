// Records of a level's ambient effects (clouds, drops, comets) with their frame steps, the rain
// streaks, and the snow and star particle lists. Level construction fills the records; the
// session's weather and creature steps move and draw them once per frame. Every step takes a
// `draw` switch: with it off the record changes exactly as it would when drawn, so a simulation
// without drawing takes the same course.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "media/media.h"

class TSnowflake;
class TStar;
using TSnowList = std::list<std::shared_ptr<TSnowflake>>;
using TStarList = std::list<std::shared_ptr<TStar>>;

/// A drifting cloud.
class Oblako {
 public:
  ImagePtr pic;
  float xP = 0, yP = 0;  ///< centre, pixels
  std::string direct;    ///< "left" or "right"; anything else stands still
  float speed = 0;       ///< pixels per frame

  /// Draws the cloud, then drifts it; it re-enters at the other side beyond x -100 and 900.
  void Update(bool draw);
};

/// How a kind of drop falls: frame advance, the frame its sound is due on, the last frame drawn.
struct TDropKind {
  float step = 1;
  float soundFrame = 0;
  float lastFrame = 0;
};

/// A dripping drop. It idles at kaplFrame 0 until launched (kaplFrame 1), runs once, idles again.
class TKapla {
 public:
  int typ = 0;  ///< kind 1 or 2
  float xP = 0, yP = 0;
  float scaleX = 1, scaleY = 1;
  float kaplFrame = 0;

  /// The falling behaviour of this drop's kind, or null for a kind that is never drawn.
  const TDropKind* Kind() const;
  /// One frame of a running drop of a known kind: sizes `picture` (20 x 590 cells, shared by the
  /// drops of the kind) to the drop's scale, draws it, advances. True on the frame its sound is
  /// due.
  bool Update(const TDropKind& kind, const ImagePtr& picture, bool draw);
};

/// A comet crossing the sky. It idles with go 0 until launched, flies once from (x0, y0) along
/// the slope yP / xP, downward only, and idles again once it has left the field.
class TKometa {
 public:
  float speed = 0;
  float x0 = 0, y0 = 0;
  float xP = 0, yP = 0;  ///< the second point of the flight line
  float scaleX = 1, scaleY = 1;
  float komFrame = 0;
  int go = 0;
  float d = 0;      ///< distance flown
  float angle = 0;  ///< drawing rotation, degrees

  /// One frame of a flying comet: sizes `picture` (shared) to the comet, draws it, advances it.
  /// A comet without direction (xP and yP both 0) ends its flight at once, drawing nothing.
  void Update(const ImagePtr& picture, bool draw);
};

/// Rain kinds that draw streaks; other weather draws none.
enum class TRainKind { slanted, straight };
/// One frame of new random rain streaks: 91 slanted ones for `slanted`, 41 straight shorter ones
/// for `straight`. The random numbers are drawn whether or not `draw` is set; the drawing colour
/// and rotation are white and 0 afterwards.
void UpdateRainStreaks(TRainKind kind, bool draw);
