// The vek service console's page: talks to the JSON API of `vek ui`
// (docs/console.md) and draws with uPlot.
'use strict';

const STATUS_PERIOD_MS = 500;
const MAX_TREND_VALUES = 16;
const PLOT_PERIOD_MS = 100;        // the trend plot is drawn at most this often
const BUCKET = 64;                 // samples summarised per bucket for long views
const POINTS_PER_PIXEL = 2;        // a minimum and a maximum per column
const PIXELS_PER_COLUMN = 2;       // columns of two pixels halve the lines to draw
const RATE_WINDOW_MS = 2000;
const FIRMWARE_OPERATION = 'Updating the firmware';  // as the server names it
const COLOURS = ['#1f77b4', '#d62728', '#2ca02c', '#ff7f0e', '#9467bd', '#8c564b', '#e377c2', '#17becf',
                 '#7f7f7f', '#bcbd22', '#393b79', '#637939', '#8c6d31', '#843c39', '#7b4173', '#3182bd'];

const $ = (id) => document.getElementById(id);

function element(tag, text, className) {
  const node = document.createElement(tag);
  if (text !== undefined && text !== null) node.textContent = String(text);
  if (className) node.className = className;
  return node;
}

function row(cells) {
  const tr = document.createElement('tr');
  for (const cell of cells) {
    const td = document.createElement('td');
    if (cell instanceof Node) td.appendChild(cell); else td.textContent = cell === undefined ? '' : String(cell);
    tr.appendChild(td);
  }
  return tr;
}

function show(id, text, failed) {
  const node = $(id);
  node.textContent = text;
  node.classList.toggle('failed', !!failed);
}

// One API request; rejects with the server's reason ({error}) on failure.
async function api(method, path, body, contentType) {
  const options = {method, credentials: 'same-origin', headers: {}};
  if (body !== undefined) {
    const raw = body instanceof Blob || body instanceof ArrayBuffer;
    options.body = raw ? body : JSON.stringify(body);
    options.headers['Content-Type'] = contentType || (raw ? 'application/octet-stream' : 'application/json');
  }
  const response = await fetch(path, options);
  const type = response.headers.get('Content-Type') || '';
  const data = type.startsWith('application/json') ? await response.json() : await response.text();
  if (!response.ok) {
    const error = new Error(data && data.error ? data.error : `HTTP ${response.status}`);
    error.status = response.status;
    throw error;
  }
  return data;
}

// ---- status: connection, progress, question, pending errors, log ----

const state = {
  status: null,
  definitions: [],      // as /api/definitions returns them
  lastRead: new Map(),  // number -> value text of the previous read
  logLast: 0,
  lastLogId: 0,
};

function showStatus(status) {
  const connection = status.connection;
  const linkState = $('link-state');
  linkState.textContent = connection.state;
  linkState.className = 'state ' + connection.state;
  $('link-description').textContent = connection.description;
  const [port, baud] = connection.config.split(',');
  for (const [id, value] of [['connect-port', port], ['connect-baud', baud]]) {
    const input = $(id);
    input.disabled = connection.simulated;
    if (document.activeElement !== input && !input.dataset.edited) input.value = value || '';
  }
  const progress = status.operation;
  $('progress').hidden = !progress;
  if (progress) {
    $('progress-operation').textContent = progress.operation;
    $('progress-bar').value = progress.permille;
    $('progress-text').textContent = progress.text;
    if (progress.operation === FIRMWARE_OPERATION) {
      $('firmware-bar').value = progress.permille;
      $('firmware-stage').textContent = progress.text;
    }
  }
  showQuestion(status.question);
  showPending(status.pendingErrors);
  trend.serverStats(status.trend);
  if (status.log !== state.logLast) refreshLog();
  const failure = connection.state !== 'connected' && connection.lastFailure ? ` (${connection.lastFailure})` : '';
  $('link-description').title = failure;
}

async function pollStatus() {
  try {
    const status = await api('GET', '/api/status');
    const wasConnected = state.status && state.status.connection.state === 'connected';
    state.status = status;
    showStatus(status);
    if (status.connection.state === 'connected' && !wasConnected) onConnected();
  } catch (error) {
    $('link-state').textContent = 'console not reachable';
    $('link-state').className = 'state disconnected';
  }
  setTimeout(pollStatus, STATUS_PERIOD_MS);
}

function showQuestion(question) {
  const dialog = $('question');
  if (question && !dialog.open) {
    $('question-text').textContent = question;
    dialog.showModal();
  } else if (!question && dialog.open) {
    dialog.close('gone');
  }
}

$('question').addEventListener('close', () => {
  const answer = $('question').returnValue;
  if (answer === 'yes' || answer === 'no') api('POST', '/api/question', {answer: answer === 'yes'}).catch(() => {});
});

async function onConnected() {
  await loadDevice();
  await loadDefinitions();
}

// ---- connection panel ----

const DEVICE_ROWS = [
  ['Kind', (d) => d.kind],
  ['Hardware', (d) => `${d.hardware.text} (${d.hardware.version})`],
  ['Software', (d) => `${d.software.text} (${d.software.version})`],
  ['Boot loader', (d) => (d.bootLoader ? 'yes' : 'no')],
  ['Serial date', (d) => d.identification.serialDate],
  ['Serial number', (d) => d.identification.serialNumber],
  ['PPS number', (d) => d.identification.ppsNumber],
  ['Board number', (d) => d.identification.boardNumber],
  ['Features', (d) => '0x' + d.protocol.features.toString(16).padStart(4, '0')],
  ['Commands info', (d) => '0x' + d.protocol.commandsInfo.toString(16).padStart(4, '0')],
  ['Error memory kind', (d) => d.protocol.errorMemoryKind],
  ['IntCode definitions', (d) => d.protocol.intCodes],
  ['Definitions', (d) => d.definitions],
];

async function loadDevice() {
  try {
    const device = await api('GET', '/api/device');
    const body = $('device');
    body.replaceChildren(...DEVICE_ROWS.map(([label, value]) => row([label, value(device)])));
    $('header-software').textContent = `software ${device.software.text}`;
  } catch (error) {
    show('connect-result', error.message, true);
  }
}

$('connect-form').addEventListener('submit', async (event) => {
  event.preventDefault();
  show('connect-result', 'Connecting…');
  const baud = parseInt($('connect-baud').value, 10);
  try {
    await api('POST', '/api/connect', {port: $('connect-port').value, baud: Number.isFinite(baud) ? baud : 0});
    show('connect-result', 'Connected');
    onConnected();
  } catch (error) {
    show('connect-result', error.message, true);
  }
});

$('disconnect').addEventListener('click', async () => {
  try {
    await api('POST', '/api/disconnect');
    show('connect-result', 'Disconnected');
  } catch (error) {
    show('connect-result', error.message, true);
  }
});

// ---- parameters panel ----

function definitionLabel(def) { return `${def.name} (${def.number})`; }

async function loadDefinitions() {
  try {
    state.definitions = await api('GET', '/api/definitions');
    for (const def of state.definitions) state.lastRead.set(def.number, def.text);
    const names = $('definition-names');
    names.replaceChildren(...state.definitions.map((def) => {
      const option = document.createElement('option');
      option.value = definitionLabel(def);
      return option;
    }));
    renderDefinitions();
    curves.load();
  } catch (error) {
    show('parameters-result', error.message, true);
  }
}

async function visibleDefinitions() {
  const kind = $('kind').value;
  const text = $('search').value.trim();
  if (!text) return state.definitions.filter((def) => !kind || def.kind === kind);
  const query = new URLSearchParams(kind ? {kind} : {});
  if ($('similar').checked) {
    query.set('similar', text);
    query.set('threshold', $('threshold').value);
    return api('GET', '/api/search?' + query);
  }
  // A part of the name here; the exact name through the library's search.
  const lower = text.toLowerCase();
  const matches = state.definitions.filter((def) => (!kind || def.kind === kind) &&
                                                    def.name.toLowerCase().includes(lower));
  if (matches.length) return matches;
  query.set('name', text);
  return api('GET', '/api/search?' + query);
}

async function renderDefinitions() {
  let list;
  try {
    list = await visibleDefinitions();
  } catch (error) {
    show('parameters-result', error.message, true);
    return;
  }
  const body = $('definitions');
  body.replaceChildren(...list.map(definitionRow));
  show('parameters-result', `${list.length} of ${state.definitions.length} definitions`);
}

function definitionRow(def) {
  const input = element('input');
  input.value = def.text;
  input.size = 10;
  input.dataset.number = def.number;
  input.addEventListener('keydown', (event) => { if (event.key === 'Enter') input.blur(); });
  input.addEventListener('change', () => writeValue(def, input));
  const watch = element('input');
  watch.type = 'checkbox';
  watch.checked = trend.ids.includes(def.number);
  watch.addEventListener('change', () => (watch.checked ? trend.add(def.number) : trend.remove(def.number)));
  const name = element('span', def.name);
  if (def.similarity !== undefined) name.title = `${(def.similarity * 100).toFixed(1)} % similar`;
  const tr = row([def.number, name, input, def.unit, def.min, def.max, watch]);
  tr.id = 'def-' + def.number;
  if (state.lastRead.has(def.number) && state.lastRead.get(def.number) !== def.text) tr.classList.add('changed');
  return tr;
}

function storeDefinition(value) {
  const def = state.definitions.find((d) => d.number === value.number);
  if (def) Object.assign(def, {text: value.text, raw: value.raw});
}

async function writeValue(def, input) {
  const tr = input.closest('tr');
  const old = tr.querySelector('.reason');
  if (old) old.remove();
  try {
    const value = await api('POST', `/api/values/${def.number}`, {text: input.value});
    input.value = value.text;
    storeDefinition(value);
    tr.classList.add('edited');
    tr.classList.remove('refused');
  } catch (error) {
    tr.classList.add('refused');
    input.value = def.text;
    input.parentNode.appendChild(element('div', error.message, 'reason'));
  }
}

$('read-values').addEventListener('click', async () => {
  show('parameters-result', 'Reading…');
  try {
    const kind = $('kind').value;
    const values = await api('POST', '/api/values/read' + (kind ? '?kind=' + kind : ''));
    for (const def of state.definitions) state.lastRead.set(def.number, def.text);
    for (const value of values) storeDefinition(value);
    await renderDefinitions();
    const changed = values.filter((v) => state.lastRead.get(v.number) !== v.text).length;
    show('parameters-result', `Read ${values.length} values, ${changed} changed since the last read`);
  } catch (error) {
    show('parameters-result', error.message, true);
  }
});

$('store').addEventListener('click', async () => {
  try {
    await api('POST', '/api/store');
    show('parameters-result', 'The governor stored its values');
  } catch (error) {
    show('parameters-result', error.message, true);
  }
});

let searchTimer = 0;
for (const id of ['kind', 'search', 'similar', 'threshold']) {
  $(id).addEventListener('input', () => {
    clearTimeout(searchTimer);
    searchTimer = setTimeout(renderDefinitions, 200);
  });
}

// ---- live trend ----

// The captured samples, column by column, and a summary of every BUCKET
// samples (their minimum and maximum) so that long views draw quickly.
class TrendStore {
  constructor(count) {
    this.count = count;
    this.x = [];
    this.y = Array.from({length: count}, () => []);
    this.bucketX = [];
    this.bucketMin = Array.from({length: count}, () => []);
    this.bucketMax = Array.from({length: count}, () => []);
  }

  push(seconds, values) {
    const n = this.x.length;
    this.x.push(seconds);
    const bucket = Math.floor(n / BUCKET);
    if (bucket === this.bucketX.length) this.bucketX.push(seconds);
    for (let i = 0; i < this.count; i++) {
      const v = values[i];
      this.y[i].push(v);
      if (n % BUCKET === 0) {
        this.bucketMin[i].push(v);
        this.bucketMax[i].push(v);
      } else {
        if (v < this.bucketMin[i][bucket]) this.bucketMin[i][bucket] = v;
        if (v > this.bucketMax[i][bucket]) this.bucketMax[i][bucket] = v;
      }
    }
  }

  // At most about `columns` minimum/maximum pairs per series between from and to.
  view(from, to, columns) {
    const first = lowerBound(this.x, from);
    const last = Math.min(this.x.length, lowerBound(this.x, to) + 1);
    const count = last - first;
    if (count <= columns * POINTS_PER_PIXEL) {
      return [this.x.slice(first, last), ...this.y.map((s) => s.slice(first, last))];
    }
    const useBuckets = count / BUCKET > columns;
    const xs = useBuckets ? this.bucketX : this.x;
    const start = useBuckets ? Math.floor(first / BUCKET) : first;
    const end = useBuckets ? Math.ceil(last / BUCKET) : last;
    const step = (end - start) / columns;
    const out = [[], ...this.y.map(() => [])];
    for (let c = 0; c < columns; c++) {
      const a = start + Math.floor(c * step);
      const b = Math.min(end, start + Math.floor((c + 1) * step));
      if (b <= a) continue;
      out[0].push(xs[a], xs[Math.min(b, xs.length) - 1]);
      for (let i = 0; i < this.count; i++) {
        const low = useBuckets ? this.bucketMin[i] : this.y[i];
        const high = useBuckets ? this.bucketMax[i] : this.y[i];
        let min = Infinity;
        let max = -Infinity;
        for (let k = a; k < b; k++) {
          if (low[k] < min) min = low[k];
          if (high[k] > max) max = high[k];
        }
        out[i + 1].push(min, max);
      }
    }
    return out;
  }
}

function lowerBound(array, value) {
  let low = 0;
  let high = array.length;
  while (low < high) {
    const mid = (low + high) >> 1;
    if (array[mid] < value) low = mid + 1; else high = mid;
  }
  return low;
}

const trend = {
  ids: [],
  config: null,        // {ids, names, units} of the running stream
  store: new TrendStore(0),
  source: null,
  paused: false,
  follow: true,
  range: null,         // [from, to] seconds while not following
  plot: null,
  drawPending: false,
  lastSeq: 0,
  lost: 0,             // samples the stream skipped (sequence gaps)
  missed: 0,           // samples the server dropped for this page
  arrivals: [],        // page times of recent samples, for the rate
  server: null,
  stampBase: null,

  add(number) {
    if (this.ids.includes(number)) return;
    if (this.ids.length >= MAX_TREND_VALUES) {
      alert(`At most ${MAX_TREND_VALUES} values at a time`);
      return;
    }
    this.ids.push(number);
    this.renderChips();
    if (this.source) this.start();
  },

  remove(number) {
    this.ids = this.ids.filter((id) => id !== number);
    this.renderChips();
    if (this.source) this.ids.length ? this.start() : this.stop();
  },

  renderChips() {
    const chips = $('trend-chips');
    chips.replaceChildren(...this.ids.map((id, i) => {
      const def = state.definitions.find((d) => d.number === id);
      const chip = element('span', def ? definitionLabel(def) : id, 'chip');
      chip.style.borderColor = COLOURS[i % COLOURS.length];
      const close = element('button', '×');
      close.title = 'remove';
      close.addEventListener('click', () => this.remove(id));
      chip.appendChild(close);
      return chip;
    }));
  },

  start() {
    this.stop();
    if (!this.ids.length) return;
    const query = `ids=${this.ids.join(',')}&interval=${$('trend-interval').value}`;
    this.source = new EventSource('/api/trend?' + query);
    this.source.addEventListener('config', (event) => this.onConfig(JSON.parse(event.data)));
    this.source.onmessage = (event) => this.onSample(JSON.parse(event.data));
    $('trend-start').textContent = 'Stop';
  },

  stop() {
    if (this.source) this.source.close();
    this.source = null;
    $('trend-start').textContent = 'Start';
  },

  onConfig(config) {
    const same = this.config && config.ids.join() === this.config.ids.join();
    this.config = config;
    if (!same) {
      this.ids = config.ids.slice();
      this.renderChips();
      this.clear();
    }
  },

  clear() {
    const count = this.config ? this.config.ids.length : 0;
    this.store = new TrendStore(count);
    this.lastSeq = 0;
    this.lost = 0;
    this.stampBase = null;
    this.range = null;
    this.follow = true;
    this.makePlot();
    this.renderCurrent([]);
  },

  onSample(sample) {
    if (this.lastSeq && sample.seq > this.lastSeq + 1) this.lost += sample.seq - this.lastSeq - 1;
    this.lastSeq = sample.seq;
    this.missed = sample.missed;
    if (this.stampBase === null) this.stampBase = sample.stamp;
    this.store.push((sample.stamp - this.stampBase) / 1000, sample.values);
    this.latest = sample.values;
    const now = performance.now();
    this.arrivals.push(now);
    while (this.arrivals.length && this.arrivals[0] < now - RATE_WINDOW_MS) this.arrivals.shift();
    this.scheduleDraw();
  },

  scheduleDraw() {
    if (this.drawPending || this.paused) return;
    this.drawPending = true;
    setTimeout(() => requestAnimationFrame(() => {
      this.drawPending = false;
      this.draw();
    }), PLOT_PERIOD_MS);
  },

  // Draws the captured samples of the shown range; returns the milliseconds taken.
  draw() {
    const began = performance.now();
    if (this.latest) this.renderCurrent(this.latest);
    this.renderStats();
    if (!this.plot || !this.store.x.length) return 0;
    const xs = this.store.x;
    const [from, to] = this.follow ? [xs[0], xs[xs.length - 1]] : this.range;
    const columns = Math.max(100, Math.floor(this.plot.bbox.width / devicePixelRatio / PIXELS_PER_COLUMN));
    this.plot.setData(this.store.view(from, to, columns), false);
    this.plot.setScale('x', {min: from, max: to > from ? to : from + 1});
    return performance.now() - began;
  },

  renderCurrent(values) {
    if (!this.config) return;
    $('trend-current').replaceChildren(...this.config.ids.map((id, i) => {
      const swatch = element('span', '■', 'swatch');
      swatch.style.color = COLOURS[i % COLOURS.length];
      const label = element('span');
      label.append(swatch, ' ' + this.config.names[i]);
      const value = values[i] === undefined ? '' : formatNumber(values[i]);
      return row([label, value, this.config.units[i]]);
    }));
  },

  renderStats() {
    const rate = this.arrivals.length > 1
      ? (this.arrivals.length - 1) * 1000 / (this.arrivals[this.arrivals.length - 1] - this.arrivals[0]) : 0;
    const server = this.server ? `, governor ${this.server.rate.toFixed(1)}/s` : '';
    $('trend-stats').textContent =
      `${this.store.x.length} samples, ${rate.toFixed(1)} samples/s here${server}; ` +
      `missed ${this.missed + this.lost}` + (this.paused ? ' — paused' : '');
  },

  serverStats(stats) {
    this.server = stats;
    if (this.source && stats.ids.length && this.config && stats.ids.join() !== this.config.ids.join()) {
      this.ids = stats.ids.slice();  // another page changed the list; the stream tells the rest
    }
  },

  makePlot() {
    const host = $('trend-plot');
    if (this.plot) this.plot.destroy();
    this.plot = null;
    host.replaceChildren();
    if (typeof uPlot === 'undefined') {
      host.textContent = 'The plot library is missing from this build (npm ci in tools/vek/ui/web).';
      return;
    }
    if (!this.config) return;
    const units = [...new Set(this.config.units.map((u) => u || '—'))];
    const series = [{label: 't / s'}];
    this.config.ids.forEach((id, i) => series.push({
      label: this.config.names[i],
      scale: this.config.units[i] || '—',
      stroke: COLOURS[i % COLOURS.length],
      width: 1,  // hairlines draw about ten times faster than wider lines where minima and maxima alternate
      points: {show: false},
    }));
    const axes = [{label: 'time / s'}];
    units.forEach((unit, i) => axes.push({scale: unit, label: unit, side: i % 2 ? 1 : 3, grid: {show: i === 0},
                                          size: 60}));
    const scales = {x: {time: false}};
    for (const unit of units) scales[unit] = {auto: true};
    this.plot = new uPlot({
      width: host.clientWidth || 800,
      height: 420,
      series,
      axes,
      scales,
      legend: {show: true, live: false},
      cursor: {drag: {x: true, y: false, setScale: false}},
      hooks: {setSelect: [(u) => this.onSelect(u)]},
    }, [[], ...this.config.ids.map(() => [])], host);
    addPlotGestures(this.plot, (range) => {
      this.follow = false;
      this.range = range;
      this.draw();
    }, () => {
      this.follow = true;
      this.draw();
    });
  },

  // A drag selection zooms: the page keeps that range until "Follow live".
  onSelect(u) {
    if (u.select.width < 2) return;
    this.follow = false;
    this.range = [u.posToVal(u.select.left, 'x'), u.posToVal(u.select.left + u.select.width, 'x')];
    u.setSelect({left: 0, width: 0, top: 0, height: 0}, false);
    this.draw();
  },

  csv() {
    if (!this.config) return;
    const header = ['time_s', ...this.config.names.map((n, i) => `${n} [${this.config.units[i]}]`)];
    const lines = [header.join(',')];
    for (let k = 0; k < this.store.x.length; k++) {
      lines.push([this.store.x[k], ...this.store.y.map((s) => s[k])].join(','));
    }
    download(new Blob([lines.join('\n') + '\n'], {type: 'text/csv'}), 'trend.csv');
  },
};

function formatNumber(value) {
  return Number.isInteger(value) ? String(value) : value.toFixed(Math.abs(value) < 10 ? 3 : 1);
}

// Wheel zooms around the cursor, Shift+drag pans, double-click shows all.
function addPlotGestures(plot, onRange, onAll) {
  const over = plot.over;
  over.addEventListener('wheel', (event) => {
    event.preventDefault();
    const {min, max} = plot.scales.x;
    const at = plot.posToVal(event.offsetX, 'x');
    const factor = event.deltaY < 0 ? 0.8 : 1.25;
    onRange([at - (at - min) * factor, at + (max - at) * factor]);
  }, {passive: false});
  let pan = null;
  over.addEventListener('mousedown', (event) => {
    if (!event.shiftKey) return;
    event.stopPropagation();
    pan = {x: event.clientX, min: plot.scales.x.min, max: plot.scales.x.max};
  }, true);
  window.addEventListener('mousemove', (event) => {
    if (!pan) return;
    const perPixel = (pan.max - pan.min) / plot.bbox.width * devicePixelRatio;
    const shift = (pan.x - event.clientX) * perPixel;
    onRange([pan.min + shift, pan.max + shift]);
  });
  window.addEventListener('mouseup', () => { pan = null; });
  over.addEventListener('dblclick', (event) => {
    event.stopPropagation();
    onAll();
  }, true);
}

function download(blob, name) {
  const link = element('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

$('trend-add').addEventListener('change', () => {
  const text = $('trend-add').value.trim();
  const match = /\((\d+)\)$/.exec(text) || /^(\d+)$/.exec(text);
  const def = match ? state.definitions.find((d) => d.number === Number(match[1]))
                    : state.definitions.find((d) => d.name.toLowerCase() === text.toLowerCase());
  if (def) trend.add(def.number);
  $('trend-add').value = '';
});
$('trend-start').addEventListener('click', () => (trend.source ? trend.stop() : trend.start()));
$('trend-interval').addEventListener('change', () => { if (trend.source) trend.start(); });
$('trend-pause').addEventListener('click', () => {
  trend.paused = !trend.paused;
  $('trend-pause').textContent = trend.paused ? 'Resume' : 'Pause';
  if (!trend.paused) trend.scheduleDraw();
  trend.renderStats();
});
$('trend-follow').addEventListener('click', () => {
  trend.follow = true;
  trend.draw();
});
$('trend-csv').addEventListener('click', () => trend.csv());
$('trend-clear').addEventListener('click', () => trend.clear());

// ---- curves ----

const curves = {
  list: [],
  plot: null,

  async load() {
    try {
      this.list = await api('GET', '/api/curves');
    } catch (error) {
      show('curves-result', error.message, true);
      return;
    }
    const select = $('curve-select');
    const chosen = select.value;
    select.replaceChildren(...this.list.map((curve) => element('option', curve.name)));
    if (chosen) select.value = chosen;
    this.render();
  },

  current() { return this.list.find((c) => c.name === $('curve-select').value) || this.list[0]; },

  render() {
    const curve = this.current();
    if (!curve) {
      show('curves-result', 'The governor has no curves');
      return;
    }
    show('curves-result', `${curve.elements.length} elements`);
    $('curve-table').replaceChildren(...curve.elements.map((def, index) => {
      const input = element('input');
      input.value = def.text;
      input.size = 10;
      input.addEventListener('keydown', (event) => { if (event.key === 'Enter') input.blur(); });
      input.addEventListener('change', async () => {
        await writeValue(def, input);
        def.text = input.value;
        this.draw(curve);
      });
      return row([index, def.number, input, def.unit]);
    }));
    this.draw(curve);
  },

  draw(curve) {
    const host = $('curve-plot');
    if (typeof uPlot === 'undefined') return;
    const xs = curve.elements.map((_, i) => i);
    const ys = curve.elements.map((def) => parseFloat(def.text));
    if (!this.plot) {
      this.plot = new uPlot({
        width: host.clientWidth || 600,
        height: 320,
        scales: {x: {time: false}},
        series: [{label: 'index'}, {label: curve.name, stroke: COLOURS[0], width: 2, points: {show: true, size: 6}}],
        axes: [{label: 'element'}, {label: curve.unit || 'value'}],
      }, [xs, ys], host);
    } else {
      this.plot.setSeries(1, {});
      this.plot.series[1].label = curve.name;
      this.plot.setData([xs, ys]);
    }
  },
};

$('curve-select').addEventListener('change', () => curves.render());

// ---- parameter files ----

let fileBytes = null;

$('file-input').addEventListener('change', async () => {
  const file = $('file-input').files[0];
  $('file-load').disabled = true;
  $('file-preview').replaceChildren();
  if (!file) return;
  fileBytes = await file.arrayBuffer();
  show('file-result', 'Comparing with the governor…');
  try {
    const query = $('file-measurements').checked ? '?measurements=1' : '';
    const preview = await api('POST', '/api/files/preview' + query, fileBytes);
    showPreview(preview);
    $('file-load').disabled = false;
  } catch (error) {
    show('file-result', error.message, true);
  }
});

function showPreview(preview) {
  const versions = preview.versions;
  const parts = [];
  for (const key of ['HW', 'SW', 'UW']) {
    const file = versions.file[key];
    const governor = versions.governor[key];
    if (file !== undefined) parts.push(`${key} ${file}${file === governor ? '' : ` (governor ${governor})`}`);
  }
  const differences = preview.differences.length;
  show('file-result', `${differences} difference${differences === 1 ? '' : 's'}, ${preview.unchanged} values the same; ` +
       `file versions: ${parts.join(', ') || 'none'}`);
  const table = element('table', null, 'list');
  const head = element('thead');
  head.appendChild(row(['Number', 'Name', 'Governor', 'File', 'Unit']));
  const body = element('tbody');
  body.id = 'file-differences';
  for (const d of preview.differences) body.appendChild(row([d.number, d.name, d.governor, d.file, d.unit]));
  table.append(head, body);
  const nodes = [table];
  if (preview.problems.length) {
    const problems = element('ul', null, 'problems');
    for (const p of preview.problems) {
      problems.appendChild(element('li', `line ${p.line}: ${p.number} ${p.name}: ${p.problem}`));
    }
    nodes.unshift(problems);
  }
  $('file-preview').replaceChildren(...nodes);
}

$('file-load').addEventListener('click', async () => {
  if (!fileBytes) return;
  const query = new URLSearchParams({
    tolerant: $('file-tolerant').checked ? '1' : '0',
    measurements: $('file-measurements').checked ? '1' : '0',
  });
  show('file-result', 'Loading…');
  try {
    await api('POST', '/api/files/load?' + query, fileBytes);
    show('file-result', 'The file was loaded into the governor');
    $('file-load').disabled = true;
    loadDefinitions();
  } catch (error) {
    show('file-result', error.message, true);
  }
});

// ---- errors ----

function showPending(errors) {
  const badge = $('pending-count');
  badge.hidden = !errors.length;
  badge.textContent = errors.length;
  $('pending').replaceChildren(...(errors.length ? errors.map((e) => row([e.number, e.name, e.state, e.old]))
                                                 : [row(['', 'no pending errors', '', ''])]));
}

function hms(seconds) {
  const h = Math.floor(seconds / 3600);
  const m = Math.floor(seconds % 3600 / 60);
  const s = seconds % 60;
  return `${h}:${String(m).padStart(2, '0')}:${String(s).padStart(2, '0')}`;
}

async function readMemory() {
  show('memory-result', 'Reading…');
  try {
    const memory = await api('GET', '/api/errors/memory');
    const records = memory.records;
    show('memory-result', `${records.length} record${records.length === 1 ? '' : 's'}`);
    if (!memory.extended) {
      $('memory-head').replaceChildren(row(['Number', 'Name', 'Word']));
      $('memory').replaceChildren(...records.map((r) => row([r.number, r.name, r.word])));
      return;
    }
    $('memory-head').replaceChildren(row(['Number', 'Name', 'Count', 'First', 'Last', 'Words', 'Arguments', '']));
    $('memory').replaceChildren(...records.map((r) => {
      const ack = element('button', 'Acknowledge');
      ack.addEventListener('click', async () => {
        try {
          await api('POST', '/api/errors/acknowledge', {word1: r.word1, word2: r.word2});
          readMemory();
        } catch (error) {
          show('memory-result', error.message, true);
        }
      });
      const words = [r.word1, r.word2].map((w) => w.toString(16).toUpperCase().padStart(4, '0')).join(' ');
      const args = r.args.map((a) => `${a.name} ${a.text}`).join(', ');
      return row([r.number, r.name, r.count, hms(r.first), hms(r.last), words, args, ack]);
    }));
  } catch (error) {
    show('memory-result', error.message, true);
  }
}

$('memory-read').addEventListener('click', readMemory);
$('memory-erase').addEventListener('click', async () => {
  if (!confirm('Erase the whole error memory of the governor?')) return;
  try {
    await api('POST', '/api/errors/erase');
    readMemory();
  } catch (error) {
    show('memory-result', error.message, true);
  }
});

// ---- firmware ----

$('firmware-input').addEventListener('change', () => {
  $('firmware-upload').disabled = !$('firmware-input').files.length;
});

$('firmware-upload').addEventListener('click', async () => {
  const file = $('firmware-input').files[0];
  if (!file || !confirm(`Erase the governor's firmware and upload ${file.name} (${file.size} bytes)?`)) return;
  show('firmware-result', 'Updating: erase, transfer, restart, connection…');
  $('firmware-progress').hidden = false;
  $('firmware-bar').value = 0;
  $('firmware-stage').textContent = 'Starting';
  $('firmware-upload').disabled = true;
  try {
    const result = await api('POST', '/api/firmware', await file.arrayBuffer());
    $('firmware-bar').value = 1000;
    $('firmware-stage').textContent = 'Done';
    show('firmware-result', `Uploaded ${result.uploaded} bytes; the governor is connected again`);
    onConnected();
  } catch (error) {
    show('firmware-result', error.message, true);
  } finally {
    $('firmware-upload').disabled = false;
  }
});

// ---- log ----

let logBusy = false;

async function refreshLog() {
  if (logBusy) return;
  logBusy = true;
  try {
    const log = await api('GET', '/api/log?after=' + state.logLast);
    const list = $('log-lines');
    for (const line of log.lines) {
      const text = line.text + (line.repeats ? `  (×${line.repeats + 1})` : '');
      if (line.id === state.lastLogId && list.lastChild) {
        list.lastChild.textContent = text;
      } else {
        list.appendChild(element('li', text));
        state.lastLogId = line.id;
      }
    }
    while (list.childNodes.length > 1000) list.firstChild.remove();
    state.logLast = log.last;
    if (!$('log').hidden) list.lastChild && list.lastChild.scrollIntoView({block: 'end'});
  } catch (error) {
    // the next status tells whether the console is still there
  } finally {
    logBusy = false;
  }
}

// ---- tabs ----

function showPanel(name) {
  for (const button of document.querySelectorAll('#tabs button')) {
    button.classList.toggle('active', button.dataset.panel === name);
  }
  for (const panel of document.querySelectorAll('.panel')) panel.hidden = panel.id !== name;
  if (name === 'trend' && trend.plot) {
    trend.plot.setSize({width: $('trend-plot').clientWidth, height: 420});
    trend.draw();
  }
  if (name === 'curves' && curves.plot) curves.plot.setSize({width: $('curve-plot').clientWidth, height: 320});
  if (name === 'log') refreshLog();
  history.replaceState(null, '', '#' + name);
}

for (const button of document.querySelectorAll('#tabs button')) {
  button.addEventListener('click', () => showPanel(button.dataset.panel));
}

// For tests and the benchmark: the trend's store and drawing.
window.vekConsole = {trend, state, showPanel, TrendStore};

const wanted = location.hash.slice(1);
showPanel(document.querySelector(`#tabs button[data-panel="${CSS.escape(wanted)}"]`) ? wanted : 'connection');
trend.renderChips();
pollStatus();
