#!/usr/bin/env bash
# Opens the editor under Xvfb on the example workstation and saves a picture of
# every tab into docs/, then one picture per detector page: each on a copy of
# the example workstation set to that detector (examples/ stays untouched).
# pngquant, when installed, makes the pictures about three times smaller.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/kestrel-setup ] || ./scripts/build.sh build
export QT_QPA_PLATFORM=xcb

# A message box would wait for a user that never comes.
shoot() { # FOLDER OUT
  timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" \
    ./build/kestrel-setup --dir "$1" --screenshots "$2"
}

# Sets [SECTION] KEY=VALUE in an INI file, adding the key or the section when
# missing; keeps the file's CR LF line ends.
set_key() { # FILE SECTION KEY VALUE
  # Through the environment: awk -v would take backslashes as escapes.
  head="[$2]" key=$3 value=$4 awk '
    BEGIN { head = ENVIRON["head"]; key = ENVIRON["key"]; value = ENVIRON["value"] }
    function add() { if (inside && !done) { print key "=" value eol; done = 1 } }
    { line = $0; eol = sub(/\r$/, "", line) ? "\r" : "" }
    line == head { inside = 1; print; next }
    line ~ /^\[/ { add(); inside = 0 }
    inside && index(line, key "=") == 1 { if (!done) print key "=" value eol; done = 1; next }
    { print }
    END { add(); if (!done) { print head eol; print key "=" value eol } }' "$1" >"$1.new"
  mv "$1.new" "$1"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shoot examples/workstation docs

# Saves the picture of tab TAB as docs/detector-NAME.png, on a copy of the
# example workstation with the given keys set.
detector() { # NAME TAB [SECTION KEY VALUE]...
  local name=$1 tab=$2
  shift 2
  rm -rf "$work/ws" "$work/out"
  cp -r examples/workstation "$work/ws"
  # Every detector page shows both detectors' columns.
  set_key "$work/ws/Kestrel.ini" SYSTEM "Modality Mode" 2
  while [ $# -ge 3 ]; do
    set_key "$work/ws/Kestrel.ini" "$1" "$2" "$3"
    shift 3
  done
  shoot "$work/ws" "$work/out" >/dev/null
  cp "$work/out/$tab" "docs/detector-$name.png"
}

# The review and restore dialogs on a copy that holds a backup from before a
# few keys were changed by hand, and that OK would bring back in line.
rm -rf "$work/ws" "$work/out"
cp -r examples/workstation "$work/ws"
mkdir -p "$work/ws/backup"
cp "$work/ws/Kestrel.ini" "$work/ws/backup/Kestrel.ini.20260105-141500.000Z"
set_key "$work/ws/Kestrel.ini" Cor Width 2800
set_key "$work/ws/Kestrel.ini" Cor Gain ' GainA '
set_key "$work/ws/Kestrel.ini" SYSTEM IsViewSub 7
shoot "$work/ws" "$work/out" >/dev/null
cp "$work/out"/dialog-*.png docs/

first=tab-0-detector.png
detector trixell $first CONTROLPANNEL Device 1
detector drtech-usb $first CONTROLPANNEL Device 3
detector vadav $first CONTROLPANNEL Device 8
detector drtech $first CONTROLPANNEL Device 11
detector varian $first CONTROLPANNEL Device 12
detector drtech-lan $first CONTROLPANNEL Device 13
detector tetd $first CONTROLPANNEL Device 15
detector tetd-fpd $first CONTROLPANNEL Device 18
detector atal $first CONTROLPANNEL Device 20
detector perkin $first CONTROLPANNEL Device 21
detector konica $first CONTROLPANNEL Device 22
detector careray $first CONTROLPANNEL Device 23 \
  CARERAYCRAPI_A WORK_DIR 'C:\Kestrel\Careray' CARERAYCRAPI_B WORK_DIR 'C:\Kestrel\Careray'
detector iray $first CONTROLPANNEL Device 24
detector varian-vsp $first CONTROLPANNEL Device 25
# The mobile DRTECH page only ever is the second of two detectors.
detector drtech-mobile tab-1-detector2.png CONTROLPANNEL Device 13 Cor UseMultiCor 1 \
  Cor1 Device 11 Cor2 Device 13 DetDrtech DetType 4 DetDrtech SMM1 2

if command -v pngquant >/dev/null; then
  pngquant --force --skip-if-larger --speed 1 --quality 70-100 --ext .png docs/*.png || true
fi
ls -1 docs/*.png
