#!/usr/bin/env bash
# The README's test command on the other Debian release than this machine's (12 on 13, 13 on 12):
# in a fresh root made from Debian's archive with debootstrap, on a fresh clone of this repository's
# HEAD, installing there what that release needs. Removes the root afterwards. Needs root (or sudo):
# debootstrap, chroot and the mounts of /proc, /sys and /dev in the root.
#   scripts/other_release.sh [CODENAME]   bookworm (12) or trixie (13); default: the other one
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then exec sudo -E "$0" "$@"; fi

here=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
case "${1:-}" in
"") case "$here" in bookworm) codename=trixie ;; trixie) codename=bookworm ;;
    *) echo "other_release: this machine is '$here', neither Debian 12 (bookworm) nor 13 (trixie);" \
         "name the release to test: other_release.sh bookworm|trixie" >&2; exit 2 ;;
    esac ;;
bookworm | trixie) codename=$1 ;;
*) echo "usage: other_release.sh [bookworm|trixie]" >&2; exit 2 ;;
esac
commit=$(git rev-parse --verify 'HEAD^{commit}')

if ! command -v debootstrap >/dev/null; then
  echo "other_release: installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null
fi

root=$(mktemp -d /var/tmp/qvxcheck-$codename.XXXXXX)
chmod 755 "$root"  # apt inside reads it as its own user

# Where this machine hands i386 programs to an emulator (binfmt_misc, which every root shares), the
# root's release runs them through its own, as on a machine of that release: its deps.sh registers
# it for the leg, and this machine's entries are put back afterwards. Under another release's qemu
# the root's 32-bit Wine is not what that release runs (Debian 13's Wine 10 spins for ever under
# Debian 12's qemu 7.2 while it makes a prefix).
binfmt=/proc/sys/fs/binfmt_misc
i386_entries() { grep -lsx 'magic 7f454c4601010100000000000000000002000300' "$binfmt"/* | xargs -r grep -lx enabled; }
# The line that registers the entry in file $1 again, every byte of its magic and mask escaped.
registration() {
  field() { sed -n "s/^$1//p" "$2"; }
  printf ':%s:M:%s:%s:%s:%s:%s' "${1##*/}" "$(field 'offset ' "$1")" \
    "$(field 'magic ' "$1" | sed 's/../\\x&/g')" "$(field 'mask ' "$1" | sed 's/../\\x&/g')" \
    "$(field 'interpreter ' "$1")" "$(field 'flags: ' "$1")"
}
saved=()

# Whatever still runs in the root (a wineserver, Xvfb) is ended before its mounts are taken away,
# and nothing of the root is left; this machine's emulator entries are as they were.
cleanup() {
  for link in /proc/[0-9]*/root; do
    [ "$(readlink "$link" 2>/dev/null)" = "$root" ] && pid=${link#/proc/} && kill -9 "${pid%/root}" 2>/dev/null
  done
  for mount in dev sys proc; do
    mountpoint -q "$root/$mount" && umount -R "$root/$mount" 2>/dev/null || umount -R -l "$root/$mount" 2>/dev/null
  done
  mountpoint -q "$root/dev" || mountpoint -q "$root/sys" || mountpoint -q "$root/proc" ||
    rm -rf --one-file-system "$root"
  for entry in $(i386_entries); do echo -1 > "$entry"; done
  for line in "${saved[@]}"; do printf '%s' "$line" > "$binfmt/register"; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM
for entry in $(i386_entries); do
  saved+=("$(registration "$entry")")
  echo -1 > "$entry"
done

start=$SECONDS
echo "other_release: making a Debian $codename root in $root"
debootstrap --variant=minbase "$codename" "$root" >"$root.log" 2>&1 ||
  { tail -n 20 "$root.log" >&2; rm -f "$root.log"; echo "other_release: debootstrap $codename failed" >&2; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
for mount in sys dev; do
  mount --rbind "/$mount" "$root/$mount"
  mount --make-rslave "$root/$mount"
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive sh -c \
  'apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends git ca-certificates >/dev/null'
git clone -q --no-local "$(pwd)" "$root/root/QvxCheck"
git -C "$root/root/QvxCheck" checkout -q --detach "$commit"
echo "other_release: root ready after $((SECONDS - start)) s; the test command on a fresh clone of $commit"

set +e
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM=dumb \
  sh -c 'cd /root/QvxCheck && ./scripts/test.sh'
status=$?
set -e
version=$(cat "$root/etc/debian_version")
if [ $status -eq 0 ]; then
  echo "other_release: Debian $version ($codename): the test command passed; $((SECONDS - start)) s in all"
else
  echo "other_release: Debian $version ($codename): the test command FAILED (exit code $status)" >&2
fi
exit $status
