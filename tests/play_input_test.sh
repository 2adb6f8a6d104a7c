#!/usr/bin/env bash
# Play as a person without a mouse, through the real program, headless, driven by input scripts:
# from the main menu to a win of level 1 with keys only (its stars written and shown in the level
# selection), the hint offered after five shots, and volumes set on the settings screen and
# saved. Usage: play_input_test.sh BUILD_DIR
set -u
build="$(cd "$1" && pwd)"
game="$build/brakkon"
dat="$build/brakkon-dat"
plan="$(dirname "$0")/../assets/solutions/level1.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
run() {  # run NAME SCRIPT_FILE: a fresh progress file each time
  rm -rf "$work/$1" && mkdir -p "$work/$1"
  (cd "$work/$1" && "$game" --headless --input "$2" > "$work/$1.log" 2>&1)
}

# The plan's aim, reached from the pointer's start (0, 0) with the arrow keys: Right and Down
# move 4 pixels a frame, 1 with Shift held (160), as long as they are held.
read -r _ _ aim_x aim_y < <(grep '^shot' "$plan" | head -n 1)
t=30
keys=""
hold() {  # hold KEY FRAMES [SHIFT]
  [ "$2" -gt 0 ] || return 0
  [ -n "${3:-}" ] && keys+="$t keydown 160"$'\n'
  keys+="$t keydown $1"$'\n'
  t=$((t + $2))
  keys+="$t keyup $1"$'\n'
  [ -n "${3:-}" ] && keys+="$t keyup 160"$'\n'
  t=$((t + 1))
}
hold 39 $((aim_x / 4))
hold 39 $((aim_x % 4)) shift
hold 40 $((aim_y / 4))
hold 40 $((aim_y % 4)) shift
fire=$((t + 1))
cat > "$work/keys.txt" <<SCRIPT
# main menu: Enter presses PLAY (the first item); level selection: Enter starts level 1
5 key 13
15 key 13
${keys}$fire key 13
# after the win: Escape, then "select level" in the pause menu (the third item)
$((fire + 200)) key 27
$((fire + 205)) key 40
$((fire + 206)) key 40
$((fire + 207)) key 40
$((fire + 208)) key 13
$((fire + 230)) close
SCRIPT
run keys "$work/keys.txt"
check "the keyboard-only run ends cleanly" test $? -eq 0
check "level 1 is won with the keys' one shot" grep -q "^Level 1 won with 1 shots" "$work/keys.log"
"$dat" decode "$work/keys/brakkon.dat" > "$work/keys.xml"
check "three stars are kept for level 1" grep -q ' stars="30*"' "$work/keys.xml"
check "the record keeps the three attributes" grep -q '<level num="1" score="1" status="Open" />' "$work/keys.xml"
check "the first-run line is done with" grep -q 'firstShot="true"' "$work/keys.xml"

# Five weak shots into the ground by the cannon; H after four does nothing, after five the hint.
{
  echo "0 move 60 560"
  for i in 1 2 3 4 5; do echo "$((20 + 40 * i)) click 1"; done
  echo "205 key 72"
  echo "260 key 72"
  echo "300 close"
} > "$work/hint.txt"
rm -rf "$work/hint" && mkdir -p "$work/hint"
(cd "$work/hint" && "$game" --headless --level 1 --input "$work/hint.txt" > "$work/hint.log" 2>&1)
check "the hint run ends cleanly" test $? -eq 0
check "no win from the weak shots" bash -c "! grep -q 'won with' '$work/hint.log'"
check "the hint comes after five shots, once" test "$(grep -c 'hint shown after 5 shots' "$work/hint.log")" -eq 1

# Settings from the main menu by keys: Down, Down (settings), Enter; music volume Left three
# times, sound volume Left once; Escape back; then close.
cat > "$work/volume.txt" <<'SCRIPT'
5 key 40
6 key 40
7 key 13
12 key 40
13 key 37
14 key 37
15 key 37
16 key 40
17 key 37
20 key 27
30 close
SCRIPT
run volume "$work/volume.txt"
check "the settings run ends cleanly" test $? -eq 0
"$dat" decode "$work/volume/brakkon.dat" > "$work/volume.xml"
check "the music volume is saved" grep -q 'musicVolume="70"' "$work/volume.xml"
check "the sound volume is saved" grep -q 'soundVolume="90"' "$work/volume.xml"
# The next start reads them back and writes them unchanged.
(cd "$work/volume" && "$game" --headless --frames 80 > /dev/null 2>&1)
"$dat" decode "$work/volume/brakkon.dat" > "$work/volume2.xml"
check "the volumes last to the next start" grep -q 'musicVolume="70" soundVolume="90"' "$work/volume2.xml"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
