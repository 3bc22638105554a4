#!/usr/bin/env bash
# Installs what is missing, builds Maskquill in build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
mq_install_deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target maskquill
exec ./build/app/maskquill
