// Generates fones/fon1.jpg .. fon15.jpg, the 800 x 600 backgrounds, and menu_pic/play_menu.png:
// fifteen scenes painted soft and without outlines, so that the inked bodies and the outlined
// decorations stand in front of them. fon11 lies behind the main menu, fon12 behind the level
// selection and fon1 behind the final win screen, so those keep light, quiet areas where the menus
// put their blue captions. The JPEGs are loaded masked: every colour stays well clear of pure
// black.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tools/art/art.h"
#include "tools/art/scenery.h"

using namespace art;

namespace {

constexpr int W = 800, H = 600;
constexpr int JPEG_QUALITY = 88;

const Rgb HILL_GREEN = Hex(0x8CCB5E);
const Rgb MEADOW = Hex(0xA6DC72);
const Rgb TRUNK = Hex(0x8A5A3C);

/// Soft clouds without outlines.
void SkyClouds(cairo_t* cr, Rng& rng, int count, double y0, double y1, Rgb body, Rgb shadow,
               double alpha) {
  for (int i = 0; i < count; ++i) {
    const double w = rng.Range(120, 240), x = (i + rng.Range(0.1, 0.9)) * W / count;
    Cloud(cr, x, rng.Range(y0, y1), w, w * rng.Range(0.35, 0.45), body, shadow, Pen{0}, alpha, rng);
  }
}

/// A row of hazed leafy trees along a ridge line.
void TreeLine(cairo_t* cr, Rng& rng, int count, double baseY, double height, Rgb leaf,
              const Pen& pen) {
  for (int i = 0; i < count; ++i) {
    const double x = (i + rng.Range(0, 1)) * W / count, h = height * rng.Range(0.7, 1.1);
    LeafyTree(cr, x, baseY + rng.Range(-6, 6), h, h * 0.32, h * 0.3, TRUNK,
              Shade(leaf, rng.Range(-0.1, 0.1)), pen, rng);
  }
}

void FirLine(cairo_t* cr, Rng& rng, int count, double baseY, double height, Rgb needles, bool snow,
             const Pen& pen) {
  for (int i = 0; i < count; ++i) {
    const double x = (i + rng.Range(0, 1)) * W / count, h = height * rng.Range(0.7, 1.15);
    FirTree(cr, x, baseY + rng.Range(-5, 5), h * 0.5, h, needles, snow, pen, rng);
  }
}

void Stars(cairo_t* cr, Rng& rng, int count, double maxY) {
  for (int i = 0; i < count; ++i) {
    const double x = rng.Range(0, W), y = rng.Range(0, maxY), r = rng.Range(0.5, 1.6);
    if (r > 1.3) {
      StarPath(cr, x, y, r * 2.5, r * 0.6, 4, 0);
    } else {
      cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    }
    Source(cr, Hex(0xFFF8E0), rng.Range(0.5, 1.0));
    cairo_fill(cr);
  }
}

/// Mountain range: a jagged ridge of peaks with snow caps.
void Peaks(cairo_t* cr, Rng& rng, double baseY, double height, int peaks, Rgb rock, Rgb low,
           bool snow) {
  std::vector<std::pair<double, double>> pts;
  pts.push_back({-20, baseY});
  for (int i = 0; i < peaks; ++i) {
    const double x = (i + 0.5) * W / peaks + rng.Range(-30, 30);
    const double top = baseY - height * rng.Range(0.55, 1.0);
    pts.push_back({x - W / peaks * 0.5, baseY - height * rng.Range(0.1, 0.35)});
    pts.push_back({x, top});
  }
  pts.push_back({W + 20, baseY - height * 0.2});
  pts.push_back({W + 20, H});
  pts.push_back({-20, H});
  cairo_move_to(cr, pts[0].first, pts[0].second);
  for (const auto& p : pts) cairo_line_to(cr, p.first, p.second);
  cairo_close_path(cr);
  FillVertical(cr, baseY - height, baseY + 40, rock, low);
  cairo_new_path(cr);
  if (!snow) return;
  for (std::size_t i = 2; i + 2 < pts.size(); i += 2) {
    const auto [x, y] = pts[i];
    const double d = (baseY - y) * 0.28;
    const auto [lx, ly] = pts[i - 1];
    const auto [rx, ry] = pts[i + 1];
    const double tl = d / std::max(1.0, ly - y), tr = d / std::max(1.0, ry - y);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + (rx - x) * tr, y + d);
    cairo_line_to(cr, x + (rx - x) * tr * 0.5, y + d * 0.7);
    cairo_line_to(cr, x, y + d * 0.95);
    cairo_line_to(cr, x + (lx - x) * tl * 0.5, y + d * 0.75);
    cairo_line_to(cr, x + (lx - x) * tl, y + d);
    cairo_close_path(cr);
    Source(cr, Hex(0xF4F8FF));
    cairo_fill(cr);
  }
}

/// A far-off bird: two curved strokes.
void Bird(cairo_t* cr, double x, double y) {
  cairo_move_to(cr, x - 8, y);
  cairo_curve_to(cr, x - 4, y - 5, x - 1, y - 4, x, y);
  cairo_curve_to(cr, x + 1, y - 4, x + 4, y - 5, x + 8, y);
  Source(cr, Hex(0x4A5A78));
  cairo_set_line_width(cr, 1.7);
  cairo_stroke(cr);
}

void Flowers(cairo_t* cr, Rng& rng, int count, double y0, double y1) {
  const Rgb colours[] = {WHITE, YELLOW, PINK, Hex(0xB8A0F0)};
  for (int i = 0; i < count; ++i) {
    const double y = rng.Range(y0, y1), r = 2 + (y - y0) / (y1 - y0) * 4;
    Blossom(cr, rng.Range(0, W), y, r, 5, colours[i % 4], ORANGE, Pen{0}, rng.Range(0, 72));
  }
}

// [SECTION] Scenes --------------------------------------------------------------------------------

void Meadow(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x6FBEEE)}, {0.6, Hex(0xCDEBFA)}, {1, Hex(0xE8F6FC)}});
  Glow(cr, 120, 90, 160, Hex(0xFFF6C0), 0.6);
  SkyClouds(cr, rng, 4, 70, 230, WHITE, Hex(0xDCE9F6), 0.9);
  const Rgb air = Hex(0xD8EEF8);
  Ridge(cr, W, 380, 40, H, Mix(Hex(0x7DB8A8), air, 0.45), Mix(Hex(0x7DB8A8), air, 0.3), rng);
  TreeLine(cr, rng, 9, 392, 60, HILL_GREEN, Distant(0.45, air));
  Ridge(cr, W, 440, 30, H, Mix(HILL_GREEN, air, 0.15), HILL_GREEN, rng);
  TreeLine(cr, rng, 4, 452, 90, Hex(0x6CB84A), Distant(0.2, air));
  Ridge(cr, W, 500, 16, H, Shade(MEADOW, 0.1), Shade(MEADOW, -0.05), rng);
  Flowers(cr, rng, 70, 505, 600);
}

void Forest(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x9FD8E8)}, {1, Hex(0xE0F2D8)}});
  const Rgb air = Hex(0xD8EEE0);
  FirLine(cr, rng, 16, 330, 150, Hex(0x5A9A7A), false, Distant(0.6, air));
  TreeLine(cr, rng, 12, 390, 170, Hex(0x5AA860), Distant(0.45, air));
  // Shafts of sunlight between the trees.
  for (int i = 0; i < 5; ++i) {
    const double x = 80 + i * 170 + rng.Range(-30, 30);
    cairo_move_to(cr, x, 0);
    cairo_line_to(cr, x + 60, 0);
    cairo_line_to(cr, x + 200, H);
    cairo_line_to(cr, x + 110, H);
    cairo_close_path(cr);
    Source(cr, Hex(0xFFFBE0), 0.14);
    cairo_fill(cr);
  }
  Ridge(cr, W, 470, 14, H, Hex(0x98C870), Hex(0x7AAE5A), rng);
  TreeLine(cr, rng, 6, 480, 260, Hex(0x4E9A48), Distant(0.25, air));
  Ridge(cr, W, 540, 10, H, Hex(0x8CBE62), Hex(0x72A04C), rng);
  Grass(cr, 0, W, 560, 28, 160, Hex(0x7AB85A), Distant(0.15, air), rng);
}

void Sunset(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H,
      {{0, Hex(0x5A5AA8)}, {0.35, Hex(0xE07A8A)}, {0.6, Hex(0xFFB070)}, {1, Hex(0xFFD890)}});
  Glow(cr, 520, 380, 260, Hex(0xFFE0A0), 0.7);
  cairo_arc(cr, 520, 380, 70, 0, 2 * M_PI);
  FillVertical(cr, 310, 450, Hex(0xFFF0B0), Hex(0xFF9A50));
  cairo_new_path(cr);
  for (int i = 0; i < 4; ++i) {
    RoundedRect(cr, rng.Range(-50, 600), rng.Range(120, 300), rng.Range(160, 320), 10, 5);
    Source(cr, Hex(0xFFC8A0), 0.45);
    cairo_fill(cr);
  }
  Ridge(cr, W, 400, 50, H, Hex(0xB06A8A), Hex(0x9A5A80), rng);
  Ridge(cr, W, 450, 40, H, Hex(0x8A4E78), Hex(0x74406A), rng);
  TreeLine(cr, rng, 5, 470, 100, Hex(0x5E3A62), Distant(0, WHITE));
  Ridge(cr, W, 520, 25, H, Hex(0x623A62), Hex(0x4E2E54), rng);
}

void MoonNight(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x161C44)}, {0.7, Hex(0x2E3C78)}, {1, Hex(0x44508A)}});
  Stars(cr, rng, 160, 420);
  Glow(cr, 620, 120, 150, Hex(0xC8D8FF), 0.35);
  cairo_arc(cr, 620, 120, 48, 0, 2 * M_PI);
  FillBall(cr, 620, 120, 48, 48, Hex(0xF4F0D8));
  cairo_new_path(cr);
  const double craters[][3] = {{605, 108, 9}, {636, 132, 7}, {628, 98, 5}, {600, 140, 4}};
  for (const auto& c : craters) {
    cairo_arc(cr, c[0], c[1], c[2], 0, 2 * M_PI);
    Source(cr, Hex(0xD8D0B0), 0.8);
    cairo_fill(cr);
  }
  SkyClouds(cr, rng, 3, 180, 280, Hex(0x5A6698), Hex(0x3A4478), 0.7);
  Ridge(cr, W, 430, 40, H, Hex(0x2E4468), Hex(0x263A5C), rng);
  FirLine(cr, rng, 12, 470, 90, Hex(0x2A4A4E), false, Distant(0, WHITE));
  Ridge(cr, W, 500, 20, H, Hex(0x24384E), Hex(0x1C2C40), rng);
}

void Winter(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x9CC4E8)}, {1, Hex(0xE4F0FA)}});
  SkyClouds(cr, rng, 4, 60, 200, WHITE, Hex(0xD8E4F0), 0.8);
  Peaks(cr, rng, 400, 200, 5, Hex(0xC4D4EC), Hex(0xDDE8F6), true);
  const Rgb air = Hex(0xE4F0FA);
  Ridge(cr, W, 430, 30, H, Hex(0xEEF4FC), Hex(0xD4E2F2), rng);
  FirLine(cr, rng, 10, 450, 110, Hex(0x4A8A7A), true, Distant(0.35, air));
  Ridge(cr, W, 500, 20, H, Hex(0xF8FBFF), Hex(0xDCE8F6), rng);
  for (int i = 0; i < 140; ++i) {
    cairo_arc(cr, rng.Range(0, W), rng.Range(0, H), rng.Range(1, 2.6), 0, 2 * M_PI);
    Source(cr, WHITE, 0.8);
    cairo_fill(cr);
  }
}

void Desert(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x7CC4E8)}, {0.65, Hex(0xF6E4B8)}, {1, Hex(0xFAE8C0)}});
  Glow(cr, 650, 110, 140, Hex(0xFFF4C0), 0.8);
  cairo_arc(cr, 650, 110, 40, 0, 2 * M_PI);
  Source(cr, Hex(0xFFF6D0));
  cairo_fill(cr);
  // Mesas on the horizon.
  const double mesas[][3] = {{60, 170, 110}, {330, 120, 70}, {560, 210, 90}};
  for (const auto& m : mesas) {
    cairo_move_to(cr, m[0], 400);
    cairo_line_to(cr, m[0] + 30, 400 - m[2]);
    cairo_line_to(cr, m[0] + 30 + m[1], 400 - m[2]);
    cairo_line_to(cr, m[0] + 60 + m[1], 400);
    cairo_close_path(cr);
    FillVertical(cr, 400 - m[2], 400, Hex(0xE0A078), Hex(0xD4906A));
    cairo_new_path(cr);
  }
  Ridge(cr, W, 410, 20, H, Hex(0xF2D296), Hex(0xEAC480), rng);
  const Pen far = Distant(0.4, Hex(0xF6E4B8));
  for (int i = 0; i < 5; ++i) {
    const double x = 80 + i * 160 + rng.Range(-40, 40), y = 420 + rng.Range(0, 20);
    Limb(cr, x, y, x, y - 50, 10, 10, Hex(0x5DA85A), far);
    Limb(cr, x - 12, y - 22, x - 12, y - 38, 6, 6, Hex(0x5DA85A), far);
    Limb(cr, x, y - 22, x - 12, y - 22, 6, 6, Hex(0x5DA85A), far);
  }
  Ridge(cr, W, 480, 30, H, Hex(0xF6DCA0), Hex(0xEEC884), rng);
  Ridge(cr, W, 540, 20, H, Hex(0xF8E0A8), Hex(0xF0CE8C), rng);
}

void SeaShore(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x58B4EE)}, {0.55, Hex(0xC8EAFA)}});
  SkyClouds(cr, rng, 4, 60, 200, WHITE, Hex(0xDCE9F6), 0.9);
  cairo_rectangle(cr, 0, 330, W, 270);
  FillVertical(cr, 330, 480, Hex(0x7ACBE8), Hex(0x3E9ACC));
  cairo_new_path(cr);
  for (int i = 0; i < 50; ++i) {
    const double y = rng.Range(340, 470), x = rng.Range(0, W), len = 10 + (y - 330) * 0.2;
    cairo_move_to(cr, x, y);
    cairo_curve_to(cr, x + len * 0.3, y - 3, x + len * 0.7, y - 3, x + len, y);
    Source(cr, WHITE, 0.5);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
  // A sail far out.
  cairo_move_to(cr, 600, 345);
  cairo_line_to(cr, 640, 345);
  cairo_line_to(cr, 632, 352);
  cairo_line_to(cr, 606, 352);
  cairo_close_path(cr);
  Source(cr, Hex(0x9A6A4A));
  cairo_fill(cr);
  cairo_move_to(cr, 620, 343);
  cairo_line_to(cr, 620, 305);
  cairo_line_to(cr, 640, 340);
  cairo_close_path(cr);
  Source(cr, WHITE);
  cairo_fill(cr);
  for (int i = 0; i < 3; ++i) Bird(cr, 200 + i * 60, 150 + i * 20);
  // Foam line and the beach.
  Ridge(cr, W, 480, 8, H, Hex(0xF0FAFF), Hex(0xF0FAFF), rng);
  Ridge(cr, W, 492, 10, H, Hex(0xF4DEA8), Hex(0xEACB8A), rng);
  PalmTree(cr, 60, 560, 120, 300, 110, Hex(0xB08250), Hex(0x5AB85A), Distant(0.15, Hex(0xC8EAFA)),
           rng);
}

void Mountains(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x6CA8E0)}, {1, Hex(0xD8ECF8)}});
  SkyClouds(cr, rng, 3, 60, 160, WHITE, Hex(0xDCE9F6), 0.85);
  Peaks(cr, rng, 360, 260, 4, Hex(0xA8B4D8), Hex(0xC4D0EA), true);
  Peaks(cr, rng, 430, 200, 6, Hex(0x8A9CC4), Hex(0xA4B4D4), true);
  // A lake mirroring the sky.
  cairo_rectangle(cr, 0, 430, W, 40);
  FillVertical(cr, 430, 470, Hex(0x9CC8EC), Hex(0x7AB0DC));
  cairo_new_path(cr);
  Ridge(cr, W, 470, 12, H, Hex(0x7EB86A), Hex(0x62A050), rng);
  FirLine(cr, rng, 14, 490, 110, Hex(0x2F7A5A), false, Distant(0.25, Hex(0xD8ECF8)));
  Ridge(cr, W, 540, 10, H, Hex(0x8CC470), Hex(0x74AC5A), rng);
}

void Autumn(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x8AB8E0)}, {1, Hex(0xF6E2C4)}});
  SkyClouds(cr, rng, 4, 70, 210, WHITE, Hex(0xEEDCD0), 0.8);
  const Rgb air = Hex(0xF2E2CC);
  Ridge(cr, W, 390, 40, H, Hex(0xD8B088), Hex(0xCCA07A), rng);
  TreeLine(cr, rng, 10, 410, 110, Hex(0xE8903A), Distant(0.45, air));
  Ridge(cr, W, 450, 25, H, Hex(0xE4BC6A), Hex(0xD4A858), rng);
  TreeLine(cr, rng, 5, 470, 170, Hex(0xE0602E), Distant(0.2, air));
  Ridge(cr, W, 520, 14, H, Hex(0xE8C070), Hex(0xD8AC5C), rng);
  for (int i = 0; i < 40; ++i) {
    StarPath(cr, rng.Range(0, W), rng.Range(0, H), rng.Range(3, 6), 1.8, 5, rng.Range(0, 72));
    Source(cr, i % 2 ? Hex(0xF08A30) : Hex(0xE8603A), 0.75);
    cairo_fill(cr);
  }
}

void Cave(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x3A2E3E)}, {0.5, Hex(0x4E3E48)}, {1, Hex(0x3A2E36)}});
  // Light from an opening at the back.
  Glow(cr, 420, 330, 260, Hex(0xA8C8D8), 0.45);
  cairo_save(cr);
  cairo_translate(cr, 420, 340);
  cairo_scale(cr, 150, 110);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  FillVertical(cr, 230, 450, Hex(0xB8D8E8), Hex(0x8AB0A0));
  cairo_new_path(cr);
  Ridge(cr, W, 420, 20, 460, Hex(0x6E8A70), Hex(0x5E7A62), rng);
  // Rock walls framing the opening.
  Ridge(cr, W, 470, 30, H, Hex(0x5E4A50), Hex(0x4A3A40), rng);
  for (int side = 0; side < 2; ++side) {
    cairo_move_to(cr, side ? W : 0, 0);
    for (int i = 0; i <= 12; ++i) {
      const double y = i * H / 12.0;
      const double x = 200 + 60 * std::sin(i * 0.9 + side) + rng.Range(-20, 20);
      cairo_line_to(cr, side ? W - x : x, y);
    }
    cairo_line_to(cr, side ? W : 0, H);
    cairo_close_path(cr);
    FillVertical(cr, 0, H, Hex(0x56444C), Hex(0x483840));
    cairo_new_path(cr);
  }
  // Stalactites and stalagmites.
  for (int i = 0; i < 16; ++i) {
    const double x = rng.Range(0, W), len = rng.Range(30, 110), w = len * 0.22;
    cairo_move_to(cr, x - w, 0);
    cairo_line_to(cr, x + w, 0);
    cairo_line_to(cr, x, len);
    cairo_close_path(cr);
    FillVertical(cr, 0, len, Hex(0x5E4C54), Hex(0x6E5A60));
    cairo_new_path(cr);
  }
  for (int i = 0; i < 9; ++i) {
    const double x = rng.Range(0, W), len = rng.Range(30, 80), w = len * 0.3;
    cairo_move_to(cr, x - w, H);
    cairo_line_to(cr, x + w, H);
    cairo_line_to(cr, x, H - len);
    cairo_close_path(cr);
    FillVertical(cr, H - len, H, Hex(0x6E5A60), Hex(0x54424A));
    cairo_new_path(cr);
  }
  // Glowing crystals.
  for (int i = 0; i < 6; ++i) {
    const double x = rng.Range(30, W - 30), y = rng.Range(480, 590);
    const Rgb c = i % 2 ? Hex(0x7AE0F0) : Hex(0xD08AF0);
    Glow(cr, x, y - 10, 30, c, 0.4);
    cairo_move_to(cr, x - 6, y);
    cairo_line_to(cr, x - 3, y - 22);
    cairo_line_to(cr, x + 1, y - 28);
    cairo_line_to(cr, x + 6, y);
    cairo_close_path(cr);
    FillVertical(cr, y - 28, y, Shade(c, 0.4), c);
    cairo_new_path(cr);
  }
}

// Main menu: a bright sky over hills. The captions (PLAY, the music and sound switches) sit on a
// bank of soft clouds in the middle, the credit line on a long thin cloud under the title; trees
// frame the sides.
void MenuScene(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x74C2F0)}, {0.7, Hex(0xCFEBFA)}, {1, Hex(0xE8F6FC)}});
  Glow(cr, 400, 60, 320, WHITE, 0.5);
  const Rgb air = Hex(0xD8EEF8);
  Ridge(cr, W, 430, 34, H, Mix(Hex(0x7DB8A8), air, 0.45), Mix(Hex(0x7DB8A8), air, 0.35), rng);
  TreeLine(cr, rng, 8, 444, 55, HILL_GREEN, Distant(0.45, air));
  Ridge(cr, W, 500, 22, H, Mix(HILL_GREEN, air, 0.1), HILL_GREEN, rng);
  Ridge(cr, W, 548, 10, H, Shade(MEADOW, 0.1), Shade(MEADOW, -0.05), rng);
  Flowers(cr, rng, 40, 552, 600);
  LeafyTree(cr, 70, 560, 290, 100, 95, TRUNK, Hex(0x62B850), Distant(0.08, air), rng);
  LeafyTree(cr, 735, 570, 250, 85, 82, TRUNK, Hex(0x58AE4E), Distant(0.08, air), rng);
  // The cloud bank behind the captions: PLAY at y 250, music and sound at 430 and 460.
  const double bank[][4] = {{400, 262, 230, 90},
                            {400, 350, 300, 120},
                            {400, 452, 330, 110},
                            {300, 400, 180, 80},
                            {505, 395, 180, 80}};
  cairo_push_group(cr);
  for (const auto& c : bank)
    Cloud(cr, c[0], c[1], c[2], c[3], WHITE, Hex(0xE4EEF8), Pen{0}, 1, rng);
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, 0.8);
  Cloud(cr, 600, 136, 360, 60, WHITE, Hex(0xE8F0F8), Pen{0}, 0.7, rng);
  SkyClouds(cr, rng, 2, 200, 230, WHITE, Hex(0xDCE9F6), 0.5);
  for (int i = 0; i < 4; ++i) Bird(cr, 150 + i * 34 + rng.Range(-8, 8), 200 + (i % 2) * 16);
}

// Level selection: quiet and light. The list stands at the left; the thumbnail at (420, 100),
// 360 x 272, gets a frame; the summary lines below it and the buttons at the foot stay on a light
// ground.
void SelectScene(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0xBFE2F6)}, {1, Hex(0xEAF6FC)}});
  // Soft diagonal stripes.
  for (double x = -H; x < W; x += 48) {
    cairo_move_to(cr, x, H);
    cairo_line_to(cr, x + 20, H);
    cairo_line_to(cr, x + 20 + H, 0);
    cairo_line_to(cr, x + H, 0);
    cairo_close_path(cr);
  }
  Source(cr, WHITE, 0.18);
  cairo_fill(cr);
  SkyClouds(cr, rng, 3, 30, 60, WHITE, Hex(0xE4EEF8), 0.6);
  Ridge(cr, W, 560, 12, H, Mix(HILL_GREEN, WHITE, 0.35), Mix(HILL_GREEN, WHITE, 0.25), rng);
  // Panel behind the list.
  RoundedRect(cr, 22, 58, 296, 522, 18);
  Source(cr, WHITE, 0.35);
  cairo_fill(cr);
  // The thumbnail's frame.
  RoundedRect(cr, 408, 88, 384, 296, 14);
  FillVertical(cr, 88, 384, Shade(WOOD_LIGHT, 0.2), Shade(WOOD_LIGHT, -0.15));
  Source(cr, Shade(WOOD_LIGHT, -0.5));
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  cairo_rectangle(cr, 416, 96, 368, 280);
  Source(cr, Shade(WOOD_LIGHT, -0.45));
  cairo_fill(cr);
  cairo_rectangle(cr, 418, 98, 364, 276);
  Source(cr, Hex(0xDDEEF8));
  cairo_fill(cr);
  for (int i = 0; i < 4; ++i) {
    const double x = i % 2 ? 784 : 416, y = i / 2 ? 376 : 96;
    cairo_arc(cr, x + (i % 2 ? 2 : -2), y + (i / 2 ? 2 : -2), 4, 0, 2 * M_PI);
    Source(cr, BRASS);
    cairo_fill(cr);
  }
  // Light plates for the two summary lines.
  RoundedRect(cr, 408, 392, 384, 72, 14);
  Source(cr, WHITE, 0.45);
  cairo_fill(cr);
  Flowers(cr, rng, 25, 566, 600);
}

void Space(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x141032)}, {0.6, Hex(0x221848)}, {1, Hex(0x2C1E56)}});
  Glow(cr, 200, 180, 260, Hex(0x8A4AC8), 0.35);
  Glow(cr, 600, 420, 300, Hex(0x3A7AD0), 0.3);
  Glow(cr, 520, 150, 160, Hex(0xE060A0), 0.2);
  Stars(cr, rng, 260, H);
  // A small spiral galaxy.
  cairo_save(cr);
  cairo_translate(cr, 640, 130);
  cairo_scale(cr, 1, 0.45);
  for (int arm = 0; arm < 2; ++arm) {
    for (int i = 0; i < 60; ++i) {
      const double a = arm * M_PI + i * 0.1, r = 4 + i * 0.9;
      cairo_arc(cr, std::cos(a) * r, std::sin(a) * r, 2.2 - i * 0.025, 0, 2 * M_PI);
      Source(cr, Hex(0xE8D8FF), 0.5 - i * 0.006);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
  Glow(cr, 640, 130, 18, WHITE, 0.8);
  cairo_arc(cr, 110, 470, 60, 0, 2 * M_PI);
  FillBall(cr, 110, 470, 60, 60, Hex(0x5A6AB0));
  cairo_new_path(cr);
  cairo_arc(cr, 720, 520, 26, 0, 2 * M_PI);
  FillBall(cr, 720, 520, 26, 26, Hex(0xB07AA0));
  cairo_new_path(cr);
}

void RainyTown(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x5E6A84)}, {0.6, Hex(0x8A96AC)}, {1, Hex(0x9AA4B8)}});
  SkyClouds(cr, rng, 5, 40, 160, Hex(0x8A94AA), Hex(0x6A7490), 0.9);
  // Two rows of houses: the far row pale, the near one darker with lit windows.
  for (int row = 0; row < 2; ++row) {
    double x = -20;
    const double base = row ? 520 : 470;
    while (x < W) {
      const double bw = rng.Range(60, 120), bh = rng.Range(row ? 110 : 150, row ? 200 : 260);
      const Rgb wall = row ? Hex(0x5A6478) : Hex(0x7A849A);
      cairo_rectangle(cr, x, base - bh, bw, bh + 100);
      FillVertical(cr, base - bh, base, Shade(wall, 0.05), wall);
      cairo_new_path(cr);
      if (rng.Real() < 0.5) {
        cairo_move_to(cr, x - 4, base - bh);
        cairo_line_to(cr, x + bw / 2, base - bh - 30);
        cairo_line_to(cr, x + bw + 4, base - bh);
        cairo_close_path(cr);
        Source(cr, Shade(wall, -0.2));
        cairo_fill(cr);
      }
      for (double wy = base - bh + 16; wy < base - 24; wy += 30) {
        for (double wx = x + 10; wx < x + bw - 18; wx += 26) {
          const bool lit = rng.Real() < (row ? 0.45 : 0.25);
          cairo_rectangle(cr, wx, wy, 12, 16);
          Source(cr, lit ? Hex(0xFFD880) : Shade(wall, -0.25), row ? 1 : 0.7);
          cairo_fill(cr);
        }
      }
      x += bw + rng.Range(2, 10);
    }
  }
  // Wet street with reflections.
  cairo_rectangle(cr, 0, 520, W, 80);
  FillVertical(cr, 520, H, Hex(0x6A7488), Hex(0x566074));
  cairo_new_path(cr);
  for (int i = 0; i < 30; ++i) {
    const double x = rng.Range(0, W), y = rng.Range(530, 595);
    RoundedRect(cr, x, y, rng.Range(20, 70), 3, 1.5);
    Source(cr, Hex(0xFFE8A8), 0.25);
    cairo_fill(cr);
  }
  // Streetlamps.
  for (int i = 0; i < 3; ++i) {
    const double x = 120 + i * 280;
    cairo_rectangle(cr, x - 2, 430, 4, 95);
    Source(cr, Hex(0x3A4252));
    cairo_fill(cr);
    Glow(cr, x, 428, 40, Hex(0xFFE8A0), 0.6);
    cairo_arc(cr, x, 428, 7, 0, 2 * M_PI);
    Source(cr, Hex(0xFFF4C8));
    cairo_fill(cr);
  }
}

void SkyIslands(cairo_t* cr, Rng& rng) {
  Sky(cr, W, H, {{0, Hex(0x4AA6EE)}, {0.6, Hex(0xB4DEFA)}, {1, Hex(0xE8F4FC)}});
  Glow(cr, 400, 620, 400, Hex(0xFFF0D0), 0.5);
  // A sea of clouds below.
  for (int layer = 0; layer < 3; ++layer) {
    for (int i = 0; i < 9; ++i) {
      const double w = rng.Range(160, 260);
      Cloud(cr, i * 100 + rng.Range(-30, 30), 470 + layer * 45 + rng.Range(-10, 10), w, w * 0.4,
            WHITE, Hex(0xD4E2F2), Pen{0}, 0.95, rng);
    }
  }
  // Floating islands with grass tops, rocky undersides and a waterfall.
  const double islands[][3] = {{150, 230, 110}, {620, 170, 80}, {430, 330, 60}};
  for (const auto& is : islands) {
    const double x = is[0], y = is[1], r = is[2];
    cairo_move_to(cr, x - r, y);
    cairo_curve_to(cr, x - r * 0.6, y + r * 0.5, x - r * 0.2, y + r * 1.1, x, y + r * 1.2);
    cairo_curve_to(cr, x + r * 0.3, y + r * 0.9, x + r * 0.7, y + r * 0.4, x + r, y);
    cairo_close_path(cr);
    FillVertical(cr, y, y + r * 1.2, Hex(0xB08A6A), Hex(0x8A6A58));
    cairo_new_path(cr);
    RoundedRect(cr, x - r - 4, y - 10, 2 * r + 8, 18, 9);
    FillVertical(cr, y - 10, y + 8, Hex(0x9AD870), Hex(0x6CB850));
    cairo_new_path(cr);
    LeafyTree(cr, x - r * 0.35, y - 4, r * 0.9, r * 0.3, r * 0.28, TRUNK, Hex(0x6CC05A),
              Distant(0.15, Hex(0xB4DEFA)), rng);
    cairo_rectangle(cr, x + r * 0.5, y + 4, 8, r * 1.4);
    FillVertical(cr, y, y + r * 1.4, Hex(0xE0F4FF), Hex(0xE0F4FF));
    cairo_new_path(cr);
  }
  SkyClouds(cr, rng, 3, 60, 130, WHITE, Hex(0xDCE9F6), 0.8);
}

// [SECTION] Menu picture --------------------------------------------------------------------------

// menu_pic/play_menu.png: the game in one picture, in the inked style of the play pictures: the
// cannon fires a doll in a high arc at the bullseye.
void PlayMenuPicture(const std::string& path) {
  const int w = 320, h = 180;
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  // Flight arc.
  for (int i = 0; i < 16; ++i) {
    const double u = i / 15.0, x = 92 + u * 150, y = 112 - std::sin(u * M_PI) * 90 + u * 10;
    cairo_arc(cr, x, y, 2.6, 0, 2 * M_PI);
    Source(cr, WHITE);
    cairo_fill_preserve(cr);
    Outline(cr, 1);
  }
  // Target on its post.
  RoundedRect(cr, 276, 96, 8, 78, 3);
  FillVertical(cr, 96, 174, Shade(WOOD_DARK, 0.2), Shade(WOOD_DARK, -0.2));
  Outline(cr, 2);
  for (int r = 4; r >= 1; --r) {
    cairo_arc(cr, 280, 88, r * 8.5, 0, 2 * M_PI);
    Source(cr, r % 2 ? TARGET_RED : TARGET_GOLD);
    cairo_fill_preserve(cr);
    Outline(cr, 2);
  }
  Glint(cr, 270, 76, 8, 5, 0.6);
  // The doll in flight, arms out.
  cairo_save(cr);
  cairo_translate(cr, 168, 40);
  cairo_rotate(cr, 0.5);

  for (const auto& limb :
       {std::array<double, 4>{0, 0, -14, -8}, std::array<double, 4>{0, 0, 14, -10},
        std::array<double, 4>{0, 14, -8, 28}, std::array<double, 4>{0, 14, 9, 27}}) {
    cairo_move_to(cr, limb[0], limb[1]);
    cairo_line_to(cr, limb[2], limb[3]);
  }
  Source(cr, INK);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  RoundedRect(cr, -5, -4, 10, 20, 4);
  FillVertical(cr, -4, 16, Shade(BLUE, 0.2), Shade(BLUE, -0.2));
  Outline(cr, 2);
  cairo_arc(cr, 0, -11, 7, 0, 2 * M_PI);
  FillBall(cr, 0, -11, 7, 7, Hex(0xFFD2A8));
  Outline(cr, 2);
  cairo_restore(cr);
  // The cannon on its wheel.
  cairo_save(cr);
  cairo_translate(cr, 58, 136);
  cairo_rotate(cr, -0.6);
  RoundedRect(cr, -24, -15, 78, 30, 8);
  FillVertical(cr, -15, 15, Shade(STEEL, 0.45), Shade(STEEL, -0.35));
  Outline(cr, 2.5);
  RoundedRect(cr, 50, -18, 12, 36, 4);
  FillVertical(cr, -18, 18, Shade(BRASS, 0.35), Shade(BRASS, -0.3));
  Outline(cr, 2.5);
  for (double bx : {0.0, 26.0}) {
    cairo_rectangle(cr, bx, -16, 6, 32);
    FillVertical(cr, -16, 16, Shade(BRASS, 0.35), Shade(BRASS, -0.3));
    Outline(cr, 1.5);
  }
  cairo_restore(cr);
  StarPath(cr, 108, 86, 18, 8, 9, 10);
  Source(cr, ORANGE);
  cairo_fill_preserve(cr);
  Outline(cr, 2);
  StarPath(cr, 108, 86, 10, 5, 9, 30);
  Source(cr, YELLOW);
  cairo_fill(cr);
  cairo_arc(cr, 50, 150, 22, 0, 2 * M_PI);
  FillBall(cr, 50, 150, 22, 22, WOOD_DARK);
  Outline(cr, 2.5);
  for (int i = 0; i < 6; ++i) {
    cairo_move_to(cr, 50, 150);
    cairo_line_to(cr, 50 + std::cos(i * M_PI / 3) * 18, 150 + std::sin(i * M_PI / 3) * 18);
  }
  Source(cr, INK);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_arc(cr, 50, 150, 5, 0, 2 * M_PI);
  FillBall(cr, 50, 150, 5, 5, BRASS);
  Outline(cr, 1.5);
  c.SavePng(path);
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_fones", [](const std::string& assets, const std::string&) {
    const std::vector<void (*)(cairo_t*, Rng&)> scenes = {
        Meadow, Forest, Sunset,    MoonNight,   Winter, Desert,    SeaShore,  Mountains,
        Autumn, Cave,   MenuScene, SelectScene, Space,  RainyTown, SkyIslands};
    for (std::size_t i = 0; i < scenes.size(); ++i) {
      const std::string name = "fon" + std::to_string(i + 1);
      Canvas c(W, H);
      Rng rng(SeedOf(name));
      scenes[i](c.cr(), rng);
      c.SaveJpeg(assets + "/fones/" + name + ".jpg", JPEG_QUALITY);
    }
    PlayMenuPicture(assets + "/menu_pic/play_menu.png");
  });
}
