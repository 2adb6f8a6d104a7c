// The global state every screen and the session read and write directly: which screen the loop
// drives, the session, the switches, the screen objects, the options document, music and the
// shared pictures and sounds loaded at start-up.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "media/media.h"

class TGame;
class TMenu;
class TMenuGame;
class TLevSelect;
class TWin;
class TSettingsScreen;
class xmlDocument;

/// Values of gameState: the screen the main loop updates.
constexpr int STATE_MAIN_MENU = 2;
constexpr int STATE_PLAY = 3;
constexpr int STATE_LEVEL_SELECT = 4;
constexpr int STATE_ENDING = 6;
constexpr int STATE_FINAL_WIN = 7;
constexpr int STATE_SETTINGS = 8;
constexpr int STATE_EDITOR = 9;

/// Values of sessionCommand.
constexpr int COMMAND_NONE = 0;
constexpr int COMMAND_NEXT_LEVEL = 1;
constexpr int COMMAND_RESTART = 2;

constexpr int DEFAULT_LEVEL_COUNT = 170;

extern int gameState;
extern int sessionCommand;
extern int currentLevel;
extern int musicOn;
extern int soundOn;
extern int gameCompleted;

/// What the player sets beyond the two switches; kept as extra attributes of the progress
/// file's root (state/options.h), so the records stay as they were.
struct TPlaySettings {
  int musicVolume = 100;  ///< percent of the music's full volume
  int soundVolume = 100;  ///< percent of the sound effects' full volume
  bool fullscreen = false;
  bool powerGauge = true;      ///< the strength gauge beside the cannon
  bool firstShotDone = false;  ///< the first-run hint on level 1 has done its work
};
extern TPlaySettings playSettings;
extern int levelCount;
extern std::shared_ptr<TGame> session;
extern std::shared_ptr<TMenu> mainMenu;
extern std::shared_ptr<TMenuGame> pauseMenu;
extern std::shared_ptr<TLevSelect> levelSelect;
extern std::shared_ptr<TWin> winScreen;
extern std::shared_ptr<TSettingsScreen> settingsScreen;
extern std::shared_ptr<xmlDocument> optionsDoc;
extern std::string optionsFileName;  ///< "brakkon.dat", relative to the data folder
extern int optionsEncrypt;
extern std::array<SoundPtr, 4> musicList;
extern ChannelPtr musicChannel;
extern int musicIndex;
extern ImagePtr backgroundImage;
extern ChannelPtr rainChannel;
extern int graphicsHertz;
extern int loadingDots;

/// Shared pictures and sounds loaded once at start-up.
struct TSharedMedia {
  /// ragdoll[t][p]: type t 0-3, part p in RAGDOLL_PART_NAMES order.
  std::array<std::array<ImagePtr, 7>, 4> ragdoll;
  SoundPtr winLevel;
  std::array<SoundPtr, 5> fall;
  std::array<SoundPtr, 4> theme;  ///< theme1 .. theme4
  std::array<ImagePtr, 3> baz;
  ImagePtr aim, win, cannon, bracket, portal;
  std::array<ImagePtr, 3> snow;
  ImagePtr closeThumb, title, numLevel;
  std::array<ImagePtr, 10> digits;  ///< n0 .. n9
  ImagePtr mouseHorse, shots, nextLevelBig;
  /// Play aids: the strength gauge (21 cells, empty to full), stars (won, to win) large and
  /// small, the hint's mark, pulse and button, the win banner, the menus' focus pointer and the
  /// settings' volume bar (11 cells).
  ImagePtr gauge, star, starSmall, hintAim, hintPulse, hintButton, banner, focus, volume;
};
extern TSharedMedia shared;

/// Ragdoll part picture names, in the order they are loaded within a type.
inline constexpr std::array<const char*, 7> RAGDOLL_PART_NAMES = {
    "head", "body", "lowerHandLeft", "lowerHandRight", "upperHand", "lowerLeg", "upperLeg"};
