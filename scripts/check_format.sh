#!/bin/sh
# Checks that every C++ file under src, tools and tests is laid out as
# .clang-format says (clang-format 14); lists the files that are not.
#
#   scripts/check_format.sh          check, exit 1 when a file drifts
#   scripts/check_format.sh --fix    rewrite the drifting files in place
set -e
cd "$(dirname "$0")/.."
files=$(find src tools tests \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort)
if [ "$1" = "--fix" ]; then
  echo "$files" | xargs clang-format -i --style=file
  exit 0
fi
drift=""
for f in $files; do
  clang-format --dry-run --Werror --style=file "$f" >/dev/null 2>&1 || drift="$drift $f"
done
if [ -n "$drift" ]; then
  echo "check_format: $(echo $drift | wc -w) of $(echo "$files" | wc -l) files are not laid out as .clang-format says:"
  for f in $drift; do echo "  $f"; done
  echo "check_format: scripts/check_format.sh --fix rewrites them"
  exit 1
fi
echo "check_format: $(echo "$files" | wc -l) files laid out as .clang-format says"
