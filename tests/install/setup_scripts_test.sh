#!/usr/bin/env bash
# Usage: setup_scripts_test.sh <source folder>
# Runs run.sh and test.sh (MASKQUILL_QUICK=1) as on a machine with nothing
# installed, with apt-get, dpkg-query, sudo, cmake and ctest replaced by stubs
# that write down what they were asked, and checks:
#   - run.sh installs what building and running need and none of the test tools;
#     test.sh installs those and the test tools;
#   - every build folder has one configuration in run.sh, test.sh and the README,
#     and the README builds and installs only folders it configures;
#   - run.sh's configuration succeeds without GoogleTest and Google Benchmark.
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
real_cmake=$(command -v cmake)

mkdir -p "$work/tree/scripts" "$work/bin" "$work/log"
cp "$src/run.sh" "$src/test.sh" "$work/tree/"
cp "$src/scripts/deps.sh" "$work/tree/scripts/"
stub() { printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1"; chmod +x "$work/bin/$1"; }
stub dpkg-query 'exit 1'
stub apt-get '[ "$1" = install ] && echo "$@" >>"$LOG.apt"; exit 0'
stub sudo 'exec "$@"'
stub ctest 'exit 0'
# A build leaves a program behind for run.sh to start.
stub cmake 'echo "$@" >>"$LOG.cmake"
if [ "$1" = --build ]; then mkdir -p "$2/app"; printf "#!/bin/sh\n" >"$2/app/maskquill"; chmod +x "$2/app/maskquill"; fi'

for script in run test; do
  (cd "$work/tree" && PATH="$work/bin:$PATH" LOG="$work/log/$script" MASKQUILL_QUICK=1 \
    bash "./$script.sh" >"$work/log/$script.out" 2>&1) || { cat "$work/log/$script.out"; fail "$script.sh failed"; }
done

installed() { tr ' ' '\n' <"$work/log/$1.apt" 2>/dev/null | grep -v -e '^-' -e '^install$' | sort -u; }
run_pkgs=$(installed run)
test_pkgs=$(installed test)
for p in build-essential cmake ninja-build qt6-base-dev; do
  grep -qx "$p" <<<"$run_pkgs" || fail "run.sh does not install $p"
done
for p in libgtest-dev libbenchmark-dev clang pandoc xvfb imagemagick poppler-utils unrtf appstream; do
  grep -qx "$p" <<<"$run_pkgs" && fail "run.sh installs the test tool $p"
  grep -qx "$p" <<<"$test_pkgs" || fail "test.sh does not install $p"
done
extra=$(comm -23 <(echo "$run_pkgs") <(echo "$test_pkgs"))
[ -z "$extra" ] || fail "test.sh does not install what run.sh does: $extra"

# One configuration per folder: the configure commands the scripts ran and those
# the README gives, as "<folder> <arguments>".
{
  cat "$work/log/run.cmake" "$work/log/test.cmake"
  sed -n 's/^    cmake \(-S .*\)/\1/p' "$src/README.md"
} | sed -n 's/^-S \. -B \([^ ]*\) \(.*\)/\1 \2/p' | sort -u >"$work/configs"
while read -r folder; do
  fail "build folder $folder is configured in more than one way:"; grep "^$folder " "$work/configs"
done < <(cut -d' ' -f1 "$work/configs" | uniq -d)
for folder in $(sed -n 's/^ *\(sudo \)\{0,1\}cmake --\(build\|install\) \([^ ]*\).*/\3/p' "$src/README.md" | sort -u); do
  grep -q "^$folder " "$work/configs" || fail "the README builds or installs $folder, which nothing configures"
done

# run.sh's configuration on a machine without the test libraries.
args=$(sed -n 's/^-S \. -B [^ ]* //p' "$work/log/run.cmake" | head -n1)
# shellcheck disable=SC2086
if ! "$real_cmake" -S "$src" -B "$work/configured" $args -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$work/configure.log" 2>&1; then
  tail -n 20 "$work/configure.log"; fail "run.sh's configuration needs more than the run packages"
fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "run.sh installs $(wc -l <<<"$run_pkgs") packages, test.sh $(wc -l <<<"$test_pkgs"); $(wc -l <"$work/configs") build configurations, one per folder"
