// The physics binding: the game is written in Box2D 2.0's vocabulary (bodies carrying a picture and
// three text tags, shape definitions, SetMassFromShapes, revolute joints from a world anchor, a
// contact filter and a new-contact-point listener); this maps it onto the installed Box2D 2.4.
// Every number crossing this interface is in world units (1 unit = 8 pixels, y up) and every angle
// in degrees; the metres and radians Box2D works in never leave physics/. Values Box2D cannot take
// are made safe here: non-finite numbers read as 0 in definitions and are ignored by setters,
// negative densities read as 0, and shapes smaller than MIN_SHAPE_HALF_EXTENT are built at it.
//
// Index: [SECTION] Values, Shapes, Bodies, Joints, Callbacks, World.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/media.h"

namespace physics {

class b2World;
class b2Body;
class b2Shape;
class b2Joint;

/// Smallest half extent of a box and smallest circle radius, in world units: the size a part gets
/// from a picture one pixel wide. A zero-sized polygon has no area and would give Box2D a
/// division by zero, so smaller shapes (a picture that failed to load) are built at this size.
constexpr float MIN_SHAPE_HALF_EXTENT = 1.0f / 16.0f;

// [SECTION] Values --------------------------------------------------------------------------------

/// A 2D vector in world units.
struct b2Vec2 {
  float x = 0.0f;
  float y = 0.0f;

  b2Vec2() = default;
  constexpr b2Vec2(float xIn, float yIn) : x(xIn), y(yIn) {}
  void Set(float xIn, float yIn) {
    x = xIn;
    y = yIn;
  }
  void SetZero() {
    x = 0.0f;
    y = 0.0f;
  }
  float Length() const;
  float LengthSquared() const { return x * x + y * y; }
  b2Vec2 operator-() const { return {-x, -y}; }
  b2Vec2& operator+=(const b2Vec2& v) {
    x += v.x;
    y += v.y;
    return *this;
  }
  b2Vec2& operator-=(const b2Vec2& v) {
    x -= v.x;
    y -= v.y;
    return *this;
  }
  b2Vec2& operator*=(float s) {
    x *= s;
    y *= s;
    return *this;
  }
};
inline b2Vec2 operator+(const b2Vec2& a, const b2Vec2& b) { return {a.x + b.x, a.y + b.y}; }
inline b2Vec2 operator-(const b2Vec2& a, const b2Vec2& b) { return {a.x - b.x, a.y - b.y}; }
inline b2Vec2 operator*(float s, const b2Vec2& v) { return {s * v.x, s * v.y}; }
inline bool operator==(const b2Vec2& a, const b2Vec2& b) { return a.x == b.x && a.y == b.y; }

/// 2x2 matrix by columns (the rotation of a transform).
struct b2Mat22 {
  b2Vec2 col1{1.0f, 0.0f};
  b2Vec2 col2{0.0f, 1.0f};
};

/// Position and rotation of a body.
struct b2XForm {
  b2Vec2 position;
  b2Mat22 R;
};

/// Axis-aligned box in world units.
struct b2AABB {
  b2Vec2 lowerBound;
  b2Vec2 upperBound;
};

/// A colour as the debug renderer receives it: components 0-255.
struct b2Color {
  int red = 0;
  int green = 0;
  int blue = 0;
};

// [SECTION] Shapes --------------------------------------------------------------------------------

enum b2ShapeType { e_unknownShape = -1, e_circleShape, e_polygonShape };

/// Collision filtering data of a shape (used by the default contact filter).
struct b2FilterData {
  std::uint16_t categoryBits = 0x0001;
  std::uint16_t maskBits = 0xFFFF;
  std::int16_t groupIndex = 0;
};

/// Material of a shape. The defaults are Box2D 2.0's: no density (a body of such shapes stays
/// static), friction 0.2, no restitution.
struct b2ShapeDef {
  b2ShapeType type = e_unknownShape;
  ImagePtr userData;
  float friction = 0.2f;
  float restitution = 0.0f;
  float density = 0.0f;
  bool isSensor = false;
  b2FilterData filter;

 protected:
  explicit b2ShapeDef(b2ShapeType shapeType) : type(shapeType) {}
};

constexpr int MAX_POLYGON_VERTICES = 8;

/// Convex polygon in body coordinates, counter-clockwise.
struct b2PolygonDef : b2ShapeDef {
  b2PolygonDef() : b2ShapeDef(e_polygonShape) {}
  /// Box centred on the body with half width hx and half height hy (world units).
  void SetAsBox(float hx, float hy);
  /// Box with its centre at `center` in body coordinates, turned by `angle` degrees.
  void SetAsBox(float hx, float hy, const b2Vec2& center, float angle);

  std::array<b2Vec2, MAX_POLYGON_VERTICES> vertices{};
  int vertexCount = 0;
};

/// Circle in body coordinates.
struct b2CircleDef : b2ShapeDef {
  b2CircleDef() : b2ShapeDef(e_circleShape) {}
  b2Vec2 localPosition;
  float radius = 1.0f;
};

/// A shape attached to a body. Owned by its body; valid until the body or the shape is destroyed.
class b2Shape {
 public:
  ImagePtr userData;

  b2ShapeType GetType() const { return type; }
  b2Body* GetBody() const { return body; }
  /// The next (older) shape of the same body, or null.
  b2Shape* GetNext() const;
  bool IsSensor() const;
  float GetFriction() const;
  float GetRestitution() const;
  float GetDensity() const;
  b2FilterData GetFilterData() const;
  /// True when the world point lies inside the shape.
  bool TestPoint(const b2Vec2& point) const;
  /// Circle radius or polygon skin, world units.
  float GetRadius() const;
  /// Circle centre in body coordinates (circles only).
  b2Vec2 GetLocalPosition() const;
  /// Polygon vertices in body coordinates (polygons only; 0 for circles).
  int GetVertexCount() const;
  b2Vec2 GetVertex(int index) const;

 private:
  friend class b2Body;
  friend class b2World;
  b2Shape(b2Body* owner, void* engineFixture, b2ShapeType shapeType)
      : body(owner), fixture(engineFixture), type(shapeType) {}

  b2Body* body;
  // Box2D's objects are held untyped so that no Box2D name reaches the game's global namespace.
  void* fixture;
  b2ShapeType type;
};

// [SECTION] Bodies --------------------------------------------------------------------------------

/// A new body. Angle in degrees.
struct b2BodyDef {
  ImagePtr userData;
  b2Vec2 position;
  float angle = 0.0f;
  float linearDamping = 0.0f;
  float angularDamping = 0.0f;
  bool allowSleep = true;
  bool isSleeping = false;
  bool fixedRotation = false;
  bool isBullet = false;
};

/// A rigid body with the game's picture and tags. Owned by its world while it is in it; the game
/// may keep shared references, which stay safe after the body is destroyed (IsInWorld() is then
/// false, queries return the last position and angle and changes do nothing).
class b2Body : public std::enable_shared_from_this<b2Body> {
 public:
  ImagePtr userData;        ///< the picture that draws this body
  std::string typeUser;     ///< role: "ragdoll", "touch", "here", "dvig" or empty
  std::string typeTouch;    ///< never set by the game
  std::string typeRagdoll;  ///< "body" on a ragdoll torso that has not hit a box yet

  ~b2Body();
  b2Body(const b2Body&) = delete;
  b2Body& operator=(const b2Body&) = delete;

  /// Adds a shape. Its mass counts only after SetMassFromShapes.
  b2Shape* CreateShape(const b2ShapeDef& def);
  void DestroyShape(b2Shape* shape);
  /// Mass, centre and inertia from the shapes; a body whose shapes give no mass becomes static.
  void SetMassFromShapes();

  b2Vec2 GetPosition() const;
  float GetAngle() const;  ///< degrees, counter-clockwise
  b2XForm GetXForm() const;
  b2Vec2 GetWorldCenter() const;
  b2Vec2 GetLocalCenter() const;
  /// Places the body (angle in degrees) and wakes the bodies near it, which would otherwise sleep
  /// on through a platform that moves under them or into them. False when the body is not in a
  /// world or the world is inside its step.
  bool SetXForm(const b2Vec2& position, float angle);

  void SetLinearVelocity(const b2Vec2& velocity);  ///< world units per second
  b2Vec2 GetLinearVelocity() const;
  void SetAngularVelocity(float omega);  ///< degrees per second
  float GetAngularVelocity() const;      ///< degrees per second
  /// Force (mass x units / s^2) at a world point; wakes the body.
  void ApplyForce(const b2Vec2& force, const b2Vec2& point);
  void ApplyTorque(float torque);
  /// Impulse (mass x units / s) at a world point; wakes the body.
  void ApplyImpulse(const b2Vec2& impulse, const b2Vec2& point);

  float GetMass() const;
  float GetInertia() const;  ///< about the centre of mass, mass x units^2
  b2Vec2 GetWorldPoint(const b2Vec2& localPoint) const;
  b2Vec2 GetWorldVector(const b2Vec2& localVector) const;
  b2Vec2 GetLocalPoint(const b2Vec2& worldPoint) const;
  b2Vec2 GetLocalVector(const b2Vec2& worldVector) const;

  bool IsBullet() const;
  void SetBullet(bool flag);
  bool IsStatic() const;
  bool IsDynamic() const;
  /// Always false: Box2D 2.4 has no world bounds to freeze bodies at.
  bool IsFrozen() const { return false; }
  bool IsSleeping() const;
  void AllowSleeping(bool flag);
  void WakeUp();
  void PutToSleep();

  /// Newest shape first.
  b2Shape* GetShapeList() const;
  /// The next body of the world's list (older bodies follow newer ones), or null.
  b2Body* GetNext() const;
  /// The world the body is in, or null once destroyed.
  b2World* GetWorld() const { return world; }
  bool IsInWorld() const { return body != nullptr; }

 private:
  friend class b2World;
  friend class b2Shape;
  friend class b2Joint;
  b2Body(b2World* owner, void* engineBody) : world(owner), body(engineBody) {}
  /// Keeps the last transform for queries after the body has left its world.
  void RememberPlace();
  /// Drops the engine body and the shapes (the body was destroyed or its world is gone).
  void Detach();

  b2World* world;
  void* body;  ///< Box2D's body; null once destroyed
  std::vector<std::unique_ptr<b2Shape>> shapes;
  b2Vec2 lastPosition;
  float lastAngle = 0.0f;
  float slowSeconds = 0.0f;  ///< how long the body has stayed below the rest speeds (SettleResting)
};

// [SECTION] Joints --------------------------------------------------------------------------------

enum b2JointType { e_unknownJoint, e_revoluteJoint };

struct b2JointDef {
  b2JointType type = e_unknownJoint;
  b2Body* body1 = nullptr;
  b2Body* body2 = nullptr;
  bool collideConnected = false;  ///< true: the two joined bodies still collide

 protected:
  explicit b2JointDef(b2JointType jointType) : type(jointType) {}
};

/// Hinge between two bodies. Angles in degrees, speeds in degrees per second.
struct b2RevoluteJointDef : b2JointDef {
  b2RevoluteJointDef() : b2JointDef(e_revoluteJoint) {}
  /// Both bodies, the anchor as a world point; the reference angle is the bodies' current
  /// relative angle.
  void Initialize(b2Body* b1, b2Body* b2, const b2Vec2& anchor);
  void SetCollideConnected(bool flag) { collideConnected = flag; }

  b2Vec2 localAnchor1;
  b2Vec2 localAnchor2;
  float referenceAngle = 0.0f;
  bool enableLimit = false;
  float lowerAngle = 0.0f;
  float upperAngle = 0.0f;
  bool enableMotor = false;
  float motorSpeed = 0.0f;
  float maxMotorTorque = 0.0f;
};

/// A joint in a world (revolute: the only kind the game builds). Owned by the world; it goes when
/// either of its bodies is destroyed.
class b2Joint {
 public:
  b2JointType GetType() const { return type; }
  b2Body* GetBody1() const { return body1; }
  b2Body* GetBody2() const { return body2; }
  b2Vec2 GetAnchor1() const;  ///< world point
  b2Vec2 GetAnchor2() const;
  bool GetCollideConnected() const;
  b2Joint* GetNext() const;

  float GetJointAngle()
      const;  ///< degrees: second body's angle minus the first's, less the reference
  float GetJointSpeed() const;  ///< degrees per second
  bool IsLimitEnabled() const;
  float GetLowerLimit() const;  ///< degrees
  float GetUpperLimit() const;  ///< degrees
  bool IsMotorEnabled() const;

 private:
  friend class b2World;
  b2Joint(void* engineJoint, b2JointType jointType, b2Body* b1, b2Body* b2)
      : joint(engineJoint), type(jointType), body1(b1), body2(b2) {}

  void* joint;  ///< Box2D's joint
  b2JointType type;
  b2Body* body1;
  b2Body* body2;
};

// [SECTION] Callbacks -----------------------------------------------------------------------------

/// A contact point as the listener receives it (world units).
struct b2ContactPoint {
  b2Shape* shape1 = nullptr;
  b2Shape* shape2 = nullptr;
  b2Vec2 position;
  b2Vec2 velocity;  ///< of shape 2's body relative to shape 1's at the point
  b2Vec2 normal;    ///< from shape 1 to shape 2
  float separation = 0.0f;
  float friction = 0.0f;
  float restitution = 0.0f;
  std::uint32_t id = 0;
};

/// Contact events. Add comes once when two shapes start touching, Remove once when they stop;
/// both are called inside the world's step, where bodies must not be created or destroyed.
class b2ContactListener {
 public:
  virtual ~b2ContactListener() = default;
  virtual void Add(const b2ContactPoint* point) { (void)point; }
  virtual void Remove(const b2ContactPoint* point) { (void)point; }
};

/// Decides whether two shapes may collide. Box2D itself already excludes two shapes of one body,
/// two static bodies and bodies joined without collideConnected. The default applies the group
/// index and the category and mask bits.
class b2ContactFilter {
 public:
  virtual ~b2ContactFilter() = default;
  virtual bool ShouldCollide(b2Shape* shape1, b2Shape* shape2);
};

/// Debug drawing callbacks, called for what the flags select when the world draws.
class b2DebugDraw {
 public:
  enum {
    e_shapeBit = 0x0001,
    e_jointBit = 0x0002,
    e_aabbBit = 0x0008,
    e_pairBit = 0x0020,
    e_centerOfMassBit = 0x0040,
  };

  virtual ~b2DebugDraw() = default;
  void SetFlags(std::uint32_t flags) { drawFlags = flags; }
  std::uint32_t GetFlags() const { return drawFlags; }
  void AppendFlags(std::uint32_t flags) { drawFlags |= flags; }
  void ClearFlags(std::uint32_t flags) { drawFlags &= ~flags; }

  virtual void DrawPolygon(const b2Vec2* vertices, int vertexCount, const b2Color& color) = 0;
  virtual void DrawSolidPolygon(const b2Vec2* vertices, int vertexCount, const b2Color& color) = 0;
  virtual void DrawCircle(const b2Vec2& center, float radius, const b2Color& color) = 0;
  virtual void DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis,
                               const b2Color& color) = 0;
  virtual void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) = 0;
  virtual void DrawXForm(const b2XForm& xf) = 0;
  virtual void DrawPoint(const b2Vec2& p, float size, const b2Color& color) = 0;

 protected:
  std::uint32_t drawFlags = 0;
};

// [SECTION] World ---------------------------------------------------------------------------------

/// The simulated world. It owns its bodies and joints; a body the game still references after the
/// world is gone reports IsInWorld() false.
class b2World {
 public:
  /// `worldAABB` is kept for InRange only: Box2D 2.4 has no world bounds. A shape-less static
  /// ground body is created first, so it stays last in the body list.
  b2World(const b2AABB& worldAABB, const b2Vec2& gravity, bool doSleep);
  ~b2World();
  b2World(const b2World&) = delete;
  b2World& operator=(const b2World&) = delete;

  /// The callbacks are owned by the caller and must outlive their installation; null removes.
  void SetContactFilter(b2ContactFilter* filter);
  void SetContactListener(b2ContactListener* listener);
  void SetDebugDraw(b2DebugDraw* debugDraw);

  /// New static body without shapes, at the front of the body list. Null inside a step.
  std::shared_ptr<b2Body> CreateBody(const b2BodyDef& def);
  /// Removes a body with its shapes and joints. A body already gone, a body of another world, the
  /// ground body and calls inside a step are ignored.
  void DestroyBody(b2Body* body);
  /// Null inside a step or when a body is missing or not in this world.
  b2Joint* CreateJoint(const b2JointDef& def);
  void DestroyJoint(b2Joint* joint);

  b2Body* GetGroundBody() const { return groundBody.get(); }

  /// Clamps every body to MAX_LINEAR_SPEED_UNITS and MAX_ANGULAR_SPEED, then advances the world by
  /// timeStep seconds.
  void Step(float timeStep, int velocityIterations, int positionIterations);
  /// The rest assist, called once a frame after its steps: a group of awake dynamic bodies held
  /// together by joints and touching contacts, in which every body has moved slower than
  /// `restSpeed` (units per second) and turned slower than `restSpin` (degrees per second) for
  /// the last `restSeconds`, is put to sleep as one. Box2D's own sleep thresholds are far below
  /// the creep a stack of jointed parts keeps up, so such groups would never sleep. A group with a
  /// body that may not sleep stays awake.
  void SettleResting(float seconds, float restSpeed, float restSpin, float restSeconds);
  /// Joint projection, called once a frame after its steps: where the solver could not hold a
  /// hinge with limits (a limb crushed under a heavy body or wedged in a gap), the second body of
  /// the joint is put back, in the order the joints were made (a ragdoll's torso before its limbs):
  /// turned back to `maxOvershoot` degrees past the limit it broke, without the spin that carried
  /// it there, and, when its anchor stands more than `maxOpen` units from the first body's, moved
  /// onto it.
  void ProjectJoints(float maxOpen, float maxOvershoot);
  /// Calls the installed debug renderer for what its flags select; nothing without one.
  void DrawDebugData();
  /// Consistency check of the binding's view of the world; false on a mismatch.
  bool Validate() const;

  /// Newest body first; the ground body is last.
  b2Body* GetBodyList() const;
  b2Joint* GetJointList() const;
  /// Bodies including the ground body.
  int GetBodyCount() const;
  int GetJointCount() const;
  int GetContactCount() const;

  void SetGravity(const b2Vec2& gravity);
  b2Vec2 GetGravity() const;
  /// True when the box lies inside the world bounds given at creation.
  bool InRange(const b2AABB& aabb) const;
  /// True inside Step.
  bool IsLocked() const;

 private:
  friend class b2Body;
  friend class b2Joint;
  struct Engine;
  std::unique_ptr<Engine> engine;
  std::shared_ptr<b2Body> groundBody;
  b2AABB bounds;
};

}  // namespace physics
