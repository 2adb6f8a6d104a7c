// The manager's program-wide state and the per-frame refresh, screens, fonts, skin folder and
// cursor, and the module functions the game calls.
#include "gui/kiv_gui.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <vector>

#include "gui/gui_local.h"

using namespace kiv_local;

namespace {

constexpr int CURSOR_COUNT = 3;
constexpr int CURSOR_POINTER_OFFSET = 5;  // the over / down cursors point 5 pixels further left

struct Manager {
  std::string skinPath;
  std::vector<kiv_ScreenPtr> screens;
  std::vector<kiv_PanelPtr> panels;
  std::vector<kiv_GadgetPtr> extras;
  std::vector<kiv_TFont> fonts;
  kiv_ScreenPtr activeScreen;
  kiv_TGadget* activeGadget = nullptr;
  kiv_TGadget* mouseOver = nullptr;
  kiv_TGadget* focusPanel = nullptr;
  int width = SCREEN_WIDTH;
  int height = SCREEN_HEIGHT;
  int third = 0;
  std::array<ImagePtr, CURSOR_COUNT> cursors;
  int cursor = 0;
  int systemCursor = 0;
  // Presses of the left button as the gadgets see them (see ButtonPressed).
  std::uint64_t pressesSeen = MousePresses(1);
  bool pressWaiting = false;   ///< a press since the last refresh, not taken by a gadget yet
  bool pressDeferred = false;  ///< it ended the pressed gadget's hold: it presses next refresh
};

// NOTE: the toolkit's state is never destroyed: its pictures and fonts must not be released
// during static destruction at exit, when the media layer's own state may already be gone.
Manager& M() {
  static Manager& manager = *new Manager;
  return manager;
}

/// The folder as given when it exists from the working folder, else beside the executable.
std::string FindSkinFolder(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (path.empty() || fs::path(path).is_absolute() || fs::is_directory(path, ec)) return path;
  std::string besideProgram = ExecutableFolder() + path;
  if (!ExecutableFolder().empty() && fs::is_directory(besideProgram, ec)) return besideProgram;
  std::cerr << "GUI skin: folder \"" << path << "\" found neither in the working folder nor beside"
            << " the program\n";
  return path;
}

}  // namespace

// [SECTION] Screens ------------------------------------------------------------------------------

void kiv_TScreen::Render() {
  for (std::size_t i = 0; i < gPanels.size(); ++i) gPanels[i]->Render(0, 0);
}

void kiv_TScreen::Update() {
  for (std::size_t i = gPanels.size(); i-- > 0;) gPanels[i]->Update(0, 0);
}

void kiv_TScreen::AddPanel(const std::shared_ptr<kiv_TPanel>& panel) {
  if (panel) gPanels.push_back(panel);
}

std::shared_ptr<kiv_TPanel> kiv_TScreen::GetPanel(const std::string& name) {
  if (name.empty()) return nullptr;
  for (const auto& panel : gPanels) {
    if (EqualsIgnoreCase(panel->gName, name)) return panel;
  }
  return nullptr;
}

kiv_ScreenPtr kiv_TScreen::Create(const std::string& name, const std::string& family) {
  if (name.empty()) return nullptr;
  auto screen = std::make_shared<kiv_TScreen>();
  screen->gName = name;
  screen->gFamily = family;
  kiv_GUI::AddScreen(screen);
  return screen;
}

// [SECTION] Manager ------------------------------------------------------------------------------

void kiv_GUI::RenderExtra() {
  for (std::size_t i = 0; i < M().extras.size(); ++i) M().extras[i]->Render(0, 0);
}

void kiv_GUI::UpdateExtra() {
  for (std::size_t i = M().extras.size(); i-- > 0;) M().extras[i]->Update(0, 0);
}

void kiv_GUI::AddPanel(const std::shared_ptr<kiv_TPanel>& panel) {
  if (panel) M().panels.push_back(panel);
}

void kiv_GUI::Refresh() {
  kiv_State::Push();
  // The game may leave a rotation or scale behind from drawing the level; widgets are upright.
  SetRotation(0);
  SetScale(1, 1);
  SetOrigin(0, 0);
  Manager& m = M();
  m.mouseOver = nullptr;
  m.focusPanel = nullptr;
  m.cursor = 0;
  // A press no gadget took is gone, unless it was kept back for this refresh.
  if (!m.pressDeferred) m.pressWaiting = false;
  m.pressDeferred = false;
  const std::uint64_t presses = MousePresses(1);
  if (presses != m.pressesSeen) {
    m.pressesSeen = presses;
    m.pressWaiting = true;
  }
  // Hold a reference: a release during the update may switch the active screen.
  const kiv_ScreenPtr screen = m.activeScreen;
  if (screen) screen->Render();
  RenderExtra();
  UpdateExtra();
  if (screen) screen->Update();
  DrawCursor();
  kiv_State::Pop();
}

void kiv_GUI::DrawCursor() {
  Manager& m = M();
  SetColor(255, 255, 255);
  SetAlpha(1.0f);
  int x = MouseX();
  const int y = MouseY();
  if (m.cursor != 0) x -= CURSOR_POINTER_OFFSET;
  if (m.systemCursor == 0 || m.cursor != 0 || m.third == 0) {
    HideMouse();
    const ImagePtr& picture = m.cursors[static_cast<std::size_t>(m.cursor)];
    if (picture) DrawImage(picture, static_cast<float>(x), static_cast<float>(y));
  } else {
    ShowMouse();
  }
}

void kiv_GUI::LoadSkin(const std::string& path) {
  M().skinPath = FindSkinFolder(path);
  ClearMissingReports();
  kiv_TPanel::RefreshSkin();
  kiv_TButton::RefreshSkin();
  kiv_TScrollBar::RefreshSkin();
  LoadCursors();
}

void kiv_GUI::LoadCursors() {
  M().cursors[0] = LoadSkinImage("/graphics/cursors/normal.png");
  M().cursors[1] = LoadSkinImage("/graphics/cursors/mouseover.png");
  M().cursors[2] = LoadSkinImage("/graphics/cursors/mousedown.png");
}

void kiv_GUI::SetRes(int width, int height, int third) {
  M().width = width;
  M().height = height;
  M().third = third;
}

int kiv_GUI::ScreenWidth() { return M().width; }
int kiv_GUI::ScreenHeight() { return M().height; }

void kiv_GUI::SetScreen(const kiv_ScreenPtr& screen) {
  if (!screen) {
    std::cout << "What the fuck?" << std::endl;
    return;
  }
  M().activeScreen = screen;
}

kiv_ScreenPtr kiv_GUI::ActiveScreen() { return M().activeScreen; }

kiv_ScreenPtr kiv_GUI::GetScreen(const std::string& name) {
  if (name.empty()) return nullptr;
  for (const auto& screen : M().screens) {
    if (EqualsIgnoreCase(screen->gName, name)) return screen;
  }
  return nullptr;
}

void kiv_GUI::AddScreen(const kiv_ScreenPtr& screen) {
  if (screen) M().screens.push_back(screen);
}

std::shared_ptr<kiv_TPanel> kiv_GUI::GetPanel(const std::string& name) {
  if (name.empty()) return nullptr;
  for (const auto& panel : M().panels) {
    if (EqualsIgnoreCase(panel->gName, name)) return panel;
  }
  return nullptr;
}

void kiv_GUI::AddExtra(const kiv_GadgetPtr& gadget) {
  if (gadget) M().extras.push_back(gadget);
}

bool kiv_GUI::ActiveGadget(const kiv_TGadget* gadget) {
  return M().activeGadget == nullptr || M().activeGadget == gadget;
}

kiv_TGadget* kiv_GUI::GetActiveGadget() { return M().activeGadget; }
void kiv_GUI::ClearActiveGadget() { M().activeGadget = nullptr; }
void kiv_GUI::SetActiveGadget(kiv_TGadget* gadget) {
  M().activeGadget = gadget;
  if (gadget != nullptr) M().pressWaiting = false;
}

void kiv_GUI::DropActiveGadget() {
  if (M().activeGadget != nullptr) M().activeGadget->gState = kiv_TGadget::IDLE_STATE;
  M().activeGadget = nullptr;
}

bool kiv_GUI::ButtonPressed() { return !M().pressDeferred && (M().pressWaiting || MouseDown(1)); }

bool kiv_GUI::ButtonStillHeld() {
  if (M().pressWaiting) {
    M().pressDeferred = true;
    return false;
  }
  return MouseDown(1);
}

void kiv_GUI::SetMouseOver(kiv_TGadget* gadget, int x, int y) {
  if (M().mouseOver != nullptr || gadget == nullptr) return;
  M().mouseOver = gadget;
  kiv_CreateEvent(EVENT_MOUSEOVER, gadget->weak_from_this().lock(), 0, x, y);
}

kiv_TGadget* kiv_GUI::GetMouseOver() { return M().mouseOver; }
void kiv_GUI::SetFocusPanel(kiv_TGadget* panel) { M().focusPanel = panel; }

bool kiv_GUI::FocusPanel(const kiv_TGadget* panel) {
  const kiv_TGadget* focus = M().focusPanel;
  return focus == nullptr || focus == panel || (panel != nullptr && focus == panel->gParent);
}

void kiv_GUI::SetCursor(int index) {
  if (index >= 0 && index < CURSOR_COUNT) M().cursor = index;
}

int kiv_GUI::GetCursor() { return M().cursor; }
void kiv_GUI::SystemCursor(int flag) { M().systemCursor = flag; }

void kiv_GUI::AddFont(const std::string& name, const std::string& file, int size) {
  if (name.empty()) return;
  const std::string path = M().skinPath + "/Fonts/" + file;
  kiv_TFont font;
  font.gName = name;
  font.gFont = LoadImageFont(path, size, SMOOTHFONT);
  if (!font.gFont) ReportMissing("font", path);
  M().fonts.push_back(font);
}

FontPtr kiv_GUI::GetFont(const std::string& name) {
  if (name.empty()) return nullptr;
  for (const kiv_TFont& font : M().fonts) {
    if (EqualsIgnoreCase(font.gName, name)) return font.gFont;
  }
  return nullptr;
}

std::string kiv_GUI::SkinPath() { return M().skinPath; }

void kiv_GUI::Reset() {
  M() = Manager{};
  ClearEvents();
  ClearStateStack();
  ClearMissingReports();
  kiv_TPanel::RefreshSkin();
  kiv_TButton::RefreshSkin();
  kiv_TScrollBar::RefreshSkin();
}

// [SECTION] Module functions ---------------------------------------------------------------------

kiv_ScreenPtr kiv_CreateScreen(const std::string& name, const std::string& family) {
  return kiv_TScreen::Create(name, family);
}

kiv_PanelPtr kiv_CreatePanel(const std::string& name, int x, int y, int w, int h,
                             const kiv_GadgetPtr& parent) {
  return kiv_TPanel::Create(name, x, y, w, h, parent);
}

kiv_ButtonPtr kiv_CreateButton(const std::string& name, const std::string& text, int x, int y,
                               int w, int h, const kiv_GadgetPtr& parent) {
  return kiv_TButton::Create(name, text, x, y, w, h, parent);
}

kiv_LabelPtr kiv_CreateLabel(const std::string& name, const std::string& text, int x, int y, int w,
                             int h, int xAlign, int yAlign, const kiv_GadgetPtr& parent) {
  return kiv_TLabel::Create(name, text, x, y, w, h, xAlign, yAlign, parent);
}

kiv_TablePtr kiv_CreateTable(const std::string& name, int x, int y, int h,
                             const std::string& heading, int width, int itemHeight, int header,
                             const kiv_GadgetPtr& parent) {
  return kiv_TTable::Create(name, x, y, h, heading, width, itemHeight, header, parent);
}

kiv_ScrollBarPtr kiv_CreateScrollBar(const std::string& name, int x, int y, int length, int align,
                                     int max, int range, const kiv_GadgetPtr& parent) {
  return kiv_TScrollBar::Create(name, x, y, length, align, max, range, parent);
}

void kiv_RefreshGUI() { kiv_GUI::Refresh(); }

void kiv_SetScreen(const std::string& name) {
  const kiv_ScreenPtr screen = kiv_GUI::GetScreen(name);
  kiv_GUI::SetScreen(screen);
  kiv_CreateEvent(EVENT_SETSCREEN, nullptr, 0, 0, 0, screen);
}

void kiv_LoadSkin(const std::string& path) { kiv_GUI::LoadSkin(path); }
void kiv_AddFont(const std::string& name, const std::string& file, int size) {
  kiv_GUI::AddFont(name, file, size);
}
void kiv_SetRes(int width, int height, int third) { kiv_GUI::SetRes(width, height, third); }
void kiv_SystemCursor(int flag) { kiv_GUI::SystemCursor(flag); }
