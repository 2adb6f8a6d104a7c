// Records of a level's ambient effects: clouds, drops, comets, and the snow and star particle
// lists. Level construction fills them; the weather and creature steps of a frame move and draw
// them.
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
  std::string direct;    ///< "left" or "right"
  float speed = 0;       ///< pixels per frame
};

/// A dripping drop.
class TKapla {
 public:
  int typ = 0;  ///< kind 1 or 2
  float xP = 0, yP = 0;
  float scaleX = 1, scaleY = 1;
  float kaplFrame = 0;
};

/// A comet crossing the sky.
class TKometa {
 public:
  float speed = 0;
  float x0 = 0, y0 = 0;
  float xP = 0, yP = 0;  ///< the second point of the flight line
  float scaleX = 1, scaleY = 1;
  float komFrame = 0;
  int go = 0;
  float d = 0;
  float angle = 0;
};
