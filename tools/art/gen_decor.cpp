// Generates the still pictures of levels_pic/: the decorations a level places behind its bodies
// (trees, bushes, grass, flowers, cacti, huts, walls, webs, planets, signs ...) and the drifting
// clouds. Decorations never take the ink outline or the bevels of the physics bodies: they are
// edged in a darker tone of their own colour, and the few that are shaped like bodies (planks,
// a ball, brick walls, arches) are drawn flat, hazed and partly see-through.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tools/art/art.h"
#include "tools/art/scenery.h"

using namespace art;

namespace {

// Nature colours of the decorations (the shared palette is for bodies and game pictures).
const Rgb LEAF = Hex(0x5DBB4C);
const Rgb DEEP_LEAF = Hex(0x3F9A48);
const Rgb SPRING_LEAF = Hex(0x9ACD4E);
const Rgb OLIVE = Hex(0x93AE3E);
const Rgb FIR = Hex(0x2F8F5A);
const Rgb CYPRESS = Hex(0x2F7A4C);
const Rgb AUTUMN = Hex(0xF09A32);
const Rgb BARK = Hex(0x8A5A3C);
const Rgb GREY_BARK = Hex(0x9C8F80);
const Rgb BIRCH = Hex(0xF2EFE6);
const Rgb PALM_LEAF = Hex(0x4DB352);
const Rgb PALM_BARK = Hex(0xB08250);
const Rgb CACTUS = Hex(0x5DA85A);
const Rgb DRIFT = Hex(0xEAF3FC);
const Rgb LOG = Hex(0xB07848);

const Pen PEN{2.0};
const Pen THIN{1.4};

/// Draws `paint` into a group and lays it down at `alpha`: the see-through backdrop pieces.
void Faded(cairo_t* cr, double alpha, const std::function<void()>& paint) {
  cairo_push_group(cr);
  paint();
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, alpha);
}

// [SECTION] Trees ---------------------------------------------------------------------------------

void Acacia(cairo_t* cr, double w, double h, Rng& rng) {
  const double x = w * 0.5, base = h - 3;
  Limb(cr, x, base, x - 4, h * 0.55, 16, 11, BARK, PEN);
  Limb(cr, x - 4, h * 0.58, x - w * 0.28, h * 0.3, 10, 6, BARK, PEN);
  Limb(cr, x - 4, h * 0.58, x + w * 0.25, h * 0.28, 10, 6, BARK, PEN);
  Limb(cr, x - 2, h * 0.5, x + 6, h * 0.26, 8, 5, BARK, PEN);
  // A flat umbrella of leaves.
  std::vector<Circle> lumps;
  for (int i = 0; i < 11; ++i) {
    const double u = i / 10.0;
    lumps.push_back({w * 0.08 + (w * 0.84) * u,
                     h * 0.22 + std::sin(u * M_PI) * -h * 0.06 + rng.Range(-3, 3),
                     h * rng.Range(0.1, 0.14)});
  }
  lumps.push_back({w * 0.5, h * 0.2, h * 0.13});
  Crown(cr, lumps, OLIVE, PEN, rng);
}

void Birch(cairo_t* cr, double x, double base, double height, double crownW, Rng& rng) {
  const double top = base - height;
  Limb(cr, x, base, x + 3, top + height * 0.3, 12, 8, BIRCH, PEN);
  // Dark bands on the white bark.
  cairo_save(cr);
  for (int i = 0; i < 9; ++i) {
    const double y = base - 12 - i * (height * 0.62 / 9) - rng.Range(0, 6);
    const double dx = 3 * (base - y) / (height * 0.7);
    cairo_move_to(cr, x + dx - rng.Range(1, 5), y);
    cairo_line_to(cr, x + dx + rng.Range(0, 4), y + rng.Range(-1, 1));
    Source(cr, Hex(0x3C3440), 0.85);
    cairo_set_line_width(cr, rng.Range(1.5, 2.6));
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  Limb(cr, x + 2, top + height * 0.45, x - crownW * 0.3, top + height * 0.2, 5, 3, BIRCH, PEN);
  Limb(cr, x + 2, top + height * 0.4, x + crownW * 0.3, top + height * 0.18, 5, 3, BIRCH, PEN);
  Crown(cr, CrownLumps(x + 3, top + height * 0.28, crownW / 2, height * 0.27, 11, rng), SPRING_LEAF,
        PEN, rng);
}

void Bereza2(cairo_t* cr, double w, double h, Rng& rng) {
  Birch(cr, w * 0.5, h - 3, h - 5, w - 8, rng);
}

void Bereza4(cairo_t* cr, double w, double h, Rng& rng) {
  Birch(cr, w * 0.64, h - 3, h - 30, w * 0.62, rng);
  Birch(cr, w * 0.33, h - 3, h - 5, w * 0.64, rng);
}

void BigOak(cairo_t* cr, double w, double h, Rng& rng) {
  LeafyTree(cr, w * 0.5, h - 3, h - 4, w * 0.47, h * 0.36, BARK, DEEP_LEAF, PEN, rng);
}

void Maple(cairo_t* cr, double w, double h, Rng& rng) {
  LeafyTree(cr, w * 0.5, h - 3, h - 4, w * 0.46, h * 0.34, BARK, AUTUMN, PEN, rng);
  // Red leaves among the orange.
  cairo_save(cr);
  for (int i = 0; i < 18; ++i) {
    const double x = rng.Range(w * 0.15, w * 0.85), y = rng.Range(h * 0.1, h * 0.55);
    StarPath(cr, x, y, 5, 2.2, 5, rng.Range(0, 72));
    Source(cr, Hex(0xE0533A), 0.8);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void Aspen(cairo_t* cr, double w, double h, Rng& rng) {
  LeafyTree(cr, w * 0.5, h - 3, h - 4, w * 0.44, h * 0.3, GREY_BARK, Hex(0xB5C948), PEN, rng);
}

void Cypress(cairo_t* cr, double w, double h, Rng& rng) {
  Limb(cr, w / 2, h - 3, w / 2, h - 30, 8, 6, BARK, PEN);
  // A tall flame of lumps narrowing to the tip.
  std::vector<Circle> lumps;
  for (int i = 0; i < 14; ++i) {
    const double u = i / 13.0;  // 0 at the foot of the crown
    const double y = h - 26 - u * (h - 44);
    const double r = (w / 2 - 3) *
                     (0.55 + 0.45 * std::sin(std::min(1.0, (1 - u) * 1.25) * M_PI / 2)) *
                     (u > 0.85 ? 0.7 : 1);
    lumps.push_back({w / 2 + rng.Range(-2, 2), y, std::max(5.0, r * 0.75)});
  }
  Crown(cr, lumps, CYPRESS, PEN, rng);
}

void Spreading(cairo_t* cr, double w, double h, Rng& rng) {
  const double x = w * 0.48, base = h - 3;
  Limb(cr, x, base, x + 4, h * 0.62, 22, 16, BARK, PEN);
  const double ends[][2] = {{0.12, 0.42}, {0.3, 0.28}, {0.62, 0.25}, {0.88, 0.4}};
  for (const auto& e : ends) Limb(cr, x + 4, h * 0.64, w * e[0], h * e[1] + 10, 11, 5, BARK, PEN);
  const double crowns[][3] = {
      {0.16, 0.33, 0.16}, {0.36, 0.2, 0.2}, {0.62, 0.18, 0.2}, {0.85, 0.32, 0.15}};
  for (const auto& c : crowns) {
    Crown(cr, CrownLumps(w * c[0], h * c[1], w * c[2], h * c[2] * 0.9, 9, rng), LEAF, PEN, rng);
  }
}

void Fir(cairo_t* cr, double w, double h, Rng& rng, bool snow) {
  FirTree(cr, w / 2, h - 3, w - 6, h - 5, FIR, snow, PEN, rng);
}

void Palm(cairo_t* cr, double w, double h, Rng& rng, double lean) {
  PalmTree(cr, w * 0.5 - lean * 0.5, h - 3, w * 0.5 + lean * 0.5, h * 0.24, w * 0.45, PALM_BARK,
           PALM_LEAF, PEN, rng);
}

void PalmGrove(cairo_t* cr, double w, double h, Rng& rng, bool real) {
  const Rgb bark = real ? Hex(0x9A8670) : PALM_BARK, leaf = real ? Hex(0x3E9A4E) : PALM_LEAF;
  const double spots[][3] = {{0.2, 0.3, -30}, {0.78, 0.22, 26}, {0.45, 0.1, -8}, {0.62, 0.4, 14}};
  const int count = real ? 3 : 4;
  for (int i = 0; i < count; ++i) {
    const double bx = w * spots[i][0], top = h * spots[i][1] + 20;
    PalmTree(cr, bx, h - 3, bx + spots[i][2] * (real ? 1.4 : 1), top, real ? 95 : 80, bark, leaf,
             PEN, rng);
  }
  // Undergrowth hides the feet.
  for (int i = 0; i < 5; ++i) {
    const double x = w * (0.1 + i * 0.2);
    Crown(cr, CrownLumps(x, h - 14, 34, 14, 7, rng), real ? Hex(0x4E9A40) : LEAF, PEN, rng);
  }
}

void ForestRow(cairo_t* cr, double w, double h, Rng& rng, int kind) {
  const Pen pen{1.6, 0.12, Hex(0xDDEBF5)};
  if (kind == 1) {
    for (int i = 0; i < 16; ++i) {
      const double x = 20 + i * (w - 40) / 15 + rng.Range(-10, 10),
                   th = h * rng.Range(0.65, 1.0) - 4;
      FirTree(cr, x, h - 2, th * 0.5, th, Shade(FIR, rng.Range(-0.15, 0.1)), false, pen, rng);
    }
    return;
  }
  const int trees = kind == 0 ? 13 : 8;
  for (int layer = 0; layer < 2; ++layer) {
    for (int i = 0; i < trees; ++i) {
      const double x = (i + 0.5 + (layer ? 0.5 : 0)) * w / trees + rng.Range(-12, 12);
      const double th = h * (layer ? rng.Range(0.6, 0.8) : rng.Range(0.8, 1.0)) - 4;
      const Rgb leaf = kind == 2 && i % 3 == 1
                           ? SPRING_LEAF
                           : Shade(layer ? LEAF : DEEP_LEAF, rng.Range(-0.1, 0.1));
      if (kind == 2 && i % 3 == 2) {
        FirTree(cr, x, h - 2, th * 0.5, th, FIR, false, pen, rng);
      } else {
        LeafyTree(cr, x, h - 2, th, w / trees * 0.75, th * 0.33, BARK, leaf, pen, rng);
      }
    }
  }
}

// [SECTION] Low plants ----------------------------------------------------------------------------

void Bush(cairo_t* cr, double w, double h, Rng& rng, bool flowers) {
  Crown(cr, CrownLumps(w / 2, h * 0.55, w / 2 - 3, h * 0.45 - 2, 10, rng),
        flowers ? DEEP_LEAF : LEAF, PEN, rng);
  if (flowers) {
    for (int i = 0; i < 9; ++i) {
      Blossom(cr, rng.Range(w * 0.15, w * 0.85), rng.Range(h * 0.2, h * 0.75), rng.Range(5, 7), 5,
              PINK, YELLOW, THIN, rng.Range(0, 72));
    }
  }
}

void Flower(cairo_t* cr, double w, double h, double lean, Rgb petal, int kind) {
  const double bx = w / 2 - lean * 0.3, hx = w / 2 + lean, hy = 20;
  cairo_move_to(cr, bx, h - 2);
  cairo_curve_to(cr, bx, h * 0.6, hx - lean * 0.3, hy + 30, hx, hy + 6);
  Source(cr, Shade(LEAF, -0.55));
  cairo_set_line_width(cr, 5);
  cairo_stroke_preserve(cr);
  Source(cr, LEAF);
  cairo_set_line_width(cr, 2.6);
  cairo_stroke(cr);
  // Two leaves on the stem.
  for (int side = -1; side <= 1; side += 2) {
    const double ly = h * (side < 0 ? 0.62 : 0.72), lx = bx + lean * 0.1;
    cairo_move_to(cr, lx, ly);
    cairo_curve_to(cr, lx + side * 8, ly - 12, lx + side * 16, ly - 10, lx + side * 19, ly - 14);
    cairo_curve_to(cr, lx + side * 14, ly - 2, lx + side * 6, ly + 2, lx, ly);
    FillVertical(cr, ly - 14, ly, Shade(LEAF, 0.2), Shade(LEAF, -0.2));
    Outline(cr, 1.4, Shade(LEAF, -0.55));
  }
  if (kind == 0) {
    Blossom(cr, hx, hy, 16, 7, petal, YELLOW, THIN, lean);
  } else {
    // A tulip cup.
    cairo_move_to(cr, hx - 11, hy - 8);
    cairo_line_to(cr, hx - 5, hy - 2);
    cairo_line_to(cr, hx, hy - 12);
    cairo_line_to(cr, hx + 5, hy - 2);
    cairo_line_to(cr, hx + 11, hy - 8);
    cairo_curve_to(cr, hx + 12, hy + 8, hx + 6, hy + 12, hx, hy + 12);
    cairo_curve_to(cr, hx - 6, hy + 12, hx - 12, hy + 8, hx - 11, hy - 8);
    cairo_close_path(cr);
    FillVertical(cr, hy - 12, hy + 12, Shade(petal, 0.25), Shade(petal, -0.2));
    Outline(cr, 1.6, Shade(petal, -0.55));
  }
}

void GrassStrip(cairo_t* cr, double w, double h, Rng& rng, int blades) {
  Grass(cr, 2, w - 2, h - 1, h - 3, blades, LEAF, THIN, rng);
}

void GrassTuft(cairo_t* cr, double w, double h, Rng& rng) {
  Grass(cr, 6, w - 6, h - 1, h - 3, 22, LEAF, THIN, rng);
  for (int i = 0; i < 4; ++i) {
    Blossom(cr, rng.Range(12, w - 12), rng.Range(h * 0.25, h * 0.6), 5, 5, i % 2 ? WHITE : YELLOW,
            ORANGE, THIN, rng.Range(0, 72));
  }
}

void GrassBush(cairo_t* cr, double w, double h, Rng& rng, bool spikes) {
  Grass(cr, w * 0.2, w * 0.8, h - 1, h * 0.95, 26, spikes ? OLIVE : DEEP_LEAF, THIN, rng);
  if (spikes) {
    for (int i = 0; i < 5; ++i) {
      const double x = w * (0.25 + i * 0.12), top = rng.Range(4, 16);
      cairo_move_to(cr, x, h - 4);
      cairo_curve_to(cr, x, h * 0.6, x + (i - 2) * 3, top + 16, x + (i - 2) * 4, top + 10);
      Source(cr, Shade(OLIVE, -0.4));
      cairo_set_line_width(cr, 1.4);
      cairo_stroke(cr);
      cairo_save(cr);
      cairo_translate(cr, x + (i - 2) * 4, top + 5);
      cairo_scale(cr, 3, 7);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      FillVertical(cr, top - 2, top + 12, Hex(0xE8C070), Hex(0xB08040));
      Outline(cr, 1, Hex(0x7A5A30));
    }
  }
}

void Sedge(cairo_t* cr, double w, double h, Rng& rng) {
  Grass(cr, w * 0.15, w * 0.85, h - 1, h - 2, 30, Hex(0x4E9A5A), THIN, rng);
  for (int i = 0; i < 3; ++i) {
    const double x = w * (0.35 + i * 0.15), top = 6 + i * 5;
    Limb(cr, x, h * 0.5, x + (i - 1) * 3, top + 12, 2, 2, Hex(0x6B7A3A), THIN);
    Limb(cr, x + (i - 1) * 3, top + 14, x + (i - 1) * 3.5, top, 5, 4, Hex(0x7A5A3A), THIN);
  }
}

void Leaf(cairo_t* cr, double w, double h, bool maple) {
  const double cx = w / 2, cy = h / 2;
  const Rgb c = maple ? Hex(0xF0722E) : Hex(0xE8C038);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, maple ? -0.2 : 0.5);
  if (maple) {
    const double lobes[][2] = {{0, -16}, {7, -6}, {16, -8},  {12, 2},  {14, 10},  {3, 7},
                               {0, 12},  {-3, 7}, {-14, 10}, {-12, 2}, {-16, -8}, {-7, -6}};
    cairo_move_to(cr, lobes[0][0], lobes[0][1]);
    for (const auto& p : lobes) cairo_line_to(cr, p[0], p[1]);
    cairo_close_path(cr);
  } else {
    cairo_move_to(cr, 0, -15);
    cairo_curve_to(cr, 12, -10, 12, 6, 0, 13);
    cairo_curve_to(cr, -12, 6, -12, -10, 0, -15);
    cairo_close_path(cr);
  }
  FillVertical(cr, -16, 14, Shade(c, 0.25), Shade(c, -0.2));
  Outline(cr, 1.5, Shade(c, -0.55));
  cairo_move_to(cr, 0, 17);
  cairo_line_to(cr, 0, -10);
  if (maple) {
    cairo_move_to(cr, 0, 4);
    cairo_line_to(cr, 11, -5);
    cairo_move_to(cr, 0, 4);
    cairo_line_to(cr, -11, -5);
  }
  Source(cr, Shade(c, -0.45));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void Mushroom(cairo_t* cr, double w, double h, bool red) {
  const double cx = w / 2;
  const Rgb stem = red ? Hex(0xF6F0E2) : Hex(0xEAD9B8), cap = red ? Hex(0xE8413C) : Hex(0x9A5A32);
  RoundedRect(cr, cx - (red ? 7 : 9), h * 0.42, red ? 14 : 18, h * 0.56, 6);
  FillVertical(cr, h * 0.4, h, stem, Shade(stem, -0.2));
  Outline(cr, 1.6, Shade(stem, -0.55));
  if (red) {
    cairo_move_to(cr, cx - 8, h * 0.62);
    cairo_curve_to(cr, cx - 10, h * 0.7, cx + 10, h * 0.7, cx + 8, h * 0.62);
    Source(cr, WHITE);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
  }
  cairo_move_to(cr, 3, h * 0.5);
  cairo_curve_to(cr, 3, -h * 0.05, w - 3, -h * 0.05, w - 3, h * 0.5);
  cairo_curve_to(cr, w * 0.7, h * 0.56, w * 0.3, h * 0.56, 3, h * 0.5);
  cairo_close_path(cr);
  FillVertical(cr, 2, h * 0.55, Shade(cap, 0.25), Shade(cap, -0.25));
  Outline(cr, 1.8, Shade(cap, -0.6));
  if (red) {
    const double dots[][3] = {
        {0.3, 0.24, 3.5}, {0.55, 0.14, 3}, {0.72, 0.3, 3.2}, {0.45, 0.36, 2.4}, {0.16, 0.4, 2}};
    for (const auto& d : dots) {
      cairo_arc(cr, w * d[0], h * d[1], d[2], 0, 2 * M_PI);
      Source(cr, WHITE);
      cairo_fill(cr);
    }
  }
  Glint(cr, w * 0.32, h * 0.18, 7, 3, 0.5);
}

// [SECTION] Desert --------------------------------------------------------------------------------

void CactusColumn(cairo_t* cr, double x0, double y0, double x1, double y1, double width) {
  Limb(cr, x0, y0, x1, y1, width, width, CACTUS, PEN);
  // Ribs along the column.
  for (int i = -1; i <= 1; ++i) {
    cairo_move_to(cr, x0 + i * width * 0.22, y0 - 2);
    cairo_line_to(cr, x1 + i * width * 0.22, y1);
  }
  Source(cr, Shade(CACTUS, -0.3), 0.7);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void Spines(cairo_t* cr, double x0, double y0, double x1, double y1, Rng& rng, int count) {
  for (int i = 0; i < count; ++i) {
    const double x = rng.Range(x0, x1), y = rng.Range(y0, y1);
    cairo_move_to(cr, x - 2, y - 1);
    cairo_line_to(cr, x + 2, y + 1);
    cairo_move_to(cr, x - 2, y + 1);
    cairo_line_to(cr, x + 2, y - 1);
  }
  Source(cr, Hex(0xFFF4C8), 0.9);
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
}

void Saguaro(cairo_t* cr, double w, double h, Rng& rng) {
  const double x = w / 2;
  CactusColumn(cr, x - 22, h * 0.62, x - 22, h * 0.3, 14);
  Limb(cr, x - 4, h * 0.64, x - 22, h * 0.64, 14, 14, CACTUS, PEN);
  CactusColumn(cr, x + 22, h * 0.5, x + 22, h * 0.22, 13);
  Limb(cr, x + 4, h * 0.52, x + 22, h * 0.52, 13, 13, CACTUS, PEN);
  CactusColumn(cr, x, h - 4, x, 14, 24);
  Spines(cr, x - 10, 16, x + 10, h - 6, rng, 26);
  Blossom(cr, x, 10, 8, 6, PINK, YELLOW, THIN);
}

void Barrel(cairo_t* cr, double w, double h, Rng& rng) {
  cairo_save(cr);
  cairo_translate(cr, w / 2, h * 0.58);
  cairo_scale(cr, w / 2 - 4, h * 0.4);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  FillBall(cr, w / 2, h * 0.58, w / 2 - 4, h * 0.4, CACTUS);
  Outline(cr, 2, Shade(CACTUS, -0.55));
  for (int i = -2; i <= 2; ++i) {
    cairo_move_to(cr, w / 2 + i * 2, h * 0.2);
    cairo_curve_to(cr, w / 2 + i * 9, h * 0.4, w / 2 + i * 9, h * 0.75, w / 2 + i * 3, h * 0.97);
  }
  Source(cr, Shade(CACTUS, -0.3), 0.7);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  Spines(cr, 10, h * 0.3, w - 10, h * 0.9, rng, 20);
  Blossom(cr, w / 2, h * 0.18, 9, 7, Hex(0xFF5C8A), YELLOW, THIN);
}

void PricklyPear(cairo_t* cr, double w, double h, Rng& rng) {
  const double pads[][5] = {{0.5, 0.72, 22, 28, 0},
                            {0.28, 0.45, 17, 21, -0.4},
                            {0.7, 0.4, 17, 22, 0.35},
                            {0.45, 0.24, 13, 16, 0.1}};
  for (const auto& p : pads) {
    cairo_save(cr);
    cairo_translate(cr, w * p[0], h * p[1]);
    cairo_rotate(cr, p[4]);
    cairo_scale(cr, p[2], p[3]);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    FillBall(cr, w * p[0], h * p[1], p[2], p[3], Hex(0x6DB85A));
    Outline(cr, 2, Shade(CACTUS, -0.55));
    Spines(cr, w * p[0] - p[2] * 0.6, h * p[1] - p[3] * 0.6, w * p[0] + p[2] * 0.6,
           h * p[1] + p[3] * 0.6, rng, 8);
  }
  Blossom(cr, w * 0.45, h * 0.08 + 3, 6, 6, YELLOW, ORANGE, THIN);
  Blossom(cr, w * 0.78, h * 0.22, 5, 6, YELLOW, ORANGE, THIN);
}

// [SECTION] Winter --------------------------------------------------------------------------------

void Drift(cairo_t* cr, double w, double h, Rng& rng) {
  const double p = rng.Range(0, 6.3), humps = rng.Range(1.2, 2.2);
  cairo_move_to(cr, 2, h - 2);
  for (double x = 2; x <= w - 2; x += 3) {
    const double u = (x - 2) / (w - 4);
    const double env = std::pow(std::sin(u * M_PI), 0.7);
    const double y = h - 2 - env * (h - 6) * (0.75 + 0.25 * std::sin(u * humps * 2 * M_PI + p));
    cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, w - 2, h - 2);
  cairo_close_path(cr);
  FillVertical(cr, 3, h, DRIFT, Hex(0xB9CFE8));
  Outline(cr, 2, Hex(0x8FA8CC));
  for (int i = 0; i < static_cast<int>(w / 25); ++i) {
    const double x = rng.Range(w * 0.15, w * 0.85), y = rng.Range(h * 0.35, h * 0.8);
    StarPath(cr, x, y, 2.5, 0.8, 4, 0);
    Source(cr, WHITE);
    cairo_fill(cr);
  }
  Glint(cr, w * 0.35, h * 0.35, w * 0.18, h * 0.1, 0.6);
}

void StaticSnowman(cairo_t* cr, double w, double h) {
  cairo_save(cr);
  const double s = std::min(w / 130, h / 170);
  cairo_translate(cr, w / 2 - 65 * s, h - 170 * s);
  cairo_scale(cr, s, s);
  Snowman(cr, SnowmanPose{});
  cairo_restore(cr);
}

// [SECTION] Buildings and backdrops ---------------------------------------------------------------

void Hut(cairo_t* cr, double w, double h, bool snow) {
  const double wallTop = h * 0.45, base = h - 3, left = 18, right = w - 18;
  // Chimney behind the roof.
  cairo_rectangle(cr, w * 0.66, h * 0.1, 18, h * 0.3);
  FillVertical(cr, h * 0.1, h * 0.4, Hex(0xC07858), Hex(0x8A5040));
  Outline(cr, 2, Hex(0x5A3028));
  // Log walls: round ends stick out at both sides.
  const int logs = 7;
  const double lh = (base - wallTop) / logs;
  for (int i = 0; i < logs; ++i) {
    const double y = wallTop + i * lh;
    RoundedRect(cr, left - 6, y, right - left + 12, lh, lh / 2);
    FillVertical(cr, y, y + lh, Shade(LOG, 0.2), Shade(LOG, -0.25));
    Outline(cr, 1.6, Shade(LOG, -0.6));
    for (double ex : {left - 6 + lh / 2, right + 6 - lh / 2}) {
      cairo_arc(cr, ex, y + lh / 2, lh / 2 - 1.2, 0, 2 * M_PI);
      Source(cr, Hex(0xE8C08A));
      cairo_fill_preserve(cr);
      Outline(cr, 1.2, Shade(LOG, -0.6));
      cairo_arc(cr, ex, y + lh / 2, lh / 5, 0, 2 * M_PI);
      Outline(cr, 0.8, Shade(LOG, -0.3));
    }
  }
  // Window with shutters and a door.
  const double wx = left + 22, wy = wallTop + lh * 1.5;
  cairo_rectangle(cr, wx, wy, 34, 30);
  FillVertical(cr, wy, wy + 30, Hex(0xFFE9A0), Hex(0xF6B84A));
  Outline(cr, 2, Hex(0x5A3A28));
  cairo_move_to(cr, wx + 17, wy);
  cairo_line_to(cr, wx + 17, wy + 30);
  cairo_move_to(cr, wx, wy + 15);
  cairo_line_to(cr, wx + 34, wy + 15);
  Source(cr, Hex(0x5A3A28));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  for (double sx : {wx - 12, wx + 34}) {
    cairo_rectangle(cr, sx, wy - 2, 12, 34);
    FillVertical(cr, wy, wy + 34, Hex(0x4FA0C8), Hex(0x2F7098));
    Outline(cr, 1.6, Hex(0x1F4A68));
  }
  const double dx = right - 54, dy = wallTop + lh * 1.2;
  RoundedRect(cr, dx, dy, 34, base - dy, 4);
  FillVertical(cr, dy, base, Hex(0x9A5A34), Hex(0x6A3A22));
  Outline(cr, 2, Hex(0x4A2818));
  cairo_arc(cr, dx + 27, dy + (base - dy) * 0.55, 2.2, 0, 2 * M_PI);
  Source(cr, BRASS);
  cairo_fill(cr);
  // Roof of boards with an overhang.
  cairo_move_to(cr, 2, wallTop + 6);
  cairo_line_to(cr, w / 2, h * 0.08);
  cairo_line_to(cr, w - 2, wallTop + 6);
  cairo_close_path(cr);
  FillVertical(cr, h * 0.08, wallTop, Hex(0xC0503C), Hex(0x8A3428));
  Outline(cr, 2, Hex(0x5A2018));
  for (int i = 1; i < 6; ++i) {
    const double u = i / 6.0;
    cairo_move_to(cr, w / 2, h * 0.08 + 4);
    cairo_line_to(cr, 2 + (w - 4) * u, wallTop + 5);
  }
  Source(cr, Hex(0x6A2418), 0.6);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // A round attic window.
  cairo_arc(cr, w / 2, h * 0.28, 9, 0, 2 * M_PI);
  FillVertical(cr, h * 0.28 - 9, h * 0.28 + 9, Hex(0xFFE9A0), Hex(0xF6B84A));
  Outline(cr, 2, Hex(0x5A2018));
  if (snow) {
    cairo_move_to(cr, -1, wallTop + 8);
    cairo_line_to(cr, w / 2, h * 0.08 - 6);
    cairo_line_to(cr, w + 1, wallTop + 8);
    for (int i = 10; i >= 0; --i) {
      const double u = i / 10.0;
      const double x = -1 + (w + 2) * u;
      const double roof = h * 0.08 + (wallTop + 8 - h * 0.08) * std::abs(u - 0.5) * 2;
      cairo_line_to(cr, x, roof + 9 + (i % 2) * 4);
    }
    cairo_close_path(cr);
    FillVertical(cr, h * 0.05, wallTop, SNOW, Hex(0xC9DDF0));
    Outline(cr, 1.8, Hex(0x8FA8CC));
    for (int i = 0; i < 9; ++i) {
      const double x = 14 + i * (w - 28) / 8;
      cairo_move_to(cr, x - 3, wallTop + 12);
      cairo_line_to(cr, x, wallTop + 22 + (i % 3) * 4);
      cairo_line_to(cr, x + 3, wallTop + 12);
      cairo_close_path(cr);
      Source(cr, Hex(0xDFF2FF));
      cairo_fill_preserve(cr);
      Outline(cr, 1, Hex(0x8FA8CC));
    }
    cairo_rectangle(cr, w * 0.66 - 2, h * 0.08, 22, 7);
    Source(cr, SNOW);
    cairo_fill_preserve(cr);
    Outline(cr, 1.4, Hex(0x8FA8CC));
  }
}

/// Bricks of a backdrop wall over (0, 0, w, h); `ragged` -1 breaks the left end, 1 the right.
void Bricks(cairo_t* cr, double w, double h, int ragged, Rng& rng) {
  const double bh = 15, bw = 32;
  const Rgb brick = Hex(0xB87A64), mortar = Hex(0xE8DCCF);
  Faded(cr, 0.8, [&] {
    const int rows = static_cast<int>(std::ceil(h / bh));
    for (int r = 0; r < rows; ++r) {
      const double y = h - (r + 1) * bh;
      // Ragged ends step in row by row.
      double from = 0, to = w;
      const double bite = (r % 3) * bw * 0.5 + (r % 2) * bw * 0.3 + rng.Range(0, bw * 0.4);
      if (ragged < 0) from = bite;
      if (ragged > 0) to = w - bite;
      for (double x = (r % 2 ? -bw / 2 : 0); x < to; x += bw) {
        const double x0 = std::max(from, x), x1 = std::min(to, x + bw);
        if (x1 - x0 < 6) continue;
        const Rgb c = Shade(brick, rng.Range(-0.12, 0.12));
        RoundedRect(cr, x0 + 1, y + 1, x1 - x0 - 2, bh - 2, 2);
        FillVertical(cr, y, y + bh, Shade(c, 0.12), Shade(c, -0.1));
        Source(cr, mortar);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
      }
    }
  });
}

void Arch(cairo_t* cr, double w, double h, Rng& rng) {
  const Rgb stone = Hex(0xA8A2B8);
  Faded(cr, 0.85, [&] {
    const double cx = w / 2, inner = w * 0.3, outer = w * 0.48, springY = h * 0.5;
    // Piers.
    for (int side = -1; side <= 1; side += 2) {
      for (int i = 0; i < 4; ++i) {
        const double x = side < 0 ? cx - outer : cx + inner, y = springY + i * (h - springY) / 4;
        RoundedRect(cr, x + 1, y + 1, outer - inner - 2, (h - springY) / 4 - 2, 3);
        FillVertical(cr, y, y + (h - springY) / 4, Shade(stone, rng.Range(0.05, 0.2)),
                     Shade(stone, -0.15));
        Outline(cr, 1.5, Shade(stone, -0.4));
      }
    }
    // Voussoirs around the half circle.
    const int stones = 9;
    for (int i = 0; i < stones; ++i) {
      const double a0 = M_PI + i * M_PI / stones, a1 = M_PI + (i + 1) * M_PI / stones;
      cairo_new_path(cr);
      cairo_arc(cr, cx, springY, outer - 1, a0 + 0.01, a1 - 0.01);
      cairo_arc_negative(cr, cx, springY, inner + 1, a1 - 0.01, a0 + 0.01);
      cairo_close_path(cr);
      FillVertical(cr, springY - outer, springY,
                   Shade(stone, i == stones / 2 ? 0.3 : rng.Range(0.05, 0.2)), Shade(stone, -0.15));
      Outline(cr, 1.5, Shade(stone, -0.4));
    }
  });
}

void Vault(cairo_t* cr, double w, double h, Rng& rng) {
  const Rgb rock = Hex(0x8A7A70);
  Faded(cr, 0.9, [&] {
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, w, 0);
    double x = w;
    cairo_line_to(cr, w, h * 0.45);
    // The underside: a rocky edge with stalactites hanging from it.
    while (x > 0) {
      const double step = rng.Range(18, 40);
      const double y = h * (0.3 + 0.15 * std::sin(x / w * M_PI)) + rng.Range(-6, 6);
      if (rng.Real() < 0.45) {
        const double len = rng.Range(h * 0.2, h * 0.62), mid = x - step / 2;
        cairo_line_to(cr, x, y);
        cairo_line_to(cr, mid + 3, y + len * 0.6);
        cairo_line_to(cr, mid, y + len);
        cairo_line_to(cr, mid - 3, y + len * 0.6);
      } else {
        cairo_line_to(cr, x, y);
      }
      x -= step;
    }
    cairo_line_to(cr, 0, h * 0.4);
    cairo_close_path(cr);
    FillVertical(cr, 0, h, Shade(rock, 0.1), Shade(rock, -0.3));
    Outline(cr, 2, Shade(rock, -0.55));
    for (int i = 0; i < 30; ++i) {
      cairo_arc(cr, rng.Range(0, w), rng.Range(4, h * 0.3), rng.Range(1, 3), 0, 2 * M_PI);
      Source(cr, Shade(rock, rng.Real() < 0.5 ? 0.3 : -0.4), 0.5);
      cairo_fill(cr);
    }
  });
}

/// A hazed, flat stand-in of a body shape, for pictures that copy a body's outline.
void BackdropPlank(cairo_t* cr, double w, double h) {
  Faded(cr, 0.55, [&] {
    cairo_rectangle(cr, 0, 0, w, h);
    FillVertical(cr, 0, h, Mix(WOOD_LIGHT, WHITE, 0.3), Mix(WOOD_DARK, WHITE, 0.3));
    cairo_new_path(cr);
    if (std::min(w, h) >= 8) {
      for (double at = 40; at < std::max(w, h) - 20; at += 70) {
        if (w > h) {
          cairo_move_to(cr, at, 2);
          cairo_line_to(cr, at + 30, 2 + (h - 4) * 0.5);
        } else {
          cairo_move_to(cr, 2, at);
          cairo_line_to(cr, 2 + (w - 4) * 0.5, at + 30);
        }
      }
      Source(cr, Mix(WOOD_DARK, WHITE, 0.2), 0.6);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
  });
}

void BackdropBall(cairo_t* cr, double w, double h) {
  Faded(cr, 0.5, [&] {
    const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1;
    const Rgb colours[] = {RED, WHITE, BLUE, WHITE, YELLOW, WHITE};
    for (int i = 0; i < 6; ++i) {
      cairo_move_to(cr, cx, cy);
      cairo_arc(cr, cx, cy, r, i * M_PI / 3, (i + 1) * M_PI / 3);
      cairo_close_path(cr);
      Source(cr, Mix(colours[i], WHITE, 0.25));
      cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
    Source(cr, Hex(0x9AA8C8));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  });
}

void Aquarium(cairo_t* cr, double w, double h, Rng& rng) {
  const double cx = w / 2, cy = h * 0.56, r = std::min(w / 2, h * 0.44) - 2;
  const Rgb glass = Hex(0x8EC8E8);
  // Water, clipped to the bowl below the water line.
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, cy - r * 0.62, w, h);
  FillVertical(cr, cy - r * 0.62, cy + r, Hex(0x9AD8F4), Hex(0x4A9AD0));
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, cy + r * 0.72, w, h);
  Source(cr, Hex(0xE8D09A));
  cairo_fill(cr);
  for (int i = 0; i < 3; ++i) {
    const double wx = cx - r * 0.5 + i * r * 0.45;
    cairo_move_to(cr, wx, cy + r * 0.8);
    cairo_curve_to(cr, wx - 8, cy + r * 0.3, wx + 8, cy, wx, cy - r * 0.3 + i * 6);
    Source(cr, Hex(0x3E9A48));
    cairo_set_line_width(cr, 3.5);
    cairo_stroke(cr);
  }
  const double fish[][3] = {{-0.25, 0.05, 1}, {0.3, 0.32, -1}};
  for (const auto& f : fish) {
    const double fx = cx + f[0] * r, fy = cy + f[1] * r, d = f[2];
    cairo_save(cr);
    cairo_translate(cr, fx, fy);
    cairo_scale(cr, d, 1);
    cairo_move_to(cr, 8, 0);
    cairo_line_to(cr, 16, -6);
    cairo_line_to(cr, 16, 6);
    cairo_close_path(cr);
    cairo_new_sub_path(cr);
    cairo_save(cr);
    cairo_scale(cr, 11, 7);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    Source(cr, ORANGE);
    cairo_fill_preserve(cr);
    Outline(cr, 1.3, Shade(ORANGE, -0.6));
    cairo_arc(cr, -5, -1.5, 1.6, 0, 2 * M_PI);
    Source(cr, INK);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  for (int i = 0; i < 6; ++i) {
    cairo_arc(cr, cx - r * 0.15 + rng.Range(-4, 4), cy - r * 0.1 - i * 7, 1.5 + i * 0.3, 0,
              2 * M_PI);
    Source(cr, WHITE, 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // The glass: a thin rim and a shine, mostly clear.
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  Source(cr, glass, 0.18);
  cairo_fill_preserve(cr);
  Outline(cr, 2, Shade(glass, -0.4));
  cairo_save(cr);
  cairo_translate(cr, cx, cy - r * 0.86);
  cairo_scale(cr, r * 0.52, 5);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  Source(cr, Hex(0xDDF2FF), 0.8);
  cairo_fill_preserve(cr);
  Outline(cr, 2, Shade(glass, -0.4));
  Glint(cr, cx - r * 0.55, cy - r * 0.25, 5, 16, 0.7);
}

// [SECTION] Webs, spider
// ---------------------------------------------------------------------------

void WebCorner(cairo_t* cr, double w, double h) {
  const Rgb silk = Hex(0xF2F4FA);
  const int spokes = 6;
  cairo_set_line_width(cr, 1.2);
  for (int i = 0; i <= spokes; ++i) {
    const double a = i * (M_PI / 2) / spokes;
    cairo_move_to(cr, 1, 1);
    cairo_line_to(cr, 1 + std::cos(a) * (w - 3), 1 + std::sin(a) * (h - 3));
  }
  Source(cr, silk, 0.85);
  cairo_stroke(cr);
  // Sagging threads between the spokes.
  for (int ring = 1; ring <= 6; ++ring) {
    const double rr = ring * (std::min(w, h) - 6) / 6.0;
    for (int i = 0; i < spokes; ++i) {
      const double a0 = i * (M_PI / 2) / spokes, a1 = (i + 1) * (M_PI / 2) / spokes,
                   am = (a0 + a1) / 2;
      cairo_move_to(cr, 1 + std::cos(a0) * rr, 1 + std::sin(a0) * rr);
      cairo_curve_to(cr, 1 + std::cos(am) * rr * 0.9, 1 + std::sin(am) * rr * 0.9,
                     1 + std::cos(am) * rr * 0.9, 1 + std::sin(am) * rr * 0.9,
                     1 + std::cos(a1) * rr, 1 + std::sin(a1) * rr);
    }
  }
  Source(cr, silk, 0.75);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  Glint(cr, w * 0.3, h * 0.3, 6, 6, 0.5);
}

void WebRound(cairo_t* cr, double w, double h) {
  const Rgb silk = Hex(0xF2F4FA);
  const double cx = w / 2, cy = h / 2, R = std::min(w, h) / 2 - 2;
  const int spokes = 12;
  for (int i = 0; i < spokes; ++i) {
    const double a = i * 2 * M_PI / spokes;
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + std::cos(a) * R, cy + std::sin(a) * R);
  }
  Source(cr, silk, 0.85);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // A spiral, sagging between the spokes.
  const double turns = 7;
  cairo_move_to(cr, cx + 6, cy);
  for (int s = 1; s <= static_cast<int>(turns * spokes); ++s) {
    const double a = s * 2 * M_PI / spokes, ap = (s - 0.5) * 2 * M_PI / spokes;
    const double r = 6 + (R - 8) * s / (turns * spokes), rp = r * 0.92;
    cairo_curve_to(cr, cx + std::cos(ap) * rp, cy + std::sin(ap) * rp, cx + std::cos(ap) * rp,
                   cy + std::sin(ap) * rp, cx + std::cos(a) * r, cy + std::sin(a) * r);
  }
  Source(cr, silk, 0.75);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void HangingSpider(cairo_t* cr, double w, double h) {
  Thread(cr, w / 2, 0, h - 20);
  Spider(cr, w / 2, h - 18, 1.0, 0.1);
}

// [SECTION] Space ---------------------------------------------------------------------------------

void Sphere(cairo_t* cr, double cx, double cy, double r, Rgb base) {
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  FillBall(cr, cx, cy, r, r, base);
  Outline(cr, 2, Shade(base, -0.6));
}

void RingedPlanet(cairo_t* cr, double w, double h) {
  const double cx = w / 2, cy = h / 2, r = h * 0.34;
  const Rgb body = Hex(0xE8B868), ring = Hex(0xCFA8E8);
  auto ringPath = [&](bool back) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, -0.22);
    cairo_scale(cr, w * 0.47, h * 0.14);
    cairo_new_path(cr);
    if (back) {
      cairo_arc(cr, 0, 0, 1, M_PI, 2 * M_PI);
    } else {
      cairo_arc(cr, 0, 0, 1, 0, M_PI);
    }
    cairo_restore(cr);
  };
  ringPath(true);
  Source(cr, Shade(ring, -0.6));
  cairo_set_line_width(cr, 9);
  cairo_stroke_preserve(cr);
  Source(cr, Shade(ring, -0.1));
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  Sphere(cr, cx, cy, r, body);
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
  cairo_clip(cr);
  for (int i = -2; i <= 2; ++i) {
    cairo_rectangle(cr, cx - r, cy + i * r * 0.32 - 3, 2 * r, 5);
    Source(cr, i % 2 ? Hex(0xC8844A) : Hex(0xFFE0A0), 0.55);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  ringPath(false);
  Source(cr, Shade(ring, -0.6));
  cairo_set_line_width(cr, 9);
  cairo_stroke_preserve(cr);
  Source(cr, ring);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
}

/// A glowing globe filling the w x h picture less `margin`; leaves the context saved and clipped
/// to the globe for the surface details (the caller restores). Returns its radius.
double Globe(cairo_t* cr, double w, double h, double margin, Rgb glow, double glowAlpha, Rgb base) {
  const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - margin;
  Glow(cr, cx, cy, r + margin, glow, glowAlpha);
  Sphere(cr, cx, cy, r, base);
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
  cairo_clip(cr);
  return r;
}

void CrateredPlanet(cairo_t* cr, double w, double h, Rng& rng) {
  const double cx = w / 2, cy = h / 2, r = Globe(cr, w, h, 3, Hex(0xFF9A9A), 0.35, Hex(0xD8604E));
  for (int i = 0; i < 9; ++i) {
    const double a = rng.Range(0, 2 * M_PI), d = rng.Range(0, r * 0.8), cr2 = rng.Range(4, 12);
    const double x = cx + std::cos(a) * d, y = cy + std::sin(a) * d;
    cairo_arc(cr, x, y, cr2, 0, 2 * M_PI);
    Source(cr, Hex(0xA8443A), 0.8);
    cairo_fill(cr);
    cairo_arc(cr, x + cr2 * 0.15, y + cr2 * 0.15, cr2 * 0.85, M_PI * 1.0, M_PI * 1.6);
    Source(cr, Hex(0xF09A84), 0.9);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
  // The night side.
  cairo_arc(cr, cx + r * 0.45, cy + r * 0.4, r * 1.05, 0, 2 * M_PI);
  Source(cr, Hex(0x3A2050), 0.35);
  cairo_fill(cr);
  cairo_restore(cr);
}

void Earth(cairo_t* cr, double w, double h, Rng& rng) {
  const double cx = w / 2, cy = h / 2, r = Globe(cr, w, h, 6, Hex(0x9AD8FF), 0.6, Hex(0x3E8EE0));
  // Continents: lumpy green land with a sandy edge.
  const double lands[][3] = {{-0.35, -0.3, 0.42}, {0.35, 0.15, 0.38}, {-0.15, 0.55, 0.26}};
  for (const auto& l : lands) {
    std::vector<Circle> lumps;
    for (int i = 0; i < 7; ++i) {
      lumps.push_back({cx + l[0] * r + rng.Range(-0.25, 0.25) * r,
                       cy + l[1] * r + rng.Range(-0.2, 0.2) * r, l[2] * r * rng.Range(0.4, 0.7)});
    }
    Crown(cr, lumps, Hex(0x5DBB4C), Pen{1.5}, rng);
  }
  for (int i = 0; i < 4; ++i) {
    const double y = cy - r * 0.7 + i * r * 0.45, x = cx + rng.Range(-r * 0.6, r * 0.4);
    RoundedRect(cr, x, y, r * rng.Range(0.5, 0.9), 6, 3);
    Source(cr, WHITE, 0.75);
    cairo_fill(cr);
  }
  cairo_arc(cr, cx + r * 0.5, cy + r * 0.45, r * 1.05, 0, 2 * M_PI);
  Source(cr, Hex(0x1A2060), 0.3);
  cairo_fill(cr);
  cairo_restore(cr);
}

void MoonSurface(cairo_t* cr, double w, double h, Rng& rng) {
  const Rgb dust = Hex(0xB8B4C8);
  cairo_move_to(cr, 0, h);
  for (double x = 0; x <= w; x += 8) {
    const double y =
        h * 0.3 + 10 * std::sin(x / w * 5 * M_PI + 1) + 6 * std::sin(x / w * 13 * M_PI);
    cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, w, h);
  cairo_close_path(cr);
  FillVertical(cr, h * 0.2, h, Shade(dust, 0.15), Shade(dust, -0.35));
  Outline(cr, 2, Shade(dust, -0.55));
  for (int i = 0; i < 16; ++i) {
    const double x = rng.Range(20, w - 20), y = rng.Range(h * 0.5, h - 14), rx = rng.Range(10, 30);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, rx * 0.3);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    Source(cr, Shade(dust, -0.3), 0.8);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, x, y + 1.5);
    cairo_scale(cr, rx, rx * 0.3);
    cairo_arc(cr, 0, 0, 1, 0.1 * M_PI, 0.9 * M_PI);
    cairo_restore(cr);
    Source(cr, Shade(dust, 0.35));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
}

// [SECTION] Signs ---------------------------------------------------------------------------------

void DownArrow(cairo_t* cr, double cx, double top, double bottom, double width, Rgb colour) {
  cairo_move_to(cr, cx - width * 0.22, top);
  cairo_line_to(cr, cx + width * 0.22, top);
  cairo_line_to(cr, cx + width * 0.22, bottom - width * 0.5);
  cairo_line_to(cr, cx + width * 0.5, bottom - width * 0.5);
  cairo_line_to(cr, cx, bottom);
  cairo_line_to(cr, cx - width * 0.5, bottom - width * 0.5);
  cairo_line_to(cr, cx - width * 0.22, bottom - width * 0.5);
  cairo_close_path(cr);
  FillVertical(cr, top, bottom, Shade(colour, 0.3), Shade(colour, -0.15));
  Outline(cr, 2.5);
}

void WordWithArrow(cairo_t* cr, double w, double h, const char* word) {
  Lettering(cr, word, 4, 2, w - 8, h * 0.5, YELLOW, ORANGE, 3);
  DownArrow(cr, w / 2, h * 0.56, h - 3, h * 0.36, TARGET_RED);
}

void MenuSign(cairo_t* cr, double w, double h) {
  // A key cap saying Esc, then the word.
  RoundedRect(cr, 3, 5, h - 8, h - 10, 7);
  FillVertical(cr, 5, h - 5, Hex(0xF4F6FF), Hex(0xB8C4DC));
  Outline(cr, 2.5);
  Lettering(cr, "Esc", 9, h * 0.3, h - 20, h * 0.4, Hex(0x4E71B0), Hex(0x3A5A90), 0.01,
            Hex(0x4E71B0));
  Lettering(cr, "MENU", h + 6, 4, w - h - 10, h - 8, WHITE, Hex(0xBFE3FF), 3);
}

void PowerSign(cairo_t* cr, double w, double h) {
  Lettering(cr, "POWER", 4, 2, w * 0.55, h * 0.6, WHITE, Hex(0xBFE3FF), 3);
  // A wedge of bars growing to the right: aim further to shoot harder.
  const int bars = 6;
  for (int i = 0; i < bars; ++i) {
    const double bw = (w * 0.38 - 4) / bars, x = w * 0.6 + i * bw,
                 bh = (h - 8) * (0.2 + 0.8 * (i + 1) / bars);
    RoundedRect(cr, x + 1, h - 4 - bh, bw - 3, bh, 2);
    const Rgb c = Mix(GREEN, RED, i / double(bars - 1));
    FillVertical(cr, h - 4 - bh, h - 4, Shade(c, 0.3), Shade(c, -0.2));
    Outline(cr, 2);
  }
  cairo_move_to(cr, 8, h * 0.8);
  cairo_line_to(cr, w * 0.5, h * 0.8);
  Source(cr, INK);
  cairo_set_line_width(cr, 6);
  cairo_stroke_preserve(cr);
  Source(cr, YELLOW);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_move_to(cr, w * 0.5 + 9, h * 0.8);
  cairo_line_to(cr, w * 0.5 - 3, h * 0.8 - 8);
  cairo_line_to(cr, w * 0.5 - 3, h * 0.8 + 8);
  cairo_close_path(cr);
  Source(cr, YELLOW);
  cairo_fill_preserve(cr);
  Outline(cr, 2);
}

// [SECTION] Table ---------------------------------------------------------------------------------

struct Decoration {
  const char* name;
  int w, h;
  std::function<void(cairo_t*, double, double, Rng&)> paint;
};

std::vector<Decoration> Decorations() {
  using R = Rng&;
  return {
      {"akazia", 260, 200, [](cairo_t* c, double w, double h, R r) { Acacia(c, w, h, r); }},
      {"akvarium", 130, 126, [](cairo_t* c, double w, double h, R r) { Aquarium(c, w, h, r); }},
      {"bballMedium2", 61, 60, [](cairo_t* c, double w, double h, R) { BackdropBall(c, w, h); }},
      {"bereza2", 120, 300, [](cairo_t* c, double w, double h, R r) { Bereza2(c, w, h, r); }},
      {"bereza4", 170, 280, [](cairo_t* c, double w, double h, R r) { Bereza4(c, w, h, r); }},
      {"bigDub", 320, 300, [](cairo_t* c, double w, double h, R r) { BigOak(c, w, h, r); }},
      {"borderPlankGorizont", 800, 12,
       [](cairo_t* c, double w, double h, R) { BackdropPlank(c, w, h); }},
      {"brickWall", 200, 150, [](cairo_t* c, double w, double h, R r) { Bricks(c, w, h, 0, r); }},
      {"brickWallLeft", 110, 150,
       [](cairo_t* c, double w, double h, R r) { Bricks(c, w, h, -1, r); }},
      {"brickWallRicht", 110, 150,
       [](cairo_t* c, double w, double h, R r) { Bricks(c, w, h, 1, r); }},
      {"cactus1", 90, 160, [](cairo_t* c, double w, double h, R r) { Saguaro(c, w, h, r); }},
      {"cactus2", 70, 72, [](cairo_t* c, double w, double h, R r) { Barrel(c, w, h, r); }},
      {"cactus3", 100, 110, [](cairo_t* c, double w, double h, R r) { PricklyPear(c, w, h, r); }},
      {"elka1", 120, 200, [](cairo_t* c, double w, double h, R r) { Fir(c, w, h, r, false); }},
      {"elka2", 140, 220, [](cairo_t* c, double w, double h, R r) { Fir(c, w, h, r, true); }},
      {"elka3", 80, 130, [](cairo_t* c, double w, double h, R r) { Fir(c, w, h, r, false); }},
      {"goal_txt", 130, 84,
       [](cairo_t* c, double w, double h, R) { WordWithArrow(c, w, h, "GOAL"); }},
      {"grib1", 50, 60, [](cairo_t* c, double w, double h, R) { Mushroom(c, w, h, true); }},
      {"grib2", 50, 56, [](cairo_t* c, double w, double h, R) { Mushroom(c, w, h, false); }},
      {"here_txt", 130, 84,
       [](cairo_t* c, double w, double h, R) { WordWithArrow(c, w, h, "HERE!"); }},
      {"izba", 220, 200, [](cairo_t* c, double w, double h, R) { Hut(c, w, h, false); }},
      {"izbaSnow", 220, 210, [](cairo_t* c, double w, double h, R) { Hut(c, w, h, true); }},
      {"kiparis", 70, 260, [](cairo_t* c, double w, double h, R r) { Cypress(c, w, h, r); }},
      {"klen", 220, 260, [](cairo_t* c, double w, double h, R r) { Maple(c, w, h, r); }},
      {"kust1", 140, 80, [](cairo_t* c, double w, double h, R r) { Bush(c, w, h, r, false); }},
      {"kust2", 120, 90, [](cairo_t* c, double w, double h, R r) { Bush(c, w, h, r, true); }},
      {"leftZvet", 60, 100,
       [](cairo_t* c, double w, double h, R) { Flower(c, w, h, -14, Hex(0xFF7FB4), 0); }},
      {"les", 800, 180, [](cairo_t* c, double w, double h, R r) { ForestRow(c, w, h, r, 0); }},
      {"les1", 800, 160, [](cairo_t* c, double w, double h, R r) { ForestRow(c, w, h, r, 1); }},
      {"les2", 400, 150, [](cairo_t* c, double w, double h, R r) { ForestRow(c, w, h, r, 2); }},
      {"lesPalm", 400, 220,
       [](cairo_t* c, double w, double h, R r) { PalmGrove(c, w, h, r, false); }},
      {"lesRealPalm", 400, 260,
       [](cairo_t* c, double w, double h, R r) { PalmGrove(c, w, h, r, true); }},
      {"list1", 40, 40, [](cairo_t* c, double w, double h, R) { Leaf(c, w, h, true); }},
      {"list2", 36, 36, [](cairo_t* c, double w, double h, R) { Leaf(c, w, h, false); }},
      {"menu_txt", 200, 50, [](cairo_t* c, double w, double h, R) { MenuSign(c, w, h); }},
      {"osina", 130, 280, [](cairo_t* c, double w, double h, R r) { Aspen(c, w, h, r); }},
      {"osoka", 90, 80, [](cairo_t* c, double w, double h, R r) { Sedge(c, w, h, r); }},
      {"pautina1", 120, 120, [](cairo_t* c, double w, double h, R) { WebCorner(c, w, h); }},
      {"pautina2", 140, 140, [](cairo_t* c, double w, double h, R) { WebRound(c, w, h); }},
      {"planeta", 170, 110, [](cairo_t* c, double w, double h, R) { RingedPlanet(c, w, h); }},
      {"planeta2", 120, 120,
       [](cairo_t* c, double w, double h, R r) { CrateredPlanet(c, w, h, r); }},
      {"poverhnost", 800, 120,
       [](cairo_t* c, double w, double h, R r) { MoonSurface(c, w, h, r); }},
      {"power_txt", 200, 70, [](cairo_t* c, double w, double h, R) { PowerSign(c, w, h); }},
      {"raskidistoe", 300, 240, [](cairo_t* c, double w, double h, R r) { Spreading(c, w, h, r); }},
      {"realPalma", 180, 320, [](cairo_t* c, double w, double h, R r) { Palm(c, w, h, r, 40); }},
      {"rightZvet", 60, 100,
       [](cairo_t* c, double w, double h, R) { Flower(c, w, h, 14, Hex(0x9A62E0), 0); }},
      {"smallPalma", 110, 160, [](cairo_t* c, double w, double h, R r) { Palm(c, w, h, r, -24); }},
      {"snegovikStatic", 100, 132,
       [](cairo_t* c, double w, double h, R) { StaticSnowman(c, w, h); }},
      {"staticSpider", 40, 120, [](cairo_t* c, double w, double h, R) { HangingSpider(c, w, h); }},
      {"sugrob1", 200, 50, [](cairo_t* c, double w, double h, R r) { Drift(c, w, h, r); }},
      {"sugrob3", 260, 60, [](cairo_t* c, double w, double h, R r) { Drift(c, w, h, r); }},
      {"sugrob4", 160, 45, [](cairo_t* c, double w, double h, R r) { Drift(c, w, h, r); }},
      {"sugrob5", 320, 70, [](cairo_t* c, double w, double h, R r) { Drift(c, w, h, r); }},
      {"swod", 240, 200, [](cairo_t* c, double w, double h, R r) { Arch(c, w, h, r); }},
      {"swod2", 400, 140, [](cairo_t* c, double w, double h, R r) { Vault(c, w, h, r); }},
      {"thinPlankGor", 224, 5, [](cairo_t* c, double w, double h, R) { BackdropPlank(c, w, h); }},
      {"thinPlankVert", 5, 224, [](cairo_t* c, double w, double h, R) { BackdropPlank(c, w, h); }},
      {"trava1", 200, 40, [](cairo_t* c, double w, double h, R r) { GrassStrip(c, w, h, r, 60); }},
      {"trava2", 100, 45, [](cairo_t* c, double w, double h, R r) { GrassTuft(c, w, h, r); }},
      {"travokust1", 90, 60,
       [](cairo_t* c, double w, double h, R r) { GrassBush(c, w, h, r, false); }},
      {"travokust2", 80, 70,
       [](cairo_t* c, double w, double h, R r) { GrassBush(c, w, h, r, true); }},
      {"upZvetok", 44, 100,
       [](cairo_t* c, double w, double h, R) { Flower(c, w, h, 0, Hex(0xF2484E), 1); }},
      {"zemlya", 140, 140, [](cairo_t* c, double w, double h, R r) { Earth(c, w, h, r); }},
  };
}

void Clouds(const std::string& dir) {
  const int sizes[3][2] = {{200, 100}, {160, 80}, {120, 60}};
  for (int i = 0; i < 3; ++i) {
    const int w = sizes[i][0], h = sizes[i][1];
    Canvas c(w, h);
    Rng rng(SeedOf("oblako" + std::to_string(i + 1)));
    Cloud(c.cr(), w / 2.0, h / 2.0 + 2, w - 8, h - 10, WHITE, Hex(0xC8D8EE), Pen{1.5}, 0.95, rng);
    c.SavePng(dir + "oblako" + std::to_string(i + 1) + ".png");
  }
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_decor", [](const std::string& assets, const std::string&) {
    const std::string dir = assets + "/levels_pic/";
    for (const Decoration& d : Decorations()) {
      Canvas c(d.w, d.h);
      Rng rng(SeedOf(d.name));
      d.paint(c.cr(), d.w, d.h, rng);
      c.SavePng(dir + d.name + ".png");
    }
    Clouds(dir);
  });
}
