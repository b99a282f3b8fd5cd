#!/usr/bin/env bash
# The test command: build the Linux tree and run every test program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build -j2 && ctest --test-dir build --output-on-failure -j2
