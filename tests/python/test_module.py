"""The Python module against the C++ API: the same numbers bit for bit, broadcasting, threads, pickling, errors."""
import math
import os
import pickle
import subprocess

import numpy as np
import pytest

import kavrin

KEYS = ["dsigmaT_dt", "dsigmaL_dt", "dsigmaTT_dt", "dsigmaLT_dt", "dsigmaLTp_dt", "dsigmaU_dt",
        "dsigmaT_domega", "dsigmaL_domega", "dsigmaTT_domega", "dsigmaLT_domega", "dsigmaLTp_domega",
        "dsigmaU_domega", "L_over_T", "BSA"]

REGGE_CHARGED = dict(form_factors="dipole", nucleon_cutoff_gev=1.55, pauli_terms=True, pion_cutoff_mev=775.0,
                     a1_sign="positive", epsilon=0.5)
REGGE_NEUTRAL = dict(omega_phase="non_degenerate", omega_cutoff_mev=775.0, born_terms=True, form_factors="gpd",
                     pauli_terms=True, epsilon=0.5)

# every model and channel
CASES = [("regge", "pi+n", REGGE_CHARGED),
         ("regge", "pi-p", dict(REGGE_CHARGED, form_factors="gpd", nucleon_cutoff_gev=None, gpd_slope_per_gev2=1.105)),
         ("regge", "pi0p", REGGE_NEUTRAL),
         ("regge", "pi0n", dict(REGGE_NEUTRAL, born_terms=False, form_factors=None, pauli_terms=None)),
         ("km", "pi+n", dict(pion_cutoff_gev=0.68, epsilon=0.5, beam_energy_gev=5.77)),
         ("vr", "pi-p", dict(pion_cutoff_gev=0.655, epsilon=0.5)),
         ("qvm", "pi0p", dict(nucleon_cutoff_gev=1.55, epsilon=0.6)),
         ("km", "pi0p", dict(epsilon=0.5))]


def model_of(name, channel, options):
    return kavrin.Model(name, channel, **{k: v for k, v in options.items() if v is not None})


def api_points(name, channel, options, points):
    """The C++ API's observables at the points (W, Q2, -t), the options completed with the defaults."""
    args = [os.environ["KAVRIN_API_POINTS"], name, channel] + [
        f"{k}={v!r}" if isinstance(v, float) else f"{k}={v}" for k, v in options.items() if v is not None]
    out = subprocess.run(args, input="\n".join(f"{w!r} {q!r} {t!r}" for w, q, t in points), text=True,
                         capture_output=True, check=True).stdout
    return np.array([[float(v) for v in line.split()] for line in out.splitlines()])


@pytest.mark.parametrize("name,channel,options", CASES)
def test_bit_for_bit_the_cpp_api(name, channel, options):
    w, q2, t = np.meshgrid([1.2, 2.22, 3.1], [0.0, 1.6, 4.0], [0.05, 0.3, 1.1, 25.0], indexing="ij")
    got = model_of(name, channel, options).evaluate(w, q2, minus_t=t, threads=3)
    want = api_points(name, channel, options, zip(w.ravel(), q2.ravel(), t.ravel()))
    for k, key in enumerate(KEYS):
        np.testing.assert_array_equal(got[key].ravel(), want[:, k], err_msg=key)  # NaN where C++ has NaN
    assert np.isnan(got["dsigmaT_dt"][..., 3]).all()  # -t outside the physical range


def test_arguments_broadcast_and_angles_of_every_kind():
    m = model_of(*CASES[5])
    x = m.evaluate(2.2, np.array([0.5, 1.0, 1.5]), minus_t=np.array([[0.1], [0.3]]))
    assert all(x[k].shape == (2, 3) and x[k].dtype == np.float64 for k in KEYS)
    assert m.evaluate(2.2, 1.0, theta=0.2)["dsigmaT_dt"].shape == ()
    # theta and cos(theta) of the same point agree
    a = m.evaluate(2.2, 1.0, theta=0.7)["dsigmaL_dt"]
    b = m.evaluate(2.2, 1.0, cos_theta=math.cos(0.7))["dsigmaL_dt"]
    assert a == pytest.approx(b, rel=1e-12)


def test_thread_count_changes_no_number():
    m = model_of(*CASES[1])
    t = np.linspace(0.0, 2.0, 5001)
    one, many = m.evaluate(2.5, 2.0, minus_t=t, threads=1), m.evaluate(2.5, 2.0, minus_t=t, threads=7)
    for key in KEYS:
        np.testing.assert_array_equal(one[key], many[key])


def test_pickle_round_trip_and_repr():
    m = kavrin.Model("regge", "pi+n", dds={"type": "jlab", "phi": 0.5}, **REGGE_CHARGED)
    r = pickle.loads(pickle.dumps(m))
    assert repr(r) == repr(m) and repr(m).startswith("kavrin.Model('regge', 'pi+n', dds=")
    x, y = m.evaluate(2.21, 1.6, minus_t=0.55), r.evaluate(2.21, 1.6, minus_t=0.55)
    assert x["dds_dt"] == y["dds_dt"] and math.isfinite(x["dds_dt"])


def test_errors_name_the_option():
    with pytest.raises(ValueError, match="epsilon"):
        kavrin.Model("vr", "pi-p", pion_cutoff_gev=0.655, epsilon=1.5)
    with pytest.raises(TypeError, match="pion_cutoff_gev"):
        kavrin.Model("vr", "pi-p", pion_cutoff_gev="large", epsilon=0.5)
    with pytest.raises(ValueError, match="a1_sign"):
        kavrin.Model("regge", "pi+n", **dict(REGGE_CHARGED, a1_sign="up"))
    with pytest.raises(TypeError, match="cutoff"):
        kavrin.Model("vr", "pi-p", cutoff=0.655, epsilon=0.5)
    with pytest.raises(ValueError, match="channel"):
        kavrin.Model("vr", "pi+p", pion_cutoff_gev=0.655, epsilon=0.5)
    m = model_of(*CASES[5])
    with pytest.raises(TypeError, match="exactly one"):
        m.evaluate(2.2, 1.0)
    with pytest.raises(TypeError, match="exactly one"):
        m.evaluate(2.2, 1.0, minus_t=0.3, theta=0.2)


def test_defaults_and_measured_observables():
    # every option defaulted: the regge model of the dialogue's suggestions
    m = kavrin.Model("regge", "pi+n")
    assert m.settings["nucleon_cutoff_gev"] == "1.55" and m.settings["a1_sign"] == "positive"
    x = m.evaluate(2.2, 1.5, minus_t=np.array([0.2, 0.4]), phi_deg=90.0, E_beam=5.77)
    eps = x["eps"]
    assert np.all((eps > 0) & (eps < 1))
    sigma0 = x["dsigmaT_dt"] + eps * x["dsigmaL_dt"]
    # A_LU at 90 degrees: sqrt(2 eps (1 - eps)) sigma_LT' / (sigma_0 - eps sigma_TT)
    np.testing.assert_allclose(x["ALU"], np.sqrt(2 * eps * (1 - eps)) * x["dsigmaLTp_dt"] /
                               (sigma0 - eps * x["dsigmaTT_dt"]), rtol=1e-13)
    np.testing.assert_allclose(x["ALU_sinphi"], np.sqrt(2 * eps * (1 - eps)) * x["sigmaLTp_over_sigma0"], rtol=1e-13)
    assert np.all(x["d4sigma"] > 0) and np.all(x["d2sigma_dt_dphi"] > 0)
    # the mean of d2sigma/dt dphi over phi is sigma_0/(2 pi)
    phi = (np.arange(360) + 0.5)
    y = m.evaluate(2.2, 1.5, minus_t=0.3, phi_deg=phi, E_beam=5.77)
    s0 = y["dsigmaT_dt"][0] + y["eps"][0] * y["dsigmaL_dt"][0]
    assert y["d2sigma_dt_dphi"].mean() == pytest.approx(s0 / (2 * math.pi), rel=1e-12)


def test_hostile_arguments_are_refused_by_name():
    m = kavrin.Model("km", "pi+n")
    # an object never initialised, and the bare pickle of one, are refused, not crashed on
    bare = kavrin.Model.__new__(kavrin.Model)
    with pytest.raises(TypeError, match="never initialised"):
        bare.evaluate(2.2, 1.0, minus_t=0.3)
    assert "never initialised" in repr(bare)
    with pytest.raises(TypeError):
        pickle.dumps(bare)
    with pytest.raises(TypeError):
        pickle.loads(b"\x80\x02ckavrin\nModel\n)\x81.").evaluate(2.2, 1.0, minus_t=0.3)
    # kinematics must be numbers
    for bad in ["2.2", b"2.2", None, np.array(["2.2"]), np.array([1], dtype="datetime64[D]"),
                np.ma.masked_array([2.2], mask=[True])]:
        with pytest.raises(TypeError, match="W"):
            m.evaluate(bad, 1.0, minus_t=0.3)
    # keyword values of the wrong type or range name themselves
    for threads, error in [(2**40, ValueError), (1.5, TypeError), ("4", TypeError), (0, ValueError)]:
        with pytest.raises(error, match="threads"):
            m.evaluate(2.2, 1.0, minus_t=0.3, threads=threads)
    with pytest.raises(ValueError, match="epsilon"):
        kavrin.Model("vr", "pi-p", epsilon=10**400)
    # every bad option at once
    with pytest.raises(ValueError) as e:
        kavrin.Model("regge", "pi+n", epsilon=2.0, pion_cutoff_mev=-1.0)
    assert "epsilon" in str(e.value) and "pion_cutoff_mev" in str(e.value)
    # a broadcast beyond the documented size is refused before any memory is taken
    with pytest.raises(ValueError, match="broadcast"):
        m.evaluate(np.ones((20000, 1)), 1.0, minus_t=np.ones((1, 10000)))


def test_ctrl_c_interrupts_a_long_evaluate_promptly():
    import signal
    import threading
    import time
    m = model_of(*CASES[5])
    t = np.linspace(0.1, 1.0, 3_000_000)  # several seconds on one thread
    timer = threading.Timer(0.3, lambda: signal.pthread_kill(threading.main_thread().ident, signal.SIGINT))
    start = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        m.evaluate(2.2, 1.0, minus_t=t, threads=1)
    timer.join()
    assert time.monotonic() - start < 2.0
