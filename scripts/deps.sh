#!/usr/bin/env bash
# Installs the Debian packages that building and testing the checker need, when they are missing,
# and where the kernel runs no 32-bit (i386) program, an emulator for them.
# Idempotent and non-interactive; needs root (or sudo) only when something is missing.
#   scripts/deps.sh                 what is missing; qemu-user for i386 programs only where needed
#   scripts/deps.sh --emulate-i386  qemu-user for i386 programs even where the kernel runs them
#   scripts/deps.sh --no-emulator   takes that emulator's binfmt_misc entry away again
set -euo pipefail
mode=${1:-}
case "$mode" in ""|--emulate-i386|--no-emulator) ;; *) echo "usage: deps.sh [--emulate-i386|--no-emulator]" >&2; exit 2 ;; esac

packages=(
  cmake make
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine64
  xvfb xauth x11-utils
  pulseaudio
  locales fonts-ipafont-gothic fonts-wine
  imagemagick
  doctest-dev clang-format gcc
  osslsigncode openssl ca-certificates socat python3-pefile
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
# apt waits for another apt (an unattended upgrade, a second command) rather than failing at once.
apt=(apt-get -o DPkg::Lock::Timeout=300)

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_i386[@]} -gt 0 ]; then
  echo "deps: installing $(echo "${missing[@]}" "${missing_i386[@]}")"
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" "${apt[@]}" update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_i386[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" "${apt[@]}" install -y -q "${missing_i386[@]}"
fi

# Wine takes its ANSI code page from the Unix locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "deps: generating the ja_JP.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

# 32-bit Wine is an i386 program. Some x86-64 machines run none: a hypervisor that gives programs no
# 32-bit code segment, a kernel with ia32_emulation=0, some container sandboxes, WSL 1. There Debian's
# qemu-user runs them, registered for i386 ELF programs in binfmt_misc, which the kernel asks before
# its own ELF loader (so the entry also forces emulation where the kernel could run them itself).
binfmt=/proc/sys/fs/binfmt_misc
entry=qemu-i386
registered() { sed -n 's/^interpreter //p' "$binfmt/$entry" 2>/dev/null; }
unregister() {
  [ -e "$binfmt/$entry" ] || return 0
  "${sudo_cmd[@]}" update-binfmts --package qvxcheck --remove "$entry" "$(registered)" >/dev/null 2>&1 ||
    echo -1 | "${sudo_cmd[@]}" tee "$binfmt/$entry" >/dev/null
}
if [ "$mode" = --no-emulator ]; then
  unregister
  echo "deps: i386 programs run as the kernel runs them (no $entry entry in binfmt_misc)"
  exit 0
fi
i386_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if [ "$mode" = --emulate-i386 ] || ! i386_runs; then
  # The static emulator, whose flag F entry works in any root: Debian 12 and 13 call its package
  # qemu-user-static (on 13 a transitional package that brings qemu-user and names its emulators
  # *-static too); later releases have only qemu-user, whose emulators are static themselves.
  if [ -n "$(missing qemu-user-static)" ] && [ -n "$(missing qemu-user)" ]; then
    "${sudo_cmd[@]}" "${apt[@]}" update -q
  fi
  package=qemu-user
  # grep reads all that apt-cache prints: stopping at the first match would fail apt-cache.
  apt-cache show qemu-user-static 2>/dev/null | grep '^Version:' >/dev/null && package=qemu-user-static
  mapfile -t missing_emulator < <(missing "$package" binfmt-support)
  if [ ${#missing_emulator[@]} -gt 0 ]; then
    "${sudo_cmd[@]}" "${apt[@]}" install -y -q --no-install-recommends "${missing_emulator[@]}"
  fi
  emulator=$(dpkg-query -L "$package" | grep -E '^/usr/bin/qemu-i386(-static)?$' | sort | tail -n 1)
  [ -n "$emulator" ] || { echo "deps: $package holds no /usr/bin/qemu-i386 emulator" >&2; exit 1; }
  if ! mountpoint -q "$binfmt"; then
    "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || {
      echo "deps: this kernel runs no i386 program, and binfmt_misc, through which qemu-user would run" \
        "them, cannot be mounted on $binfmt: load its module (modprobe binfmt_misc) or run on a" \
        "kernel with IA32 emulation (CONFIG_IA32_EMULATION, without ia32_emulation=0)" >&2
      exit 1
    }
  fi
  # An entry left by another release names an emulator that may be gone.
  [ "$(registered)" = "$emulator" ] || unregister
  update-binfmts --display "$entry" >/dev/null 2>&1 ||
    "${sudo_cmd[@]}" update-binfmts --package qvxcheck --install "$entry" "$emulator" --fix-binary yes \
      --magic '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
      --mask '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  "${sudo_cmd[@]}" update-binfmts --enable "$entry" 2>/dev/null
  i386_runs || { echo "deps: i386 programs do not start even under $emulator ($binfmt/$entry)" >&2; exit 1; }
  echo "deps: i386 programs (32-bit Wine) run under qemu-user: $binfmt/$entry (remove: scripts/deps.sh --no-emulator)"
fi
