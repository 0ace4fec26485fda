#!/usr/bin/env bash
# Opt-in check of the 32-bit product itself: runs the checks (tests/checks.cpp, built
# for 32 bits) on build/win32/app/QvxCheck.exe under 32-bit Wine, which this machine's kernel can
# only run through qemu-user emulation. An i386 binfmt entry for qemu-i386-static is registered
# inside a private user and mount namespace, so nothing changes for the rest of the machine. The
# first run makes a 32-bit Wine prefix in build/qemu32 (minutes); a check takes about a minute.
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
cmake --build --preset win32 --target QvxCheck checks >/dev/null

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
export WINENV_LOADER=/usr/lib/wine/wine WINEARCH=win32 HOME=$work
trap '"$root/scripts/winenv" stop "$work"' EXIT
echo "qemu32: preparing 32-bit Wine in $work (slow the first time)"
"$root/scripts/winenv" start "$work" 1024x768
. "$work/env"
# Direct3D without OpenGL: the emulated GL stack dies on instructions qemu does not know.
"$WINELOADER" reg.exe add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f </dev/null >/dev/null 2>&1
echo "qemu32: checking the 32-bit QvxCheck.exe"
"$root/scripts/winenv" run "$work" "$root/build/win32/tests/checks.exe" -d | tr -d "\r"
INNER
status=$?
echo "qemu32: took $(( $(date +%s) - start )) s"
exit $status
