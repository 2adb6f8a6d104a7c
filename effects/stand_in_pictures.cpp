// Stand-in sheets: each cell is a filled rectangle whose colour steps with the cell number, so an
// animation is visible as a colour cycle and a wrong frame shows in a screenshot.
#include "effects/stand_in_pictures.h"

#include <algorithm>

#include "media/media.h"

namespace {

struct TSheetLayout {
  const char* path;
  int cellWidth, cellHeight, cells;
};

// The layouts level construction loads these pictures with.
constexpr TSheetLayout LAYOUTS[] = {
    {"levels_pic/sun.png", 150, 150, 42},      {"levels_pic/crow.png", 170, 70, 32},
    {"levels_pic/spider.png", 40, 200, 182},   {"levels_pic/snowmanH.png", 130, 170, 60},
    {"levels_pic/snowmanE.png", 120, 170, 60}, {"levels_pic/kometa.png", 240, 90, 165},
    {"levels_pic/kapla1.png", 20, 590, 62},    {"levels_pic/kapla2.png", 20, 590, 42},
    {"levels_pic/oblako1.png", 160, 70, 1},    {"levels_pic/oblako2.png", 140, 60, 1},
    {"levels_pic/oblako3.png", 180, 80, 1},
};
constexpr int MAX_SHEET_WIDTH = 2800;  // cells wrap into rows beyond this
constexpr int CELL_INSET = 2;

std::uint32_t CellColour(int cell) {
  const auto step = static_cast<std::uint32_t>(cell * 37 % 200);
  return 0xFF000000u | ((55 + step) << 16) | ((255 - step) << 8) | 0x90u;
}

PixmapPtr DrawSheet(const TSheetLayout& layout) {
  const int columns = std::max(1, std::min(layout.cells, MAX_SHEET_WIDTH / layout.cellWidth));
  const int rows = (layout.cells + columns - 1) / columns;
  PixmapPtr sheet = CreatePixmap(columns * layout.cellWidth, rows * layout.cellHeight);
  for (int cell = 0; cell < layout.cells; ++cell) {
    const int left = cell % columns * layout.cellWidth;
    const int top = cell / columns * layout.cellHeight;
    for (int y = CELL_INSET; y < layout.cellHeight - CELL_INSET; ++y) {
      for (int x = CELL_INSET; x < layout.cellWidth - CELL_INSET; ++x) {
        sheet->WritePixel(left + x, top + y, CellColour(cell));
      }
    }
  }
  return sheet;
}

}  // namespace

std::vector<std::string> RegisterStandInPictures(const std::string& scratchFolder) {
  std::vector<std::string> registered;
  for (const TSheetLayout& layout : LAYOUTS) {
    if (IsEmbeddedAsset(layout.path)) continue;
    const std::string file = scratchFolder + "/stand_in.png";
    if (!SavePixmapPNG(DrawSheet(layout), file)) continue;
    auto bytes = ReadAssetOrFile(file);
    if (!bytes) continue;
    RegisterAssetBytes(layout.path, std::move(*bytes));
    registered.emplace_back(layout.path);
  }
  return registered;
}
