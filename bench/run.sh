#!/bin/bash
# Builds the release benchmarks and runs them side by side, then prints the tables of
# ratios: lh5 decoding against liblhasa and bsdtar; lh5 encoding against jlha; one logo to PNG as a whole process
# against ImageMagick and netpbm, with time and peak memory; 1,000 small logos in one
# call. The machine may be shared and busy: every variant of a case runs in the same
# run, repetitions are interleaved in random order, and the tables give medians.
#
#   bench/run.sh [--quick]     (--quick: fewer repetitions, for a first look)
# Environment: ZARPO2_BENCH_REPETITIONS (default 7), ZARPO2_BENCH_LARGE_REPETITIONS
# (4096x4096 pictures, default 3), BUILD (default build/bench).
# The full tables and the raw runs are kept in $BUILD/results/.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$src/build/bench}
reps=${ZARPO2_BENCH_REPETITIONS:-7}
large=${ZARPO2_BENCH_LARGE_REPETITIONS:-3}
if [ "${1:-}" = "--quick" ]; then
    reps=3
    large=1
fi

sh "$src/scripts/install-bench-deps.sh"
# ImageMagick itself: /usr/local/bin may hold another program under the name convert.
convert=$(command -v convert-im6.q16 || command -v convert)

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZARPO2_BENCH=ON -DZARPO2_GUI=OFF \
    -DZARPO2_TESTS=OFF -DZARPO2_TOOLS=OFF >/dev/null
cmake --build "$build" -j2 --target zarpo2-cli lzh_bench lh5_encode_bench process_bench rom_scan_bench quantise_bench rom_replace_bench uefi_scan_bench >/dev/null

results=$build/results
mkdir -p "$results"
ZARPO2_BENCH_CONVERT=$convert "$src/bench/make_pictures.sh" "$src" "$build/pictures"

common=(--benchmark_enable_random_interleaving=true)

echo "== lh5 decoding ($reps repetitions)" >&2
ZARPO2_BENCH_PAYLOADS=$build/lzh-payloads "$build/bench/lzh_bench" "${common[@]}" \
    --benchmark_repetitions="$reps" > "$results/lzh.txt"

echo "== lh5 encoding ($reps repetitions)" >&2
ZARPO2_BENCH_PICTURES=$build/pictures "$build/bench/lh5_encode_bench" "${common[@]}" \
    --benchmark_repetitions="$reps" > "$results/lh5_encode.txt"

echo "== whole-process PNG conversion ($reps repetitions, $large at 4096x4096)" >&2
ZARPO2_CLI=$build/zarpo2-cli ZARPO2_BENCH_PICTURES=$build/pictures ZARPO2_BENCH_CONVERT=$convert \
    ZARPO2_BENCH_OUT=$build/bench-out ZARPO2_BENCH_REPETITIONS=$reps ZARPO2_BENCH_LARGE_REPETITIONS=$large \
    "$build/bench/process_bench" "${common[@]}" --benchmark_min_time=0.2 > "$results/process.txt"

echo "== ROM scanning ($reps repetitions)" >&2
"$build/bench/rom_scan_bench" "${common[@]}" --benchmark_repetitions="$reps" > "$results/rom_scan.txt"

echo "== quantisation to 16 colours (3 repetitions)" >&2
ZARPO2_BENCH_CONVERT=$convert ZARPO2_BENCH_OUT=$build/bench-out "$build/bench/quantise_bench" "${common[@]}" \
    --benchmark_repetitions=3 > "$results/quantise.txt"
echo "== UEFI scanning ($reps repetitions)" >&2
"$build/bench/uefi_scan_bench" "${common[@]}" --benchmark_repetitions="$reps" > "$results/uefi_scan.txt"

{
    echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "Run: $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$src" rev-parse --short HEAD 2>/dev/null || echo '?')"
    sed -n '/^lh5 decoding, output/,$p' "$results/lzh.txt"
    echo
    sed -n '/^lh5 encoding/,$p' "$results/lh5_encode.txt"
    echo
    sed -n '/^One picture to a 16-bit/,$p' "$results/process.txt"
    echo
    sed -n '/^scan (1 MiB image)/,$p' "$results/rom_scan.txt"
    echo
    sed -n '/^Quantisation to 16/,$p' "$results/quantise.txt"
    sed -n '/^UEFI (16 MiB image)/,$p' "$results/uefi_scan.txt"
} | tee "$results/summary.txt"
