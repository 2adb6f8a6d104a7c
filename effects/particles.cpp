// Snowflakes, stars and the spark's frame step. Random values are the game's Rand integers,
// converted to float, so a level's weather repeats for the same sequence of calls.
#include "effects/particles.h"

namespace {

constexpr float SNOW_BOTTOM = 640;
constexpr float SNOW_RIGHT_WRAP = 830;
constexpr float SNOW_LEFT_WRAP = -30;
constexpr float STAR_FAR = 100;
constexpr float STAR_NEAREST = -63;
constexpr float STAR_EIGHT_ARMS_DEPTH = 50;
constexpr int SPARK_FRAMES = 6;

float RandF(int lo, int hi) { return static_cast<float>(Rand(lo, hi)); }

}  // namespace

std::shared_ptr<TSnowflake> TSnowflake::Create(const TSnowPictures& pictures) {
  auto f = std::make_shared<TSnowflake>();
  f->xS = RandF(-20, 820);
  f->yS = RandF(-300, -10);
  f->initY = f->yS;
  f->img = pictures[static_cast<std::size_t>(Rand(1, 3) - 1)];
  f->speed = RandF(1, 3);
  f->scale = RandF(8, 10) * 0.1f;
  f->t = 0.15f;
  f->angle = RandF(0, 360);
  f->angleSpeed = RandF(0, 2) * 0.5f;
  f->speedT = RandF(1, 6) * 0.1f;
  f->sp = RandF(6, 25) * 0.1f;
  if (f->img) {
    f->img->width = TruncToInt(10 * f->scale);
    f->img->height = TruncToInt(10 * f->scale);
  }
  return f;
}

void TSnowflake::UpdateAll(TSnowList& flakes, bool draw) {
  for (const auto& f : flakes) {
    if (draw) {
      SetRotation(f->angle);
      DrawImage(f->img, f->xS, f->yS, 0);
    }
    f->yS += f->speed;
    if (f->yS > SNOW_BOTTOM) {
      f->yS = f->initY;
      f->angleSpeed = -RandF(0, 2) * 0.5f;
    }
    // A flake sent round to the left side may land left of the left edge: it must not be sent
    // straight back in the same frame.
    if (f->xS > SNOW_RIGHT_WRAP) {
      f->xS = RandF(-40, -20);
    } else if (f->xS < SNOW_LEFT_WRAP) {
      f->xS = RandF(810, 840);
    }
    f->t += f->speedT;
    f->xS += static_cast<float>(Sin(f->t)) * f->sp;
    f->angle += f->angleSpeed;
  }
  if (draw) SetRotation(0);
}

TStar::TStar() {
  X = RandF(-400, 400);
  Y = RandF(-300, 300);
  Z = RandF(0, 100);
  sZ = RandF(1, 4);
}

void TStar::UpdateS(float a, bool draw) {
  Z -= sZ / 2;
  if (Z < STAR_NEAREST) Z = STAR_FAR;
  const float px = X * 64 / (64 + Z);
  const float py = Y * 64 / (64 + Z);
  const auto c = static_cast<float>(Cos(a));
  const auto s = static_cast<float>(Sin(a));
  const float x = px * c - py * s + H;
  const float y = px * s + py * c + V;
  if (x < 0 || x > 2 * H) Z = STAR_FAR;
  if (y < 0 || y > 2 * V) Z = STAR_FAR;
  if (!draw) return;
  const int arm = TruncToInt((STAR_FAR - Z) / 20);
  const auto fa = static_cast<float>(arm);
  DrawLine(x - fa, y, x + fa, y);
  DrawLine(x, y - fa, x, y + fa);
  if (Z < STAR_EIGHT_ARMS_DEPTH) {
    const auto h = static_cast<float>(arm / 2);
    DrawLine(x - h, y - h, x + h, y + h);
    DrawLine(x + h, y - h, x - h, y + h);
  }
}

void UpdateSpark(TBaz& spark, bool draw) {
  if (draw) DrawImage(spark.img, spark.xB, -spark.yB, spark.Cframe);
  spark.Cframe += 1;
  if (spark.Cframe == SPARK_FRAMES) spark.endF = 1;
}
