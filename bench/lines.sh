#!/bin/sh
# Times the filter on a generated picture of lines, polygons and smoothed
# paths: prints the objects converted per second and the peak memory.
#   bench/lines.sh [count]     (build folder: $BUILD, default build/)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
cmake --build "$build" --target picttotov gen_lines >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
objects=$("$build/bench/gen_lines" "$work/lines.pict" "${1:-200000}")
start=$(date +%s.%N)
/usr/bin/time -v "$build/picttotov" "$work/lines.pict" "$work/lines.tov" \
  2>"$work/time.txt"
end=$(date +%s.%N)
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
awk -v n="$objects" -v s="$start" -v e="$end" -v kb="$peak" \
  -v bytes="$(wc -c <"$work/lines.pict")" -v out="$(wc -c <"$work/lines.tov")" \
  'BEGIN {
     t = e - s
     printf "objects: %d (picture %d bytes, document %d bytes)\n", n, bytes, out
     printf "time: %.3f s, %.0f objects/s\n", t, n / t
     printf "peak memory: %d KB\n", kb
   }'
