#!/usr/bin/env bash
# The Debian package of the already-built game: built with CPack into a folder of the test's own,
# its contents and control data checked, extracted into a staging folder, and the staged game
# started from "/" headless. The desktop entry, the metainfo, the manual page and the package go
# through their validators where those are installed (scripts/install-deps installs them).
# Usage: package_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
skip() { echo "$1: skipped ($2)"; }
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

for tool in cpack dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" > /dev/null; then
    skip "the package test" "$tool is not installed; scripts/install-deps installs it"
    finish
  fi
done

version=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$build/brakkon" --version | sed -n 's/^Brakkon //p')
arch=$(dpkg --print-architecture)
check "the game reports a version" test -n "$version"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.txt" 2>&1)
check "cpack builds the package" test $? -eq 0
deb="$work/out/brakkon_${version}_${arch}.deb"
check "the package is named brakkon_<version>_<arch>.deb" test -f "$deb"
if [ ! -f "$deb" ]; then
  cat "$work/cpack.txt"
  finish
fi

# Control data: the version of the game, libraries found by dpkg-shlibdeps, no maintainer
# scripts (so that installing and removing touch nothing but the package's own files).
check "the package's version is the game's" test "$(dpkg-deb -f "$deb" Version)" = "$version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libbox2d2; do
  check "Depends names $lib (from dpkg-shlibdeps)" grep -q "\b$lib (>= " <<< "$depends"
done
mkdir "$work/control"
dpkg-deb -e "$deb" "$work/control"
check "no maintainer scripts" test "$(ls "$work/control" | sort | tr '\n' ' ')" = "control md5sums "

# Contents.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' > "$work/list.txt"
expected=(
  /usr/games/brakkon /usr/bin/brakkon /usr/share/brakkon/Skin/Fonts/font.ttf
  /usr/share/applications/brakkon.desktop /usr/share/man/man6/brakkon.6.gz
  /usr/share/doc/brakkon/copyright /usr/share/doc/brakkon/changelog.gz
  /usr/share/icons/hicolor/scalable/apps/brakkon.svg
)
for size in 48 64 128 256 512; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/brakkon.png")
done
for path in "${expected[@]}"; do
  check "the package holds $path" grep -qx "$path" "$work/list.txt"
done
metainfo_count=$(grep -c '^/usr/share/metainfo/.*\.metainfo\.xml$' "$work/list.txt")
check "exactly one metainfo file" test "$metainfo_count" -eq 1
check "nothing outside /usr" bash -c "! grep -v -e '^/usr' -e '^\.\?$' '$work/list.txt'"
check "no progress file in the package" bash -c "! grep -q 'brakkon\.dat' '$work/list.txt'"

# Extracted: every file as its checksum says, then the game from "/".
stage="$work/stage"
dpkg-deb -x "$deb" "$stage"
check "every file matches md5sums" bash -c "cd '$stage' && md5sum --quiet -c '$work/control/md5sums'"
check "/usr/bin/brakkon points to /usr/games/brakkon" \
  test "$(readlink "$stage/usr/bin/brakkon")" = "../games/brakkon"
check "the icons are PNGs of their sizes" python3 -c "
import struct, sys
for size in (48, 64, 128, 256, 512):
    d = open(f'{sys.argv[1]}/{size}x{size}/apps/brakkon.png', 'rb').read(24)
    if d[:8] != b'\x89PNG\r\n\x1a\n' or struct.unpack('>II', d[16:24]) != (size, size):
        sys.exit(f'{size}: not a {size}x{size} PNG')" "$stage/usr/share/icons/hicolor"
check "the scalable icon is an SVG" grep -q '<svg ' "$stage/usr/share/icons/hicolor/scalable/apps/brakkon.svg"

(cd / && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$stage/usr/bin/brakkon" --headless --frames 60 \
  --data-dir "$work/data" --screenshot "$work/shot.png" > /dev/null 2> "$work/run.err")
check "staged game from /: exit 0" test $? -eq 0
check "staged game from /: the Skin is found (nothing on standard error)" test ! -s "$work/run.err"
check "staged game from /: a frame is drawn" test -s "$work/shot.png"
check "staged game from /: progress saved in its data folder" test -s "$work/data/brakkon.dat"
staged_version=$("$stage/usr/bin/brakkon" --version)
check "staged game: --version is the package's" test "$staged_version" = "Brakkon $version"

# One version everywhere: the metainfo's release, the manual page and the changelog.
metainfo=$(ls "$stage"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
check "the metainfo releases this version" grep -q "<release version=\"$version\"" "$metainfo"
zcat "$stage/usr/share/man/man6/brakkon.6.gz" | sed 's/\\-/-/g' > "$work/man.txt"
check "the manual page is of this version" grep -q "^\.TH BRAKKON 6 .*\"Brakkon $version\"" "$work/man.txt"
check "the changelog starts at this version" \
  bash -c "zcat '$stage/usr/share/doc/brakkon/changelog.gz' | head -n 1 | grep -q '^brakkon ($version) '"

# The manual page documents every flag of the game's help.
flags=$("$build/brakkon" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
check "the help lists flags" test -n "$flags"
for flag in $flags; do
  check "the manual page documents $flag" grep -q -- "$flag\b" "$work/man.txt"
done

# The bundled font's licence, as its Debian package states it, is in the copyright file, and the
# metainfo names it.
font_licence=$(sed -n 's/^License: //p' "$stage/usr/share/brakkon/Skin/Fonts/font-licence.txt" | head -n 1)
copyright="$stage/usr/share/doc/brakkon/copyright"
check "the font has a licence name" test -n "$font_licence"
check "the copyright file gives the font's licence ($font_licence) in full" python3 -c "
import sys
text = open(sys.argv[1]).read()
name = sys.argv[2]
body = text.split('\n\nLicense: ' + name + '\n', 1)
sys.exit(0 if len(body) == 2 and len(body[1].split('\n\n')[0].splitlines()) > 10 else 1)" \
  "$copyright" "$font_licence"
for file in usr/share/brakkon/Skin/Fonts/font.ttf usr/games/brakkon; do
  check "the copyright file has a paragraph for $file, which is in the package" \
    bash -c "grep -qx 'Files: $file' '$copyright' && grep -qx '/$file' '$work/list.txt'"
done
case "$font_licence" in
  OFL-1.1) spdx=OFL-1.1 ;;
  bitstream-vera) spdx=Bitstream-Vera ;;
  *) spdx="unknown licence $font_licence" ;;
esac
check "the metainfo's licence names the font's ($spdx)" grep -q "<project_license>.*\b$spdx\b" "$metainfo"

# The icons are drawn again with identical bytes.
"$build/make_icon" "$build/assets" "$work/icons" > /dev/null
check "the icons are drawn with identical bytes every run" \
  diff -r -x '.*' "$work/icons/hicolor" "$build/icons/hicolor"

# Validators, each where it is installed.
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$stage/usr/share/applications/brakkon.desktop" > "$work/desktop.txt" 2>&1
  status=$?
  check "desktop-file-validate: no complaint" test "$status" -eq 0 -a ! -s "$work/desktop.txt"
  cat "$work/desktop.txt"
else
  skip "desktop-file-validate" "desktop-file-utils is not installed"
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$metainfo" > "$work/appstream.txt" 2>&1
  check "appstreamcli validate: successful" test $? -eq 0
  cat "$work/appstream.txt"
else
  skip "appstreamcli validate" "appstream is not installed"
fi
if command -v man > /dev/null; then
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$stage/usr/share/man/man6/brakkon.6.gz" \
    2> "$work/man-warnings.txt" > /dev/null
  check "the manual page formats without warnings" test ! -s "$work/man-warnings.txt"
  cat "$work/man-warnings.txt"
else
  skip "manual page formatting" "man-db is not installed"
fi
if command -v lintian > /dev/null; then
  lintian --pedantic "$deb" 2>&1 | grep -v '^running with root privileges' > "$work/lintian.txt"
  check "lintian: no error" bash -c "! grep -q '^E:' '$work/lintian.txt'"
  cat "$work/lintian.txt"
else
  skip "lintian" "lintian is not installed"
fi

finish
