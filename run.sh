#!/usr/bin/env bash
# Installs what building and running Maskquill need (test.sh adds the test
# tools), builds the program in build-run/ (Release, without the tests) and
# starts it. The README's install section uses the same folder.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
mq_install_deps MASKQUILL_RUN_PACKAGES

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DMASKQUILL_BUILD_TESTS=OFF -DMASKQUILL_BUILD_BENCH=OFF
cmake --build build-run -j "$(nproc)"
exec ./build-run/app/maskquill
