// Counting a level's mechanics and printing the statistics. The numbers themselves come from
// plays of the real session (brakkon_levels.cpp); here they are only laid out.
#include "tools/levels/level_stats.h"

#include <cstdio>
#include <sstream>

#include "game/level_file.h"

namespace {

std::string Share(const TLevelStats& s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * s.WinShare());
  return text;
}

std::string Fewest(const TLevelStats& s) {
  if (s.fewestShots == 0) return "-";
  return std::to_string(s.fewestShots) + (s.fewestFromStored ? "*" : "");
}

void Join(std::string& list, const std::string& item) { list += (list.empty() ? "" : "+") + item; }

}  // namespace

TMechanics ReadMechanics(const TLevelFile& level) {
  TMechanics m;
  for (const TBodyEntry& b : level.bodies) {
    if (b.shape == "l") {
      if (b.direct == "down" || b.direct == "right") ++m.chains;
      continue;
    }
    if (b.shape != "r" && b.shape != "c") continue;
    const bool slides = b.shape == "r";
    if (slides && b.move == "left")
      ++m.slidersLeft;
    else if (slides && b.move == "right")
      ++m.slidersRight;
    else if (slides && b.move == "up")
      ++m.slidersUp;
    else if (slides && b.move == "down")
      ++m.slidersDown;
    else if (b.typ == "d")
      ++m.dynamic;
    if (b.typ == "s" && b.rotatingSpeed != 0) ++m.turning;
  }
  m.portals = level.hasPortals;
  if (level.gravity == "up" || level.gravity == "left" || level.gravity == "right")
    m.gravity = level.gravity;
  m.weather = level.weather;
  if (level.thunder == "true") Join(m.weather, "thunder");
  if (level.mouse > 0) Join(m.creatures, "mouse");
  if (level.spiderX > 0) Join(m.creatures, "spider");
  if (level.sunX > 0) Join(m.creatures, "sun");
  if (level.crow > 0) Join(m.creatures, "crow");
  if (level.snowmanX > 0) Join(m.creatures, "snowman");
  return m;
}

std::string DescribeMechanics(const TMechanics& m) {
  std::vector<std::string> parts;
  if (m.dynamic > 0) parts.push_back("dynamic " + std::to_string(m.dynamic));
  if (m.chains > 0) parts.push_back("chains " + std::to_string(m.chains));
  std::string sliders;
  for (const auto& [letter, count] : {std::pair{"L", m.slidersLeft}, std::pair{"R", m.slidersRight},
                                      std::pair{"U", m.slidersUp}, std::pair{"D", m.slidersDown}}) {
    if (count > 0)
      sliders += (sliders.empty() ? "" : " ") + std::string(letter) + std::to_string(count);
  }
  if (!sliders.empty()) parts.push_back("sliders " + sliders);
  if (m.turning > 0) parts.push_back("turning " + std::to_string(m.turning));
  if (m.portals) parts.push_back("portals");
  if (m.gravity != "down") parts.push_back("gravity " + m.gravity);
  if (!m.weather.empty()) parts.push_back("weather " + m.weather);
  if (!m.creatures.empty()) parts.push_back("creatures " + m.creatures);
  if (parts.empty()) return "-";
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : ", ") + p;
  return text;
}

std::string StatsTable(const std::vector<TLevelStats>& rows) {
  std::ostringstream out;
  char line[256];
  std::snprintf(line, sizeof line, "%5s  %9s  %6s  %6s  %6s  %s\n", "level", "wins", "share",
                "fewest", "bodies", "mechanics");
  out << line;
  for (const TLevelStats& s : rows) {
    const std::string wins = std::to_string(s.gridWins) + "/" + std::to_string(s.gridPoints);
    std::snprintf(line, sizeof line, "%5d  %9s  %6s  %6s  %6d  %s\n", s.level, wins.c_str(),
                  Share(s).c_str(), Fewest(s).c_str(), s.bodies,
                  DescribeMechanics(s.mechanics).c_str());
    out << line;
  }
  out << "wins: first-shot aim points of the " << STATS_GRID_COLUMNS << " x " << STATS_GRID_ROWS
      << " grid that win fired at frame " << FAIR_FIRST_FRAME
      << "; fewest: fewest shots found (* by the stored solution)\n";
  return out.str();
}

std::string StatsCsv(const std::vector<TLevelStats>& rows) {
  std::ostringstream out;
  out << "level,grid_wins,grid_points,win_share,fewest_shots,bodies,dynamic,chains,sliders_left,"
         "sliders_right,"
         "sliders_up,sliders_down,turning,portals,gravity,weather,creatures,"
         "plan_shots,first_shot_frame,aim_near_wins,aim_far_wins,timing_wins,patch_share,"
         "settled_wins,narrowest_window,longest_gap,fair,unfair_by\n";
  for (const TLevelStats& s : rows) {
    const TMechanics& m = s.mechanics;
    char share[32];
    std::snprintf(share, sizeof share, "%.4f", s.WinShare());
    out << s.level << ',' << s.gridWins << ',' << s.gridPoints << ',' << share << ','
        << (s.fewestShots > 0 ? std::to_string(s.fewestShots) : "") << ',' << s.bodies << ','
        << m.dynamic << ',' << m.chains << ',' << m.slidersLeft << ',' << m.slidersRight << ','
        << m.slidersUp << ',' << m.slidersDown << ',' << m.turning << ',' << (m.portals ? 1 : 0)
        << ',' << m.gravity << ',' << m.weather << ',' << m.creatures;
    if (s.fairness) {
      const TFairness& f = *s.fairness;
      char patch[32];
      std::snprintf(patch, sizeof patch, "%.3f", f.patchShare);
      out << ',' << f.shots << ',' << f.firstFrame << ',' << f.nearWins << '/' << f.nearPlays << ','
          << f.farWins << '/' << f.farPlays << ',' << f.timingWins << '/' << f.timingPlays << ','
          << patch << ',';
      if (!f.moving) out << f.settledWins << '/' << f.settledPlays;
      out << ',';
      if (f.moving) out << f.narrowestWindow << ',' << f.longestGap;
      if (!f.moving) out << ',';
      std::string fails = f.Failures();
      if (!fails.empty()) fails.erase(0, 1);
      for (char& c : fails) c = c == ' ' ? '+' : c;
      out << ',' << (f.Fair() ? 1 : 0) << ',' << fails;
    } else {
      out << ",,,,,,,,,,,";
    }
    out << '\n';
  }
  return out.str();
}
