// The kiv_ GUI toolkit: the program-wide manager kiv_GUI (screens, panels, fonts, skin, cursor,
// active and mouse-over gadgets) and the module functions the game calls. Including this header
// gives the whole toolkit: screens, events, the drawing-state stack and every widget.
//
// Each frame of a menu: draw the background, SetBlend(ALPHABLEND), kiv_RefreshGUI(), then
// `while (kiv_PollEvent() != 0)` look at kiv_EventID() and kiv_EventSource().
#pragma once

#include <memory>
#include <string>

#include "gui/kiv_button.h"
#include "gui/kiv_event.h"
#include "gui/kiv_gadget.h"
#include "gui/kiv_label.h"
#include "gui/kiv_panel.h"
#include "gui/kiv_screen.h"
#include "gui/kiv_scrollbar.h"
#include "gui/kiv_state.h"
#include "gui/kiv_table.h"
#include "media/media.h"

/// A font registered under a name.
class kiv_TFont {
 public:
  FontPtr gFont;  ///< null when the file could not be loaded: text uses the built-in font
  std::string gName;
};

/// The manager. All of its state is program-wide; it has class functions only.
class kiv_GUI {
 public:
  kiv_GUI() = delete;

  static void RenderExtra();
  static void UpdateExtra();
  /// Appends to the manager's panel list (ignored for null).
  static void AddPanel(const std::shared_ptr<kiv_TPanel>& panel);
  /// The per-frame driver: draws the active screen (states of the previous frame), updates it
  /// (topmost first), draws the cursor; the drawing state is the same before and after.
  static void Refresh();
  static void DrawCursor();
  /// Skin folder: looked for in the working folder, then beside the executable. Reloads the
  /// pictures of every widget class and the cursors.
  static void LoadSkin(const std::string& path);
  static void LoadCursors();
  static void SetRes(int width, int height, int third);
  static int ScreenWidth();
  static int ScreenHeight();
  /// Makes `screen` active; null writes "What the fuck?" to standard output and changes nothing.
  static void SetScreen(const kiv_ScreenPtr& screen);
  static kiv_ScreenPtr ActiveScreen();
  /// First screen named `name` ignoring case; null for "" or no match.
  static kiv_ScreenPtr GetScreen(const std::string& name);
  static void AddScreen(const kiv_ScreenPtr& screen);
  static std::shared_ptr<kiv_TPanel> GetPanel(const std::string& name);
  /// Pop-up gadgets drawn above every screen.
  static void AddExtra(const kiv_GadgetPtr& gadget);
  /// True when no gadget holds the mouse button or `gadget` holds it.
  static bool ActiveGadget(const kiv_TGadget* gadget);
  static kiv_TGadget* GetActiveGadget();
  static void ClearActiveGadget();
  /// Makes `gadget` the one holding the button; the press it took is used up.
  static void SetActiveGadget(kiv_TGadget* gadget);
  /// Lets go of the gadget holding the button, if any: it becomes idle, and no release or event
  /// follows (its screen is being left).
  static void DropActiveGadget();
  /// The left button as a gadget not yet pressed sees it in this refresh: held, or pressed since
  /// the last refresh and not used yet (a press and release between two refreshes is seen as a
  /// press in one and a release in the next, so it is a click).
  static bool ButtonPressed();
  /// The left button as the pressed gadget sees it: still held, and not released and pressed
  /// again since the last refresh (the new press is then kept for the next refresh).
  static bool ButtonStillHeld();
  /// Records the first gadget under the mouse this frame and posts its "MouseOver" event.
  static void SetMouseOver(kiv_TGadget* gadget, int x, int y);
  static kiv_TGadget* GetMouseOver();
  static void SetFocusPanel(kiv_TGadget* panel);
  /// True when no focus panel is recorded this frame, or it is `panel` or `panel`'s parent.
  static bool FocusPanel(const kiv_TGadget* panel);
  /// Cursor for this frame: 0 normal, 1 mouse over, 2 mouse down.
  static void SetCursor(int index);
  static int GetCursor();
  static void SystemCursor(int flag);
  /// Loads skin folder + "/Fonts/" + file at `size` (smooth) under `name`; ignored for "".
  /// A missing file registers the name with the built-in font and says so on standard error.
  static void AddFont(const std::string& name, const std::string& file, int size);
  /// Font registered as `name` ignoring case; null for "" or no match.
  static FontPtr GetFont(const std::string& name);
  /// The skin folder as found (working folder or beside the executable).
  static std::string SkinPath();

  /// Forgets every screen, panel, extra gadget, font, event, saved drawing state and the skin: a
  /// fresh toolkit (tests, or a program that builds its GUI again).
  static void Reset();
};

// Module functions. Every creator returns null without creating anything for an empty name.
kiv_ScreenPtr kiv_CreateScreen(const std::string& name, const std::string& family);
kiv_PanelPtr kiv_CreatePanel(const std::string& name, int x, int y, int w, int h,
                             const kiv_GadgetPtr& parent);
kiv_ButtonPtr kiv_CreateButton(const std::string& name, const std::string& text, int x, int y,
                               int w, int h, const kiv_GadgetPtr& parent);
kiv_LabelPtr kiv_CreateLabel(const std::string& name, const std::string& text, int x, int y, int w,
                             int h, int xAlign, int yAlign, const kiv_GadgetPtr& parent);
kiv_TablePtr kiv_CreateTable(const std::string& name, int x, int y, int h,
                             const std::string& heading, int width, int itemHeight, int header,
                             const kiv_GadgetPtr& parent);
kiv_ScrollBarPtr kiv_CreateScrollBar(const std::string& name, int x, int y, int length, int align,
                                     int max, int range, const kiv_GadgetPtr& parent);
void kiv_RefreshGUI();
/// Activates the screen named `name` and posts "SetScreen" (no source, extra = that screen).
void kiv_SetScreen(const std::string& name);
void kiv_LoadSkin(const std::string& path);
void kiv_AddFont(const std::string& name, const std::string& file, int size);
void kiv_SetRes(int width, int height, int third);
void kiv_SystemCursor(int flag);
