// A level's stored plan: the shots that win it (the frame of each click and its aim point) and
// how long it plays after the last one. The plans ship in the asset pack as
// solutions/level<n>.txt; the game takes each level's par and its hints from them, the level
// tools replay, search and write them. Text format:
//   # comment lines and blank lines are ignored
//   shot FRAME X Y     a click in frame FRAME with the aim point (X, Y), one line per shot,
//                      frames ascending
//   wait W             frames played after the frame of the last shot (one line, after the shots)
#pragma once

#include <optional>
#include <string>
#include <vector>

/// A click: in frame `frame` (0-based Update count) the mouse stands at (x, y) before Update,
/// and the click fires right after that Update, as the main loop does.
struct TShot {
  int frame = 0;
  int x = 0, y = 0;  ///< aim point, screen pixels
};

/// The shots of a run and how long it lasts after the last one.
struct TShotPlan {
  std::vector<TShot> shots;  ///< ascending, frames at least one apart
  int wait = 0;              ///< frames played after the frame of the last shot

  /// Update calls of the whole run: up to and including the last shot's frame, then `wait`.
  int Frames() const;
};

/// Reads a plan's text. Strict: on a fault returns false and names the line in `error`.
bool ParseSolution(const std::string& text, TShotPlan& plan, std::string& error);
/// The text of a plan, `comment` (may be empty) as a comment line first.
std::string FormatSolution(const TShotPlan& plan, const std::string& comment);

/// Asset path of a level's plan: "solutions/level<n>.txt".
std::string PlanAssetPath(int level);
/// The embedded plan of `level`; nullopt when it has none or it does not read.
std::optional<TShotPlan> LoadLevelPlan(int level);
