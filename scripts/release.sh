#!/usr/bin/env bash
# The release command: builds the 32-bit QvxCheck.exe twice from clean, each from its own copy of
# the sources in its own folder, checks that the two are the same byte for byte and that the
# program passes the product check (Windows 2000 imports and header), then writes
# dist/QvxCheck.exe and dist/SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1 2; do
  mkdir -p "$work/source$n"
  git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$work/source$n"
  cmake -S "$work/source$n" -B "$work/build$n" --toolchain "$work/source$n/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DQVX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$work/build$n" --target QvxCheck -j 2 >/dev/null
done
exe=$work/build1/app/QvxCheck.exe
cmp "$exe" "$work/build2/app/QvxCheck.exe" || { echo "release: two clean builds differ" >&2; exit 1; }
scripts/check_product.sh "$exe"
mkdir -p dist
cp "$exe" dist/QvxCheck.exe
(cd dist && sha256sum QvxCheck.exe > SHA256SUMS)
echo "release: dist/QvxCheck.exe, $(stat -c %s dist/QvxCheck.exe) bytes, the same in two clean builds:"
cat dist/SHA256SUMS
