#!/usr/bin/env bash
# Installs what is missing, builds Maskquill and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
mq_install_deps

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/maskquill-xdg.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMASKQUILL_WERROR=ON
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
