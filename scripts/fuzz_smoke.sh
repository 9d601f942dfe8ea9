#!/usr/bin/env bash
# The fuzz smoke of the test command: builds every libFuzzer target (fuzz/*.cpp) with clang in
# build/fuzz (the core library and the targets only) and runs each for PELIRA_FUZZ_SECONDS
# (20) on its seed corpus, two at a time. Any finding (crash, sanitizer report, leak, an input
# slower than 10 s, memory past 2 GB) fails the run; the input is kept in build/fuzz/findings.
# Seeds: the test fixtures of the target's format, fuzz/seeds/<target>/, or nothing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
pelira_install "${PELIRA_FUZZ_PACKAGES[@]}"

build="${PELIRA_FUZZ_BUILD:-$root/build/fuzz}"
seconds="${PELIRA_FUZZ_SECONDS:-20}"
jobs="$(nproc)"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# -O1 with line tables: quick to build, and a finding's stack still names the lines.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DPELIRA_FUZZ=ON -DPELIRA_GUI=OFF -DPELIRA_TESTS=OFF -DPELIRA_BENCH=OFF "${launcher[@]}" >/dev/null
targets=()
for src in "$root"/fuzz/*.cpp; do targets+=("fuzz_$(basename "$src" .cpp)"); done
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

fx="$root/tests/fixtures"
# The fixtures each target starts from.
seed_files() {
  case "$1" in
    bmp_reader) ls "$fx"/image/*.bmp "$fx"/viewer/*.bmp ;;
    dcx_document) ls "$fx"/formats/*.dcx ;;
    gif_reader) ls "$fx"/formats/*.gif ;;
    icon_reader) ls "$fx"/formats/*.ico ;;
    jpeg_reader) ls "$fx"/codecs/jpeg/*.jpg "$fx"/codecs/jpeg/enc/*.jpg ;;
    metafile) ls "$fx"/formats/*.wmf "$fx"/formats/*.emf ;;
    pcx_reader) ls "$fx"/formats/*.pcx ;;
    png_reader) ls "$fx"/codecs/png/*.png ;;
    psd_reader) ls "$fx"/formats/*.psd ;;
    tga_reader) ls "$fx"/formats/*.tga ;;
    tiff_reader) ls "$fx"/codecs/tiff/*.tif ;;
  esac 2>/dev/null || true
  if [ -d "$root/fuzz/seeds/$1" ]; then ls -d "$root/fuzz/seeds/$1"/*; fi
}

# Seeds that are made rather than kept: the probe's inputs are a byte that picks the file name
# followed by the file; a Photo CD pack needs its signature 2 KiB in and 44 KiB of planes.
make_seeds() {
  local name=$1 dir=$2
  case "$name" in
    probe)
      python3 - "$dir" "$fx" <<'EOF'
import glob, os, sys
out, fx = sys.argv[1], sys.argv[2]
# Index of the name in the probe target's table, by extension.
picks = {'bmp': 0, 'dcx': 3, 'tif': 4, 'png': 5, 'jpg': 6, 'gif': 7, 'psd': 8, 'tga': 9, 'pcx': 10, 'wmf': 12}
n = 0
for path in sorted(glob.glob(fx + '/**/*.*', recursive=True)):
    ext = path.rsplit('.', 1)[-1].lower()
    if ext in picks and os.path.getsize(path) < 200000:
        open(os.path.join(out, 'seed%03d' % n), 'wb').write(bytes([picks[ext]]) + open(path, 'rb').read())
        n += 1
EOF
      ;;
    pcd_reader)
      python3 -c "
import sys
b = bytearray(0x2000 + 192 * 128 * 3 // 2)
b[0x800:0x807] = b'PCD_IPI'
for i in range(0x2000, len(b)): b[i] = (i * 7) & 255
open(sys.argv[1] + '/pack.pcd', 'wb').write(bytes(b))" "$dir"
      ;;
  esac
}

run_one() {
  local name=$1 exe="$build/fuzz/fuzz_$1" corpus="$build/corpus/$1" log="$build/logs/$1.log"
  rm -rf "$corpus" && mkdir -p "$corpus" "$build/logs" "$build/findings"
  local f
  for f in $(seed_files "$name"); do cp "$f" "$corpus/"; done
  make_seeds "$name" "$corpus"
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$name-" "$corpus" >"$log" 2>&1; then
    echo "fuzz $name: $(grep -c . <<<"$(ls "$corpus")") inputs, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs, no finding"
  else
    echo "fuzz $name: FINDING"
    tail -n 40 "$log"
    return 1
  fi
}
export -f run_one seed_files make_seeds
export build seconds fx root

printf '%s\n' "${targets[@]#fuzz_}" | xargs -P "$jobs" -I{} bash -c 'run_one {}' && exit 0
echo "fuzz smoke: findings above; inputs in $build/findings"
exit 1
