// TPhysicWorld: the physics world of one level with its fixed step, and the contact rules that turn
// physics into game events (the hit sound and spark of a ragdoll torso's first impact on a box, the
// touch of the target that wins the level). Whoever builds the world fills its TWorldLinks with
// what the rules and ragdolls reach outside the physics, so physics/ needs nothing from the game.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "media/media.h"
#include "physics/binding.h"
#include "physics/debug_draw.h"

/// Simulated seconds per displayed second: one step of 1.5 / hertz seconds per frame.
constexpr float STEP_SPEEDUP = 1.5f;
constexpr int PHYSICS_STEP_ITERATIONS_VELOCITY = 5;
constexpr int PHYSICS_STEP_ITERATIONS_POSITION = 10;
/// Each frame's step is solved in this many equal steps: with one, ragdoll joints open and heavy
/// chain ends pull their links apart.
constexpr int PHYSICS_SUB_STEPS = 5;
/// The rest assist (b2World::SettleResting): bodies slower than these for REST_SECONDS of
/// simulated time, together with all they touch and are jointed to, are put to sleep.
constexpr float REST_SPEED_UNITS = 1.0f;    ///< world units per second
constexpr float REST_SPIN_DEGREES = 30.0f;  ///< degrees per second
constexpr float REST_SECONDS = 0.5f;
/// Joint projection (b2World::ProjectJoints): how far a hinge may stand open, in world units (two
/// pixels), and how far past a limit it may turn, in degrees, before it is put back.
constexpr float JOINT_PROJECT_UNITS = 0.25f;
constexpr float JOINT_PROJECT_DEGREES = 10.0f;
/// Collision groups handed out by NextOwnGroup before they come round again.
constexpr int OWN_GROUPS = 30000;
/// Half size of the world bounds, world units on both axes.
constexpr float WORLD_BOUND_UNITS = 400.0f;
/// Magnitude of a level's gravity, world units per second squared.
constexpr float GRAVITY_UNITS = 21.0f;
constexpr int k_maxContactPoints = 2048;

/// Set by the --debug-physics switch: worlds created afterwards start with debugZ = 1, so their
/// shapes are outlined over the game picture (DrawDebug).
extern bool debugPhysicsWorlds;

/// The 28 ragdoll pictures: [variant 0-3][part], parts in RAGDOLL_PICTURE order
/// (physics/ragdoll.h).
using TRagdollPictures = std::array<std::array<ImagePtr, 7>, 4>;

/// What the world reaches outside the physics. Pointers are not owned; null ones are skipped.
struct TWorldLinks {
  const int* soundOn = nullptr;                         ///< the sound switch
  const std::array<SoundPtr, 5>* fallSounds = nullptr;  ///< hit sounds fall1 .. fall5
  const TRagdollPictures* ragdollPictures = nullptr;    ///< used by CreateRagdoll
  /// Starts an impact spark at pixel (x, -y), the hit torso's place: the session's spark list.
  std::function<void(float x, float y)> spark;
  int* touch = nullptr;  ///< the session's win flag
};

/// Record of a contact point, kept for the world's contact point slots; nothing creates one.
class ContactPoint {
 public:
  static constexpr int e_contactAdded = 0;
  static constexpr int e_contactPersisted = 1;
  static constexpr int e_contactRemoved = 2;

  physics::b2Shape* shape1 = nullptr;
  physics::b2Shape* shape2 = nullptr;
  physics::b2Vec2 normal;
  physics::b2Vec2 position;
  physics::b2Vec2 velocity;
  int id = 0;
  int state = 0;
};

/// Keeps apart only the shapes of one own group (a negative group index: the parts of one ragdoll,
/// the links of one chain); categories and masks are not used.
class myfilter : public physics::b2ContactFilter {
 public:
  bool ShouldCollide(physics::b2Shape* shape1, physics::b2Shape* shape2) override;
};

/// The contact rules, run for each new contact inside the world's step.
class ContactListener : public physics::b2ContactListener {
 public:
  const TWorldLinks* links = nullptr;  ///< the owning world's links

  void Add(const physics::b2ContactPoint* point) override;
};

class TPhysicWorld {
 public:
  /// `hertz`: refresh rate of the window (graphicsHertz); the step is 1.5 / hertz seconds.
  explicit TPhysicWorld(int hertz = FRAME_HERTZ);
  ~TPhysicWorld();
  TPhysicWorld(const TPhysicWorld&) = delete;
  TPhysicWorld& operator=(const TPhysicWorld&) = delete;

  std::shared_ptr<physics::b2World> world;  ///< null before CreateWrld and after Free
  float timeStep;                           ///< seconds per step
  std::unique_ptr<debugDraw> m_debugDraw;
  int debugZ = 0;  ///< 1: the debug renderer is installed by CreateWrld and draws each step
  std::vector<std::shared_ptr<ContactPoint>> m_points;
  std::unique_ptr<ContactListener> m_contactListener;
  int m_pointCount = 0;
  TWorldLinks links;

  /// Makes the world (bounds +-400 units, `gravity` in units/s^2, sleeping allowed) and installs
  /// the filter, the listener and, when debugZ is 1, the debug renderer.
  void CreateWrld(const physics::b2Vec2& gravity);
  /// One frame of the world (StepFrame); the contact rules run inside it.
  void StepWorld();
  /// A negative collision group of its own for the shapes of one ragdoll or one chain, so that
  /// they never collide with each other; groups come round after OWN_GROUPS.
  std::int16_t NextOwnGroup();
  /// The debug renderer's outlines of every shape as the world stands, when it is installed:
  /// drawn over whatever is drawn so far (the session calls it last in its frame), upright and
  /// unclipped, with the drawing state as it was put back afterwards.
  void DrawDebug();
  /// Drops the world with its bodies and joints; bodies the game still holds leave it.
  void Free();

 private:
  std::unique_ptr<myfilter> filter;
  bool reportedInvalid = false;
  int groupsGiven = 0;
};

/// The steps of one frame of `world`: PHYSICS_SUB_STEPS steps of timeStep / PHYSICS_SUB_STEPS
/// seconds, 5 velocity and 10 position iterations each.
void StepSubSteps(physics::b2World& world, float timeStep);
/// One frame of `world`: its steps, the joint projection, then the rest assist.
void StepFrame(physics::b2World& world, float timeStep);
