#!/usr/bin/env bash
# The Windows test command: cross-builds the library and its test programs with mingw-w64 and
# runs them with ctest under Wine, the Win32 backends in use.
#   scripts/wine_test.sh [BUILD_DIR] [ctest options...]     (BUILD_DIR defaults to build-win)
# One Wine prefix per build tree, booted once; one wineserver kept up for the whole run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build-win}
shift || true

toolchain=()  # a tree made before keeps its toolchain
[[ -f $build/CMakeCache.txt ]] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
cmake -S . -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release -DRVS_BUILD_TESTS=ON
cmake --build "$build" -j2

export RVS_WINEPREFIX=$(cd "$build" && pwd)/wine-prefix  # the prefix the build tree's tests name
source scripts/wine_session.sh
ctest --test-dir "$build" --output-on-failure -j2 "$@"
