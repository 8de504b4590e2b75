#!/usr/bin/env bash
# Builds the Release configuration and starts the editor on a small map of our
# own. Without a display it says so and draws the map with veld-tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELD_TESTS=OFF
cmake --build build/release -j2

map="${1:-examples/box_room.map}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/app/veld "$map"
fi

echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the editor cannot open its window."
echo "veld-tool render draws the 3D view of a map without a display:"
echo "  build/release/src/tool/veld-tool render $map build/release/view.png"
build/release/src/tool/veld-tool render "$map" build/release/view.png
echo "Drew $map into build/release/view.png."
