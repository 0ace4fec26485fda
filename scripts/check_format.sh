#!/usr/bin/env bash
# Checks that every C and C++ file of the repository is in its format (.clang-format) and names
# each one that is not.
set -u
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "FAILED: clang-format is missing (scripts/deps.sh)"; exit 1; }
bad=$(git ls-files '*.c' '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"
done)
if [ -n "$bad" ]; then
  echo "FAILED: not in the repository's format (clang-format -i FILE):" $bad
  exit 1
fi
echo "ok: $(git ls-files '*.c' '*.cpp' '*.h' | wc -l) files in the repository's format"
