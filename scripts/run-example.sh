#!/usr/bin/env bash
# Installs what is missing, builds and opens the editor on the bundled example workstation.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh build
exec ./build/kestrel-setup --dir examples/workstation "$@"
