#!/usr/bin/env bash
# Every text of the windows' sources and forms is in the German catalogue, translated: lupdate,
# run over them into a copy of the catalogue, finds no new text and leaves none unfinished.
#   catalogue_test.sh CMAKE GENERATOR_SCRIPT PROJECT.cmake LUPDATE CATALOGUE.ts
set -euo pipefail
cmake=$1 generator=$2 project=$3 lupdate=$4 catalogue=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cmake" -DIN_FILE="$project" -DOUT_FILE="$work/project.json" -P "$generator"
cp "$catalogue" "$work/catalogue.ts"
"$lupdate" -project "$work/project.json" -ts "$work/catalogue.ts" -no-obsolete -locations none \
  >"$work/lupdate.log" 2>&1 || { cat "$work/lupdate.log"; exit 1; }
cat "$work/lupdate.log"
if ! grep -q '(0 new and' "$work/lupdate.log"; then
  echo "FAIL: texts missing from $catalogue: cmake --build build --target update_translations" >&2
  exit 1
fi
if grep -q 'type="unfinished"' "$work/catalogue.ts"; then
  echo "FAIL: untranslated texts in $catalogue:" >&2
  grep -B2 'type="unfinished"' "$work/catalogue.ts" | grep '<source>' >&2
  exit 1
fi
echo "1 passed, 0 failed"
