#!/bin/bash
# zarpo2-cli replace end to end: a picture into a slot of each synthetic ROM family, the
# new image scanned and its Award members tested by lhasa; usage errors exit 2; refusals
# and OUT naming an input exit 1 and leave no OUT behind; --dry-run writes nothing.
set -u -o pipefail
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
ROMS="$ZARPO2_SOURCE/tests/data/roms"
CLI="$ZARPO2_CLI"
fail() { echo "FAIL: $*"; exit 1; }
command -v convert-im6.q16 >/dev/null || { echo "needs ImageMagick"; exit 77; }
convert-im6.q16 -size 160x100 xc:navy -fill yellow -draw "rectangle 20,20 140,80" "$WORK/flat.png"
convert-im6.q16 -size 640x480 xc: +noise Random "$WORK/noise.png"
cp "$ROMS/award-sums.bin" "$WORK/rom.bin"

status() { "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"; echo $?; }

# Usage errors.
[ "$(status "$CLI" replace)" = 2 ] || fail "no arguments"
[ "$(status "$CLI" replace --logo 0 "$WORK/rom.bin" "$WORK/flat.png" "$WORK/o.rom")" = 2 ] || fail "--logo 0"
[ "$(status "$CLI" replace --logo 1 --offset 0x10 "$WORK/rom.bin" "$WORK/flat.png" "$WORK/o.rom")" = 2 ] || fail "both"
[ "$(status "$CLI" replace --logo 1 "$WORK/rom.bin" "$WORK/flat.png")" = 2 ] || fail "no OUT without --dry-run"
[ "$(status "$CLI" replace --dither 2 --logo 1 "$WORK/rom.bin" "$WORK/flat.png" "$WORK/o.rom")" = 2 ] || fail "--dither 2"

# OUT is never an input, also through a link.
ln -s rom.bin "$WORK/link.rom"
for out in "$WORK/rom.bin" "$WORK/link.rom" "$WORK/flat.png"; do
    [ "$(status "$CLI" replace --logo 1 "$WORK/rom.bin" "$WORK/flat.png" "$out")" = 1 ] || fail "OUT $out accepted"
done
cmp -s "$WORK/rom.bin" "$ROMS/award-sums.bin" || fail "the ROM changed"

# More than one logo and none chosen.
[ "$(status "$CLI" replace "$WORK/rom.bin" "$WORK/flat.png" "$WORK/o.rom")" = 1 ] || fail "no logo chosen"
grep -q "choose one with --logo" "$WORK/err.txt" || fail "no advice on choosing a logo"

# Too large: refused with the shortfall, nothing written.
[ "$(status "$CLI" replace --logo 2 --size 640x480 "$WORK/rom.bin" "$WORK/noise.png" "$WORK/o.rom")" = 1 ] ||
    fail "a too-large logo was written"
grep -q "bytes short" "$WORK/err.txt" || fail "no shortfall: $(cat "$WORK/err.txt")"
[ ! -e "$WORK/o.rom" ] || fail "OUT left behind after a refusal"

# --dry-run reports and writes nothing.
[ "$(status "$CLI" replace --dry-run --offset 0x0000495a "$WORK/rom.bin" "$WORK/flat.png" "$WORK/o.rom")" = 0 ] ||
    fail "dry run: $(cat "$WORK/err.txt")"
grep -q "^packed size: " "$WORK/out.txt" && grep -q "^dry run: nothing written" "$WORK/out.txt" || fail "dry-run report"
[ ! -e "$WORK/o.rom" ] || fail "the dry run wrote OUT"

# Each family: written, found again, nothing left behind but OUT.
for case in "award-sums.bin 1" "award-sums.bin 2" "award-sums.bin 3" "ami.bin 1" "ami.bin 3" "msi.bin 1" \
    "msi.bin 3" "phoenix.bin 2" "phoenix.bin 3"; do
    set -- $case
    rm -rf "$WORK/outdir" && mkdir "$WORK/outdir"
    [ "$(status "$CLI" replace --logo "$2" "$ROMS/$1" "$WORK/flat.png" "$WORK/outdir/new.rom")" = 0 ] ||
        fail "$case: $(cat "$WORK/err.txt")"
    [ "$(ls "$WORK/outdir")" = new.rom ] || fail "$case: temporary files left: $(ls "$WORK/outdir")"
    [ "$(stat -c %s "$WORK/outdir/new.rom")" = "$(stat -c %s "$ROMS/$1")" ] || fail "$case: size changed"
    grep -q "^verified: " "$WORK/out.txt" || fail "$case: no verification line"
    "$CLI" scan "$WORK/outdir/new.rom" >"$WORK/scan.txt" || fail "$case: scan of the new image"
    # (msi.bin's decoy PCX header, whose rows the module area overwrote, is whole again when
    # the modules move up: a logo may be found that was not, none may be lost.)
    [ "$(wc -l <"$WORK/scan.txt")" -ge "$("$CLI" scan "$ROMS/$1" | wc -l)" ] || fail "$case: logos lost"
    if [ "$1" = phoenix.bin ]; then
        grep -q "no checksum of this image family is known; not verified on a board" "$WORK/err.txt" ||
            fail "$case: no Phoenix notice"
    fi
done

# lhasa (an independent reader) tests every member of a written Award image.
"$CLI" replace --logo 1 "$ROMS/award-sums.bin" "$WORK/flat.png" "$WORK/award.rom" >/dev/null 2>&1 || fail "award write"
if command -v lhasa >/dev/null; then
    "$CLI" scan --json "$WORK/award.rom" >/dev/null
    python3 - "$WORK/award.rom" "$WORK" <<'PY' || fail "lhasa rejects a member"
import subprocess, sys
data = open(sys.argv[1], "rb").read()
at, tested = 0, 0
while True:
    at = data.find(b"-lh", at)
    if at < 2:
        break
    start = at - 2
    size = data[start]
    packed = int.from_bytes(data[start + 7:start + 11], "little")
    if data[start + 6] == ord("-") and sum(data[start + 2:start + 2 + size]) & 0xFF == data[start + 1]:
        path = sys.argv[2] + "/member.lzh"
        open(path, "wb").write(data[start:start + size + 2 + packed] + b"\0")
        subprocess.run(["lhasa", "t", path], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        tested += 1
    at += 3
sys.exit(0 if tested >= 6 else 1)
PY
fi
echo "replace command checked"
