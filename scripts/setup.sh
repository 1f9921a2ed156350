#!/usr/bin/env bash
# Installs every Debian 12 package Quillon 32 needs to build, run and test.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang-format git
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6multimediawidgets6
  libqt6svg6 qt6-qpa-plugins
  # album engine
  libsqlcipher-dev sqlcipher
  # imaging
  libmagick++-6.q16-dev imagemagick libjpeg62-turbo-dev libjpeg-turbo-progs libtiff-dev
  libpng-dev zlib1g-dev
  graphicsmagick ghostscript
  libheif-dev libwebp-dev libjxl-dev libraw-dev libexif-dev libheif-examples libavif-bin webp libjxl-tools libimage-exiftool-perl dcraw
  # media
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-tools
  fluidr3mono-gm-soundfont
  # scanner
  libsane-dev sane-utils
  # printing, and a CUPS with a PDF printer for its tests
  libcups2-dev cups cups-client printer-driver-cups-pdf poppler-utils tesseract-ocr tesseract-ocr-eng
  # icons and fonts
  adwaita-icon-theme fonts-dejavu-core
  # tests and benchmarks
  xvfb xauth x11-utils xdotool ffmpeg sox libgtest-dev libbenchmark-dev
  time valgrind
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
