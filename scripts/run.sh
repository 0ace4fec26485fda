#!/usr/bin/env bash
# The README's run command: builds the checker if needed and runs it under Wine with a Japanese
# locale (ANSI code page 932). On the user's X display when there is one; otherwise on a virtual
# display, where it saves a screenshot of the open dialog and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target QvxCheck >/dev/null
exe=$root/build/win64/app/QvxCheck.exe

run=$root/build/run
mkdir -p "$run"
export WINEPREFIX=$run/prefix
# The 64-bit loader by name: /usr/bin/wine would take the 32-bit one if wine32 were installed.
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
  echo "run: creating a Wine prefix in $WINEPREFIX (once)"
  "$WINELOADER" wineboot.exe -i </dev/null >/dev/null 2>&1
  wineserver -w
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run: QvxCheck.exe on display $DISPLAY"
  set +e
  "$WINELOADER" "$exe"
  code=$?
  echo "run: QvxCheck.exe exited with $code"
  exit $code
fi

# No display: a virtual one, with Wine drawing its own desktop so the dialog has its frame.
shot=$run/QvxCheck.png
rm -f "$shot"
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$(cat "$run/xvfb.pid" 2>/dev/null)" 2>/dev/null || true' EXIT
DISPLAY=$(tests/env/start-xvfb "$run/xvfb.pid" 640x400)
export DISPLAY
echo "run: no X display; running QvxCheck.exe on the virtual display $DISPLAY"
"$WINELOADER" explorer /desktop=QvxCheck,640x400 "$exe" </dev/null >/dev/null 2>&1 &

# The dialog is up when the screen shows more than the desktop's few colours.
for _ in $(seq 120); do
  sleep 1
  import -window root "$shot.tmp.png" 2>/dev/null || continue
  if [ "$(identify -format %k "$shot.tmp.png" 2>/dev/null || echo 0)" -gt 16 ]; then
    sleep 2
    import -window root "$shot"
    break
  fi
done
rm -f "$shot.tmp.png"
if [ -f "$shot" ]; then
  echo "run: screenshot of the open dialog: $shot"
else
  echo "run: the dialog did not appear within two minutes" >&2
  exit 1
fi
