// The toolkit's shared helpers: name matching, mouse hit tests, skin picture loading with its
// one-line report per missing file, and the nine-piece frame drawing.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <set>

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

namespace kiv_local {

namespace {

std::set<std::string>& Reported() {
  static std::set<std::string> reported;
  return reported;
}

}  // namespace

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool MouseInRect(float x, float y, float w, float h) {
  const int left = TruncToInt(x);
  const int top = TruncToInt(y);
  const int mx = MouseX();
  const int my = MouseY();
  return mx >= left && mx <= left + TruncToInt(w) && my >= top && my <= top + TruncToInt(h);
}

std::string SkinFile(const std::string& name) { return kiv_GUI::SkinPath() + name; }

void ReportMissing(const std::string& what, const std::string& path) {
  if (PictureRefused(path)) return;  // the media layer has said why, in one line
  if (!Reported().insert(path).second) return;
  std::cerr << "GUI skin: " << what << " \"" << path << "\" could not be loaded\n";
}

void ClearMissingReports() { Reported().clear(); }

ImagePtr LoadSkinImage(const std::string& name) {
  if (kiv_GUI::SkinPath().empty()) return nullptr;  // no skin loaded yet
  const std::string path = SkinFile(name);
  ImagePtr image = ::LoadImage(path);
  if (!image) ReportMissing("picture", path);
  return image;
}

ImagePtr LoadSkinAnimImage(const std::string& name, int cellWidth, int cellHeight, int cells) {
  if (kiv_GUI::SkinPath().empty()) return nullptr;
  const std::string path = SkinFile(name);
  ImagePtr image = LoadAnimImage(path, cellWidth, cellHeight, 0, cells);
  if (!image) ReportMissing("picture", path);
  return image;
}

ImagePtr LoadSkinPart(const std::string& name, int x, int y, int w, int h) {
  if (kiv_GUI::SkinPath().empty()) return nullptr;
  const std::string path = SkinFile(name);
  const PixmapPtr sheet = LoadPixmap(path);
  if (!sheet || x < 0 || y < 0 || x + w > sheet->width || y + h > sheet->height) {
    ReportMissing("picture", path);
    return nullptr;
  }
  PixmapPtr part = CreatePixmap(w, h);
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col)
      part->WritePixel(col, row, sheet->ReadPixel(x + col, y + row));
  }
  return LoadImageFromPixmap(part);
}

void DrawNinePiece(const ImagePtr& pieces, float x, float y, float w, float h) {
  if (!pieces) return;
  const float innerW = w - 2 * PIECE;
  const float innerH = h - 2 * PIECE;
  const float right = x + w - PIECE;
  const float bottom = y + h - PIECE;
  DrawImageRect(pieces, x, y, PIECE, PIECE, 0);
  DrawImageRect(pieces, right, y, PIECE, PIECE, 2);
  DrawImageRect(pieces, x, bottom, PIECE, PIECE, 6);
  DrawImageRect(pieces, right, bottom, PIECE, PIECE, 8);
  if (innerW > 0) {
    DrawImageRect(pieces, x + PIECE, y, innerW, PIECE, 1);
    DrawImageRect(pieces, x + PIECE, bottom, innerW, PIECE, 7);
  }
  if (innerH > 0) {
    DrawImageRect(pieces, x, y + PIECE, PIECE, innerH, 3);
    DrawImageRect(pieces, right, y + PIECE, PIECE, innerH, 5);
  }
  if (innerW > 0 && innerH > 0)
    DrawImageRect(pieces, x + PIECE, y + PIECE, innerW, innerH, CENTRE_PIECE);
}

}  // namespace kiv_local
