#!/bin/sh
# The bundled sample logos and the award fixtures are exactly what make_samples writes.
set -e
GENERATOR="$ZARPO2_BUILD/make_samples"
if [ ! -x "$GENERATOR" ]; then
    echo "make_samples not built; skipped"
    exit 0
fi
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
"$GENERATOR" "$OUT" >/dev/null
for name in award-standard.epa awbm16.bin awbm256-compressed.bin; do
    cmp "$OUT/$name" "$ZARPO2_SOURCE/samples/$name"
    cmp "$OUT/$name" "$ZARPO2_SOURCE/tests/data/award/$name"
done
# The damaged fixtures are prefixes of the samples.
cmp -n 1500 "$OUT/awbm16.bin" "$ZARPO2_SOURCE/tests/data/award/awbm16-cut.bin"
cmp -n 1000 "$OUT/awbm256-compressed.bin" "$ZARPO2_SOURCE/tests/data/award/awbm256-compressed-cut.bin"
cmp -n 1601 "$OUT/award-standard.epa" "$ZARPO2_SOURCE/tests/data/award/award-standard-cut.epa"
echo "samples reproduced"
