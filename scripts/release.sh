#!/usr/bin/env bash
# The release command. Takes the files of the commit at HEAD exactly as committed, runs that
# commit's own test command in a copy of them, builds the 32-bit QvxCheck.exe twice from clean, each
# from its own copy in its own folder, stops unless the tests passed, the two builds and the program
# the tests ran are the same byte for byte, and the program passes the product check, and puts in
# place of dist/, only once all of it succeeded:
#   QvxCheck.exe  the program, signed when --sign is given
#   SHA256SUMS    its SHA-256
#   BUILD.txt     the commit and how to rebuild it: the system, the build command, the toolchain's
#                 executables and Debian packages, and the SHA-256 of the unsigned program, which
#                 the same commit rebuilds to the same bytes
# Usage: release.sh [--cafile FILE] [--tsa-cafile FILE] [--sign OPTIONS...]
#   --sign OPTIONS     sign with osslsigncode: everything after --sign goes unchanged to
#                      `osslsigncode sign` (the key and certificate, -ts URL for a time stamp)
#   --cafile FILE      the root certificates the signature must verify against
#   --tsa-cafile FILE  the root certificates the time stamp must verify against
#                      (both default to the system's, /etc/ssl/certs/ca-certificates.crt)
# Refuses to run when tracked files differ from HEAD or are hidden from git status: a release is a
# commit.
set -euo pipefail
cd "$(dirname "$0")/.."

cafile=/etc/ssl/certs/ca-certificates.crt tsacafile=/etc/ssl/certs/ca-certificates.crt
sign=()
while [ $# -gt 0 ]; do
  case "$1" in
  --cafile) cafile=${2:?release: --cafile needs a file}; shift 2 ;;
  --tsa-cafile) tsacafile=${2:?release: --tsa-cafile needs a file}; shift 2 ;;
  --sign)
    shift
    sign=("$@")
    [ ${#sign[@]} -gt 0 ] || { echo "release: --sign needs osslsigncode's options" >&2; exit 2; }
    break
    ;;
  *) echo "usage: release.sh [--cafile FILE] [--tsa-cafile FILE] [--sign OSSLSIGNCODE-SIGN-OPTIONS...]" >&2; exit 2 ;;
  esac
done

changed=$(git status --porcelain --untracked-files=no)
hidden=$(git ls-files -v | grep -v '^H ' || true)  # skip-worktree (S), assume-unchanged (h)
if [ -n "$changed$hidden" ]; then
  printf 'release: tracked files differ from HEAD or are hidden from git status; commit them first:\n%s\n' \
    "$changed$hidden" >&2
  exit 1
fi
commit=$(git rev-parse --verify 'HEAD^{commit}')

work=$(mktemp -d)
next=
trap 'rm -rf "$work" $next' EXIT
# The commit's files byte for byte as committed: git archive would apply line-end conversion
# (core.autocrlf), filters and export-subst from attributes.
mkdir "$work/source1"
while IFS= read -r -d '' entry; do
  read -r mode _ object <<<"${entry%%$'\t'*}"
  path=$work/source1/${entry#*$'\t'}
  mkdir -p "$(dirname "$path")"
  case $mode in
  100644) git cat-file blob "$object" > "$path" ;;
  100755) git cat-file blob "$object" > "$path" && chmod +x "$path" ;;
  120000) ln -s "$(git cat-file blob "$object")" "$path" ;;
  *) echo "release: cannot take ${entry#*$'\t'} (mode $mode) from the commit" >&2; exit 1 ;;
  esac
done < <(git ls-tree -r -z "$commit")
cp -a "$work/source1" "$work/source2"
"$work/source1/scripts/deps.sh"

# Built with nothing from the caller's environment (CFLAGS, CXXFLAGS, CPPFLAGS, LDFLAGS, RCFLAGS,
# a generator, a compiler earlier on PATH): only Debian's tools, by the toolchain file's names.
clean=(env -i PATH=/usr/bin:/bin)
configure=(cmake -S . -B build --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DQVX_BUILD_TESTS=OFF)
make=(cmake --build build --target QvxCheck)
# The commit's own test command, in the first copy, with the same clean environment (HOME for
# Wine): its tests ran a QvxCheck.exe that must be the one released.
echo "release: running the tests of $commit (./scripts/test.sh)"
(cd "$work/source1" && "${clean[@]}" HOME="$HOME" ./scripts/test.sh >"$work/tests.log" 2>&1 &&
  grep -q '^100% tests passed, 0 tests failed' "$work/tests.log") ||
  { tail -n 40 "$work/tests.log" >&2; echo "release: the tests of $commit failed; nothing released" >&2; exit 1; }
tail -n 3 "$work/tests.log"
for n in 1 2; do
  (cd "$work/source$n" && "${clean[@]}" "${configure[@]}" >/dev/null && "${clean[@]}" "${make[@]}" -j 2 >/dev/null)
done
exe=$work/source1/build/app/QvxCheck.exe
cmp "$exe" "$work/source2/build/app/QvxCheck.exe" || { echo "release: two clean builds differ" >&2; exit 1; }
cmp "$exe" "$work/source1/build/win32/app/QvxCheck.exe" ||
  { echo "release: the program the tests ran is not the one built for release" >&2; exit 1; }
"$work/source1/release/check_product.py" "$exe"

published=$exe
if [ ${#sign[@]} -gt 0 ]; then
  published=$work/QvxCheck.exe
  "$work/source1/release/sign.sh" "$exe" "$published" "$cafile" "$tsacafile" "${sign[@]}"
fi

# The executable that the toolchain file named for a CMake variable, as the build found it.
tool() {
  local name path
  name=$(sed -n "s/^set($1 \"\(.*\)\")$/\1/p" "$work"/source1/build/CMakeFiles/*/CMake*Compiler.cmake | head -n 1)
  path=$(readlink -f "$(PATH=/usr/bin:/bin command -v "$name")")
  echo "$path, $(dpkg -S "$path" | cut -d: -f1), $("$path" --version | head -n 1)"
}
next=$(mktemp -d dist.next.XXXXXX)
chmod 755 "$next"
cp "$published" "$next/QvxCheck.exe"
(cd "$next" && sha256sum QvxCheck.exe > SHA256SUMS)
{
  echo "QvxCheck.exe, built from commit $commit"
  echo "unsigned SHA-256: $(sha256sum < "$exe" | cut -d' ' -f1)"
  if [ ${#sign[@]} -gt 0 ]; then
    stamp=none
    for ((i = 0; i + 1 < ${#sign[@]}; i++)); do [[ ${sign[i]} = -t || ${sign[i]} = -ts ]] && stamp=${sign[i + 1]}; done
    echo "signed: yes, with $(osslsigncode --version | head -n 1 | sed 's/, using:$//'); time stamp: $stamp"
  else
    echo "signed: no"
  fi
  echo "built on: $(. /etc/os-release && echo "$PRETTY_NAME") (Debian $(cat /etc/debian_version)), $(dpkg --print-architecture)"
  echo "build command, in the commit's files, with PATH=/usr/bin:/bin and no other environment:"
  echo "  ${configure[*]}"
  echo "  ${make[*]}"
  echo "compiler: $(tool CMAKE_CXX_COMPILER)"
  echo "linker: $(tool CMAKE_LINKER)"
  echo "resource compiler: $(tool CMAKE_RC_COMPILER)"
  dpkg-query -W -f='package: ${Package} ${Version} ${Architecture}\n' g++-mingw-w64-i686-win32 \
    gcc-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32-runtime gcc-mingw-w64-base \
    binutils-mingw-w64-i686 mingw-w64-i686-dev mingw-w64-common cmake make
} > "$next/BUILD.txt"
rm -rf dist.old
if [ -d dist ]; then mv dist dist.old; fi
mv "$next" dist
next=
rm -rf dist.old
echo "release: dist/QvxCheck.exe, $(stat -c %s dist/QvxCheck.exe) bytes, tested, from two identical clean builds:"
cat dist/SHA256SUMS dist/BUILD.txt
