#!/usr/bin/python3
"""A -t scan of two models of gamma* p -> pi+ n at W = 2.22 GeV, Q^2 = 1.6 GeV^2, drawn with matplotlib.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/scan.py [OUTPUT.png]
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import kavrin  # noqa: E402

W, Q2 = 2.22, 1.6
MODELS = {
    "Regge (dipole form factors)": kavrin.Model("regge", "pi+n", form_factors="dipole", nucleon_cutoff_gev=1.55,
                                                pauli_terms=True, pion_cutoff_mev=775.0, a1_sign="positive",
                                                epsilon=0.5),
    "VR": kavrin.Model("vr", "pi+n", pion_cutoff_gev=0.655, epsilon=0.5),
}


def main(out_png):
    t = np.linspace(0.02, 2.0, 200)
    fig, axes = plt.subplots(1, 3, figsize=(13, 4))
    for label, model in MODELS.items():
        x = model.evaluate(W, Q2, minus_t=t)
        axes[0].plot(t, x["dsigmaT_dt"], label=label)
        axes[1].plot(t, x["dsigmaL_dt"], label=label)
        axes[2].plot(t, x["BSA"], label=label)
        print(f"{label}: dsigma_T/dt at -t = {t[14]:.2f} GeV^2 is {x['dsigmaT_dt'][14]:.4g} microbarn/GeV^2")
    for ax, name in zip(axes, [r"$d\sigma_T/dt$ ($\mu$b/GeV$^2$)", r"$d\sigma_L/dt$ ($\mu$b/GeV$^2$)",
                               r"beam-spin asymmetry"]):
        ax.set_xlabel(r"$-t$ (GeV$^2$)")
        ax.set_ylabel(name)
        if "sigma" in name:
            ax.set_yscale("log")
        ax.legend()
    fig.suptitle(rf"$\gamma^* p \to \pi^+ n$, W = {W} GeV, $Q^2$ = {Q2} GeV$^2$, $\epsilon$ = 0.5")
    fig.tight_layout()
    fig.savefig(out_png, dpi=110)
    print(f"figure: {out_png}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "scan.png")
