// TMenuGame, the pause menu drawn over a running level (resume, restart, select level, main menu,
// music and sound), and TWin, the final screen shown once when the last level is won.
#pragma once

#include "gui/kiv_gui.h"
#include "media/media.h"
#include "screens/menu.h"

class TMenuGame {
 public:
  /// Builds "Screen 3". The level selection and the main menu must exist (links).
  TMenuGame();

  kiv_ButtonPtr button1;  ///< resume game
  kiv_ButtonPtr button2;  ///< restart level
  kiv_ButtonPtr button3;  ///< main menu
  kiv_ButtonPtr button4;  ///< select level
  kiv_ButtonPtr button5;  ///< music switch
  kiv_ButtonPtr button6;  ///< sound switch
  kiv_LabelPtr label1;
  kiv_LabelPtr textLabel;  ///< never created
  kiv_ScreenPtr screen3;
  int show = 0;  ///< 1 while the pause menu is open over the game
  kiv_PanelPtr panel1;
  kiv_ButtonPtr settingsButton;  ///< "settings"
  TMenuFocus focus{250, 130};

  /// One frame of the open pause menu inside the session's frame (no clear, no flip).
  void Update();
};

class TWin {
 public:
  /// Builds "Screen 5".
  TWin();

  ImagePtr fon;
  kiv_ScreenPtr screen1;
  kiv_PanelPtr panel1;
  kiv_ButtonPtr button2;  ///< main menu
  kiv_LabelPtr label1;    ///< best-shots line, set by the session
  TMenuFocus focus;

  /// One full frame.
  void Update();
};

/// Gives the session what it reaches in the menus (pause state, level table, win screen).
void LinkSessionToScreens();
