// The difficulty curve over the whole set of levels: how the first-shot share of each level
// (stats) falls from the first level to the last, judged by four rules.
#pragma once

#include <string>
#include <vector>

/// A level's number and the share of first-shot aims that win it (0 to 1).
struct TLevelShare {
  int level = 0;
  double share = 0;
};

constexpr int CURVE_EASY_LEVELS = 10;  ///< the first levels, each at least:
constexpr double CURVE_EASY_SHARE = 0.08;
constexpr double CURVE_MAX_SPEARMAN = -0.7;  ///< share against level number, at most
constexpr int CURVE_BAND = 20;               ///< levels per band of the medians
constexpr double CURVE_BAND_SLACK = 0.01;    ///< a band's median may exceed the one before by
constexpr int CURVE_HARD_LEVELS = 30;        ///< the last levels, each at most:
constexpr double CURVE_HARD_SHARE = 0.03;

struct TCurve {
  double easiest = 0;  ///< lowest share of the first levels
  double spearman = 0;
  std::vector<double> bandMedians;  ///< one per band of CURVE_BAND levels, in order
  double hardest = 0;               ///< highest share of the last levels
  std::vector<std::string> misses;  ///< each rule the curve breaks, in words; empty: it meets all
};

/// Judges shares given in level order (level 1 first). Fewer levels than the first and last
/// groups together are judged by the rules that apply.
TCurve JudgeCurve(const std::vector<TLevelShare>& shares);
/// "curve: levels 1-10 at least 9.1 % | Spearman -0.84 | band medians 12.0 9.9 ... | last 30 at
/// most 2.8 % | meets" or "... | misses: ...".
std::string DescribeCurve(const TCurve& curve);
/// Spearman's rank correlation of two series of one length (average ranks for ties); 0 when
/// either is constant or shorter than two.
double Spearman(const std::vector<double>& a, const std::vector<double>& b);
