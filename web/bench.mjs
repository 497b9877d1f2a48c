// The page's figures: read all and write all in the browser against vxr-sim paced at 1200 bit/s,
// as ratios to the line's floor, and the time until the window takes input against a static page
// with the same texts and fonts. Medians of --repeats runs (default 3).
//   node web/bench.mjs [--page build-web] [--sim build/bin/vxr-sim] [--repeats N]
import { writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { serve } from './serve.mjs';
import { Harness } from './tests/harness.mjs';
import { Simulator } from './tests/serial-double.mjs';

const arg = (name, def) => { const i = process.argv.indexOf(name); return i < 0 ? def : process.argv[i + 1]; };
const root = resolve(arg('--page', 'build-web'));
const sim = resolve(arg('--sim', join(process.env.BUILD_DIR ?? 'build', 'bin', 'vxr-sim')));
const repeats = Number(arg('--repeats', '3'));
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
// Reply bytes at 10 bits each at 1200 bit/s plus the transfer's own pauses, as for the desktop.
const FLOOR = { read: (3 + 5 * 50 + 4) * 10 / 1200 + 0.2, write: (3 + 5 * 50 + 5 * 51 + 4) * 10 / 1200 + 0.1 };

const server = await serve(root, 0);
const base = `http://127.0.0.1:${server.address().port}/`;
const harness = await Harness.launch(base, join(root, 'screens'));
const rows = [];

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

const times = { read: [], write: [] };
for (let r = 0; r < repeats; ++r) {
  const s = await Simulator.start(sim);
  const view = await harness.open({ query: '?lang=en', ports: [{ usbVendorId: 1, usbProductId: 1 }], backends: [s] });
  await view.answer('OK');
  await view.page.selectOption('#CommPort', '1');
  await view.answer('OK');
  times.read.push(await transferSeconds(view, 'READ_BTN'));
  await view.answer('OK');
  times.write.push(await transferSeconds(view, 'PROGRAM_BTN'));
  await view.answer('OK');
  await view.close();
  s.stop();
}
for (const k of ['read', 'write']) {
  const m = median(times[k]);
  rows.push([`page: ${k} all, wall time / line floor`, (m / FLOOR[k]).toFixed(4), `${m.toFixed(3)} s against ${FLOOR[k].toFixed(3)} s`, '≤ 1.03']);
}

// Ready for input: the page's start-up state against the load of a static copy of its window.
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
const ready = [], still = [];
for (let r = 0; r < repeats; ++r) {
  const page = await harness.browser.newPage();
  await page.goto(`${base}?lang=en`);
  await page.waitForSelector('html[data-state="started"]');
  ready.push(await page.evaluate(() => performance.getEntriesByName('vxr-ready')[0].startTime));
  await page.goto(`${base}bench-static.html`);
  await page.waitForLoadState('load');
  still.push(await page.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd));
  await page.close();
}
rows.push(['page: ready for input / static page with the same texts', (median(ready) / median(still)).toFixed(2),
  `${median(ready).toFixed(1)} ms against ${median(still).toFixed(1)} ms`, '≤ 2']);
await harness.close();
server.close();
for (const row of rows) console.log(row.join(' | '));
