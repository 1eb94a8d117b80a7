#!/usr/bin/env bash
# Saving in the editor while the slide images are made in the background: COUNT camera photos
# (default 30 copies of one 24-megapixel JPEG), saved cold into a new folder. Prints the save's
# time beside the same publish by lumivex-cli (the peer: what the window would freeze for if it
# published on its own thread), the event loop's longest block meanwhile (goal: under 50 ms),
# and a save cancelled at 40 %: how long Cancel took (goal: under 1 s) and whether the folder
# stayed byte for byte as it was. In process, offscreen, with a fresh image cache.
#   bench/publish/run.sh [BUILD_DIR]   (needs ImageMagick; SIZE, COUNT)
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/camera-photos.sh
build=${1:-build}
tool=$build/bench/bench_editor_ops
cli=$build/app/lumivex-cli
for program in "$tool" "$cli"; do
  [[ -x $program ]] || { echo "build $program first" >&2; exit 1; }
done
size=${SIZE:-6000x4000}
count=${COUNT:-30}
work=$(mktemp -d /tmp/lumivex-bench-publish-XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
camera_photos "$work" "$count" "$size"
echo "== $count photos of $size"

QT_QPA_PLATFORM=offscreen "$tool" save "$work/photos" "$work/cli.lvx" 2>/dev/null |
  grep -v '^startup_' >"$work/out"
[[ -f $work/cli.lvx ]] || { echo "the editor's save made no project" >&2; exit 1; }

# The peer: the project the editor saved, published by the CLI.
# Each run from a cold cache into a new folder, as the editor's save above.
farm-bench -n 3 --warmup 0 --timeout 900 -- sh -c "rm -rf '$work/cc' '$work/cs'; \
  XDG_CACHE_HOME='$work/cc' exec '$cli' publish '$work/cli.lvx' '$work/cs'" >"$work/cli.txt" 2>&1
grep -E "^A (wall|peak)" "$work/cli.txt"
cli_ms=$(awk '/^A wall s/ { printf "%d", $5 * 1000 }' "$work/cli.txt")

awk -v cli="$cli_ms" '
  { v[$1] = $2 }
  END {
    printf "save of %d photos, cold     %8.1f ms   lumivex-cli publish (peer) %d ms, ratio %.2f\n",
      v["photos"], v["save_ms"], cli, v["save_ms"] / cli
    printf "longest event-loop block  %8.1f ms   goal < 50 ms (the peer blocks %d ms), ratio %.3f\n",
      v["worst_block_ms"], cli, v["worst_block_ms"] / cli
    printf "Cancel at 40 %%, took      %8.1f ms   goal < 1000 ms\n", v["cancel_ms"]
    printf "folder as it was          %8s      still modified %s\n",
      v["folder_unchanged"] ? "yes" : "NO", v["still_modified"] ? "yes" : "NO"
  }' "$work/out"
