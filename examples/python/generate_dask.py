"""One large kavrin-gen run in slices on a Dask cluster: slice j is events j*N .. (j+1)*N - 1, the same events as
the single run, joined in order into one .npz file.

    PYTHONPATH=build/python python3 examples/python/generate_dask.py OUT.npz [--scheduler tcp://HOST:8786]
                                                                     [--slices K] [--events-per-slice N] [--check]

Without --scheduler a LocalCluster on this machine; with it the cluster's workers (each needs the kavrin module
on its PYTHONPATH, e.g. the same build on a shared file system). --check also generates the whole run here and
stops with status 1 unless the slices give the same events.
"""
import argparse
import sys

import numpy as np
from distributed import Client, LocalCluster

import kavrin

# the box of the docs example (docs/generator.md)
RUN = dict(beam_energy=10.6, beam_pol=0.85, q2=(1.5, 4.5), w=(2.0, 3.0), t=(0.0, 2.0), seed=1)
MODEL, CHANNEL = "km", "pi+n"
ARRAYS = ["index", "Q2", "xB", "W", "minus_t", "phi", "phi_e", "eps", "helicity", "weight", "p"]


def slice_of(first, events):
    """Events first .. first + events - 1 on one worker thread."""
    ev = kavrin.generate(MODEL, CHANNEL, events=events, first=first, threads=1, **RUN)
    return {k: ev[k] for k in ARRAYS + ["trials", "sum_weights", "sum_weights2"]}


def join(parts):
    out = {k: np.concatenate([p[k] for p in parts]) for k in ARRAYS}
    trials = sum(p["trials"] for p in parts)
    s1, s2 = sum(p["sum_weights"] for p in parts), sum(p["sum_weights2"] for p in parts)
    sigma = s1 / trials
    out["sigma_nb"] = sigma
    out["sigma_error_nb"] = np.sqrt(max(0.0, s2 / trials - sigma * sigma) / (trials - 1))
    out["trials"] = trials
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("out")
    ap.add_argument("--scheduler", help="address of a running Dask scheduler (default: a LocalCluster)")
    ap.add_argument("--slices", type=int, default=4)
    ap.add_argument("--events-per-slice", type=int, default=2000)
    ap.add_argument("--check", action="store_true")
    a = ap.parse_args()
    if a.scheduler:
        client = Client(a.scheduler)
    else:
        # threads in one process: generate releases the GIL, so the slices run side by side
        client = Client(LocalCluster(n_workers=2, threads_per_worker=1, processes=False, dashboard_address=None))
    with client:
        n = a.events_per_slice
        futures = [client.submit(slice_of, j * n, n, pure=False) for j in range(a.slices)]
        run = join(client.gather(futures))
    np.savez(a.out, **run)
    print(f"{len(run['index'])} events in {a.slices} slices, sigma = {run['sigma_nb']:.6g} +- "
          f"{run['sigma_error_nb']:.2g} nb -> {a.out}")
    if a.check:
        whole = slice_of(0, a.slices * n)
        same = all(np.array_equal(whole[k], run[k]) for k in ARRAYS)
        print("the slices give the single run's events" if same else "the slices differ from the single run")
        return 0 if same else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
