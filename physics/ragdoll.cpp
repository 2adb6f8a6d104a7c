// Building, moving and destroying a ragdoll. Sizes come from the shrunk pictures (half extents are
// pixels / 16); centres, anchors and limits are the doll's fixed proportions.
#include "physics/ragdoll.h"

#include <array>
#include <cstdint>

using physics::b2Vec2;
using BodyPtr = std::shared_ptr<physics::b2Body>;

namespace {

constexpr float PART_DENSITY = 0.1f;
constexpr float PART_FRICTION = 0.1f;
constexpr float PART_RESTITUTION = 0.1f;
/// Pixels per two world units: a picture w pixels wide gives a half extent of w / 16.
constexpr float HALF_EXTENT_PIXELS = 2.0f * PIXELS_PER_UNIT;

ImagePtr Picture(const TWorldLinks& links, int variant, RAGDOLL_PICTURE part) {
  if (!links.ragdollPictures || variant < 1 || variant > 4) return nullptr;
  return (*links.ragdollPictures)[variant - 1][part];
}

float HalfWidth(const ImagePtr& picture) { return ImageWidth(picture) / HALF_EXTENT_PIXELS; }
float HalfHeight(const ImagePtr& picture) { return ImageHeight(picture) / HALF_EXTENT_PIXELS; }

void SetMaterial(physics::b2ShapeDef& shape) {
  shape.density = PART_DENSITY;
  shape.friction = PART_FRICTION;
  shape.restitution = PART_RESTITUTION;
}

BodyPtr MakePart(physics::b2World& world, const physics::b2ShapeDef& shape, const ImagePtr& picture,
                 b2Vec2 centre) {
  physics::b2BodyDef def;
  def.position = centre;
  def.userData = picture;
  auto part = world.CreateBody(def);
  part->CreateShape(shape);
  part->SetMassFromShapes();
  part->typeUser = "ragdoll";
  return part;
}

BodyPtr MakeBox(physics::b2World& world, std::int16_t group, const ImagePtr& picture, float hx,
                float hy, b2Vec2 centre) {
  physics::b2PolygonDef box;
  box.SetAsBox(hx, hy);
  SetMaterial(box);
  box.filter.groupIndex = group;
  return MakePart(world, box, picture, centre);
}

// NOTE: the parts overlap where they meet (the upper arms lie across the torso, some anchors lie
// outside one of their bodies), so parts of one doll that collided would push against their joints
// in every step: the doll would crawl and never sleep. The doll's own group keeps them apart.
void Hinge(physics::b2World& world, physics::b2Body* first, physics::b2Body* second, b2Vec2 anchor,
           float lower, float upper) {
  physics::b2RevoluteJointDef joint;
  joint.Initialize(first, second, anchor);
  joint.enableLimit = true;
  joint.lowerAngle = lower;
  joint.upperAngle = upper;
  joint.collideConnected = false;
  world.CreateJoint(joint);
}

}  // namespace

TypRagdoll::TypRagdoll()
    : tHead(Rand(1, 4)),
      tBody(Rand(1, 4)),
      tLowerHand(Rand(1, 4)),
      tUpperHand(Rand(1, 4)),
      tLowerLeg(Rand(1, 4)) {}

TRagdoll::TRagdoll() : typeRagdoll(std::make_shared<TypRagdoll>()) {}

void TRagdoll::CreateRagdoll(const std::shared_ptr<TypRagdoll>& typ, float x, float y,
                             TPhysicWorld& world) {
  typeRagdoll = typ ? typ : std::make_shared<TypRagdoll>();
  if (!world.world) return;
  const TypRagdoll& t = *typeRagdoll;
  physics::b2World& w = *world.world;

  const ImagePtr headPic = Picture(world.links, t.tHead, RAGDOLL_HEAD);
  const ImagePtr bodyPic = Picture(world.links, t.tBody, RAGDOLL_BODY);
  const ImagePtr lowerLeftPic = Picture(world.links, t.tLowerHand, RAGDOLL_LOWER_HAND_LEFT);
  const ImagePtr lowerRightPic = Picture(world.links, t.tLowerHand, RAGDOLL_LOWER_HAND_RIGHT);
  const ImagePtr upperHandPic = Picture(world.links, t.tUpperHand, RAGDOLL_UPPER_HAND);
  const ImagePtr lowerLegPic = Picture(world.links, t.tLowerLeg, RAGDOLL_LOWER_LEG);
  const ImagePtr upperLegPic = Picture(world.links, t.tLowerLeg, RAGDOLL_UPPER_LEG);
  for (const ImagePtr& picture :
       {headPic, bodyPic, lowerLeftPic, lowerRightPic, upperHandPic, lowerLegPic, upperLegPic}) {
    if (picture) MidHandleImage(picture);
  }

  xR = x;
  yR = y;
  const float bw = HalfWidth(bodyPic);
  const float bh = HalfHeight(bodyPic);
  const std::int16_t group = world.NextOwnGroup();

  physics::b2CircleDef circle;
  circle.radius = HalfWidth(headPic);
  SetMaterial(circle);
  circle.filter.groupIndex = group;
  head = MakePart(w, circle, headPic, {x, y + 1.0f * RAGDOLL_SCALE});

  body = MakeBox(w, group, bodyPic, bw, bh, {x, y - bh / 1.0f});
  body->typeRagdoll = "body";

  const float uhx = HalfWidth(upperHandPic);
  const float uhy = HalfHeight(upperHandPic);
  upperLeftHand = MakeBox(w, group, upperHandPic, uhx, uhy, {x - bw * 2.8f, y - bh / 2.0f});
  upperRightHand = MakeBox(w, group, upperHandPic, uhx, uhy, {x + bw * 2.8f, y - bh / 2.0f});

  // Both forearms are sized from the left forearm's picture.
  const float lhx = HalfWidth(lowerLeftPic);
  const float lhy = HalfHeight(lowerLeftPic);
  lowLeftHand = MakeBox(w, group, lowerLeftPic, lhx, lhy, {x - bw * 7.1f, y - bh / 2.1f});
  lowRightHand = MakeBox(w, group, lowerRightPic, lhx, lhy, {x + bw * 7.1f, y - bh / 2.1f});

  const float ulx = HalfWidth(upperLegPic);
  const float uly = HalfHeight(upperLegPic);
  upperLeftLeg = MakeBox(w, group, upperLegPic, ulx, uly, {x - bw * 0.9f, y - bh * 2.3f});
  upperRightLeg = MakeBox(w, group, upperLegPic, ulx, uly, {x + bw * 0.9f, y - bh * 2.3f});

  // The shins start level with the thighs, overlapping them, and swing freely about their knees
  // below both centres.
  const float llx = HalfWidth(lowerLegPic);
  const float lly = HalfHeight(lowerLegPic);
  lowLeftLeg = MakeBox(w, group, lowerLegPic, llx, lly, {x - bw * 0.8f, y - bh * 2.3f});
  lowRightLeg = MakeBox(w, group, lowerLegPic, llx, lly, {x + bw * 0.8f, y - bh * 2.3f});

  const float s = RAGDOLL_SCALE;
  Hinge(w, body.get(), head.get(), {x, y}, -30.0f, 30.0f);
  Hinge(w, body.get(), upperLeftHand.get(), {x - 0.03f * s, y - 0.1f * s}, -85.0f, 30.0f);
  Hinge(w, body.get(), upperRightHand.get(), {x + 0.03f * s, y - 0.1f * s}, -30.0f, 85.0f);
  Hinge(w, upperLeftHand.get(), lowLeftHand.get(), {x - 1.9f * s, y - 0.7f * s}, -10.0f, 130.0f);
  Hinge(w, upperRightHand.get(), lowRightHand.get(), {x + 1.9f * s, y - 0.7f * s}, -130.0f, 10.0f);
  Hinge(w, body.get(), upperLeftLeg.get(), {x - 0.7f * s, y - 2.1f * s}, -25.0f, 45.0f);
  Hinge(w, body.get(), upperRightLeg.get(), {x + 0.7f * s, y - 2.1f * s}, -45.0f, 25.0f);
  Hinge(w, upperLeftLeg.get(), lowLeftLeg.get(), {x - 0.3f * s, y - 3.8f * s}, -10.0f, 190.0f);
  Hinge(w, upperRightLeg.get(), lowRightLeg.get(), {x + 0.3f * s, y - 3.8f * s}, -190.0f, 10.0f);
}

void TRagdoll::killRagdoll(TPhysicWorld& world) {
  if (!world.world) return;
  // DestroyBody skips a part that is already gone, so no part is ever destroyed twice.
  for (const auto* part :
       {&head, &body, &upperLeftHand, &upperRightHand, &lowLeftHand, &lowRightHand, &upperLeftLeg,
        &upperRightLeg, &lowLeftLeg, &lowRightLeg}) {
    if (*part) world.world->DestroyBody(part->get());
  }
}

void TRagdoll::newPositionOfRagdoll(float dx, float dy, float angle) {
  for (const auto* part :
       {&body, &head, &upperLeftHand, &upperRightHand, &lowLeftHand, &lowRightHand, &upperLeftLeg,
        &upperRightLeg, &lowLeftLeg, &lowRightLeg}) {
    if (*part) (*part)->SetXForm((*part)->GetPosition() + b2Vec2{dx, dy}, angle);
  }
}
