#!/bin/sh
# Sets up everything (packages from Debian), builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the whole test suite, then fuzzes the dBase reader briefly.
set -eu
cd "$(dirname "$0")/.."

./scripts/setup.sh

JOBS=${JOBS:-2}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRADAZIZ_SANITIZE=ON -DRADAZIZ_BENCH=OFF
cmake --build build-test -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-test && ctest --output-on-failure -j "$JOBS")

# The reader's fuzzer, built with clang, seeded with the sample drive's tables.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DRADAZIZ_FUZZ=ON -DRADAZIZ_TESTS=OFF -DRADAZIZ_BENCH=OFF
cmake --build build-fuzz -j "$JOBS" --target fuzz_dbf
corpus=build-fuzz/corpus
rm -rf "$corpus" build-fuzz/seed-drive
mkdir -p "$corpus"
build-test/sample/radaziz-sample-drive build-fuzz/seed-drive >/dev/null
find build-fuzz/seed-drive -iname '*.dbf' -exec cp {} "$corpus" \;
build-fuzz/fuzz/fuzz_dbf -max_total_time="$FUZZ_SECONDS" -max_len=65536 -print_final_stats=1 \
    "$corpus" 2>&1 | tail -n 12
echo "All tests passed; the reader survived ${FUZZ_SECONDS}s of fuzzing."
