#!/usr/bin/env bash
# The editor's check on the game's own levels: `brakkon --check` (the process the editor starts)
# on a copy of one level out of every twenty whose stored plan has one shot, first with the
# machine otherwise idle, then beside a game running flat out without frame pacing (harder on
# the check than the editor, which waits for each frame). The figures are the check's own: the
# time to the answer (a win known, the goal: 10 s for a level one shot wins) and the time to the
# first fair plan, which ends the search. Appends a section to the bench report.
# Usage: bench-check.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
busy=""
trap '[ -n "$busy" ] && kill "$busy" 2> /dev/null; rm -rf "$work"' EXIT

levels=()
for first in $(seq 1 20 170); do
  for level in $(seq "$first" $((first + 19))); do
    plan="$source_dir/assets/solutions/level$level.txt"
    if [ -f "$plan" ] && [ "$(grep -c '^shot' "$plan")" -eq 1 ]; then
      levels+=("$level")
      break
    fi
  done
done

run() {  # run LABEL: one check per level, "LABEL LEVEL WIN_SECONDS PLAN_SECONDS FAIR SHOTS"
  for level in "${levels[@]}"; do
    cp "$source_dir/assets/levels/level$level.xml" "$work/game$level.xml"
    "$build/brakkon" --check "$work/game$level.xml" --plan "$work/game$level.txt" \
      > "$work/out.txt" 2> /dev/null || true
    grep '^result' "$work/out.txt" |
      awk -v label="$1" -v level="$level" '{
        for (i = 1; i < NF; ++i) { if ($i == "plan-seconds") s = $(i + 1); if ($i == "fair") f = $(i + 1);
                                   if ($i == "shots") n = $(i + 1); if ($i == "win-seconds") w = $(i + 1) }
        print label, level, w, s, f, n }' >> "$work/times.txt"
  done
}

run idle
(cd "$work" && exec "$build/brakkon" --headless --data-dir "$work/busy" --frames 100000000 \
  > /dev/null 2>&1) &
busy=$!
run busy
kill "$busy" 2> /dev/null || true
busy=""

python3 - "$work/times.txt" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
print("## The editor's check on the game's levels\n")
print("`brakkon --check` on a copy of one level out of every twenty whose stored plan has one "
      "shot, with the machine idle and beside a game running flat out: seconds until a win is "
      "known (the answer) and until the first fair plan (the end of the search; on a level "
      "with moving parts its windows of winning frames are measured over two periods).\n")
print("| level | idle: win | idle: fair plan | busy: win | busy: fair plan | fair | shots |")
print("|---|---|---|---|---|---|---|")
by = {}
for label, level, win, plan, fair, shots in rows:
    by.setdefault(level, {})[label] = (float(win), float(plan), fair, shots)
for level in sorted(by, key=int):
    idle, busy = by[level].get("idle"), by[level].get("busy")
    print(f"| {level} | {idle[0]:.1f} | {idle[1]:.1f} | {busy[0]:.1f} | {busy[1]:.1f} | "
          f"{'yes' if idle[2] == '1' else 'no'} | {idle[3]} |")
for label in ("idle", "busy"):
    wins = [float(r[2]) for r in rows if r[0] == label]
    plans = [float(r[3]) for r in rows if r[0] == label]
    verdict = "meets" if max(wins) <= 10 else "misses"
    print(f"\n{label}: a win known in a median {statistics.median(wins):.1f} s, at most "
          f"{max(wins):.1f} s ({verdict} the 10 s goal); the first fair plan in a median "
          f"{statistics.median(plans):.1f} s, at most {max(plans):.1f} s.")
print()
PY
