#!/usr/bin/env bash
# Load test of kavrin-serve on 127.0.0.1: 8 concurrent clients (load_client.py, keep-alive) send REQUESTS requests of a 200-point -t scan,
# the four models in turn, while another client sends garbage, requests cut off in the middle and bodies of 1 MiB
# and more. Reports latency p50/p99 and the server's memory before and after; fails on any error of the scan
# requests or when the server stops answering.
#
#   tests/serve/load.sh build/kavrin-serve [REQUESTS]      (default 20000; ctest runs a few hundred)
set -euo pipefail
serve=$1
requests=${2:-20000}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server_pid=""
abuse_pid=""
cleanup() {
  [ -n "$abuse_pid" ] && kill "$abuse_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$serve" --port 0 >"$work/out" 2>"$work/err" &
server_pid=$!
for _ in $(seq 100); do grep -q http "$work/out" 2>/dev/null && break; sleep 0.1; done
url=$(grep -o 'http://[^ ]*' "$work/out")
port=$(echo "$url" | sed 's#.*:\([0-9]*\)/$#\1#')
rss() { awk '/VmRSS/ {print $2}' "/proc/$server_pid/status"; }

connections=8

# warm up (the first requests set up the threads' memory), then the memory before
python3 - "$port" <<'EOF'
import json, sys, urllib.request
for m in ["km", "vr", "qvm", "regge"] * 25:
    body = json.dumps({"model": m, "channel": "pi+n", "scan": {"variable": "minus_t", "from": 0.05, "to": 2, "steps": 200,
                                                                  "W": 2.2, "Q2": 1.6}}).encode()
    urllib.request.urlopen(urllib.request.Request(f"http://127.0.0.1:{sys.argv[1]}/api/evaluate", data=body), timeout=30).read()
EOF
rss_before=$(rss)

# the hostile client, all through the run
python3 "$here/abuse.py" "$port" "$work/stop" >"$work/abuse" 2>&1 &
abuse_pid=$!

# the server's memory every half second through the run
( while kill -0 "$server_pid" 2>/dev/null && [ ! -e "$work/stop" ]; do rss >>"$work/rss"; sleep 0.5; done ) &
sampler_pid=$!
python3 "$here/load_client.py" "$port" "$requests" "$connections" >"$work/load" 2>"$work/load-errors" || true
touch "$work/stop"
abuse_status=0
wait "$abuse_pid" || abuse_status=$?
abuse_pid=""
wait "$sampler_pid" || true
rss_after=$(rss)

get() { awk -v k="$1" '$1 == k {print $2}' "$work/load"; }
echo "kavrin-serve load: $(get requests) requests of a 200-point scan, $connections concurrent clients, $(get seconds) s"
echo "latency p50 $(get p50_ms) ms, p99 $(get p99_ms) ms, max $(get max_ms) ms"
echo "errors $(get errors) ($(get rate) requests/s)"
samples=$(wc -l <"$work/rss")
echo "server RSS before ${rss_before} kB, after ${rss_after} kB; through the run (every 0.5 s): at a quarter" \
     "$(sed -n "$(( samples / 4 + 1 ))p" "$work/rss") kB, at half $(sed -n "$(( samples / 2 + 1 ))p" "$work/rss") kB," \
     "highest $(sort -n "$work/rss" | tail -1) kB"
cat "$work/abuse"
fail=0
[ "$(get errors)" = 0 ] || { echo "FAIL: errors under load"; cat "$work/load-errors"; fail=1; }
[ "$(get requests)" -ge "$requests" ] || { echo "FAIL: only $(get requests) of $requests requests answered"; fail=1; }
[ "$abuse_status" = 0 ] || { echo "FAIL: the server stopped answering beside the hostile client"; fail=1; }
kill -0 "$server_pid" || { echo "FAIL: the server is gone"; fail=1; }
exit $fail
