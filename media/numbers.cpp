// The game's own random generator (Park-Miller minimal standard, multiplier 48271, Schrage's
// method) and the degree-based trigonometry the game is written in.
#include <cmath>
#include <limits>

#include "media/media.h"

namespace {

constexpr int RND_MODULUS = 2147483647;  // 2^31 - 1
constexpr int RND_MULTIPLIER = 48271;
constexpr int RND_Q = 44488;  // modulus div multiplier
constexpr int RND_R = 3399;   // modulus mod multiplier
constexpr int RND_START = 0x1234;

int rndState = RND_START;

int RndStep() {
  rndState = RND_MULTIPLIER * (rndState % RND_Q) - RND_R * (rndState / RND_Q);
  if (rndState < 0) rndState += RND_MODULUS;
  return rndState;
}

}  // namespace

double RndReal() {
  const int s1 = RndStep();
  const int s2 = RndStep();
  return (static_cast<double>(s1 & 0x1FFFFFFC) +
          static_cast<double>(s2 & 0x1FFFFFF8) / 134217728.0) /
         536870912.0;
}

int Rand(int lo, int hi) {
  const double real = RndReal();
  if (hi > lo) return static_cast<int>(lo + std::trunc(real * (static_cast<double>(hi) - lo + 1)));
  return static_cast<int>(hi + std::trunc(real * (static_cast<double>(lo) - hi + 1)));
}

void SeedRnd(int seed) {
  // A zero state would stay zero forever; the modulus would too.
  seed &= 0x7FFFFFFF;
  rndState = (seed == 0 || seed == RND_MODULUS) ? 0x1234 : seed;
}

int RndSeed() { return rndState; }

double Sin(double degrees) { return std::sin(degrees * (PI_DOUBLE / 180.0)); }
double Cos(double degrees) { return std::cos(degrees * (PI_DOUBLE / 180.0)); }
double ATan(double value) { return std::atan(value) * (180.0 / PI_DOUBLE); }
double ATan2(double y, double x) { return std::atan2(y, x) * (180.0 / PI_DOUBLE); }

int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}
