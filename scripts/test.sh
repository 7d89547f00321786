#!/bin/sh
# Installs what is needed, then builds and runs the whole test suite twice: a plain
# build, and one under AddressSanitizer + UndefinedBehaviorSanitizer. Tests that open
# windows run inside Xvfb. Then each fuzz target runs briefly (scripts/fuzz-smoke.sh).
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh

JOBS=$(nproc 2>/dev/null || echo 2)
status=0
for variant in plain asan; do
    dir="build/test-$variant"
    sanitize=OFF
    [ "$variant" = asan ] && sanitize=ON
    echo "=== $variant build"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARPO2_SANITIZE=$sanitize -DZARPO2_WERROR=ON >/dev/null
    cmake --build "$dir" -j "$JOBS"
    echo "=== $variant tests"
    if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        xvfb-run -a -s "-screen 0 2560x1600x24" \
        ctest --test-dir "$dir" --output-on-failure -j "$JOBS"; then
        status=1
    fi
done
echo "=== fuzz smoke run"
sh scripts/fuzz-smoke.sh 30 || status=1
exit $status
