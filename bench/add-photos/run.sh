#!/usr/bin/env bash
# Add Photos on COUNT camera photos (default 200 copies of one 24-megapixel JPEG with an EXIF
# block and a caption): the items in the tree (goal: under 1 s), every photo's picture in the
# tree against the floor of decoding each photo at the smallest DCT scale on one core, divided by
# the cores (goal: within 2x), and the worst lateness of a 10 ms timer meanwhile (goal: under
# 50 ms). In process, offscreen, with a fresh picture cache.
#   bench/add-photos/run.sh [BUILD_DIR]   (needs ImageMagick and exiftool; SIZE, COUNT)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
tool=$build/bench/bench_editor_ops
[[ -x $tool ]] || { echo "build $tool first (cmake --build $build --target bench_editor_ops)" >&2; exit 1; }
size=${SIZE:-6000x4000}
count=${COUNT:-200}
work=$(mktemp -d /tmp/lumivex-bench-add-photos-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
convert -size "$size" -seed 1 plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian \
  -sampling-factor 2x1 -quality 92 "$work/photo.jpg"
exiftool -q -q -overwrite_original -ImageDescription='Harbour at dusk' \
  -DateTimeOriginal='2024:06:01 20:15:00' -Orientation#=6 "$work/photo.jpg"
mkdir "$work/photos"
# Copies, not links: the pictures are cached by file, and each must be made.
for i in $(seq 1 "$count"); do cp "$work/photo.jpg" "$work/photos/IMG_$i.jpg"; done
echo "== $count photos of $size, $(stat -c %s "$work/photo.jpg") bytes each"

QT_QPA_PLATFORM=offscreen "$tool" photos "$work/photos" 2>/dev/null | grep -v '^startup_' >"$work/out"
awk '
  { v[$1] = $2 }
  END {
    floor = v["floor_one_core_ms"] / v["cores"]
    printf "items in the tree        %8.1f ms   goal < 1000 ms\n", v["items_ms"]
    printf "every picture shown      %8.1f ms   floor %0.1f ms (%.1f on one core / %d cores)\n",
      v["pictures_ms"], floor, v["floor_one_core_ms"], v["cores"]
    printf "  ratio to the floor     %8.2f      goal <= 2\n", v["pictures_ms"] / floor
    printf "worst event-loop delay   %8.1f ms   goal < 50 ms\n", v["worst_lateness_ms"]
  }' "$work/out"
