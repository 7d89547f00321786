#!/bin/sh
# The composite-container fixtures are exactly what make_container_fixtures writes.
set -e
GENERATOR="$ZARPO2_BUILD/make_container_fixtures"
if [ ! -x "$GENERATOR" ]; then
    echo "make_container_fixtures not built; skipped"
    exit 0
fi
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
"$GENERATOR" "$OUT" >/dev/null
for name in scrn scrn-cut scn scn-cut osb-pcx osb-pcx-cut osb-bmp osb-bmp-cut osb-loop; do
    cmp "$OUT/$name.bin" "$ZARPO2_SOURCE/tests/data/containers/$name.bin"
done
echo "container fixtures reproduced"
