// The check of a level: plays the real session headless (drawing off) as the level tools do,
// first one shot at every aim of a grid over the screen, then the plays around the most central
// winning aim; without a one-shot win, second shots after the closest first ones. The editor's
// side starts the search as a child process and reads its lines without waiting.
#include "editor/level_check.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>

#include "game/game.h"
#include "game/user_levels.h"
#include "media/media.h"
#include "state/globals.h"

namespace {

constexpr int GRID_COLUMNS = 20;
constexpr int GRID_ROWS = 15;
constexpr int FOLLOW_COLUMNS = 12;
constexpr int FOLLOW_ROWS = 9;
constexpr int FOLLOW_DELAY = 100;     ///< frames between shots (the cannon reloads in 30)
constexpr int FOLLOW_CANDIDATES = 4;  ///< closest first shots given a second
constexpr int PLAY_WAIT = 420;        ///< frames a shot may take to win
constexpr int PLAN_MARGIN = 60;       ///< frames a plan plays on after its win
constexpr int FAIR_CANDIDATES = 6;    ///< winning plans whose neighbourhood is tried
constexpr double FAIR_SHARE = 0.75;   ///< a plan this share of whose near plays win is fair
constexpr int NEAR_AIM = 2;           ///< pixels
constexpr int NEAR_FRAMES = 3;
constexpr int REST_FRAMES = 45;
constexpr float REST_SPEED = 1.5f;      ///< world units per second
constexpr double SEARCH_SECONDS = 120;  ///< the whole search stops after this

using Clock = std::chrono::steady_clock;

struct TPlay {
  bool won = false;
  int winFrame = 0;
  float closest = std::numeric_limits<float>::infinity();
};

/// One play of the own level with `shots`, as the main loop fires clicks.
TPlay Play(const std::vector<TCheckShot>& shots, int wait) {
  TPlay result;
  SeedRnd(CHECK_SEED);
  graphicsHertz = FRAME_HERTZ;
  auto game = std::make_shared<TGame>();
  game->drawingEnabled = false;
  if (!game->m_world || !game->m_world->world) return result;
  std::vector<physics::b2Body*> targets;
  for (physics::b2Body* b = game->m_world->world->GetBodyList(); b; b = b->GetNext())
    if (b->typeUser == "here") targets.push_back(b);
  const int frames = (shots.empty() ? 0 : shots.back().frame + 1) + wait;
  std::size_t next = 0;
  int calm = 0;
  for (int frame = 0; frame < frames; ++frame) {
    const bool click = next < shots.size() && shots[next].frame == frame;
    if (click) InjectMouseMove(shots[next].x, shots[next].y);
    game->Update();
    if (click) {
      game->shotRagdoll();
      ++next;
    }
    if (game->flTou == 1) {
      result.won = true;
      result.winFrame = game->framesPlayed;
      result.closest = 0;
      break;
    }
    if (!game->m_world || !game->m_world->world) break;
    // Nearest a ragdoll came to a target, and whether every ragdoll lies still.
    bool moving = false;
    int ragdollParts = 0;
    for (physics::b2Body* b = game->m_world->world->GetBodyList(); b; b = b->GetNext()) {
      if (b->typeUser != "ragdoll") continue;
      ++ragdollParts;
      const physics::b2Vec2 p = b->GetPosition();
      for (physics::b2Body* t : targets) {
        const physics::b2Vec2 q = t->GetPosition();
        result.closest = std::min(result.closest, std::hypot(p.x - q.x, p.y - q.y));
      }
      const physics::b2Vec2 v = b->GetLinearVelocity();
      if (v.x * v.x + v.y * v.y > REST_SPEED * REST_SPEED) moving = true;
    }
    const bool shotsDone = next == shots.size() && game->currentFrameOfCannon == 0;
    calm = shotsDone && !moving && game->movingList.empty() && game->rotatingList.empty() ? calm + 1
                                                                                          : 0;
    if (shotsDone && frame > (shots.empty() ? 0 : shots.back().frame) + 40 &&
        (ragdollParts == 0 || calm >= REST_FRAMES))
      break;
  }
  game->exitAll();
  return result;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

TCheckShot GridAim(int column, int row, int columns, int rows, int frame) {
  const int w = SCREEN_WIDTH / columns, h = SCREEN_HEIGHT / rows;
  return TCheckShot{frame, column * w + w / 2, row * h + h / 2};
}

/// Share of the plays around `plan` that still win.
double Fairness(const std::vector<TCheckShot>& plan, int& plays) {
  int won = 0, tried = 0;
  for (int dx = -NEAR_AIM; dx <= NEAR_AIM; dx += NEAR_AIM) {
    for (int dy = -NEAR_AIM; dy <= NEAR_AIM; dy += NEAR_AIM) {
      for (int df = -NEAR_FRAMES; df <= NEAR_FRAMES; df += NEAR_FRAMES) {
        if (dx == 0 && dy == 0 && df == 0) continue;
        std::vector<TCheckShot> near = plan;
        for (TCheckShot& s : near) {
          s.x += dx;
          s.y += dy;
          s.frame += df;
        }
        ++tried;
        ++plays;
        if (Play(near, PLAY_WAIT).won) ++won;
      }
    }
  }
  return tried == 0 ? 0 : static_cast<double>(won) / tried;
}

}  // namespace

std::string CheckReportLine(const TCheckReport& r) {
  std::ostringstream out;
  out << "result " << (r.winnable ? "winnable" : "unwinnable") << " shots " << r.shots << " share "
      << r.firstShotShare << " fairness " << r.fairness << " plan-seconds " << r.secondsToPlan
      << " seconds " << r.seconds << " plays " << r.plays << " wait " << r.wait;
  for (const TCheckShot& s : r.plan) out << " shot " << s.frame << " " << s.x << " " << s.y;
  return out.str();
}

bool ParseCheckLine(const std::string& line, TCheckReport& report, std::string& progress) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  if (word == "progress") {
    std::getline(in >> std::ws, progress);
    return true;
  }
  if (word == "error") {
    std::getline(in >> std::ws, report.error);
    return true;
  }
  if (word != "result") return false;
  TCheckReport r;
  std::string verdict;
  in >> verdict;
  r.winnable = verdict == "winnable";
  while (in >> word) {
    if (word == "shots") in >> r.shots;
    if (word == "share") in >> r.firstShotShare;
    if (word == "fairness") in >> r.fairness;
    if (word == "plan-seconds") in >> r.secondsToPlan;
    if (word == "seconds") in >> r.seconds;
    if (word == "plays") in >> r.plays;
    if (word == "wait") in >> r.wait;
    if (word == "shot") {
      TCheckShot s;
      if (in >> s.frame >> s.x >> s.y) r.plan.push_back(s);
    }
  }
  if (in.bad()) return false;
  r.finished = true;
  report = r;
  return true;
}

std::string CheckPlanText(const TCheckReport& r, const std::string& comment) {
  std::string text = "# " + comment + "\n";
  for (const TCheckShot& s : r.plan)
    text += "shot " + std::to_string(s.frame) + " " + std::to_string(s.x) + " " +
            std::to_string(s.y) + "\n";
  text += "wait " + std::to_string(r.wait) + "\n";
  return text;
}

int RunLevelCheck(const std::string& levelPath, const std::string& planPath) {
  const Clock::time_point start = Clock::now();
  const TUserLevel read = ReadUserLevel(levelPath);
  if (!read.level) {
    Say("error " + levelPath + ": " + read.problem);
    return 2;
  }
  auto own = std::make_shared<TOwnLevel>();
  own->level = read.level;
  SetOwnLevel(own);
  TCheckReport report;

  // One shot at every aim of the grid.
  struct TAim {
    TCheckShot shot;
    TPlay play;
  };
  std::vector<TAim> aims;
  for (int row = 0; row < GRID_ROWS; ++row) {
    for (int column = 0; column < GRID_COLUMNS; ++column) {
      const TCheckShot shot = GridAim(column, row, GRID_COLUMNS, GRID_ROWS, CHECK_FIRST_SHOT_FRAME);
      aims.push_back(TAim{shot, Play({shot}, PLAY_WAIT)});
      ++report.plays;
    }
    Say("progress first shots " + std::to_string((row + 1) * GRID_COLUMNS) + " of " +
        std::to_string(GRID_COLUMNS * GRID_ROWS));
  }
  int wins = 0;
  for (const TAim& a : aims) wins += a.play.won;
  report.firstShotShare = static_cast<double>(wins) / static_cast<double>(aims.size());

  // Winning plans, the most central first: those whose grid neighbours win too.
  struct TCandidate {
    std::vector<TCheckShot> plan;
    int winFrame = 0;
    int neighbours = 0;
  };
  std::vector<TCandidate> candidates;
  const auto wonAt = [&](int column, int row) {
    return column >= 0 && row >= 0 && column < GRID_COLUMNS && row < GRID_ROWS &&
           aims[static_cast<std::size_t>(row * GRID_COLUMNS + column)].play.won;
  };
  for (int row = 0; row < GRID_ROWS; ++row) {
    for (int column = 0; column < GRID_COLUMNS; ++column) {
      if (!wonAt(column, row)) continue;
      const TAim& a = aims[static_cast<std::size_t>(row * GRID_COLUMNS + column)];
      int n = 0;
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) n += (dr != 0 || dc != 0) && wonAt(column + dc, row + dr);
      candidates.push_back(TCandidate{{a.shot}, a.play.winFrame, n});
    }
  }
  if (candidates.empty()) {
    // Second shots after the closest first shots.
    std::vector<TAim> closest = aims;
    std::sort(closest.begin(), closest.end(),
              [](const TAim& a, const TAim& b) { return a.play.closest < b.play.closest; });
    closest.resize(std::min<std::size_t>(closest.size(), FOLLOW_CANDIDATES));
    for (std::size_t c = 0; c < closest.size() && candidates.empty(); ++c) {
      for (int row = 0; row < FOLLOW_ROWS; ++row) {
        for (int column = 0; column < FOLLOW_COLUMNS; ++column) {
          const TCheckShot second = GridAim(column, row, FOLLOW_COLUMNS, FOLLOW_ROWS,
                                            CHECK_FIRST_SHOT_FRAME + FOLLOW_DELAY);
          const std::vector<TCheckShot> plan = {closest[c].shot, second};
          const TPlay play = Play(plan, PLAY_WAIT);
          ++report.plays;
          if (play.won) candidates.push_back(TCandidate{plan, play.winFrame, 0});
        }
        if (Seconds(start) > SEARCH_SECONDS) break;
      }
      Say("progress second shots after " + std::to_string(c + 1) + " of " +
          std::to_string(closest.size()) + " first shots");
    }
  }
  std::stable_sort(
      candidates.begin(), candidates.end(),
      [](const TCandidate& a, const TCandidate& b) { return a.neighbours > b.neighbours; });
  // The fairest of the first few; the first fair one ends the search.
  const TCandidate* best = nullptr;
  for (std::size_t i = 0; i < candidates.size() && i < FAIR_CANDIDATES; ++i) {
    Say("progress fairness of plan " + std::to_string(i + 1));
    const double fairness = Fairness(candidates[i].plan, report.plays);
    if (best == nullptr || fairness > report.fairness) {
      best = &candidates[i];
      report.fairness = fairness;
    }
    if (fairness >= FAIR_SHARE || Seconds(start) > SEARCH_SECONDS) break;
  }
  if (best != nullptr) {
    report.winnable = true;
    report.plan = best->plan;
    report.shots = static_cast<int>(best->plan.size());
    report.wait = best->winFrame - (best->plan.back().frame + 1) + PLAN_MARGIN;
    report.secondsToPlan = Seconds(start);
    if (!planPath.empty()) {
      const std::string text =
          CheckPlanText(report, "The plan the editor's check found for " +
                                    std::filesystem::path(levelPath).filename().string() + ".");
      std::string error;
      if (!WriteFileAtomic(planPath, std::vector<std::uint8_t>(text.begin(), text.end()), &error)) {
        Say("error the plan could not be saved: " + error);
      }
    }
  }
  report.seconds = Seconds(start);
  report.finished = true;
  Say(CheckReportLine(report));
  SetOwnLevel(nullptr);
  return report.winnable ? 0 : 1;
}

// [SECTION] The editor's side ------------------------------------------------------------------

TLevelCheck::~TLevelCheck() { Cancel(); }

bool TLevelCheck::Start(const std::string& levelPath, const std::string& planPath,
                        std::string& error) {
  Cancel();
  report = TCheckReport{};
  progress = "starting";
  pending.clear();
  std::error_code ec;
  const std::string self =
      program.empty() ? std::filesystem::read_symlink("/proc/self/exe", ec).string() : program;
  if (ec || self.empty()) {
    error = "the game's own program cannot be found";
    return false;
  }
  int fds[2];
  if (::pipe(fds) != 0) {
    error = "no pipe for the checking process";
    return false;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    error = "the checking process could not be started";
    return false;
  }
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    ::close(fds[0]);
    ::close(fds[1]);
    ::execl(self.c_str(), self.c_str(), "--check", levelPath.c_str(), "--plan", planPath.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  child = pid;
  pipe = fds[0];
  return true;
}

void TLevelCheck::Poll() {
  if (pipe < 0) return;
  char buffer[4096];
  bool ended = false;
  for (;;) {
    const ssize_t n = ::read(pipe, buffer, sizeof buffer);
    if (n > 0) {
      pending.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    ended = n == 0;
    break;
  }
  for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
    ParseCheckLine(pending.substr(0, end), report, progress);
    pending.erase(0, end + 1);
  }
  if (!ended) return;
  ::close(pipe);
  pipe = -1;
  int status = 0;
  ::waitpid(child, &status, 0);
  child = -1;
  if (!report.finished && report.error.empty())
    report.error = "the checking process ended without a report";
}

void TLevelCheck::Cancel() {
  if (child > 0) {
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
  }
  if (pipe >= 0) ::close(pipe);
  child = -1;
  pipe = -1;
}
