#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Maskquill need,
# skipping those already present. Sourced by run.sh and test.sh.
MASKQUILL_PACKAGES=(
  build-essential cmake ninja-build qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fontconfig fonts-dejavu-core xvfb xauth xdotool xclip imagemagick desktop-file-utils librsvg2-bin
  poppler-utils unrtf pandoc
  clang libclang-rt-14-dev
  python3
)

mq_install_deps() {
  local missing=()
  local p
  for p in "${MASKQUILL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || true
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
