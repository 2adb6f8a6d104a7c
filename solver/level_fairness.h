// Whether a level's stored plan is one a person can repeat: shots at moments a person can click,
// aims that still win when the hand is a pixel or two off, a click a few frames early or late
// that still wins, a patch of winning aims rather than a speck, and a scene that has settled (or
// comes round again) when the player is ready. Each measure is a set of plays of the plan with
// one thing changed; this file builds those plays and judges their results.
#pragma once

#include <string>
#include <vector>

#include "solver/level_run.h"

/// The first shot no earlier than this frame, each later one at least FAIR_SHOT_GAP after.
constexpr int FAIR_FIRST_FRAME = 60;
constexpr int FAIR_SHOT_GAP = 30;
/// Aim moves by 1 and 2 px in 8 directions: at least 14 of the 16 win; by 4 px: 4 of 8.
constexpr int FAIR_NEAR_WINS = 14;
constexpr int FAIR_FAR_WINS = 4;
/// The patch: aims within +-FAIR_PATCH_PX of the stored one, sampled every FAIR_PATCH_STEP px;
/// at least FAIR_PATCH_SHARE of them win.
constexpr int FAIR_PATCH_PX = 6;
constexpr int FAIR_PATCH_STEP = 2;
constexpr double FAIR_PATCH_SHARE = 0.40;
/// A settled level: the plan wins shifted to any start from FAIR_FIRST_FRAME to FAIR_SETTLED_LAST
/// (sampled every FAIR_SETTLED_STEP frames).
constexpr int FAIR_SETTLED_LAST = 600;
constexpr int FAIR_SETTLED_STEP = 30;
/// A level with moving parts: windows of winning starts at least FAIR_WINDOW_FRAMES wide that come
/// round at least every FAIR_WINDOW_PERIOD frames, sampled every FAIR_WINDOW_STEP frames over two
/// periods.
constexpr int FAIR_WINDOW_FRAMES = 6;
constexpr int FAIR_WINDOW_PERIOD = 300;
constexpr int FAIR_WINDOW_STEP = 2;

/// Which measures to take besides aim and timing (the quick check needs only those two).
struct TFairnessScope {
  bool patch = true;
  bool settle = true;
};

/// One play of a variant and what it tests.
struct TFairnessPlay {
  enum Kind { NEAR_AIM, FAR_AIM, TIMING, PATCH, START } kind = NEAR_AIM;
  int shot = 0;   ///< the shot changed (START: the whole plan shifted)
  int start = 0;  ///< START: the first shot's frame
  TShotPlan plan;
};

/// The plays that measure `plan` on a level with or without moving parts.
std::vector<TFairnessPlay> FairnessPlays(const TShotPlan& plan, bool moving,
                                         const TFairnessScope& scope);

/// The judgement of one level from its plays' results (in FairnessPlays order).
struct TFairness {
  int level = 0;
  int shots = 0;
  bool timesOk = false;  ///< first shot and gaps
  int firstFrame = 0;
  int nearWins = 0, nearPlays = 0;  ///< the worst shot's
  int farWins = 0, farPlays = 0;
  int timingWins = 0, timingPlays = 0;  ///< over all shots
  double patchShare = -1;               ///< the worst shot's; -1 not measured
  bool moving = false;
  int settledWins = 0, settledPlays = 0;    ///< still levels
  int narrowestWindow = 0, longestGap = 0;  ///< moving levels, frames; -1 not measured
  bool settleMeasured = false;

  bool Fair() const;
  /// The failed measures, or "" for a fair level.
  std::string Failures() const;
  /// "level N: " and the measures.
  std::string Line() const;
  /// The measures, " | " between them, last "fair" or "UNFAIR" and the failures.
  std::string Measures() const;
};

TFairness JudgeFairness(int level, const TShotPlan& plan, bool moving,
                        const std::vector<TFairnessPlay>& plays,
                        const std::vector<TRunResult>& results);
