#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a warnings-as-errors
# build, and an AddressSanitizer + UndefinedBehaviorSanitizer build. Between the two it
# builds the Debian package and checks it with lintian.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/tools/packages.sh"
install_packages # all of them

jobs=$(nproc)
run_suite() {
  local build=$1
  shift
  cmake -S "$top" -B "$build" -G Ninja "$@" >/dev/null
  cmake --build "$build" -j "$jobs"
  ctest --test-dir "$build" --output-on-failure -j "$jobs" | tee "$build/ctest.log"
  passed=$((passed + $(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\)$/\1/p' "$build/ctest.log")))
  bash "$top/tools/skipped-rows.sh" "$build/Testing/Temporary/LastTest.log"
  passed=$((passed + 1))
}
passed=0

echo "== Source format (clang-format) =="
(cd "$top" && git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror)
passed=$((passed + 1))

echo "== Build with warnings as errors =="
run_suite "$top/build-test" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_COMPILE_WARNING_AS_ERROR=ON

echo "== Debian package, checked by lintian =="
bash "$top/tools/package.sh"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$top/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DMENSURIO_SANITIZE=ON

echo "== Value-text fuzzer (libFuzzer, one minute) =="
bash "$top/tools/fuzz.sh" 60
passed=$((passed + 2)) # the package check and the fuzzer run; the format check counted above

# Every stage stops the run on a failure, so reaching this line means none failed.
echo "tests: $passed passed, 0 failed"
