// The page's figures: read all and write all in the browser against vxr-sim paced at 1200 bit/s,
// as ratios to the line's floor, over the Web Serial double and over the WebUSB double of each
// chip family; the time until the window takes input against a static page with the same texts
// and fonts, on the desktop and at phone size with the CPU slowed four times; the served files
// and the single file, compressed as a web host sends them. Medians of --repeats runs (default 3; the start-up, which varies more, 3 times as
// many, and slowed 5 times as many). --strict: exit 1 when a figure misses its goal. --again: the
// figures that missed their goals are measured once more, those rows only, and the second
// measurement decides (a busy machine slows one figure, seldom the same one twice).
//   node web/tools/bench.mjs [--page build-web] [--bundle build-web-bundle] [--sim build/bin/vxr-sim] [--repeats N]
//                      [--strict] [--again]
import { writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { compressedSizes, SIZE_BUDGET } from './bundle.mjs';
import { serve } from './serve.mjs';
import { Harness } from '../tests/harness.mjs';
import { Simulator } from '../tests/serial-double.mjs';

const arg = (name, def) => { const i = process.argv.indexOf(name); return i < 0 ? def : process.argv[i + 1]; };
const root = resolve(arg('--page', 'build-web'));
const bundleDir = resolve(arg('--bundle', 'build-web-bundle'));
const sim = resolve(arg('--sim', join(process.env.BUILD_DIR ?? 'build', 'bin', 'vxr-sim')));
const repeats = Number(arg('--repeats', '3'));
const strict = process.argv.includes('--strict');
const again = process.argv.includes('--again');
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
// Reply bytes at 10 bits each at 1200 bit/s plus the transfer's own pauses, as for the desktop.
const FLOOR = { read: (3 + 5 * 50 + 4) * 10 / 1200 + 0.2, write: (3 + 5 * 50 + 5 * 51 + 4) * 10 / 1200 + 0.1 };

const server = await serve(root, 0);
const base = `http://127.0.0.1:${server.address().port}/`;
const harness = await Harness.launch(base, join(root, 'screens'), 'chromium', server);

// From the click to the result's message, timed inside the page.
async function transferSeconds(view, button) {
  return view.page.evaluate((id) => new Promise((done) => {
    const box = document.getElementById('MessageBox');
    const t0 = performance.now();
    new MutationObserver((_, o) => { if (box.open) { o.disconnect(); done((performance.now() - t0) / 1000); } })
      .observe(box, { attributes: true, attributeFilter: ['open'] });
    document.getElementById(id).click();
  }), button);
}

// The median read all and write all of --repeats runs over one port the harness gives: two rows,
// or only those named in wanted (the write follows a read all the same, which reads the bank).
async function transfers(label, portOptions, wanted = null) {
  const name = (k) => `page${label}: ${k} all, wall time / line floor`;
  const kinds = ['read', 'write'].filter((k) => !wanted || wanted.has(name(k)));
  const rows = [];
  const times = { read: [], write: [] };
  for (let r = 0; r < repeats; ++r) {
    const s = await Simulator.start(sim, [], { paced: true });
    const view = await harness.open({ query: '?lang=en', ...portOptions, backends: [s] });
    await view.answer('OK');
    await view.page.selectOption('#CommPort', '1');
    await view.answer('OK');
    times.read.push(await transferSeconds(view, 'READ_BTN'));
    await view.answer('OK');
    if (kinds.includes('write')) {
      times.write.push(await transferSeconds(view, 'PROGRAM_BTN'));
      await view.answer('OK');
    }
    await view.close();
    s.stop();
  }
  for (const k of kinds) {
    const m = median(times[k]);
    rows.push([name(k), (m / FLOOR[k]).toFixed(4), `${m.toFixed(3)} s against ${FLOOR[k].toFixed(3)} s`, '≤ 1.03', m / FLOOR[k] <= 1.03]);
  }
  return rows;
}

// Ready for input: the page's start-up state against the load of a static copy of its window,
// written once.
let staticCopy = null;
async function writeStaticCopy() {
  const view = await harness.open({ query: '?lang=en' });
  await view.answer('OK');
  const copy = await view.page.evaluate(() => {
    const doc = document.documentElement.cloneNode(true);
    doc.querySelectorAll('script, link[rel=manifest], dialog').forEach((e) => e.remove());
    doc.querySelector('#MainForm').setAttribute('aria-busy', 'false');
    return `<!doctype html>${doc.outerHTML}`;
  });
  await view.close();
  writeFileSync(join(root, 'bench-static.html'), copy);
}
// The page counts from the moment it takes input (its window wired and shown); the static page
// from the moment Chromium shows it, its first paint. The page's own first paint, a frame or so
// after it takes input, is printed beside.
const firstPaint = (page) => page.evaluate(() => new Promise((resolve) => {
  const seen = () => performance.getEntriesByName('first-contentful-paint')[0];
  if (seen()) { resolve(seen().startTime); return; }
  new PerformanceObserver((_, o) => { if (seen()) { o.disconnect(); resolve(seen().startTime); } }).observe({ type: 'paint', buffered: true });
}));
// Both pages in the same tabs, in this viewport, with the CPU slowed by this factor (Chromium's
// throttling). A tab's first load after its warm-up is slower than its second, whichever page it
// is (most of all when slowed), so each page is loaded first every other time and compared with
// the other at the same place: the figure is the geometric mean of the two places' ratios of
// medians. A ratio of medians over both places would depend on which page had one more first
// load, and with the two places' times apart its median jumped from one run to the next.
async function startUp(label, viewport, slowdown, loads, gated = true) {
  staticCopy ??= writeStaticCopy();
  await staticCopy;
  const ready = [[], []], shown = [], still = [[], []];
  const pageReady = async (page, place) => {
    await page.goto(`${base}?lang=en`);
    await page.waitForSelector('html[data-state="started"]', { timeout: 120_000 });
    ready[place].push(await page.evaluate(() => performance.getEntriesByName('vxr-ready')[0].startTime));
    shown.push(await firstPaint(page));
  };
  const staticLoaded = async (page, into) => {
    await page.goto(`${base}bench-static.html`);
    await page.waitForLoadState('load');
    into.push(await firstPaint(page));
  };
  for (let r = 0; r < loads; ++r) {
    // A first visit has no service worker while it starts (the page registers it once started), and
    // a later one would serve the static copy too: none in these tabs.
    const page = await harness.browser.newPage({ serviceWorkers: 'block', ...(viewport ? { viewport, hasTouch: true } : {}) });
    if (slowdown > 1) await (await page.context().newCDPSession(page)).send('Emulation.setCPUThrottlingRate', { rate: slowdown });
    // A tab's first load also starts the renderer (over 100 ms here): counted in neither figure.
    await staticLoaded(page, []);
    if (r % 2) { await pageReady(page, 0); await staticLoaded(page, still[1]); } else { await staticLoaded(page, still[0]); await pageReady(page, 1); }
    await page.close();
  }
  const at = [0, 1].map((place) => ({ ready: median(ready[place]), still: median(still[place]) }));
  const ratio = Math.sqrt(at.reduce((product, m) => product * m.ready / m.still, 1));
  return [[`page${label}: ready for input / static page with the same texts shown`, ratio.toFixed(2),
    `${at.map((m) => `${m.ready.toFixed(1)} ms against ${m.still.toFixed(1)} ms`).join(' loaded first, ')} second`
      + ` (its first paint ${median(shown).toFixed(1)} ms)`, '≤ 2', ratio <= 2, gated]];
}

function sizes() {
  const { served, single } = compressedSizes(bundleDir);
  return [['page: served files, gzip', served], ['page: single file vxrmgr.html, gzip', single]]
    .map(([name, bytes]) => [name, `${(bytes / 1024).toFixed(1)} KB`, `${bytes} bytes`, '≤ 600 KB', bytes <= SIZE_BUDGET]);
}

// The measurements in the order their rows are printed; each is given the names of the rows
// wanted (all when none are named) and may skip the work of the others.
const noWebSerial = () => { delete Navigator.prototype.serial; };
const figures = [
  (wanted) => transfers('', { ports: [{ usbVendorId: 1, usbProductId: 1 }] }, wanted),
  ...[['FT232R', 'ftdi', 0x0403, 0x6001], ['CH340', 'ch34x', 0x1a86, 0x7523], ['CP210x', 'cp210x', 0x10c4, 0xea60],
    ['PL2303', 'pl2303', 0x067b, 0x2303], ['CDC-ACM', 'cdcacm', 0x2341, 0x0043]].map(([name, chip, vendorId, productId]) =>
    (wanted) => transfers(` over WebUSB (${name})`, { init: noWebSerial, usb: { devices: [{ chip, vendorId, productId }] } }, wanted)),
  () => startUp('', null, 1, 3 * repeats),
  // Slowed, a load's time varies most: five times as many. It is printed against its goal but does
  // not fail --strict: on a 2-core machine the same build gives 1.2 to 2.0 from one run to the next.
  () => startUp(' at 390×844, CPU slowed 4×', { width: 390, height: 844 }, 4, 5 * repeats, false),
  sizes,
];

const missed = ([, , , , met, gated = true]) => gated && !met;
const print = (rows) => {
  for (const [name, value, detail, goal, met, gated = true] of rows) {
    console.log([name, value, detail, goal, met ? 'met' : gated ? 'MISSED' : 'missed (printed only)'].join(' | '));
  }
};
const firstRows = [];
for (const measure of figures) firstRows.push(await measure());
let rows = firstRows.flat();
print(rows);
if (again && rows.some(missed)) {
  const wanted = new Set(rows.filter(missed).map(([name]) => name));
  console.log(`(a goal was missed: measured once more: ${[...wanted].join('; ')})`);
  rows = [];
  for (const [i, measure] of figures.entries()) {
    if (firstRows[i].some(([name]) => wanted.has(name))) rows.push(...(await measure(wanted)).filter(([name]) => wanted.has(name)));
  }
  print(rows);
}
await harness.close();
server.close();
if (strict && rows.some(missed)) process.exit(1);
