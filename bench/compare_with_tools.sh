#!/usr/bin/env bash
# Times, in one run over one folder: reading every file whole (cat), pulling every
# icon group out with wrestool (Debian's icoutils), and our extraction of every icon at
# 32 x 32 (bench_extract_bench). Usage: compare_with_tools.sh BUILD_DIR [FOLDER]
set -euo pipefail
build=${1:?build directory with bench_extract_bench}
folder=${2:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
now() { date +%s.%N; }
cat "$folder"/* > /dev/null  # warm the page cache for every contender alike
t0=$(now); cat "$folder"/* > /dev/null; t1=$(now)
for f in "$folder"/*; do wrestool -x -t 14 "$f" > /dev/null 2>&1 || true; done; t2=$(now)
ours=$(PELLIMAR_BENCH_DIR=$folder "$build"/bench_extract_bench --benchmark_filter=ExtractEveryIcon32 \
        --benchmark_format=csv 2>/dev/null | awk -F, '/ExtractEveryIcon32/ {print $3 / 1000}')
awk -v c="$(echo "$t1 - $t0" | bc)" -v w="$(echo "$t2 - $t1" | bc)" -v o="$ours" 'BEGIN {
  printf "cat: %.3f s  wrestool -x -t 14: %.3f s  pellimar (all icons at 32x32): %.3f s\n", c, w, o
  printf "pellimar/cat = %.2f   pellimar/wrestool = %.2f\n", o / c, o / w }'
