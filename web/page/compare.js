// Two setups side by side in the page, each the editors' bank, a settings file or a history
// entry: model by model, the settings that differ marked and both curves drawn over each other
// (kHz over 32 points). The differences come from the core.
import { ERROR, BUTTONS_OK } from './dialogs.js';

function pickFile() {
  return new Promise((resolve) => {
    const input = Object.assign(document.createElement('input'), { type: 'file', accept: '.VXS,.vxs' });
    input.addEventListener('change', () => resolve(input.files[0] ?? null));
    input.addEventListener('cancel', () => resolve(null));
    input.click();
  });
}

function drawCurves(canvas, left, right) {
  const g = canvas.getContext('2d');
  const w = canvas.width, h = canvas.height;
  const pad = { l: 36, r: 8, t: 8, b: 20 };
  const all = [...left, ...right].map((v) => v / 1000);
  const low = Math.floor(Math.min(...all)), high = Math.max(low + 1, Math.ceil(Math.max(...all)));
  const x = (k) => pad.l + (w - pad.l - pad.r) * k / 31;
  const y = (v) => h - pad.b - (h - pad.t - pad.b) * (v - low) / (high - low);
  g.fillStyle = '#fff';
  g.fillRect(0, 0, w, h);
  g.strokeStyle = '#000';
  g.strokeRect(pad.l, pad.t, w - pad.l - pad.r, h - pad.t - pad.b);
  g.fillStyle = '#000';
  g.font = '11px sans-serif';
  for (const v of [low, high]) g.fillText(`${v}`, 4, y(v) + 4);
  g.fillText('kHz', 4, h / 2);
  for (const k of [0, 7, 15, 23, 31]) g.fillText(`${k + 1}`, x(k) - 4, h - 5);
  for (const [curve, color, dash] of [[left, '#1e50c8', []], [right, '#d22828', [6, 4]]]) {
    g.beginPath();
    g.strokeStyle = color;
    g.lineWidth = 2;
    g.setLineDash(dash);
    curve.forEach((v, k) => (k ? g.lineTo(x(k), y(v / 1000)) : g.moveTo(x(k), y(v / 1000))));
    g.stroke();
    g.setLineDash([]);
  }
}

export class CompareView {
  #core; #texts; #messages; #history; #dialog; #model = 0;
  #sides = [{ kind: 'editors' }, { kind: 'editors' }];
  #recent = [];  // the newest history entries, offered on either side

  // history: the page's history (HistoryView), or null.
  constructor(core, texts, messages, history = null) {
    this.#core = core;
    this.#texts = texts;
    this.#messages = messages;
    this.#history = history;
    const d = this.#dialog = Object.assign(document.createElement('dialog'), { id: 'CompareForm' });
    d.setAttribute('aria-labelledby', 'CompareCaption');
    d.innerHTML = '<div class="caption" id="CompareCaption"></div>'
      + '<div class="compare-sides"><select id="CompareLeft"></select><select id="CompareRight"></select></div>'
      + '<div class="tabs" id="CompareModels" role="tablist"></div>'
      + '<div class="compare-body"><div class="compare-rows"><table id="CompareRows"><thead><tr><th></th><th></th><th></th></tr>'
      + '</thead><tbody></tbody></table></div><canvas id="ComparePlot" width="360" height="220"></canvas></div>'
      + '<div class="buttons"><button id="CompareClose"></button></div>';
    document.body.append(d);
    d.querySelector('#CompareCaption').textContent = texts.compareCaption;
    d.querySelector('#CompareClose').textContent = texts.closeButton;
    d.querySelector('#CompareClose').addEventListener('click', () => d.close());
    for (let i = 0; i < 5; ++i) {
      const tab = document.createElement('button');
      tab.setAttribute('role', 'tab');
      tab.addEventListener('click', () => { this.#model = i; this.#render(); });
      d.querySelector('#CompareModels').append(tab);
    }
    ['CompareLeft', 'CompareRight'].forEach((id, k) => {
      const list = d.querySelector(`#${id}`);
      list.addEventListener('change', () => this.#choose(k, list.value));
    });
  }

  // Shows two setups at the model shown: left the editors' bank unless given, right a file
  // asked for unless given ({ kind: 'entry', id, label, bytes }, a history entry).
  async open(shownModel, right = null) {
    this.#recent = (await this.#history?.recent().catch(() => [])) ?? [];
    if (!right) {
      const file = await this.#pickFile();
      if (!file) return;
      right = file;
    }
    this.#sides = [{ kind: 'editors' }, right];
    this.#model = shownModel;
    if (this.#render()) this.#dialog.showModal();
  }

  async #pickFile() {
    const file = await pickFile();
    return file && { kind: 'file', name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
  }

  // A side's list: the editors, a file to choose, the file chosen, the history's newest entries.
  #fillLists() {
    const t = this.#texts;
    this.#dialog.querySelectorAll('.compare-sides select').forEach((list, k) => {
      const side = this.#sides[k];
      const options = [new Option(t.editorsSetup, 'editors'), new Option(t.fileSetup, 'pick')];
      if (side.kind === 'file') options.push(new Option(side.name, 'file'));
      const entries = [...this.#recent];
      if (side.kind === 'entry' && !entries.some((e) => e.id === side.id)) entries.unshift(side);
      for (const e of entries) options.push(new Option(e.label, `entry:${e.id}`));
      list.replaceChildren(...options);
      list.value = side.kind === 'entry' ? `entry:${side.id}` : side.kind;
      list.setAttribute('aria-label', `${t.compareCaption} ${k + 1}`);
    });
  }

  async #choose(k, value) {
    let side = null;
    if (value === 'editors') side = { kind: 'editors' };
    else if (value === 'pick') side = await this.#pickFile();
    else if (value.startsWith('entry:')) {
      const id = Number(value.slice(6));
      const entry = this.#recent.find((e) => e.id === id) ?? (this.#sides[k].id === id ? this.#sides[k] : null);
      const bytes = entry && await this.#history.entryBytes(id);
      if (bytes) side = { kind: 'entry', id, label: entry.label, bytes };
    }
    const before = this.#sides[k];
    if (side) this.#sides[k] = side;
    if (!this.#render()) this.#sides[k] = before;
    this.#fillLists();
  }

  #render() {
    const side = (s) => (s.kind === 'editors' ? null : { bytes: s.bytes, name: s.name ?? 'history.VXS' });
    const r = this.#core.compare(side(this.#sides[0]), side(this.#sides[1]), this.#model);
    if (r.status !== 0) {
      this.#messages.show(ERROR, BUTTONS_OK, r.message);
      return false;
    }
    const d = this.#dialog;
    this.#fillLists();
    d.querySelectorAll('#CompareModels [role="tab"]').forEach((tab, i) => {
      tab.textContent = `MODEL${i + 1}${r.differs[i] ? ' *' : ''}`;
      tab.setAttribute('aria-selected', String(i === this.#model));
    });
    const head = d.querySelectorAll('#CompareRows th');
    const name = (s) => (s.kind === 'editors' ? this.#texts.editorsSetup : s.kind === 'file' ? s.name : s.label);
    head[1].textContent = name(this.#sides[0]);
    head[2].textContent = name(this.#sides[1]);
    d.querySelector('#CompareRows tbody').replaceChildren(...r.rows.map((row) => {
      const tr = document.createElement('tr');
      if (row.differs) tr.className = 'differs';
      for (const text of [row.title, row.left, row.right]) tr.append(Object.assign(document.createElement('td'), { textContent: text }));
      return tr;
    }));
    drawCurves(d.querySelector('#ComparePlot'), r.left, r.right);
    return true;
  }
}
