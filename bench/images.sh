#!/bin/sh
# Measures the image path: generates a picture with a 4000 x 4000 packed
# 8-bit pixel map and a 6000 x 6000 packed bitmap, converts it, and prints
# the input size, the time, the input megabytes per second and the peak
# memory of the filter.
#
#   bench/images.sh [BUILD_DIR]   (default: build)
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/gen_images" "$work/images.pict"
bytes=$(wc -c < "$work/images.pict")
/usr/bin/time -f '%e %M' -o "$work/time" \
  "$build/picttotov" "$work/images.pict" "$work/images.tov"
read -r seconds peak_kb < "$work/time"
out_bytes=$(wc -c < "$work/images.tov")
awk -v b="$bytes" -v o="$out_bytes" -v s="$seconds" -v m="$peak_kb" 'BEGIN {
  printf "input  %.1f MB\noutput %.1f MB\ntime   %.2f s\n", b / 1e6, o / 1e6, s
  printf "speed  %.1f MB/s of input\npeak   %.1f MB resident\n",
         (s > 0 ? b / 1e6 / s : 0), m / 1024
}'
