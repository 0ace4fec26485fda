#!/usr/bin/env bash
# The README's run command: builds the checker if needed and runs it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64
exe=build/win64/app/QvxCheck.exe
if [ ! -f "$exe" ]; then
  echo "run: the checker application is not built yet (no $exe); the libraries and tests are." >&2
  exit 1
fi
