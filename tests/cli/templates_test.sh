#!/usr/bin/env bash
# Every shipped template opens and publishes cleanly: lumivex-cli publishes it without a message,
# writes it back unchanged (so it is in the form the program itself writes), and the published
# folder holds every file that the report, the page and the configuration script name. The
# templates folder holds nothing that no template uses.
set -uo pipefail
cli=$1
templates=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

shopt -s nullglob
projects=("$templates"/*.lvx)
((${#projects[@]} >= 4)) || fail "expected at least four templates, found ${#projects[@]}"

declare -A used=()
for project in "${projects[@]}"; do
  name=$(basename "$project")
  base=${name%.lvx}
  site=$work/$base
  if ! "$cli" publish "$project" "$site" >"$work/out" 2>"$work/err"; then
    fail "$name: publish failed: $(head -c 300 "$work/err")"
    continue
  fi
  [[ -s "$work/err" ]] && fail "$name: publish said: $(head -c 300 "$work/err")"
  cmp -s "$project" "$site/$name" || fail "$name: publishing changed the project file"

  settings=$(sed -n '12p' "$project")
  id=${settings%%#\$@*}
  for f in "$base.html" "${base}_PublishReport.txt" "$id.css" "${id}cfg.js" lumivex.js; do
    [[ -f "$site/$f" ]] || fail "$name: no $f after publishing"
  done

  # every file the report lists is in the folder
  listed=0
  while IFS= read -r line; do
    file=${line#  }
    file=${file%$'\r'}
    listed=$((listed + 1))
    [[ -f "$site/$file" ]] || fail "$name: the report lists $file, which is missing"
  done < <(grep -a '^  ' "$site/${base}_PublishReport.txt")
  ((listed >= 3)) || fail "$name: the report lists $listed files"

  # every picture the slideshow loads came from the templates folder and was published
  images=$(grep -ao "^\['[^']*'" "$site/${id}cfg.js" | cut -c3- | tr -d "'")
  loading=$(grep -a '^background-image: url(' "$site/$id.css" | sed 's/^background-image: url(\.\/\(.*\));$/\1/')
  for file in $images $loading; do
    used[$file]=1
    [[ -f "$templates/$file" ]] || fail "$name: uses $file, which is not in the templates folder"
    cmp -s "$templates/$file" "$site/$file" || fail "$name: $file was not published as shipped"
  done
  # Classic pages write the placeholder in capitals; modern ones in lower case, with the first slide.
  grep -aqi "^<div id=\"${id}_div\" class=\"$id\">.*</div>" "$site/$base.html" || fail "$name: page lacks the placeholder"
done

# the templates come in different sizes
sizeset=$(for project in "${projects[@]}"; do sed -n '12p' "$project" | awk -F'#\\$@' '{print $11 "x" $12}'; done | sort -u | wc -l)
((sizeset >= 4)) || fail "expected at least four different slideshow sizes, found $sizeset"

for file in "$templates"/*; do
  name=$(basename "$file")
  [[ $name == *.lvx ]] && continue
  [[ -n "${used[$name]:-}" ]] || fail "templates folder holds $name, which no template uses"
done

if ((failures)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "templates: ${#projects[@]} templates publish cleanly"
