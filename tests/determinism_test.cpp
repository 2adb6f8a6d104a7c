// The simulation gives bit-identical results for the same level and shots: a few fixed plays
// on shipped levels (a chain, sliders and a portal among them) reduce every body's position and
// angle, frame after frame, to one hash each, compared with tests/fixtures/determinism.txt.
// Stored plans and thumbnails depend on this. When the physics changes on purpose, write the new
// values with: BRAKKON_UPDATE_DETERMINISM=1 build/determinism_test
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "game/game.h"
#include "game_environment.h"

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new TGameEnvironment);

const std::string FIXTURE = std::string(BRAKKON_FIXTURES) + "/determinism.txt";
constexpr int FRAMES = 400;
constexpr int START_SEED = 4660;

struct TPlay {
  int level;
  int shotFrames[2];
  int x, y;
};
// Level 1: a flight into the wall; 66: heavy ends on chains; 42: a slider; 102: a portal; 148: a
// turning body. Two shots each, the second while the first is still moving.
constexpr TPlay PLAYS[] = {
    {1, {60, 120}, 700, 200},   {66, {60, 150}, 500, 250},  {42, {60, 100}, 420, 300},
    {102, {60, 140}, 600, 150}, {148, {70, 130}, 650, 250},
};

/// FNV-1a over the bit patterns of every body's position and angle after every frame.
std::uint64_t PlayHash(const TPlay& play) {
  SeedRnd(START_SEED);
  soundOn = 0;
  currentLevel = play.level;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = false;
  std::uint64_t hash = 14695981039346656037ull;
  auto mix = [&hash](float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) {
      hash ^= (bits >> (8 * i)) & 0xFFu;
      hash *= 1099511628211ull;
    }
  };
  for (int frame = 0; frame < FRAMES && game->m_world && game->m_world->world; ++frame) {
    InjectMouseMove(play.x, play.y);
    game->Update();
    if (frame == play.shotFrames[0] || frame == play.shotFrames[1]) game->shotRagdoll();
    if (!game->m_world || !game->m_world->world) break;
    for (physics::b2Body* b = game->m_world->world->GetBodyList(); b != nullptr; b = b->GetNext()) {
      mix(b->GetPosition().x);
      mix(b->GetPosition().y);
      mix(b->GetAngle());
    }
  }
  game->exitAll();
  return hash;
}

std::map<int, std::string> ReadFixture() {
  std::map<int, std::string> stored;
  std::ifstream in(FIXTURE);
  int level = 0;
  std::string hash;
  while (in >> level >> hash) stored[level] = hash;
  return stored;
}

std::string Hex(std::uint64_t value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

TEST(Determinism, FixedPlaysGiveTheStoredHashes) {
  std::map<int, std::string> now;
  for (const TPlay& play : PLAYS) now[play.level] = Hex(PlayHash(play));
  if (const char* update = std::getenv("BRAKKON_UPDATE_DETERMINISM"); update && *update == '1') {
    std::ofstream out(FIXTURE, std::ios::trunc);
    for (const auto& [level, hash] : now) out << level << " " << hash << "\n";
    ASSERT_TRUE(out.good()) << "could not write " << FIXTURE;
    GTEST_SKIP() << "wrote " << FIXTURE;
  }
  const std::map<int, std::string> stored = ReadFixture();
  for (const auto& [level, hash] : now) {
    const auto it = stored.find(level);
    ASSERT_NE(it, stored.end()) << "no stored hash for level " << level << " in " << FIXTURE;
    EXPECT_EQ(hash, it->second) << "level " << level << " plays differently than before; if the "
                                << "physics changed on purpose, run BRAKKON_UPDATE_DETERMINISM=1 "
                                << "build/determinism_test";
  }
}

TEST(Determinism, TheSamePlayTwiceIsBitIdentical) {
  EXPECT_EQ(PlayHash(PLAYS[1]), PlayHash(PLAYS[1]));
}

}  // namespace
