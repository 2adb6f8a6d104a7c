// The difficulty curve's rules; the shares come from stats.
#include "tools/levels/level_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace {

std::vector<double> Ranks(const std::vector<double>& values) {
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return values[x] < values[y]; });
  std::vector<double> ranks(values.size());
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    while (j + 1 < order.size() && values[order[j + 1]] == values[order[i]]) ++j;
    const double rank = (static_cast<double>(i) + static_cast<double>(j)) / 2 + 1;
    for (std::size_t k = i; k <= j; ++k) ranks[order[k]] = rank;
    i = j + 1;
  }
  return ranks;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", 100 * share);
  return text;
}

}  // namespace

double Spearman(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size() || a.size() < 2) return 0;
  const std::vector<double> ra = Ranks(a), rb = Ranks(b);
  const double n = static_cast<double>(a.size());
  const double mean = (n + 1) / 2;
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < ra.size(); ++i) {
    sab += (ra[i] - mean) * (rb[i] - mean);
    saa += (ra[i] - mean) * (ra[i] - mean);
    sbb += (rb[i] - mean) * (rb[i] - mean);
  }
  return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

TCurve JudgeCurve(const std::vector<TLevelShare>& shares) {
  TCurve c;
  const int n = static_cast<int>(shares.size());
  if (n == 0) return c;
  const int easy = std::min(n, CURVE_EASY_LEVELS);
  c.easiest = 1;
  for (int i = 0; i < easy; ++i) {
    c.easiest = std::min(c.easiest, shares[i].share);
    if (shares[i].share < CURVE_EASY_SHARE)
      c.misses.push_back("level " + std::to_string(shares[i].level) + " at " +
                         Percent(shares[i].share) + " (first levels at least " +
                         Percent(CURVE_EASY_SHARE) + ")");
  }

  std::vector<double> numbers, values;
  for (const TLevelShare& s : shares) {
    numbers.push_back(s.level);
    values.push_back(s.share);
  }
  c.spearman = Spearman(values, numbers);
  if (c.spearman > CURVE_MAX_SPEARMAN) {
    char text[96];
    std::snprintf(text, sizeof text, "Spearman %.2f (at most %.2f)", c.spearman,
                  CURVE_MAX_SPEARMAN);
    c.misses.emplace_back(text);
  }

  for (int from = 0; from < n; from += CURVE_BAND) {
    const auto first = values.begin() + from;
    c.bandMedians.push_back(Median({first, first + std::min(CURVE_BAND, n - from)}));
    const std::size_t b = c.bandMedians.size() - 1;
    if (b > 0 && c.bandMedians[b] > c.bandMedians[b - 1] + CURVE_BAND_SLACK + 1e-9)
      c.misses.push_back("band " + std::to_string(shares[from].level) + "-" +
                         std::to_string(shares[std::min(from + CURVE_BAND, n) - 1].level) +
                         " median " + Percent(c.bandMedians[b]) + " above the band before (" +
                         Percent(c.bandMedians[b - 1]) + ")");
  }

  const int hardFrom = std::max(easy, n - CURVE_HARD_LEVELS);
  for (int i = hardFrom; i < n; ++i) {
    c.hardest = std::max(c.hardest, shares[i].share);
    if (shares[i].share > CURVE_HARD_SHARE)
      c.misses.push_back("level " + std::to_string(shares[i].level) + " at " +
                         Percent(shares[i].share) + " (last levels at most " +
                         Percent(CURVE_HARD_SHARE) + ")");
  }
  return c;
}

std::string DescribeCurve(const TCurve& c) {
  char text[128];
  std::string line =
      "curve: first " + std::to_string(CURVE_EASY_LEVELS) + " at least " + Percent(c.easiest);
  std::snprintf(text, sizeof text, " | Spearman %.2f | band medians", c.spearman);
  line += text;
  for (double m : c.bandMedians) {
    std::snprintf(text, sizeof text, " %.1f", 100 * m);
    line += text;
  }
  line += " % | last " + std::to_string(CURVE_HARD_LEVELS) + " at most " + Percent(c.hardest);
  if (c.misses.empty()) return line + " | meets\n";
  line += " | misses:";
  for (const std::string& m : c.misses) line += "\n  " + m;
  return line + "\n";
}
