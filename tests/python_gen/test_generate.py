"""kavrin.generate against kavrin-gen: the same events, slices that join to the whole run, refusals."""
import os
import subprocess

import numpy as np
import pytest

import kavrin

BOX = dict(beam_energy=10.6, beam_pol=0.85, q2=(1.5, 4.5), w=(2.0, 3.0), t=(0.0, 2.0), seed=3)


def test_events_are_those_of_the_program(tmp_path):
    ev = kavrin.generate("km", "pi+n", events=40, first=7, threads=2, **BOX)
    out = tmp_path / "e.lund"
    subprocess.run([os.environ["KAVRIN_GEN_BINARY"], "--model", "km", "--channel", "pi+n", "--beam-energy", "10.6",
                    "--beam-pol", "0.85", "--q2", "1.5:4.5", "--w", "2.0:3.0", "--t", "0:2", "--seed", "3",
                    "--first", "7", "--events", "40", "--threads", "1", "--format", "lund", "--out", str(out)],
                   check=True, capture_output=True)
    lines = out.read_text().splitlines()
    assert len(lines) == 4 * 40
    headers = np.array([line.split() for line in lines[0::4]], dtype=float)
    np.testing.assert_array_equal(headers[:, 4], ev["helicity"])
    for k in range(3):  # e', pi, N': px py pz E to the file's ten digits
        rows = np.array([line.split()[6:10] for line in lines[1 + k::4]], dtype=float)
        np.testing.assert_allclose(rows, ev["p"][:, 2 + k], rtol=1e-9, atol=1e-12)
    np.testing.assert_array_equal(ev["index"], np.arange(7, 47))


def test_slices_join_to_the_whole_run_on_any_threads():
    whole = kavrin.generate("vr", "pi-p", events=300, threads=1, **BOX)
    parts = [kavrin.generate("vr", "pi-p", events=n, first=f, threads=2, **BOX) for f, n in [(0, 120), (120, 180)]]
    for key in ["Q2", "xB", "minus_t", "phi", "phi_e", "helicity", "p", "index"]:
        np.testing.assert_array_equal(whole[key], np.concatenate([p[key] for p in parts]), err_msg=key)
    assert whole["trials"] == sum(p["trials"] for p in parts)
    # the weights of a weighted run average to the cross section of the unweighted one
    w = kavrin.generate("vr", "pi-p", events=20000, weighted=True, **BOX)
    sigma_w = w["sum_weights"] / w["trials"]
    err = np.hypot(w["sigma_error_nb"], whole["sigma_error_nb"])
    assert abs(sigma_w - whole["sigma_nb"]) < 3 * err


@pytest.mark.parametrize("bad", [dict(q2=(2.0, 1.0)), dict(w=None), dict(xb=(0.2, 0.3)), dict(w=(0.5, 1.0)),
                                 dict(settings={"pion_cutoff_gev": -1.0}), dict(events=0)])
def test_bad_arguments_raise_value_error(bad):
    args = dict(BOX, events=10)
    args.update(bad)
    with pytest.raises(ValueError):
        kavrin.generate("km", "pi+n", **args)
