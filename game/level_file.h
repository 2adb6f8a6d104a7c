// The level file as the game reads it: the root's level-wide settings and the six sections
// (bodies, portals, pics, oblaka, kapli, komety), with every value converted the way the game
// converts it. Construction (game/game.h) builds a level from this; the level tools read it too.
// A level file is untrusted: reading clamps every number to a range the physics and the renderer
// can take and leaves out what a level may not hold, noting each change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class xmlDocument;

// [SECTION] Limits --------------------------------------------------------------------------------

/// What one level may hold. A level at every limit at once still plays at 60 frames per second
/// (bench/level_build_bench.cpp); what a file asks for beyond them is left out when it is read.
constexpr std::size_t MAX_LEVEL_FILE_BYTES = 1 << 20;  ///< a larger file is not read at all
constexpr int MAX_LEVEL_BODIES = 200;  ///< built bodies: boxes, circles, chain anchors, links, ends
constexpr int MAX_LEVEL_JOINTS = 200;  ///< the joints of every chain together: links in all
constexpr int MAX_CHAIN_LINKS = 100;   ///< links of one chain
/// Boxes simulated as bullets (never passing through a body between two steps); the boxes after
/// them are not: a heap of bullets costs several times as much to step.
constexpr int MAX_BULLET_BOXES = 25;
constexpr int MAX_LEVEL_DECORATIONS = 100;  ///< pictures of the pics section
constexpr int MAX_LEVEL_CLOUDS = 20;
constexpr int MAX_LEVEL_DROPS = 20;
constexpr int MAX_LEVEL_COMETS = 20;
constexpr int MAX_LEVEL_RAGDOLLS = 25;  ///< limitRagdoll: ragdolls on the field at once
/// Pixels the level's own pictures may cover in all, bodies as scaled, decorations and clouds:
/// two thirds of a screen (the stored levels use 229184 at most). Turned pictures are drawn
/// through a copy of their full size, so the cost of a frame follows this sum. Construction
/// leaves out what would go past it (game/game_build.cpp).
constexpr long long MAX_LEVEL_PICTURE_PIXELS = 320000;

/// Ranges of the numbers; a value outside is clamped to the nearer end, one that is not a number
/// takes the format's default.
constexpr float MAX_LEVEL_COORDINATE = 10000;  ///< pixels (portals: world units, an eighth of it)
constexpr float MAX_LEVEL_ANGLE = 360;         ///< degrees
constexpr float MIN_LEVEL_SCALE = 0.01f;
constexpr float MAX_LEVEL_SCALE = 10;
constexpr float MIN_LEVEL_DENSITY = 0.01f;
constexpr float MAX_LEVEL_DENSITY = 100;
constexpr float MAX_SLIDER_SPEED = 10;   ///< world units per frame
constexpr float MAX_TURNING_SPEED = 90;  ///< degrees per frame
constexpr float MAX_EFFECT_SPEED = 100;  ///< clouds and comets, pixels per frame
constexpr float MAX_EFFECT_SCALE = 2;    ///< drops and comets (their pictures are large)
constexpr float MAX_PORTAL_PUSH = 1000;  ///< impulse, mass x world units / s

// [SECTION] Entries -------------------------------------------------------------------------------

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

  friend bool operator==(const TBodyEntry&, const TBodyEntry&) = default;
};

struct TPortalEntry {
  float xIn = 0, yIn = 0, angleIn = 0;
  float xOut = 0, yOut = 0, angleOut = 0;
  float forceOutX = 0, forceOutY = 0;

  friend bool operator==(const TPortalEntry&, const TPortalEntry&) = default;
};

struct TPicEntry {
  std::string name;  ///< levels_pic/ + name
  float x = 0, y = 0, angle = 0;

  friend bool operator==(const TPicEntry&, const TPicEntry&) = default;
};

struct TCloudEntry {
  std::string name;
  float x = 0, y = 0, speed = 0;
  std::string direct;

  friend bool operator==(const TCloudEntry&, const TCloudEntry&) = default;
};

struct TDropEntry {
  int kind = 0;  ///< 1 or 2
  int x = 0, y = 0;
  float scaleX = 1, scaleY = 1;

  friend bool operator==(const TDropEntry&, const TDropEntry&) = default;
};

struct TCometEntry {
  float x0 = 0, y0 = 0, x = 0, y = 0;
  float scaleX = 1, scaleY = 1;
  float speed = 0, angle = 0;

  friend bool operator==(const TCometEntry&, const TCometEntry&) = default;
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

  /// What reading changed, one line each: a value clamped, entries left out over a limit, a file
  /// refused. The game logs them; `brakkon-levels check` reports them.
  std::vector<std::string> notes;

  friend bool operator==(const TLevelFile&, const TLevelFile&) = default;
};

/// Built bodies and joints of a body entry: a box or circle is one body; a chain its anchor, its
/// links (at most MAX_CHAIN_LINKS) and its end, joined one to the next.
int EntryBodies(const TBodyEntry& entry);
int EntryJoints(const TBodyEntry& entry);

/// Asset path of level n: "levels/level<n>.xml".
std::string LevelAssetPath(int level);

/// Reads a level from whatever tree `document` holds (a failed parse still yields the sections
/// it built). Missing sections and attributes give their defaults; values out of range are
/// clamped and entries over a limit left out, each with a note.
TLevelFile ReadLevelFile(const xmlDocument& document);

/// Loads and reads a level file (embedded asset or file). A missing file gives an empty level, a
/// file over MAX_LEVEL_FILE_BYTES an empty level with a note.
TLevelFile LoadLevelFile(const std::string& path);

// [SECTION] Writing -------------------------------------------------------------------------------

/// The text of a level file for `level`: the level file declaration, the root's settings and the
/// sections the level has, with the element names the stored files use. Values at their default
/// are left out, numbers are written in their shortest exact form, so ReadLevelFile gives the same
/// level back. Names must be plain ASCII without markup characters (the reader keeps values as
/// written); the notes are not written.
std::vector<std::uint8_t> LevelFileBytes(const TLevelFile& level);
/// Writes LevelFileBytes to `path` atomically (the old file stays whole on any failure); false
/// with the reason in `error`.
bool SaveLevelFile(const std::string& path, const TLevelFile& level, std::string& error);
/// Shortest text that reads back as exactly `value` ("0" for 0, no exponent for level numbers).
std::string LevelNumberText(float value);
