// Reading and writing the stored solutions. The reader is strict: a solution that verify cannot
// replay exactly as written must be reported, not guessed at.
#include "tools/levels/solution_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "media/media.h"

namespace {

bool ReadInts(std::istringstream& in, std::initializer_list<int*> values) {
  for (int* v : values) {
    if (!(in >> *v)) return false;
  }
  std::string extra;
  return !(in >> extra);
}

}  // namespace

bool ParseSolution(const std::string& text, TShotPlan& plan, std::string& error) {
  plan = TShotPlan{};
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  bool waitSeen = false;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    if (waitSeen) return fail("nothing may follow the wait line");
    if (word == "shot") {
      TShot shot;
      if (!ReadInts(in, {&shot.frame, &shot.x, &shot.y}))
        return fail("expected \"shot FRAME X Y\"");
      if (shot.frame < 0) return fail("a shot's frame cannot be negative");
      if (!plan.shots.empty() && shot.frame <= plan.shots.back().frame) {
        return fail("shot frames must ascend");
      }
      plan.shots.push_back(shot);
    } else if (word == "wait") {
      if (!ReadInts(in, {&plan.wait})) return fail("expected \"wait FRAMES\"");
      if (plan.wait < 1) return fail("wait must be at least 1 frame");
      waitSeen = true;
    } else {
      return fail("unknown word \"" + word + "\"");
    }
  }
  if (plan.shots.empty()) return fail("no shot");
  if (!waitSeen) return fail("no wait line");
  return true;
}

std::string FormatSolution(const TShotPlan& plan, const std::string& comment) {
  std::ostringstream out;
  if (!comment.empty()) out << "# " << comment << '\n';
  for (const TShot& shot : plan.shots)
    out << "shot " << shot.frame << ' ' << shot.x << ' ' << shot.y << '\n';
  out << "wait " << plan.wait << '\n';
  return out.str();
}

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
  return dir + "/level" + std::to_string(level) + ".txt";
}

std::vector<int> StoredSolutionLevels(const std::string& dir) {
  std::vector<int> levels;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("level") || !name.ends_with(".txt")) continue;
    const std::string digits = name.substr(5, name.size() - 9);
    if (digits.empty() || digits.size() > 6 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    levels.push_back(std::stoi(digits));
  }
  std::sort(levels.begin(), levels.end());
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
