// Stepping a busy level through the physics binding against the same scene built directly on
// Box2D: 30 static boxes, 40 dynamic boxes and 20 ragdolls dropped onto shelves, 240 frames each.
// The interleaved run times both alternately and reports the binding's overhead in per cent.
// (This file reaches Box2D itself on purpose: it is the yardstick for the binding.)
#include <benchmark/benchmark.h>
#include <box2d/box2d.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/baz.h"
#include "media/media.h"
#include "physics/physic_world.h"
#include "physics/ragdoll.h"

namespace {

constexpr int FRAMES = 240;
constexpr int STATIC_BOXES = 30;
constexpr int DYNAMIC_BOXES = 40;
constexpr int RAGDOLLS = 20;
constexpr float L = ENGINE_METRES_PER_UNIT;

// The scene in world units, shared by both builds.
struct Box {
  float x, y, hx, hy, density;
};

std::vector<Box> SceneBoxes() {
  std::vector<Box> boxes;
  boxes.push_back({50, -74, 60, 1, 0});  // floor
  boxes.push_back({-9, -40, 1, 36, 0});  // walls
  boxes.push_back({109, -40, 1, 36, 0});
  for (int i = 0; static_cast<int>(boxes.size()) < STATIC_BOXES; ++i) {  // shelves
    boxes.push_back({4.0f + (i % 9) * 11.5f, -20.0f - (i / 9) * 14.0f, 4.0f, 0.5f, 0});
  }
  for (int i = 0; i < DYNAMIC_BOXES; ++i) {
    boxes.push_back({3.0f + (i % 10) * 10.5f, -8.0f - (i / 10) * 14.0f, 0.8f, 0.8f, 0.3f});
  }
  return boxes;
}

b2Vec2 RagdollPoint(int i) { return {6.0f + (i % 10) * 10.0f, 5.0f + (i / 10) * 8.0f}; }

const TRagdollPictures& Pictures() {
  static const TRagdollPictures pictures = [] {
    const int shrunk[7][2] = {{12, 12}, {5, 16}, {12, 3}, {12, 3}, {12, 3}, {4, 12}, {3, 12}};
    TRagdollPictures p;
    for (auto& variant : p) {
      for (int part = 0; part < 7; ++part)
        variant[part] = CreateImage(shrunk[part][0], shrunk[part][1]);
    }
    return p;
  }();
  return pictures;
}

// [SECTION] Through the binding
// ---------------------------------------------------------------------

struct BindingScene {
  std::unique_ptr<TPhysicWorld> world = std::make_unique<TPhysicWorld>();
  std::vector<std::unique_ptr<TRagdoll>> ragdolls;
  int touch = 0;
  TBazList sparks;

  BindingScene() {
    world->links.ragdollPictures = &Pictures();
    world->links.touch = &touch;
    world->links.spark = [this](float x, float y) { AddSpark(sparks, nullptr, x, y); };
    world->CreateWrld({0, -GRAVITY_UNITS});
    for (const Box& b : SceneBoxes()) {
      physics::b2BodyDef def;
      def.position = {b.x, b.y};
      auto body = world->world->CreateBody(def);
      physics::b2PolygonDef shape;
      shape.SetAsBox(b.hx, b.hy);
      shape.density = b.density;
      body->CreateShape(shape);
      body->SetMassFromShapes();
      body->typeUser = "touch";
    }
    for (int i = 0; i < RAGDOLLS; ++i) {
      ragdolls.push_back(std::make_unique<TRagdoll>());
      ragdolls.back()->CreateRagdoll(nullptr, RagdollPoint(i).x, RagdollPoint(i).y, *world);
    }
  }
  /// A frame of the game: the sub-steps, the rest assist and the world's check.
  void Step() { world->StepWorld(); }
  /// The sub-steps alone, which the bare scene repeats exactly.
  void SubSteps() { StepSubSteps(*world->world, world->timeStep); }
};

// [SECTION] Directly on Box2D
// ------------------------------------------------------------------------

struct BareScene {
  b2World world{b2Vec2(0, -GRAVITY_UNITS* L)};
  float timeStep = 1.0f / FRAME_HERTZ * STEP_SPEEDUP;

  // Level boxes keep the default material (friction 0.2, no bounce); ragdoll parts are 0.1 / 0.1.
  // NOTE: built with the same Box2D calls and the same float conversions as the binding makes
  // (static first, dynamic once it has mass), so both worlds do exactly the same work.
  std::int16_t dollGroup = 0;  // the doll being built: its parts never collide

  b2Body* Body(b2Shape& shape, float x, float y, float density, bool ragdollPart) {
    b2BodyDef def;
    def.position.Set(x * L, y * L);
    b2Body* body = world.CreateBody(&def);
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = density * (1.0f / (L * L));
    fixture.friction = ragdollPart ? 0.1f : 0.2f;
    fixture.restitution = ragdollPart ? 0.1f : 0.0f;
    fixture.filter.groupIndex = ragdollPart ? dollGroup : 0;
    body->CreateFixture(&fixture);
    if (density > 0) body->SetType(b2_dynamicBody);
    return body;
  }
  b2Body* BoxBody(float x, float y, float hx, float hy, float density, bool ragdollPart = true) {
    b2PolygonShape shape;
    shape.SetAsBox(hx * L, hy * L);
    return Body(shape, x, y, density, ragdollPart);
  }
  void Hinge(b2Body* a, b2Body* b, float x, float y, float lower, float upper) {
    const b2Vec2 anchor(x * L, y * L);
    // The binding computes the local anchors in world units and converts them back.
    const auto viaUnits = [](b2Vec2 local) { return b2Vec2(local.x / L * L, local.y / L * L); };
    b2RevoluteJointDef def;
    def.bodyA = a;
    def.bodyB = b;
    def.localAnchorA = viaUnits(a->GetLocalPoint(anchor));
    def.localAnchorB = viaUnits(b->GetLocalPoint(anchor));
    def.referenceAngle = 0;
    def.enableLimit = true;
    def.lowerAngle = lower * RADIANS_PER_DEGREE;
    def.upperAngle = upper * RADIANS_PER_DEGREE;
    def.collideConnected = false;
    world.CreateJoint(&def);
  }
  // The ragdoll of physics/ragdoll.cpp with the shrunk picture sizes written out.
  void Ragdoll(float x, float y) {
    const float bw = 5.0f / 16.0f;
    const float bh = 16.0f / 16.0f;
    const float s = RAGDOLL_SCALE;
    --dollGroup;  // as TPhysicWorld::NextOwnGroup hands them out
    b2CircleShape circle;
    circle.m_radius = 12.0f / 16.0f * L;
    b2Body* head = Body(circle, x, y + 1.0f * s, 0.1f, true);
    b2Body* body = BoxBody(x, y - bh, bw, bh, 0.1f);
    b2Body* upperLeftHand = BoxBody(x - bw * 2.8f, y - bh / 2.0f, 0.75f, 0.1875f, 0.1f);
    b2Body* upperRightHand = BoxBody(x + bw * 2.8f, y - bh / 2.0f, 0.75f, 0.1875f, 0.1f);
    b2Body* lowLeftHand = BoxBody(x - bw * 7.1f, y - bh / 2.1f, 0.75f, 0.1875f, 0.1f);
    b2Body* lowRightHand = BoxBody(x + bw * 7.1f, y - bh / 2.1f, 0.75f, 0.1875f, 0.1f);
    b2Body* upperLeftLeg = BoxBody(x - bw * 0.9f, y - bh * 2.3f, 0.1875f, 0.75f, 0.1f);
    b2Body* upperRightLeg = BoxBody(x + bw * 0.9f, y - bh * 2.3f, 0.1875f, 0.75f, 0.1f);
    b2Body* lowLeftLeg = BoxBody(x - bw * 0.8f, y - bh * 2.3f, 0.25f, 0.75f, 0.1f);
    b2Body* lowRightLeg = BoxBody(x + bw * 0.8f, y - bh * 2.3f, 0.25f, 0.75f, 0.1f);
    Hinge(body, head, x, y, -30, 30);
    Hinge(body, upperLeftHand, x - 0.03f * s, y - 0.1f * s, -85, 30);
    Hinge(body, upperRightHand, x + 0.03f * s, y - 0.1f * s, -30, 85);
    Hinge(upperLeftHand, lowLeftHand, x - 1.9f * s, y - 0.7f * s, -10, 130);
    Hinge(upperRightHand, lowRightHand, x + 1.9f * s, y - 0.7f * s, -130, 10);
    Hinge(body, upperLeftLeg, x - 0.7f * s, y - 2.1f * s, -25, 45);
    Hinge(body, upperRightLeg, x + 0.7f * s, y - 2.1f * s, -45, 25);
    Hinge(upperLeftLeg, lowLeftLeg, x - 0.3f * s, y - 3.8f * s, -10, 190);
    Hinge(upperRightLeg, lowRightLeg, x + 0.3f * s, y - 3.8f * s, -190, 10);
  }

  BareScene() {
    const b2BodyDef ground;  // the binding makes one in every world
    world.CreateBody(&ground);
    for (const Box& b : SceneBoxes()) BoxBody(b.x, b.y, b.hx, b.hy, b.density, false);
    for (int i = 0; i < RAGDOLLS; ++i) Ragdoll(RagdollPoint(i).x, RagdollPoint(i).y);
  }
  // Box2D's own filter keeps a negative group apart as the game's does; the rest assist is the
  // binding's and has no counterpart here.
  void Step() {
    for (int i = 0; i < PHYSICS_SUB_STEPS; ++i) {
      world.Step(timeStep / PHYSICS_SUB_STEPS, PHYSICS_STEP_ITERATIONS_VELOCITY,
                 PHYSICS_STEP_ITERATIONS_POSITION);
    }
  }
};

// Only the steps are timed: building and tearing down a scene happen with the clock paused.
template <class Scene>
void BM_Step(benchmark::State& state) {
  std::unique_ptr<Scene> scene;
  for (auto _ : state) {
    state.PauseTiming();
    scene.reset();
    scene = std::make_unique<Scene>();
    state.ResumeTiming();
    for (int frame = 0; frame < FRAMES; ++frame) scene->Step();
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * FRAMES,
                                                  benchmark::Counter::kIsRate);
}

template <class Scene>
double SecondsForFrames(Scene& scene) {
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 0; frame < FRAMES; ++frame) scene.Step();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// True when both worlds ended with the same contacts and the same positions of their moving bodies
/// (the binding reports them in world units: metres / L, the very conversion it makes).
bool SameEndState(BindingScene& binding, BareScene& bare) {
  if (binding.world->world->GetContactCount() != bare.world.GetContactCount()) return false;
  const physics::b2Body* a = binding.world->world->GetBodyList();
  const b2Body* b = bare.world.GetBodyList();
  for (; a && b; a = a->GetNext(), b = b->GetNext()) {
    if (a->IsDynamic() != (b->GetType() == b2_dynamicBody)) return false;
    if (a->IsDynamic() && (a->GetPosition().x != b->GetPosition().x / L ||
                           a->GetPosition().y != b->GetPosition().y / L)) {
      return false;
    }
  }
  return a == nullptr && b == nullptr;
}

/// True when the binding's sub-steps and the bare scene's steps do the same work.
bool SameWork() {
  BindingScene binding;
  BareScene bare;
  for (int frame = 0; frame < FRAMES; ++frame) {
    binding.SubSteps();
    bare.Step();
  }
  return SameEndState(binding, bare);
}

// Both scenes alternately in each iteration, so a busy machine slows both alike. The binding's
// frames are the game's whole frames, rest assist included.
void BM_BindingOverhead(benchmark::State& state) {
  if (!SameWork()) {
    state.SkipWithError("the two worlds diverged: the comparison would not be fair");
    return;
  }
  double binding = 0.0;
  double bare = 0.0;
  for (auto _ : state) {
    BindingScene bindingScene;
    BareScene bareScene;
    const double b = SecondsForFrames(bindingScene);
    const double r = SecondsForFrames(bareScene);
    binding += b;
    bare += r;
    state.SetIterationTime(b + r);
  }
  state.counters["binding_ms_per_frame"] = binding * 1000.0 / (state.iterations() * FRAMES);
  state.counters["bare_ms_per_frame"] = bare * 1000.0 / (state.iterations() * FRAMES);
  state.counters["overhead_percent"] = (binding / bare - 1.0) * 100.0;
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Step, BindingScene)
    ->Name("physics/binding_240_frames")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Step, BareScene)
    ->Name("physics/bare_box2d_240_frames")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BindingOverhead)
    ->Name("physics/binding_vs_bare_interleaved")
    ->UseManualTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
