#!/usr/bin/env bash
# Times the headless batch against ImageMagick's mogrify on the same pages:
# PAGES (default 20) A4 colour JPEGs at 300 dpi (2480 x 3508, lines of text on
# paper tone with scanner noise, slightly skewed), copied twice, then in one
# run `tarvo-batch --actions 向右旋转` on one copy and `mogrify -rotate 90` on
# the other; prints both times and their ratio. Then the per-page time of the
# batch for [自动纠斜] and [自动纠斜, 内容加深, 区域清除] (10 mm margins).
#   bench/batch_vs_mogrify.sh
# TARVO_BATCH names a built tarvo-batch; otherwise it is built (Release) in
# TARVO_BENCH_BUILD_DIR (default build-bench) with JOBS jobs.
set -euo pipefail
cd "$(dirname "$0")/.."

pages=${PAGES:-20}
mogrify=${MOGRIFY:-mogrify-im6.q16}
convert=${CONVERT:-convert-im6.q16}
batch=${TARVO_BATCH:-}
if [ -z "$batch" ]; then
  build_dir=${TARVO_BENCH_BUILD_DIR:-build-bench}
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF \
    -DTARVO_BUILD_BENCH=ON >/dev/null
  cmake --build "$build_dir" -j"${JOBS:-2}" --target tarvo-batch >/dev/null
  batch="$build_dir/tarvo-batch"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/master" "$work/ours" "$work/mogrify" "$work/steps"

# Four distinct pages (skew -1.2 .. +1.2 degrees), repeated to make up the set.
make_page() { # out skew seed
  local args=() i
  for i in $(seq 0 44); do
    args+=(-annotate "+200+$((260 + i * 70))"
      "Archive 1957 No. $((i + $3)) - item list, page record and file register $((i * 37 + $3))")
  done
  "$convert" -size 2480x3508 xc:'#f3efe6' -fill '#2a2a30' -font DejaVu-Sans -pointsize 44 \
    "${args[@]}" -attenuate 0.4 +noise Gaussian -background '#f3efe6' -rotate "$2" \
    -gravity center -extent 2480x3508 -units PixelsPerInch -density 300 -quality 90 "$1"
}
skews=(-1.2 -0.4 0.4 1.2)
for k in 0 1 2 3; do
  make_page "$work/master/m$k.jpg" "${skews[$k]}" "$((k * 100))"
done
fill() { # folder
  rm -f "$1"/*.jpg
  local i
  for i in $(seq 1 "$pages"); do
    cp "$work/master/m$((i % 4)).jpg" "$(printf '%s/page_%03d.jpg' "$1" "$i")"
  done
}

# Wall and processor (user + system) seconds: "wall cpu". The processor time
# says more than the wall time on a machine others are using meanwhile.
timed() { # command...
  local log
  log=$(mktemp)
  /usr/bin/time -f '%e %U %S' -o "$log" "$@" >/dev/null 2>&1 || true
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$log"
  rm -f "$log"
}
report() { # label wall cpu
  printf '%-32s %7.2f s wall %7.2f s cpu  (%6.1f ms/page wall)\n' "$1" "$2" "$3" \
    "$(echo "$2 * 1000 / $pages" | bc -l)"
}

fill "$work/ours"
fill "$work/mogrify"
read -r ours ours_cpu < <(timed "$batch" --actions 向右旋转 "$work/ours")
read -r theirs theirs_cpu < <(timed "$mogrify" -rotate 90 "$work/mogrify"/*.jpg)
printf '%d pages, %d cores, load %s\n' "$pages" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
report 'tarvo-batch --actions 向右旋转' "$ours" "$ours_cpu"
report 'mogrify -rotate 90' "$theirs" "$theirs_cpu"
printf 'ratio tarvo-batch / mogrify      %7.2f wall   %7.2f cpu  (target <= 0.40)\n' \
  "$(echo "$ours / $theirs" | bc -l)" "$(echo "$ours_cpu / $theirs_cpu" | bc -l)"

printf '[margins]\ntop=10\nbottom=10\nleft=10\nright=10\n' >"$work/settings.ini"
for actions in 自动纠斜 自动纠斜,内容加深,区域清除; do
  fill "$work/steps"
  read -r t t_cpu < <(timed "$batch" --settings "$work/settings.ini" --actions "$actions" \
    "$work/steps")
  report "[$actions]" "$t" "$t_cpu"
done
