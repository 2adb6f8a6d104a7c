// What a level is made of and how hard it is: the mechanics read from its file, and the share of
// a grid of first-shot aim points that win, printed as a table or as CSV.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "solver/fair_search.h"

struct TLevelFile;

/// The mechanics a level uses, counted from its file.
struct TMechanics {
  int dynamic = 0;  ///< dynamic boxes and circles
  int chains = 0;
  int slidersLeft = 0, slidersRight = 0, slidersUp = 0, slidersDown = 0;
  int turning = 0;
  bool portals = false;
  std::string gravity = "down";
  std::string weather;    ///< empty: none; "+thunder" appended when it thunders
  std::string creatures;  ///< "mouse", "spider", "sun", "crow", "snowman" joined by '+'
};
TMechanics ReadMechanics(const TLevelFile& level);
/// "dynamic 2, sliders L1 D1, portals, gravity up" and so on; "-" for a level with none.
std::string DescribeMechanics(const TMechanics& m);

struct TLevelStats {
  int level = 0;
  int gridWins = 0;
  int gridPoints = 0;
  int fewestShots = 0;            ///< 0: no win found
  bool fewestFromStored = false;  ///< found by the stored solution, not by the grid
  int bodies = 0;
  TMechanics mechanics;
  std::optional<TFairness> fairness;  ///< of the stored plan, when there is one

  /// The share of the grid's aims that win, 0-1.
  double WinShare() const {
    return gridPoints > 0 ? static_cast<double>(gridWins) / gridPoints : 0.0;
  }
};

std::string StatsTable(const std::vector<TLevelStats>& rows);
std::string StatsCsv(const std::vector<TLevelStats>& rows);
