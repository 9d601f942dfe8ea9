#!/usr/bin/env bash
# Times our benchmark programs and the peer tools on the same inputs in one run and prints
# the ratios (peer time / our time: above 1 means we are faster).
#
#   bench/peers.sh [BUILD_DIR]     default BUILD_DIR: build-bench (configured and built here)
#   PEER_SECTIONS=tone RUNS=3 bench/peers.sh   one section, fewer runs
#
# Each subsystem adds a section: a function section_<name> that makes its inputs under
# $OUT, runs our program and the peers with `ours_ms` / `peer_ms`, and reports with
# `ratio`. Sections run in the order listed in SECTIONS at the bottom.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-bench}"
OUT="$ROOT/bench/out"
RUNS="${RUNS:-5}"
mkdir -p "$OUT"
# shellcheck source=../scripts/deps.sh
source "$ROOT/scripts/deps.sh"
pelira_install libbenchmark-dev imagemagick python3

# Debian's ImageMagick policy caps memory at 256 MiB; ours lets big pictures stay in memory.
export MAGICK_CONFIGURE_PATH="$ROOT/bench"
IM_CONVERT=convert-im6.q16

build() {
  if [[ ! -f "$BUILD/build.ninja" ]]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELIRA_GUI=OFF -DPELIRA_TESTS=OFF \
      -DPELIRA_BENCH=ON >/dev/null
  fi
  ninja -C "$BUILD" -j2 "$@" >/dev/null
}

# Median wall time in ms of a command over $RUNS runs.
peer_ms() {
  python3 - "$RUNS" "$@" <<'PY'
import subprocess, sys, time, statistics
runs = int(sys.argv[1]); cmd = sys.argv[2:]
subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)  # warm the cache
times = []
for _ in range(runs):
    t = time.perf_counter(); subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    times.append((time.perf_counter() - t) * 1000)
print(f"{statistics.median(times):.1f}")
PY
}

# Real time in ms of one benchmark (by exact name) of one of our programs.
ours_ms() {
  local program="$1" name="$2"
  shift 2
  "$program" --benchmark_filter="^${name}(/|\$)" --benchmark_repetitions="$RUNS" \
    --benchmark_report_aggregates_only=true --benchmark_format=json "$@" 2>/dev/null |
    python3 -c '
import json, sys
d = json.load(sys.stdin)
b = [x for x in d["benchmarks"] if x.get("aggregate_name") == "median"] or d["benchmarks"]
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1, "s": 1000}[b[0]["time_unit"]]
print("%.1f" % (b[0]["real_time"] * scale))'
}

ratio() {  # label ours_ms peer_ms peer_name
  python3 -c "
import sys
label, ours, peer, name = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
print(f'{label:<40} ours {ours:9.1f} ms   {name} {peer:9.1f} ms   ratio {peer / ours:6.2f}x')" "$@"
}

section_bmp_load() {
  build bench_bmp_load
  local photo="$OUT/photo24.bmp" fax="$OUT/fax1.bmp"
  [[ -f "$photo" ]] || "$IM_CONVERT" -size 6000x4000 gradient:red-blue -type TrueColor BMP3:"$photo"
  [[ -f "$fax" ]] || "$IM_CONVERT" -size 1728x2200 pattern:checkerboard -monochrome BMP3:"$fax"
  export PELIRA_BENCH_BMP24="$photo" PELIRA_BENCH_FAX="$fax"
  local prog="$BUILD/bench/bench_bmp_load"
  ratio "BMP 6000x4000 24-bit load (pipeline)" "$(ours_ms "$prog" BM_Bmp24_Pipeline)" \
    "$(peer_ms "$IM_CONVERT" "$photo" rgb:/dev/null)" "convert"
  ratio "BMP 6000x4000 24-bit load (codec)" "$(ours_ms "$prog" BM_Bmp24_Codec)" \
    "$(peer_ms "$IM_CONVERT" "$photo" rgb:/dev/null)" "convert"
  ratio "BMP 1728x2200 1-bit fax load" "$(ours_ms "$prog" BM_Fax1_Pipeline)" \
    "$(peer_ms "$IM_CONVERT" "$fax" gray:/dev/null)" "convert"
}

# ImageMagick's time for one operation alone: the run with it minus the bare read and write.
im_op_ms() {  # input op...
  local input="$1"
  shift
  python3 -c "import sys; print('%.1f' % max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" \
    "$(peer_ms "$IM_CONVERT" "$input" "$@" null:)" "$(peer_ms "$IM_CONVERT" "$input" null:)"
}

section_tone() {
  build bench_tone
  local big="$OUT/big.mpc"
  [[ -f "$big" ]] || "$IM_CONVERT" -size 6000x4000 gradient:red-blue -attenuate 0.3 +noise Uniform -type TrueColor "$big"
  local prog="$BUILD/bench/bench_tone"
  local copy
  copy="$(ours_ms "$prog" BM_Memcpy)"
  python3 -c "
import sys
c = float(sys.argv[1])
for name, v in zip(sys.argv[2::2], sys.argv[3::2]):
    print(f'{name:<40} ours {float(v):9.1f} ms   memcpy {c:9.1f} ms   {float(v) / c:5.2f}x the copy')" "$copy" \
    "three tone tables 6000x4000" "$(ours_ms "$prog" BM_ThreeToneTables)" \
    "histogram pass 6000x4000" "$(ours_ms "$prog" BM_HistogramPass)"
  ratio "Negative 6000x4000" "$(ours_ms "$prog" BM_Negative)" "$(im_op_ms "$big" -negate)" "-negate"
  ratio "Gamma 1.5 6000x4000" "$(ours_ms "$prog" BM_Gamma)" "$(im_op_ms "$big" -gamma 1.5)" "-gamma"
  ratio "Auto contrast 6000x4000" "$(ours_ms "$prog" BM_AutoContrast)" "$(im_op_ms "$big" -auto-level)" "-auto-level"
}

# PEER_SECTIONS="tone" runs only the sections named.
read -r -a SECTIONS <<< "${PEER_SECTIONS:-bmp_load tone}"
for s in "${SECTIONS[@]}"; do
  echo "== $s"
  "section_$s"
done
