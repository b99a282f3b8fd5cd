#!/usr/bin/env bash
# Checks what integrators receive from a built tree: `cmake --install` lays out the package,
# `cpack` zips it, and the consumer project in examples/consumer finds the installed package
# with find_package(RvStatement), links RvStatement::RvStatement and runs (under Wine for the
# Windows build).
#   scripts/check_package.sh BUILD_DIR       (build or build-win, already built)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: check_package.sh BUILD_DIR}" && pwd)
stage=$build/package-stage
consumer=$build/package-consumer
rm -rf "$stage" "$consumer"

# A tree configured with the mingw-w64 toolchain file is the Windows build.
windows=0
if grep -q '^CMAKE_TOOLCHAIN_FILE:.*mingw' "$build/CMakeCache.txt"; then windows=1; fi

echo "check_package: install $build"
cmake --install "$build" --prefix "$stage" | sed 's/^/  /'
if [[ $windows -eq 1 ]]; then
    expected=(bin/RvStatement.dll lib/RvStatement.lib lib/RvStatement.def include/RvStatement.h README.md
              lib/cmake/RvStatement/RvStatementConfig.cmake lib/cmake/RvStatement/RvStatementConfigVersion.cmake
              lib/cmake/RvStatement/RvStatementTargets.cmake)
else
    expected=(lib/libRvStatement.so include/RvStatement.h share/doc/RvStatement/README.md
              lib/cmake/RvStatement/RvStatementConfig.cmake lib/cmake/RvStatement/RvStatementConfigVersion.cmake
              lib/cmake/RvStatement/RvStatementTargets.cmake)
fi
for file in "${expected[@]}"; do
    [[ -f $stage/$file ]] || { echo "check_package: MISSING $file"; exit 1; }
done
echo "check_package: layout has ${#expected[@]} expected files"

echo "check_package: cpack"
(cd "$build" && cpack -G ZIP | sed 's/^/  /')
zip=$(ls "$build"/RvStatement-*.zip)
listing=$(cmake -E tar tf "$zip")
top=$(head -n1 <<<"$listing" | cut -d/ -f1)
echo "  $zip: $(wc -l <<<"$listing") entries under $top/"
for file in "${expected[@]}"; do
    grep -qxF "$top/$file" <<<"$listing" || { echo "check_package: the ZIP lacks $file"; exit 1; }
done

echo "check_package: consumer project"
toolchain=()
[[ $windows -eq 1 ]] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake")
cmake -S "$root/examples/consumer" -B "$consumer" "${toolchain[@]}" -DCMAKE_PREFIX_PATH="$stage" \
    -DCMAKE_BUILD_TYPE=Release | sed 's/^/  /'
cmake --build "$consumer" | sed 's/^/  /'
if [[ $windows -eq 1 ]]; then
    cp "$stage/bin/RvStatement.dll" "$consumer/"
    export RVS_WINEPREFIX=$build/wine-prefix
    source "$root/scripts/wine_session.sh"
    (cd "$consumer" && "$root/scripts/wine_run.sh" consumer.exe </dev/null)
else
    "$consumer/consumer"
fi
echo "check_package: PASS"
