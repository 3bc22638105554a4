#!/usr/bin/env bash
# Usage: screen_reader_test.sh <maskquill executable> [folder for the screenshots]
# Starts the real program under its own X server and D-Bus session with the
# accessibility bus on, a small plan named on its command line, and reads a
# calculation and the Network Planner through AT-SPI (screen_reader.py).
# Exit 0: passed; 77: skipped because a tool is missing.
set -u
exe=$1
out=${2:-.}
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb dbus-run-session dbus-send xdotool xclip; do
  if ! command -v $tool >/dev/null 2>&1; then echo "$tool is not installed: skipped"; exit 77; fi
done
if [ ! -x /usr/libexec/at-spi-bus-launcher ] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
  echo "at-spi2-core or python3-pyatspi is not installed: skipped"; exit 77
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Two assigned blocks whose names sort the other way round from their addresses.
cat >"$work/campus.mqplan" <<'PLAN'
{
  "format": "maskquill-plan",
  "version": 1,
  "root": "10.77.0.0/16",
  "blocks": [
    {"prefix": "10.77.0.0/16", "name": "campus", "note": "", "colour": "#000000", "parts": 2},
    {"prefix": "10.77.0.0/17", "name": "west", "note": "", "colour": "#4f81bd", "assigned": true, "hosts": "900"},
    {"prefix": "10.77.128.0/17", "name": "east", "note": "", "colour": "#c0504d", "assigned": true, "hosts": "900"}
  ]
}
PLAN

cat >"$work/inner.sh" <<'INNER'
set -u
exe=$1; out=$2; work=$3; here=$4
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
display=""
for n in $(seq 90 140); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free X display"; exit 1; }
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=:$display
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# Qt starts no accessibility bus of its own: bring it up and switch it on.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
  string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$exe" "$work/campus.mqplan" >"$work/stdout" 2>"$work/stderr" &
pid=$!
timeout 240 /usr/bin/python3 "$here/screen_reader.py" "$out"
rc=$?
kill $pid 2>/dev/null; wait $pid 2>/dev/null
kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null
[ $rc -eq 0 ] || { echo "program output:"; cat "$work/stdout" "$work/stderr"; }
exit $rc
INNER
# The session's daemons talk on both streams; the test's own lines start with FAIL.
dbus-run-session -- bash "$work/inner.sh" "$exe" "$out" "$work" "$here" 2>&1 | grep -v -e '^dbus-daemon' -e 'SpiRegistry'
exit "${PIPESTATUS[0]}"
