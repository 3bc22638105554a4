#!/usr/bin/env bash
# Installs what is missing, builds Maskquill and runs the whole test suite:
#   1. the normal build (build/), warnings as errors;
#   2. the same suite under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/);
#   3. every fuzz target for a short, bounded time (build-fuzz/; scripts/fuzz.sh runs them longer).
# MASKQUILL_QUICK=1 runs step 1 only.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
mq_install_deps MASKQUILL_RUN_PACKAGES MASKQUILL_PACKAGES

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/maskquill-xdg.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"
jobs=$(nproc)

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DMASKQUILL_WERROR=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

[ "${MASKQUILL_QUICK:-0}" = 1 ] && exit 0

echo "== the same suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O1 \
  -DMASKQUILL_SANITIZE=ON -DMASKQUILL_BUILD_BENCH=OFF -DMASKQUILL_WERROR=ON
cmake --build build-asan -j "$jobs"
# libxkbcommon-x11 hands strndup buffers that are not NUL-terminated; the program run
# under Xvfb would stop inside that library, not in ours.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_strndup=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "== fuzz targets, ${MASKQUILL_FUZZ_SECONDS:-10} s each"
scripts/fuzz.sh "${MASKQUILL_FUZZ_SECONDS:-10}"
