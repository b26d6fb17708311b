#!/usr/bin/env bash
# Runs one test program under Wine for ctest. Now and then Wine itself ends at once, with an
# error status and without a word, before the program has started (seen once in a whole run,
# after about 25 test programs had run well): the program is then run once more. A program
# that started, which GoogleTest shows by the banner it prints first, is never run again, so
# a test that fails, crashes or hangs is reported as it happened.
set -uo pipefail

output=$(mktemp)
trap 'rm -f "$output"' EXIT
for attempt in 1 2; do
    wine "$@" 2>&1 | tee "$output"
    status=${PIPESTATUS[0]}
    if [ "$status" -eq 0 ] || grep -q '^\[==========\]' "$output"; then
        exit "$status"
    fi
    echo "Wine ended with status $status before $(basename "$1") started (attempt $attempt)."
done
exit "$status"
