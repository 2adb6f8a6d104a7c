// The check of a level of one's own: can it be won, with how many shots, how many of the first
// shots a player could fire win it, and how forgiving the plan found is. The search runs in a
// child process (`brakkon --check FILE --plan PLAN`), because a session is global state of the
// game; the editor starts it, reads its lines each frame and stays responsive. The plan is
// written in the level tools' solution format (shot FRAME X Y, wait W).
#pragma once

#include <string>
#include <vector>

/// First shot of every plan: a person has had a second to aim.
constexpr int CHECK_FIRST_SHOT_FRAME = 60;
/// Generator state every checked play starts from, as the level tools' plays do.
constexpr int CHECK_SEED = 4660;

struct TCheckShot {
  int frame = 0;
  int x = 0, y = 0;
};

struct TCheckReport {
  bool finished = false;
  bool winnable = false;
  int shots = 0;              ///< shots of the plan found
  double firstShotShare = 0;  ///< of the aims over the whole screen, the share whose shot wins
  /// Of the plays around the plan (its aims off by up to 2 pixels, its clicks up to 3 frames
  /// early or late), the share that still wins.
  double fairness = 0;
  double secondsToPlan = 0;  ///< until the first fair plan was known
  double seconds = 0;
  int plays = 0;
  std::vector<TCheckShot> plan;
  int wait = 0;       ///< frames after the last shot's frame the plan plays
  std::string error;  ///< why the check could not run
};

/// Lines the checking process prints, and their reading (the parent's side).
std::string CheckReportLine(const TCheckReport& report);
bool ParseCheckLine(const std::string& line, TCheckReport& report, std::string& progress);

/// Plan text in the level tools' solution format.
std::string CheckPlanText(const TCheckReport& report, const std::string& comment);

/// The checking process: reads the level file, searches, prints progress and the report on
/// standard output, writes the plan to `planPath` when one was found. Needs the shared media
/// loaded (no window). Returns the process exit code: 0 winnable, 1 not, 2 a fault.
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
