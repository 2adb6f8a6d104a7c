// The stored solutions as files in a folder, and the same shots as an input script.
#include "tools/levels/solution_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "media/media.h"
#include "solver/level_run.h"

std::string FormatInputScript(const TShotPlan& plan) {
  // Script commands of frame F land when the F-th Flip completes, and the game flips inside the
  // session's update, before it reads the click of that pass. So the aim goes in at F (before the
  // pass of shot frame F) and the click at F + 1 (read at the end of that same pass).
  std::ostringstream out;
  for (const TShot& shot : plan.shots) {
    out << shot.frame << " move " << shot.x << ' ' << shot.y << '\n'
        << shot.frame + 1 << " click 1\n";
  }
  return out.str();
}

std::string SolutionPath(const std::string& dir, int level) {
  const std::string named = NamedPlanPath(level);
  return named.empty() ? dir + "/level" + std::to_string(level) + ".txt" : named;
}

std::vector<int> StoredSolutionLevels(const std::string& dir) {
  std::vector<int> levels;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    const int level = NumberedLevelFile(name, ".txt");
    if (level > 0) levels.push_back(level);
  }
  std::sort(levels.begin(), levels.end());
  // Named levels of the level folder that have their plan beside them.
  for (int level : NamedLevels()) {
    if (std::filesystem::is_regular_file(NamedPlanPath(level), ec)) levels.push_back(level);
  }
  return levels;
}

std::optional<TShotPlan> LoadSolution(const std::string& dir, int level, std::string& error) {
  const std::string path = SolutionPath(dir, level);
  std::ifstream file(path);
  if (!file) {
    error = "no solution file " + path;
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  TShotPlan plan;
  if (!ParseSolution(text.str(), plan, error)) {
    error = path + ": " + error;
    return std::nullopt;
  }
  return plan;
}

bool SaveSolution(const std::string& dir, int level, const TShotPlan& plan,
                  const std::string& comment, std::string& error) {
  const std::string text = FormatSolution(plan, comment);
  return WriteFileAtomic(SolutionPath(dir, level),
                         std::vector<std::uint8_t>(text.begin(), text.end()), &error);
}
