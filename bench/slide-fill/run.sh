#!/usr/bin/env bash
# The cost of filled slides: COUNT camera photos (default 8 of 6000x4000, 3:2, in the 960x400 box
# of the Gallery template) published by lumivex-cli with SlideFit=Fit and SlideFit=Fill, the
# latter with the focal point found and with it set on every slide (on the subject), classic and
# modern, each from a fresh image cache, best of RUNS. Goal: Fill within 10 % of Fit. The photos
# come twice: as a camera writes them, with a thumbnail in their EXIF block (letterboxed 160 x 120,
# as most cameras make it), and as editing tools often leave them, without one.
#   bench/slide-fill/run.sh [BUILD_DIR]   (needs ImageMagick and exiftool; SIZE, COUNT, RUNS)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
cli=$root/${1:-build}/app/lumivex-cli
[[ -x $cli ]] || { echo "build $cli first" >&2; exit 1; }
size=${SIZE:-6000x4000}
count=${COUNT:-8}
runs=${RUNS:-3}
work=$(mktemp -d /tmp/lumivex-bench-fill-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
# A subject off-centre on a textured ground, as a camera would frame it.
convert -size "$size" -seed 1 plasma:fractal -blur 0x1 -attenuate 0.4 +noise Gaussian \
  -fill '#d02018' -draw "circle $(( ${size%x*} * 4 / 5 )),$(( ${size#*x} / 2 )) $(( ${size%x*} * 4 / 5 + ${size#*x} / 8 )),$(( ${size#*x} / 2 ))" \
  -sampling-factor 2x1 -quality 92 "$work/photo.jpg"
convert "$work/photo.jpg" -resize 160x120 -background black -gravity center -extent 160x120 \
  -quality 80 "$work/thumbnail.jpg"
cp "$work/photo.jpg" "$work/camera.jpg"
exiftool -q -overwrite_original '-ThumbnailImage<='"$work/thumbnail.jpg" "$work/camera.jpg"
echo "== $count photos of $size"

project() { # web output, slide fit, focal point ("" to find it)
  python3 - "$root/share/templates/Gallery_960x400.lvx" "$work" "$count" "$1" "$2" "$3" <<'PY'
import sys
template, work, count, output, fit, point = sys.argv[1:]
head, rest = open(template, 'rb').read().split(b'<Lumivex_Options>\r\n')
tail = rest.split(b'<Item_Parameters>\r\n')[1].split(b'</Item_Parameters>')[1]
options = b'WebOutput=%s\r\nSlideFit=%s\r\n</Lumivex_Options>\r\n' % (output.encode(), fit.encode())
items = b''.join(b'Photo %d#$@#$@_self#$@#$@#$@0#$@%s#$@#$@-1#$@#$@%s/IMG_%d.jpg#$@#$@#$@\r\n'
                 % (i, point.encode(), work.encode(), i) for i in range(1, int(count) + 1))
sys.stdout.buffer.write(head + b'<Lumivex_Options>\r\n' + options + b'<Item_Parameters>\r\n' +
                        items + b'</Item_Parameters>' + tail)
PY
}

printf '%-10s %-14s %8s %8s %8s %9s %10s\n' output photos 'Fit s' 'Fill s' 'Fill/Fit' 'set, s' 'set/Fit'
for photos in camera tool; do
  for i in $(seq 1 "$count"); do
    if [[ $photos == camera ]]; then from=camera.jpg; else from=photo.jpg; fi
    cp "$work/$from" "$work/IMG_$i.jpg"
  done
  for output in Classic Modern; do
    declare -A best=()
    for fit in Fit Fill Set; do
      case $fit in
        Set) project "$output" Fill "80,50" ;;
        *) project "$output" "$fit" "" ;;
      esac >"$work/$output$fit.lvx"
      best[$fit]=999
      for _ in $(seq 1 "$runs"); do
        rm -rf "$work/cache" "$work/out"
        start=$(date +%s.%N)
        XDG_CACHE_HOME=$work/cache "$cli" publish "$work/$output$fit.lvx" "$work/out" >/dev/null
        t=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
        best[$fit]=$(awk -v a="${best[$fit]}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
      done
    done
    printf '%-10s %-14s %8.2f %8.2f %8.2f %9.2f %10.2f\n' "$output" "$photos" "${best[Fit]}" "${best[Fill]}" \
      "$(awk -v a="${best[Fill]}" -v b="${best[Fit]}" 'BEGIN { print a / b }')" "${best[Set]}" \
      "$(awk -v a="${best[Set]}" -v b="${best[Fit]}" 'BEGIN { print a / b }')"
  done
done
