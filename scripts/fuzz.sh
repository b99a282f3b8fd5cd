#!/usr/bin/env bash
# Fuzzes the firmware image parser with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer. Installs clang and its fuzzer runtime when they are missing.
#
#   scripts/fuzz.sh [SECONDS]             run for SECONDS (default 60) on 1 worker
#   scripts/fuzz.sh --runs N              run N executions instead
#
# The seed corpus is fuzz/corpus/firmware_image; new inputs go to build-fuzz/corpus, findings
# to build-fuzz/ as crash-*/leak-*/timeout-* files. Exit status is non-zero on a finding.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

limit=(-max_total_time="${1:-60}")
if [[ ${1:-} == --runs ]]; then
    limit=(-runs="${2:?--runs needs a count}")
fi

fuzzer_runtime() { compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; }
if ! command -v clang++ >/dev/null || ! fuzzer_runtime; then
    echo "fuzz: installing clang and its fuzzer runtime"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends clang libclang-rt-14-dev </dev/null
fi

out=build-fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Isrc -Iinclude fuzz/firmware_image_fuzz.cpp src/maintenance/firmware_image.cpp -o "$out/firmware_image_fuzz"

cd "$out"
./firmware_image_fuzz "${limit[@]}" -max_len=1024 -print_final_stats=1 \
    corpus ../fuzz/corpus/firmware_image
