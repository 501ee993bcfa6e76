#!/usr/bin/env bash
# Builds the value-text fuzzer with clang in build-fuzz and runs it for the given number of
# seconds (default 60), starting from the committed seed corpus. New inputs it finds go to
# build-fuzz/corpus; a failing input is written to build-fuzz/ and ends the run with an error.
#   bash tools/fuzz.sh 3600
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/tools/packages.sh"
install_packages
seconds=${1:-60}
build="$top/build-fuzz"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMENSURIO_FUZZ=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build"
mkdir -p "$build/corpus"
cd "$build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ./fuzz/fuzz_valuetext -max_total_time="$seconds" -print_final_stats=1 \
  -dict="$top/fuzz/valuetext.dict" -artifact_prefix="$build/" corpus "$top/fuzz/corpus"
