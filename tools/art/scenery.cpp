// Scenery painters (see scenery.h). Shapes are outlined by stroking the whole outline at twice
// the pen width and filling over it, so overlapping lumps get one clean outer edge.
#include "tools/art/scenery.h"

#include <algorithm>
#include <cmath>

namespace art {

Pen Distant(double haze, Rgb air) { return Pen{0, haze, air}; }

namespace {

void CirclesPath(cairo_t* cr, const std::vector<Circle>& lumps) {
  cairo_new_path(cr);
  for (const Circle& c : lumps) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, c.x, c.y, c.r, 0, 2 * M_PI);
  }
}

/// Fills the union of the circles with a vertical gradient. The circles are laid down one by one
/// as a mask: filling them as one path leaves faint seams where their edges cross.
void FillCircles(cairo_t* cr, const std::vector<Circle>& lumps, double y0, double y1, Rgb top,
                 Rgb bottom) {
  cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  for (const Circle& c : lumps) {
    cairo_new_path(cr);
    cairo_arc(cr, c.x, c.y, c.r, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  cairo_pattern_t* mask = cairo_pop_group(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(cr, p);
  cairo_mask(cr, mask);
  cairo_pattern_destroy(p);
  cairo_pattern_destroy(mask);
}

void LimbPath(cairo_t* cr, double x0, double y0, double x1, double y1, double w0, double w1) {
  const double dx = x1 - x0, dy = y1 - y0, len = std::max(1e-6, std::hypot(dx, dy));
  const double nx = -dy / len, ny = dx / len;
  const double a = std::atan2(dy, dx);
  cairo_new_sub_path(cr);
  cairo_move_to(cr, x0 + nx * w0 / 2, y0 + ny * w0 / 2);
  cairo_line_to(cr, x1 + nx * w1 / 2, y1 + ny * w1 / 2);
  cairo_arc_negative(cr, x1, y1, w1 / 2, a + M_PI / 2, a - M_PI / 2);
  cairo_line_to(cr, x0 - nx * w0 / 2, y0 - ny * w0 / 2);
  cairo_arc_negative(cr, x0, y0, w0 / 2, a - M_PI / 2, a - 3 * M_PI / 2);
  cairo_close_path(cr);
}

}  // namespace

std::vector<Circle> CrownLumps(double cx, double cy, double rx, double ry, int count, Rng& rng) {
  std::vector<Circle> lumps;
  const double r = std::min(rx, ry) * 0.42;
  // A ring of lumps along the edge gives the scalloped outline; a few inside fill the middle.
  for (int i = 0; i < count; ++i) {
    const double a = i * 2 * M_PI / count + rng.Range(-0.15, 0.15);
    const double rr = r * rng.Range(0.8, 1.15);
    lumps.push_back({cx + std::cos(a) * (rx - rr), cy + std::sin(a) * (ry - rr), rr});
  }
  lumps.push_back({cx, cy, std::min(rx, ry) * 0.7});
  lumps.push_back({cx - rx * 0.3, cy - ry * 0.1, r * 1.2});
  lumps.push_back({cx + rx * 0.3, cy + ry * 0.05, r * 1.2});
  return lumps;
}

void Crown(cairo_t* cr, const std::vector<Circle>& lumps, Rgb leaf, const Pen& pen, Rng& rng) {
  if (lumps.empty()) return;
  double top = lumps[0].y, bottom = lumps[0].y, left = lumps[0].x, right = lumps[0].x;
  for (const Circle& c : lumps) {
    top = std::min(top, c.y - c.r);
    bottom = std::max(bottom, c.y + c.r);
    left = std::min(left, c.x - c.r);
    right = std::max(right, c.x + c.r);
  }
  const Rgb base = pen.Paint(leaf);
  if (pen.width > 0) {
    CirclesPath(cr, lumps);
    Source(cr, pen.Line(leaf));
    cairo_set_line_width(cr, pen.width * 2);
    cairo_stroke(cr);
  }
  FillCircles(cr, lumps, top, bottom, Shade(base, 0.22), Shade(base, -0.28));
  cairo_save(cr);
  CirclesPath(cr, lumps);
  cairo_clip(cr);
  // Light falls from the top left on every lump; the underside of the crown is in shade.
  const Rgb light = Shade(base, 0.35);
  for (const Circle& c : lumps)
    Glow(cr, c.x - c.r * 0.25, c.y - c.r * 0.3, c.r * 0.75, light, 0.55);
  // Leaf clusters: small scallops in a darker and a lighter tone.
  const int marks = static_cast<int>((right - left) * (bottom - top) / 260);
  cairo_set_line_width(cr, std::max(1.0, (right - left) / 140));
  for (int i = 0; i < marks; ++i) {
    const double x = rng.Range(left, right), y = rng.Range(top, bottom), s = rng.Range(3, 6);
    const bool dark = y > (top + bottom) / 2 ? rng.Real() < 0.75 : rng.Real() < 0.35;
    cairo_arc(cr, x, y, s, 0.2 * M_PI, 0.85 * M_PI);
    Source(cr, dark ? Shade(base, -0.35) : Shade(base, 0.35), 0.7);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  cairo_new_path(cr);
}

void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double w0, double w1, Rgb bark,
          const Pen& pen) {
  const Rgb base = pen.Paint(bark);
  if (pen.width > 0) {
    cairo_new_path(cr);
    LimbPath(cr, x0, y0, x1, y1, w0, w1);
    Source(cr, pen.Line(bark));
    cairo_set_line_width(cr, pen.width * 2);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  LimbPath(cr, x0, y0, x1, y1, w0, w1);
  // Shade across the limb: light on its left side.
  const double dx = x1 - x0, dy = y1 - y0, len = std::max(1e-6, std::hypot(dx, dy));
  const double nx = -dy / len, ny = dx / len, hw = std::max(w0, w1) / 2;
  cairo_pattern_t* p =
      cairo_pattern_create_linear(x0 + nx * hw, y0 + ny * hw, x0 - nx * hw, y0 - ny * hw);
  const Rgb light = Shade(base, 0.25), dark = Shade(base, -0.25);
  // The normal points to the right of the direction of growth (up the screen: to the left).
  cairo_pattern_add_color_stop_rgb(p, 0, light.r, light.g, light.b);
  cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void LeafyTree(cairo_t* cr, double x, double baseY, double height, double rx, double ry, Rgb bark,
               Rgb leaf, const Pen& pen, Rng& rng) {
  const double crownY = baseY - height + ry;
  const double trunkW = std::max(6.0, rx * 0.2);
  const double lean = rng.Range(-0.06, 0.06) * height;
  const double forkY = crownY + ry * 0.35;
  Limb(cr, x, baseY, x + lean, forkY, trunkW, trunkW * 0.7, bark, pen);
  // Roots flare at the foot.
  Limb(cr, x, baseY - trunkW * 0.4, x - trunkW * 0.9, baseY, trunkW * 0.5, trunkW * 0.2, bark, pen);
  Limb(cr, x, baseY - trunkW * 0.4, x + trunkW * 0.9, baseY, trunkW * 0.5, trunkW * 0.2, bark, pen);
  for (int side = -1; side <= 1; side += 2) {
    Limb(cr, x + lean, forkY + ry * 0.1, x + lean + side * rx * 0.55, crownY - ry * 0.1,
         trunkW * 0.55, trunkW * 0.25, bark, pen);
  }
  Limb(cr, x + lean, forkY + ry * 0.1, x + lean * 1.3, crownY - ry * 0.5, trunkW * 0.6,
       trunkW * 0.3, bark, pen);
  const int count = std::clamp(static_cast<int>((rx + ry) / 9), 8, 16);
  Crown(cr, CrownLumps(x + lean, crownY, rx, ry, count, rng), leaf, pen, rng);
}

void FirTree(cairo_t* cr, double cx, double baseY, double w, double h, Rgb needles, bool snow,
             const Pen& pen, Rng& rng) {
  const Rgb base = pen.Paint(needles);
  const double trunkH = h * 0.1, trunkW = std::max(4.0, w * 0.12);
  Limb(cr, cx, baseY, cx, baseY - trunkH * 2, trunkW, trunkW * 0.8, Hex(0x7A4E32), pen);
  const int tiers = h > 120 ? 4 : 3;
  const double top = baseY - h, crownH = h - trunkH;
  for (int i = tiers - 1; i >= 0; --i) {
    // Tier i (0 at the top) reaches from its apex down to its scalloped bottom edge.
    const double by = top + crownH * (i + 1) / tiers;
    const double ay = top + (i == 0 ? 0 : crownH * (i - 0.35) / tiers);
    const double tw = w * (0.42 + 0.58 * (i + 1) / tiers);
    const double sag = crownH / tiers * 0.12;
    auto tier = [&] {
      cairo_new_path(cr);
      cairo_move_to(cr, cx, ay);
      cairo_curve_to(cr, cx - tw * 0.15, ay + (by - ay) * 0.45, cx - tw * 0.35, by - sag,
                     cx - tw / 2, by);
      const int scallops = std::max(3, static_cast<int>(tw / 16));
      for (int k = 0; k < scallops; ++k) {
        const double xa = cx - tw / 2 + tw * k / scallops,
                     xb = cx - tw / 2 + tw * (k + 1) / scallops;
        cairo_curve_to(cr, xa + (xb - xa) * 0.3, by + sag * 1.5, xa + (xb - xa) * 0.7,
                       by + sag * 1.5, xb, by);
      }
      cairo_curve_to(cr, cx + tw * 0.35, by - sag, cx + tw * 0.15, ay + (by - ay) * 0.45, cx, ay);
      cairo_close_path(cr);
    };
    if (pen.width > 0) {
      tier();
      Source(cr, pen.Line(needles));
      cairo_set_line_width(cr, pen.width * 2);
      cairo_stroke(cr);
    }
    tier();
    // The left side catches the light.
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - tw / 2, 0, cx + tw / 2, 0);
    const Rgb light = Shade(base, 0.2), dark = Shade(base, -0.3);
    cairo_pattern_add_color_stop_rgb(p, 0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(p, 0.45, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_clip(cr);
    // Needle strokes from the middle outward and down.
    cairo_set_line_width(cr, std::max(0.8, w / 110));
    for (int k = 0; k < static_cast<int>(tw / 5); ++k) {
      const double u = rng.Range(-0.45, 0.45), y0 = rng.Range(ay + (by - ay) * 0.3, by);
      cairo_move_to(cr, cx + u * tw * 0.6, y0);
      cairo_line_to(cr, cx + u * tw * 0.6 + u * 10, y0 + 6);
      Source(cr, Shade(base, u < 0 ? 0.3 : -0.35), 0.6);
      cairo_stroke(cr);
    }
    if (snow) {
      // Snow lies along the upper slopes and hangs over the scallops in soft lumps.
      cairo_new_path(cr);
      cairo_move_to(cr, cx - tw / 2 - 2, by + 2);
      for (int k = 0; k <= 8; ++k) {
        const double u = k / 8.0;
        const double x = cx - tw / 2 + tw * u;
        const double edge = ay + (by - ay) * (0.25 + 0.45 * std::abs(u - 0.5) * 2);
        cairo_line_to(cr, x,
                      edge + ((k % 2) ? 4 : -1) + (by - ay) * 0.18 * (1 - std::abs(u - 0.5) * 2));
      }
      cairo_line_to(cr, cx + tw / 2 + 2, ay - 4);
      cairo_line_to(cr, cx - tw / 2 - 2, ay - 4);
      cairo_close_path(cr);
      FillVertical(cr, ay, by, pen.Paint(SNOW), pen.Paint(Hex(0xC9DDF0)));
      cairo_new_path(cr);
    }
    cairo_restore(cr);
  }
}

void PalmTree(cairo_t* cr, double x, double baseY, double topX, double topY, double frond, Rgb bark,
              Rgb leaf, const Pen& pen, Rng& rng) {
  // The trunk bends along a quadratic curve, drawn as rings that get thinner toward the top.
  const double cx = (x + topX) / 2 + (topX - x) * 0.6, cy = (baseY + topY) / 2;
  const int rings = std::max(6, static_cast<int>((baseY - topY) / 16));
  auto at = [&](double t, double& px, double& py) {
    px = (1 - t) * (1 - t) * x + 2 * (1 - t) * t * cx + t * t * topX;
    py = (1 - t) * (1 - t) * baseY + 2 * (1 - t) * t * cy + t * t * topY;
  };
  const double w0 = frond * 0.22, w1 = frond * 0.12;
  for (int i = 0; i < rings; ++i) {
    double ax, ay, bx, by;
    at(i / double(rings), ax, ay);
    at((i + 1.0) / rings, bx, by);
    const double wa = w0 + (w1 - w0) * i / rings, wb = w0 + (w1 - w0) * (i + 1) / rings;
    Limb(cr, ax, ay, bx, by, wa * 1.08, wb, i % 2 ? Shade(bark, 0.12) : bark, pen);
  }
  // Fronds: curved, tapering leaves with a midrib, hanging from the crown.
  const int fronds = 7;
  for (int i = 0; i < fronds; ++i) {
    const double a = M_PI + i * M_PI / (fronds - 1) + rng.Range(-0.12, 0.12);  // left to right
    const double len = frond * rng.Range(0.85, 1.1);
    const double ex = topX + std::cos(a) * len, ey = topY + std::sin(a) * len * 0.55 + len * 0.45;
    const double mx = topX + std::cos(a) * len * 0.5,
                 my = topY + std::sin(a) * len * 0.5 - len * 0.12;
    const double wid = len * 0.17;
    auto frondPath = [&] {
      cairo_new_path(cr);
      cairo_move_to(cr, topX, topY);
      cairo_curve_to(cr, mx - std::sin(a) * wid, my - wid, ex, ey - wid * 0.3, ex, ey);
      cairo_curve_to(cr, ex, ey + wid * 0.2, mx + std::sin(a) * wid * 0.4, my + wid * 0.8, topX,
                     topY);
      cairo_close_path(cr);
    };
    if (pen.width > 0) {
      frondPath();
      Source(cr, pen.Line(leaf));
      cairo_set_line_width(cr, pen.width * 2);
      cairo_stroke(cr);
    }
    frondPath();
    FillVertical(cr, topY - wid, ey, pen.Paint(Shade(leaf, i % 2 ? 0.2 : 0.05)),
                 pen.Paint(Shade(leaf, -0.25)));
    cairo_new_path(cr);
    cairo_move_to(cr, topX, topY);
    cairo_curve_to(cr, mx, my - wid * 0.3, ex, ey - wid * 0.1, ex, ey);
    Source(cr, pen.Paint(Shade(leaf, -0.4)), 0.8);
    cairo_set_line_width(cr, std::max(1.0, pen.width * 0.6));
    cairo_stroke(cr);
  }
  // Coconuts under the crown.
  for (int i = 0; i < 3; ++i) {
    const double nx = topX - frond * 0.09 + i * frond * 0.09,
                 ny = topY + frond * 0.08 + (i == 1) * 3;
    cairo_arc(cr, nx, ny, frond * 0.065, 0, 2 * M_PI);
    FillBall(cr, nx, ny, frond * 0.065, frond * 0.065, pen.Paint(Hex(0x7A4A2A)));
    if (pen.width > 0) {
      Source(cr, pen.Line(Hex(0x7A4A2A)));
      cairo_set_line_width(cr, pen.width * 0.8);
      cairo_stroke(cr);
    }
    cairo_new_path(cr);
  }
}

void Grass(cairo_t* cr, double x0, double x1, double baseY, double height, int blades, Rgb green,
           const Pen& pen, Rng& rng) {
  for (int i = 0; i < blades; ++i) {
    const double x = x0 + (x1 - x0) * (i + rng.Range(0.1, 0.9)) / blades;
    const double h = height * rng.Range(0.45, 1.0), bend = rng.Range(-0.45, 0.45) * h;
    const double w = std::max(2.0, height * rng.Range(0.08, 0.14));
    auto blade = [&] {
      cairo_new_path(cr);
      cairo_move_to(cr, x - w / 2, baseY);
      cairo_curve_to(cr, x - w / 2, baseY - h * 0.5, x + bend * 0.5, baseY - h * 0.8, x + bend,
                     baseY - h);
      cairo_curve_to(cr, x + bend * 0.5 + w * 0.3, baseY - h * 0.75, x + w / 2, baseY - h * 0.45,
                     x + w / 2, baseY);
      cairo_close_path(cr);
    };
    const Rgb c = Shade(green, rng.Range(-0.2, 0.25));
    if (pen.width > 0) {
      blade();
      Source(cr, pen.Line(green));
      cairo_set_line_width(cr, pen.width * 1.2);
      cairo_stroke(cr);
    }
    blade();
    FillVertical(cr, baseY - h, baseY, pen.Paint(Shade(c, 0.2)), pen.Paint(Shade(c, -0.25)));
    cairo_new_path(cr);
  }
}

void Blossom(cairo_t* cr, double x, double y, double r, int petals, Rgb petal, Rgb middle,
             const Pen& pen, double turnDeg) {
  for (int pass = pen.width > 0 ? 0 : 1; pass < 2; ++pass) {
    for (int i = 0; i < petals; ++i) {
      const double a = turnDeg * M_PI / 180 + i * 2 * M_PI / petals;
      cairo_save(cr);
      cairo_translate(cr, x + std::cos(a) * r * 0.55, y + std::sin(a) * r * 0.55);
      cairo_rotate(cr, a);
      cairo_scale(cr, r * 0.55, r * 0.34);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      if (pass == 0) {
        Source(cr, pen.Line(petal));
        cairo_set_line_width(cr, pen.width * 1.6);
        cairo_stroke(cr);
      } else {
        FillBall(cr, x, y, r, r, pen.Paint(petal));
        cairo_new_path(cr);
      }
    }
  }
  cairo_arc(cr, x, y, r * 0.32, 0, 2 * M_PI);
  FillBall(cr, x, y, r * 0.32, r * 0.32, pen.Paint(middle));
  if (pen.width > 0) {
    Source(cr, pen.Line(middle));
    cairo_set_line_width(cr, pen.width * 0.7);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
}

void Cloud(cairo_t* cr, double cx, double cy, double w, double h, Rgb body, Rgb shadow,
           const Pen& pen, double alpha, Rng& rng) {
  // Puffs along the top, a flat-ish base: the classic fair-weather cloud.
  std::vector<Circle> puffs;
  const int n = std::max(3, static_cast<int>(w / (h * 0.55)));
  for (int i = 0; i < n; ++i) {
    const double u = (i + 0.5) / n;  // 0..1 across
    const double rise = std::sin(u * M_PI);
    const double r = h * (0.28 + 0.22 * rise) * rng.Range(0.9, 1.1);
    puffs.push_back({cx - w / 2 + w * u, cy + h / 2 - r - rise * h * 0.22, r});
  }
  puffs.push_back({cx, cy + h * 0.12, h * 0.38});
  cairo_push_group(cr);
  if (pen.width > 0) {
    CirclesPath(cr, puffs);
    Source(cr, pen.Paint(Mix(shadow, Hex(0x6F86B0), 0.6)));
    cairo_set_line_width(cr, pen.width * 2);
    cairo_stroke(cr);
  }
  FillCircles(cr, puffs, cy - h / 2, cy + h / 2, pen.Paint(body), pen.Paint(shadow));
  cairo_save(cr);
  CirclesPath(cr, puffs);
  cairo_clip(cr);
  for (const Circle& c : puffs) Glow(cr, c.x - c.r * 0.2, c.y - c.r * 0.3, c.r * 0.7, WHITE, 0.6);
  cairo_restore(cr);
  cairo_new_path(cr);
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, alpha);
}

void Ridge(cairo_t* cr, double width, double baseY, double amp, double bottom, Rgb top, Rgb low,
           Rng& rng, double roughness) {
  const double p1 = rng.Range(0, 6.3), p2 = rng.Range(0, 6.3), p3 = rng.Range(0, 6.3);
  const double f1 = rng.Range(0.8, 1.4), f2 = rng.Range(2.2, 3.2), f3 = rng.Range(5, 8);
  cairo_new_path(cr);
  cairo_move_to(cr, -2, bottom);
  double minY = baseY;
  for (double x = -2; x <= width + 4; x += 4) {
    const double u = x / width * 2 * M_PI;
    double y = baseY + amp * (0.6 * std::sin(u * f1 + p1) + 0.3 * std::sin(u * f2 + p2) +
                              0.1 * std::sin(u * f3 + p3));
    if (roughness > 0) y += roughness * (rng.Real() - 0.5);
    minY = std::min(minY, y);
    cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, width + 4, bottom);
  cairo_close_path(cr);
  FillVertical(cr, minY, bottom, top, low);
  cairo_new_path(cr);
}

void Sky(cairo_t* cr, double w, double h, const std::vector<std::pair<double, Rgb>>& stops) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, h);
  for (const auto& [at, c] : stops) cairo_pattern_add_color_stop_rgb(p, at, c.r, c.g, c.b);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Glow(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

}  // namespace art

namespace art {

// [SECTION] Figures -------------------------------------------------------------------------------

namespace {

const Rgb SNOW_LINE = Hex(0x6F8CB8);
const Rgb COAL = Hex(0x2E2A38);

void SnowBall(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  FillBall(cr, cx, cy, rx, ry, Hex(0xE6F0FA));
  Source(cr, SNOW_LINE);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

void StickArm(cairo_t* cr, double x, double y, double angleDeg, double len) {
  const double a = angleDeg * M_PI / 180;
  const double ex = x + std::cos(a) * len, ey = y + std::sin(a) * len;
  const Pen pen{1.2};
  Limb(cr, x, y, ex, ey, 4, 3, Hex(0x8A5A36), pen);
  // Three twig fingers.
  for (int i = -1; i <= 1; ++i) {
    const double fa = a + i * 0.5;
    Limb(cr, ex, ey, ex + std::cos(fa) * 9, ey + std::sin(fa) * 9, 2.6, 1.6, Hex(0x8A5A36), pen);
  }
}

}  // namespace

void Snowman(cairo_t* cr, const SnowmanPose& p) {
  const double cx = 65, b = p.bounce;
  // Shadow on the snow.
  cairo_save(cr);
  cairo_translate(cr, cx, 161);
  cairo_scale(cr, 40, 5);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  Source(cr, Hex(0x5A7AA8), 0.3);
  cairo_fill(cr);
  SnowBall(cr, cx, 131, 33, 30);
  SnowBall(cr, cx, 88 - b, 24, 22);
  // Arms in front of the middle ball, so a raised arm stays in sight.
  StickArm(cr, cx - 18, 86 - b, 200 + p.leftArm, 34);
  StickArm(cr, cx + 18, 86 - b, -20 - p.rightArm, 34);
  for (int i = 0; i < 3; ++i) {
    cairo_arc(cr, cx, 76 - b + i * 11, 2.6, 0, 2 * M_PI);
    Source(cr, COAL);
    cairo_fill(cr);
  }
  const double hy = 55 - b * 1.3;  // the head bobs a little more than the body
  // Scarf under the head, its end hanging down.
  RoundedRect(cr, cx - 19, hy + 12, 38, 8, 4);
  FillVertical(cr, hy + 12, hy + 20, Shade(RED, 0.2), Shade(RED, -0.2));
  Outline(cr, 1.5, Shade(RED, -0.6));
  RoundedRect(cr, cx + 6, hy + 16, 8, 20, 3);
  FillVertical(cr, hy + 16, hy + 36, Shade(RED, 0.1), Shade(RED, -0.25));
  Outline(cr, 1.5, Shade(RED, -0.6));
  SnowBall(cr, cx, hy, 17, 16);
  // Eyes follow `look`; shut eyes are little arcs.
  for (int side = -1; side <= 1; side += 2) {
    const double ex = cx + side * 6.5 + p.look * 3, ey = hy - 4;
    if (p.eyesOpen > 0.5) {
      cairo_save(cr);
      cairo_translate(cr, ex, ey);
      cairo_scale(cr, 2.6, 2.6 * p.eyesOpen);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      Source(cr, COAL);
      cairo_fill(cr);
      cairo_arc(cr, ex - 0.8, ey - 0.9, 0.8, 0, 2 * M_PI);
      Source(cr, WHITE);
      cairo_fill(cr);
    } else {
      cairo_arc(cr, ex, ey - 1.5, 2.6, 0.15 * M_PI, 0.85 * M_PI);
      Source(cr, COAL);
      cairo_set_line_width(cr, 1.6);
      cairo_stroke(cr);
    }
  }
  // Carrot nose, pointing the way the snowman looks.
  const double nx = cx + p.look * 3, ny = hy + 1;
  cairo_move_to(cr, nx - 1, ny - 3);
  cairo_line_to(cr, nx + 17 + p.look * 3, ny + 2);
  cairo_line_to(cr, nx - 1, ny + 3);
  cairo_close_path(cr);
  FillVertical(cr, ny - 3, ny + 3, Shade(ORANGE, 0.2), Shade(ORANGE, -0.2));
  Outline(cr, 1.2, Shade(ORANGE, -0.6));
  // Smile of coal bits.
  for (int i = -2; i <= 2; ++i) {
    cairo_arc(cr, cx + i * 3.8 + p.look * 2, hy + 7 + (4 - i * i) * 0.45, 1.2, 0, 2 * M_PI);
    Source(cr, COAL);
    cairo_fill(cr);
  }
  // Hat.
  cairo_save(cr);
  cairo_translate(cr, cx, hy - 12 - p.hatLift);
  cairo_rotate(cr, p.hatTilt * M_PI / 180);
  if (p.topHat) {
    RoundedRect(cr, -19, -2, 38, 6, 3);
    FillVertical(cr, -2, 4, Hex(0x4A4458), Hex(0x322C40));
    Outline(cr, 1.5, Hex(0x1E1A28));
    cairo_rectangle(cr, -12, -24, 24, 23);
    FillVertical(cr, -24, -1, Hex(0x565068), Hex(0x322C40));
    Outline(cr, 1.5, Hex(0x1E1A28));
    cairo_rectangle(cr, -12, -7, 24, 5);
    Source(cr, RED);
    cairo_fill(cr);
    cairo_rectangle(cr, -9, -22, 3, 13);
    Source(cr, WHITE, 0.25);
    cairo_fill(cr);
  } else {
    cairo_move_to(cr, -16, 3);
    cairo_curve_to(cr, -16, -18, 16, -18, 16, 3);
    cairo_close_path(cr);
    FillVertical(cr, -16, 3, Shade(BLUE, 0.25), Shade(BLUE, -0.2));
    Outline(cr, 1.5, Shade(BLUE, -0.6));
    for (int i = -2; i <= 2; ++i) {
      cairo_move_to(cr, i * 6, 2);
      cairo_line_to(cr, i * 4.5, -11);
    }
    Source(cr, WHITE, 0.5);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    RoundedRect(cr, -17, -1, 34, 6, 3);
    Source(cr, WHITE);
    cairo_fill_preserve(cr);
    Outline(cr, 1.2, SNOW_LINE);
    cairo_arc(cr, 0, -16, 5, 0, 2 * M_PI);
    FillBall(cr, 0, -16, 5, 5, Hex(0xFFF4F8));
    Outline(cr, 1.2, SNOW_LINE);
  }
  cairo_restore(cr);
}

void Spider(cairo_t* cr, double x, double y, double s, double legs) {
  const Rgb body = Hex(0x4E3E66), leg = Hex(0x3A2E4C);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, s, s);
  // Eight legs, four a side, each bent at its knee; the phase lifts them in turn.
  for (int side = -1; side <= 1; side += 2) {
    for (int i = 0; i < 4; ++i) {
      const double wave = std::sin(2 * M_PI * (legs + i * 0.25 + (side > 0 ? 0.5 : 0)));
      const double root = -3 + i * 2.6;
      const double kx = side * (9 + i * 0.8), ky = root - 6 + i * 3.2 + wave * 2.5;
      const double fx = side * (15 + (i == 0 || i == 3 ? 1 : 2)),
                   fy = root + 2 + i * 3.5 + wave * 3;
      cairo_move_to(cr, side * 3, root);
      cairo_line_to(cr, kx, ky);
      cairo_line_to(cr, fx, fy);
      Source(cr, leg);
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
    }
  }
  cairo_arc(cr, 0, 4, 8, 0, 2 * M_PI);
  FillBall(cr, 0, 4, 8, 8, body);
  Outline(cr, 1.4, Hex(0x2A2036));
  // A pale mark on the back.
  cairo_arc(cr, 0, 6, 2.5, 0, 2 * M_PI);
  Source(cr, Hex(0xC9A0F0), 0.7);
  cairo_fill(cr);
  cairo_arc(cr, 0, -5, 5.5, 0, 2 * M_PI);
  FillBall(cr, 0, -5, 5.5, 5.5, body);
  Outline(cr, 1.4, Hex(0x2A2036));
  for (int side = -1; side <= 1; side += 2) {
    cairo_arc(cr, side * 2.3, -5.5, 2.1, 0, 2 * M_PI);
    Source(cr, WHITE);
    cairo_fill(cr);
    cairo_arc(cr, side * 2.3 + 0.4, -5.1, 1, 0, 2 * M_PI);
    Source(cr, COAL);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void Thread(cairo_t* cr, double x, double y0, double y1) {
  // A grey edge and a white core: the silk shows on a pale sky and on a dark night alike.
  cairo_move_to(cr, x, y0);
  cairo_line_to(cr, x, y1);
  Source(cr, Hex(0x6E7890), 0.75);
  cairo_set_line_width(cr, 2.2);
  cairo_stroke_preserve(cr);
  Source(cr, Hex(0xF4F6FC));
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
}

}  // namespace art
