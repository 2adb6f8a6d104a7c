// The level check works on the file's own numbers: each box or circle becomes its outline on the
// screen (pixels, rotated as the game rotates it) and outlines are compared with the separating
// axis test. A chain becomes three outlines: its anchor, the band of its links and its end, which
// overlap each other by design. The start check plays the level itself for two seconds.
#include "tools/levels/level_design.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

#include "game/game.h"
#include "game/level_file.h"
#include "media/media.h"
#include "solver/level_run.h"
#include "state/globals.h"

namespace {

/// Outlines may touch: bodies resting on each other are placed edge to edge.
constexpr float OVERLAP_TOLERANCE = 1.0f;
constexpr int CIRCLE_SIDES = 24;
/// The cannon turns about this pixel; the ragdoll leaves 56 pixels out along the barrel.
/// What must stay clear: the barrel's sweep from a little below level to straight up, out to
/// where a fresh ragdoll's arms reach.
constexpr float CANNON_CLEAR_RADIUS = 150;
constexpr float CANNON_CLEAR_LOW_DEGREES = -12;
constexpr float CANNON_CLEAR_HIGH_DEGREES = 95;
constexpr int CANNON_CLEAR_STEPS = 12;
/// Sizes of the counters and the next-level button (pictures of game_pic/).
constexpr float COUNTER_WIDTH = 130;  // label and up to three digits
constexpr float COUNTER_HEIGHT = 19;
constexpr float NEXT_WIDTH = 149;
constexpr float NEXT_HEIGHT = 19;
constexpr float PI_F = 3.14159265f;
/// The start check: frames played without a shot, and how far a body may move in them (settling
/// onto what it stands on).
constexpr int START_CHECK_FRAMES = 120;
constexpr float START_MOVE_PX = 8;

struct TPoint {
  float x = 0, y = 0;
};
using TOutline = std::vector<TPoint>;  // convex, screen pixels

struct TPlaced {
  std::string name;  // how the finding names it
  TOutline outline;
  bool dynamic = false;
  bool slider = false;
  int chain = -1;  // the body entry of the chain this is part of; its parts may overlap
};

/// The body's outline on the screen. A positive body angle turns counter-clockwise on screen.
TOutline BodyOutline(const TBodyEntry& b, float w, float h) {
  const float a = b.angle * PI_F / 180.0f;
  const float c = std::cos(a), s = std::sin(a);
  TOutline out;
  auto add = [&](float u, float v) { out.push_back({b.x + u * c + v * s, b.y - u * s + v * c}); };
  if (b.shape == "c") {
    const float r = w / 2;
    for (int k = 0; k < CIRCLE_SIDES; ++k) {
      const float t = 2 * PI_F * static_cast<float>(k) / CIRCLE_SIDES;
      add(r * std::cos(t), r * std::sin(t));
    }
  } else {
    add(-w / 2, -h / 2);
    add(w / 2, -h / 2);
    add(w / 2, h / 2);
    add(-w / 2, h / 2);
  }
  return out;
}

TOutline Rectangle(float cx, float cy, float w, float h) {
  return {{cx - w / 2, cy - h / 2},
          {cx + w / 2, cy - h / 2},
          {cx + w / 2, cy + h / 2},
          {cx - w / 2, cy + h / 2}};
}

TOutline CannonClearance() {
  TOutline out{{CANNON_PIVOT_X, CANNON_PIVOT_Y}};
  for (int k = 0; k <= CANNON_CLEAR_STEPS; ++k) {
    const float t =
        (CANNON_CLEAR_LOW_DEGREES + (CANNON_CLEAR_HIGH_DEGREES - CANNON_CLEAR_LOW_DEGREES) *
                                        static_cast<float>(k) / CANNON_CLEAR_STEPS) *
        PI_F / 180.0f;
    out.push_back({CANNON_PIVOT_X + CANNON_CLEAR_RADIUS * std::cos(t),
                   CANNON_PIVOT_Y - CANNON_CLEAR_RADIUS * std::sin(t)});
  }
  return out;
}

/// How deep two convex outlines overlap (the smallest overlap over all separating axes); 0 or
/// less when they are apart.
float Penetration(const TOutline& a, const TOutline& b) {
  float least = 1e30f;
  for (const TOutline* poly : {&a, &b}) {
    for (std::size_t i = 0; i < poly->size(); ++i) {
      const TPoint& p = (*poly)[i];
      const TPoint& q = (*poly)[(i + 1) % poly->size()];
      float nx = q.y - p.y, ny = p.x - q.x;
      const float len = std::hypot(nx, ny);
      if (len == 0) continue;
      nx /= len;
      ny /= len;
      auto span = [&](const TOutline& o, float& lo, float& hi) {
        lo = 1e30f;
        hi = -1e30f;
        for (const TPoint& v : o) {
          const float d = v.x * nx + v.y * ny;
          lo = std::min(lo, d);
          hi = std::max(hi, d);
        }
      };
      float aLo, aHi, bLo, bHi;
      span(a, aLo, aHi);
      span(b, bLo, bHi);
      least = std::min(least, std::min(aHi, bHi) - std::max(aLo, bLo));
    }
  }
  return least;
}

bool OffScreen(const TOutline& o) {
  return std::all_of(o.begin(), o.end(), [](const TPoint& p) { return p.x < 0; }) ||
         std::all_of(o.begin(), o.end(), [](const TPoint& p) { return p.x > SCREEN_WIDTH; }) ||
         std::all_of(o.begin(), o.end(), [](const TPoint& p) { return p.y < 0; }) ||
         std::all_of(o.begin(), o.end(), [](const TPoint& p) { return p.y > SCREEN_HEIGHT; });
}

/// A chain's anchor (static), the band its links fill (spaced by half their size, as the game
/// builds them) and its end body, each as an outline.
void PlaceChain(const TBodyEntry& b, const std::string& name, int index, const TImage& link,
                std::vector<TPlaced>& placed) {
  const bool down = b.direct == "down";
  const float w =
      static_cast<float>(std::max(TruncToInt(link.width * static_cast<double>(b.scaleX)), 1));
  const float h =
      static_cast<float>(std::max(TruncToInt(link.height * static_cast<double>(b.scaleY)), 1));
  const int links = std::clamp(b.countLinks, 0, MAX_CHAIN_LINKS);
  const auto at = [&](int steps) {
    return down ? TPoint{b.x, b.y + static_cast<float>(steps) * h / 2}
                : TPoint{b.x + static_cast<float>(steps) * w / 2, b.y};
  };
  placed.push_back({name + " (its anchor)", Rectangle(b.x, b.y, w, h), false, false, index});
  if (links > 0) {
    const TPoint first = at(0), last = at(links - 1);
    placed.push_back({name + " (its links)",
                      Rectangle((first.x + last.x) / 2, (first.y + last.y) / 2,
                                w + last.x - first.x, h + last.y - first.y),
                      true, false, index});
  }
  if (b.lastLink.empty()) return;
  const ImagePtr end = LoadImage("bodies_pic/" + b.lastLink, FILTEREDIMAGE);
  if (!end || (b.shapeLast != "c" && b.shapeLast != "r")) return;
  TBodyEntry endEntry = b;
  const TPoint q = at(links + 1);
  endEntry.x = q.x;
  endEntry.y = q.y;
  endEntry.shape = b.shapeLast;
  if (endEntry.shape == "c") endEntry.angle = 0;
  placed.push_back(
      {name + " (its end)",
       BodyOutline(endEntry, static_cast<float>(end->width), static_cast<float>(end->height)), true,
       false, index});
}

/// Whether `fixed` is what the chain part `part` hangs from: a static body over its anchor.
bool Mount(const std::vector<TPlaced>& placed, const TPlaced& part, const TPlaced& fixed) {
  if (part.chain < 0 || fixed.dynamic || fixed.slider || fixed.chain >= 0) return false;
  return std::any_of(placed.begin(), placed.end(), [&](const TPlaced& anchor) {
    return anchor.chain == part.chain && !anchor.dynamic &&
           Penetration(anchor.outline, fixed.outline) > 0;
  });
}

std::string Describe(const TBodyEntry& b, std::size_t index) {
  std::ostringstream out;
  out << "body " << index + 1 << " (" << b.name << " at " << b.x << "," << b.y << ")";
  return out.str();
}

}  // namespace

std::vector<TFinding> CheckLevel(const TLevelFile& level) {
  std::vector<TFinding> errors, warnings;
  auto error = [&](const std::string& text) { errors.push_back({true, text}); };
  auto warn = [&](const std::string& text) { warnings.push_back({false, text}); };

  // What reading changed: a value the game would clamp, entries over a limit, a file too large.
  for (const std::string& note : level.notes) error(note);
  if (level.bodies.empty()) error("no bodies");
  if (level.fon.empty())
    warn("no background (fon)");
  else if (!IsEmbeddedAsset("fones/" + level.fon))
    warn("background fones/" + level.fon + " is not in the asset pack");

  std::vector<TPlaced> placed;
  bool hasTarget = false;
  for (std::size_t i = 0; i < level.bodies.size(); ++i) {
    const TBodyEntry& b = level.bodies[i];
    const std::string name = Describe(b, i);
    if (b.shape != "r" && b.shape != "c" && b.shape != "l") {
      error(name + ": shape \"" + b.shape + "\" builds nothing");
      continue;
    }
    const ImagePtr picture = LoadImage("bodies_pic/" + b.name, FILTEREDIMAGE);
    if (!picture) {
      error(name + ": picture bodies_pic/" + b.name + " is not in the asset pack");
      continue;
    }
    if (b.target && b.shape != "l") hasTarget = true;
    if (b.shape == "l") {
      if (b.direct != "down" && b.direct != "right") {
        error(name + ": a chain needs direct=\"down\" or \"right\"");
        continue;
      }
      PlaceChain(b, name, static_cast<int>(i), *picture, placed);
      continue;
    }
    if (b.typ != "s" && b.typ != "d")
      warn(name + ": typ \"" + b.typ + "\" makes a body without mass");
    const float w = static_cast<float>(TruncToInt(picture->width * static_cast<double>(b.scaleX)));
    const float h = static_cast<float>(TruncToInt(picture->height * static_cast<double>(b.scaleY)));
    const bool slider = b.shape == "r" && (b.move == "left" || b.move == "right" ||
                                           b.move == "up" || b.move == "down");
    placed.push_back({name, BodyOutline(b, w, h), b.typ == "d" && !slider, slider});
  }
  if (!hasTarget) error("no target: no box or circle has target=\"true\"");

  const TOutline cannon = CannonClearance();
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const TPlaced& p = placed[i];
    if (OffScreen(p.outline)) error(p.name + " lies off the screen");
    if (Penetration(p.outline, cannon) > OVERLAP_TOLERANCE)
      error(p.name + " stands in front of the cannon");
    for (std::size_t j = i + 1; j < placed.size(); ++j) {
      const TPlaced& q = placed[j];
      if (!p.dynamic && !q.dynamic && !p.slider && !q.slider) continue;  // static planks may cross
      if (p.chain >= 0 && p.chain == q.chain) continue;
      if (Mount(placed, p, q) || Mount(placed, q, p)) continue;
      if (Penetration(p.outline, q.outline) <= OVERLAP_TOLERANCE) continue;
      if (p.dynamic || q.dynamic)
        error(p.name + " and " + q.name + " overlap at the start");
      else
        warn(p.name + " and " + q.name +
             " overlap at the start (a slider touching a body turns back at once)");
    }
    for (const auto& [what, outline] :
         {std::pair{"level counter", Rectangle(level.levX + COUNTER_WIDTH / 2 - 40, level.levY,
                                               COUNTER_WIDTH, COUNTER_HEIGHT)},
          std::pair{"shot counter", Rectangle(level.shotsX + COUNTER_WIDTH / 2 - 40, level.shotsY,
                                              COUNTER_WIDTH, COUNTER_HEIGHT)},
          std::pair{"next-level button",
                    Rectangle(level.nextX, level.nextY, NEXT_WIDTH, NEXT_HEIGHT)}}) {
      if (Penetration(p.outline, outline) > 0)
        warn(std::string("the ") + what + " is drawn over " + p.name);
    }
  }
  // The pixels the level's pictures cover, as construction counts them.
  long long pixels = 0;
  auto area = [](const ImagePtr& p, double sx, double sy) {
    return p ? static_cast<long long>(TruncToInt(p->width * sx)) * TruncToInt(p->height * sy) : 0LL;
  };
  for (const TBodyEntry& b : level.bodies) {
    const long long each =
        area(LoadImage("bodies_pic/" + b.name, FILTEREDIMAGE), b.scaleX, b.scaleY);
    pixels += b.shape == "l" ? (EntryBodies(b) > 0 ? (1 + b.countLinks) * each : 0)
                             : EntryBodies(b) * each;
    if (b.shape == "l" && EntryJoints(b) > b.countLinks)
      pixels += area(LoadImage("bodies_pic/" + b.lastLink, FILTEREDIMAGE), 1, 1);
  }
  for (const TPicEntry& pic : level.pics)
    pixels += area(LoadImage("levels_pic/" + pic.name, FILTEREDIMAGE), 1, 1);
  for (const TCloudEntry& cloud : level.clouds)
    pixels += area(LoadImage("levels_pic/" + cloud.name, FILTEREDIMAGE), 1, 1);
  if (pixels > MAX_LEVEL_PICTURE_PIXELS) {
    error("the pictures cover " + std::to_string(pixels) + " pixels, more than the " +
          std::to_string(MAX_LEVEL_PICTURE_PIXELS) +
          " a level may have: what comes past it is left out");
  }
  for (std::size_t i = 0; i < level.pics.size(); ++i) {
    if (!IsEmbeddedAsset("levels_pic/" + level.pics[i].name)) {
      warn("decoration " + std::to_string(i + 1) + ": levels_pic/" + level.pics[i].name +
           " is not in the asset pack (not drawn)");
    }
  }
  errors.insert(errors.end(), warnings.begin(), warnings.end());
  return errors;
}

std::string LevelSkeleton(int level) {
  // Fifteen backgrounds, one of them (fon11) not for levels.
  static constexpr int BACKGROUNDS[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15};
  const int fon = BACKGROUNDS[static_cast<std::size_t>(level - 1) % std::size(BACKGROUNDS)];
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
      << "<level fon=\"fon" << fon
      << ".jpg\" levX=\"65\" levY=\"30\" shotsX=\"67\" shotsY=\"55\" nextX=\"400\" nextY=\"300\" "
         "limitRagdoll=\"20\" shot=\"0\" >\n"
      << "  <bodies>\n"
      << "    <body Name=\"borderPlankGorizontal1Big.png\" x=\"400\" y=\"595\" angle=\"0\" "
         "typ=\"s\" shape=\"r\" />\n"
      << "    <body Name=\"borderPlankVertical1Big.png\" x=\"795\" y=\"300\" angle=\"0\" typ=\"s\" "
         "shape=\"r\" />\n"
      << "    <body Name=\"staticBoxBigGorizontal.png\" x=\"600\" y=\"535\" angle=\"0\" typ=\"s\" "
         "shape=\"r\" />\n"
      << "    <body Name=\"target.png\" x=\"600\" y=\"498\" angle=\"0\" typ=\"s\" shape=\"r\" "
         "target=\"true\" />\n"
      << "  </bodies>\n"
      << "</level>\n";
  return out.str();
}

std::vector<TFinding> CheckStart(int level, const TLevelFile& file, bool moving) {
  SeedRnd(LEVEL_RUN_SEED);
  currentLevel = level;
  graphicsHertz = LEVEL_RUN_HERTZ;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = false;
  std::vector<TFinding> findings;
  if (!game->m_world || !game->m_world->world) return findings;
  physics::b2World& world = *game->m_world->world;
  // Chains swing as they settle; only bodies without joints are watched.
  std::vector<const physics::b2Body*> jointed;
  for (physics::b2Joint* j = world.GetJointList(); j != nullptr; j = j->GetNext()) {
    jointed.push_back(j->GetBody1());
    jointed.push_back(j->GetBody2());
  }
  struct TWatched {
    std::shared_ptr<physics::b2Body> body;
    physics::b2Vec2 start;
    float moved = 0;
  };
  std::vector<TWatched> watched;
  for (physics::b2Body* b = world.GetBodyList(); b != nullptr; b = b->GetNext()) {
    if (!b->IsDynamic() || std::find(jointed.begin(), jointed.end(), b) != jointed.end()) continue;
    watched.push_back({b->shared_from_this(), b->GetPosition()});
  }
  for (int frame = 0; frame < START_CHECK_FRAMES && game->m_world && game->m_world->world;
       ++frame) {
    game->Update();
    for (TWatched& w : watched) {
      const physics::b2Vec2 d = w.body->GetPosition() - w.start;
      w.moved = std::max(w.moved, d.Length() * PIXELS_PER_UNIT);
    }
  }
  for (const TWatched& w : watched) {
    if (w.moved <= START_MOVE_PX) continue;
    // The entry that built it: the one whose place it started at.
    const float x = WorldToPixelX(w.start.x), y = WorldToPixelY(w.start.y);
    std::string name =
        "a body starting at " + std::to_string(TruncToInt(x)) + "," + std::to_string(TruncToInt(y));
    for (std::size_t i = 0; i < file.bodies.size(); ++i) {
      if (std::abs(file.bodies[i].x - x) < 0.5f && std::abs(file.bodies[i].y - y) < 0.5f)
        name = Describe(file.bodies[i], i);
    }
    char text[64];
    std::snprintf(text, sizeof text, " moves %.0f px on its own in the first %d frames", w.moved,
                  START_CHECK_FRAMES);
    // A level whose parts move may push a body on purpose; one without must lie still.
    findings.push_back({!moving, name + text + (moving ? " (pushed by a moving part?)" : "")});
  }
  game->exitAll();
  return findings;
}
