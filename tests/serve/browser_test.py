#!/usr/bin/env python3
"""The kavrin-serve page in headless Chromium, used as a person uses it: choose models, reaction and a slider,
and the plotted values must be the API's; a shared link restores the same figure; a bad value shows a message;
a data set shows its points and the chi2 of /api/compare. Screenshots go to the artefact folder.

usage: browser_test.py KAVRIN_SERVE ARTEFACT_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("skipped: no Selenium (Debian: python3-selenium)")
    sys.exit(77)
if not (shutil.which("chromium") and shutil.which("chromedriver")):
    print("skipped: no Chromium or its driver (Debian: chromium chromium-driver)")
    sys.exit(77)

SERVE, ARTEFACTS = sys.argv[1], sys.argv[2]
os.makedirs(ARTEFACTS, exist_ok=True)
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def post(base, path, body):
    req = urllib.request.Request(base + path, data=json.dumps(body).encode(), method="POST",
                                 headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(req, timeout=60) as r:
        return json.loads(r.read())


def chart_data(driver):
    return driver.execute_script(
        "return Object.fromEntries(Object.entries(window.kavrin.charts).map(([k, c]) => [k, c.plot.data]));")


def settle(driver, before):
    """Waits until the page has redrawn since `before` redraws and has nothing more to ask."""
    WebDriverWait(driver, 30).until(lambda d: d.execute_script(
        "return window.kavrin.redraws > arguments[0] && !window.kavrin.busy;", before))
    return driver.execute_script("return window.kavrin.redraws;")


def redraws(driver):
    return driver.execute_script("return window.kavrin.redraws;")


def expected_curves(base, channel, models, W, Q2, eps=0.5, phi=90.0, variable="minus_t", lo=0, hi=2, steps=200):
    """The curves as the API gives them for the page's default scan, asked independently of the page."""
    scan = {"variable": variable, "from": lo, "to": hi, "steps": steps, "W": W, "Q2": Q2, "phi_deg": phi, "eps": eps}
    return post(base, "/api/evaluate", {"channel": channel, "models": models, "scan": scan})


def same_as_api(driver, api, what):
    data = chart_data(driver)
    names = [k for k in api[0] if k not in ("model", "channel", "unit", "options", "n", "W", "Q2", "xB", "minus_t",
                                             "theta_deg", "cos_theta", "eps", "phi_deg", "E_beam")]
    bad = []
    for name in names:
        plotted = data.get(name)
        if plotted is None or plotted[0] != api[0]["minus_t"]:
            bad.append(name + " (x)")
            continue
        for i, m in enumerate(api):
            if plotted[i + 1] != m[name]:
                bad.append(f"{name} of {m['model']}")
    check(not bad and len(names) == 13, f"{what}: the plotted values are the API's ({len(names)} observables)"
          + (f"; differ: {bad[:5]}" if bad else ""))


def main():
    server = subprocess.Popen([SERVE, "--port", "0"], stdout=subprocess.PIPE, text=True)
    profile = tempfile.mkdtemp(prefix="kavrin-chromium-")
    driver = None
    try:
        line = server.stdout.readline()
        base = line.strip().split(": ", 1)[1].rstrip("/")
        opts = webdriver.ChromeOptions()
        for a in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", f"--user-data-dir={profile}", "--window-size=1500,1400"):
            opts.add_argument(a)
        opts.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"), options=opts)
        driver.set_page_load_timeout(60)

        driver.get(base + "/")
        n = settle(driver, 0)
        same_as_api(driver, expected_curves(base, "pi+n", [{"model": "km", "options": {}}], 2.2, 1.6), "first view (KM, pi+ n)")
        driver.save_screenshot(os.path.join(ARTEFACTS, "1-first-view.png"))

        # a second model, VR with its own cut-off; then the reaction pi- p
        driver.find_element(By.ID, "add-model").click()
        n = settle(driver, n)
        Select(driver.find_element(By.ID, "model-1")).select_by_value("vr")
        n = settle(driver, n)
        box = driver.find_element(By.ID, "opt-1-pion_cutoff_gev")
        box.clear()
        box.send_keys("0.7")
        n = settle(driver, n)
        Select(driver.find_element(By.ID, "channel")).select_by_value("pi-p")
        n = settle(driver, n)
        # W up by ten slider steps from the keyboard
        slider = driver.find_element(By.ID, "W-range")
        slider.send_keys(*([Keys.ARROW_RIGHT] * 10))
        WebDriverWait(driver, 30).until(lambda d: d.execute_script(
            "return !window.kavrin.busy && window.kavrin.lastRequest.scan.W === window.kavrin.state.W;"))
        w = float(driver.find_element(By.ID, "W").get_attribute("value"))
        check(abs(w - 2.3) < 1e-9, f"the W slider moved W to 2.3 (W box shows {w})")
        models = [{"model": "km", "options": {}}, {"model": "vr", "options": {"pion_cutoff_gev": "0.7"}}]
        api = expected_curves(base, "pi-p", models, w, 1.6)
        same_as_api(driver, api, "KM and VR (cut-off 0.7 GeV), pi- p, W from the slider")
        caption = driver.find_element(By.ID, "caption").text
        check("kavrin 0.1" in caption and "π⁻" in caption and "pion_cutoff_gev=0.7" in caption,
              f"the figure shows version and settings: {caption!r}")
        driver.save_screenshot(os.path.join(ARTEFACTS, "2-two-models-slider.png"))
        distr = driver.execute_script("return Object.fromEntries(Object.entries(window.kavrin.charts).map("
                                      "([k, c]) => [k, c.plot.scales.y.distr]));")
        check(distr["dsigmaL_dt"] == 3 and distr["dsigmaLT_dt"] == 1 and distr["BSA"] == 1,
              f"log axes where the curves span decades, linear where they change sign: {distr}")
        # the CSV of the curves: a header of the settings, then the scan variable and every model's observables
        csv = driver.execute_script("return window.kavrin.csv();").splitlines()
        head = csv[2].split(",")
        rows = [[float(v) if v else None for v in line.split(",")] for line in csv[3:]]
        col = head.index("vr2:dsigmaL_dt")
        check(csv[0].startswith("# kavrin 0.1") and [r[0] for r in rows] == api[0]["minus_t"]
              and [r[col] for r in rows] == api[1]["dsigmaL_dt"], "the CSV holds the settings and the plotted numbers")

        # the link restores the same figure in a fresh page
        link = driver.current_url
        before = chart_data(driver)
        driver.get("about:blank")
        driver.get(link)
        settle(driver, 0)
        check(chart_data(driver) == before, "the shared link restores the same curves")
        check(Select(driver.find_element(By.ID, "channel")).first_selected_option.get_attribute("value") == "pi-p"
              and driver.find_element(By.ID, "opt-1-pion_cutoff_gev").get_attribute("value") == "0.7",
              "the shared link restores the controls")
        driver.save_screenshot(os.path.join(ARTEFACTS, "3-restored-link.png"))

        # a bad value: the message names the option, the curves stay
        box = driver.find_element(By.ID, "opt-0-pion_cutoff_gev")
        box.clear()
        box.send_keys("-1")
        msg = WebDriverWait(driver, 30).until(lambda d: d.find_element(By.ID, "message").is_displayed()
                                              and d.find_element(By.ID, "message"))
        check("pion_cutoff_gev" in msg.text, f"a bad value shows a message naming it: {msg.text!r}")
        check(chart_data(driver) == before, "the curves stay as they were after a bad value")
        driver.save_screenshot(os.path.join(ARTEFACTS, "4-bad-value.png"))
        box.clear()
        box.send_keys("0.68")
        WebDriverWait(driver, 30).until(lambda d: not d.find_element(By.ID, "message").is_displayed())

        # a data set at its own kinematics, with each model's chi2
        n = redraws(driver)
        Select(driver.find_element(By.ID, "data-set")).select_by_value("clas-2004-pip-bsa")
        settle(driver, n)
        WebDriverWait(driver, 30).until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#chi2 tr")) == 3)
        bsa = chart_data(driver)["ALU_sinphi"]
        measured = [v for v in bsa[3] if v is not None]
        check(measured == [0.042, 0.086, 0.066], f"the data set's ALU_sinphi points are drawn: {measured}")
        cmp = post(base, "/api/compare", {"data": "clas-2004-pip-bsa", "channel": "pi+n",
                                          "models": [{"model": "km", "options": {"pion_cutoff_gev": "0.68"}},
                                                     {"model": "vr", "options": {"pion_cutoff_gev": "0.7"}}]})
        cells = [r.find_elements(By.TAG_NAME, "td") for r in driver.find_elements(By.CSS_SELECTOR, "#chi2 tr")[1:]]
        shown = [c[1].text for c in cells]
        want = [f"{float(r['chi2']):.4g}" for r in cmp["results"]]
        check([float(s) for s in shown] == [float(s) for s in want], f"the page's chi2 {shown} are the API's {want}")
        driver.save_screenshot(os.path.join(ARTEFACTS, "5-data-set.png"))

        # the time from a slider step to the redrawn charts, reported (not asserted)
        driver.execute_script("window.kavrin.redrawMs.length = 0; window.kavrin.timing.length = 0;")
        slider = driver.find_element(By.ID, "Q2-range")
        for _ in range(8):
            n = redraws(driver)
            slider.send_keys(Keys.ARROW_RIGHT)
            n = settle(driver, n)
        times = driver.execute_script("return window.kavrin.redrawMs;")
        if times:
            times = sorted(times)
            print(f"redraw after a change (request, computation and drawing): median {times[len(times) // 2]:.0f} ms, "
                  f"max {times[-1]:.0f} ms over {len(times)} changes")
            parts = driver.execute_script("return window.kavrin.timing;")
            answer = sorted(p["answerMs"] for p in parts)
            drawing = sorted(p["drawMs"] for p in parts)
            print(f"  of which the API's answer: median {answer[len(answer) // 2]:.0f} ms, "
                  f"drawing 13 charts: median {drawing[len(drawing) // 2]:.0f} ms")
    finally:
        if driver:
            driver.quit()
        server.terminate()
        server.wait(timeout=30)
        shutil.rmtree(profile, ignore_errors=True)
    if failures:
        print(f"{len(failures)} failed", file=sys.stderr)
        sys.exit(1)


main()
