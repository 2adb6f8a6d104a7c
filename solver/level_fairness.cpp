// The variant plays of a plan and the judgement of their results.
#include "solver/level_fairness.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "media/units.h"

namespace {

constexpr int DIRECTIONS[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                  {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr int TIMING_SHIFTS[4] = {-3, -1, 1, 3};

/// The plan with every shot `delta` frames later; the wait keeps the run as long after the last.
TShotPlan Shifted(const TShotPlan& plan, int delta) {
  TShotPlan shifted = plan;
  for (TShot& s : shifted.shots) s.frame += delta;
  return shifted;
}

bool Ascending(const TShotPlan& plan) {
  for (std::size_t i = 0; i < plan.shots.size(); ++i) {
    if (plan.shots[i].frame < 0) return false;
    if (i > 0 && plan.shots[i].frame <= plan.shots[i - 1].frame) return false;
  }
  return true;
}

void AddAim(std::vector<TFairnessPlay>& plays, TFairnessPlay::Kind kind, const TShotPlan& plan,
            int shot, int dx, int dy) {
  TFairnessPlay p;
  p.kind = kind;
  p.shot = shot;
  p.plan = plan;
  TShot& s = p.plan.shots[static_cast<std::size_t>(shot)];
  s.x = std::clamp(s.x + dx, 0, SCREEN_WIDTH - 1);
  s.y = std::clamp(s.y + dy, 0, SCREEN_HEIGHT - 1);
  plays.push_back(p);
}

/// The windows among start frames sampled every `step` frames: runs of wins at least
/// FAIR_WINDOW_FRAMES wide (a shorter run is a moment no player can hit on purpose, so it neither
/// counts as a window nor spoils one). `narrowest` is the narrowest window, or the widest run when
/// none is wide enough; `longestGap` the longest wait for the start of a window, from the first
/// sample and between two windows (with one window only, also from it to the end). Without any
/// window: the whole span.
void Windows(const std::vector<bool>& wins, int step, int& narrowest, int& longestGap) {
  const int count = static_cast<int>(wins.size());
  std::vector<std::pair<int, int>> windows;  // first sample, samples
  int widest = 0;
  for (int i = 0; i < count;) {
    if (!wins[static_cast<std::size_t>(i)]) {
      ++i;
      continue;
    }
    int j = i;
    while (j < count && wins[static_cast<std::size_t>(j)]) ++j;
    widest = std::max(widest, (j - i) * step);
    if ((j - i) * step >= FAIR_WINDOW_FRAMES) windows.emplace_back(i, j - i);
    i = j;
  }
  narrowest = widest;
  longestGap = count * step;
  if (windows.empty()) return;
  for (const auto& [first, length] : windows) narrowest = std::min(narrowest, length * step);
  longestGap = windows.front().first * step;
  for (std::size_t k = 1; k < windows.size(); ++k) {
    longestGap = std::max(longestGap, (windows[k].first - windows[k - 1].first) * step);
  }
  // A single window in two periods does not come round, unless it is every start there is: the
  // wait is at least what remains.
  const bool always =
      windows.size() == 1 && windows.front().first == 0 && windows.front().second == count;
  if (windows.size() == 1 && !always) {
    longestGap = std::max(longestGap, (count - windows.front().first) * step);
  }
}

}  // namespace

std::vector<TFairnessPlay> FairnessPlays(const TShotPlan& plan, bool moving,
                                         const TFairnessScope& scope) {
  std::vector<TFairnessPlay> plays;
  for (int shot = 0; shot < static_cast<int>(plan.shots.size()); ++shot) {
    for (const auto& d : DIRECTIONS) {
      for (int px : {1, 2})
        AddAim(plays, TFairnessPlay::NEAR_AIM, plan, shot, d[0] * px, d[1] * px);
      AddAim(plays, TFairnessPlay::FAR_AIM, plan, shot, d[0] * 4, d[1] * 4);
    }
    for (int delta : TIMING_SHIFTS) {
      TFairnessPlay p;
      p.kind = TFairnessPlay::TIMING;
      p.shot = shot;
      p.plan = plan;
      p.plan.shots[static_cast<std::size_t>(shot)].frame += delta;
      // A later shot keeps its distance from this one's end of the run.
      if (shot + 1 == static_cast<int>(plan.shots.size())) p.plan.wait -= delta;
      if (Ascending(p.plan)) plays.push_back(p);
    }
    if (scope.patch) {
      for (int dy = -FAIR_PATCH_PX; dy <= FAIR_PATCH_PX; dy += FAIR_PATCH_STEP) {
        for (int dx = -FAIR_PATCH_PX; dx <= FAIR_PATCH_PX; dx += FAIR_PATCH_STEP) {
          AddAim(plays, TFairnessPlay::PATCH, plan, shot, dx, dy);
        }
      }
    }
  }
  if (scope.settle && !plan.shots.empty()) {
    const int first = plan.shots.front().frame;
    const int last = moving ? FAIR_FIRST_FRAME + 2 * FAIR_WINDOW_PERIOD : FAIR_SETTLED_LAST;
    const int step = moving ? FAIR_WINDOW_STEP : FAIR_SETTLED_STEP;
    for (int start = FAIR_FIRST_FRAME; start <= last; start += step) {
      TFairnessPlay p;
      p.kind = TFairnessPlay::START;
      p.start = start;
      p.plan = Shifted(plan, start - first);
      if (Ascending(p.plan)) plays.push_back(p);
    }
  }
  return plays;
}

TFairness JudgeFairness(int level, const TShotPlan& plan, bool moving,
                        const std::vector<TFairnessPlay>& plays,
                        const std::vector<TRunResult>& results) {
  TFairness f;
  f.level = level;
  f.moving = moving;
  f.shots = static_cast<int>(plan.shots.size());
  f.firstFrame = plan.shots.empty() ? 0 : plan.shots.front().frame;
  f.timesOk = !plan.shots.empty() && f.firstFrame >= FAIR_FIRST_FRAME;
  for (std::size_t i = 1; i < plan.shots.size(); ++i) {
    if (plan.shots[i].frame - plan.shots[i - 1].frame < FAIR_SHOT_GAP) f.timesOk = false;
  }
  std::vector<int> nearWins(plan.shots.size()), nearPlays(plan.shots.size());
  std::vector<int> farWins(plan.shots.size()), farPlays(plan.shots.size());
  std::vector<int> patchWins(plan.shots.size()), patchPlays(plan.shots.size());
  std::vector<bool> starts;
  for (std::size_t i = 0; i < plays.size() && i < results.size(); ++i) {
    const TFairnessPlay& p = plays[i];
    const bool won = results[i].won;
    const auto s = static_cast<std::size_t>(p.shot);
    switch (p.kind) {
      case TFairnessPlay::NEAR_AIM:
        nearWins[s] += won;
        ++nearPlays[s];
        break;
      case TFairnessPlay::FAR_AIM:
        farWins[s] += won;
        ++farPlays[s];
        break;
      case TFairnessPlay::TIMING:
        f.timingWins += won;
        ++f.timingPlays;
        break;
      case TFairnessPlay::PATCH:
        patchWins[s] += won;
        ++patchPlays[s];
        break;
      case TFairnessPlay::START:
        starts.push_back(won);
        f.settleMeasured = true;
        break;
    }
  }
  // Each measure is the worst shot's.
  for (std::size_t s = 0; s < plan.shots.size(); ++s) {
    if (s == 0 || nearWins[s] < f.nearWins) {
      f.nearWins = nearWins[s];
      f.nearPlays = nearPlays[s];
    }
    if (s == 0 || farWins[s] < f.farWins) {
      f.farWins = farWins[s];
      f.farPlays = farPlays[s];
    }
    if (patchPlays[s] > 0) {
      const double share = static_cast<double>(patchWins[s]) / patchPlays[s];
      if (f.patchShare < 0 || share < f.patchShare) f.patchShare = share;
    }
  }
  if (moving) {
    Windows(starts, FAIR_WINDOW_STEP, f.narrowestWindow, f.longestGap);
  } else {
    f.settledPlays = static_cast<int>(starts.size());
    f.settledWins = static_cast<int>(std::count(starts.begin(), starts.end(), true));
  }
  return f;
}

std::string TFairness::Failures() const {
  std::string fails;
  if (!timesOk) fails += " times";
  if (nearWins < FAIR_NEAR_WINS || farWins < FAIR_FAR_WINS) fails += " aim";
  if (timingWins < timingPlays || timingPlays == 0) fails += " timing";
  if (patchShare >= 0 && patchShare < FAIR_PATCH_SHARE) fails += " patch";
  if (settleMeasured && !moving && settledWins < settledPlays) fails += " settle";
  if (settleMeasured && moving &&
      (narrowestWindow < FAIR_WINDOW_FRAMES || longestGap > FAIR_WINDOW_PERIOD)) {
    fails += " windows";
  }
  return fails;
}

bool TFairness::Fair() const { return Failures().empty(); }

std::string TFairness::Line() const {
  char text[32];
  std::snprintf(text, sizeof text, "level %3d: ", level);
  return text + Measures();
}

std::string TFairness::Measures() const {
  char text[320];
  int n = std::snprintf(text, sizeof text,
                        "%d shot%s from frame %3d | aim %2d/%d near, %d/%d at 4 px | timing %d/%d",
                        shots, shots == 1 ? " " : "s", firstFrame, nearWins, nearPlays, farWins,
                        farPlays, timingWins, timingPlays);
  std::string line(text, static_cast<std::size_t>(std::max(n, 0)));
  if (patchShare >= 0) {
    std::snprintf(text, sizeof text, " | patch %3.0f %%", patchShare * 100);
    line += text;
  }
  if (settleMeasured && moving) {
    std::snprintf(text, sizeof text, " | moving: windows %d fr, gaps up to %d fr", narrowestWindow,
                  longestGap);
    line += text;
  } else if (settleMeasured) {
    std::snprintf(text, sizeof text, " | settled %d/%d", settledWins, settledPlays);
    line += text;
  }
  const std::string fails = Failures();
  line += fails.empty() ? " | fair" : " | UNFAIR" + fails;
  return line;
}
