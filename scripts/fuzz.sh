#!/usr/bin/env bash
# Builds the fuzz targets with clang in a build of their own and runs one of
# them for a given time:
#
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options ...]
#
# TARGET names fuzz/TARGET.cpp (scripts/fuzz.sh list shows them). The corpus
# grows in build-fuzz/corpus/TARGET, started from fuzz/seeds/TARGET and
# fuzz/regressions/TARGET; an input that fails is saved in
# build-fuzz/artifacts/TARGET/. Once fixed, copy it into fuzz/regressions/TARGET/:
# the tests replay every input there.
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options ...] | scripts/fuzz.sh list"
target=${1:?$usage}
if [ "$target" = list ]; then
  for f in fuzz/*.cpp; do basename "$f" .cpp; done
  exit 0
fi
seconds=${2:?$usage}
shift 2
[ -f "fuzz/$target.cpp" ] || { echo "scripts/fuzz.sh: no fuzz/$target.cpp" >&2; exit 2; }

dir=${KESTREL_FUZZ_BUILD:-build-fuzz}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTREL_FUZZ=ON \
  -DBUILD_TESTING=OFF -DKESTREL_BENCH=OFF >/dev/null
cmake --build "$dir" --target "fuzz-$target" -j"${JOBS:-2}"

corpus=$dir/corpus/$target
artifacts=$dir/artifacts/$target/
mkdir -p "$corpus" "$artifacts"
inputs=("$corpus")
for d in "fuzz/seeds/$target" "fuzz/regressions/$target"; do
  [ -d "$d" ] && inputs+=("$d")
done
export QT_QPA_PLATFORM=offscreen
exec "$dir/fuzz/fuzz-$target" -max_total_time="$seconds" -artifact_prefix="$artifacts" \
  -print_final_stats=1 "$@" "${inputs[@]}"
