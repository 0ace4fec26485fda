#!/usr/bin/env bash
# Installs the Debian packages that building and testing the checker need, when they are missing.
# Idempotent and non-interactive; needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64
  xvfb xauth x11-utils
  pulseaudio
  locales fonts-ipafont-gothic fonts-wine
  imagemagick
  doctest-dev clang-format
  osslsigncode openssl ca-certificates icoutils libxml2-utils socat
)

# 32-bit Wine, which runs the 32-bit checker on both Windows: alone, as 32-bit Windows, and under
# 64-bit Wine (wine64 above), as WoW64 on 64-bit Windows. Its recommended libraries (X extensions,
# GL, sound plugins) come along, the i386 twins of those that 64-bit Wine gets above.
packages_i386=(wine32:i386 wine32-preloader:i386)

missing() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
mapfile -t missing < <(missing "${packages[@]}")
mapfile -t missing_i386 < <(missing "${packages_i386[@]}")

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_i386[@]} -gt 0 ]; then
  echo "deps: installing $(echo "${missing[@]}" "${missing_i386[@]}")"
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_i386[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get install -y -q "${missing_i386[@]}"
fi

# Wine takes its ANSI code page from the Unix locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "deps: generating the ja_JP.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
