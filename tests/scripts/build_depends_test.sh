#!/bin/bash
# The Debian package builds on a clean builder: every library and program the build asks
# CMake for (find_package, pkg_check_modules, find_library, find_program, find_path in CMakeLists.txt
# and cmake/*.cmake, read as they stand now) maps to a package that debian/control's
# Build-Depends names, and dpkg-checkbuilddeps accepts the field on this machine.
set -u -o pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "--- $*"; }

SRC=$ZARPO2_SOURCE
command -v python3 >/dev/null || fail "python3 is not installed"

note "each thing CMake looks for has its package in Build-Depends"
python3 - "$SRC" <<'PY' || exit 1
import glob, os, re, sys

src = sys.argv[1]
# What CMake is asked for -> the Debian packages that provide it (any one will do).
# Programs and packages the build only uses when present (ccache), or that the package
# build turns off, map to nothing.
PROVIDERS = {
    "PNG": ["libpng-dev"],
    "ZLIB": ["zlib1g-dev"],
    "JPEG": ["libjpeg-dev", "libjpeg62-turbo-dev"],
    "X11": ["libx11-dev"],
    "FL/Fl.H": ["libfltk1.3-dev"],
    "fltk": ["libfltk1.3-dev"],
    "fltk_images": ["libfltk1.3-dev"],
    "scdoc": ["scdoc"],
    "ccache": [],
    "PkgConfig": ["pkg-config", "pkgconf"],
    "imagequant": ["libimagequant-dev"],
    "libimagequant": ["libimagequant-dev"],
    "LibLZMA": ["liblzma-dev"],
    "liblzma": ["liblzma-dev"],
    "lzma": ["liblzma-dev"],
    "libbrotlienc": ["libbrotli-dev"],
    "libbrotlidec": ["libbrotli-dev"],
    "libbrotlicommon": ["libbrotli-dev"],
    "brotlienc": ["libbrotli-dev"],
    "brotlidec": ["libbrotli-dev"],
    "brotlicommon": ["libbrotli-dev"],
    "GIF": ["libgif-dev"],
    "gif": ["libgif-dev"],
}
KEYWORDS = {"REQUIRED", "QUIET", "IMPORTED_TARGET", "GLOBAL", "NO_CMAKE_PATH", "NO_CMAKE_ENVIRONMENT_PATH",
            "NAMES", "PATHS", "HINTS", "NAMES_PER_DIR", "NO_DEFAULT_PATH", "CONFIG", "MODULE", "COMPONENTS"}

files = [os.path.join(src, "CMakeLists.txt")] + sorted(glob.glob(os.path.join(src, "cmake", "*.cmake")))
wanted = []  # (file, what)
for path in files:
    text = re.sub(r"#[^\n]*", "", open(path).read())
    for call, args in re.findall(r"\b(find_package|pkg_check_modules|pkg_search_module|find_library|find_program|find_path)"
                                 r"\s*\(([^)]*)\)", text, re.I):
        words = args.split()
        call = call.lower()
        if call == "find_package":
            names = words[:1]
        elif call in ("pkg_check_modules", "pkg_search_module"):
            names = [w for w in words[1:] if w not in KEYWORDS]
        else:  # find_library, find_program, find_path: (VAR name | VAR NAMES name...)
            names = [w for w in words[1:] if w not in KEYWORDS][:1]
        for name in names:
            name = re.split(r"[<>=]", name)[0]  # a module's version condition
            wanted.append((os.path.relpath(path, src), call, name))

control = open(os.path.join(src, "debian", "control")).read()
field = re.search(r"^Build-Depends:(.*?)(?=^\S)", control, re.M | re.S).group(1)
named = set()
for entry in field.split(","):
    for alternative in entry.split("|"):
        package = re.sub(r"\(.*?\)|\[.*?\]|<.*?>", "", alternative).strip()
        if package:
            named.add(package.split(":")[0])

problems = []
for path, call, name in wanted:
    if name not in PROVIDERS:
        problems.append(f"{path}: {call}({name}): no Debian package known for it: add it to this test's table")
    elif PROVIDERS[name] and not named.intersection(PROVIDERS[name]):
        problems.append(f"{path}: {call}({name}) needs {' or '.join(PROVIDERS[name])} in Build-Depends")
for problem in problems:
    print("FAIL: " + problem, file=sys.stderr)
if problems:
    sys.exit(1)
print(f"{len(wanted)} look-ups, each provided by Build-Depends")
PY

note "dpkg-checkbuilddeps accepts the field"
# debhelper is installed by scripts/build-deb.sh with the other packaging tools.
if command -v dpkg-checkbuilddeps >/dev/null && dpkg-query -W -f '${Status}' debhelper 2>/dev/null | grep -q 'ok installed'; then
    (cd "$SRC" && dpkg-checkbuilddeps debian/control) || fail "dpkg-checkbuilddeps: Build-Depends not satisfied"
else
    echo "dpkg-checkbuilddeps or debhelper is not installed (scripts/build-deb.sh installs them): not run"
fi
echo "Build-Depends checked"
