#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite: the unit tests
# once more under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# targets briefly, then every test (GL tests on a virtual screen).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/setup.sh"

install_packages "${PACKAGES[@]}" clang libclang-rt-14-dev
build_workbench
prepare_workdir

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$ROOT" -B "$ROOT/build-asan" -DWB_SANITIZE=ON -DWB_BENCH=OFF >/dev/null
# Only the unit test programs (each CTest entry is named after its program).
mapfile -t unit_targets < <(ctest --test-dir "$ROOT/build-asan" -N -L unit |
                            sed -n 's/^ *Test *#[0-9]*: *//p')
cmake --build "$ROOT/build-asan" -j "$JOBS" --target "${unit_targets[@]}"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$ROOT/build-asan" -L unit -j "$JOBS" --output-on-failure

if grep -q "fuzz_" "$ROOT/fuzz/CMakeLists.txt"; then
  echo "== Fuzz targets"
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$ROOT/build-fuzz" -DWB_FUZZ=ON >/dev/null
  cmake --build "$ROOT/build-fuzz" -j "$JOBS"
  "$ROOT/fuzz/run.sh" "$ROOT/build-fuzz" "${FUZZ_RUNS:-20000}"
fi

echo "== All tests"
xvfb-run -a -s "-screen 0 2560x1440x24" ctest --test-dir "$BUILD" -j "$JOBS" --output-on-failure
