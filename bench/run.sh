#!/usr/bin/env bash
# Builds the benchmarks in release mode and prints one table per benchmark program.
#   bench/run.sh                 all engine benchmarks
#   bench/run.sh 'rotation/.*'   only those whose name matches the filter
# TARVO_BENCH_BUILD_DIR picks the build folder (default build-bench), JOBS the build jobs.
# bench/batch_vs_mogrify.sh times tarvo-batch against mogrify on generated A4 pages, and
# build-bench/bench/bench_window_batch [pages] a batch from the window (run them on their own).
# After the engine tables it prints bench_scan_placement's: scanned pages placed into
# folders of 2000 and 1000 pages (SCAN_RUNS runs each, default 5), then bench_xlsx's:
# a 50,000-row item list workbook read by us and by openpyxl, and a zip bomb refused,
# then bench_split's: 10,000 pages split into 500 items by the tab and by the tool
# (against cp -r), and the checks on 50,000 rows (SPLIT_RUNS runs, default 3;
# SPLIT_PAGE_KIB page size, default 32), then bench_match's: 5,000 items matched against
# 100,000 page images (MATCH_RUNS warm runs, default 5), then bench_preview's: the multi-view preview
# on 300 A4 JPEG pages and a TIFF folder, bench_renumber's: 1000 pages renumbered upwards by one
# through the rename journal, and back (RENUMBER_RUNS runs, default 5), and last bench_trash's:
# 300 pages (TRASH_PAGES) moved to the desktop trash and back.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${TARVO_BENCH_BUILD_DIR:-build-bench}
jobs=${JOBS:-2}
filter=${1:-.}
targets=(bench_imaging bench_pageturn)

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF \
  -DTARVO_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}" bench_window_batch \
  bench_scan_placement bench_xlsx bench_split bench_match bench_preview bench_renumber bench_trash >/dev/null

export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  csv=$(mktemp)
  "$build_dir/bench/$target" --benchmark_filter="$filter" --benchmark_format=csv \
    >"$csv" 2>/dev/null
  echo "== $target"
  # CSV columns: name, iterations, real_time, cpu_time, time_unit, ...
  awk -F, 'NR == 1 { printf "%-44s %12s %12s %6s\n", "benchmark", "real", "cpu", "iter"; next }
           /^"/ { gsub(/"/, "", $1)
                  printf "%-44s %9.2f %-2s %9.2f %-2s %6d\n", $1, $3, $5, $4, $5, $2 }' "$csv"
  rm -f "$csv"
done

echo "== bench_scan_placement"
"$build_dir/bench/bench_scan_placement" "${SCAN_RUNS:-5}" || echo "(a target was missed)"

echo "== bench_xlsx"
"$build_dir/bench/bench_xlsx" || echo "(a target was missed)"

echo "== bench_split"
"$build_dir/bench/bench_split" "${SPLIT_RUNS:-3}" "${SPLIT_PAGE_KIB:-32}" || echo "(the split failed)"

echo "== bench_match"
"$build_dir/bench/bench_match" "${MATCH_RUNS:-5}" || echo "(the match found errors)"

echo "== bench_preview"
"$build_dir/bench/bench_preview" || echo "(a target was missed)"

echo "== bench_renumber"
"$build_dir/bench/bench_renumber" "${RENUMBER_RUNS:-5}" || echo "(a target was missed)"
echo "== bench_trash"
"$build_dir/bench/bench_trash" "${TRASH_PAGES:-300}" || echo "(a target was missed)"

echo "== stats_vs_identify"
cmake --build "$build_dir" -j"$jobs" --target tarvo-tools >/dev/null
TARVO_TOOLS="$build_dir/tarvo-tools" bench/stats_vs_identify.sh
