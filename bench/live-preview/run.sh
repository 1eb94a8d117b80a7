#!/usr/bin/env bash
# The live preview on a project of COUNT camera photos (default 30 copies of one 24-megapixel
# JPEG): its first slide from a cold cache, then, with the slide images made, a character typed
# into a caption and a change of the box's width (ROUNDS each), and a new photo for the held
# slide (PHOTOS, each new to the cache), each timed until the page in the preview shows it
# (median, best and worst). The peer is Refresh in the same preview, as a full
# reload of the page. In process, offscreen, with a fresh image cache.
#   bench/live-preview/run.sh [BUILD_DIR]   (needs ImageMagick; SIZE, COUNT, ROUNDS, PHOTOS, OUTPUT)
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/camera-photos.sh
build=${1:-build}
tool=$build/bench/bench_editor_ops
cli=$build/app/lumivex-cli
for program in "$tool" "$cli"; do
  [[ -x $program ]] || { echo "build $program first" >&2; exit 1; }
done
size=${SIZE:-6000x4000}
count=${COUNT:-30}
rounds=${ROUNDS:-9}
work=$(mktemp -d /tmp/lumivex-bench-live-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
camera_photos "$work" "$count" "$size"
"$cli" new "$work"/photos/*.jpg "$work/live.lvx" >/dev/null
# OUTPUT=Modern: the modern web output, with its several widths and AVIF of every slide.
if [[ ${OUTPUT:-Classic} == Modern ]]; then
  sed -i 's/^<Item_Parameters>\r$/<Lumivex_Options>\r\nWebOutput=Modern\r\n<\/Lumivex_Options>\r\n&/' \
    "$work/live.lvx"
  grep -q '^WebOutput=Modern' "$work/live.lvx" || { echo "the project did not take the option" >&2; exit 1; }
fi
echo "== $count photos of $size, ${OUTPUT:-Classic} output"

# Portrait photos for the "new photo" rounds, each its own bytes (a different trailer), so that
# none is in the image cache.
mkdir -p "$work/new"
convert "$work/photo.jpg" -rotate 90 "$work/portrait.jpg"
for i in $(seq 1 "${PHOTOS:-5}"); do
  { cat "$work/portrait.jpg"; printf 'round %d' "$i"; } >"$work/new/new_$i.jpg"
done

run() { QT_QPA_PLATFORM=offscreen "$tool" "$@" 2>"$work/log" || { cat "$work/log" >&2; exit 1; }; }
run live "$work/live.lvx" "$rounds" >"$work/live.txt"
run preview "$work/live.lvx" "$rounds" >"$work/peer.txt"
awk '
  FNR == NR { if ($1 == "preview_refresh") peer = $2; next }
  $1 == "live_cold_first_slide" { printf "first slide, cold cache   %8.1f ms   goal < 3000\n", $2 }
  $1 == "live_all_made" { printf "every slide made, cold     %8.1f ms\n", $2 }
  $1 == "live_typed_behind" {
    printf "typed, slides made behind %8.1f ms   best %6.1f  worst %6.1f\n", $2, $3, $4 }
  $1 == "live_typed" {
    printf "typed character shown     %8.1f ms   best %6.1f  worst %6.1f   goal < 150, worst < 300\n",
      $2, $3, $4
    typed = $2 }
  $1 == "live_width" {
    printf "width change shown        %8.1f ms   best %6.1f  worst %6.1f   goal < 300\n", $2, $3, $4 }
  $1 == "live_photo" {
    printf "new photo shown           %8.1f ms   best %6.1f  worst %6.1f   goal < 1000\n", $2, $3, $4 }
  END {
    printf "Refresh, full reload (peer) %6.1f ms; typed / peer %.2f\n", peer, typed / peer }
' "$work/peer.txt" "$work/live.txt"
