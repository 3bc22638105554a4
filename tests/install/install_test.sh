#!/usr/bin/env bash
# Usage: install_test.sh <build folder> <source folder> [folder for the screenshots]
# Installs the build into a temporary prefix and checks the installed tree: the
# program, the desktop entry, the AppStream metadata, the icon at each size and the
# help document, and that the package configuration reads cleanly. Then
# starts the installed program under Xvfb, opens help with F1 and reads the help
# window's text through the clipboard: the installed document must show, and with
# the document removed the window must name the installed help folder as searched.
# Exit 0: passed; 1: failed; 77: skipped (no xvfb-run; the file checks still ran).
set -u
build=$1
src=$2
out=${3:-.}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  echo "FAIL: $1 is not installed (scripts/deps.sh installs it)"; exit 1
}

prefix=$work/usr
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"; echo "FAIL: cmake --install failed"; exit 1
fi

# The program.
exe=$prefix/bin/maskquill
[ -f "$exe" ] && [ -x "$exe" ] || fail "no executable bin/maskquill"

# The desktop entry: valid, and naming the installed program and icon.
entry=$prefix/share/applications/maskquill.desktop
need desktop-file-validate
if [ ! -f "$entry" ]; then
  fail "no share/applications/maskquill.desktop"
else
  # Hints too: two main categories would list the program twice in a menu.
  errors=$(desktop-file-validate "$entry" 2>&1)
  [ -z "$errors" ] || fail "desktop-file-validate: $errors"
  key() { sed -n "s/^$1=//p" "$entry" | head -n1; }
  [ "$(key Type)" = Application ] || fail "desktop entry Type is '$(key Type)'"
  [ "$(key Name)" = Maskquill ] || fail "desktop entry Name is '$(key Name)'"
  [ -n "$(key Comment)" ] || fail "desktop entry has no Comment"
  [ "$(key Terminal)" = false ] || fail "desktop entry Terminal is '$(key Terminal)'"
  command=$(key Exec); command=${command%% *}
  [ -n "$command" ] && [ -x "$prefix/bin/$command" ] || fail "desktop entry Exec '$command' is not in bin/"
  icon_name=$(key Icon)
  [ "$icon_name" = maskquill ] || fail "desktop entry Icon is '$icon_name'"
  # Network plans open with the program: the entry takes the file and names the type.
  case "$(key Exec)" in *%f*) ;; *) fail "desktop entry Exec '$(key Exec)' takes no file";; esac
  case "$(key MimeType)" in *application/x-maskquill-plan\;*) ;; *) fail "desktop entry MimeType is '$(key MimeType)'";; esac
fi

# The plan type for shared-mime-info: its glob reaches the database built from it.
mime=$prefix/share/mime
if [ ! -f "$mime/packages/maskquill-plan.xml" ]; then
  fail "no share/mime/packages/maskquill-plan.xml"
elif command -v update-mime-database >/dev/null 2>&1; then
  update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database refused share/mime/packages"
  grep -q '^[0-9]*:application/x-maskquill-plan:\*\.mqplan$' "$mime/globs2" || fail "*.mqplan is not application/x-maskquill-plan"
fi

# The AppStream metadata: valid, naming the installed desktop entry and program,
# and listing the version the package carries as a release.
need appstreamcli
meta=$prefix/share/metainfo/maskquill.metainfo.xml
if [ ! -f "$meta" ]; then
  fail "no share/metainfo/maskquill.metainfo.xml"
else
  report=$(appstreamcli validate --no-net "$meta" 2>&1) || fail "appstreamcli validate: $report"
  tag() { sed -n "s:.*<$1>\(.*\)</${1%% *}>.*:\1:p" "$meta" | head -n1; }
  launch=$(tag 'launchable type="desktop-id"')
  [ -n "$launch" ] && [ -f "$prefix/share/applications/$launch" ] || fail "metainfo launches '$launch', not an installed entry"
  [ -x "$prefix/bin/$(tag binary)" ] || fail "metainfo names the program '$(tag binary)', not in bin/"
  version=$(sed -n '1s/^maskquill (\([^)]*\)).*/\1/p' "$src/packaging/changelog")
  grep -q "<release version=\"$version\"" "$meta" || fail "metainfo has no release $version"
fi

# CPack reads its configuration back as CMake code: it must do so without warnings.
for config in CPackConfig CPackSourceConfig; do
  warnings=$(cmake -P "$build/$config.cmake" 2>&1)
  [ -z "$warnings" ] || fail "$config.cmake: $warnings"
done

# The icon at each size, a PNG of that many pixels with an alpha channel.
need identify
for n in 16 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${n}x${n}/apps/maskquill.png
  if [ ! -f "$png" ]; then fail "no icon ${n}x${n}"; continue; fi
  got=$(identify -format '%m %w %h %A' "$png" 2>&1)
  case "$got" in
    "PNG $n $n "[Bb]lend|"PNG $n $n "[Tt]rue) ;;
    *) fail "icon ${n}x${n} is '$got', expected PNG $n x $n with alpha"; continue ;;
  esac
  # A card on a transparent ground, showing the network bits in red.
  got=$(convert "$png" -format '%[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a]' info: 2>&1)
  [ "$got" = "0 1" ] || fail "icon ${n}x${n}: corner and centre opacity '$got', expected '0 1'"
  red=$(convert "$png" -alpha off -fuzz 5% -fill black +opaque 'rgb(255,0,0)' -fill white -opaque 'rgb(255,0,0)' \
        -format '%[fx:int(mean*w*h+0.5)]' info: 2>&1)
  [ "${red:-0}" -ge $((n * n / 20)) ] 2>/dev/null || fail "icon ${n}x${n}: $red red pixels"
done
# The scalable icon is the same picture as the painted one.
need rsvg-convert
svg=$prefix/share/icons/hicolor/scalable/apps/maskquill.svg
if [ ! -f "$svg" ]; then
  fail "no scalable icon"
elif ! rsvg-convert -w 256 -h 256 "$svg" -o "$work/svg.png"; then
  fail "the scalable icon does not render"
else
  rmse=$(compare -metric RMSE "$work/svg.png" "$prefix/share/icons/hicolor/256x256/apps/maskquill.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
  awk -v e="$rmse" 'BEGIN { exit !(e + 0 < 0.02) }' || fail "the scalable icon differs from the 256 x 256 one (RMSE $rmse)"
fi
cp "$prefix/share/icons/hicolor/256x256/apps/maskquill.png" "$out/installed_icon_256.png" 2>/dev/null

# The help document, where the installed program looks for it.
help_dir=$prefix/share/maskquill/help
cmp -s "$help_dir/maskquill.html" "$src/help/maskquill.html" || fail "share/maskquill/help/maskquill.html missing or different"

# The manual page, compressed, and the package documents.
man_page=$prefix/share/man/man1/maskquill.1.gz
gzip -t "$man_page" 2>/dev/null && zcat "$man_page" | grep -q '^\.TH MASKQUILL 1' || fail "no readable share/man/man1/maskquill.1.gz"
for doc in README.md copyright; do
  [ -s "$prefix/share/doc/maskquill/$doc" ] || fail "no share/doc/maskquill/$doc"
done
gzip -t "$prefix/share/doc/maskquill/changelog.gz" 2>/dev/null || fail "no readable share/doc/maskquill/changelog.gz"

# The command line beside the program, with its own manual page.
"$prefix/bin/mqnet" --version | grep -q '^mqnet (Maskquill) ' || fail "bin/mqnet does not run"
zcat "$prefix/share/man/man1/mqnet.1.gz" 2>/dev/null | grep -q '^\.TH MQNET 1' || fail "no readable share/man/man1/mqnet.1.gz"

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "installed files: program, desktop entry, AppStream metadata, 7 icon sizes and the scalable icon, help document, manual page"

if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is not installed: the installed program was not started (skipped)"
  exit 77
fi
need xdotool
need xclip

cat >"$work/inner.sh" <<'INNER'
#!/usr/bin/env bash
# Starts the program, opens help with F1 and prints the help window's text.
set -u
exe=$1; run=$2; shot=$3
touch "$run/started"
export HOME=$run/home XDG_CONFIG_HOME=$run/home/.config XDG_DATA_HOME=$run/home/.local/share
export XDG_RUNTIME_DIR=$run/runtime
# No system data folders: the program has only its own installed tree to find help in.
export XDG_DATA_DIRS=$run/no-data
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_DIRS"; chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
wait_for() {
  local w=""
  for _ in $(seq 1 "$2"); do w=$(visible "$1"); [ -n "$w" ] && break; sleep 0.1; done
  echo "$w"
}

"$exe" >"$run/stdout" 2>"$run/stderr" &
pid=$!
main=$(wait_for '^Maskquill$' 2400)
if [ -z "$main" ]; then
  kill $pid 2>/dev/null
  # A virtual display that went away under us is the machine's fault, not the program's.
  grep -q 'could not connect to display' "$run/stderr" && exit 3
  echo "ERROR: the main window never showed"; cat "$run/stdout" "$run/stderr"; exit 1
fi
# Focus and key presses are retried until they take effect: a busy machine delays them,
# it does not make them fail.
help=""
for _ in $(seq 1 60); do
  xdotool windowfocus --sync "$main" 2>/dev/null
  xdotool key F1
  help=$(wait_for '^Maskquill Help$' 40)
  [ -n "$help" ] && break
done
if [ -z "$help" ]; then echo "ERROR: F1 opened no help window"; kill $pid; exit 1; fi
# Click into the document, select it all and copy it, until the copy holds the document.
: >"$run/help.txt"
for _ in $(seq 1 120); do
  eval "$(xdotool getwindowgeometry --shell "$help")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  xdotool key ctrl+a ctrl+c
  xclip -o -selection clipboard >"$run/help.txt" 2>/dev/null
  grep -q 'Maskquill' "$run/help.txt" && break
  sleep 0.5
done
command -v import >/dev/null && import -window root "$shot"
if ! kill -0 $pid 2>/dev/null; then echo "ERROR: the program ended by itself"; exit 1; fi
kill $pid; wait $pid 2>/dev/null
if [ -s "$run/stdout" ] || grep -v -e '^QStandardPaths' "$run/stderr" | grep -q .; then
  echo "ERROR: the program printed:"; cat "$run/stdout" "$run/stderr"; exit 1
fi
cat "$run/help.txt"
INNER

run_help() {  # <name>: runs the installed program, prints the help text
  # xvfb-run -a can lose a race for a display number to another X server starting
  # at the same moment; such a run is tried again on another number.
  local attempt rc=1 run
  for attempt in 1 2 3; do
    run=$work/run-$1-$attempt
    mkdir -p "$run"
    xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24" \
      bash "$work/inner.sh" "$exe" "$run" "$out/installed_help_$1.png"
    rc=$?
    if [ -f "$run/started" ] && [ "$rc" -ne 3 ]; then return "$rc"; fi
    echo "(attempt $attempt: no virtual display)" >&2
  done
  return "$rc"
}

# With the document installed, help shows it.
text=$(run_help installed)
if ! grep -q 'Maskquill is a subnetting workbench for IPv4 and IPv6 networks' <<<"$text"; then
  echo "$text" | head -n 20
  fail "the installed program did not show its installed help document"
fi

# Without it, the help window names the installed help folder among those searched.
rm -f "$help_dir/maskquill.html"
text=$(run_help removed)
if ! grep -q 'Help is not available' <<<"$text" || ! grep -qF "$help_dir" <<<"$text"; then
  echo "$text" | head -n 20
  fail "with the document removed, help did not report it missing in $help_dir"
fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "installed program found its help document in $help_dir"
