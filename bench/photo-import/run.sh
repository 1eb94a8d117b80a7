#!/usr/bin/env bash
# Add Photos' metadata read: titles and capture times of COUNT camera-like photos (default 200
# copies of one 24-megapixel JPEG with an EXIF block, a thumbnail, XMP and IPTC, as run.sh of the
# slide images makes them), on all usable cores and on one, against reading each file's first
# 64 KB in process and against exiftool reading the same fields of the folder in one process.
#   bench/photo-import/run.sh [BUILD_DIR]   (needs ImageMagick and exiftool; SIZE, COUNT)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
tool=$build/bench/bench_photo_import
[[ -x $tool ]] || { echo "build $tool first (cmake --build $build --target bench_photo_import)" >&2; exit 1; }
size=${SIZE:-6000x4000}
count=${COUNT:-200}
work=$(mktemp -d /tmp/lumivex-bench-photos-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
convert -size "$size" -seed 1 plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian \
  -sampling-factor 2x1 -quality 92 "$work/photo.jpg"
convert "$work/photo.jpg" -resize 160x120 -quality 80 "$work/thumb.jpg"
exiftool -q -q -overwrite_original -ImageDescription='Harbour at dusk' \
  -XMP-dc:Description='Harbour at dusk' -IPTC:Caption-Abstract='Harbour at dusk' \
  -Make=Camera -Model='Camera 1' -DateTimeOriginal='2024:06:01 20:15:00' \
  -SubSecTimeOriginal=25 -Orientation#=6 '-ThumbnailImage<='"$work/thumb.jpg" "$work/photo.jpg"
mkdir "$work/photos"
for i in $(seq 1 "$count"); do cp "$work/photo.jpg" "$work/photos/IMG_$i.jpg"; done
echo "== $count photos of $size, $(stat -c %s "$work/photo.jpg") bytes each"

read -r _ ours _ floor _ n < <("$tool" "$work/photos")
read -r _ one _ _ _ _ < <(taskset -c 0 "$tool" "$work/photos")
best=inf
for _ in 1 2 3; do
  start=$(date +%s%N)
  exiftool -q -q -fast2 -s3 -ImageDescription -XMP-dc:Description -IPTC:Caption-Abstract \
    -DateTimeOriginal -SubSecTimeOriginal "$work/photos" >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [[ $best == inf || $ms -lt $best ]] && best=$ms
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "ours, all cores:  $ours ms for $n photos ($(ratio "$ours" "$n") ms a photo)"
echo "ours, one core:   $one ms"
echo "first 64 KB read: $floor ms   ours / floor $(ratio "$ours" "$floor")"
echo "exiftool:         $best ms   ours / exiftool $(ratio "$ours" "$best")"
