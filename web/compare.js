// Two setups side by side in the page: the editors' bank and a settings file, model by model,
// the settings that differ marked and both curves drawn over each other (kHz over 32 points).
// The differences come from the core.
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
  #core; #texts; #messages; #dialog; #file = null; #model = 0;

  constructor(core, texts, messages) {
    this.#core = core;
    this.#texts = texts;
    this.#messages = messages;
    const d = this.#dialog = Object.assign(document.createElement('dialog'), { id: 'CompareForm' });
    d.setAttribute('aria-labelledby', 'CompareCaption');
    d.innerHTML = '<div class="caption" id="CompareCaption"></div><div class="tabs" id="CompareModels" role="tablist"></div>'
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
  }

  // Asks for a file and shows it beside the editors' bank, at the model shown.
  async open(shownModel) {
    const file = await pickFile();
    if (!file) return;
    this.#file = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
    this.#model = shownModel;
    if (this.#render()) this.#dialog.showModal();
  }

  #render() {
    const r = this.#core.compare(this.#file.bytes, this.#file.name, this.#model);
    if (r.status !== 0) {
      this.#messages.show(ERROR, BUTTONS_OK, r.message);
      return false;
    }
    const d = this.#dialog;
    d.querySelectorAll('#CompareModels [role="tab"]').forEach((tab, i) => {
      tab.textContent = `MODEL${i + 1}${r.differs[i] ? ' *' : ''}`;
      tab.setAttribute('aria-selected', String(i === this.#model));
    });
    const head = d.querySelectorAll('#CompareRows th');
    head[1].textContent = this.#texts.editorsSetup;
    head[2].textContent = this.#file.name;
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
