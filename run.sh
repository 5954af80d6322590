#!/usr/bin/env bash
# Installs what is missing, builds the program in build/ and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVL_BUILD_TESTS=OFF >/dev/null
cmake --build build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    echo "Run it headless with: QT_QPA_PLATFORM=offscreen ./run.sh" >&2
    exit 1
fi
exec ./build/app/kvl52110 "$@"
