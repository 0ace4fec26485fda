#!/usr/bin/env bash
# Signs QvxCheck.exe as the release does, with a throwaway certificate and RFC 3161 time-stamp
# authority on 127.0.0.1: refused without the authority's root; with it, verified from outside
# (SHA-256, the program's name). sign.sh itself verifies the time stamp and the stripped bytes.
# Usage: check_signing.sh EXE
set -u
exe=$1 here=$(dirname "$0") status=0 tsa=
fail() { echo "FAILED: $*"; status=1; }
work=$(mktemp -d)
trap 'kill $tsa 2>/dev/null; rm -rf "$work"' EXIT
for usage in vendor:codeSigning tsa:critical,timeStamping; do  # NAME.pem and NAME.key, self-signed
  openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=QvxCheck test ${usage%%:*}" \
    -addext "extendedKeyUsage=${usage#*:}" -keyout "$work/${usage%%:*}.key" -out "$work/${usage%%:*}.pem" 2>/dev/null
done

# The time-stamp authority: openssl ts -reply behind socat, one HTTP POST per connection.
cat > "$work/tsa.cnf" <<CONFIG
[ tsa ]
default_tsa = authority
[ authority ]
serial = $work/serial
digests = sha1, sha256, sha384, sha512
CONFIG
cat > "$work/responder" <<RESPONDER
#!/usr/bin/env bash
length=0
while IFS= read -r line && [ -n "\${line%\$'\r'}" ]; do
  [[ \${line,,} =~ ^content-length:\ *([0-9]+) ]] && length=\${BASH_REMATCH[1]}
done
head -c "\$length" | openssl ts -reply -config "$work/tsa.cnf" -queryfile /dev/stdin -signer "$work/tsa.pem" \
  -inkey "$work/tsa.key" -sha256 -tspolicy 1.2.3.4.1 -out "$work/reply.\$\$" 2>/dev/null
printf 'HTTP/1.0 200 OK\r\nContent-Type: application/timestamp-reply\r\n\r\n'  # ends with the connection
cat "$work/reply.\$\$"
RESPONDER
chmod +x "$work/responder"
socat -d -d TCP-LISTEN:0,bind=127.0.0.1,fork EXEC:"$work/responder" 2>"$work/socat.log" &
tsa=$!
for _ in $(seq 50); do grep -q 'listening on' "$work/socat.log" && break; sleep 0.1; done
url=http://$(grep -om1 '127\.0\.0\.1:[0-9]*' "$work/socat.log") || fail "socat did not listen: $(cat "$work/socat.log")"

key=(-certs "$work/vendor.pem" -key "$work/vendor.key" -ts "$url")
"$here/sign.sh" "$exe" "$work/refused.exe" "$work/vendor.pem" /etc/ssl/certs/ca-certificates.crt \
  "${key[@]}" >/dev/null 2>&1 && fail "sign.sh passed a time stamp whose authority is not a given root"
"$here/sign.sh" "$exe" "$work/signed.exe" "$work/vendor.pem" "$work/tsa.pem" "${key[@]}" >/dev/null ||
  { echo "FAILED: sign.sh failed"; exit 1; }
verified=$(osslsigncode verify -in "$work/signed.exe" -CAfile "$work/vendor.pem" -TSA-CAfile "$work/tsa.pem" 2>&1)
grep -q 'Message digest algorithm *: SHA256' <<<"$verified" || fail "the digest is not SHA-256"
grep -q 'Text description: QvxCheck$' <<<"$verified" || fail "the signature does not name QvxCheck"
[ $status -eq 0 ] && echo "ok: $exe signed, time-stamped and verified"
exit $status
