// The pieces of the search for a fair plan (solve): where in a patch of winning aims to aim, how
// to rank winning aims of a grid, and how to order plans that miss some measure of fairness.
#pragma once

#include <optional>
#include <vector>

#include "tools/levels/level_fairness.h"

/// One aim tried and whether it won.
struct TAimSample {
  int x = 0;
  int y = 0;
  bool won = false;
};

/// Among the winning samples, the one whose square of +-FAIR_PATCH_PX holds the largest share of
/// winners (the middle of the patch, away from its edges); among equals the one nearest the
/// winners' centre. Nothing when no sample won.
std::optional<TAimSample> PatchCentre(const std::vector<TAimSample>& samples);

/// The winners of a grid of `columns` x `rows` samples (row by row), best first: by how many of
/// their eight neighbours win, then by their place in the grid. Winners closer than `spacing`
/// pixels to a better one are left out; at most `count` are returned.
std::vector<TAimSample> RankedWinners(const std::vector<TAimSample>& grid, int columns, int rows,
                                      double spacing, int count);

/// Orders judged plans: a fair one above any other, then by the measures met, then by the aim's
/// tolerance (near and far moves, the patch) and the timing.
double FairnessScore(const TFairness& f);
