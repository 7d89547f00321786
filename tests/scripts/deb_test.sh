#!/bin/bash
# The Debian package: built by scripts/build-deb.sh (lintian must find no error), every
# file where Debian expects it, installed with dpkg into a throwaway root, and working
# from there. Building the package takes minutes: the test runs only with ZARPO2_DEB_TEST=1.
set -u -o pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "--- $*"; }

if [ "${ZARPO2_DEB_TEST:-0}" != 1 ]; then
    echo "SKIP: set ZARPO2_DEB_TEST=1 to build and check the Debian package"
    exit 77
fi
SRC=$ZARPO2_SOURCE
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

note "scripts/build-deb.sh builds the package and lintian finds no error"
start=$SECONDS
sh "$SRC/scripts/build-deb.sh" >"$WORK/build.txt" 2>&1 || { cat "$WORK/build.txt" >&2; fail "build-deb.sh failed"; }
echo "package built and checked in $((SECONDS - start)) s"
grep '^[EW]:' "$WORK/build.txt"
version=$(sed -n 's/^project(zarpo2 VERSION \([0-9.]*\).*/\1/p' "$SRC/CMakeLists.txt")
deb=$(ls "$SRC/build/deb/zarpo2_${version}_"*.deb) || fail "no package in build/deb"

note "dpkg -c lists every file"
dpkg -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$WORK/contents"
for file in /usr/bin/zarpo2 /usr/bin/zarpo2-cli \
    /usr/share/zarpo2/Documentation/index.html \
    /usr/share/applications/zarpo2.desktop \
    /usr/share/icons/hicolor/scalable/apps/zarpo2.svg \
    /usr/share/mime/packages/zarpo2-logos.xml \
    /usr/share/thumbnailers/zarpo2.thumbnailer \
    /usr/share/man/man1/zarpo2.1.gz /usr/share/man/man1/zarpo2-cli.1.gz \
    /usr/share/bash-completion/completions/zarpo2-cli /usr/share/bash-completion/completions/zarpo2 \
    /usr/share/metainfo/org.example.zarpo2.metainfo.xml \
    /usr/share/doc/zarpo2/copyright /usr/share/doc/zarpo2/changelog.gz; do
    grep -qx "$file" "$WORK/contents" || fail "the package lacks $file"
done
dpkg-deb -f "$deb" Depends | grep -q 'libfltk1.3' || fail "Depends does not name the FLTK library"

note "dpkg installs it into a throwaway root"
root=$WORK/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The root holds no other package: its dependencies are those of this machine.
dpkg --root="$root" --force-not-root --force-depends --log=/dev/null -i "$deb" >"$WORK/dpkg.txt" 2>&1 ||
    { cat "$WORK/dpkg.txt" >&2; fail "dpkg -i failed"; }
dpkg --root="$root" -L zarpo2 >"$WORK/listed" || fail "dpkg does not list the installed package"
while read -r file; do
    [ -f "$root$file" ] || fail "$file was not installed"
done < <(grep -v '/$' "$WORK/contents")

note "the installed files work from there"
"$root/usr/bin/zarpo2-cli" --version | grep -q "$version" || fail "the installed zarpo2-cli does not run"
"$root/usr/bin/zarpo2-cli" thumbnail "$SRC/tests/data/award/awbm16.bin" "$WORK/thumb.png" ||
    fail "the installed thumbnailer failed"
for page in zarpo2 zarpo2-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns on the installed $page(1): $warnings"
done
desktop-file-validate "$root/usr/share/applications/zarpo2.desktop" || fail "the installed desktop entry"
# The viewer finds its guide from its own folder: the entry starts it as it is.
grep -qx 'Exec=/usr/bin/zarpo2 %f' "$root/usr/share/applications/zarpo2.desktop" ||
    fail "the installed desktop entry starts $(sed -n 's/^Exec=//p' "$root/usr/share/applications/zarpo2.desktop")"
[ -f "$root/usr/share/zarpo2/Documentation/index.html" ] || fail "no guide in ../share/zarpo2 from /usr/bin"
appstreamcli validate-tree --no-net "$root/usr" || fail "the installed metainfo"
XDG_DATA_DIRS=$root/usr/share update-mime-database "$root/usr/share/mime" || fail "update-mime-database refused the installed types"
type=$(XDG_DATA_HOME=$WORK/none XDG_DATA_DIRS=$root/usr/share:/usr/share \
    gio info -a standard::content-type "$SRC/tests/data/award/awbm16.bin" | sed -n 's/.*content-type: //p')
[ "$type" = image/x-award-awbm ] || fail "the installed types give $type"
echo "Debian package checked"
