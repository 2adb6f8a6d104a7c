// Helpers shared by the toolkit's source files only: name matching, mouse hit tests, measuring
// text with a gadget's font, skin picture loading with its missing-file report, and the
// nine-piece frame. Nothing outside gui/ includes this header.
#pragma once

#include <string>

#include "media/media.h"

namespace kiv_local {

/// ASCII case-insensitive equality (names of screens, panels, fonts and children).
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

/// Mouse inside the rectangle, edges inclusive, the rectangle truncated to whole pixels.
bool MouseInRect(float x, float y, float w, float h);

/// Selects `font` for measuring or drawing and puts the previous font back when it ends.
class FontScope {
 public:
  explicit FontScope(const FontPtr& font) : saved(GetImageFont()) { SetImageFont(font); }
  ~FontScope() { SetImageFont(saved); }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  FontPtr saved;
};

/// Full path of a file in the current skin folder ("" + name when no skin is loaded).
std::string SkinFile(const std::string& name);

/// Loads a skin picture (default image flags); a missing file gives null and one line on
/// standard error, once per file until the skin is loaded again. Null without a skin folder.
ImagePtr LoadSkinImage(const std::string& name);
/// The same for a picture cut into equal cells, left to right, then top to bottom.
ImagePtr LoadSkinAnimImage(const std::string& name, int cellWidth, int cellHeight, int cells);
/// A part of a skin picture as a picture of its own (thumb caps); null when the file is missing
/// or the rectangle does not fit in it.
ImagePtr LoadSkinPart(const std::string& name, int x, int y, int w, int h);
/// Reports a missing skin file on standard error unless it was reported since the last LoadSkin.
void ReportMissing(const std::string& what, const std::string& path);
/// Forgets which files were reported (a new skin is being loaded).
void ClearMissingReports();

/// Empties the event queue and forgets the current event.
void ClearEvents();
/// Drops every drawing state saved by kiv_State::Push and not popped.
void ClearStateStack();

/// Size of one piece of the 3 x 3 nine-piece skins (15 x 15 pictures).
constexpr int PIECE = 5;
constexpr int CENTRE_PIECE = 4;

/// Draws a framed rectangle from a nine-piece picture (cells 0-8, row x 3 + column): corners at
/// their size, edges and centre stretched. Pieces that would get no area are skipped.
void DrawNinePiece(const ImagePtr& pieces, float x, float y, float w, float h);

}  // namespace kiv_local
