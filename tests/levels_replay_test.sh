#!/usr/bin/env bash
# The level tools play the game's own simulation: every stored solution, fed to the game itself
# as an input script, wins in the frame and with the shots brakkon-levels verify reports; and the
# tool's worker processes (which skip drawn-only pictures) agree with a play in one process that
# loads everything. Usage: levels_replay_test.sh BUILD_DIR
set -u
build="$(cd "$1" && pwd)"
game="$build/brakkon"
tool="$build/brakkon-levels"
solutions="$(cd "$(dirname "$0")/../assets/solutions" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

"$tool" verify -v > "$work/workers.txt" 2> /dev/null
check "verify passes" test $? -eq 0
"$tool" --jobs 0 verify -v > "$work/single.txt" 2> /dev/null
check "verify in one process with every picture reports the same" cmp -s "$work/workers.txt" "$work/single.txt"

levels=0
for file in "$solutions"/level*.txt; do
  level=$(basename "$file" .txt)
  level=${level#level}
  line=$(grep "^level $level: won with " "$work/workers.txt")
  check "level $level: verify reports a win" test -n "$line"
  [ -n "$line" ] || continue
  shots=$(echo "$line" | sed -E 's/.* won with ([0-9]+) shots in frame ([0-9]+)$/\1/')
  frame=$(echo "$line" | sed -E 's/.* won with ([0-9]+) shots in frame ([0-9]+)$/\2/')

  # The solution as the game's input script, written here and not by the tool. Script frame F
  # lands with the F-th Flip, which the game makes inside the pass before it reads the click: so
  # the mouse moves to (X, Y) at F and the click goes in at F + 1, to be read in the same pass.
  awk '$1 == "shot" { print $2, "move", $3, $4; print $2 + 1, "click", 1 }' "$file" > "$work/input$level.txt"
  # --frames counts the Loading frames too; the game must stay open well past the win.
  (cd "$work" && "$game" --headless --level "$level" --input "$work/input$level.txt" \
     --frames $((frame + 400)) --data-dir "$work" > "$work/game$level.txt" 2> /dev/null)
  check "level $level: the game wins in frame $frame with $shots shots as verify says" \
    grep -qx "Level $level won with $shots shots in frame $frame" "$work/game$level.txt"
  levels=$((levels + 1))
done
check "there are stored solutions to replay" test "$levels" -gt 0

# A solution that misses is reported, and verify fails.
mkdir -p "$work/bad"
printf 'shot 0 30 20\nwait 120\n' > "$work/bad/level1.txt"
"$tool" --solutions "$work/bad" verify 1 > "$work/bad.txt" 2> /dev/null
check "a missing solution fails verify" test $? -eq 1
check "the failure names the level" grep -q "^level 1: not won in 121 frames (1 shots fired)$" "$work/bad.txt"
check "the closing line counts it" grep -qx "0 passed, 1 failed" "$work/bad.txt"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
