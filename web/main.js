// The page: the window of the desktop tool, its texts from the core, its ports over Web Serial.
import { Core } from './core.js';
import { MessageBox, ProgressWindow } from './dialogs.js';
import { PortList } from './ports.js';

const BARS = 32;
const $ = (id) => document.getElementById(id);

// ?lang=ja / ?lang=en, else the browser's language: Japanese for "ja".
export function chooseLanguage(search, browserLanguage) {
  const asked = new URLSearchParams(search).get('lang')?.toLowerCase();
  if (asked === 'ja') return 0;
  if (asked === 'en') return 1;
  return (browserLanguage ?? '').toLowerCase().split('-')[0] === 'ja' ? 0 : 1;
}

// The 32 curve bars in index order (left edge 20 + 17 i + 2 (i div 8)), the group numbers over
// the first and last bar of each group, the scale and the average bar.
function buildCurve() {
  const curve = $('Curve');
  const barX = (i) => 20 + 17 * i + 2 * Math.floor(i / 8);
  const bars = [];
  const add = (tag, props, style) => {
    const e = Object.assign(document.createElement(tag), props);
    Object.assign(e.style, style);
    curve.append(e);
    return e;
  };
  for (let i = 0; i < BARS; ++i) {
    const bar = add('input', { type: 'range', id: `FRQ_${i}`, className: 'vbar', min: 0, max: 51, step: 1, value: 0 },
                    { left: `${barX(i)}px` });
    bar.dataset.tag = i;
    bar.setAttribute('aria-label', `FRQ${i + 1}`);
    bars.push(bar);
  }
  const avg = add('input', { type: 'range', id: 'AVG_BAR', className: 'vbar', min: 0, max: 51, step: 1, value: 0 }, {});
  avg.setAttribute('aria-label', 'AVG');
  ['1', '8', '9', '16', '17', '24', '25', '32'].forEach((text, k) => {
    const i = Math.floor(k / 2) * 8 + (k % 2) * 7;
    add('span', { className: 'glabel', textContent: text }, { left: `${barX(i) - 4}px` });
  });
  add('span', { className: 'glabel', textContent: 'AVG' }, { left: '574px' });
  add('span', { className: 'scale', textContent: '52' }, { top: '128px' });
  add('span', { className: 'scale', textContent: '1' }, { top: '284px' });
  return bars;
}

// The gauge's fixed picture: four sunken frames of eight cells, each cell lime when selected.
export function drawGauge(canvas, lo, hi) {
  const g = canvas.getContext('2d');
  g.fillStyle = 'rgb(212,208,200)';
  g.fillRect(0, 0, 551, 7);
  for (let f = 0; f < 4; ++f) {
    const x = 138 * f;
    g.fillStyle = 'rgb(255,255,255)';
    g.fillRect(x, 0, 137, 7);
    g.fillStyle = 'rgb(128,128,128)';
    g.fillRect(x, 0, 137, 1);
    g.fillRect(x, 0, 1, 7);
  }
  for (let i = 0; i < BARS; ++i) {
    g.fillStyle = lo >= 0 && i >= lo && i <= hi ? 'rgb(0,255,0)' : 'rgb(0,0,128)';
    g.fillRect(17 * i + 1 + 2 * Math.floor(i / 8), 1, 16, 5);
  }
}

function applyTexts(t) {
  document.documentElement.lang = t.language === 0 ? 'ja' : 'en';
  document.title = t.title;
  for (const [id, text] of Object.entries(t.labels)) $(id).textContent = text;
  for (const b of document.querySelectorAll('.tool')) {
    const hint = t.hints[Number(b.dataset.tag)];
    b.title = hint;
    b.setAttribute('aria-label', hint);
  }
  $('BFREQ_CMB').replaceChildren(...t.brakeItems.map((text, k) => new Option(text, k)));
  // The cut-off texts align their columns with runs of blanks, which a list would collapse.
  $('CUTOFF_COMB').replaceChildren(...t.cutOffItems.map((text, k) => new Option(text.replaceAll(' ', '\u00a0'), k)));
}

async function start() {
  const language = chooseLanguage(location.search, navigator.language);
  const core = await Core.load();
  const texts = core.texts(language);
  applyTexts(texts);
  buildCurve();
  drawGauge($('Select_Gage1'), -1, -1);
  const messages = new MessageBox(texts);
  const progress = new ProgressWindow(texts);
  const ports = new PortList(core, language, texts, messages);
  $('MainForm').setAttribute('aria-busy', 'false');
  document.documentElement.dataset.state = 'started';
  await ports.start();
  document.documentElement.dataset.state = 'ready';
}

// Served pages keep their files for use offline; the single file from file:// needs none.
if ('serviceWorker' in navigator && location.protocol.startsWith('http')) {
  navigator.serviceWorker.register('sw.js').catch(() => { /* served without it: online only */ });
}

start().catch((e) => {
  document.documentElement.dataset.state = 'failed';
  throw e;
});
