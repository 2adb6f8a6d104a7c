// brakkon-levels: proves that levels can be won and measures them, with the game's own session.
// Commands: verify, solve, stats, physics, render, script, check, new (see Usage below and the
// README). Plays run in worker processes (solver/level_workers.h), two at a time on two
// cores.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "media/media.h"
#include "solver/fair_search.h"
#include "solver/level_fairness.h"
#include "solver/level_run.h"
#include "solver/level_workers.h"
#include "state/globals.h"
#include "tools/levels/level_curve.h"
#include "tools/levels/level_design.h"
#include "tools/levels/level_physics.h"
#include "tools/levels/level_stats.h"
#include "tools/levels/solution_file.h"

namespace {

const char* const USAGE =
    "Usage: brakkon-levels [options] COMMAND [ARGS]\n"
    "  verify [N...]     replay the stored solutions (every level that has one) and check each "
    "wins\n"
    "  solve N           search for the fairest plan of level N (see fairness) and print it in\n"
    "                    the stored format; exit status 1 when it is not fair\n"
    "  stats [N...]      first-shot win share, fewest shots, bodies and mechanics (all levels), "
    "and\n"
    "                    the difficulty curve; over all levels exit status 1 when it misses\n"
    "  render N FILE     PNG of level N as the player first sees it\n"
    "  script N          the stored solution of level N as an input script for brakkon --input\n"
    "  check [N...]      overlaps at the start, bodies off screen or in front of the cannon, no "
    "target,\n"
    "                    values out of range and entries over a level's limits\n"
    "  new N             write a level skeleton to the level folder as level<N>.xml\n"
    "  fairness [N...]   whether each stored plan can be repeated by a person: click times, aim\n"
    "                    and timing tolerance, the patch of winning aims, a settled scene\n"
    "  physics [N...]    joint openings, limit overshoots, chain stretch and sleep at rest (all "
    "levels)\n"
    "Options:\n"
    "  --jobs N          worker processes (default: 2 on two cores or more; 0 plays in this "
    "process)\n"
    "  --levels DIR      read DIR/level<N>.xml before the embedded level files; DIR/NAME.xml\n"
    "                    is a level of one's own, named NAME, its plan DIR/NAME.txt\n"
    "  --solutions DIR   the stored solutions (default: the source tree's assets/solutions)\n"
    "  --csv FILE        stats: also write CSV to FILE; '-' prints CSV instead of the table\n"
    "  --write           solve: store the solution found\n"
    "  --shots K         solve: most shots to try (default 3)\n"
    "  --near            solve: first move the last aim of the stored plan (after a change to\n"
    "                    the physics, most plans need only a nudge)\n"
    "  --quick           fairness: aim and timing only (no patch, no settling)\n"
    "  -v, --verbose     verify: a line for every level, passed or not\n";

/// solve --near: the last aim moved up to NEAR_REACH pixels each way in steps of NEAR_STEP.
constexpr int NEAR_REACH = 20;
constexpr int NEAR_STEP = 2;
/// Where the cursor stands in the first frame of a rendered level.
constexpr int RENDER_POINTER_X = 400;
constexpr int RENDER_POINTER_Y = 300;

struct TOptions {
  int jobs = DefaultWorkerCount();
  std::string levelDir;
  std::string solutionDir = std::string(BRAKKON_SOURCE_DIR) + "/assets/solutions";
  std::string csvFile;
  bool write = false;
  bool verbose = false;
  bool quick = false;
  bool near = false;
  int maxShots = DEFAULT_MAX_SHOTS;
  std::vector<std::string> args;  ///< the command and its arguments
};

bool ParseNumber(const std::string& text, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < 0 || v > 1000000) return false;
  value = static_cast<int>(v);
  return true;
}

bool ParseOptions(int argc, char** argv, TOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--jobs" && more) {
      if (!ParseNumber(argv[++i], o.jobs)) return false;
    } else if (a == "--shots" && more) {
      if (!ParseNumber(argv[++i], o.maxShots) || o.maxShots < 1) return false;
    } else if (a == "--levels" && more) {
      o.levelDir = argv[++i];
    } else if (a == "--solutions" && more) {
      o.solutionDir = argv[++i];
    } else if (a == "--csv" && more) {
      o.csvFile = argv[++i];
    } else if (a == "--quick") {
      o.quick = true;
    } else if (a == "--near") {
      o.near = true;
    } else if (a == "--write") {
      o.write = true;
    } else if (a == "-v" || a == "--verbose") {
      o.verbose = true;
    } else if (a.starts_with("-")) {
      return false;
    } else {
      o.args.push_back(a);
    }
  }
  return !o.args.empty();
}

/// Level numbers from the arguments after the command; false on a word that is not one.
bool LevelArguments(const TOptions& o, std::size_t from, std::vector<int>& levels) {
  for (std::size_t i = from; i < o.args.size(); ++i) {
    int n = 0;
    for (int named : NamedLevels()) {
      if (LevelName(named) == o.args[i]) n = named;
    }
    if (n == 0 && (!ParseNumber(o.args[i], n) || n < 1)) {
      std::fprintf(stderr, "brakkon-levels: \"%s\" is not a level number or name\n",
                   o.args[i].c_str());
      return false;
    }
    levels.push_back(n);
  }
  return true;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Plays the jobs on the pool; says how long it took on standard error, or what went wrong.
bool PlayJobs(TWorkerPool& pool, const char* what, const std::vector<TRunJob>& jobs,
              std::vector<TRunResult>& results) {
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  if (!pool.Run(jobs, results, error)) {
    std::fprintf(stderr, "brakkon-levels: %s\n", error.c_str());
    return false;
  }
  long frames = 0;
  for (const TRunResult& r : results) frames += r.framesRun;
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %zu plays of %.0f frames on average in %.1f s, %d worker%s\n", what,
               jobs.size(),
               jobs.empty() ? 0.0 : static_cast<double>(frames) / static_cast<double>(jobs.size()),
               SecondsSince(start), pool.Workers(), pool.Workers() == 1 ? "" : "s");
  return true;
}

// [SECTION] verify -----------------------------------------------------------------------------

int Verify(const TOptions& o, TWorkerPool& pool) {
  std::vector<int> levels;
  if (!LevelArguments(o, 1, levels)) return 2;
  if (levels.empty()) levels = StoredSolutionLevels(o.solutionDir);
  int passed = 0, failed = 0;
  std::vector<TRunJob> jobs;
  std::vector<int> jobLevels;
  for (int level : levels) {
    std::string error;
    std::optional<TShotPlan> plan = LoadSolution(o.solutionDir, level, error);
    if (!LevelExists(level)) error = "no level file levels/level" + std::to_string(level) + ".xml";
    if (!plan || !error.empty()) {
      std::printf("level %s: %s\n", LevelLabel(level).c_str(), error.c_str());
      ++failed;
      continue;
    }
    // No early stop: verify plays every stored frame, so its verdict is the game's.
    jobs.push_back(TRunJob{level, *plan, false});
    jobLevels.push_back(level);
  }
  std::vector<TRunResult> results;
  if (!PlayJobs(pool, "verify", jobs, results)) return 2;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const TRunResult& r = results[i];
    if (r.won) {
      ++passed;
      if (o.verbose) {
        std::printf("level %s: won with %d shots in frame %d\n", LevelLabel(jobLevels[i]).c_str(),
                    r.shots, r.winFrame);
      }
    } else {
      ++failed;
      std::printf("level %s: not won in %d frames (%d shots fired)\n",
                  LevelLabel(jobLevels[i]).c_str(), r.framesRun, r.shots);
    }
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

// [SECTION] solve ------------------------------------------------------------------------------

/// The winner of a first-shot grid whose neighbours win most often (an aim that does not sit on
/// the edge of a lucky spot), the earliest win among equals.
const TTried* SteadiestGridWinner(const std::vector<TTried>& grid, int columns, int rows) {
  const TTried* best = nullptr;
  int bestNeighbours = -1;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const TTried& t = grid[static_cast<std::size_t>(r * columns + c)];
      if (!t.result.won) continue;
      int neighbours = 0;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          const int rr = r + dr, cc = c + dc;
          if ((dr != 0 || dc != 0) && rr >= 0 && rr < rows && cc >= 0 && cc < columns &&
              grid[static_cast<std::size_t>(rr * columns + cc)].result.won) {
            ++neighbours;
          }
        }
      }
      if (neighbours > bestNeighbours ||
          (neighbours == bestNeighbours && t.result.winFrame < best->result.winFrame)) {
        best = &t;
        bestNeighbours = neighbours;
      }
    }
  }
  return best;
}

/// The search's plays on the pool, each batch timed on standard error.
TPlayBatch SearchBatch(TWorkerPool& pool) {
  return [&pool](const std::vector<TRunJob>& jobs, std::vector<TRunResult>& results) {
    return PlayJobs(pool, "solve", jobs, results);
  };
}

int Solve(const TOptions& o, TWorkerPool& pool) {
  std::vector<int> levels;
  if (!LevelArguments(o, 1, levels) || levels.size() != 1) {
    std::fprintf(stderr, "brakkon-levels: solve takes one level number\n");
    return 2;
  }
  const int level = levels[0];
  if (!LevelExists(level)) {
    std::fprintf(stderr, "brakkon-levels: no level file levels/level%d.xml\n", level);
    return 2;
  }
  const TTried* found = nullptr;
  std::vector<TTried> nudged;
  std::string error;
  if (const std::optional<TShotPlan> stored = LoadSolution(o.solutionDir, level, error);
      o.near && stored && !stored->shots.empty()) {
    // The stored plan with its last aim moved over a square around it, the rest kept.
    nudged = LastAimSquare(TShotPlan{stored->shots, SEARCH_WAIT}, NEAR_REACH, NEAR_STEP);
    if (!PlayAll(SearchBatch(pool), level, nudged)) return 2;
    const int side = 2 * NEAR_REACH / NEAR_STEP + 1;
    found = SteadiestGridWinner(nudged, side, side);
    std::fprintf(stderr, "solve: the stored plan nudged: %s\n", found ? "found" : "no win");
  }
  std::optional<TFairSearchResult> fair;
  if (!found) {
    TFairSearch search;
    search.play = SearchBatch(pool);
    search.maxShots = o.maxShots;
    search.say = [](const std::string& line) { std::fprintf(stderr, "solve: %s\n", line.c_str()); };
    fair = FairSearch(search, level);
    if (!fair) return 2;
    if (fair->found) found = &fair->best;
  }
  if (!found) {
    std::fprintf(stderr, "brakkon-levels: no solution of level %d found with up to %d shots\n",
                 level, o.maxShots);
    return 1;
  }

  // Store only what a full play without early stop confirms.
  TShotPlan plan = found->plan;
  plan.wait = found->result.winFrame - (plan.shots.back().frame + 1) + STORED_WAIT_MARGIN;
  std::vector<TRunResult> check;
  if (!PlayJobs(pool, "solve", {TRunJob{level, plan, false}}, check) || !check[0].won ||
      check[0].winFrame != found->result.winFrame) {
    std::fprintf(stderr, "brakkon-levels: the solution found does not replay the same way\n");
    return 1;
  }
  const std::string comment =
      "Level " + std::to_string(level) + ": won with " + std::to_string(check[0].shots) + " shot" +
      (check[0].shots == 1 ? "" : "s") + " in frame " + std::to_string(check[0].winFrame) +
      " (found by brakkon-levels solve" +
      (fair ? std::string(fair->judged.Fair() ? ", fair" : ", not fair:" + fair->judged.Failures())
            : std::string()) +
      ").";
  std::fputs(FormatSolution(plan, comment).c_str(), stdout);
  if (fair) std::fprintf(stderr, "solve: %s\n", fair->judged.Line().c_str());
  if (o.write) {
    std::filesystem::create_directories(o.solutionDir);
    if (!SaveSolution(o.solutionDir, level, plan, comment, error)) {
      std::fprintf(stderr, "brakkon-levels: %s\n", error.c_str());
      return 2;
    }
    std::fprintf(stderr, "solve: stored %s\n", SolutionPath(o.solutionDir, level).c_str());
  }
  return fair && !fair->judged.Fair() ? 1 : 0;
}

// [SECTION] stats ------------------------------------------------------------------------------

int Stats(const TOptions& o, TWorkerPool& pool) {
  std::vector<int> levels;
  if (!LevelArguments(o, 1, levels)) return 2;
  if (levels.empty()) levels = EmbeddedLevels();
  std::vector<TRunJob> jobs;
  std::map<int, std::size_t> storedJob;  // level -> index of its stored solution's play
  std::map<int, std::vector<TFairnessPlay>>
      fairnessPlays;  // level -> its plan's variants, after it
  std::map<int, TShotPlan> storedPlans;
  for (int level : levels) {
    if (!LevelExists(level)) {
      std::fprintf(stderr, "brakkon-levels: no level file levels/level%d.xml\n", level);
      return 2;
    }
    for (int r = 0; r < STATS_GRID_ROWS; ++r) {
      for (int c = 0; c < STATS_GRID_COLUMNS; ++c) {
        TShot shot = GridShot(c, r, STATS_GRID_COLUMNS, STATS_GRID_ROWS);
        shot.frame = FAIR_FIRST_FRAME;
        jobs.push_back(TRunJob{level, TShotPlan{{shot}, SEARCH_WAIT}, true});
      }
    }
    std::string error;
    if (std::optional<TShotPlan> plan = LoadSolution(o.solutionDir, level, error)) {
      storedJob[level] = jobs.size();
      jobs.push_back(TRunJob{level, *plan, false});
      // The stored plan's fairness, every measure (fairness prints the same per level).
      fairnessPlays[level] = FairnessPlays(*plan, LevelMoves(level), TFairnessScope{});
      storedPlans[level] = *plan;
      for (const TFairnessPlay& p : fairnessPlays[level])
        jobs.push_back(TRunJob{level, p.plan, false});
    }
  }
  std::vector<TRunResult> results;
  if (!PlayJobs(pool, "stats", jobs, results)) return 2;

  std::vector<TLevelStats> rows;
  std::size_t at = 0;
  for (int level : levels) {
    TLevelStats s;
    s.level = level;
    s.gridPoints = STATS_GRID_COLUMNS * STATS_GRID_ROWS;
    for (int i = 0; i < s.gridPoints; ++i, ++at) {
      if (results[at].won) ++s.gridWins;
      s.bodies = results[at].bodies;
    }
    if (s.gridWins > 0) s.fewestShots = 1;
    if (storedJob.count(level) != 0) {
      const TRunResult& stored = results[at++];
      if (stored.won && (s.fewestShots == 0 || stored.shots < s.fewestShots)) {
        s.fewestShots = stored.shots;
        s.fewestFromStored = true;
      }
      const std::vector<TFairnessPlay>& plays = fairnessPlays[level];
      const auto from = results.begin() + static_cast<std::ptrdiff_t>(at);
      const std::vector<TRunResult> own(from, from + static_cast<std::ptrdiff_t>(plays.size()));
      s.fairness = JudgeFairness(level, storedPlans[level], LevelMoves(level), plays, own);
      at += plays.size();
    }
    s.mechanics = ReadMechanics(LoadLevelFile(LevelAssetPath(level)));
    rows.push_back(s);
  }
  if (o.csvFile == "-") {
    std::fputs(StatsCsv(rows).c_str(), stdout);
    return 0;
  }
  std::fputs(StatsTable(rows).c_str(), stdout);
  // Over the whole set the shares must make a curve: easy first levels, falling bands, hard last
  // levels (level_curve.h). A part of the set is only described.
  std::vector<TLevelShare> shares;
  for (const TLevelStats& s : rows) shares.push_back({s.level, s.WinShare()});
  const TCurve curve = JudgeCurve(shares);
  const bool wholeSet = levels == EmbeddedLevels();
  std::fputs(DescribeCurve(curve).c_str(), stdout);
  if (!o.csvFile.empty()) {
    const std::string csv = StatsCsv(rows);
    std::string error;
    if (!WriteFileAtomic(o.csvFile, std::vector<std::uint8_t>(csv.begin(), csv.end()), &error)) {
      std::fprintf(stderr, "brakkon-levels: %s\n", error.c_str());
      return 2;
    }
  }
  return wholeSet && !curve.misses.empty() ? 1 : 0;
}

// [SECTION] fairness ---------------------------------------------------------------------------

/// A line per level with each measure of its stored plan, then a summary; fails when a level is
/// not fair. `--quick` measures aim and timing only.
int Fairness(const TOptions& o, TWorkerPool& pool) {
  std::vector<int> levels;
  if (!LevelArguments(o, 1, levels)) return 2;
  if (levels.empty()) levels = EmbeddedLevels();
  TFairnessScope scope;
  scope.patch = scope.settle = !o.quick;
  struct TMeasured {
    int level;
    TShotPlan plan;
    bool moving;
    std::vector<TFairnessPlay> plays;
    std::size_t firstJob;
  };
  std::vector<TMeasured> measured;
  std::vector<TRunJob> jobs;
  int missing = 0;
  for (int level : levels) {
    std::string error;
    std::optional<TShotPlan> plan = LoadSolution(o.solutionDir, level, error);
    if (!LevelExists(level)) error = "no level file levels/level" + std::to_string(level) + ".xml";
    if (!plan || !error.empty()) {
      std::printf("level %3d: %s | UNFAIR\n", level, error.c_str());
      ++missing;
      continue;
    }
    const bool moving = LevelMoves(level);
    TMeasured entry{level, *plan, moving, FairnessPlays(*plan, moving, scope), jobs.size()};
    for (const TFairnessPlay& p : entry.plays) jobs.push_back(TRunJob{level, p.plan, false});
    measured.push_back(std::move(entry));
  }
  std::vector<TRunResult> results;
  if (!PlayJobs(pool, "fairness", jobs, results)) return 2;
  int fair = 0;
  std::map<std::string, int> failures;
  for (const TMeasured& m : measured) {
    const auto from = results.begin() + static_cast<std::ptrdiff_t>(m.firstJob);
    const std::vector<TRunResult> own(from, from + static_cast<std::ptrdiff_t>(m.plays.size()));
    const TFairness f = JudgeFairness(m.level, m.plan, m.moving, m.plays, own);
    std::printf("%s\n", f.Line().c_str());
    if (f.Fair()) ++fair;
    std::istringstream words(f.Failures());
    for (std::string w; words >> w;) ++failures[w];
  }
  std::string why;
  for (const auto& [measure, count] : failures) why += " " + measure + " " + std::to_string(count);
  if (missing > 0) why += " no-plan " + std::to_string(missing);
  std::printf("summary: %d fair levels of %zu%s%s\n", fair, levels.size(),
              why.empty() ? "" : " | unfair by", why.c_str());
  return fair == static_cast<int>(levels.size()) ? 0 : 1;
}

// [SECTION] physics ----------------------------------------------------------------------------

/// Each level is played with its stored plan, the fixed shots and, where it has chains, without a
/// shot; a line per level with the worst of each figure, then a summary. Fails when a level misses
/// a threshold of tools/levels/level_physics.h.
int Physics(const TOptions& o, TWorkerPool& pool) {
  std::vector<int> levels;
  if (!LevelArguments(o, 1, levels)) return 2;
  if (levels.empty()) levels = EmbeddedLevels();
  std::vector<TRunJob> jobs;
  std::vector<std::size_t> firstJob;
  for (int level : levels) {
    if (!LevelExists(level)) {
      std::fprintf(stderr, "brakkon-levels: no level file levels/level%d.xml\n", level);
      return 2;
    }
    firstJob.push_back(jobs.size());
    jobs.push_back(TRunJob{level, TShotPlan{{}, CHAIN_PLAY_FRAMES}, false, true});
    std::string error;
    if (std::optional<TShotPlan> plan = LoadSolution(o.solutionDir, level, error)) {
      plan->wait = std::max(plan->wait, MEASURE_WAIT);
      jobs.push_back(TRunJob{level, *plan, false, true});
    }
    for (const TShotPlan& plan : MeasuredShots()) jobs.push_back(TRunJob{level, plan, false, true});
  }
  firstJob.push_back(jobs.size());
  std::vector<TRunResult> results;
  if (!PlayJobs(pool, "physics", jobs, results)) return 2;

  TPlayFigures all;
  int failed = 0, chains = 0, stretched = 0, awakeChains = 0, struckChains = 0, opened = 0,
      overshot = 0, sleepless = 0, drifting = 0;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    TLevelFigures figures;
    figures.level = levels[i];
    for (std::size_t j = firstJob[i]; j < firstJob[i + 1]; ++j) {
      TPlayFigures play;
      if (!TPlayFigures::Decode(results[j].figures, play)) {
        std::fprintf(stderr, "brakkon-levels: no figures from a play of level %d\n", levels[i]);
        return 2;
      }
      MergeFigures(figures.worst, play);
    }
    std::printf("%s\n", figures.Line().c_str());
    if (!figures.Passes()) ++failed;
    const TPlayFigures& w = figures.worst;
    opened += w.jointOpenFrames > JOINT_RUN_FRAMES ? 1 : 0;
    overshot += w.overshootFrames > JOINT_RUN_FRAMES ? 1 : 0;
    sleepless += w.dollsAwake > 0 ? 1 : 0;
    drifting += w.drift >= DRIFT_LIMIT_PX ? 1 : 0;
    chains += static_cast<int>(w.chainStretch.size());
    for (float s : w.chainStretch) stretched += s > CHAIN_STRETCH_LIMIT ? 1 : 0;
    awakeChains += !w.chainStretch.empty() && w.chainRestAwake > REST_SLEEP_SECONDS ? 1 : 0;
    struckChains += !w.chainStretch.empty() && w.chainSleep < 0 && w.chainRestAwake < 0 ? 1 : 0;
    const std::vector<float> stretch = all.chainStretch;
    MergeFigures(all, w);
    all.chainStretch = stretch;
    all.chainStretch.insert(all.chainStretch.end(), w.chainStretch.begin(), w.chainStretch.end());
  }
  const float longest = all.chainStretch.empty()
                            ? 0
                            : *std::max_element(all.chainStretch.begin(), all.chainStretch.end());
  std::printf(
      "summary: %zu levels, %d fail | joints over %.0f px for more than %d frames in %d (widest "
      "%.1f px, "
      "%d frames) | limits over %.0f deg in %d (furthest %.1f deg, %d frames) | %d of %d dolls at "
      "rest not "
      "asleep within %.0f s in %d levels (longest %.2f s) | drift of %.0f px or more in %d (%.2f "
      "px) | "
      "%d of %d chains over %.2f (longest %.2f), %d levels with chains awake at rest (%d with "
      "chains that moving parts keep striking)\n",
      levels.size(), failed, static_cast<double>(JOINT_OPEN_PX), JOINT_RUN_FRAMES, opened,
      static_cast<double>(all.jointOpening), all.jointOpenFrames,
      static_cast<double>(OVERSHOOT_DEGREES), overshot, static_cast<double>(all.overshoot),
      all.overshootFrames, all.dollsAwake, all.dollsAtRest, static_cast<double>(REST_SLEEP_SECONDS),
      sleepless, static_cast<double>(all.restToSleep), static_cast<double>(DRIFT_LIMIT_PX),
      drifting, static_cast<double>(all.drift), stretched, chains,
      static_cast<double>(CHAIN_STRETCH_LIMIT), static_cast<double>(longest), awakeChains,
      struckChains);
  return failed == 0 ? 0 : 1;
}

// [SECTION] render, script, check, new -----------------------------------------------------------

int Render(const TOptions& o) {
  int level = 0;
  if (o.args.size() != 3 || !ParseNumber(o.args[1], level) || !LevelExists(level)) {
    std::fprintf(stderr, "brakkon-levels: render takes an existing level number and a file name\n");
    return 2;
  }
  if (!OpenLevelMedia(true)) return 2;
  SeedRnd(LEVEL_RUN_SEED);
  currentLevel = level;
  InjectMouseMove(RENDER_POINTER_X, RENDER_POINTER_Y);
  auto game = std::make_shared<TGame>();
  game->Update();
  const PixmapPtr frame = GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  game.reset();
  const bool saved = frame && SavePixmapPNG(frame, o.args[2]);
  CloseLevelMedia();
  if (!saved) {
    std::fprintf(stderr, "brakkon-levels: cannot write %s\n", o.args[2].c_str());
    return 2;
  }
  return 0;
}

int Script(const TOptions& o) {
  int level = 0;
  std::string error;
  if (o.args.size() != 2 || !ParseNumber(o.args[1], level)) {
    std::fprintf(stderr, "brakkon-levels: script takes one level number\n");
    return 2;
  }
  const std::optional<TShotPlan> plan = LoadSolution(o.solutionDir, level, error);
  if (!plan) {
    std::fprintf(stderr, "brakkon-levels: %s\n", error.c_str());
    return 2;
  }
  std::fputs(FormatInputScript(*plan).c_str(), stdout);
  return 0;
}

int Check(const TOptions& o) {
  std::vector<int> levels;
  if (!LevelArguments(o, 1, levels)) return 2;
  if (levels.empty()) levels = EmbeddedLevels();
  int faulty = 0;
  for (int level : levels) {
    if (!LevelExists(level)) {
      std::printf("level %d: error: no level file\n", level);
      ++faulty;
      continue;
    }
    const TLevelFile file = LoadLevelFile(LevelAssetPath(level));
    std::vector<TFinding> findings = CheckLevel(file);
    const std::vector<TFinding> start = CheckStart(level, file, LevelMoves(level));
    findings.insert(findings.end(), start.begin(), start.end());
    bool error = false;
    for (const TFinding& f : findings) {
      std::printf("level %d: %s: %s\n", level, f.error ? "error" : "warning", f.text.c_str());
      error = error || f.error;
    }
    if (error) ++faulty;
  }
  std::printf("%zu checked, %d with errors\n", levels.size(), faulty);
  return faulty == 0 ? 0 : 1;
}

int NewLevel(const TOptions& o) {
  int level = 0;
  if (o.args.size() != 2 || !ParseNumber(o.args[1], level) || level < 1) {
    std::fprintf(stderr, "brakkon-levels: new takes one level number\n");
    return 2;
  }
  const std::string dir =
      o.levelDir.empty() ? std::string(BRAKKON_SOURCE_DIR) + "/assets/levels" : o.levelDir;
  const std::string path = dir + "/level" + std::to_string(level) + ".xml";
  if (std::filesystem::exists(path)) {
    std::fprintf(stderr, "brakkon-levels: %s exists; not overwritten\n", path.c_str());
    return 1;
  }
  const std::string text = LevelSkeleton(level);
  std::string error;
  if (!WriteFileAtomic(path, std::vector<std::uint8_t>(text.begin(), text.end()), &error)) {
    std::fprintf(stderr, "brakkon-levels: %s\n", error.c_str());
    return 2;
  }
  std::printf(
      "wrote %s\nnext: edit it, then brakkon-levels --levels %s check %d, solve %d --write, verify "
      "%d\n",
      path.c_str(), dir.c_str(), level, level, level);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Progress goes to standard error; keep the two streams in order when both go to one file.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  TOptions o;
  if (!ParseOptions(argc, argv, o)) {
    std::fputs(USAGE, stderr);
    return 2;
  }
  const std::string command = o.args[0];
  if (command == "new") return NewLevel(o);
  SetLogQuiet(true);
  SetProgramMedia(RegisterEmbeddedAssets, LoadSharedMedia);
  SetPlayMeasure(
      [](int level, const TShotPlan& plan) { return MeasurePlay(level, plan).Encode(); });
  UseLevelFolder(o.levelDir);
  const bool plays = command == "verify" || command == "solve" || command == "stats" ||
                     command == "physics" || command == "fairness";
  if (!plays) {
    RegisterLevelAssets();
    if (command == "render") return Render(o);
    if (command == "script") return Script(o);
    if (command == "check") return OpenLevelMedia(false) ? Check(o) : 2;
    std::fputs(USAGE, stderr);
    return 2;
  }
  // Workers are forked before this process registers any asset: they register the drawn-only
  // ones as empty first (level_run.h, StubAssets).
  TWorkerPool pool(o.jobs);
  RegisterLevelAssets();
  if ((o.jobs > 0 && pool.Workers() == 0) || !pool.Prepare(DrawnOnlyAssets())) {
    std::fprintf(stderr, "brakkon-levels: cannot start worker processes\n");
    return 2;
  }
  if (command == "verify") return Verify(o, pool);
  if (command == "solve") return Solve(o, pool);
  if (command == "physics") return Physics(o, pool);
  if (command == "fairness") return Fairness(o, pool);
  return Stats(o, pool);
}
