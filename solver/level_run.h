// One level played headless by the real session (TGame with drawing off): the shots of a plan
// are fired at their frames, exactly as the main loop fires a click, and the run reports whether
// and in which frame the level was won. The level tools build everything on this.
#pragma once

#include <string>
#include <vector>

#include "game/level_plan.h"

struct TRunResult {
  bool won = false;
  int winFrame = 0;     ///< frames played when the win was handled (the game logs this number)
  int shots = 0;        ///< shots the session counted
  int framesRun = 0;    ///< Update calls made
  bool rested = false;  ///< stopped early: every ragdoll gone or lying still
  float closest = 0;    ///< nearest a ragdoll part's centre came to a target's centre, world units
  int bodies = 0;       ///< physics bodies of the level at the start, the ground body not counted
  std::string figures;  ///< a measuring job's figures, encoded (see SetPlayMeasure)
};

/// Frames the game runs per second; the physics step follows from it.
constexpr int LEVEL_RUN_HERTZ = 60;
/// The generator state every run starts from (the game's own start value).
constexpr int LEVEL_RUN_SEED = 4660;

/// Level files are read from DIR/level<n>.xml before the embedded ones (a level being designed
/// plays without rebuilding the asset pack). Call before RegisterLevelAssets.
void UseLevelFolder(const std::string& dir);
/// The level folder's files named otherwise (NAME.xml, as the editor saves levels of one's own)
/// are played as levels NAMED_LEVEL_BASE, NAMED_LEVEL_BASE + 1, ... in the order of their names;
/// their plans are NAME.txt beside them, whatever --solutions says.
constexpr int NAMED_LEVEL_BASE = 100001;
/// N of a file named level<N><extension> (N a plain number, no leading zero), else 0.
int NumberedLevelFile(const std::string& name, const std::string& extension);
std::string LevelName(int level);  ///< NAME of a named level, "" for a numbered one
std::vector<int> NamedLevels();
std::string NamedPlanPath(int level);  ///< the folder's NAME.txt, "" for a numbered level
/// How reports name a level: its number, or the NAME of a named one.
std::string LevelLabel(int level);
/// Registers the level folder's files, then the embedded assets. Safe to call again.
void RegisterLevelAssets();

/// Pictures and sounds that are only drawn or played, never part of a play: backgrounds,
/// decorations, creatures and sounds. Asks the asset table, so call after RegisterLevelAssets.
std::vector<std::string> DrawnOnlyAssets();
/// Makes the given assets empty (so they load as missing) in a process that plays without
/// drawing: decoding a background costs more than most plays. Call before RegisterLevelAssets.
void StubAssets(const std::vector<std::string>& paths);

/// What the program links: the registration of its asset pack (RegisterEmbeddedAssets of the pack
/// it links) and its loader of the shared pictures and sounds every session uses (the game's
/// own). Set before RegisterLevelAssets and OpenLevelMedia.
void SetProgramMedia(void (*registerAssets)(), void (*loadSharedMedia)());
/// Headless media for the level tools: embedded assets and the shared pictures, sound and music
/// off, log lines silent; with `screen` an 800 x 600 software screen to draw on. Without one the
/// session plays the same (pictures are decoded alike and collide alike) and input queries do not
/// poll the system, which makes plays several times faster. Call once per process.
bool OpenLevelMedia(bool screen);
void CloseLevelMedia();

/// Whether levels/level<n>.xml is embedded.
bool LevelExists(int level);
/// The numbers of every embedded level file, ascending.
std::vector<int> EmbeddedLevels();

/// Plays level `level` with `plan`; the run ends at the win or after plan.Frames() frames. With
/// `stopAtRest` it also ends once no shot is pending and every ragdoll is gone or lies still out of
/// reach of anything moving (a judgement by speed and distance, see TRestWatch): for searching
/// and statistics. verify plays without it, so its verdict is exactly the game's. Needs
/// OpenLevelMedia.
TRunResult RunLevel(int level, const TShotPlan& plan, bool stopAtRest);
