// The mechanics run after the physics step: the portal pair that rebuilds a ragdoll at the exit,
// sliding boxes that turn back at static bodies and carry ragdolls sideways, and turning bodies.
// All overlap tests compare the unrotated pictures at their pixel positions.
#include <algorithm>
#include <cmath>

#include "game/game.h"
#include "state/globals.h"

using physics::b2Vec2;

namespace {

constexpr int PORTAL_LAST_FRAME = 29;
constexpr float CARRY_SPEED_FACTOR = 40;  // world units per frame to per second
constexpr float CARRY_TORSO_SHARE = 0.9f;

int PixelX(const physics::b2Body& b) { return TruncToInt(WorldToPixelX(b.GetPosition().x)); }
int PixelY(const physics::b2Body& b) { return TruncToInt(WorldToPixelY(b.GetPosition().y)); }

/// Whether a picture at (x, y) overlaps a body's picture at the body's pixel position.
bool Overlaps(const ImagePtr& picture, int x, int y, const physics::b2Body& other) {
  if (!picture || !other.userData) return false;
  return ImagesCollide(picture, x, y, 0, other.userData, PixelX(other), PixelY(other), 0);
}

std::string Reversed(const std::string& direct) {
  if (direct == "left") return "right";
  if (direct == "right") return "left";
  if (direct == "up") return "down";
  if (direct == "down") return "up";
  return direct;
}

}  // namespace

int TGame::checkPortal(const physics::b2Body& body) const {
  if (!body.userData || !shared.portal) return 0;
  return ImagesCollide(body.userData, PixelX(body), PixelY(body), 0, shared.portal,
                       TruncToInt(xIn * PIXELS_PER_UNIT), TruncToInt(yIn * PIXELS_PER_UNIT), 0)
             ? 1
             : 0;
}

MovingBody* TGame::getMB(const physics::b2Body* body) {
  for (MovingBody& m : movingList) {
    if (m.body.get() == body) return &m;
  }
  return nullptr;
}

void TGame::UpdatePortals() {
  const bool paused = IsPaused();
  if (drawingEnabled) {
    SetRotation(angleIn);
    DrawImage(shared.portal, xIn * PIXELS_PER_UNIT, yIn * PIXELS_PER_UNIT, currentFrameIn);
    SetRotation(angleOut);
    DrawImage(shared.portal, xOut * PIXELS_PER_UNIT, yOut * PIXELS_PER_UNIT, currentFrameOut);
    SetRotation(0);
  }
  if (!paused) {
    currentFrameIn += 1;
    currentFrameOut -= 1;
    if (currentFrameIn == PORTAL_LAST_FRAME) currentFrameIn = 0;
    if (currentFrameIn == 0) currentFrameOut = PORTAL_LAST_FRAME;
  }
  // Rebuilt ragdolls go to the end of the list; each ragdoll present at the start is tested once.
  std::size_t remaining = ragdollList.size();
  for (auto it = ragdollList.begin(); it != ragdollList.end() && remaining > 0; --remaining) {
    const std::shared_ptr<TRagdoll> ragdoll = *it;
    bool entered = false;
    for (const BodyPtr& part : {ragdoll->body, ragdoll->head, ragdoll->lowLeftHand,
                                ragdoll->lowRightHand, ragdoll->lowLeftLeg, ragdoll->lowRightLeg}) {
      if (part && checkPortal(*part) == 1) {
        entered = true;
        break;
      }
    }
    if (!entered) {
      ++it;
      continue;
    }
    const std::shared_ptr<TypRagdoll> type = ragdoll->typeRagdoll;
    it = ragdollList.erase(it);
    KillRagdoll(*ragdoll);
    std::shared_ptr<TRagdoll> rebuilt = MakeRagdoll(type, xOut, -yOut);
    const b2Vec2 push(forceOutX, -forceOutY);
    const b2Vec2 point = rebuilt->body ? rebuilt->body->GetWorldCenter() : b2Vec2(xOut, -yOut);
    for (const BodyPtr& part :
         {rebuilt->body, rebuilt->head, rebuilt->upperRightHand, rebuilt->upperLeftHand}) {
      if (part) part->ApplyImpulse(push, point);
    }
    ragdollList.push_back(rebuilt);
  }
}

void TGame::UpdateSliders() {
  const bool paused = IsPaused();
  for (MovingBody& m : movingList) {
    const std::string d = m.direct;
    if (!paused) {
      if (d == "left") m.xB -= m.inc;
      if (d == "right") m.xB += m.inc;
      if (d == "up") m.yB += m.inc;
      if (d == "down") m.yB -= m.inc;
    }
    m.body->SetXForm(b2Vec2(m.xB, m.yB), m.angl);
    const ImagePtr& picture = m.body->userData;
    const int px = TruncToInt(WorldToPixelX(m.xB));
    const int py = TruncToInt(WorldToPixelY(m.yB));
    for (const BodyPtr& s : staticBodies) {
      if (Overlaps(picture, px, py, *s)) m.direct = Reversed(m.direct);
    }
    if (d != "left" && d != "right") continue;
    float v = m.inc * CARRY_SPEED_FACTOR;
    if (d == "left" && !paused) v = -v;
    for (const auto& r : ragdollList) {
      struct Row {
        const BodyPtr& tested;
        std::initializer_list<const BodyPtr*> given;
        float speed;
      };
      const Row rows[] = {
          {r->lowRightLeg, {&r->lowRightLeg, &r->head, &r->body}, v},
          {r->lowRightHand, {&r->lowRightHand, &r->head, &r->body}, v},
          {r->lowLeftLeg, {&r->lowLeftLeg, &r->head, &r->body}, v},
          {r->lowLeftHand, {&r->lowLeftHand, &r->head, &r->body}, v},
          {r->head, {&r->head, &r->body}, CARRY_TORSO_SHARE * v},
          {r->body, {&r->body, &r->head}, CARRY_TORSO_SHARE * v},
      };
      for (const Row& row : rows) {
        if (!row.tested || !Overlaps(picture, px, py, *row.tested)) continue;
        for (const BodyPtr* part : row.given) {
          if (*part) (*part)->SetLinearVelocity(b2Vec2(row.speed, 0));
        }
      }
    }
  }
}

void TGame::UpdateTurningBodies() {
  const bool paused = IsPaused();
  for (rotatingBody& r : rotatingList) {
    float a = r.body->GetAngle();
    if (!paused) a += r.speed;
    r.body->SetXForm(r.body->GetPosition(), a);
  }
}

namespace {

int Gcd(int a, int b) { return b == 0 ? a : Gcd(b, a % b); }

/// Least common multiple, or 0 once it passes MAX_MOTION_PERIOD.
int CommonPeriod(int a, int b) {
  if (a == 0 || b == 0) return 0;
  const long long l = static_cast<long long>(a) / Gcd(a, b) * b;
  return l <= MAX_MOTION_PERIOD ? static_cast<int>(l) : 0;
}

}  // namespace

TMotionPeriod TGame::FindMotionPeriod() const {
  TMotionPeriod result;
  result.moving = !movingList.empty() || !rotatingList.empty();
  if (!result.moving) return result;
  int period = 1;
  // A turning body stands as at the start after a whole turn (a shorter symmetry is not
  // assumed); its speed is degrees per frame.
  for (const rotatingBody& r : rotatingList) {
    const double turn = 360.0 / std::fabs(static_cast<double>(r.speed));
    const double whole = std::round(turn);
    if (std::fabs(turn - whole) > 1e-3 || whole < 1) return result;
    period = CommonPeriod(period, static_cast<int>(whole));
    if (period == 0) return result;
  }
  // A slider only moves and turns back where its picture meets a static body's, which nothing
  // else changes (the pictures are compared unrotated): its steps are replayed here exactly as
  // UpdateSliders makes them, until it is back where it started, heading the same way.
  for (const MovingBody& m : movingList) {
    const ImagePtr& picture = m.body->userData;
    float x = m.xB, y = m.yB;
    std::string direct = m.direct;
    int back = 0;
    for (int frame = 1; frame <= MAX_MOTION_PERIOD && back == 0; ++frame) {
      if (direct == "left") x -= m.inc;
      if (direct == "right") x += m.inc;
      if (direct == "up") y += m.inc;
      if (direct == "down") y -= m.inc;
      const int px = TruncToInt(WorldToPixelX(x));
      const int py = TruncToInt(WorldToPixelY(y));
      for (const BodyPtr& s : staticBodies) {
        if (Overlaps(picture, px, py, *s)) direct = Reversed(direct);
      }
      const float near = std::max(std::fabs(m.inc) / 2, 1e-4f);
      if (direct == m.direct && std::fabs(x - m.xB) < near && std::fabs(y - m.yB) < near)
        back = frame;
    }
    period = CommonPeriod(period, back);
    if (period == 0) return result;
  }
  result.frames = period;
  return result;
}
