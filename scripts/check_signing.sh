#!/usr/bin/env bash
# Signs the built 32-bit QvxCheck.exe as the release does, with a throwaway certificate and a
# throwaway RFC 3161 time-stamp authority on 127.0.0.1 made here in place of the vendor's (nothing
# outside this machine is reached), and checks the signed file from outside: the signature and its
# time stamp verify, with SHA-256 and the program's name; without its signature the file is the
# product byte for byte; and it still passes the product check. Signing refuses a time stamp
# whose authority is not among the given roots.
# Usage: check_signing.sh EXE
set -u
exe=$1 scripts=$(dirname "$0") status=0
fail() { echo "FAILED: $*"; status=1; }
work=$(mktemp -d)
trap 'kill $tsa 2>/dev/null; rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=QvxCheck test vendor" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:test \
  -out "$work/vendor.p12"
echo test > "$work/password"

# The time-stamp authority: openssl ts -reply behind socat, one HTTP POST per connection.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=QvxCheck test time stamps" \
  -addext extendedKeyUsage=critical,timeStamping -keyout "$work/tsa.key" -out "$work/tsa.pem" 2>/dev/null
cat > "$work/tsa.cnf" <<CONFIG
[ tsa ]
default_tsa = authority
[ authority ]
serial = $work/serial
signer_cert = $work/tsa.pem
signer_key = $work/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
ess_cert_id_alg = sha256
CONFIG
cat > "$work/responder" <<RESPONDER
#!/usr/bin/env bash
length=0
while IFS= read -r line && [ -n "\${line%\$'\r'}" ]; do
  [[ \${line,,} =~ ^content-length:\ *([0-9]+) ]] && length=\${BASH_REMATCH[1]}
done
head -c "\$length" > "$work/query.\$\$"
openssl ts -reply -config "$work/tsa.cnf" -queryfile "$work/query.\$\$" -out "$work/reply.\$\$" 2>/dev/null
printf 'HTTP/1.0 200 OK\r\nContent-Type: application/timestamp-reply\r\nContent-Length: %d\r\n\r\n' \
  "\$(stat -c %s "$work/reply.\$\$")"
cat "$work/reply.\$\$"
RESPONDER
chmod +x "$work/responder"
socat -d -d TCP-LISTEN:0,bind=127.0.0.1,fork EXEC:"$work/responder" 2>"$work/socat.log" &
tsa=$!
for _ in $(seq 50); do grep -q 'listening on' "$work/socat.log" && break; sleep 0.1; done
url=http://$(grep -om1 '127\.0\.0\.1:[0-9]*' "$work/socat.log") || fail "socat did not listen: $(cat "$work/socat.log")"

options=(-pkcs12 "$work/vendor.p12" -readpass "$work/password" -ts "$url")
"$scripts/sign.sh" "$exe" "$work/refused.exe" "$work/cert.pem" /etc/ssl/certs/ca-certificates.crt \
  "${options[@]}" >/dev/null 2>&1 && fail "sign.sh passed a time stamp whose authority is not a given root"
"$scripts/sign.sh" "$exe" "$work/signed.exe" "$work/cert.pem" "$work/tsa.pem" "${options[@]}" >/dev/null ||
  fail "sign.sh failed"
verified=$(osslsigncode verify -in "$work/signed.exe" -CAfile "$work/cert.pem" -TSA-CAfile "$work/tsa.pem" 2>&1)
grep -q '^Signature verification: ok' <<<"$verified" || fail "the signature does not verify: $verified"
grep -q '^Timestamp Server Signature verification: ok' <<<"$verified" || fail "the time stamp does not verify"
grep -q 'Message digest algorithm *: SHA256' <<<"$verified" || fail "the digest is not SHA-256"
grep -q 'Text description: QvxCheck$' <<<"$verified" || fail "the signature does not name QvxCheck"
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/stripped.exe" >/dev/null
cmp -s "$work/stripped.exe" "$exe" || fail "the signed exe without its signature is not $exe"
"$scripts/check_product.sh" "$work/signed.exe" >/dev/null || fail "the signed exe fails the product check"
[ $status -eq 0 ] && echo "ok: $exe signed, time-stamped, verified and stripped back to the same bytes"
exit $status
