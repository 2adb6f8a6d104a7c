// Generates bodies_pic/: the pictures of the physics bodies. A body's shape is its picture's
// rectangle (or, for round bodies, the ellipse inside it), so every box picture is opaque to its
// edges and every ball fills its ellipse. Materials: fixed things are dark wood and stone,
// movable things light wood, sliders teal metal, ice pale cyan, targets red and gold.
#include <cmath>
#include <string>
#include <vector>

#include "tools/art/art.h"
#include "tools/art/materials.h"

using namespace art;

namespace {

struct Body {
  const char* name;
  int w, h;
  std::function<void(cairo_t*, double, double, Rng&)> paint;
};

// [SECTION] Painters ------------------------------------------------------------------------------

auto StaticPlank() {
  return
      [](cairo_t* cr, double w, double h, Rng& rng) { WoodPlank(cr, w, h, WOOD_DARK, true, rng); };
}
auto DynamicPlank() {
  return [](cairo_t* cr, double w, double h, Rng& rng) {
    WoodPlank(cr, w, h, WOOD_LIGHT, false, rng);
  };
}
auto StaticBox() {
  return [](cairo_t* cr, double w, double h, Rng& rng) { StoneBlock(cr, w, h, STONE, rng); };
}
auto DynamicBox() {
  return [](cairo_t* cr, double w, double h, Rng& rng) { Crate(cr, w, h, WOOD_LIGHT, rng); };
}
auto Moving() {
  return [](cairo_t* cr, double w, double h, Rng&) { MetalBar(cr, w, h, TEAL, true); };
}
auto Border() {
  return [](cairo_t* cr, double w, double h, Rng&) { MetalBar(cr, w, h, SLATE, false); };
}
auto Thin() {
  return [](cairo_t* cr, double w, double h, Rng&) { Rod(cr, w, h, Hex(0x8796B0)); };
}

void BreakBox(cairo_t* cr, double w, double h, Rng& rng) {
  const Rgb card = Hex(0xDDB98A);
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, Shade(card, 0.15), Shade(card, -0.1));
  cairo_new_path(cr);
  // Packing tape across the middle of the long side.
  const bool tall = h > w;
  if (tall)
    cairo_rectangle(cr, w * 0.3, 0, w * 0.4, h);
  else
    cairo_rectangle(cr, 0, h * 0.3, w, h * 0.4);
  Source(cr, Hex(0xF6E2B8), 0.9);
  cairo_fill(cr);
  // Cracks: it breaks.
  for (int c = 0; c < 2; ++c) {
    double x = tall ? rng.Range(3, w - 3) : w * (0.25 + 0.5 * c);
    double y = tall ? h * (0.25 + 0.5 * c) : rng.Range(3, h - 3);
    cairo_move_to(cr, x, y);
    for (int i = 0; i < 5; ++i) {
      x += tall ? rng.Range(-4, 4) : rng.Range(2, 5) * (i % 2 ? 1 : -1);
      y += tall ? rng.Range(2, 5) * (i % 2 ? 1 : -1) : rng.Range(-4, 4);
      cairo_line_to(cr, x, y);
    }
    Source(cr, Hex(0x7A4A2A));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
  // A red "fragile" chevron.
  const double cx = w / 2, cy = h / 2, s = std::min(w, h) * 0.28;
  cairo_move_to(cr, cx - s, cy - s * 0.5);
  cairo_line_to(cr, cx, cy + s * 0.6);
  cairo_line_to(cr, cx + s, cy - s * 0.5);
  Source(cr, RED);
  cairo_set_line_width(cr, std::max(1.5, s * 0.45));
  cairo_stroke(cr);
  cairo_rectangle(cr, 0.75, 0.75, w - 1.5, h - 1.5);
  Outline(cr, 1.5);
}

void Ice(cairo_t* cr, double w, double h, Rng& rng, int variant) {
  const Rgb edge = Hex(0x2E5F8A);
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, Shade(ICE, 0.35), Hex(0x8ED3EE));
  cairo_new_path(cr);
  // Facets: a few lighter and darker polygons.
  for (int i = 0; i < 7; ++i) {
    const double x = rng.Range(0, w), y = rng.Range(0, h), s = rng.Range(25, 60);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + s, y + rng.Range(-s, s) * 0.4);
    cairo_line_to(cr, x + rng.Range(0, s), y + s);
    cairo_close_path(cr);
    Source(cr, i % 2 ? WHITE : Hex(0x5FB6DE), i % 2 ? 0.25 : 0.18);
    cairo_fill(cr);
  }
  if (variant == 2) {
    for (int i = 0; i < 14; ++i) {
      const double r = rng.Range(2, 6);
      cairo_arc(cr, rng.Range(12, w - 12), rng.Range(12, h - 12), r, 0, 2 * M_PI);
      Source(cr, WHITE, 0.55);
      cairo_fill_preserve(cr);
      Source(cr, edge, 0.5);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
  }
  if (variant == 3) {
    for (int c = 0; c < 3; ++c) {
      double x = rng.Range(20, w - 20), y = rng.Range(10, h * 0.4);
      cairo_move_to(cr, x, y);
      for (int i = 0; i < 6; ++i) {
        x += rng.Range(-12, 12);
        y += rng.Range(6, 14);
        cairo_line_to(cr, x, y);
      }
      Source(cr, WHITE, 0.9);
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    }
  }
  // Shine streaks every ice block has.
  for (int i = 0; i < 2; ++i) {
    const double x = w * (0.15 + 0.12 * i);
    cairo_move_to(cr, x, h * 0.12);
    cairo_line_to(cr, x + w * 0.18, h * 0.12);
    cairo_line_to(cr, x + w * 0.02, h * (0.6 - 0.15 * i));
    cairo_line_to(cr, x - w * 0.1, h * (0.6 - 0.15 * i));
    cairo_close_path(cr);
    Source(cr, WHITE, 0.45 - 0.15 * i);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, 2, 2, w - 4, h - 4);
  Source(cr, WHITE, 0.6);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_rectangle(cr, 1, 1, w - 2, h - 2);
  Outline(cr, 2, edge);
}

auto Ball(Rgb base, int pattern) {
  return [base, pattern](cairo_t* cr, double w, double h, Rng& rng) {
    RoundThing(cr, w, h, [&] {
      cairo_save(cr);
      cairo_translate(cr, w / 2, h / 2);
      cairo_scale(cr, w / 2, h / 2);
      Source(cr, base);
      cairo_paint(cr);
      switch (pattern) {
        case 1: {  // beach ball: wedges from a pole up-left
          const Rgb wedges[] = {RED, WHITE, BLUE, YELLOW, GREEN, WHITE};
          for (int i = 0; i < 6; ++i) {
            cairo_move_to(cr, -0.3, -0.35);
            cairo_arc(cr, -0.3, -0.35, 2.0, i * M_PI / 3, (i + 1) * M_PI / 3);
            cairo_close_path(cr);
            Source(cr, wedges[i]);
            cairo_fill(cr);
          }
          cairo_arc(cr, -0.3, -0.35, 0.14, 0, 2 * M_PI);
          Source(cr, WHITE);
          cairo_fill(cr);
          break;
        }
        case 2:  // polka dots
          for (int i = 0; i < 9; ++i) {
            const double a = i * 2.4, r = 0.25 + 0.6 * ((i * 37) % 10) / 10.0;
            cairo_arc(cr, r * std::cos(a), r * std::sin(a), 0.13, 0, 2 * M_PI);
            Source(cr, WHITE, 0.95);
            cairo_fill(cr);
          }
          break;
        case 3:  // basketball seams
          cairo_set_line_width(cr, 0.05);
          cairo_move_to(cr, -1, 0);
          cairo_line_to(cr, 1, 0);
          cairo_move_to(cr, 0, -1);
          cairo_line_to(cr, 0, 1);
          cairo_new_sub_path(cr);
          cairo_arc(cr, -1.35, 0, 0.95, -1.2, 1.2);
          cairo_new_sub_path(cr);
          cairo_arc(cr, 1.35, 0, 0.95, M_PI - 1.2, M_PI + 1.2);
          Source(cr, INK, 0.85);
          cairo_stroke(cr);
          break;
        case 4:  // tennis seams
          cairo_set_line_width(cr, 0.09);
          cairo_new_sub_path(cr);
          cairo_arc(cr, -1.25, 0, 0.85, -1.3, 1.3);
          cairo_new_sub_path(cr);
          cairo_arc(cr, 1.25, 0, 0.85, M_PI - 1.3, M_PI + 1.3);
          Source(cr, WHITE, 0.95);
          cairo_stroke(cr);
          break;
        case 5: {  // rainbow bands
          const Rgb bands[] = {RED, ORANGE, YELLOW, GREEN, TEAL, BLUE, PURPLE};
          for (int i = 0; i < 7; ++i) {
            cairo_rectangle(cr, -1, -1 + i * 2.0 / 7, 2, 2.0 / 7 + 0.01);
            Source(cr, bands[i]);
            cairo_fill(cr);
          }
          break;
        }
        case 6: {  // big star
          StarPath(cr, 0, 0, 0.62, 0.28, 5, 0);
          Source(cr, YELLOW);
          cairo_fill_preserve(cr);
          Source(cr, INK, 0.8);
          cairo_set_line_width(cr, 0.025);
          cairo_stroke(cr);
          for (int i = 0; i < 12; ++i) {
            const double a = rng.Range(0, 6.28), r = rng.Range(0.7, 0.95);
            cairo_arc(cr, r * std::cos(a), r * std::sin(a), 0.04, 0, 2 * M_PI);
            Source(cr, WHITE, 0.8);
            cairo_fill(cr);
          }
          break;
        }
        default: break;
      }
      cairo_restore(cr);
    });
  };
}

void BigHead(cairo_t* cr, double w, double h, Rng&) {
  RoundThing(cr, w, h, [&] {
    Source(cr, YELLOW);
    cairo_paint(cr);
    const double cx = w / 2, cy = h / 2, s = w / 117.0;
    cairo_set_line_width(cr, 3 * s);
    // Eyes
    for (double ex : {-20.0, 20.0}) {
      cairo_save(cr);
      cairo_translate(cr, cx + ex * s, cy - 14 * s);
      cairo_scale(cr, 10 * s, 13 * s);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      Source(cr, WHITE);
      cairo_fill_preserve(cr);
      Outline(cr, 2.5 * s);
      cairo_arc(cr, cx + ex * s + 3 * s, cy - 12 * s, 5 * s, 0, 2 * M_PI);
      Source(cr, INK);
      cairo_fill(cr);
      cairo_arc(cr, cx + ex * s + 4.5 * s, cy - 14 * s, 1.6 * s, 0, 2 * M_PI);
      Source(cr, WHITE);
      cairo_fill(cr);
    }
    // Grin and cheeks
    cairo_move_to(cr, cx - 28 * s, cy + 12 * s);
    cairo_curve_to(cr, cx - 18 * s, cy + 38 * s, cx + 18 * s, cy + 38 * s, cx + 28 * s,
                   cy + 12 * s);
    cairo_close_path(cr);
    Source(cr, Hex(0xB8324A));
    cairo_fill_preserve(cr);
    Outline(cr, 3 * s);
    for (double ex : {-36.0, 36.0}) {
      cairo_arc(cr, cx + ex * s, cy + 8 * s, 8 * s, 0, 2 * M_PI);
      Source(cr, PINK, 0.55);
      cairo_fill(cr);
    }
  });
}

void Wheel(cairo_t* cr, double w, double h, Rng&) {
  RoundThing(
      cr, w, h,
      [&] {
        const double cx = w / 2, cy = h / 2;
        Source(cr, Hex(0x3B3A4A));
        cairo_paint(cr);
        // Tread blocks
        for (int i = 0; i < 16; ++i) {
          const double a = i * M_PI / 8;
          cairo_save(cr);
          cairo_translate(cr, cx, cy);
          cairo_scale(cr, w / 2, h / 2);
          cairo_rotate(cr, a);
          cairo_rectangle(cr, 0.88, -0.07, 0.2, 0.14);
          cairo_restore(cr);
          Source(cr, Hex(0x55546A));
          cairo_fill(cr);
        }
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, w / 2, h / 2);
        cairo_arc(cr, 0, 0, 0.62, 0, 2 * M_PI);
        cairo_restore(cr);
        FillBall(cr, cx, cy, w * 0.31, h * 0.31, Hex(0xC9D3E2));
        Outline(cr, 1.5);
        for (int i = 0; i < 5; ++i) {
          const double a = i * 2 * M_PI / 5 - M_PI / 2;
          cairo_move_to(cr, cx, cy);
          cairo_line_to(cr, cx + std::cos(a) * w * 0.29, cy + std::sin(a) * h * 0.29);
        }
        Source(cr, Hex(0x6E7A90));
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        cairo_arc(cr, cx, cy, w * 0.09, 0, 2 * M_PI);
        Source(cr, RED);
        cairo_fill_preserve(cr);
        Outline(cr, 1.2);
      },
      0.5);
}

void CircleBreak(cairo_t* cr, double w, double h, Rng& rng) {
  RoundThing(
      cr, w, h,
      [&] {
        Source(cr, STONE);
        cairo_paint(cr);
        const double cx = w / 2, cy = h / 2;
        for (int i = 0; i < 200; ++i) {
          cairo_arc(cr, rng.Range(0, w), rng.Range(0, h), rng.Range(0.5, 1.3), 0, 2 * M_PI);
          Source(cr, rng.Real() < 0.4 ? WHITE : Shade(STONE, -0.5), 0.3);
          cairo_fill(cr);
        }
        // Cracks radiate from an off-centre point: it breaks.
        for (int c = 0; c < 5; ++c) {
          double x = cx + 6, y = cy - 4;
          const double a = c * 2 * M_PI / 5 + rng.Range(-0.3, 0.3);
          cairo_move_to(cr, x, y);
          for (int i = 0; i < 6; ++i) {
            const double step = rng.Range(7, 12), turn = rng.Range(-0.5, 0.5);
            x += std::cos(a + turn) * step;
            y += std::sin(a + turn) * step;
            cairo_line_to(cr, x, y);
          }
          Source(cr, INK, 0.85);
          cairo_set_line_width(cr, 1.6);
          cairo_stroke(cr);
        }
      },
      0.4);
}

auto RoundTarget() {
  return [](cairo_t* cr, double w, double h, Rng&) {
    RoundThing(
        cr, w, h,
        [&] {
          Source(cr, TARGET_GOLD);
          cairo_paint(cr);
          Bullseye(cr, w / 2, h / 2, std::min(w, h) / 2 - std::max(1.5, w * 0.06));
        },
        0.6);
  };
}

void BoxTarget(cairo_t* cr, double w, double h, Rng&) {
  cairo_rectangle(cr, 0, 0, w, h);
  Source(cr, TARGET_RED);
  cairo_fill(cr);
  // Gold diagonal stripes, then the bullseye in the middle.
  for (double x = -h; x < w + h; x += 10) {
    cairo_move_to(cr, x, h);
    cairo_line_to(cr, x + 4, h);
    cairo_line_to(cr, x + 4 + h, 0);
    cairo_line_to(cr, x + h, 0);
    cairo_close_path(cr);
  }
  Source(cr, TARGET_GOLD, 0.9);
  cairo_fill(cr);
  Bullseye(cr, w / 2, h / 2, h / 2 - 2);
  cairo_rectangle(cr, 0, 0, w, 3);
  Source(cr, WHITE, 0.35);
  cairo_fill(cr);
  cairo_rectangle(cr, 0.75, 0.75, w - 1.5, h - 1.5);
  Outline(cr, 1.5);
}

void BirchLog(cairo_t* cr, double w, double h, Rng& rng) {
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, WHITE, Hex(0xD8D2C4));
  cairo_new_path(cr);
  for (double x = rng.Range(4, 14); x < w - 14; x += rng.Range(10, 26)) {
    const double y = rng.Range(3, h - 6), len = rng.Range(5, 16);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + len, y + rng.Range(-1, 1));
    Source(cr, INK, 0.8);
    cairo_set_line_width(cr, rng.Range(1.5, 3));
    cairo_stroke(cr);
  }
  // Cut ends show the rings.
  for (double ex : {h * 0.3, w - h * 0.3}) {
    cairo_save(cr);
    cairo_translate(cr, ex, h / 2);
    cairo_scale(cr, h * 0.26, h / 2 - 1.5);
    for (int ring = 3; ring >= 1; --ring) {
      cairo_arc(cr, 0, 0, ring / 3.0, 0, 2 * M_PI);
      Source(cr, ring % 2 ? Hex(0xE9C68F) : Hex(0xD3A66A));
      cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, ex, h / 2);
    cairo_scale(cr, h * 0.26, h / 2 - 1.5);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    Outline(cr, 1.5);
  }
  cairo_rectangle(cr, 1, 1, w - 2, h - 2);
  Outline(cr, 2);
}

void Snowdrift(cairo_t* cr, double w, double h, Rng& rng) {
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, WHITE, Hex(0xC9E0F2));
  cairo_new_path(cr);
  // Soft bumps of blue shade under a bright crust.
  for (double x = 0; x < w; x += rng.Range(22, 40)) {
    cairo_arc(cr, x, h + 4, rng.Range(12, 20), 0, 2 * M_PI);
    Source(cr, Hex(0xA9CBE8), 0.5);
    cairo_fill(cr);
  }
  for (int i = 0; i < 18; ++i) {
    StarPath(cr, rng.Range(6, w - 6), rng.Range(4, h * 0.6), 2.2, 0.7, 4, 0);
    Source(cr, WHITE);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, 1, 1, w - 2, h - 2);
  Outline(cr, 2, Hex(0x4D6F95));
}

void BrickWall(cairo_t* cr, double w, double h, Rng& rng) {
  const Rgb mortar = Hex(0xE9DCC2), brick = Hex(0xD8643C);
  Source(cr, mortar);
  cairo_paint(cr);
  const double bh = 23, bw = 46, gap = 3;
  int row = 0;
  for (double y = 0; y < h; y += bh, ++row) {
    for (double x = (row % 2) ? -bw / 2 : 0; x < w; x += bw) {
      const Rgb c = Shade(brick, rng.Range(-0.15, 0.12));
      cairo_rectangle(cr, x + gap / 2, y + gap / 2, bw - gap, bh - gap);
      FillVertical(cr, y, y + bh, Shade(c, 0.15), Shade(c, -0.1));
      Source(cr, INK, 0.55);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      cairo_rectangle(cr, x + gap / 2 + 2, y + gap / 2 + 1.5, bw - gap - 4, 2);
      Source(cr, WHITE, 0.25);
      cairo_fill(cr);
    }
  }
  cairo_rectangle(cr, 1, 1, w - 2, h - 2);
  Outline(cr, 2);
}

auto ToyBlock(int index) {
  return [index](cairo_t* cr, double w, double h, Rng&) {
    const Rgb colours[] = {RED, ORANGE, YELLOW, GREEN, TEAL, BLUE, PURPLE, PINK};
    const Rgb c = colours[index];
    cairo_rectangle(cr, 0, 0, w, h);
    FillVertical(cr, 0, h, Shade(c, 0.2), Shade(c, -0.15));
    cairo_new_path(cr);
    cairo_rectangle(cr, 3, 3, w - 6, h - 6);
    Source(cr, WHITE, 0.3);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const double cx = w / 2, cy = h / 2, s = h * 0.3;
    switch (index) {
      case 0: StarPath(cr, cx, cy + 1, s * 1.2, s * 0.5, 5, 0); break;
      case 1:  // heart
        cairo_move_to(cr, cx, cy + s);
        cairo_curve_to(cr, cx - s * 2, cy - s * 0.2, cx - s * 0.6, cy - s * 1.6, cx, cy - s * 0.4);
        cairo_curve_to(cr, cx + s * 0.6, cy - s * 1.6, cx + s * 2, cy - s * 0.2, cx, cy + s);
        cairo_close_path(cr);
        break;
      case 2: cairo_arc(cr, cx, cy, s, 0, 2 * M_PI); break;
      case 3:
        cairo_move_to(cr, cx, cy - s);
        cairo_line_to(cr, cx + s * 1.15, cy + s * 0.9);
        cairo_line_to(cr, cx - s * 1.15, cy + s * 0.9);
        cairo_close_path(cr);
        break;
      case 4:
        cairo_move_to(cr, cx, cy - s * 1.1);
        cairo_line_to(cr, cx + s, cy);
        cairo_line_to(cr, cx, cy + s * 1.1);
        cairo_line_to(cr, cx - s, cy);
        cairo_close_path(cr);
        break;
      case 5:
        for (int i = -1; i <= 1; ++i)
          cairo_rectangle(cr, cx + i * s * 1.1 - s * 0.3, cy - s, s * 0.6, s * 2);
        break;
      case 6:
        for (int i = -1; i <= 1; i += 2)
          for (int j = -1; j <= 1; j += 2) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + i * s * 0.9, cy + j * s * 0.55, s * 0.38, 0, 2 * M_PI);
          }
        break;
      default:
        cairo_rectangle(cr, cx - s * 0.35, cy - s, s * 0.7, s * 2);
        cairo_rectangle(cr, cx - s, cy - s * 0.35, s * 2, s * 0.7);
        break;
    }
    Source(cr, WHITE);
    cairo_fill_preserve(cr);
    Outline(cr, 1.2);
    cairo_rectangle(cr, 0.75, 0.75, w - 1.5, h - 1.5);
    Outline(cr, 1.5);
  };
}

void ChainLink(cairo_t* cr, double w, double h, Rng&) {
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 3.5);
  FillVertical(cr, 0, h, Hex(0xE3E9F2), Hex(0x8B98AE));
  Outline(cr, 1);
  RoundedRect(cr, w / 2 - 1.5, 3.5, 3, h - 7, 1.5);
  Source(cr, Hex(0x3E4658));
  cairo_fill(cr);
}

void MiniCannon(cairo_t* cr, double w, double h, Rng&) {
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, Shade(STEEL, 0.4), Shade(STEEL, -0.3));
  cairo_new_path(cr);
  for (double x : {6.0, w * 0.45, w - 10}) {
    cairo_rectangle(cr, x, 0, 5, h);
    FillVertical(cr, 0, h, Shade(BRASS, 0.3), Shade(BRASS, -0.2));
    cairo_new_path(cr);
  }
  cairo_save(cr);
  cairo_translate(cr, w - 3.5, h / 2);
  cairo_scale(cr, 2.2, h * 0.32);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  Source(cr, INK);
  cairo_fill(cr);
  cairo_rectangle(cr, 2, 3, w - 8, 3);
  Source(cr, WHITE, 0.35);
  cairo_fill(cr);
  cairo_rectangle(cr, 0.75, 0.75, w - 1.5, h - 1.5);
  Outline(cr, 1.5);
}

void PortalBox(cairo_t* cr, double w, double h, Rng& rng) {
  StoneBlock(cr, w, h, Hex(0xA99BC9), rng);
  cairo_new_path(cr);
  for (double a = 0; a < 4 * M_PI; a += 0.2) {
    const double r = 0.6 + a * 0.55;
    cairo_line_to(cr, w / 2 + std::cos(a) * r, h / 2 + std::sin(a) * r * 0.8);
  }
  Source(cr, PURPLE);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
}

std::vector<Body> Bodies() {
  std::vector<Body> b = {
      {"ballBig1.png", 117, 115, Ball(RED, 1)},
      {"ballBig2.png", 117, 115, Ball(BLUE, 2)},
      {"ballMedium1.png", 61, 60, Ball(ORANGE, 3)},
      {"ballMedium2.png", 61, 60, Ball(Hex(0xB8E04A), 4)},
      {"ballSmall1.png", 22, 22, Ball(RED, 0)},
      {"berezBrevno.png", 584, 34, BirchLog},
      {"bigHead.png", 117, 115, BigHead},
      {"borderPlankGorizontal.png", 802, 12, Border()},
      {"borderPlankGorizontal1Big.png", 800, 10, Border()},
      {"borderPlankGorizontal1Small.png", 401, 9, Border()},
      {"borderPlankVertical.png", 13, 604, Border()},
      {"borderPlankVertical1Big.png", 10, 600, Border()},
      {"borderPlankVertical1Small.png", 9, 301, Border()},
      {"bracket1.png", 37, 39, [](cairo_t* cr, double, double, Rng&) { CannonMount(cr, true); }},
      {"breakBox.png", 24, 69, BreakBox},
      {"breakBoxGorizontal.png", 69, 24, BreakBox},
      {"cannon1.png", 68, 32, MiniCannon},
      {"circleBreak.png", 114, 114, CircleBreak},
      {"dynamicBoxBig.png", 48, 110, DynamicBox()},
      {"dynamicBoxBigGorizont.png", 110, 48, DynamicBox()},
      {"dynamicBoxMedium.png", 57, 39, DynamicBox()},
      {"dynamicBoxSmoll.png", 33, 21, DynamicBox()},
      {"dynamicPlankBig.png", 283, 12, DynamicPlank()},
      {"dynamicPlankBigVertical.png", 12, 283, DynamicPlank()},
      {"dynamicPlankSmall.png", 98, 11, DynamicPlank()},
  };
  for (int i = 0; i < 8; ++i) {
    static const char* const names[] = {"her1.png", "her2.png", "her3.png", "her4.png",
                                        "her5.png", "her6.png", "her7.png", "her8.png"};
    b.push_back({names[i], 56, 27, ToyBlock(i)});
  }
  for (int i = 1; i <= 3; ++i) {
    static const char* const names[] = {"ice1.png", "ice2.png", "ice3.png"};
    b.push_back({names[i - 1], 171, 149,
                 [i](cairo_t* cr, double w, double h, Rng& rng) { Ice(cr, w, h, rng, i); }});
  }
  const std::vector<Body> rest = {
      {"invisiblePlank.png", 13, 122, [](cairo_t*, double, double, Rng&) {}},
      {"link.png", 9, 14, ChainLink},
      {"movingPlankBigGorizont.png", 183, 11, Moving()},
      {"movingPlankBigVertical.png", 12, 181, Moving()},
      {"movingPlankSmallGorizont.png", 89, 11, Moving()},
      {"movingPlankSmallVertical.png", 11, 92, Moving()},
      {"sb.png", 10, 10, Ball(Hex(0x9AA6BC), 0)},
      {"staticBoxBig.png", 48, 110, StaticBox()},
      {"staticBoxBigGorizontal.png", 110, 48, StaticBox()},
      {"staticBoxMedium.png", 64, 39, StaticBox()},
      {"staticBoxSmall.png", 33, 21, StaticBox()},
      {"staticPlankBig.png", 12, 238, StaticPlank()},
      {"staticPlankBigGorizontal.png", 238, 12, StaticPlank()},
      {"staticPlankSmall.png", 11, 92, StaticPlank()},
      {"staticPlankSmallGorizontal.png", 92, 11, StaticPlank()},
      {"staticPortalBox.png", 33, 21, PortalBox},
      {"sugrob.png", 289, 33, Snowdrift},
      {"superBall.png", 558, 557, Ball(BLUE, 5)},
      {"target.png", 56, 26, BoxTarget},
      {"target1.png", 61, 59, RoundTarget()},
      {"target2.png", 22, 22, RoundTarget()},
      {"thinPlankGorizontal.png", 224, 4, Thin()},
      {"thinPlankGorizontalSmall.png", 120, 4, Thin()},
      {"thinPlankVertical.png", 4, 224, Thin()},
      {"veryBigBall.png", 311, 310, Ball(PURPLE, 6)},
      {"veryBigBrick.png", 325, 185, BrickWall},
      {"veryBigPlankGorizontal.png", 583, 11, StaticPlank()},
      {"veryBigPlankVertical.png", 11, 583, StaticPlank()},
      {"verySmallBox.png", 17, 11, DynamicBox()},
      {"whell.png", 62, 60, Wheel},
  };
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_bodies", [](const std::string& assets, const std::string&) {
    for (const Body& body : Bodies()) {
      Canvas canvas(body.w, body.h);
      Rng rng(SeedOf(body.name));
      body.paint(canvas.cr(), body.w, body.h, rng);
      canvas.SavePng(assets + "/bodies_pic/" + body.name);
    }
  });
}
