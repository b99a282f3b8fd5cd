#!/usr/bin/env bash
# Build the command-line tool and run the demo on the virtual printer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build -j2 --target rvstatement && build/tools/rvstatement demo "$@"
