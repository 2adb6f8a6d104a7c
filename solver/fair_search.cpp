// The fair search, and the choices it makes: where in a patch of winning aims to aim, how to
// rank the winners of a grid, how to order plans that miss some measure of fairness.
#include "solver/fair_search.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "game/level_file.h"
#include "media/media.h"

namespace {

/// Later shots in the search: frames after the previous shot (the cannon needs 30 to reload).
constexpr int FOLLOW_UP_DELAYS[] = {40, 100, 200};
/// Aim grid for later shots, and how many of the best shot sequences so far are extended.
constexpr int FOLLOW_UP_COLUMNS = 16;
constexpr int FOLLOW_UP_ROWS = 12;
constexpr int SEARCH_BEAM = 4;
constexpr double BEAM_SPREAD = 100;
/// The fair search: the grid of first aims (coarser on a level with moving parts, which is
/// searched at several first-shot frames across FAIR_WINDOW_PERIOD), the winners refined, the
/// square around a winner sampled to find the middle of its patch, and the frames around a
/// first shot on a moving level sampled to find the middle of its window.
constexpr int MOVING_GRID_COLUMNS = 16;
constexpr int MOVING_GRID_ROWS = 12;
constexpr int MOVING_TIME_STEP = 25;
constexpr int FAIR_CANDIDATES = 6;
constexpr double CANDIDATE_SPACING = 40;
constexpr int REFINE_REACH = 10;
constexpr int REFINE_STEP = 2;
constexpr int WINDOW_REACH = 15;
/// Plays of a part of the first grid while no win is known yet.
constexpr std::size_t ANSWER_PART = 48;

/// The sequences that came closest to a target, at most SEARCH_BEAM, whose last shots aim at
/// least BEAM_SPREAD pixels apart: near-copies of one good shot would waste the next round.
std::vector<TTried> DiverseClosest(std::vector<TTried> tried) {
  std::sort(tried.begin(), tried.end(),
            [](const TTried& a, const TTried& b) { return a.result.closest < b.result.closest; });
  std::vector<TTried> chosen;
  for (const TTried& t : tried) {
    const TShot& last = t.plan.shots.back();
    const bool apart = std::all_of(chosen.begin(), chosen.end(), [&](const TTried& c) {
      return std::hypot(c.plan.shots.back().x - last.x, c.plan.shots.back().y - last.y) >=
             BEAM_SPREAD;
    });
    if (apart) chosen.push_back(t);
    if (static_cast<int>(chosen.size()) == SEARCH_BEAM) break;
  }
  return chosen;
}

std::vector<TAimSample> Samples(const std::vector<TTried>& tried) {
  std::vector<TAimSample> samples;
  for (const TTried& t : tried) {
    const TShot& last = t.plan.shots.back();
    samples.push_back({last.x, last.y, t.result.won});
  }
  return samples;
}

}  // namespace

bool PlayAll(const TPlayBatch& play, int level, std::vector<TTried>& tried) {
  std::vector<TRunJob> jobs;
  for (const TTried& t : tried) jobs.push_back(TRunJob{level, t.plan, true});
  std::vector<TRunResult> results;
  if (!play(jobs, results)) return false;
  for (std::size_t i = 0; i < tried.size(); ++i) tried[i].result = results[i];
  return true;
}

/// `plan` with its last aim moved over the square of +-`reach` px every `step` px, row by row
/// (clamped to the screen), the other shots kept.

std::vector<TTried> LastAimSquare(const TShotPlan& plan, int reach, int step) {
  std::vector<TTried> square;
  for (int dy = -reach; dy <= reach; dy += step) {
    for (int dx = -reach; dx <= reach; dx += step) {
      TTried moved{plan, {}};
      TShot& last = moved.plan.shots.back();
      last.x = std::clamp(last.x + dx, 0, SCREEN_WIDTH - 1);
      last.y = std::clamp(last.y + dy, 0, SCREEN_HEIGHT - 1);
      square.push_back(moved);
    }
  }
  return square;
}

TShot GridShot(int column, int row, int columns, int rows) {
  const int cellW = SCREEN_WIDTH / columns, cellH = SCREEN_HEIGHT / rows;
  return TShot{0, column * cellW + cellW / 2, row * cellH + cellH / 2};
}

bool LevelMoves(int level) {
  for (const TBodyEntry& b : LoadLevelFile(LevelAssetPath(level)).bodies) {
    const bool slides = b.shape == "r" && (b.move == "left" || b.move == "right" ||
                                           b.move == "up" || b.move == "down");
    const bool turns = (b.shape == "r" || b.shape == "c") && b.typ == "s" && b.rotatingSpeed != 0;
    if (slides || turns) return true;
  }
  return false;
}

void TFairSearch::Say(const std::string& line) const {
  if (say) say(line);
}

namespace {

/// The plan with its last aim moved to the middle of the patch of winning aims around it.
bool RefineAim(const TFairSearch& search, int level, TTried& t) {
  std::vector<TTried> square = LastAimSquare(t.plan, REFINE_REACH, REFINE_STEP);
  if (!PlayAll(search.play, level, square)) return false;
  if (const std::optional<TAimSample> centre = PatchCentre(Samples(square))) {
    for (const TTried& s : square) {
      if (s.plan.shots.back().x == centre->x && s.plan.shots.back().y == centre->y) t = s;
    }
  }
  return true;
}

/// On a level with moving parts, the last shot moved to the middle of the run of winning frames
/// it lies in.
bool RefineTime(const TFairSearch& search, int level, TTried& t) {
  std::vector<TTried> frames;
  const int previous = t.plan.shots.size() > 1 ? t.plan.shots[t.plan.shots.size() - 2].frame : -1;
  const int at = t.plan.shots.back().frame;
  for (int d = -WINDOW_REACH; d <= WINDOW_REACH; ++d) {
    const int frame = at + d;
    if (frame < FAIR_FIRST_FRAME || (previous >= 0 && frame - previous < FAIR_SHOT_GAP)) continue;
    TTried moved{t.plan, {}};
    moved.plan.shots.back().frame = frame;
    frames.push_back(moved);
  }
  if (!PlayAll(search.play, level, frames)) return false;
  const auto wins = [&](std::size_t i) { return frames[i].result.won; };
  std::size_t here = 0;
  while (here < frames.size() && frames[here].plan.shots.back().frame != at) ++here;
  if (here == frames.size() || !wins(here)) return true;
  std::size_t first = here, last = here;
  while (first > 0 && wins(first - 1)) --first;
  while (last + 1 < frames.size() && wins(last + 1)) ++last;
  t = frames[(first + last) / 2];
  return true;
}

/// The plan's wait as stored (after its win frame, with a margin), and its fairness measured (the
/// patch and the settling only when aim and timing are met).
bool Judge(const TFairSearch& search, int level, bool moving, TTried& t, TFairness& judged) {
  TShotPlan plan = t.plan;
  plan.wait = SEARCH_WAIT;
  std::vector<TRunResult> full;
  if (!search.play({TRunJob{level, plan, false}}, full)) return false;
  if (!full[0].won) {
    judged = TFairness{};
    return true;
  }
  plan.wait = full[0].winFrame - (plan.shots.back().frame + 1) + STORED_WAIT_MARGIN;
  t = TTried{plan, full[0]};
  // Aim and timing first: a plan that misses them is not fair whatever its patch and windows,
  // which cost far more plays (on a level with moving parts, hundreds of starts).
  for (const TFairnessScope scope : {TFairnessScope{false, false}, TFairnessScope{}}) {
    const std::vector<TFairnessPlay> plays = FairnessPlays(plan, moving, scope);
    std::vector<TRunJob> jobs;
    for (const TFairnessPlay& p : plays) jobs.push_back(TRunJob{level, p.plan, false});
    std::vector<TRunResult> results;
    if (!search.play(jobs, results)) return false;
    judged = JudgeFairness(level, plan, moving, plays, results);
    if (!judged.Fair()) break;
  }
  return true;
}

/// Winners of the first round: a grid of first aims at FAIR_FIRST_FRAME, or on a level with
/// moving parts a coarser grid at first-shot frames across a period.
bool FirstShots(const TFairSearch& search, int level, bool moving, std::vector<TTried>& all,
                std::vector<TTried>& candidates, TFairSearchResult& result, bool& told) {
  const int columns = moving ? MOVING_GRID_COLUMNS : STATS_GRID_COLUMNS;
  const int rows = moving ? MOVING_GRID_ROWS : STATS_GRID_ROWS;
  const int times = moving ? FAIR_WINDOW_PERIOD / MOVING_TIME_STEP : 1;
  std::vector<std::pair<double, TTried>> ranked;
  for (int k = 0; k < times; ++k) {
    std::vector<TTried> grid;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        TShot shot = GridShot(c, r, columns, rows);
        shot.frame = FAIR_FIRST_FRAME + k * MOVING_TIME_STEP;
        grid.push_back(TTried{TShotPlan{{shot}, SEARCH_WAIT}, {}});
      }
    }
    // Until a win is known the grid is played in parts, so that the answer comes as soon as a
    // part holds a winner; the plays are the same either way.
    const std::size_t part = told || !search.winnable ? grid.size() : ANSWER_PART;
    for (std::size_t from = 0; from < grid.size(); from += part) {
      std::vector<TTried> some(
          grid.begin() + static_cast<std::ptrdiff_t>(from),
          grid.begin() + static_cast<std::ptrdiff_t>(std::min(from + part, grid.size())));
      if (!PlayAll(search.play, level, some)) return false;
      std::copy(some.begin(), some.end(), grid.begin() + static_cast<std::ptrdiff_t>(from));
      const auto won =
          std::find_if(some.begin(), some.end(), [](const TTried& t) { return t.result.won; });
      if (!told && search.winnable && won != some.end()) {
        told = true;
        search.winnable(*won);
      }
    }
    const std::vector<TAimSample> best =
        RankedWinners(Samples(grid), columns, rows, CANDIDATE_SPACING, FAIR_CANDIDATES);
    for (std::size_t i = 0; i < best.size(); ++i) {
      for (const TTried& t : grid) {
        if (t.plan.shots[0].x == best[i].x && t.plan.shots[0].y == best[i].y) {
          ranked.emplace_back(static_cast<double>(i), t);
        }
      }
    }
    all.insert(all.end(), grid.begin(), grid.end());
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [rank, t] : ranked) {
    if (static_cast<int>(candidates.size()) == FAIR_CANDIDATES) break;
    candidates.push_back(t);
  }
  result.firstRoundPlays = static_cast<int>(all.size());
  result.firstRoundWins = static_cast<int>(
      std::count_if(all.begin(), all.end(), [](const TTried& t) { return t.result.won; }));
  search.Say("1 shot from frame " + std::to_string(FAIR_FIRST_FRAME) + ": " +
             std::to_string(result.firstRoundWins) + " of " + std::to_string(all.size()) +
             " tried win");
  return true;
}

/// Winners with more shots: the sequences that came closest so far, extended by a later shot at
/// least FAIR_SHOT_GAP frames after the one before.
bool LaterShots(const TFairSearch& search, int level, std::vector<TTried> beam,
                std::vector<TTried>& candidates) {
  for (int shots = 2; candidates.empty() && shots <= search.maxShots; ++shots) {
    beam = DiverseClosest(beam);
    std::vector<TTried> round;
    for (const TTried& prefix : beam) {
      for (int delay : FOLLOW_UP_DELAYS) {
        for (int r = 0; r < FOLLOW_UP_ROWS; ++r) {
          for (int c = 0; c < FOLLOW_UP_COLUMNS; ++c) {
            TShot next = GridShot(c, r, FOLLOW_UP_COLUMNS, FOLLOW_UP_ROWS);
            next.frame = prefix.plan.shots.back().frame + delay;
            TShotPlan plan{prefix.plan.shots, SEARCH_WAIT};
            plan.shots.push_back(next);
            round.push_back(TTried{plan, {}});
          }
        }
      }
    }
    if (!PlayAll(search.play, level, round)) return false;
    // The winners, most shots saved first, then the earliest win.
    std::vector<TTried> winners;
    for (const TTried& t : round) {
      if (t.result.won) winners.push_back(t);
    }
    std::stable_sort(winners.begin(), winners.end(), [](const TTried& a, const TTried& b) {
      return a.result.shots != b.result.shots ? a.result.shots < b.result.shots
                                              : a.result.winFrame < b.result.winFrame;
    });
    for (const TTried& t : winners) {
      if (static_cast<int>(candidates.size()) == FAIR_CANDIDATES) break;
      candidates.push_back(t);
    }
    search.Say(std::to_string(shots) + " shots: " + std::to_string(winners.size()) + " winners");
    beam = round;
  }
  return true;
}

}  // namespace

/// The fair search: winners of the first round (or, without any, of rounds with more shots), each
/// refined to the middle of its patch of aims (and on a moving level of its window of frames) and
/// judged by every measure of fairness; the first fair one, or the one that came nearest.
std::optional<TFairSearchResult> FairSearch(const TFairSearch& search, int level) {
  const bool moving = LevelMoves(level);
  std::vector<TTried> all, candidates;
  TFairSearchResult result;
  bool told = false;
  if (!FirstShots(search, level, moving, all, candidates, result, told)) return std::nullopt;
  if (candidates.empty() && !LaterShots(search, level, all, candidates)) return std::nullopt;
  if (!told && !candidates.empty() && search.winnable) search.winnable(candidates.front());
  double bestScore = 0;
  int tried = 0;
  for (TTried t : candidates) {
    search.Say("fairness of plan " + std::to_string(++tried) + " of " +
               std::to_string(candidates.size()));
    if (!RefineAim(search, level, t)) return std::nullopt;
    if (moving && !RefineTime(search, level, t)) return std::nullopt;
    TFairness judged;
    if (!Judge(search, level, moving, t, judged)) return std::nullopt;
    if (!t.result.won) continue;
    const double score = FairnessScore(judged);
    search.Say("candidate " + judged.Measures());
    if (!result.found || score > bestScore) {
      result.found = true;
      result.best = t;
      result.judged = judged;
      bestScore = score;
    }
    if (judged.Fair()) break;
  }
  return result;
}

std::optional<TAimSample> PatchCentre(const std::vector<TAimSample>& samples) {
  double cx = 0, cy = 0;
  int winners = 0;
  for (const TAimSample& s : samples) {
    if (!s.won) continue;
    cx += s.x;
    cy += s.y;
    ++winners;
  }
  if (winners == 0) return std::nullopt;
  cx /= winners;
  cy /= winners;
  std::optional<TAimSample> best;
  double bestShare = -1, bestDistance = 0;
  for (const TAimSample& s : samples) {
    if (!s.won) continue;
    int near = 0, nearWins = 0;
    for (const TAimSample& t : samples) {
      if (std::abs(t.x - s.x) > FAIR_PATCH_PX || std::abs(t.y - s.y) > FAIR_PATCH_PX) continue;
      ++near;
      nearWins += t.won ? 1 : 0;
    }
    const double share = static_cast<double>(nearWins) / near;
    const double distance = std::hypot(s.x - cx, s.y - cy);
    if (share > bestShare || (share == bestShare && distance < bestDistance)) {
      best = s;
      bestShare = share;
      bestDistance = distance;
    }
  }
  return best;
}

std::vector<TAimSample> RankedWinners(const std::vector<TAimSample>& grid, int columns, int rows,
                                      double spacing, int count) {
  struct TRanked {
    TAimSample sample;
    int neighbours;
    int index;
  };
  std::vector<TRanked> ranked;
  const auto at = [&](int r, int c) { return grid[static_cast<std::size_t>(r * columns + c)]; };
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      if (!at(r, c).won) continue;
      int neighbours = 0;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          const int rr = r + dr, cc = c + dc;
          if ((dr != 0 || dc != 0) && rr >= 0 && rr < rows && cc >= 0 && cc < columns &&
              at(rr, cc).won) {
            ++neighbours;
          }
        }
      }
      ranked.push_back({at(r, c), neighbours, r * columns + c});
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const TRanked& a, const TRanked& b) { return a.neighbours > b.neighbours; });
  std::vector<TAimSample> chosen;
  for (const TRanked& t : ranked) {
    if (static_cast<int>(chosen.size()) == count) break;
    const bool apart = std::all_of(chosen.begin(), chosen.end(), [&](const TAimSample& c) {
      return std::hypot(c.x - t.sample.x, c.y - t.sample.y) >= spacing;
    });
    if (apart) chosen.push_back(t.sample);
  }
  return chosen;
}

double FairnessScore(const TFairness& f) {
  std::istringstream words(f.Failures());
  int failed = 0;
  for (std::string w; words >> w;) ++failed;
  const auto share = [](int wins, int plays) {
    return plays > 0 ? static_cast<double>(wins) / plays : 0.0;
  };
  const double tolerance = share(f.nearWins, f.nearPlays) + share(f.farWins, f.farPlays) +
                           std::max(f.patchShare, 0.0) + share(f.timingWins, f.timingPlays);
  return (f.Fair() ? 100.0 : 0.0) - 10.0 * failed + tolerance;
}
