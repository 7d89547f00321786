#!/bin/sh
# Installs what is needed, builds, and opens the viewer on a bundled sample logo.
# Where no display can be opened, converts the samples to PNG headlessly instead.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DZARPO2_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)"

SAMPLE=${1:-samples/award-standard.epa}
if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
    exec env ZARPO2HOME="$PWD/docs" build/release/zarpo2 "$SAMPLE"
fi
echo "No X display: converting the samples to PNG in build/samples-png instead."
mkdir -p build/samples-png
build/release/zarpo2-cli png --out-dir build/samples-png samples/*.*
