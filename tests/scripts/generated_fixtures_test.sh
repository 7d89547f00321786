#!/bin/bash
# The committed fixtures and the bundled samples are exactly what our generators write.
set -eu -o pipefail
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
DATA="$ZARPO2_SOURCE/tests/data"

# Runs generator $1 (with any further arguments after its output folder) and compares every
# file it writes with the file of the same path under $2.
reproduces() {
    if [ ! -x "$ZARPO2_BUILD/$1" ]; then
        echo "$1 not built; skipped"
        return 0
    fi
    mkdir -p "$OUT/$1"
    "$ZARPO2_BUILD/$1" "$OUT/$1" "${@:3}" >/dev/null
    (cd "$OUT/$1" && find . -type f) | while read -r file; do cmp "$OUT/$1/$file" "$2/$file"; done
}
reproduces make_container_fixtures "$DATA/containers"
reproduces make_vendor_fixtures "$DATA"
reproduces make_asus_fixtures "$DATA"
reproduces make_variant_fixtures "$DATA"
reproduces make_samples "$ZARPO2_SOURCE/samples"
reproduces make_uefi_fixtures "$DATA/uefi" "$DATA"
reproduces make_samples "$DATA/award"
# The damaged award fixtures are prefixes of the samples.
cmp -n 1500 "$ZARPO2_SOURCE/samples/awbm16.bin" "$DATA/award/awbm16-cut.bin"
cmp -n 1000 "$ZARPO2_SOURCE/samples/awbm256-compressed.bin" "$DATA/award/awbm256-compressed-cut.bin"
cmp -n 1601 "$ZARPO2_SOURCE/samples/award-standard.epa" "$DATA/award/award-standard-cut.epa"
echo "generated fixtures reproduced"
