// What the level tools rely on: a play with drawing off is the play the player gets, and it does
// not depend on the random generator (ragdoll looks, sparks, weather and sound draw from it in
// different amounts in the game and in the tools). Checked on a level with a portal and a sliding
// box, where ragdoll pictures decide by pixel overlap, and on the starter levels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "game_environment.h"
#include "state/globals.h"

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new TGameEnvironment);

/// The entrance sits in the flight of a shot at (400, 300); the exit drops the ragdoll beside a
/// box that slides along the floor, which picks it up on its way back. Snow and a crow draw from
/// the generator every frame.
constexpr int MECHANICS_LEVEL = 901;
const char* const MECHANICS_XML = R"(<?xml version="1.0"?>
<level fon="fon1.jpg" levX="65" levY="30" shotsX="67" shotsY="55" nextX="400" nextY="300" limitRagdoll="20" weather="snow" crow="95" >
<bodies>
<body Name="borderPlankGorizontal1Big.png" x="400" y="595" typ="s" shape="r" />
<body Name="borderPlankVertical1Big.png" x="795" y="300" typ="s" shape="r" />
<body Name="staticBoxSmall.png" x="200" y="540" typ="s" shape="r" />
<body Name="movingPlankBigGorizont.png" x="400" y="584" typ="s" shape="r" move="right" speed="0.2" />
<body Name="dynamicBoxMedium.png" x="300" y="300" typ="d" shape="r" density="0.5" />
<body Name="target.png" x="700" y="560" typ="s" shape="r" target="true" />
</bodies>
<portals xIn="25" yIn="50" angleIn="0" xOut="60" yOut="55" angleOut="0" forceOutX="0" forceOutY="1" />
</level>
)";

struct TTrace {
  std::vector<float> numbers;  // every body's position and angle, frame after frame
  int teleports = 0;           // ragdolls rebuilt at the portal exit
  int carried = 0;             // frames in which a slider carried a ragdoll part
  int winFrame = 0;
};

/// Plays `level` for `frames` frames with one shot at (x, y) in frame 0.
TTrace Play(int level, int x, int y, int frames, bool drawing, int seed, int sound) {
  SeedRnd(seed);
  soundOn = sound;
  currentLevel = level;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = drawing;
  TTrace trace;
  const TRagdoll* last = nullptr;
  for (int frame = 0; frame < frames && game->m_world && game->m_world->world; ++frame) {
    if (frame == 0) InjectMouseMove(x, y);
    game->Update();
    if (frame == 0) game->shotRagdoll();
    if (!game->ragdollList.empty() && last != nullptr && game->ragdollList.back().get() != last &&
        game->ragdollList.size() == 1) {
      ++trace.teleports;
    }
    last = game->ragdollList.empty() ? nullptr : game->ragdollList.back().get();
    for (const auto& ragdoll : game->ragdollList) {
      // A carried torso leaves the frame with the slider's velocity, 0.2 x 40 units/s either way,
      // or 90 % of it.
      const physics::b2Vec2 v = ragdoll->body->GetLinearVelocity();
      const float speed = std::fabs(v.x);
      if (std::fabs(v.y) < 1e-4f &&
          (std::fabs(speed - 8.0f) < 1e-4f || std::fabs(speed - 7.2f) < 1e-4f)) {
        ++trace.carried;
      }
    }
    if (game->flTou == 1 && trace.winFrame == 0) trace.winFrame = game->framesPlayed;
    for (physics::b2Body* b = game->m_world->world->GetBodyList(); b != nullptr; b = b->GetNext()) {
      trace.numbers.push_back(b->GetPosition().x);
      trace.numbers.push_back(b->GetPosition().y);
      trace.numbers.push_back(b->GetAngle());
    }
  }
  soundOn = 0;
  return trace;
}

TEST(LevelsSim, RagdollLooksShareSizesAndCollisionMasks) {
  // A one-pixel solid probe finds every solid pixel of a picture through ImagesCollide, the test
  // the portal and the sliders use.
  PixmapPtr dot = CreatePixmap(1, 1);
  dot->WritePixel(0, 0, 0xFFFFFFFF);
  const ImagePtr probe = LoadImageFromPixmap(dot, 0);
  ASSERT_TRUE(probe);
  for (std::size_t part = 0; part < RAGDOLL_PART_NAMES.size(); ++part) {
    const ImagePtr& first = shared.ragdoll[0][part];
    ASSERT_TRUE(first) << RAGDOLL_PART_NAMES[part];
    for (std::size_t look = 1; look < shared.ragdoll.size(); ++look) {
      const ImagePtr& other = shared.ragdoll[look][part];
      ASSERT_TRUE(other);
      EXPECT_EQ(ImageWidth(other), ImageWidth(first))
          << RAGDOLL_PART_NAMES[part] << " look " << look + 1;
      EXPECT_EQ(ImageHeight(other), ImageHeight(first))
          << RAGDOLL_PART_NAMES[part] << " look " << look + 1;
      int differing = 0, solid = 0;
      for (int py = 0; py < ImageHeight(first); ++py) {
        for (int px = 0; px < ImageWidth(first); ++px) {
          const bool a = ImagesCollide(probe, 100 + px, 100 + py, 0, first, 100, 100, 0);
          const bool b = ImagesCollide(probe, 100 + px, 100 + py, 0, other, 100, 100, 0);
          differing += a != b ? 1 : 0;
          solid += a ? 1 : 0;
        }
      }
      EXPECT_GT(solid, 0) << RAGDOLL_PART_NAMES[part];
      EXPECT_EQ(differing, 0) << RAGDOLL_PART_NAMES[part] << " look " << look + 1
                              << " collides differently";
    }
  }
}

TEST(LevelsSim, PortalAndSliderPlayIsTheSameDrawnOrNotWhateverTheGenerator) {
  const std::string text = MECHANICS_XML;
  RegisterAssetBytes(LevelAssetPath(MECHANICS_LEVEL),
                     std::vector<std::uint8_t>(text.begin(), text.end()));
  const TTrace drawn = Play(MECHANICS_LEVEL, 400, 300, 400, true, 4660, 1);
  ASSERT_GT(drawn.teleports, 0)
      << "the shot must go through the portal for this test to mean anything";
  ASSERT_GT(drawn.carried, 0) << "the slider must carry the ragdoll";
  for (const auto& [drawing, seed, sound] :
       {std::tuple{false, 4660, 1}, std::tuple{false, 4660, 0}, std::tuple{false, 12345, 0},
        std::tuple{true, 777, 1}}) {
    const TTrace other = Play(MECHANICS_LEVEL, 400, 300, 400, drawing, seed, sound);
    EXPECT_EQ(other.winFrame, drawn.winFrame) << drawing << " " << seed << " " << sound;
    EXPECT_EQ(other.numbers, drawn.numbers) << drawing << " " << seed << " " << sound;
  }
}

/// The first shot of a stored solution ("shot 0 X Y"), or (600, 250) when there is none.
std::pair<int, int> StoredAim(int level) {
  std::ifstream file(std::string(BRAKKON_FIXTURES) + "/../../assets/solutions/level" +
                     std::to_string(level) + ".txt");
  for (std::string word; file >> word;) {
    int frame = 0, x = 0, y = 0;
    if (word == "shot" && file >> frame >> x >> y) return {x, y};
  }
  return {600, 250};
}

TEST(LevelsSim, StarterLevelPlaysAreTheSameDrawnOrNot) {
  for (int level = 1; level <= 5; ++level) {
    if (!IsEmbeddedAsset(LevelAssetPath(level))) continue;
    const auto [x, y] = StoredAim(level);
    const TTrace drawn = Play(level, x, y, 240, true, 4660, 1);
    const TTrace quiet = Play(level, x, y, 240, false, 99, 0);
    EXPECT_EQ(quiet.numbers, drawn.numbers) << "level " << level;
    EXPECT_EQ(quiet.winFrame, drawn.winFrame) << "level " << level;
  }
}

}  // namespace
