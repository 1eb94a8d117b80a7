#!/usr/bin/env bash
# Size of the shipped runtime beside the shipped files of well-known slider libraries, each
# measured here the same way: gzip -9 of the file as it is delivered. Not part of the tests.
#   bench/runtime-size/run.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$here"

if [[ ! node_modules/.package-lock.json -nt package-lock.json ]]; then
  npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
fi

version() { node -p "require('./node_modules/$1/package.json').version"; }
gz() { gzip -9 -c "$1" | wc -c; }

ours=$(gz "$root/share/lumivex.js")
target=6144  # the runtime stays within 6 KB gzipped, with every option of the look

printf '%-34s %9s %9s %9s\n' 'file' 'bytes' 'gzip -9' 'x ours'
row() { # label, file
  local g
  g=$(gz "$2")
  printf '%-34s %9d %9d %9.2f\n' "$1" "$(wc -c <"$2")" "$g" "$(awk -v a="$g" -v b="$ours" 'BEGIN { print a / b }')"
}
row "lumivex.js" "$root/share/lumivex.js"
row "lumivex.min.js (its minified copy)" "$root/share/lumivex.min.js"
row "Embla Carousel $(version embla-carousel) core" node_modules/embla-carousel/embla-carousel.umd.js
row "Glide $(version @glidejs/glide)" node_modules/@glidejs/glide/dist/glide.min.js
row "Slick $(version slick-carousel) (+ jQuery)" node_modules/slick-carousel/slick/slick.min.js
row "Splide $(version @splidejs/splide)" node_modules/@splidejs/splide/dist/js/splide.min.js
row "Swiper $(version swiper) core" node_modules/swiper/swiper.min.js
row "  jQuery $(version jquery), needed by Slick" node_modules/jquery/dist/jquery.min.js
echo
echo "Embla is without its autoplay and fade plugins; Slick needs jQuery besides."
if ((ours <= target)); then
  echo "lumivex.js: $ours bytes gzipped, within the $target-byte target"
else
  echo "lumivex.js: $ours bytes gzipped, OVER the $target-byte target"
  exit 1
fi
