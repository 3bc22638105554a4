#!/usr/bin/env bash
# Usage: no_display_test.sh <maskquill executable>
# Started with no display, or with one that cannot be opened, the program says
# that it needs a graphical session and ends with code 1 (not Qt's abort).
set -u
exe=$1
fail=0
check() {
  local what=$1; shift
  local err rc
  local home; home=$(mktemp -d)
  # A home of its own: the program's settings never touch the user's.
  err=$(timeout 20 env -u WAYLAND_DISPLAY "$@" HOME="$home" XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$home" \
        "$exe" 2>&1 >/dev/null)
  rc=$?
  if [ "$rc" -ne 1 ]; then
    echo "FAIL $what: exit code $rc, expected 1"; fail=1
  fi
  if ! grep -q 'Maskquill is a desktop program: start it from a graphical session' <<<"$err"; then
    echo "FAIL $what: no plain message; it printed:"; echo "$err"; fail=1
  fi
  if grep -qi 'reinstalling' <<<"$err"; then
    echo "FAIL $what: Qt's reinstall advice shows"; fail=1
  fi
  rm -rf "$home"
}
check "no DISPLAY" -u DISPLAY -u QT_QPA_PLATFORM
# A display number nobody serves.
check "unreachable display" -u QT_QPA_PLATFORM DISPLAY=:217
exit $fail
