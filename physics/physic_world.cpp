// The level's physics world: creation with the level's gravity, the fixed step, and the contact
// rules for hits and the win.
#include "physics/physic_world.h"

bool debugPhysicsWorlds = false;

bool myfilter::ShouldCollide(physics::b2Shape* shape1, physics::b2Shape* shape2) {
  const std::int16_t group = shape1->GetFilterData().groupIndex;
  return group >= 0 || group != shape2->GetFilterData().groupIndex;
}

void StepSubSteps(physics::b2World& world, float timeStep) {
  const float subStep = timeStep / static_cast<float>(PHYSICS_SUB_STEPS);
  for (int i = 0; i < PHYSICS_SUB_STEPS; ++i) {
    world.Step(subStep, PHYSICS_STEP_ITERATIONS_VELOCITY, PHYSICS_STEP_ITERATIONS_POSITION);
  }
}

void StepFrame(physics::b2World& world, float timeStep) {
  StepSubSteps(world, timeStep);
  world.ProjectJoints(JOINT_PROJECT_UNITS, JOINT_PROJECT_DEGREES);
  world.SettleResting(timeStep, REST_SPEED_UNITS, REST_SPIN_DEGREES, REST_SECONDS);
}

namespace {

/// The first impact of a ragdoll torso on a box: a hit sound, the tag cleared, a spark on the
/// torso.
void TorsoHit(physics::b2Body& torso, const TWorldLinks& links) {
  if (links.soundOn && *links.soundOn) {
    const int n = Rand(1, 5);
    if (links.fallSounds) PlaySound((*links.fallSounds)[n - 1]);
  }
  torso.typeRagdoll.clear();
  const physics::b2Vec2 at = torso.GetPosition();
  if (links.spark) links.spark(at.x * PIXELS_PER_UNIT, at.y * PIXELS_PER_UNIT);
}

bool IsFirstTorsoHit(const physics::b2Body& torso, const physics::b2Body& other) {
  return torso.typeUser == "ragdoll" && other.typeUser == "touch" && torso.typeRagdoll == "body";
}

void TouchTarget(const TWorldLinks& links) {
  if (links.touch && *links.touch == 0) *links.touch = 1;
}

}  // namespace

void ContactListener::Add(const physics::b2ContactPoint* point) {
  if (!links) return;
  physics::b2Body& a = *point->shape1->GetBody();
  physics::b2Body& b = *point->shape2->GetBody();
  if (IsFirstTorsoHit(a, b)) TorsoHit(a, *links);
  if (IsFirstTorsoHit(b, a)) TorsoHit(b, *links);
  if (b.typeUser == "here" && a.typeUser == "ragdoll") TouchTarget(*links);
  if (a.typeUser == "here" && b.typeUser == "ragdoll") TouchTarget(*links);
}

TPhysicWorld::TPhysicWorld(int hertz)
    : timeStep(1.0f / static_cast<float>(hertz > 0 ? hertz : FRAME_HERTZ) * STEP_SPEEDUP),
      m_debugDraw(std::make_unique<debugDraw>()),
      debugZ(debugPhysicsWorlds ? 1 : 0),
      m_points(k_maxContactPoints),
      m_contactListener(std::make_unique<ContactListener>()) {
  m_contactListener->links = &links;
}

TPhysicWorld::~TPhysicWorld() { Free(); }

void TPhysicWorld::CreateWrld(const physics::b2Vec2& gravity) {
  Free();
  const physics::b2AABB bounds{{-WORLD_BOUND_UNITS, -WORLD_BOUND_UNITS},
                               {WORLD_BOUND_UNITS, WORLD_BOUND_UNITS}};
  world = std::make_shared<physics::b2World>(bounds, gravity, true);
  groupsGiven = 0;
  if (debugZ == 1) world->SetDebugDraw(m_debugDraw.get());
  filter = std::make_unique<myfilter>();
  world->SetContactFilter(filter.get());
  world->SetContactListener(m_contactListener.get());
}

void TPhysicWorld::StepWorld() {
  if (!world) return;
  if (debugZ == 1) m_debugDraw->SetFlags(physics::b2DebugDraw::e_shapeBit);
  StepFrame(*world, timeStep);
  if (!world->Validate() && !reportedInvalid) {
    reportedInvalid = true;
    LogLine("physics: the world's body or joint records disagree with the engine");
  }
}

std::int16_t TPhysicWorld::NextOwnGroup() {
  groupsGiven = groupsGiven % OWN_GROUPS + 1;
  return static_cast<std::int16_t>(-groupsGiven);
}

void TPhysicWorld::DrawDebug() {
  if (!world) return;
  const TDrawState saved = GetDrawState();
  TDrawState upright;
  upright.blend = ALPHABLEND;  // the fills are translucent
  upright.viewportW = GraphicsWidth();
  upright.viewportH = GraphicsHeight();
  SetDrawState(upright);
  world->DrawDebugData();
  SetDrawState(saved);
}

void TPhysicWorld::Free() {
  if (!world) return;
  // Someone may still hold the world; it must not call back into what dies with this object.
  world->SetContactListener(nullptr);
  world->SetContactFilter(nullptr);
  world->SetDebugDraw(nullptr);
  world.reset();
}
