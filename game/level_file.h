// The level file as the game reads it: the root's level-wide settings and the six sections
// (bodies, portals, pics, oblaka, kapli, komety), with every value converted the way the game
// converts it. Construction (game/game.h) builds a level from this; the level tools read it too.
#pragma once

#include <string>
#include <vector>

class xmlDocument;

/// One entry of the `bodies` section. Scales are already 1 where the file has 0 or nothing,
/// density 0.1 where it has 0.
struct TBodyEntry {
  std::string name;  ///< picture, bodies_pic/ + name
  float x = 0, y = 0;
  float angle = 0;
  std::string typ;    ///< "d" dynamic, "s" static
  std::string shape;  ///< "r" box, "c" circle, "l" chain
  float scaleX = 1, scaleY = 1;
  float density = 0.1f;
  bool target = false;  ///< "true" in any letter case
  int countLinks = 0;
  std::string direct;  ///< chains: "down" or "right"
  std::string lastLink;
  std::string shapeLast;
  std::string move;  ///< boxes: "left", "right", "up", "down"
  float speed = 0;
  float rotatingSpeed = 0;
};

struct TPortalEntry {
  float xIn = 0, yIn = 0, angleIn = 0;
  float xOut = 0, yOut = 0, angleOut = 0;
  float forceOutX = 0, forceOutY = 0;
};

struct TPicEntry {
  std::string name;  ///< levels_pic/ + name
  float x = 0, y = 0, angle = 0;
};

struct TCloudEntry {
  std::string name;
  float x = 0, y = 0, speed = 0;
  std::string direct;
};

struct TDropEntry {
  int kind = 0;  ///< 1 or 2
  int x = 0, y = 0;
  float scaleX = 1, scaleY = 1;
};

struct TCometEntry {
  float x0 = 0, y0 = 0, x = 0, y = 0;
  float scaleX = 1, scaleY = 1;
  float speed = 0, angle = 0;
};

struct TLevelFile {
  std::string fon;
  float levX = 0, levY = 0, shotsX = 0, shotsY = 0, nextX = 0, nextY = 0;
  int limitRagdoll = 0;
  std::string weather;
  std::string thunder;
  int shot = 0;
  int mouse = 0;
  int spiderX = 0, spiderY = 0;
  float sunX = 0, sunY = 0;
  int crow = 0;
  int snowmanX = 0, snowmanY = 0;
  std::string snowmanTyp;
  std::string gravity;

  std::vector<TBodyEntry> bodies;
  bool hasPortals = false;
  TPortalEntry portals;
  std::vector<TPicEntry> pics;
  std::vector<TCloudEntry> clouds;
  bool hasDrops = false;
  std::vector<TDropEntry> drops;
  bool hasComets = false;
  std::vector<TCometEntry> comets;
};

/// Asset path of level n: "levels/level<n>.xml".
std::string LevelAssetPath(int level);

/// Reads a level from whatever tree `document` holds (a failed parse still yields the sections
/// it built). Missing sections and attributes give their defaults.
TLevelFile ReadLevelFile(const xmlDocument& document);

/// Loads and reads a level file (embedded asset or file). A missing file gives an empty level.
TLevelFile LoadLevelFile(const std::string& path);
