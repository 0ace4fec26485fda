#!/usr/bin/env bash
# The README's test command: installs what is missing, then builds QvxCheck.exe and runs every test
# (the build itself is one, so that the Windows environments are made while it compiles).
set -euo pipefail && cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset win32 >/dev/null
ctest --preset win32 "$@"
