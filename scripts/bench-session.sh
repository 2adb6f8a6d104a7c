#!/usr/bin/env bash
# Peak resident memory of a scripted 3-minute session (10 800 frames, the length of three minutes
# at 60 frames per second; headless runs have no pacing): the main menu and its switches, the
# level selection, ten levels in turn with shots, the pause menu, a trip back through the main
# menu, and the developer's next-level keys between levels. Levels 1-11 are opened beforehand so
# every start is allowed. Appends a section to the bench report. Usage: bench-session.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data"
python3 - "$work" <<'PY'
import random, sys
work = sys.argv[1]
rng = random.Random(15)
records = "".join(
    f'  <level num="{k}" score="" status="{"Open" if k <= 11 else "Close"}" />\r\n' for k in range(1, 171))
open(f"{work}/data/brakkon.dat", "w").write(
    '<?xml version="1.0"?>\r\n<options game="Brakkon" lastLevel="1" music="true" sound="true" win="false" levelOrder="2">\r\n'
    + records + "</options>\r\n")
lines = []
def click(t, x, y):  # the pointer rests on the button before the press, as a hand's would
    lines.extend([f"{t} move {x} {y}", f"{t + 2} press 1", f"{t + 4} release 1"])
click(10, 400, 442)   # music off
click(40, 400, 442)   # music on
click(70, 400, 262)   # PLAY
click(110, 729, 557)  # start (level 1)
t = 200
for level in range(1, 11):
    for shot in range(12):
        s = t + 30 + shot * 70
        lines.extend([f"{s} move {rng.randint(250, 780)} {rng.randint(40, 420)}", f"{s + 2} click 1"])
    lines.append(f"{t + 500} key 27")   # pause menu
    click(t + 530, 403, 222)            # resume
    if level == 5:                      # out to the main menu and back into the same level
        lines.append(f"{t + 880} key 27")
        click(t + 900, 400, 342)        # main menu
        click(t + 930, 400, 262)        # PLAY
        click(t + 960, 729, 557)        # start
    lines.extend(f"{t + 1030} key {k}" for k in (120, 114, 118, 115))  # next level
    t += 1050
lines.append("10800 close")
open(f"{work}/session.txt", "w").write("\n".join(lines) + "\n")
PY
start=$(date +%s.%N)
/usr/bin/time -f '%M' -o "$work/rss.txt" "$build/brakkon" --headless --input "$work/session.txt" \
  --data-dir "$work/data" > "$work/out.txt" 2> "$work/err.txt" || { echo "(session run failed)"; cat "$work/err.txt"; exit 0; }
end=$(date +%s.%N)
peak_kb=$(tail -1 "$work/rss.txt")
# The selected level stored at the end: 11 when the tour went through all ten levels.
last=$("$build/brakkon-dat" decode "$work/data/brakkon.dat" | grep -o 'lastLevel="[0-9]*"' | grep -o '[0-9]*' || echo "?")
python3 - "$peak_kb" "$start" "$end" "$last" <<'PY'
import sys
peak = int(sys.argv[1]) / 1024
print("## Peak memory of a 3-minute session\n")
print("10 800 frames through the main menu, the level selection, the pause menu and ten levels "
      f"(headless, {float(sys.argv[3]) - float(sys.argv[2]):.1f} s of wall time); the session ended "
      f"with level {sys.argv[4]} selected.\n")
print(f"Peak resident memory: {peak:.1f} MB ({'meets' if peak < 150 else 'misses'} the 150 MB goal).\n")
PY
