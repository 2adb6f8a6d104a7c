// TEditor, the level editor screen: the level drawn as it will play, a tool bar, a palette of
// the body pictures, a panel of the level-wide settings, a list to open a level of one's own or
// a copy of a stored level, the check of the level and its report. Mouse and keyboard both work
// (the keys are listed in the README); input scripts drive it like any screen. Update draws and
// flips one frame.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_level.h"
#include "editor/level_check.h"
#include "gui/kiv_gui.h"
#include "media/media.h"

class TEditor {
 public:
  TEditor();
  ~TEditor();

  TEditorLevel edit;
  std::string name;  ///< the level's file name in the player's level folder, "" before saving
  kiv_ScreenPtr screen;

  /// One frame: input, draw, flip.
  void Update();

  /// Saves as `name` (the level, its thumbnail); false with the reason in the status line.
  bool Save();
  /// Opens the player's level `levelName`, or a copy of stored level `level` (when > 0).
  bool Open(const std::string& levelName);
  void OpenCopy(int level);
  /// Plays the level as it stands; Escape or a win comes back to this layout.
  void TestPlay();
  /// Saves, then checks the level in the background.
  void StartCheck();

  /// The status line (tests read it).
  const std::string& Status() const { return status; }
  TLevelCheck& Check() { return check; }

 private:
  enum class TPanel { NONE, BODIES, LEVEL, OPEN, REPORT };
  struct TButton {
    std::string text;
    int x, y, w, h;
  };

  void HandleInput();
  void HandleKeys();
  void HandleFieldMouse();
  bool HandleToolbar(int x, int y);
  bool HandlePanel(int x, int y, int button);
  void HandleNameKeys();
  /// Ends placing a picture; the palette comes back.
  void StopPlacing();
  void DrawLevel(bool withMarks);
  void DrawBody(const TBodyEntry& body, bool selected);
  void DrawToolbar();
  void DrawPanel();
  int PanelBottom() const;
  void DrawStatus();
  void SaveThumbnail();
  void SetStatus(const std::string& text) { status = text; }
  std::vector<TButton> ToolbarButtons() const;
  std::vector<std::string> LevelRows() const;
  void ChangeLevelRow(int row, int step);
  ImagePtr Picture(const std::string& folder, const std::string& file);
  std::pair<int, int> PictureSize(const std::string& name);

  std::map<std::string, ImagePtr> pictures;
  TPanel panel = TPanel::BODIES;
  int paletteScroll = 0;
  int openScroll = 0;
  std::string placing;  ///< picture being placed, "" for none
  bool dragging = false;
  float dragDX = 0, dragDY = 0;
  bool nameFocus = false;
  bool showPlan = false;
  std::string status;
  TLevelCheck check;
  bool thumbnailWanted = false;
  int lastWheel = 0;  ///< MouseZ when last read
};
