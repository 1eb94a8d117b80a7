#!/usr/bin/env bash
# Starts the editor when there is a display; otherwise publishes the sample project with the
# command-line tool and says where the site is.
set -euo pipefail
cd "$(dirname "$0")/.."
editor=build/app/lumivex
cli=build/app/lumivex-cli
if [[ -x "$editor" && -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec "$editor" "$@"
fi
if [[ -x "$cli" && -f share/samples/Sample.lvx ]]; then
  out=build/sample-site
  mkdir -p "$out"
  "$cli" publish share/samples/Sample.lvx "$out"
  echo "No display: published the sample project to $out/ (open $out/Sample.html in a browser)."
  exit 0
fi
if [[ -x "$cli" ]]; then
  exec "$cli" --help
fi
echo "Nothing to start yet: the editor and the command-line tool are not built." >&2
exit 1
