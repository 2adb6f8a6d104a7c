// Measuring the physics on plays of the game's own session (drawing off). Ragdoll joints are read
// every frame; chains are found from the level's joints at the start (a static anchor and the
// line of bodies hinged to it) and measured in a play without shots.
#include "tools/levels/level_physics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "game/game.h"
#include "state/globals.h"

namespace {

using BodyRef = std::shared_ptr<physics::b2Body>;

/// A ragdoll is still while every part is slower than this (world units per second: a pixel in
/// eight frames) and turns slower than REST_SPIN_DEGREES per second.
constexpr float REST_SPEED_UNITS = 1.0f;
constexpr float REST_SPIN_DEGREES = 30.0f;
constexpr int FRAME_RATE = LEVEL_RUN_HERTZ;
constexpr int SHOT_FRAME = 60;
/// A play whose ragdolls are all gone this long after its last shot has nothing more to show.
constexpr int EMPTY_FRAMES = 60;

float Distance(const physics::b2Vec2& a, const physics::b2Vec2& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

std::vector<BodyRef> Parts(const TRagdoll& r) {
  return {r.head,         r.body,         r.upperLeftHand, r.upperRightHand, r.lowLeftHand,
          r.lowRightHand, r.upperLeftLeg, r.upperRightLeg, r.lowLeftLeg,     r.lowRightLeg};
}

bool IsRagdollJoint(const physics::b2Joint& j) {
  return j.GetBody1()->typeUser == "ragdoll" && j.GetBody2()->typeUser == "ragdoll";
}

/// One chain: its static anchor and its bodies from the first link to the end.
struct TChain {
  BodyRef anchor;
  std::vector<BodyRef> bodies;
  float built = 0;
  int stillSince = -1;  ///< first frame of the present still run; -1: moving
  int awakeSince = -1;  ///< first frame of the present awake stretch of the still run
};

std::vector<TChain> FindChains(physics::b2World& world) {
  std::map<physics::b2Body*, std::vector<physics::b2Body*>> hinged;
  for (physics::b2Joint* j = world.GetJointList(); j != nullptr; j = j->GetNext()) {
    if (IsRagdollJoint(*j)) continue;
    hinged[j->GetBody1()].push_back(j->GetBody2());
    hinged[j->GetBody2()].push_back(j->GetBody1());
  }
  std::vector<TChain> chains;
  std::set<physics::b2Body*> seen;
  for (auto& [body, others] : hinged) {
    if (!body->IsStatic() || seen.count(body) != 0) continue;
    TChain chain;
    chain.anchor = body->shared_from_this();
    seen.insert(body);
    physics::b2Body* at = body;
    while (true) {
      physics::b2Body* next = nullptr;
      for (physics::b2Body* other : hinged[at]) {
        if (seen.count(other) == 0 && !other->IsStatic()) next = other;
      }
      if (!next) break;
      seen.insert(next);
      chain.bodies.push_back(next->shared_from_this());
      at = next;
    }
    if (chain.bodies.empty()) continue;
    chain.built = Distance(chain.bodies.back()->GetPosition(), chain.anchor->GetPosition());
    if (chain.built > 0) chains.push_back(chain);
  }
  return chains;
}

/// Rest and sleep of one ragdoll over a play.
struct TDollWatch {
  std::shared_ptr<TRagdoll> doll;
  int stillSince = -1;        ///< first frame of the present still run; -1: moving
  int sleptAt = -1;           ///< first frame asleep in the present still run
  int awakeSince = -1;        ///< first frame of the present awake stretch of the still run
  int longestAwake = 0;       ///< longest awake stretch of the still run, frames
  physics::b2Vec2 reference;  ///< the torso REST_SLEEP_SECONDS into the still run
  float drift = 0;
};

bool Asleep(const TRagdoll& r) {
  for (const BodyRef& p : Parts(r)) {
    if (p && p->IsInWorld() && !p->IsSleeping()) return false;
  }
  return true;
}

bool Still(const std::vector<BodyRef>& parts) {
  for (const BodyRef& p : parts) {
    if (!p || !p->IsInWorld() || p->IsSleeping()) continue;
    if (p->GetLinearVelocity().Length() >= REST_SPEED_UNITS ||
        std::fabs(p->GetAngularVelocity()) >= REST_SPIN_DEGREES) {
      return false;
    }
  }
  return true;
}

class TJointWatch {
 public:
  void Frame(physics::b2World& world, TPlayFigures& f) {
    std::map<const physics::b2Joint*, std::pair<int, int>> now;
    for (physics::b2Joint* j = world.GetJointList(); j != nullptr; j = j->GetNext()) {
      if (!IsRagdollJoint(*j)) continue;
      const float open = Distance(j->GetAnchor1(), j->GetAnchor2()) * PIXELS_PER_UNIT;
      float over = 0;
      if (j->IsLimitEnabled()) {
        const float angle = j->GetJointAngle();
        over = std::max({j->GetLowerLimit() - angle, angle - j->GetUpperLimit(), 0.0f});
      }
      const auto before = runs.find(j);
      const std::pair<int, int> last =
          before == runs.end() ? std::pair<int, int>{0, 0} : before->second;
      const std::pair<int, int> run{open > JOINT_OPEN_PX ? last.first + 1 : 0,
                                    over > OVERSHOOT_DEGREES ? last.second + 1 : 0};
      now[j] = run;
      f.jointOpening = std::max(f.jointOpening, open);
      f.overshoot = std::max(f.overshoot, over);
      f.jointOpenFrames = std::max(f.jointOpenFrames, run.first);
      f.overshootFrames = std::max(f.overshootFrames, run.second);
    }
    runs.swap(now);
  }

 private:
  std::map<const physics::b2Joint*, std::pair<int, int>> runs;
};

/// A chain's rest and sleep, as a doll's (WatchDoll): the longest stretch it stays awake at rest.
void WatchChain(TChain& c, int frame, TPlayFigures& f) {
  const bool asleep = std::all_of(c.bodies.begin(), c.bodies.end(), [](const BodyRef& b) {
    return !b->IsInWorld() || b->IsSleeping();
  });
  if (!asleep && !Still(c.bodies)) {
    c.stillSince = c.awakeSince = -1;
    return;
  }
  if (c.stillSince < 0) c.stillSince = frame;
  if (asleep) c.awakeSince = -1;
  if (!asleep && c.awakeSince < 0) c.awakeSince = frame;
  const float awake = c.awakeSince < 0 ? 0 : static_cast<float>(frame - c.awakeSince) / FRAME_RATE;
  f.chainRestAwake = std::max(f.chainRestAwake, awake);
}

void WatchDoll(TDollWatch& w, int frame) {
  const TRagdoll& r = *w.doll;
  const bool asleep = Asleep(r);
  if (!asleep && !Still(Parts(r))) {
    w.stillSince = w.sleptAt = w.awakeSince = -1;
    w.drift = 0;
    return;
  }
  if (w.stillSince < 0) {
    w.stillSince = frame;
    w.longestAwake = 0;
  }
  if (asleep && w.sleptAt < 0) w.sleptAt = frame;
  if (!asleep) w.sleptAt = -1;
  // A still doll may be woken (a platform passing close by): it has to fall asleep again as
  // soon as it did the first time.
  if (asleep) w.awakeSince = -1;
  if (!asleep && w.awakeSince < 0) w.awakeSince = frame;
  if (w.awakeSince >= 0) w.longestAwake = std::max(w.longestAwake, frame - w.awakeSince);
  const int deadline = w.stillSince + static_cast<int>(REST_SLEEP_SECONDS * FRAME_RATE);
  if (!r.body || !r.body->IsInWorld()) return;
  if (frame == deadline) w.reference = r.body->GetPosition();
  if (frame > deadline && frame <= deadline + static_cast<int>(DRIFT_SECONDS * FRAME_RATE)) {
    w.drift = std::max(w.drift, Distance(r.body->GetPosition(), w.reference) * PIXELS_PER_UNIT);
  }
}

}  // namespace

std::string TPlayFigures::Encode() const {
  std::ostringstream out;
  out.precision(9);
  out << jointOpening << ' ' << jointOpenFrames << ' ' << overshoot << ' ' << overshootFrames << ' '
      << dollsAtRest << ' ' << dollsAwake << ' ' << restToSleep << ' ' << drift << ' ' << chainSleep
      << ' ' << chainRestAwake << ' ' << chainStretch.size();
  for (float s : chainStretch) out << ' ' << s;
  return out.str();
}

bool TPlayFigures::Decode(const std::string& line, TPlayFigures& f) {
  std::istringstream in(line);
  std::size_t chains = 0;
  if (!(in >> f.jointOpening >> f.jointOpenFrames >> f.overshoot >> f.overshootFrames >>
        f.dollsAtRest >> f.dollsAwake >> f.restToSleep >> f.drift >> f.chainSleep >>
        f.chainRestAwake >> chains) ||
      chains > 100000) {
    return false;
  }
  f.chainStretch.assign(chains, 0);
  for (float& s : f.chainStretch) {
    if (!(in >> s)) return false;
  }
  return true;
}

TPlayFigures MeasurePlay(int level, const TShotPlan& plan) {
  TPlayFigures f;
  SeedRnd(LEVEL_RUN_SEED);
  currentLevel = level;
  graphicsHertz = LEVEL_RUN_HERTZ;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = false;
  if (!game->m_world || !game->m_world->world) return f;
  std::vector<TChain> chains =
      plan.shots.empty() ? FindChains(*game->m_world->world) : std::vector<TChain>{};
  if (plan.shots.empty() && chains.empty()) {
    game->exitAll();
    return f;
  }

  TJointWatch joints;
  std::vector<TDollWatch> dolls;
  const int frames = plan.Frames();
  const int lastShot = plan.shots.empty() ? 0 : plan.shots.back().frame;
  std::size_t next = 0;
  int frame = 0;
  for (; frame < frames; ++frame) {
    const bool click = next < plan.shots.size() && plan.shots[next].frame == frame;
    if (click) InjectMouseMove(plan.shots[next].x, plan.shots[next].y);
    game->Update();
    if (click) {
      game->shotRagdoll();
      ++next;
    }
    if (!game->m_world || !game->m_world->world) break;  // the last level hands over to the menus
    physics::b2World& world = *game->m_world->world;
    joints.Frame(world, f);

    // Dolls leave the list when they are culled or replaced; their watch goes with them.
    std::vector<TDollWatch> watched;
    for (const auto& doll : game->ragdollList) {
      auto found = std::find_if(dolls.begin(), dolls.end(),
                                [&](const TDollWatch& w) { return w.doll == doll; });
      TDollWatch fresh;
      fresh.doll = doll;
      watched.push_back(found != dolls.end() ? *found : fresh);
      WatchDoll(watched.back(), frame);
    }
    dolls.swap(watched);

    if (frame + 1 == CHAIN_FRAME) {
      for (const TChain& c : chains) {
        if (!c.bodies.back()->IsInWorld()) continue;
        f.chainStretch.push_back(Distance(c.bodies.back()->GetPosition(), c.anchor->GetPosition()) /
                                 c.built);
      }
    }
    if (!chains.empty()) {
      const bool asleep = std::all_of(chains.begin(), chains.end(), [](const TChain& c) {
        return std::all_of(c.bodies.begin(), c.bodies.end(),
                           [](const BodyRef& b) { return !b->IsInWorld() || b->IsSleeping(); });
      });
      if (!asleep) f.chainSleep = -1;
      if (asleep && f.chainSleep < 0) f.chainSleep = static_cast<float>(frame + 1) / FRAME_RATE;
      for (TChain& c : chains) WatchChain(c, frame, f);
    }

    if (next < plan.shots.size() || game->currentFrameOfCannon != 0) continue;
    const bool settled = std::all_of(dolls.begin(), dolls.end(), [&](const TDollWatch& w) {
      return w.sleptAt >= 0 && frame - w.sleptAt >= static_cast<int>(DRIFT_SECONDS * FRAME_RATE) &&
             frame >
                 w.stillSince + static_cast<int>((REST_SLEEP_SECONDS + DRIFT_SECONDS) * FRAME_RATE);
    });
    if (!plan.shots.empty() &&
        ((dolls.empty() && frame > lastShot + EMPTY_FRAMES) || (!dolls.empty() && settled))) {
      ++frame;
      break;
    }
  }
  const int rest = static_cast<int>(REST_SLEEP_SECONDS * FRAME_RATE);
  for (const TDollWatch& w : dolls) {
    if (w.stillSince < 0 || frame - w.stillSince <= rest) continue;
    ++f.dollsAtRest;
    if (w.longestAwake > rest) ++f.dollsAwake;
    f.restToSleep = std::max(f.restToSleep, static_cast<float>(w.longestAwake) / FRAME_RATE);
    f.drift = std::max(f.drift, w.drift);
  }
  game->exitAll();
  return f;
}

std::vector<TShotPlan> MeasuredShots() {
  // Full power aims at the top right corner, the lob steeply up, the flat shot just above the
  // cannon's pivot towards the right edge.
  const TShot shots[] = {{SHOT_FRAME, 799, 0}, {SHOT_FRAME, 200, 0}, {SHOT_FRAME, 799, 430}};
  std::vector<TShotPlan> plans;
  for (const TShot& s : shots) plans.push_back(TShotPlan{{s}, MEASURE_WAIT});
  return plans;
}

void MergeFigures(TPlayFigures& into, const TPlayFigures& play) {
  into.jointOpening = std::max(into.jointOpening, play.jointOpening);
  into.jointOpenFrames = std::max(into.jointOpenFrames, play.jointOpenFrames);
  into.overshoot = std::max(into.overshoot, play.overshoot);
  into.overshootFrames = std::max(into.overshootFrames, play.overshootFrames);
  into.dollsAtRest += play.dollsAtRest;
  into.dollsAwake += play.dollsAwake;
  into.restToSleep = std::max(into.restToSleep, play.restToSleep);
  into.drift = std::max(into.drift, play.drift);
  if (!play.chainStretch.empty()) {
    into.chainStretch = play.chainStretch;
    into.chainSleep = play.chainSleep;
    into.chainRestAwake = play.chainRestAwake;
  }
}

bool TLevelFigures::Passes() const { return Line().find(" FAILS") == std::string::npos; }

std::string TLevelFigures::Line() const {
  const TPlayFigures& w = worst;
  char text[256];
  std::snprintf(text, sizeof text,
                "level %3d: joint %6.1f px %3d fr | limit %6.1f deg %3d fr | dolls %d at rest, %d "
                "awake, sleep %5.2f s, drift %5.2f px",
                level, static_cast<double>(w.jointOpening), w.jointOpenFrames,
                static_cast<double>(w.overshoot), w.overshootFrames, w.dollsAtRest, w.dollsAwake,
                static_cast<double>(w.restToSleep), static_cast<double>(w.drift));
  std::string line = text;
  if (!w.chainStretch.empty()) {
    line += " | chains";
    for (float s : w.chainStretch) {
      std::snprintf(text, sizeof text, " %.2f", static_cast<double>(s));
      line += text;
    }
    if (w.chainSleep < 0) {
      line += w.chainRestAwake < 0 ? " awake, struck by the level" : " awake";
    } else {
      std::snprintf(text, sizeof text, " asleep at %.1f s", static_cast<double>(w.chainSleep));
      line += text;
    }
  }
  std::string fails;
  if (w.jointOpenFrames > JOINT_RUN_FRAMES) fails += " joints";
  if (w.overshootFrames > JOINT_RUN_FRAMES) fails += " limits";
  if (w.dollsAwake > 0) fails += " sleep";
  if (w.drift >= DRIFT_LIMIT_PX) fails += " drift";
  if (std::any_of(w.chainStretch.begin(), w.chainStretch.end(),
                  [](float s) { return s > CHAIN_STRETCH_LIMIT; })) {
    fails += " stretch";
  }
  if (!w.chainStretch.empty() && w.chainRestAwake > REST_SLEEP_SECONDS) fails += " chain-sleep";
  if (!fails.empty()) line += " | FAILS" + fails;
  return line;
}
