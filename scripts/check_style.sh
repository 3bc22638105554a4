#!/usr/bin/env bash
# Every C++ file git tracks is in the one style of the top .clang-format. Prints the files that
# differ and exits 1; exits 0 when all match. Run from anywhere inside the checkout.
set -euo pipefail
top=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
cd "$top"
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 2; }
bad=()
while IFS= read -r -d '' f; do
  clang-format --style=file --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not in the style of .clang-format (clang-format -i FILE mends it): %s\n' "${bad[@]}"
  exit 1
fi
echo "every C++ file is in the style of .clang-format"
