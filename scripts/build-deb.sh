#!/bin/sh
# Builds the Debian package zarpo2 (dpkg-buildpackage -b, unsigned) into build/deb and
# checks it with lintian, which fails the script on any error. The tree is copied to
# build/deb/zarpo2-VERSION first, so the build leaves the sources untouched.
#   sh scripts/build-deb.sh
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh debhelper lintian scdoc shared-mime-info desktop-file-utils xdg-utils appstream \
    dpkg-dev fakeroot

version=$(sed -n 's/^project(zarpo2 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packaged=$(dpkg-parsechangelog -S Version)
if [ "$version" != "$packaged" ]; then
    echo "build-deb: CMakeLists.txt says $version, debian/changelog $packaged: add a changelog entry" >&2
    exit 1
fi

out=build/deb
tree=$out/zarpo2-$version
rm -rf "$out"
mkdir -p "$tree"
tar --exclude=./build --exclude=./.git --exclude=./fuzz/corpus-work -cf - . | tar -xf - -C "$tree"

start=$(date +%s)
(cd "$tree" && dpkg-buildpackage -b -us -uc) >"$out/build.log" 2>&1 || {
    tail -n 40 "$out/build.log" >&2
    echo "build-deb: dpkg-buildpackage failed; the whole log is in $out/build.log" >&2
    exit 1
}
echo "build-deb: package built in $(($(date +%s) - start)) s (load average $(cut -d' ' -f1 /proc/loadavg))"
rm -rf "$tree"

deb=$(ls "$out"/zarpo2_"$version"_*.deb)
echo "build-deb: $deb"
lintian --info "$deb"
