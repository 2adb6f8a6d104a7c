#!/usr/bin/env bash
# A whole session through the real program, headless, driven by an input script: main menu PLAY,
# the level selection (level 1 open, the others closed), start, the stored winning shot of level 1,
# Space to the next level, Escape, restart from the pause menu, Escape, select level, menu, music
# off, close. The progress file must then hold what the player did, and a second start must read it
# back. Usage: app_flow_test.sh BUILD_DIR
set -u
build="$(cd "$1" && pwd)"
game="$build/brakkon"
dat="$build/brakkon-dat"
solution="$(dirname "$0")/../assets/solutions/level1.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

# Level 1's stored shot: "shot FRAME X Y"; play starts in script frame 14 below.
read -r _ shot_frame aim_x aim_y < <(grep '^shot' "$solution" | head -n 1)
fire=$((14 + shot_frame))
# The rest follows the win: its frame is in the plan's comment ("won with 1 shot in frame N").
win_frame=$(sed -n 's/.* in frame \([0-9]*\) .*/\1/p' "$solution" | head -n 1)
after=$((14 + win_frame + 30))
cat > "$work/flow.txt" <<SCRIPT
# main menu: PLAY
0 move 400 262
2 press 1
3 release 1
# level selection: start (level 1 is selected and open)
8 move 729 557
10 press 1
11 release 1
# level 1: the stored shot
$fire move $aim_x $aim_y
$fire click 1
# after the win: Space goes on to level 2
$((after + 0)) key 32
# Escape, then "restart level" in the pause menu
$((after + 20)) key 27
$((after + 30)) move 404 262
$((after + 32)) press 1
$((after + 33)) release 1
# Escape, then "select level"
$((after + 50)) key 27
$((after + 60)) move 404 302
$((after + 62)) press 1
$((after + 63)) release 1
# level selection: "menu"
$((after + 80)) move 460 557
$((after + 82)) press 1
$((after + 83)) release 1
# main menu: music off
$((after + 100)) move 400 442
$((after + 102)) press 1
$((after + 103)) release 1
$((after + 120)) close
SCRIPT

(cd "$work" && "$game" --headless --input "$work/flow.txt" > "$work/run1.txt" 2>&1)
check "the scripted session ends cleanly" test $? -eq 0
check "level 1 is won" grep -q "^Level 1 won with 1 shots" "$work/run1.txt"
"$dat" decode "$work/brakkon.dat" > "$work/progress.xml"
check "music is saved off" grep -q 'music="false"' "$work/progress.xml"
check "level 1 keeps its best shots" grep -q '<level num="1" score="1" status="Open" />' "$work/progress.xml"
check "level 2 is open" grep -q '<level num="2" score="" status="Open" />' "$work/progress.xml"
check "level 3 is still closed" grep -q '<level num="3" score="" status="Close" />' "$work/progress.xml"
check "the selected row is stored" grep -q 'lastLevel="2"' "$work/progress.xml"

# A second start reads it back: music stays off, row 2 stays selected through to the next save.
(cd "$work" && "$game" --headless --frames 80 > "$work/run2.txt" 2>&1)
check "the second start ends cleanly" test $? -eq 0
"$dat" decode "$work/brakkon.dat" > "$work/progress2.xml"
check "music is still off" grep -q 'music="false"' "$work/progress2.xml"
check "row 2 is still selected" grep -q 'lastLevel="2"' "$work/progress2.xml"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
