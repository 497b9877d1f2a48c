// The page: the window of the desktop tool, its texts from the core, its ports over Web Serial.
import { Core } from './core.js';
import { MessageBox, ProgressWindow, BUTTONS_OK, BUTTONS_YES_NO, INFORMATION, QUESTION, NO } from './dialogs.js';
import { PortList } from './ports.js';
import { Files } from './files.js';
import { wireUndo } from './undo.js';
import { attachScrollBar, thumbLength } from './scrollbar.js';
import { CompareView } from './compare.js';
import { wireSheet } from './sheet.js';
import { HistoryView } from './history.js';

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
// the first and last bar of each group, the scale and the average bar. A screen reader leaves out
// the numbers drawn over them (applyTexts names each bar). A bar's own value is the step the
// fields show, 1 at the bottom to 52 at the top, so that what a screen reader takes from the
// input itself agrees with its range and its value text; its position (0 at the top) is kept
// beside it (data-position).
function buildCurve() {
  const curve = $('Curve');
  const barX = (i) => 20 + 17 * i + 2 * Math.floor(i / 8);
  const bars = [];
  const add = (tag, props, style) => {
    const e = Object.assign(document.createElement(tag), props);
    for (const [name, value] of Object.entries(style)) e.style.setProperty(name, value);
    curve.append(e);
    return e;
  };
  for (let i = 0; i < BARS; ++i) {
    const bar = add('input', { type: 'range', id: `FRQ_${i}`, className: 'vbar', min: 1, max: 52, step: 1, value: 1 },
                    { '--left': `${barX(i)}px` });
    bar.dataset.tag = i;
    bars.push(bar);
  }
  add('input', { type: 'range', id: 'AVG_BAR', className: 'vbar', min: 1, max: 52, step: 1, value: 1 }, {});
  ['1', '8', '9', '16', '17', '24', '25', '32'].forEach((text, k) => {
    const i = Math.floor(k / 2) * 8 + (k % 2) * 7;
    add('span', { className: 'glabel', textContent: text }, { '--left': `${barX(i) - 4}px` });
  });
  add('span', { className: 'glabel', textContent: 'AVG' }, { '--left': '574px' });
  add('span', { className: 'scale', textContent: '52' }, { top: '128px' });
  add('span', { className: 'scale', textContent: '1' }, { top: '284px' });
  for (const label of curve.querySelectorAll('span')) label.setAttribute('aria-hidden', 'true');
  return bars;
}

// The gauge's fixed picture: four sunken frames of eight cells, each cell lime when lit.
export function drawGauge(canvas, lit) {
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
    g.fillStyle = lit[i] ? 'rgb(0,255,0)' : 'rgb(0,0,128)';
    g.fillRect(17 * i + 1 + 2 * Math.floor(i / 8), 1, 16, 5);
  }
}

function applyTexts(t) {
  document.documentElement.lang = t.language === 0 ? 'ja' : 'en';
  document.title = t.title;
  for (const [id, text] of Object.entries(t.labels)) $(id).textContent = text;
  // A curve bar's name: the curve's title and the bar's number.
  document.querySelectorAll('#Curve .vbar').forEach((bar, i) => bar.setAttribute('aria-label', `${t.labels.Label18} ${i < BARS ? i + 1 : 'AVG'}`));
  for (const b of document.querySelectorAll('.tool')) {
    const hint = b.dataset.hint ? t[b.dataset.hint] : b.dataset.tag === undefined ? t.shareHint : t.hints[Number(b.dataset.tag)];
    b.title = hint;
    // The hint in words under the icon, shown where no pointer hovers (the touch layout); it is
    // also the button's accessible name.
    let name = b.querySelector('.name');
    if (!name) b.append(name = Object.assign(document.createElement('span'), { className: 'name' }));
    name.textContent = hint;
  }
  $('BFREQ_CMB').replaceChildren(...t.brakeItems.map((text, k) => new Option(text, k)));
  // The cut-off texts align their columns with runs of blanks, which a list would collapse.
  $('CUTOFF_COMB').replaceChildren(...t.cutOffItems.map((text, k) => new Option(text.replaceAll(' ', '\u00a0'), k)));
}

// Puts the shown model into the editors: the values as the core says the controls show them.
function render(view, bars) {
  document.querySelectorAll('[role="tab"]').forEach((tab, i) => {
    tab.setAttribute('aria-selected', String(i === view.tab));
    tab.tabIndex = i === view.tab ? 0 : -1;
  });
  $('Page').setAttribute('aria-labelledby', `MODEL${view.tab + 1}`);
  $('NBRK_BAR').value = view.NBRK;
  $('NBRK_EDIT').value = view.NBRKText;
  $('PROG_BAR').value = view.PROG;
  $('PROG_EDIT').value = view.PROGText;
  $('BFREQ_CMB').selectedIndex = view.bfreqItem;
  $('CUTOFF_COMB').selectedIndex = view.cutOffItem;
  // A bar's value is read as the step and frequency the fields show for it, not its position.
  const speak = (bar, position, p) => {
    bar.dataset.position = position;
    bar.value = p.step;
    bar.setAttribute('aria-valuetext', `${p.step}, ${p.kHz}`);
  };
  bars.forEach((bar, i) => {
    speak(bar, view.bars[i], view.points[i]);
    bar.classList.toggle('lit', view.gauge[i]);  // the gauge where it cannot stand under the bars
  });
  speak($('AVG_BAR'), view.avg, view.points[BARS]);
  $('FRQ_NUM').value = view.field.name;
  $('FRQ_F').value = view.field.step;
  $('FRQ_VAL').value = view.field.kHz;
  drawGauge($('Select_Gage1'), view.gauge);
  // The memo comes only when it differs from what the field was last given or sent.
  if (view.memo !== undefined && $('Memo1').value !== view.memo) $('Memo1').value = view.memo;
  $('UNDO_BTN').disabled = !view.canUndo;
  $('REDO_BTN').disabled = !view.canRedo;
}

// A number being typed is taken before an operation goes on. Moving the focus away takes it too,
// but only where the click focused the button first: Firefox and Safari on macOS do not, and a
// transfer moves the focus only once it runs, too late to store it.
function takeTyped(core, show) {
  const field = ['NBRK_EDIT', 'PROG_EDIT'].indexOf(document.activeElement?.id);
  if (field >= 0 && !core.busy) show(core.takeNumber(field, document.activeElement.value));
  // Without scrolling: on a phone the tool panel is at the bottom, and a finger on a tab or a bar
  // would otherwise take the page there in the middle of its touch.
  $('Panel4').focus({ preventScroll: true });
}

// Runs an operation that a control started; after its messages the focus is back on that control.
async function operate(control, operation) {
  try {
    await operation();
  } finally {
    if (!$('MainForm').inert && !document.querySelector('dialog[open]')) control.focus();
  }
}

// Forwards what the user does in the editors to the core and shows the view it returns.
function wireEditors(core, texts, show, messages, files) {
  const take = () => takeTyped(core, show);
  // Shift as the event being handled has it; a focus change takes it from the input before it.
  let shift = false;
  for (const type of ['keydown', 'keyup', 'pointerdown', 'wheel']) document.addEventListener(type, (e) => { shift = e.shiftKey; }, true);

  // Tabs: a press shows the model; a drag onto another tab copies after the question.
  const tabs = [...document.querySelectorAll('[role="tab"]')];
  let drag = null;
  const tabAt = (x, y) => tabs.findIndex((t) => t.contains(document.elementFromPoint(x, y)));
  tabs.forEach((tab, i) => {
    tab.addEventListener('pointerdown', (e) => {
      take();
      show(core.selectTab(i));
      drag = { from: i, x: e.clientX, y: e.clientY, moved: false };
      tab.setPointerCapture(e.pointerId);
    });
    // The touch is the page's alone, as on the bars: left to the browser, a finger lifted while
    // still moving ends in a fling, which eats the next tap (on the question's Yes, or a button).
    tab.addEventListener('touchstart', (e) => { if (e.cancelable) e.preventDefault(); }, { passive: false });
    tab.addEventListener('pointermove', (e) => {
      if (!drag || drag.moved || Math.hypot(e.clientX - drag.x, e.clientY - drag.y) < 4) return;
      drag.moved = true;
      tab.parentElement.classList.add('dragging');
    });
    tab.addEventListener('pointerup', async (e) => {
      const d = drag;
      drag = null;
      tab.parentElement.classList.remove('dragging');
      if (!d?.moved) return;
      const to = tabAt(e.clientX, e.clientY);
      const question = to < 0 ? '' : core.copyQuestion(d.from, to);
      if (!question) return;
      if ((await messages.show(QUESTION, BUTTONS_YES_NO, question)) !== NO) show(core.copy(d.from, to));
      tabs[core.view().tab].focus();  // after the question, on the tab shown
    });
    tab.addEventListener('pointercancel', () => { drag = null; tab.parentElement.classList.remove('dragging'); });
    tab.addEventListener('keydown', (e) => {
      const step = { ArrowRight: 1, ArrowLeft: -1, Home: -i, End: tabs.length - 1 - i }[e.key];
      if (step === undefined) return;
      e.preventDefault();
      const next = (i + step + tabs.length) % tabs.length;
      show(core.selectTab(next));
      tabs[next].focus();
    });
  });

  // NBRK and PROG: the bar stores at every step; the number field when Enter is pressed or it
  // loses the focus. A press on the track steps the bar by a page (1) toward it.
  [['NBRK_BAR', 'NBRK_EDIT'], ['PROG_BAR', 'PROG_EDIT']].forEach(([barId, editId], field) => {
    const bar = $(barId);
    const position = () => Number(bar.value);
    const move = (p) => show(core.moveBar(field, p));
    $(barId).addEventListener('input', () => move(position()));
    attachScrollBar(bar, {
      vertical: false, max: Number(bar.max), thumb: () => thumbLength(bar), position,
      focus: () => bar.focus(), page: (direction) => move(position() + direction), track: move, end: () => {},
      // A finger tapping the track steps it as a click does; holding it does nothing more.
      tap: (x) => {
        const r = bar.getBoundingClientRect();
        const size = thumbLength(bar);
        const thumbStart = r.left + (r.width - size) * position() / Number(bar.max);
        if (x < thumbStart) move(position() - 1);
        else if (x >= thumbStart + size) move(position() + 1);
      },
      drag: move, longPress: () => {}, longMove: () => {},
    });
    // The wheel steps the bar by one, down or sideways to the right raising it; the core limits it.
    $(barId).addEventListener('wheel', (e) => {
      e.preventDefault();
      const delta = e.deltaY || e.deltaX;
      if (delta) move(position() + Math.sign(delta));
    }, { passive: false });
    $(editId).addEventListener('keydown', (e) => { if (e.key === 'Enter') show(core.takeNumber(field, $(editId).value)); });
    $(editId).addEventListener('blur', () => { if (!core.busy) show(core.takeNumber(field, $(editId).value)); });
  });
  // A list takes its pick; the wheel over a closed one steps it by one item, as the desktop's lists do.
  [['BFREQ_CMB', (k) => core.pickBrake(k)], ['CUTOFF_COMB', (k) => core.pickCutOff(k)]].forEach(([id, pick]) => {
    const list = $(id);
    list.addEventListener('change', () => show(pick(list.selectedIndex)));
    list.addEventListener('wheel', (e) => {
      e.preventDefault();
      const k = list.selectedIndex + Math.sign(e.deltaY || e.deltaX);
      if (k >= 0 && k < list.options.length && k !== list.selectedIndex) show(pick(k));
    }, { passive: false });
  });
  $('Memo1').addEventListener('input', () => show(core.setMemo($('Memo1').value)));
  // Reset replaces the shown model: its unsaved settings are asked about first, as Open asks.
  $('RESET_BTN').addEventListener('click', () => operate($('RESET_BTN'), async () => {
    take();
    if (await files.keepEdits(2)) show(core.reset());
  }));

  // The curve: the bars' own moves become scroll events the core may refuse; Left and Right move
  // the focus along the bars and never move one.
  const sc = texts.scroll;
  const curveBars = [...Array(BARS).keys()].map((i) => $(`FRQ_${i}`));
  const avg = $('AVG_BAR');
  const order = [...curveBars, avg];
  const scroll = (i, code, requested) => show(i < 0 ? core.scrollAverage(requested) : core.scrollBar(i, code, requested, shift));
  order.forEach((bar, k) => {
    const i = bar === avg ? -1 : k;
    const position = () => Number(bar.dataset.position);
    if (i >= 0) {
      bar.addEventListener('focus', () => show(core.enterBar(i, shift)));
      bar.addEventListener('keyup', (e) => { if (!['ArrowLeft', 'ArrowRight', 'Tab'].includes(e.key)) show(core.keyUpBar(i, e.shiftKey)); });
    }
    // What assistive software sets arrives as the bar's own input, a step: a track move the core
    // may refuse.
    bar.addEventListener('input', (e) => {
      const requested = 52 - Number(bar.value);
      bar.value = 52 - position();  // the core decides where the bar goes
      scroll(i, sc.track, requested);
      e.stopPropagation();
    });
    attachScrollBar(bar, {
      vertical: true, max: 51, thumb: () => thumbLength(bar), position,
      focus: () => bar.focus({ preventScroll: true }),
      page: (direction) => scroll(i, direction < 0 ? sc.pageUp : sc.pageDown, position() + direction),
      track: (requested) => scroll(i, sc.track, requested),
      end: () => { if (i >= 0) scroll(i, sc.endScroll, position()); },
      // A tap selects the bar and never moves it.
      tap: () => {
        if (document.activeElement !== bar) bar.focus({ preventScroll: true });
        else if (i >= 0) show(core.enterBar(i, false));
      },
      drag: (requested) => show(i < 0 ? core.scrollAverage(requested) : core.dragBar(i, requested)),
      // Held still, then moved across the bars: the range from this bar to the one under the finger.
      longPress: () => {
        if (i < 0) return;
        show(core.selectRange(i, i));
        navigator.vibrate?.(15);
      },
      longMove: (x, y) => {
        const j = curveBars.indexOf(document.elementFromPoint(x, y));
        if (i >= 0 && j >= 0) show(core.selectRange(i, j));
      },
    });
    bar.addEventListener('keydown', (e) => {
      const edge = i < 0 ? 0 : i;
      const moves = { ArrowUp: [sc.lineUp, -1], ArrowDown: [sc.lineDown, 1], PageUp: [sc.pageUp, -1], PageDown: [sc.pageDown, 1],
        Home: [sc.top, -Infinity], End: [sc.bottom, Infinity] };
      if (e.key === 'ArrowRight' || e.key === 'ArrowLeft') {
        e.preventDefault();
        const right = e.key === 'ArrowRight';
        if (core.arrowMovesFocus(edge, right)) order[k + (right ? 1 : -1)]?.focus();
        return;
      }
      const move = moves[e.key];
      if (!move) return;
      e.preventDefault();
      const [code, step] = move;
      scroll(i, code, Math.max(0, Math.min(51, position() + step)));
      if (i >= 0) scroll(i, sc.endScroll, position());
    });
    bar.addEventListener('wheel', (e) => {
      e.preventDefault();
      const delta = e.deltaY || e.deltaX;  // Shift turns the wheel sideways
      if (!delta) return;
      scroll(i, delta < 0 ? sc.lineUp : sc.lineDown, position() + Math.sign(delta));
      if (i >= 0) scroll(i, sc.endScroll, position());
    }, { passive: false });
  });

  // The straight line: shown while its question is open, kept on any answer but No.
  $('SpeedButton1').addEventListener('click', () => operate($('SpeedButton1'), async () => {
    take();
    show(core.proposeLine());
    const answer = await messages.show(QUESTION, BUTTONS_YES_NO, core.message(texts.msg.Okay, texts.language));
    show(core.answerLine(answer !== NO));
  }));
}

async function start() {
  const language = chooseLanguage(location.search, navigator.language);
  let ports, progress, messages, bars, core;
  // What the core asks of the page during a transfer.
  const host = {
    lineOpen: () => Boolean(ports.line && !ports.line.gone),
    linePurge: () => ports.line?.purge(),
    lineSend: (bytes) => ports.line?.send(bytes) ?? false,
    lineReceive: async (count, timeoutMs) => {
      try {
        return ports.line ? await ports.line.read(count, timeoutMs) : null;
      } catch {
        return null;  // the device went away
      }
    },
    // Nothing but the progress window and the messages reacts until the transfer has ended; a
    // number being typed commits first.
    begin: () => { $('Panel4').focus({ preventScroll: true }); $('MainForm').inert = true; },
    end: () => { $('MainForm').inert = false; },
    pause: (ms) => new Promise((resolve) => setTimeout(resolve, ms)),
    startProgress: (maximum) => { progress.start(maximum); progress.show(); },
    setLabel: (text) => progress.setLabel(text),
    step: () => progress.step(),
    hideProgress: () => progress.hide(),
    showBank: () => render(core.view(), bars),
    caption: (text) => { document.title = text; },
    message: (kind, text) => messages.show(kind, BUTTONS_OK, text),
  };
  bars = buildCurve();  // needs nothing of the core, so done while its WebAssembly arrives
  core = await Core.load(host);
  const texts = core.texts(language);
  applyTexts(texts);
  messages = new MessageBox(texts);
  progress = new ProgressWindow(texts);
  ports = new PortList(core, language, texts, messages);
  const show = (view) => render(view, bars);
  show(core.start(language));
  const files = new Files(core, texts, messages, show);
  wireEditors(core, texts, show, messages, files);
  wireUndo(core, show);
  // The history (Ctrl+H or its button) and the compare view (Ctrl+D or the button with two
  // curves): any two of the editors' bank, a settings file and a history entry.
  let compare = null;
  const history = new HistoryView(core, texts, messages, {
    restore: (bytes) => files.restore(bytes),
    save: (bytes, name) => files.saveOther(bytes, name),
    compare: (record, bytes) => compare.open(core.view().tab, { kind: 'entry', id: record.id, label: history.label(record), bytes }),
  });
  compare = new CompareView(core, texts, messages, history);
  const idle = () => !core.busy && !document.querySelector('dialog[open]');
  const openCompare = () => { if (idle()) compare.open(core.view().tab); };
  const openHistory = () => { if (idle()) operate($('HIST_BTN'), () => history.open()); };
  $('COMPARE_BTN').addEventListener('click', openCompare);
  $('HIST_BTN').addEventListener('click', openHistory);
  document.addEventListener('keydown', (e) => {
    if (!(e.ctrlKey || e.metaKey) || e.shiftKey || e.altKey) return;
    const run = { d: openCompare, h: openHistory }[e.key.toLowerCase()];
    if (run) { e.preventDefault(); run(); }
  });
  // A read replaces settings: unsaved ones are asked about first (a read keeps the memos). Every
  // transfer that succeeds adds its entries to the history.
  const transfers = { READ_BTN: [0, 1], READ2_BTN: [1, 2], PROGRAM_BTN: [2, null], PROG2_BTN: [3, null] };
  const take = () => takeTyped(core, show);
  for (const [id, [operation, loss]] of Object.entries(transfers)) {
    $(id).addEventListener('click', () => {
      if (core.busy) return;
      take();
      operate($(id), async () => {
        if (loss !== null && !(await files.keepEdits(loss))) return;
        await core.transfer(operation, $('CommPort').selectedOptions[0]?.textContent ?? '');
        history.keep();  // stored meanwhile: the focus comes back at once, the list waits for it
      });
    });
  }
  for (const [id, operation] of [['OpenBtn', () => files.open()], ['SaveBtn', () => files.save()], ['ShareBtn', () => files.share()]]) {
    $(id).addEventListener('click', () => { take(); operate($(id), operation); });
  }
  // A page can close only the window it opened itself (an installed app's, for one); elsewhere
  // the browser ignores it silently, so the page says so.
  $('EXIT_BTN').addEventListener('click', () => operate($('EXIT_BTN'), async () => {
    take();
    window.close();
    await new Promise((resolve) => setTimeout(resolve, 100));
    if (!window.closed) await messages.show(INFORMATION, BUTTONS_OK, core.message(texts.msg.CannotCloseTab, language));
  }));
  files.acceptDrops(() => core.busy);
  // Leaving the page ends a transfer halfway and loses unsaved edits: the browser asks first.
  window.addEventListener('beforeunload', (e) => {
    if (!core.busy && !files.unsaved) return;
    e.preventDefault();
    e.returnValue = '';
  });
  // The setting sheet, printed or saved as a PDF through the browser's print.
  wireSheet(core, texts, language, () => files.sheetTitle);
  $('MainForm').setAttribute('aria-busy', 'false');
  document.documentElement.dataset.state = 'started';
  performance.mark('vxr-ready');  // the window takes input from here on
  (window.requestIdleCallback ?? setTimeout)(keepForOffline);
  await Promise.all([ports.start(), history.start()]);
  await files.openLink();
  window.addEventListener('hashchange', () => { if (!core.busy && !document.querySelector('dialog[open]')) files.openLink(); });
  document.documentElement.dataset.state = 'ready';
}

// Served pages keep their files for use offline; the single file from file:// needs none. The
// worker is registered once the window is up and the browser idle: its install fetches every file
// again, which delayed the window on a 2-core machine by a tenth or more.
function keepForOffline() {
  if ('serviceWorker' in navigator && location.protocol.startsWith('http')) {
    navigator.serviceWorker.register('sw.js').catch(() => { /* served without it: online only */ });
  }
}

// A page that cannot start says so in both languages (its texts come from the core) instead of
// staying an empty background.
start().catch((e) => {
  document.getElementById('MainForm').setAttribute('aria-busy', 'true');
  document.getElementById('StartFailedReason').textContent = String(e?.message ?? e);
  document.getElementById('StartFailed').hidden = false;
  document.documentElement.dataset.state = 'failed';
  throw e;
});
