// Contact sheets: one PNG per picture folder showing every picture, and every cell of the
// animation sheets, on a checkerboard with its name and size. For looking at the art, not for
// the game; scene.png puts them together in a made-up level as the game would draw it.
// Usage: contact_sheet ASSET_DIR SKIN_DIR OUT_DIR [ZOOM]
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>
// libjpeg's header needs <cstdio> before it.
#include <jpeglib.h>

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
      {"game_pic/cannon.png", {170, 110}},     {"game_pic/portal.png", {30, 75}},
      {"game_pic/baz1.png", {32, 40}},         {"game_pic/baz2.png", {45, 45}},
      {"game_pic/baz3.png", {55, 50}},         {"levels_pic/mousehorse.png", {80, 30}},
      {"levels_pic/sun.png", {150, 150}},      {"levels_pic/crow.png", {170, 70}},
      {"levels_pic/spider.png", {40, 200}},    {"levels_pic/snowmanH.png", {130, 170}},
      {"levels_pic/snowmanE.png", {120, 170}}, {"levels_pic/kometa.png", {240, 90}},
      {"levels_pic/kapla1.png", {20, 590}},    {"levels_pic/kapla2.png", {20, 590}},
  };
  return cells;
}

// libjpeg reports errors by calling error_exit, which must not return: jump back instead, so
// that a broken or half-written file is skipped rather than ending the program.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

cairo_surface_t* LoadJpeg(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JpegFail;
  cairo_surface_t* s = nullptr;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    if (s) cairo_surface_destroy(s);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
  s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
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
  if (big <= 24)
    scale = 4;
  else if (big <= 60)
    scale = 2;
  else if (big > 260)
    scale = 260.0 / big;
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

constexpr int MAX_CELLS_ON_SHEET = 32;

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
    if (count > MAX_CELLS_ON_SHEET) {
      // Long animations are shown whole here; their strips show every cell.
      const double scale = std::min(1.0, 300.0 / std::max(w, h)) * zoom;
      tiles.push_back({s, 0, 0, w, h, scale,
                       name + " " + std::to_string(count) + " cells of " + std::to_string(c.w) +
                           "x" + std::to_string(c.h) + " (see strips/)"});
      continue;
    }
    for (int k = 0; k < count; ++k) {
      tiles.push_back({s, (k % columns) * c.w, (k / columns) * c.h, c.w, c.h, ScaleFor(c.w, c.h),
                       name + " #" + std::to_string(k)});
    }
  }
  if (!tiles.empty()) WriteSheet(title, tiles, out);
  for (cairo_surface_t* s : pictures) cairo_surface_destroy(s);
}

/// Animation strips: every cell of every animated sheet in playing order, at full size, one PNG
/// per sheet in OUT_DIR/strips/.
void Strips(const std::string& root, const std::string& out) {
  for (const auto& [rel, c] : AnimationCells()) {
    const fs::path file = fs::path(root) / rel;
    if (!fs::exists(file)) continue;
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.string().c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      std::cerr << "contact_sheet: cannot read " << file << "\n";
      cairo_surface_destroy(s);
      continue;
    }
    const int columns = cairo_image_surface_get_width(s) / c.w;
    const int count = columns * (cairo_image_surface_get_height(s) / c.h);
    const double scale = (std::max(c.w, c.h) <= 60 ? 2.0 : 1.0) * zoom;
    std::vector<Tile> tiles;
    for (int k = 0; k < count; ++k) {
      tiles.push_back(
          {s, (k % columns) * c.w, (k / columns) * c.h, c.w, c.h, scale, "#" + std::to_string(k)});
    }
    const std::string name = fs::path(rel).stem().string();
    MakeFolders(out + "/strips");
    WriteSheet(rel + ": " + std::to_string(count) + " cells of " + std::to_string(c.w) + "x" +
                   std::to_string(c.h),
               tiles, out + "/strips/" + name + ".png");
    cairo_surface_destroy(s);
  }
}

// [SECTION] Scene
// ----------------------------------------------------------------------------------

// A made-up play scene drawn the way the game draws (handles, rotations clockwise, the 76 %
// ragdoll shrink, the counters' spacing), to judge whether the pictures sit well together.
class Scene {
 public:
  Scene(std::string assets, cairo_t* cr) : assets_(std::move(assets)), cr_(cr) {}
  ~Scene() {
    for (auto& [path, s] : pictures_) cairo_surface_destroy(s);
  }

  cairo_surface_t* Picture(const std::string& path) {
    auto it = pictures_.find(path);
    if (it != pictures_.end()) return it->second;
    const std::string file = assets_ + "/" + path;
    cairo_surface_t* s = path.size() > 4 && path.substr(path.size() - 4) == ".jpg"
                             ? LoadJpeg(file)
                             : cairo_image_surface_create_from_png(file.c_str());
    if (s && cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(s);
      s = nullptr;
    }
    pictures_[path] = s;
    return s;
  }

  /// Draws cell `cell` (of cw x ch, 0 = whole picture) with its handle at (x, y), turned
  /// clockwise by `rotation` degrees and stretched to dw x dh (0 = cell size).
  void Draw(const std::string& path, double x, double y, double rotation = 0, bool midHandle = true,
            int cell = 0, int cw = 0, int ch = 0, double dw = 0, double dh = 0, double hx = -1,
            double hy = -1) {
    cairo_surface_t* s = Picture(path);
    if (!s) return;
    if (cw == 0) {
      cw = cairo_image_surface_get_width(s);
      ch = cairo_image_surface_get_height(s);
    }
    if (dw == 0) {
      dw = cw;
      dh = ch;
    }
    const int columns = cairo_image_surface_get_width(s) / cw;
    if (hx < 0) {
      hx = midHandle ? dw / 2 : 0;
      hy = midHandle ? dh / 2 : 0;
    }
    cairo_save(cr_);
    cairo_translate(cr_, x, y);
    cairo_rotate(cr_, rotation * M_PI / 180);
    cairo_translate(cr_, -hx, -hy);
    cairo_rectangle(cr_, 0, 0, dw, dh);
    cairo_clip(cr_);
    cairo_scale(cr_, dw / cw, dh / ch);
    cairo_set_source_surface(cr_, s, -(cell % columns) * cw, -(cell / columns) * ch);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }

  /// The level and shot counters: label, then digits spaced as the game spaces them.
  void Counter(const std::string& label, int value, double x, double y) {
    if (!Picture(label)) return;  // a partial asset folder (one generator run alone)
    Draw(label, x, y);
    int offset = cairo_image_surface_get_width(Picture(label)) / 2 + 13;
    for (char c : std::to_string(value)) {
      const std::string digit = std::string("game_pic/n") + c + ".png";
      if (!Picture(digit)) return;
      Draw(digit, x + offset, y);
      offset += cairo_image_surface_get_width(Picture(digit)) / 2 + 6;
    }
  }

  /// A ragdoll standing at the neck point (px, py), parts at their build positions (8 px per
  /// world unit, pictures shrunk to 76 %).
  void Ragdoll(double px, double py, int look, double tilt) {
    const std::string n = "_" + std::to_string(look) + ".png";
    struct Part {
      const char* name;
      double dx, dy;  // world units from the neck, y up
    };
    const Part parts[] = {{"upperLeg", -0.28125, -2.3},
                          {"upperLeg", 0.28125, -2.3},
                          {"lowerLeg", -0.25, -2.3 - 1.2},
                          {"lowerLeg", 0.25, -2.3 - 1.2},
                          {"body", 0, -1},
                          {"upperHand", -0.875, -0.5},
                          {"upperHand", 0.875, -0.5},
                          {"lowerHandLeft", -2.21875, -0.4762},
                          {"lowerHandRight", 2.21875, -0.4762},
                          {"head", 0, 0.76}};
    for (const Part& p : parts) {
      const std::string path = std::string("ragdoll_pic/") + p.name + n;
      cairo_surface_t* s = Picture(path);
      if (!s) continue;
      const double w = std::trunc(cairo_image_surface_get_width(s) * 0.76);
      const double h = std::trunc(cairo_image_surface_get_height(s) * 0.76);
      const double a = tilt * M_PI / 180;
      const double ox = p.dx * 8, oy = -p.dy * 8;
      Draw(path, px + ox * std::cos(a) - oy * std::sin(a), py + ox * std::sin(a) + oy * std::cos(a),
           tilt, true, 0, 0, 0, w, h);
    }
  }

 private:
  std::string assets_;
  cairo_t* cr_;
  std::map<std::string, cairo_surface_t*> pictures_;
};

void DrawScene(const std::string& assets, const std::string& out) {
  Canvas canvas(800, 600);
  cairo_t* cr = canvas.cr();
  Scene scene(assets, cr);
  if (scene.Picture("fones/fon1.jpg")) {
    scene.Draw("fones/fon1.jpg", 0, 0, 0, false);
  } else {
    cairo_rectangle(cr, 0, 0, 800, 600);
    FillVertical(cr, 0, 600, Hex(0x8FD3F5), Hex(0xE8F6D8));
    cairo_new_path(cr);
  }
  // Field borders and a few structures.
  scene.Draw("bodies_pic/borderPlankGorizontal.png", 400, 594);
  scene.Draw("bodies_pic/borderPlankVertical.png", 794, 300);
  scene.Draw("bodies_pic/staticPlankBigGorizontal.png", 560, 330);
  scene.Draw("bodies_pic/staticBoxBig.png", 470, 533);
  scene.Draw("bodies_pic/staticBoxMedium.png", 650, 568);
  scene.Draw("bodies_pic/dynamicBoxBig.png", 520, 275);
  scene.Draw("bodies_pic/dynamicBoxMedium.png", 600, 304);
  scene.Draw("bodies_pic/dynamicBoxSmoll.png", 600, 274);
  scene.Draw("bodies_pic/dynamicPlankBig.png", 620, 250, -8);
  scene.Draw("bodies_pic/target.png", 660, 311);
  scene.Draw("bodies_pic/ballMedium1.png", 700, 300);
  scene.Draw("bodies_pic/ballBig1.png", 330, 535);
  scene.Draw("bodies_pic/movingPlankBigGorizont.png", 300, 200);
  scene.Draw("bodies_pic/ice2.png", 720, 505);
  scene.Draw("bodies_pic/whell.png", 560, 480);
  scene.Draw("bodies_pic/target1.png", 560, 150);
  scene.Draw("bodies_pic/her3.png", 300, 170);
  scene.Draw("bodies_pic/staticPlankBig.png", 420, 420, 0);
  scene.Draw("bodies_pic/sugrob.png", 200, 575);
  scene.Draw("bodies_pic/veryBigBall.png", 900, 100);
  for (int i = 0; i < 6; ++i) scene.Draw("bodies_pic/link.png", 470, 40 + i * 13);
  scene.Draw("bodies_pic/ballSmall1.png", 470, 125);
  // Ragdolls in flight and at rest.
  scene.Ragdoll(250, 380, 1, 25);
  scene.Ragdoll(380, 300, 2, -40);
  scene.Ragdoll(600, 205, 3, 80);
  scene.Ragdoll(140, 490, 4, 0);
  // Portals, spark, aim, cannon.
  scene.Draw("game_pic/portal.png", 120, 250, 0, true, 7, 30, 75);
  scene.Draw("game_pic/portal.png", 740, 120, 45, true, 22, 30, 75);
  scene.Draw("game_pic/baz3.png", 520, 215, 0, true, 2, 55, 50);
  scene.Draw("game_pic/baz1.png", 430, 330, 0, true, 2, 32, 40);
  scene.Draw("game_pic/aim.png", 420, 260);
  scene.Draw("game_pic/bracket.png", 28, 553, 0, false);
  scene.Draw("game_pic/cannon.png", 49, 557, -35, true, 21, 170, 110, 0, 0, 31, 55);
  for (int i = 0; i < 14; ++i) {
    const char* flakes[] = {"game_pic/snow1.png", "game_pic/snow2.png", "game_pic/snow3.png"};
    scene.Draw(flakes[i % 3], 60 + i * 53, 40 + (i * 97) % 300, i * 30);
  }
  scene.Counter("game_pic/numlevel.png", 12, 65, 30);
  scene.Counter("game_pic/shots.png", 108, 67, 60);
  scene.Draw("game_pic/nextlevelbig.png", 400, 60);
  scene.Draw("levels_pic/mousehorse.png", 250, 555, 0, false, 1, 80, 30);
  canvas.SavePng(out);
}

/// The thumbnails of every level in level order ("level_thumb_<n>.jpg" under `dir`), at half
/// size, seven to a row: the whole journey of the game on one sheet.
int SheetOfLevelThumbnails(const std::string& dir, const std::string& out) {
  std::vector<std::pair<int, fs::path>> files;
  const std::string prefix = "level_thumb_";
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().stem().string();
    if (!entry.is_regular_file() || entry.path().extension() != ".jpg" ||
        name.rfind(prefix, 0) != 0)
      continue;
    files.emplace_back(std::atoi(name.c_str() + prefix.size()), entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<Tile> tiles;
  for (const auto& [level, file] : files) {
    cairo_surface_t* s = LoadJpeg(file.string());
    if (!s || cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      std::cerr << "contact_sheet: cannot read " << file << "\n";
      return 1;
    }
    tiles.push_back({s, 0, 0, cairo_image_surface_get_width(s), cairo_image_surface_get_height(s),
                     0.5, "level " + std::to_string(level)});
  }
  if (tiles.empty()) {
    std::cerr << "contact_sheet: no level thumbnails in " << dir << "\n";
    return 1;
  }
  WriteSheet("levels in order (" + std::to_string(tiles.size()) + " thumbnails)", tiles, out);
  for (Tile& t : tiles) cairo_surface_destroy(t.picture);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--thumbnails")
    return SheetOfLevelThumbnails(argv[2], argv[3]);
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: contact_sheet ASSET_DIR SKIN_DIR OUT_DIR [ZOOM]\n"
                 "       contact_sheet --thumbnails THUMBNAIL_DIR OUT_PNG\n";
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
    Strips(assets, out);
    DrawScene(assets, out + "/scene.png");
  });
}
