// Playing a level headless with the game's own session. Nothing here imitates the game: the run
// sets the mouse and fires as the main loop does and reads the session's own win bookkeeping.
#include "solver/level_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>

#include "game/game.h"
#include "game/level_file.h"
#include "media/media.h"
#include "state/globals.h"

namespace {

/// Level numbers probed for embedded files; the game ships 170.
constexpr int HIGHEST_LEVEL_PROBED = 999;

using BodyRef = std::shared_ptr<physics::b2Body>;

std::string levelFolder;
void (*assetRegistration)() = nullptr;
void (*sharedMediaLoader)() = nullptr;
std::map<int, std::string> namedLevels;  // number given -> file name without .xml

std::vector<BodyRef> Targets(physics::b2World& world) {
  std::vector<BodyRef> targets;
  for (physics::b2Body* b = world.GetBodyList(); b != nullptr; b = b->GetNext()) {
    if (b->typeUser == "here") targets.push_back(b->shared_from_this());
  }
  return targets;
}

float Closest(const TGame& game, const std::vector<BodyRef>& targets, float sofar) {
  for (const auto& ragdoll : game.ragdollList) {
    for (const BodyRef* part :
         {&ragdoll->head, &ragdoll->body, &ragdoll->upperLeftHand, &ragdoll->upperRightHand,
          &ragdoll->lowLeftHand, &ragdoll->lowRightHand, &ragdoll->upperLeftLeg,
          &ragdoll->upperRightLeg, &ragdoll->lowLeftLeg, &ragdoll->lowRightLeg}) {
      if (!*part || !(*part)->IsInWorld()) continue;
      const physics::b2Vec2 p = (*part)->GetPosition();
      for (const BodyRef& target : targets) {
        const physics::b2Vec2 t = target->GetPosition();
        sofar = std::min(sofar, std::hypot(p.x - t.x, p.y - t.y));
      }
    }
  }
  return sofar;
}

/// Half the diagonal of a body's picture, world units: how far from its centre it reaches.
float Reach(const physics::b2Body& b) {
  return std::hypot(static_cast<float>(ImageWidth(b.userData)),
                    static_cast<float>(ImageHeight(b.userData))) /
         16;
}

/// Judges when a play can end early because nothing will happen any more. A ragdoll lying on
/// the floor keeps jittering in its joint limits and Box2D never puts it to sleep, so rest is
/// judged by speed: for REST_FRAMES frames in a row every ragdoll part and every movable body
/// near a ragdoll is slow, no torso drifts more than REST_DRIFT, and no ragdoll lies in the path
/// of a slider or the sweep of a turning body. A body far away that later comes rolling in is
/// not foreseen: that is why verify never stops early.
class TRestWatch {
 public:
  bool AtRest(const TGame& game) {
    if (game.ragdollList.empty()) return true;
    std::vector<physics::b2Vec2> torsos;
    for (const auto& ragdoll : game.ragdollList) {
      torsos.push_back(ragdoll->body ? ragdoll->body->GetPosition() : physics::b2Vec2(0, 0));
    }
    if (!Calm(game, torsos) || torsos.size() != calmStart.size()) return Restart(torsos);
    for (std::size_t i = 0; i < torsos.size(); ++i) {
      if (std::hypot(torsos[i].x - calmStart[i].x, torsos[i].y - calmStart[i].y) > REST_DRIFT)
        return Restart(torsos);
    }
    return ++calmFrames >= REST_FRAMES;
  }

 private:
  static constexpr float REST_SPEED = 1.5f;  // world units per second: 0.2 pixels per frame
  static constexpr float REST_SPIN = 60.0f;  // degrees per second
  static constexpr float REST_DRIFT = 1.0f;  // world units
  static constexpr float REST_NEAR = 12.0f;  // world units between a body's edge and a torso
  static constexpr int REST_FRAMES = 45;
  int calmFrames = 0;
  std::vector<physics::b2Vec2> calmStart;

  bool Restart(const std::vector<physics::b2Vec2>& torsos) {
    calmFrames = 0;
    calmStart = torsos;
    return false;
  }

  static bool Near(const physics::b2Vec2& p, float reach,
                   const std::vector<physics::b2Vec2>& torsos) {
    return std::any_of(torsos.begin(), torsos.end(), [&](const physics::b2Vec2& t) {
      return std::hypot(p.x - t.x, p.y - t.y) < reach + REST_NEAR;
    });
  }

  static bool Calm(const TGame& game, const std::vector<physics::b2Vec2>& torsos) {
    for (physics::b2Body* b = game.m_world->world->GetBodyList(); b != nullptr; b = b->GetNext()) {
      if (b->IsStatic() || b->IsSleeping()) continue;
      if (b->typeUser != "ragdoll" && !Near(b->GetPosition(), Reach(*b), torsos)) continue;
      const physics::b2Vec2 v = b->GetLinearVelocity();
      if (v.x * v.x + v.y * v.y >= REST_SPEED * REST_SPEED ||
          std::fabs(b->GetAngularVelocity()) >= REST_SPIN) {
        return false;
      }
    }
    for (const MovingBody& m : game.movingList) {
      // A slider sweeps a band along its direction, as wide as its picture.
      const bool across = m.direct == "left" || m.direct == "right";
      const float half = static_cast<float>(across ? ImageHeight(m.body->userData)
                                                   : ImageWidth(m.body->userData)) /
                         16;
      for (const physics::b2Vec2& t : torsos) {
        if (std::fabs(across ? t.y - m.yB : t.x - m.xB) < half + REST_NEAR) return false;
      }
    }
    for (const rotatingBody& r : game.rotatingList) {
      if (Near(r.body->GetPosition(), Reach(*r.body), torsos)) return false;
    }
    return true;
  }
};

}  // namespace

void UseLevelFolder(const std::string& dir) { levelFolder = dir; }

int NumberedLevelFile(const std::string& name, const std::string& extension) {
  if (!name.starts_with("level") || !name.ends_with(extension)) return 0;
  const std::string digits = name.substr(5, name.size() - 5 - extension.size());
  if (digits.empty() || digits.size() > 6 || digits[0] == '0' ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  return std::stoi(digits);
}

std::string LevelName(int level) {
  const auto found = namedLevels.find(level);
  return found == namedLevels.end() ? std::string() : found->second;
}

std::vector<int> NamedLevels() {
  std::vector<int> levels;
  for (const auto& [level, name] : namedLevels) levels.push_back(level);
  return levels;
}

std::string NamedPlanPath(int level) {
  const std::string name = LevelName(level);
  return name.empty() ? std::string() : levelFolder + "/" + name + ".txt";
}

std::string LevelLabel(int level) {
  const std::string name = LevelName(level);
  return name.empty() ? std::to_string(level) : name;
}

void RegisterLevelAssets() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  std::error_code ec;
  if (!levelFolder.empty()) {
    // Files named otherwise than level<N>.xml (levels of one's own, as the editor saves them) take
    // numbers from NAMED_LEVEL_BASE in the order of their names, the same in every process.
    std::vector<std::filesystem::directory_entry> entries;
    for (const auto& entry : std::filesystem::directory_iterator(levelFolder, ec))
      entries.push_back(entry);
    std::sort(entries.begin(), entries.end());
    int nextNamed = NAMED_LEVEL_BASE;
    for (const auto& entry : entries) {
      std::string name = entry.path().filename().string();
      if (!name.ends_with(".xml") || name.size() <= 4) continue;
      if (NumberedLevelFile(name, ".xml") == 0) {
        namedLevels[nextNamed] = name.substr(0, name.size() - 4);
        name = "level" + std::to_string(nextNamed++) + ".xml";
      }
      if (!entry.is_regular_file(ec)) {
        std::fprintf(stderr, "brakkon-levels: %s is not a regular file; it is not read\n",
                     entry.path().c_str());
        continue;
      }
      // One byte past the limit is enough for the level reader to refuse a file that is too large.
      std::ifstream file(entry.path(), std::ios::binary);
      std::vector<std::uint8_t> bytes(MAX_LEVEL_FILE_BYTES + 1);
      file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      bytes.resize(static_cast<std::size_t>(file.gcount()));
      // The first registration of a path wins, so these replace the embedded files.
      RegisterAssetBytes("levels/" + name, std::move(bytes));
    }
  }
  if (assetRegistration != nullptr) assetRegistration();
}

std::vector<std::string> DrawnOnlyAssets() {
  std::vector<std::string> paths;
  for (const std::string& path : EmbeddedAssetPaths()) {
    if (path.starts_with("fones/") || path.starts_with("levels_pic/") ||
        path.starts_with("sounds/")) {
      paths.push_back(path);
    }
  }
  return paths;
}

void StubAssets(const std::vector<std::string>& paths) {
  // The first registration of a path wins over the embedded file registered later.
  for (const std::string& path : paths) RegisterAssetBytes(path, {});
}

void SetProgramMedia(void (*registerAssets)(), void (*loadSharedMedia)()) {
  assetRegistration = registerAssets;
  sharedMediaLoader = loadSharedMedia;
}

bool OpenLevelMedia(bool screen) {
  SetLogQuiet(true);
  SetHeadless(true);
  RegisterLevelAssets();
  if (screen && !Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, LEVEL_RUN_HERTZ, 0)) return false;
  graphicsHertz = LEVEL_RUN_HERTZ;
  if (sharedMediaLoader != nullptr) sharedMediaLoader();
  // No sound: nothing in a run may depend on it (see tests/levels_sim_test.cpp), and the tools
  // play thousands of shots.
  soundOn = 0;
  musicOn = 0;
  return true;
}

void CloseLevelMedia() {
  if (GraphicsOpen()) EndGraphics();
}

bool LevelExists(int level) { return level > 0 && IsEmbeddedAsset(LevelAssetPath(level)); }

std::vector<int> EmbeddedLevels() {
  std::vector<int> levels;
  for (int level = 1; level <= HIGHEST_LEVEL_PROBED; ++level) {
    if (LevelExists(level)) levels.push_back(level);
  }
  return levels;
}

TRunResult RunLevel(int level, const TShotPlan& plan, bool stopAtRest) {
  TRunResult result;
  result.closest = std::numeric_limits<float>::infinity();
  SeedRnd(LEVEL_RUN_SEED);
  currentLevel = level;
  graphicsHertz = LEVEL_RUN_HERTZ;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = false;
  if (!game->m_world || !game->m_world->world) return result;
  result.bodies = game->m_world->world->GetBodyCount() - 1;
  const std::vector<BodyRef> targets = Targets(*game->m_world->world);

  const int frames = plan.Frames();
  TRestWatch rest;
  std::size_t next = 0;
  for (int frame = 0; frame < frames; ++frame) {
    const bool click = next < plan.shots.size() && plan.shots[next].frame == frame;
    if (click) InjectMouseMove(plan.shots[next].x, plan.shots[next].y);
    game->Update();
    result.framesRun = frame + 1;
    if (click) {
      game->shotRagdoll();
      ++next;
    }
    if (game->flTou == 1) {
      result.won = true;
      result.winFrame = game->framesPlayed;
      result.shots = game->levelScore;
      result.closest = 0;
      break;
    }
    if (!game->m_world || !game->m_world->world) break;
    result.closest = Closest(*game, targets, result.closest);
    if (stopAtRest && next == plan.shots.size() && game->currentFrameOfCannon == 0 &&
        rest.AtRest(*game)) {
      result.rested = true;
      break;
    }
  }
  if (!result.won) result.shots = game->levelScore;
  game->exitAll();
  return result;
}
