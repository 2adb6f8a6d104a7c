// The worker processes and the job protocol: a job is one text line (level, early stop, wait,
// shots), a result one line back. Lines keep the pipes simple and a stuck worker easy to read.
#include "solver/level_workers.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace {

TPlayMeasure playMeasure = nullptr;

constexpr int LARGE_BLOCK_BYTES = 64 << 20;

std::string EncodeJob(const TRunJob& job) {
  std::ostringstream out;
  out << job.level << ' ' << (job.stopAtRest ? 1 : 0) << ' ' << (job.measure ? 1 : 0) << ' '
      << job.plan.wait << ' ' << job.plan.shots.size();
  for (const TShot& s : job.plan.shots) out << ' ' << s.frame << ' ' << s.x << ' ' << s.y;
  out << '\n';
  return out.str();
}

bool DecodeJob(const std::string& line, TRunJob& job) {
  std::istringstream in(line);
  int stop = 0, measure = 0;
  std::size_t count = 0;
  if (!(in >> job.level >> stop >> measure >> job.plan.wait >> count)) return false;
  job.stopAtRest = stop != 0;
  job.measure = measure != 0;
  job.plan.shots.assign(count, TShot{});
  for (TShot& s : job.plan.shots) {
    if (!(in >> s.frame >> s.x >> s.y)) return false;
  }
  return true;
}

std::string EncodeResult(const TRunResult& r) {
  char line[160];
  std::snprintf(line, sizeof line, "%d %d %d %d %d %.9g %d ", r.won ? 1 : 0, r.winFrame, r.shots,
                r.framesRun, r.rested ? 1 : 0, static_cast<double>(r.closest), r.bodies);
  return line + r.figures + '\n';
}

bool DecodeResult(const std::string& line, TRunResult& r) {
  std::istringstream in(line);
  int won = 0, rested = 0;
  std::string closest;
  if (!(in >> won >> r.winFrame >> r.shots >> r.framesRun >> rested >> closest >> r.bodies))
    return false;
  r.won = won != 0;
  r.rested = rested != 0;
  r.closest = std::strtof(closest.c_str(), nullptr);
  std::getline(in >> std::ws, r.figures);
  return true;
}

bool ReadLine(int fd, std::string& line) {
  line.clear();
  char c = 0;
  while (true) {
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

TRunResult Play(const TRunJob& job) {
  if (!job.measure || playMeasure == nullptr) return RunLevel(job.level, job.plan, job.stopAtRest);
  TRunResult result;
  result.figures = playMeasure(job.level, job.plan);
  result.framesRun = job.plan.Frames();
  return result;
}

/// The body of a worker process: takes the list of assets to leave out, opens its own media, then
/// plays jobs until the pipe closes.
[[noreturn]] void WorkerMain(int jobs, int results) {
  // Plays free and allocate the same large blocks over and over: keep them in the heap instead of
  // mapping fresh zeroed pages each time.
  mallopt(M_MMAP_THRESHOLD, LARGE_BLOCK_BYTES);
  mallopt(M_TRIM_THRESHOLD, LARGE_BLOCK_BYTES);
  std::string line;
  if (!ReadLine(jobs, line)) std::_Exit(0);
  std::istringstream stubs(line);
  std::vector<std::string> paths;
  for (std::string path; stubs >> path;) paths.push_back(path);
  StubAssets(paths);
  const bool ready = OpenLevelMedia(false);
  while (ReadLine(jobs, line)) {
    TRunJob job;
    if (!ready || !DecodeJob(line, job)) {
      WriteAll(results, "error\n");
      continue;
    }
    if (!WriteAll(results, EncodeResult(Play(job)))) break;
  }
  if (ready) CloseLevelMedia();
  std::_Exit(0);
}

}  // namespace

int DefaultWorkerCount() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

TWorkerPool::TWorkerPool(int count) {
  // A worker that died must show up as an error of Run, not kill us on the next write.
  std::signal(SIGPIPE, SIG_IGN);
  std::fflush(nullptr);
  for (int i = 0; i < count; ++i) {
    int down[2], up[2];
    if (pipe(down) != 0) break;
    if (pipe(up) != 0) {
      close(down[0]);
      close(down[1]);
      break;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      close(down[1]);
      close(up[0]);
      // Pipes of the workers started before this one belong to the parent alone.
      for (const Worker& w : workers) {
        close(w.toWorker);
        close(w.fromWorker);
      }
      WorkerMain(down[0], up[1]);
    }
    close(down[0]);
    close(up[1]);
    if (pid < 0) {
      close(down[1]);
      close(up[0]);
      break;
    }
    workers.push_back(Worker{pid, down[1], up[0]});
  }
}

TWorkerPool::~TWorkerPool() {
  for (Worker& w : workers) close(w.toWorker);
  for (Worker& w : workers) {
    close(w.fromWorker);
    int status = 0;
    waitpid(w.pid, &status, 0);
  }
  if (mediaOpen) CloseLevelMedia();
}

bool TWorkerPool::Prepare(const std::vector<std::string>& stubbed) {
  std::string line;
  for (const std::string& path : stubbed) line += (line.empty() ? "" : " ") + path;
  line += '\n';
  for (const Worker& w : workers) {
    if (!WriteAll(w.toWorker, line)) return false;
  }
  return true;
}

bool TWorkerPool::Run(const std::vector<TRunJob>& jobs, std::vector<TRunResult>& results,
                      std::string& error) {
  results.assign(jobs.size(), TRunResult{});
  if (workers.empty()) {
    if (!mediaOpen && !(mediaOpen = OpenLevelMedia(false))) {
      error = "cannot open the headless screen";
      return false;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) results[i] = Play(jobs[i]);
    return true;
  }
  std::atomic<std::size_t> next{0};
  std::vector<std::string> failures(workers.size());
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < workers.size(); ++k) {
    threads.emplace_back([&, k]() {
      const Worker& w = workers[k];
      std::string line;
      for (std::size_t i = next++; i < jobs.size(); i = next++) {
        if (!WriteAll(w.toWorker, EncodeJob(jobs[i])) || !ReadLine(w.fromWorker, line)) {
          failures[k] = "worker " + std::to_string(k + 1) + " stopped";
          return;
        }
        if (!DecodeResult(line, results[i])) {
          failures[k] = "worker " + std::to_string(k + 1) + " could not play level " +
                        std::to_string(jobs[i].level);
          return;
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (const std::string& f : failures) {
    if (!f.empty()) {
      error = f;
      return false;
    }
  }
  return true;
}

void SetPlayMeasure(TPlayMeasure measure) { playMeasure = measure; }
