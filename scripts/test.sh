#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the sanitizer build
# (address + undefined behaviour), the thread sanitizer build of the parts
# that run threads, and a short run of each fuzz target.
# Installs what is missing first. Set VANTOR_QUICK=1 to run the normal build only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

jobs=$(nproc)
fuzz_seconds=${VANTOR_FUZZ_SECONDS:-15}

echo "== layers: no folder includes from one above it =="
bash scripts/include_layers.sh | tail -n 1

echo "== normal build =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TESTS=ON -DVANTOR_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600 | tee build/ctest.out

[ "${VANTOR_QUICK:-0}" = 1 ] && exit 0

echo "== sanitizer build (address, undefined) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOR_SANITIZE=ON -DVANTOR_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
# The programs that end-to-end tests start write to no terminal, so every
# sanitizer report goes to a file, and a failed run shows them.
reports=$PWD/build-asan/sanitizer-reports
rm -rf "$reports" && mkdir -p "$reports"
if ! ASAN_OPTIONS="detect_leaks=1:log_path=$reports/report" \
  UBSAN_OPTIONS="print_stacktrace=1:log_path=$reports/report" \
  LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 900 -LE no-sanitizer |
  tee build-asan/ctest.out; then
  for r in "$reports"/report.*; do [ -e "$r" ] && { echo "-- $r"; head -n 60 "$r"; }; done
  exit 1
fi

echo "== thread sanitizer build (display control, music, MPEG library) =="
# Every test program of the folders whose parts run threads of their own,
# and only what they need: a few minutes on two cores. A report fails its
# test (exit 66).
tsan_folders="display music mpegplay mpegdll"
tsan_targets=$(for f in $tsan_folders; do printf 'tests/%s/all ' "$f"; done)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TSAN=ON \
  -DVANTOR_BENCH=OFF -DVANTOR_ONLY="src/.*|mpegdll|tests/(${tsan_folders// /|})" >/dev/null
# shellcheck disable=SC2086
cmake --build build-tsan -j "$jobs" --target $tsan_targets
TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp:second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" --timeout 900 -LE no-sanitizer |
  tee build-tsan/ctest.out

echo "== fuzz targets, ${fuzz_seconds}s each =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTOR_FUZZ=ON -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzzers
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  [ -x "build-fuzz/bin/$name" ] || continue
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  echo "-- $name"
  LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
    "build-fuzz/bin/$name" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=0 "$work" 2>&1 | tail -n 2
  rm -rf "$work"
done
echo "fuzzing: no crash"

# Every step above stops the script on a failure, so reaching here means all
# of it passed, but for tests that skipped themselves (those that need root).
count() { ctest --test-dir "$1" -N ${2:-} | sed -n 's/^Total Tests: //p'; }
skipped() { grep -c '\*\*\*Skipped' "$1/ctest.out" || true; }
normal=$(count build)
sanitized=$(count build-asan "-LE no-sanitizer")
threaded=$(count build-tsan "-LE no-sanitizer")
fuzzed=$(find fuzz/corpus -mindepth 1 -maxdepth 1 -type d | wc -l)
skips=$(($(skipped build) + $(skipped build-asan) + $(skipped build-tsan)))
echo "all: $((normal + sanitized + threaded + fuzzed - skips)) passed, $skips skipped, 0 failed"
