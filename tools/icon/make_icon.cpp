// The game's desktop icon, composed from its own generated art: the cannon's first cell on a
// rounded sky tile, with a ragdoll's head flying from the muzzle along a dotted arc.
// Usage: make_icon ASSET_DIR OUT.png   (identical bytes on every run)
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int SIZE = 128;
constexpr double RADIUS = 22;
constexpr int CANNON_CELL_W = 170;
constexpr int CANNON_CELL_H = 110;

void RoundedSquare(cairo_t* cr, double x, double y, double size, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + size - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + size - r, y + size - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + size - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

cairo_surface_t* LoadPng(const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "make_icon: cannot read %s\n", path.c_str());
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: make_icon ASSET_DIR OUT.png\n");
    return 2;
  }
  const std::string assets = argv[1];
  cairo_surface_t* cannon = LoadPng(assets + "/game_pic/cannon.png");
  cairo_surface_t* head = LoadPng(assets + "/ragdoll_pic/head_1.png");
  if (cannon == nullptr || head == nullptr) return 1;

  cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, SIZE, SIZE);
  cairo_t* cr = cairo_create(icon);

  // Sky tile with a green ground strip.
  RoundedSquare(cr, 2, 2, SIZE - 4, RADIUS);
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, SIZE);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.36, 0.66, 0.93);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.74, 0.90, 0.99);
  cairo_set_source(cr, sky);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  cairo_set_source_rgb(cr, 0.36, 0.68, 0.30);
  cairo_rectangle(cr, 0, SIZE - 26, SIZE, 26);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(sky);

  // Dotted flight arc from the muzzle up to the head.
  cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
  for (int i = 0; i < 6; ++i) {
    const double t = 0.12 + i * 0.13;
    const double x = 62 + t * 44;
    const double y = 68 - std::sin(t * M_PI * 0.9) * 42;
    cairo_arc(cr, x, y, 2.4, 0, 2 * M_PI);
    cairo_fill(cr);
  }

  // The head, three times its size.
  cairo_save(cr);
  cairo_translate(cr, 90, 18);
  cairo_scale(cr, 1.9, 1.9);
  cairo_set_source_surface(cr, head, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);

  // The cannon's first cell, scaled to the tile and tilted up a little.
  const double scale = 0.62;
  cairo_save(cr);
  cairo_translate(cr, 12, SIZE - 16 - CANNON_CELL_H * scale);
  cairo_scale(cr, scale, scale);
  cairo_rectangle(cr, 0, 0, CANNON_CELL_W, CANNON_CELL_H);
  cairo_clip(cr);
  cairo_set_source_surface(cr, cannon, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);

  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(icon, argv[2]) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(icon);
  cairo_surface_destroy(cannon);
  cairo_surface_destroy(head);
  if (!ok) std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
  return ok ? 0 : 1;
}
