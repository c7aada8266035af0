#!/usr/bin/env python3
"""A hostile client of kavrin-serve for the load test: garbage, requests cut off in the middle, bodies of 1 MiB and
more, until STOP_FILE exists; after each round a good request must be answered with 200.

usage: abuse.py PORT STOP_FILE
"""
import json
import os
import socket
import sys
import time
import urllib.error
import urllib.request

PORT, STOP = int(sys.argv[1]), sys.argv[2]
GOOD = json.dumps({"model": "km", "channel": "pi+n", "points": {"W": 2.2, "Q2": 1.6, "minus_t": 0.3}}).encode()


def raw(data, read=True):
    with socket.create_connection(("127.0.0.1", PORT), timeout=30) as s:
        try:
            s.sendall(data)
            return s.recv(64) if read else b""
        except (BrokenPipeError, ConnectionResetError):
            return b"reset"


def status(body):
    req = urllib.request.Request(f"http://127.0.0.1:{PORT}/api/evaluate", data=body,
                                 headers={"Content-Type": "application/json"})
    try:
        with urllib.request.urlopen(req, timeout=30) as r:
            return r.status
    except urllib.error.HTTPError as e:
        return e.code
    except (ConnectionResetError, BrokenPipeError):
        return "reset"


rounds, unexpected = 0, []
while not os.path.exists(STOP) or rounds == 0:
    rounds += 1
    raw(os.urandom(2048))                                                          # garbage
    raw(b"POST /api/evaluate HTTP/1.1\r\nHost: x\r\nContent-Length: 9000\r\n\r\n{\"mod", read=False)  # cut off
    raw(b"GET /api/mod", read=False)                                               # cut off in the header
    big = status(b" " * (1 << 20) + b"{")                                          # over 1 MiB
    full = status(b"[" + b"1," * ((1 << 20) // 2 - 2) + b"1]")                     # 1 MiB of JSON, not an object
    deep = status(b"[" * 100000 + b"]" * 100000)                                   # deep nesting
    good = status(GOOD)
    for what, got, want in (("body over 1 MiB", big, (413, "reset")), ("1 MiB of JSON", full, (400,)),
                            ("deep nesting", deep, (400, 413)), ("good request", good, (200,))):
        if got not in want:
            unexpected.append(f"round {rounds}: {what} -> {got}")
    time.sleep(0.2)
print(f"hostile client: {rounds} rounds of garbage, cut-off requests and 1 MiB bodies; "
      f"{len(unexpected)} unexpected answers {unexpected[:5]}")
sys.exit(1 if any("good request" in u for u in unexpected) else 0)
