// The checking process: the level toolchain's fair search, played by worker processes of this
// process on a copy of the level file, with the progress and the report as lines on standard
// output (level_check.h).
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "editor/level_check.h"
#include "game/level_file.h"
#include "game/user_levels.h"
#include "media/media.h"
#include "solver/fair_search.h"
#include "solver/level_run.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

/// The items of the plan's measures: "1 shot from frame 60", "aim ...", and for a plan that is
/// not fair, last, "UNFAIR" with what it misses.
std::vector<std::string> MeasureItems(const TFairness& judged) {
  const std::string line = judged.Measures();
  std::vector<std::string> items;
  for (std::size_t at = 0; at <= line.size();) {
    const std::size_t bar = line.find(" | ", at);
    std::string item = line.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
    // The table's column padding means nothing in a list.
    for (std::size_t twice = item.find("  "); twice != std::string::npos; twice = item.find("  "))
      item.erase(twice, 1);
    if (!item.empty() && item != "fair") items.push_back(item);
    if (bar == std::string::npos) break;
    at = bar + 3;
  }
  return items;
}

/// A folder of the check's own holding a copy of the level file, so that the toolchain reads that
/// file and no other. Removed when the check ends.
class TCheckFolder {
 public:
  explicit TCheckFolder(const std::string& levelPath) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brakkon-check-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    folder = pattern;
    const std::optional<std::vector<std::uint8_t>> bytes = ReadAssetOrFile(levelPath);
    if (!bytes || bytes->size() > MAX_LEVEL_FILE_BYTES) return;
    std::string error;
    // One name for every level: a level named like a game level (level901) is played as the level
    // of one's own it is all the same.
    ready = WriteFileAtomic(folder + "/checked.xml", *bytes, &error);
  }
  ~TCheckFolder() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
  }
  TCheckFolder(const TCheckFolder&) = delete;
  TCheckFolder& operator=(const TCheckFolder&) = delete;
  std::string folder;
  bool ready = false;
};

}  // namespace

int RunLevelCheck(const std::string& levelPath, const std::string& planPath) {
  const Clock::time_point start = Clock::now();
  const TUserLevel read = ReadUserLevel(levelPath);
  if (!read.level) {
    Say("error " + levelPath + ": " + read.problem);
    return 2;
  }
  const TCheckFolder copy(levelPath);
  if (!copy.ready) {
    Say("error " + levelPath + ": the check could not make its copy of it in the temporary folder");
    return 2;
  }
  // Workers are forked before any asset is registered here: they register the pictures and
  // sounds a play never needs as empty first, as the level tools do.
  UseLevelFolder(copy.folder);
  TWorkerPool pool(DefaultWorkerCount());
  RegisterLevelAssets();
  if (NamedLevels().size() != 1 || !pool.Prepare(DrawnOnlyAssets())) {
    Say("error the checking workers could not be started");
    return 2;
  }
  const int level = NamedLevels().front();
  TCheckReport report;
  TFairSearch search;
  search.play = [&](const std::vector<TRunJob>& jobs, std::vector<TRunResult>& results) {
    report.plays += static_cast<int>(jobs.size());
    std::string error;
    if (pool.Run(jobs, results, error)) return true;
    Say("error " + error);
    return false;
  };
  search.say = [](const std::string& line) { Say("progress " + line); };
  // The answer first: whether the level can be won, and with how many shots.
  search.winnable = [&](const TTried& first) {
    report.secondsToWin = Seconds(start);
    Say("found shots " + std::to_string(first.plan.shots.size()) + " seconds " +
        std::to_string(report.secondsToWin));
  };
  const std::optional<TFairSearchResult> found = FairSearch(search, level);
  if (!found) return 2;
  report.secondsToPlan = Seconds(start);
  if (found->firstRoundPlays > 0)
    report.firstShotShare =
        static_cast<double>(found->firstRoundWins) / static_cast<double>(found->firstRoundPlays);
  if (found->found) {
    const TShotPlan& plan = found->best.plan;
    report.winnable = true;
    report.plan = plan.shots;
    report.shots = static_cast<int>(plan.shots.size());
    report.wait = plan.wait;
    report.fair = found->judged.Fair();
    report.measures = MeasureItems(found->judged);
    if (!planPath.empty()) {
      const std::string text = FormatSolution(
          plan, "The plan the editor's check found for " +
                    std::filesystem::path(levelPath).filename().string() +
                    (report.fair ? " (fair)." : " (not fair:" + found->judged.Failures() + ")."));
      std::string error;
      if (!WriteFileAtomic(planPath, std::vector<std::uint8_t>(text.begin(), text.end()), &error))
        Say("error the plan could not be saved: " + error);
    }
  }
  report.finished = true;
  Say(CheckReportLine(report));
  return report.winnable ? 0 : 1;
}
