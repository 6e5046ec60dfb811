#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $1) and runs the whole test suite there. Left out: the crash
# test, which only kills processes (nothing a sanitizer watches) and would take
# long under them.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-asan}
./scripts/build.sh "$dir" -DKESTREL_SANITIZE=ON -DKESTREL_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" -E '^CrashTest\.'
