// Level construction: a new session makes a fresh physics world with the level's gravity and
// turns every entry of the level file into bodies, joints, pictures, sounds and the records the
// frame update walks. Nothing is loaded later during play.
#include <algorithm>
#include <cmath>

#include "effects/particles.h"
#include "game/game.h"
#include "game/level_file.h"
#include "state/globals.h"

using physics::b2BodyDef;
using physics::b2CircleDef;
using physics::b2PolygonDef;
using physics::b2RevoluteJointDef;
using physics::b2Vec2;

namespace {

constexpr int SNOWFLAKE_COUNT = 131;
constexpr int STAR_COUNT = 71;
constexpr int FIRE_SOUNDS = 8;
constexpr float SUN_DRAWN_SIZE = 300;
constexpr int KAPLA1_DRAWN_HEIGHT = 580;
/// Linear and angular damping of chain links and ends, per second: an undamped chain keeps
/// trembling and never comes to rest.
constexpr float CHAIN_DAMPING = 1.0f;

/// Pixel size / 16: the half extent in world units of a picture side.
float Half(int pixels) { return static_cast<float>(pixels) / 16.0f; }

void SetMaterial(physics::b2ShapeDef& def, float density, float friction, float restitution) {
  def.density = density;
  def.friction = friction;
  def.restitution = restitution;
}

ImagePtr LoadCentred(const std::string& path, int flags) {
  ImagePtr image = LoadImage(path, flags);
  MidHandleImage(image);
  return image;
}

/// An animated sheet a level may ask for: its file, cell size and cell count.
struct TSheet {
  const char* path;
  int cellWidth, cellHeight, cells;
};
constexpr TSheet SPIDER_SHEET{"levels_pic/spider.png", 40, 200, 182};
constexpr TSheet SUN_SHEET{"levels_pic/sun.png", 150, 150, 42};
constexpr TSheet CROW_SHEET{"levels_pic/crow.png", 170, 70, 32};
constexpr TSheet SNOWMAN_H_SHEET{"levels_pic/snowmanH.png", 130, 170, 60};
constexpr TSheet SNOWMAN_E_SHEET{"levels_pic/snowmanE.png", 120, 170, 60};
constexpr TSheet KAPLA1_SHEET{"levels_pic/kapla1.png", 20, 590, 62};
constexpr TSheet KAPLA2_SHEET{"levels_pic/kapla2.png", 20, 590, 42};
constexpr TSheet KOMETA_SHEET{"levels_pic/kometa.png", 240, 90, 165};

ImagePtr LoadSheet(const TSheet& sheet) {
  return LoadAnimImage(sheet.path, sheet.cellWidth, sheet.cellHeight, 0, sheet.cells);
}

ImagePtr LoadSheetCentred(const TSheet& sheet) {
  ImagePtr image = LoadSheet(sheet);
  MidHandleImage(image);
  return image;
}

void PrepareSheet(const TSheet& sheet) {
  PrepareAnimImage(sheet.path, sheet.cellWidth, sheet.cellHeight, 0, sheet.cells);
}

std::string FireSoundPath(int shot) { return "sounds/fire" + std::to_string(shot + 1) + ".ogg"; }
std::string ThunderSoundPath(std::size_t i) {
  return "sounds/thunder" + std::to_string(i + 1) + ".ogg";
}
const std::string RAIN1_SOUND = "sounds/rain1.ogg";
const std::string RAIN2_SOUND = "sounds/rain2.ogg";
const std::string DROP1_SOUND = "sounds/drop1.ogg";
const std::string DROP2_SOUND = "sounds/drop2.ogg";

}  // namespace

void PrepareLevel(int level) {
  const std::string path = LevelAssetPath(level);
  if (!IsEmbeddedAsset(path)) return;
  // Reading ahead is not loading the level: the log stays for what the player starts.
  const bool quiet = LogQuiet();
  SetLogQuiet(true);
  const TLevelFile file = LoadLevelFile(path);
  SetLogQuiet(quiet);
  if (!file.fon.empty()) PrepareImage("fones/" + file.fon);
  if (file.spiderX > 0) PrepareSheet(SPIDER_SHEET);
  if (file.sunX > 0) PrepareSheet(SUN_SHEET);
  if (file.crow > 0) PrepareSheet(CROW_SHEET);
  if (file.snowmanTyp == "H") PrepareSheet(SNOWMAN_H_SHEET);
  if (file.snowmanTyp == "E") PrepareSheet(SNOWMAN_E_SHEET);
  if (file.weather == "rain1") PrepareSound(RAIN1_SOUND, SOUND_LOOP);
  if (file.weather == "rain2") PrepareSound(RAIN2_SOUND, SOUND_LOOP);
  if (file.thunder == "true") {
    for (std::size_t i = 0; i < THUNDER_SOUNDS; ++i) PrepareSound(ThunderSoundPath(i), 0);
  }
  if (file.shot >= 0 && file.shot < FIRE_SOUNDS) PrepareSound(FireSoundPath(file.shot), 0);
  for (const TBodyEntry& entry : file.bodies) {
    PrepareImage("bodies_pic/" + entry.name, FILTEREDIMAGE);
    if (entry.shape == "l" && !entry.lastLink.empty())
      PrepareImage("bodies_pic/" + entry.lastLink, FILTEREDIMAGE);
  }
  for (const TPicEntry& pic : file.pics) PrepareImage("levels_pic/" + pic.name, FILTEREDIMAGE);
  for (const TCloudEntry& cloud : file.clouds)
    PrepareImage("levels_pic/" + cloud.name, FILTEREDIMAGE);
  if (file.hasDrops) {
    PrepareSound(DROP1_SOUND, 0);
    PrepareSound(DROP2_SOUND, 0);
    PrepareSheet(KAPLA1_SHEET);
    PrepareSheet(KAPLA2_SHEET);
  }
  if (file.hasComets) PrepareSheet(KOMETA_SHEET);
}

std::shared_ptr<TGame> StartSession(int level) {
  SetOwnLevel(nullptr);
  currentLevel = level;
  auto session = std::make_shared<TGame>();
  ForgetPreparation();
  PrepareLevel(level);  // held for a restart, and for the next level where they share
  PrepareLevel(level + 1);
  return session;
}

namespace {
std::shared_ptr<const TOwnLevel> ownLevel;
}  // namespace

void SetOwnLevel(std::shared_ptr<const TOwnLevel> level) { ownLevel = std::move(level); }

const std::shared_ptr<const TOwnLevel>& OwnLevel() { return ownLevel; }

std::shared_ptr<TGame> StartOwnSession(std::shared_ptr<const TOwnLevel> level) {
  ForgetPreparation();
  SetOwnLevel(std::move(level));
  return std::make_shared<TGame>();
}

TSessionLinks& SessionLinks() {
  static TSessionLinks links;
  return links;
}

TGame::TGame() {
  createWrld();
  SetUpPlayAids();
}

TLevelFile TGame::ReadSessionLevel() const {
  if (ownLevel && ownLevel->level) return *ownLevel->level;
  return LoadLevelFile(LevelAssetPath(currentLevel));
}

std::string TGame::LevelLabel() const {
  if (!ownLevel) return "Level " + std::to_string(currentLevel);
  return "Level \"" + (ownLevel->name.empty() ? ownLevel->path : ownLevel->name) + "\"";
}

TGame::~TGame() { Free(); }

void TGame::createWrld() {
  FlushKeys();
  const TLevelFile level = ReadSessionLevel();
  b2Vec2 gravity(0, -GRAVITY_UNITS);
  if (level.gravity == "up") gravity = b2Vec2(0, GRAVITY_UNITS);
  if (level.gravity == "left") gravity = b2Vec2(-GRAVITY_UNITS, 0);
  if (level.gravity == "right") gravity = b2Vec2(GRAVITY_UNITS, 0);
  m_world = std::make_unique<TPhysicWorld>(graphicsHertz > 0 ? graphicsHertz : FRAME_HERTZ);
  m_world->links =
      TWorldLinks{&soundOn, &shared.fall, &shared.ragdoll,
                  [this](float x, float y) { AddSpark(bazList, &shared.baz, x, y); }, &touch};
  m_world->CreateWrld(gravity);
  m_world->debugZ = 1;
  pendingLevel = std::make_unique<TLevelFile>(level);
  LoadLevel();
}

void TGame::LoadLevel() {
  // The file was read once by createWrld; a direct call reads it again.
  std::unique_ptr<TLevelFile> owned = std::move(pendingLevel);
  if (!owned) owned = std::make_unique<TLevelFile>(ReadSessionLevel());
  const TLevelFile& level = *owned;
  // What reading the file changed (its numbers are clamped and its entries cut to the limits).
  for (const std::string& note : level.notes) LogLine(LevelLabel() + ": " + note);

  backgroundImage = level.fon.empty() ? nullptr : LoadImage("fones/" + level.fon);

  shotsX = level.shotsX;
  shotsY = level.shotsY;
  levX = level.levX;
  levY = level.levY;
  nextX = level.nextX;
  nextY = level.nextY;
  ragdollCount = level.limitRagdoll;
  weather = level.weather;
  thund = level.thunder;
  soundShot = level.shot;

  // Creatures: switches, positions and pictures.
  mousY = static_cast<float>(level.mouse);
  spidX = static_cast<float>(level.spiderX);
  spidY = static_cast<float>(level.spiderY);
  sunX = level.sunX;
  sunY = level.sunY;
  crowY = static_cast<float>(level.crow);
  smX = static_cast<float>(level.snowmanX);
  smY = static_cast<float>(level.snowmanY);
  smTyp = level.snowmanTyp;
  if (level.mouse > 0) mousInit = 1;
  if (level.spiderX > 0) {
    spidInit = 1;
    spidFrame = 0;
    spider_pic = LoadSheetCentred(SPIDER_SHEET);
  }
  if (level.sunX > 0) {
    sunfl = 1;
    sun_pic = LoadSheet(SUN_SHEET);
    if (sun_pic) {
      sun_pic->width = static_cast<int>(SUN_DRAWN_SIZE);
      sun_pic->height = static_cast<int>(SUN_DRAWN_SIZE);
      MidHandleImage(sun_pic);
    }
  }
  if (level.crow > 0) {
    crowInit = 1;
    crow_pic = LoadSheet(CROW_SHEET);
  }
  if (level.snowmanX > 0) smInit = 1;
  if (smTyp == "H") snowmanH_pic = LoadSheetCentred(SNOWMAN_H_SHEET);
  if (smTyp == "E") snowmanE_pic = LoadSheetCentred(SNOWMAN_E_SHEET);

  // Weather.
  if (weather == "snow") {
    snowList = std::make_unique<TSnowList>();
    for (int i = 0; i < SNOWFLAKE_COUNT; ++i) snowList->push_back(TSnowflake::Create(shared.snow));
  }
  if (weather == "stars") {
    starsList = std::make_unique<TStarList>();
    for (int i = 0; i < STAR_COUNT; ++i) starsList->push_back(std::make_shared<TStar>());
  }
  if (weather == "rain1") rain1_sound = LoadSound(RAIN1_SOUND, SOUND_LOOP);
  if (weather == "rain2") rain2_sound = LoadSound(RAIN2_SOUND, SOUND_LOOP);
  if (thund == "true") {
    for (std::size_t i = 0; i < thunder_sound.size(); ++i) {
      thunder_sound[i] = LoadSound(ThunderSoundPath(i), 0);
    }
  }

  if (soundShot >= 0 && soundShot < FIRE_SOUNDS) {
    fire_sound = LoadSound(FireSoundPath(soundShot), 0);
  }

  BuildBodies(level);

  if (level.hasPortals) {
    portals = 1;
    const TPortalEntry& p = level.portals;
    xIn = p.xIn;
    yIn = p.yIn;
    angleIn = p.angleIn;
    xOut = p.xOut;
    yOut = p.yOut;
    angleOut = p.angleOut;
    forceOutX = p.forceOutX;
    forceOutY = p.forceOutY;
  }

  for (std::size_t i = 0; i < level.pics.size(); ++i) {
    const TPicEntry& pic = level.pics[i];
    ImagePtr picture = LoadCentred("levels_pic/" + pic.name, FILTEREDIMAGE);
    if (!TakePicturePixels(picture, 1, "decoration " + std::to_string(i + 1))) break;
    levelsPics.push_back(PicLevel{picture, pic.x, pic.y, pic.angle});
  }
  for (std::size_t i = 0; i < level.clouds.size(); ++i) {
    const TCloudEntry& cloud = level.clouds[i];
    ImagePtr picture = LoadCentred("levels_pic/" + cloud.name, FILTEREDIMAGE);
    if (!TakePicturePixels(picture, 1, "cloud " + std::to_string(i + 1))) break;
    oblakaList.push_back(Oblako{picture, cloud.x, cloud.y, cloud.direct, cloud.speed});
  }

  if (level.hasDrops) {
    drop1_sound = LoadSound(DROP1_SOUND, 0);
    drop2_sound = LoadSound(DROP2_SOUND, 0);
    kapla1_pic = LoadSheetCentred(KAPLA1_SHEET);
    if (kapla1_pic) kapla1_pic->height = KAPLA1_DRAWN_HEIGHT;  // the handle stays at 295
    kapla2_pic = LoadSheetCentred(KAPLA2_SHEET);
    for (const TDropEntry& drop : level.drops) {
      kapliList.push_back(TKapla{drop.kind, static_cast<float>(drop.x), static_cast<float>(drop.y),
                                 drop.scaleX, drop.scaleY, 0});
    }
  }

  if (level.hasComets) {
    kometa_pic = LoadSheetCentred(KOMETA_SHEET);
    for (const TCometEntry& c : level.comets) {
      kometyList.push_back(
          TKometa{c.speed, c.x0, c.y0, c.x, c.y, c.scaleX, c.scaleY, 0, 0, 0, c.angle});
    }
  }
}

bool TGame::TakePicturePixels(const ImagePtr& picture, int copies, const std::string& what) {
  if (picturePixelsLeft < 0) return false;  // already past the budget: said so once
  const long long pixels =
      static_cast<long long>(ImageWidth(picture)) * ImageHeight(picture) * copies;
  if (pixels <= picturePixelsLeft) {
    picturePixelsLeft -= pixels;
    return true;
  }
  picturePixelsLeft = -1;
  LogLine(LevelLabel() + ": " + what +
          " and the pictures after it are left out: " + "the pictures of a level may cover " +
          std::to_string(MAX_LEVEL_PICTURE_PIXELS) + " pixels in all");
  return false;
}

void TGame::BuildBodies(const TLevelFile& level) {
  picturePixelsLeft = MAX_LEVEL_PICTURE_PIXELS;
  bulletBoxes = 0;
  for (std::size_t i = 0; i < level.bodies.size(); ++i) {
    const TBodyEntry& entry = level.bodies[i];
    ImagePtr picture = LoadImage("bodies_pic/" + entry.name, FILTEREDIMAGE);
    if (picture) {
      // The product is taken in double precision: 600 x 0.95f is just under 570 and gives 569.
      picture->width = TruncToInt(picture->width * static_cast<double>(entry.scaleX));
      picture->height = TruncToInt(picture->height * static_cast<double>(entry.scaleY));
      MidHandleImage(picture);
    }
    // A chain draws its picture once for the anchor and each link; its end is counted when built.
    const int copies = entry.shape == "l" ? (EntryBodies(entry) > 0 ? 1 + entry.countLinks : 0)
                                          : EntryBodies(entry);
    if (!TakePicturePixels(picture, copies, "body " + std::to_string(i + 1))) break;
    const float x = entry.x / 16 * 2;
    const float y = -(entry.y / 16 * 2);
    if (entry.shape == "r") BuildBox(entry, picture, x, y);
    if (entry.shape == "c") BuildCircle(entry, picture, x, y);
    if (entry.shape == "l") BuildChain(entry, picture, x, y);
  }
}

void TGame::BuildBox(const TBodyEntry& entry, const ImagePtr& picture, float x, float y) {
  physics::b2World& world = *m_world->world;
  const bool sliding =
      entry.move == "left" || entry.move == "up" || entry.move == "right" || entry.move == "down";
  b2PolygonDef shape;
  shape.SetAsBox(Half(ImageWidth(picture)), Half(ImageHeight(picture)));
  if (entry.typ == "d" || !entry.move.empty()) SetMaterial(shape, entry.density, 0.2f, 0.1f);
  if (sliding) SetMaterial(shape, 0, 0, 0);  // a sliding box is placed, not simulated

  b2BodyDef def;
  def.position = b2Vec2(x, y);
  def.angle = entry.angle;
  def.userData = picture;
  BodyPtr body = world.CreateBody(def);
  if (!body) return;
  body->CreateShape(shape);
  body->SetMassFromShapes();
  body->SetBullet(++bulletBoxes <= MAX_BULLET_BOXES);
  body->typeUser = entry.target ? "here" : "touch";
  if (entry.typ == "s" && entry.rotatingSpeed != 0)
    rotatingList.push_back(rotatingBody{body, entry.rotatingSpeed});
  if (sliding) {
    body->typeUser = "dvig";
    const b2Vec2 at = body->GetPosition();
    movingList.push_back(MovingBody{body, entry.move, entry.speed, at.y, at.x, body->GetAngle()});
  }
  if (body->typeUser != "dvig" && body->IsStatic()) staticBodies.push_back(body);
}

void TGame::BuildCircle(const TBodyEntry& entry, const ImagePtr& picture, float x, float y) {
  physics::b2World& world = *m_world->world;
  b2CircleDef shape;
  shape.radius = Half(ImageWidth(picture));
  if (entry.typ == "d") SetMaterial(shape, entry.density, 0.2f, 0.1f);
  b2BodyDef def;
  def.position = b2Vec2(x, y);
  def.angle = entry.angle;
  def.userData = picture;
  BodyPtr body = world.CreateBody(def);
  if (!body) return;
  if (entry.target) body->typeUser = "here";
  if (entry.typ == "s" && entry.rotatingSpeed != 0)
    rotatingList.push_back(rotatingBody{body, entry.rotatingSpeed});
  body->CreateShape(shape);
  body->SetMassFromShapes();
  if (body->IsStatic()) staticBodies.push_back(body);
}

void TGame::BuildChain(const TBodyEntry& entry, const ImagePtr& picture, float x, float y) {
  // Only the two directions the format defines build a chain.
  const bool down = entry.direct == "down";
  if (!down && entry.direct != "right") return;
  physics::b2World& world = *m_world->world;
  // The anchor, the links and the end share a group of their own: links that met other links of
  // their chain would knot it.
  const std::int16_t group = m_world->NextOwnGroup();
  // Links are spaced by their size. Without a picture they are built as from a one-pixel picture
  // (the smallest shape) and spaced as such: spaced by nothing they would all lie in one spot,
  // every link touching every other, and the steps of such a pile grow with the square of its
  // length.
  const float w = static_cast<float>(std::max(ImageWidth(picture), 1));
  const float h = static_cast<float>(std::max(ImageHeight(picture), 1));

  b2PolygonDef anchorShape;
  anchorShape.SetAsBox(w / 16, h / 16);
  anchorShape.filter.groupIndex = group;
  b2BodyDef anchorDef;
  anchorDef.position = b2Vec2(x, y);
  anchorDef.userData = picture;
  BodyPtr anchor = world.CreateBody(anchorDef);
  if (!anchor) return;
  anchor->CreateShape(anchorShape);
  anchor->SetMassFromShapes();

  b2PolygonDef linkShape;
  linkShape.SetAsBox(w / 16, h / 16);
  SetMaterial(linkShape, 0.05f, 0.3f, 0.1f);
  linkShape.filter.groupIndex = group;
  b2RevoluteJointDef joint;
  joint.SetCollideConnected(false);

  auto pointAt = [&](int steps) {
    return down ? b2Vec2(x, y - static_cast<float>(steps) * h / 16)
                : b2Vec2(x + static_cast<float>(steps) * w / 16, y);
  };
  physics::b2Body* previous = anchor.get();
  const int links = std::clamp(entry.countLinks, 0, MAX_CHAIN_LINKS);  // reading keeps it so
  for (int k = 0; k < links; ++k) {
    const b2Vec2 p = pointAt(k);
    b2BodyDef linkDef;
    linkDef.position = p;
    linkDef.userData = picture;
    linkDef.linearDamping = CHAIN_DAMPING;
    linkDef.angularDamping = CHAIN_DAMPING;
    BodyPtr link = world.CreateBody(linkDef);
    if (!link) return;
    link->CreateShape(linkShape);
    link->SetMassFromShapes();
    joint.Initialize(previous, link.get(), p);
    world.CreateJoint(joint);
    previous = link.get();
  }

  if (entry.lastLink.empty()) return;
  ImagePtr endPicture = LoadCentred("bodies_pic/" + entry.lastLink, FILTEREDIMAGE);
  if (!TakePicturePixels(endPicture, 1, "the end of the chain")) return;
  const b2Vec2 q = pointAt(links + 1);
  const float endW = static_cast<float>(ImageWidth(endPicture));
  const float endH = static_cast<float>(ImageHeight(endPicture));
  b2BodyDef endDef;
  endDef.position = q;
  endDef.userData = endPicture;
  endDef.linearDamping = CHAIN_DAMPING;
  endDef.angularDamping = CHAIN_DAMPING;
  if (entry.shapeLast == "c") {
    b2CircleDef endShape;
    endShape.radius = endW / 16;
    endShape.filter.groupIndex = group;
    if (entry.typ == "d") SetMaterial(endShape, 0.1f, 0.2f, 0.1f);
    BodyPtr end = world.CreateBody(endDef);
    if (!end) return;
    end->CreateShape(endShape);
    end->SetMassFromShapes();
    joint.Initialize(previous, end.get(), q);
    world.CreateJoint(joint);
  } else if (entry.shapeLast == "r" && endPicture) {
    // A box end needs its picture for a size; without one no end body is built.
    b2PolygonDef endShape;
    endShape.SetAsBox(endW / 16, endH / 16);
    endShape.filter.groupIndex = group;
    if (entry.typ == "d") SetMaterial(endShape, 0.1f, 0.2f, 0.1f);
    endDef.angle = entry.angle;
    BodyPtr end = world.CreateBody(endDef);
    if (!end) return;
    end->CreateShape(endShape);
    end->SetMassFromShapes();
    joint.Initialize(previous, end.get(), q);
    world.CreateJoint(joint);
  }
}
