// The search for a fair plan, as brakkon-levels solve and the editor's check run it: a grid of
// first shots (and, without a winner, later shots after those that came closest), each winner
// moved to the middle of its patch of winning aims (and of its window of frames where parts
// move), and judged by every measure of fairness until one is fair. The plays are made by the
// caller (worker processes, or this process), so the search itself is plain code.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "solver/level_fairness.h"
#include "solver/level_workers.h"

/// Frames a play may last after its last shot while searching (early stop usually ends it).
constexpr int SEARCH_WAIT = 600;
/// Frames a stored solution keeps playing after the win frame found, so that a small change of
/// the game does not fail a solution that still wins.
constexpr int STORED_WAIT_MARGIN = 60;
/// Most shots the search tries unless told otherwise.
constexpr int DEFAULT_MAX_SHOTS = 3;
/// The aim points of the difficulty grid: 32 x 24 cell centres over the 800 x 600 screen, fired at
/// FAIR_FIRST_FRAME, when a person can first click and a still level has settled. Its share of
/// winners tells how hard a level is; the search's first round plays it on a still level.
constexpr int STATS_GRID_COLUMNS = 32;
constexpr int STATS_GRID_ROWS = 24;

/// Plays a batch of jobs, results in job order; false when they could not be played.
using TPlayBatch =
    std::function<bool(const std::vector<TRunJob>& jobs, std::vector<TRunResult>& results)>;

/// A plan tried and how its play went.
struct TTried {
  TShotPlan plan;
  TRunResult result;
};

/// Plays every plan of `tried` on `level` (stopping at rest) and stores each result.
bool PlayAll(const TPlayBatch& play, int level, std::vector<TTried>& tried);
/// `plan` with its last aim moved over the square of +-`reach` px every `step` px, row by row
/// (clamped to the screen), the other shots kept.
std::vector<TTried> LastAimSquare(const TShotPlan& plan, int reach, int step);
/// The aim at the middle of cell (`column`, `row`) of a grid over the screen, at frame 0.
TShot GridShot(int column, int row, int columns, int rows);
/// Whether a level has parts that move by themselves (sliders, turning bodies), so that its
/// fairness is judged by windows of winning frames instead of a settled scene.
bool LevelMoves(int level);

struct TFairSearch {
  TPlayBatch play;
  int maxShots = DEFAULT_MAX_SHOTS;
  /// Progress, one line at a time; may be empty.
  std::function<void(const std::string&)> say;
  /// Told the first winner found, as soon as it is found (before the rest of the first round and
  /// before any fairness is measured); may be empty.
  std::function<void(const TTried& first)> winnable;
  void Say(const std::string& line) const;
};

/// What the fair search found: the best plan judged (fair or as near as it came), if any, and
/// how many of the first round's shots won.
struct TFairSearchResult {
  bool found = false;
  TTried best;
  TFairness judged;
  int firstRoundWins = 0, firstRoundPlays = 0;
};

/// The first fair plan of `level`, or the one that came nearest; nothing when a batch could not
/// be played.
std::optional<TFairSearchResult> FairSearch(const TFairSearch& search, int level);

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
