// Runs many level plays on both cores. The session lives in globals (the current level, the
// shared pictures, the generator), so two plays cannot share a process: each worker is a process
// of its own, forked before any media is opened, fed jobs through a pipe by one thread of ours.
#pragma once

#include <string>
#include <vector>

#include "solver/level_run.h"

struct TRunJob {
  int level = 0;
  TShotPlan plan;
  bool stopAtRest = true;
  bool measure = false;  ///< measure the physics (SetPlayMeasure) instead of playing for a win
};

/// How a worker measures a play (a job with `measure`): the figures, encoded, as they come back
/// in TRunResult::figures. The program that measures sets it before it makes its pool.
using TPlayMeasure = std::string (*)(int level, const TShotPlan& plan);
void SetPlayMeasure(TPlayMeasure measure);

class TWorkerPool {
 public:
  /// Forks `workers` worker processes; 0 plays every job in this process instead (media is then
  /// opened here on first use). Construct before this process opens any media.
  explicit TWorkerPool(int workers);
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  /// Tells the workers which assets to load as missing (DrawnOnlyAssets), then they open their
  /// media. Call once, before Run. False when a worker is gone.
  bool Prepare(const std::vector<std::string>& stubbed);
  /// Plays every job, results in job order. False with `error` set when a worker failed.
  bool Run(const std::vector<TRunJob>& jobs, std::vector<TRunResult>& results, std::string& error);
  int Workers() const { return static_cast<int>(workers.size()); }

 private:
  struct Worker {
    int pid = -1;
    int toWorker = -1;    ///< jobs, one line each
    int fromWorker = -1;  ///< results, one line each
  };
  std::vector<Worker> workers;
  bool mediaOpen = false;
};

/// Two workers where the machine has two cores or more, else one.
int DefaultWorkerCount();
