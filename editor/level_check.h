// The check of a level of one's own: can it be won, with how many shots, how many of the first
// shots a player could fire win it, and whether the plan found is fair by the measures every
// level of the game meets. It is the level toolchain's own search (solver/fair_search.h) on the
// level file, run in a child process (`brakkon --check FILE --plan PLAN`) because a session is
// global state of the game; the editor starts it, reads its lines each frame and stays
// responsive. The plan is written in the stored plans' format (shot FRAME X Y, wait W).
#pragma once

#include <string>
#include <vector>

#include "game/level_plan.h"

struct TCheckReport {
  bool finished = false;
  bool winnable = false;
  int shots = 0;              ///< shots of the plan found
  double firstShotShare = 0;  ///< of the first round's aims over the screen, the share that wins
  bool fair = false;          ///< the plan meets every measure of fairness
  /// The plan's measures, one item each ("aim 16/16 near, 8/8 at 4 px", "timing 4/4", ...), and
  /// for a plan that is not fair, last, what it misses.
  std::vector<std::string> measures;
  /// Until a win was known (the answer; the plan's fairness is measured after it), and until the
  /// plan was known (the first fair one ends the search).
  double secondsToWin = 0;
  double secondsToPlan = 0;
  int plays = 0;
  std::vector<TShot> plan;
  int wait = 0;       ///< frames after the last shot's frame the plan plays
  std::string error;  ///< why the check could not run
};

/// Lines the checking process prints, and their reading (the parent's side): "progress ...",
/// "found ..." when a win is known (the report is not finished yet), "error ..." and at the end
/// "result ...".
std::string CheckReportLine(const TCheckReport& report);
bool ParseCheckLine(const std::string& line, TCheckReport& report, std::string& progress);

/// The checking process: reads the level file, searches with worker processes of its own,
/// prints progress and the report on standard output, writes the plan to `planPath` when one was
/// found. Call before any media is opened, with the shared media's loader set
/// (SetProgramMedia). Returns the process exit code: 0 winnable, 1 not, 2 a fault.
int RunLevelCheck(const std::string& levelPath, const std::string& planPath);

/// One check in a child process, seen from the editor.
class TLevelCheck {
 public:
  TLevelCheck() = default;
  ~TLevelCheck();
  TLevelCheck(const TLevelCheck&) = delete;
  TLevelCheck& operator=(const TLevelCheck&) = delete;

  /// Starts checking `levelPath` (an old check is cancelled); false with `error`.
  bool Start(const std::string& levelPath, const std::string& planPath, std::string& error);
  /// Reads what the child printed since the last call; never blocks.
  void Poll();
  /// Stops the child, if running.
  void Cancel();
  bool IsRunning() const { return child > 0; }
  bool HasReport() const { return report.finished || !report.error.empty(); }
  const TCheckReport& Report() const { return report; }
  const std::string& Progress() const { return progress; }
  /// The program started with --check; "" for this program itself.
  std::string program;

 private:
  int child = -1;
  int pipe = -1;
  std::string pending;
  std::string progress;
  TCheckReport report;
};
