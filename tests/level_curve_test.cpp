// The difficulty curve's rules, on made-up shares.
#include "tools/levels/level_curve.h"

#include <gtest/gtest.h>

namespace {

/// A curve that meets every rule: levels 1-140 falling evenly from 20 % to 4 %, the last 30 from
/// 2.5 % to 1 %.
std::vector<TLevelShare> Good() {
  std::vector<TLevelShare> shares;
  for (int i = 0; i < 140; ++i) shares.push_back({i + 1, 0.20 - 0.16 * i / 139});
  for (int i = 0; i < 30; ++i) shares.push_back({141 + i, 0.025 - 0.015 * i / 29});
  return shares;
}

TEST(LevelCurveTest, SpearmanOfRanksWithTies) {
  EXPECT_DOUBLE_EQ(Spearman({1, 2, 3, 4}, {10, 20, 30, 40}), 1.0);
  EXPECT_DOUBLE_EQ(Spearman({4, 3, 2, 1}, {1, 2, 3, 4}), -1.0);
  // Ties take the average of their ranks: 1, 2.5, 2.5, 4 against 1..4.
  EXPECT_NEAR(Spearman({1, 2, 2, 3}, {1, 2, 3, 4}), 0.9487, 1e-4);
  EXPECT_EQ(Spearman({5, 5, 5}, {1, 2, 3}), 0.0);
}

TEST(LevelCurveTest, AnEvenFallMeetsEveryRule) {
  const TCurve c = JudgeCurve(Good());
  EXPECT_TRUE(c.misses.empty()) << DescribeCurve(c);
  EXPECT_LT(c.spearman, -0.99);
  ASSERT_EQ(c.bandMedians.size(), 9u);
  EXPECT_NE(DescribeCurve(c).find("| meets"), std::string::npos);
}

TEST(LevelCurveTest, EachRuleIsMissedOnItsOwn) {
  struct Case {
    const char* name;
    int level;  // the level given the share below
    double share;
    const char* miss;
  };
  const Case cases[] = {
      {"a hard first level", 4, 0.05, "level 4 at 5.0 %"},
      {"an easy last level", 160, 0.05, "level 160 at 5.0 %"},
  };
  for (const Case& k : cases) {
    std::vector<TLevelShare> shares = Good();
    shares[k.level - 1].share = k.share;
    const TCurve c = JudgeCurve(shares);
    ASSERT_EQ(c.misses.size(), 1u) << k.name << "\n" << DescribeCurve(c);
    EXPECT_NE(c.misses[0].find(k.miss), std::string::npos) << k.name << ": " << c.misses[0];
  }

  // A plateau: levels 121-140 as easy as levels 41-60 lifts their band's median above the one
  // before by more than a point.
  std::vector<TLevelShare> plateau = Good();
  for (int i = 120; i < 140; ++i) plateau[i].share = plateau[i - 80].share;
  const TCurve p = JudgeCurve(plateau);
  ASSERT_FALSE(p.misses.empty());
  EXPECT_NE(p.misses[0].find("band 121-140"), std::string::npos) << DescribeCurve(p);

  // Shares in no order: the correlation is weak.
  std::vector<TLevelShare> shuffled = Good();
  for (int i = 10; i < 140; ++i) shuffled[i].share = 0.04 + 0.01 * ((i * 37) % 11);
  const TCurve s = JudgeCurve(shuffled);
  EXPECT_GT(s.spearman, -0.7);
  bool spearmanMissed = false;
  for (const std::string& m : s.misses) spearmanMissed |= m.find("Spearman") == 0;
  EXPECT_TRUE(spearmanMissed) << DescribeCurve(s);
}

}  // namespace
