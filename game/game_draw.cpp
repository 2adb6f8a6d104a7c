// Drawing of the play screen that is the session's own: background and decorations, the cannon
// and the two counters (level number and shots) built from digit pictures.
#include "game/game.h"
#include "state/globals.h"

namespace {

constexpr float BRACKET_X = CANNON_PIVOT_X;
constexpr float BRACKET_Y = CANNON_PIVOT_Y;
constexpr float CANNON_X = 49;
constexpr float CANNON_Y = 557;
constexpr int FIRST_DIGIT_GAP = 13;
constexpr int DIGIT_GAP = 6;
constexpr float PAUSED_ALPHA = 0.7f;

}  // namespace

void TGame::DrawBackground(bool paused) const {
  Cls();
  if (backgroundImage) DrawImage(backgroundImage, 0, 0, 0);
  SetBlend(ALPHABLEND);
  SetAlpha(paused ? PAUSED_ALPHA : 1.0f);
  for (const PicLevel& pic : levelsPics) {
    SetRotation(pic.angle);
    DrawImage(pic.pic, pic.xP, pic.yP, 0);
    SetRotation(0);
  }
}

void TGame::DrawCannon() const {
  if (!IsPaused()) DrawImage(shared.aim, xAM, yAM, 0);
  DrawImage(shared.bracket, BRACKET_X, BRACKET_Y, 0);
  SetRotation(Rot);
  DrawImage(shared.cannon, CANNON_X, CANNON_Y, currentFrameOfCannon);
  SetRotation(0);
}

void TGame::DrawCounter(const ImagePtr& label, float x, float y, int value) const {
  DrawImage(label, x, y, 0);
  int offset = ImageWidth(label) / 2 + FIRST_DIGIT_GAP;
  for (const char c : std::to_string(value)) {
    if (c < '0' || c > '9') continue;
    const ImagePtr& digit = shared.digits[static_cast<std::size_t>(c - '0')];
    DrawImage(digit, x + static_cast<float>(offset), y, 0);
    offset += ImageWidth(digit) / 2 + DIGIT_GAP;
  }
}

void TGame::drawLevel() const {
  if (OwnLevel()) return;  // a level of the player's has a name, not a number
  DrawCounter(shared.numLevel, levX, levY, currentLevel);
}

void TGame::drawShots() const { DrawCounter(shared.shots, shotsX, shotsY, levelScore); }
