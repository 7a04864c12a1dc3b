#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed number of runs, each
# from its seed corpus (fuzz/corpus/<target>/) in a scratch copy.
# Usage: fuzz/run.sh <fuzz build dir> [runs]
set -euo pipefail
BUILD="${1:?fuzz build directory}"
RUNS="${2:-20000}"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
status=0
for target in "$BUILD"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name="$(basename "$target")"
  work="$(mktemp -d)"
  [ -d "$HERE/corpus/$name" ] && cp -r "$HERE/corpus/$name/." "$work/"
  echo "-- $name ($RUNS runs)"
  # Targets change into a scratch directory themselves when they write files.
  if ! ASAN_OPTIONS=detect_leaks=1 "$target" -runs="$RUNS" -max_len=65536 \
       -print_final_stats=0 "$work" >"$work.log" 2>&1; then
    tail -40 "$work.log"
    echo "FAILED: $name"
    status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
