#!/usr/bin/env bash
# Times the project file's save and load of 10,000 items, of a 10 MB item line and of 100,000
# items against the I/O floor of the same file, and reports each run's peak memory (from /usr/bin/time -v) beside the
# peak of a run that does nothing.   Usage: bench/project-file/run.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
bin=$build/bench/bench_project_file
if [[ ! -x $bin ]]; then
  echo "not built: cmake --build $build --target bench_project_file" >&2
  exit 1
fi
if [[ ! -x /usr/bin/time ]]; then
  echo "needs /usr/bin/time: scripts/install-deps.sh --bench" >&2
  exit 1
fi
stats=$(mktemp)
trap 'rm -f "$stats"' EXIT
peak() { sed -n 's/.*Maximum resident set size (kbytes): //p' "$stats"; }

/usr/bin/time -v -o "$stats" "$bin" idle
idle=$(peak)
echo "peak memory of an idle run: $((idle / 1024)) MB"
for mode in items longline scaling; do
  /usr/bin/time -v -o "$stats" "$bin" "$mode"
  kb=$(peak)
  echo "  peak memory: $((kb / 1024)) MB ($(((kb - idle) / 1024)) MB above idle)"
done
