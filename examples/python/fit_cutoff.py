#!/usr/bin/python3
"""Fit one cut-off of a model to measured cross sections, and draw the data with the fitted curve.

The data: the unseparated cross section sigma_U = dsigma_T/dt + eps dsigma_L/dt of gamma* p -> pi0 p measured
by CLAS (96 points, Q^2 = 1.1-4.2 GeV^2), shipped in data/experiment/. The model: the Regge model of
kavrin-regge in pi0 p with the degenerate omega phase and its nucleon Born terms off; the parameter fitted:
the cut-off of the omega's electromagnetic form factor (omega_cutoff_mev). eps of each point follows from
the beam energy.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/fit_cutoff.py [OUTPUT.png]
"""
import math
import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from iminuit import Minuit  # noqa: E402

import kavrin  # noqa: E402

PROTON_MASS = 0.938272  # GeV
DATA = pathlib.Path(__file__).resolve().parents[2] / "data/experiment/clas-2014-pi0-structure-functions.dat"


def read_points(path):
    """The data-file format: '#' comments, one line of column names (a unit may follow in brackets), rows."""
    rows = [line.split() for line in path.read_text().splitlines() if line.strip() and not line.startswith("#")]
    names = [name.split("[")[0] for name in rows[0]]
    return {name: np.array([float(r[i]) for r in rows[1:]]) for i, name in enumerate(names)}


def epsilon(q2, xb, e_beam):
    """Virtual-photon polarization from the beam energy: nu = Q^2/(2 M x_B), y = nu/E, gamma^2 = Q^2/nu^2."""
    nu = q2 / (2.0 * PROTON_MASS * xb)
    y, g2 = nu / e_beam, q2 / nu**2
    return (1.0 - y - y * y * g2 / 4.0) / (1.0 - y + y * y / 2.0 + y * y * g2 / 4.0)


def main(out_png):
    d = read_points(DATA)
    q2, xb, t = d["Q2"], d["xB"], d["minus_t"]
    w = np.sqrt(PROTON_MASS**2 + q2 * (1.0 / xb - 1.0))
    eps = epsilon(q2, xb, d["E_beam"])
    sigma_u = d["dsigmaU_dt"]
    error = np.hypot(d["dsigmaU_dt_stat"], d["dsigmaU_dt_sys"])

    def model(cutoff_mev):
        m = kavrin.Model("regge", "pi0p", omega_phase="degenerate", omega_cutoff_mev=cutoff_mev,
                         born_terms=False, epsilon=0.5, unit="nanobarn")
        return m

    def sigma_u_of(cutoff_mev, w, q2, t, eps):
        x = model(cutoff_mev).evaluate(w, q2, minus_t=t)
        return x["dsigmaT_dt"] + eps * x["dsigmaL_dt"]  # each point at its own epsilon

    def chi2(omega_cutoff_mev):
        return float(np.sum(((sigma_u_of(omega_cutoff_mev, w, q2, t, eps) - sigma_u) / error) ** 2))

    fit = Minuit(chi2, omega_cutoff_mev=775.0)
    fit.errordef = Minuit.LEAST_SQUARES
    fit.limits["omega_cutoff_mev"] = (200.0, 5000.0)
    fit.migrad()
    fit.hesse()
    best, err = fit.values["omega_cutoff_mev"], fit.errors["omega_cutoff_mev"]
    ndf = len(sigma_u) - 1
    print(f"omega cut-off = {best:.1f} +- {err:.1f} MeV, chi2/ndf = {fit.fval:.1f}/{ndf} = {fit.fval / ndf:.2f}")

    # the (Q^2, x_B) bin with the most points, with the fitted curve at its mean kinematics
    keys = list(zip(np.round(q2, 1), np.round(xb, 2)))
    key = max(set(keys), key=keys.count)
    bin_ = np.array([k == key for k in keys])
    tt = np.linspace(t[bin_].min(), t[bin_].max(), 100)
    fig, ax = plt.subplots(figsize=(6, 4.5))
    ax.errorbar(t[bin_], sigma_u[bin_], yerr=error[bin_], fmt="o", label="CLAS 2014")
    ax.plot(tt, sigma_u_of(best, w[bin_].mean(), q2[bin_].mean(), tt, eps[bin_].mean()),
            label=f"Regge model, omega cut-off {best:.0f} MeV")
    ax.set_yscale("log")
    ax.set_xlabel(r"$-t$ (GeV$^2$)")
    ax.set_ylabel(r"$\sigma_U = d\sigma_T/dt + \epsilon\, d\sigma_L/dt$ (nb/GeV$^2$)")
    ax.set_title(rf"$\gamma^* p \to \pi^0 p$, $Q^2$ = {key[0]} GeV$^2$, $x_B$ = {key[1]}")
    ax.legend()
    fig.tight_layout()
    fig.savefig(out_png, dpi=120)
    print(f"figure: {out_png}")
    return best, err, fit.fval / ndf


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "fit_cutoff.png")
