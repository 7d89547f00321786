#!/bin/sh
# Installs every build and test dependency from Debian packages, and any further
# packages named as arguments. Runs as root or through sudo; does nothing for packages
# already present.
set -e

PACKAGES="build-essential cmake pkg-config ccache
libfltk1.3-dev libpng-dev zlib1g-dev libjpeg-dev
libimagequant-dev liblzma-dev libbrotli-dev libgif-dev
libgtest-dev libgmock-dev libbenchmark-dev
clang-14 libclang-rt-14-dev
imagemagick netpbm libjpeg-turbo-progs jlha-utils lhasa liblhasa-dev ovmf uefitool-cli
xvfb xauth xdotool x11-utils xclip pngcheck python3
scdoc man-db groff-base shared-mime-info libglib2.0-bin desktop-file-utils appstream
$*"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends $missing
