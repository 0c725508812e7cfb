#!/usr/bin/env bash
# Makes a throw-away certificate authority and a server certificate signed by it, for the peer.
#
#   make-test-authority.sh DIR [SUBJECT_ALT_NAMES]
#
# Writes DIR/ca.pem, DIR/server.pem and DIR/server.key (P-256 keys, valid for two days).
# SUBJECT_ALT_NAMES defaults to "IP:127.0.0.1,DNS:localhost".
set -euo pipefail

dir="${1:?usage: make-test-authority.sh DIR [SUBJECT_ALT_NAMES]}"
names="${2:-IP:127.0.0.1,DNS:localhost}"
mkdir -p "$dir"
cd "$dir"

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -sha256 -days 2 \
  -keyout ca.key -out ca.pem -subj "/CN=Velto Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -sha256 \
  -keyout server.key -out server.csr -subj "/CN=Velto Test Server" 2>/dev/null

cat > server.ext <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=serverAuth
subjectAltName=$names
EXT
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -sha256 -days 2 \
  -extfile server.ext -out server.pem 2>/dev/null

rm -f server.csr server.ext ca.srl
