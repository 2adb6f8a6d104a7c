#!/usr/bin/env bash
# brakkon-levels on small made-up cases: malformed solution files are refused with the line named,
# the level check finds what it promises, a new skeleton passes the check and gets solved, and the
# statistics come out as a table and as CSV, and fairness judges a plan's click times.
# Usage: levels_tool_test.sh BUILD_DIR
set -u
tool="$(cd "$1" && pwd)/brakkon-levels"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

# Malformed solutions: each file, the message verify must print for it.
mkdir -p "$work/bad"
while IFS='|' read -r text message; do
  printf "$text" > "$work/bad/level1.txt"
  "$tool" --solutions "$work/bad" verify 1 > "$work/out.txt" 2> /dev/null
  status=$?
  check "refused ($message)" test $status -eq 1
  check "named ($message)" grep -qF "$message" "$work/out.txt"
done <<'CASES'
shot 0 10 10\n|no wait line
wait 10\n|no shot
shot 5 10 10\nshot 5 20 20\nwait 9\n|line 2: shot frames must ascend
shot 0 10\nwait 9\n|line 1: expected "shot FRAME X Y"
shot 0 10 10 7\nwait 9\n|line 1: expected "shot FRAME X Y"
shot -1 10 10\nwait 9\n|line 1: a shot's frame cannot be negative
shot 0 10 10\nwait 0\n|line 2: wait must be at least 1 frame
shot 0 10 10\nwait 9\nshot 50 1 1\n|line 3: nothing may follow the wait line
fire 0 10 10\nwait 9\n|line 1: unknown word "fire"
CASES
rm -f "$work/bad/level1.txt"
"$tool" --solutions "$work/bad" verify 1 > "$work/out.txt" 2> /dev/null
check "a missing solution file is a failure when the level is named" grep -q "^level 1: no solution file" "$work/out.txt"
printf '# fine\n\nshot 0 737 437\nwait 109\n' > "$work/bad/level999.txt"
"$tool" --solutions "$work/bad" verify > "$work/out.txt" 2> /dev/null
check "a solution without a level file fails" grep -q "^level 999: no level file levels/level999.xml" "$work/out.txt"

# The level check on a level with one fault of each kind.
mkdir -p "$work/levels"
cat > "$work/levels/level901.xml" <<'LEVEL'
<?xml version="1.0" encoding="windows-1251"?>
<level fon="fon1.jpg" levX="65" levY="30" shotsX="67" shotsY="55" nextX="400" nextY="300" limitRagdoll="20" >
  <bodies>
    <body Name="borderPlankGorizontal1Big.png" x="400" y="595" typ="s" shape="r" />
    <body Name="staticBoxMedium.png" x="90" y="500" typ="s" shape="r" />
    <body Name="dynamicBoxMedium.png" x="400" y="400" typ="d" shape="r" />
    <body Name="dynamicBoxSmoll.png" x="420" y="410" typ="d" shape="r" />
    <body Name="staticBoxSmall.png" x="900" y="300" typ="s" shape="r" />
    <body Name="noSuchPicture.png" x="500" y="300" typ="s" shape="r" />
    <body Name="target.png" x="600" y="300" typ="s" shape="x" target="true" />
    <body Name="staticPlankSmallGorizontal.png" x="650" y="60" typ="s" shape="r" />
    <body Name="link.png" x="650" y="66" typ="d" shape="l" countLinks="10" direct="down" lastLink="ballMedium1.png" shapeLast="c" />
    <body Name="dynamicBoxSmoll.png" x="650" y="150" typ="d" shape="r" />
    <body Name="dynamicBoxMedium.png" x="300" y="100" typ="d" shape="r" />
  </bodies>
</level>
LEVEL
"$tool" --levels "$work/levels" check 901 > "$work/check.txt"
check "a faulty level fails the check" test $? -eq 1
for finding in "body 2 (staticBoxMedium.png at 90,500) stands in front of the cannon" \
               "body 3 (dynamicBoxMedium.png at 400,400) and body 4 (dynamicBoxSmoll.png at 420,410) overlap at the start" \
               "body 5 (staticBoxSmall.png at 900,300) lies off the screen" \
               "picture bodies_pic/noSuchPicture.png is not in the asset pack" \
               "shape \"x\" builds nothing" "no target" \
               "body 9 (link.png at 650,66) (its end) and body 10 (dynamicBoxSmoll.png at 650,150) overlap at the start" \
               "error: body 11 (dynamicBoxMedium.png at 300,100) moves"; do
  check "check finds: $finding" grep -qF "$finding" "$work/check.txt"
done
check "the floor itself is not reported" bash -c "! grep -q 'body 1 ' '$work/check.txt'"
check "the plank a chain hangs from is not reported" bash -c "! grep -q 'body 8 ' '$work/check.txt'"

# A new skeleton is a sound, winnable level.
"$tool" --levels "$work/levels" new 902 > /dev/null
check "new writes the skeleton" test -s "$work/levels/level902.xml"
"$tool" --levels "$work/levels" new 902 > /dev/null 2>&1
check "new does not overwrite" test $? -eq 1
"$tool" --levels "$work/levels" check 902 > "$work/check.txt"
check "the skeleton passes the check" test $? -eq 0
mkdir -p "$work/solutions"
"$tool" --levels "$work/levels" --solutions "$work/solutions" solve 902 --write > "$work/solve.txt" 2> "$work/solve-log.txt"
check "solve finds a fair plan of the skeleton" test $? -eq 0
check "the plan fires when a person can" grep -q "^shot 60 " "$work/solve.txt"
check "solve says it is fair" grep -qE "^solve: level 902: .*\| fair$" "$work/solve-log.txt"
check "the stored comment says so" grep -q "(found by brakkon-levels solve, fair)" "$work/solve.txt"
check "solve stores what it prints" cmp -s "$work/solve.txt" "$work/solutions/level902.txt"
"$tool" --levels "$work/levels" --solutions "$work/solutions" verify 902 > "$work/out.txt" 2> /dev/null
check "the stored solution verifies" grep -qx "1 passed, 0 failed" "$work/out.txt"
# solve --near keeps the stored plan's shape: its aim moves by at most 20 px.
cp "$work/solutions/level902.txt" "$work/near-before.txt"
"$tool" --levels "$work/levels" --solutions "$work/solutions" solve 902 --near --write \
  > "$work/near.txt" 2> "$work/near-log.txt"
check "solve --near starts from the stored plan" grep -q "the stored plan nudged: found" "$work/near-log.txt"
read -r _ _ x0 y0 < <(grep '^shot' "$work/near-before.txt")
read -r _ _ x1 y1 < <(grep '^shot' "$work/near.txt")
check "solve --near moves the aim by at most 20 px" \
  test $(( (x1 - x0) * (x1 - x0) <= 400 && (y1 - y0) * (y1 - y0) <= 400 )) -eq 1
"$tool" --levels "$work/levels" --solutions "$work/solutions" verify 902 > "$work/out.txt" 2> /dev/null
check "the nudged solution verifies" grep -qx "1 passed, 0 failed" "$work/out.txt"
"$tool" --solutions "$work/solutions" --levels "$work/levels" script 902 > "$work/script.txt"
shot=$(grep '^shot' "$work/solutions/level902.txt")
set -- $shot
check "script turns a shot into a move and the click one frame later" \
  test "$(cat "$work/script.txt")" = "$(printf '%s move %s %s\n%s click 1' "$2" "$3" "$4" "$(($2 + 1))")"

# Statistics: a table row and a CSV row that agree.
"$tool" --levels "$work/levels" --solutions "$work/solutions" stats 902 --csv "$work/stats.csv" > "$work/stats.txt" 2> /dev/null
check "stats prints a row per level" grep -qE '^ +902 +[0-9]+/768 ' "$work/stats.txt"
wins=$(awk '$1 == 902 { split($2, w, "/"); print w[1] }' "$work/stats.txt")
check "the skeleton wins from part of the grid" test "${wins:-0}" -gt 0
check "the CSV has the same count" grep -q "^902,$wins,768," "$work/stats.csv"
check "the CSV names its columns" grep -q "^level,grid_wins,grid_points,win_share,fewest_shots,bodies," "$work/stats.csv"
check "the CSV ends with the stored plan's fairness" \
  grep -q ",plan_shots,first_shot_frame,aim_near_wins,aim_far_wins,timing_wins,patch_share,settled_wins,narrowest_window,longest_gap,fair,unfair_by$" "$work/stats.csv"
check "the skeleton's plan is fair by every measure" \
  grep -qE "^902,.*,1,60,1[4-6]/16,[4-8]/8,4/4,[01]\.[0-9]+,19/19,,,1,$" "$work/stats.csv"

# Fairness: a plan that fires in frame 0 is unfair by its time whatever its aim; fired at frame
# 60 the same aim is judged by its neighbours, and every measure is on the line.
mkdir -p "$work/fair"
printf 'shot 0 737 437\nwait 400\n' > "$work/fair/level1.txt"
"$tool" --solutions "$work/fair" fairness --quick 1 > "$work/fair.txt" 2> /dev/null
check "fairness fails a frame-0 plan" test $? -eq 1
check "the frame-0 plan is unfair by its time" grep -qE '^level +1: 1 shot +from frame +0 .*UNFAIR times' "$work/fair.txt"
check "aim and timing are counted" grep -qE 'aim +[0-9]+/16 near, [0-9]/8 at 4 px \| timing [0-9]/[0-9]' "$work/fair.txt"
check "a summary closes the report" grep -qE '^summary: 0 fair levels of 1 \| unfair by .*times 1' "$work/fair.txt"
printf 'shot 60 737 437\nwait 400\n' > "$work/fair/level1.txt"
"$tool" --solutions "$work/fair" fairness --quick 1 > "$work/fair.txt" 2> /dev/null
check "a plan from frame 60 passes the time rule" test -z "$(grep -E 'UNFAIR.* times' "$work/fair.txt")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
