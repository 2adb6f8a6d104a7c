// The stored solution of a level: a small text file per level, assets/solutions/level<n>.txt,
// read by verify and written by solve. The format and its reader are the game's own
// (game/level_plan.h, which the game uses for par and hints); this adds the files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/level_plan.h"
#include "solver/level_run.h"

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
