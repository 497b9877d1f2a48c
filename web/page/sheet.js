// The setting sheet in the page: the five models on A4 pages as the window and vxrmgr-cli print
// them, made whenever the page is printed (the two buttons, or the browser's own Ctrl+P); the
// browser's print dialog also saves it as a PDF. What it says comes from the core (Core.sheet);
// this module only places it on the pages and draws the curves.
const SVG = 'http://www.w3.org/2000/svg';
const PX_PER_MM = 96 / 25.4;
const PT = 25.4 / 72;  // millimetres per point, for text inside a plot drawn in millimetres

// Page geometry in millimetres, as the desktop's sheet has it.
const PAGE = { width: 210, height: 297, margin: 10, title: 9, titleGap: 2, boxGap: 3, header: 6.5, pad: 2.5,
  left: 84, row: 4.8, columnGap: 5, plotTitle: 4.5, axisLeft: 8, stepRow: 3, axisBottom: 7.5, footerGap: 1 };
const BOXES_TOP = PAGE.margin + PAGE.title + PAGE.titleGap;
const BOX_HEIGHT = (PAGE.height - PAGE.margin - BOXES_TOP - 4 * PAGE.boxGap) / 5;
const FOOT_TOP = PAGE.height - PAGE.margin + PAGE.footerGap;

function el(tag, className, text, parent) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  parent?.append(e);
  return e;
}

function place(e, left, top, width, height) {
  for (const [k, v] of Object.entries({ left, top, width, height })) if (v !== undefined) e.style[k] = `${v}mm`;
  return e;
}

function svg(tag, attributes, parent, text) {
  const e = document.createElementNS(SVG, tag);
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  parent.append(e);
  return e;
}

// The day as YYYY-MM-DD in the user's own time zone.
function today() {
  const d = new Date();
  return `${d.getFullYear()}-${String(d.getMonth() + 1).padStart(2, '0')}-${String(d.getDate()).padStart(2, '0')}`;
}

// The curve in kHz over the 32 points, each point's step number under it, the group lines of the
// window's bars; a point outside the curve's range is a cross, never a point of the line.
function drawPlot(cell, sheet, curve, width, height) {
  const [min, max, stepKHz] = sheet.axis;
  const plot = svg('svg', { class: 'sheet-plot', viewBox: `0 0 ${width} ${height}` }, cell);
  place(plot, 0, 0, width, height);
  const area = { x: PAGE.axisLeft, y: PAGE.plotTitle, w: width - PAGE.axisLeft - 2, h: height - PAGE.plotTitle - PAGE.axisBottom };
  const x = (k) => area.x + (k + 0.5) * area.w / 32;
  const y = (khz) => area.y + area.h - (khz - min) / (max - min) * area.h;
  svg('text', { x: area.x, y: area.y - 1.2, class: 'sheet-plot-title', 'font-size': 7 * PT }, plot, sheet.plotTitle);
  for (let khz = min + 1; khz < max; khz += stepKHz) {
    svg('line', { x1: area.x, x2: area.x + area.w, y1: y(khz), y2: y(khz), class: 'sheet-grid' }, plot);
    svg('text', { x: area.x - 1, y: y(khz) + 0.8, 'text-anchor': 'end', 'font-size': 6.5 * PT, class: 'sheet-tick' }, plot, `${khz}`);
  }
  for (const group of [8, 16, 24]) {
    const gx = (x(group - 1) + x(group)) / 2;
    svg('line', { x1: gx, x2: gx, y1: area.y, y2: area.y + area.h, class: 'sheet-grid' }, plot);
  }
  curve.forEach((p, k) => {
    svg('text', { x: x(k), y: area.y + area.h + 2.6, 'text-anchor': 'middle', 'font-size': 5 * PT, class: 'sheet-step' }, plot, p.step);
  });
  for (const n of [1, 8, 16, 24, 32]) {
    svg('text', { x: x(n - 1), y: area.y + area.h + PAGE.stepRow + 3.4, 'text-anchor': 'middle', 'font-size': 6.5 * PT, class: 'sheet-tick' }, plot, `${n}`);
  }
  svg('rect', { x: area.x, y: area.y, width: area.w, height: area.h, class: 'sheet-frame' }, plot);
  let run = [];
  const endRun = () => {
    if (run.length > 1) svg('polyline', { points: run.join(' '), class: 'sheet-curve' }, plot);
    run = [];
  };
  curve.forEach((p, k) => {
    const at = [x(k), y(p.hz / 1000)];
    if (p.outside) {
      endRun();
      const r = 0.9;
      svg('path', { d: `M${at[0] - r} ${at[1] - r}l${2 * r} ${2 * r}m0 ${-2 * r}l${-2 * r} ${2 * r}`, class: 'sheet-outside' }, plot);
    } else {
      run.push(at.join(','));
    }
  });
  endRun();
  curve.forEach((p, k) => { if (!p.outside) svg('circle', { cx: x(k), cy: y(p.hz / 1000), r: 0.6, class: 'sheet-point' }, plot); });
}

export class SheetView {
  #core; #texts; #language; #title; #root;

  // title: the name of the settings file in use, '' for none.
  constructor(core, texts, language, title) {
    this.#core = core;
    this.#texts = texts;
    this.#language = language;
    this.#title = title;
    this.#root = Object.assign(document.createElement('div'), { id: 'SheetView', hidden: true });
    document.body.append(this.#root);
  }

  get root() { return this.#root; }

  // The sheet of the bank as it stands, laid out on its pages.
  build() {
    const sheet = this.#core.sheet(this.#title(), today());
    const root = this.#root;
    root.replaceChildren();
    root.hidden = false;
    const pages = [this.#page(sheet.title)];
    place(el('div', 'sheet-subtitle', sheet.subtitle, pages[0]), PAGE.margin + 190 * 0.6, PAGE.margin, 190 * 0.4, PAGE.title);
    const memos = sheet.models.map((m, i) => this.#model(pages[0], sheet, m, i));
    // What a memo box cannot hold goes on on further pages; its last line that fits says so.
    const rest = [];
    memos.forEach((box, i) => {
      const lines = [...box.children];
      const room = box.clientHeight;
      if (!lines.length || lines.at(-1).offsetTop + lines.at(-1).offsetHeight <= room) return;
      const lineHeight = lines[0].offsetHeight;
      let shown = lines.findIndex((l) => l.offsetTop + l.offsetHeight > room - lineHeight);
      shown = Math.max(0, shown);
      rest.push({ model: sheet.models[i].name, lines: lines.slice(shown) });
      lines.slice(shown).forEach((l) => l.remove());
      el('div', 'sheet-memo-more', `\u2026 ${sheet.memoContinued}`, box);
    });
    if (rest.length) this.#continue(sheet, rest, pages);
    pages.forEach((page, k) => {
      const foot = place(el('div', 'sheet-foot', undefined, page), PAGE.margin, FOOT_TOP, 190, 4);
      el('span', 'sheet-made', sheet.made, foot);
      el('span', 'sheet-page-number', this.#core.message(this.#texts.msg.SheetPageNumber, this.#language, k + 1, pages.length), foot);
    });
  }

  clear() {
    this.#root.replaceChildren();
    this.#root.hidden = true;
  }

  #page(title) {
    const page = el('div', 'sheet-page', undefined, this.#root);
    place(el('div', 'sheet-title', title, page), PAGE.margin, PAGE.margin, 190 * 0.6, PAGE.title);
    return page;
  }

  // One model's box on the first page; returns its memo box, one element a line.
  #model(page, sheet, m, i) {
    const box = place(el('section', `sheet-model${m.current ? ' current' : ''}`, undefined, page),
      PAGE.margin, BOXES_TOP + i * (BOX_HEIGHT + PAGE.boxGap), 190, BOX_HEIGHT);
    const header = el('div', 'sheet-header', undefined, box);
    el('span', 'sheet-name', m.name, header);
    if (m.current) el('span', 'sheet-mark', sheet.currentMark, header);
    const left = place(el('div', 'sheet-left', undefined, box), PAGE.pad, PAGE.header + 1.5, PAGE.left, BOX_HEIGHT - PAGE.header - 3.5);
    for (const s of m.settings) {
      const row = el('div', 'sheet-row', undefined, left);
      el('span', 'sheet-label', s.label, row);
      el('span', `sheet-value${s.outside ? ' outside' : ''}`, s.value, row);
    }
    el('div', 'sheet-memo-label', sheet.memoLabel, left);
    const memo = el('div', 'sheet-memo', undefined, left);
    const text = m.memo.endsWith('\n') ? m.memo.slice(0, -1) : m.memo;
    if (m.memo) for (const line of text.split('\n')) el('div', 'sheet-line', line, memo);
    const plotLeft = PAGE.pad + PAGE.left + PAGE.columnGap;
    const plotWidth = 190 - PAGE.pad - plotLeft;
    const cell = place(el('div', 'sheet-plot-cell', undefined, box), plotLeft, PAGE.header + 1.5, plotWidth, BOX_HEIGHT - PAGE.header - 3.5);
    drawPlot(cell, sheet, m.curve, plotWidth, BOX_HEIGHT - PAGE.header - 3.5);
    return memo;
  }

  // The lines the memo boxes could not hold, model by model, in columns as wide as the memo boxes
  // across the page's full width, on as many pages as they need; a column that goes on with a
  // model starts with its name.
  #continue(sheet, rest, pages) {
    const columns = Math.max(1, Math.floor((190 + PAGE.columnGap) / (PAGE.left + PAGE.columnGap)));
    const width = (190 - (columns - 1) * PAGE.columnGap) / columns;
    const bottom = FOOT_TOP - BOXES_TOP;
    // Measured once in a column of the right width; placed by those heights.
    const measure = place(el('div', 'sheet-column', undefined, this.#root), 0, 0, width);
    for (const r of rest) measure.append(...r.lines);
    const heights = new Map(rest.flatMap((r) => r.lines.map((l) => [l, l.offsetHeight / PX_PER_MM])));
    measure.remove();
    let column = null, y = bottom, index = columns;
    const next = () => {
      if (++index >= columns) {
        index = 0;
        pages.push(this.#page(`${sheet.title} \u2014 ${sheet.memoContinued}`));
      }
      column = place(el('div', 'sheet-column', undefined, pages.at(-1)), PAGE.margin + index * (width + PAGE.columnGap), BOXES_TOP, width, bottom);
      y = 0;
    };
    const heading = (name) => { el('div', 'sheet-heading', name, column); y += PAGE.header; };
    for (const r of rest) {
      if (y + PAGE.header + heights.get(r.lines[0]) > bottom) next();
      heading(r.model);
      for (const line of r.lines) {
        if (y + heights.get(line) > bottom) { next(); heading(r.model); }
        column.append(line);
        y += heights.get(line);
      }
      el('div', 'sheet-gap', undefined, column);
      y += 3;
    }
  }
}

// The two buttons and the browser's print: the sheet is made before the page is printed and gone
// afterwards. The title of the document names the PDF the browser suggests.
export function wireSheet(core, texts, language, fileName) {
  const view = new SheetView(core, texts, language, fileName);
  let caption = null;
  window.addEventListener('beforeprint', () => {
    view.build();
    caption = document.title;
    const name = fileName().replace(/\.[^.]*$/, '');
    if (name) document.title = name;
  });
  window.addEventListener('afterprint', () => {
    view.clear();
    if (caption !== null) document.title = caption;
    caption = null;
  });
  for (const [id, text] of [['PRINT_BTN', texts.printSheet], ['PDF_BTN', texts.saveSheetPdf]]) {
    const button = document.getElementById(id);
    button.textContent = text;
    button.addEventListener('click', () => { if (!core.busy && !document.querySelector('dialog[open]')) window.print(); });
  }
  return view;
}
