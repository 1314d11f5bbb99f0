#!/usr/bin/env bash
# Times tarvo-tools against the usual command-line tools on the same generated
# A4 colour JPEG pages (2480 x 3508 at 300 dpi, text lines on paper tone with
# scanner noise), each run measured for wall time and peak memory:
#   merge to PDF, 20/100/300 pages:  tarvo-tools merge --to pdf   vs img2pdf (when installed)
#   merge to TIFF, 100 pages:        tarvo-tools merge --to tif   vs convert -compress lzw
#   convert 100 files to TIF:        tarvo-tools convert --to tif vs mogrify -format tif
#                                    (both uncompressed), and both with LZW
# and prints one table. PDF size is compared with the JPEG data it holds.
# The system's ImageMagick policy caps the pixel cache (convert gives up after
# about 18 A4 pages); the peers run with a policy of the bench's own, found
# first through MAGICK_CONFIGURE_PATH, that lifts the area and disk caps only.
#   bench/convert_vs_peers.sh
# TARVO_TOOLS names a built tarvo-tools; otherwise it is built (Release) in
# TARVO_BENCH_BUILD_DIR (default build-bench) with JOBS jobs. COUNTS overrides
# the page counts of the PDF merge (default "20 100 300").
set -euo pipefail
cd "$(dirname "$0")/.."

convert=${CONVERT:-convert-im6.q16}
mogrify=${MOGRIFY:-mogrify-im6.q16}
identify=${IDENTIFY:-identify-im6.q16}
counts=${COUNTS:-20 100 300}
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
mkdir -p "$work/master" "$work/peer-policy"
cat >"$work/peer-policy/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="area" value="16GP"/>
  <policy domain="resource" name="disk" value="64GiB"/>
</policymap>
XML
peer_env=(env MAGICK_CONFIGURE_PATH="$work/peer-policy")

make_page() { # out seed
  local args=() i
  for i in $(seq 0 44); do
    args+=(-annotate "+200+$((260 + i * 70))"
      "Archive 1957 No. $((i + $2)) - item list, page record and file register $((i * 37 + $2))")
  done
  "$convert" -size 2480x3508 xc:'#f3efe6' -fill '#2a2a30' -font DejaVu-Sans -pointsize 44 \
    "${args[@]}" -attenuate 0.4 +noise Gaussian -units PixelsPerInch -density 300 \
    -quality 90 "$1"
}
for k in 0 1 2 3; do
  make_page "$work/master/m$k.jpg" "$((k * 100))"
done

# A data directory with one item folder of n pages: DATADIR/0001/page_NNN.jpg.
make_item() { # datadir pages
  rm -rf "$1"
  mkdir -p "$1/0001"
  local i
  for i in $(seq 1 "$2"); do
    cp "$work/master/m$((i % 4)).jpg" "$(printf '%s/0001/page_%03d.jpg' "$1" "$i")"
  done
}

# "wall_seconds peak_MB" of one command; /usr/bin/time -v when present, else
# the shell's own clock and the children's peak from getrusage (python3).
measure() { # command...
  local log
  log=$(mktemp)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v -o "$log" "$@" >/dev/null 2>&1 || true
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
                  for (i = 1; i <= n; i++) s = s * 60 + p[i]; wall = s }
                /Maximum resident set size/ { mb = $2 / 1024 }
                END { printf "%.2f %.0f\n", wall, mb }' "$log"
  else
    python3 - "$@" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.monotonic() - start
print("%.2f %.0f" % (wall, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024))
PY
  fi
  rm -f "$log"
}

rows=()
row() { # task tool wall mb note
  rows+=("$(printf '%-26s %-34s %8.2f s %8s MB  %s' "$1" "$2" "$3" "$4" "$5")")
}
jpeg_bytes() { du -cb "$1"/0001/*.jpg | tail -1 | cut -f1; }
# "N pages, compression C, B bytes" of a TIFF (0 pages when the tool gave up).
tiff_note() { # file
  local pages compression
  pages=$("$identify" -ping -format '%n\n' "$1" 2>/dev/null | head -1 || true)
  compression=$("$identify" -ping -format '%C\n' "$1" 2>/dev/null | head -1 || true)
  printf '%s pages, %s, %s bytes' "${pages:-0}" "${compression:-?}" "$(stat -c %s "$1" 2>/dev/null || echo 0)"
}

for n in $counts; do
  make_item "$work/pdf" "$n"
  data=$(jpeg_bytes "$work/pdf")
  read -r wall mb < <(measure "$tools" merge --to pdf "$work/pdf")
  size=$(stat -c %s "$work/pdf/0001.pdf")
  row "merge to PDF, $n pages" "tarvo-tools merge --to pdf" "$wall" "$mb" \
    "$(echo "scale=3; ($size - $data) * 100 / $data" | bc -l) % over JPEG data"
  if command -v img2pdf >/dev/null; then
    read -r wall mb < <(measure img2pdf -o "$work/peer.pdf" "$work/pdf"/0001/*.jpg)
    size=$(stat -c %s "$work/peer.pdf")
    row "merge to PDF, $n pages" "img2pdf" "$wall" "$mb" \
      "$(echo "scale=3; ($size - $data) * 100 / $data" | bc -l) % over JPEG data"
  else
    row "merge to PDF, $n pages" "img2pdf (not installed)" 0 - ""
  fi
done

make_item "$work/tif" 100
read -r wall mb < <(measure "$tools" merge --to tif "$work/tif")
row "merge to TIFF, 100 pages" "tarvo-tools merge --to tif" "$wall" "$mb" \
  "$(tiff_note "$work/tif/0001.tif")"
read -r wall mb < <(measure "${peer_env[@]}" "$convert" "$work/tif"/0001/*.jpg -compress lzw \
  "$work/peer.tif")
row "merge to TIFF, 100 pages" "convert -compress lzw" "$wall" "$mb" \
  "$(tiff_note "$work/peer.tif")"

make_item "$work/conv" 100
read -r wall mb < <(measure "$tools" convert --to tif "$work/conv")
row "convert 100 files to TIF" "tarvo-tools convert --to tif" "$wall" "$mb" \
  "$(tiff_note "$work/conv/0001/page_001.tif")"
make_item "$work/conv" 100
read -r wall mb < <(measure "${peer_env[@]}" "$mogrify" -format tif "$work/conv"/0001/*.jpg)
row "convert 100 files to TIF" "mogrify -format tif" "$wall" "$mb" \
  "$(tiff_note "$work/conv/0001/page_001.tif")"
make_item "$work/conv" 100
read -r wall mb < <(measure "$tools" convert --to tif --lzw "$work/conv")
row "convert 100 files to TIF" "tarvo-tools convert --to tif --lzw" "$wall" "$mb" \
  "$(tiff_note "$work/conv/0001/page_001.tif")"
make_item "$work/conv" 100
read -r wall mb < <(measure "${peer_env[@]}" "$mogrify" -format tif -compress lzw \
  "$work/conv"/0001/*.jpg)
row "convert 100 files to TIF" "mogrify -format tif -compress lzw" "$wall" "$mb" \
  "$(tiff_note "$work/conv/0001/page_001.tif")"

printf '%d cores, load %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %-34s %10s %11s  %s\n' task tool wall peak note
printf '%s\n' "${rows[@]}"
