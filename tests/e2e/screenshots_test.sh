#!/usr/bin/env bash
# The metainfo's screenshots are made by scripts/screenshots.sh: each image it names comes out
# at the size it declares, and shows a window rather than a blank screen.
#   screenshots_test.sh LUMIVEX SOURCE_DIR
set -uo pipefail
lumivex=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
metainfo=$source/share/metainfo/org.lumivex.Lumivex.metainfo.xml
bash "$source/scripts/screenshots.sh" "$lumivex" "$source/share/samples" "$work/shots" ||
  { echo "FAIL: screenshots.sh"; exit 1; }
failures=0
declared=$(grep -o '<image type="source" width="[0-9]*" height="[0-9]*">[^<]*' "$metainfo" |
  sed 's/.*width="\([0-9]*\)" height="\([0-9]*\)">.*\/\([^/]*\)$/\3 \1x\2/')
[[ -n $declared ]] || { echo "FAIL: the metainfo declares no screenshot"; exit 1; }
while read -r name size; do
  shot=$work/shots/$name
  if [[ ! -f $shot ]]; then
    echo "FAIL: $name was not made"; failures=$((failures + 1)); continue
  fi
  got=$(identify -format '%wx%h' "$shot")
  [[ $got == "$size" ]] || { echo "FAIL: $name is $got, the metainfo says $size"; failures=$((failures + 1)); }
  colours=$(convert "$shot" -format '%k' info:)
  ((colours > 50)) || { echo "FAIL: $name shows $colours colours"; failures=$((failures + 1)); }
done <<<"$declared"
((failures)) && exit 1
echo "screenshots: $(wc -l <<<"$declared") made as the metainfo declares"
