#!/usr/bin/env bash
# Builds the Debug configuration with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer, warnings as errors, and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/check_includes.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DVELD_SANITIZE=ON -DVELD_WERROR=ON -DVELD_FUZZ=ON
cmake --build build/test -j2
cd build/test
ctest --output-on-failure -j2
