#!/usr/bin/env bash
# Slide image benchmark: our pipeline against djpeg (the decode floor), ImageMagick and libvips
# on the same large camera-like JPEGs, generated here at run time: 4:2:2, quality 92, an EXIF
# block with an orientation (1, 6, 8, 3, ...) and a thumbnail first, a Display P3 profile on
# every second photo. Every tool, ours included, runs as its own process; the tools take turns
# round by round, so that a busy moment of the machine hits them alike, and the ratios come from
# one run. Sections:
#   1. the whole `lumivex-cli publish` of the batch against djpeg -scale 1/8 over the same
#      photos one after another, vipsthumbnail over the batch and ImageMagick photo by photo;
#      the slide images of a two-core run, a one-core run and a cached run must be identical
#   2. per image: wall time and peak memory of one photo through each tool
#   3. bytes and PSNR of the slide images against one reference (the photo decoded whole,
#      upright, in sRGB and area-averaged to the slide's size), with the bytes of today's
#      encoder (standard Huffman tables) for our pixels
#   4. in-process project builds with and without the cache; 5. the GIF palette quality
#   bench/images/run.sh [BUILD_DIR]   (default build/; needs scripts/install-deps.sh --bench)
# Environment: IMAGES (default 4), RUNS (default 5), SIZE (default 6000x4000), BOX (400x300),
# SECTIONS (default "1 2 3 4 5"; section 1 always runs).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
tool=$build/bench/bench_images
cli=$build/app/lumivex-cli
for t in "$tool" "$cli"; do
  [[ -x $t ]] || { echo "build $t first (cmake --build $build --target bench_images lumivex-cli)" >&2; exit 1; }
done
images=${IMAGES:-4}
runs=${RUNS:-5}
size=${SIZE:-6000x4000}
box=${BOX:-400x300}
bw=${box%x*}
bh=${box#*x}
convert=/usr/bin/convert
want() { [[ " ${SECTIONS:-1 2 3 4 5} " == *" $1 "* ]]; }
work=$(mktemp -d /tmp/lumivex-bench-images-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== generating $images camera-like JPEGs of $size in $work"
orientations=(1 6 8 3 1 6 8 3)
photos=()
tagged=()    # the photos with a profile
untagged=()
for i in $(seq 1 "$images"); do
  "$convert" -size "$size" -seed "$i" plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian \
    -sampling-factor 2x1 -quality 92 "$work/plain$i.jpg"
  o=${orientations[$(((i - 1) % 8))]}
  profile=; ((i % 2 == 0)) && profile=p3
  "$tool" camera "$work/plain$i.jpg" "$work/photo$i.jpg" "$o" $profile
  rm "$work/plain$i.jpg"
  photos+=("$work/photo$i.jpg")
  if [[ -n $profile ]]; then tagged+=("$work/photo$i.jpg"); else untagged+=("$work/photo$i.jpg"); fi
  printf '  photo%s.jpg %s bytes, orientation %s%s\n' "$i" "$(stat -c %s "$work/photo$i.jpg")" "$o" \
    "${profile:+, Display P3 profile}"
done
"$tool" project "$work/batch.lvx" "$bw" "$bh" "${photos[@]}"
"$tool" srgb "$work/srgb.icc"

ms() { "$tool" time 1 "$@" | cut -d' ' -f1; }
add() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
best() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "inf" || b + 0 < a + 0) print b; else print a }'; }
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
# The peers as a careful user runs them for the same result: upright, in sRGB, no metadata.
# vipsthumbnail (which rotates by itself) is asked to export to sRGB only photos with a profile:
# on untagged photos "-e srgb" costs it 9 dB. It takes a batch in one process; convert takes
# one photo at a time. Each runs through RUNNER (empty: directly), e.g. ms to time it, peak to
# weigh it.
is_tagged() { [[ " ${tagged[*]} " == *" $1 "* ]]; }
vips() {  # SIZE OUT PHOTO...
  local export=()
  is_tagged "$3" && export=(-e srgb)
  $runner vipsthumbnail "${@:3}" -s "$1" "${export[@]}" -o "$2[Q=90,strip]"
}
im() { $runner "$convert" "$1" -auto-orient -resize "$2" -profile "$work/srgb.icc" -strip -quality 90 "$3"; }
runner=
publish() {  # CACHE_FOLDER OUT_FOLDER [taskset args...]
  local cache=$1 out=$2
  shift 2
  XDG_CACHE_HOME=$cache "$tool" time 1 "$@" "$cli" publish "$work/batch.lvx" "$out" | cut -d' ' -f1
}

echo
echo "== 1. publishing the batch of $images, box $box: wall ms, best of $runs rounds (ratio per round: median)"
best_djpeg=inf; best_ours=inf; best_vips=inf; best_im=inf; round_ratios=
for r in $(seq 1 "$runs"); do
  djpeg_ms=0
  for p in "${photos[@]}"; do djpeg_ms=$(add "$djpeg_ms" "$(ms djpeg -scale 1/8 -outfile /dev/null "$p")"); done
  rm -rf "$work/cache" "$work/site"
  ours=$(publish "$work/cache" "$work/site")
  mkdir -p "$work/vips"
  vips_ms=0
  for set in untagged tagged; do
    declare -n batch=$set
    ((${#batch[@]})) && vips_ms=$(add "$vips_ms" "$(runner=ms vips "$box" "$work/vips/%s.jpg" "${batch[@]}")")
  done
  im_ms=0
  for i in $(seq 1 "$images"); do
    im_ms=$(add "$im_ms" "$(runner=ms im "${photos[$((i - 1))]}" "$box" "$work/im$i.jpg")")
  done
  best_djpeg=$(best "$best_djpeg" "$djpeg_ms"); best_ours=$(best "$best_ours" "$ours")
  best_vips=$(best "$best_vips" "$vips_ms"); best_im=$(best "$best_im" "$im_ms")
  round_ratios+=" $(ratio "$ours" "$djpeg_ms")"
  printf '  round %s: djpeg/8 %8.1f  ours %8.1f  vipsthumbnail %8.1f  convert %8.1f  ours/djpeg %s\n' \
    "$r" "$djpeg_ms" "$ours" "$vips_ms" "$im_ms" "$(ratio "$ours" "$djpeg_ms")"
done
printf '%-22s %10s %10s %10s %10s\n' "" "djpeg/8" "ours" "vips" "convert"
printf '%-22s %10s %10s %10s %10s\n' "best wall ms" "$best_djpeg" "$best_ours" "$best_vips" "$best_im"
echo "ours/djpeg $(ratio "$best_ours" "$best_djpeg") (best of each), $(echo "$round_ratios" | median) (median of rounds); goal <= 0.55"
echo "vips/ours $(ratio "$best_vips" "$best_ours"), convert/ours $(ratio "$best_im" "$best_ours")"
echo "one-core run (taskset -c 0): $(publish "$work/cache1" "$work/site1" taskset -c 0) ms; cached rerun: $(publish "$work/cache" "$work/site2") ms"
echo "peak RSS of the publish: $(XDG_CACHE_HOME=$work/cache3 peak "$cli" publish "$work/batch.lvx" "$work/site3") KiB"
same=identical
for f in "$work"/site/slider*; do
  name=$(basename "$f")
  cmp -s "$f" "$work/site1/$name" && cmp -s "$f" "$work/site2/$name" || same=DIFFERENT
done
echo "slide images of the two-core, one-core and cached runs: $same"
[[ $same == identical ]] || exit 1

if want 2; then
echo
echo "== 2. per image, box $box: wall ms (min of $runs) and peak RSS in KiB"
printf '%-10s %9s %9s %9s %9s | %8s %8s %8s | %7s %7s %7s\n' image ours djpeg/8 convert vips \
  ours/djpeg convert/ours vips/ours "ours KiB" "djpeg" "convert"
sum_ours=0; sum_djpeg=0; sum_convert=0; sum_vips=0
for i in $(seq 1 "$images"); do
  in=$work/photo$i.jpg
  ours=inf; djpeg_ms=inf; convert_ms=inf; vips_ms=inf
  for r in $(seq 1 "$runs"); do
    ours=$(best "$ours" "$(ms "$tool" scale "$in" "$work/ours$i.jpg" "$bw" "$bh")")
    djpeg_ms=$(best "$djpeg_ms" "$(ms djpeg -scale 1/8 -outfile /dev/null "$in")")
    convert_ms=$(best "$convert_ms" "$(runner=ms im "$in" "$box" "$work/im$i.jpg")")
    vips_ms=$(best "$vips_ms" "$(runner=ms vips "$box" "$work/vips$i.jpg" "$in")")
  done
  mem_ours=$(peak "$tool" scale "$in" "$work/ours$i.jpg" "$bw" "$bh")
  mem_djpeg=$(peak djpeg -scale 1/8 -outfile /dev/null "$in")
  mem_convert=$(runner=peak im "$in" "$box" "$work/im$i.jpg")
  printf '%-10s %9s %9s %9s %9s | %8s %8s %8s | %7s %7s %7s\n' "photo$i" "$ours" "$djpeg_ms" \
    "$convert_ms" "$vips_ms" "$(ratio "$ours" "$djpeg_ms")" "$(ratio "$convert_ms" "$ours")" \
    "$(ratio "$vips_ms" "$ours")" "$mem_ours" "$mem_djpeg" "$mem_convert"
  sum_ours=$(add "$sum_ours" "$ours"); sum_djpeg=$(add "$sum_djpeg" "$djpeg_ms")
  sum_convert=$(add "$sum_convert" "$convert_ms"); sum_vips=$(add "$sum_vips" "$vips_ms")
done
echo "targets: ours/djpeg <= 1.20, convert/ours >= 5, vips/ours > 1"
echo "all images: ours/djpeg $(ratio "$sum_ours" "$sum_djpeg"), convert/ours $(ratio "$sum_convert" "$sum_ours"), vips/ours $(ratio "$sum_vips" "$sum_ours")"
fi

if want 3; then
echo
echo "== 3. slide image bytes and PSNR (dB) against the same reference, every tool at quality 90"
printf '%-8s %-8s %8s %8s %7s | %8s %7s | %8s %7s | %9s %8s\n' image size today ours "PSNR" vips "PSNR" \
  convert "PSNR" "ours/today" "unencoded"
tot_today=0; tot_ours=0; tot_vips=0; tot_im=0
for i in $(seq 1 "$images"); do
  in=$work/photo$i.jpg
  slide=$work/site/slider$((i - 1)).jpg
  read -r w h < <(identify -format '%w %h\n' "$slide")
  # The peers at exactly our size, so that every picture meets the same reference.
  vips "${w}x${h}!" "$work/vq$i.jpg" "$in"
  im "$in" "${w}x${h}!" "$work/iq$i.jpg"
  read -r dims _ today _ ours _ scaled_db _ ours_bytes ours_db _ vips_bytes vips_db _ im_bytes im_db < <(
    "$tool" compare "$in" "$bw" "$bh" "$slide" "$work/vq$i.jpg" "$work/iq$i.jpg")
  [[ $ours_bytes == "$ours" ]] || { echo "photo$i: the published slide ($ours_bytes bytes) is not our encoder's ($ours)"; exit 1; }
  printf '%-8s %-8s %8s %8s %7s | %8s %7s | %8s %7s | %9s %8s\n' "photo$i" "$dims" "$today" "$ours" "$ours_db" \
    "$vips_bytes" "$vips_db" "$im_bytes" "$im_db" "$(ratio "$ours" "$today")" "$scaled_db"
  tot_today=$(add "$tot_today" "$today"); tot_ours=$(add "$tot_ours" "$ours")
  tot_vips=$(add "$tot_vips" "$vips_bytes"); tot_im=$(add "$tot_im" "$im_bytes")
done
echo "all images: ours/today $(ratio "$tot_ours" "$tot_today"), ours/vips $(ratio "$tot_ours" "$tot_vips"), ours/convert $(ratio "$tot_ours" "$tot_im")"
echo "(unencoded: PSNR of our scaled pixels before the JPEG encoder; vips and convert write 4:4:4 chroma at quality 90, we keep 4:2:0)"
fi

if want 4; then
echo
echo "== 4. project build, in process, ms per image: one at a time | build (2 workers) | build filling the cache | cached rebuild"
"$tool" rebuild "$bw" "$bh" "$work/cache-rebuild" "${photos[@]}"
fi

if want 5; then
echo
echo "== 5. GIF palette quality: PSNR (dB) against the scaled true-colour slide"
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
fi
echo
echo "== machine afterwards: load average $(cut -d' ' -f1-3 /proc/loadavg)"
