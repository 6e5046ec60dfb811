#!/usr/bin/env bash
# Installs what is missing, builds and runs every test without a display,
# then again built with AddressSanitizer and UndefinedBehaviorSanitizer
# (SANITIZE=0 skips that).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
./scripts/package-check.sh
if [ "${SANITIZE:-1}" != 0 ]; then
  ./scripts/sanitize.sh build-asan
fi
