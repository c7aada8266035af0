"""Points per second of kavrin.Model.evaluate on 100,000 points, one thread and all threads, for each model.

    PYTHONPATH=build/python python3 bench/bench_python.py
"""
import os
import time

import numpy as np

import kavrin

MODELS = {
    "regge dipole pi+n": kavrin.Model("regge", "pi+n", form_factors="dipole", nucleon_cutoff_gev=1.55,
                                      pauli_terms=True, pion_cutoff_mev=775.0, a1_sign="positive", epsilon=0.5),
    "regge GPD pi+n": kavrin.Model("regge", "pi+n", form_factors="gpd", gpd_slope_per_gev2=1.105, pauli_terms=True,
                                   pion_cutoff_mev=775.0, a1_sign="positive", epsilon=0.5),
    "km pi+n": kavrin.Model("km", "pi+n", pion_cutoff_gev=0.68, epsilon=0.5),
    "vr pi-p": kavrin.Model("vr", "pi-p", pion_cutoff_gev=0.655, epsilon=0.5),
    "qvm pi0p": kavrin.Model("qvm", "pi0p", nucleon_cutoff_gev=1.55, epsilon=0.5),
}


def rate(model, threads, n=100_000):
    rng = np.random.default_rng(1)
    w, q2, t = rng.uniform(2.0, 3.0, n), rng.uniform(1.0, 3.0, n), rng.uniform(0.1, 1.0, n)
    best = float("inf")
    for _ in range(3):
        start = time.perf_counter()
        model.evaluate(w, q2, minus_t=t, threads=threads)
        best = min(best, time.perf_counter() - start)
    return n / best


if __name__ == "__main__":
    cores = os.cpu_count()
    print(f"{'model':20s} {'1 thread':>14s} {f'{cores} threads':>14s}   (points/s; us/point on one thread)")
    for name, model in MODELS.items():
        one, all_ = rate(model, 1), rate(model, cores)
        print(f"{name:20s} {one:14.0f} {all_:14.0f}   ({1e6 / one:.2f} us)")
