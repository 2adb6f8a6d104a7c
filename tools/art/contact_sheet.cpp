// Contact sheets: one PNG per picture folder showing every picture, and every cell of the
// animation sheets, on a checkerboard with its name and size. For looking at the art, not for
// the game. Usage: contact_sheet ASSET_DIR SKIN_DIR OUT_DIR [ZOOM]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>  // needs <cstdio> first

#include "tools/art/art.h"

using namespace art;
namespace fs = std::filesystem;

namespace {

struct CellSize {
  int w, h;
};

// Animation sheets are cut into cells of these sizes; other pictures are shown whole.
const std::map<std::string, CellSize>& AnimationCells() {
  static const std::map<std::string, CellSize> cells = {
      {"game_pic/cannon.png", {170, 110}}, {"game_pic/portal.png", {30, 75}},
      {"game_pic/baz1.png", {32, 40}},     {"game_pic/baz2.png", {45, 45}},
      {"game_pic/baz3.png", {55, 50}},     {"levels_pic/mousehorse.png", {80, 30}},
  };
  return cells;
}

cairo_surface_t* LoadJpeg(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * 3);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    auto* out = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x) {
      out[x] = 0xFF000000u | (row[x * 3] << 16) | (row[x * 3 + 1] << 8) | row[x * 3 + 2];
    }
  }
  cairo_surface_mark_dirty(s);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return s;
}

struct Tile {
  cairo_surface_t* picture;  // shared by the cells of one sheet
  int sx, sy, w, h;          // source rectangle
  double scale;
  std::string label;
};

double zoom = 1;  // extra magnification asked for on the command line

double ScaleFor(int w, int h) {
  const int big = std::max(w, h);
  double scale = 1;
  if (big <= 24) scale = 4;
  else if (big <= 60) scale = 2;
  else if (big > 260) scale = 260.0 / big;
  return scale * zoom;
}

void Label(cairo_t* cr, const std::string& text, double x, double y) {
  cairo_set_font_face(cr, MenuFontFace());
  cairo_set_font_size(cr, 11);
  cairo_move_to(cr, x, y);
  Source(cr, Hex(0xE8E8F0));
  cairo_show_text(cr, text.c_str());
}

void WriteSheet(const std::string& title, std::vector<Tile>& tiles, const std::string& out) {
  const int maxWidth = 1400, pad = 10, labelH = 16;
  // Flow layout: rows of tiles, wrapped at maxWidth.
  struct Placed {
    int x, y;
  };
  std::vector<Placed> at;
  int x = pad, y = 34, rowH = 0, sheetW = 0;
  Canvas scratch(1, 1);
  cairo_set_font_face(scratch.cr(), MenuFontFace());
  cairo_set_font_size(scratch.cr(), 11);
  for (const Tile& t : tiles) {
    cairo_text_extents_t ext;
    cairo_text_extents(scratch.cr(), t.label.c_str(), &ext);
    const int tw = std::max(static_cast<int>(std::ceil(t.w * t.scale)),
                            static_cast<int>(std::ceil(ext.x_advance)));
    const int th = static_cast<int>(std::ceil(t.h * t.scale)) + labelH;
    if (x + tw + pad > maxWidth && x > pad) {
      x = pad;
      y += rowH + pad;
      rowH = 0;
    }
    at.push_back({x, y});
    x += tw + pad;
    rowH = std::max(rowH, th);
    sheetW = std::max(sheetW, x);
  }
  const int sheetH = y + rowH + pad;
  Canvas canvas(std::max(sheetW, 300), sheetH);
  cairo_t* cr = canvas.cr();
  Source(cr, Hex(0x30303C));
  cairo_paint(cr);
  cairo_set_font_face(cr, MenuFontFace());
  cairo_set_font_size(cr, 16);
  cairo_move_to(cr, pad, 22);
  Source(cr, WHITE);
  cairo_show_text(cr, title.c_str());

  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const Tile& t = tiles[i];
    const double w = t.w * t.scale, h = t.h * t.scale;
    cairo_save(cr);
    cairo_rectangle(cr, at[i].x, at[i].y, w, h);
    cairo_clip(cr);
    for (int cy = 0; cy < h; cy += 8) {
      for (int cx = 0; cx < w; cx += 8) {
        const bool dark = ((cx + cy) / 8) % 2;
        cairo_rectangle(cr, at[i].x + cx, at[i].y + cy, 8, 8);
        Source(cr, dark ? Hex(0x9A9AA8) : Hex(0xC8C8D2));
        cairo_fill(cr);
      }
    }
    cairo_translate(cr, at[i].x, at[i].y);
    cairo_scale(cr, t.scale, t.scale);
    cairo_set_source_surface(cr, t.picture, -t.sx, -t.sy);
    cairo_pattern_set_filter(cairo_get_source(cr),
                             t.scale >= 2 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    Label(cr, t.label, at[i].x, at[i].y + h + 12);
  }
  canvas.SavePng(out);
}

void SheetOfFolder(const std::string& root, const std::string& folder, const std::string& title,
                   const std::string& out) {
  const fs::path dir = fs::path(root) / folder;
  if (!fs::is_directory(dir)) return;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".png" || ext == ".jpg")) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<Tile> tiles;
  std::vector<cairo_surface_t*> pictures;
  for (const fs::path& file : files) {
    const std::string rel = fs::relative(file, root).generic_string();
    cairo_surface_t* s = file.extension() == ".jpg"
                             ? LoadJpeg(file.string())
                             : cairo_image_surface_create_from_png(file.string().c_str());
    if (!s || cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      std::cerr << "contact_sheet: cannot read " << file << "\n";
      continue;
    }
    pictures.push_back(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const std::string name = fs::relative(file, dir).generic_string();
    const auto cells = AnimationCells().find(rel);
    if (cells == AnimationCells().end()) {
      tiles.push_back({s, 0, 0, w, h, ScaleFor(w, h),
                       name + " " + std::to_string(w) + "x" + std::to_string(h)});
      continue;
    }
    const CellSize c = cells->second;
    const int columns = w / c.w, count = columns * (h / c.h);
    for (int k = 0; k < count; ++k) {
      tiles.push_back({s, (k % columns) * c.w, (k / columns) * c.h, c.w, c.h, ScaleFor(c.w, c.h),
                       name + " #" + std::to_string(k)});
    }
  }
  if (!tiles.empty()) WriteSheet(title, tiles, out);
  for (cairo_surface_t* s : pictures) cairo_surface_destroy(s);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: contact_sheet ASSET_DIR SKIN_DIR OUT_DIR [ZOOM]\n";
    return 2;
  }
  if (argc == 5) zoom = std::max(0.1, std::atof(argv[4]));
  const std::string assets = argv[1], skin = argv[2], out = argv[3];
  return RunGenerator(3, argv, "contact_sheet", [&](const std::string&, const std::string&) {
    MakeFolders(out);
    for (const char* folder : {"bodies_pic", "ragdoll_pic", "game_pic", "levels_pic",
                               "levels_thumbs", "fones", "menu_pic"}) {
      SheetOfFolder(assets, folder, folder, out + "/" + folder + ".png");
    }
    SheetOfFolder(skin, "graphics", "Skin/graphics", out + "/skin.png");
  });
}
