// Generates ragdoll_pic/: the eight parts of the doll in four looks (ninja, sporty kid, worker,
// punk). The pictures are tiny and drawn at 76 % in play, so each look is told apart by strong
// flat colours and a 1-pixel outline. Only head_1, body_1 and the two forearms of look 1 are
// loaded unmasked; they alone may hold pure black, every other part keeps clear of it.
#include <cmath>
#include <string>

#include "tools/art/art.h"

using namespace art;

namespace {

constexpr Rgb PURE_BLACK = {0, 0, 0};
constexpr Rgb NEAR_BLACK = Hex(0x22222C);

struct Look {
  Rgb skin, hair, shirt, sleeve, pants, shoe, accent, line;
  int hairStyle;  // 0 ninja hood, 1 blond fringe, 2 curls, 3 spikes with shades
};

Look LookOf(int variant) {
  switch (variant) {
    case 1:
      return {Hex(0xF2C29B), PURE_BLACK, PURE_BLACK, PURE_BLACK, NEAR_BLACK,
              Hex(0x3A3A48), RED,        PURE_BLACK, 0};
    case 2: return {Hex(0xF8D2AE), YELLOW, RED, RED, Hex(0x3A6FD0), WHITE, WHITE, INK, 1};
    case 3:
      return {Hex(0xB97A50), Hex(0x4A2C1A), ORANGE, ORANGE, GREEN, Hex(0x7A4A2A), YELLOW, INK, 2};
    default: return {Hex(0xE8B48A), PINK, PURPLE, PURPLE, TEAL, YELLOW, YELLOW, INK, 3};
  }
}

// Masked pictures must not hold pure black: they would show holes.
Rgb Masked(Rgb c) { return (c.r == 0 && c.g == 0 && c.b == 0) ? NEAR_BLACK : c; }

void FlatRect(cairo_t* cr, double x, double y, double w, double h, Rgb c) {
  cairo_rectangle(cr, x, y, w, h);
  Source(cr, c);
  cairo_fill(cr);
}

void Frame(cairo_t* cr, double w, double h, Rgb line) {
  cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
  Source(cr, line);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// A limb in one colour, lit along its top or left side.
void Limb(cairo_t* cr, double w, double h, Rgb c, Rgb line) {
  FlatRect(cr, 0, 0, w, h, c);
  if (h > w)
    FlatRect(cr, 1, 1, 1, h - 2, Shade(c, 0.3));
  else
    FlatRect(cr, 1, 1, w - 2, 1, Shade(c, 0.3));
  Frame(cr, w, h, line);
}

void Head(cairo_t* cr, const Look& k) {
  const double cx = 8, cy = 8, r = 7.5;
  cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * M_PI);
  if (k.hairStyle == 0) {
    Source(cr, PURE_BLACK);
    cairo_fill(cr);
    // The eye slit of the hood, and a red headband knot.
    cairo_save(cr);
    cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
    cairo_clip(cr);
    FlatRect(cr, 0, 6, 16, 4, k.skin);
    FlatRect(cr, 0, 3, 16, 1, k.accent);
    cairo_restore(cr);
    FlatRect(cr, 5, 7, 2, 2, WHITE);
    FlatRect(cr, 9, 7, 2, 2, WHITE);
    FlatRect(cr, 6, 8, 1, 1, PURE_BLACK);
    FlatRect(cr, 10, 8, 1, 1, PURE_BLACK);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    Outline(cr, 1, PURE_BLACK);
    return;
  }
  FillBall(cr, cx, cy, r, r, k.skin);
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * M_PI);
  cairo_clip(cr);
  Source(cr, k.hair);
  switch (k.hairStyle) {
    case 1:  // fringe swept to one side
      cairo_move_to(cr, 0, 0);
      cairo_line_to(cr, 16, 0);
      cairo_line_to(cr, 16, 6);
      cairo_line_to(cr, 12, 5);
      cairo_line_to(cr, 9, 6.5);
      cairo_line_to(cr, 6, 5);
      cairo_line_to(cr, 3, 6);
      cairo_line_to(cr, 0, 8);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case 2:  // curls
      for (double x = 1; x <= 15; x += 3.2) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x, 3.5 + std::fmod(x, 2.0), 2.6, 0, 2 * M_PI);
      }
      cairo_rectangle(cr, 0, 0, 16, 4);
      cairo_fill(cr);
      break;
    default:  // a spiky crest
      cairo_move_to(cr, 0, 0);
      cairo_line_to(cr, 16, 0);
      cairo_line_to(cr, 16, 5);
      for (double x = 16; x > 0; x -= 3.2) {
        cairo_line_to(cr, x - 1.6, 7.5);
        cairo_line_to(cr, x - 3.2, 4.5);
      }
      cairo_close_path(cr);
      cairo_fill(cr);
      FlatRect(cr, 6, 1, 4, 2, Shade(k.hair, 0.4));
      break;
  }
  cairo_restore(cr);
  if (k.hairStyle == 3) {
    // Shades: one dark bar with two lenses.
    FlatRect(cr, 3, 7, 10, 1, k.line);
    FlatRect(cr, 4, 7, 3, 3, k.line);
    FlatRect(cr, 9, 7, 3, 3, k.line);
    FlatRect(cr, 5, 8, 1, 1, Hex(0x7FD4FF));
    FlatRect(cr, 10, 8, 1, 1, Hex(0x7FD4FF));
  } else {
    FlatRect(cr, 5, 8, 2, 2, k.line);
    FlatRect(cr, 9, 8, 2, 2, k.line);
    FlatRect(cr, 5, 8, 1, 1, WHITE);
    FlatRect(cr, 9, 8, 1, 1, WHITE);
  }
  // Smile and cheeks.
  cairo_arc(cr, 8, 10.5, 2.3, 0.35, M_PI - 0.35);
  Source(cr, k.line);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  FlatRect(cr, 3, 11, 1, 1, Mix(k.skin, PINK, 0.6));
  FlatRect(cr, 12, 11, 1, 1, Mix(k.skin, PINK, 0.6));
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  Outline(cr, 1, k.line);
}

void Torso(cairo_t* cr, const Look& k) {
  const double w = 7, h = 22;
  FlatRect(cr, 0, 0, w, 15, k.shirt);
  FlatRect(cr, 0, 15, w, 7, k.pants);
  switch (k.hairStyle) {
    case 0:  // black suit, red sash
      FlatRect(cr, 0, 13, w, 2, k.accent);
      FlatRect(cr, 4, 15, 1, 2, k.accent);
      break;
    case 1:  // t-shirt with a white star stripe and collar
      FlatRect(cr, 2, 0, 3, 2, k.skin);
      FlatRect(cr, 0, 7, w, 2, WHITE);
      FlatRect(cr, 0, 14, w, 1, Hex(0x6B3A1E));
      FlatRect(cr, 1, 1, 1, 13, Shade(k.shirt, 0.3));
      break;
    case 2:  // overalls over the shirt
      FlatRect(cr, 1, 5, 5, 10, k.pants);
      FlatRect(cr, 1, 0, 1, 5, k.pants);
      FlatRect(cr, 5, 0, 1, 5, k.pants);
      FlatRect(cr, 2, 6, 1, 1, k.accent);
      FlatRect(cr, 4, 6, 1, 1, k.accent);
      break;
    default:  // hoodie with a zip
      FlatRect(cr, 3, 2, 1, 13, k.accent);
      FlatRect(cr, 1, 10, 5, 3, Shade(k.shirt, -0.25));
      FlatRect(cr, 1, 0, 5, 2, Shade(k.shirt, 0.3));
      break;
  }
  Frame(cr, w, h, k.line);
}

void Forearm(cairo_t* cr, const Look& k, bool handLeft) {
  const double w = 17, h = 4;
  FlatRect(cr, 0, 0, w, h, k.sleeve);
  if (!(k.sleeve.r == 0 && k.sleeve.g == 0 && k.sleeve.b == 0)) {
    FlatRect(cr, 1, 1, w - 2, 1, Shade(k.sleeve, 0.3));
  }
  // Hand at the outer end, cuff next to it.
  const Rgb hand = k.hairStyle == 0 ? k.line : k.skin;  // the ninja wears gloves
  FlatRect(cr, handLeft ? 0 : w - 4, 0, 4, h, hand);
  FlatRect(cr, handLeft ? 4 : w - 5, 0, 1, h, k.accent);
  Frame(cr, w, h, k.line);
}

void Shin(cairo_t* cr, const Look& k) {
  const double w = 6, h = 17;
  const Rgb pants = Masked(k.pants);
  FlatRect(cr, 0, 0, w, 12, pants);
  FlatRect(cr, 1, 1, 1, 10, Shade(pants, 0.3));
  FlatRect(cr, 0, 12, w, 5, Masked(k.shoe));
  FlatRect(cr, 0, 12, w, 1, Masked(k.accent));
  FlatRect(cr, 1, 13, 2, 1, Shade(Masked(k.shoe), 0.4));
  Frame(cr, w, h, Masked(k.line));
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_ragdolls",
                      [](const std::string& assets, const std::string&) {
                        const std::string dir = assets + "/ragdoll_pic/";
                        for (int v = 1; v <= 4; ++v) {
                          const Look look = LookOf(v);
                          const std::string n = "_" + std::to_string(v) + ".png";
                          // Look 1's head, torso and forearms are loaded unmasked; its other parts
                          // are masked.
                          Look masked = look;
                          masked.shirt = Masked(look.shirt);
                          masked.sleeve = Masked(look.sleeve);
                          masked.line = Masked(look.line);
                          masked.pants = Masked(look.pants);
                          {
                            Canvas c(16, 16);
                            Head(c.cr(), look);
                            c.SavePng(dir + "head" + n);
                          }
                          {
                            Canvas c(7, 22);
                            Torso(c.cr(), look);
                            c.SavePng(dir + "body" + n);
                          }
                          {
                            Canvas c(17, 4);
                            Forearm(c.cr(), look, true);
                            c.SavePng(dir + "lowerHandLeft" + n);
                          }
                          {
                            Canvas c(17, 4);
                            Forearm(c.cr(), look, false);
                            c.SavePng(dir + "lowerHandRight" + n);
                          }
                          {
                            // Not used by the dolls; kept as a plain forearm with the hand on the
                            // right.
                            Canvas c(17, 4);
                            Forearm(c.cr(), masked, false);
                            c.SavePng(dir + "lowerHand" + n);
                          }
                          {
                            Canvas c(17, 4);
                            Limb(c.cr(), 17, 4, masked.sleeve, masked.line);
                            c.SavePng(dir + "upperHand" + n);
                          }
                          {
                            Canvas c(4, 17);
                            Limb(c.cr(), 4, 17, masked.pants, masked.line);
                            c.SavePng(dir + "upperLeg" + n);
                          }
                          {
                            Canvas c(6, 17);
                            Shin(c.cr(), look);
                            c.SavePng(dir + "lowerLeg" + n);
                          }
                        }
                      });
}
