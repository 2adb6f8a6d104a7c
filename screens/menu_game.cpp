// The pause menu, the final win screen, and the links through which the session reaches them.
#include "screens/menu_game.h"

#include "game/game.h"
#include "screens/lev_select.h"
#include "screens/menu.h"
#include "screens/settings.h"
#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

constexpr float WIN_PICTURE_X = 400;
constexpr float WIN_PICTURE_Y = 250;

kiv_LabelPtr CaptionLabel(const std::string& name, const std::string& text, int x, int y,
                          const kiv_GadgetPtr& parent) {
  kiv_LabelPtr label = kiv_CreateLabel(name, text, x, y, 0, 0, 0, 0, parent);
  label->SetTextColour(MENU_TEXT_R, MENU_TEXT_G, MENU_TEXT_B);
  label->SetFont("Default");
  return label;
}

void StopWeatherSound() {
  if (ChannelPlaying(rainChannel)) StopChannel(rainChannel);
}

/// The common way out of a paused level.
void EndPausedSession() {
  StopWeatherSound();
  if (session) session->exitAll();
}

}  // namespace

TMenuGame::TMenuGame() {
  screen3 = kiv_CreateScreen("Screen 3", "");
  panel1 = kiv_CreatePanel("panel 3", 250, 130, 300, 300, nullptr);
  panel1->HexColour("A5E3E6");
  panel1->SetAlpha(0.7f);
  screen3->AddPanel(panel1);
  button1 = MenuButton("screen3", "resume game", 50, 80, 207, 25, panel1);
  button2 = MenuButton("screen3", "restart level", 54, 120, 200, 25, panel1);
  button4 = MenuButton("scores3", "select level", 54, 160, 200, 25, panel1);
  button4->SetNameLink("Screen 2");
  button3 = MenuButton("screen3", "main menu", 60, 200, 180, 25, panel1);
  button3->SetNameLink("Screen 1");
  label1 = CaptionLabel("labelcode3", "PAUSE MENU", 62, 10, panel1);
  button5 = MenuButton("ok3", musicOn == 0 ? "music off" : "music on", -50, 260, 230, 25, panel1);
  button6 = MenuButton("ok3", soundOn == 0 ? "sound off" : "sound on", 120, 260, 230, 25, panel1);
  // Between "main menu" and the switches, in their smaller font to keep clear of both.
  settingsButton = MenuButton("screen3", "settings", 60, 230, 180, 22, panel1);
  focus.items = {button1, button2, button4, button3, settingsButton, button5, button6};
}

void TMenuGame::Update() {
  if (show == 0) return;
  ShowScreen(screen3);
  PollSystem();
  SetBlend(ALPHABLEND);
  kiv_RefreshGUI();
  for (const kiv_ButtonPtr& b : {button1, button4, button2, button3}) b->SetFont("Default");
  settingsButton->SetFont("Small2");
  button5->SetFont("Small");
  button6->SetFont("Small");
  focus.HandleKeys();
  while (kiv_PollEvent() != 0) {
    if (show == 0) continue;  // the queue is drained; nothing more applies once closed
    const int id = kiv_EventID();
    const kiv_GadgetPtr source = kiv_EventSource();
    if (id == EVENT_GADGETACTION && source == button5) {
      ToggleAudioSwitch(musicOn, "music", button5, mainMenu ? mainMenu->button6 : nullptr);
    } else if (id == EVENT_GADGETACTION && source == button6) {
      FlushMouse();
      if (session) session->rainZ = 0;
      ToggleAudioSwitch(soundOn, "sound", button6, mainMenu ? mainMenu->button7 : nullptr);
    } else if (id == EVENT_GADGETACTION && source == button3) {
      SetAlpha(1.0f);
      FlushMouse();
      show = 0;
      EndPausedSession();
      gameState = STATE_MAIN_MENU;
    } else if (id == EVENT_GADGETACTION && source == button2) {
      SetAlpha(1.0f);
      FlushMouse();
      show = 0;
      EndPausedSession();
      sessionCommand = COMMAND_RESTART;
    } else if (id == EVENT_GADGETACTION && source == button1) {
      FlushMouse();
      show = 0;
    } else if (id == EVENT_GADGETACTION && source == button4) {
      SetAlpha(1.0f);
      EndPausedSession();
      FlushMouse();
      show = 0;
      if (levelSelect) levelSelect->UpdateSumms();
      gameState = STATE_LEVEL_SELECT;
    } else if (id == EVENT_GADGETACTION && source == settingsButton) {
      // The level stays paused under the settings; back there, the pause menu shows again.
      FlushMouse();
      if (settingsScreen) settingsScreen->Open(STATE_PLAY);
    } else if (id == EVENT_MOUSEOVER) {
      if (source == button1 || source == button4 || source == button2 || source == button3)
        source->SetFont("Big");
      if (source == settingsButton) source->SetFont("Default");
      if (source == button5 || source == button6) source->SetFont("Small2");
    }
  }
  if (show == 1) {
    const kiv_ButtonPtr focused = focus.Focused();
    focus.Draw(focused == button5 || focused == button6 ? "Small2"
               : focused == settingsButton              ? "Default"
                                                        : "Big");
  }
  SetColor(255, 255, 255);
  // Escape, or a controller's Start or B, resumes.
  if (show == 1 &&
      (KeyHit(KEY_ESCAPE) != 0 || KeyHit(KEY_PAD_START) != 0 || KeyHit(KEY_PAD_BACK) != 0))
    show = 0;
  if (show == 0) focus.focused = -1;
  // Closed by one of its buttons, the menu is not refreshed again to see its release: the button
  // would stay held into play and whatever screen comes next.
  if (show == 0) kiv_GUI::DropActiveGadget();
}

TWin::TWin() {
  fon = LoadImage("fones/fon1.jpg");
  screen1 = kiv_CreateScreen("Screen 5", "");
  panel1 = kiv_CreatePanel("panel 3", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, nullptr);
  panel1->HexColour("A5E3E6");
  panel1->SetAlpha(0.7f);
  panel1->BackgroundOff();
  panel1->BorderOff();
  screen1->AddPanel(panel1);
  button2 = MenuButton("screen3", "main menu", 560, 560, 200, 25, panel1);
  button2->SetNameLink("Screen 1");
  label1 = CaptionLabel("labelcode3", "Total best shots: ", 30, 550, panel1);
  focus.items = {button2};
}

void TWin::Update() {
  ShowScreen(screen1);
  Cls();
  DrawImage(fon, 0, 0, 0);
  DrawImage(shared.win, WIN_PICTURE_X, WIN_PICTURE_Y, 0);
  SetBlend(ALPHABLEND);
  kiv_RefreshGUI();
  button2->SetFont("Default");
  focus.HandleKeys();
  if (BackKeyHit()) kiv_CreateEvent(EVENT_GADGETACTION, button2, 0, 0, 0);
  while (kiv_PollEvent() != 0) {
    const int id = kiv_EventID();
    const kiv_GadgetPtr source = kiv_EventSource();
    if (id == EVENT_GADGETACTION && source == button2) {
      gameCompleted = 1;
      gameState = STATE_MAIN_MENU;
      SetAlpha(1.0f);
      FlushMouse();
    }
    if (id == EVENT_MOUSEOVER && source == button2) button2->SetFont("Big");
  }
  focus.Draw();
  SetColor(255, 255, 255);
  Flip(-1);
}

void LinkSessionToScreens() {
  TSessionLinks& links = SessionLinks();
  links.isPaused = [] { return pauseMenu && pauseMenu->show != 0; };
  links.updatePauseMenu = [] {
    if (pauseMenu) pauseMenu->Update();
  };
  links.openPauseMenu = [] {
    if (!pauseMenu || !levelSelect) return;
    pauseMenu->show = 1;
    levelSelect->button3->UpdateMouseRelease(0, 0);
  };
  links.selectNextLevel = [] { return levelSelect ? SelectNextRow(*levelSelect->table) : -1; };
  links.showLevelCompleted = [](int level, const TLevelCompletion& result) {
    if (levelSelect) ShowLevelCompleted(*levelSelect->table, level, result);
  };
  links.updateSumms = [] { return levelSelect ? xmlTextToInt(levelSelect->UpdateSumms()) : 0; };
  links.setWinText = [](const std::string& text) {
    if (winScreen) winScreen->label1->SetText(text);
  };
  links.font = [](const std::string& name) { return kiv_GUI::GetFont(name); };
  links.showFinalWin = [] {
    if (levelSelect) levelSelect->button5->UpdateMouseRelease(0, 0);
  };
}
