#!/usr/bin/env bash
# Installs what is needed and builds Vantrel with its tests into $VANTREL_BUILD_DIR (default
# build/); with target names, builds only those. The one place that configures the build:
# scripts/test.sh, endurance.sh, run.sh, bench.sh and gallery.sh start with it.
#     scripts/build-tests.sh [target...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DVANTREL_BUILD_TESTS=ON
cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
