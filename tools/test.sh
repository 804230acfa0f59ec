#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test under one
# private X display. Works from any folder and when run again.
#   BUILD_DIR  build folder (default: <checkout>/build)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"

"$ROOT/tools/setup.sh"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
# A wine server left from an earlier run keeps the display it started on: end it.
/usr/lib/wine/wineserver64 -k 2>/dev/null || true

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" || status=$?
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
exit $status
