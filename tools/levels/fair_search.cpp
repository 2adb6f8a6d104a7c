// Choosing aims and plans for the fair search.
#include "tools/levels/fair_search.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

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
