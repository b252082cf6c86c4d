#!/bin/sh
# Installs the Debian packages Quendra Tool needs to build, run and test, if any is missing.
set -e
packages="cmake g++ make pkg-config qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  cimg-dev libfftw3-dev libxgboost-dev nlohmann-json3-dev libtorch-dev libopencv-dev libgl-dev libdcmtk-dev qt6-image-formats-plugins qt6-translations-l10n libqt6svg6
  libbenchmark-dev xvfb xauth dcmtk python3-pydicom python3-numpy python3-pil python3-torch snakemake"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
