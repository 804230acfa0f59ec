#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts the program.
# With no X display (a server, CI) it starts a private Xvfb.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"

"$ROOT/tools/setup.sh"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

export WINEPREFIX="$BUILD/wineprefix"
"$ROOT/tools/make-prefix" "$WINEPREFIX"
exec "$ROOT/tools/wine-run" "$BUILD/app/GeradorEstratos.exe" "$@"
