#!/usr/bin/env bash
# Usage: startup_test.sh <maskquill executable> [folder for the screenshots]
# Exit 0: the splash showed, then the main window replaced it; 77: skipped.
set -u
exe=$1
out=${2:-.}
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is not installed: skipped"
  exit 77
fi
if ! command -v xdotool >/dev/null 2>&1; then
  echo "xdotool is not installed: skipped"
  exit 77
fi
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/inner.sh" <<'INNER'
#!/usr/bin/env bash
set -u
exe=$1; out=$2; work=$3
# A home of its own: the program's settings never touch the user's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
now() { echo $(( $(date +%s%N) / 1000000 )); }
# A busy machine only makes things later: waits are generous (they end as soon as
# the window shows), and every order in time is judged from moments known to lie
# before or after the event, never from how long a step took.
wait_for() {  # <title pattern> <seconds>; the window id, or nothing
  local w="" end=$(( $(now) + $2 * 1000 ))
  while [ "$(now)" -lt "$end" ]; do w=$(visible "$1"); [ -n "$w" ] && break; sleep 0.05; done
  echo "$w"
}

start=$(now)
"$exe" >"$work/stdout" 2>"$work/stderr" &
pid=$!

# The splash showed after the last look that did not find it.
splash="" not_before=$start end=$(( start + 60000 ))
while [ "$(now)" -lt "$end" ]; do
  t=$(now)
  splash=$(visible '^Maskquill starting$')
  [ -n "$splash" ] && break
  not_before=$t
  sleep 0.05
done
if [ -z "$splash" ]; then echo "FAIL: no splash window"; kill $pid 2>/dev/null; exit 1; fi
splash_at=$(( $(now) - start ))
# Seen with the splash less than 2.5 s after the splash showed: too early, whatever the load.
if [ -n "$(visible '^Maskquill$')" ] && [ $(( $(now) - not_before )) -lt 2500 ]; then
  echo "FAIL: main window shown together with the splash"; kill $pid; exit 1
fi
command -v import >/dev/null && import -window root "$out/e2e_splash.png"

main=$(wait_for '^Maskquill$' 60)
main_at=$(( $(now) - start ))
if [ -z "$main" ]; then echo "FAIL: the main window never showed"; kill $pid 2>/dev/null; exit 1; fi
# The main window waits for two ticks of the splash timer (2 x 1.5 s): found
# less than 2.5 s after a moment the splash was not yet up, it came too early.
if [ $(( start + main_at - not_before )) -lt 2500 ]; then
  echo "FAIL: main window after ${main_at} ms, splash not before $(( not_before - start )) ms: too early"
  kill $pid; exit 1
fi
gone=""
for _ in $(seq 1 200); do [ -z "$(visible '^Maskquill starting$')" ] && gone=1 && break; sleep 0.05; done
if [ -z "$gone" ]; then echo "FAIL: the splash is still up"; kill $pid; exit 1; fi
command -v import >/dev/null && import -window root "$out/e2e_main.png"

# Open the calculator from the toolbar (its second button, 48,32 into the window
# without a window manager) and type an address with the real keyboard.
if command -v import >/dev/null && command -v convert >/dev/null; then
  red_pixels() {  # pure red (the network bits) below the toolbar
    import -window root "$1"
    convert "$1" -crop 1024x640+0+80 +repage -fuzz 35% -fill black +opaque "rgb(255,0,0)" \
      -fill white -opaque "rgb(255,0,0)" -format "%[fx:int(mean*w*h+0.5)]" info:
  }
  changed_since() {  # pixels of the screen that differ from screenshot $1
    import -window root "$work/now.png"
    compare -metric AE "$1" "$work/now.png" null: 2>&1 | cut -d' ' -f1
  }
  import -window root "$work/empty.png"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + 48)) $((Y + 32)) click 1
  # Typing waits for the calculator to be drawn, which gives its first field the focus.
  for _ in $(seq 1 120); do [ "$(changed_since "$work/empty.png")" -gt 1000 ] 2>/dev/null && break; sleep 0.25; done
  sleep 0.3
  before=$(red_pixels "$work/before.png")
  xdotool type --delay 40 "172.16.37.200"
  after=$before
  for _ in $(seq 1 120); do
    after=$(red_pixels "$out/e2e_calculator.png")
    [ "$after" -gt $((before + 50)) ] && break
    sleep 0.25
  done
  if [ "$after" -le $((before + 50)) ]; then
    echo "FAIL: typing an address drew no binary display ($before red pixels before, $after after)"
    kill $pid; exit 1
  fi
  echo "typed address drew $((after - before)) red pixels"
fi
if ! kill -0 $pid 2>/dev/null; then echo "FAIL: the program ended by itself"; exit 1; fi
kill $pid; wait $pid 2>/dev/null
if [ -s "$work/stdout" ] || grep -v -e '^QStandardPaths' "$work/stderr" | grep -q .; then
  echo "FAIL: the program printed:"; cat "$work/stdout" "$work/stderr"; exit 1
fi
echo "splash after ${splash_at} ms, main window after ${main_at} ms"
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/inner.sh" "$exe" "$out" "$work"
