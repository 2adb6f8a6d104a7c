// The menus and the main loop: the level selection filled from the progress file, the main menu's
// switches, the pause menu over a level, the final win screen, and the loop's ending that stores
// the selected level. Input goes through the media layer's injection, or as SDL events pushed
// into SDL's own queue where the timing of a press and its release is what is tested.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "gui/kiv_gui.h"
#include "screens/lev_select.h"
#include "screens/menu.h"
#include "screens/menu_game.h"
#include "state/globals.h"
#include "state/options.h"
#include "state/shell.h"
#include "xml/xml_document.h"

namespace {

class ScreensEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetLogQuiet(true);
    SetHeadless(true);
    ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0));
    RegisterEmbeddedAssets();
    LoadSharedMedia();
    graphicsHertz = 60;
  }
  void TearDown() override { EndGraphics(); }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new ScreensEnvironment);

/// A fresh progress file (optionally edited first), the GUI and the four screens, as start-up
/// builds them.
class ScreensTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder =
        std::filesystem::temp_directory_path() / ("screens_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    SetDataFolder(folder.string());
    gameState = STATE_MAIN_MENU;
    sessionCommand = COMMAND_NONE;
    musicOn = 1;
    soundOn = 1;
    gameCompleted = 0;
    session = nullptr;
  }
  void TearDown() override {
    session = nullptr;
    mainMenu = nullptr;
    levelSelect = nullptr;
    pauseMenu = nullptr;
    winScreen = nullptr;
    SessionLinks() = TSessionLinks{};
    kiv_GUI::Reset();
    FlushMouse();
    FlushKeys();
    std::filesystem::remove_all(folder);
  }

  /// Loads the progress file after `edit` changed the fresh one, then builds the screens.
  template <typename Edit>
  void Start(Edit edit) {
    optionsDoc = nullptr;
    LoadOptions();
    edit(*OptionsRoot());
    SaveOptions();
    optionsDoc = nullptr;
    LoadOptions();
    ReadOptionSwitches();
    SetUpGui();
    CreateScreens();
    kiv_SetScreen("Screen 1");
  }
  void Start() {
    Start([](xmlNode&) {});
  }

  /// Presses and releases the left button at (x, y) over two frames of `update`.
  template <typename Update>
  void Click(int x, int y, Update update) {
    InjectMouseMove(x, y);
    update();
    InjectMouseButton(1, true);
    update();
    InjectMouseButton(1, false);
    update();
  }

  static void Key(int key) {
    InjectKey(key, true);
    InjectKey(key, false);
  }

  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

  /// A click as touchpads and automation send it: the pointer moves there, and the button goes
  /// down and up before the game looks, all read in the next pass.
  static void QuickClick(int x, int y) {
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = x;
    move.motion.y = y;
    Push(move);
    for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      SDL_Event e{};
      e.type = type;
      e.button.button = SDL_BUTTON_LEFT;
      e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.button.x = x;
      e.button.y = y;
      Push(e);
    }
  }

  static void PushKey(SDL_Keycode key) {
    for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event e{};
      e.type = type;
      e.key.keysym.sym = key;
      Push(e);
    }
  }

  static void Passes(int count) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(MainLoopPass());
  }

  /// Plays `level` from the level selection and wins it (the target touched) in one pass.
  static void StartAndWin(int level) {
    StartLevelFromSelection(level);
    Passes(1);
    session->touch = 1;
    Passes(1);
  }

  // Centres of buttons: the pause menu's panel is at (250, 130).
  static constexpr int RESUME_X = 250 + 50 + 103, RESUME_Y = 130 + 80 + 12;
  static constexpr int RESTART_X = 250 + 54 + 100, RESTART_Y = 130 + 120 + 12;
  static constexpr int SELECT_LEVEL_X = 250 + 54 + 100, SELECT_LEVEL_Y = 130 + 160 + 12;
  static constexpr int PAUSE_MAIN_MENU_X = 250 + 60 + 90, PAUSE_MAIN_MENU_Y = 130 + 200 + 12;
  static constexpr int SOUND_X = 285 + 115, SOUND_Y = 460 + 12;
  static constexpr int MENU_X = 420 + 40, MENU_Y = 542 + 15;
  static constexpr int PLAY_X = 370 + 30, PLAY_Y = 250 + 12;

  std::filesystem::path folder;
};

TEST_F(ScreensTest, FreshProgressSelectsTheFirstLevel) {
  Start();
  TLevSelect& select = *levelSelect;
  EXPECT_EQ(select.table->CountItems(), 170);
  EXPECT_EQ(select.table->SelectedItem(), 0);
  EXPECT_EQ(select.label2->GetText(), "total best shots: 0");
  EXPECT_EQ(select.label3->GetText(), "levels available: 1");
  EXPECT_EQ(select.button1->gHidden, 0);
  EXPECT_EQ(select.table->GetContent(0, 0), "Level 1");
  EXPECT_EQ(select.thumb_t == shared.closeThumb,
            !IsEmbeddedAsset("levels_thumbs/level_thumb_1.jpg"));
}

TEST_F(ScreensTest, SummariesAndScrollFollowTheProgress) {
  Start([](xmlNode& root) {
    root.AttributeValueSet("lastLevel", "100");
    root.GetChild(1)->AttributeValueSet("score", "12");
    root.GetChild(3)->AttributeValueSet("score", "7");
    root.GetChild(100)->AttributeValueSet("status", "Open");
  });
  EXPECT_EQ(levelSelect->UpdateSumms(), "19");
  EXPECT_EQ(levelSelect->label3->GetText(), "levels available: 2");
  EXPECT_EQ(levelSelect->table->SelectedItem(), 99);
  EXPECT_EQ(levelSelect->table->gScroll->GetValue(), 2475);
}

TEST_F(ScreensTest, ClosedRowsCannotBeStarted) {
  Start([](xmlNode& root) { root.AttributeValueSet("lastLevel", "3"); });
  gameState = STATE_LEVEL_SELECT;
  kiv_SetScreen("Screen 2");
  EXPECT_EQ(levelSelect->button1->gHidden, 1) << "level 3 is closed";
  EXPECT_EQ(levelSelect->thumb_t, shared.closeThumb);
  levelSelect->button1->Show();
  Click(729, 557, [] { levelSelect->Update(); });
  EXPECT_EQ(gameState, STATE_LEVEL_SELECT);
  EXPECT_EQ(session, nullptr);
}

TEST_F(ScreensTest, MyLevelsListsOnesOwnLevelsWithTheirOwnScrollBar) {
  Start();
  std::filesystem::create_directories(folder / "levels");
  for (int k = 1; k <= 30; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "tower-%02d.xml", k);
    std::ofstream(folder / "levels" / name) << "<level><bodies /></level>";
  }
  gameState = STATE_LEVEL_SELECT;
  kiv_SetScreen("Screen 2");
  levelSelect->ShowMyLevels(true);
  levelSelect->Update();
  ASSERT_EQ(levelSelect->myTable->CountItems(), 30);
  EXPECT_EQ(levelSelect->myTable->GetContent(0, 0), "tower-01");
  EXPECT_EQ(levelSelect->myTable->gScroll->gHidden, 0) << "30 rows do not fit";
  EXPECT_EQ(levelSelect->table->gScroll->gHidden, 1) << "the numbered levels' bar went with them";
  EXPECT_EQ(levelSelect->thumb_t, nullptr) << "a level without a picture is not shown locked";
  EXPECT_EQ(levelSelect->button1->gHidden, 0);

  levelSelect->ShowMyLevels(false);
  levelSelect->Update();
  EXPECT_EQ(levelSelect->myTable->gScroll->gHidden, 1);
  EXPECT_EQ(levelSelect->table->gScroll->gHidden, 0);
}

TEST_F(ScreensTest, StartPlaysTheSelectedOpenLevel) {
  Start();
  gameState = STATE_LEVEL_SELECT;
  kiv_SetScreen("Screen 2");
  Click(729, 557, [] { levelSelect->Update(); });
  EXPECT_EQ(gameState, STATE_PLAY);
  EXPECT_EQ(currentLevel, 1);
  ASSERT_NE(session, nullptr);
  EXPECT_TRUE(session->m_world->world);
}

TEST_F(ScreensTest, MusicSwitchKeepsBothMenusInStep) {
  Start([](xmlNode& root) { root.AttributeValueSet("music", "False"); });  // case-sensitive: off
  EXPECT_EQ(musicOn, 0);
  EXPECT_EQ(mainMenu->button6->gText, "music off");
  EXPECT_EQ(pauseMenu->button5->gText, "music off");
  Click(400, 442, [] { mainMenu->Update(); });
  EXPECT_EQ(musicOn, 1);
  EXPECT_EQ(mainMenu->button6->gText, "music on");
  EXPECT_EQ(pauseMenu->button5->gText, "music on");
  EXPECT_EQ(OptionsRoot()->AttributeValueGet("music"), "true") << "the switch is saved";
}

TEST_F(ScreensTest, PlayLeadsToTheLevelSelection) {
  Start();
  Click(400, 262, [] { MainLoopPass(); });
  EXPECT_EQ(gameState, STATE_LEVEL_SELECT);
  MainLoopPass();
  EXPECT_EQ(kiv_GUI::ActiveScreen(), levelSelect->screen2);
}

TEST_F(ScreensTest, EscapeOpensAndClosesThePauseMenu) {
  Start();
  StartLevelFromSelection(1);
  session->drawingEnabled = true;
  Key(KEY_ESCAPE);
  MainLoopPass();
  EXPECT_EQ(pauseMenu->show, 1) << "one press opens";
  EXPECT_EQ(kiv_GUI::ActiveScreen(), pauseMenu->screen3);
  MainLoopPass();
  EXPECT_EQ(pauseMenu->show, 1);
  Key(KEY_ESCAPE);
  MainLoopPass();
  EXPECT_EQ(pauseMenu->show, 0) << "a second press resumes";
}

TEST_F(ScreensTest, RestartFromThePauseMenuReplacesTheSession) {
  Start();
  StartLevelFromSelection(1);
  Key(KEY_ESCAPE);
  MainLoopPass();
  const auto first = session;
  // "restart level" at panel (250, 130) + (54, 120), 200 x 25.
  Click(404, 262, [] { MainLoopPass(); });
  EXPECT_EQ(gameState, STATE_PLAY);
  EXPECT_NE(session, first);
  EXPECT_EQ(sessionCommand, COMMAND_NONE) << "the loop handled the restart";
  EXPECT_EQ(pauseMenu->show, 0);
}

TEST_F(ScreensTest, EveryQuickClickOnTheSoundSwitchTogglesIt) {
  Start();
  Passes(1);
  for (int click = 1; click <= 6; ++click) {
    QuickClick(SOUND_X, SOUND_Y);
    Passes(2);  // the press, then the release
    EXPECT_EQ(soundOn, click % 2 == 1 ? 0 : 1) << "click " << click;
    EXPECT_EQ(mainMenu->button7->gText, soundOn == 1 ? "sound on" : "sound off");
  }
}

TEST_F(ScreensTest, AQuickClickOnTheNextLevelButtonGoesOnAndFiresNothing) {
  Start();
  StartAndWin(5);
  ASSERT_EQ(session->flTou, 1);
  const auto won = session;
  const int x = TruncToInt(won->nextX);
  const int y = TruncToInt(won->nextY);
  // First a click that arrives after the session looked at the button in its frame, before the
  // loop asks whether to fire (a script click lands at the flip): it is the button's, no shot.
  InjectMouseMove(x, y);
  Passes(1);
  std::string error;
  ASSERT_TRUE(ParseInputScript("1 click 1\n", &error)) << error;
  Passes(1);
  EXPECT_EQ(session, won) << "the button looks again in the next frame";
  EXPECT_TRUE(won->ragdollList.empty());
  EXPECT_EQ(won->currentFrameOfCannon, 0) << "the cannon did not start";
  Passes(1);
  EXPECT_EQ(currentLevel, 6);
  ASSERT_NE(session, won);
  EXPECT_TRUE(session->ragdollList.empty());
  EXPECT_EQ(session->currentFrameOfCannon, 0);

  // Then a quick click pushed through SDL before the frame.
  session->touch = 1;
  Passes(1);
  const auto second = session;
  QuickClick(TruncToInt(second->nextX), TruncToInt(second->nextY));
  Passes(1);
  EXPECT_EQ(currentLevel, 7);
  EXPECT_NE(session, second);
  EXPECT_EQ(session->currentFrameOfCannon, 0);
  Passes(CANNON_LAUNCH_FRAME + 1);
  EXPECT_TRUE(session->ragdollList.empty()) << "no shot was started for the new level either";
}

TEST_F(ScreensTest, TheSkipKeysStopAtTheLastLevel) {
  Start();
  for (const int level : {5, 170}) {
    StartLevelFromSelection(level);
    Passes(1);
    for (const SDL_Keycode key : {SDLK_F9, SDLK_F3, SDLK_F7, SDLK_F4}) PushKey(key);
    Passes(2);
    EXPECT_EQ(gameState, STATE_PLAY);
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(session->m_world->world);
    EXPECT_EQ(currentLevel, level == 170 ? 170 : 6) << level;
  }
}

/// Every way back from a level to the menus ends on the screen the game state names, and that
/// screen works: level 170 won again after a pause, resume or restart, or left from the pause menu.
TEST_F(ScreensTest, EveryWayBackFromALevelEndsOnAWorkingScreen) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> pauseClicks;  // empty: no pause
    bool winAfter;
    int state;
  };
  const std::vector<Case> cases = {
      {"win", {}, true, STATE_LEVEL_SELECT},
      {"pause, resume, win", {{RESUME_X, RESUME_Y}}, true, STATE_LEVEL_SELECT},
      {"pause, restart, win", {{RESTART_X, RESTART_Y}}, true, STATE_LEVEL_SELECT},
      {"pause twice, resume twice, win",
       {{RESUME_X, RESUME_Y}, {RESUME_X, RESUME_Y}},
       true,
       STATE_LEVEL_SELECT},
      {"pause, select level", {{SELECT_LEVEL_X, SELECT_LEVEL_Y}}, false, STATE_LEVEL_SELECT},
      {"pause, main menu", {{PAUSE_MAIN_MENU_X, PAUSE_MAIN_MENU_Y}}, false, STATE_MAIN_MENU},
  };
  Start([](xmlNode& root) { root.AttributeValueSet("win", "true"); });
  ASSERT_EQ(gameCompleted, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    levelSelect->table->SelectItem(40);  // the thumbnail shows level 41 until 170 is played
    levelSelect->table->gScroll->SetValue(0);
    levelSelect->Update();
    StartLevelFromSelection(170);
    Passes(1);
    for (const auto& [x, y] : c.pauseClicks) {
      PushKey(SDLK_ESCAPE);
      Passes(1);
      ASSERT_EQ(pauseMenu->show, 1);
      QuickClick(x, y);
      Passes(2);
    }
    if (c.winAfter) {
      ASSERT_EQ(gameState, STATE_PLAY);
      session->touch = 1;
      Passes(1);
    }
    ASSERT_EQ(gameState, c.state);
    Passes(1);
    if (c.state == STATE_MAIN_MENU) {
      EXPECT_EQ(kiv_GUI::ActiveScreen(), mainMenu->screen1);
      QuickClick(PLAY_X, PLAY_Y);
      Passes(2);
      ASSERT_EQ(gameState, STATE_LEVEL_SELECT) << "PLAY works";
      Passes(1);
    }
    EXPECT_EQ(kiv_GUI::ActiveScreen(), levelSelect->screen2);
    EXPECT_EQ(levelSelect->table->SelectedItem(), 169);
    const kiv_TTable& table = *levelSelect->table;
    const int top = 169 * table.Pitch();
    EXPECT_LE(table.gScroll->GetValue(), top) << "the selected row is in view";
    EXPECT_GE(table.gScroll->GetValue() + table.gScroll->GetRange(), top + table.gIH);
    EXPECT_EQ(levelSelect->button1->gHidden, 0) << "start, for the open level 170";
    ASSERT_TRUE(levelSelect->thumb_t);
    EXPECT_EQ(levelSelect->thumb_t->Path(), "levels_thumbs/level_thumb_170.jpg") << "its thumbnail";
    // The level selection answers: "menu" leads to the main menu and its screen.
    QuickClick(MENU_X, MENU_Y);
    Passes(2);
    EXPECT_EQ(gameState, STATE_MAIN_MENU);
    EXPECT_EQ(kiv_GUI::ActiveScreen(), mainMenu->screen1);
    EXPECT_EQ(kiv_GUI::GetActiveGadget(), nullptr);
  }
}

TEST_F(ScreensTest, ClosingTheWindowStoresTheSelectedLevel) {
  Start();
  levelSelect->table->SelectItem(12);
  InjectCloseRequest();
  EXPECT_FALSE(MainLoopPass());
  optionsDoc = nullptr;
  LoadOptions();
  EXPECT_EQ(OptionsRoot()->AttributeValueGet("lastLevel"), "13");
}

TEST_F(ScreensTest, FinalWinScreenLeadsBackToTheMainMenu) {
  Start();
  winScreen->label1->SetText("YOU WIN! Total best shots: 5");
  levelSelect->button5->UpdateMouseRelease(0, 0);
  gameState = STATE_FINAL_WIN;
  EXPECT_EQ(kiv_GUI::ActiveScreen(), winScreen->screen1);
  winScreen->Update();
  // For looking at: the final screen as the player sees it.
  SavePixmapPNG(GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT),
                BRAKKON_BUILD_DIR "/screens_win.png");
  Click(660, 572, [] { MainLoopPass(); });
  EXPECT_EQ(gameCompleted, 1);
  EXPECT_EQ(gameState, STATE_MAIN_MENU);
}

TEST(ShellTest, WebAddresses) {
  const auto file = std::filesystem::temp_directory_path() / "credits.html";
  std::ofstream(file) << "x";
  EXPECT_EQ(WebAddressFor("https://example.org/a"), "https://example.org/a");
  EXPECT_EQ(WebAddressFor("example.org"), "http://example.org");
  EXPECT_EQ(WebAddressFor(file.string() + "#top"), "file://" + file.string() + "#top");
}

}  // namespace
