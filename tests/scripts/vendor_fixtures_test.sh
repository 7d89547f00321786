#!/bin/sh
# The Phoenix, Intel and vendor fixtures under tests/data are exactly what
# make_vendor_fixtures writes.
set -e
GENERATOR="$ZARPO2_BUILD/make_vendor_fixtures"
if [ ! -x "$GENERATOR" ]; then
    echo "make_vendor_fixtures not built; skipped"
    exit 0
fi
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
"$GENERATOR" "$OUT" >/dev/null
for file in "$OUT"/phoenix/* "$OUT"/intel/* "$OUT"/vendor/*; do
    cmp "$file" "$ZARPO2_SOURCE/tests/data/${file#"$OUT"/}"
done
echo "vendor fixtures reproduced"
