#!/usr/bin/env bash
# Builds the web page (the `web` preset) and runs its browser test against
# the program: run.sh SOURCE_DIR PROGRAM [browser_test.mjs options...]
#
# Without emscripten, chromium, node or npm it says so and exits 77, which
# ctest reports as skipped; under CI (CI=true) the page must be tested, so
# there the same is a failure.
set -euo pipefail
source_dir=$1
program=$2
shift 2

missing=()
for command in em++ chromium node npm python3; do
  command -v "$command" >/dev/null 2>&1 || missing+=("$command")
done
if [ "${#missing[@]}" -gt 0 ]; then
  if [ "${CI:-}" = true ]; then
    echo "failed: the browser tests need ${missing[*]} (scripts/install-deps installs them)"
    exit 1
  fi
  echo "skipped: the browser tests need ${missing[*]} (scripts/install-deps installs them)"
  exit 77
fi

cd "$source_dir"
cmake --preset web >/dev/null
cmake --build --preset web
# puppeteer-core as web/package-lock.json pins it; it drives Debian's
# chromium and never downloads a browser of its own.
if ! cmp -s web/package-lock.json web/node_modules/.installed-lock.json 2>/dev/null; then
  (cd web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  cp web/package-lock.json web/node_modules/.installed-lock.json
fi
exec node tests/web/browser_test.mjs --page build-web/web --program "$program" \
  --source "$source_dir" "$@"
