// The title screen and the helpers every menu shares (caption buttons, the audio switches).
#include "screens/menu.h"

#include "screens/lev_select.h"
#include "screens/menu_game.h"
#include "screens/settings.h"
#include "state/globals.h"
#include "state/options.h"
#include "state/shell.h"

namespace {

constexpr float TITLE_X = 400;
constexpr float TITLE_Y = 60;

}  // namespace

bool BackKeyHit() {
  // Both are read, so neither is left over for the next screen.
  const bool escape = KeyHit(KEY_ESCAPE) != 0;
  const bool back = KeyHit(KEY_PAD_BACK) != 0;
  return escape || back;
}

void TMenuFocus::Move(int step) {
  const int count = static_cast<int>(items.size());
  if (count == 0) return;
  if (const kiv_ButtonPtr left = Focused()) left->SetFont(restFont);
  int at = focused;
  for (int tries = 0; tries < count; ++tries) {
    at = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    if (items[static_cast<std::size_t>(at)] && items[static_cast<std::size_t>(at)]->gHidden == 0) {
      focused = at;
      return;
    }
  }
}

bool TMenuFocus::HandleKeys() {
  if (KeyHit(KEY_UP) != 0) Move(-1);
  if (KeyHit(KEY_DOWN) != 0) Move(1);
  if (KeyHit(KEY_ENTER) == 0) return false;
  if (focused < 0) Move(1);  // Enter alone presses the first item
  const kiv_ButtonPtr button = Focused();
  if (!button) return false;
  kiv_CreateEvent(EVENT_GADGETACTION, button, 0, 0, 0);
  return true;
}

void TMenuFocus::Focus(const kiv_ButtonPtr& button) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == button) focused = static_cast<int>(i);
  }
}

kiv_ButtonPtr TMenuFocus::Focused() const {
  if (focused < 0 || focused >= static_cast<int>(items.size())) return nullptr;
  const kiv_ButtonPtr& button = items[static_cast<std::size_t>(focused)];
  return button && button->gHidden == 0 ? button : nullptr;
}

void TMenuFocus::Draw(const char* bigFont) const {
  const kiv_ButtonPtr button = Focused();
  if (!button) return;
  button->SetFont(bigFont);
  if (!shared.focus) return;
  const float x = originX + static_cast<float>(button->gCapX) - 16;
  const float y =
      originY + static_cast<float>(button->gCapY) + static_cast<float>(TextHeightOf(button)) / 2;
  SetBlend(ALPHABLEND);
  SetAlpha(1);
  SetColor(255, 255, 255);
  DrawImage(shared.focus, x, y, 0);
}

int TextHeightOf(const kiv_ButtonPtr& button) {
  const FontPtr saved = GetImageFont();
  SetImageFont(button->gFont);
  const int h = TextHeight(button->gText);
  SetImageFont(saved);
  return h;
}

kiv_ButtonPtr MenuButton(const std::string& name, const std::string& text, int x, int y, int w,
                         int h, const kiv_GadgetPtr& parent) {
  kiv_ButtonPtr button = kiv_CreateButton(name, text, x, y, w, h, parent);
  button->SetBackground(0);
  button->SetTextColour(MENU_TEXT_R, MENU_TEXT_G, MENU_TEXT_B);
  return button;
}

void ShowScreen(const kiv_ScreenPtr& screen) {
  if (!screen || kiv_GUI::ActiveScreen() == screen) return;
  kiv_GUI::DropActiveGadget();
  kiv_GUI::SetScreen(screen);
}

void ToggleAudioSwitch(int& flag, const char* name, const kiv_ButtonPtr& button,
                       const kiv_ButtonPtr& twin) {
  const std::string on = std::string(name) + " on";
  const std::string off = std::string(name) + " off";
  const bool switchOn = button->gText != on;
  for (const kiv_ButtonPtr& b : {button, twin}) {
    if (b) b->SetText(switchOn ? on : off);
  }
  flag = switchOn ? 1 : 0;
  FlushMouse();
  ApplyAudioSettings();
}

TMenu::TMenu() {
  fon = LoadImage("fones/fon11.jpg");
  screen1 = kiv_CreateScreen("Screen 1", "");
  kiv_PanelPtr panel = kiv_CreatePanel("panel 1", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, nullptr);
  panel->BackgroundOff();
  panel->BorderOff();
  screen1->AddPanel(panel);
  button1 = MenuButton("screen2", "PLAY", 370, 250, 60, 25, panel);
  if (levelSelect) button1->SetLink(levelSelect->screen2);
  button10 = MenuButton("ok", "Physics engine: Box2D", 435, 121, 330, 26, panel);
  button6 = MenuButton("ok3", musicOn == 0 ? "music off" : "music on", 285, 430, 230, 25, panel);
  button7 = MenuButton("ok3", soundOn == 0 ? "sound off" : "sound on", 285, 460, 230, 25, panel);
  this->panel = panel;
  AddItem("settings", [] {
    if (settingsScreen) settingsScreen->Open(STATE_MAIN_MENU);
  });
  AddItem("quit", [] { gameState = STATE_ENDING; });
  AddItem(
      "editor", [] { gameState = STATE_EDITOR; }, 1);
  quitQuestion = kiv_CreateLabel("labelquit", "Quit Brakkon?", 330, 510, 0, 0, 0, 0, panel);
  quitQuestion->SetTextColour(MENU_TEXT_R, MENU_TEXT_G, MENU_TEXT_B);
  quitQuestion->SetFont("Default");
  quitYes = MenuButton("quityes", "quit", 300, 545, 90, 25, panel);
  quitNo = MenuButton("quitno", "stay", 410, 545, 90, 25, panel);
  AskToQuit(false);
}

kiv_ButtonPtr TMenu::AddItem(const std::string& caption, std::function<void()> action, int index) {
  kiv_ButtonPtr button = MenuButton("menuitem", caption, 300, MENU_ITEMS_Y, 200, 25, panel);
  const auto at =
      index < 0 || index > static_cast<int>(items.size()) ? items.end() : items.begin() + index;
  items.insert(at, TItem{button, std::move(action)});
  LayOutItems();
  RebuildFocus();
  return button;
}

void TMenu::LayOutItems() {
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i].button->PositionGadget(
        300, static_cast<float>(MENU_ITEMS_Y) + static_cast<float>(i * MENU_ITEM_PITCH));
    items[i].button->Refresh();
  }
}

void TMenu::RebuildFocus() {
  focus.items.clear();
  if (askingToQuit) {
    focus.items = {quitYes, quitNo};
    return;
  }
  focus.items.push_back(button1);
  for (const TItem& item : items) focus.items.push_back(item.button);
  focus.items.push_back(button6);
  focus.items.push_back(button7);
  focus.items.push_back(button10);
}

void TMenu::AskToQuit(bool ask) {
  askingToQuit = ask;
  for (const kiv_GadgetPtr& g :
       std::initializer_list<kiv_GadgetPtr>{quitQuestion, quitYes, quitNo}) {
    if (ask) {
      g->Show();
    } else {
      g->Hide();
    }
  }
  RebuildFocus();
  focus.focused = -1;
  if (ask) focus.Focus(quitNo);  // staying is the safe answer
}

void TMenu::Update() {
  ShowScreen(screen1);
  Cls();
  DrawImage(fon, 0, 0, 0);
  DrawImage(shared.title, TITLE_X, TITLE_Y, 0);
  SetBlend(ALPHABLEND);
  kiv_RefreshGUI();
  if (BackKeyHit()) AskToQuit(!askingToQuit);  // Escape asks first; again, it stays
  focus.HandleKeys();
  while (kiv_PollEvent() != 0) {
    for (const kiv_ButtonPtr& b : {button1, button6, button7}) b->SetFont("Default");
    for (const TItem& item : items) item.button->SetFont("Default");
    const int id = kiv_EventID();
    const kiv_GadgetPtr source = kiv_EventSource();
    if (id == EVENT_GADGETACTION && source == button10) {
      OpenWebAddress(PHYSICS_ENGINE_ADDRESS);
      FlushMouse();
    }
    if (id == EVENT_GADGETACTION && source == button6) {
      ToggleAudioSwitch(musicOn, "music", button6, pauseMenu ? pauseMenu->button5 : nullptr);
    }
    if (id == EVENT_GADGETACTION && source == button7) {
      ToggleAudioSwitch(soundOn, "sound", button7, pauseMenu ? pauseMenu->button6 : nullptr);
    }
    if (id == EVENT_GADGETACTION && source == button1) {
      FlushMouse();
      if (levelSelect) levelSelect->UpdateSumms();
      sessionCommand = COMMAND_NONE;
      gameState = STATE_LEVEL_SELECT;
      SetColor(255, 255, 255);
    }
    if (id == EVENT_GADGETACTION && source == quitYes) gameState = STATE_ENDING;
    if (id == EVENT_GADGETACTION && source == quitNo) {
      FlushMouse();
      AskToQuit(false);
    }
    for (const TItem& item : items) {
      if (id == EVENT_GADGETACTION && source == item.button) {
        FlushMouse();
        item.action();
      }
      if (id == EVENT_MOUSEOVER && source == item.button) source->SetFont("Big");
    }
    if (id == EVENT_MOUSEOVER && (source == button1 || source == button6 || source == button7)) {
      source->SetFont("Big");
    }
  }
  focus.Draw();
  SetColor(255, 255, 255);
  Flip(-1);
}
