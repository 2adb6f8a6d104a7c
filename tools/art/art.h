// Shared drawing kit of the picture generators: a cairo canvas that saves PNG or JPEG, the
// palette every picture draws from, a seeded random source, shape and shading helpers and the
// menu font. One kit keeps the look coherent: the same ink, the same light from the top left.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

namespace art {

// [SECTION] Colours -------------------------------------------------------------------------------

struct Rgb {
  double r = 0, g = 0, b = 0;
};

/// 0xRRGGBB to a colour.
constexpr Rgb Hex(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}
/// Linear mix: t 0 gives a, t 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t);
/// f > 0 mixes toward white, f < 0 toward the ink (never toward pure black).
Rgb Shade(Rgb c, double f);

// The palette. INK is the outline of everything; it is dark but never pure black, because most
// pictures are loaded masked and pure black turns transparent there.
inline constexpr Rgb INK = Hex(0x2A2233);
inline constexpr Rgb WHITE = Hex(0xFFFDF6);
inline constexpr Rgb WOOD_DARK = Hex(0x9A5B34);
inline constexpr Rgb WOOD_LIGHT = Hex(0xE8AE62);
inline constexpr Rgb STONE = Hex(0x9AA6BC);
inline constexpr Rgb SLATE = Hex(0x5E6A84);
inline constexpr Rgb STEEL = Hex(0x4A5A78);
inline constexpr Rgb TEAL = Hex(0x3FB0B8);
inline constexpr Rgb BRASS = Hex(0xF2BE45);
inline constexpr Rgb RED = Hex(0xF2484E);
inline constexpr Rgb ORANGE = Hex(0xFF9A3C);
inline constexpr Rgb YELLOW = Hex(0xFFD93F);
inline constexpr Rgb GREEN = Hex(0x6CCB5F);
inline constexpr Rgb BLUE = Hex(0x4B8FE8);
inline constexpr Rgb PURPLE = Hex(0x9A62E0);
inline constexpr Rgb PINK = Hex(0xFF7FB4);
inline constexpr Rgb ICE = Hex(0xBDEBFA);
inline constexpr Rgb SNOW = Hex(0xF4FAFF);
inline constexpr Rgb TARGET_RED = Hex(0xFF2D55);
inline constexpr Rgb TARGET_GOLD = Hex(0xFFE14D);

// [SECTION] Canvas --------------------------------------------------------------------------------

/// An ARGB picture with its cairo context; transparent when made.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }

  /// Writes a PNG, making the folders on the way. Throws on failure.
  void SavePng(const std::string& path) const;
  /// Writes a baseline JPEG of the opaque picture (quality 1-100). Throws on failure.
  void SaveJpeg(const std::string& path, int quality) const;

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

/// Draws `cells` animation cells of cw x ch into a sheet of `columns` columns, left to right then
/// top to bottom, each clipped to its cell with (0, 0) at the cell's top-left corner.
void DrawCells(Canvas& sheet, int cw, int ch, int columns, int cells,
               const std::function<void(cairo_t*, int)>& drawCell);

// [SECTION] Random --------------------------------------------------------------------------------

/// Small deterministic generator (xorshift32); every picture seeds its own.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  std::uint32_t Next();
  double Real();                       ///< [0, 1)
  double Range(double lo, double hi);  ///< [lo, hi)
  int Int(int lo, int hi);             ///< [lo, hi]

 private:
  std::uint32_t state_;
};

/// Seed from a name, so each picture's randomness is independent of the others.
std::uint32_t SeedOf(const std::string& name);

// [SECTION] Shapes and shading --------------------------------------------------------------------

void Source(cairo_t* cr, Rgb c, double alpha = 1.0);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
/// Fills the current path with a vertical gradient from `top` to `bottom` over y0..y1 and keeps it.
void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);
/// Radial ball shading: light spot up-left, darker rim; fills the current path and keeps it.
void FillBall(cairo_t* cr, double cx, double cy, double rx, double ry, Rgb base);
/// Strokes the current path in ink and clears it.
void Outline(cairo_t* cr, double width, Rgb ink = INK);
/// A soft white glint ellipse (the shine every glossy thing gets).
void Glint(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha);
/// A star polygon path with `points` tips.
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double rotationDeg);

// [SECTION] Text ----------------------------------------------------------------------------------

/// The TrueType file of the menu font (the one the skin ships); throws when none is installed.
std::string MenuFontFile();
/// The copyright and licence text of that font, shipped beside it.
std::string MenuFontLicenceFile();
/// Cairo face of the menu font, loaded once.
cairo_font_face_t* MenuFontFace();
/// Cartoon lettering: `text` fitted into the box (x, y, w, h), filled with a vertical gradient
/// from `top` to `bottom`, with an ink outline of `outline` pixels.
void Lettering(cairo_t* cr, const std::string& text, double x, double y, double w, double h,
               Rgb top, Rgb bottom, double outline, Rgb ink = INK);

// [SECTION] Files and main ------------------------------------------------------------------------

/// Creates a folder and its parents.
void MakeFolders(const std::string& path);
/// Copies a file byte for byte (folders made). Throws on failure.
void CopyFile(const std::string& from, const std::string& to);
/// Shared main of a generator: checks the two arguments (asset folder, skin folder), runs `body`
/// and reports errors. Returns the process exit code.
int RunGenerator(
    int argc, char** argv, const char* name,
    const std::function<void(const std::string& assets, const std::string& skin)>& body);

}  // namespace art
