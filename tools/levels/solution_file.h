// The stored solution of a level: a small text file per level, assets/solutions/level<n>.txt,
// read by verify and written by solve. Format (also in the README):
//   # comment lines and blank lines are ignored
//   shot FRAME X Y     a click in frame FRAME with the aim point (X, Y), one line per shot,
//                      frames ascending
//   wait W             frames played after the frame of the last shot (one line, after the shots)
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/levels/level_run.h"

/// Reads a solution text. On a fault returns false and names the line in `error`.
bool ParseSolution(const std::string& text, TShotPlan& plan, std::string& error);
/// The text of a solution, `comment` (may be empty) as a comment line first.
std::string FormatSolution(const TShotPlan& plan, const std::string& comment);
/// The same shots as the game's input script (`build/brakkon --level N --input FILE`).
std::string FormatInputScript(const TShotPlan& plan);

/// DIR/level<n>.txt
std::string SolutionPath(const std::string& dir, int level);
/// Levels with a solution file in `dir`, ascending.
std::vector<int> StoredSolutionLevels(const std::string& dir);
/// Loads a level's solution; nullopt with `error` set when missing or malformed.
std::optional<TShotPlan> LoadSolution(const std::string& dir, int level, std::string& error);
/// Writes a level's solution through a temporary file; false with `error` set on failure.
bool SaveSolution(const std::string& dir, int level, const TShotPlan& plan,
                  const std::string& comment, std::string& error);
