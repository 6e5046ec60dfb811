#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1). KESTREL_WERROR=ON
# in the environment makes every warning an error (CI).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
werror=()
[ -n "${KESTREL_WERROR:-}" ] && werror=(-DKESTREL_WERROR="$KESTREL_WERROR")
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${werror[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
