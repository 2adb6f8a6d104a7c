// Start-up, the Loading screen, music and the main loop: the program's spine. Every screen draws
// its own frame and calls Flip itself; the loop only decides which screen gets the pass.
#include "app/app.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/random_player.h"
#include "editor/editor.h"
#include "editor/level_check.h"
#include "game/game.h"
#include "game/level_file.h"
#include "game/user_levels.h"
#include "gui/kiv_gui.h"
#include "physics/physic_world.h"
#include "screens/lev_select.h"
#include "screens/menu.h"
#include "screens/menu_game.h"
#include "screens/settings.h"
#include "solver/level_run.h"
#include "state/globals.h"
#include "state/options.h"
#include "state/shell.h"
#include "xml/xml_document.h"

namespace {

/// The level editor, made when it is first opened.
std::shared_ptr<TEditor> editor;

constexpr float RAGDOLL_PICTURE_SHRINK = 0.76f;
constexpr float CANNON_HANDLE_X = 31;
constexpr float CANNON_HANDLE_Y = 55;
constexpr int LOADING_TEXT_X = 330;
constexpr int LOADING_TEXT_Y = 560;
constexpr int LOADING_DOTS_WRAP = 10;
constexpr const char* SKIN_FOLDER = "Skin";
/// Where `make install` puts the skin, relative to the installed program (PREFIX/bin).
constexpr const char* INSTALLED_SKIN_FOLDER = "../share/brakkon/Skin";

int ParsePositive(const std::string& text, bool& ok) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  ok = !text.empty() && end != nullptr && *end == '\0' && v > 0 && v < 1000000000;
  return ok ? static_cast<int>(v) : 0;
}

const char* const USAGE =
    "Usage: brakkon [options]\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "  --headless         no window, no sound device, no frame pacing (tests, tools)\n"
    "  --frames N         close after N frames\n"
    "  --screenshot FILE  save the last frame as PNG when the program ends\n"
    "  --input FILE       play a frame-stamped input script\n"
    "  --level N          start in level N\n"
    "  --data-dir DIR     keep the options and progress file in DIR\n"
    "  --debug-physics    draw the physics outlines during play\n"
    "  --random-input SEED  play by random input through every level (soak runs)\n"
    "  --check FILE       find out whether the level file FILE can be won, and how\n"
    "  --plan FILE        with --check: write the plan found to FILE\n"
    "  FILE.xml           play the level file FILE.xml\n";

ImagePtr LoadWithStep(const std::string& path, int flags = DEFAULT_IMAGE_FLAGS) {
  ImagePtr image = LoadImage(path, flags);
  ShowLoadingStep();
  return image;
}

ImagePtr LoadAnimWithStep(const std::string& path, int cellW, int cellH, int count) {
  ImagePtr image = LoadAnimImage(path, cellW, cellH, 0, count);
  ShowLoadingStep();
  return image;
}

SoundPtr LoadSoundWithStep(const std::string& path) {
  SoundPtr sound = LoadSound(path, 0);
  ShowLoadingStep();
  return sound;
}

/// A frame for a state whose screen does not exist, so that the loop still paces itself.
void DrawEmptyFrame() {
  Cls();
  Flip(-1);
}

}  // namespace

bool ParseLaunchOptions(int argc, char** argv, TLaunchOptions& options, std::string& message,
                        bool& exitNow) {
  exitNow = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    auto value = [&]() { return std::string(argv[++i]); };
    bool ok = true;
    if (arg == "--help" || arg == "-h") {
      message = USAGE;
      exitNow = true;
      return true;
    } else if (arg == "--version") {
      message = std::string("Brakkon ") + BRAKKON_VERSION + "\n";
      exitNow = true;
      return true;
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--debug-physics") {
      options.debugPhysics = true;
    } else if (arg == "--frames" && hasValue) {
      options.frames = ParsePositive(value(), ok);
    } else if (arg == "--level" && hasValue) {
      options.level = ParsePositive(value(), ok);
      if (ok && options.level > DEFAULT_LEVEL_COUNT) {
        message = "brakkon: --level takes a level from 1 to " +
                  std::to_string(DEFAULT_LEVEL_COUNT) + ", not " + argv[i] + "\n";
        return false;
      }
    } else if (arg == "--screenshot" && hasValue) {
      options.screenshotFile = value();
    } else if (arg == "--input" && hasValue) {
      options.inputFile = value();
    } else if (arg == "--random-input" && hasValue) {
      options.randomInputSeed = ParsePositive(value(), ok);
    } else if (arg == "--data-dir" && hasValue) {
      options.dataDir = value();
    } else if (arg == "--check" && hasValue) {
      options.checkFile = value();
    } else if (arg == "--plan" && hasValue) {
      options.planFile = value();
    } else if (!arg.empty() && arg[0] != '-' && options.levelFile.empty()) {
      options.levelFile = arg;
    } else {
      message = "brakkon: unknown option or missing value: " + arg + "\n" + USAGE;
      return false;
    }
    if (!ok) {
      message = "brakkon: " + arg + " needs a positive whole number, not \"" + argv[i] + "\"\n";
      return false;
    }
  }
  return true;
}

void ShowLoadingStep() {
  Cls();
  SetColor(255, 255, 255);
  const std::string text = "Loading" + std::string(static_cast<std::size_t>(loadingDots + 1), '.');
  SetImageFont(nullptr);
  DrawText(text, LOADING_TEXT_X, LOADING_TEXT_Y);
  if (loadingDots == LOADING_DOTS_WRAP) loadingDots = 0;
  Flip(-1);
  ++loadingDots;
}

void LoadSharedMedia() {
  for (std::size_t type = 0; type < shared.ragdoll.size(); ++type) {
    for (std::size_t part = 0; part < RAGDOLL_PART_NAMES.size(); ++part) {
      const std::string path = "ragdoll_pic/" + std::string(RAGDOLL_PART_NAMES[part]) + "_" +
                               std::to_string(type + 1) + ".png";
      // The first type's head, torso and forearms keep their black pixels opaque.
      const int flags = (type == 0 && part < 4) ? FILTEREDIMAGE : DEFAULT_IMAGE_FLAGS;
      shared.ragdoll[type][part] = LoadWithStep(path, flags);
    }
  }
  shared.winLevel = LoadSoundWithStep("sounds/winlevel.ogg");
  for (std::size_t i = 0; i < shared.fall.size(); ++i) {
    shared.fall[i] = LoadSoundWithStep("sounds/fall" + std::to_string(i + 1) + ".ogg");
  }
  for (std::size_t i = 0; i < shared.theme.size(); ++i) {
    shared.theme[i] = LoadSoundWithStep("sounds/theme" + std::to_string(i + 1) + ".ogg");
  }
  shared.baz[0] = LoadAnimWithStep("game_pic/baz1.png", 32, 40, 6);
  shared.baz[1] = LoadAnimWithStep("game_pic/baz2.png", 45, 45, 6);
  shared.baz[2] = LoadAnimWithStep("game_pic/baz3.png", 55, 50, 6);
  shared.aim = LoadWithStep("game_pic/aim.png");
  shared.win = LoadWithStep("game_pic/win.png");
  shared.cannon = LoadAnimWithStep("game_pic/cannon.png", 170, 110, 30);
  shared.bracket = LoadWithStep("game_pic/bracket.png");
  shared.portal = LoadAnimWithStep("game_pic/portal.png", 30, 75, 30);
  for (std::size_t i = 0; i < shared.snow.size(); ++i) {
    shared.snow[i] = LoadWithStep("game_pic/snow" + std::to_string(i + 1) + ".png");
  }
  shared.closeThumb = LoadWithStep("levels_thumbs/close.jpg");
  shared.title = LoadWithStep("game_pic/title.png");
  shared.numLevel = LoadWithStep("game_pic/numlevel.png");
  shared.digits[0] = LoadWithStep("game_pic/n0.png");
  shared.mouseHorse = LoadAnimWithStep("levels_pic/mousehorse.png", 80, 30, 2);
  for (std::size_t i = 1; i < shared.digits.size(); ++i) {
    shared.digits[i] = LoadWithStep("game_pic/n" + std::to_string(i) + ".png", FILTEREDIMAGE);
  }
  shared.shots = LoadWithStep("game_pic/shots.png", FILTEREDIMAGE);
  shared.nextLevelBig = LoadWithStep("game_pic/nextlevelbig.png");
  shared.gauge = LoadAnimWithStep("game_pic/gauge.png", 22, 112, 21);
  shared.star = LoadAnimWithStep("game_pic/star.png", 28, 28, 2);
  shared.starSmall = LoadAnimWithStep("game_pic/star_small.png", 15, 15, 2);
  shared.hintAim = LoadWithStep("game_pic/hint_aim.png");
  shared.hintPulse = LoadWithStep("game_pic/hint_pulse.png");
  shared.hintButton = LoadWithStep("game_pic/hintbutton.png");
  shared.banner = LoadWithStep("game_pic/banner.png");
  shared.focus = LoadWithStep("game_pic/focus.png");
  shared.volume = LoadAnimWithStep("game_pic/volume.png", 150, 18, 11);

  for (const ImagePtr& image :
       {shared.baz[0],   shared.baz[1],    shared.baz[2],       shared.aim,     shared.win,
        shared.portal,   shared.snow[0],   shared.snow[1],      shared.snow[2], shared.title,
        shared.numLevel, shared.shots,     shared.nextLevelBig, shared.star,    shared.starSmall,
        shared.hintAim,  shared.hintPulse, shared.hintButton,   shared.banner,  shared.focus}) {
    MidHandleImage(image);
  }
  for (const ImagePtr& digit : shared.digits) MidHandleImage(digit);
  SetImageHandle(shared.cannon, CANNON_HANDLE_X, CANNON_HANDLE_Y);

  for (auto& type : shared.ragdoll) {
    for (const ImagePtr& picture : type) {
      if (!picture) continue;
      picture->width = TruncToInt(picture->width * RAGDOLL_PICTURE_SHRINK);
      picture->height = TruncToInt(picture->height * RAGDOLL_PICTURE_SHRINK);
      // Every ragdoll mid-handles its pictures; done here as well, the shared pictures have one
      // state from the start instead of changing on the first use of each look.
      MidHandleImage(picture);
    }
  }
}

void UpdateMusic() {
  if (ChannelPlaying(musicChannel)) return;
  musicIndex = Rand(0, 3);
  if (musicOn == 1) {
    musicChannel = PlaySound(musicList[static_cast<std::size_t>(musicIndex)]);
    SetChannelVolume(musicChannel, MusicChannelVolume());
  }
}

namespace {

/// The skin folder to give the toolkit: "Skin" when it is in the working folder or beside the
/// program, else the installed one; "" when there is none.
std::string FindSkinFolder() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string program = ExecutableFolder();
  // The toolkit itself looks in the working folder and beside the program.
  if (fs::is_directory(SKIN_FOLDER, ec) ||
      (!program.empty() && fs::is_directory(program + SKIN_FOLDER, ec))) {
    return SKIN_FOLDER;
  }
  const std::string installed = program + INSTALLED_SKIN_FOLDER;
  if (!program.empty() && fs::is_directory(installed, ec))
    return fs::weakly_canonical(installed, ec).string();
  return "";
}

}  // namespace

void SetUpGui() {
  kiv_SetRes(SCREEN_WIDTH, SCREEN_HEIGHT, 0);
  kiv_SystemCursor(0);
  const std::string skin = FindSkinFolder();
  if (skin.empty()) {
    // One line instead of one per missing picture and font: the menus still work, drawn plainly
    // in the built-in font.
    std::fprintf(
        stderr,
        "brakkon: the %s folder was found neither in the working folder nor beside the program "
        "(nor in %s); the menus are drawn without it\n",
        SKIN_FOLDER, (ExecutableFolder() + INSTALLED_SKIN_FOLDER).c_str());
    return;
  }
  kiv_LoadSkin(skin);
  kiv_AddFont("Small", "font.ttf", 16);
  kiv_AddFont("Small2", "font.ttf", 20);
  kiv_AddFont("Big", "font.ttf", 30);
  kiv_AddFont("Default", "font.ttf", 26);
}

void CreateScreens() {
  levelSelect = std::make_shared<TLevSelect>();
  winScreen = std::make_shared<TWin>();
  mainMenu = std::make_shared<TMenu>();
  pauseMenu = std::make_shared<TMenuGame>();
  settingsScreen = std::make_shared<TSettingsScreen>();
  levelSelect->button2->SetLink(mainMenu->screen1);
  levelSelect->button3->SetLink(pauseMenu->screen3);
  levelSelect->button5->SetLink(winScreen->screen1);
  winScreen->button2->SetLink(mainMenu->screen1);
  LinkSessionToScreens();
  TSessionLinks& links = SessionLinks();
  links.ownLevelWon = [](const TOwnLevel& level, int shots) {
    if (level.name.empty()) return;
    RecordUserLevelBest(level.name, shots);
    if (levelSelect && levelSelect->ShowsMyLevels()) levelSelect->ShowMyLevels(true);
  };
  // Escape in a level on trial from the editor goes back to editing instead of pausing.
  links.openPauseMenu = [pause = links.openPauseMenu] {
    if (OwnLevel() && OwnLevel()->returnState == STATE_EDITOR)
      sessionCommand = COMMAND_NEXT_LEVEL;
    else if (pause)
      pause();
  };
}

void AdvanceToNextLevel() { session = StartSession(currentLevel + 1); }

namespace {

void LeaveOwnLevel() {
  if (session) session->exitAll();
  session = nullptr;
  gameState = OwnLevel() ? OwnLevel()->returnState : STATE_MAIN_MENU;
  SetOwnLevel(nullptr);
  sessionCommand = COMMAND_NONE;
  if (pauseMenu) pauseMenu->show = 0;
  FlushMouse();
  FlushKeys();
}

/// The level's name when the file lies in the player's level folder, else "".
std::string OwnLevelName(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file = fs::weakly_canonical(path, ec);
  // The folder's path ends in a separator: its parent_path is the folder itself.
  const fs::path folder = fs::weakly_canonical(fs::path(UserLevelFolder()).parent_path(), ec);
  const std::string name = file.stem().string();
  if (ec || file.parent_path() != folder || file.extension() != ".xml" || !IsLevelName(name))
    return "";
  return name;
}

}  // namespace

bool PlayLevelFile(const std::string& path, int returnState) {
  const TUserLevel read = ReadUserLevel(path);
  if (!read.level) {
    std::fprintf(stderr, "brakkon: cannot play %s: %s\n", path.c_str(), read.problem.c_str());
    SetPlayerNotice("Cannot play " + std::filesystem::path(path).filename().string() + ": " +
                    read.problem + ".");
    return false;
  }
  auto own = std::make_shared<TOwnLevel>();
  own->path = path;
  own->name = OwnLevelName(path);
  own->level = read.level;
  own->returnState = returnState;
  PlayOwnLevel(own);
  return true;
}

void StartLevelFromSelection(int level) {
  // As a click on "start": the table selects the row, so the win and lastLevel behave the same.
  levelSelect->table->SelectItem(level - 1);
  if (levelSelect->table->GetContent(level - 1, 2) != "Open") {
    levelSelect->table->SetContent(level - 1, 2, "Open");
  }
  pauseMenu->show = 0;
  sessionCommand = COMMAND_NONE;
  levelSelect->levelBestShots = xmlTextToInt(levelSelect->table->GetContent(level - 1, 1));
  session = StartSession(level);
  gameState = STATE_PLAY;
  kiv_SetScreen("Screen 2");
}

/// Time of each pass given to making the textures of the level prepared next.
constexpr int PREPARATION_SLICE_MICROSECONDS = 2000;

bool MainLoopPass() {
  UpdateMusic();
  if (AppTerminate()) gameState = STATE_ENDING;
  if (gameState == STATE_ENDING) {
    SaveOptionsOnExit(levelSelect ? levelSelect->table->SelectedItem() : currentLevel - 1);
    return false;
  }
  bool drew = false;
  if (gameState == STATE_PLAY && session && session->m_world && session->m_world->world &&
      sessionCommand == COMMAND_NONE) {
    session->Update();
    drew = true;
    const bool paused = SessionLinks().isPaused && SessionLinks().isPaused();
    // A held joystick button asks only to start the cannon: asking again in the frame in which
    // the ragdoll leaves would launch a second one every cycle. A click on the next-level button
    // is the button's: it takes the player on (in this frame or the next) and fires nothing.
    const bool clicked = MouseHit(1) != 0;
    // The hint button, like the next-level button, takes its own click.
    const bool onHint = clicked && !paused && session->AimOnHintButton();
    if (onHint) session->ShowHint();
    // Enter (a controller's A) or Ctrl fires as a click does; after a win the session took
    // Enter to go on. While paused, Enter is left for the pause menu's focus.
    const bool keyFire = !paused && (KeyHit(KEY_ENTER) != 0 || KeyHit(KEY_CONTROL) != 0);
    const bool fire = clicked ? !session->AimOnNextLevel() && !onHint
                              : keyFire || (JoyDown(1, 0) && session->currentFrameOfCannon == 0);
    if (fire && !paused) session->shotRagdoll();
  }
  if (gameState == STATE_PLAY && sessionCommand == COMMAND_NEXT_LEVEL && OwnLevel()) {
    LeaveOwnLevel();  // after a level of one's own, back to where it was started
  }
  if (gameState == STATE_PLAY && sessionCommand == COMMAND_NEXT_LEVEL) {
    if (session) session->exitAll();
    session = nullptr;
    sessionCommand = COMMAND_NONE;
    AdvanceToNextLevel();
  }
  if (gameState == STATE_PLAY && sessionCommand == COMMAND_RESTART) {
    if (session) session->exitAll();
    session = nullptr;
    sessionCommand = COMMAND_NONE;
    session = std::make_shared<TGame>();
  }
  if (gameState == STATE_MAIN_MENU && mainMenu) {
    mainMenu->Update();
    drew = true;
  }
  if (gameState == STATE_LEVEL_SELECT && levelSelect) {
    levelSelect->Update();
    drew = true;
  }
  if (gameState == STATE_SETTINGS && settingsScreen) {
    settingsScreen->Update();
    drew = true;
  }
  if (gameState == STATE_EDITOR) {
    if (!editor) editor = std::make_shared<TEditor>();
    editor->Update();
    drew = gameState == STATE_EDITOR;
  }
  if (gameState == STATE_FINAL_WIN && winScreen) {
    winScreen->Update();
    drew = true;
  }
  // A level file dropped onto the window is played; after it the player comes back here.
  for (std::string dropped = TakeDroppedFile(); !dropped.empty(); dropped = TakeDroppedFile()) {
    const int from = gameState != STATE_PLAY ? gameState
                     : OwnLevel()            ? OwnLevel()->returnState
                                             : STATE_LEVEL_SELECT;
    if (!PlayLevelFile(dropped, from) && gameState != STATE_PLAY) {
      gameState = STATE_LEVEL_SELECT;  // where the notice saying why is shown
    }
  }
  // Without its screen (tests) a state still shows a frame, so the loop keeps its pace.
  if (!drew && gameState != STATE_PLAY) DrawEmptyFrame();
  AdvancePreparation(PREPARATION_SLICE_MICROSECONDS);
  return true;
}

int RunGame(const TLaunchOptions& options) {
  if (!options.checkFile.empty()) {
    // The checking process: no window, no sound, nothing on standard output but its report. Its
    // workers open their media themselves.
    SetLogQuiet(true);
    SetHeadless(true);
    SetProgramMedia(RegisterEmbeddedAssets, LoadSharedMedia);
    return RunLevelCheck(options.checkFile, options.planFile);
  }
  SetHeadless(options.headless);
  RegisterEmbeddedAssets();
  if (options.level > 0 && !IsEmbeddedAsset(LevelAssetPath(options.level))) {
    std::fprintf(stderr, "brakkon: there is no level %d\n", options.level);
    return 2;
  }
  // A level file that cannot be played is told before any window opens.
  if (!options.levelFile.empty()) {
    const TUserLevel read = ReadUserLevel(options.levelFile);
    if (!read.level) {
      std::fprintf(stderr, "brakkon: cannot play %s: %s\n", options.levelFile.c_str(),
                   read.problem.c_str());
      return 2;
    }
  }
  AppTitle("Brakkon");
  if (!Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, FRAME_HERTZ, 0)) return 1;
  graphicsHertz = GraphicsHertz();
  LogLine("Renderer: " + RendererName() + (PresentsInStep() ? ", in step with the display" : ""));
  SetFrameLimit(options.frames, options.screenshotFile);
  EnableMinimizeBox();
  LoadSharedMedia();
  if (!options.dataDir.empty()) SetDataFolder(options.dataDir);
  LoadOptions();
  SetUpGui();
  debugPhysicsWorlds = options.debugPhysics;
  HideMouse();
  musicList = {shared.theme[1], shared.theme[0], shared.theme[2], shared.theme[3]};
  musicChannel = PlaySound(musicList[0]);
  ReadOptionSwitches();
  ReadPlaySettings();
  ApplyAudioSettings();
  if (playSettings.fullscreen) SetFullscreen(true);
  CreateScreens();
  kiv_SetScreen("Screen 1");
  gameState = STATE_MAIN_MENU;
  if (options.level > 0) StartLevelFromSelection(options.level);
  if (!options.levelFile.empty() && !PlayLevelFile(options.levelFile, STATE_MAIN_MENU)) {
    EndGraphics();
    return 2;
  }
  // The script starts with the main loop: nothing of it may reach the start-up (a new session
  // would flush its keys).
  if (!options.inputFile.empty()) {
    std::string error;
    if (!LoadInputScript(options.inputFile, &error)) {
      std::fprintf(stderr, "brakkon: input script %s: %s\n", options.inputFile.c_str(),
                   error.c_str());
      session = nullptr;
      EndGraphics();
      return 2;
    }
  }
  SetInputScriptOrigin();  // script frames count from the first frame of the main loop
  if (options.randomInputSeed > 0)
    StartRandomPlayer(static_cast<unsigned>(options.randomInputSeed));
  do {
    RandomPlayerStep();
  } while (MainLoopPass());
  ReportRandomPlayer();
  editor = nullptr;
  session = nullptr;
  LeaveGraphics();
  return 0;
}
