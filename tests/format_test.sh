#!/usr/bin/env bash
# Every C++ file of the tree is laid out as .clang-format says (`make format` rewrites them).
# Usage: format_test.sh BUILD_DIR (unused: the check reads the sources)
set -u
source_dir=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v clang-format > /dev/null; then
  echo "format: skipped (clang-format is not installed; scripts/install-deps installs it)"
  exit 0
fi
cd "$source_dir"
mapfile -t files < <(find app screens game effects physics state gui xml media tools tests bench fuzz \
  -name '*.cpp' -o -name '*.h' | sort)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2> "$report"; then
  grep -o '^[^:]*:[0-9]*' "$report" | sort -u | head -20
  echo "FAILED: files not laid out by .clang-format; run make format"
  exit 1
fi
echo "format: ${#files[@]} files laid out by .clang-format"
