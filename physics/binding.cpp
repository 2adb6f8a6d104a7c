// The binding's implementation: the only file that talks to Box2D 2.4. World units become metres
// (ENGINE_METRES_PER_UNIT) and degrees become radians here and nowhere else; Box2D's user data
// pointers lead back from its bodies, fixtures and joints to the binding's objects.
#include "physics/binding.h"

#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace physics {

namespace {

constexpr float METRES = ENGINE_METRES_PER_UNIT;
// Mass stays the same number on both sides, so an area in m^2 needs the density per m^2.
constexpr float DENSITY_TO_ENGINE = 1.0f / (METRES * METRES);
constexpr float MAX_SPEED_ENGINE = MAX_LINEAR_SPEED_UNITS * METRES;

::b2Vec2 ToEngine(const b2Vec2& v) { return {v.x * METRES, v.y * METRES}; }
b2Vec2 FromEngine(const ::b2Vec2& v) { return {v.x / METRES, v.y / METRES}; }
float ToRadians(float degrees) { return degrees * RADIANS_PER_DEGREE; }
float ToDegrees(float radians) { return radians * DEGREES_PER_RADIAN; }

// NOTE: Debian builds Box2D with its assertions on, so a NaN position, a negative density or a
// zero-sized polygon would end the program. Values from outside are made safe on the way in.
float Finite(float value) { return std::isfinite(value) ? value : 0.0f; }
bool IsFinite(const b2Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// The binding's objects hold Box2D's untyped; these give the types back.
::b2Body* EngineBody(void* body) { return static_cast<::b2Body*>(body); }
::b2Fixture* EngineFixture(void* fixture) { return static_cast<::b2Fixture*>(fixture); }
::b2Joint* EngineJoint(void* joint) { return static_cast<::b2Joint*>(joint); }

// Box2D's user data leads back to the binding's objects. (Box2D 2.4 reads it only non-const.)
b2Body* Wrapper(const ::b2Body* body) {
  return reinterpret_cast<b2Body*>(const_cast<::b2Body*>(body)->GetUserData().pointer);
}
b2Shape* Wrapper(const ::b2Fixture* fixture) {
  return reinterpret_cast<b2Shape*>(const_cast<::b2Fixture*>(fixture)->GetUserData().pointer);
}
b2Joint* Wrapper(const ::b2Joint* joint) {
  return reinterpret_cast<b2Joint*>(const_cast<::b2Joint*>(joint)->GetUserData().pointer);
}

int ColorComponent(float c) { return std::clamp(static_cast<int>(c * 255.0f + 0.5f), 0, 255); }
b2Color ToColor(const ::b2Color& c) {
  return {ColorComponent(c.r), ColorComponent(c.g), ColorComponent(c.b)};
}

/// A convex polygon Box2D accepts: a degenerate outline (fewer than three points, or no area, as
/// from a picture that failed to load) becomes its bounding box at the smallest shape size.
::b2PolygonShape ToEnginePolygon(const b2PolygonDef& def) {
  const int count = std::clamp(def.vertexCount, 0, MAX_POLYGON_VERTICES);
  std::array<b2Vec2, MAX_POLYGON_VERTICES> vertices{};
  for (int i = 0; i < count; ++i)
    vertices[i] = {Finite(def.vertices[i].x), Finite(def.vertices[i].y)};
  float area2 = 0.0f;
  b2Vec2 low{0.0f, 0.0f};
  b2Vec2 high{0.0f, 0.0f};
  for (int i = 0; i < count; ++i) {
    const b2Vec2& a = vertices[i];
    const b2Vec2& b = vertices[(i + 1) % count];
    area2 += a.x * b.y - a.y * b.x;
    low = i == 0 ? a : b2Vec2{std::min(low.x, a.x), std::min(low.y, a.y)};
    high = i == 0 ? a : b2Vec2{std::max(high.x, a.x), std::max(high.y, a.y)};
  }
  ::b2PolygonShape polygon;
  // A centred box as SetAsBox writes it goes to Box2D's own SetAsBox, which keeps the vertex
  // order 2.0 used (Set would reorder the corners while building the hull).
  const b2Vec2 corner = vertices[2];
  if (count == 4 && corner.x >= MIN_SHAPE_HALF_EXTENT && corner.y >= MIN_SHAPE_HALF_EXTENT &&
      vertices[0] == -corner && vertices[1] == b2Vec2{corner.x, -corner.y} &&
      vertices[3] == b2Vec2{-corner.x, corner.y}) {
    polygon.SetAsBox(corner.x * METRES, corner.y * METRES);
    return polygon;
  }
  // Box2D welds corners closer than a few millimetres, so slivers also take the box below.
  constexpr float MIN_SIZE = 2.0f * MIN_SHAPE_HALF_EXTENT;
  if (count >= 3 && std::abs(area2) >= 2.0f * MIN_SIZE * MIN_SIZE && high.x - low.x >= MIN_SIZE &&
      high.y - low.y >= MIN_SIZE) {
    std::array<::b2Vec2, MAX_POLYGON_VERTICES> points;
    for (int i = 0; i < count; ++i) points[i] = ToEngine(vertices[i]);
    polygon.Set(points.data(), count);
    return polygon;
  }
  const float hx = std::max((high.x - low.x) / 2.0f, MIN_SHAPE_HALF_EXTENT);
  const float hy = std::max((high.y - low.y) / 2.0f, MIN_SHAPE_HALF_EXTENT);
  const b2Vec2 centre{(low.x + high.x) / 2.0f, (low.y + high.y) / 2.0f};
  polygon.SetAsBox(hx * METRES, hy * METRES, ToEngine(centre), 0.0f);
  return polygon;
}

b2ContactPoint ToContactPoint(::b2Contact* contact) {
  b2ContactPoint point;
  point.shape1 = Wrapper(contact->GetFixtureA());
  point.shape2 = Wrapper(contact->GetFixtureB());
  point.friction = contact->GetFriction();
  point.restitution = contact->GetRestitution();
  const ::b2Manifold* manifold = contact->GetManifold();
  if (manifold->pointCount > 0) {
    ::b2WorldManifold worldManifold;
    contact->GetWorldManifold(&worldManifold);
    const ::b2Vec2 p = worldManifold.points[0];
    const ::b2Vec2 v = contact->GetFixtureB()->GetBody()->GetLinearVelocityFromWorldPoint(p) -
                       contact->GetFixtureA()->GetBody()->GetLinearVelocityFromWorldPoint(p);
    point.position = FromEngine(p);
    point.velocity = FromEngine(v);
    point.normal = {worldManifold.normal.x, worldManifold.normal.y};
    point.separation = worldManifold.separations[0] / METRES;
    point.id = manifold->points[0].id.key;
  }
  return point;
}

class ListenerAdapter final : public ::b2ContactListener {
 public:
  physics::b2ContactListener* listener = nullptr;

  void BeginContact(::b2Contact* contact) override {
    if (!listener) return;
    const b2ContactPoint point = ToContactPoint(contact);
    listener->Add(&point);
  }
  void EndContact(::b2Contact* contact) override {
    if (!listener) return;
    const b2ContactPoint point = ToContactPoint(contact);
    listener->Remove(&point);
  }
};

class FilterAdapter final : public ::b2ContactFilter {
 public:
  physics::b2ContactFilter* filter = nullptr;

  bool ShouldCollide(::b2Fixture* fixtureA, ::b2Fixture* fixtureB) override {
    return filter->ShouldCollide(Wrapper(fixtureA), Wrapper(fixtureB));
  }
};

class DrawAdapter final : public ::b2Draw {
 public:
  b2DebugDraw* target = nullptr;

  void DrawPolygon(const ::b2Vec2* vertices, int32 count, const ::b2Color& color) override {
    const auto points = Convert(vertices, count);
    target->DrawPolygon(points.data(), count, ToColor(color));
  }
  void DrawSolidPolygon(const ::b2Vec2* vertices, int32 count, const ::b2Color& color) override {
    const auto points = Convert(vertices, count);
    target->DrawSolidPolygon(points.data(), count, ToColor(color));
  }
  void DrawCircle(const ::b2Vec2& center, float radius, const ::b2Color& color) override {
    target->DrawCircle(FromEngine(center), radius / METRES, ToColor(color));
  }
  void DrawSolidCircle(const ::b2Vec2& center, float radius, const ::b2Vec2& axis,
                       const ::b2Color& color) override {
    target->DrawSolidCircle(FromEngine(center), radius / METRES, {axis.x, axis.y}, ToColor(color));
  }
  void DrawSegment(const ::b2Vec2& p1, const ::b2Vec2& p2, const ::b2Color& color) override {
    target->DrawSegment(FromEngine(p1), FromEngine(p2), ToColor(color));
  }
  void DrawTransform(const ::b2Transform& xf) override {
    b2XForm form;
    form.position = FromEngine(xf.p);
    form.R.col1 = {xf.q.c, xf.q.s};
    form.R.col2 = {-xf.q.s, xf.q.c};
    target->DrawXForm(form);
  }
  void DrawPoint(const ::b2Vec2& p, float size, const ::b2Color& color) override {
    target->DrawPoint(FromEngine(p), size, ToColor(color));
  }

  /// Box2D 2.0's flag bits to 2.4's.
  void TakeFlags() {
    const std::uint32_t flags = target->GetFlags();
    std::uint32_t engineFlags = 0;
    if (flags & b2DebugDraw::e_shapeBit) engineFlags |= ::b2Draw::e_shapeBit;
    if (flags & b2DebugDraw::e_jointBit) engineFlags |= ::b2Draw::e_jointBit;
    if (flags & b2DebugDraw::e_aabbBit) engineFlags |= ::b2Draw::e_aabbBit;
    if (flags & b2DebugDraw::e_pairBit) engineFlags |= ::b2Draw::e_pairBit;
    if (flags & b2DebugDraw::e_centerOfMassBit) engineFlags |= ::b2Draw::e_centerOfMassBit;
    SetFlags(engineFlags);
  }

 private:
  static std::array<b2Vec2, MAX_POLYGON_VERTICES> Convert(const ::b2Vec2* vertices, int32 count) {
    std::array<b2Vec2, MAX_POLYGON_VERTICES> points{};
    for (int32 i = 0; i < count && i < MAX_POLYGON_VERTICES; ++i)
      points[i] = FromEngine(vertices[i]);
    return points;
  }
};

}  // namespace

// [SECTION] World internals -----------------------------------------------------------------------

struct b2World::Engine final : public ::b2DestructionListener {
  explicit Engine(const b2Vec2& gravity) : world(ToEngine(gravity)) {
    world.SetDestructionListener(this);
    world.SetContactListener(&listener);
  }

  // Box2D removes a body's joints with it and reports each one here first.
  void SayGoodbye(::b2Joint* joint) override { joints.erase(joint); }
  void SayGoodbye(::b2Fixture* fixture) override { (void)fixture; }

  ::b2World world;
  std::unordered_map<const void*, std::shared_ptr<b2Body>> bodies;   // by Box2D body
  std::unordered_map<const void*, std::unique_ptr<b2Joint>> joints;  // by Box2D joint
  ListenerAdapter listener;
  FilterAdapter filter;
  DrawAdapter draw;
};

// [SECTION] Values and definitions ----------------------------------------------------------------

float b2Vec2::Length() const { return std::sqrt(x * x + y * y); }

void b2PolygonDef::SetAsBox(float hx, float hy) {
  vertexCount = 4;
  vertices[0] = {-hx, -hy};
  vertices[1] = {hx, -hy};
  vertices[2] = {hx, hy};
  vertices[3] = {-hx, hy};
}

void b2PolygonDef::SetAsBox(float hx, float hy, const b2Vec2& center, float angle) {
  SetAsBox(hx, hy);
  const float c = std::cos(ToRadians(angle));
  const float s = std::sin(ToRadians(angle));
  for (int i = 0; i < 4; ++i) {
    const b2Vec2 v = vertices[i];
    vertices[i] = {center.x + c * v.x - s * v.y, center.y + s * v.x + c * v.y};
  }
}

void b2RevoluteJointDef::Initialize(b2Body* b1, b2Body* b2, const b2Vec2& anchor) {
  body1 = b1;
  body2 = b2;
  localAnchor1 = b1->GetLocalPoint(anchor);
  localAnchor2 = b2->GetLocalPoint(anchor);
  referenceAngle = b2->GetAngle() - b1->GetAngle();
}

bool b2ContactFilter::ShouldCollide(b2Shape* shape1, b2Shape* shape2) {
  const b2FilterData f1 = shape1->GetFilterData();
  const b2FilterData f2 = shape2->GetFilterData();
  if (f1.groupIndex == f2.groupIndex && f1.groupIndex != 0) return f1.groupIndex > 0;
  return (f1.maskBits & f2.categoryBits) != 0 && (f1.categoryBits & f2.maskBits) != 0;
}

// [SECTION] Shapes --------------------------------------------------------------------------------

b2Shape* b2Shape::GetNext() const {
  const ::b2Fixture* next = EngineFixture(fixture)->GetNext();
  return next ? Wrapper(next) : nullptr;
}
bool b2Shape::IsSensor() const { return EngineFixture(fixture)->IsSensor(); }
float b2Shape::GetFriction() const { return EngineFixture(fixture)->GetFriction(); }
float b2Shape::GetRestitution() const { return EngineFixture(fixture)->GetRestitution(); }
float b2Shape::GetDensity() const {
  return EngineFixture(fixture)->GetDensity() / DENSITY_TO_ENGINE;
}

b2FilterData b2Shape::GetFilterData() const {
  const ::b2Filter& f = EngineFixture(fixture)->GetFilterData();
  b2FilterData data;
  data.categoryBits = f.categoryBits;
  data.maskBits = f.maskBits;
  data.groupIndex = f.groupIndex;
  return data;
}

bool b2Shape::TestPoint(const b2Vec2& point) const {
  return EngineFixture(fixture)->TestPoint(ToEngine(point));
}
float b2Shape::GetRadius() const { return EngineFixture(fixture)->GetShape()->m_radius / METRES; }

b2Vec2 b2Shape::GetLocalPosition() const {
  if (type != e_circleShape) return {};
  return FromEngine(static_cast<const ::b2CircleShape*>(EngineFixture(fixture)->GetShape())->m_p);
}

int b2Shape::GetVertexCount() const {
  if (type != e_polygonShape) return 0;
  return static_cast<const ::b2PolygonShape*>(EngineFixture(fixture)->GetShape())->m_count;
}

b2Vec2 b2Shape::GetVertex(int index) const {
  if (index < 0 || index >= GetVertexCount()) return {};
  return FromEngine(
      static_cast<const ::b2PolygonShape*>(EngineFixture(fixture)->GetShape())->m_vertices[index]);
}

// [SECTION] Bodies --------------------------------------------------------------------------------

b2Body::~b2Body() = default;

b2Shape* b2Body::CreateShape(const b2ShapeDef& def) {
  if (!body || world->IsLocked()) return nullptr;
  ::b2FixtureDef fixtureDef;
  fixtureDef.density = std::max(Finite(def.density), 0.0f) * DENSITY_TO_ENGINE;
  fixtureDef.friction = std::max(Finite(def.friction), 0.0f);
  fixtureDef.restitution = std::max(Finite(def.restitution), 0.0f);
  fixtureDef.isSensor = def.isSensor;
  fixtureDef.filter.categoryBits = def.filter.categoryBits;
  fixtureDef.filter.maskBits = def.filter.maskBits;
  fixtureDef.filter.groupIndex = def.filter.groupIndex;

  ::b2CircleShape circle;
  ::b2PolygonShape polygon;
  if (def.type == e_circleShape) {
    const auto& circleDef = static_cast<const b2CircleDef&>(def);
    circle.m_p = ToEngine({Finite(circleDef.localPosition.x), Finite(circleDef.localPosition.y)});
    circle.m_radius = std::max(Finite(circleDef.radius), MIN_SHAPE_HALF_EXTENT) * METRES;
    fixtureDef.shape = &circle;
  } else if (def.type == e_polygonShape) {
    polygon = ToEnginePolygon(static_cast<const b2PolygonDef&>(def));
    fixtureDef.shape = &polygon;
  } else {
    return nullptr;
  }

  auto shape = std::unique_ptr<b2Shape>(new b2Shape(this, nullptr, def.type));
  shape->userData = def.userData;
  fixtureDef.userData.pointer = reinterpret_cast<std::uintptr_t>(shape.get());
  shape->fixture = EngineBody(body)->CreateFixture(&fixtureDef);
  shapes.push_back(std::move(shape));
  return shapes.back().get();
}

void b2Body::DestroyShape(b2Shape* shape) {
  if (!body || !shape || shape->body != this || world->IsLocked()) return;
  EngineBody(body)->DestroyFixture(EngineFixture(shape->fixture));
  std::erase_if(shapes, [shape](const std::unique_ptr<b2Shape>& s) { return s.get() == shape; });
}

void b2Body::SetMassFromShapes() {
  if (!body || world->IsLocked()) return;
  float mass = 0.0f;
  for (::b2Fixture* f = EngineBody(body)->GetFixtureList(); f; f = f->GetNext()) {
    ::b2MassData data;
    f->GetMassData(&data);
    mass += data.mass;
  }
  if (mass > 0.0f) {
    if (EngineBody(body)->GetType() == ::b2_dynamicBody) {
      EngineBody(body)->ResetMassData();
    } else {
      EngineBody(body)->SetType(::b2_dynamicBody);
    }
  } else if (EngineBody(body)->GetType() != ::b2_staticBody) {
    EngineBody(body)->SetType(::b2_staticBody);
  }
}

// NOTE: lastPosition and lastAngle also remember the last placement in world units, so that a
// body read back after SetXForm reports exactly the numbers it was given: a turning body reads its
// angle and writes it back every frame, and the metre conversion must not make it creep.
b2Vec2 b2Body::GetPosition() const {
  if (!body) return lastPosition;
  const ::b2Vec2& p = EngineBody(body)->GetPosition();
  if (p.x == lastPosition.x * METRES && p.y == lastPosition.y * METRES) return lastPosition;
  return FromEngine(p);
}

float b2Body::GetAngle() const {
  if (!body) return lastAngle;
  const float a = EngineBody(body)->GetAngle();
  if (a == ToRadians(lastAngle)) return lastAngle;
  return ToDegrees(a);
}

b2XForm b2Body::GetXForm() const {
  b2XForm form;
  form.position = GetPosition();
  const float a = ToRadians(GetAngle());
  form.R.col1 = {std::cos(a), std::sin(a)};
  form.R.col2 = {-std::sin(a), std::cos(a)};
  return form;
}

b2Vec2 b2Body::GetWorldCenter() const {
  return body ? FromEngine(EngineBody(body)->GetWorldCenter()) : lastPosition;
}

b2Vec2 b2Body::GetLocalCenter() const {
  return body ? FromEngine(EngineBody(body)->GetLocalCenter()) : b2Vec2{};
}

bool b2Body::SetXForm(const b2Vec2& position, float angle) {
  if (!body || world->IsLocked() || !IsFinite(position) || !std::isfinite(angle)) return false;
  EngineBody(body)->SetTransform(ToEngine(position), ToRadians(angle));
  lastPosition = position;
  lastAngle = angle;
  // A sleeping body is not collided, so a platform moved into it would pass through. Its
  // contacts are judged at the new place: a body the platform only passes near sleeps on.
  for (::b2ContactEdge* edge = EngineBody(body)->GetContactList(); edge; edge = edge->next) {
    ::b2Body* other = edge->other;
    if (other->GetType() != ::b2_dynamicBody || other->IsAwake()) continue;
    ::b2Contact* contact = edge->contact;
    ::b2Manifold manifold;
    contact->Evaluate(&manifold, contact->GetFixtureA()->GetBody()->GetTransform(),
                      contact->GetFixtureB()->GetBody()->GetTransform());
    if (manifold.pointCount > 0) other->SetAwake(true);
  }
  return true;
}

void b2Body::SetLinearVelocity(const b2Vec2& velocity) {
  if (body && IsFinite(velocity)) EngineBody(body)->SetLinearVelocity(ToEngine(velocity));
}
b2Vec2 b2Body::GetLinearVelocity() const {
  return body ? FromEngine(EngineBody(body)->GetLinearVelocity()) : b2Vec2{};
}
void b2Body::SetAngularVelocity(float omega) {
  if (body && std::isfinite(omega)) EngineBody(body)->SetAngularVelocity(ToRadians(omega));
}
float b2Body::GetAngularVelocity() const {
  return body ? ToDegrees(EngineBody(body)->GetAngularVelocity()) : 0.0f;
}

void b2Body::ApplyForce(const b2Vec2& force, const b2Vec2& point) {
  if (body && IsFinite(force) && IsFinite(point)) {
    EngineBody(body)->ApplyForce(ToEngine(force), ToEngine(point), true);
  }
}
void b2Body::ApplyTorque(float torque) {
  if (body && std::isfinite(torque)) EngineBody(body)->ApplyTorque(torque * METRES * METRES, true);
}
void b2Body::ApplyImpulse(const b2Vec2& impulse, const b2Vec2& point) {
  if (body && IsFinite(impulse) && IsFinite(point)) {
    EngineBody(body)->ApplyLinearImpulse(ToEngine(impulse), ToEngine(point), true);
  }
}

float b2Body::GetMass() const { return body ? EngineBody(body)->GetMass() : 0.0f; }
float b2Body::GetInertia() const {
  if (!body) return 0.0f;
  // Box2D 2.4 reports the inertia about the body origin; the game asks about the centre.
  const ::b2Vec2 c = EngineBody(body)->GetLocalCenter();
  return (EngineBody(body)->GetInertia() - EngineBody(body)->GetMass() * ::b2Dot(c, c)) /
         (METRES * METRES);
}

b2Vec2 b2Body::GetWorldPoint(const b2Vec2& localPoint) const {
  return body ? FromEngine(EngineBody(body)->GetWorldPoint(ToEngine(localPoint)))
              : lastPosition + localPoint;
}
b2Vec2 b2Body::GetWorldVector(const b2Vec2& localVector) const {
  return body ? FromEngine(EngineBody(body)->GetWorldVector(ToEngine(localVector))) : localVector;
}
b2Vec2 b2Body::GetLocalPoint(const b2Vec2& worldPoint) const {
  return body ? FromEngine(EngineBody(body)->GetLocalPoint(ToEngine(worldPoint)))
              : worldPoint - lastPosition;
}
b2Vec2 b2Body::GetLocalVector(const b2Vec2& worldVector) const {
  return body ? FromEngine(EngineBody(body)->GetLocalVector(ToEngine(worldVector))) : worldVector;
}

bool b2Body::IsBullet() const { return body && EngineBody(body)->IsBullet(); }
void b2Body::SetBullet(bool flag) {
  if (body) EngineBody(body)->SetBullet(flag);
}
bool b2Body::IsStatic() const { return !body || EngineBody(body)->GetType() == ::b2_staticBody; }
bool b2Body::IsDynamic() const { return body && EngineBody(body)->GetType() == ::b2_dynamicBody; }
bool b2Body::IsSleeping() const { return body && !EngineBody(body)->IsAwake(); }
void b2Body::AllowSleeping(bool flag) {
  if (body) EngineBody(body)->SetSleepingAllowed(flag);
}
void b2Body::WakeUp() {
  if (body) EngineBody(body)->SetAwake(true);
}
void b2Body::PutToSleep() {
  if (body) EngineBody(body)->SetAwake(false);
}

b2Shape* b2Body::GetShapeList() const {
  if (!body) return nullptr;
  const ::b2Fixture* first = EngineBody(body)->GetFixtureList();
  return first ? Wrapper(first) : nullptr;
}

b2Body* b2Body::GetNext() const {
  if (!body) return nullptr;
  const ::b2Body* next = EngineBody(body)->GetNext();
  return next ? Wrapper(next) : nullptr;
}

void b2Body::RememberPlace() {
  if (!body) return;
  lastPosition = GetPosition();
  lastAngle = GetAngle();
}

void b2Body::Detach() {
  body = nullptr;
  world = nullptr;
  shapes.clear();
}

// [SECTION] Joints --------------------------------------------------------------------------------

b2Vec2 b2Joint::GetAnchor1() const { return FromEngine(EngineJoint(joint)->GetAnchorA()); }
b2Vec2 b2Joint::GetAnchor2() const { return FromEngine(EngineJoint(joint)->GetAnchorB()); }
bool b2Joint::GetCollideConnected() const { return EngineJoint(joint)->GetCollideConnected(); }

b2Joint* b2Joint::GetNext() const {
  const ::b2Joint* next = EngineJoint(joint)->GetNext();
  return next ? Wrapper(next) : nullptr;
}

float b2Joint::GetJointAngle() const {
  return ToDegrees(static_cast<const ::b2RevoluteJoint*>(EngineJoint(joint))->GetJointAngle());
}
float b2Joint::GetJointSpeed() const {
  return ToDegrees(static_cast<const ::b2RevoluteJoint*>(EngineJoint(joint))->GetJointSpeed());
}
bool b2Joint::IsLimitEnabled() const {
  return static_cast<const ::b2RevoluteJoint*>(EngineJoint(joint))->IsLimitEnabled();
}
float b2Joint::GetLowerLimit() const {
  return ToDegrees(static_cast<const ::b2RevoluteJoint*>(EngineJoint(joint))->GetLowerLimit());
}
float b2Joint::GetUpperLimit() const {
  return ToDegrees(static_cast<const ::b2RevoluteJoint*>(EngineJoint(joint))->GetUpperLimit());
}
bool b2Joint::IsMotorEnabled() const {
  return static_cast<const ::b2RevoluteJoint*>(EngineJoint(joint))->IsMotorEnabled();
}

// [SECTION] World ---------------------------------------------------------------------------------

b2World::b2World(const b2AABB& worldAABB, const b2Vec2& gravity, bool doSleep)
    : engine(std::make_unique<Engine>(gravity)), bounds(worldAABB) {
  engine->world.SetAllowSleeping(doSleep);
  groundBody = CreateBody(b2BodyDef{});
}

b2World::~b2World() {
  // Bodies the game still holds outlive the engine: they keep their last place and leave it.
  for (auto& [engineBody, body] : engine->bodies) {
    body->RememberPlace();
    body->Detach();
  }
  engine->joints.clear();
}

void b2World::SetContactFilter(b2ContactFilter* filter) {
  engine->filter.filter = filter;
  engine->world.SetContactFilter(filter ? &engine->filter : nullptr);
}

void b2World::SetContactListener(b2ContactListener* listener) {
  engine->listener.listener = listener;
}

void b2World::SetDebugDraw(b2DebugDraw* debugDraw) {
  engine->draw.target = debugDraw;
  engine->world.SetDebugDraw(debugDraw ? &engine->draw : nullptr);
}

std::shared_ptr<b2Body> b2World::CreateBody(const b2BodyDef& def) {
  if (IsLocked()) return nullptr;
  ::b2BodyDef bodyDef;
  bodyDef.type = ::b2_staticBody;  // SetMassFromShapes makes it dynamic once shapes give it mass
  const b2Vec2 position{Finite(def.position.x), Finite(def.position.y)};
  const float angle = Finite(def.angle);
  bodyDef.position = ToEngine(position);
  bodyDef.angle = ToRadians(angle);
  bodyDef.linearDamping = std::max(Finite(def.linearDamping), 0.0f);
  bodyDef.angularDamping = std::max(Finite(def.angularDamping), 0.0f);
  bodyDef.allowSleep = def.allowSleep;
  bodyDef.awake = !def.isSleeping;
  bodyDef.fixedRotation = def.fixedRotation;
  bodyDef.bullet = def.isBullet;

  auto body = std::shared_ptr<b2Body>(new b2Body(this, nullptr));
  body->userData = def.userData;
  body->lastPosition = position;
  body->lastAngle = angle;
  bodyDef.userData.pointer = reinterpret_cast<std::uintptr_t>(body.get());
  body->body = engine->world.CreateBody(&bodyDef);
  engine->bodies.emplace(body->body, body);
  return body;
}

void b2World::DestroyBody(b2Body* body) {
  if (!body || !body->body || body->world != this || body == groundBody.get() || IsLocked()) return;
  ::b2Body* engineBody = EngineBody(body->body);
  body->RememberPlace();
  // Box2D ends the body's contacts (the listener's Remove still sees whole shapes and bodies) and
  // says goodbye to its joints before it lets the body go.
  engine->world.DestroyBody(engineBody);
  body->Detach();
  engine->bodies.erase(engineBody);  // last: this may release the body object itself
}

b2Joint* b2World::CreateJoint(const b2JointDef& def) {
  if (IsLocked() || def.type != e_revoluteJoint || !def.body1 || !def.body2) return nullptr;
  if (def.body1->world != this || def.body2->world != this || def.body1 == def.body2)
    return nullptr;
  const auto& revolute = static_cast<const b2RevoluteJointDef&>(def);
  ::b2RevoluteJointDef jointDef;
  jointDef.bodyA = EngineBody(def.body1->body);
  jointDef.bodyB = EngineBody(def.body2->body);
  jointDef.collideConnected = def.collideConnected;
  jointDef.localAnchorA =
      ToEngine({Finite(revolute.localAnchor1.x), Finite(revolute.localAnchor1.y)});
  jointDef.localAnchorB =
      ToEngine({Finite(revolute.localAnchor2.x), Finite(revolute.localAnchor2.y)});
  jointDef.referenceAngle = ToRadians(Finite(revolute.referenceAngle));
  jointDef.enableLimit = revolute.enableLimit;
  jointDef.lowerAngle =
      ToRadians(std::min(Finite(revolute.lowerAngle), Finite(revolute.upperAngle)));
  jointDef.upperAngle =
      ToRadians(std::max(Finite(revolute.lowerAngle), Finite(revolute.upperAngle)));
  jointDef.enableMotor = revolute.enableMotor;
  jointDef.motorSpeed = ToRadians(Finite(revolute.motorSpeed));
  jointDef.maxMotorTorque = std::max(Finite(revolute.maxMotorTorque), 0.0f) * METRES * METRES;

  auto joint =
      std::unique_ptr<b2Joint>(new b2Joint(nullptr, e_revoluteJoint, def.body1, def.body2));
  jointDef.userData.pointer = reinterpret_cast<std::uintptr_t>(joint.get());
  joint->joint = engine->world.CreateJoint(&jointDef);
  b2Joint* result = joint.get();
  engine->joints.emplace(joint->joint, std::move(joint));
  return result;
}

void b2World::DestroyJoint(b2Joint* joint) {
  if (!joint || IsLocked()) return;
  const auto found = engine->joints.find(joint->joint);
  if (found == engine->joints.end() || found->second.get() != joint) return;
  engine->world.DestroyJoint(EngineJoint(joint->joint));
  engine->joints.erase(found);
}

void b2World::Step(float timeStep, int velocityIterations, int positionIterations) {
  // Box2D 2.0 limited speeds before solving; 2.4 only limits the motion afterwards. Without this
  // clamp the cannon's spin impulse is turned by the joints into a tumbling launch.
  constexpr float maxSpeedSquared = MAX_SPEED_ENGINE * MAX_SPEED_ENGINE;
  for (::b2Body* b = engine->world.GetBodyList(); b; b = b->GetNext()) {
    if (b->GetType() != ::b2_dynamicBody || !b->IsAwake()) continue;
    ::b2Vec2 v = b->GetLinearVelocity();
    const float speedSquared = v.LengthSquared();
    if (speedSquared > maxSpeedSquared) {
      v *= MAX_SPEED_ENGINE / std::sqrt(speedSquared);
      b->SetLinearVelocity(v);
    }
    const float omega = b->GetAngularVelocity();
    if (omega * omega > MAX_ANGULAR_SPEED * MAX_ANGULAR_SPEED) {
      b->SetAngularVelocity(omega > 0.0f ? MAX_ANGULAR_SPEED : -MAX_ANGULAR_SPEED);
    }
  }
  engine->world.Step(timeStep, velocityIterations, positionIterations);
}

void b2World::SettleResting(float seconds, float restSpeed, float restSpin, float restSeconds) {
  const float speedSquared = restSpeed * METRES * restSpeed * METRES;
  const float spin = ToRadians(restSpin);
  auto awakeDynamic = [](const ::b2Body* b) {
    return b->GetType() == ::b2_dynamicBody && b->IsAwake() && b->IsEnabled();
  };
  for (::b2Body* b = engine->world.GetBodyList(); b; b = b->GetNext()) {
    b2Body* body = Wrapper(b);
    if (!body) continue;
    const bool slow = b->GetLinearVelocity().LengthSquared() < speedSquared &&
                      std::abs(b->GetAngularVelocity()) < spin;
    body->slowSeconds = awakeDynamic(b) && slow ? body->slowSeconds + seconds : 0.0f;
  }

  std::unordered_set<const ::b2Body*> seen;
  std::vector<::b2Body*> group;
  for (::b2Body* seed = engine->world.GetBodyList(); seed; seed = seed->GetNext()) {
    if (!awakeDynamic(seed) || seen.contains(seed)) continue;
    // The group is gathered whole even once one body is found too fast, so that none of its
    // bodies seeds another group.
    group.assign(1, seed);
    seen.insert(seed);
    bool resting = true;
    for (std::size_t i = 0; i < group.size(); ++i) {
      ::b2Body* b = group[i];
      const b2Body* body = Wrapper(b);
      resting = resting && body && body->slowSeconds >= restSeconds && b->IsSleepingAllowed();
      auto visit = [&](::b2Body* other) {
        if (awakeDynamic(other) && seen.insert(other).second) group.push_back(other);
      };
      for (::b2JointEdge* edge = b->GetJointList(); edge; edge = edge->next) visit(edge->other);
      for (::b2ContactEdge* edge = b->GetContactList(); edge; edge = edge->next) {
        if (edge->contact->IsTouching() && edge->contact->IsEnabled()) visit(edge->other);
      }
    }
    if (!resting) continue;
    for (::b2Body* b : group) b->SetAwake(false);
  }
}

void b2World::ProjectJoints(float maxOpen, float maxOvershoot) {
  std::vector<::b2RevoluteJoint*> hinges;
  for (::b2Joint* j = engine->world.GetJointList(); j; j = j->GetNext()) {
    if (j->GetType() != ::e_revoluteJoint) continue;
    auto* hinge = static_cast<::b2RevoluteJoint*>(j);
    if (hinge->IsLimitEnabled()) hinges.push_back(hinge);
  }
  const float open = maxOpen * METRES;
  const float slack = ToRadians(maxOvershoot);
  // Box2D lists the newest joint first.
  for (auto it = hinges.rbegin(); it != hinges.rend(); ++it) {
    ::b2RevoluteJoint& joint = **it;
    ::b2Body& first = *joint.GetBodyA();
    ::b2Body& second = *joint.GetBodyB();
    if (second.GetType() != ::b2_dynamicBody || !second.IsAwake()) continue;
    float angle = second.GetAngle();
    const float jointAngle = joint.GetJointAngle();
    const float kept =
        std::clamp(jointAngle, joint.GetLowerLimit() - slack, joint.GetUpperLimit() + slack);
    if (kept != jointAngle) {
      angle += kept - jointAngle;
      const float spin = second.GetAngularVelocity() - first.GetAngularVelocity();
      if ((kept > jointAngle) == (spin < 0.0f)) {
        second.SetAngularVelocity(first.GetAngularVelocity());
      }
    }
    const ::b2Vec2 firstAnchor = first.GetWorldPoint(joint.GetLocalAnchorA());
    const ::b2Vec2 secondAnchor = second.GetWorldPoint(joint.GetLocalAnchorB());
    const bool torn = (secondAnchor - firstAnchor).LengthSquared() > open * open;
    if (angle == second.GetAngle() && !torn) continue;
    // Turned about its own anchor, or moved onto the first body's.
    const ::b2Vec2 anchor = torn ? firstAnchor : secondAnchor;
    second.SetTransform(anchor - ::b2Mul(::b2Rot(angle), joint.GetLocalAnchorB()), angle);
  }
}

void b2World::DrawDebugData() {
  if (!engine->draw.target) return;
  engine->draw.TakeFlags();
  engine->world.DebugDraw();
}

bool b2World::Validate() const {
  int count = 0;
  for (const ::b2Body* b = engine->world.GetBodyList(); b; b = b->GetNext()) {
    const b2Body* body = Wrapper(b);
    if (!body || body->body != b || body->world != this) return false;
    ++count;
  }
  return count == engine->world.GetBodyCount() &&
         count == static_cast<int>(engine->bodies.size()) &&
         engine->world.GetJointCount() == static_cast<int>(engine->joints.size());
}

b2Body* b2World::GetBodyList() const {
  const ::b2Body* first = engine->world.GetBodyList();
  return first ? Wrapper(first) : nullptr;
}

b2Joint* b2World::GetJointList() const {
  const ::b2Joint* first = engine->world.GetJointList();
  return first ? Wrapper(first) : nullptr;
}

int b2World::GetBodyCount() const { return engine->world.GetBodyCount(); }
int b2World::GetJointCount() const { return engine->world.GetJointCount(); }
int b2World::GetContactCount() const { return engine->world.GetContactCount(); }
void b2World::SetGravity(const b2Vec2& gravity) { engine->world.SetGravity(ToEngine(gravity)); }
b2Vec2 b2World::GetGravity() const { return FromEngine(engine->world.GetGravity()); }

bool b2World::InRange(const b2AABB& aabb) const {
  return aabb.lowerBound.x >= bounds.lowerBound.x && aabb.lowerBound.y >= bounds.lowerBound.y &&
         aabb.upperBound.x <= bounds.upperBound.x && aabb.upperBound.y <= bounds.upperBound.y;
}

bool b2World::IsLocked() const { return engine->world.IsLocked(); }

}  // namespace physics
