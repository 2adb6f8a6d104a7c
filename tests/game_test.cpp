// The game session: reading level files, building levels into bodies, joints and records,
// firing, the limits, the win bookkeeping, the counters, and the portals, sliders and turning
// bodies. Levels are small files registered as assets; pictures come from the game's asset pack.
#include "game/game.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

#include "app/app.h"
#include "game/level_file.h"
#include "gui/kiv_table.h"
#include "screens/lev_select.h"
#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

using physics::b2Body;

/// Headless window, the asset pack and the shared pictures, once for the whole program.
class GameEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetLogQuiet(true);
    SetHeadless(true);
    ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0));
    RegisterEmbeddedAssets();
    LoadSharedMedia();
    graphicsHertz = 60;
  }
  void TearDown() override {
    session = nullptr;
    EndGraphics();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new GameEnvironment);

int nextLevelNumber = 1000;

/// Registers a level file made of `rootAttributes` and `sections` and returns its number.
int RegisterLevel(const std::string& rootAttributes, const std::string& sections) {
  const std::string text =
      "<?xml version=\"1.0\"?>\n<level " + rootAttributes + " >\n" + sections + "\n</level>\n";
  const int number = nextLevelNumber++;
  RegisterAssetBytes(LevelAssetPath(number), std::vector<std::uint8_t>(text.begin(), text.end()));
  return number;
}

std::string Bodies(const std::string& entries) { return "<bodies>\n" + entries + "\n</bodies>"; }

const char* const FLOOR =
    R"(<body Name="borderPlankGorizontal1Big.png" x="400" y="595" typ="s" shape="r" />)";

/// A session of the given level, with drawing off unless asked for.
std::shared_ptr<TGame> Play(int level, bool drawing = false) {
  currentLevel = level;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = drawing;
  return game;
}

std::vector<b2Body*> Bodies(const TGame& game) {
  std::vector<b2Body*> out;
  for (b2Body* b = game.m_world->world->GetBodyList(); b != nullptr; b = b->GetNext())
    out.push_back(b);
  return out;
}

/// Runs frames with the mouse at (x, y).
void RunFrames(TGame& game, int frames, int x = 400, int y = 300) {
  InjectMouseMove(x, y);
  for (int i = 0; i < frames; ++i) game.Update();
}

/// Fires one shot and runs the frames until its ragdoll leaves the cannon.
void Fire(TGame& game, int x = 400, int y = 300) {
  RunFrames(game, 1, x, y);
  game.shotRagdoll();
  RunFrames(game, CANNON_LAUNCH_FRAME - 1, x, y);
}

// [SECTION] Level file --------------------------------------------------------------------------

TEST(LevelFileTest, ValuesAreConvertedAsTheFormatSays) {
  const std::string text = R"(<?xml version="1.0" encoding="windows-1251"?>
<level fon="fon3.jpg" shot="6" weather="" shot="6" limitRagdoll="7x" gravity="Left">
  <BODIES>
    <thing Name="a.png" x="10.5" y="-3" scaleX="0" density="0" target="TRUE" typ="D" shape="r" />
    <body Name="b.png" scaleX="1.7" scaleY="0.95" density="2" target="yes" />
  </BODIES>
  <portals xIn="5" angleIn="" xOut="79" yOut="78" forceOutX="-4" forceOutY="-12" />
  <kapli>
    <kapla Name="1" x="100" y="40" />
  <kapli>
</level>)";
  xmlDocument document;
  document.LoadBytes(std::vector<std::uint8_t>(text.begin(), text.end()));
  const TLevelFile level = ReadLevelFile(document);
  EXPECT_EQ(level.shot, 6) << "the last of a repeated attribute counts";
  EXPECT_EQ(level.limitRagdoll, 7) << "a leading number is read";
  EXPECT_EQ(level.gravity, "Left");
  ASSERT_EQ(level.bodies.size(), 2u);
  const TBodyEntry& a = level.bodies[0];
  EXPECT_FLOAT_EQ(a.x, 10.5f);
  EXPECT_FLOAT_EQ(a.scaleX, 1.0f) << "scale 0 is unscaled";
  EXPECT_FLOAT_EQ(a.scaleY, 1.0f) << "no scale is unscaled";
  EXPECT_FLOAT_EQ(a.density, 0.1f) << "density 0 means 0.1";
  EXPECT_TRUE(a.target) << "target in capitals";
  EXPECT_EQ(a.typ, "D");
  EXPECT_FALSE(level.bodies[1].target);
  EXPECT_FLOAT_EQ(level.bodies[1].scaleY, 0.95f);
  EXPECT_TRUE(level.hasPortals);
  EXPECT_FLOAT_EQ(level.portals.angleIn, 0);
  EXPECT_FLOAT_EQ(level.portals.forceOutY, -12);
  ASSERT_TRUE(level.hasDrops);
  ASSERT_EQ(level.drops.size(), 2u)
      << "a section closed by a second opening tag gains an empty drop";
  EXPECT_EQ(level.drops[0].kind, 1);
  EXPECT_EQ(level.drops[1].kind, 0);
  EXPECT_EQ(level.drops[1].x, 0);
}

// [SECTION] Construction ------------------------------------------------------------------------

TEST(ConstructionTest, ChainDownBuildsLinksHalfALinkApart) {
  const int n = RegisterLevel(
      "",
      Bodies(
          R"(<body Name="link.png" x="759" y="395" typ="d" shape="l" countLinks="20" direct="down" />)"));
  auto game = Play(n);
  const auto bodies = Bodies(*game);
  EXPECT_EQ(game->m_world->world->GetBodyCount(), 22) << "anchor, 20 links and the ground body";
  EXPECT_EQ(game->m_world->world->GetJointCount(), 20);
  // Newest first: bodies[0] is link 19, bodies[19] link 0, bodies[20] the anchor.
  const b2Body* anchor = bodies[20];
  EXPECT_TRUE(anchor->IsStatic());
  EXPECT_FLOAT_EQ(bodies[19]->GetPosition().y, anchor->GetPosition().y)
      << "link 0 lies on the anchor";
  for (int k = 1; k < 20; ++k) {
    const float gap = (bodies[static_cast<std::size_t>(20 - k)]->GetPosition().y -
                       bodies[static_cast<std::size_t>(19 - k)]->GetPosition().y) *
                      8;
    EXPECT_NEAR(gap, 7.0f, 1e-3f) << "link " << k;
  }
  EXPECT_TRUE(game->staticBodies.empty()) << "no chain body is a static body for sliders";
  EXPECT_EQ(anchor->typeUser, "");
}

TEST(ConstructionTest, ChainEndCircleStandsOneStepFurtherOut) {
  const int n = RegisterLevel(
      "",
      Bodies(
          R"(<body Name="link.png" x="100" y="100" typ="d" shape="l" countLinks="3" direct="right" lastLink="ballMedium1.png" shapeLast="c" />)"));
  auto game = Play(n);
  const auto bodies = Bodies(*game);
  ASSERT_EQ(bodies.size(), 6u);
  const b2Body* end = bodies[0];
  const b2Body* anchor = bodies[4];
  EXPECT_NEAR(end->GetShapeList()->GetRadius(), 61.0f / 16, 1e-5f);
  EXPECT_NEAR((end->GetPosition().x - anchor->GetPosition().x) * 8, 18.0f, 1e-3f);
  EXPECT_TRUE(end->IsDynamic());
}

TEST(ConstructionTest, BoxesAndCirclesGetTheirTagsAndLists) {
  struct Case {
    const char* entry;
    const char* tag;
    bool isStatic, moving, inStatics, bullet;
  };
  const Case cases[] = {
      {R"(<body Name="staticBoxSmall.png" x="100" y="100" typ="s" shape="r" />)", "touch", true,
       false, true, true},
      {R"(<body Name="movingPlankSmallGorizont.png" x="100" y="100" typ="s" shape="r" move="down" speed="0.5" />)",
       "dvig", true, true, false, true},
      {R"(<body Name="dynamicBoxSmoll.png" x="100" y="100" typ="d" shape="r" target="True" />)",
       "here", false, false, false, true},
      {R"(<body Name="ballMedium1.png" x="100" y="100" typ="s" shape="c" />)", "", true, false,
       true, false},
      {R"(<body Name="target1.png" x="100" y="100" typ="d" shape="c" target="true" />)", "here",
       false, false, false, false},
      {R"(<body Name="dynamicBoxSmoll.png" x="100" y="100" typ="D" shape="r" />)", "touch", true,
       false, true, true},
  };
  for (const Case& c : cases) {
    auto game = Play(RegisterLevel("", Bodies(c.entry)));
    const b2Body* body = Bodies(*game)[0];
    EXPECT_EQ(body->typeUser, c.tag) << c.entry;
    EXPECT_EQ(body->IsStatic(), c.isStatic) << c.entry;
    EXPECT_EQ(game->movingList.size(), c.moving ? 1u : 0u) << c.entry;
    EXPECT_EQ(game->staticBodies.size(), c.inStatics ? 1u : 0u) << c.entry;
    EXPECT_EQ(body->IsBullet(), c.bullet) << c.entry;
  }
}

TEST(ConstructionTest, ScaledPictureTruncatesAndSizesTheBox) {
  const int n = RegisterLevel(
      "",
      Bodies(
          R"(<body Name="borderPlankVertical1Big.png" x="400" y="300" typ="s" shape="r" scaleX="1.7" scaleY="0.95" />)"));
  auto game = Play(n);
  const b2Body* body = Bodies(*game)[0];
  EXPECT_EQ(ImageWidth(body->userData), 17);
  EXPECT_EQ(ImageHeight(body->userData), 569);
  EXPECT_TRUE(
      body->GetShapeList()->TestPoint(physics::b2Vec2(50 + 16.9f / 16, -37.5f + 568.0f / 16)));
  EXPECT_FALSE(body->GetShapeList()->TestPoint(physics::b2Vec2(50 + 17.2f / 16, -37.5f)));
}

TEST(ConstructionTest, GravityFollowsTheLevel) {
  for (const auto& [gravity, dx, dy] :
       {std::tuple{"left", -1, 0}, std::tuple{"up", 0, 1}, std::tuple{"", 0, -1}}) {
    const int n = RegisterLevel(
        std::string("gravity=\"") + gravity + "\"",
        Bodies(R"(<body Name="dynamicBoxSmoll.png" x="400" y="300" typ="d" shape="r" />)"));
    auto game = Play(n);
    b2Body* box = Bodies(*game)[0];
    const auto before = box->GetPosition();
    RunFrames(*game, 30);
    const auto after = box->GetPosition();
    EXPECT_EQ((after.x > before.x + 1) - (after.x < before.x - 1), dx) << gravity;
    EXPECT_EQ((after.y > before.y + 1) - (after.y < before.y - 1), dy) << gravity;
  }
}

TEST(ConstructionTest, MissingPicturesAndBadDataBuildWhatTheyCan) {
  const int n = RegisterLevel("shot=\"9\" fon=\"nothing.jpg\"", Bodies(R"(
      <body Name="noSuchPicture.png" x="100" y="100" typ="d" shape="r" />
      <body Name="link.png" x="200" y="100" shape="l" countLinks="2" direct="down" lastLink="ballsmall1.png" shapeLast="c" typ="d" />
      <body Name="link.png" x="300" y="100" shape="l" countLinks="2" direct="sideways" />
      <body Name="staticBoxSmall.png" x="100" y="100" shape="triangle" />)"));
  auto game = Play(n);
  EXPECT_EQ(game->fire_sound, nullptr) << "a shot outside 0-7 leaves the cannon silent";
  EXPECT_EQ(backgroundImage, nullptr);
  // The box without picture, the chain (anchor, 2 links, point-sized end), the ground body.
  EXPECT_EQ(game->m_world->world->GetBodyCount(), 1 + 1 + 4);
  RunFrames(*game, 10);
}

TEST(ConstructionTest, DamagedNumbersAndHugeChainsAreKeptInBounds) {
  const int n = RegisterLevel("", Bodies(R"(
      <body Name="staticBoxSmall.png" x="1e999" y="100" typ="s" shape="r" />
      <body Name="link.png" x="200" y="100" typ="d" shape="l" countLinks="5000" direct="down" />
      <body Name="link.png" x="300" y="100" typ="d" shape="l" countLinks="-4" direct="down" />)"));
  auto game = Play(n);
  // The box at the far edge; the long chain's anchor and its most links; the negative chain's
  // anchor; the ground.
  EXPECT_EQ(game->m_world->world->GetBodyCount(), 1 + 1 + MAX_CHAIN_LINKS + 1 + 1);
  EXPECT_EQ(game->m_world->world->GetJointCount(), MAX_CHAIN_LINKS);
  EXPECT_FLOAT_EQ(Bodies(*game).rbegin()[1]->GetPosition().x, MAX_LEVEL_COORDINATE / 8)
      << "the box";
}

// [SECTION] Untrusted level files ---------------------------------------------------------------

/// True when every body of the session has a finite place and speed.
bool AllFinite(const TGame& game) {
  for (const b2Body* b : Bodies(game)) {
    const auto p = b->GetPosition();
    const auto v = b->GetLinearVelocity();
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(b->GetAngle()) ||
        !std::isfinite(v.x) || !std::isfinite(v.y)) {
      return false;
    }
  }
  return true;
}

TEST(UntrustedLevelTest, AbsurdNumbersAreClampedWithOneNoteEach) {
  // Each of these aborted the game in Box2D (a mass or inertia of 0 or infinity) or gave NaN
  // positions, before the level reader clamped them.
  struct TCase {
    const char* entry;
    float TBodyEntry::*field;
    float expected;
    const char* note;  // one of the notes
    std::size_t notes = 1;
  };
  const TCase cases[] = {
      {R"(Name="dynamicBoxSmoll.png" typ="d" shape="r" density="1e-45")", &TBodyEntry::density,
       MIN_LEVEL_DENSITY, "body 2: density 1.4013e-45 is outside 0.01 to 100; 0.01 is used"},
      {R"(Name="dynamicBoxSmoll.png" typ="d" shape="r" density="1e-41")", &TBodyEntry::density,
       MIN_LEVEL_DENSITY, "body 2: density 9.99967e-42 is outside"},
      {R"(Name="ballSmall1.png" typ="d" shape="c" density="1e-45")", &TBodyEntry::density,
       MIN_LEVEL_DENSITY, "density 1.4013e-45"},
      {R"(Name="ballSmall1.png" typ="d" shape="c" density="1e37")", &TBodyEntry::density,
       MAX_LEVEL_DENSITY, "density 1e+37 is outside 0.01 to 100; 100 is used"},
      {R"(Name="ballSmall1.png" typ="d" shape="c" density="1e39")", &TBodyEntry::density,
       MAX_LEVEL_DENSITY, "density inf is outside"},
      {R"(Name="dynamicBoxMedium.png" typ="d" shape="r" density="1e30" scaleX="1000")",
       &TBodyEntry::scaleX, MAX_LEVEL_SCALE, "density 1e+30 is outside 0.01 to 100; 100 is used",
       2},
      {R"(Name="dynamicBoxMedium.png" typ="d" shape="r" scaleY="-3")", &TBodyEntry::scaleY,
       MIN_LEVEL_SCALE, "scaleY -3 is outside"},
      {R"(Name="dynamicBoxSmoll.png" typ="d" shape="r" x="-1e999")", &TBodyEntry::x,
       -MAX_LEVEL_COORDINATE, "x -inf is outside -10000 to 10000; -10000 is used"},
      {R"(Name="dynamicBoxSmoll.png" typ="d" shape="r" angle="1e20")", &TBodyEntry::angle,
       MAX_LEVEL_ANGLE, "angle 1e+20 is outside -360 to 360"},
      {R"(Name="staticPlankBig.png" typ="s" shape="r" rotatingSpeed="-1e38")",
       &TBodyEntry::rotatingSpeed, -MAX_TURNING_SPEED, "rotatingSpeed -1e+38"},
      {R"(Name="movingPlankSmallGorizont.png" typ="s" shape="r" move="up" speed="1e38")",
       &TBodyEntry::speed, MAX_SLIDER_SPEED, "speed 1e+38"},
  };
  for (const TCase& c : cases) {
    const int n = RegisterLevel(
        "", Bodies(std::string(FLOOR) + "<body x=\"400\" y=\"300\" " + c.entry + " />"));
    const TLevelFile file = LoadLevelFile(LevelAssetPath(n));
    ASSERT_EQ(file.bodies.size(), 2u) << c.entry;
    EXPECT_FLOAT_EQ(file.bodies[1].*c.field, c.expected) << c.entry;
    ASSERT_EQ(file.notes.size(), c.notes) << c.entry;
    EXPECT_NE(file.notes.back().find(c.note), std::string::npos) << file.notes.back();
    auto game = Play(n);
    RunFrames(*game, 120);
    EXPECT_TRUE(AllFinite(*game)) << c.entry;
  }
}

TEST(UntrustedLevelTest, EveryNumberOfTheFormatHasARange) {
  // Level-wide values, portals and effects: each absurd, each noted once, nothing left as it was.
  const int n = RegisterLevel(
      R"(levX="1e39" levY="-1e39" shotsX="20000" shotsY="0" nextX="1e30" nextY="5" limitRagdoll="2147483647" mouse="2147483647" spiderX="-2147483648" spiderY="50" sunX="1e38" sunY="20" crow="99999" snowmanX="10" snowmanY="-99999")",
      Bodies(FLOOR) + R"(
    <portals xIn="1e38" yIn="4" angleIn="1e9" xOut="5" yOut="-1e38" angleOut="0" forceOutX="1e38" forceOutY="-1e38" />
    <pics><pic Name="klen.png" x="1e38" y="1" angle="-1e38" /></pics>
    <oblaka><oblako Name="oblako3.png" x="-1e38" y="90" speed="1e38" direct="left" /></oblaka>
    <kapli><kapla Name="1" x="2147483647" y="40" scaleX="1e38" scaleY="-1" /></kapli>
    <komety><kometa x0="1e38" y0="60" x="-1e38" y="1e38" speed="1e38" angle="1e38" scaleX="1e-40" /></komety>)");
  const TLevelFile file = LoadLevelFile(LevelAssetPath(n));
  // Root 10, portals 5, decoration 2, cloud 2, drop 3, comet 6.
  EXPECT_EQ(file.notes.size(), 28u) << "one note per value out of range";
  EXPECT_FLOAT_EQ(file.levX, MAX_LEVEL_COORDINATE);
  EXPECT_EQ(file.limitRagdoll, MAX_LEVEL_RAGDOLLS);
  EXPECT_EQ(file.spiderX, -static_cast<int>(MAX_LEVEL_COORDINATE));
  EXPECT_FLOAT_EQ(file.portals.forceOutX, MAX_PORTAL_PUSH);
  EXPECT_FLOAT_EQ(file.portals.xIn, MAX_LEVEL_COORDINATE / 8) << "portals are in world units";
  EXPECT_FLOAT_EQ(file.comets[0].scaleX, MIN_LEVEL_SCALE);
  EXPECT_FLOAT_EQ(file.drops[0].scaleY, MIN_LEVEL_SCALE);
  auto game = Play(n, true);
  RunFrames(*game, 60);
  EXPECT_TRUE(AllFinite(*game));
}

TEST(UntrustedLevelTest, ALevelOverALimitLoadsWhatFitsAndSaysSoOnce) {
  struct TCase {
    const char* what;
    std::string sections;
    std::size_t notes;
    int bodies;  // built, the ground body included
    int joints;
    std::size_t pics, clouds, drops, comets;
  };
  std::string boxes, chains, pics, clouds, drops, comets;
  for (int i = 0; i < 5000; ++i) {
    boxes += "<body Name=\"dynamicBoxSmoll.png\" x=\"" + std::to_string(20 + i % 30 * 25) +
             "\" y=\"" + std::to_string(20 + i / 30 * 25) + "\" typ=\"d\" shape=\"r\" />\n";
  }
  for (int i = 0; i < 50; ++i) {
    chains += "<body Name=\"link.png\" x=\"" + std::to_string(100 + i * 12) +
              "\" y=\"20\" typ=\"d\" shape=\"l\" countLinks=\"1000\" direct=\"down\" />\n";
  }
  for (int i = 0; i < 10000; ++i) pics += R"(<pic Name="list1.png" x="170" y="465" />)";
  // Large pictures meet the budget of drawn pixels before the count.
  std::string bigPics;
  for (int i = 0; i < 50; ++i) bigPics += R"(<pic Name="klen.png" x="170" y="465" />)";
  const ImagePtr klen = LoadImage("levels_pic/klen.png");
  ASSERT_NE(klen, nullptr);
  const auto klenFit =
      static_cast<std::size_t>(MAX_LEVEL_PICTURE_PIXELS / (klen->width * klen->height));
  for (int i = 0; i < 1000; ++i) {
    clouds += R"(<oblako Name="oblako3.png" x="650" y="90" speed="0.5" direct="left" />)";
    drops += R"(<kapla Name="1" x="100" y="40" />)";
    comets += R"(<kometa x0="900" y0="60" x="-10" y="2" speed="4" angle="-15" />)";
  }
  const int chainBodies = 1 + MAX_CHAIN_LINKS;
  const int chainsThatFit =
      std::min(MAX_LEVEL_JOINTS / MAX_CHAIN_LINKS, MAX_LEVEL_BODIES / chainBodies);
  const TCase cases[] = {
      {"5000 boxes", Bodies(boxes), 1, MAX_LEVEL_BODIES + 1, 0, 0, 0, 0, 0},
      // Each chain's countLinks is clamped (a note each), then the chains that fit are built.
      {"50 chains of 1000 links", Bodies(chains), 50 + 1, chainsThatFit * chainBodies + 1,
       chainsThatFit * MAX_CHAIN_LINKS, 0, 0, 0, 0},
      {"10000 decorations", "<pics>" + pics + "</pics>", 1, 1, 0, MAX_LEVEL_DECORATIONS, 0, 0, 0},
      {"50 large decorations", "<pics>" + bigPics + "</pics>", 0, 1, 0, klenFit, 0, 0, 0},
      {"1000 effects of each kind",
       "<oblaka>" + clouds + "</oblaka><kapli>" + drops + "</kapli><komety>" + comets + "</komety>",
       3, 1, 0, 0, MAX_LEVEL_CLOUDS, MAX_LEVEL_DROPS, MAX_LEVEL_COMETS},
  };
  for (const TCase& c : cases) {
    const int n = RegisterLevel("limitRagdoll=\"5\"", c.sections);
    const TLevelFile file = LoadLevelFile(LevelAssetPath(n));
    EXPECT_EQ(file.notes.size(), c.notes) << c.what << ": one note per limit";
    auto game = Play(n);
    EXPECT_EQ(game->m_world->world->GetBodyCount(), c.bodies) << c.what;
    EXPECT_EQ(game->m_world->world->GetJointCount(), c.joints) << c.what;
    EXPECT_EQ(game->levelsPics.size(), c.pics) << c.what;
    EXPECT_EQ(game->oblakaList.size(), c.clouds) << c.what;
    EXPECT_EQ(game->kapliList.size(), c.drops) << c.what;
    EXPECT_EQ(game->kometyList.size(), c.comets) << c.what;
    Fire(*game);
    RunFrames(*game, 30);
    EXPECT_FALSE(game->ragdollList.empty()) << c.what << ": the level stays playable";
  }
}

TEST(UntrustedLevelTest, ALevelFileOverTheSizeLimitIsNotRead) {
  std::string text = "<level><bodies>" + std::string(FLOOR);
  while (text.size() <= MAX_LEVEL_FILE_BYTES)
    text += "<!-- padding padding padding padding padding -->";
  text += "</bodies></level>";
  const int n = nextLevelNumber++;
  RegisterAssetBytes(LevelAssetPath(n), std::vector<std::uint8_t>(text.begin(), text.end()));
  const TLevelFile file = LoadLevelFile(LevelAssetPath(n));
  EXPECT_TRUE(file.bodies.empty());
  ASSERT_EQ(file.notes.size(), 1u);
  EXPECT_NE(file.notes[0].find("larger than the 1048576 bytes a level file may have"),
            std::string::npos);
  // A file on disk is measured before it is read.
  const std::string path = ::testing::TempDir() + "brakkon-big-level.xml";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  EXPECT_EQ(LoadLevelFile(path).notes.size(), 1u);
  std::remove(path.c_str());
}

TEST(ConstructionTest, AChainWithoutItsPictureIsSpacedAsOneOfOnePixel) {
  // Spaced by nothing, the links would lie in one spot, each touching every other.
  const int n = RegisterLevel(
      "",
      Bodies(
          R"(<body Name="noSuchLink.png" x="400" y="100" typ="d" shape="l" countLinks="4" direct="down" />)"));
  auto game = Play(n);
  const auto bodies = Bodies(*game);
  ASSERT_EQ(bodies.size(), 6u) << "anchor, 4 links and the ground body";
  // Newest first: bodies[0] is link 3, bodies[3] link 0 (which lies on the anchor).
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR((bodies[k + 1]->GetPosition().y - bodies[k]->GetPosition().y) * 8, 0.5f, 1e-3f)
        << "link " << k;
  }
}

// [SECTION] Firing and limits -------------------------------------------------------------------

TEST(ConstructionTest, APreparedLevelAndItsRestartBuildWithoutDecoding) {
  // Between them the two levels ask for every picture and sound a level can load.
  const std::string everything = Bodies(std::string(FLOOR) + R"(
      <body Name="dynamicBoxMedium.png" x="300" y="300" typ="d" shape="r" />
      <body Name="ballBig2.png" x="500" y="300" typ="d" shape="c" />
      <body Name="link.png" x="600" y="20" typ="d" shape="l" countLinks="5" direct="down" lastLink="ballBig2.png" shapeLast="c" />
      <body Name="target.png" x="700" y="577" typ="s" shape="r" target="true" />)") +
                                 R"(
    <pics><pic Name="klen.png" x="170" y="465" /></pics>
    <oblaka><oblako Name="oblako3.png" x="650" y="90" speed="0.5" direct="left" /></oblaka>
    <kapli><kapla Name="1" x="100" y="40" /></kapli>
    <komety><kometa x0="900" y0="60" x="-10" y="2" speed="4" angle="-15" /></komety>)";
  const int levels[] = {
      RegisterLevel(
          R"(fon="fon3.jpg" shot="2" weather="rain1" thunder="true" mouse="500" spiderX="300" spiderY="100" sunX="100" sunY="100" crow="45" snowmanX="400" snowmanY="500" snowmanTyp="H")",
          everything),
      RegisterLevel(
          R"(fon="fon5.jpg" shot="7" weather="rain2" snowmanX="400" snowmanY="500" snowmanTyp="E")",
          everything),
  };
  for (const int level : levels) {
    ForgetPreparation();
    PrepareLevel(level);
    WaitForPreparation();
    const TAssetLoadCounts before = AssetLoadCounts();
    std::shared_ptr<TGame> game = StartSession(level);
    const TAssetLoadCounts prepared = AssetLoadCounts();
    EXPECT_EQ(prepared.picturesDecoded, before.picturesDecoded)
        << "level " << level << ": a picture was not prepared";
    EXPECT_EQ(prepared.soundsDecoded, before.soundsDecoded)
        << "level " << level << ": a sound was not prepared";
    EXPECT_GE(prepared.picturesPrepared - before.picturesPrepared, 10);
    EXPECT_GE(prepared.soundsPrepared - before.soundsPrepared, 2);
    game->exitAll();
    game = nullptr;
    Play(level)->exitAll();  // a restart, after the old session is gone
    const TAssetLoadCounts again = AssetLoadCounts();
    EXPECT_EQ(again.picturesDecoded, prepared.picturesDecoded)
        << "level " << level << ": a restart decoded a picture";
    EXPECT_EQ(again.soundsDecoded, prepared.soundsDecoded)
        << "level " << level << ": a restart decoded a sound";
  }
  ForgetPreparation();
  PrepareLevel(nextLevelNumber + 50);  // no such level: nothing to do
  WaitForPreparation();
}

TEST(FiringTest, AimTurnsTheCannonBetweenUpAndLevel) {
  auto game = Play(RegisterLevel("", Bodies(FLOOR)));
  RunFrames(*game, 1, 10, 100);
  EXPECT_FLOAT_EQ(game->Rot, -90) << "above and left of the pivot";
  RunFrames(*game, 1, 600, 590);
  EXPECT_FLOAT_EQ(game->Rot, 0) << "below the pivot";
  RunFrames(*game, 1, 128, 453);
  EXPECT_NEAR(game->Rot, -45, 1e-4);
}

TEST(FiringTest, RagdollLeavesAtFrameTwentyWithTheAimImpulse) {
  auto game = Play(RegisterLevel("limitRagdoll=\"5\"", Bodies(FLOOR)));
  RunFrames(*game, 1);
  game->shotRagdoll();
  RunFrames(*game, CANNON_LAUNCH_FRAME - 2);
  EXPECT_TRUE(game->ragdollList.empty());
  RunFrames(*game, 1);
  ASSERT_EQ(game->ragdollList.size(), 1u);
  EXPECT_EQ(game->levelScore, 1);
  const auto& torso = game->ragdollList.front()->body;
  const auto v = torso->GetLinearVelocity();
  EXPECT_NEAR(v.y / v.x, 7.5 / 10, 1e-4) << "aim (400, 300) gives the impulse (10, 7.5)";
  RunFrames(*game, CANNON_FRAMES - CANNON_LAUNCH_FRAME);
  EXPECT_EQ(game->currentFrameOfCannon, 0) << "the animation ends after 30 frames";
}

TEST(FiringTest, ClicksDuringTheAnimationAreIgnoredButAtFrameTwenty) {
  auto game = Play(RegisterLevel("limitRagdoll=\"5\"", Bodies(FLOOR)));
  RunFrames(*game, 1);
  game->shotRagdoll();
  for (int frame = 1; frame < CANNON_FRAMES - 1; ++frame) {
    if (frame == 5) game->shotRagdoll();  // ignored
    RunFrames(*game, 1);
    if (game->currentFrameOfCannon == CANNON_LAUNCH_FRAME) game->shotRagdoll();  // a second ragdoll
  }
  EXPECT_EQ(game->ragdollList.size(), 2u);
  EXPECT_EQ(game->levelScore, 2);
}

TEST(FiringTest, LimitRemovesTheOldestInTheSameFrame) {
  auto game = Play(RegisterLevel("limitRagdoll=\"2\"", Bodies(FLOOR)));
  Fire(*game);
  const auto first = game->ragdollList.front();
  RunFrames(*game, 10);
  Fire(*game);
  EXPECT_EQ(game->ragdollList.size(), 2u);
  RunFrames(*game, 10);
  Fire(*game);
  EXPECT_EQ(game->ragdollList.size(), 2u);
  EXPECT_NE(game->ragdollList.front(), first);
  EXPECT_FALSE(first->head->IsInWorld());
  EXPECT_EQ(game->levelScore, 3);
}

TEST(FiringTest, BodiesAndRagdollsLeavingTheFieldAreRemoved) {
  auto game = Play(
      RegisterLevel("limitRagdoll=\"5\"",
                    Bodies(R"(<body Name="dynamicBoxSmoll.png" x="400" y="1600" typ="d" shape="r" />
      <body Name="staticBoxSmall.png" x="400" y="1600" typ="s" shape="r" />)")));
  const int before = game->m_world->world->GetBodyCount();
  RunFrames(*game, 1);
  EXPECT_EQ(game->m_world->world->GetBodyCount(), before - 1)
      << "the dynamic box beyond y -195 goes, the static stays";
  // Aim straight up at full strength: the ragdoll flies off the top and is killed.
  Fire(*game, 30, 0);
  ASSERT_EQ(game->ragdollList.size(), 1u);
  RunFrames(*game, 400, 30, 0);
  EXPECT_TRUE(game->ragdollList.empty());
}

TEST(FiringTest, HeldJoystickFiresEveryTwentyNineFrames) {
  session = Play(RegisterLevel("limitRagdoll=\"20\"", Bodies(FLOOR)));
  gameState = STATE_PLAY;
  sessionCommand = COMMAND_NONE;
  FlushMouse();
  InjectJoyButton(1, true);
  for (int pass = 0; pass < 29 * 4; ++pass) MainLoopPass();
  InjectJoyButton(1, false);
  EXPECT_EQ(session->levelScore, 4);
  session = nullptr;
  gameState = STATE_MAIN_MENU;
}

TEST(FiringTest, ExitAllTwiceAndShotsAfterItAreHarmless) {
  auto game = Play(RegisterLevel("", Bodies(FLOOR)));
  Fire(*game);
  game->exitAll();
  game->exitAll();
  game->shotRagdoll();
  EXPECT_TRUE(game->ragdollList.empty());
  EXPECT_FALSE(game->m_world->world);
}

// [SECTION] Keys and winning --------------------------------------------------------------------

/// The level table as the level selection fills it, and a fresh progress file.
class WinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() / ("game_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    SetDataFolder(folder.string());
    optionsDoc = nullptr;
    LoadOptions();
    table = kiv_TTable::Create("Table", 34, 70, 498, "level", 150, 25, 1, nullptr);
    table->AddColumn("scores", 50);
    table->AddColumn("access", 30);
    xmlNode* root = OptionsRoot();
    levelCount = root->GetChildCount();
    for (int i = 1; i <= levelCount; ++i) {
      xmlNode* r = root->GetChild(i);
      table->AddItem({"Level " + r->AttributeValueGet("num"), r->AttributeValueGet("score"),
                      r->AttributeValueGet("status")});
    }
    SessionLinks() = TSessionLinks{};
    SessionLinks().selectNextLevel = [this] { return SelectNextRow(*table); };
    SessionLinks().showLevelCompleted = [this](int level, const TLevelCompletion& result) {
      ShowLevelCompleted(*table, level, result);
    };
    SessionLinks().updateSumms = [] { return 42; };
    SessionLinks().setWinText = [this](const std::string& text) { winText = text; };
    SessionLinks().showFinalWin = [this] { finalWinShown = true; };
    gameCompleted = 0;
    gameState = STATE_PLAY;
    sessionCommand = COMMAND_NONE;
  }
  void TearDown() override {
    SessionLinks() = TSessionLinks{};
    std::filesystem::remove_all(folder);
    gameState = STATE_MAIN_MENU;
    sessionCommand = COMMAND_NONE;
  }

  /// Plays level `level` and wins it with `shots` shots.
  std::shared_ptr<TGame> Win(int level, int shots) {
    currentLevel = level;
    table->SelectItem(level - 1);
    auto game = std::make_shared<TGame>();
    game->drawingEnabled = false;
    game->levelScore = shots;
    game->touch = 1;
    RunFrames(*game, 1);
    return game;
  }

  std::filesystem::path folder;
  kiv_TablePtr table;
  std::string winText;
  bool finalWinShown = false;
};

TEST_F(WinTest, BestShotsKeepTheLowestAndOpenTheNextLevel) {
  table->SetContent(4, 1, "5");
  Win(5, 3);
  EXPECT_EQ(table->GetContent(4, 1), "3");
  EXPECT_EQ(LevelRecord(5)->AttributeValueGet("score"), "3");
  EXPECT_EQ(table->GetContent(5, 2), "Open");
  EXPECT_EQ(LevelRecord(6)->AttributeValueGet("status"), "Open");
  for (const int shots : {3, 5, 6}) {
    Win(5, shots);
    EXPECT_EQ(table->GetContent(4, 1), "3") << shots;
  }
  Win(5, 2);
  EXPECT_EQ(LevelRecord(5)->AttributeValueGet("score"), "2");
  // The win was saved: a fresh load sees it.
  optionsDoc = nullptr;
  LoadOptions();
  EXPECT_EQ(LevelRecord(5)->AttributeValueGet("score"), "2");
}

TEST_F(WinTest, LastLevelFirstTimeShowsTheFinalWin) {
  auto game = Win(170, 4);
  EXPECT_EQ(gameState, STATE_FINAL_WIN);
  EXPECT_EQ(winText, "YOU WIN! Total best shots: 42");
  EXPECT_TRUE(finalWinShown);
  EXPECT_EQ(OptionsRoot()->AttributeValueGet("win"), "true");
  EXPECT_FALSE(game->m_world->world) << "the session ended";
  gameCompleted = 1;
  gameState = STATE_PLAY;
  Win(170, 4);
  EXPECT_EQ(gameState, STATE_LEVEL_SELECT);
  EXPECT_EQ(winText, "Total best shots: 42");
}

TEST_F(WinTest, SpaceAfterTheWinMovesToTheNextRow) {
  auto game = Win(7, 2);
  EXPECT_EQ(sessionCommand, COMMAND_NONE);
  InjectKey(KEY_SPACE, true);
  InjectKey(KEY_SPACE, false);
  RunFrames(*game, 1);
  EXPECT_EQ(sessionCommand, COMMAND_NEXT_LEVEL);
  EXPECT_EQ(table->SelectedItem(), 7);
  EXPECT_EQ(OptionsRoot()->AttributeValueGet("lastLevel"), "7");
}

TEST_F(WinTest, KeysBeforeTheWinRestartAndPause) {
  bool pauseOpened = false;
  SessionLinks().openPauseMenu = [&] { pauseOpened = true; };
  currentLevel = 3;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = false;
  InjectKey(KEY_ESCAPE, true);
  InjectKey(KEY_ESCAPE, false);
  RunFrames(*game, 1);
  EXPECT_TRUE(pauseOpened);
  InjectKey(KEY_SPACE, true);
  InjectKey(KEY_SPACE, false);
  RunFrames(*game, 1);
  EXPECT_EQ(sessionCommand, COMMAND_RESTART);
}

TEST(DrawingTest, PausedFramesHideTheAimAndDimTheLevel) {
  auto game = Play(RegisterLevel("limitRagdoll=\"5\"", Bodies(FLOOR)), true);
  bool paused = false;
  SessionLinks().isPaused = [&] { return paused; };
  EnableDrawTrace(true);
  for (const bool p : {false, true}) {
    paused = p;
    ClearDrawTrace();
    RunFrames(*game, 1);
    bool aim = false;
    float floorAlpha = 0;
    for (const auto& e : DrawTrace()) {
      if (e.path == "game_pic/aim.png") aim = true;
      if (e.path == "bodies_pic/borderPlankGorizontal1Big.png") floorAlpha = e.alpha;
    }
    EXPECT_EQ(aim, !p);
    EXPECT_FLOAT_EQ(floorAlpha, p ? 0.7f : 1.0f);
  }
  EnableDrawTrace(false);
  ClearDrawTrace();
  SessionLinks() = TSessionLinks{};
}

TEST(DrawingTest, NewerRagdollsAreDrawnUnderOlderOnesAndTheLevel) {
  auto game = Play(RegisterLevel("limitRagdoll=\"5\"", Bodies(FLOOR)), true);
  Fire(*game, 200, 300);
  RunFrames(*game, 10, 200, 300);  // the cannon's animation ends
  Fire(*game, 200, 300);
  ASSERT_EQ(game->ragdollList.size(), 2u);
  EnableDrawTrace(true);
  ClearDrawTrace();
  RunFrames(*game, 1, 200, 300);
  EnableDrawTrace(false);
  /// Index in the trace of the picture drawn at a body's place.
  auto drawnAt = [](const b2Body& body) {
    const auto p = body.GetPosition();
    for (std::size_t i = 0; i < DrawTrace().size(); ++i) {
      const auto& e = DrawTrace()[i];
      if (e.path == body.userData->Path() && std::fabs(e.x - p.x * 8) < 1e-3f &&
          std::fabs(e.y + p.y * 8) < 1e-3f) {
        return static_cast<long>(i);
      }
    }
    return -1L;
  };
  const long older = drawnAt(*game->ragdollList.front()->body);
  const long newer = drawnAt(*game->ragdollList.back()->body);
  const long floor = drawnAt(*Bodies(*game).end()[-2]);
  ClearDrawTrace();
  ASSERT_GE(newer, 0);
  EXPECT_LT(newer, older) << "the newer ragdoll is drawn first, under the older one";
  EXPECT_LT(older, floor) << "the level's bodies are drawn over every ragdoll";
}

TEST(DrawingTest, DebugOutlinesLieOverTheFinishedPictureAndTintNothing) {
  const int level = RegisterLevel("fon=\"fon1.jpg\"", Bodies(FLOOR));
  const std::string shot = (std::filesystem::temp_directory_path() /
                            ("game_test_debug_" + std::to_string(::getpid()) + ".png"))
                               .string();
  // The second frame of the level as saved at its flip, with or without the outlines.
  const auto secondFrame = [&](bool debug) {
    SetDrawState(TDrawState{});
    SeedRnd(4660);
    debugPhysicsWorlds = debug;
    auto game = Play(level, true);
    debugPhysicsWorlds = false;
    RunFrames(*game, 1);
    SetFrameLimit(FrameCount() + 1, shot);
    EnableDrawTrace(true);
    ClearDrawTrace();
    RunFrames(*game, 1);
    EnableDrawTrace(false);
    SetFrameLimit(0);
    AppTerminate();  // the limit's close request
    return LoadPixmap(shot);
  };
  const PixmapPtr plain = secondFrame(false);
  ASSERT_TRUE(plain);
  const PixmapPtr outlined = secondFrame(true);
  ASSERT_TRUE(outlined);
  std::filesystem::remove(shot);
  // The floor's top edge as the debug renderer drew it: the last horizontal line of the trace.
  const TDrawTraceEntry* edge = nullptr;
  for (const auto& e : DrawTrace()) {
    if (e.op == "line" && e.h == 0 && e.w != 0) edge = &e;
  }
  ClearDrawTrace();
  ASSERT_NE(edge, nullptr);
  const std::uint32_t outline = 0xFF000000u | (static_cast<std::uint32_t>(edge->r) << 16) |
                                (static_cast<std::uint32_t>(edge->g) << 8) |
                                static_cast<std::uint32_t>(edge->b);
  // On the edge, over the floor's picture: the outline's own colour, drawn last.
  const int x = TruncToInt(edge->x + edge->w / 2);
  bool onTop = false;
  for (int y = TruncToInt(edge->y) - 1; y <= TruncToInt(edge->y) + 1; ++y) {
    onTop = onTop || outlined->ReadPixel(x, y) == outline;
    EXPECT_NE(plain->ReadPixel(x, y), outline);
  }
  EXPECT_TRUE(onTop) << "the outline is not covered by the picture under it";
  // Away from the outlines nothing changes colour: the sky, the cannon, the counters.
  int changed = 0;
  for (int y = 0; y < 500; y += 7) {
    for (int x = 0; x < SCREEN_WIDTH; x += 7)
      changed += plain->ReadPixel(x, y) != outlined->ReadPixel(x, y);
  }
  EXPECT_EQ(changed, 0);
}

// [SECTION] Counters ----------------------------------------------------------------------------

TEST(CounterTest, DigitsStandAfterTheLabel) {
  auto game = Play(
      RegisterLevel("levX=\"65\" levY=\"30\" shotsX=\"67\" shotsY=\"70\"", Bodies(FLOOR)), true);
  currentLevel = 12;
  game->levelScore = 108;
  EnableDrawTrace(true);
  ClearDrawTrace();
  game->drawLevel();
  game->drawShots();
  EnableDrawTrace(false);
  std::vector<std::pair<std::string, std::pair<float, float>>> drawn;
  for (const auto& e : DrawTrace())
    drawn.push_back({e.path.substr(e.path.find('/') + 1), {e.x, e.y}});
  ClearDrawTrace();
  const decltype(drawn) expected = {
      {"numlevel.png", {65, 30}}, {"n1.png", {117, 30}}, {"n2.png", {130, 30}},
      {"shots.png", {67, 70}},    {"n1.png", {120, 70}}, {"n0.png", {133, 70}},
      {"n8.png", {146, 70}},
  };
  EXPECT_EQ(drawn, expected);
}

// [SECTION] Portals, sliders, turning bodies ----------------------------------------------------

TEST(MoversTest, SliderMovesTurnsBackAndCarries) {
  const int n = RegisterLevel("", Bodies(R"(
      <body Name="movingPlankSmallGorizont.png" x="400" y="300" typ="s" shape="r" move="down" speed="0.5" />
      <body Name="staticBoxSmall.png" x="400" y="360" typ="s" shape="r" />)"));
  auto game = Play(n);
  MovingBody& m = game->movingList.front();
  const float y0 = m.yB;
  RunFrames(*game, 1);
  EXPECT_FLOAT_EQ(m.yB, y0 - 0.5f) << "4 pixels a frame";
  int frames = 0;
  while (m.direct == "down" && frames++ < 100) RunFrames(*game, 1);
  EXPECT_EQ(m.direct, "up") << "turned back at the static box";
  EXPECT_NEAR((m.body->GetPosition().y - y0) * -8, 4.0f * static_cast<float>(frames + 1), 0.01f);
}

TEST(MoversTest, SliderBetweenTwoStaticBodiesKeepsItsDirection) {
  const int n = RegisterLevel("", Bodies(R"(
      <body Name="movingPlankSmallGorizont.png" x="400" y="300" typ="s" shape="r" move="right" speed="0.3" />
      <body Name="staticBoxSmall.png" x="360" y="300" typ="s" shape="r" />
      <body Name="staticBoxSmall.png" x="440" y="300" typ="s" shape="r" />)"));
  auto game = Play(n);
  RunFrames(*game, 3);
  EXPECT_EQ(game->movingList.front().direct, "right");
}

TEST(MoversTest, SliderCarriesRagdollsSideways) {
  const int n = RegisterLevel("limitRagdoll=\"5\"", Bodies(R"(
      <body Name="movingPlankBigGorizont.png" x="400" y="300" typ="s" shape="r" move="right" speed="0.3" />)"));
  auto game = Play(n);
  Fire(*game);
  auto r = game->ragdollList.front();
  // Paused, nothing moves by itself: put the parts where the test wants them.
  SessionLinks().isPaused = [] { return true; };
  const physics::b2Vec2 away(10, -10);
  for (const BodyPtr& part : {r->head, r->body, r->upperLeftHand, r->upperRightHand, r->lowLeftHand,
                              r->lowRightHand, r->upperLeftLeg, r->upperRightLeg, r->lowLeftLeg}) {
    part->SetXForm(away, 0);
  }
  const physics::b2Vec2 onPlank(50, -37.5f + 0.5f);
  r->lowRightLeg->SetXForm(onPlank, 0);
  RunFrames(*game, 1);
  for (const BodyPtr& part : {r->lowRightLeg, r->head, r->body}) {
    EXPECT_NEAR(part->GetLinearVelocity().x, 12, 1e-3)
        << "0.3 x 40 on the shin, the head and the torso";
  }
  EXPECT_NEAR(r->lowLeftLeg->GetLinearVelocity().x, 0, 1e-3);
  r->body->SetXForm(onPlank, 0);
  RunFrames(*game, 1);
  EXPECT_NEAR(r->lowRightLeg->GetLinearVelocity().x, 12, 1e-3);
  EXPECT_NEAR(r->body->GetLinearVelocity().x, 10.8, 1e-3) << "the torso's row comes later and wins";
  EXPECT_NEAR(r->head->GetLinearVelocity().x, 10.8, 1e-3);
  SessionLinks() = TSessionLinks{};
}

TEST(MoversTest, TurningBodyTurnsClockwiseForNegativeSpeed) {
  const int n = RegisterLevel(
      "",
      Bodies(
          R"(<body Name="staticPlankBig.png" x="400" y="300" typ="s" shape="r" rotatingSpeed="-3" />)"));
  auto game = Play(n);
  RunFrames(*game, 10);
  EXPECT_NEAR(game->rotatingList.front().body->GetAngle(), -30, 1e-3);
}

TEST(MoversTest, MotionPeriodBringsEveryMovingPartBackToItsStart) {
  // The hint's pulse repeats with the period found: after it every moving part stands as at the
  // start again, and not before. A slider going to and fro between two boxes; two planks turning
  // at 2 and -3 degrees a frame (180 and 120 frames a turn: 360 together).
  const int levels[] = {
      RegisterLevel("", Bodies(R"(
      <body Name="movingPlankSmallGorizont.png" x="400" y="300" typ="s" shape="r" move="right" speed="0.3" />
      <body Name="staticBoxSmall.png" x="320" y="300" typ="s" shape="r" />
      <body Name="staticBoxSmall.png" x="520" y="300" typ="s" shape="r" />)")),
      RegisterLevel("", Bodies(R"(
      <body Name="staticPlankSmall.png" x="200" y="150" typ="s" shape="r" rotatingSpeed="2" />
      <body Name="staticPlankSmall.png" x="600" y="150" typ="s" shape="r" rotatingSpeed="-3" />)")),
  };
  for (const int n : levels) {
    auto game = Play(n);
    const TMotionPeriod period = game->motion;
    ASSERT_TRUE(period.moving);
    ASSERT_GT(period.frames, 0) << "level " << n;
    std::vector<std::pair<physics::b2Vec2, float>> start;
    for (b2Body* b : Bodies(*game)) start.emplace_back(b->GetPosition(), b->GetAngle());
    std::vector<std::string> headings;
    for (const MovingBody& m : game->movingList) headings.push_back(m.direct);
    auto atStart = [&] {
      std::size_t k = 0;
      for (const MovingBody& m : game->movingList) {
        if (m.direct != headings[k++]) return false;  // where it started, but on its way back
      }
      std::size_t i = 0;
      for (b2Body* b : Bodies(*game)) {
        const auto& [p, a] = start[i++];
        const float turn = std::remainder(b->GetAngle() - a, 360.0f);  // turning bodies: degrees
        if (std::fabs(b->GetPosition().x - p.x) > 0.05f ||
            std::fabs(b->GetPosition().y - p.y) > 0.05f || std::fabs(turn) > 0.01f)
          return false;
      }
      return true;
    };
    int firstBack = 0;
    for (int frame = 1; frame <= period.frames && firstBack == 0; ++frame) {
      RunFrames(*game, 1);
      if (atStart()) firstBack = frame;
    }
    EXPECT_EQ(firstBack, period.frames) << "level " << n;
  }
  EXPECT_EQ(Play(levels[1])->motion.frames, 360);
  EXPECT_FALSE(Play(RegisterLevel("", Bodies(FLOOR)))->motion.moving);
}

TEST(MoversTest, PortalRebuildsTheRagdollAtTheExit) {
  const int n = RegisterLevel("limitRagdoll=\"5\"", Bodies(FLOOR) + R"(
      <portals xIn="20" yIn="40" xOut="79" yOut="20" forceOutX="-4" forceOutY="-12" />)");
  auto game = Play(n);
  ASSERT_EQ(game->portals, 1);
  Fire(*game, 700, 600);
  ASSERT_EQ(game->ragdollList.size(), 1u);
  auto fired = game->ragdollList.front();
  // Put the torso into the entrance.
  fired->newPositionOfRagdoll(20 - fired->body->GetPosition().x, -40 - fired->body->GetPosition().y,
                              0);
  RunFrames(*game, 1);
  ASSERT_EQ(game->ragdollList.size(), 1u);
  auto rebuilt = game->ragdollList.front();
  EXPECT_NE(rebuilt, fired);
  EXPECT_EQ(rebuilt->typeRagdoll, fired->typeRagdoll) << "same looks";
  EXPECT_FALSE(fired->body->IsInWorld());
  EXPECT_NEAR(rebuilt->xR, 79, 1e-4);
  EXPECT_NEAR(rebuilt->yR, -20, 1e-4);
  const auto v = rebuilt->body->GetLinearVelocity();
  EXPECT_LT(v.x, 0) << "pushed left";
  EXPECT_GT(v.y, 0) << "and up";
}

}  // namespace
