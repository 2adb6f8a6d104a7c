// The title screen and the helpers every menu shares (caption buttons, the audio switches).
#include "screens/menu.h"

#include "screens/lev_select.h"
#include "screens/menu_game.h"
#include "state/globals.h"
#include "state/options.h"
#include "state/shell.h"

namespace {

constexpr float TITLE_X = 400;
constexpr float TITLE_Y = 60;

}  // namespace

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
  editorButton = MenuButton("editor", "editor", 360, 290, 80, 25, panel);
  button6 = MenuButton("ok3", musicOn == 0 ? "music off" : "music on", 285, 430, 230, 25, panel);
  button7 = MenuButton("ok3", soundOn == 0 ? "sound off" : "sound on", 285, 460, 230, 25, panel);
}

void TMenu::Update() {
  ShowScreen(screen1);
  Cls();
  DrawImage(fon, 0, 0, 0);
  DrawImage(shared.title, TITLE_X, TITLE_Y, 0);
  SetBlend(ALPHABLEND);
  kiv_RefreshGUI();
  while (kiv_PollEvent() != 0) {
    for (const kiv_ButtonPtr& b : {button1, button6, button7, editorButton}) b->SetFont("Default");
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
    if (id == EVENT_GADGETACTION && source == editorButton) {
      FlushMouse();
      gameState = STATE_EDITOR;
    }
    if (id == EVENT_MOUSEOVER &&
        (source == button1 || source == button6 || source == button7 || source == editorButton)) {
      source->SetFont("Big");
    }
  }
  SetColor(255, 255, 255);
  Flip(-1);
}
