#!/usr/bin/env bash
# Checks a built QvxCheck.exe without running it: its machine, that it is a GUI program, and that
# it imports only system DLLs (no C++ runtime DLL beside it, and no DirectX, version or common
# dialog DLL bound at load time: those are loaded from the system directory by the program).
# Usage: check_executable.sh OBJDUMP EXE MACHINE   (MACHINE: i386 or x86-64)
set -u
objdump=$1 exe=$2 machine=$3
if [ ! -f "$exe" ]; then
  echo "SKIP: $exe is not built"
  exit 77
fi
headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }
status=0
fail() { echo "FAIL: $*"; status=1; }

"$objdump" -f "$exe" | grep -q "file format pei-$machine" || fail "$exe is not a pei-$machine file"
echo "$headers" | grep -qE '^Subsystem\s+0+2\s' || fail "$exe is not a Windows GUI program"
imports=$(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $imports)"
for dll in $imports; do
  case "$dll" in
    kernel32.dll|user32.dll|msvcrt.dll) ;;
    *) fail "$exe imports $dll" ;;
  esac
done
[ $status -eq 0 ] && echo "ok: $exe"
exit $status
