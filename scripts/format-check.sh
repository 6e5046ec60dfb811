#!/usr/bin/env bash
# Fails when a source file of src, tests, bench or fuzz is off .clang-format;
# names the files. FIX=1 formats them instead. Files named in
# scripts/format-pending.txt predate the check and are passed over until they
# are formatted (then take them off the list).
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
mapfile -t files < <(git ls-files -- src tests bench fuzz | grep -E '\.(h|cpp)$' |
  grep -vxF -f <(grep -v '^#' scripts/format-pending.txt))
if [ "${FIX:-0}" = 1 ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
off=()
for f in "${files[@]}"; do
  "$format" --dry-run --Werror "$f" >/dev/null 2>&1 || off+=("$f")
done
if [ ${#off[@]} -gt 0 ]; then
  printf 'off .clang-format (FIX=1 %s formats them):\n' "$0" >&2
  printf '  %s\n' "${off[@]}" >&2
  exit 1
fi
