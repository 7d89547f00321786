#!/bin/sh
# Installs what bench/run.sh needs beyond the build and test dependencies: bsdtar
# (libarchive's lh5 decoder, a second reference). Kept apart so that the test run does
# not pay for it.
set -e

sh "$(dirname "$0")/install-deps.sh"

PACKAGES="libarchive-tools"

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
