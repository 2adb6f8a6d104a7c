// Fidelity figures of the physics, measured on plays of the real session: how far ragdoll joints
// open and overshoot their limits, how far chains stretch under their ends, and how soon ragdolls
// and chains that have come to rest fall asleep. `brakkon-levels physics` prints them per level.
#pragma once

#include <string>
#include <vector>

#include "solver/level_run.h"

/// What one play shows. Lengths in pixels, angles in degrees, times in seconds.
struct TPlayFigures {
  float jointOpening = 0;   ///< widest gap between the two anchors of any ragdoll joint
  int jointOpenFrames = 0;  ///< longest run of frames one joint stood over JOINT_OPEN_PX
  float overshoot = 0;      ///< furthest any ragdoll joint went past one of its limits
  int overshootFrames = 0;  ///< longest run of frames one joint stood over OVERSHOOT_DEGREES
  int dollsAtRest = 0;      ///< ragdolls that came to rest and stayed there to the end
  int dollsAwake = 0;       ///< of those, how many stayed awake longer than REST_SLEEP_SECONDS at a
                            ///< stretch while at rest (from coming to rest, or from being woken)
  float restToSleep = 0;    ///< the longest such stretch (to the end, for one that never slept)
  float drift = 0;          ///< furthest a resting torso moved in the DRIFT_SECONDS after it slept
  std::vector<float> chainStretch;  ///< each chain's anchor-to-end length at CHAIN_FRAME / built
  float chainSleep = -1;            ///< when every chain body was asleep, from the start; -1: never
  /// Longest a chain at rest stayed awake at a stretch, seconds; -1: no chain came to rest (one
  /// that a moving part of the level keeps striking never does).
  float chainRestAwake = -1;

  std::string Encode() const;
  static bool Decode(const std::string& line, TPlayFigures& figures);
};

constexpr float JOINT_OPEN_PX = 4;
constexpr float OVERSHOOT_DEGREES = 20;
/// Longest run of frames a joint may stand over either bound.
constexpr int JOINT_RUN_FRAMES = 2;
constexpr float CHAIN_STRETCH_LIMIT = 1.10f;
/// The frame the chains are measured in (a play without shots).
constexpr int CHAIN_FRAME = 600;
constexpr float REST_SLEEP_SECONDS = 2;
constexpr float DRIFT_SECONDS = 30;
constexpr float DRIFT_LIMIT_PX = 1;
/// How long the chains of a play without shots have to fall asleep.
constexpr int CHAIN_PLAY_FRAMES = 1200;

/// Plays `plan` on `level` for plan.Frames() frames at most, or until every ragdoll has slept for
/// DRIFT_SECONDS, not stopping at a win, and measures it. Needs OpenLevelMedia.
TPlayFigures MeasurePlay(int level, const TShotPlan& plan);

/// The fixed shots every level is measured with besides its stored plan: full power, a lob and a
/// flat shot, each fired once in frame 60, played long enough for the ragdoll to settle and then
/// lie for DRIFT_SECONDS.
std::vector<TShotPlan> MeasuredShots();
/// Frames a measured plan plays after its last shot.
constexpr int MEASURE_WAIT = 2700;

/// The figures of one level: every play merged (the worst of each figure, chains from the play
/// without shots). `Passes` applies the thresholds above.
struct TLevelFigures {
  int level = 0;
  TPlayFigures worst;
  bool Passes() const;
  /// One line: level, each figure, and what fails.
  std::string Line() const;
};
void MergeFigures(TPlayFigures& into, const TPlayFigures& play);
