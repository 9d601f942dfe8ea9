#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# from nothing (or incrementally when build/asan exists) and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
pelira_install "${PELIRA_BUILD_PACKAGES[@]}" "${PELIRA_TEST_PACKAGES[@]}"

build="$root/build/asan"
jobs="$(nproc)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELIRA_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure -j "$jobs" "$@")
# Every fuzz target for 20 s on its seeds (PELIRA_FUZZ_SMOKE=0 skips it).
if [ "${PELIRA_FUZZ_SMOKE:-1}" != 0 ]; then bash "$root/scripts/fuzz_smoke.sh"; fi
