#!/usr/bin/env bash
# Writes share/lumivex.min.js, the minified copy of the slideshow runtime, with the terser pinned in
# package-lock.json. A runtime test fails while the committed copy differs from what this writes.
#   scripts/minify-runtime.sh [output]   (default share/lumivex.min.js)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-share/lumivex.min.js}

if [[ ! -x node_modules/.bin/terser ]]; then
  echo "minify-runtime: node_modules/.bin/terser is missing; run scripts/install-deps.sh" >&2
  exit 1
fi
# bUar and bdas stay global: the configuration scripts call them by name.
node_modules/.bin/terser share/lumivex.js --compress passes=2 --mangle \
  --format "comments=false,preamble='/* Lumivex 1.0 slideshow runtime, minified from lumivex.js */'" \
  --output "$out"
