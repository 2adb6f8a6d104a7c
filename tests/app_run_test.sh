#!/usr/bin/env bash
# The whole program, run headless: flags, the Loading screen in a screenshot, the frame limit and
# its screenshot of exactly that frame, a missing audio device, a bad input script, and a run
# without a display. Usage: app_run_test.sh BUILD_DIR
set -u
game="$(cd "$1" && pwd)/brakkon"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

"$game" --help > "$work/help.txt"
check "--help exits 0 and lists the flags" grep -q -- "--screenshot FILE" "$work/help.txt"
"$game" --version > "$work/version.txt"
check "--version names the game" grep -q "^Brakkon " "$work/version.txt"
"$game" --frames nine 2> "$work/bad.txt"
check "a bad number is refused with exit 2" test $? -eq 2
check "the refusal says what is wrong" grep -q "positive whole number" "$work/bad.txt"
"$game" --no-such-flag 2> /dev/null
check "an unknown flag is refused" test $? -eq 2

(cd "$work" && "$game" --headless --frames 90 --screenshot "$work/shot.png" > /dev/null 2> "$work/run.err")
status=$?
check "a headless run of 90 frames exits 0" test $status -eq 0
check "the screenshot is written" test -s "$work/shot.png"
size=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(24); print(*struct.unpack('>II', d[16:24]))" "$work/shot.png" 2>/dev/null)
check "the screenshot is 800x600" test "$size" = "800 600"

# During loading the screen shows the white "Loading" line at (330, 560) on black.
(cd "$work" && "$game" --headless --frames 40 --screenshot "$work/loading.png" > /dev/null 2>&1)
check "the Loading line is drawn where it belongs" python3 "$(dirname "$0")/png_region.py" \
  "$work/loading.png" 330 560 120 20 white
check "the rest of the Loading screen is black" python3 "$(dirname "$0")/png_region.py" \
  "$work/loading.png" 0 0 800 500 black

# The screenshot is of frame N itself: the Loading line of frame N has N dots (N <= 11), so the
# line ends further right from one N to the next; frames after N do not write the file again.
dots_end() {  # the rightmost near-white column of the Loading line in a screenshot
  python3 - "$1" "$(dirname "$0")" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from png_region import read_png
width, height, channels, rows = read_png(sys.argv[1])
print(max([x for y in range(555, 585) for x in range(width)
           if min(rows[y][x * channels:x * channels + 3]) > 200] or [-1]))
PY
}
ends=()
for n in 3 4 5 6; do
  (cd "$work" && "$game" --headless --frames $n --screenshot "$work/frame$n.png" > /dev/null 2>&1)
  ends+=("$(dots_end "$work/frame$n.png")")
done
check "the screenshot is of frame N, not a later one (line ends ${ends[*]})" \
  test "${ends[0]}" -gt 330 -a "${ends[0]}" -lt "${ends[1]}" -a "${ends[1]}" -lt "${ends[2]}" -a "${ends[2]}" -lt "${ends[3]}"

# Without a display and without --headless: one line naming --headless, a non-zero exit, at once.
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$game" --frames 5 \
  > /dev/null 2> "$work/nodisplay.err")
status=$?
check "no display: the game exits non-zero by itself (status $status)" test $status -ne 0 -a $status -ne 124
check "no display: one line of the game's" test "$(grep -c '^brakkon:' "$work/nodisplay.err")" -eq 1
check "no display: the line says so and names --headless" \
  grep -q '^brakkon: no display found.*--headless' "$work/nodisplay.err"

(cd "$work" && SDL_AUDIODRIVER=no-such-driver "$game" --headless --frames 70 > /dev/null 2> "$work/silent.err")
check "no audio device: the game still runs" test $? -eq 0
check "no audio device: one clear line" test "$(grep -c "no audio device" "$work/silent.err")" -eq 1

printf '0 move 10 10\n3 jump\n' > "$work/bad-script.txt"
"$game" --headless --frames 5 --input "$work/bad-script.txt" > /dev/null 2> "$work/script.err"
check "a bad input script is refused" test $? -eq 2
check "the refusal names the line" grep -q "line 2" "$work/script.err"

# Levels that do not exist, and scripts that are not small files, are refused in one line.
for level in 171 999999; do
  "$game" --headless --frames 5 --level "$level" > /dev/null 2> "$work/level.err"
  check "--level $level is refused with exit 2" test $? -eq 2
  check "--level $level: one line naming the range" \
    bash -c "[ \$(grep -c . '$work/level.err') -eq 1 ] && grep -q 'from 1 to 170' '$work/level.err'"
done
mkdir -p "$work/a-folder"
for script in "$work/a-folder" /dev/zero; do
  timeout 10 "$game" --headless --frames 5 --input "$script" > /dev/null 2> "$work/input.err"
  check "--input $script is refused with exit 2" test $? -eq 2
  check "--input $script: one line" test "$(grep -c . "$work/input.err")" -eq 1
done

printf '0 close\n' > "$work/close.txt"
(cd "$work" && timeout 60 "$game" --headless --input "$work/close.txt" > /dev/null 2>&1)
check "a close request ends the program" test $? -eq 0

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
