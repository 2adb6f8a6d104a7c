// Ambient effects: snowflakes, stars and sparks; comets, drops, clouds and rain streaks; and, in a
// running session, the rain loop, the sun, the four creatures with their keys, the paused frame,
// and the rule that a level runs the same course with drawing on or off. Pictures come from the
// asset pack, with stand-ins for the level pictures it lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "effects/ambient.h"
#include "effects/particles.h"
#include "game/game.h"
#include "game/level_file.h"
#include "game_environment.h"
#include "state/globals.h"

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new TGameEnvironment);

constexpr int RAIN_R = 78, RAIN_G = 113, RAIN_B = 167;
constexpr int STAR_R = 78, STAR_G = 113, STAR_B = 176;

int nextLevelNumber = 9000;

/// Registers a level with no bodies made of `rootAttributes` and `sections`; returns its number.
int RegisterLevel(const std::string& rootAttributes, const std::string& sections = "") {
  const std::string text = "<?xml version=\"1.0\"?>\n<level " + rootAttributes +
                           " >\n<bodies />\n" + sections + "\n</level>\n";
  const int number = nextLevelNumber++;
  RegisterAssetBytes(LevelAssetPath(number), std::vector<std::uint8_t>(text.begin(), text.end()));
  return number;
}

std::unique_ptr<TGame> Play(int level, bool drawing = true) {
  currentLevel = level;
  auto game = std::make_unique<TGame>();
  game->drawingEnabled = drawing;
  return game;
}

std::vector<TDrawTraceEntry> Traced(const std::string& op, const std::string& path = "") {
  std::vector<TDrawTraceEntry> out;
  for (const TDrawTraceEntry& e : DrawTrace()) {
    if (e.op == op && (path.empty() || e.path == path)) out.push_back(e);
  }
  return out;
}

bool IsRainLine(const TDrawTraceEntry& e) {
  return e.op == "line" && e.r == RAIN_R && e.g == RAIN_G && e.b == RAIN_B;
}
bool IsStarLine(const TDrawTraceEntry& e) {
  return e.op == "line" && e.r == STAR_R && e.g == STAR_G && e.b == STAR_B;
}
int CountTraced(bool (*match)(const TDrawTraceEntry&)) {
  int n = 0;
  for (const TDrawTraceEntry& e : DrawTrace()) n += match(e) ? 1 : 0;
  return n;
}

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    soundOn = 0;
    rainChannel = nullptr;
    SeedRnd(4660);
    ClearDrawTrace();
    EnableDrawTrace(true);
  }
  void TearDown() override {
    EnableDrawTrace(false);
    ClearDrawTrace();
    SessionLinks().isPaused = nullptr;
    for (int key : {KEY_C, KEY_M, KEY_S, KEY_W}) InjectKey(key, false);
    soundOn = 0;
    if (rainChannel) StopChannel(rainChannel);
    rainChannel = nullptr;
  }
};

// [SECTION] Snow, stars, sparks -------------------------------------------------------------------

TEST_F(EffectsTest, SnowflakeReturnsToItsStartHeightAndWrapsAtTheSides) {
  struct Case {
    float x, y;
    float minX, maxX;  // where x must be after the frame (no sway: amplitude 0)
    float expectY;
  };
  const Case cases[] = {
      {400, 639, 400, 400, -50},  // falls past 640: back to the start height
      {400, 637, 400, 400, 639},  // not yet past
      {830, 100, 830, 830, 102},  // on the edge stays
      {-31, 100, 810, 840, 102},  // past the left edge
  };
  for (const Case& c : cases) {
    TSnowflake f;
    f.xS = c.x;
    f.yS = c.y;
    f.initY = -50;
    f.speed = 2;
    f.angleSpeed = 1;
    TSnowList flakes{std::make_shared<TSnowflake>(f)};
    TSnowflake::UpdateAll(flakes, false);
    const TSnowflake& after = *flakes.front();
    EXPECT_GE(after.xS, c.minX) << c.x << "," << c.y;
    EXPECT_LE(after.xS, c.maxX) << c.x << "," << c.y;
    EXPECT_FLOAT_EQ(after.yS, c.expectY) << c.x << "," << c.y;
  }

  // Past the right edge a flake reappears at x -40 to -20, even where that is left of the left
  // edge: it is not sent straight back in the same frame.
  std::set<float> seen;
  for (int i = 0; i < 200; ++i) {
    TSnowList flakes{std::make_shared<TSnowflake>()};
    flakes.front()->xS = 831;
    TSnowflake::UpdateAll(flakes, false);
    const float x = flakes.front()->xS;
    EXPECT_TRUE(x >= -40 && x <= -20) << x;
    seen.insert(x);
  }
  EXPECT_TRUE(seen.count(-40) == 1 && seen.count(-20) == 1) << "both ends of the range occur";

  // Each return to the top draws the rotation speed afresh from 0, -0.5 and -1.
  std::set<float> speeds;
  auto flake = std::make_shared<TSnowflake>();
  flake->speed = 3;
  flake->initY = 630;
  TSnowList flakes{flake};
  for (int i = 0; i < 60; ++i) {
    flake->yS = 639;
    TSnowflake::UpdateAll(flakes, false);
    EXPECT_FLOAT_EQ(flake->yS, 630);
    speeds.insert(flake->angleSpeed);
  }
  EXPECT_EQ(speeds, (std::set<float>{-1.0f, -0.5f, 0.0f}));
}

TEST_F(EffectsTest, SnowIsDrawnTurnedAtItsPlaceAndMovesTheSameUndrawn) {
  SeedRnd(77);
  TSnowList drawn;
  for (int i = 0; i < 131; ++i) drawn.push_back(TSnowflake::Create(shared.snow));
  // The pictures are shared: each is sized by the last flake made with it.
  for (const ImagePtr& picture : shared.snow) {
    const TSnowflake* last = nullptr;
    for (const auto& f : drawn) last = f->img == picture ? f.get() : last;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(picture->width, TruncToInt(10 * last->scale));
    EXPECT_EQ(picture->height, picture->width);
  }
  TSnowList undrawn;
  for (const auto& f : drawn) undrawn.push_back(std::make_shared<TSnowflake>(*f));

  const TSnowflake before = *drawn.front();
  const int seed = RndSeed();
  TSnowflake::UpdateAll(drawn, true);
  const auto images = Traced("image");
  ASSERT_EQ(images.size(), 131u);
  EXPECT_FLOAT_EQ(images[0].x, before.xS);
  EXPECT_FLOAT_EQ(images[0].y, before.yS);
  EXPECT_FLOAT_EQ(images[0].rotation, before.angle);
  EXPECT_FLOAT_EQ(GetRotation(), 0);
  for (int frame = 1; frame < 400; ++frame) TSnowflake::UpdateAll(drawn, true);
  const int drawnSeed = RndSeed();

  SeedRnd(seed);
  ClearDrawTrace();
  for (int frame = 0; frame < 400; ++frame) TSnowflake::UpdateAll(undrawn, false);
  EXPECT_TRUE(DrawTrace().empty());
  EXPECT_EQ(RndSeed(), drawnSeed);
  auto u = undrawn.begin();
  for (const auto& d : drawn) {
    EXPECT_EQ(d->xS, (*u)->xS);
    EXPECT_EQ(d->yS, (*u)->yS);
    EXPECT_EQ(d->angle, (*u)->angle);
    ++u;
  }
}

TEST_F(EffectsTest, StarIsProjectedTurnedAndGivenArmsByDepth) {
  struct Case {
    const char* what;
    float X, Y, Z, sZ;
    float zAfter;
    int arm;
    int diagonal;  // -1: no diagonal arms
  };
  const Case cases[] = {
      {"depth 0, seen unscaled", 100, 0, 0, 0, 0, 5, 2},
      {"just nearer than 50: eight arms", 0, 0, 49, 0, 49, 2, 1},
      {"depth 50: four arms", 0, 0, 50, 0, 50, 2, -1},
      {"nearest depth", 0, 0, -63, 0, -63, 8, 4},
      {"past the nearest depth: far again", 0, 0, -62, 4, 100, 0, -1},
      {"leaving the screen: far again, drawn where it left", 401, 0, 0, 0, 100, 0, -1},
      {"below the screen", 0, 301, 0, 0, 100, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TStar star;
    star.X = c.X;
    star.Y = c.Y;
    star.Z = c.Z;
    star.sZ = c.sZ;
    const float depth = c.Z - c.sZ / 2 < -63 ? 100.0f : c.Z - c.sZ / 2;
    const float px = c.X * 64 / (64 + depth);
    const float py = c.Y * 64 / (64 + depth);
    const float x = px * static_cast<float>(Cos(1)) - py * static_cast<float>(Sin(1)) + 400;
    const float y = px * static_cast<float>(Sin(1)) + py * static_cast<float>(Cos(1)) + 300;
    ClearDrawTrace();
    star.UpdateS(1);
    EXPECT_FLOAT_EQ(star.Z, c.zAfter);
    const auto lines = Traced("line");
    ASSERT_EQ(lines.size(), c.diagonal < 0 ? 2u : 4u);
    EXPECT_NEAR(lines[0].x, x - static_cast<float>(c.arm), 1e-3);
    EXPECT_NEAR(lines[0].y, y, 1e-3);
    EXPECT_FLOAT_EQ(lines[0].w, 2.0f * static_cast<float>(c.arm));
    EXPECT_FLOAT_EQ(lines[1].h, 2.0f * static_cast<float>(c.arm));
    if (c.diagonal >= 0) {
      EXPECT_NEAR(lines[2].x, x - static_cast<float>(c.diagonal), 1e-3);
      EXPECT_NEAR(lines[2].y, y - static_cast<float>(c.diagonal), 1e-3);
      EXPECT_FLOAT_EQ(lines[2].w, 2.0f * static_cast<float>(c.diagonal));
      EXPECT_FLOAT_EQ(lines[3].h, 2.0f * static_cast<float>(c.diagonal));
    }
  }
}

TEST_F(EffectsTest, TwoSparksOfOneFrameRunTheirSixFramesApart) {
  TBaz a, b;
  a.img = shared.baz[0];
  a.xB = 100;
  a.yB = -200;
  b.img = shared.baz[2];
  b.xB = 300;
  b.yB = -50;
  for (int frame = 0; frame < 6; ++frame) {
    EXPECT_EQ(a.endF, 0);
    ClearDrawTrace();
    UpdateSpark(a);
    UpdateSpark(b);
    const auto images = Traced("image");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].frame, frame);
    EXPECT_EQ(images[0].path, "game_pic/baz1.png");
    EXPECT_FLOAT_EQ(images[0].x, 100);
    EXPECT_FLOAT_EQ(images[0].y, 200);
    EXPECT_EQ(images[1].frame, frame);
    EXPECT_FLOAT_EQ(images[1].y, 50);
  }
  EXPECT_EQ(a.endF, 1);
  EXPECT_EQ(b.endF, 1);
}

// [SECTION] Comets, drops, clouds, rain -----------------------------------------------------------

TEST_F(EffectsTest, CometFliesAlongItsSlopeAndNeverUp) {
  struct Case {
    const char* what;
    float x0, y0, xP, yP;
    float x, y;  // after one frame at speed 10
    bool flying;
  };
  const float c45 = 10 * static_cast<float>(Cos(45));
  const float t = static_cast<float>(ATan(100.0 / 300.0));
  const Case cases[] = {
      {"x 0: straight down", 100, 0, 0, 5, 100, 70, true},
      {"rightward, seven times steeper", 100, 50, 300, 100, 100 + 10 * static_cast<float>(Cos(t)),
       50 + 70 * static_cast<float>(Sin(t)), true},
      {"leftward with an upward slope still falls", 500, 0, 100, -100, 500 - c45, 7 * c45, true},
      {"x and y 0: no direction, ends at once", 100, 100, 0, 0, 0, 0, false},
      {"leaving the field ends the flight", 1095, 0, 2000, 0, 1105, 0, false},
  };
  const ImagePtr picture = LoadAnimImage("levels_pic/kometa.png", 240, 90, 0, 165);
  ASSERT_TRUE(picture);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TKometa comet{10, c.x0, c.y0, c.xP, c.yP, 0.5f, 1.5f, 163, 1, 0, 30};
    ClearDrawTrace();
    comet.Update(picture, true);
    EXPECT_EQ(comet.go, c.flying ? 1 : 0);
    EXPECT_FLOAT_EQ(comet.komFrame, 0) << "the frame wraps at 164";
    const auto images = Traced("image");
    if (c.xP == 0 && c.yP == 0) {
      EXPECT_TRUE(images.empty());
      continue;
    }
    ASSERT_EQ(images.size(), 1u);
    EXPECT_NEAR(images[0].x, c.x, 1e-3);
    EXPECT_NEAR(images[0].y, c.y, 1e-3);
    EXPECT_EQ(images[0].frame, 163);
    EXPECT_FLOAT_EQ(images[0].w, 104) << "208 wide at scale 1";
    EXPECT_FLOAT_EQ(images[0].h, 135);
    EXPECT_FLOAT_EQ(images[0].rotation, 30);
  }
  EXPECT_FLOAT_EQ(GetRotation(), 0);

  // Straight down at 10 a frame: y = 70 per frame, past 900 on the thirteenth.
  TKometa comet{10, 100, 0, 0, 5, 1, 1, 0, 1, 0, 0};
  int frames = 0;
  while (comet.go != 0 && frames < 100) {
    comet.Update(picture, false);
    ++frames;
  }
  EXPECT_EQ(frames, 13);
}

TEST_F(EffectsTest, DropFallsOnceSoundingOnItsFrame) {
  struct Case {
    int typ;
    int cells;
    float soundFrame;
    int draws;  // frames drawn in one fall
    int lastCellDrawn;
  };
  const Case cases[] = {{1, 62, 45, 60, 60}, {2, 42, 30, 79, 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typ);
    const ImagePtr picture = CreateImage(20, 590, c.cells);
    TKapla drop{c.typ, 300, 200, 0.5f, 0.5f, 1};
    ASSERT_NE(drop.Kind(), nullptr);
    ClearDrawTrace();
    int updates = 0;
    int sounds = 0;
    while (drop.kaplFrame > 0 && updates < 200) {
      if (drop.Update(*drop.Kind(), picture, true)) {
        ++sounds;
        EXPECT_EQ(drop.kaplFrame, c.soundFrame);
      }
      ++updates;
    }
    EXPECT_EQ(sounds, 1);
    const auto images = Traced("image");
    ASSERT_EQ(static_cast<int>(images.size()), c.draws);
    EXPECT_EQ(images.front().frame, 1);
    EXPECT_EQ(images.back().frame, c.lastCellDrawn);
    EXPECT_FLOAT_EQ(images.front().w, 10);
    EXPECT_FLOAT_EQ(images.front().h, 295);
  }
  EXPECT_EQ((TKapla{0, 0, 0, 1, 1, 1}).Kind(), nullptr) << "a drop of another kind is never drawn";
}

TEST_F(EffectsTest, CloudsDriftAndReenterAtTheOtherSide) {
  struct Case {
    const char* direct;
    float x, speed, expect;
  };
  const Case cases[] = {
      {"left", 300, 0.5f, 299.5f},  {"left", -99.8f, 0.4f, 900}, {"right", 899.9f, 0.5f, -100},
      {"right", 100, 0.4f, 100.4f}, {"up", 300, 0.5f, 300},
  };
  for (const Case& c : cases) {
    Oblako cloud{nullptr, c.x, 100, c.direct, c.speed};
    cloud.Update(false);
    EXPECT_FLOAT_EQ(cloud.xP, c.expect) << c.direct << " from " << c.x;
  }
}

TEST_F(EffectsTest, RainStreaksAreNewRandomLinesEveryFrame) {
  struct Case {
    TRainKind kind;
    std::size_t count;
    float longest;
  };
  for (const Case& c : {Case{TRainKind::slanted, 91, 110}, Case{TRainKind::straight, 41, 90}}) {
    ClearDrawTrace();
    const int seed = RndSeed();
    UpdateRainStreaks(c.kind, true);
    const int drawnSeed = RndSeed();
    const auto lines = Traced("line");
    ASSERT_EQ(lines.size(), c.count);
    const float slant = lines[0].rotation;
    if (c.kind == TRainKind::slanted) {
      EXPECT_GE(slant, 8);
      EXPECT_LE(slant, 13);
    } else {
      EXPECT_FLOAT_EQ(slant, 0);
    }
    for (const TDrawTraceEntry& line : lines) {
      EXPECT_TRUE(IsRainLine(line));
      EXPECT_FLOAT_EQ(line.rotation, slant);
      EXPECT_FLOAT_EQ(line.w, 0);
      EXPECT_GE(line.h, 9) << "a streak stops short of its last pixel";
      EXPECT_LE(line.h, c.longest - 1);
      EXPECT_GE(line.x, 1);
      EXPECT_LE(line.x, 800);
    }
    int r = 0, g = 0, b = 0;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    EXPECT_FLOAT_EQ(GetRotation(), 0);

    SeedRnd(seed);
    UpdateRainStreaks(c.kind, false);
    EXPECT_EQ(RndSeed(), drawnSeed) << "the same random numbers undrawn";
  }
}

// [SECTION] Session -------------------------------------------------------------------------------

TEST_F(EffectsTest, RainLoopFollowsTheSoundSwitchOfTheLevelsFirstFrame) {
  // Started with sound off, a rain level stays silent even once sound comes on.
  auto quiet = Play(RegisterLevel(R"(weather="rain1")"));
  quiet->Update();
  EXPECT_EQ(rainChannel, nullptr);
  soundOn = 1;
  for (int i = 0; i < 5; ++i) quiet->Update();
  EXPECT_EQ(rainChannel, nullptr);
  EXPECT_EQ(quiet->rainZ, 1);
  ClearDrawTrace();
  quiet->Update();
  EXPECT_EQ(CountTraced(IsRainLine), 91) << "the streaks fall without the sound";
  quiet.reset();

  // With sound on it plays its own loop.
  soundOn = 1;
  auto loud = Play(RegisterLevel(R"(weather="rain2")"));
  loud->Update();
  ASSERT_NE(rainChannel, nullptr);
  EXPECT_EQ(ChannelPlaying(rainChannel), AudioAvailable());
  const ChannelPtr loop = rainChannel;
  loud.reset();

  // A later level without rain stops the loop left playing on its first frame.
  rainChannel = loop;
  auto dry = Play(RegisterLevel(R"(weather="snow")"));
  dry->Update();
  EXPECT_FALSE(ChannelPlaying(loop));
}

TEST_F(EffectsTest, ThunderDrawsItsChanceOnlyWhenOnWithSound) {
  struct Case {
    const char* thunder;
    int sound;
    bool paused;
    bool rolls;  // draws random numbers for a thunder
  };
  const Case cases[] = {
      {"true", 1, false, true},
      {"true", 1, true, true},
      {"true", 0, false, false},
      {"TRUE", 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.thunder) + (c.sound != 0 ? " with sound" : " silent") +
                 (c.paused ? ", paused" : ""));
    // Nothing else in this level draws random numbers.
    auto game = Play(RegisterLevel(std::string("thunder=\"") + c.thunder + "\""), false);
    ASSERT_EQ(game->thunder_sound[5] != nullptr, std::string(c.thunder) == "true");
    soundOn = c.sound;
    SessionLinks().isPaused = [&c] { return c.paused; };
    const int seed = RndSeed();
    for (int i = 0; i < 10; ++i) game->Update();
    EXPECT_EQ(RndSeed() != seed, c.rolls);
  }
}

TEST_F(EffectsTest, SunShowsEachOfItsCellsForTwoFrames) {
  auto game = Play(RegisterLevel(R"(sunX="300" sunY="200")"));
  ASSERT_TRUE(game->sun_pic);
  for (int i = 0; i < 84; ++i) game->Update();
  EXPECT_FLOAT_EQ(game->sunFrame, 0) << "one cycle is 84 frames";
  const auto images = Traced("image", "levels_pic/sun.png");
  ASSERT_EQ(images.size(), 84u);
  for (std::size_t i = 0; i < images.size(); ++i)
    EXPECT_EQ(images[i].frame, static_cast<int>(i / 2));
  EXPECT_FLOAT_EQ(images[0].w, 300);
  EXPECT_FLOAT_EQ(images[0].x, 300);
}

struct CrossingCase {
  const char* what;
  const char* level;
  int key;
  const char* picture;
  int TGame::*running;
  float TGame::*x;
  float speed;
  float exitX;
  int cells;  // the picture cycles through these
};

class CrossingTest : public EffectsTest, public ::testing::WithParamInterface<CrossingCase> {};

TEST_P(CrossingTest, KeyStartsARunThatEndsOffTheLeftEdge) {
  const CrossingCase& c = GetParam();
  auto owner = Play(RegisterLevel(c.level));
  TGame* game = owner.get();
  game->Update();
  ASSERT_EQ(game->*c.running, 0);
  InjectKey(c.key, true);
  game->Update();
  EXPECT_EQ(game->*c.running, 1) << "the key starts it at once";
  EXPECT_FLOAT_EQ(game->*c.x, 850);
  for (int i = 0; i < 10; ++i) game->Update();
  EXPECT_NEAR(game->*c.x, 850 - 10 * c.speed, 1e-3) << "holding the key does not restart a run";
  InjectKey(c.key, false);
  ClearDrawTrace();
  int frames = 10;
  while (game->*c.running != 0 && frames < 3000) {
    game->Update();
    ++frames;
  }
  EXPECT_FLOAT_EQ(game->*c.x, 950) << "later runs start further right";
  EXPECT_NEAR(static_cast<float>(frames), (850 - c.exitX) / c.speed, 1.5f);
  const auto images = Traced("image", c.picture);
  ASSERT_EQ(static_cast<int>(images.size()), frames - 10);
  for (std::size_t i = 0; i < images.size(); ++i) {
    // The picture changes every fifth frame; 11 frames ran before the trace started.
    ASSERT_EQ(images[i].frame, static_cast<int>((i + 10) / 5) % c.cells) << i;
  }
  ClearDrawTrace();
  game->Update();
  if (game->*c.running == 0) {
    EXPECT_TRUE(Traced("image", c.picture).empty()) << "invisible between runs";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Creatures, CrossingTest,
    ::testing::Values(CrossingCase{"crow", R"(crow="45")", KEY_C, "levels_pic/crow.png",
                                   &TGame::crowfl, &TGame::crowX, 0.7f, -250, 31},
                      CrossingCase{"mouse", R"(mouse="565")", KEY_M, "levels_pic/mousehorse.png",
                                   &TGame::mousfl, &TGame::mousX, 3.1f, -50, 2}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EffectsTest, SpiderAndSnowmanPlayTheirAnimationOnceOnTheirKey) {
  struct Case {
    const char* level;
    int key;
    const char* picture;
    int frames;      // length of one run
    float cellStep;  // cells per frame
  };
  const Case cases[] = {
      {R"(spiderX="100" spiderY="200")", KEY_S, "levels_pic/spider.png", 362, 0.5f},
      {R"(snowmanX="300" snowmanY="525" snowmanTyp="E")", KEY_W, "levels_pic/snowmanE.png", 60, 1},
      {R"(snowmanX="300" snowmanY="525" snowmanTyp="X")", KEY_W, "", 60, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    auto game = Play(RegisterLevel(c.level));
    const auto running = [&] { return game->spidInit != 0 ? game->spidfl : game->smfl; };
    ClearDrawTrace();
    game->Update();
    ASSERT_EQ(running(), 0);
    InjectKey(c.key, true);
    int frames = 0;
    do {
      game->Update();
      ++frames;
      InjectKey(c.key, false);
    } while (running() != 0 && frames < 1000);
    EXPECT_EQ(frames, c.frames);
    const auto images = Traced("image", c.picture);
    if (*c.picture == '\0') {
      EXPECT_TRUE(Traced("image", "levels_pic/snowmanH.png").empty());
      EXPECT_TRUE(Traced("image", "levels_pic/snowmanE.png").empty());
      continue;
    }
    ASSERT_EQ(static_cast<int>(images.size()), c.frames + 1) << "drawn every frame, at rest too";
    for (int i = 0; i <= c.frames; ++i) {
      ASSERT_EQ(images[static_cast<std::size_t>(i)].frame,
                TruncToInt(std::max(0, i - 1) * c.cellStep))
          << i;
    }
  }
}

TEST_F(EffectsTest, DropOfUnknownKindNeverFallsAndKnownOneFallsOnce) {
  auto game = Play(RegisterLevel(
      "", R"(<kapli><kapla Name="1" x="200" y="10" /><kapla Name="0" x="400" y="10" /></kapli>)"));
  ASSERT_EQ(game->kapliList.size(), 2u);
  for (TKapla& drop : game->kapliList) drop.kaplFrame = 1;
  for (int i = 0; i < 60; ++i) game->Update();
  EXPECT_EQ(game->kapliList.front().kaplFrame, 0);
  EXPECT_EQ(game->kapliList.back().kaplFrame, 1) << "launched, but no kind to fall with";
  const auto images = Traced("image", "levels_pic/kapla1.png");
  ASSERT_EQ(images.size(), 60u);
  for (const TDrawTraceEntry& e : images) EXPECT_FLOAT_EQ(e.x, 200);
  EXPECT_TRUE(Traced("image", "levels_pic/kapla2.png").empty());
}

TEST_F(EffectsTest, PausedFrameKeepsTheSceneMovingButDropsRainAndSnow) {
  SessionLinks().isPaused = [] { return true; };
  for (const char* weather : {"stars", "snow", "rain1"}) {
    SCOPED_TRACE(weather);
    auto game = Play(RegisterLevel(
        std::string("weather=\"") + weather + R"(" crow="45" sunX="300" sunY="300")",
        R"(<oblaka><oblako Name="oblako1.png" x="300" y="80" speed="0.5" direct="left" /></oblaka>)"));
    game->crowfl = 1;
    auto spark = std::make_shared<TBaz>();
    spark->img = shared.baz[1];
    game->bazList.push_back(spark);
    EXPECT_EQ(game->starsList ? game->starsList->size() : 71u, 71u);
    EXPECT_EQ(game->snowList ? game->snowList->size() : 131u, 131u);
    const float firstStarZ = game->starsList ? game->starsList->front()->Z : 0;
    const float firstFlakeY = game->snowList ? game->snowList->front()->yS : 0;
    ClearDrawTrace();
    for (int i = 0; i < 6; ++i) game->Update();
    EXPECT_TRUE(game->bazList.empty()) << "a running spark finishes";
    EXPECT_LT(game->crowX, 850);
    EXPECT_FLOAT_EQ(game->oblakaList.front().xP, 297);
    EXPECT_FLOAT_EQ(game->sunFrame, 3);
    EXPECT_EQ(CountTraced(IsRainLine), 0);
    EXPECT_EQ(game->rainF, 0);
    const auto flakes = Traced("image", "game_pic/snow1.png").size() +
                        Traced("image", "game_pic/snow2.png").size() +
                        Traced("image", "game_pic/snow3.png").size();
    EXPECT_EQ(flakes, 0u);
    if (game->snowList) {
      EXPECT_FLOAT_EQ(game->snowList->front()->yS, firstFlakeY);
    }
    if (game->starsList) {
      EXPECT_NE(game->starsList->front()->Z, firstStarZ) << "stars keep streaming";
      EXPECT_GT(CountTraced(IsStarLine), 6 * 71);
    }
  }
}

TEST_F(EffectsTest, LevelTakesTheSameCourseWithDrawingOff) {
  const std::string sections =
      R"(<oblaka><oblako Name="oblako2.png" x="100" y="80" speed="0.4" direct="left" />
           <oblako Name="oblako3.png" x="700" y="120" speed="0.5" direct="right" /></oblaka>
         <kapli><kapla Name="1" x="200" y="10" /><kapla Name="2" x="260" y="10" scaleY="0.8" /></kapli>
         <komety><kometa x0="50" y0="-50" x="400" y="300" speed="4" angle="20" /><kometa /></komety>)";
  for (const char* weather : {"snow", "stars", "rain1", "rain2"}) {
    SCOPED_TRACE(weather);
    const int level =
        RegisterLevel(std::string("weather=\"") + weather +
                          R"(" thunder="true" crow="55" mouse="565" spiderX="500" spiderY="150"
                                          snowmanX="300" snowmanY="525" snowmanTyp="H" sunX="600" sunY="150")",
                      sections);
    struct Course {
      int seed;
      std::vector<float> values;
    };
    const auto run = [&](bool drawing) {
      SeedRnd(99);
      soundOn = 1;
      auto game = Play(level, drawing);
      for (int frame = 0; frame < 600; ++frame) {
        for (int key : {KEY_C, KEY_M, KEY_S, KEY_W}) InjectKey(key, frame % 150 == key % 7);
        game->Update();
      }
      Course course{RndSeed(),
                    {game->crowX, game->crowFrame, game->mousX, static_cast<float>(game->mousFrame),
                     game->spidFrame, static_cast<float>(game->smFrame), game->sunFrame,
                     static_cast<float>(game->rainF)}};
      for (const TKometa& c : game->kometyList)
        course.values.insert(course.values.end(), {c.d, c.komFrame, static_cast<float>(c.go)});
      for (const TKapla& d : game->kapliList) course.values.push_back(d.kaplFrame);
      for (const Oblako& o : game->oblakaList) course.values.push_back(o.xP);
      if (game->snowList) {
        for (const auto& f : *game->snowList)
          course.values.insert(course.values.end(), {f->xS, f->yS, f->angle});
      }
      if (game->starsList) {
        for (const auto& s : *game->starsList) course.values.push_back(s->Z);
      }
      return course;
    };
    const Course drawn = run(true);
    const Course undrawn = run(false);
    EXPECT_EQ(drawn.seed, undrawn.seed);
    EXPECT_EQ(drawn.values, undrawn.values);
  }
}

}  // namespace
