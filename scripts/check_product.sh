#!/usr/bin/env bash
# Checks the built 32-bit QvxCheck.exe without running it: a GUI program for Windows 5.0 (2000)
# importing only functions that windows2000_imports.txt lists for 5.0 or older, the memory size in
# the form not capped at 4 GiB, and a well-formed manifest asking only to run as the user.
# Usage: check_product.sh EXE
set -u
exe=$1 list=$(dirname "$0")/windows2000_imports.txt status=0
fail() { echo "FAILED: $*"; status=1; }
headers=$(i686-w64-mingw32-objdump -p "$exe") || { echo "FAILED: cannot read $exe (cmake --build --preset win32)"; exit 1; }
grep -q 'file format pei-i386' <<<"$headers" || fail "$exe is not a 32-bit Windows program"
for field in MajorOSystemVersion.5 MinorOSystemVersion.0 MajorSubsystemVersion.5 MinorSubsystemVersion.0 Subsystem.00000002; do
  grep -qE "^${field%.*}\s+${field#*.}\b" <<<"$headers" || fail "the header's ${field%.*} is not ${field#*.}"
done
grep -q 'large address aware' <<<"$headers" || fail "$exe is not large address aware"
imports=$(awk '/DLL Name:/ {dll=$3} /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ && dll {print dll, $3}' <<<"$headers")
[ -n "$imports" ] || fail "no imports read"
while read -r dll function; do
  awk -v d="$dll" -v f="$function" '$1 <= 5.0 && tolower($2) == tolower(d) { for (i = 3; i <= NF; i++) if ($i == f) found = 1 } END { exit !found }' "$list" \
    || fail "$dll $function is not known to be in Windows 2000"
done <<<"$imports"
# A 32-bit program, even a large address aware one on 64-bit Windows, is told at most 4 GiB by
# GlobalMemoryStatus (not in the list): a player with 16 GiB would read "4096.0MB".
grep -qix 'KERNEL32.dll GlobalMemoryStatusEx' <<<"$imports" ||
  fail "KERNEL32.dll GlobalMemoryStatusEx is not imported: the memory figure needs it"
# The manifest (type 24, id 1) only says to run as the user who started the program (without it,
# Windows diverts a save into a protected folder elsewhere and the checker reports success). More
# (common controls 6, DPI awareness, a compatibility section) would change the dialog's behaviour.
# Windows XP SP2 and later refuse to start a program whose manifest is not well-formed XML (a
# side-by-side configuration error), though Wine starts it.
manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" 2>/dev/null)
parsed=$(xmllint --noout - 2>&1 <<<"$manifest") || fail "the manifest is not well-formed XML: $parsed"
elements=$(grep -o '<[A-Za-z][^ />]*' <<<"$manifest" | sort | tr '\n' ' ')
[ "$elements" = "<assembly <requestedExecutionLevel <requestedPrivileges <security <trustInfo " ] ||
  fail "the manifest's elements are '$elements', not the execution level alone"
for part in '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2">' \
  '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'; do
  grep -qF "$part" <<<"$manifest" || fail "the manifest lacks $part"
done
[ $status -eq 0 ] && echo "ok: $exe, $(wc -l <<<"$imports") imports, all in Windows 2000; asInvoker"
exit $status
