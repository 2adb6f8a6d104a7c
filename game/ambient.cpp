// The weather and creature steps of a play frame: the rain sound, what is drawn behind the
// bodies (comets, sun, drops, creatures, clouds, stars) and what is drawn over them (rain lines,
// thunder, snow).
#include "app/globals.h"
#include "effects/particles.h"
#include "game/game.h"

namespace {

constexpr int STAR_R = 78, STAR_G = 113, STAR_B = 176;
constexpr float STAR_ALPHA = 0.6f;
constexpr float STAR_PLANE_TURN = 1;

}  // namespace

void TGame::StartRainSound() {}

void TGame::AmbientBackground(bool /*paused*/) {
  if (weather == "stars" && starsList && drawingEnabled) {
    SetAlpha(STAR_ALPHA);
    SetColor(STAR_R, STAR_G, STAR_B);
    for (const auto& star : *starsList) star->UpdateS(STAR_PLANE_TURN);
    SetColor(255, 255, 255);
    SetAlpha(1);
  }
}

void TGame::AmbientForeground(bool paused) {
  if (!paused && weather == "snow" && snowList && drawingEnabled) TSnowflake::UpdateAll(*snowList);
}

void TGame::thunderG() {}
