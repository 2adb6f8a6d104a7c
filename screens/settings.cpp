// The settings screen. Every change is saved at once (extra attributes of the progress file's
// root); the volumes reach the music and the sounds as they change.
#include "screens/settings.h"

#include <algorithm>

#include "screens/lev_select.h"
#include "state/globals.h"
#include "state/options.h"

namespace {

constexpr int ROW_X = 230;
constexpr int ROW_W = 340;
constexpr int VOLUME_X = 240;  // the volume captions, between "-" and their bars
constexpr int VOLUME_W = 180;
constexpr int BAR_X = 430;  // the volume bars, right of their captions, on the screen
constexpr float BAR_CENTRE_Y = 12.5f;

const char* OnOff(bool on) { return on ? "on" : "off"; }

}  // namespace

TSettingsScreen::TSettingsScreen() {
  fon = LoadImage("fones/fon11.jpg");
  screen6 = kiv_CreateScreen("Screen 6", "");
  panel = kiv_CreatePanel("panel 6", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, nullptr);
  panel->BackgroundOff();
  panel->BorderOff();
  screen6->AddPanel(panel);
  heading = kiv_CreateLabel("labelsettings", "SETTINGS", 330, 150, 0, 0, 0, 0, panel);
  heading->SetTextColour(MENU_TEXT_R, MENU_TEXT_G, MENU_TEXT_B);
  heading->SetFont("Big");
  musicLess = MenuButton("less", "-", VOLUME_X - 40, 200, 30, 25, panel);
  musicVolume = MenuButton("setting", "music", VOLUME_X, 200, VOLUME_W, 25, panel);
  musicMore = MenuButton("more", "+", BAR_X + 160, 200, 30, 25, panel);
  soundLess = MenuButton("less", "-", VOLUME_X - 40, 240, 30, 25, panel);
  soundVolume = MenuButton("setting", "sound", VOLUME_X, 240, VOLUME_W, 25, panel);
  soundMore = MenuButton("more", "+", BAR_X + 160, 240, 30, 25, panel);
  fullscreen = MenuButton("setting", "", ROW_X, 290, ROW_W, 25, panel);
  gauge = MenuButton("setting", "", ROW_X, 330, ROW_W, 25, panel);
  reset = MenuButton("setting", "reset progress", ROW_X, 380, ROW_W, 25, panel);
  resetQuestion =
      kiv_CreateLabel("labelreset", "Forget every level won?", 260, 420, 0, 0, 0, 0, panel);
  resetQuestion->SetTextColour(176, 60, 60);
  resetQuestion->SetFont("Default");
  resetYes = MenuButton("resetyes", "reset", 290, 455, 100, 25, panel);
  resetNo = MenuButton("resetno", "keep", 410, 455, 100, 25, panel);
  back = MenuButton("setting", "back", ROW_X, 520, ROW_W, 25, panel);
  AskToReset(false);
  RefreshCaptions();
}

void TSettingsScreen::Open(int fromState) {
  returnState = fromState;
  AskToReset(false);
  RefreshCaptions();
  focus.focused = -1;
  FlushMouse();
  gameState = STATE_SETTINGS;
}

void TSettingsScreen::RefreshCaptions() {
  musicVolume->SetText("music " + std::to_string(playSettings.musicVolume) + "%");
  soundVolume->SetText("sound " + std::to_string(playSettings.soundVolume) + "%");
  // The window may have been switched with F11 since.
  if (!IsHeadless()) playSettings.fullscreen = IsFullscreen();
  fullscreen->SetText(std::string("full screen: ") + OnOff(playSettings.fullscreen));
  gauge->SetText(std::string("power gauge: ") + OnOff(playSettings.powerGauge));
}

void TSettingsScreen::ChangeVolume(int& volume, int step) {
  volume = std::clamp(volume + step, 0, 100);
  ApplyAudioSettings();
  SavePlaySettings();
  RefreshCaptions();
}

void TSettingsScreen::AskToReset(bool ask) {
  askingToReset = ask;
  for (const kiv_GadgetPtr& g :
       std::initializer_list<kiv_GadgetPtr>{resetQuestion, resetYes, resetNo}) {
    if (ask) {
      g->Show();
    } else {
      g->Hide();
    }
  }
  if (ask) {
    focus.items = {resetNo, resetYes};
    focus.focused = 0;  // keeping is the safe answer
  } else {
    focus.items = {musicVolume, soundVolume, fullscreen, gauge, reset, back};
    focus.focused = -1;
  }
}

void TSettingsScreen::Close() {
  FlushMouse();
  gameState = returnState != 0 ? returnState : STATE_MAIN_MENU;
}

void TSettingsScreen::Update() {
  ShowScreen(screen6);
  Cls();
  DrawImage(fon, 0, 0, 0);
  SetBlend(ALPHABLEND);
  kiv_RefreshGUI();
  // Volume bars beside their captions.
  for (const auto& [button, volume] : {std::pair{musicVolume, playSettings.musicVolume},
                                       std::pair{soundVolume, playSettings.soundVolume}}) {
    if (!shared.volume) break;
    SetAlpha(1);
    SetColor(255, 255, 255);
    const float y = static_cast<float>(button->gY) + BAR_CENTRE_Y - 9;
    DrawImage(shared.volume, BAR_X, y, std::clamp(volume / VOLUME_STEP, 0, 10));
  }
  if (BackKeyHit()) {
    if (askingToReset) {
      AskToReset(false);
    } else {
      Close();
    }
  }
  // Left and Right change the focused volume.
  const kiv_ButtonPtr focused = focus.Focused();
  const int turn = (KeyHit(KEY_RIGHT) != 0 ? 1 : 0) - (KeyHit(KEY_LEFT) != 0 ? 1 : 0);
  if (turn != 0 && focused == musicVolume)
    ChangeVolume(playSettings.musicVolume, turn * VOLUME_STEP);
  if (turn != 0 && focused == soundVolume)
    ChangeVolume(playSettings.soundVolume, turn * VOLUME_STEP);
  focus.HandleKeys();
  for (const kiv_ButtonPtr& b : {musicVolume, soundVolume, fullscreen, gauge, reset, back, resetYes,
                                 resetNo, musicLess, musicMore, soundLess, soundMore})
    b->SetFont("Default");
  while (kiv_PollEvent() != 0) {
    const int id = kiv_EventID();
    const kiv_GadgetPtr source = kiv_EventSource();
    if (id == EVENT_MOUSEOVER && source) source->SetFont("Big");
    if (id != EVENT_GADGETACTION) continue;
    FlushMouse();  // one step per click, not one per frame held
    if (source == musicLess) ChangeVolume(playSettings.musicVolume, -VOLUME_STEP);
    if (source == musicMore) ChangeVolume(playSettings.musicVolume, VOLUME_STEP);
    if (source == soundLess) ChangeVolume(playSettings.soundVolume, -VOLUME_STEP);
    if (source == soundMore) ChangeVolume(playSettings.soundVolume, VOLUME_STEP);
    // Enter on a volume steps it up, round to 0 after 100: keys alone reach every value.
    if (source == musicVolume)
      ChangeVolume(playSettings.musicVolume, playSettings.musicVolume == 100 ? -100 : VOLUME_STEP);
    if (source == soundVolume)
      ChangeVolume(playSettings.soundVolume, playSettings.soundVolume == 100 ? -100 : VOLUME_STEP);
    if (source == fullscreen) {
      playSettings.fullscreen = !playSettings.fullscreen;
      SetFullscreen(playSettings.fullscreen);
      SavePlaySettings();
      RefreshCaptions();
    }
    if (source == gauge) {
      playSettings.powerGauge = !playSettings.powerGauge;
      SavePlaySettings();
      RefreshCaptions();
    }
    if (source == reset) AskToReset(true);
    if (source == resetNo) AskToReset(false);
    if (source == resetYes) {
      ResetProgress();
      if (levelSelect) levelSelect->ReloadFromProgress();
      LogLine("Progress reset");
      AskToReset(false);
    }
    if (source == back) Close();
  }
  focus.Draw();
  SetColor(255, 255, 255);
  Flip(-1);
}
