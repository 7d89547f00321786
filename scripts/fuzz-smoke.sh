#!/bin/sh
# Builds the libFuzzer targets with clang-14 under AddressSanitizer +
# UndefinedBehaviorSanitizer and runs each one for a while over its seed corpus and its
# crashers. Exit status 1 when any target finds a crash, a leak, a timeout or a broken
# invariant; the input that did it is left in build/fuzz/artifacts/<target>/.
#
#   sh scripts/fuzz-smoke.sh [SECONDS [TARGET...]]
#
# SECONDS per target defaults to 30 (the CI run); targets default to all of fuzz/.
# New inputs that reach new code collect in build/fuzz/corpus/<target>/ between runs.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
dir=build/fuzz
jobs=$(nproc 2>/dev/null || echo 2)

CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARPO2_FUZZ=ON -DZARPO2_WERROR=ON \
    -DZARPO2_GUI=OFF -DZARPO2_TESTS=OFF -DZARPO2_TOOLS=OFF >/dev/null
cmake --build "$dir" -j "$jobs"

targets="$*"
[ -z "$targets" ] && targets=$(cat "$dir/fuzz/targets.txt" | tr ';' ' ')

status=0
for target in $targets; do
    corpus="$dir/corpus/$target"
    artifacts="$dir/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    seeds=$(cat "$dir/fuzz/$target.seeds")
    crashers=""
    [ -d "tests/crashers/$target" ] && crashers="tests/crashers/$target"
    echo "=== fuzzing $target for ${seconds}s"
    # The first folder receives the new inputs; the seeds and crashers are only read.
    # Standard output is closed: decoders print their complaints about damaged files there.
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$dir/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" $seeds $crashers 2>"$dir/$target.log"; then
        echo "=== $target: finding, see $dir/$target.log and $artifacts/"
        tail -n 40 "$dir/$target.log"
        status=1
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|cov: " "$dir/$target.log" | tail -n 3
done
exit $status
