#!/usr/bin/env bash
# Installs what is needed and builds Vantrel with its tests into $VANTREL_BUILD_DIR (default
# build/). scripts/test.sh and scripts/endurance.sh start with it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DVANTREL_BUILD_TESTS=ON
cmake --build "$build" -j"$(nproc)"
