#!/usr/bin/env bash
# Builds the Release configuration and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELD_TESTS=OFF
cmake --build build/release -j2
echo "The model and geometry kernel are built; the editor window comes with the application shell."
