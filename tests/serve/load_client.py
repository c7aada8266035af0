#!/usr/bin/env python3
"""The scan clients of the load test: CLIENTS connections, each on its own thread with keep-alive, send REQUESTS
requests of a 200-point -t scan in all (the four models in turn). Prints the count, errors and latency
percentiles (wall time of each request, from sending to the last byte of the answer).

usage: load_client.py PORT REQUESTS [CLIENTS]
"""
import http.client
import json
import sys
import threading
import time

PORT, REQUESTS = int(sys.argv[1]), int(sys.argv[2])
CLIENTS = int(sys.argv[3]) if len(sys.argv) > 3 else 8
BODIES = [json.dumps({"model": m, "channel": "pi+n",
                      "scan": {"variable": "minus_t", "from": 0.05, "to": 2.0, "steps": 200, "W": 2.2, "Q2": 1.6,
                               "eps": 0.5, "phi_deg": 90, "E_beam": 5.77}}).encode() for m in ("km", "vr", "qvm", "regge")]
latencies, errors = [], []
lock = threading.Lock()
counter = iter(range(REQUESTS))


def client():
    conn = http.client.HTTPConnection("127.0.0.1", PORT, timeout=60)
    mine, bad = [], []
    while True:
        with lock:
            i = next(counter, None)
        if i is None:
            break
        t0 = time.perf_counter()
        try:
            conn.request("POST", "/api/evaluate", body=BODIES[i % 4], headers={"Content-Type": "application/json"})
            r = conn.getresponse()
            body = r.read()
            if r.status != 200 or not body.startswith(b'{"model"'):
                bad.append(f"request {i}: HTTP {r.status} {body[:80]!r}")
        except (OSError, http.client.HTTPException) as e:
            bad.append(f"request {i}: {e!r}")
            conn.close()
            conn = http.client.HTTPConnection("127.0.0.1", PORT, timeout=60)
        mine.append(time.perf_counter() - t0)
    conn.close()
    with lock:
        latencies.extend(mine)
        errors.extend(bad)


start = time.perf_counter()
threads = [threading.Thread(target=client) for _ in range(CLIENTS)]
for t in threads:
    t.start()
for t in threads:
    t.join()
seconds = time.perf_counter() - start
latencies.sort()


def pct(p):
    return 1000 * latencies[min(len(latencies) - 1, int(p / 100 * len(latencies)))]


print(f"requests {len(latencies)}\nerrors {len(errors)}\np50_ms {pct(50):.2f}\np99_ms {pct(99):.2f}\n"
      f"max_ms {1000 * latencies[-1]:.2f}\nseconds {seconds:.2f}\nrate {len(latencies) / seconds:.0f}")
for e in errors[:5]:
    print("error:", e, file=sys.stderr)
