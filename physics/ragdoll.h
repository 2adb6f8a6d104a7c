// TRagdoll, the projectile: a doll of ten bodies and nine limited hinges built around its neck
// point, and TypRagdoll, which of the four picture variants each part wears. The session builds
// one per shot and kills it when it leaves the field, overflows the level's limit or the level
// ends.
#pragma once

#include <memory>

#include "physics/binding.h"
#include "physics/physic_world.h"

/// Ragdoll pictures are drawn and sized at 76 % of their stored size.
constexpr float RAGDOLL_SCALE = 0.76f;

/// Part index of a picture in TRagdollPictures (the order they are loaded in at start-up).
enum RAGDOLL_PICTURE {
  RAGDOLL_HEAD = 0,
  RAGDOLL_BODY = 1,
  RAGDOLL_LOWER_HAND_LEFT = 2,
  RAGDOLL_LOWER_HAND_RIGHT = 3,
  RAGDOLL_UPPER_HAND = 4,
  RAGDOLL_LOWER_LEG = 5,
  RAGDOLL_UPPER_LEG = 6,
};

/// Picture variant (1-4) of each part.
class TypRagdoll {
 public:
  int tHead;
  int tBody;
  int tLowerHand;  ///< both forearms
  int tUpperHand;  ///< both upper arms
  int tLowerLeg;   ///< both shins and both thighs

  /// Each field drawn with Rand(1, 4), in field order.
  TypRagdoll();
};

class TRagdoll {
 public:
  float xR = 0.0f;  ///< the point it was built at (the neck), world units
  float yR = 0.0f;
  std::shared_ptr<physics::b2Body> head;
  std::shared_ptr<physics::b2Body> body;
  std::shared_ptr<physics::b2Body> upperLeftHand;
  std::shared_ptr<physics::b2Body> upperRightHand;
  std::shared_ptr<physics::b2Body> lowLeftHand;
  std::shared_ptr<physics::b2Body> lowRightHand;
  std::shared_ptr<physics::b2Body> upperLeftLeg;
  std::shared_ptr<physics::b2Body> upperRightLeg;
  std::shared_ptr<physics::b2Body> lowLeftLeg;
  std::shared_ptr<physics::b2Body> lowRightLeg;
  std::shared_ptr<TypRagdoll> typeRagdoll;

  /// No bodies yet, a fresh random appearance.
  TRagdoll();

  /// Builds the ten bodies and nine joints around the world point (x, y) in `world`, which must
  /// have been created. With `typ` null a new random appearance replaces typeRagdoll; otherwise
  /// typeRagdoll becomes `typ` itself (shared). Pictures come from world.links.ragdollPictures;
  /// missing ones give parts of the smallest size.
  void CreateRagdoll(const std::shared_ptr<TypRagdoll>& typ, float x, float y, TPhysicWorld& world);
  /// Destroys the ten bodies (and with them the joints); parts already gone are skipped.
  void killRagdoll(TPhysicWorld& world);
  /// Moves every part by (dx, dy) world units and sets every part's angle to `angle` degrees.
  void newPositionOfRagdoll(float dx, float dy, float angle);
};
