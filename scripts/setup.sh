#!/usr/bin/env bash
# Installs every Debian 12 package Quillon 32 needs to build, run and test.
# Idempotent: when everything is present it only checks and returns.
# SQLCipher 4.6 comes from Debian's bookworm-backports (bookworm's own 3.4.1 carries a 2016
# SQLite); everything else from bookworm itself. tests/platform/tst_runtimeparts.cpp checks that
# what the program and the tests load from these packages at run time is there.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang-format
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6multimediawidgets6
  libqt6svg6 qt6-qpa-plugins
  # Qt's WebP, TIFF and TGA readers (animated WebP plays through Qt's movie reader)
  qt6-image-formats-plugins
  # imaging (ImageMagick's extra coders read Windows metafiles)
  libmagick++-6.q16-dev libmagickcore-6.q16-6-extra imagemagick libjpeg62-turbo-dev
  libjpeg-turbo-progs libtiff-dev libpng-dev zlib1g-dev
  # compound files for the FlashPix export
  libgsf-1-dev
  # SHA-256 for the content hashes: the crypto library SQLCipher is built on
  libssl-dev
  graphicsmagick ghostscript
  libheif-dev libwebp-dev libjxl-dev libraw-dev libexif-dev libheif-examples libavif-bin webp libjxl-tools libimage-exiftool-perl dcraw
  # media: clips, MIDI (with its soundfont), CD audio; sound through a sound server or ALSA
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-alsa
  fluidr3mono-gm-soundfont
  # scanner: SANE and its backends (the tests use its `test` backend)
  libsane-dev libsane1
  # printing, and a CUPS with a PDF printer for its tests
  libcups2-dev cups cups-daemon cups-client printer-driver-cups-pdf poppler-utils tesseract-ocr
  tesseract-ocr-eng
  # server albums: PostgreSQL 15 and its client library; tests start a private server
  postgresql-15 postgresql-client-15 libpq-dev
  # icons and fonts
  adwaita-icon-theme fonts-dejavu-core
  # tests and benchmarks
  xvfb xauth xdotool x11-utils openbox ffmpeg sox util-linux-extra
  # the web gallery opened in a real browser, driven through WebDriver
  chromium chromium-driver
  # the Debian package (cpack), its icons and manual pages, and the checks of the unpacked package
  dpkg-dev librsvg2-bin help2man desktop-file-utils appstream shared-mime-info xdg-utils
  libfile-mimeinfo-perl libglib2.0-bin bash-completion man-db
)
# The album engine, from bookworm-backports.
BACKPORTS=(libsqlcipher-dev sqlcipher)
BACKPORTS_VERSION='4.6'
BACKPORTS_SOURCE=/etc/apt/sources.list.d/bookworm-backports.sources

# One query for every package: "name version" of those installed.
present=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package} ${Version}\n' \
  "${PACKAGES[@]}" "${BACKPORTS[@]}" 2>/dev/null | awk '$1 == "ii" { print $2, $3 }' || true)
has() { grep -q "^$1 $2" <<<"$present"; }

missing=()
for p in "${PACKAGES[@]}"; do
  has "$p" "" || missing+=("$p")
done
backports_missing=()
for p in "${BACKPORTS[@]}"; do
  has "$p" "$BACKPORTS_VERSION" || backports_missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ] && [ ${#backports_missing[@]} -eq 0 ]; then
  echo "setup: all $((${#PACKAGES[@]} + ${#BACKPORTS[@]})) packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Runs apt quietly; on failure shows what it said and stops.
apt() {
  if ! $SUDO apt-get "$@" >"$log" 2>&1; then
    echo "setup: apt-get $* failed:" >&2
    cat "$log" >&2
    exit 1
  fi
}

if [ ${#backports_missing[@]} -gt 0 ] &&
  ! grep -rqs "bookworm-backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "setup: enabling bookworm-backports in $BACKPORTS_SOURCE"
  $SUDO tee "$BACKPORTS_SOURCE" >/dev/null <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
fi

apt update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#backports_missing[@]} -gt 0 ]; then
  echo "setup: installing ${backports_missing[*]} from bookworm-backports"
  apt install -y -q --no-install-recommends -t bookworm-backports "${backports_missing[@]}"
fi
echo "setup: done"
