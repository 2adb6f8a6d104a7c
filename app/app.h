// The application shell: start-up, the Loading screen, music and the main loop.
#pragma once

#include <memory>
#include <string>

struct TOwnLevel;

/// What the command line asked for.
struct TLaunchOptions {
  bool headless = false;
  int frames = 0;              ///< close after this many frames; 0 runs until closed
  std::string screenshotFile;  ///< PNG of the last frame at exit
  std::string inputFile;       ///< frame-stamped input script
  std::string dataDir;         ///< where the options and progress file lives
  int level = 0;               ///< start in this level; 0 starts in the main menu
  bool debugPhysics = false;
  int randomInputSeed = 0;  ///< soak runs: the random-input player with this seed; 0 none
  std::string levelFile;    ///< a level file to play at once (`brakkon FILE.xml`)
  std::string checkFile;    ///< --check: solve this level file headless, report, and exit
  std::string planFile;     ///< --plan: where --check writes the plan it found
};

/// Parses argv. Returns false with a message for an unknown flag or a bad value; sets
/// `exitNow` (and fills `message`) for --help and --version.
bool ParseLaunchOptions(int argc, char** argv, TLaunchOptions& options, std::string& message,
                        bool& exitNow);

/// Runs the whole program; returns the process exit code.
int RunGame(const TLaunchOptions& options);

/// Draws one frame of the Loading screen.
void ShowLoadingStep();
/// Starts a new random track when the current one has ended; once per loop pass.
void UpdateMusic();
/// Loads the pictures and sounds that several screens share, one Loading frame after each.
void LoadSharedMedia();
/// Registers the skin, the cursor and the four menu fonts.
void SetUpGui();
/// Builds the four screen objects and links their buttons and the session to them.
void CreateScreens();
/// Starts level `level` as the level selection's "start" does (--level); a closed level is
/// opened for this run.
void StartLevelFromSelection(int level);
/// Reads a level file from outside (command line, a file dropped on the window) and plays it;
/// false with the reason told on standard error and on screen when it cannot be played.
bool PlayLevelFile(const std::string& path, int returnState);
/// currentLevel + 1 and a new session.
void AdvanceToNextLevel();
/// One pass of the main loop; returns false once the program should end.
bool MainLoopPass();
