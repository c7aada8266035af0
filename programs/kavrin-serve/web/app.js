// The kavrin page: the settings live in `state` and in the URL hash; every change asks /api/evaluate for the
// curves of all models at once and redraws the charts in place (uPlot), the data set's points and chi2 beside them.
"use strict";

const COLOURS = ["#1f5fbf", "#d9480f", "#2b8a3e", "#862e9c"];
const MODEL_LABEL = { regge: "Regge", km: "KM", vr: "VR", qvm: "QVM" };
const MAX_MODELS = 4;
const HIDDEN_OPTIONS = /^(epsilon|dds\..*)$/;  // ε comes from the page's slider; the DDS is not drawn here
const VAR_LABEL = { minus_t: "−t (GeV²)", theta_deg: "θ (deg)", cos_theta: "cos θ", W: "W (GeV)", Q2: "Q² (GeV²)",
                    phi_deg: "φ (deg)" };
const VAR_RANGE = { minus_t: [0, 2], theta_deg: [0, 180], cos_theta: [-1, 1], W: [1.5, 3.5], Q2: [0.2, 4],
                    phi_deg: [0, 360] };
const ANGLES = ["minus_t", "theta_deg", "cos_theta"];
const QUANTITY_LABEL = {
  dsigmaT_dt: "dσ_T/dt", dsigmaL_dt: "dσ_L/dt", dsigmaTT_dt: "dσ_TT/dt", dsigmaLT_dt: "dσ_LT/dt",
  dsigmaLTp_dt: "dσ_LT′/dt", dsigmaU_dt: "dσ_U/dt = dσ_T/dt + ε dσ_L/dt", L_over_T: "σ_L/σ_T",
  BSA: "BSA (each model's own rule)", ALU_sinphi: "A_LU sin φ moment", sigmaLTp_over_sigma0: "σ_LT′/σ_0",
  ALU: "A_LU(φ)", d2sigma_dt_dphi: "d²σ/dt dφ", d4sigma: "d⁴σ/dQ² dx_B dt dφ" };
const CHANNEL_LABEL = { "pi+n": "γ* p → π⁺ n", "pi-p": "γ* n → π⁻ p", "pi0p": "γ* p → π⁰ p", "pi0n": "γ* n → π⁰ n" };

const $ = (id) => document.getElementById(id);
let catalog = null, dataSets = [];
let state = null;
let lastResponse = null, lastRequest = null;
const charts = {};          // quantity name -> {plot, key, box}
let inFlight = false, pending = false, changeStarted = null;
let compareKey = "";

// the page's own record for the browser test and for anyone curious in the console
window.kavrin = { charts, redraws: 0, redrawMs: [], timing: [], get busy() { return inFlight || pending; },
                  get lastRequest() { return lastRequest; },
                  get lastResponse() { return lastResponse; }, get state() { return state; },
                  csv: () => csvText() };

function defaultState() {
  return { channel: "pi+n", models: [{ name: "km", options: {} }], variable: "minus_t", from: 0, to: 2, steps: 200,
           W: 2.2, Q2: 1.6, minus_t: 0.3, eps: 0.5, phi_deg: 90, E_beam: "", epsFromBeam: false, unit: "ub",
           data: "", setting: 0 };
}

// ---- the URL hash: every setting, so that a link reproduces the figure ----
function toHash(s) {
  const p = new URLSearchParams();
  p.set("ch", s.channel);
  p.set("m", s.models.map((m) => m.name).join(","));
  s.models.forEach((m, i) => {
    const o = Object.entries(m.options).map(([k, v]) => `${k}=${v}`).join(";");
    if (o) p.set(`o${i}`, o);
  });
  p.set("var", s.variable); p.set("from", s.from); p.set("to", s.to); p.set("n", s.steps);
  for (const k of ["W", "Q2", "minus_t", "eps", "phi_deg"]) p.set(k, s[k]);
  if (s.E_beam !== "") p.set("E", s.E_beam);
  if (s.epsFromBeam) p.set("epsbeam", "1");
  p.set("u", s.unit);
  if (s.data) { p.set("data", s.data); p.set("set", s.setting); }
  return "#" + p.toString();
}

function fromHash(hash) {
  const s = defaultState();
  if (!hash || hash.length < 2) return s;
  const p = new URLSearchParams(hash.slice(1));
  const num = (k, d) => (p.has(k) && p.get(k) !== "" && isFinite(Number(p.get(k))) ? Number(p.get(k)) : d);
  if (p.has("ch")) s.channel = p.get("ch");
  if (p.has("m")) {
    s.models = p.get("m").split(",").filter((n) => n).slice(0, MAX_MODELS).map((name, i) => {
      const options = {};
      for (const kv of (p.get(`o${i}`) || "").split(";")) {
        const eq = kv.indexOf("=");
        if (eq > 0) options[kv.slice(0, eq)] = kv.slice(eq + 1);
      }
      return { name, options };
    });
    if (!s.models.length) s.models = defaultState().models;
  }
  if (p.has("var") && VAR_LABEL[p.get("var")]) s.variable = p.get("var");
  s.from = num("from", s.from); s.to = num("to", s.to); s.steps = num("n", s.steps);
  for (const k of ["W", "Q2", "minus_t", "eps", "phi_deg"]) s[k] = num(k, s[k]);
  s.E_beam = p.has("E") ? p.get("E") : "";
  s.epsFromBeam = p.get("epsbeam") === "1";
  if (p.get("u") === "nb") s.unit = "nb";
  s.data = p.get("data") || "";
  s.setting = num("set", 0);
  return s;
}

// ---- the controls ----
function modelInfo(name) { return catalog.models.find((m) => m.name === name); }

function shownOptions(model, index) {
  const info = modelInfo(model.name);
  if (!info) return [];
  const defaults = info.defaults[state.channel] || {};
  const used = lastResponse && lastResponse[index] && lastResponse[index].model === model.name
    ? lastResponse[index].options.map((o) => o.name) : [];
  return info.options.filter((o) => !HIDDEN_OPTIONS.test(o.name) &&
    (o.name in defaults || used.includes(o.name) || o.name in model.options));
}

function renderModels() {
  const box = $("models");
  box.textContent = "";
  state.models.forEach((m, i) => {
    const info = modelInfo(m.name);
    const div = document.createElement("div");
    div.className = "model";
    div.style.setProperty("--colour", COLOURS[i]);
    const head = document.createElement("div");
    head.className = "head";
    const sel = document.createElement("select");
    sel.id = `model-${i}`;
    sel.setAttribute("aria-label", `model ${i + 1}`);
    for (const mi of catalog.models) {
      const o = new Option(MODEL_LABEL[mi.name] || mi.name, mi.name);
      o.disabled = !mi.channels.includes(state.channel);
      sel.add(o);
    }
    sel.value = m.name;
    sel.addEventListener("change", () => { state.models[i] = { name: sel.value, options: {} }; renderModels(); changed(); });
    head.append(sel);
    if (state.models.length > 1) {
      const rm = document.createElement("button");
      rm.type = "button"; rm.textContent = "remove"; rm.id = `remove-${i}`;
      rm.addEventListener("click", () => { state.models.splice(i, 1); renderModels(); changed(); });
      head.append(rm);
    }
    div.append(head);
    const defaults = info ? info.defaults[state.channel] || {} : {};
    for (const o of shownOptions(m, i)) {
      const row = document.createElement("div");
      row.className = "opt";
      const label = document.createElement("label");
      label.textContent = o.name + (o.unit ? ` (${o.unit})` : "");
      label.title = o.description + (o.range ? `; ${o.range}` : "");
      let input;
      if (o.type === "real") {
        input = document.createElement("input");
        input.type = "text";
        input.inputMode = "decimal";
      } else {
        input = document.createElement("select");
        for (const c of o.type === "flag" ? ["true", "false"] : o.choices) input.add(new Option(c, c));
      }
      input.id = `opt-${i}-${o.name}`;
      input.dataset.option = o.name;
      input.value = o.name in m.options ? m.options[o.name] : (defaults[o.name] ?? "");
      input.classList.toggle("changed", o.name in m.options);
      label.htmlFor = input.id;
      const update = () => {
        const v = input.value.trim();
        if (v === "" || v === defaults[o.name]) delete m.options[o.name]; else m.options[o.name] = v;
        input.classList.toggle("changed", o.name in m.options);
        changed();
      };
      input.addEventListener(o.type === "real" ? "input" : "change", update);
      row.append(label, input);
      div.append(row);
    }
    box.append(div);
  });
  $("add-model").disabled = state.models.length >= MAX_MODELS;
}

function renderFixed() {
  for (const row of document.querySelectorAll("#fixed .slider")) {
    const v = row.dataset.var;
    const off = v === state.variable || (v === "minus_t" && ANGLES.includes(state.variable)) ||
                (v === "eps" && state.epsFromBeam);
    row.classList.toggle("disabled", off);
    for (const input of row.querySelectorAll("input")) { input.disabled = off; input.value = state[v]; }
  }
  $("E_beam").value = state.E_beam;
  $("eps-from-beam").checked = state.epsFromBeam;
  $("unit").value = state.unit;
}

function renderAll() {
  $("channel").value = state.channel;
  $("scan-var").value = state.variable;
  $("scan-from").value = state.from; $("scan-to").value = state.to; $("scan-steps").value = state.steps;
  $("data-set").value = state.data;
  renderSettings();
  renderModels();
  renderFixed();
}

function renderSettings() {
  const sel = $("data-setting");
  sel.textContent = "";
  const set = dataSets.find((d) => d.name === state.data);
  sel.hidden = !set;
  if (!set) return;
  set.settings.forEach((st, i) => {
    const beam = st.E_beam ? `, E = ${st.E_beam} GeV` : "";
    sel.add(new Option(`Q² = ${st.Q2.toFixed(2)}, W = ${st.W.toFixed(2)}${beam} (${st.rows.length} points)`, i));
  });
  sel.value = Math.min(state.setting, set.settings.length - 1);
}

// a data set's setting puts the figure at its kinematics: its reaction, W, Q², beam or ε, along −t
function applySetting() {
  const set = dataSets.find((d) => d.name === state.data);
  if (!set) return;
  const st = set.settings[Math.min(state.setting, set.settings.length - 1)];
  if (set.channel) state.channel = set.channel;
  state.W = round(st.W, 4); state.Q2 = round(st.Q2, 4);
  if (st.E_beam) { state.E_beam = String(st.E_beam); state.epsFromBeam = true; }
  else if ("eps" in st) { state.eps = round(st.eps, 4); state.epsFromBeam = false; }
  const ts = st.rows.map((r) => set.kinematics.minus_t ? set.kinematics.minus_t[r] : NaN).filter(isFinite);
  state.variable = "minus_t";
  state.from = 0;
  state.to = ts.length ? round(Math.max(...ts) * 1.25 + 0.05, 2) : 2;
}

function round(x, digits) { const f = 10 ** digits; return Math.round(x * f) / f; }

// ---- the request and the charts ----
function buildRequest() {
  const scan = { variable: state.variable, from: state.from, to: state.to, steps: state.steps };
  if (state.variable !== "W") scan.W = state.W;
  if (state.variable !== "Q2") scan.Q2 = state.Q2;
  if (!ANGLES.includes(state.variable)) scan.minus_t = state.minus_t;
  if (state.variable !== "phi_deg") scan.phi_deg = state.phi_deg;
  if (state.E_beam !== "") scan.E_beam = Number(state.E_beam);
  if (!(state.epsFromBeam && state.E_beam !== "")) scan.eps = state.eps;
  return { channel: state.channel, models: state.models.map((m) => ({ model: m.name, options: { ...m.options } })), scan };
}

function showMessage(text) {
  const m = $("message");
  m.textContent = text || "";
  m.hidden = !text;
}

function changed() {
  history.replaceState(null, "", toHash(state));
  if (changeStarted === null) changeStarted = performance.now();
  if (inFlight) { pending = true; return; }
  refresh();
}

async function refresh() {
  inFlight = true;
  pending = false;
  const request = buildRequest();
  try {
    if (state.E_beam !== "" && !isFinite(Number(state.E_beam))) throw new Error(`E beam = ${state.E_beam}: expected a number in GeV`);
    const t0 = performance.now();
    const res = await fetch("api/evaluate", { method: "POST", body: JSON.stringify(request),
                                              headers: { "Content-Type": "application/json" } });
    const body = await res.json();
    const t1 = performance.now();
    if (!res.ok) throw new Error(body.error || `HTTP ${res.status}`);
    const optionSets = (r) => (r || []).map((x) => x.model + x.options.map((o) => o.name).join()).join("|");
    const rerender = optionSets(body) !== optionSets(lastResponse);
    lastRequest = request;
    lastResponse = body;
    showMessage("");
    if (rerender) renderModels();
    draw();
    window.kavrin.timing.push({ answerMs: t1 - t0, drawMs: performance.now() - t1 });
    compareData();
  } catch (e) {
    showMessage(String(e.message || e));
    changeStarted = null;
  } finally {
    inFlight = false;
    if (pending) refresh();
  }
}

function factorOf(quantity, unit) {
  const q = catalog.quantities.find((x) => x.name === quantity);
  if (!q.unit) return 1;
  if (unit.startsWith("nb") && state.unit === "ub") return 0.001;
  if (unit.startsWith("ub") && state.unit === "nb") return 1000;
  return 1;
}

function unitLabel(q) {
  if (!q.unit) return "";
  return `${state.unit === "ub" ? "µb" : "nb"}${q.unit.replace("GeV2", "GeV²").replace("GeV4", "GeV⁴")}`;
}

// the measured points of the shown setting, in the display unit, for one quantity
function measuredPoints(quantity) {
  const set = dataSets.find((d) => d.name === state.data);
  if (!set || state.variable !== "minus_t" || !set.kinematics.minus_t) return null;
  const m = set.measured.find((x) => x.name === quantity);
  if (!m) return null;
  const st = set.settings[Math.min(state.setting, set.settings.length - 1)];
  const f = factorOf(quantity, m.unit);
  return st.rows.map((r) => ({ x: set.kinematics.minus_t[r], y: m.value[r] * f, e: m.error[r] * f }));
}

function draw() {
  const r = lastResponse;
  const x = r[0][state.variable];
  for (const q of catalog.quantities) {
    const ys = r.map((m) => m[q.name].map((v) => (v === null ? null : v * factorOf(q.name, m.unit))));
    const points = measuredPoints(q.name);
    let xs = x, series = ys, errs = null;
    if (points) {
      xs = [...new Set([...x, ...points.map((p) => p.x)])].sort((a, b) => a - b);
      const at = (px, py) => { const mp = new Map(px.map((v, i) => [v, py[i]])); return xs.map((v) => (mp.has(v) ? mp.get(v) : null)); };
      series = ys.map((y) => at(x, y));
      series.push(at(points.map((p) => p.x), points.map((p) => p.y)));
      errs = at(points.map((p) => p.x), points.map((p) => p.e));
    }
    const finite = series.flat().filter((v) => v !== null && isFinite(v));
    const positive = finite.length > 0 && finite.every((v) => v > 0);
    const log = positive && Math.max(...finite) / Math.min(...finite) > 30;
    const key = [state.models.map((m, i) => shortLabelOf(i)).join(), !!points, log, state.variable, state.unit,
                 state.channel, state.data].join("/");
    let c = charts[q.name];
    if (!c || c.key !== key) {
      if (c) c.plot.destroy(); else c = charts[q.name] = makeBox(q);
      c.key = key;
      c.plot = makePlot(q, c, r, !!points, log);
    }
    // along phi the phi-dependent observables come first
    c.box.style.order = state.variable === "phi_deg" && q.needs_phi ? -1 : 0;
    c.errs = errs;
    c.plot.setData([xs, ...series]);
    c.note.textContent = finite.length ? "" : noteOf(q);
  }
  $("caption").textContent = captionText();
  window.kavrin.redraws++;
  if (changeStarted !== null) {
    window.kavrin.redrawMs.push(performance.now() - changeStarted);
    changeStarted = null;
  }
}

function noteOf(q) {
  if (q.needs_beam && state.E_beam === "") return "needs the beam energy (E beam)";
  if (q.needs_phi && state.variable !== "phi_deg" && !isFinite(state.phi_deg)) return "needs φ";
  return "no physical point in this scan";
}

function makeBox(q) {
  const box = document.createElement("div");
  box.className = "chart";
  box.id = `chart-${q.name}`;
  const note = document.createElement("div");
  note.className = "note";
  box.append(note);
  $("charts").append(box);
  return { box, note };
}

function makePlot(q, c, r, withData, log) {
  const unit = unitLabel(q);
  const series = [{ label: VAR_LABEL[state.variable] }];
  r.forEach((m, i) => series.push({ label: shortLabelOf(i), stroke: COLOURS[i], width: 2, spanGaps: true, points: { show: false } }));
  if (withData) series.push({ label: "measured", stroke: "#000", fill: "#000", paths: () => null,
                              points: { show: true, size: 6, stroke: "#000", fill: "#000" } });
  const errorBars = (u) => {
    if (!c.errs) return;
    const si = u.series.length - 1, ctx = u.ctx;
    ctx.save();
    ctx.strokeStyle = "#000";
    ctx.lineWidth = 1;
    ctx.beginPath();
    for (let i = 0; i < u.data[0].length; i++) {
      const y = u.data[si][i], e = c.errs[i];
      if (y === null || e === null) continue;
      const px = u.valToPos(u.data[0][i], "x", true);
      const lo = log ? Math.max(y - e, y * 1e-3) : y - e;
      ctx.moveTo(px, u.valToPos(lo, "y", true));
      ctx.lineTo(px, u.valToPos(y + e, "y", true));
    }
    ctx.stroke();
    ctx.restore();
  };
  const opts = {
    title: QUANTITY_LABEL[q.name] + (unit ? ` (${unit})` : ""),
    width: Math.max(340, c.box.clientWidth - 6 || 370), height: 240,
    scales: { x: { time: false }, y: log ? { distr: 3 } : {} },
    axes: [{ label: VAR_LABEL[state.variable] }, { label: unit, size: 64, values: (u, splits) => splits.map(tick) }],
    series, legend: { show: true, live: false },
    hooks: { draw: [errorBars] },
  };
  return new uPlot(opts, [[]], c.box);
}

// the legend's name of a model: its name, numbered when the figure has it more than once (the options are in the
// caption)
function shortLabelOf(i) {
  const name = state.models[i].name;
  const same = state.models.filter((m) => m.name === name).length;
  const nth = state.models.slice(0, i + 1).filter((m) => m.name === name).length;
  return `${MODEL_LABEL[name] || name}${same > 1 ? ` #${nth}` : ""}`;
}

// a tick of the value axis: small and large numbers with an exponent
function tick(v) {
  if (v === null || v === 0) return v === 0 ? "0" : "";
  const a = Math.abs(v);
  return a < 0.01 || a >= 1e5 ? v.toExponential(1) : String(Number(v.toPrecision(6)));
}

function labelOf(i) {
  const m = state.models[i];
  const o = Object.entries(m.options).map(([k, v]) => `${k}=${v}`).join(", ");
  return `${MODEL_LABEL[m.name] || m.name}${o ? ` (${o})` : ""}`;
}

function captionText() {
  const parts = [`kavrin ${catalog.version}`, CHANNEL_LABEL[state.channel],
    `along ${VAR_LABEL[state.variable]} ${state.from} to ${state.to}, ${state.steps} points`];
  const fixed = [];
  if (state.variable !== "W") fixed.push(`W = ${state.W} GeV`);
  if (state.variable !== "Q2") fixed.push(`Q² = ${state.Q2} GeV²`);
  if (!ANGLES.includes(state.variable)) fixed.push(`−t = ${state.minus_t} GeV²`);
  fixed.push(state.epsFromBeam && state.E_beam !== "" ? "ε from the beam" : `ε = ${state.eps}`);
  if (state.variable !== "phi_deg") fixed.push(`φ = ${state.phi_deg}°`);
  if (state.E_beam !== "") fixed.push(`E beam = ${state.E_beam} GeV`);
  parts.push(fixed.join(", "));
  parts.push(state.models.map((m, i) => labelOf(i) + (Object.keys(m.options).length ? "" : " (defaults)")).join("; "));
  if (state.data) parts.push(`data: ${state.data}, setting ${Number(state.setting) + 1}`);
  return parts.join(" · ");
}

// chi2 of every model against the whole data set, at the rows' own kinematics
async function compareData() {
  const table = $("chi2");
  if (!state.data) { table.textContent = ""; compareKey = ""; return; }
  const request = { data: state.data, channel: state.channel,
                    models: state.models.map((m) => ({ model: m.name, options: { ...m.options } })) };
  const key = JSON.stringify(request);
  if (key === compareKey) return;
  compareKey = key;
  try {
    const res = await fetch("api/compare", { method: "POST", body: key, headers: { "Content-Type": "application/json" } });
    const body = await res.json();
    if (!res.ok) throw new Error(body.error || `HTTP ${res.status}`);
    if (key !== compareKey) return;
    table.innerHTML = "<tr><th>model</th><th>χ²</th><th>N</th><th>χ²/N</th></tr>";
    body.results.forEach((r, i) => {
      const row = table.insertRow();
      row.insertCell().textContent = labelOf(i);
      row.cells[0].style.color = COLOURS[i];
      row.insertCell().textContent = r.chi2.toPrecision(4);
      row.insertCell().textContent = r.points;
      row.insertCell().textContent = r.chi2_per_point === null ? "–" : r.chi2_per_point.toPrecision(4);
    });
  } catch (e) {
    table.textContent = "";
    showMessage(`comparison with ${state.data}: ${e.message || e}`);
  }
}

function csvText() {
  const r = lastResponse;
  const names = catalog.quantities.map((q) => q.name);
  const lines = [`# ${captionText()}`, `# cross sections in ${state.unit}/GeV2 (per radian for d2sigma, per GeV4 per radian for d4sigma); empty: no physical value`];
  const head = [state.variable];
  r.forEach((m, i) => names.forEach((n) => head.push(`${m.model}${i + 1}:${n}`)));
  lines.push(head.join(","));
  const x = r[0][state.variable];
  for (let j = 0; j < x.length; j++) {
    const row = [x[j]];
    r.forEach((m) => names.forEach((n) => { const v = m[n][j]; row.push(v === null ? "" : v * factorOf(n, m.unit)); }));
    lines.push(row.join(","));
  }
  return lines.join("\n") + "\n";
}

function downloadCsv() {
  if (!lastResponse) return;
  const a = document.createElement("a");
  a.href = URL.createObjectURL(new Blob([csvText()], { type: "text/csv" }));
  a.download = `kavrin-${state.channel}-${state.variable}.csv`;
  document.body.append(a);
  a.click();
  a.remove();
}

function wire() {
  $("channel").addEventListener("change", (e) => {
    state.channel = e.target.value;
    for (const m of state.models) {
      const info = modelInfo(m.name);
      if (!info || !info.channels.includes(state.channel)) { m.name = "regge"; m.options = {}; }
    }
    renderModels(); changed();
  });
  $("add-model").addEventListener("click", () => {
    if (state.models.length >= MAX_MODELS) return;
    const used = state.models.map((m) => m.name);
    const next = catalog.models.find((m) => !used.includes(m.name) && m.channels.includes(state.channel)) || catalog.models[0];
    state.models.push({ name: next.name, options: {} });
    renderModels(); changed();
  });
  $("scan-var").addEventListener("change", (e) => {
    state.variable = e.target.value;
    [state.from, state.to] = VAR_RANGE[state.variable];
    renderAll(); changed();
  });
  for (const [id, key] of [["scan-from", "from"], ["scan-to", "to"], ["scan-steps", "steps"]])
    $(id).addEventListener("change", (e) => { state[key] = Number(e.target.value); changed(); });
  for (const row of document.querySelectorAll("#fixed .slider")) {
    const v = row.dataset.var;
    const range = row.querySelector("input[type=range]"), box = row.querySelector("input[type=number]");
    range.addEventListener("input", () => { state[v] = Number(range.value); box.value = range.value; changed(); });
    box.addEventListener("change", () => { state[v] = Number(box.value); range.value = box.value; changed(); });
  }
  $("E_beam").addEventListener("change", (e) => { state.E_beam = e.target.value.trim(); changed(); });
  $("eps-from-beam").addEventListener("change", (e) => { state.epsFromBeam = e.target.checked; renderFixed(); changed(); });
  $("unit").addEventListener("change", (e) => { state.unit = e.target.value; changed(); });
  $("data-set").addEventListener("change", (e) => {
    state.data = e.target.value; state.setting = 0;
    applySetting(); renderAll(); changed();
  });
  $("data-setting").addEventListener("change", (e) => {
    state.setting = Number(e.target.value);
    applySetting(); renderAll(); changed();
  });
  $("copy-link").addEventListener("click", async () => {
    const link = location.href;
    try { await navigator.clipboard.writeText(link); showMessage(""); } catch (e) { window.prompt("Link to this figure:", link); }
  });
  $("csv").addEventListener("click", downloadCsv);
  window.addEventListener("hashchange", () => {
    if (location.hash === toHash(state)) return;
    state = fromHash(location.hash);
    renderAll(); changed();
  });
}

async function start() {
  try {
    const [models, data] = await Promise.all([fetch("api/models").then((r) => r.json()),
                                              fetch("api/data").then((r) => r.json())]);
    catalog = models;
    dataSets = data.data_sets;
  } catch (e) {
    showMessage(`the server does not answer: ${e.message || e}`);
    return;
  }
  $("version").textContent = catalog.version;
  for (const d of dataSets) $("data-set").add(new Option(`${d.name} (${d.rows} points)`, d.name));
  state = fromHash(location.hash);
  if (!dataSets.some((d) => d.name === state.data)) state.data = "";
  wire();
  renderAll();
  changed();
}

start();
