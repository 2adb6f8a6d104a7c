// The menus and the main loop: the level selection filled from the progress file, the main menu's
// switches, the pause menu over a level, the final win screen, and the loop's ending that stores
// the selected level. Input goes through the media layer's injection.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "app/app.h"
#include "state/globals.h"
#include "state/options.h"
#include "state/shell.h"
#include "game/game.h"
#include "game/level_file.h"
#include "gui/kiv_gui.h"
#include "screens/lev_select.h"
#include "screens/menu.h"
#include "screens/menu_game.h"
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
    folder = std::filesystem::temp_directory_path() / ("screens_test_" + std::to_string(::getpid()));
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
  EXPECT_EQ(select.thumb_t == shared.closeThumb, !IsEmbeddedAsset("levels_thumbs/level_thumb_1.jpg"));
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
  SavePixmapPNG(GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT), BRAKKON_BUILD_DIR "/screens_win.png");
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
