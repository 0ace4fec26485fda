#!/usr/bin/env bash
# Prints the checker's start-up time against a floor program that makes only the platform calls
# the survey needs (medians of interleaved runs under Wine on a virtual display), and the sizes
# of the 32-bit and 64-bit executables with the DLLs the 32-bit one uses.
# Usage: bench/startup.sh [RUNS]   (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

./scripts/deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset win32 --target QvxCheck >/dev/null
cmake --build --preset win64 --target QvxCheck startup_floor startup_bench >/dev/null

env_dir=build/win64/benchenv
trap 'scripts/winenv stop "$env_dir" >/dev/null' EXIT
scripts/winenv start "$env_dir" >/dev/null
. "$env_dir/env"

echo "== start-up under Wine ($runs interleaved runs each, after one warm-up run)"
out=$(mktemp)
"$WINELOADER" build/win64/bench/startup_bench.exe build/win64/app/QvxCheck.exe \
  build/win64/bench/startup_floor.exe "$runs" >"$out" 2>&1 </dev/null || { cat "$out"; exit 1; }
tr -d '\r' < "$out"
rm -f "$out"

echo
echo "== sizes (stripped)"
for build in win32:i686 win64:x86_64; do
  exe=build/${build%%:*}/app/QvxCheck.exe
  stripped=$(mktemp)
  "${build#*:}-w64-mingw32-strip" -o "$stripped" "$exe"
  bytes=$(stat -c %s "$stripped")
  awk -v exe="$exe" -v bytes="$bytes" 'BEGIN { printf "%-32s %8d bytes (%.1f KiB)\n", exe, bytes, bytes / 1024 }'
  rm -f "$stripped"
done
echo "32-bit imports:          $(i686-w64-mingw32-objdump -p build/win32/app/QvxCheck.exe | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
echo "loaded at run time from the system directory: ddraw.dll dsound.dll version.dll, comdlg32.dll on the first export"
