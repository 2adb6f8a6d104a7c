// TMenu, the title screen: background, title picture, PLAY, the music and sound switches and the
// physics engine's credits line. Built once at start-up; Update draws and flips one frame.
#pragma once

#include "gui/kiv_gui.h"
#include "media/media.h"

class TMenu {
 public:
  /// Builds "Screen 1". The level selection must exist (PLAY links to its screen).
  TMenu();

  ImagePtr fon;
  kiv_ButtonPtr button1;   ///< PLAY
  kiv_ButtonPtr button6;   ///< music switch
  kiv_ButtonPtr button7;   ///< sound switch
  kiv_ButtonPtr button10;  ///< credits
  kiv_ButtonPtr editorButton;
  kiv_ScreenPtr screen1;

  /// One frame: draw, run the GUI, react to its events, flip.
  void Update();
};

/// Web page of the physics engine, opened by the credits line.
inline constexpr const char* PHYSICS_ENGINE_ADDRESS = "https://box2d.org";

/// Shared by the main and the pause menu: flips a switch whose state its caption shows, puts the
/// new caption on both buttons, then flushes the mouse and applies the audio settings.
void ToggleAudioSwitch(int& flag, const char* name, const kiv_ButtonPtr& button,
                       const kiv_ButtonPtr& twin);

/// Makes `screen` the active GUI screen when it is not: each menu shows its own screen whatever
/// path led to its game state. A gadget still held on the screen left is let go without a
/// release (its press belonged to the screen left).
void ShowScreen(const kiv_ScreenPtr& screen);

/// A caption-only button in the menus' colour.
kiv_ButtonPtr MenuButton(const std::string& name, const std::string& text, int x, int y, int w,
                         int h, const kiv_GadgetPtr& parent);
/// Caption colour of every menu text.
inline constexpr int MENU_TEXT_R = 78, MENU_TEXT_G = 113, MENU_TEXT_B = 176;
