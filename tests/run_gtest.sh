#!/usr/bin/env bash
# Runs one GoogleTest program whole, its tests in a shuffled order, in a temporary folder of its
# own (TMPDIR, removed afterwards), so no test relies on the order of the file or on names that
# another run uses. The order changes with every run; BRAKKON_TEST_SEED=N repeats the order of a
# run that failed (GoogleTest prints its seed). Usage: run_gtest.sh PROGRAM [ARGUMENTS...]
set -u
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2> /dev/null; rm -rf "$work"' EXIT
export TMPDIR="$work"
"$@" --gtest_shuffle --gtest_random_seed="${BRAKKON_TEST_SEED:-0}"
