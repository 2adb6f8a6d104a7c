// The level editor screen. Drawn in immediate style over the level: a tool bar at the top, a
// panel at the right (palette, level settings, the list to open, the check's report) and a
// status line at the bottom; everything else of the screen is the level.
//
// Index: layout, construction, saving and opening, input, drawing.
#include "editor/editor.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "game/game.h"
#include "game/user_levels.h"
#include "screens/lev_select.h"
#include "screens/menu.h"
#include "state/globals.h"
#include "xml/xml_document.h"

namespace {

// [SECTION] Layout ------------------------------------------------------------------------------

constexpr int BAR_HEIGHT = 24;
constexpr int STATUS_Y = SCREEN_HEIGHT - 22;
constexpr int PANEL_X = 560;
constexpr int PANEL_W = SCREEN_WIDTH - PANEL_X;
constexpr int PANEL_TOP = BAR_HEIGHT + 2;
constexpr int PANEL_BOTTOM = STATUS_Y - 2;
constexpr int CELL = 58;
constexpr int PALETTE_COLUMNS = 4;
constexpr int ROW_HEIGHT = 22;
constexpr int NAME_X = 640;
constexpr float ROTATE_STEP = 15;
constexpr float SCALE_STEP = 1.1f;
constexpr float SLIDE_STEP = 0.05f;
constexpr float TURN_STEP = 0.5f;
constexpr int GRIDS[] = {0, 4, 8, 16, 32};
constexpr int STORED_LEVEL_ROWS = DEFAULT_LEVEL_COUNT;
constexpr float PLAN_MARK = 6;
constexpr int REPORT_HEIGHT = 14 * ROW_HEIGHT;

bool Inside(int x, int y, int bx, int by, int bw, int bh) {
  return x >= bx && x < bx + bw && y >= by && y < by + bh;
}

template <typename T>
T Cycle(const std::vector<T>& values, const T& current, int step) {
  if (values.empty()) return current;
  auto at = std::find(values.begin(), values.end(), current);
  const int n = static_cast<int>(values.size());
  int i = at == values.end() ? (step > 0 ? -1 : 0) : static_cast<int>(at - values.begin());
  i = ((i + step) % n + n) % n;
  return values[static_cast<std::size_t>(i)];
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::string Number(float v) { return LevelNumberText(std::round(v * 100) / 100); }

void DrawPanelBox(int x, int y, int w, int h, float alpha = 0.78f) {
  SetBlend(ALPHABLEND);
  SetColor(20, 28, 44);
  SetAlpha(alpha);
  DrawRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w),
           static_cast<float>(h));
  SetAlpha(1);
}

void DrawFrame(float x, float y, float w, float h) {
  DrawLine(x, y, x + w, y);
  DrawLine(x + w, y, x + w, y + h);
  DrawLine(x + w, y + h, x, y + h);
  DrawLine(x, y + h, x, y);
}

void Text(const std::string& text, int x, int y) {
  DrawText(text, static_cast<float>(x), static_cast<float>(y));
}

}  // namespace

// [SECTION] Construction -------------------------------------------------------------------------

TEditor::TEditor() : edit([this](const std::string& picture) { return PictureSize(picture); }) {
  screen = kiv_CreateScreen("Screen Editor", "");
  kiv_PanelPtr empty = kiv_CreatePanel("panel editor", 0, 0, 1, 1, nullptr);
  empty->BackgroundOff();
  empty->BorderOff();
  screen->AddPanel(empty);
  SetStatus("New level: pick a body on the right, click to place it. F5 tries it, F6 checks it.");
}

TEditor::~TEditor() { check.Cancel(); }

ImagePtr TEditor::Picture(const std::string& folder, const std::string& file) {
  const std::string path = folder + file;
  auto found = pictures.find(path);
  if (found != pictures.end()) return found->second;
  ImagePtr image = IsEmbeddedAsset(path) ? LoadImage(path, FILTEREDIMAGE) : nullptr;
  if (folder != "fones/") MidHandleImage(image);  // a background is drawn from its corner
  pictures[path] = image;
  return image;
}

std::pair<int, int> TEditor::PictureSize(const std::string& picture) {
  const ImagePtr image = Picture("bodies_pic/", picture);
  return {ImageWidth(image), ImageHeight(image)};
}

// [SECTION] Saving, opening, trying and checking --------------------------------------------------

bool TEditor::Save() {
  if (!IsLevelName(name)) {
    SetStatus(
        "Give the level a name first (click the name at the top right; letters, digits, - "
        "and _).");
    nameFocus = true;
    return false;
  }
  std::string error;
  if (!MakeUserLevelFolder(error) || !SaveLevelFile(UserLevelPath(name), edit.Level(), error)) {
    SetStatus(error);
    return false;
  }
  edit.MarkSaved();
  thumbnailWanted = true;  // drawn with the next frame's level, before the tool bar
  SetStatus("Saved as " + UserLevelPath(name));
  return true;
}

bool TEditor::Open(const std::string& levelName) {
  const TUserLevel read = ReadUserLevel(UserLevelPath(levelName));
  if (!read.level) {
    SetStatus("Cannot open " + levelName + ": " + read.problem);
    return false;
  }
  edit.Reset(*read.level);
  name = levelName;
  showPlan = false;
  SetStatus("Opened " + UserLevelPath(levelName) +
            (read.notes.empty() ? "" : " (" + read.notes.front() + ")"));
  return true;
}

void TEditor::OpenCopy(int level) {
  TLevelFile copy = LoadLevelFile(LevelAssetPath(level));
  edit.Reset(copy);
  name = "copy-of-level" + std::to_string(level);
  showPlan = false;
  SetStatus("A copy of level " + std::to_string(level) + "; it is saved as " + name +
            " unless renamed.");
}

void TEditor::TestPlay() {
  auto own = std::make_shared<TOwnLevel>();
  own->name = edit.IsModified() ? "" : name;  // a best counts for the level as it is saved
  own->path = name.empty() ? "" : UserLevelPath(name);
  own->level = std::make_shared<TLevelFile>(edit.Level());
  own->returnState = STATE_EDITOR;
  dragging = false;
  edit.EndDrag();
  PlayOwnLevel(own);
}

void TEditor::StartCheck() {
  if (!Save()) return;
  std::string error;
  if (!check.Start(UserLevelPath(name), UserPlanPath(name), error)) {
    SetStatus("The check could not start: " + error);
    return;
  }
  panel = TPanel::REPORT;
  SetStatus("Checking " + name + " in the background; go on editing.");
}

// [SECTION] Input --------------------------------------------------------------------------------

std::vector<TEditor::TButton> TEditor::ToolbarButtons() const {
  std::vector<TButton> buttons;
  int x = 4;
  for (const char* text :
       {"new", "open", "save", "try", "check", "undo", "redo", "grid", "bodies", "level", "menu"}) {
    std::string caption = text;
    if (caption == "grid") caption = "grid " + std::to_string(edit.Grid());
    const int w = TextWidth(caption) + 12;
    buttons.push_back(TButton{caption, x, 2, w, BAR_HEIGHT - 4});
    x += w + 3;
  }
  return buttons;
}

bool TEditor::HandleToolbar(int x, int y) {
  if (y >= BAR_HEIGHT) return false;
  nameFocus = Inside(x, y, NAME_X, 0, SCREEN_WIDTH - NAME_X, BAR_HEIGHT);
  for (const TButton& b : ToolbarButtons()) {
    if (!Inside(x, y, b.x, b.y, b.w, b.h)) continue;
    const std::string& t = b.text;
    if (t == "new") {
      edit.Reset(NewEditorLevel());
      name.clear();
      showPlan = false;
      SetStatus("New level.");
    } else if (t == "open") {
      panel = panel == TPanel::OPEN ? TPanel::NONE : TPanel::OPEN;
    } else if (t == "save") {
      Save();
    } else if (t == "try") {
      TestPlay();
    } else if (t == "check") {
      StartCheck();
    } else if (t == "undo") {
      edit.Undo();
    } else if (t == "redo") {
      edit.Redo();
    } else if (t.starts_with("grid")) {
      edit.SetGrid(Cycle(std::vector<int>(std::begin(GRIDS), std::end(GRIDS)), edit.Grid(), 1));
    } else if (t == "bodies") {
      panel = panel == TPanel::BODIES ? TPanel::NONE : TPanel::BODIES;
    } else if (t == "level") {
      panel = panel == TPanel::LEVEL ? TPanel::NONE : TPanel::LEVEL;
    } else if (t == "menu") {
      gameState = STATE_MAIN_MENU;
    }
  }
  return true;
}

std::vector<std::string> TEditor::LevelRows() const {
  const TLevelFile& l = edit.Level();
  const auto creature = [](bool on) { return OnOff(on); };
  std::string decorations = std::to_string(l.pics.size());
  return {
      "gravity: " + (l.gravity.empty() ? std::string("down") : l.gravity),
      "background: " + (l.fon.empty() ? std::string("none") : l.fon),
      "weather: " + (l.weather.empty() ? std::string("none") : l.weather),
      "thunder: " + OnOff(l.thunder == "true"),
      "ragdolls at once: " + std::to_string(l.limitRagdoll),
      "portals: " + OnOff(l.hasPortals),
      "portal in at selected body",
      "portal out at selected body",
      "crow: " + creature(l.crow > 0),
      "mouse: " + creature(l.mouse > 0),
      "spider: " + creature(l.spiderX > 0),
      "sun: " + creature(l.sunX > 0),
      "snowman: " + creature(l.snowmanX > 0),
      "clouds: " + std::to_string(l.clouds.size()) + " (click adds)",
      "decorations: " + decorations + " (click adds)",
      "remove last decoration",
      "cannon sound: " + std::to_string(l.shot + 1),
  };
}

void TEditor::ChangeLevelRow(int row, int step) {
  const TBodyEntry* body = edit.SelectedBody();
  const float bx = body ? body->x : 400, by = body ? body->y : 300;
  edit.Change([&](TLevelFile& l) {
    switch (row) {
      case 0: l.gravity = Cycle<std::string>({"", "up", "left", "right"}, l.gravity, step); break;
      case 1: l.fon = Cycle(BackgroundNames(), l.fon, step); break;
      case 2:
        l.weather = Cycle<std::string>({"", "snow", "rain1", "rain2", "stars"}, l.weather, step);
        break;
      case 3: l.thunder = l.thunder == "true" ? "" : "true"; break;
      case 4: l.limitRagdoll = std::clamp(l.limitRagdoll + step, 0, MAX_LEVEL_RAGDOLLS); break;
      case 5:
        l.hasPortals = !l.hasPortals;
        if (l.hasPortals && l.portals.xIn == 0 && l.portals.xOut == 0)
          l.portals = TPortalEntry{40, 30, 0, 60, 30, 0, 0, 0};
        break;
      case 6:
        l.hasPortals = true;
        l.portals.xIn = bx / PIXELS_PER_UNIT;
        l.portals.yIn = by / PIXELS_PER_UNIT;
        break;
      case 7:
        l.hasPortals = true;
        l.portals.xOut = bx / PIXELS_PER_UNIT;
        l.portals.yOut = by / PIXELS_PER_UNIT;
        break;
      case 8: l.crow = l.crow > 0 ? 0 : 95; break;
      case 9: l.mouse = l.mouse > 0 ? 0 : 565; break;
      case 10:
        l.spiderX = l.spiderX > 0 ? 0 : 700;
        l.spiderY = 200;
        break;
      case 11:
        l.sunX = l.sunX > 0 ? 0 : 600;
        l.sunY = 150;
        break;
      case 12:
        l.snowmanX = l.snowmanX > 0 ? 0 : 330;
        l.snowmanY = 525;
        l.snowmanTyp = "H";
        break;
      case 13:
        if (step > 0 && l.clouds.size() < static_cast<std::size_t>(MAX_LEVEL_CLOUDS)) {
          l.clouds.push_back(
              TCloudEntry{CloudPictureNames()[l.clouds.size() % CloudPictureNames().size()],
                          static_cast<float>(150 + 180 * (l.clouds.size() % 4)), 90, 0.4f, "left"});
        } else if (step < 0 && !l.clouds.empty()) {
          l.clouds.pop_back();
        }
        break;
      case 14:
        if (step > 0 && l.pics.size() < static_cast<std::size_t>(MAX_LEVEL_DECORATIONS)) {
          const std::string pic =
              DecorationPictureNames()[l.pics.size() % DecorationPictureNames().size()];
          l.pics.push_back(TPicEntry{pic, bx, by - 60, 0});
        } else if (step < 0 && !l.pics.empty()) {
          // Cycles the last decoration's picture backwards.
          l.pics.back().name = Cycle(DecorationPictureNames(), l.pics.back().name, -1);
        }
        break;
      case 15:
        if (!l.pics.empty()) l.pics.pop_back();
        break;
      case 16: l.shot = ((l.shot + step) % 8 + 8) % 8; break;
      default: break;
    }
  });
}

bool TEditor::HandlePanel(int x, int y, int button) {
  if (panel == TPanel::NONE ||
      !Inside(x, y, PANEL_X, PANEL_TOP, PANEL_W, PanelBottom() - PANEL_TOP))
    return false;
  const int step = button == 2 ? -1 : 1;
  if (panel == TPanel::BODIES) {
    const int column = (x - PANEL_X - 6) / CELL;
    const int row = (y - PANEL_TOP - 4) / CELL + paletteScroll;
    const int index = row * PALETTE_COLUMNS + column;
    if (column >= 0 && column < PALETTE_COLUMNS && index >= 0 &&
        index < static_cast<int>(BodyPictureNames().size())) {
      placing = BodyPictureNames()[static_cast<std::size_t>(index)];
      panel = TPanel::NONE;  // the whole level to place it in; back after placing
      SetStatus("Click in the level to place " + placing +
                " (with Shift: more of them); right click or Escape stops.");
    }
  } else if (panel == TPanel::LEVEL) {
    const int row = (y - PANEL_TOP - 4) / ROW_HEIGHT;
    if (row >= 0 && row < static_cast<int>(LevelRows().size())) ChangeLevelRow(row, step);
  } else if (panel == TPanel::OPEN) {
    const std::vector<std::string> names = UserLevelNames();
    const int row = (y - PANEL_TOP - 4) / ROW_HEIGHT + openScroll;
    if (row >= 0 && row < static_cast<int>(names.size())) {
      Open(names[static_cast<std::size_t>(row)]);
      panel = TPanel::BODIES;
    } else if (row >= static_cast<int>(names.size()) &&
               row < static_cast<int>(names.size()) + STORED_LEVEL_ROWS) {
      OpenCopy(row - static_cast<int>(names.size()) + 1);
      panel = TPanel::BODIES;
    }
  } else if (panel == TPanel::REPORT) {
    if (y > PanelBottom() - 2 * ROW_HEIGHT) {
      if (x < PANEL_X + PANEL_W / 2)
        showPlan = !showPlan;
      else
        panel = TPanel::BODIES;
    }
  }
  return true;
}

void TEditor::StopPlacing() {
  if (placing.empty()) return;
  placing.clear();
  if (panel == TPanel::NONE) panel = TPanel::BODIES;
}

void TEditor::HandleFieldMouse() {
  const int x = MouseX(), y = MouseY();
  const int pressed = MouseHit(1);
  const int right = MouseHit(2);
  const int wheel = MouseZ();
  const int turned = wheel - lastWheel;
  lastWheel = wheel;
  if (pressed > 0 || right > 0) {
    const int button = pressed > 0 ? 1 : 2;
    if (HandleToolbar(x, y) || HandlePanel(x, y, button)) return;
    // The status line is only drawn over the level: a click on it reaches the floor and what
    // stands on it.
    if (button == 2) {
      StopPlacing();
      return;
    }
    if (!placing.empty()) {
      if (!edit.Add(NewBodyEntry(placing, static_cast<float>(x), static_cast<float>(y))))
        SetStatus("The level holds as many bodies as a level may.");
      if (!KeyDown(KEY_SHIFT)) StopPlacing();
      return;
    }
    edit.Select(edit.BodyAt(static_cast<float>(x), static_cast<float>(y)));
    if (const TBodyEntry* body = edit.SelectedBody()) {
      dragging = true;
      dragDX = body->x - static_cast<float>(x);
      dragDY = body->y - static_cast<float>(y);
      edit.BeginDrag();
    }
    return;
  }
  if (dragging && MouseDown(1)) {
    edit.MoveTo(static_cast<float>(x) + dragDX, static_cast<float>(y) + dragDY);
  } else if (dragging) {
    dragging = false;
    edit.EndDrag();
  }
  if (turned != 0) {
    if (panel == TPanel::BODIES && x >= PANEL_X) {
      const int rows =
          (static_cast<int>(BodyPictureNames().size()) + PALETTE_COLUMNS - 1) / PALETTE_COLUMNS;
      paletteScroll = std::clamp(paletteScroll - turned, 0, std::max(0, rows - 8));
    } else if (panel == TPanel::OPEN && x >= PANEL_X) {
      openScroll = std::clamp(openScroll - turned * 3, 0,
                              static_cast<int>(UserLevelNames().size()) + STORED_LEVEL_ROWS - 1);
    } else if (KeyDown(KEY_SHIFT)) {
      edit.Scale(turned > 0 ? SCALE_STEP : 1 / SCALE_STEP);
    } else {
      edit.Rotate(ROTATE_STEP * static_cast<float>(turned));
    }
  }
}

void TEditor::HandleNameKeys() {
  const bool shift = KeyDown(KEY_SHIFT);
  for (int key = KEY_A; key < KEY_A + 26; ++key) {
    if (KeyHit(key) > 0 && name.size() < MAX_LEVEL_NAME)
      name += static_cast<char>((shift ? 'A' : 'a') + (key - KEY_A));
  }
  for (int key = KEY_0; key < KEY_0 + 10; ++key) {
    if (KeyHit(key) > 0 && name.size() < MAX_LEVEL_NAME)
      name += static_cast<char>('0' + key - KEY_0);
  }
  if (KeyHit(KEY_MINUS) > 0 && name.size() < MAX_LEVEL_NAME) name += shift ? '_' : '-';
  if (KeyHit(KEY_BACKSPACE) > 0 && !name.empty()) name.pop_back();
  if (KeyHit(KEY_ENTER) > 0 || KeyHit(KEY_ESCAPE) > 0) nameFocus = false;
}

void TEditor::HandleKeys() {
  if (nameFocus) {
    HandleNameKeys();
    return;
  }
  const bool ctrl = KeyDown(KEY_CONTROL);
  const bool shift = KeyDown(KEY_SHIFT);
  const float step = shift ? 1.0f : static_cast<float>(std::max(edit.Grid(), 1));
  if (KeyHit(KEY_ESCAPE) > 0) {
    if (!placing.empty())
      StopPlacing();
    else if (panel != TPanel::NONE && panel != TPanel::BODIES)
      panel = TPanel::BODIES;
    else
      gameState = STATE_MAIN_MENU;
  }
  if (ctrl && KeyHit(KEY_A + ('Z' - 'A')) > 0) edit.Undo();
  if (ctrl && KeyHit(KEY_A + ('Y' - 'A')) > 0) edit.Redo();
  if (ctrl && KeyHit(KEY_S) > 0) Save();
  if (ctrl && KeyHit(KEY_A + ('D' - 'A')) > 0) edit.Duplicate();
  if (ctrl && KeyHit(KEY_A + ('N' - 'A')) > 0) {
    edit.Reset(NewEditorLevel());
    name.clear();
  }
  if (KeyHit(KEY_F5) > 0) TestPlay();
  if (KeyHit(KEY_F6) > 0) StartCheck();
  if (KeyHit(KEY_TAB) > 0) panel = panel == TPanel::BODIES ? TPanel::LEVEL : TPanel::BODIES;
  if (ctrl) {
    // The letters below are the plain keys' only. NOTE: FlushKeys would also let go of Ctrl.
    for (int key = 1; key < KEY_COUNT; ++key) KeyHit(key);
    return;
  }
  if (KeyHit(KEY_DELETE) > 0 || KeyHit(KEY_BACKSPACE) > 0) edit.Delete();
  if (KeyHit(KEY_LEFT) > 0) edit.MoveBy(-step, 0);
  if (KeyHit(KEY_RIGHT) > 0) edit.MoveBy(step, 0);
  if (KeyHit(KEY_UP) > 0) edit.MoveBy(0, -step);
  if (KeyHit(KEY_DOWN) > 0) edit.MoveBy(0, step);
  const auto letter = [](char c) { return KeyHit(KEY_A + (c - 'A')) > 0; };
  if (letter('Q')) edit.Rotate(shift ? 1 : ROTATE_STEP);
  if (letter('E')) edit.Rotate(shift ? -1 : -ROTATE_STEP);
  if (KeyHit(KEY_EQUALS) > 0) edit.Scale(SCALE_STEP, !shift);
  if (KeyHit(KEY_MINUS) > 0) edit.Scale(1 / SCALE_STEP, !shift);
  if (letter('D')) edit.Duplicate();
  if (letter('S')) edit.ToggleDynamic();
  if (letter('T')) edit.ToggleTarget();
  if (letter('M')) edit.NextMaterial();
  if (letter('C')) edit.ToggleShape();
  if (letter('L')) edit.ChangeLinks(shift ? -1 : 1);
  if (letter('K')) edit.ToggleChainDirection();
  if (letter('N')) edit.NextChainEnd();
  if (letter('V')) edit.NextSlide();
  if (letter('B')) edit.ChangeSlideSpeed(shift ? -SLIDE_STEP : SLIDE_STEP);
  if (letter('R')) edit.ChangeTurning(shift ? -TURN_STEP : TURN_STEP);
  if (letter('G'))
    edit.SetGrid(Cycle(std::vector<int>(std::begin(GRIDS), std::end(GRIDS)), edit.Grid(), 1));
}

void TEditor::HandleInput() {
  HandleFieldMouse();
  HandleKeys();
}

// [SECTION] Drawing ------------------------------------------------------------------------------

void TEditor::DrawBody(const TBodyEntry& b, bool selected) {
  const ImagePtr picture = Picture("bodies_pic/", b.name);
  const float w = static_cast<float>(ImageWidth(picture)) * b.scaleX;
  const float h = static_cast<float>(ImageHeight(picture)) * b.scaleY;
  SetColor(255, 255, 255);
  if (b.shape == "l") {
    const bool down = b.direct != "right";
    const int links = std::clamp(b.countLinks, 0, MAX_CHAIN_LINKS);
    SetScale(b.scaleX, b.scaleY);
    // The anchor and link 0 lie on one spot, each further link half a link on.
    for (int k = 0; k < std::max(links, 1); ++k) {
      const float offset = static_cast<float>(k) * (down ? h : w) / 2;
      DrawImage(picture, b.x + (down ? 0 : offset), b.y + (down ? offset : 0), 0);
    }
    SetScale(1, 1);
    if (!b.lastLink.empty()) {
      const float offset = static_cast<float>(links + 1) * (down ? h : w) / 2;
      DrawImage(Picture("bodies_pic/", b.lastLink), b.x + (down ? 0 : offset),
                b.y + (down ? offset : 0), 0);
    }
  } else {
    SetScale(b.scaleX, b.scaleY);
    SetRotation(-b.angle);
    DrawImage(picture, b.x, b.y, 0);
    SetRotation(0);
    SetScale(1, 1);
  }
  // Marks: target, slider, turning, dynamic; the selection.
  const double a = -b.angle * PI_DOUBLE / 180;
  const auto corner = [&](float u, float v) {
    return std::pair{b.x + static_cast<float>(u * std::cos(a) - v * std::sin(a)),
                     b.y + static_cast<float>(u * std::sin(a) + v * std::cos(a))};
  };
  const auto outline = [&] {
    const auto p1 = corner(-w / 2, -h / 2), p2 = corner(w / 2, -h / 2), p3 = corner(w / 2, h / 2),
               p4 = corner(-w / 2, h / 2);
    DrawLine(p1.first, p1.second, p2.first, p2.second);
    DrawLine(p2.first, p2.second, p3.first, p3.second);
    DrawLine(p3.first, p3.second, p4.first, p4.second);
    DrawLine(p4.first, p4.second, p1.first, p1.second);
  };
  if (b.target) {
    SetColor(255, 60, 60);
    outline();
  }
  if (!b.move.empty()) {
    SetColor(80, 200, 255);
    const float dx = b.move == "left" ? -1.0f : b.move == "right" ? 1.0f : 0.0f;
    const float dy = b.move == "up" ? -1.0f : b.move == "down" ? 1.0f : 0.0f;
    DrawLine(b.x, b.y, b.x + dx * 40, b.y + dy * 40);
    DrawOval(b.x + dx * 40 - 3, b.y + dy * 40 - 3, 6, 6);
  }
  if (b.rotatingSpeed != 0) {
    SetColor(255, 200, 60);
    Text("turns " + Number(b.rotatingSpeed), static_cast<int>(b.x) - 20, static_cast<int>(b.y));
  }
  if (selected) {
    SetColor(255, 240, 0);
    outline();
  }
  SetColor(255, 255, 255);
}

void TEditor::DrawLevel(bool withMarks) {
  const TLevelFile& l = edit.Level();
  Cls();
  SetBlend(ALPHABLEND);
  SetColor(255, 255, 255);
  SetAlpha(1);
  if (!l.fon.empty()) DrawImage(Picture("fones/", l.fon), 0, 0, 0);
  for (const TPicEntry& pic : l.pics) {
    SetRotation(pic.angle);
    DrawImage(Picture("levels_pic/", pic.name), pic.x, pic.y, 0);
    SetRotation(0);
  }
  for (const TCloudEntry& cloud : l.clouds)
    DrawImage(Picture("levels_pic/", cloud.name), cloud.x, cloud.y, 0);
  DrawImage(shared.bracket, CANNON_PIVOT_X, CANNON_PIVOT_Y, 0);
  DrawImage(shared.cannon, 49, 557, 0);
  for (std::size_t i = 0; i < l.bodies.size(); ++i)
    DrawBody(l.bodies[i], withMarks && static_cast<int>(i) == edit.Selected());
  if (l.hasPortals) {
    SetRotation(l.portals.angleIn);
    DrawImage(shared.portal, l.portals.xIn * PIXELS_PER_UNIT, l.portals.yIn * PIXELS_PER_UNIT, 0);
    SetRotation(l.portals.angleOut);
    DrawImage(shared.portal, l.portals.xOut * PIXELS_PER_UNIT, l.portals.yOut * PIXELS_PER_UNIT,
              15);
    SetRotation(0);
  }
  if (!withMarks) return;
  SetColor(230, 230, 255);
  if (l.hasPortals) {
    Text("in", static_cast<int>(l.portals.xIn * PIXELS_PER_UNIT) - 6,
         static_cast<int>(l.portals.yIn * PIXELS_PER_UNIT) - 50);
    Text("out", static_cast<int>(l.portals.xOut * PIXELS_PER_UNIT) - 10,
         static_cast<int>(l.portals.yOut * PIXELS_PER_UNIT) - 50);
  }
  if (l.crow > 0) Text("crow", 380, l.crow);
  if (l.mouse > 0) Text("mouse", 380, l.mouse);
  if (l.spiderX > 0) Text("spider", l.spiderX, l.spiderY);
  if (l.sunX > 0) Text("sun", static_cast<int>(l.sunX), static_cast<int>(l.sunY));
  if (l.snowmanX > 0) Text("snowman", l.snowmanX, l.snowmanY);
  if (edit.Grid() >= 8 && !placing.empty()) {
    SetAlpha(0.15f);
    for (int x = 0; x < SCREEN_WIDTH; x += edit.Grid() * 4)
      DrawLine(static_cast<float>(x), BAR_HEIGHT, static_cast<float>(x), SCREEN_HEIGHT);
    for (int y = 0; y < SCREEN_HEIGHT; y += edit.Grid() * 4)
      DrawLine(0, static_cast<float>(y), SCREEN_WIDTH, static_cast<float>(y));
    SetAlpha(1);
  }
  if (showPlan) {
    const TCheckReport& r = check.Report();
    SetColor(255, 80, 200);
    for (std::size_t i = 0; i < r.plan.size(); ++i) {
      const TShot& s = r.plan[i];
      DrawLine(CANNON_PIVOT_X, CANNON_PIVOT_Y, static_cast<float>(s.x), static_cast<float>(s.y));
      DrawFrame(static_cast<float>(s.x) - PLAN_MARK, static_cast<float>(s.y) - PLAN_MARK,
                2 * PLAN_MARK, 2 * PLAN_MARK);
      Text("shot " + std::to_string(i + 1) + " at frame " + std::to_string(s.frame), s.x + 10,
           s.y - 8);
    }
  }
  SetColor(255, 255, 255);
}

void TEditor::DrawToolbar() {
  DrawPanelBox(0, 0, SCREEN_WIDTH, BAR_HEIGHT);
  const int mx = MouseX(), my = MouseY();
  for (const TButton& b : ToolbarButtons()) {
    const bool over = Inside(mx, my, b.x, b.y, b.w, b.h);
    const bool off = (b.text == "undo" && !edit.CanUndo()) || (b.text == "redo" && !edit.CanRedo());
    SetColor(over ? 90 : 50, over ? 120 : 70, over ? 180 : 110);
    DrawRect(static_cast<float>(b.x), static_cast<float>(b.y), static_cast<float>(b.w),
             static_cast<float>(b.h));
    if (off)
      SetColor(140, 140, 150);
    else
      SetColor(255, 255, 255);
    Text(b.text, b.x + 6, b.y + 2);
  }
  SetColor(nameFocus ? 255 : 200, nameFocus ? 240 : 220, nameFocus ? 120 : 255);
  const std::string shown = "name: " + (name.empty() && !nameFocus ? std::string("(none)") : name) +
                            (nameFocus && (FrameCount() / 20) % 2 == 0 ? "_" : "") +
                            (edit.IsModified() ? " *" : "");
  Text(shown, NAME_X, 4);
  SetColor(255, 255, 255);
}

int TEditor::PanelBottom() const {
  // The report needs a few lines: the level stays in view below it.
  return panel == TPanel::REPORT ? PANEL_TOP + REPORT_HEIGHT : PANEL_BOTTOM;
}

void TEditor::DrawPanel() {
  if (panel == TPanel::NONE) return;
  DrawPanelBox(PANEL_X, PANEL_TOP, PANEL_W, PanelBottom() - PANEL_TOP);
  SetColor(255, 255, 255);
  if (panel == TPanel::BODIES) {
    const std::vector<std::string>& names = BodyPictureNames();
    const int first = paletteScroll * PALETTE_COLUMNS;
    for (int i = first; i < static_cast<int>(names.size()); ++i) {
      const int cell = i - first;
      const int cx = PANEL_X + 6 + (cell % PALETTE_COLUMNS) * CELL;
      const int cy = PANEL_TOP + 4 + (cell / PALETTE_COLUMNS) * CELL;
      if (cy + CELL > PANEL_BOTTOM) break;
      const std::string& n = names[static_cast<std::size_t>(i)];
      const ImagePtr p = Picture("bodies_pic/", n);
      const float fit = std::min(
          1.0f, (CELL - 8) / static_cast<float>(std::max({ImageWidth(p), ImageHeight(p), 1})));
      SetColor(n == placing ? 255 : 70, n == placing ? 220 : 90, n == placing ? 0 : 130);
      DrawFrame(static_cast<float>(cx), static_cast<float>(cy), CELL - 2, CELL - 2);
      SetColor(255, 255, 255);
      SetScale(fit, fit);
      DrawImage(p, static_cast<float>(cx + CELL / 2 - 1), static_cast<float>(cy + CELL / 2 - 1), 0);
      SetScale(1, 1);
    }
  } else if (panel == TPanel::LEVEL) {
    const std::vector<std::string> rows = LevelRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      Text(rows[i], PANEL_X + 8, PANEL_TOP + 4 + static_cast<int>(i) * ROW_HEIGHT);
    SetColor(170, 180, 210);
    Text("click: next, right click: back", PANEL_X + 8, PANEL_BOTTOM - ROW_HEIGHT);
  } else if (panel == TPanel::OPEN) {
    const std::vector<std::string> names = UserLevelNames();
    const int total = static_cast<int>(names.size()) + STORED_LEVEL_ROWS;
    for (int row = openScroll; row < total; ++row) {
      const int y = PANEL_TOP + 4 + (row - openScroll) * ROW_HEIGHT;
      if (y + ROW_HEIGHT > PANEL_BOTTOM) break;
      const bool own = row < static_cast<int>(names.size());
      SetColor(own ? 255 : 170, own ? 240 : 190, own ? 150 : 230);
      Text(own ? names[static_cast<std::size_t>(row)]
               : "copy of level " + std::to_string(row - static_cast<int>(names.size()) + 1),
           PANEL_X + 8, y);
    }
  } else if (panel == TPanel::REPORT) {
    const TCheckReport& r = check.Report();
    std::vector<std::string> lines;
    if (check.IsRunning()) {
      if (r.winnable) {
        lines.push_back("Can be won: " + std::to_string(r.shots) +
                        (r.shots == 1 ? " shot" : " shots") + " (" +
                        Number(static_cast<float>(r.secondsToWin)) + " s).");
        lines.push_back("Looking for its fairest plan...");
      } else {
        lines.push_back("Checking...");
      }
      lines.push_back(check.Progress());
    }
    if (!r.error.empty()) lines.push_back("The check failed: " + r.error);
    if (r.finished) {
      lines.push_back(r.winnable ? "Can be won." : "No win found.");
      if (r.winnable) {
        lines.push_back("shots of the plan: " + std::to_string(r.shots));
        lines.push_back(r.fair ? "fair by the game's measures:"
                               : "not fair by the game's measures:");
        for (const std::string& m : r.measures) lines.push_back("  " + m);
        lines.push_back("plan saved as " + name + ".txt");
      }
      lines.push_back("first-shot share: " + Number(static_cast<float>(r.firstShotShare * 100)) +
                      "%");
      if (r.winnable)
        lines.push_back("win known in " + Number(static_cast<float>(r.secondsToWin)) + " s");
      lines.push_back((r.winnable ? "plan in " : "searched for ") +
                      Number(static_cast<float>(r.secondsToPlan)) + " s, " +
                      std::to_string(r.plays) + " plays");
    }
    if (lines.empty()) lines.push_back("No check yet: press F6.");
    for (std::size_t i = 0; i < lines.size(); ++i)
      Text(lines[i], PANEL_X + 8, PANEL_TOP + 6 + static_cast<int>(i) * ROW_HEIGHT);
    SetColor(255, 240, 150);
    Text(showPlan ? "[hide plan]" : "[show plan]", PANEL_X + 8, PanelBottom() - ROW_HEIGHT - 4);
    Text("[close]", PANEL_X + PANEL_W / 2 + 20, PanelBottom() - ROW_HEIGHT - 4);
  }
  SetColor(255, 255, 255);
}

void TEditor::DrawStatus() {
  // Faint, so that the floor and the bodies on it stay in sight under the words.
  DrawPanelBox(0, STATUS_Y, SCREEN_WIDTH, SCREEN_HEIGHT - STATUS_Y, 0.3f);
  SetColor(255, 255, 255);
  std::string line = status;
  if (const TBodyEntry* b = edit.SelectedBody()) {
    line = b->name + "  " + Number(b->x) + "," + Number(b->y) + "  " + Number(b->angle) +
           " deg  x" + Number(b->scaleX) + (b->scaleX != b->scaleY ? "/" + Number(b->scaleY) : "") +
           (b->typ == "d" ? "  dynamic " + Number(b->density) : "  static") +
           (b->target ? "  TARGET" : "");
    if (b->shape == "l")
      line += "  chain " + std::to_string(b->countLinks) + " " + b->direct +
              (b->lastLink.empty() ? "" : " end " + b->lastLink);
    if (!b->move.empty()) line += "  slides " + b->move + " " + Number(b->speed);
    if (b->rotatingSpeed != 0) line += "  turns " + Number(b->rotatingSpeed);
  }
  Text(line, 6, STATUS_Y + 3);
}

void TEditor::SaveThumbnail() {
  thumbnailWanted = false;
  const PixmapPtr shot = GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  if (!shot || !SavePixmapJPeg(ResizePixmap(shot, THUMBNAIL_WIDTH, THUMBNAIL_HEIGHT),
                               UserThumbPath(name), THUMBNAIL_QUALITY)) {
    LogLine("brakkon: the thumbnail " + UserThumbPath(name) + " could not be saved");
  }
}

void TEditor::Update() {
  ShowScreen(screen);
  check.Poll();
  if (check.HasReport() && check.Report().finished && !check.IsRunning() &&
      status.starts_with("Checking")) {
    SetStatus(check.Report().winnable ? "The check found a win; its plan is saved beside the level."
                                      : "The check found no win.");
  }
  PollSystem();
  HandleInput();
  if (gameState != STATE_EDITOR) return;  // left for play or the menu: that screen draws
  SetImageFont(kiv_GUI::GetFont("Small"));
  DrawLevel(false);
  if (thumbnailWanted) SaveThumbnail();
  DrawLevel(true);
  if (!placing.empty() && MouseY() > BAR_HEIGHT && MouseX() < PANEL_X) {
    SetAlpha(0.6f);
    DrawImage(Picture("bodies_pic/", placing), edit.Snap(static_cast<float>(MouseX())),
              edit.Snap(static_cast<float>(MouseY())), 0);
    SetAlpha(1);
  }
  DrawToolbar();
  DrawPanel();
  DrawStatus();
  SetImageFont(nullptr);
  kiv_RefreshGUI();  // the cursor
  while (kiv_PollEvent() != 0) {
  }
  SetColor(255, 255, 255);
  Flip(-1);
}
