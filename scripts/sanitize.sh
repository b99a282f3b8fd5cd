#!/usr/bin/env bash
# The sanitizer jobs: the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the thread-heavy test programs (sessions, monitor, status, trace, device, media, maintenance)
# under ThreadSanitizer. Any report fails the run.
#
#   scripts/sanitize.sh            both jobs
#   scripts/sanitize.sh address    build-asan only
#   scripts/sanitize.sh thread     build-tsan only
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
export DEBIAN_FRONTEND=noninteractive
job=${1:-all}

# The runtimes come with g++; they are named so that a machine without them gets them.
packages=(libasan8 libubsan1 libtsan2)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    echo "installing: ${missing[*]}"
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}" </dev/null
fi

if [[ $job == all || $job == address ]]; then
    echo "== AddressSanitizer and UndefinedBehaviorSanitizer: every test"
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRVS_SANITIZE=ON
    cmake --build build-asan -j2
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir build-asan -j2 --output-on-failure
fi

if [[ $job == all || $job == thread ]]; then
    echo "== ThreadSanitizer: the programs with threads of their own"
    programs=(test_api test_monitor test_status test_trace test_device test_media test_maintenance)
    cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRVS_SANITIZE=thread -DRVS_BUILD_TOOLS=OFF
    cmake --build build-tsan -j2 --target "${programs[@]}"
    for program in "${programs[@]}"; do
        echo "-- $program"
        TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" "build-tsan/tests/$program" --gtest_brief=1
    done
fi
