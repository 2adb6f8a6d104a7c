// The fair search's choices and the fairness judgement of a moving level's windows, on made-up
// results: the middle of a patch rather than a lucky speck, the steadiest grid winners, and
// windows that a player can hit on purpose.
#include "solver/fair_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "solver/level_fairness.h"

namespace {

/// A square of samples every 2 px around (100, 100); `wins` decides each.
template <class Wins>
std::vector<TAimSample> Square(int reach, Wins wins) {
  std::vector<TAimSample> samples;
  for (int y = 100 - reach; y <= 100 + reach; y += 2) {
    for (int x = 100 - reach; x <= 100 + reach; x += 2) samples.push_back({x, y, wins(x, y)});
  }
  return samples;
}

/// The results of a moving level's fairness plays: every variant wins, and a start wins when
/// `startWins` says so.
template <class StartWins>
std::vector<TRunResult> Results(const std::vector<TFairnessPlay>& plays, StartWins startWins) {
  std::vector<TRunResult> results(plays.size());
  for (std::size_t i = 0; i < plays.size(); ++i) {
    results[i].won = plays[i].kind != TFairnessPlay::START || startWins(plays[i].start);
  }
  return results;
}

}  // namespace

TEST(FairSearch, PatchCentreIsTheMiddleOfThePatchNotALuckySpeck) {
  // A patch 10 px across around (106, 96) and one winning speck in the far corner.
  const auto samples = Square(12, [](int x, int y) {
    return (x >= 100 && x <= 112 && y >= 90 && y <= 102) || (x == 88 && y == 88);
  });
  const auto centre = PatchCentre(samples);
  ASSERT_TRUE(centre.has_value());
  EXPECT_EQ(centre->x, 106);
  EXPECT_EQ(centre->y, 96);
  EXPECT_FALSE(PatchCentre(Square(12, [](int, int) { return false; })).has_value());
}

TEST(FairSearch, RankedWinnersPutTheSteadiestFirstAndKeepThemApart) {
  // A 5 x 4 grid (cells 10 px apart): a 3 x 3 block of winners and a lone winner.
  std::vector<TAimSample> grid;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 5; ++c) {
      const bool block = c <= 2 && r <= 2;
      grid.push_back({c * 10, r * 10, block || (c == 4 && r == 3)});
    }
  }
  const auto ranked = RankedWinners(grid, 5, 4, 12, 3);
  ASSERT_EQ(ranked.size(), 3u);
  EXPECT_EQ(ranked[0].x, 10);  // the block's middle: eight winning neighbours
  EXPECT_EQ(ranked[0].y, 10);
  for (const TAimSample& s : ranked) {
    if (&s == &ranked[0]) continue;
    EXPECT_GE(std::hypot(s.x - 10, s.y - 10), 12) << s.x << "," << s.y;
  }
  EXPECT_EQ(RankedWinners(grid, 5, 4, 12, 1).size(), 1u);
}

TEST(Fairness, AMovingLevelNeedsWideWindowsThatComeRound) {
  const TShotPlan plan{{TShot{100, 400, 300}}, 200};
  const auto plays = FairnessPlays(plan, true, TFairnessScope{});
  struct Case {
    const char* what;
    bool (*startWins)(int);
    bool fair;
  };
  const Case cases[] = {
      {"a 20-frame window every 150 frames", [](int f) { return (f - 60) % 150 < 20; }, true},
      {"the same with a lucky moment between",
       [](int f) { return (f - 60) % 150 < 20 || (f - 60) % 150 == 80; }, true},
      {"4-frame windows only", [](int f) { return (f - 60) % 150 < 4; }, false},
      {"one window in ten seconds", [](int f) { return f >= 100 && f < 140; }, false},
      {"every start", [](int) { return true; }, true},
  };
  for (const Case& c : cases) {
    const TFairness f = JudgeFairness(1, plan, true, plays, Results(plays, c.startWins));
    EXPECT_EQ(f.Fair(), c.fair) << c.what << ": " << f.Line();
  }
}
