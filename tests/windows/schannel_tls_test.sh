#!/usr/bin/env bash
# Runs the Schannel suite (schannel_tls_test.exe) under Wine against
# `openssl s_server -WWW` on loopback: a throwaway authority, trusted in the
# prefix's user "Root" store through trust_test_authority.exe, a certificate
# it signed for "localhost", and a file of about 400 KB to serve.
# Usage: schannel_tls_test.sh WINE TRUST_EXE TEST_EXE [TEST_ARGS...]
set -euo pipefail
wine=$1 trust=$2 tests=$3
shift 3
dir=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir"

ec="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
printf '%s\n' "subjectAltName=DNS:localhost" "basicConstraints=CA:FALSE" \
  "keyUsage=digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" \
  > server.ext
{
  openssl req -x509 -nodes $ec -keyout ca.key -out ca.pem -days 2 \
    -subj '/CN=ZAN Test Authority'
  openssl req -nodes $ec -keyout server.key -out server.csr -subj '/CN=localhost'
  openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial \
    -out server.pem -days 2 -extfile server.ext
} >/dev/null 2>&1
head -c 300000 /dev/urandom | base64 > answer.txt

# A free port: the server fails at once on one that is taken.
port=
for attempt in $(seq 1 20); do
  candidate=$((20000 + RANDOM % 30000))
  openssl s_server -WWW -quiet -accept "$candidate" -cert server.pem \
    -key server.key </dev/null >server.log 2>&1 &
  server=$!
  for wait in $(seq 1 50); do
    if ! kill -0 "$server" 2>/dev/null; then break; fi
    if grep -q ACCEPT server.log 2>/dev/null ||
       (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
      port=$candidate
      break
    fi
    sleep 0.1
  done
  [ -n "$port" ] && break
  wait "$server" 2>/dev/null || true
  server=
done
if [ -z "$port" ]; then
  echo "no port for the test server" >&2
  exit 1
fi

"$wine" "$trust" "$dir/ca.pem"
ZAN_TLS_PORT=$port ZAN_TLS_ANSWER="Z:$dir/answer.txt" "$wine" "$tests" "$@"
