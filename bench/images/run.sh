#!/usr/bin/env bash
# Slide image benchmark: our pipeline against djpeg (the decode floor), ImageMagick and
# libvips on the same large photo-like JPEGs, generated here at run time; then the cached
# rebuild and the GIF palette quality. Every tool, ours included, runs as its own process per
# image; times are the minimum of RUNS runs, peak memory from /usr/bin/time.
#   bench/images/run.sh [BUILD_DIR]   (default build/; needs scripts/install-deps.sh --bench)
# Environment: IMAGES (default 4), RUNS (default 5), SIZE (default 6000x4000), BOX (400x300).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
tool=$build/bench/bench_images
[[ -x $tool ]] || { echo "build $tool first (cmake --build $build --target bench_images)" >&2; exit 1; }
images=${IMAGES:-4}
runs=${RUNS:-5}
size=${SIZE:-6000x4000}
box=${BOX:-400x300}
bw=${box%x*}
bh=${box#*x}
convert=/usr/bin/convert
work=$(mktemp -d /tmp/lumivex-bench-images-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== generating $images photo-like JPEGs of $size (quality 92) in $work"
for i in $(seq 1 "$images"); do
  "$convert" -size "$size" -seed "$i" plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian \
    -quality 92 "$work/photo$i.jpg"
  printf '  photo%s.jpg %s bytes\n' "$i" "$(stat -c %s "$work/photo$i.jpg")"
done

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
best() { awk -v a="$1" -v b="${2%% *}" 'BEGIN { if (a == "inf" || b + 0 < a + 0) print b; else print a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo
echo "== per image, box $box: wall ms (min of $runs) and peak RSS in KiB"
printf '%-10s %9s %9s %9s %9s %9s | %8s %8s %8s | %7s %7s %7s\n' image ours ours+sync djpeg/8 convert vips \
  ours/djpeg convert/ours vips/ours "ours KiB" "djpeg" "convert"
sum_ours=0; sum_djpeg=0; sum_convert=0; sum_vips=0
for i in $(seq 1 "$images"); do
  in=$work/photo$i.jpg
  # The tools take turns, run by run, so that a busy moment of the machine hits them alike.
  ours=inf; synced=inf; djpeg_ms=inf; convert_ms=inf; vips_ms=inf
  for r in $(seq 1 "$runs"); do
    ours=$(best "$ours" "$("$tool" time 1 "$tool" scale "$in" "$work/ours$i.jpg" "$bw" "$bh")")
    synced=$(best "$synced" "$("$tool" time 1 "$tool" scale "$in" "$work/ours$i.jpg" "$bw" "$bh" --atomic)")
    djpeg_ms=$(best "$djpeg_ms" "$("$tool" time 1 djpeg -scale 1/8 -outfile /dev/null "$in")")
    convert_ms=$(best "$convert_ms" "$("$tool" time 1 "$convert" "$in" -resize "$box" -quality 90 "$work/im$i.jpg")")
    vips_ms=$(best "$vips_ms" "$("$tool" time 1 vipsthumbnail "$in" -s "$box" -o "$work/vips$i.jpg[Q=90]")")
  done
  mem_ours=$(peak "$tool" scale "$in" "$work/ours$i.jpg" "$bw" "$bh")
  mem_djpeg=$(peak djpeg -scale 1/8 -outfile /dev/null "$in")
  mem_convert=$(peak "$convert" "$in" -resize "$box" -quality 90 "$work/im$i.jpg")
  printf '%-10s %9s %9s %9s %9s %9s | %8s %8s %8s | %7s %7s %7s\n' "photo$i" "$ours" "$synced" "$djpeg_ms" \
    "$convert_ms" "$vips_ms" "$(ratio "$ours" "$djpeg_ms")" "$(ratio "$convert_ms" "$ours")" \
    "$(ratio "$vips_ms" "$ours")" "$mem_ours" "$mem_djpeg" "$mem_convert"
  sum_ours=$(awk -v a="$sum_ours" -v b="$ours" 'BEGIN { print a + b }')
  sum_djpeg=$(awk -v a="$sum_djpeg" -v b="$djpeg_ms" 'BEGIN { print a + b }')
  sum_convert=$(awk -v a="$sum_convert" -v b="$convert_ms" 'BEGIN { print a + b }')
  sum_vips=$(awk -v a="$sum_vips" -v b="$vips_ms" 'BEGIN { print a + b }')
done
echo "targets: ours/djpeg <= 1.20, convert/ours >= 5, vips/ours > 1"
echo "all images: ours/djpeg $(ratio "$sum_ours" "$sum_djpeg"), convert/ours $(ratio "$sum_convert" "$sum_ours"), vips/ours $(ratio "$sum_vips" "$sum_ours")"
echo "(scaled decode of one image at 1/8: $(( (${size%x*} + 7) / 8 )) x $(( (${size#*x} + 7) / 8 )) x 3 bytes = $(( ((${size%x*} + 7) / 8) * ((${size#*x} + 7) / 8) * 3 / 1024 )) KiB)"

echo
echo "== project build, in process, ms per image: one at a time | build (2 workers) | build filling the cache | cached rebuild"
"$tool" rebuild "$bw" "$bh" "$work/cache" "$work"/photo*.jpg

echo
echo "== GIF palette quality: PSNR (dB) against the scaled true-colour slide"
printf '%-10s %-9s %8s %8s %10s %10s %8s\n' image size ours ours+FS "IM -colors" "IM +dither" "quant ms"
for i in $(seq 1 "$images"); do
  dir=$work/gif$i
  mkdir -p "$dir"
  read -r dims ours_db dithered_db quant_ms < <("$tool" gifquality "$work/photo$i.jpg" "$bw" "$bh" "$dir")
  "$convert" "$dir/scaled.ppm" -resize "$dims!" -colors 256 "$dir/im.gif"
  "$convert" "$dir/scaled.ppm" -resize "$dims!" +dither -colors 256 "$dir/im-nodither.gif"
  printf '%-10s %-9s %8s %8s %10s %10s %8s\n' "photo$i" "$dims" "$ours_db" "$dithered_db" \
    "$("$tool" psnr "$dir/scaled.ppm" "$dir/im.gif")" "$("$tool" psnr "$dir/scaled.ppm" "$dir/im-nodither.gif")" "$quant_ms"
done
echo "target: ours >= IM -colors 256"
