#!/usr/bin/env bash
# Signs the built 32-bit QvxCheck.exe as the release does, with a throwaway certificate made here
# in place of the vendor's (no time stamp: nothing outside this machine is reached), and checks
# the signed file from outside: the signature verifies against that certificate, with SHA-256 and
# the program's name; without its signature the file is the product byte for byte; and it still
# passes the product check.
# Usage: check_signing.sh EXE
set -u
exe=$1 scripts=$(dirname "$0") status=0
fail() { echo "FAILED: $*"; status=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=QvxCheck test vendor" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:test \
  -out "$work/vendor.p12"
echo test > "$work/password"
"$scripts/sign.sh" "$exe" "$work/signed.exe" "$work/cert.pem" \
  -pkcs12 "$work/vendor.p12" -readpass "$work/password" >/dev/null || fail "sign.sh failed"
verified=$(osslsigncode verify -in "$work/signed.exe" -CAfile "$work/cert.pem" 2>&1)
grep -q '^Signature verification: ok' <<<"$verified" || fail "the signature does not verify: $verified"
grep -q 'Message digest algorithm *: SHA256' <<<"$verified" || fail "the digest is not SHA-256"
grep -q 'Text description: QvxCheck$' <<<"$verified" || fail "the signature does not name QvxCheck"
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/stripped.exe" >/dev/null
cmp -s "$work/stripped.exe" "$exe" || fail "the signed exe without its signature is not $exe"
"$scripts/check_product.sh" "$work/signed.exe" >/dev/null || fail "the signed exe fails the product check"
[ $status -eq 0 ] && echo "ok: $exe signed, verified and stripped back to the same bytes"
exit $status
