// Runs the browser tests against the built page (scripts/web.sh --build-only) and vxr-sim.
//   node web/tests/run.mjs [--page build-web] [--bundle build-web-bundle] [--sim build/bin/vxr-sim]
//                          [--browser chromium|firefox|chromium,firefox] [name filter]
// Several browsers run their tests side by side, each line of the output marked with its browser
// (a browser done early starts another instance of the one with the most tests left, to share
// them), except the tests marked alone (the line's timing decides them): those run last, one
// browser after the other, with nothing beside them. Each browser's count ends the output; the
// exit status is 1 when any browser failed a test or ran none.
import { dirname, resolve, join } from 'node:path';
import { serve } from '../tools/serve.mjs';
import { Harness, Skipped } from './harness.mjs';
import { tests as pageTests } from './page.test.mjs';
import { tests as serialTests } from './serial.test.mjs';
import { tests as offlineTests } from './offline.test.mjs';
import { tests as transferTests } from './transfer.test.mjs';
import { tests as editorTests } from './editor.test.mjs';
import { tests as fileTests } from './files.test.mjs';
import { tests as usbTests } from './usb.test.mjs';
import { tests as touchTests } from './touch.test.mjs';
import { tests as serveTests } from './serve.test.mjs';
import { tests as loadTests } from './load.test.mjs';
import { tests as sheetTests } from './sheet.test.mjs';
import { tests as historyTests } from './history.test.mjs';

const arg = (name, def) => { const i = process.argv.indexOf(name); return i < 0 ? def : process.argv[i + 1]; };
const root = resolve(arg('--page', 'build-web'));
const bundleDir = resolve(arg('--bundle', 'build-web-bundle'));
const sim = resolve(arg('--sim', join(process.env.BUILD_DIR ?? 'build', 'bin', 'vxr-sim')));
const browsers = arg('--browser', 'chromium').split(',');
const filter = process.argv.slice(2).find((a, i, all) => !a.startsWith('--') && !['--page', '--sim', '--bundle', '--browser'].includes(all[i - 1]));
// Generous: with two browsers side by side on two cores the longest test took 36 s.
const TIMEOUT_MS = 90_000;

const chosen = Object.entries({ ...pageTests, ...serialTests, ...offlineTests, ...transferTests, ...editorTests, ...fileTests, ...usbTests, ...touchTests, ...serveTests, ...loadTests, ...historyTests, ...sheetTests })
  .filter(([name]) => !filter || name.includes(filter));

// One browser's run: its counts and its queue of tests. An instance of the browser has a server of
// its own, which also carries the sockets of its doubles.
function browserRun(browser) {
  const log = browsers.length > 1 ? (text) => console.log(text.replace(/^/gm, `[${browser}] `)) : console.log;
  const run = { browser, ran: 0, failed: 0, skipped: 0, queue: [] };
  run.launch = async () => {
    const server = await serve(root, 0);
    const harness = await Harness.launch(`http://127.0.0.1:${server.address().port}/`, join(root, 'screens', browser), browser, server, log);
    return { env: { harness, sim, cli: join(dirname(sim), 'vxrmgr-cli'), root, bundleDir, log }, close: async () => { await harness.close(); server.close(); } };
  };
  // Runs the tests of the queue, taking the next until none is left, in one instance.
  run.drain = async ({ env }) => {
    for (let test; (test = run.queue.shift());) {
      const [name, fn] = test;
      ++run.ran;
      const cleanups = [];
      const t0 = Date.now();
      let error = null;
      let timer;
      try {
        await Promise.race([
          fn({ ...env, defer: (f) => cleanups.push(f), skip: (why) => { throw new Skipped(why); } }),
          new Promise((_, reject) => { timer = setTimeout(() => reject(new Error(`timed out after ${TIMEOUT_MS} ms`)), TIMEOUT_MS); }),
        ]);
      } catch (e) {
        error = e;
      }
      clearTimeout(timer);
      // Closing a page reports its page errors, so cleaning up can fail a test too.
      while (cleanups.length) {
        try { await cleanups.pop()(); } catch (e) { error ??= e; }
      }
      if (error instanceof Skipped) {
        ++run.skipped;
        log(`skip  ${name} (in ${browser}: ${error.message})`);
      } else if (error) {
        ++run.failed;
        log(`FAIL  ${name}\n${error.stack ?? error}`);
      } else {
        log(`ok    ${name} (${Date.now() - t0} ms)`);
      }
    }
  };
  return run;
}

const runs = browsers.map(browserRun);
const first = await Promise.all(runs.map((run) => run.launch()));
// Side by side, each browser its tests not marked alone. A browser done with them lends its place
// to the browser with the most tests left, which starts another instance to share its queue.
for (const run of runs) run.queue = chosen.filter(([, fn]) => !fn.alone);
await Promise.all(runs.map(async (run, i) => {
  await run.drain(first[i]);
  const busiest = runs.reduce((a, b) => (b.queue.length > a.queue.length ? b : a));
  if (busiest.queue.length > 1) {
    const helper = await busiest.launch();
    await busiest.drain(helper);
    await helper.close();
  }
}));
// Then the tests marked alone, one browser after the other, in their first instances.
for (const [i, run] of runs.entries()) {
  run.queue = chosen.filter(([, fn]) => fn.alone);
  await run.drain(first[i]);
}
for (const instance of first) await instance.close();
for (const { browser, ran, failed, skipped } of runs) {
  console.log(`${ran - failed - skipped} of ${ran} browser tests passed in ${browser}${skipped ? `, ${skipped} skipped` : ''}`);
}
process.exit(runs.some(({ ran, failed }) => failed || !ran) ? 1 : 0);
