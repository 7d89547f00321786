#!/bin/bash
# zarpo2 as a desktop sees it: the logo file types through shared-mime-info, the
# thumbnailer run the way a file manager runs it, the manual pages through man and groff,
# the bash completion driven word by word.
set -u -o pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "--- $*"; }

SRC=$ZARPO2_SOURCE
DATA=$SRC/tests/data
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# ImageMagick itself: /usr/local/bin may hold another program under the name convert.
CONVERT=$(command -v convert-im6.q16 || command -v convert)
for tool in update-mime-database gio man groff compare identify od "$CONVERT"; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
done

# The types the MIME file declares, in its order.
TYPES=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$SRC/data/zarpo2-logos.xml")
[ "$(echo "$TYPES" | wc -l)" -ge 10 ] || fail "the MIME file declares too few types"

note "the desktop entry, the thumbnailer and the metainfo list exactly the MIME file's types"
mime_key() { sed -n 's/^MimeType=//p' "$1" | tr ';' '\n' | sed '/^$/d'; }
[ "$(mime_key "$SRC/docs/desktop/zarpo2.desktop.in")" = "$TYPES" ] || fail "desktop entry MimeType differs"
[ "$(mime_key "$SRC/data/zarpo2.thumbnailer")" = "$TYPES" ] || fail "thumbnailer MimeType differs"
[ "$(sed -n 's/.*<mediatype>\(.*\)<\/mediatype>.*/\1/p' "$SRC/data/zarpo2.metainfo.xml")" = "$TYPES" ] ||
    fail "metainfo mediatypes differ"
if command -v desktop-file-validate >/dev/null && [ -f "$ZARPO2_BUILD/zarpo2.desktop" ]; then
    desktop-file-validate "$ZARPO2_BUILD/zarpo2.desktop" || fail "the desktop entry does not validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$SRC/data/zarpo2.metainfo.xml" >"$WORK/appstream" ||
        fail "the metainfo does not validate: $(cat "$WORK/appstream")"
fi

note "shared-mime-info gives each family with a signature its type, and PCX, BMP, JPEG their own"
export XDG_DATA_HOME=$WORK/xdg
export XDG_DATA_DIRS=/usr/local/share:/usr/share
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$SRC/data/zarpo2-logos.xml" "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime" || fail "update-mime-database refused the MIME file"
file_type() { gio info -a standard::content-type "$1" 2>/dev/null | sed -n 's/.*standard::content-type: //p'; }
# Fixture, the type it must get, and how: by its signature (also tried under a name
# without extension, so the signature alone decides) or by its name. One fixture for each
# signature rule of the MIME file.
while read -r fixture type by; do
    got=$(file_type "$DATA/$fixture")
    [ "$got" = "$type" ] || fail "$fixture is $got, not $type"
    cp "$DATA/$fixture" "$WORK/logo"
    got=$(file_type "$WORK/logo")
    if [ "$by" = signature ]; then
        [ "$got" = "$type" ] || fail "$fixture without its extension is $got, not $type"
    else
        [ "$got" != "$type" ] || fail "$fixture without its extension is still $type"
    fi
done <<'EOF'
award/awbm16.bin image/x-award-awbm signature
award/award-standard.epa image/x-award-epa name
vendor/gle.bin image/x-ami-gle signature
phoenix/pg-standard.pg image/x-phoenix-pg signature
phoenix/icon8.icn image/x-phoenix-icon signature
containers/scrn.bin image/x-phoenix-scrn signature
containers/scn.bin image/x-phoenix-scn signature
intel/grfx.bin image/x-intel-grfx signature
codecs/grfxlogo.bin image/x-intel-grfx signature
codecs/compressed-grfx.bin image/x-intel-grfx signature
codecs/compressed-pg.bin image/x-intel-grfx signature
intel/textlogo.bin image/x-intel-textlogo signature
containers/osb-pcx.bin image/x-osb-logo signature
asus/composite-4osb.bin image/x-asus-logo signature
asus/dynamic-logo.bin image/x-asus-logo signature
vendor/trigem.bin image/x-trigem-logo signature
codecs/dell-nvram.bin image/x-dell-logo signature
pcx/netpbm-8bit.pcx image/vnd.zbrush.pcx signature
bmp/magick-8bit.bmp image/bmp signature
jpeg/magick.jpg image/jpeg signature
EOF
# A two-letter signature does not take a file whose extension names another type.
printf 'TM notes\n' >"$WORK/notes.txt"
[ "$(file_type "$WORK/notes.txt")" = text/plain ] || fail "notes.txt starting TM is $(file_type "$WORK/notes.txt")"

note "no file a desktop holds that is not a logo gets a logo's type"
# Each file is copied without its name, so that its bytes alone decide; types_of prints
# "TYPE PATH" a line for many files with one gio run.
types_of() {
    gio info -a standard::content-type "$@" 2>/dev/null |
        awk '/^local path: / { path = substr($0, 13) } /standard::content-type: / { print $2, path }'
}
OTHERS=$WORK/others
mkdir -p "$OTHERS"
n=0
other() { cp "$1" "$OTHERS/$n"; n=$((n + 1)); }
# Text and scripts whose first bytes spell a logo's signature, at its offset.
for start in GL GLE GLA GLB GLOBAL TM TMP LOGO LOGOS PG PGP PGDMP AWBM ICON SCN SCRN NVRAM '$OSB' GRFX XFRG \
    '  ASUS' '  ASUS2' '#!/bin/sh'; do
    printf '%s some words\nand a second line\tend\n' "$start" >"$WORK/start"
    other "$WORK/start"
    printf '%s\n' "$start" >"$WORK/start"
    other "$WORK/start"
done
# A pg_dump custom-format archive ("PGDMP", version 1.14, sizes), extensionless and as .dump.
printf 'PGDMP\001\016\000\004\010\001\001\001\000\000\000\000\000\000\000\000\000\000\000pg\n' >"$WORK/pg"
other "$WORK/pg"
cp "$WORK/pg" "$OTHERS/database.dump"
python3 - "$WORK/archive.zip" "$WORK/doc.pdf" <<'PY' || fail "cannot write the ZIP and PDF samples"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("LOGO.txt", "GL TM LOGO PG\n")
open(sys.argv[2], "wb").write(b"%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n")
PY
other "$WORK/archive.zip"
other "$WORK/doc.pdf"
for file in /bin/ls /usr/bin/env "$ZARPO2_CLI" "$SRC"/scripts/*.sh "$(command -v xdg-mime)" /etc/passwd; do
    [ -f "$file" ] && other "$file"
done
# The Debian packages' own files: licences, copyrights, MIME and desktop files, icons.
while read -r file; do
    other "$file"
done < <(find /usr/share/common-licenses /usr/share/doc /usr/share/mime/packages /usr/share/applications \
    /usr/share/icons -type f -size -2M 2>/dev/null | sort | awk 'NR % 10 == 1' | head -n 600)
[ "$n" -ge 100 ] || fail "only $n files to try"
types_of "$OTHERS"/* >"$WORK/other-types"
[ "$(wc -l <"$WORK/other-types")" -eq "$((n + 1))" ] || fail "gio typed $(wc -l <"$WORK/other-types") of $((n + 1)) files"
while read -r type path; do
    ! grep -qxF "$type" <<<"$TYPES" || fail "$path (a copy of a file that is no logo) is typed $type: $(head -c 24 "$path" | od -An -c | head -n 2)"
done <"$WORK/other-types"
echo "$((n + 1)) files that are no logo, none typed as one"

note "the thumbnailer's Exec line, run as a file manager runs it, draws the decoded logo scaled"
read -ra EXEC <<<"$(sed -n 's/^Exec=//p' "$SRC/data/zarpo2.thumbnailer")"
[ "${EXEC[0]}" = zarpo2-cli ] || fail "the thumbnailer runs ${EXEC[0]}"
# A file named "-s" or "--help" is still the input: the options end before it.
[[ " ${EXEC[*]} " == *" -- %i %o "* ]] || fail "the thumbnailer's Exec line does not end its options before %i"
export PATH="$(dirname "$ZARPO2_CLI"):$PATH"
mkdir -p "$WORK/in folder" "$WORK/thumbs"
count=0
# Every fixture the manifest pins as a picture, whole files only, once per format.
declare -A seen
while read -r status _ size path; do
    [ "$status" = OK ] && [ "${size%x*}" != 0 ] && [ "${size#*x}" != 0 ] || continue
    case $path in *-cut.*) continue ;; esac
    input="$WORK/in folder/$(basename "$path")"
    cp "$DATA/$path" "$input"
    format=$(zarpo2-cli identify "$input" | sed -n 's/^.*: \[\([0-9]*\)\].*/\1/p')
    [ -z "${seen[$format]:-}" ] || continue
    seen[$format]=1
    # The first PNG the png command writes is the picture, or the first frame with pixels.
    mkdir -p "$WORK/png/$count"
    reference=$(zarpo2-cli png --out-dir "$WORK/png/$count" "$input" 2>/dev/null | grep '\.png$' | head -n1)
    [ -f "$reference" ] || fail "$path: png wrote nothing"
    read -r w h <<<"$(identify -format '%w %h' "$reference")"
    # The PNG's 16-bit samples hold each byte in their high half: x 257/256 makes them
    # byte x 257, which ImageMagick brings back to 8 bits unrounded.
    "$CONVERT" "$reference" -evaluate multiply 1.00390625 -depth 8 "$WORK/reference.ppm"
    for side in 128 24; do
        out="$WORK/thumbs/$count-$side.png"
        args=()
        for word in "${EXEC[@]}"; do
            case $word in
            %s) args+=("$side") ;;
            %i) args+=("$input") ;;
            %o) args+=("$out") ;;
            *) args+=("$word") ;;
            esac
        done
        "${args[@]}" >"$WORK/stdout" 2>"$WORK/stderr" || fail "$path: the thumbnailer failed: $(cat "$WORK/stderr")"
        [ ! -s "$WORK/stdout" ] || fail "$path: the thumbnailer printed on standard output"
        # Bytes 16..25 of a PNG: width, height, bit depth, colour type (6: RGBA).
        read -r tw th depth colour <<<"$(od -An -tu1 -j16 -N10 "$out" |
            awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8, $9, $10}')"
        [ "$depth $colour" = "8 6" ] || fail "$path: thumbnail is depth $depth colour type $colour, not 8-bit RGBA"
        # Its longer side fits the size and fills more than half of it; its shape is the
        # picture's, up to rounding (the exact rule is the unit tests').
        longer=$((tw > th ? tw : th)) skew=$((tw * h - th * w))
        [ "$longer" -le "$side" ] && [ $((2 * longer)) -gt "$side" ] && [ "${skew#-}" -le $((w + h)) ] ||
            fail "$path: ${w}x$h in $side gave ${tw}x$th"
        # ImageMagick's -scale repeats pixels as ours does, to the byte, and averages areas
        # as ours does in floating point, which may round a sample one level apart.
        "$CONVERT" "$WORK/reference.ppm" -scale "${tw}x$th!" "$WORK/expected.ppm"
        if [ "$w" -le "$side" ] && [ "$h" -le "$side" ]; then
            differ=$(compare -metric AE "$out" "$WORK/expected.ppm" null: 2>&1)
            [ "$differ" = 0 ] || fail "$path in $side: $differ pixels differ from the decoded logo enlarged"
        else
            error=$(compare -metric PAE "$out" "$WORK/expected.ppm" null: 2>&1 | cut -d' ' -f1)
            [ "${error%.*}" -le 257 ] || fail "$path in $side: a sample differs by $error/65535 from the average"
        fi
    done
    count=$((count + 1))
done <"$DATA/manifest.txt"
[ "$count" -ge 30 ] || fail "only $count formats had a thumbnail"
echo "thumbnails of $count formats"

note "the thumbnail command's failures"
zarpo2-cli thumbnail "$DATA/award/awbm16.bin" 2>/dev/null
[ $? = 2 ] || fail "one operand is not a usage error"
for side in 0 2049 12x -1; do
    zarpo2-cli thumbnail -s "$side" "$DATA/award/awbm16.bin" "$WORK/x.png" 2>/dev/null
    [ $? = 2 ] || fail "-s $side is not a usage error"
done
printf 'not a logo' >"$WORK/notalogo"
zarpo2-cli thumbnail "$WORK/notalogo" "$WORK/none.png" 2>/dev/null
[ $? = 1 ] && [ ! -e "$WORK/none.png" ] || fail "an unknown file gave a thumbnail or the wrong status"
cp "$DATA/award/awbm16.bin" "$WORK/-dash.bin"
(cd "$WORK" && zarpo2-cli thumbnail -s 32 -- -dash.bin dash.png) && [ -s "$WORK/dash.png" ] ||
    fail "-- does not end the options"
(cd "$WORK" && zarpo2-cli thumbnail -- -dash.bin ./-dash.bin 2>/dev/null)
[ $? = 1 ] && cmp -s "$DATA/award/awbm16.bin" "$WORK/-dash.bin" || fail "a thumbnail replaced its input"
mkfifo "$WORK/fifo"
timeout 20 zarpo2-cli thumbnail "$WORK/fifo" "$WORK/fifo.png" 2>"$WORK/stderr"
[ $? = 1 ] && grep -q "fifo: not a regular file" "$WORK/stderr" || fail "a FIFO is not refused"
[ -z "$(find "$WORK" -name '.zarpo2-png-*')" ] || fail "a temporary file was left behind"

note "both manual pages render without a warning"
if grep -q '^ZARPO2_MAN:BOOL=OFF' "$ZARPO2_BUILD/CMakeCache.txt"; then
    echo "manual pages not built (ZARPO2_MAN=OFF)"
else
    pages=("$ZARPO2_BUILD/man/zarpo2-cli.1")
    [ -x "${ZARPO2_BIN:-}" ] && pages+=("$ZARPO2_BUILD/man/zarpo2.1")
    for page in "${pages[@]}"; do
        [ -s "$page" ] || fail "$page was not built"
        warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
        [ -z "$warnings" ] || fail "groff warns on $(basename "$page"): $warnings"
        MANWIDTH=80 man --warnings -l "$page" >"$WORK/page.txt" 2>"$WORK/page.err" || fail "man -l $page failed"
        [ ! -s "$WORK/page.err" ] || fail "man warns on $(basename "$page"): $(cat "$WORK/page.err")"
        for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" ENVIRONMENT EXAMPLES; do
            grep -q "^$section" "$WORK/page.txt" || fail "$(basename "$page") has no $section section"
        done
        grep -q ZARPO2HOME "$WORK/page.txt" || fail "$(basename "$page") does not mention ZARPO2HOME"
    done
    # Every command and option of the command's own help is in its page.
    MANWIDTH=200 man -l "$ZARPO2_BUILD/man/zarpo2-cli.1" 2>/dev/null | col -b >"$WORK/cli-page.txt"
    for word in $(zarpo2-cli --help | grep -o -- '--[a-z-]*\|zarpo2-cli [a-z]*' | sed 's/.* //' | sort -u); do
        grep -q -- "$word" "$WORK/cli-page.txt" || fail "zarpo2-cli(1) does not mention $word"
    done
fi

note "bash completion: syntax, then completions word by word"
COMPLETION=$SRC/data/completion/zarpo2-cli
bash -n "$COMPLETION" || fail "the completion script does not parse"
mkdir -p "$WORK/complete/dir one" "$WORK/complete/dir two"
touch "$WORK/complete/logo.bin" "$WORK/complete/-dash.bin"
# Each case: the expected completions (sorted, joined by |, or none), a tab, then the
# line; its last word, empty after a final space, is the one being completed.
cd "$WORK/complete" && bash -c '
    source "$1"
    shift
    status=0
    while IFS="	" read -r expected line; do
        read -ra COMP_WORDS <<<"$line"
        [ "${line: -1}" = " " ] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        complete_function=$(complete -p "${COMP_WORDS[0]}" | sed -n "s/.*-F \([^ ]*\).*/\1/p")
        "$complete_function"
        got=$(printf "%s\n" "${COMPREPLY[@]}" | sed "/^$/d" | sort | paste -sd"|")
        [ -n "$got" ] || got=none
        if [ "$got" != "$expected" ]; then
            echo "FAIL: completing \"$line\" gave \"$got\", not \"$expected\"" >&2
            status=1
        fi
    done
    exit $status
' completion-test "$COMPLETION" <<'EOF' || fail "completion"
identify|list|png|scan|thumbnail	zarpo2-cli 
thumbnail	zarpo2-cli th
--help|--version	zarpo2-cli -
--|--out-dir|--palette|--verbose	zarpo2-cli png --
--|--json|--verbose	zarpo2-cli identify --json --
--|--extract|--json|--png	zarpo2-cli scan --
dir one|dir two	zarpo2-cli png --out-dir d
dir one|dir two	zarpo2-cli scan --extract di
1024|128|256|512	zarpo2-cli thumbnail -s 
logo.bin	zarpo2-cli identify l
-dash.bin	zarpo2-cli png -- -
-dash.bin	zarpo2-cli thumbnail -s 64 -- -d
logo.bin	zarpo2-cli thumbnail -s 64 lo
none	zarpo2-cli list 
--help|--version|-list|-verbose	zarpo2 -
logo.bin	zarpo2 -verbose l
EOF
# Every option of the command's help is offered by the completion.
for option in $(zarpo2-cli --help | grep -o -- '--[a-z-]*' | sort -u); do
    grep -q -- "$option" "$COMPLETION" || fail "the completion does not offer $option"
done

echo "desktop integration checked"
