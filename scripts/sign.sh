#!/usr/bin/env bash
# Signs QvxCheck.exe with the vendor's code-signing key (Authenticode, SHA-256, the program's name
# in the signature) and checks what it made: the signature verifies against CAFILE, and the signed
# file with its signature removed is the unsigned file byte for byte. The signature lives in the
# certificate table, outside the image, so signing changes nothing that Windows runs.
# Usage: sign.sh UNSIGNED SIGNED CAFILE OPTIONS...
#   CAFILE   the certificates the signature's chain must end in (PEM)
#   OPTIONS  osslsigncode sign's own options for the key and certificate, and -ts URL for an
#            RFC 3161 time stamp; passed unchanged
set -euo pipefail
[ $# -ge 4 ] || { echo "usage: sign.sh UNSIGNED SIGNED CAFILE OSSLSIGNCODE-SIGN-OPTIONS..." >&2; exit 2; }
unsigned=$1 signed=$2 cafile=$3
shift 3
rm -f "$signed"  # osslsigncode writes only new files
osslsigncode sign -h sha256 -n QvxCheck "$@" -in "$unsigned" -out "$signed" >/dev/null ||
  { echo "sign: osslsigncode could not sign $unsigned" >&2; exit 1; }
osslsigncode verify -in "$signed" -CAfile "$cafile" ||
  { echo "sign: the signature of $signed does not verify against $cafile" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
osslsigncode remove-signature -in "$signed" -out "$work/stripped.exe" >/dev/null
cmp -s "$work/stripped.exe" "$unsigned" ||
  { echo "sign: $signed without its signature is not $unsigned byte for byte" >&2; exit 1; }
