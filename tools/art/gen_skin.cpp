// Generates the GUI skin folder that lies beside the game: the nine-piece panel and button
// pictures (15 x 15, pieces of 5 x 5), the scroll bar pieces, the three cursors, and the menu
// font copied from its Debian package. The GUI tints panels and buttons with its own colours,
// so these pictures are light greys that multiply well; none is pure black (they are masked).
#include <cmath>
#include <string>

#include "tools/art/art.h"

using namespace art;

namespace {

const Rgb FRAME = Hex(0x4C5572);

// A 15 x 15 nine-piece picture: rounded corners kept inside the 5 x 5 corner pieces (the radius
// stops short of column 5), and a vertical gradient that stays constant across each row, so the
// stretched edges and centre line up.
void NinePiece(const std::string& path, Rgb top, Rgb bottom, double radius, bool gloss) {
  Canvas c(15, 15);
  cairo_t* cr = c.cr();
  RoundedRect(cr, 0.75, 0.75, 13.5, 13.5, radius);
  FillVertical(cr, 0, 15, top, bottom);
  Outline(cr, 1.5, FRAME);
  if (gloss) {
    // Shine on the upper rows only: rows 5-9 are the stretched middle and must stay even.
    cairo_rectangle(cr, 2.5, 2, 10, 2);
    Source(cr, WHITE, 0.7);
    cairo_fill(cr);
  } else {
    cairo_rectangle(cr, 2, 2, 11, 1);
    Source(cr, WHITE, 0.8);
    cairo_fill(cr);
  }
  c.SavePng(path);
}

// Scroll bar track: a groove, even along its length (it is stretched along y, or x when flipped).
void Track(const std::string& path) {
  Canvas c(15, 15);
  cairo_t* cr = c.cr();
  cairo_rectangle(cr, 0, 0, 15, 15);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 15, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.62, 0.66, 0.76);
  cairo_pattern_add_color_stop_rgb(p, 0.25, 0.86, 0.88, 0.93);
  cairo_pattern_add_color_stop_rgb(p, 0.75, 0.86, 0.88, 0.93);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.62, 0.66, 0.76);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  c.SavePng(path);
}

// An arrow button; `angle` 0 points up, then clockwise in quarter turns.
void ArrowButton(const std::string& path, int quarterTurns) {
  Canvas c(15, 15);
  cairo_t* cr = c.cr();
  RoundedRect(cr, 0.75, 0.75, 13.5, 13.5, 3);
  FillVertical(cr, 0, 15, WHITE, Hex(0xC9CFDD));
  Outline(cr, 1.5, FRAME);
  cairo_translate(cr, 7.5, 7.5);
  cairo_rotate(cr, quarterTurns * M_PI / 2);
  cairo_move_to(cr, 0, -3.5);
  cairo_line_to(cr, 4, 2.5);
  cairo_line_to(cr, -4, 2.5);
  cairo_close_path(cr);
  Source(cr, FRAME);
  cairo_fill(cr);
  c.SavePng(path);
}

// The thumb: top cap rows 0-2, one middle row 3 (stretched), bottom cap rows 4-6; `flip` lays it
// on its side for the horizontal bar.
void Thumb(const std::string& path, bool flip) {
  Canvas c(flip ? 7 : 15, flip ? 15 : 7);
  cairo_t* cr = c.cr();
  if (flip) {
    cairo_translate(cr, 7, 0);
    cairo_rotate(cr, M_PI / 2);
  }
  // Caps are half-rounds of radius 3 with the fill carried straight through the middle row.
  cairo_move_to(cr, 2, 3);
  cairo_arc(cr, 5, 3, 3, M_PI, 3 * M_PI / 2);
  cairo_line_to(cr, 10, 0);
  cairo_arc(cr, 10, 3, 3, 3 * M_PI / 2, 2 * M_PI);
  cairo_line_to(cr, 13, 4);
  cairo_arc(cr, 10, 4, 3, 0, M_PI / 2);
  cairo_line_to(cr, 5, 7);
  cairo_arc(cr, 5, 4, 3, M_PI / 2, M_PI);
  cairo_close_path(cr);
  Source(cr, Hex(0x7E8CB4));
  cairo_fill(cr);
  // Edges: the outline columns 2 and 12, and caps darker.
  cairo_rectangle(cr, 2, 0, 11, 7);
  cairo_clip(cr);
  cairo_move_to(cr, 2.5, 3);
  cairo_arc(cr, 5, 3, 2.5, M_PI, 3 * M_PI / 2);
  cairo_line_to(cr, 10, 0.5);
  cairo_arc(cr, 10, 3, 2.5, 3 * M_PI / 2, 2 * M_PI);
  cairo_line_to(cr, 12.5, 4);
  cairo_arc(cr, 10, 4, 2.5, 0, M_PI / 2);
  cairo_line_to(cr, 5, 6.5);
  cairo_arc(cr, 5, 4, 2.5, M_PI / 2, M_PI);
  cairo_close_path(cr);
  Outline(cr, 1, FRAME);
  cairo_rectangle(cr, 5, 1, 1, 5);
  Source(cr, WHITE, 0.6);
  cairo_fill(cr);
  c.SavePng(path);
}

void Arrow(const std::string& path) {
  Canvas c(24, 24);
  cairo_t* cr = c.cr();
  cairo_move_to(cr, 1.5, 1.5);
  cairo_line_to(cr, 1.5, 19);
  cairo_line_to(cr, 6, 14.5);
  cairo_line_to(cr, 9.5, 21.5);
  cairo_line_to(cr, 12.5, 20);
  cairo_line_to(cr, 9.2, 13.3);
  cairo_line_to(cr, 15.5, 13.3);
  cairo_close_path(cr);
  FillVertical(cr, 0, 22, WHITE, Hex(0xDDE3F0));
  Outline(cr, 1.6);
  c.SavePng(path);
}

// Pointing hand; its fingertip is 5 pixels right of the left edge, where the GUI puts the mouse.
void Hand(const std::string& path, bool pressed) {
  Canvas c(24, 24);
  cairo_t* cr = c.cr();
  const double drop = pressed ? 3 : 0;
  const Rgb glove = pressed ? Hex(0xFFE08A) : WHITE;
  // Palm and folded fingers.
  RoundedRect(cr, 3, 10 + drop * 0.5, 16, 12 - drop * 0.5, 4);
  FillVertical(cr, 10, 22, glove, Shade(glove, -0.12));
  Outline(cr, 1.5);
  for (double x : {10.0, 14.0}) {
    cairo_move_to(cr, x, 11 + drop * 0.5);
    cairo_line_to(cr, x, 15 + drop * 0.5);
  }
  Source(cr, INK);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // Index finger.
  RoundedRect(cr, 3, 1 + drop, 4.5, 13 - drop, 2.25);
  FillVertical(cr, 1, 14, glove, Shade(glove, -0.08));
  Outline(cr, 1.5);
  // Cuff.
  cairo_rectangle(cr, 5, 20.5, 12, 3);
  Source(cr, BLUE);
  cairo_fill_preserve(cr);
  Outline(cr, 1.2);
  c.SavePng(path);
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, "gen_skin", [](const std::string&, const std::string& skin) {
    const std::string g = skin + "/graphics/";
    NinePiece(g + "panel.png", WHITE, Hex(0xDCE1EC), 3.75, false);
    NinePiece(g + "button.png", WHITE, Hex(0xC6CDDD), 3.75, true);
    Track(g + "scrollback.png");
    ArrowButton(g + "scrollup.png", 0);
    ArrowButton(g + "scrolldown.png", 2);
    ArrowButton(g + "scrollleft.png", 3);
    ArrowButton(g + "scrollright.png", 1);
    Thumb(g + "vscrollbar.png", false);
    Thumb(g + "hscrollbar.png", true);
    Arrow(g + "cursors/normal.png");
    Hand(g + "cursors/mouseover.png", false);
    Hand(g + "cursors/mousedown.png", true);
    CopyFile(MenuFontFile(), skin + "/Fonts/font.ttf");
    CopyFile(MenuFontLicenceFile(), skin + "/Fonts/font-licence.txt");
  });
}
