// TLevSelect, the level selection: the table of all levels with best shots and open/closed
// status, the selected level's thumbnail, two summary lines, "start" and "menu", and two hidden
// buttons the game presses from code to show the pause menu or the final win screen. The table
// is the live copy of the progress: the session writes into it and the loop stores its selection.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/kiv_gui.h"
#include "media/media.h"

struct TLevelCompletion;
struct TOwnLevel;

/// Plays a level of one's own (a file, a dropped file, one of "My levels", the editor's level
/// on trial) as "start" plays a numbered level; leaving it goes back to its returnState.
void PlayOwnLevel(const std::shared_ptr<const TOwnLevel>& level);

/// The rows of `table` after a win of `level` (1-based): its best shots, and the next row opened
/// when the win opened it.
void ShowLevelCompleted(kiv_TTable& table, int level, const TLevelCompletion& result);
/// Moves the selection of `table` one row down; returns the row selected before.
int SelectNextRow(kiv_TTable& table);

class TLevSelect {
 public:
  /// Builds "Screen 2" and fills the table from the progress document (which must be loaded).
  TLevSelect();

  ImagePtr fon;
  kiv_TablePtr table;
  kiv_LabelPtr label1;    ///< heading
  kiv_LabelPtr label2;    ///< total best shots
  kiv_LabelPtr label3;    ///< levels available
  kiv_ButtonPtr button2;  ///< "menu"
  kiv_ButtonPtr button1;  ///< "start"
  kiv_ScreenPtr screen2;
  kiv_PanelPtr panel2;
  int currentLine = 1;
  kiv_ButtonPtr button3;  ///< hidden: shows the pause menu
  kiv_ButtonPtr button5;  ///< hidden: shows the final win screen
  ImagePtr thumb_t;
  int levelBestShots = 0;    ///< best shots of the level last started
  int preparedRow = -1;      ///< the selected row whose level was last prepared
  int shownRow = -1;         ///< the row whose thumbnail and start button are shown
  std::string shownStatus;   ///< its status when they were chosen
  kiv_LabelPtr noticeLabel;  ///< a progress notice, shown once for a few seconds
  int noticeShown = 0;       ///< serial of the last progress notice shown
  int noticeFrames = 0;      ///< frames the notice stays up
  kiv_LabelPtr starsLabel;   ///< "stars: N of M"

  /// Fills the table again from the progress document (after a reset), selecting level 1.
  void ReloadFromProgress();
  kiv_TablePtr myTable;              ///< "My levels": the player's own levels and their best shots
  kiv_ButtonPtr myButton;            ///< switches between the numbered levels and "My levels"
  std::vector<std::string> myNames;  ///< the levels of myTable's rows
  int myShownRow = -2;               ///< the row of myTable whose thumbnail is shown

  /// Shows "My levels" (true) or the numbered levels; the list of one's levels is read anew.
  void ShowMyLevels(bool mine);
  bool ShowsMyLevels() const { return myTable && myTable->gHidden == 0; }
  /// Plays row `row` of "My levels"; a file that cannot be played is told in the notice.
  void StartMyLevel(int row);

  /// Recomputes the two summary lines; returns the total of best shots as text.
  std::string UpdateSumms();
  /// In place of the thumbnail of a level of one's own that has none.
  void DrawMissingThumbnail();
  /// Thumbnail of the selected row: the level's picture when `status` is "Open" (returns 1),
  /// else the closed-level picture (returns 0).
  int showThumb(const std::string& status);
  /// One frame: make "Screen 2" the active GUI screen if it is not, bring the thumbnail, the
  /// start button and the scrolled rows in step with the selected row when it or its status
  /// changed elsewhere (a win, the next-level button), draw, run the GUI, react to its events,
  /// flip.
  void Update();

 private:
  std::string SelectedStatus() const;
  void ShowStartFor(const std::string& status);
  /// Thumbnail and start button of the selected row, remembered as shown.
  void ShowSelected();
  /// Scrolls the table so that the selected row is in view, when it is not.
  void ScrollToSelected();
  /// Up, Down, Page Up, Page Down, Home and End move the selection; Enter starts, Escape goes
  /// to the main menu (by queueing the buttons' actions).
  void HandleKeys();
  /// Each visible row's stars, right of its level name (dimmed where a hint helped).
  void DrawRowStars() const;
};
