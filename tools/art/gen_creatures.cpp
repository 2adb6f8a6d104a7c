// Generates the animated sheets of levels_pic/: the sun, the crow, the spider, the two snowman
// animations, the comet and the two drops. Cell sizes and counts are what the game cuts the
// sheets into; how the game steps through the cells shapes each animation:
//   sun      42 cells, two frames each, looping          crow   cells 0-30 loop, five frames each
//   spider   cells 0-180, two frames each, 0 at rest      snowmen 60 cells, one run, 0 at rest
//   comet    cells 0-163 loop                             drops  cells 1-60 / 1-40, one fall each
// All of them are loaded masked, so nothing here is pure black.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/art/art.h"
#include "tools/art/scenery.h"

using namespace art;

namespace {

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double Smooth(double t) {
  t = Clamp01(t);
  return t * t * (3 - 2 * t);
}
/// 0 before a, rising to 1 at b, holding, falling from c to 0 at d.
double Bump(double t, double a, double b, double c, double d) {
  if (t <= a || t >= d) return 0;
  if (t < b) return Smooth((t - a) / (b - a));
  if (t <= c) return 1;
  return 1 - Smooth((t - c) / (d - c));
}

/// A sheet of `cells` cells of cw x ch in `columns` columns.
void Sheet(const std::string& path, int cw, int ch, int columns, int cells,
           const std::function<void(cairo_t*, int)>& cell) {
  Canvas sheet(cw * columns, ch * (cells / columns));
  DrawCells(sheet, cw, ch, columns, cells, cell);
  sheet.SavePng(path);
}

// [SECTION] Sun -----------------------------------------------------------------------------------

// 12 rays, long and short in turn, advance by one long-short pair (60 degrees) over the 42 cells
// and breathe in and out once, so the last cell leads straight back into the first. The game
// draws the cell twice as large.
void SunCell(cairo_t* cr, int k) {
  const double cx = 75, cy = 75, t = k / 42.0;
  const double turn = t * 2 * M_PI / 6, breathe = std::sin(t * 2 * M_PI);
  // The game doubles the cell: a disc of radius 28 shows as 56 on the screen.
  Glow(cr, cx, cy, 74, Hex(0xFFE680), 0.45);
  for (int i = 0; i < 12; ++i) {
    const double a = turn + i * 2 * M_PI / 12;
    const double len = (i % 2 ? 44 : 50) + (i % 2 ? -breathe : breathe) * 4;
    const double half = 0.16;
    cairo_move_to(cr, cx + std::cos(a - half) * 25, cy + std::sin(a - half) * 25);
    cairo_line_to(cr, cx + std::cos(a) * len, cy + std::sin(a) * len);
    cairo_line_to(cr, cx + std::cos(a + half) * 25, cy + std::sin(a + half) * 25);
    cairo_close_path(cr);
    Source(cr, i % 2 ? Hex(0xFFC23A) : Hex(0xFFA62E));
    cairo_fill_preserve(cr);
    Outline(cr, 1.6, Hex(0xD9572B));
  }
  cairo_arc(cr, cx, cy, 28, 0, 2 * M_PI);
  FillBall(cr, cx, cy, 28, 28, Hex(0xFFD93F));
  Outline(cr, 1.5, Hex(0xD9572B));
  // A content face with eyes shut, cheeks aglow.
  for (int side = -1; side <= 1; side += 2) {
    cairo_arc(cr, cx + side * 9.5, cy - 3.5, 4, 1.15 * M_PI, 1.85 * M_PI);
    Source(cr, Hex(0x8A3A1E));
    cairo_set_line_width(cr, 1.7);
    cairo_stroke(cr);
    cairo_arc(cr, cx + side * 15, cy + 5, 4, 0, 2 * M_PI);
    Source(cr, Hex(0xFF7F6A), 0.5);
    cairo_fill(cr);
  }
  cairo_arc(cr, cx, cy + 4, 9, 0.15 * M_PI, 0.85 * M_PI);
  Source(cr, Hex(0x8A3A1E));
  cairo_set_line_width(cr, 1.8);
  cairo_stroke(cr);
  Glint(cr, cx - 12, cy - 13, 7, 4, 0.6);
}

// [SECTION] Crow ----------------------------------------------------------------------------------

const Rgb FEATHER = Hex(0x3C3850);
const Rgb FEATHER_LINE = Hex(0x1E1A2A);

/// One wing from the shoulder (x, y), swept to `angle` degrees (0 straight back, negative up).
void Wing(cairo_t* cr, double x, double y, double angle, double len, Rgb colour) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle * M_PI / 180);
  // Foreshortened when the wing points at the viewer (near level), long when raised or lowered.
  cairo_scale(cr, 1, 1);
  cairo_move_to(cr, 0, -7);
  cairo_curve_to(cr, len * 0.35, -14, len * 0.7, -12, len, -4);
  // Finger feathers at the tip.
  for (int f = 0; f < 4; ++f) {
    const double fx = len - f * 7, fy = -4 + f * 3.5;
    cairo_line_to(cr, fx + 3, fy + 2);
    cairo_line_to(cr, fx - 4, fy + 4.5);
  }
  cairo_curve_to(cr, len * 0.5, 10, len * 0.2, 9, 0, 7);
  cairo_close_path(cr);
  FillVertical(cr, -14, 10, Shade(colour, 0.25), Shade(colour, -0.15));
  Outline(cr, 1.6, FEATHER_LINE);
  cairo_move_to(cr, len * 0.15, 0);
  cairo_line_to(cr, len * 0.7, -3);
  Source(cr, Shade(colour, 0.35), 0.7);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Four flaps in 31 cells: the game shows cells 0 to 30 and wraps, so the wing beat is periodic in
// 31 and cell 31 repeats cell 0.
void CrowCell(cairo_t* cr, int k) {
  const double phase = 2 * M_PI * 4 * (k % 31) / 31.0;
  const double beat = std::cos(phase);        // 1 wings up, -1 wings down
  const double bob = -std::sin(phase) * 2.5;  // the body rises on the down stroke
  const double bx = 80, by = 40 + bob;
  const double up = -100 + (1 - beat) * 0.5 * 130;  // -100 up .. 30 down
  // Far wing, darker, behind the body.
  Wing(cr, bx + 6, by - 6, -180 - up * 0.85 - 20, 54, Shade(FEATHER, -0.15));
  // Tail fan to the right (the crow flies left).
  cairo_move_to(cr, bx + 22, by - 2);
  cairo_line_to(cr, bx + 56, by - 10);
  cairo_line_to(cr, bx + 60, by + 2);
  cairo_line_to(cr, bx + 55, by + 10);
  cairo_line_to(cr, bx + 22, by + 6);
  cairo_close_path(cr);
  FillVertical(cr, by - 10, by + 10, Shade(FEATHER, 0.2), Shade(FEATHER, -0.1));
  Outline(cr, 1.6, FEATHER_LINE);
  // Body and head.
  cairo_save(cr);
  cairo_translate(cr, bx + 4, by + 1);
  cairo_rotate(cr, -0.08);
  cairo_scale(cr, 30, 13);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  FillBall(cr, bx + 4, by + 1, 30, 13, FEATHER);
  Outline(cr, 1.8, FEATHER_LINE);
  const double hx = bx - 26, hy = by - 5;
  cairo_arc(cr, hx, hy, 11, 0, 2 * M_PI);
  FillBall(cr, hx, hy, 11, 11, FEATHER);
  Outline(cr, 1.8, FEATHER_LINE);
  // Beak pointing left.
  cairo_move_to(cr, hx - 7, hy - 5);
  cairo_curve_to(cr, hx - 16, hy - 5, hx - 22, hy - 1, hx - 25, hy + 1);
  cairo_curve_to(cr, hx - 18, hy + 3, hx - 12, hy + 4, hx - 7, hy + 3);
  cairo_close_path(cr);
  FillVertical(cr, hy - 5, hy + 4, Hex(0xF6C24A), Hex(0xD98A2A));
  Outline(cr, 1.4, Hex(0x6A3A18));
  cairo_arc(cr, hx - 3, hy - 3, 3.6, 0, 2 * M_PI);
  Source(cr, WHITE);
  cairo_fill_preserve(cr);
  Outline(cr, 1, FEATHER_LINE);
  cairo_arc(cr, hx - 4, hy - 3, 1.7, 0, 2 * M_PI);
  Source(cr, Hex(0x1E1A2A));
  cairo_fill(cr);
  // Feet tucked under.
  cairo_move_to(cr, bx + 8, by + 12);
  cairo_line_to(cr, bx + 16, by + 17);
  cairo_move_to(cr, bx + 2, by + 12);
  cairo_line_to(cr, bx + 9, by + 18);
  Source(cr, Hex(0xD98A2A));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Near wing over the body.
  Wing(cr, bx + 2, by - 4, up, 56, FEATHER);
}

// [SECTION] Spider --------------------------------------------------------------------------------

// The thread hangs from the top of the cell. Cell 0 is the rest pose near the top; the run lowers
// the spider, lets it dangle, and climbs back so that cell 180 equals cell 0.
constexpr double SPIDER_TOP = 24, SPIDER_LOW = 178;

void SpiderCell(cairo_t* cr, int k) {
  const double t = std::min(k, 180) / 180.0;
  double y;
  double legs = 0;
  if (t < 0.4) {
    // Drop down, easing in at the end with a small springy overshoot.
    const double u = t / 0.4;
    y = SPIDER_TOP + (SPIDER_LOW - SPIDER_TOP) * (Smooth(u) + 0.06 * std::sin(u * M_PI) * u * u);
    legs = u * 2;
  } else if (t < 0.55) {
    const double u = (t - 0.4) / 0.15;
    y = SPIDER_LOW + 3 * std::sin(u * 2 * M_PI);  // dangles, bobbing once
    legs = 2 + u * 3;
  } else {
    // Climbs back hand over hand: the legs cycle and the body rises in small steps.
    const double u = (t - 0.55) / 0.45;
    const double steps = 9;
    const double stepped = (std::floor(u * steps) + Smooth(std::fmod(u * steps, 1.0))) / steps;
    y = SPIDER_LOW + (SPIDER_TOP - SPIDER_LOW) * stepped;
    legs = 5 + u * steps;
  }
  Thread(cr, 20, 0, y - 8);
  Spider(cr, 20, y, 1.0, std::fmod(legs, 1.0));
}

// [SECTION] Snowmen -------------------------------------------------------------------------------

// H: lifts its top hat in greeting and puts it back. Cell 0 and cell 59 are the rest pose.
SnowmanPose HatPose(int k) {
  const double t = k / 59.0;
  SnowmanPose p;
  p.rightArm = 62 * Bump(t, 0.0, 0.25, 0.72, 0.97);
  const double lift = Bump(t, 0.18, 0.38, 0.6, 0.82);
  p.hatLift = 15 * lift;
  p.hatTilt = 18 * lift * std::sin(t * 3 * M_PI);
  p.eyesOpen = (t > 0.4 && t < 0.5) ? 0 : 1;
  p.bounce = 2.5 * lift;
  return p;
}

// E: looks left and right, then waves with its left arm, smiling with a blink.
SnowmanPose WavePose(int k) {
  const double t = k / 59.0;
  SnowmanPose p;
  p.topHat = false;
  p.look = -Bump(t, 0.02, 0.14, 0.22, 0.32) + Bump(t, 0.24, 0.36, 0.44, 0.54);
  const double wave = Bump(t, 0.45, 0.58, 0.86, 0.98);
  p.leftArm = wave * (80 + 22 * std::sin((t - 0.45) * 4 * 2 * M_PI));
  p.eyesOpen = (t > 0.66 && t < 0.74) ? 0 : 1;
  p.bounce = 2.5 * std::abs(std::sin(t * 4 * M_PI)) * wave;
  return p;
}

void SnowmanCell(cairo_t* cr, int cellWidth, const SnowmanPose& pose) {
  cairo_save(cr);
  cairo_translate(cr, (cellWidth - 130) / 2.0, 0);
  Snowman(cr, pose);
  cairo_restore(cr);
}

// [SECTION] Comet ---------------------------------------------------------------------------------

// Head on the left, tail streaming to the right: a comet flying left and down at a degrees below
// the horizon is drawn with angle -a. The flicker is a sum of waves whose periods divide 164, the
// length of the game's loop over cells 0-163.
void CometCell(cairo_t* cr, int k) {
  const double t = (k % 164) / 164.0;
  auto wave = [&](int n, double phase) { return std::sin(2 * M_PI * n * t + phase); };
  const double hx = 34, hy = 45;
  const double flicker = 0.82 + 0.1 * wave(7, 0.3) + 0.08 * wave(13, 1.7);
  // Streamers: each a tapered band, wiggling and flickering on its own.
  struct Band {
    double spread, len, width;
    Rgb colour;
    int n;
    double phase;
  };
  const Band bands[] = {{-0.16, 200, 22, Hex(0xFF8A5C), 5, 0.0},
                        {0.17, 190, 20, Hex(0xFF6FA8), 6, 2.0},
                        {-0.05, 205, 18, Hex(0xFFC04A), 9, 4.0},
                        {0.06, 198, 14, Hex(0xFFE68A), 11, 1.0},
                        {0.0, 150, 9, WHITE, 4, 3.0}};
  for (const Band& b : bands) {
    const double len = b.len * (0.9 + 0.1 * wave(b.n, b.phase));
    const double wig = 5 * wave(b.n + 2, b.phase + 1);
    const double ex = hx + len, ey = hy + std::sin(b.spread) * len + wig;
    cairo_pattern_t* p = cairo_pattern_create_linear(hx, hy, ex, ey);
    cairo_pattern_add_color_stop_rgba(p, 0, b.colour.r, b.colour.g, b.colour.b, 0.9 * flicker);
    cairo_pattern_add_color_stop_rgba(p, 1, b.colour.r, b.colour.g, b.colour.b, 0);
    const double w = b.width * (0.85 + 0.15 * wave(b.n + 1, b.phase + 2));
    cairo_move_to(cr, hx, hy - 4);
    cairo_curve_to(cr, hx + len * 0.3, hy - w * 0.8 + wig * 0.3, hx + len * 0.7, ey - w + wig, ex,
                   ey);
    cairo_curve_to(cr, hx + len * 0.7, ey + w + wig, hx + len * 0.3, hy + w * 0.8 + wig * 0.3, hx,
                   hy + 4);
    cairo_close_path(cr);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
  }
  // Sparks riding down the tail; each covers the tail a whole number of times per loop.
  for (int i = 0; i < 9; ++i) {
    const double u = std::fmod(t * (2 + i % 3) + i * 0.37, 1.0);
    const double x = hx + 10 + u * 190,
                 y = hy + (i % 2 ? 1 : -1) * (3 + u * 22) * ((i * 7) % 5) / 4.0;
    const double s = 3.2 * (1 - u) + 0.8;
    StarPath(cr, x, y, s, s * 0.4, 4, i * 20.0);
    Source(cr, WHITE, 0.9 * (1 - u));
    cairo_fill(cr);
  }
  Glow(cr, hx, hy, 26, Hex(0xFFF0A0), 0.7 * flicker + 0.2);
  cairo_arc(cr, hx, hy, 11, 0, 2 * M_PI);
  FillBall(cr, hx, hy, 11, 11, Hex(0xFFF4C0));
  Outline(cr, 1.8, Hex(0xE07A2A));
  cairo_arc(cr, hx - 2, hy - 2, 4.5, 0, 2 * M_PI);
  Source(cr, WHITE);
  cairo_fill(cr);
}

// [SECTION] Drops ---------------------------------------------------------------------------------

const Rgb WATER = Hex(0x8ED4F8);
const Rgb WATER_LINE = Hex(0x2E6FB0);

/// A drop of radius r at (x, y) stretched by `stretch` (1 round, > 1 a falling teardrop).
void Drop(cairo_t* cr, double x, double y, double r, double stretch) {
  const double top = y - r * stretch * 1.6;
  cairo_move_to(cr, x, top);
  cairo_curve_to(cr, x + r * 0.3, y - r * stretch * 0.8, x + r, y - r * 0.5, x + r, y);
  cairo_arc(cr, x, y, r, 0, M_PI);
  cairo_curve_to(cr, x - r, y - r * 0.5, x - r * 0.3, y - r * stretch * 0.8, x, top);
  cairo_close_path(cr);
  FillVertical(cr, top, y + r, Shade(WATER, 0.4), Shade(WATER, -0.1));
  Outline(cr, 1.3, WATER_LINE);
  cairo_arc(cr, x - r * 0.35, y - r * 0.2, r * 0.28, 0, 2 * M_PI);
  Source(cr, WHITE, 0.9);
  cairo_fill(cr);
}

/// The wet spot on the ceiling the drop forms at.
void Seep(cairo_t* cr) {
  cairo_save(cr);
  cairo_translate(cr, 10, 1);
  cairo_scale(cr, 7, 3);
  cairo_arc(cr, 0, 0, 1, 0, M_PI);
  cairo_restore(cr);
  Source(cr, WATER, 0.8);
  cairo_fill_preserve(cr);
  Outline(cr, 1, WATER_LINE);
}

/// One cell of a drop's life: `form` cells growing at the top, a fall ending at `land`, then a
/// splash until `end`. `k` counts in the same unit.
void DropCell(cairo_t* cr, double k, double form, double land, double end) {
  constexpr double TOP = 4, FLOOR = 578;
  Seep(cr);
  if (k <= form) {
    const double u = k / form;
    const double r = 1.5 + 4.5 * Smooth(u);
    Drop(cr, 10, TOP + r * (1 + u * 0.8), r, 1 + u * 0.6);
    return;
  }
  if (k < land) {
    // Falling with gravity: slow off the ceiling, fast near the floor, with speed lines above.
    const double u = (k - form) / (land - form);
    const double y = TOP + 10 + (FLOOR - 8 - TOP - 10) * u * u;
    const double speed = u;
    cairo_move_to(cr, 10, y - 10 - 60 * speed);
    cairo_line_to(cr, 10, y - 12);
    Source(cr, WHITE, 0.55 * speed);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    Drop(cr, 10, y, 5, 1.3 + speed * 0.6);
    return;
  }
  // Splash: a crown of droplets thrown up and out, and a puddle ring that widens and fades.
  const double u = (k - land) / (end - land);
  const double fade = 1 - Smooth(u);
  cairo_save(cr);
  cairo_translate(cr, 10, FLOOR);
  cairo_scale(cr, 3 + 6 * u, 1.5 + u);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  Source(cr, WATER, 0.9 * fade + 0.1);
  cairo_fill_preserve(cr);
  Source(cr, WATER_LINE, 0.9 * fade + 0.1);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  if (u < 0.85) {
    for (int i = -2; i <= 2; ++i) {
      const double vx = i * 2.2, vy = 9 - std::abs(i) * 1.5;
      const double s = u * 8;
      const double x = 10 + vx * s * 0.45, y = FLOOR - vy * s + 0.5 * 2.2 * s * s;
      cairo_arc(cr, x, std::min(y, FLOOR), 1.6 - u, 0, 2 * M_PI);
      Source(cr, WATER);
      cairo_fill_preserve(cr);
      Source(cr, WATER_LINE, fade);
      cairo_set_line_width(cr, 0.8);
      cairo_stroke(cr);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_creatures",
                      [](const std::string& assets, const std::string&) {
                        const std::string dir = assets + "/levels_pic/";
                        Sheet(dir + "sun.png", 150, 150, 7, 42, SunCell);
                        Sheet(dir + "crow.png", 170, 70, 8, 32, CrowCell);
                        Sheet(dir + "spider.png", 40, 200, 26, 182, SpiderCell);
                        Sheet(dir + "snowmanH.png", 130, 170, 10, 60,
                              [](cairo_t* cr, int k) { SnowmanCell(cr, 130, HatPose(k)); });
                        Sheet(dir + "snowmanE.png", 120, 170, 10, 60,
                              [](cairo_t* cr, int k) { SnowmanCell(cr, 120, WavePose(k)); });
                        Sheet(dir + "kometa.png", 240, 90, 15, 165, CometCell);
                        // Drop 1 advances one cell a frame and lands on cell 45 (its sound); drop 2
                        // half a cell a frame and lands on cell 30.
                        Sheet(dir + "kapla1.png", 20, 590, 31, 62,
                              [](cairo_t* cr, int k) { DropCell(cr, k, 20, 45, 61); });
                        Sheet(dir + "kapla2.png", 20, 590, 21, 42,
                              [](cairo_t* cr, int k) { DropCell(cr, k, 12, 30, 41); });
                      });
}
