#!/usr/bin/env bash
# `make install` into a staging folder (DESTDIR) with a prefix of its own, then the staged game
# started from "/" with nothing of the build around: headless, and with a window under Xvfb when
# xvfb-run is there. It must find its Skin in PREFIX/share/brakkon. Usage: install_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/stage"
prefix=/opt/brakkon-test
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" > "$work/install.txt" 2>&1
check "install succeeds" test $? -eq 0
root="$stage$prefix"
check "the game is installed and runnable" test -x "$root/bin/brakkon"
check "the Skin folder with its font" test -f "$root/share/brakkon/Skin/Fonts/font.ttf"
check "the desktop entry" grep -q '^Exec=brakkon' "$root/share/applications/brakkon.desktop"
check "the icon is a 128x128 PNG" python3 -c "
import struct, sys
d = open(sys.argv[1], 'rb').read(24)
sys.exit(0 if d[:8] == b'\x89PNG\r\n\x1a\n' and struct.unpack('>II', d[16:24]) == (128, 128) else 1)" \
  "$root/share/icons/hicolor/128x128/apps/brakkon.png"
check "nothing is installed outside the prefix" test "$(ls "$stage")" = "opt"

# From "/", away from the build folder; the progress file goes to a folder of the test's own.
(cd / && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$root/bin/brakkon" --headless --frames 90 \
  --data-dir "$work/data" --screenshot "$work/headless.png" > /dev/null 2> "$work/headless.err")
check "headless from /: exit 0" test $? -eq 0
check "headless from /: the Skin is found (nothing on standard error)" test ! -s "$work/headless.err"
check "headless from /: a frame is drawn" test -s "$work/headless.png"

if command -v xvfb-run > /dev/null; then
  (cd / && SDL_AUDIODRIVER=dummy xvfb-run -a "$root/bin/brakkon" --frames 90 --data-dir "$work/xdata" \
    > /dev/null 2> "$work/xvfb.err")
  check "under Xvfb from /: exit 0" test $? -eq 0
  check "under Xvfb from /: the Skin is found" bash -c "! grep -q -i 'skin' '$work/xvfb.err'"
  check "under Xvfb from /: progress saved" test -s "$work/xdata/brakkon.dat"
else
  echo "Xvfb: skipped (xvfb-run is not installed)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
