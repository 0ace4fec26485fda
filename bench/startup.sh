#!/usr/bin/env bash
# Prints the checker's start-up time against a floor program that makes only the platform calls
# the survey needs (medians of interleaved runs under Wine on a virtual display, on 64-bit Windows:
# the 32-bit programs under WoW64, as most players run them), then the size of QvxCheck.exe and the
# DLLs it uses.
# Usage: bench/startup.sh [RUNS]   (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

./scripts/deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target QvxCheck startup_floor startup_bench >/dev/null

build=build/win32
env_dir=$build/benchenv
trap 'winenv/winenv stop "$env_dir" >/dev/null' EXIT
winenv/winenv start64 "$env_dir" >/dev/null
. "$env_dir/env"

echo "== start-up on 64-bit Windows ($runs interleaved runs each, after one warm-up run)"
out=$(mktemp)
"$WINELOADER" $build/bench/startup_bench.exe $build/app/QvxCheck.exe \
  $build/bench/startup_floor.exe "$runs" >"$out" 2>&1 </dev/null || { cat "$out"; exit 1; }
tr -d '\r' < "$out"
rm -f "$out"

echo
echo "== size"
stripped=$(mktemp)
i686-w64-mingw32-strip -o "$stripped" $build/app/QvxCheck.exe
bytes=$(stat -c %s "$stripped")
rm -f "$stripped"
awk -v bytes="$bytes" 'BEGIN { printf "QvxCheck.exe, stripped: %d bytes (%.1f KiB)\n", bytes, bytes / 1024 }'
echo "imports: $(/usr/bin/python3 -c 'import pefile, sys; pe = pefile.PE(sys.argv[1]); print(" ".join(e.dll.decode() for e in pe.DIRECTORY_ENTRY_IMPORT))' $build/app/QvxCheck.exe)"
echo "loaded at run time from the system directory: ddraw.dll dsound.dll version.dll, comdlg32.dll on the first export"
