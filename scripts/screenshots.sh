#!/usr/bin/env bash
# The screenshots of the AppStream metainfo, made with the real editor under Xvfb and openbox:
# the sample project opened (editor.png), then with the live preview beside it (preview.png),
# at the size the metainfo declares.
#   screenshots.sh LUMIVEX SAMPLES_FOLDER OUT_FOLDER
set -euo pipefail
if [[ ${1:-} != --inner ]]; then
  (($# == 3)) || { echo "usage: $0 LUMIVEX SAMPLES_FOLDER OUT_FOLDER" >&2; exit 2; }
  mkdir -p "$3"
  work=$(mktemp -d "${TMPDIR:-/tmp}/lumivex-shots.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" \
    bash "$0" --inner "$work" "$(readlink -f "$1")" "$(readlink -f "$2")" "$(readlink -f "$3")"
  exit
fi
work=$2 lumivex=$3 samples=$4 out=$5
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The editor keeps its recent files and preview in its program folder: a private copy.
prog=$work/program
mkdir -p "$prog" "$work/sample"
cp "$lumivex" "$(dirname "$lumivex")/lumivex.js" "$prog/"
cp "$samples"/* "$work/sample/"
openbox >/dev/null 2>&1 &
wm=$!
"$prog/lumivex" "$work/sample/Sample.lvx" >"$work/lumivex.log" 2>&1 &
app=$!
trap 'kill $app $wm 2>/dev/null; wait 2>/dev/null' EXIT
main=
for ((i = 0; i < 300; i++)); do
  [[ -n $main ]] && break
  kill -0 "$app" || { cat "$work/lumivex.log" >&2; exit 1; }
  main=$(xdotool search --onlyvisible --name '^Lumivex$' 2>/dev/null | head -n 1) || true
  sleep 0.1
done
[[ -n $main ]] || { echo "no main window" >&2; exit 1; }
wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz 2>/dev/null || xdotool windowsize "$main" 100% 100%
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
sleep 2
import -window root "$out/editor.png"
xdotool key --window "$main" F9
sleep 5
import -window root "$out/preview.png"
