// Material painters (see materials.h). Light comes from the top left everywhere: top and left
// edges get the light bevel, bottom and right the dark one.
#include "tools/art/materials.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

double OutlineWidth(double thickness) { return thickness >= 14 ? 2.0 : thickness >= 7 ? 1.5 : 1.0; }

void RectOutline(cairo_t* cr, double w, double h, double lw) {
  cairo_rectangle(cr, lw / 2, lw / 2, w - lw, h - lw);
  Outline(cr, lw);
}

void Bevel(cairo_t* cr, double w, double h, double b, double lightAlpha, double darkAlpha) {
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, w, 0);
  cairo_line_to(cr, w - b, b);
  cairo_line_to(cr, b, b);
  cairo_line_to(cr, b, h - b);
  cairo_line_to(cr, 0, h);
  cairo_close_path(cr);
  Source(cr, WHITE, lightAlpha);
  cairo_fill(cr);
  cairo_move_to(cr, w, h);
  cairo_line_to(cr, 0, h);
  cairo_line_to(cr, b, h - b);
  cairo_line_to(cr, w - b, h - b);
  cairo_line_to(cr, w - b, b);
  cairo_line_to(cr, w, 0);
  cairo_close_path(cr);
  Source(cr, INK, darkAlpha);
  cairo_fill(cr);
}

void Nail(cairo_t* cr, double x, double y, double r) {
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  Source(cr, Hex(0xB9C2D0));
  cairo_fill_preserve(cr);
  Outline(cr, std::max(0.6, r * 0.45));
}

void Grain(cairo_t* cr, double length, double thickness, Rgb base, Rng& rng) {
  const int lines = std::max(1, static_cast<int>(thickness / 4.5));
  cairo_set_line_width(cr, thickness >= 10 ? 1.0 : 0.7);
  for (int i = 0; i < lines; ++i) {
    double y = thickness * (i + 0.5 + rng.Range(-0.2, 0.2)) / lines;
    const double amp = rng.Range(0.3, 1.0), wave = rng.Range(40, 110), phase = rng.Range(0, 6.3);
    double x = rng.Range(2, 20);
    while (x < length - 4) {
      const double seg = rng.Range(25, 90);
      const double end = std::min(length - 3, x + seg);
      cairo_move_to(cr, x, y + amp * std::sin(x / wave * 6.28 + phase));
      for (double u = x; u <= end; u += 4) {
        cairo_line_to(cr, u, y + amp * std::sin(u / wave * 6.28 + phase));
      }
      Source(cr, Shade(base, -0.45), 0.45);
      cairo_stroke(cr);
      x = end + rng.Range(6, 30);
    }
  }
  // A knot or two on long boards.
  const int knots = static_cast<int>(length / 160);
  for (int k = 0; k < knots && thickness >= 8; ++k) {
    const double kx = rng.Range(20, length - 20), ky = thickness * rng.Range(0.35, 0.65);
    cairo_save(cr);
    cairo_translate(cr, kx, ky);
    cairo_scale(cr, 3.5, thickness * 0.18);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    Source(cr, Shade(base, -0.4), 0.6);
    cairo_fill(cr);
  }
}

}  // namespace

void AlongLength(cairo_t* cr, double w, double h,
                 const std::function<void(double, double)>& paint) {
  cairo_save(cr);
  if (h > w) {
    cairo_translate(cr, w, 0);
    cairo_rotate(cr, M_PI / 2);
    paint(h, w);
  } else {
    paint(w, h);
  }
  cairo_restore(cr);
}

void WoodPlank(cairo_t* cr, double w, double h, Rgb base, bool nails, Rng& rng) {
  AlongLength(cr, w, h, [&](double len, double t) {
    cairo_rectangle(cr, 0, 0, len, t);
    FillVertical(cr, 0, t, Shade(base, 0.18), Shade(base, -0.15));
    cairo_new_path(cr);
    Grain(cr, len, t, base, rng);
    // Boards of a long plank meet at joints.
    for (double x = 120 + rng.Range(0, 40); x < len - 60; x += rng.Range(110, 170)) {
      cairo_move_to(cr, x, 0);
      cairo_line_to(cr, x, t);
      Source(cr, Shade(base, -0.5), 0.8);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
    const double lw = OutlineWidth(t);
    if (t >= 6) {
      cairo_rectangle(cr, lw, lw, len - 2 * lw, std::max(1.0, t * 0.18));
      Source(cr, WHITE, 0.35);
      cairo_fill(cr);
    }
    if (nails && t >= 8) {
      const double r = std::clamp(t * 0.14, 1.0, 2.2);
      Nail(cr, t * 0.55 + 2, t / 2, r);
      Nail(cr, len - t * 0.55 - 2, t / 2, r);
      if (len > 200) Nail(cr, len / 2, t / 2, r);
    }
    RectOutline(cr, len, t, lw);
  });
}

void StoneBlock(cairo_t* cr, double w, double h, Rgb base, Rng& rng) {
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, Shade(base, 0.15), Shade(base, -0.12));
  cairo_new_path(cr);
  // Speckles give the stone its grain.
  const int speckles = static_cast<int>(w * h / 45);
  for (int i = 0; i < speckles; ++i) {
    const double x = rng.Range(2, w - 2), y = rng.Range(2, h - 2), r = rng.Range(0.4, 1.2);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    const bool light = rng.Real() < 0.4;
    Source(cr, light ? WHITE : Shade(base, -0.5), light ? 0.35 : 0.3);
    cairo_fill(cr);
  }
  const double lw = OutlineWidth(std::min(w, h));
  // Courses of masonry on tall or wide blocks.
  const double small = std::min(w, h), large = std::max(w, h);
  if (large > small * 1.8 && small >= 30) {
    const int courses = static_cast<int>(std::round(large / small));
    for (int i = 1; i < courses; ++i) {
      const double at = large * i / courses;
      if (h > w) {
        cairo_move_to(cr, 0, at);
        cairo_line_to(cr, w, at);
      } else {
        cairo_move_to(cr, at, 0);
        cairo_line_to(cr, at, h);
      }
    }
    Source(cr, INK, 0.7);
    cairo_set_line_width(cr, lw);
    cairo_stroke(cr);
  }
  const double b = std::clamp(small * 0.12, 1.0, 5.0);
  Bevel(cr, w, h, b, 0.35, 0.25);
  // A crack on blocks big enough to show one.
  if (small >= 30) {
    double x = rng.Range(w * 0.55, w * 0.8), y = b + 1;
    cairo_move_to(cr, x, y);
    for (int i = 0; i < 4; ++i) {
      x += rng.Range(-5, 5);
      y += rng.Range(3, 6);
      cairo_line_to(cr, x, y);
    }
    Source(cr, Shade(base, -0.6), 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  RectOutline(cr, w, h, lw);
}

void Crate(cairo_t* cr, double w, double h, Rgb base, Rng& rng) {
  const double small = std::min(w, h);
  const double lw = OutlineWidth(small);
  const double f = std::clamp(small * 0.2, 3.0, 9.0);
  // Inner boards, a shade darker, running along the long side.
  cairo_rectangle(cr, 0, 0, w, h);
  Source(cr, Shade(base, -0.2));
  cairo_fill(cr);
  const bool tall = h > w;
  const double boards = std::max(2.0, std::round((tall ? w : h) / 12));
  for (int i = 1; i < boards; ++i) {
    if (tall) {
      const double x = w * i / boards;
      cairo_move_to(cr, x, 0);
      cairo_line_to(cr, x, h);
    } else {
      const double y = h * i / boards;
      cairo_move_to(cr, 0, y);
      cairo_line_to(cr, w, y);
    }
  }
  Source(cr, Shade(base, -0.55), 0.6);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // The diagonal brace, then the frame over it.
  cairo_save(cr);
  cairo_rectangle(cr, f, f, w - 2 * f, h - 2 * f);
  cairo_clip(cr);
  cairo_move_to(cr, f, h - f);
  cairo_line_to(cr, w - f, f);
  cairo_set_line_width(cr, f * 1.1);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  Source(cr, INK);
  cairo_stroke_preserve(cr);
  cairo_set_line_width(cr, f * 1.1 - 2 * lw);
  Source(cr, Shade(base, 0.05));
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_rectangle(cr, f, f, w - 2 * f, h - 2 * f);
  FillVertical(cr, 0, h, Shade(base, 0.2), Shade(base, -0.05));
  cairo_new_path(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_rectangle(cr, f, f, w - 2 * f, h - 2 * f);
  Outline(cr, lw);
  if (small >= 20) {
    const double r = std::clamp(f * 0.22, 0.8, 1.6);
    Nail(cr, f / 2, f / 2, r);
    Nail(cr, w - f / 2, f / 2, r);
    Nail(cr, f / 2, h - f / 2, r);
    Nail(cr, w - f / 2, h - f / 2, r);
  }
  (void)rng;
  cairo_rectangle(cr, 0, 0, w, 2);
  Source(cr, WHITE, 0.25);
  cairo_fill(cr);
  RectOutline(cr, w, h, lw);
}

void MetalBar(cairo_t* cr, double w, double h, Rgb base, bool hazardEnds) {
  AlongLength(cr, w, h, [&](double len, double t) {
    cairo_rectangle(cr, 0, 0, len, t);
    FillVertical(cr, 0, t, Shade(base, 0.35), Shade(base, -0.25));
    cairo_new_path(cr);
    const double lw = OutlineWidth(t);
    if (hazardEnds) {
      const double end = std::min(len * 0.18, t * 2.5);
      for (int side = 0; side < 2; ++side) {
        cairo_save(cr);
        const double x0 = side == 0 ? 0 : len - end;
        cairo_rectangle(cr, x0, 0, end, t);
        cairo_clip(cr);
        Source(cr, YELLOW);
        cairo_paint(cr);
        for (double s = x0 - t; s < x0 + end + t; s += t * 0.9) {
          cairo_move_to(cr, s, t);
          cairo_line_to(cr, s + t * 0.45, t);
          cairo_line_to(cr, s + t * 0.9, 0);
          cairo_line_to(cr, s + t * 0.45, 0);
          cairo_close_path(cr);
        }
        Source(cr, INK, 0.85);
        cairo_fill(cr);
        cairo_restore(cr);
        const double xe = side == 0 ? end : len - end;
        cairo_move_to(cr, xe, 0);
        cairo_line_to(cr, xe, t);
        Outline(cr, lw);
      }
      for (double x = end + t; x < len - end - t / 2; x += std::max(18.0, t * 2)) {
        Nail(cr, x, t / 2, std::clamp(t * 0.13, 0.8, 1.6));
      }
    }
    if (t >= 6) {
      cairo_rectangle(cr, lw, lw, len - 2 * lw, std::max(1.0, t * 0.2));
      Source(cr, WHITE, 0.4);
      cairo_fill(cr);
    }
    RectOutline(cr, len, t, lw);
  });
}

void Rod(cairo_t* cr, double w, double h, Rgb base) {
  AlongLength(cr, w, h, [&](double len, double t) {
    cairo_rectangle(cr, 0, 0, len, t);
    Source(cr, INK);
    cairo_fill(cr);
    cairo_rectangle(cr, 1, 1, len - 2, t - 2);
    FillVertical(cr, 1, t - 1, Shade(base, 0.5), base);
    cairo_new_path(cr);
  });
}

void RoundThing(cairo_t* cr, double w, double h, const std::function<void()>& paint, double glint) {
  const double lw = w >= 100 ? 3.0 : w >= 40 ? 2.0 : w >= 16 ? 1.5 : 1.0;
  const double cx = w / 2, cy = h / 2, rx = w / 2 - lw / 2, ry = h / 2 - lw / 2;
  auto ellipse = [&] {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
  };
  cairo_save(cr);
  ellipse();
  cairo_clip(cr);
  paint();
  // Shading over the pattern: dark toward the bottom-right rim.
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_pattern_t* p = cairo_pattern_create_radial(-0.3, -0.35, 0.1, 0, 0, 1.05);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.18);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 0);
  cairo_pattern_add_color_stop_rgba(p, 1, INK.r, INK.g, INK.b, 0.45);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
  cairo_restore(cr);
  if (glint > 0) Glint(cr, cx - rx * 0.38, cy - ry * 0.45, rx * 0.28, ry * 0.17, glint);
  cairo_restore(cr);
  ellipse();
  Outline(cr, lw);
}

void Bullseye(cairo_t* cr, double cx, double cy, double r) {
  const Rgb rings[] = {TARGET_GOLD, TARGET_RED, WHITE, TARGET_RED, WHITE, TARGET_RED};
  const int n = r >= 20 ? 6 : r >= 8 ? 4 : 3;
  for (int i = 0; i < n; ++i) {
    const double rr = r * (n - i) / n;
    cairo_arc(cr, cx, cy, rr, 0, 2 * M_PI);
    Source(cr, i == 0 ? TARGET_GOLD : rings[i]);
    cairo_fill_preserve(cr);
    Source(cr, INK, 0.5);
    cairo_set_line_width(cr, r >= 20 ? 1.2 : 0.7);
    cairo_stroke(cr);
  }
  cairo_arc(cr, cx, cy, std::max(1.2, r / n * 0.9), 0, 2 * M_PI);
  Source(cr, TARGET_GOLD);
  cairo_fill(cr);
}

void CannonMount(cairo_t* cr, bool solid) {
  const double w = 37, h = 39;
  const Rgb wood = WOOD_DARK;
  if (solid) {
    // The body version is a block carriage: the whole rectangle is wood.
    cairo_rectangle(cr, 0, 0, w, h);
    FillVertical(cr, 0, h, Shade(wood, 0.15), Shade(wood, -0.2));
    cairo_new_path(cr);
    for (double y = 9; y < h - 4; y += 9) {
      cairo_move_to(cr, 1, y);
      cairo_line_to(cr, w - 1, y);
    }
    Source(cr, Shade(wood, -0.55), 0.7);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  } else {
    // Two cheeks rising to the pivot, standing on a base plank.
    cairo_move_to(cr, 11, 8);
    cairo_line_to(cr, 31, 8);
    cairo_line_to(cr, 35, 32);
    cairo_line_to(cr, 2, 32);
    cairo_close_path(cr);
    FillVertical(cr, 6, 32, Shade(wood, 0.2), Shade(wood, -0.15));
    Outline(cr, 1.5);
    cairo_move_to(cr, 13, 16);
    cairo_line_to(cr, 31, 16);
    cairo_move_to(cr, 9, 24);
    cairo_line_to(cr, 33, 24);
    Source(cr, Shade(wood, -0.55), 0.7);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  // Iron base band and the wheels' axle caps.
  cairo_rectangle(cr, 0.75, h - 8, w - 1.5, 7.25);
  FillVertical(cr, h - 8, h, Shade(STEEL, 0.3), Shade(STEEL, -0.2));
  Outline(cr, 1.5);
  for (double x : {8.0, 29.0}) {
    cairo_arc(cr, x, h - 4.5, 2, 0, 2 * M_PI);
    Source(cr, Hex(0xB9C2D0));
    cairo_fill_preserve(cr);
    Outline(cr, 1);
  }
  // The brass hub the cannon turns about.
  cairo_arc(cr, 21, 5, 5.5, 0, 2 * M_PI);
  FillBall(cr, 21, 5, 5.5, 5.5, BRASS);
  Outline(cr, 1.5);
  cairo_arc(cr, 21, 5, 1.5, 0, 2 * M_PI);
  Source(cr, INK);
  cairo_fill(cr);
  if (solid) {
    cairo_rectangle(cr, 0.75, 0.75, w - 1.5, h - 1.5);
    Outline(cr, 1.5);
  }
}

}  // namespace art
