#!/usr/bin/env bash
# Start-up benchmark: the editor against a bare Qt main window linking the same Qt modules
# (bench_bare_qt), both started RUNS times in turn under one Xvfb display with openbox; the time
# runs from the process's start to its window being mapped (polled with xdotool every ~5 ms).
# Then the editor's memory after start-up, the main window's Open, Insert and Move Down on a
# 2,000-item project, and Refresh in the preview window for the sample project.
#   bench/startup/run.sh [BUILD_DIR]   (default build/; RUNS=9 ITEMS=2000 ROUNDS=7)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(realpath "${1:-build}")
editor=$build/app/lumivex
cli=$build/app/lumivex-cli
bare=$build/bench/bench_bare_qt
ops=$build/bench/bench_editor_ops
runs=${RUNS:-9}
items=${ITEMS:-2000}
rounds=${ROUNDS:-7}

if [[ "${LUMIVEX_BENCH_INNER:-}" != 1 ]]; then
  for program in "$editor" "$cli" "$bare" "$ops"; do
    [[ -x $program ]] || {
      echo "not built: $program (cmake --build ${1:-build} --target lumivex lumivex-cli bench_bare_qt bench_editor_ops)" >&2
      exit 1
    }
  done
  for tool in xvfb-run openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "needs $tool: scripts/install-deps.sh" >&2; exit 1; }
  done
  export LUMIVEX_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

work=$(mktemp -d /tmp/lumivex-bench-startup-XXXXXX)
wm_pid=
cleanup() {
  [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
openbox >/dev/null 2>&1 &
wm_pid=$!
for ((i = 0; i < 200; i++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
now_us() { local t=$EPOCHREALTIME; echo "${t/./}"; }

# Settings as QSettings keeps them for "1.0/Settings": the first group is the section, the rest
# of the path is part of the key.
no_chooser_config=$work/config-no-chooser
mkdir -p "$no_chooser_config/ZQX"
printf '[1.0]\nSettings\\ShowTempletsDialog=0\n' >"$no_chooser_config/ZQX/Lumivex.conf"
data_home=$work/data
cache_home=$work/cache
mkdir -p "$data_home" "$cache_home"

# Starts PROGRAM with XDG_CONFIG_HOME=CONFIG and waits for its window named like PATTERN to be
# mapped; leaves the process id in $started and the milliseconds in $elapsed.
started=
elapsed=
t0=
start_and_wait() {
  local config=$1 pattern=$2 program=$3
  t0=$(now_us)
  XDG_CONFIG_HOME=$config XDG_DATA_HOME=$data_home XDG_CACHE_HOME=$cache_home "$program" \
    >>"$work/programs.log" 2>&1 &
  started=$!
  until xdotool search --all --onlyvisible --pid "$started" --name "$pattern" >/dev/null 2>&1; do
    kill -0 "$started" 2>/dev/null || { echo "$program ended during start-up" >&2; exit 1; }
    sleep 0.005
  done
  elapsed=$(awk -v a="$t0" -v b="$(now_us)" 'BEGIN { printf "%.1f", (b - a) / 1000 }')
}
# Then waits for another window of the same process, timed from the same start.
wait_also() {
  until xdotool search --all --onlyvisible --pid "$started" --name "$1" >/dev/null 2>&1; do
    kill -0 "$started" 2>/dev/null || { echo "ended before showing $1" >&2; exit 1; }
    sleep 0.005
  done
  elapsed=$(awk -v a="$t0" -v b="$(now_us)" 'BEGIN { printf "%.1f", (b - a) / 1000 }')
}
stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
one_start() {
  case $1 in
    bare) start_and_wait "$work/config-bare" '^Bare Qt Window$' "$bare" ;;
    editor) start_and_wait "$no_chooser_config" '^Lumivex$' "$editor" ;;
    chooser)
      rm -rf "$work/config-fresh"
      mkdir -p "$work/config-fresh"
      start_and_wait "$work/config-fresh" '.' "$editor"
      ;;
  esac
}

echo "== start-up to the first window mapped, $runs runs each in turn (ms)"
# One unmeasured start of each fills the file cache and the user's registration files.
for kind in bare editor chooser; do
  one_start "$kind"
  stop "$started"
done
bare_times=() editor_times=() chooser_times=() chooser_shown_times=()
for ((r = 0; r < runs; r++)); do
  one_start bare
  bare_times+=("$elapsed")
  stop "$started"
  one_start editor
  editor_times+=("$elapsed")
  # The editor with its settings asks no template question: the chooser must not show.
  sleep 0.3
  if xdotool search --all --onlyvisible --pid "$started" --name '^Template$' >/dev/null 2>&1; then
    echo "the template chooser showed although ShowTempletsDialog=0" >&2
    exit 1
  fi
  stop "$started"
  one_start chooser
  chooser_times+=("$elapsed")
  wait_also '^Template$'
  chooser_shown_times+=("$elapsed")
  stop "$started"
done
minimum() { tr ' ' '\n' | grep . | sort -g | head -n 1; }
# The machine may be shared: the median is the typical start, the minimum the least disturbed.
printf '  %-28s %8s %8s   %s\n' "" median min runs
row() {
  local name=$1
  shift
  printf '  %-28s %8s %8s   %s\n' "$name" "$(echo "$*" | median)" "$(echo "$*" | minimum)" "$*"
}
ratio_row() {
  local name=$1 a=$2 b=$3 goal=$4
  printf '  %-28s %8s %8s   %s\n' "$name" "$(ratio "$(echo "$a" | median)" "$(echo "$b" | median)")" \
    "$(ratio "$(echo "$a" | minimum)" "$(echo "$b" | minimum)")" "$goal"
}
row "bare Qt QMainWindow" "${bare_times[@]}"
row "lumivex, no chooser" "${editor_times[@]}"
row "lumivex, template chooser" "${chooser_times[@]}"
row "  the chooser itself shown" "${chooser_shown_times[@]}"
ratio_row "ratio lumivex / bare" "${editor_times[*]}" "${bare_times[*]}" "goal <= 1.30"
ratio_row "ratio chooser / bare" "${chooser_times[*]}" "${bare_times[*]}" "goal <= 1.30 (first window)"
ratio_row "ratio chooser shown / bare" "${chooser_shown_times[*]}" "${bare_times[*]}" ""

echo
echo "== resident memory 3 s after start-up (the preview window's own timer has fired)"
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
descendants() {
  local children
  children=$(cat /proc/"$1"/task/*/children 2>/dev/null || true)
  for c in $children; do
    echo "$c"
    descendants "$c"
  done
}
one_start editor
editor_pid=$started
one_start bare
bare_pid=$started
sleep 3
editor_rss=$(rss_kib "$editor_pid")
bare_rss=$(rss_kib "$bare_pid")
engines=0
for d in $(descendants "$editor_pid"); do
  if [[ "$(cat "/proc/$d/comm" 2>/dev/null)" == QtWebEngineProc* ]]; then
    engines=$((engines + 1))
  fi
done
stop "$editor_pid"
stop "$bare_pid"
printf '  lumivex RSS                  %8s KiB\n' "$editor_rss"
printf '  bare Qt RSS                  %8s KiB\n' "$bare_rss"
printf '  ratio lumivex / bare         %8s\n' "$(ratio "$editor_rss" "$bare_rss")"
printf '  web engine processes         %8s      goal: 0 until a web view is shown\n' "$engines"

echo
{
  printf '%s\r\n' '<Generator_Name>' 'Lumivex' '</Generator_Name>' '<Generator_Version>' '1.0' \
    '</Generator_Version>' '<Product_Name>' 'General Menu Structure Description Format' \
    '</Product_Name>' '<Product_Version>' '1.0' '</Product_Version>' '<Structure_Description>'
  for ((i = 1; i <= items; i++)); do
    printf '0#$@Slide %d#$@https://example.com/%d.html#$@_self#$@Description of slide %d#$@\r\n' \
      "$i" "$i" "$i"
  done
  printf '%s\r\n' '</Structure_Description>'
} >"$work/large.gms"
"$cli" import-gms "$work/large.gms" "$work/large.lvx" >/dev/null
"$ops" ops "$work/large.lvx" "$rounds" >"$work/ops.txt" 2>"$work/ops.log" || {
  cat "$work/ops.log" >&2
  exit 1
}
awk '/^startup_/ { sub(/^startup_/, "", $1); gsub(/_/, " ", $1); printf "  %-27s %8.1f\n", $1, $2 }' \
  "$work/ops.txt" | sed '1i == where the editor'"'"'s start-up goes, in process, first time (ms)'
echo
echo "== main window commands on a $items-item project, median of $rounds (ms, events included)"
awk -v n="$items" '
  $1 == "items" { if ($2 != n) { print "  opened " $2 " items, not " n; bad = 1 } }
  $1 == "open" || $1 == "insert" || $1 == "movedown" || $1 == "undo" || $1 == "redo" {
    printf "  %-27s %8.1f   best %6.1f   goal < 50\n", $1, $2, $3 }
  $1 == "bulkedit" || $1 == "bulkundo" {
    printf "  %-27s %8.1f   best %6.1f   goal < 100\n", $1 " (all selected)", $2, $3 }
  $1 == "relink" { printf "  %-27s %8.1f   best %6.1f   goal < 1000\n", "relink every photo", $2, $3 }
  END { exit bad }' "$work/ops.txt"

echo
echo "== Refresh in the preview window to the page loaded, sample project (ms)"
mkdir -p "$work/sample"
cp -R share/samples/. "$work/sample/"
"$ops" preview "$work/sample/Sample.lvx" "$rounds" >"$work/preview.txt" 2>"$work/preview.log" || {
  cat "$work/preview.log" >&2
  exit 1
}
awk '
  $1 == "preview_first_load" { printf "  first load (browser start)  %8.1f\n", $2 }
  $1 == "preview_refresh" {
    printf "  refresh, warm image cache   %8.1f   best %6.1f   goal < 300\n", $2, $3 }' \
  "$work/preview.txt"
