#!/usr/bin/env bash
# Sending a 5 MB attachment to a loopback SMTP server (aiosmtpd): our SMTP
# control beside curl sending the same composed message, median wall time
# and peak memory over runs, and our peak beside that of the same send with
# a 1 KB attachment; then the same over STARTTLS with a sign-in (a throwaway
# authority made here) beside curl --ssl-reqd.
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
mkdir -p "$tmp/inbox" "$tmp/tls-inbox" "$tmp/small"
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
head -c 1024 /dev/urandom > "$tmp/small/Cube.exe"

run() { # command...: prints wall ms and peak KB of one run
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$tmp/time" "$@" >/dev/null
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) $(cat "$tmp/time")"
  rm -f "$tmp"/inbox/*.eml "$tmp"/tls-inbox/*.eml
}
median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }

# label, server, CA file (or empty), then curl's arguments: runs alternate
# our 5 MB send, curl's, and our 1 KB send, so that the load of the machine
# falls on all three alike.
compare() {
  local label=$1 server=$2 cafile=$3; shift 3
  : > "$tmp/ours"; : > "$tmp/curl"; : > "$tmp/small-runs"
  for _ in $(seq "$runs"); do
    run "$build/bench-tools/mail-send" "$server" "$tmp/Cube.exe" ${cafile:+"$cafile"} >> "$tmp/ours"
    run curl -s "$@" --mail-from me@example.org --mail-rcpt friend@example.org \
      --upload-file "$tmp/message.eml" >> "$tmp/curl"
    run "$build/bench-tools/mail-send" "$server" "$tmp/small/Cube.exe" ${cafile:+"$cafile"} >> "$tmp/small-runs"
  done
  local ow om cw cm sw sm
  ow=$(cut -d' ' -f1 "$tmp/ours" | median); om=$(cut -d' ' -f2 "$tmp/ours" | median)
  cw=$(cut -d' ' -f1 "$tmp/curl" | median); cm=$(cut -d' ' -f2 "$tmp/curl" | median)
  sw=$(cut -d' ' -f1 "$tmp/small-runs" | median); sm=$(cut -d' ' -f2 "$tmp/small-runs" | median)
  echo "$label, medians of $runs alternating runs:"
  echo "  vexilo 5 MB: ${ow} ms, peak $((om / 1024)) MB; curl: ${cw} ms, peak $((cm / 1024)) MB;" \
    "wall time $(ratio "$ow" "$cw")x curl's (target at most 1.0x)"
  echo "  vexilo 1 KB: ${sw} ms, peak $((sm / 1024)) MB; 5 MB peak $(ratio "$om" "$sm")x the 1 KB peak (target at most 1.5x)"
}

# The message curl sends is the one our control sent first.
"$build/bench-tools/mail-send" "127.0.0.1:$port" "$tmp/Cube.exe"
cp "$(ls "$tmp"/inbox/*.eml | head -1)" "$tmp/message.eml"
rm -f "$tmp"/inbox/*.eml

compare "plain SMTP" "127.0.0.1:$port" "" --url "smtp://127.0.0.1:$port"
compare "STARTTLS with sign-in" "smtp://localhost:$tls_port" "$tmp/ca.pem" \
  --ssl-reqd --cacert "$tmp/ca.pem" --user bench:bench --url "smtp://localhost:$tls_port"
echo "attachment 5 MB (1 KB for the memory anchor); under the machine's load (load average $(cut -d' ' -f1-3 /proc/loadavg))"
