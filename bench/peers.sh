#!/usr/bin/env bash
# Times our benchmark programs and the peer tools on the same inputs in one run and prints
# the ratios (peer time / our time: above 1 means we are faster).
#
#   bench/peers.sh [BUILD_DIR]     default BUILD_DIR: build-bench (configured and built here)
#   PELIRA_SECTIONS="codecs" bench/peers.sh    only the sections named
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
pelira_install libbenchmark-dev imagemagick python3 libvips-tools time

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

section_codecs() {
  # The peers: djpeg and cjpeg, tiffcp and tiff2rgba.
  (source "$ROOT/scripts/deps.sh" && pelira_install libjpeg-turbo-progs libtiff-tools imagemagick libbenchmark-dev)
  build bench_codecs_load
  local ppm="$OUT/photo.ppm" jpg="$OUT/photo.jpg" rgb="$OUT/rgb4000.ppm" png="$OUT/rgb4000.png" tif="$OUT/rgb4000.tif"
  [[ -f "$ppm" ]] || "$IM_CONVERT" -size 6000x4000 -seed 5 plasma:fractal -depth 8 "$ppm"
  [[ -f "$jpg" ]] || cjpeg -quality 90 "$ppm" > "$jpg"
  [[ -f "$rgb" ]] || "$IM_CONVERT" "$ppm" -resize 4000x3000! -depth 8 "$rgb"
  [[ -f "$png" ]] || "$IM_CONVERT" "$rgb" -define png:color-type=2 "$png"
  [[ -f "$tif" ]] || tiffcp -c zip "$rgb" "$tif" 2>/dev/null || "$IM_CONVERT" "$rgb" -compress Zip "$tif"
  export PELIRA_BENCH_JPEG="$jpg" PELIRA_BENCH_PPM="$ppm" PELIRA_BENCH_PNG="$png" PELIRA_BENCH_TIFF="$tif"
  local prog="$BUILD/bench/bench_codecs_load"
  ratio "JPEG 6000x4000 decode, full" "$(ours_ms "$prog" BM_Jpeg_Decode/0)" \
    "$(peer_ms djpeg -dct fast -outfile /dev/null "$jpg")" "djpeg"
  ratio "JPEG 6000x4000 decode, 1/8" "$(ours_ms "$prog" BM_Jpeg_Decode/3)" \
    "$(peer_ms djpeg -dct fast -scale 1/8 -outfile /dev/null "$jpg")" "djpeg"
  ratio "JPEG 6000x4000 Save As encoder" "$(ours_ms "$prog" BM_Jpeg_SaveAs)" \
    "$(peer_ms cjpeg -quality 75 -optimize -dct float -sample 1x1 -progressive -outfile /dev/null "$ppm")" "cjpeg"
  ratio "PNG 4000x3000 RGB decode" "$(ours_ms "$prog" BM_Png_Decode)" \
    "$(peer_ms "$IM_CONVERT" "$png" rgb:/dev/null)" "convert"
  ratio "TIFF 4000x3000 Deflate decode" "$(ours_ms "$prog" BM_Tiff_Deflate_Decode)" \
    "$(peer_ms tiff2rgba -c none "$tif" "$OUT/tiff2rgba.tif")" "tiff2rgba"
}

section_formats_load() {
  build bench_formats_load
  local photo="$OUT/photo4000.bmp" p24="$OUT/f24.pcx" p8="$OUT/f8.pcx" t24="$OUT/f24.tga" trle="$OUT/frle.tga"
  local gif="$OUT/f.gif"
  if [[ ! -f "$photo" ]]; then
    "$IM_CONVERT" -size 4000x3000 -seed 11 plasma:fractal -blur 0x1 -type TrueColor BMP3:"$photo"
  fi
  [[ -f "$p24" ]] || "$IM_CONVERT" "$photo" -type TrueColor PCX:"$p24"
  [[ -f "$p8" ]] || "$IM_CONVERT" "$photo" +dither -colors 256 -type Palette PCX:"$p8"
  [[ -f "$t24" ]] || "$IM_CONVERT" "$photo" -compress None TGA:"$t24"
  [[ -f "$trle" ]] || "$IM_CONVERT" "$photo" -compress RLE TGA:"$trle"
  [[ -f "$gif" ]] || "$IM_CONVERT" "$photo" +dither -colors 256 GIF:"$gif"
  export PELIRA_BENCH_PHOTO="$photo" PELIRA_BENCH_PCX24="$p24" PELIRA_BENCH_PCX8="$p8"
  export PELIRA_BENCH_TGA24="$t24" PELIRA_BENCH_TGARLE="$trle" PELIRA_BENCH_GIF="$gif"
  local prog="$BUILD/bench/bench_formats_load"
  ratio "PCX 4000x3000 24-bit decode" "$(ours_ms "$prog" BM_Pcx24)" "$(peer_ms "$IM_CONVERT" "$p24" rgb:/dev/null)" "convert"
  ratio "PCX 4000x3000 8-bit decode" "$(ours_ms "$prog" BM_Pcx8)" "$(peer_ms "$IM_CONVERT" "$p8" rgb:/dev/null)" "convert"
  ratio "TGA 4000x3000 24-bit decode" "$(ours_ms "$prog" BM_Tga24)" "$(peer_ms "$IM_CONVERT" "$t24" rgb:/dev/null)" "convert"
  ratio "TGA 4000x3000 24-bit RLE decode" "$(ours_ms "$prog" BM_TgaRle)" "$(peer_ms "$IM_CONVERT" "$trle" rgb:/dev/null)" "convert"
  ratio "GIF 4000x3000 decode" "$(ours_ms "$prog" BM_Gif)" "$(peer_ms "$IM_CONVERT" "$gif" rgb:/dev/null)" "convert"
  ratio "4000x3000 photo to 256 colours, dithered" "$(ours_ms "$prog" BM_Reduce256Dither)" \
    "$(peer_ms "$IM_CONVERT" "$photo" -dither FloydSteinberg -colors 256 BMP3:/dev/null)" "convert"
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

# HLS tune against ImageMagick's -modulate (lightness, saturation and hue in one pass), both
# on the 6000 x 4000 picture of the tone section; ImageMagick's read is taken off.
section_colors() {
  build bench_colors
  local big="$OUT/big.mpc"
  [[ -f "$big" ]] || "$IM_CONVERT" -size 6000x4000 gradient:red-blue -attenuate 0.3 +noise Uniform -type TrueColor "$big"
  local prog="$BUILD/bench/bench_colors"
  ratio "HLS tune 6000x4000" "$(ours_ms "$prog" BM_HlsTune)" "$(im_op_ms "$big" -modulate 105,120,110)" "-modulate"
  ratio "HLS tune 6000x4000, vector loop vs per pixel" "$(ours_ms "$prog" BM_HlsTune)" "$(ours_ms "$prog" BM_HlsTunePerPixel)" "per-pixel"
  ratio "RGB Maximum 6000x4000" "$(ours_ms "$prog" BM_RgbMaximum)" \
    "$(im_op_ms "$big" -separate -evaluate-sequence max)" "-evaluate-sequence"
}

section_spatial_filters() {
  build bench_spatial_filters
  local ppm="$OUT/filters6000.ppm" mpc="$OUT/filters6000.mpc" v="$OUT/filters6000.v" mask="$OUT/box3.mat"
  [[ -f "$ppm" ]] || "$IM_CONVERT" -size 6000x4000 -seed 5 plasma:fractal -blur 0x1 -depth 8 "$ppm"
  [[ -f "$mpc" ]] || "$IM_CONVERT" "$ppm" "$mpc"
  [[ -f "$v" ]] || vips copy "$ppm" "$v"
  printf '3 3 9 0\n1 1 1\n1 1 1\n1 1 1\n' > "$mask"
  export PELIRA_BENCH_FILTER_PHOTO="$ppm"
  local prog="$BUILD/bench/bench_spatial_filters"
  # The peers read and write around the operation: their time for reading the picture and
  # writing it unchanged is taken off, leaving the operation alone.
  local im_base vips_base
  im_base=$(peer_ms "$IM_CONVERT" "$mpc" null:)
  vips_base=$(peer_ms vips copy "$v" "$OUT/out.v")
  alone() { python3 -c "import sys; print(max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" "$1" "$2"; }
  local box med3 med5 med7 unsharp
  box=$(ours_ms "$prog" BM_GaussianBlur3x3)
  med3=$(ours_ms "$prog" BM_Median/2)
  med5=$(ours_ms "$prog" BM_Median/6)
  med7=$(ours_ms "$prog" BM_Median/9)
  unsharp=$(ours_ms "$prog" BM_UnsharpMask)
  ratio "6000x4000 3x3 box (GaussianBlur3x3)" "$box" \
    "$(alone "$(peer_ms "$IM_CONVERT" "$mpc" -convolve 1,1,1,1,1,1,1,1,1 null:)" "$im_base")" "convert"
  ratio "6000x4000 3x3 box (GaussianBlur3x3)" "$box" \
    "$(alone "$(peer_ms vips conv "$v" "$OUT/out.v" "$mask" --precision integer)" "$vips_base")" "vips"
  ratio "6000x4000 median 3x3 (Despeckle 2)" "$med3" \
    "$(alone "$(peer_ms "$IM_CONVERT" "$mpc" -statistic Median 3x3 null:)" "$im_base")" "convert"
  ratio "6000x4000 median 3x3 (Despeckle 2)" "$med3" \
    "$(alone "$(peer_ms vips rank "$v" "$OUT/out.v" 3 3 4)" "$vips_base")" "vips"
  ratio "6000x4000 median 5x5 (Despeckle 6)" "$med5" \
    "$(alone "$(peer_ms "$IM_CONVERT" "$mpc" -statistic Median 5x5 null:)" "$im_base")" "convert"
  ratio "6000x4000 median 5x5 (Despeckle 6)" "$med5" \
    "$(alone "$(peer_ms vips rank "$v" "$OUT/out.v" 5 5 12)" "$vips_base")" "vips"
  ratio "6000x4000 median 7x7 (Despeckle 9)" "$med7" \
    "$(alone "$(peer_ms "$IM_CONVERT" "$mpc" -statistic Median 7x7 null:)" "$im_base")" "convert"
  ratio "6000x4000 median 7x7 (Despeckle 9)" "$med7" \
    "$(alone "$(peer_ms vips rank "$v" "$OUT/out.v" 7 7 24)" "$vips_base")" "vips"
  # A different operation from ours (Gaussian blur, not the lightness mask): recorded only.
  ratio "6000x4000 unsharp mask (Auto Sharpen)" "$unsharp" \
    "$(alone "$(peer_ms "$IM_CONVERT" "$mpc" -unsharp 2x1 null:)" "$im_base")" "convert"
}

# pelira-cli run over 50 photos (AUTO_CONTRAST, then SAVE as colour JPEG) against mogrify with
# the same JPEG settings on copies of the same files; both use both cores. The command line
# needs the Qt page renderers, so it gets a build of its own beside the benchmark one.
section_script_run() {
  local cli_build="$BUILD-cli"
  if [[ ! -f "$cli_build/build.ninja" ]]; then
    cmake -S "$ROOT" -B "$cli_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELIRA_TESTS=OFF >/dev/null
  fi
  ninja -C "$cli_build" -j2 pelira-cli >/dev/null
  local photos="$OUT/photos" n="${PELIRA_RUN_PHOTOS:-50}"
  mkdir -p "$photos"
  for ((i = 1; i <= n; i++)); do
    local f="$photos/photo$i.jpg"
    [[ -f "$f" ]] || "$IM_CONVERT" -size 3000x2000 -seed "$i" plasma:fractal -blur 0x2 -level 10%,85% \
      -quality 90 "$f"
  done
  printf 'AUTO_CONTRAST\r\nSAVE\r\n' > "$OUT/autocontrast.bip"
  local ours_dir="$OUT/run_ours" peer_dir="$OUT/run_mogrify"
  # Each timed run starts from an empty folder, since run never replaces a file.
  local ours peer copy
  ours="$(peer_ms bash -c "rm -rf '$ours_dir' && mkdir '$ours_dir' && '$cli_build/pelira-cli' run \
    '$OUT/autocontrast.bip' --type 5 --jobs 2 --out '$ours_dir' '$photos'/*.jpg")"
  copy="$(peer_ms bash -c "rm -rf '$peer_dir' && mkdir '$peer_dir' && cp '$photos'/*.jpg '$peer_dir'/")"
  peer="$(peer_ms bash -c "rm -rf '$peer_dir' && mkdir '$peer_dir' && cp '$photos'/*.jpg '$peer_dir'/ && \
    MAGICK_THREAD_LIMIT=2 mogrify-im6.q16 -auto-level -quality 75 -interlace Plane -sampling-factor 1x1 \
    -define jpeg:optimize-coding=true -define jpeg:dct-method=float '$peer_dir'/*.jpg")"
  peer="$(python3 -c "import sys; print('%.1f' % max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" "$peer" "$copy")"
  ratio "run AUTO_CONTRAST+SAVE, $n JPEGs 3000x2000" "$ours" "$peer" "mogrify"
}

# The EXIF report over 10,000 camera-like JPEGs (hard links to one file, so the page cache
# holds them all) against `exiftool -fast`, and the comment strip of 1,000 real copies against
# `exiftool -comment= -overwrite_original` (ours also writes each file's .bak). exiftool's
# time includes its start, about 0.2 s, against 10,000 and 1,000 files.
section_exif() {
  build bench_jpeg_tools
  pelira_install libimage-exiftool-perl
  local n="${PELIRA_EXIF_FILES:-10000}" m="${PELIRA_STRIP_FILES:-1000}"
  local src="$OUT/exif_source.jpg" many="$OUT/exif_many" strip="$OUT/strip_src"
  if [[ ! -f "$src" ]]; then
    "$IM_CONVERT" -size 1600x1200 -seed 3 plasma:fractal -blur 0x1 -quality 88 "$src"
    exiftool -q -overwrite_original -Make=Camera -Model="Model X" -XResolution=72 -YResolution=72 \
      -ExposureTime=1/125 -FNumber=5.6 -ISO=200 -DateTimeOriginal="2024:05:06 07:08:09" \
      -FocalLength=35 "-ThumbnailImage<=$ROOT/tests/fixtures/jpeg_tools/base.jpg" -Comment="A note" "$src"
  fi
  if [[ ! -d "$many" ]] || (( $(find "$many" -type f | wc -l) != n )); then
    rm -rf "$many" && mkdir -p "$many"
    for ((i = 0; i < n; i++)); do ln "$src" "$many/p$i.jpg"; done
  fi
  if [[ ! -d "$strip" ]] || (( $(find "$strip" -type f | wc -l) != m )); then
    rm -rf "$strip" && mkdir -p "$strip"
    for ((i = 0; i < m; i++)); do cp "$src" "$strip/p$i.jpg"; done
  fi
  local prog="$BUILD/bench/bench_jpeg_tools"
  ratio "EXIF report, $n JPEGs" \
    "$(PELIRA_BENCH_EXIF_DIR="$many" ours_ms "$prog" BM_ExifReport)" \
    "$(peer_ms exiftool -fast -q "$many")" "exiftool -fast"
  local peer_dir="$OUT/strip_exiftool" copy peer
  copy="$(peer_ms bash -c "rm -rf '$peer_dir' && cp -r '$strip' '$peer_dir'")"
  peer="$(peer_ms bash -c "rm -rf '$peer_dir' && cp -r '$strip' '$peer_dir' && \
    exiftool -q -comment= -overwrite_original '$peer_dir'")"
  peer="$(python3 -c "import sys; print('%.1f' % max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" "$peer" "$copy")"
  ratio "strip comments, $m JPEGs (+ .bak)" \
    "$(PELIRA_BENCH_STRIP_DIR="$strip" ours_ms "$prog" BM_StripComments)" "$peer" "exiftool"
}

section_unzip() {
  # An archive of photos (PELIRA_UNZIP_MB, default 1024 MB), extracted by us and by unzip.
  (source "$ROOT/scripts/deps.sh" && pelira_install zip unzip imagemagick libbenchmark-dev)
  build bench_unzip
  local mb="${PELIRA_UNZIP_MB:-1024}" src="$OUT/unzip_src" dest="$OUT/unzip_peer"
  local zip="$OUT/photos_${mb}mb.zip"
  if [[ ! -f "$zip" ]]; then
    mkdir -p "$src"
    local i
    for i in 0 1 2 3 4 5 6 7; do
      [[ -f "$src/seed$i.jpg" ]] || "$IM_CONVERT" -size 3000x2000 -seed "$i" plasma:fractal -quality 92 "$src/seed$i.jpg"
    done
    local total=0 n=0
    while (( total < mb * 1024 * 1024 )); do
      cp "$src/seed$((n % 8)).jpg" "$src/photo$(printf %04d "$n").jpg"
      total=$(( total + $(stat -c %s "$src/seed$((n % 8)).jpg") ))
      n=$((n + 1))
    done
    (cd "$src" && zip -q "$zip" photo*.jpg && rm -f photo*.jpg)
  fi
  export PELIRA_BENCH_ZIP="$zip" PELIRA_BENCH_ZIP_OUT="$OUT/unzip_ours"
  mkdir -p "$dest"
  ratio "unzip ${mb} MB of photos" "$(ours_ms "$BUILD/bench/bench_unzip" BM_UnzipExtract)" \
    "$(peer_ms unzip -o -q "$zip" -d "$dest")" "unzip"
  rm -rf "$dest" "$OUT/unzip_ours"
}

# Peak memory (MB, /usr/bin/time -f %M) of one load and of one load + save of a 6000 x 4000
# picture, ours (bench_peak_memory, one case a process) beside ImageMagick and libvips on the
# same files. Peer load: `convert in null:` and `vips avg in`; load + save: `convert in out`
# and `vips copy in out`.
peak_mb() {
  if /usr/bin/time -f %M -o "$OUT/peak.kb" "$@" >/dev/null 2>&1; then
    python3 -c 'import sys; print("%.1f" % (int(open(sys.argv[1]).read().split()[-1]) / 1024))' "$OUT/peak.kb"
  else
    echo "-"
  fi
}

section_peak_memory() {
  build bench_peak_memory
  local program="$BUILD/bench/bench_peak_memory" dir="$OUT/peak"
  export PELIRA_PEAK_DIR="$dir"
  [[ -f "$dir/tiff8.tif" ]] || "$program" make "$dir" >/dev/null
  printf '%-22s %10s %12s %10s\n' "case (MB peak)" ours ImageMagick libvips
  local f tag
  for f in bmp24.bmp png24.png tiff24.tif zip24.tif jpeg24.jpg bmp8.bmp png8.png tiff8.tif; do
    tag="${f%%.*}"
    printf '%-22s %10s %12s %10s\n' "load $f" "$(peak_mb "$program" --benchmark_filter="^Load/$tag/")" \
      "$(peak_mb "$IM_CONVERT" "$dir/$f" null:)" "$(peak_mb vips avg "$dir/$f")"
  done
  local save
  for save in "bmp24 bmp24.bmp bmp" "tiff24 bmp24.bmp tif" "zip24 bmp24.bmp tif" "bmp8 bmp8.bmp bmp" "tiff8 bmp8.bmp tif"; do
    read -r tag f ext <<<"$save"
    printf '%-22s %10s %12s %10s\n' "load+save $f as $ext" "$(peak_mb "$program" --benchmark_filter="^Save/$tag/")" \
      "$(peak_mb "$IM_CONVERT" "$dir/$f" "$dir/peer.$ext")" "$(peak_mb vips copy "$dir/$f" "$dir/peer.$ext")"
  done
}

# Thumbnails of 1,000 photos of 4000x3000 (hard links to four pictures, so the page cache holds
# them): ours with one worker against vipsthumbnail on one thread (time per worker), ours with
# both cores against the same, and ImageMagick's `convert -thumbnail` on 50 of them, compared
# per picture with ours on one thread. Every tool fits into 166x124 and writes a BMP.
section_thumbnails() {
  build bench_thumbnails
  local n="${PELIRA_THUMB_FILES:-1000}" src="$OUT/thumbs_seeds" many="$OUT/thumbs_many" few="$OUT/thumbs_few"
  mkdir -p "$src"
  local i
  for i in 0 1 2 3; do
    [[ -f "$src/seed$i.jpg" ]] || "$IM_CONVERT" -size 4000x3000 -seed "$i" plasma:fractal -blur 0x1 -quality 90 "$src/seed$i.jpg"
  done
  if [[ ! -d "$many" ]] || (( $(find "$many" -type f | wc -l) != n )); then
    rm -rf "$many" && mkdir -p "$many"
    for ((i = 0; i < n; i++)); do ln "$src/seed$((i % 4)).jpg" "$many/p$(printf %05d "$i").jpg"; done
  fi
  rm -rf "$few" && mkdir -p "$few"
  for ((i = 0; i < 50; i++)); do ln "$src/seed$((i % 4)).jpg" "$few/p$i.jpg"; done
  local prog="$BUILD/bench/bench_thumbnails" vt="$OUT/thumbs_vips" im="$OUT/thumbs_im"
  mkdir -p "$vt" "$im"
  export PELIRA_BENCH_THUMBS_DIR="$many" PELIRA_BENCH_THUMBS_OUT="$OUT"
  local one two vips
  one="$(ours_ms "$prog" BM_ThumbnailFolder/1)"
  two="$(ours_ms "$prog" BM_ThumbnailFolder/2)"
  vips="$(VIPS_CONCURRENCY=1 peer_ms vipsthumbnail --size 166x124 -o "$vt/%s.bmp" "$many"/*.jpg)"
  ratio "thumbnails, $n photos, 1 worker" "$one" "$vips" "vipsthumbnail (1 thread)"
  ratio "thumbnails, $n photos, 2 workers" "$two" "$vips" "vipsthumbnail (1 thread)"
  local per_pic imp
  per_pic="$(python3 -c "import sys; print('%.2f' % (float(sys.argv[1]) / int(sys.argv[2])))" "$one" "$n")"
  imp="$(peer_ms bash -c "for f in '$few'/*.jpg; do $IM_CONVERT \"\$f\" -thumbnail 166x124 '$im/out.bmp'; done")"
  imp="$(python3 -c "import sys; print('%.2f' % (float(sys.argv[1]) / 50))" "$imp")"
  ratio "thumbnail per photo, 1 thread" "$per_pic" "$imp" "convert -thumbnail"
  echo "UI thread, starting an album of 20,000 slides: $(ours_ms "$prog" BM_QueueAlbum/20000) ms"
  # The window's worst frame while 20,000 slides are thumbnailed needs a build with the GUI:
  #   PELIRA_BENCH_THUMBS_DIR=... BUILD/bench/bench_album_window   (counter worst_frame_ms)
  if [[ -x "$BUILD/bench/bench_album_window" ]]; then
    "$BUILD/bench/bench_album_window" --benchmark_format=console 2>/dev/null | grep BM_ || true
  fi
  rm -rf "$vt" "$im" "$few"
}

read -r -a SECTIONS <<< "${PELIRA_SECTIONS:-bmp_load codecs formats_load tone colors spatial_filters script_run exif unzip peak_memory}"  # PELIRA_SECTIONS="codecs" runs one
# The two-image operations of Image › Compute on two 6000x4000 pictures against a memcpy of
# both and against ImageMagick's -composite equivalents (the bare read of both pictures taken
# off); the analysis report of one of them (goal: under 2 s); CRCFile of a 1 GB file against
# python3's zlib.crc32 reading the same file in 1 MiB blocks.
section_compute() {
  build bench_compute
  local a="$OUT/compute_a.mpc" b="$OUT/compute_b.mpc" big="$OUT/crc_1g.bin"
  [[ -f "$a" ]] || "$IM_CONVERT" -size 6000x4000 gradient:red-blue -attenuate 0.3 +noise Uniform -type TrueColor "$a"
  [[ -f "$b" ]] || "$IM_CONVERT" -size 6000x4000 gradient:green-yellow -attenuate 0.3 +noise Uniform -type TrueColor "$b"
  [[ -f "$big" ]] || head -c 1073741824 /dev/urandom > "$big"
  export PELIRA_BENCH_CRC_FILE="$big"
  local prog="$BUILD/bench/bench_compute" base copy
  base=$(peer_ms "$IM_CONVERT" "$a" "$b" null:)
  alone() { python3 -c "import sys; print(max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" "$1" "$2"; }
  copy="$(ours_ms "$prog" BM_MemcpyBoth)"
  local name bm op
  while read -r name bm op; do
    local ours
    ours="$(ours_ms "$prog" "$bm")"
    python3 -c "
import sys
print(f'{sys.argv[1]:<40} ours {float(sys.argv[2]):9.1f} ms   memcpy of both {float(sys.argv[3]):9.1f} ms   {float(sys.argv[2]) / float(sys.argv[3]):5.2f}x the copy')" \
      "$name" "$ours" "$copy"
    # shellcheck disable=SC2086
    ratio "$name" "$ours" "$(alone "$(peer_ms "$IM_CONVERT" "$a" "$b" $op null:)" "$base")" "convert"
  done <<'OPS'
Minimum BM_Minimum -compose Darken -composite
Maximum BM_Maximum -compose Lighten -composite
Difference BM_Difference -compose Mathematics -define compose:args=0,-1,1,0.4980392156862745 -composite
Subtract BM_Subtract -compose Minus_Src -composite
Multiply BM_Multiply -compose Multiply -composite
Average(50) BM_Average -compose Blend -define compose:args=50 -composite
OPS
  echo "analysis report 6000x4000: $(ours_ms "$prog" BM_AnalysisReport) ms (goal: under 2000 ms)"
  ratio "CRCFile 1 GB" "$(ours_ms "$prog" BM_CRCFile)" \
    "$(peer_ms python3 -c "
import sys, zlib
c = 0
with open(sys.argv[1], 'rb') as f:
    while b := f.read(1 << 20):
        c = zlib.crc32(b, c)
print('%08X' % (c ^ 0xFFFFFFFF))" "$big")" "python3 zlib"
# Geometry on a 6000 x 4000 photo: rotation by 33.3 degrees against ImageMagick and libvips,
# the smooth resize to half against libvips, crop, mirror and the quarter turn against one
# memcpy of the picture. The peers' bare read and write are taken off.
section_geometry() {
  build bench_geometry
  local ppm="$OUT/geometry6000.ppm" mpc="$OUT/geometry6000.mpc" v="$OUT/geometry6000.v"
  [[ -f "$ppm" ]] || "$IM_CONVERT" -size 6000x4000 -seed 9 plasma:fractal -blur 0x1 -depth 8 "$ppm"
  [[ -f "$mpc" ]] || "$IM_CONVERT" "$ppm" "$mpc"
  [[ -f "$v" ]] || vips copy "$ppm" "$v"
  export PELIRA_BENCH_GEOMETRY_PHOTO="$ppm"
  local prog="$BUILD/bench/bench_geometry"
  local im_base vips_base rot half
  im_base=$(peer_ms "$IM_CONVERT" "$mpc" null:)
  vips_base=$(peer_ms vips copy "$v" "$OUT/out.v")
  alone() { python3 -c "import sys; print(max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" "$1" "$2"; }
  rot=$(ours_ms "$prog" BM_Rotate33)
  half=$(ours_ms "$prog" BM_ResizeHalf)
  ratio "6000x4000 rotate 33.3 deg" "$rot" \
    "$(alone "$(peer_ms "$IM_CONVERT" "$mpc" -background black -rotate 33.3 null:)" "$im_base")" "convert"
  ratio "6000x4000 rotate 33.3 deg" "$rot" "$(alone "$(peer_ms vips rotate "$v" "$OUT/out.v" 33.3)" "$vips_base")" "vips"
  ratio "6000x4000 resize to half, smooth" "$half" \
    "$(alone "$(peer_ms vips resize "$v" "$OUT/out.v" 0.5)" "$vips_base")" "vips"
  python3 -c "
import sys
c = float(sys.argv[1])
for name, v in zip(sys.argv[2::2], sys.argv[3::2]):
    print(f'{name:<40} ours {float(v):9.1f} ms   memcpy {c:9.1f} ms   {float(v) / c:5.2f}x the copy')" \
    "$(ours_ms "$prog" BM_Memcpy)" \
    "crop 4000x3000 of 6000x4000" "$(ours_ms "$prog" BM_Crop)" \
    "mirror 6000x4000" "$(ours_ms "$prog" BM_MirrorHorizontal)" \
    "rotate 90 deg 6000x4000" "$(ours_ms "$prog" BM_Rotate90)"
# Batch conversion of PELIRA_BATCH_PHOTOS (1,000) 12-megapixel JPEGs to PNG on two cores:
# convert-batch --jobs 2 against GNU parallel -j2 running convert-im6.q16 and vips copy, all
# writing non-interlaced PNG into an empty folder; the photos are hard links to eight distinct
# pictures so the page cache holds them. Then numbered renaming of 10,000 files (target: 1 s),
# the time to make the files subtracted.
section_batch() {
  (source "$ROOT/scripts/deps.sh" && pelira_install parallel libvips-tools imagemagick)
  local cli_build="$BUILD-cli"
  if [[ ! -f "$cli_build/build.ninja" ]]; then
    cmake -S "$ROOT" -B "$cli_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELIRA_TESTS=OFF >/dev/null
  fi
  ninja -C "$cli_build" -j2 pelira-cli >/dev/null
  local cli="$cli_build/pelira-cli" photos="$OUT/batch_photos" n="${PELIRA_BATCH_PHOTOS:-1000}"
  local size="${PELIRA_BATCH_SIZE:-4000x3000}"
  mkdir -p "$photos"
  for ((i = 0; i < 8; i++)); do
    [[ -f "$OUT/batch_src$i-$size.jpg" ]] || "$IM_CONVERT" -size "$size" -seed "$i" plasma:fractal -blur 0x2 \
      -quality 90 "$OUT/batch_src$i-$size.jpg"
  done
  rm -f "$photos"/*.jpg
  for ((i = 0; i < n; i++)); do ln "$OUT/batch_src$((i % 8))-$size.jpg" "$photos/p$i.jpg"; done
  find "$photos" -name '*.jpg' | sort > "$OUT/batch_list"
  local dir="$OUT/batch_out" ours im vips
  ours="$(peer_ms bash -c "rm -rf '$dir' && mkdir '$dir' && '$cli' convert-batch --to png --no-interlace --jobs 2 \
    --out '$dir' --files-from '$OUT/batch_list'")"
  im="$(peer_ms bash -c "rm -rf '$dir' && mkdir '$dir' && parallel -j2 --will-cite MAGICK_THREAD_LIMIT=1 \
    $IM_CONVERT {} '$dir'/{/.}.png :::: '$OUT/batch_list'")"
  vips="$(peer_ms bash -c "rm -rf '$dir' && mkdir '$dir' && parallel -j2 --will-cite VIPS_CONCURRENCY=1 \
    vips copy {} '$dir'/{/.}.png :::: '$OUT/batch_list'")"
  ratio "convert-batch to PNG, $n JPEGs $size" "$ours" "$im" "parallel convert"
  ratio "convert-batch to PNG, $n JPEGs $size" "$ours" "$vips" "parallel vips"

  local names="$OUT/batch_names" make rename
  local mk="rm -rf '$names' && mkdir '$names' && python3 -c \"import os; [open('$names/f%05d.jpg' % i, 'w').close() for i in range(10000)]\""
  make="$(peer_ms bash -c "$mk")"
  rename="$(peer_ms bash -c "$mk && find '$names' -name '*.jpg' | sort -r > '$OUT/batch_names.txt' && \
    '$cli' renumber --prefix f --files-from '$OUT/batch_names.txt'")"
  rename="$(python3 -c "import sys; print('%.1f' % max(0.1, float(sys.argv[1]) - float(sys.argv[2])))" "$rename" "$make")"
  ratio "renumber 10,000 files onto taken names" "$rename" 1000 "target"
}

read -r -a SECTIONS <<< "${PELIRA_SECTIONS:-bmp_load codecs formats_load tone spatial_filters script_run exif unzip peak_memory}"  # PELIRA_SECTIONS="codecs" runs one
[[ -n "${PELIRA_SECTIONS:-}" ]] || SECTIONS+=(batch)
for s in "${SECTIONS[@]}"; do
  echo "== $s"
  "section_$s"
done
