// The check's report lines, and the editor's side of the check: it starts the checking process
// (check_process.cpp) as a child and reads its lines without waiting.
#include "editor/level_check.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

std::string CheckReportLine(const TCheckReport& r) {
  std::ostringstream out;
  out << "result " << (r.winnable ? "winnable" : "unwinnable") << " shots " << r.shots << " share "
      << r.firstShotShare << " fair " << (r.fair ? 1 : 0) << " win-seconds " << r.secondsToWin
      << " plan-seconds " << r.secondsToPlan << " plays " << r.plays << " wait " << r.wait;
  for (const TShot& s : r.plan) out << " shot " << s.frame << " " << s.x << " " << s.y;
  // Last, as they hold spaces: the measures, each ended by ';'.
  if (!r.measures.empty()) {
    out << " measures";
    for (const std::string& m : r.measures) out << " " << m << ";";
  }
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
  if (word == "found") {
    // A win is known; its fairness is still being measured.
    while (in >> word) {
      if (word == "shots") in >> report.shots;
      if (word == "seconds") in >> report.secondsToWin;
    }
    report.winnable = true;
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
    if (word == "fair") {
      int fair = 0;
      in >> fair;
      r.fair = fair == 1;
    }
    if (word == "win-seconds") in >> r.secondsToWin;
    if (word == "plan-seconds") in >> r.secondsToPlan;
    if (word == "plays") in >> r.plays;
    if (word == "wait") in >> r.wait;
    if (word == "shot") {
      TShot s;
      if (in >> s.frame >> s.x >> s.y) r.plan.push_back(s);
    }
    if (word == "measures") {
      std::string item;
      while (std::getline(in >> std::ws, item, ';')) r.measures.push_back(item);
    }
  }
  if (in.bad()) return false;
  r.finished = true;
  report = r;
  return true;
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
