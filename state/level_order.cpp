#include "state/level_order.h"

#include <array>

namespace {

constexpr int RENUMBERED_LEVELS = 170;

/// The earlier number of each level, in the present order: entry N - 1 is the level that became
/// level N.
constexpr std::array<int, RENUMBERED_LEVELS> EARLIER_NUMBER = {
    1,   3,   4,   5,   6,   7,   9,   12,  15, 17,  18,  30,  47,  52,  56,  67,  77,  89,  103,
    133, 2,   8,   16,  19,  21,  23,  33,  36, 46,  50,  59,  60,  70,  73,  81,  102, 113, 121,
    129, 170, 123, 10,  13,  20,  22,  31,  43, 54,  55,  71,  76,  80,  82,  85,  88,  98,  116,
    118, 155, 168, 11,  14,  27,  29,  32,  35, 37,  39,  51,  64,  72,  75,  92,  115, 122, 128,
    131, 135, 139, 156, 24,  25,  38,  44,  49, 57,  66,  78,  84,  94,  97,  106, 107, 109, 124,
    132, 138, 146, 157, 158, 34,  40,  41,  42, 45,  58,  61,  65,  74,  79,  91,  100, 105, 126,
    127, 130, 134, 140, 151, 161, 28,  53,  68, 69,  86,  87,  93,  99,  104, 108, 111, 119, 125,
    136, 142, 144, 145, 148, 149, 165, 26,  48, 62,  83,  90,  95,  96,  101, 110, 112, 114, 117,
    120, 137, 141, 150, 152, 163, 167, 169, 63, 143, 147, 153, 154, 159, 160, 162, 164, 166,
};

}  // namespace

int PresentLevelNumber(int earlier) {
  if (earlier < 1 || earlier > RENUMBERED_LEVELS) return earlier;
  for (int present = 1; present <= RENUMBERED_LEVELS; ++present) {
    if (EARLIER_NUMBER[static_cast<std::size_t>(present) - 1] == earlier) return present;
  }
  return earlier;
}
