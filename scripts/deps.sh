#!/usr/bin/env bash
# The Debian packages Maskquill needs, and the function that installs those
# missing. Sourced by run.sh, which installs what building and running need
# (MASKQUILL_RUN_PACKAGES), and by test.sh, which adds what the tests,
# benchmarks, sanitizer and fuzz builds and the packaging checks need
# (MASKQUILL_PACKAGES).
MASKQUILL_RUN_PACKAGES=(
  build-essential cmake ninja-build qt6-base-dev fontconfig fonts-dejavu-core
  # Workbooks are written with libxlsxwriter and read with libzip and Qt's XML reader (not
  # QuaZip, whose minizip clashes with the one libxlsxwriter calls).
  libxlsxwriter-dev libzip-dev
)
MASKQUILL_PACKAGES=(
  appstream
  libgtest-dev libgmock-dev libbenchmark-dev
  fontconfig fonts-dejavu-core xvfb xauth xdotool xclip imagemagick desktop-file-utils librsvg2-bin
  poppler-utils unrtf pandoc at-spi2-core python3-pyatspi dbus-daemon dbus-bin
  clang libclang-rt-14-dev clang-format
  python3 python3-netaddr
  # Workbooks are made and read back by openpyxl and by LibreOffice (converted to and from CSV).
  python3-openpyxl libreoffice-calc-nogui
  # The configuration written for DHCP and DNS servers is checked, and run, by the servers.
  kea-dhcp4-server kea-dhcp6-server dnsmasq-base bind9 bind9-utils bind9-dnsutils busybox iproute2
  # The interchange tests check LZ-string against the npm package lz-string. Not npm itself:
  # where Node.js comes from its own repository it brings npm, and Debian's npm would clash.
  nodejs
)

# mq_install_deps <list name>...: installs the packages of the named lists that
# are not installed yet (with sudo when not run as root); with none, all of them.
mq_install_deps() {
  [ $# -eq 0 ] && set -- MASKQUILL_RUN_PACKAGES MASKQUILL_PACKAGES
  local missing=()
  local list p
  for list in "$@"; do
    local -n packages=$list
    for p in "${packages[@]}"; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
      [[ " ${missing[*]} " == *" $p "* ]] || missing+=("$p")
    done
    unset -n packages
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || true
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
