#!/usr/bin/env bash
# Signs QvxCheck.exe with the vendor's code-signing key (Authenticode, SHA-256, the program's name
# in the signature) and checks what it made: the signature verifies against CAFILE, a time stamp
# (when the signature carries one) verifies against TSA_CAFILE, and the signed file with its
# signature removed is the unsigned file byte for byte. The signature lives in the certificate
# table, outside the image, so signing changes nothing that Windows runs.
# Usage: sign.sh UNSIGNED SIGNED CAFILE TSA_CAFILE OPTIONS...
#   CAFILE      the certificates the signature's chain must end in (PEM)
#   TSA_CAFILE  the certificates the time-stamp authority's chain must end in (PEM)
#   OPTIONS     osslsigncode sign's own options for the key and certificate, and -ts URL for an
#               RFC 3161 time stamp; passed unchanged
set -euo pipefail
[ $# -ge 5 ] || { echo "usage: sign.sh UNSIGNED SIGNED CAFILE TSA_CAFILE OSSLSIGNCODE-SIGN-OPTIONS..." >&2; exit 2; }
unsigned=$1 signed=$2 cafile=$3 tsacafile=$4
shift 4
rm -f "$signed"  # osslsigncode writes only new files
osslsigncode sign -h sha256 -n QvxCheck "$@" -in "$unsigned" -out "$signed" >/dev/null ||
  { echo "sign: osslsigncode could not sign $unsigned" >&2; exit 1; }
verified=$(osslsigncode verify -in "$signed" -CAfile "$cafile" -TSA-CAfile "$tsacafile" 2>&1) ||
  { echo "$verified" >&2; echo "sign: the signature of $signed does not verify against $cafile" >&2; exit 1; }
echo "$verified"
# osslsigncode verify passes a signature whose time stamp fails ("Timestamp Server Signature
# verification: failed"). Such a signature stops being valid on Windows when the certificate
# expires, which is what the time stamp is for.
stamped=$(grep -c 'Timestamp Server Signature verification' <<<"$verified" || true)
for option in "$@"; do [[ $option = -t || $option = -ts ]] && stamped=1; done
if [ "$stamped" != 0 ] && ! grep -q '^Timestamp Server Signature verification: ok' <<<"$verified"; then
  echo "sign: the time stamp of $signed does not verify against $tsacafile" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
osslsigncode remove-signature -in "$signed" -out "$work/stripped.exe" >/dev/null
cmp -s "$work/stripped.exe" "$unsigned" ||
  { echo "sign: $signed without its signature is not $unsigned byte for byte" >&2; exit 1; }
