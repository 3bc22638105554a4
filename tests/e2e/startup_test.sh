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
elapsed() { echo $(( $(now) - $1 )); }

start=$(now)
"$exe" >"$work/stdout" 2>"$work/stderr" &
pid=$!

splash=""
for _ in $(seq 1 100); do
  splash=$(visible '^Maskquill starting$')
  [ -n "$splash" ] && break
  sleep 0.05
done
if [ -z "$splash" ]; then echo "FAIL: no splash window"; kill $pid 2>/dev/null; exit 1; fi
splash_at=$(elapsed "$start")
if [ -n "$(visible '^Maskquill$')" ]; then echo "FAIL: main window shown together with the splash"; kill $pid; exit 1; fi
command -v import >/dev/null && import -window root "$out/e2e_splash.png"

main=""
for _ in $(seq 1 200); do
  main=$(visible '^Maskquill$')
  [ -n "$main" ] && break
  sleep 0.05
done
main_at=$(elapsed "$start")
if [ -z "$main" ]; then echo "FAIL: the main window never showed"; kill $pid 2>/dev/null; exit 1; fi
sleep 0.3
if [ -n "$(visible '^Maskquill starting$')" ]; then echo "FAIL: the splash is still up"; kill $pid; exit 1; fi
# The main window waits for two ticks of the splash timer (2 x 1.5 s).
if [ $(( main_at - splash_at )) -lt 2500 ]; then
  echo "FAIL: main window after ${main_at} ms, splash at ${splash_at} ms: too early"; kill $pid; exit 1
fi
command -v import >/dev/null && import -window root "$out/e2e_main.png"

# Open the calculator from the toolbar (its second button, 48,32 into the window
# without a window manager) and type an address with the real keyboard.
if command -v import >/dev/null && command -v convert >/dev/null; then
  red_pixels() {  # pure red (the network bits) below the toolbar
    import -window root "$1"
    convert "$1" -crop 1024x640+0+80 +repage -fuzz 35% -fill black +opaque "rgb(255,0,0)" \
      -fill white -opaque "rgb(255,0,0)" -format "%[fx:int(mean*w*h+0.5)]" info:
  }
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + 48)) $((Y + 32)) click 1
  sleep 0.8
  before=$(red_pixels "$work/before.png")
  xdotool type --delay 40 "172.16.37.200"
  sleep 0.8
  after=$(red_pixels "$out/e2e_calculator.png")
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
