#!/usr/bin/env bash
# Opens the editor under Xvfb on the example workstation and saves a picture of
# every tab into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/kestrel-setup ] || ./scripts/build.sh build
export QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ./build/kestrel-setup --dir examples/workstation --screenshots docs
ls -1 docs/*.png
