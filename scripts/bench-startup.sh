#!/usr/bin/env bash
# Start-up time: the whole game process with --headless --frames 1 (every start-up step, the
# first pass of the main loop and the save at exit) beside window_only, which opens the same
# window and renderer and nothing else; both are run alternately in the same run and the
# medians compared. Appends a section to the bench report. Usage: bench-startup.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${STARTUP_RUNS:-21}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 - "$build" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
build, runs = sys.argv[1], int(sys.argv[2])
commands = {
    "game": [f"{build}/brakkon", "--headless", "--frames", "1"],
    "window_only": [f"{build}/window_only", "--headless"],
}
times = {name: [] for name in commands}
cpu = {name: [] for name in commands}  # user + system: what the process itself spent
for run in range(runs + 2):  # the first two rounds warm the file cache and are not counted
    for name, command in commands.items():
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        if status != 0:
            sys.exit(f"{name} failed with status {status}")
        if run >= 2:
            times[name].append(wall)
            cpu[name].append(usage.ru_utime + usage.ru_stime)
game = statistics.median(times["game"])
window = statistics.median(times["window_only"])
print("## Start-up to the main menu\n")
print(f"{runs} runs of each, alternating; seconds of the whole process, wall clock and CPU "
      f"(user + system; less disturbed by other work on the machine).\n")
print("| program | wall median | wall min | wall max | CPU median |")
print("|---|---|---|---|---|")
for name in commands:
    t = times[name]
    print(f"| {name} | {statistics.median(t):.3f} | {min(t):.3f} | {max(t):.3f} | "
          f"{statistics.median(cpu[name]):.3f} |")
verdict = "meets" if game < 0.25 else "misses"
print(f"\nGame start-up {game:.3f} s ({verdict} the 0.25 s goal); of it {window:.3f} s is opening the "
      f"window and renderer, {game - window:.3f} s the game's own start-up.\n")
PY
