#!/usr/bin/env bash
# Builds the Debian package from build/, installs it and checks that the
# installed program runs.
set -euo pipefail
cd "$(dirname "$0")/../build"
rm -f kestrel-setup_*.deb
cpack -G DEB >/dev/null
deb=$(ls kestrel-setup_*.deb)
sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo dpkg -i "$deb" >/dev/null
version=$(/usr/bin/kestrel-setup --version)
echo "installed $deb: $version"
dpkg -L kestrel-setup | grep -q "man1/kestrel-setup.1"
