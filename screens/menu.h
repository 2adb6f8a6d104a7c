// TMenu, the title screen: background, title picture, PLAY, the music and sound switches and the
// physics engine's credits line. Built once at start-up; Update draws and flips one frame.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/kiv_gui.h"
#include "media/media.h"

/// Keyboard and controller focus over the buttons of a menu: Up and Down (a controller's d-pad)
/// move it over the visible buttons, Enter (A) presses the focused one by queueing the action
/// a click posts, so every menu reacts to keys through its own event handling. The focused
/// caption is drawn large with a pointer beside it; nothing is focused until a key is used.
class TMenuFocus {
 public:
  /// `originX`, `originY`: the screen position of the buttons' panel.
  explicit TMenuFocus(float originX = 0, float originY = 0) : originX(originX), originY(originY) {}
  std::vector<kiv_ButtonPtr> items;  ///< in focus order
  int focused = -1;
  std::string restFont = "Default";  ///< the font a caption gets back when the focus leaves it

  /// Moves the focus by the arrow keys and presses the focused button on Enter. Call before the
  /// menu polls its events. True when a button was pressed.
  bool HandleKeys();
  /// Focuses `button` (shown by the next Draw).
  void Focus(const kiv_ButtonPtr& button);
  kiv_ButtonPtr Focused() const;
  /// The pointer beside the focused caption; its font `bigFont` (call after the events).
  void Draw(const char* bigFont = "Big") const;

 private:
  float originX = 0, originY = 0;
  void Move(int step);
};

/// Height of a button's caption in its font.
int TextHeightOf(const kiv_ButtonPtr& button);
/// Escape, or a controller's B: a menu's "back".
bool BackKeyHit();

class TMenu {
 public:
  /// Builds "Screen 1". The level selection must exist (PLAY links to its screen).
  TMenu();

  ImagePtr fon;
  kiv_ButtonPtr button1;   ///< PLAY
  kiv_ButtonPtr button6;   ///< music switch
  kiv_ButtonPtr button7;   ///< sound switch
  kiv_ButtonPtr button10;  ///< credits
  kiv_ScreenPtr screen1;

  /// The items below PLAY, in order, one MENU_ITEM_PITCH apart: a caption and what a press
  /// does. Another item goes in with AddItem (before "quit" to keep it last).
  struct TItem {
    kiv_ButtonPtr button;
    std::function<void()> action;
  };
  std::vector<TItem> items;
  kiv_PanelPtr panel;
  TMenuFocus focus;
  /// The question Escape asks: "Quit Brakkon?" with "quit" and "stay".
  kiv_LabelPtr quitQuestion;
  kiv_ButtonPtr quitYes, quitNo;
  bool askingToQuit = false;

  /// Adds an item at `index` of `items` (-1: at the end), laying the column out again.
  kiv_ButtonPtr AddItem(const std::string& caption, std::function<void()> action, int index = -1);
  /// One frame: draw, run the GUI, react to its events and keys, flip.
  void Update();

 private:
  void LayOutItems();
  void AskToQuit(bool ask);
  void RebuildFocus();
};

/// Top of the column of items below PLAY, and their pitch.
inline constexpr int MENU_ITEMS_Y = 290;
inline constexpr int MENU_ITEM_PITCH = 34;

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
