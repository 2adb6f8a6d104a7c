// Frame steps of clouds, drops and comets, and the rain streaks. Random values come from the
// game's Rand in a fixed order, drawn or not, so the weather repeats for the same sequence.
#include "effects/ambient.h"

#include <cmath>

namespace {

constexpr float CLOUD_LEFT_WRAP = -100;
constexpr float CLOUD_RIGHT_WRAP = 900;

constexpr float DROP_CELL_WIDTH = 20;
constexpr float DROP_CELL_HEIGHT = 590;
constexpr TDropKind DROP_KIND_1 = {1.0f, 45.0f, 60.0f};
constexpr TDropKind DROP_KIND_2 = {0.5f, 30.0f, 40.0f};

// NOTE: at scale 1 a comet is drawn 208 pixels wide, narrower than its 240-pixel cells.
constexpr float COMET_WIDTH = 208;
constexpr float COMET_HEIGHT = 90;
constexpr float COMET_FALL_FACTOR = 7;  // the vertical advance is 7 times the horizontal
constexpr float COMET_FRAME_WRAP = 164;
constexpr float COMET_FIELD_LEFT = -300, COMET_FIELD_RIGHT = 1100;
constexpr float COMET_FIELD_TOP = -300, COMET_FIELD_BOTTOM = 900;

constexpr int RAIN_R = 78, RAIN_G = 113, RAIN_B = 167;
constexpr int SLANTED_STREAKS = 91, STRAIGHT_STREAKS = 41;
constexpr int SLANTED_LONGEST = 110, STRAIGHT_LONGEST = 90;
constexpr int STREAK_SHORTEST = 10;
constexpr int SLANT_MIN = 8, SLANT_MAX = 13;  // degrees

}  // namespace

void Oblako::Update(bool draw) {
  if (draw) DrawImage(pic, xP, yP, 0);
  if (direct == "left") xP -= speed;
  if (direct == "right") xP += speed;
  if (xP < CLOUD_LEFT_WRAP) xP = CLOUD_RIGHT_WRAP;
  if (xP > CLOUD_RIGHT_WRAP) xP = CLOUD_LEFT_WRAP;
}

const TDropKind* TKapla::Kind() const {
  if (typ == 1) return &DROP_KIND_1;
  if (typ == 2) return &DROP_KIND_2;
  return nullptr;
}

bool TKapla::Update(const TDropKind& kind, const ImagePtr& picture, bool draw) {
  if (picture) {
    picture->width = TruncToInt(DROP_CELL_WIDTH * scaleX);
    picture->height = TruncToInt(DROP_CELL_HEIGHT * scaleY);
  }
  if (draw) DrawImage(picture, xP, yP, TruncToInt(kaplFrame));
  kaplFrame += kind.step;
  const bool soundDue = kaplFrame == kind.soundFrame;
  if (kaplFrame > kind.lastFrame) kaplFrame = 0;
  return soundDue;
}

void TKometa::Update(const ImagePtr& picture, bool draw) {
  if (picture) {
    picture->width = TruncToInt(COMET_WIDTH * scaleX);
    picture->height = TruncToInt(COMET_HEIGHT * scaleY);
  }
  d += speed;
  const float dir = x0 <= xP ? 1.0f : -1.0f;
  // x 0 gives an infinite slope, a fall straight down; x and y both 0 give no direction at all.
  const auto theta = ATan(static_cast<double>(yP / xP));
  const float x = x0 + dir * d * static_cast<float>(Cos(theta));
  const float y = y0 + std::fabs(COMET_FALL_FACTOR * d * static_cast<float>(Sin(theta)));
  const bool placed = std::isfinite(x) && std::isfinite(y);
  if (draw && placed) {
    SetRotation(angle);
    DrawImage(picture, x, y, TruncToInt(komFrame));
    SetRotation(0);
  }
  komFrame += 1;
  if (komFrame == COMET_FRAME_WRAP) komFrame = 0;
  if (!placed || x < COMET_FIELD_LEFT || x > COMET_FIELD_RIGHT || y < COMET_FIELD_TOP ||
      y > COMET_FIELD_BOTTOM) {
    go = 0;
  }
}

void UpdateRainStreaks(TRainKind kind, bool draw) {
  const bool slanted = kind == TRainKind::slanted;
  if (draw) SetColor(RAIN_R, RAIN_G, RAIN_B);
  if (slanted) {
    const int slant = Rand(SLANT_MIN, SLANT_MAX);
    if (draw) SetRotation(static_cast<float>(slant));
  }
  const int count = slanted ? SLANTED_STREAKS : STRAIGHT_STREAKS;
  const int longest = slanted ? SLANTED_LONGEST : STRAIGHT_LONGEST;
  for (int i = 0; i < count; ++i) {
    const int x = Rand(1, SCREEN_WIDTH);
    const int y = Rand(1, SCREEN_HEIGHT);
    const int length = Rand(STREAK_SHORTEST, longest);
    // A streak stops one pixel short of its length; each turns about its upper end.
    if (draw)
      DrawLine(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x),
               static_cast<float>(y + length - 1));
  }
  if (!draw) return;
  if (slanted) SetRotation(0);
  SetColor(255, 255, 255);
}
