#!/usr/bin/env bash
# Browser tests of the slideshow runtime share/lumivex.js, in headless Chromium through
# playwright-core (installed by scripts/install-deps.sh). Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ! -d node_modules/playwright-core ]]; then
  echo "test-runtime: node_modules/playwright-core is missing; run scripts/install-deps.sh" >&2
  exit 1
fi
if [[ ! -x "${CHROMIUM:-/usr/bin/chromium}" ]]; then
  echo "test-runtime: ${CHROMIUM:-/usr/bin/chromium} is missing; run scripts/install-deps.sh" >&2
  exit 1
fi
exec node --test tests/runtime/*.test.mjs
