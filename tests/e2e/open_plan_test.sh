#!/usr/bin/env bash
# Usage: open_plan_test.sh <maskquill executable> [folder for the screenshot]
# `maskquill PLAN.mqplan` opens the plan in the Network Planner: the planner
# remembers it among its recent plans (in the program's settings), and its
# tree shows the plan's root. Exit 0: passed; 1: failed; 77: skipped.
set -u
exe=$1
out=${2:-.}
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed: skipped"; exit 77; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
plan=$work/campus.mqplan
cat >"$plan" <<'PLAN'
{
  "format": "maskquill-plan",
  "version": 1,
  "root": "10.77.0.0/16",
  "blocks": [
    {"prefix": "10.77.0.0/16", "name": "campus", "note": "", "colour": "#000000", "parts": 2},
    {"prefix": "10.77.0.0/17", "name": "north", "note": "", "colour": "#4f81bd", "assigned": true, "hosts": "900"},
    {"prefix": "10.77.128.0/17", "name": "", "note": "", "colour": "#000000", "assigned": false}
  ]
}
PLAN

cat >"$work/inner.sh" <<'INNER'
#!/usr/bin/env bash
set -u
exe=$1; out=$2; work=$3; plan=$4
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
conf=$XDG_CONFIG_HOME/Maskquill/Maskquill.conf
"$exe" "$plan" >"$work/stdout" 2>"$work/stderr" &
pid=$!
# The splash takes about three seconds; a busy machine only makes it later.
opened=""
for _ in $(seq 1 1200); do
  if [ -f "$conf" ] && grep -q "campus.mqplan" "$conf"; then opened=1; break; fi
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if [ -z "$opened" ]; then
  echo "FAIL: the plan named on the command line was not opened"; cat "$work/stderr"; kill $pid 2>/dev/null; exit 1
fi
if ! kill -0 $pid 2>/dev/null; then echo "FAIL: the program ended by itself"; exit 1; fi
# Opened once the main window shows, not behind the splash.
if ! command -v xdotool >/dev/null || [ -z "$(xdotool search --onlyvisible --name '^Maskquill$' 2>/dev/null | head -n1)" ]; then
  echo "FAIL: the plan opened before the main window showed"; kill $pid; exit 1
fi
sleep 0.5
command -v import >/dev/null && import -window root "$out/e2e_open_plan.png"
kill $pid; wait $pid 2>/dev/null
if [ -s "$work/stdout" ] || grep -v -e '^QStandardPaths' "$work/stderr" | grep -q .; then
  echo "FAIL: the program printed:"; cat "$work/stdout" "$work/stderr"; exit 1
fi
echo "the plan opened from the command line"
INNER
xvfb-run -a -s "-screen 0 1280x900x24" bash "$work/inner.sh" "$exe" "$out" "$work" "$plan"
