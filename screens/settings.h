// TSettingsScreen, the settings: music and sound volume, full screen, the power gauge, and
// resetting the progress (asked first). Opened from the main menu and the pause menu, it goes
// back to the screen it came from. Built once at start-up; Update draws and flips one frame.
#pragma once

#include "gui/kiv_gui.h"
#include "media/media.h"
#include "screens/menu.h"

class TSettingsScreen {
 public:
  /// Builds "Screen 6".
  TSettingsScreen();

  ImagePtr fon;
  kiv_ScreenPtr screen6;
  kiv_PanelPtr panel;
  kiv_LabelPtr heading;
  kiv_ButtonPtr musicVolume;  ///< "music volume"; Left/Right or the - and + buttons change it
  kiv_ButtonPtr musicLess, musicMore;
  kiv_ButtonPtr soundVolume;
  kiv_ButtonPtr soundLess, soundMore;
  kiv_ButtonPtr fullscreen;  ///< "full screen: on/off"
  kiv_ButtonPtr gauge;       ///< "power gauge: on/off"
  kiv_ButtonPtr reset;       ///< "reset progress"
  kiv_LabelPtr resetQuestion;
  kiv_ButtonPtr resetYes, resetNo;
  kiv_ButtonPtr back;
  TMenuFocus focus;
  bool askingToReset = false;
  int returnState = 0;  ///< the game state Back returns to

  /// Shows the screen; Back returns to `fromState` (the main menu, or play with the pause menu).
  void Open(int fromState);
  /// One frame: draw, run the GUI, react to its events and keys, flip.
  void Update();

 private:
  void RefreshCaptions();
  void ChangeVolume(int& volume, int step);
  void AskToReset(bool ask);
  void Close();
};

/// Steps of the volume settings, percent.
inline constexpr int VOLUME_STEP = 10;
