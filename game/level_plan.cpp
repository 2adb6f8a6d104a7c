// Reading and writing level plans. The reader is strict: a plan that cannot be replayed exactly
// as written must be reported, not guessed at (the game then offers no par and no hint).
#include "game/level_plan.h"

#include <sstream>

#include "media/media.h"

namespace {

/// Plans are a few lines; anything far larger is not one.
constexpr std::size_t MAX_PLAN_BYTES = 64 * 1024;

bool ReadInts(std::istringstream& in, std::initializer_list<int*> values) {
  for (int* v : values) {
    if (!(in >> *v)) return false;
  }
  std::string extra;
  return !(in >> extra);
}

}  // namespace

int TShotPlan::Frames() const { return (shots.empty() ? 0 : shots.back().frame + 1) + wait; }

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

std::string PlanAssetPath(int level) { return "solutions/level" + std::to_string(level) + ".txt"; }

std::optional<TShotPlan> LoadLevelPlan(int level) {
  // Only the embedded plans: a file of that name in the working folder is not the level's plan.
  if (!IsEmbeddedAsset(PlanAssetPath(level))) return std::nullopt;
  const auto bytes = ReadAssetOrFile(PlanAssetPath(level));
  if (!bytes || bytes->size() > MAX_PLAN_BYTES) return std::nullopt;
  TShotPlan plan;
  std::string error;
  if (!ParseSolution(std::string(bytes->begin(), bytes->end()), plan, error)) {
    LogLine("Level " + std::to_string(level) + ": its plan does not read (" + error +
            "); no par and no hint");
    return std::nullopt;
  }
  return plan;
}
