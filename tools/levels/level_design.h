// Helpers for making levels: a skeleton file to start from, and a check of a level file for the
// faults that are easy to make by hand (bodies overlapping at the start, off the screen, in the
// cannon's way, a missing target or picture), and what the game would change when reading it
// (values clamped, entries over a limit).
#pragma once

#include <string>
#include <vector>

struct TLevelFile;

struct TFinding {
  bool error = false;  ///< false: a warning worth a look
  std::string text;
};

/// Findings about a level file, errors first in file order. Needs the embedded assets (for the
/// picture sizes).
std::vector<TFinding> CheckLevel(const TLevelFile& level);

/// Findings from playing the level without a shot for two seconds: bodies that move on their own
/// (slide, tip over, roll, or are pushed apart because they overlap). An error on a level without
/// moving parts, a warning where a moving part may push them. Needs OpenLevelMedia.
std::vector<TFinding> CheckStart(int level, const TLevelFile& file, bool moving);

/// The text of a new level: floor, right wall, a pedestal with the target, the counters in the top
/// left corner, a background picked by the level number.
std::string LevelSkeleton(int level);
