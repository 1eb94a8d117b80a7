#!/usr/bin/env bash
# Upload after one caption edit in a project of COUNT slides (default 100), over SFTP to an
# OpenSSH server started here on 127.0.0.1: the files sent (goal: at most 3) and the seconds of
# the whole `lumivex-cli upload`, publish included (goal: under 1 s), against OpenSSH's own sftp
# sending the same published folder in batch mode, measured in the same run.
#   bench/upload/run.sh [BUILD_DIR]   (needs ImageMagick and openssh-server; RUNS, default 5)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cli=$build/app/lumivex-cli
[[ -x $cli ]] || { echo "build $cli first (cmake --build $build --target lumivex-cli)" >&2; exit 1; }
count=${COUNT:-100}
runs=${RUNS:-5}
source tests/upload/start_sshd.sh
work=$(mktemp -d /tmp/lumivex-bench-upload-XXXXXX)
trap 'stop_sshd "$work/srv"; rm -rf "$work"' EXIT
export HOME=$work/home XDG_CACHE_HOME=$work/cache TMPDIR=$work/tmp
mkdir -p "$HOME/.ssh" "$TMPDIR"
unset SSH_AUTH_SOCK
start_sshd "$work/srv"
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/srv/host_key.pub")" >"$HOME/.ssh/known_hosts"
key=$work/srv/client_key
user=$(id -un)

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
# A project of COUNT slides of 800x600 JPEGs, each its own picture.
mkdir "$work/project"
convert -size 800x600 -seed 1 plasma:fractal -quality 85 "$work/base.jpg"
for i in $(seq 0 $((count - 1))); do
  convert "$work/base.jpg" -modulate 100,100,$((i * 200 / count)) "$work/project/slider$i.jpg"
done
{
  sed -n '1,/^<Item_Parameters>/p' share/samples/Sample.lvx
  for i in $(seq 0 $((count - 1))); do
    printf 'Slide %d#$@#$@_self#$@#$@Caption %d#$@0#$@#$@#$@-1#$@slider%d.jpg#$@#$@400#$@300#$@\r\n' \
      "$i" "$i" "$i"
  done
  printf '</Item_Parameters>\r\n'
} >"$work/project/Show.lvx"
cp share/samples/wait.gif "$work/project/"
project=$work/project/Show.lvx
echo "== $count slides, $(du -sh "$work/project" | cut -f1) published"

seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
first_start=$(date +%s%N)
"$cli" upload "$project" "sftp://$user@127.0.0.1:$port$work/site" --identity "$key" >"$work/out"
first=$(seconds "$first_start" "$(date +%s%N)")
echo "first upload: $(grep -c '^sent ' "$work/out") files in $first s"

ours=()
peer=()
sent_max=0
for run in $(seq "$runs"); do
  sed -i "s/Caption 7#/Caption 7, edit $run#/" "$project"
  start=$(date +%s%N)
  "$cli" upload "$project" "sftp://$user@127.0.0.1:$port$work/site" --identity "$key" >"$work/out"
  ours+=("$(seconds "$start" "$(date +%s%N)")")
  sent=$(grep -c '^sent ' "$work/out" || true)
  ((sent > sent_max)) && sent_max=$sent
  # The peer: the same edit published, and the folder sent whole with sftp in batch mode.
  rm -rf "$work/published"
  start=$(date +%s%N)
  "$cli" publish "$project" "$work/published" >/dev/null
  printf 'cd %s\nlcd %s\nput *\n' "$work/peer" "$work/published" >"$work/batch"
  mkdir -p "$work/peer"
  sftp -q -b "$work/batch" -P "$port" -i "$key" -o IdentitiesOnly=yes \
    -o UserKnownHostsFile="$HOME/.ssh/known_hosts" "$user@127.0.0.1" >/dev/null
  peer+=("$(seconds "$start" "$(date +%s%N)")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
m_ours=$(median "${ours[@]}")
m_peer=$(median "${peer[@]}")
echo "after one caption edit, median of $runs runs (publish included in both):"
printf '  lumivex-cli upload      %6.3f s, at most %d files sent   goal: <= 3 files, < 1 s\n' \
  "$m_ours" "$sent_max"
printf '  publish + sftp -b put * %6.3f s, %d files sent\n' "$m_peer" "$(ls "$work/published" | wc -l)"
awk -v a="$m_ours" -v b="$m_peer" 'BEGIN { printf "  ratio ours / peer       %6.2f\n", a / b }'
