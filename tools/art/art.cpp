// The drawing kit shared by the picture generators (see art.h). Everything here must give the
// same bytes on every run: no clocks, no system fonts looked up by name, fixed seeds only.
#include "tools/art/art.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <vector>
// libjpeg's header needs <cstdio> before it.
#include <jpeglib.h>

namespace art {

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Shade(Rgb c, double f) { return f >= 0 ? Mix(c, WHITE, f) : Mix(c, INK, -f); }

// [SECTION] Canvas --------------------------------------------------------------------------------

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void Canvas::SavePng(const std::string& path) const {
  MakeFolders(std::filesystem::path(path).parent_path().string());
  cairo_surface_flush(surface_);
  if (cairo_surface_write_to_png(surface_, path.c_str()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot write " + path);
  }
}

void Canvas::SaveJpeg(const std::string& path, int quality) const {
  MakeFolders(std::filesystem::path(path).parent_path().string());
  cairo_surface_flush(surface_);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);

  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width_);
  info.image_height = static_cast<JDIMENSION>(height_);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  info.dct_method = JDCT_ISLOW;  // the integer transform gives the same bytes on every CPU
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);

  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width_) * 3);
  for (int y = 0; y < height_; ++y) {
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < width_; ++x) {
      // The picture is opaque, so the premultiplied colour is the colour.
      row[x * 3 + 0] = static_cast<JSAMPLE>((pixels[x] >> 16) & 0xFF);
      row[x * 3 + 1] = static_cast<JSAMPLE>((pixels[x] >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<JSAMPLE>(pixels[x] & 0xFF);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path);
}

void DrawCells(Canvas& sheet, int cw, int ch, int columns, int cells,
               const std::function<void(cairo_t*, int)>& drawCell) {
  cairo_t* cr = sheet.cr();
  for (int i = 0; i < cells; ++i) {
    cairo_save(cr);
    cairo_translate(cr, (i % columns) * cw, (i / columns) * ch);
    cairo_rectangle(cr, 0, 0, cw, ch);
    cairo_clip(cr);
    drawCell(cr, i);
    cairo_restore(cr);
  }
}

// [SECTION] Random --------------------------------------------------------------------------------

std::uint32_t Rng::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

double Rng::Real() { return (Next() >> 8) / 16777216.0; }

double Rng::Range(double lo, double hi) { return lo + (hi - lo) * Real(); }

int Rng::Int(int lo, int hi) { return lo + static_cast<int>(Real() * (hi - lo + 1)); }

std::uint32_t SeedOf(const std::string& name) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (unsigned char c : name) {
    h ^= c;
    h *= 16777619u;
  }
  return h;
}

// [SECTION] Shapes and shading --------------------------------------------------------------------

void Source(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void FillBall(cairo_t* cr, double cx, double cy, double rx, double ry, Rgb base) {
  // NOTE: the pattern carries its own matrix; a cairo_save/restore around set_source would
  // throw the source away again.
  cairo_pattern_t* p = cairo_pattern_create_radial(-0.35, -0.4, 0.05, 0, 0, 1.0);
  const Rgb light = Shade(base, 0.45), dark = Shade(base, -0.3);
  cairo_pattern_add_color_stop_rgb(p, 0, light.r, light.g, light.b);
  cairo_pattern_add_color_stop_rgb(p, 0.55, base.r, base.g, base.b);
  cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, 1 / rx, 1 / ry);
  cairo_matrix_translate(&m, -cx, -cy);
  cairo_pattern_set_matrix(p, &m);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void Outline(cairo_t* cr, double width, Rgb ink) {
  Source(cr, ink);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void Glint(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
  cairo_set_source(cr, p);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_restore(cr);
}

void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double rotationDeg) {
  cairo_new_sub_path(cr);
  for (int i = 0; i < points * 2; ++i) {
    const double a = (rotationDeg - 90 + i * 180.0 / points) * M_PI / 180;
    const double r = (i % 2 == 0) ? outer : inner;
    cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
  }
  cairo_close_path(cr);
}

// [SECTION] Text ----------------------------------------------------------------------------------

namespace {

struct FontChoice {
  const char* font;
  const char* licence;
};

// Comfortaa (fonts-comfortaa, SIL Open Font License 1.1) is round and friendly; DejaVu
// (fonts-dejavu-core, free licence of Bitstream Vera) is the fallback every build machine has.
const FontChoice& ChosenFont() {
  static const FontChoice choices[] = {
      {"/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf",
       "/usr/share/doc/fonts-comfortaa/copyright"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
       "/usr/share/doc/fonts-dejavu-core/copyright"},
  };
  for (const FontChoice& choice : choices) {
    if (std::filesystem::exists(choice.font)) return choice;
  }
  throw std::runtime_error("no menu font installed (fonts-comfortaa or fonts-dejavu-core)");
}

}  // namespace

std::string MenuFontFile() { return ChosenFont().font; }

std::string MenuFontLicenceFile() { return ChosenFont().licence; }

cairo_font_face_t* MenuFontFace() {
  static cairo_font_face_t* face = [] {
    FT_Library library = nullptr;
    FT_Face ftFace = nullptr;
    const std::string file = MenuFontFile();
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, file.c_str(), 0, &ftFace) != 0) {
      throw std::runtime_error("cannot load font " + file);
    }
    // NOTE: the FreeType face and library live until the process ends, as cairo requires.
    return cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  }();
  return face;
}

void Lettering(cairo_t* cr, const std::string& text, double x, double y, double w, double h,
               Rgb top, Rgb bottom, double outline, Rgb ink) {
  cairo_save(cr);
  cairo_matrix_t base;
  cairo_get_matrix(cr, &base);
  cairo_set_font_face(cr, MenuFontFace());
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_set_font_size(cr, 100);
  cairo_text_extents_t ext;
  cairo_text_extents(cr, text.c_str(), &ext);

  // Fit the ink of the glyphs inside the box less the outline; squeeze only sideways.
  const double innerW = w - 2 * outline, innerH = h - 2 * outline;
  const double sy = innerH / ext.height;
  const double sx = std::min(sy, innerW / ext.width);
  const double inkW = ext.width * sx;
  cairo_translate(cr, x + outline + (innerW - inkW) / 2 - ext.x_bearing * sx,
                  y + outline - ext.y_bearing * sy);
  cairo_scale(cr, sx, sy);
  cairo_move_to(cr, 0, 0);
  cairo_text_path(cr, text.c_str());
  cairo_set_matrix(cr, &base);  // the path stays; strokes get an even width again

  Source(cr, ink);
  cairo_set_line_width(cr, outline * 2);
  cairo_stroke_preserve(cr);
  FillVertical(cr, y + outline, y + h - outline, top, bottom);
  cairo_new_path(cr);
  cairo_restore(cr);
}

// [SECTION] Files and main ------------------------------------------------------------------------

void MakeFolders(const std::string& path) {
  if (!path.empty()) std::filesystem::create_directories(path);
}

void CopyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + from);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  MakeFolders(std::filesystem::path(to).parent_path().string());
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + to);
}

int RunGenerator(int argc, char** argv, const char* name,
                 const std::function<void(const std::string&, const std::string&)>& body) {
  if (argc != 3) {
    std::cerr << "usage: " << name << " ASSET_DIR SKIN_DIR\n";
    return 2;
  }
  try {
    body(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << name << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace art
