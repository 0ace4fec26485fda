#!/usr/bin/env bash
# Opt-in check of the 32-bit product itself: runs build/win32/app/QvxCheck.exe under 32-bit Wine,
# which this machine's kernel can only run through qemu-user emulation. An i386 binfmt entry for
# qemu-i386-static is registered inside a private user and mount namespace, so nothing changes
# for the rest of the machine. Slow: expect a quarter of an hour for the first run (it makes a
# 32-bit Wine prefix in build/qemu32) and several minutes after.
# Installs Debian's wine32:i386, wine32-preloader:i386 and qemu-user-static when missing; the
# project's other commands call the 64-bit Wine loader by name and are not affected by wine32.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/deps.sh
need=()
for p in wine32:i386 wine32-preloader:i386 qemu-user-static; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${need[@]}"
fi

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target QvxCheck product_check >/dev/null

work=$root/build/qemu32
mkdir -p "$work"
start=$(date +%s)
# Everything below runs in a namespace of its own, where i386 programs go through qemu.
unshare --user --map-root-user --mount --fork bash -s "$root" "$work" <<'INNER'
set -euo pipefail
root=$1 work=$2
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
  > /proc/sys/fs/binfmt_misc/register
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all HOME=$work
export WINELOADER=/usr/lib/wine/wine
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
  echo "qemu32: creating a 32-bit Wine prefix in $WINEPREFIX (slow)"
  "$WINELOADER" wineboot.exe -i </dev/null >"$work/wineboot.log" 2>&1 || true
fi
# Direct3D without OpenGL: the emulated GL stack dies on instructions qemu does not know.
"$WINELOADER" reg.exe add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$(cat "$work/xvfb.pid" 2>/dev/null)" 2>/dev/null || true' EXIT
DISPLAY=$("$root/tests/env/start-xvfb" "$work/xvfb.pid" 1024x768)
export DISPLAY
echo "qemu32: running the 32-bit QvxCheck.exe"
"$WINELOADER" "$root/build/win32/tests/product_check.exe" "$root/build/win32/app/QvxCheck.exe" </dev/null 2>/dev/null | tr -d '\r'
INNER
status=$?
echo "qemu32: took $(( $(date +%s) - start )) s"
exit $status
