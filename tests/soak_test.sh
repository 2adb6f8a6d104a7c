#!/usr/bin/env bash
# Five minutes of play (18 000 frames, the length of five minutes at 60 frames per second; a
# headless run has no pacing) by the random-input player on the game as built: a clean exit, and
# the heap and resident memory between levels flat after warm-up. The 100 000-frame runs, one
# under AddressSanitizer and UndefinedBehaviorSanitizer, are `make soak`. Usage: soak_test.sh
# BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
exec bash "$here/../scripts/soak-run.sh" "$1/brakkon" "${SOAK_TEST_FRAMES:-18000}" 5
