#!/usr/bin/env bash
# The release command. Builds the 32-bit QvxCheck.exe twice from clean, each from its own copy of
# the committed sources (HEAD) in its own folder, stops unless the two are the same byte for byte
# and the program passes the product check, and writes to dist/:
#   QvxCheck.exe  the program, signed when --sign is given
#   SHA256SUMS    its SHA-256
#   BUILD.txt     the commit and the toolchain that built it, and the SHA-256 of the unsigned
#                 program, which the same commit rebuilds to the same bytes
# Usage: release.sh [--cafile FILE] [--sign OPTIONS...]
#   --sign OPTIONS  sign with osslsigncode: everything after --sign goes unchanged to
#                   `osslsigncode sign` (the key and certificate, a time-stamp server)
#   --cafile FILE   the root certificates the signature must verify against (default: the
#                   system's, /etc/ssl/certs/ca-certificates.crt)
# Refuses to run when tracked files differ from HEAD: a release is a commit.
set -euo pipefail
cd "$(dirname "$0")/.."

cafile=/etc/ssl/certs/ca-certificates.crt
sign=()
while [ $# -gt 0 ]; do
  case "$1" in
  --cafile) cafile=${2:?release: --cafile needs a file}; shift 2 ;;
  --sign)
    shift
    sign=("$@")
    [ ${#sign[@]} -gt 0 ] || { echo "release: --sign needs osslsigncode's options" >&2; exit 2; }
    break
    ;;
  *) echo "usage: release.sh [--cafile FILE] [--sign OSSLSIGNCODE-SIGN-OPTIONS...]" >&2; exit 2 ;;
  esac
done

changed=$(git status --porcelain --untracked-files=no)
if [ -n "$changed" ]; then
  printf 'release: tracked files differ from HEAD; commit or stash them first:\n%s\n' "$changed" >&2
  exit 1
fi

./scripts/deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1 2; do
  mkdir -p "$work/source$n"
  git archive HEAD | tar -xf - -C "$work/source$n"
  cmake -S "$work/source$n" -B "$work/build$n" --toolchain "$work/source$n/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DQVX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$work/build$n" --target QvxCheck -j 2 >/dev/null
done
exe=$work/build1/app/QvxCheck.exe
cmp "$exe" "$work/build2/app/QvxCheck.exe" || { echo "release: two clean builds differ" >&2; exit 1; }
scripts/check_product.sh "$exe"

published=$exe
if [ ${#sign[@]} -gt 0 ]; then
  published=$work/QvxCheck.exe
  scripts/sign.sh "$exe" "$published" "$cafile" "${sign[@]}"
fi
rm -rf dist
mkdir dist
cp "$published" dist/QvxCheck.exe
(cd dist && sha256sum QvxCheck.exe > SHA256SUMS)
{
  echo "QvxCheck.exe, built from commit $(git rev-parse HEAD)"
  echo "unsigned SHA-256: $(sha256sum < "$exe" | cut -d' ' -f1)"
  echo "signed: $([ ${#sign[@]} -gt 0 ] && echo yes || echo no)"
  echo "compiler: $(i686-w64-mingw32-g++ --version | head -n 1)"
  echo "linker: $(i686-w64-mingw32-ld --version | head -n 1)"
  echo "resource compiler: $(i686-w64-mingw32-windres --version | head -n 1)"
  dpkg-query -W -f='package: ${Package} ${Version}\n' g++-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 mingw-w64-i686-dev cmake
} > dist/BUILD.txt
echo "release: dist/QvxCheck.exe, $(stat -c %s dist/QvxCheck.exe) bytes, from two identical clean builds:"
cat dist/SHA256SUMS dist/BUILD.txt
