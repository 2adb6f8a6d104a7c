// The background worker: one thread that decodes pictures and sounds the game will soon load,
// so that starting a level finds them ready. Started by the first job, ended with the window.
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "media/media_local.h"

namespace {

struct TWorker {
  std::mutex mutex;
  std::condition_variable wake;      // a job arrived, or the worker should end
  std::condition_variable finished;  // the queue ran empty
  std::deque<std::function<void()>> jobs;
  bool busy = false;
  bool stopping = false;
  std::thread thread;

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return stopping || !jobs.empty(); });
      if (stopping) {
        finished.notify_all();
        return;
      }
      std::function<void()> job = std::move(jobs.front());
      jobs.pop_front();
      busy = true;
      lock.unlock();
      try {
        job();
      } catch (const std::exception&) {
        // A job that fails (out of memory) leaves its result empty; the load then decodes itself.
      }
      lock.lock();
      busy = false;
      if (jobs.empty()) finished.notify_all();
    }
  }

  void Wait() {
    std::unique_lock lock(mutex);
    finished.wait(lock, [this] { return jobs.empty() && !busy; });
  }

  /// Drops the jobs that have not started: their promises break, and a load that wanted one
  /// of them decodes for itself.
  void DropWaiting() {
    std::deque<std::function<void()>> dropped;
    {
      std::lock_guard lock(mutex);
      dropped.swap(jobs);
      if (!busy) finished.notify_all();
    }
  }  // `dropped` goes here, outside the lock

  /// Ends the worker after the job at hand, dropping the ones still waiting.
  void Stop() {
    DropWaiting();
    {
      std::lock_guard lock(mutex);
      if (!thread.joinable()) return;
      stopping = true;
    }
    wake.notify_all();
    thread.join();
    stopping = false;
  }

  ~TWorker() { Stop(); }
};

TWorker& Worker() {
  static TWorker worker;
  return worker;
}

}  // namespace

namespace media_local {

void RunInBackground(std::function<void()> job) {
  TWorker& w = Worker();
  {
    std::lock_guard lock(w.mutex);
    w.jobs.push_back(std::move(job));
    if (!w.thread.joinable()) w.thread = std::thread([&w] { w.Run(); });
  }
  w.wake.notify_one();
}

void WaitForBackground() { Worker().Wait(); }

void DropWaitingBackground() { Worker().DropWaiting(); }

void StopBackground() { Worker().Stop(); }

}  // namespace media_local
