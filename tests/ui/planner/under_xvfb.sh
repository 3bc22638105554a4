#!/usr/bin/env bash
# Usage: under_xvfb.sh TEST-PROGRAM [ARGS]: runs a window test on the xcb platform under a
# virtual X server of its own, for what only X11 does (its key bindings). 77: skipped.
set -u
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed: skipped"; exit 77; }
# -a can lose a race for a display number to another X server starting: a number of its own.
exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$@"
