#!/usr/bin/env bash
# Times `tarvo-tools stats` (headers only) against `identify -ping` on the same
# generated pages: A4 colour JPEG and grey PNG at 300 dpi, 1-bit Group 4 TIFF
# at 600 dpi, hard-linked into
#   1,000 files in 10 folders         target under 0.2 s
#   10,000 files in 100 folders, with the workbook export   target under 2 s
# and prints one table (wall seconds, peak memory).
#   bench/stats_vs_identify.sh
# TARVO_TOOLS names a built tarvo-tools; otherwise it is built (Release) in
# TARVO_BENCH_BUILD_DIR (default build-bench) with JOBS jobs.
set -euo pipefail
cd "$(dirname "$0")/.."

convert=${CONVERT:-convert-im6.q16}
identify=${IDENTIFY:-identify-im6.q16}
tools=${TARVO_TOOLS:-}
if [ -z "$tools" ]; then
  build_dir=${TARVO_BENCH_BUILD_DIR:-build-bench}
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF \
    -DTARVO_BUILD_BENCH=ON >/dev/null
  cmake --build "$build_dir" -j"${JOBS:-2}" --target tarvo-tools >/dev/null
  tools="$build_dir/tarvo-tools"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/master"
"$convert" -size 2480x3508 xc:'#f3efe6' -units PixelsPerInch -density 300 -quality 80 \
  "$work/master/colour.jpg"
"$convert" -size 2480x3508 xc:'#e0e0e0' -colorspace Gray -units PixelsPerInch -density 300 \
  -define png:compression-level=1 "$work/master/grey.png"
"$convert" -size 4961x7016 xc:white -monochrome -units PixelsPerInch -density 600 \
  -compress Group4 "$work/master/bilevel.tif"

make_tree() { # dir folders files-per-folder
  local f i masters=(colour.jpg grey.png bilevel.tif)
  for f in $(seq -w 1 "$2"); do
    mkdir -p "$1/box$f"
    for i in $(seq -w 1 "$3"); do
      local m=${masters[$((10#$i % 3))]}
      ln "$work/master/$m" "$1/box$f/p$i.${m##*.}"
    done
  done
}
make_tree "$work/t1000" 10 100
make_tree "$work/t10000" 100 100

measure() { # label command...: prints "seconds peak-MB"
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1 || true
  awk '{ printf "%8.2f s %7.1f MB", $1, $2 / 1024 }' "$work/time"
}
identify_all() { find "$1" -type f -print0 | xargs -0 "$identify" -ping >/dev/null; }
export -f identify_all
export identify

printf '%-36s %-22s %-22s %s\n' "case" "tarvo-tools stats" "identify -ping" "target"
printf '%-36s %s   %s   %s\n' "1,000 files" \
  "$(measure "$tools" stats "$work/t1000")" \
  "$(measure bash -c 'identify_all "$0"' "$work/t1000")" "< 0.2 s"
printf '%-36s %s   %s   %s\n' "10,000 files, tree + xlsx export" \
  "$(measure "$tools" stats --xlsx "$work/out.xlsx" "$work/t10000")" \
  "$(measure bash -c 'identify_all "$0"' "$work/t10000")" "< 2 s"
