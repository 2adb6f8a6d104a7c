#!/usr/bin/env bash
# Levels of one's own through the real programs: a level file written by hand outside the
# repository is checked (brakkon --check), its plan wins it from the command line
# (brakkon FILE.xml) and in brakkon-levels verify; files that are no level are refused with a
# reason, before any window opens. Usage: editor_flow_test.sh BUILD_DIR
set -u
build="$(cd "$1" && pwd)"
game="$build/brakkon"
tool="$build/brakkon-levels"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

mkdir -p "$work/levels"
cat > "$work/levels/level901.xml" <<'LEVEL'
<?xml version="1.0"?>
<level limitRagdoll="5" fon="fon3.jpg" shotsX="67" shotsY="55" nextX="400" nextY="300">
  <bodies>
    <body Name="borderPlankGorizontal1Big.png" x="400" y="595" typ="s" shape="r" />
    <body Name="staticPlankBig.png" x="500" y="470" typ="s" shape="r" />
    <body Name="target.png" x="620" y="575" typ="s" shape="r" target="true" />
  </bodies>
</level>
LEVEL
level="$work/levels/level901.xml"
plan="$work/levels/level901.txt"

"$game" --check "$level" --plan "$plan" > "$work/check.txt" 2> /dev/null
check "the check finds the level winnable" test $? -eq 0
check "the check reports one shot" grep -q "^result winnable shots 1 " "$work/check.txt"
check "the check saves the plan" grep -q "^shot 60 " "$plan"

"$tool" --levels "$work/levels" --solutions "$work/levels" verify 901 > "$work/verify.txt" 2> /dev/null
check "brakkon-levels verify wins it with the saved plan" grep -q "^1 passed, 0 failed" "$work/verify.txt"
# Saved under a name of its own, as the editor saves it (NAME.xml, its plan NAME.txt beside it).
mkdir -p "$work/own"
cp "$level" "$work/own/my tower.xml"
cp "$plan" "$work/own/my tower.txt"
"$tool" --levels "$work/own" verify "my tower" > "$work/verify-own.txt" 2> /dev/null
check "brakkon-levels verify finds a named level and its plan beside it" \
  grep -q "^1 passed, 0 failed" "$work/verify-own.txt"
"$tool" --levels "$work/own" -v verify > "$work/verify-all.txt" 2> /dev/null
check "a verify of everything names it" grep -q "^level my tower: won with 1 shots" "$work/verify-all.txt"

awk '$1 == "shot" { print $2, "move", $3, $4; print $2 + 1, "click", 1 }' "$plan" > "$work/input.txt"
(cd "$work" && "$game" --headless --frames 700 --data-dir "$work/data" --input "$work/input.txt" \
  "$level" > "$work/play.txt" 2>&1)
check "the file plays from the command line" test $? -eq 0
check "and its plan wins it" grep -q '^Level ".*level901.xml" won with 1 shots' "$work/play.txt"

printf 'not a level' > "$work/words.xml"
printf '<level><bodies></bodies></level>' > "$work/empty.xml"
for bad in words.xml empty.xml absent.xml; do
  "$game" --headless --frames 5 --data-dir "$work/data" "$work/$bad" > "$work/bad.txt" 2>&1
  check "$bad is refused" test $? -eq 2
  check "$bad is refused with a reason" grep -q "^brakkon: cannot play .*$bad: " "$work/bad.txt"
  check "$bad is refused before a window opens" bash -c "! grep -q '^Renderer' '$work/bad.txt'"
done

echo "$passed passed, $failed failed"
test "$failed" -eq 0
