#!/usr/bin/env bash
# Peak memory of loading and saving a 6000 x 4000 picture, each case in a process of its own
# under /usr/bin/time -f %M, against the goal: a 24-bit picture at most 1.2x its pixel buffer
# + 40 MB, a palette picture at most 2x + 40 MB. Exit status 1 when a case misses it.
#
#   bench/peak_memory.sh [BUILD_DIR]     default BUILD_DIR: build-bench (configured and built here)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-bench}"
export PELIRA_PEAK_DIR="${PELIRA_PEAK_DIR:-$ROOT/bench/out/peak}"
source "$ROOT/scripts/deps.sh"
pelira_install libbenchmark-dev time python3
if [[ ! -f "$BUILD/build.ninja" ]]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELIRA_GUI=OFF -DPELIRA_TESTS=OFF \
    -DPELIRA_BENCH=ON >/dev/null
fi
ninja -C "$BUILD" -j2 bench_peak_memory >/dev/null
program="$BUILD/bench/bench_peak_memory"
[[ -f "$PELIRA_PEAK_DIR/tiff8.tif" ]] || "$program" make "$PELIRA_PEAK_DIR"

picture24=$((6000 * 3 * 4000))
picture8=$((6000 * 4000))
failed=0
for case in Load/bmp24 Load/png24 Load/tiff24 Load/zip24 Load/jpeg24 Load/bmp8 Load/png8 Load/tiff8 \
            Save/bmp24 Save/tiff24 Save/zip24 Save/bmp8 Save/tiff8; do
  /usr/bin/time -f %M -o "$BUILD/peak.kb" "$program" --benchmark_filter="^${case}/" >/dev/null 2>&1
  kb="$(tail -n 1 "$BUILD/peak.kb")"
  if [[ "$case" == *24 ]]; then bytes=$picture24; factor=1.2; else bytes=$picture8; factor=2; fi
  line="$(python3 -c "
import sys
kb, bytes, factor, name = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
mb, pic = kb / 1024, bytes / 2**20
goal = factor * pic + 40
print(f'{name:<14} peak {mb:7.1f} MB   picture {pic:6.1f} MB   {mb / pic:4.2f}x   goal {goal:6.1f} MB   ' + ('ok' if mb <= goal else 'MISSED'))
" "$kb" "$bytes" "$factor" "$case")"
  echo "$line"
  [[ "$line" == *MISSED ]] && failed=1
done
exit "$failed"
