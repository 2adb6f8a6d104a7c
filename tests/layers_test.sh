#!/usr/bin/env bash
# The layer order of the code folders holds in the source tree, and the check catches an include
# against it: a copy of two folders with one upward include and one stray SDL include must fail.
# Usage: layers_test.sh BUILD_DIR (unused: the check reads the sources)
set -u
source_dir=$(cd "$(dirname "$0")/.." && pwd)
check="$source_dir/scripts/check-layers"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

if ! "$check" "$source_dir"; then
  echo "FAILED: the source tree has includes against the layer order"
  failed=1
fi

mkdir -p "$work/game" "$work/xml"
printf '#include "app/app.h"\n' > "$work/game/bad.cpp"
printf '#include <SDL.h>\n#include "media/media.h"\n' > "$work/xml/bad.h"
if "$check" "$work" > "$work/out.txt" 2>&1; then
  echo "FAILED: the check passed a tree with includes against the layer order"
  failed=1
fi
for expected in "game/bad.cpp:1: game/ may not include app/" "xml/bad.h:1: only media/ includes SDL"; do
  if ! grep -qF "$expected" "$work/out.txt"; then
    echo "FAILED: the check did not name '$expected'"
    cat "$work/out.txt"
    failed=1
  fi
done
exit $failed
