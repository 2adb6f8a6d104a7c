// Generates game_pic/ (cannon, mount, aim, portal, sparks, snow, counters, title, win and the
// next-level buttons) plus the two start-up pictures outside it: levels_thumbs/close.jpg (the
// locked level) and levels_pic/mousehorse.png (the running mouse). Most of these are loaded
// masked, so nothing here is ever pure black.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/art/art.h"
#include "tools/art/materials.h"

using namespace art;

namespace {

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double Ease(double t) { return t * t * (3 - 2 * t); }

// [SECTION] Cannon --------------------------------------------------------------------------------

// Cell geometry: the cannon turns about (31, 55); the ragdoll leaves 56 px in front of it, just
// inside the mouth at x 106.
constexpr double PIVOT_X = 31, PIVOT_Y = 55, MOUTH_X = 106;

struct CannonPose {
  double recoil = 0;  // barrel pushed back, pixels
  double swell = 1;   // barrel thickness factor (charging)
  double flash = 0;   // muzzle flash size 0-1
  double fuse = 0;    // fuse spark 0-1
  int frame = 0;
};

CannonPose PoseOf(int frame) {
  CannonPose p;
  p.frame = frame;
  if (frame == 0) return p;
  if (frame < 18) {
    const double t = frame / 17.0;
    p.swell = 1 + 0.07 * Ease(t);
    p.fuse = (frame % 3 == 0) ? 0.7 : 1.0;
  } else if (frame < 20) {
    p.swell = 1.09 + 0.02 * (frame - 18);
    p.recoil = -1.5 * (frame - 17);  // a small lurch forward before the bang
    p.fuse = 1.2;
  } else {
    const double t = (frame - 20) / 9.0;  // 0 at the bang, 1 at the last cell
    p.recoil = 10 * (1 - Ease(t));
    p.swell = frame == 20 ? 0.92 : 1.0 + 0.03 * (1 - t);
    p.flash = frame <= 23 ? 1.0 - (frame - 20) * 0.28 : 0;
  }
  return p;
}

void CannonBarrel(cairo_t* cr, const CannonPose& p) {
  const double back = -p.recoil;
  auto half = [&](double x) { return (17 - (x - 16) * 0.05) * p.swell; };  // tapers a little
  // Breech knob.
  cairo_arc(cr, 12 + back, PIVOT_Y, 8 * p.swell, 0, 2 * M_PI);
  FillBall(cr, 12 + back, PIVOT_Y, 8 * p.swell, 8 * p.swell, STEEL);
  Outline(cr, 2);
  // Barrel body.
  const double x0 = 16 + back, x1 = 98 + back;
  cairo_move_to(cr, x0, PIVOT_Y - half(16));
  cairo_line_to(cr, x1, PIVOT_Y - half(98));
  cairo_line_to(cr, x1, PIVOT_Y + half(98));
  cairo_line_to(cr, x0, PIVOT_Y + half(16));
  cairo_close_path(cr);
  FillVertical(cr, PIVOT_Y - 18 * p.swell, PIVOT_Y + 18 * p.swell, Shade(STEEL, 0.45),
               Shade(STEEL, -0.35));
  Outline(cr, 2);
  // Light streak along the top.
  cairo_move_to(cr, x0 + 4, PIVOT_Y - half(16) + 4);
  cairo_line_to(cr, x1 - 6, PIVOT_Y - half(98) + 4);
  Source(cr, WHITE, 0.45);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  // Brass bands.
  for (double bx : {44.0, 74.0}) {
    const double x = bx + back, hh = half(bx) + 1.5;
    cairo_rectangle(cr, x, PIVOT_Y - hh, 6, hh * 2);
    FillVertical(cr, PIVOT_Y - hh, PIVOT_Y + hh, Shade(BRASS, 0.35), Shade(BRASS, -0.3));
    Outline(cr, 1.5);
  }
  // Flared mouth with the dark bore.
  const double mh = half(98) + 3.5;
  RoundedRect(cr, x1 - 1, PIVOT_Y - mh, MOUTH_X - x1 + 3, mh * 2, 3);
  FillVertical(cr, PIVOT_Y - mh, PIVOT_Y + mh, Shade(BRASS, 0.35), Shade(BRASS, -0.3));
  Outline(cr, 2);
  cairo_save(cr);
  cairo_translate(cr, MOUTH_X + back + 1, PIVOT_Y);
  cairo_scale(cr, 3, mh - 4);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  Source(cr, p.flash > 0 ? ORANGE : Hex(0x3B3044));
  cairo_fill(cr);
  // Trunnion hub: fixed to the mount, the barrel slides under it.
  cairo_arc(cr, PIVOT_X, PIVOT_Y, 7, 0, 2 * M_PI);
  FillBall(cr, PIVOT_X, PIVOT_Y, 7, 7, BRASS);
  Outline(cr, 2);
  cairo_arc(cr, PIVOT_X, PIVOT_Y, 2, 0, 2 * M_PI);
  Source(cr, INK);
  cairo_fill(cr);
  // Fuse on the breech, with its spark while the shot charges.
  cairo_move_to(cr, 10 + back, PIVOT_Y - 7 * p.swell);
  cairo_curve_to(cr, 8 + back, PIVOT_Y - 14, 12 + back, PIVOT_Y - 16, 9 + back, PIVOT_Y - 20);
  Source(cr, Hex(0x7A5A3A));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  if (p.fuse > 0) {
    const double s = 5 * p.fuse;
    StarPath(cr, 9 + back, PIVOT_Y - 21, s * 1.4, s * 0.5, 6, p.frame * 17.0);
    Source(cr, ORANGE);
    cairo_fill_preserve(cr);
    Outline(cr, 1);
    StarPath(cr, 9 + back, PIVOT_Y - 21, s * 0.7, s * 0.3, 6, p.frame * 17.0);
    Source(cr, YELLOW);
    cairo_fill(cr);
  }
}

void MuzzleFlash(cairo_t* cr, const CannonPose& p) {
  if (p.flash <= 0) return;
  const double cx = MOUTH_X + 14 - p.recoil * 0.5, cy = PIVOT_Y, s = p.flash;
  StarPath(cr, cx, cy, 40 * s, 20 * s, 9, p.frame * 11.0);
  Source(cr, ORANGE);
  cairo_fill_preserve(cr);
  Outline(cr, 2);
  StarPath(cr, cx + 2, cy, 27 * s, 14 * s, 9, p.frame * 11.0 + 20);
  Source(cr, YELLOW);
  cairo_fill(cr);
  cairo_arc(cr, cx + 2, cy, 9 * s, 0, 2 * M_PI);
  Source(cr, WHITE);
  cairo_fill(cr);
}

void Smoke(cairo_t* cr, int frame) {
  if (frame < 21) return;
  const double t = (frame - 21) / 8.0;  // 0..1 over the last cells
  struct Puff {
    double x, y, r, delay;
  };
  const Puff puffs[] = {{114, 52, 9, 0},
                        {126, 60, 11, 0.1},
                        {138, 48, 10, 0.2},
                        {148, 58, 8, 0.3},
                        {122, 44, 7, 0.15}};
  for (const Puff& puff : puffs) {
    const double u = Clamp01((t - puff.delay) / (1 - puff.delay));
    if (t < puff.delay) continue;
    const double r = puff.r * (0.6 + 0.8 * Ease(u));
    const double x = puff.x + 10 * u, y = puff.y - 14 * u;
    const double alpha = 0.95 * (1 - Ease(u)) + 0.05;
    if (u >= 1) continue;
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    Source(cr, Hex(0xE9E6F0), alpha);
    cairo_fill_preserve(cr);
    Source(cr, Hex(0x8A86A0), alpha);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_arc(cr, x - r * 0.3, y - r * 0.35, r * 0.35, 0, 2 * M_PI);
    Source(cr, WHITE, alpha * 0.8);
    cairo_fill(cr);
  }
}

void CannonSheet(const std::string& dir) {
  Canvas sheet(1020, 550);
  DrawCells(sheet, 170, 110, 6, 30, [](cairo_t* cr, int frame) {
    const CannonPose pose = PoseOf(frame);
    Smoke(cr, frame);
    CannonBarrel(cr, pose);
    MuzzleFlash(cr, pose);
  });
  sheet.SavePng(dir + "cannon.png");
}

// [SECTION] Portal --------------------------------------------------------------------------------

void PortalCell(cairo_t* cr, int frame) {
  // 29 frames make one turn, so counting 0..28 (entrance) or 29..1 (exit) loops without a jump.
  const double phase = frame * 2 * M_PI / 29;
  const double cx = 15, cy = 37.5, rx = 13.5, ry = 36;
  auto ellipse = [&](double sx, double sy) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, sx, sy);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
  };
  // Glow ring.
  ellipse(rx, ry);
  Source(cr, PURPLE);
  cairo_fill_preserve(cr);
  Outline(cr, 1.5);
  // Swirl inside.
  cairo_save(cr);
  ellipse(rx - 3, ry - 3.5);
  cairo_clip(cr);
  cairo_pattern_t* glow = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  cairo_pattern_add_color_stop_rgb(glow, 0, 0.85, 0.98, 1.0);
  cairo_pattern_add_color_stop_rgb(glow, 0.45, 0.35, 0.75, 0.95);
  cairo_pattern_add_color_stop_rgb(glow, 1, 0.28, 0.16, 0.52);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, 1 / (rx - 3), 1 / (ry - 3.5));
  cairo_matrix_translate(&m, -cx, -cy);
  cairo_pattern_set_matrix(glow, &m);
  cairo_set_source(cr, glow);
  cairo_paint(cr);
  cairo_pattern_destroy(glow);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, (rx - 3) / 30, (ry - 3.5) / 30);
  for (int arm = 0; arm < 3; ++arm) {
    const double a0 = phase + arm * 2 * M_PI / 3;
    cairo_new_path(cr);
    for (double u = 0; u <= 1.0; u += 0.04) {
      const double a = a0 + u * 4.2, r = 2 + u * 30;
      cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    Source(cr, arm % 2 ? Hex(0xFF8BE0) : WHITE, 0.85);
    cairo_set_line_width(cr, 4.5);
    cairo_stroke(cr);
  }
  // Sparkles riding the swirl.
  for (int i = 0; i < 4; ++i) {
    const double a = phase * 2 + i * M_PI / 2, r = 12 + 10 * ((i * 7) % 3) / 2.0;
    StarPath(cr, r * std::cos(a), r * std::sin(a), 4, 1.5, 4, 0);
    Source(cr, WHITE);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  ellipse(rx - 3, ry - 3.5);
  Source(cr, Hex(0xE6C8FF));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

// [SECTION] Sparks --------------------------------------------------------------------------------

// baz1: a star burst that pops and fades.
void SparkStar(cairo_t* cr, int frame, double w, double h) {
  const double sizes[] = {0.45, 0.85, 1.0, 0.9, 0.7, 0.45};
  const double s = sizes[frame] * std::min(w, h) / 2 - 1.5;
  const double cx = w / 2, cy = h / 2;
  StarPath(cr, cx, cy, s, s * 0.42, 8, frame * 9.0);
  Source(cr, frame < 4 ? YELLOW : Hex(0xFFE9A0));
  cairo_fill_preserve(cr);
  Outline(cr, 1.5, Hex(0xD9572B));
  if (frame < 4) {
    cairo_arc(cr, cx, cy, s * 0.3, 0, 2 * M_PI);
    Source(cr, WHITE);
    cairo_fill(cr);
  }
}

// baz2: a shock ring with speed lines.
void SparkRing(cairo_t* cr, int frame, double w, double h) {
  const double cx = w / 2, cy = h / 2, t = (frame + 1) / 6.0;
  const double r = 4 + t * (std::min(w, h) / 2 - 7);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  Source(cr, ORANGE, 1 - t * 0.5);
  cairo_set_line_width(cr, 5 * (1 - t) + 1.5);
  cairo_stroke(cr);
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4 + 0.4;
    cairo_move_to(cr, cx + std::cos(a) * (r * 0.5 + 2), cy + std::sin(a) * (r * 0.5 + 2));
    cairo_line_to(cr, cx + std::cos(a) * (r + 5), cy + std::sin(a) * (r + 5));
  }
  Source(cr, YELLOW, 1 - t * 0.6);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  if (frame < 3) {
    cairo_arc(cr, cx, cy, 6 - frame * 1.5, 0, 2 * M_PI);
    Source(cr, WHITE);
    cairo_fill(cr);
  }
}

// baz3: a comic "POW" cloud.
void SparkPow(cairo_t* cr, int frame, double w, double h) {
  const double sizes[] = {0.5, 0.9, 1.0, 1.0, 0.85, 0.6};
  const double s = sizes[frame];
  const double cx = w / 2, cy = h / 2;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, s * (w / 2 - 2) / 20, s * (h / 2 - 2) / 20);
  StarPath(cr, 0, 0, 20, 13, 11, frame * 5.0);
  cairo_restore(cr);
  Source(cr, frame < 5 ? RED : Hex(0xF59A9D));
  cairo_fill_preserve(cr);
  Outline(cr, 1.5);
  if (frame >= 1 && frame <= 4) {
    const double tw = (w - 16) * s, th = (h - 24) * s;
    Lettering(cr, "POW", cx - tw / 2, cy - th / 2, tw, th, WHITE, YELLOW, 1.2);
  }
}

void SparkSheet(const std::string& path, int cw, int ch,
                void (*paint)(cairo_t*, int, double, double)) {
  Canvas sheet(cw * 6, ch);
  DrawCells(sheet, cw, ch, 6, 6, [&](cairo_t* cr, int frame) { paint(cr, frame, cw, ch); });
  sheet.SavePng(path);
}

// [SECTION] Small pictures ------------------------------------------------------------------------

void Aim(const std::string& path) {
  Canvas c(47, 47);
  cairo_t* cr = c.cr();
  const double m = 23.5;
  // Ticks crossing the ring, then the ring; ink first, colour over it.
  for (int pass = 0; pass < 2; ++pass) {
    const double widen = pass == 0 ? 3 : 0;
    Source(cr, pass == 0 ? INK : WHITE);
    cairo_set_line_width(cr, 2.5 + widen);
    cairo_arc(cr, m, m, 15, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2 + widen);
    for (int i = 0; i < 4; ++i) {
      const double a = i * M_PI / 2;
      cairo_move_to(cr, m + std::cos(a) * 9, m + std::sin(a) * 9);
      cairo_line_to(cr, m + std::cos(a) * 21, m + std::sin(a) * 21);
    }
    cairo_stroke(cr);
  }
  cairo_arc(cr, m, m, 3.5, 0, 2 * M_PI);
  Source(cr, TARGET_RED);
  cairo_fill_preserve(cr);
  Outline(cr, 1.5);
  c.SavePng(path);
}

void Snowflake(const std::string& path, int w, int h, int kind) {
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) / 2.0 - 0.8;
  if (kind == 3) {
    cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * M_PI);
    FillBall(cr, cx, cy, r, r, SNOW);
    Outline(cr, 1, Hex(0x7FA6CC));
  } else {
    const int arms = kind == 1 ? 6 : 5;
    for (int pass = 0; pass < 2; ++pass) {
      Source(cr, pass == 0 ? Hex(0x7FA6CC) : WHITE);
      cairo_set_line_width(cr, pass == 0 ? 2.6 : 1.2);
      for (int i = 0; i < arms; ++i) {
        const double a = i * 2 * M_PI / arms - M_PI / 2;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + std::cos(a) * (r - 0.6), cy + std::sin(a) * (r - 0.6));
      }
      cairo_stroke(cr);
    }
    cairo_arc(cr, cx, cy, 1.3, 0, 2 * M_PI);
    Source(cr, WHITE);
    cairo_fill(cr);
  }
  c.SavePng(path);
}

void Particle(const std::string& path) {
  Canvas c(16, 16);
  cairo_t* cr = c.cr();
  cairo_pattern_t* p = cairo_pattern_create_radial(8, 8, 0, 8, 8, 8);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 1);
  cairo_pattern_add_color_stop_rgba(p, 0.3, 1, 0.97, 0.8, 1);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 0.93, 0.6, 0.8);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 0.75, 0.3, 0);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
  c.SavePng(path);
}

// Digits and labels share one lettering: warm yellow numbers, white labels, ink outline.
void Digit(const std::string& path, int digit, int width) {
  Canvas c(width, 19);
  Lettering(c.cr(), std::to_string(digit), 0, 0, width, 19, YELLOW, ORANGE, 1.6);
  c.SavePng(path);
}

void Label(const std::string& path, const std::string& text, int w, int h) {
  Canvas c(w, h);
  Lettering(c.cr(), text, 0, 0, w, h, WHITE, Hex(0xBFE3FF), 1.6);
  c.SavePng(path);
}

void NextLevelButton(const std::string& path, int w, int h) {
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  RoundedRect(cr, 0.75, 0.75, w - 1.5, h - 1.5, h / 2.0);
  FillVertical(cr, 0, h, Shade(GREEN, 0.35), Shade(GREEN, -0.25));
  Outline(cr, 1.5);
  RoundedRect(cr, h * 0.3, 2.2, w - h * 0.6, h * 0.25, h * 0.12);
  Source(cr, WHITE, 0.45);
  cairo_fill(cr);
  const double arrow = h * 0.55;
  Lettering(cr, "NEXT LEVEL", h * 0.45, 2, w - h * 0.9 - arrow, h - 4, WHITE, Hex(0xFFF4B0), 1.1);
  const double ax = w - h * 0.45 - arrow * 0.8, ay = h / 2.0;
  cairo_move_to(cr, ax, ay - arrow / 2);
  cairo_line_to(cr, ax + arrow * 0.8, ay);
  cairo_line_to(cr, ax, ay + arrow / 2);
  cairo_close_path(cr);
  Source(cr, YELLOW);
  cairo_fill_preserve(cr);
  Outline(cr, 1);
  c.SavePng(path);
}

// [SECTION] Play aids: power gauge, stars, hint, win banner, menu focus ------------------------

/// The strength gauge beside the cannon: a glass tube with ticks, filled from the bottom in
/// `cells` steps (cell k holds k / (cells - 1) of the way), green through yellow to red.
void PowerGauge(const std::string& path, int cells) {
  const int w = 22, h = 112;
  Canvas sheet(w * cells, h);
  DrawCells(sheet, w, h, cells, cells, [&](cairo_t* cr, int frame) {
    const double x = 4, y = 4, tw = w - 8, th = h - 8;
    RoundedRect(cr, x, y, tw, th, tw / 2);
    Source(cr, SLATE, 0.55);
    cairo_fill(cr);
    const double share = static_cast<double>(frame) / (cells - 1);
    if (share > 0) {
      cairo_save(cr);
      RoundedRect(cr, x, y, tw, th, tw / 2);
      cairo_clip(cr);
      const double top = y + th * (1 - share);
      cairo_rectangle(cr, x, top, tw, th * share);
      cairo_pattern_t* p = cairo_pattern_create_linear(0, y + th, 0, y);
      for (const auto& [at, c] : {std::pair{0.0, GREEN}, std::pair{0.55, YELLOW},
                                  std::pair{0.8, ORANGE}, std::pair{1.0, RED}}) {
        cairo_pattern_add_color_stop_rgb(p, at, c.r, c.g, c.b);
      }
      cairo_set_source(cr, p);
      cairo_fill(cr);
      cairo_pattern_destroy(p);
      cairo_restore(cr);
    }
    for (int t = 1; t < 4; ++t) {  // quarter ticks on the glass
      const double ty = y + th * t / 4.0;
      cairo_move_to(cr, x + 1.5, ty);
      cairo_line_to(cr, x + tw * 0.45, ty);
    }
    Source(cr, WHITE, 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    RoundedRect(cr, x + 2.5, y + 5, tw * 0.22, th - 10, tw * 0.1);  // the glass's shine
    Source(cr, WHITE, 0.35);
    cairo_fill(cr);
    RoundedRect(cr, x, y, tw, th, tw / 2);
    Outline(cr, 2);
  });
  sheet.SavePng(path);
}

/// Two cells: a won star (gold) and a star still to win (a hollow slate one).
void Stars(const std::string& path, int size) {
  Canvas sheet(size * 2, size);
  DrawCells(sheet, size, size, 2, 2, [&](cairo_t* cr, int frame) {
    const double m = size / 2.0, outer = size / 2.0 - 1.5;
    StarPath(cr, m, m + 0.5, outer, outer * 0.48, 5, -90);
    if (frame == 0) {
      FillBall(cr, m, m, outer, outer, YELLOW);
    } else {
      Source(cr, STONE, 0.55);
      cairo_fill_preserve(cr);
    }
    Outline(cr, size > 20 ? 2 : 1.4, frame == 0 ? INK : SLATE);
    if (frame == 0) Glint(cr, m - outer * 0.2, m - outer * 0.25, outer * 0.22, outer * 0.14, 0.7);
  });
  sheet.SavePng(path);
}

/// Where the stored plan aims: the crosshair's shape, dashed, in a pale sky blue.
void HintAim(const std::string& path) {
  Canvas c(47, 47);
  cairo_t* cr = c.cr();
  const double m = 23.5;
  const double dash[] = {5, 3.4};
  for (int pass = 0; pass < 2; ++pass) {
    Source(cr, pass == 0 ? INK : Hex(0xBFE9FF), pass == 0 ? 0.6 : 1);
    cairo_set_line_width(cr, pass == 0 ? 4.5 : 2);
    cairo_set_dash(cr, dash, 2, 0);
    cairo_arc(cr, m, m, 15, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    for (int i = 0; i < 4; ++i) {
      const double a = i * M_PI / 2 + M_PI / 4;
      cairo_move_to(cr, m + std::cos(a) * 8, m + std::sin(a) * 8);
      cairo_line_to(cr, m + std::cos(a) * 13, m + std::sin(a) * 13);
    }
    cairo_stroke(cr);
  }
  cairo_arc(cr, m, m, 3, 0, 2 * M_PI);
  Source(cr, BLUE);
  cairo_fill_preserve(cr);
  Outline(cr, 1.2);
  c.SavePng(path);
}

/// The "when to fire" pulse: a soft ring that the game scales and fades.
void HintPulse(const std::string& path) {
  Canvas c(64, 64);
  cairo_t* cr = c.cr();
  cairo_pattern_t* p = cairo_pattern_create_radial(32, 32, 18, 32, 32, 31);
  cairo_pattern_add_color_stop_rgba(p, 0, 0.75, 0.91, 1, 0);
  cairo_pattern_add_color_stop_rgba(p, 0.55, 1, 0.99, 0.93, 0.95);
  cairo_pattern_add_color_stop_rgba(p, 1, 0.29, 0.56, 0.91, 0);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
  c.SavePng(path);
}

/// A pill button like the next-level sign, in blue, with a small lamp.
void HintButton(const std::string& path, int w, int h) {
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  RoundedRect(cr, 0.75, 0.75, w - 1.5, h - 1.5, h / 2.0);
  FillVertical(cr, 0, h, Shade(BLUE, 0.35), Shade(BLUE, -0.25));
  Outline(cr, 1.5);
  RoundedRect(cr, h * 0.3, 2.2, w - h * 0.6, h * 0.25, h * 0.12);
  Source(cr, WHITE, 0.45);
  cairo_fill(cr);
  const double lx = h * 0.75, ly = h * 0.45;
  cairo_arc(cr, lx, ly, h * 0.24, 0, 2 * M_PI);
  Source(cr, YELLOW);
  cairo_fill_preserve(cr);
  Outline(cr, 1);
  cairo_rectangle(cr, lx - h * 0.1, ly + h * 0.2, h * 0.2, h * 0.16);
  Source(cr, STONE);
  cairo_fill_preserve(cr);
  Outline(cr, 0.8);
  Lettering(cr, "HINT  H", h * 1.15, 2, w - h * 1.6, h - 4, WHITE, Hex(0xFFF4B0), 1.1);
  c.SavePng(path);
}

/// The panel the win of a level is told on: cream paper in a dark-wood frame.
void WinBanner(const std::string& path, int w, int h) {
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  RoundedRect(cr, 2, 2, w - 4, h - 4, 16);
  FillVertical(cr, 0, h, Shade(WOOD_DARK, 0.15), Shade(WOOD_DARK, -0.2));
  Outline(cr, 2.5);
  RoundedRect(cr, 10, 10, w - 20, h - 20, 10);
  FillVertical(cr, 10, h - 10, WHITE, Hex(0xF3E6C8));
  Outline(cr, 1.5, Shade(WOOD_DARK, -0.3));
  Rng rng(SeedOf("banner"));
  for (int i = 0; i < 6; ++i) {  // a few nail heads on the frame
    const double x = i % 2 == 0 ? 6.5 : w - 6.5;
    const double y = 20 + (h - 40) * (i / 2) / 2.0 + rng.Range(-2, 2);
    cairo_arc(cr, x, y, 2, 0, 2 * M_PI);
    Source(cr, BRASS);
    cairo_fill_preserve(cr);
    Outline(cr, 0.8);
  }
  c.SavePng(path);
}

/// The keyboard's focus in the menus: a small yellow pointer left of the focused caption.
void FocusPointer(const std::string& path) {
  const int w = 18, h = 22;
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  cairo_move_to(cr, 2, 2);
  cairo_line_to(cr, w - 2, h / 2.0);
  cairo_line_to(cr, 2, h - 2);
  cairo_line_to(cr, 6, h / 2.0);
  cairo_close_path(cr);
  FillVertical(cr, 0, h, YELLOW, ORANGE);
  Outline(cr, 1.6);
  c.SavePng(path);
}

/// A volume bar of the settings screen: `cells` cells from empty to full.
void VolumeBar(const std::string& path, int w, int h, int cells) {
  Canvas sheet(w * cells, h);
  DrawCells(sheet, w, h, cells, cells, [&](cairo_t* cr, int frame) {
    const double share = static_cast<double>(frame) / (cells - 1);
    RoundedRect(cr, 2, 2, w - 4, h - 4, (h - 4) / 2.0);
    Source(cr, SLATE, 0.45);
    cairo_fill(cr);
    if (share > 0) {
      RoundedRect(cr, 2, 2, 4 + (w - 8) * share, h - 4, (h - 4) / 2.0);
      FillVertical(cr, 2, h - 2, Shade(TEAL, 0.35), Shade(TEAL, -0.2));
    }
    RoundedRect(cr, 2, 2, w - 4, h - 4, (h - 4) / 2.0);
    Outline(cr, 1.6);
  });
  sheet.SavePng(path);
}

// [SECTION] Title and win ------------------------------------------------------------------------

void Title(const std::string& path) {
  const int w = 520, h = 120;
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  Rng rng(SeedOf("title"));
  for (int i = 0; i < 9; ++i) {
    const double x = i < 5 ? rng.Range(8, 60) : rng.Range(w - 60, w - 8);
    const double y = rng.Range(12, h - 12), s = rng.Range(4, 9);
    StarPath(cr, x, y, s, s * 0.45, 5, rng.Range(0, 72));
    Source(cr, i % 2 ? YELLOW : WHITE);
    cairo_fill_preserve(cr);
    Outline(cr, 1.5);
  }
  Lettering(cr, "BRAKKON", 62, 14, w - 118, h - 24, INK, INK, 5);  // drop shadow
  Lettering(cr, "BRAKKON", 56, 8, w - 118, h - 24, YELLOW, ORANGE, 5);
  // A shine across the top of the letters.
  c.SavePng(path);
}

void Trophy(cairo_t* cr, double cx, double top) {
  // Handles behind the cup.
  for (int side = -1; side <= 1; side += 2) {
    cairo_new_path(cr);
    cairo_arc(cr, cx + side * 40, top + 32, 17, 0, 2 * M_PI);
    Source(cr, INK);
    cairo_set_line_width(cr, 11);
    cairo_stroke_preserve(cr);
    Source(cr, BRASS);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
  }
  cairo_move_to(cr, cx - 46, top);
  cairo_line_to(cr, cx + 46, top);
  cairo_curve_to(cr, cx + 46, top + 55, cx + 22, top + 75, cx + 8, top + 80);
  cairo_line_to(cr, cx + 8, top + 96);
  cairo_line_to(cr, cx - 8, top + 96);
  cairo_line_to(cr, cx - 8, top + 80);
  cairo_curve_to(cr, cx - 22, top + 75, cx - 46, top + 55, cx - 46, top);
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(cx - 46, 0, cx + 46, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, Shade(BRASS, 0.5).r, Shade(BRASS, 0.5).g,
                                   Shade(BRASS, 0.5).b);
  cairo_pattern_add_color_stop_rgb(p, 0.4, BRASS.r, BRASS.g, BRASS.b);
  cairo_pattern_add_color_stop_rgb(p, 1, Shade(BRASS, -0.35).r, Shade(BRASS, -0.35).g,
                                   Shade(BRASS, -0.35).b);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  Outline(cr, 3);
  RoundedRect(cr, cx - 30, top + 96, 60, 16, 4);
  FillVertical(cr, top + 96, top + 112, Shade(WOOD_DARK, 0.2), Shade(WOOD_DARK, -0.2));
  Outline(cr, 3);
  StarPath(cr, cx, top + 34, 17, 7, 5, 0);
  Source(cr, WHITE);
  cairo_fill_preserve(cr);
  Outline(cr, 2);
  Glint(cr, cx - 26, top + 22, 6, 14, 0.7);
}

void Win(const std::string& path) {
  const int w = 480, h = 260;
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  Rng rng(SeedOf("win"));
  // Confetti around the trophy.
  const Rgb colours[] = {RED, YELLOW, GREEN, BLUE, PINK, TEAL, ORANGE, PURPLE};
  for (int i = 0; i < 46; ++i) {
    const double x = rng.Range(10, w - 10), y = rng.Range(8, 150);
    if (std::abs(x - w / 2.0) < 80) continue;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, rng.Range(0, 3.14));
    cairo_rectangle(cr, -5, -2.5, 10, 5);
    cairo_restore(cr);
    Source(cr, colours[i % 8]);
    cairo_fill_preserve(cr);
    Outline(cr, 1.2);
  }
  Trophy(cr, w / 2.0, 18);
  // Ribbon with the words.
  const double ry = 160;
  cairo_move_to(cr, 20, ry);
  cairo_line_to(cr, w - 20, ry);
  cairo_line_to(cr, w - 40, ry + 38);
  cairo_line_to(cr, w - 20, ry + 76);
  cairo_line_to(cr, 20, ry + 76);
  cairo_line_to(cr, 40, ry + 38);
  cairo_close_path(cr);
  FillVertical(cr, ry, ry + 76, Shade(RED, 0.2), Shade(RED, -0.25));
  Outline(cr, 3);
  Lettering(cr, "CHAMPION!", 70, ry + 10, w - 140, 56, WHITE, YELLOW, 3.5);
  c.SavePng(path);
}

// [SECTION] Start-up pictures outside game_pic ----------------------------------------------------

void LockedLevel(const std::string& path) {
  const int w = 360, h = 270;
  Canvas c(w, h);
  cairo_t* cr = c.cr();
  // The JPEG is loaded masked: every colour here stays well above black, and the outline is
  // lighter than the usual ink so that compression ringing cannot reach zero.
  const Rgb line = Hex(0x40385A);
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, Hex(0x5A6A96), Hex(0x3E4A70));
  cairo_new_path(cr);
  for (double x = -h; x < w; x += 36) {
    cairo_move_to(cr, x, h);
    cairo_line_to(cr, x + 16, h);
    cairo_line_to(cr, x + 16 + h, 0);
    cairo_line_to(cr, x + h, 0);
    cairo_close_path(cr);
  }
  Source(cr, WHITE, 0.05);
  cairo_fill(cr);
  const double cx = w / 2.0;
  // Shackle, then the body of the padlock with its keyhole.
  cairo_arc(cr, cx, 108, 34, M_PI, 2 * M_PI);
  cairo_line_to(cr, cx + 34, 130);
  cairo_move_to(cr, cx - 34, 130);
  cairo_line_to(cr, cx - 34, 108);
  Source(cr, line);
  cairo_set_line_width(cr, 20);
  cairo_stroke_preserve(cr);
  Source(cr, Hex(0xC9D3E2));
  cairo_set_line_width(cr, 12);
  cairo_stroke(cr);
  RoundedRect(cr, cx - 58, 118, 116, 92, 14);
  FillVertical(cr, 118, 210, Shade(BRASS, 0.3), Shade(BRASS, -0.25));
  Source(cr, line);
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
  cairo_arc(cr, cx, 152, 12, 0, 2 * M_PI);
  cairo_move_to(cr, cx - 6, 158);
  cairo_line_to(cr, cx + 6, 158);
  cairo_line_to(cr, cx + 9, 188);
  cairo_line_to(cr, cx - 9, 188);
  cairo_close_path(cr);
  Source(cr, Hex(0x5A4A3A));
  cairo_fill(cr);
  Glint(cr, cx - 36, 134, 10, 6, 0.6);
  Lettering(cr, "LOCKED", 110, 222, 140, 32, WHITE, Hex(0xBFE3FF), 3, line);
  c.SaveJpeg(path, 92);
}

void MouseCell(cairo_t* cr, int frame) {
  // Faces left: the creature runs from the right edge to the left.
  const double bob = frame == 0 ? 0 : -1.5;
  const Rgb fur = Hex(0xA9A7BC);
  // Tail.
  cairo_move_to(cr, 60, 19 + bob);
  cairo_curve_to(cr, 70, 22, 72, 8, 79, 11);
  Source(cr, INK);
  cairo_set_line_width(cr, 3.5);
  cairo_stroke_preserve(cr);
  Source(cr, PINK);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  // Legs: stretched out in cell 0, gathered under the body in cell 1.
  const double legs[2][4] = {{22, 48, 14, 58}, {30, 40, 26, 46}};
  for (int i = 0; i < 4; i += 2) {
    const double x0 = legs[frame][i] + 6, x1 = legs[frame][i + 1];
    cairo_move_to(cr, x0 + 6, 20 + bob);
    cairo_line_to(cr, x1 - (i ? 0 : 4), 27);
    Source(cr, INK);
    cairo_set_line_width(cr, 4.5);
    cairo_stroke_preserve(cr);
    Source(cr, Shade(fur, -0.15));
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
  }
  // Body and saddle: the mouse is somebody's horse.
  cairo_save(cr);
  cairo_translate(cr, 42, 17 + bob);
  cairo_scale(cr, 20, 9.5);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  FillBall(cr, 42, 17 + bob, 20, 9.5, fur);
  Outline(cr, 1.8);
  RoundedRect(cr, 36, 6.5 + bob, 14, 6, 2.5);
  Source(cr, RED);
  cairo_fill_preserve(cr);
  Outline(cr, 1.4);
  // Head with the big ear, eye, nose and whiskers.
  cairo_move_to(cr, 28, 9 + bob);
  cairo_curve_to(cr, 18, 8 + bob, 10, 12 + bob, 5, 16 + bob);
  cairo_curve_to(cr, 12, 20 + bob, 22, 23 + bob, 30, 21 + bob);
  cairo_close_path(cr);
  FillVertical(cr, 8 + bob, 22 + bob, Shade(fur, 0.25), Shade(fur, -0.1));
  Outline(cr, 1.8);
  cairo_arc(cr, 26, 7 + bob, 5.5, 0, 2 * M_PI);
  Source(cr, PINK);
  cairo_fill_preserve(cr);
  Outline(cr, 1.6);
  cairo_arc(cr, 17, 13 + bob, 1.6, 0, 2 * M_PI);
  Source(cr, INK);
  cairo_fill(cr);
  cairo_arc(cr, 5, 16 + bob, 2.2, 0, 2 * M_PI);
  Source(cr, PINK);
  cairo_fill_preserve(cr);
  Outline(cr, 1.2);
  cairo_move_to(cr, 8, 18 + bob);
  cairo_line_to(cr, 1, 21 + bob);
  cairo_move_to(cr, 8, 17 + bob);
  cairo_line_to(cr, 1, 15.5 + bob);
  Source(cr, INK, 0.8);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_game_pics",
                      [](const std::string& assets, const std::string&) {
                        const std::string dir = assets + "/game_pic/";
                        CannonSheet(dir);
                        {
                          Canvas mount(37, 39);
                          CannonMount(mount.cr(), false);
                          mount.SavePng(dir + "bracket.png");
                        }
                        {
                          Canvas portal(300, 225);
                          DrawCells(portal, 30, 75, 10, 30, PortalCell);
                          portal.SavePng(dir + "portal.png");
                        }
                        SparkSheet(dir + "baz1.png", 32, 40, SparkStar);
                        SparkSheet(dir + "baz2.png", 45, 45, SparkRing);
                        SparkSheet(dir + "baz3.png", 55, 50, SparkPow);
                        Aim(dir + "aim.png");
                        Snowflake(dir + "snow1.png", 10, 10, 1);
                        Snowflake(dir + "snow2.png", 9, 10, 2);
                        Snowflake(dir + "snow3.png", 10, 10, 3);
                        Particle(dir + "particle.png");
                        const int widths[10] = {14, 14, 17, 10, 12, 10, 11, 11, 15, 12};
                        for (int d = 0; d < 10; ++d)
                          Digit(dir + "n" + std::to_string(d) + ".png", d, widths[d]);
                        Label(dir + "numlevel.png", "LEVEL", 79, 19);
                        Label(dir + "shots.png", "SHOTS", 80, 19);
                        NextLevelButton(dir + "nextlevelbig.png", 149, 19);
                        NextLevelButton(dir + "nextlevelsmall.png", 100, 15);
                        PowerGauge(dir + "gauge.png", 21);
                        Stars(dir + "star.png", 28);
                        Stars(dir + "star_small.png", 15);
                        HintAim(dir + "hint_aim.png");
                        HintPulse(dir + "hint_pulse.png");
                        HintButton(dir + "hintbutton.png", 96, 19);
                        WinBanner(dir + "banner.png", 380, 170);
                        FocusPointer(dir + "focus.png");
                        VolumeBar(dir + "volume.png", 150, 18, 11);
                        Title(dir + "title.png");
                        Win(dir + "win.png");
                        LockedLevel(assets + "/levels_thumbs/close.jpg");
                        {
                          Canvas mouse(160, 30);
                          DrawCells(mouse, 80, 30, 2, 2, MouseCell);
                          mouse.SavePng(assets + "/levels_pic/mousehorse.png");
                        }
                      });
}
