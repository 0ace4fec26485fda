#!/usr/bin/env bash
# The README's run command: builds the checker if needed and runs it under Wine as a Japanese player
# on 64-bit Windows sees it (the 32-bit program under WoW64): ANSI code page 932, the dialog's font
# shown in a Japanese proportional Gothic, and a private sound server, so that sound drivers
# appear. On the user's X display when there is one; otherwise on a virtual display, where it saves
# a screenshot of the open dialog and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target QvxCheck >/dev/null
exe=$root/build/win32/app/QvxCheck.exe
run=$root/build/run
user_display=${DISPLAY:-}
trap 'winenv/winenv stop "$run"' EXIT
echo "run: preparing Wine in $run (the first time takes a minute)"
winenv/winenv start64 "$run" 640x400 >/dev/null
. "$run/env"

if [ -n "$user_display" ] && DISPLAY=$user_display xdpyinfo >/dev/null 2>&1; then
  export DISPLAY=$user_display
  echo "run: QvxCheck.exe on display $DISPLAY"
  set +e
  "$WINELOADER" "$exe"
  code=$?
  echo "run: QvxCheck.exe exited with $code"
  exit $code
fi

# No display of the user's: the virtual one, with Wine drawing its own desktop so that the dialog
# has its frame and caption.
shot=$run/QvxCheck.png
rm -f "$shot"
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
