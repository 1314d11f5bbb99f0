#!/usr/bin/env bash
# Times tarvo-scan against SANE's own scanimage on the same virtual scanner:
# a feeder batch of ten A4 colour pages at 300 dpi written as JPEG, on SANE's
# "test" device with its colour pattern (so the encoder has real work), RUNS
# times each (default 3), alternating, and prints the median times and their
# ratio. Then the start-up of the TWAIN connection (bench_scan_startup).
#   bench/scan_vs_scanimage.sh
# TARVO_BENCH_BUILD_DIR picks the build folder (default build-bench), JOBS the build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-3}
build_dir=${TARVO_BENCH_BUILD_DIR:-build-bench}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF \
  -DTARVO_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" -j"${JOBS:-2}" --target tarvo-scan tarvo_twaindsm bench_scan_startup >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r tests/scan/sane "$work/sane"
sed -i 's/^test-picture .*/test-picture "Color pattern"/' "$work/sane/test.conf"
export SANE_CONFIG_DIR="$work/sane"
export TARVO_TWAIN_DSM="$PWD/$build_dir/libtarvo-twaindsm.so"

seconds() { # command...
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
scanimage_run() {
  rm -rf "$work/si" && mkdir "$work/si"
  # scanimage ends a feeder batch with a non-zero status when the feeder runs empty.
  scanimage -d test:0 --source "Automatic Document Feeder" --mode Color --resolution 300 \
    -l 0 -t 0 -x 210 -y 297 --format=jpeg --batch="$work/si/p%04d.jpg" || true
  [ "$(ls "$work/si" | wc -l)" -eq 10 ]
}
tarvo_run() {
  rm -rf "$work/tv" && mkdir "$work/tv"
  "$build_dir/tarvo-scan" --device test:0 --adf --colour 彩色 --dpi 300 --size A4 --format .jpg \
    --length 4 "$work/tv"
  [ "$(ls "$work/tv" | wc -l)" -eq 10 ]
}

si=() tv=()
for _ in $(seq 1 "$runs"); do
  si+=("$(seconds scanimage_run)")
  tv+=("$(seconds tarvo_run)")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
m_si=$(median "${si[@]}")
m_tv=$(median "${tv[@]}")
printf '%-40s %8s\n' "ten feeder pages, A4 300 dpi colour JPEG" "seconds"
printf '%-40s %8.2f\n' "scanimage --batch --format=jpeg" "$m_si"
printf '%-40s %8.2f\n' "tarvo-scan --adf" "$m_tv"
printf '%-40s %8.2f\n' "ratio tarvo-scan / scanimage" "$(awk -v a="$m_tv" -v b="$m_si" 'BEGIN { print a / b }')"
echo
"$build_dir/bench/bench_scan_startup"
