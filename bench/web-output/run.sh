#!/usr/bin/env bash
# The modern web output against the classic one, on camera-like photos generated here (6000x4000
# JPEGs, quality 92) in a 960x400 box:
#   1. a cold `lumivex-cli publish` (empty picture cache) of the same project with
#      WebOutput=Modern and without options, taking turns round by round; the ratio of the
#      medians (goal: Modern at most 2.5x Classic)
#   2. the published AVIF files against their JPEGs: bytes (goal: at most 0.6x) and PSNR against
#      the photo scaled to the slide's size (rule: at most 0.5 dB below the JPEG's)
#   3. the AVIF encoder's speed settings: bytes against time of the search over the same slides,
#      the table the speed in use was chosen from
#   4. the published page on a 412 px phone at 1.75x, mobile network and 4x CPU slowdown, in
#      Debian's Chromium (phone.mjs): first and largest paint, layout shift, first slide's bytes
#   5. long animation frames during three transitions of each kind at 4x CPU slowdown, as the
#      slideshow rotates and by its Next button, beside Swiper's and Splide's pages of the same
#      slides
#   6. Lighthouse's audit of the published page, and of the one with every option of the look,
#      beside the same slides in the pages of Swiper and Splide (lighthouse.mjs; npm installs
#      its packages here once)
#   bench/web-output/run.sh [BUILD_DIR]   (default build/; needs ImageMagick)
# Environment: IMAGES (default 8), RUNS (default 3), SIZE (default 6000x4000).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cli=$build/app/lumivex-cli
tool=$build/bench/bench_web_output
for t in "$tool" "$cli"; do
  [[ -x $t ]] || { echo "build $t first (cmake --build $build --target bench_web_output lumivex-cli)" >&2; exit 1; }
done
images=${IMAGES:-8}
runs=${RUNS:-3}
size=${SIZE:-6000x4000}
work=$(mktemp -d /tmp/lumivex-bench-web-output-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== generating $images camera-like JPEGs of $size"
photos=()
for i in $(seq 1 "$images"); do
  convert -size "$size" -seed "$i" plasma:fractal -blur 0x2 -attenuate 0.3 +noise Gaussian \
    -quality 92 "$work/photo$i.jpg"
  photos+=("$work/photo$i.jpg")
done

# Two projects that differ only in the options block.
project() {  # $1 file, $2 options block
  local settings
  settings=$(sed -n '12p' share/templates/Gallery_960x400.lvx | tr -d '\r')
  {
    printf '<Warning_Info>\r\nNote: This file was created and maintained by Lumivex 1.0.\r\n'
    printf 'Do not modify it or script project may not be opened again!\r\n</Warning_Info>\r\n'
    printf '<Product_Name>\r\nLumivex\r\n</Product_Name>\r\n<Product_Version>\r\n1.0\r\n</Product_Version>\r\n'
    printf '<Applet_Parameters>\r\n%s\r\n</Applet_Parameters>\r\n%s<Item_Parameters>\r\n' "$settings" "$2"
    for i in $(seq 1 "$images"); do
      printf 'Photo %s#$@javascript:void(0)#$@_self#$@Tip#$@Caption#$@0#$@#$@#$@-1#$@#$@%s#$@#$@#$@\r\n' \
        "$i" "$work/photo$i.jpg"
    done
    printf '</Item_Parameters>\r\n'
  } >"$1"
}
project "$work/classic.lvx" ""
project "$work/modern.lvx" $'<Lumivex_Options>\r\nWebOutput=Modern\r\n</Lumivex_Options>\r\n'

seconds() {  # $1 project: one cold publish, in seconds
  rm -rf "$work/site" "$work/cache"
  local t0 t1
  t0=$(date +%s.%N)
  XDG_CACHE_HOME=$work/cache "$cli" publish "$1" "$work/site" >/dev/null
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo "== 1. cold publish of $images photos, $runs rounds"
: >"$work/classic.t"
: >"$work/modern.t"
for r in $(seq 1 "$runs"); do
  seconds "$work/classic.lvx" >>"$work/classic.t"
  seconds "$work/modern.lvx" >>"$work/modern.t"
done
classic=$(median <"$work/classic.t")
modern=$(median <"$work/modern.t")
printf 'classic %.2f s, modern %.2f s: modern/classic %.2fx (goal <= 2.5)\n' "$classic" "$modern" \
  "$(echo "$modern / $classic" | bc -l)"

echo "== 2. published AVIF against JPEG"
rm -rf "$work/site" "$work/cache"
XDG_CACHE_HOME=$work/cache "$cli" publish "$work/modern.lvx" "$work/site" >/dev/null
"$tool" check "$work/site" "${photos[@]}"

echo "== 3. AVIF encoder speed (the search over the 1x and 2x slides of the first 3 photos)"
"$tool" speeds "${photos[@]:0:3}"

# Lighthouse and the slider libraries, installed here once.
if [[ ! bench/web-output/node_modules/.package-lock.json -nt bench/web-output/package-lock.json ]]; then
  (cd bench/web-output && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
fi
echo "== 4. the published page on a phone (412 px at 1.75x, 150 ms, 1.6 Mbit/s, 4x CPU slowdown)"
node bench/web-output/phone.mjs paint "$work/site" modern.html

echo "== 5. long animation frames during transitions"
for transition in Fade Slide Zoom; do
  project "$work/look-$transition.lvx" \
    $'<Lumivex_Options>\r\nWebOutput=Modern\r\nNavigation=ArrowsAndDots\r\nTransition='"$transition"$'\r\n</Lumivex_Options>\r\n'
  XDG_CACHE_HOME=$work/cache "$cli" publish "$work/look-$transition.lvx" "$work/look-$transition" >/dev/null
  peers=()
  [[ $transition == Fade ]] && peers=(swiper.html splide.html)
  node bench/web-output/phone.mjs frames "$work/look-$transition" "look-$transition.html" "${peers[@]}"
done

echo "== 6. Lighthouse: the published page, and the one with every option, beside Swiper and Splide on the same slides"
project "$work/every.lvx" $'<Lumivex_Options>\r\nWebOutput=Modern\r\nNavigation=ArrowsAndDots\r\nSlideFit=Fill\r\nTransition=Slide\r\n</Lumivex_Options>\r\n'
XDG_CACHE_HOME=$work/cache "$cli" publish "$work/every.lvx" "$work/every" >/dev/null
node bench/web-output/lighthouse.mjs "$work/site" modern.html
node bench/web-output/lighthouse.mjs "$work/every" every.html
