#!/usr/bin/env bash
# Sending a 5 MB attachment to a loopback SMTP server (aiosmtpd): our SMTP
# control beside curl sending the same composed message, median wall time
# and peak memory over runs; then the same over STARTTLS with a sign-in (a
# throwaway authority made here) beside curl --ssl-reqd.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-7}
tmp=$(mktemp -d)
mkfifo "$tmp/keep"
ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
openssl req -x509 "${ec[@]}" -keyout "$tmp/ca.key" -out "$tmp/ca.pem" -days 1 -subj /CN=bench-ca \
  -addext basicConstraints=critical,CA:TRUE 2>/dev/null
openssl req "${ec[@]}" -keyout "$tmp/server.key" -out "$tmp/server.csr" -subj /CN=localhost 2>/dev/null
printf 'subjectAltName=DNS:localhost\n' > "$tmp/ext"
openssl x509 -req -in "$tmp/server.csr" -CA "$tmp/ca.pem" -CAkey "$tmp/ca.key" -CAcreateserial \
  -out "$tmp/server.pem" -days 1 -extfile "$tmp/ext" 2>/dev/null
mkdir -p "$tmp/inbox" "$tmp/tls-inbox"
/usr/bin/python3 "$root/tests/support/smtp_sink.py" serve "$tmp/inbox" < "$tmp/keep" &
sink=$!
/usr/bin/python3 "$root/tests/support/smtp_sink.py" serve "$tmp/tls-inbox" \
  --starttls "$tmp/server.pem" "$tmp/server.key" --auth bench bench < "$tmp/keep" &
tls_sink=$!
exec 3> "$tmp/keep"
trap 'exec 3>&-; wait $sink $tls_sink 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [ -s "$tmp/inbox/port" ] && [ -s "$tmp/tls-inbox/port" ] && break; sleep 0.1; done
port=$(cat "$tmp/inbox/port")
tls_port=$(cat "$tmp/tls-inbox/port")
head -c 5242880 /dev/urandom > "$tmp/Cube.exe"

measure() { # label command...: prints median wall ms and median peak KB
  local label=$1; shift
  local walls=() mems=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %M" -o "$tmp/time" "$@" >/dev/null
    read -r wall mem < "$tmp/time"
    walls+=("$(awk "BEGIN{print int($wall*1000)}")"); mems+=("$mem")
  done
  local w m
  w=$(printf '%s\n' "${walls[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  m=$(printf '%s\n' "${mems[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  echo "$label: median ${w} ms, peak memory $((m / 1024)) MB over $runs runs"
}

measure "vexilo SMTP control" "$build/bench-tools/mail-send" "127.0.0.1:$port" "$tmp/Cube.exe"
message=$(ls "$tmp/inbox"/*.eml | head -1)
measure "curl smtp://" curl -s --url "smtp://127.0.0.1:$port" --mail-from me@example.org \
  --mail-rcpt friend@example.org --upload-file "$message"
measure "vexilo SMTP control, STARTTLS" "$build/bench-tools/mail-send" "smtp://localhost:$tls_port" \
  "$tmp/Cube.exe" "$tmp/ca.pem"
measure "curl --ssl-reqd" curl -s --ssl-reqd --cacert "$tmp/ca.pem" --user bench:bench --url "smtp://localhost:$tls_port" \
  --mail-from me@example.org --mail-rcpt friend@example.org --upload-file "$message"
echo "attachment 5 MB; targets: within 1.0x of curl, memory under 15 MB (3x the attachment)"
