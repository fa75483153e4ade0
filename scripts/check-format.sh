#!/usr/bin/env bash
# Checks that the C++ sources are formatted as .clang-format says (clang-format-14); lists the
# files that are not. `scripts/check-format.sh --fix` formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^src/core/text/Cp932Table.cpp$')
if [ "${1:-}" = "--fix" ]; then
    clang-format-14 -i "${files[@]}"
    exit 0
fi
bad=()
for f in "${files[@]}"; do
    clang-format-14 --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
    echo "Not formatted (scripts/check-format.sh --fix): ${bad[*]}" >&2
    exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format says"
