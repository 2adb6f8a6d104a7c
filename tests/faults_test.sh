#!/usr/bin/env bash
# The whole game under faults of its surroundings: no audio device, no joystick, no Skin folder,
# no menu font, a working folder it cannot write, and SIGTERM during play. Each time the game
# must start (or end) cleanly with exit status 0, say what is wrong in exactly one line, and
# keep the progress it was given. (Killing the game during saves: faults_test.cpp.)
# Usage: faults_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
game="$build/brakkon"
dat="$build/brakkon-dat"
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2> /dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
lines() { grep -c . "$1"; }

# Progress to keep: level 1 done in 3 shots, level 2 opened, level 2 selected.
{
  echo '<?xml version="1.0"?>'
  echo '<options game="Brakkon" lastLevel="2" music="true" sound="true" win="false" levelOrder="2">'
  echo '  <level num="1" score="3" status="Open" />'
  echo '  <level num="2" score="" status="Open" />'
  for k in $(seq 3 170); do echo "  <level num=\"$k\" score=\"\" status=\"Close\" />"; done
  echo '</options>'
} > "$work/progress.xml"
"$dat" encode "$work/progress.xml" "$work/progress.dat" > /dev/null
progress_kept() {  # the records given above are all still there (level 2 may have been won since)
  local text
  text=$("$dat" decode "$1" 2> /dev/null) || return 1
  grep -q 'num="1" score="3" status="Open"' <<< "$text" &&
    grep -q 'num="2" score="[0-9]*" status="Open"' <<< "$text" &&
    [ "$(grep -c '<level ' <<< "$text")" -eq 170 ]
}
fresh() {  # fresh FOLDER: a working folder holding the progress file
  mkdir -p "$1"
  cp "$work/progress.dat" "$1/brakkon.dat"
}

# [SECTION] No audio device ---------------------------------------------------------------------
fresh "$work/audio"
(cd "$work/audio" && SDL_AUDIODRIVER=no-such-driver "$game" --headless --frames 70 > /dev/null 2> err.txt)
check "no audio: exit 0" test $? -eq 0
check "no audio: one line, naming the audio device" \
  bash -c "[ $(lines "$work/audio/err.txt") -eq 1 ] && grep -q 'no audio device' '$work/audio/err.txt'"
check "no audio: progress kept" progress_kept "$work/audio/brakkon.dat"

# The ALSA driver on a machine without a sound card: the ALSA library has lines of its own to
# print, and the game's line must still be the only one. (Where ALSA finds a card, this says
# nothing.)
fresh "$work/alsa"
(cd "$work/alsa" && SDL_AUDIODRIVER=alsa "$game" --headless --frames 10 > /dev/null 2> err.txt)
check "no sound card: exit 0" test $? -eq 0
if grep -q 'no audio device' "$work/alsa/err.txt"; then
  check "no sound card: one line" test "$(lines "$work/alsa/err.txt")" -eq 1
fi

# [SECTION] No joystick -------------------------------------------------------------------------
# The dummy video driver has no joystick; a player without one fires with the mouse. A missing
# joystick is the usual case, so the game says nothing about it.
fresh "$work/joy"
printf '10 move 500 200\n12 click 1\n60 move 600 150\n62 click 1\n' > "$work/joy/shots.txt"
(cd "$work/joy" && "$game" --headless --level 1 --frames 200 --input shots.txt > /dev/null 2> err.txt)
check "no joystick: exit 0" test $? -eq 0
check "no joystick: nothing to report" test "$(lines "$work/joy/err.txt")" -eq 0
check "no joystick: progress kept" progress_kept "$work/joy/brakkon.dat"

# [SECTION] No Skin folder ----------------------------------------------------------------------
# The program alone in a folder, started from another: no Skin in either place.
mkdir -p "$work/bare"
cp "$game" "$work/bare/brakkon"
fresh "$work/noskin"
# Through the plain menus into a level: PLAY, then start.
printf '10 move 400 262\n12 press 1\n14 release 1\n40 move 729 557\n42 press 1\n44 release 1\n' > "$work/noskin/menus.txt"
(cd "$work/noskin" && "$work/bare/brakkon" --headless --frames 200 --input menus.txt > /dev/null 2> err.txt)
check "no Skin: exit 0" test $? -eq 0
check "no Skin: one line, naming the Skin folder" \
  bash -c "[ $(lines "$work/noskin/err.txt") -eq 1 ] && grep -q 'Skin' '$work/noskin/err.txt'"
check "no Skin: progress kept" progress_kept "$work/noskin/brakkon.dat"

# [SECTION] No menu font ------------------------------------------------------------------------
mkdir -p "$work/nofont"
cp "$game" "$work/nofont/brakkon"
cp -r "$build/Skin" "$work/nofont/Skin"
rm -f "$work/nofont/Skin/Fonts/font.ttf"
fresh "$work/nofont-run"
(cd "$work/nofont-run" && "$work/nofont/brakkon" --headless --frames 100 > /dev/null 2> err.txt)
check "no font: exit 0" test $? -eq 0
check "no font: one line, naming the font" \
  bash -c "[ $(lines "$work/nofont-run/err.txt") -eq 1 ] && grep -q 'font.ttf' '$work/nofont-run/err.txt'"
check "no font: progress kept" progress_kept "$work/nofont-run/brakkon.dat"

# [SECTION] Read-only working folder ------------------------------------------------------------
# The tests run as root, who may write anywhere; the game runs as the unprivileged user "nobody"
# instead (setpriv), in a folder only root may write, with a home folder of its own.
if command -v setpriv > /dev/null && [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$work/app" "$work/home"
  cp "$game" "$work/app/brakkon"
  cp -r "$build/Skin" "$work/app/Skin"
  chmod -R a+rX "$work/app"
  chown 65534:65534 "$work/home"
  fresh "$work/readonly"
  chmod 555 "$work/readonly"
  chmod 444 "$work/readonly/brakkon.dat"
  (cd "$work/readonly" && setpriv --reuid=65534 --regid=65534 --clear-groups env -u XDG_DATA_HOME HOME="$work/home" \
    "$work/app/brakkon" --headless --frames 80 > "$work/ro-out.txt" 2> "$work/ro-err.txt")
  check "read-only folder: exit 0" test $? -eq 0
  check "read-only folder: nothing on standard error" test "$(lines "$work/ro-err.txt")" -eq 0
  check "read-only folder: one line says where progress goes" \
    test "$(grep -c 'working folder is not writable' "$work/ro-out.txt")" -eq 1
  kept=$(find "$work/home" -name brakkon.dat | head -1)
  check "read-only folder: progress carried to the user's folder" progress_kept "${kept:-/nonexistent}"
  check "read-only folder: the old file is untouched" cmp -s "$work/readonly/brakkon.dat" "$work/progress.dat"
else
  echo "read-only folder: skipped (needs root and setpriv to run the game as another user)"
fi

# [SECTION] SIGTERM during play -----------------------------------------------------------------
fresh "$work/term"
printf '20 move 500 200\n22 click 1\n90 move 650 120\n92 click 1\n' > "$work/term/shots.txt"
# Standard output line-buffered, so the lines of the level's loading show while the game runs;
# the signal comes once the level file has been read and the first frames are played.
(cd "$work/term" && exec stdbuf -oL "$game" --headless --level 2 --input shots.txt > out.txt 2> err.txt) &
pid=$!
for _ in $(seq 200); do  # at most 20 s
  grep -A1 'levels/level2.xml' "$work/term/out.txt" 2> /dev/null | grep -q 'Parse completed' && break
  sleep 0.1
done
check "SIGTERM: the level was loaded before the signal" grep -q 'levels/level2.xml' "$work/term/out.txt"
kill -TERM "$pid"
wait "$pid"
check "SIGTERM: exit 0" test $? -eq 0
check "SIGTERM: one line says why the game ends" \
  bash -c "[ $(lines "$work/term/err.txt") -eq 1 ] && grep -q 'signal' '$work/term/err.txt'"
check "SIGTERM: progress kept" progress_kept "$work/term/brakkon.dat"
check "SIGTERM: the level being played is stored" \
  bash -c "'$dat' decode '$work/term/brakkon.dat' | grep -q 'lastLevel=\"2\"'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
