#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite: the unit tests
# once more under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# targets briefly (both from one clang build), then every test (GL tests on
# a virtual screen). Prints the time of each phase at the end.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/setup.sh"

PHASES=()
phase_start=$SECONDS
phase_name=""
phase() {
  [ -n "$phase_name" ] && PHASES+=("$(printf '%5d s  %s' $((SECONDS - phase_start)) "$phase_name")")
  phase_name="$1"
  phase_start=$SECONDS
  [ -n "$1" ] && echo "== $1"
  return 0
}
report_phases() {
  local status=$?
  phase ""
  echo "== Time of each phase"
  printf '%s\n' "${PHASES[@]}"
  printf '%5d s  in all\n' "$SECONDS"
  return $status
}
trap report_phases EXIT

phase "Packages"
install_packages "${PACKAGES[@]}" clang libclang-rt-14-dev
phase "Build"
build_workbench
prepare_workdir

# One clang build instruments everything for the sanitizers and the fuzzer,
# so the libraries compile once for both.
phase "Sanitizer and fuzz build"
SAN="$ROOT/build-san"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$SAN" -DWB_FUZZ=ON -DWB_BENCH=OFF >/dev/null
# Only the unit test programs (each CTest entry is named after its program)
# and the fuzz targets.
mapfile -t unit_targets < <(ctest --test-dir "$SAN" -N -L unit | sed -n 's/^ *Test *#[0-9]*: *//p')
mapfile -t fuzz_targets < <(cd "$ROOT/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
cmake --build "$SAN" -j "$JOBS" --target "${unit_targets[@]}" "${fuzz_targets[@]}"

phase "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$SAN" -L unit -j "$JOBS" --output-on-failure

phase "Fuzz targets"
"$ROOT/fuzz/run.sh" "$SAN" "${FUZZ_RUNS:-20000}"

phase "All tests"
xvfb-run -a -s "-screen 0 2560x1440x24" ctest --test-dir "$BUILD" -j "$JOBS" --output-on-failure
