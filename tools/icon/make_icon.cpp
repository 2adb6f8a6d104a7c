// The game's desktop icons, composed from its own generated art: the cannon's first cell on a
// rounded sky tile, with a ragdoll's head flying from the muzzle along a dotted arc. One drawing
// in a 128-unit square, rendered as PNG at every size desktops ask for and as SVG.
// Usage: make_icon ASSET_DIR OUT_DIR   (writes OUT_DIR/hicolor/...; identical bytes on every run)
#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr double UNITS = 128;  // the drawing's own square; every size scales it
constexpr double RADIUS = 22;
constexpr int CANNON_CELL_W = 170;
constexpr int CANNON_CELL_H = 110;
constexpr int PNG_SIZES[] = {48, 64, 128, 256, 512};

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

// The first cell of the cannon sheet as a picture of its own, so that the SVG embeds one cell
// rather than the whole sheet.
cairo_surface_t* FirstCell(cairo_surface_t* sheet) {
  cairo_surface_t* cell =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, CANNON_CELL_W, CANNON_CELL_H);
  cairo_t* cr = cairo_create(cell);
  cairo_set_source_surface(cr, sheet, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return cell;
}

void PaintPicture(cairo_t* cr, cairo_surface_t* picture, double x, double y, double scale) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BEST);
  cairo_paint(cr);
  cairo_restore(cr);
}

// The icon in the 128-unit square; the caller scales the context to the target size.
void DrawIcon(cairo_t* cr, cairo_surface_t* cannon, cairo_surface_t* head) {
  // Sky tile with a green ground strip.
  RoundedSquare(cr, 2, 2, UNITS - 4, RADIUS);
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, UNITS);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.36, 0.66, 0.93);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.74, 0.90, 0.99);
  cairo_set_source(cr, sky);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  cairo_set_source_rgb(cr, 0.36, 0.68, 0.30);
  cairo_rectangle(cr, 0, UNITS - 26, UNITS, 26);
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

  // The head, enlarged; then the cannon's first cell scaled to the tile.
  PaintPicture(cr, head, 90, 18, 1.9);
  const double scale = 0.62;
  PaintPicture(cr, cannon, 12, UNITS - 16 - CANNON_CELL_H * scale, scale);
}

bool WritePng(const std::string& path, int size, cairo_surface_t* cannon, cairo_surface_t* head) {
  cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(icon);
  cairo_scale(cr, size / UNITS, size / UNITS);
  DrawIcon(cr, cannon, head);
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(icon, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(icon);
  return ok;
}

bool WriteSvg(const std::string& path, cairo_surface_t* cannon, cairo_surface_t* head) {
  cairo_surface_t* icon = cairo_svg_surface_create(path.c_str(), UNITS, UNITS);
  cairo_svg_surface_restrict_to_version(icon, CAIRO_SVG_VERSION_1_1);
  cairo_svg_surface_set_document_unit(icon, CAIRO_SVG_UNIT_PX);
  cairo_t* cr = cairo_create(icon);
  DrawIcon(cr, cannon, head);
  cairo_destroy(cr);
  cairo_surface_finish(icon);
  const bool ok = cairo_surface_status(icon) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(icon);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: make_icon ASSET_DIR OUT_DIR\n");
    return 2;
  }
  const std::string assets = argv[1];
  const std::string out = std::string(argv[2]) + "/hicolor/";
  cairo_surface_t* sheet = LoadPng(assets + "/game_pic/cannon.png");
  cairo_surface_t* head = LoadPng(assets + "/ragdoll_pic/head_1.png");
  if (sheet == nullptr || head == nullptr) return 1;
  cairo_surface_t* cannon = FirstCell(sheet);

  bool ok = true;
  std::error_code error;
  for (int size : PNG_SIZES) {
    const std::string folder = out + std::to_string(size) + "x" + std::to_string(size) + "/apps";
    std::filesystem::create_directories(folder, error);
    if (!WritePng(folder + "/brakkon.png", size, cannon, head)) {
      std::fprintf(stderr, "make_icon: cannot write %s/brakkon.png\n", folder.c_str());
      ok = false;
    }
  }
  std::filesystem::create_directories(out + "scalable/apps", error);
  if (!WriteSvg(out + "scalable/apps/brakkon.svg", cannon, head)) {
    std::fprintf(stderr, "make_icon: cannot write %sscalable/apps/brakkon.svg\n", out.c_str());
    ok = false;
  }
  cairo_surface_destroy(cannon);
  cairo_surface_destroy(sheet);
  cairo_surface_destroy(head);
  return ok ? 0 : 1;
}
