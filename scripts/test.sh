#!/usr/bin/env bash
# The README's test command: installs what is missing, builds the 32-bit product and the 64-bit
# build, and runs every test, the checks of both builds under Wine.
set -euo pipefail && cd "$(dirname "$0")/.."
./scripts/deps.sh
for preset in win32 win64; do cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; done
ctest --preset win64 "$@"
