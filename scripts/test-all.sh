#!/usr/bin/env bash
# Every test of the project: the formatting check, the engine and program tests of the normal build, the engine tests
# again under the address and undefined-behaviour sanitizers, a bounded run of every fuzzer, and
# the runtime's browser tests. Fails when any of them fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${LUMIVEX_JOBS:-2}
fuzz_seconds=${LUMIVEX_FUZZ_SECONDS:-20}

echo "== formatting (clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== tests (build/)"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== engine tests under address and undefined sanitizers (build-sanitize/)"
sanitize_args=(-DLUMIVEX_WERROR=ON -DLUMIVEX_SANITIZE=ON -DLUMIVEX_ENGINE_ONLY=ON -DCMAKE_BUILD_TYPE=Debug)
if command -v clang++ >/dev/null; then
  sanitize_args+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLUMIVEX_FUZZ=ON)
fi
cmake -S . -B build-sanitize -G Ninja "${sanitize_args[@]}" >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L engine

shopt -s nullglob
fuzzers=(build-sanitize/tests/fuzz_*)
if ((${#fuzzers[@]})); then
  echo "== fuzzers, ${fuzz_seconds}s each"
  for f in "${fuzzers[@]}"; do
    name=$(basename "$f")
    corpus=tests/fuzz/corpus/${name#fuzz_}
    work=$(mktemp -d)
    seeds=()
    [[ -d "$corpus" ]] && seeds=("$corpus")
    echo "-- $name"
    (cd "$work" && ASAN_OPTIONS=detect_leaks=1 "$OLDPWD/$f" -max_total_time="$fuzz_seconds" \
        -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$OLDPWD/build-sanitize/fuzz-artifacts-" -print_final_stats=0 "$work" "${seeds[@]/#/$OLDPWD/}" 2>&1 | tail -n 3) \
      || { echo "fuzzer $name failed"; exit 1; }
    rm -rf "$work"
  done
fi

if [[ -x scripts/test-runtime.sh ]]; then
  echo "== runtime browser tests"
  scripts/test-runtime.sh
fi
echo "== all tests passed"
