#!/bin/bash
# Test programs leave nothing in the temporary folder: the unit tests that write files
# (through test_temp_dir) and the whole-load replay program are run with a private TMPDIR,
# which must be empty afterwards. zarpo2-cli itself needs no temporary file at all, also
# for the logos it unpacks: it runs here with TMPDIR pointing at a folder that does not
# exist.
set -eu -o pipefail
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT

TMPDIR=$private "$ZARPO2_BUILD/tests/zarpo2_tests" \
    --gtest_filter='Cli*:PngOutput*:PngEncoder*:Load*:Containers*' >/dev/null
if [ -x "$ZARPO2_BUILD/fuzz/load_replay" ]; then
    TMPDIR=$private "$ZARPO2_BUILD/fuzz/load_replay" "$ZARPO2_SOURCE"/tests/data/codecs/* >/dev/null
fi
left=$(ls -A "$private")
if [ -n "$left" ]; then
    echo "left in the temporary folder: $left"
    exit 1
fi

out="$private/out"
mkdir "$out"
TMPDIR="$private/none" "$ZARPO2_CLI" png --out-dir "$out" "$ZARPO2_SOURCE"/tests/data/codecs/compressed-pg.bin \
    "$ZARPO2_SOURCE"/tests/data/codecs/dell-nvram.bin >/dev/null
[ "$(ls "$out" | wc -l)" -eq 2 ]
echo "nothing left behind"
