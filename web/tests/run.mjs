// Runs the browser tests against the built page (scripts/web.sh --build-only) and vxr-sim.
//   node web/tests/run.mjs [--page build-web] [--bundle build-web-bundle] [--sim build/bin/vxr-sim]
//                          [--browser chromium|firefox] [name filter]
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
const browser = arg('--browser', 'chromium');
const filter = process.argv.slice(2).find((a, i, all) => !a.startsWith('--') && !['--page', '--sim', '--bundle', '--browser'].includes(all[i - 1]));
const TIMEOUT_MS = 60_000;

const server = await serve(root, 0);
const harness = await Harness.launch(`http://127.0.0.1:${server.address().port}/`, join(root, 'screens', browser), browser, server);
const cli = join(dirname(sim), 'vxrmgr-cli');
const env = { harness, sim, cli, root, bundleDir };
let failed = 0, ran = 0, skipped = 0;
for (const [name, fn] of Object.entries({ ...pageTests, ...serialTests, ...offlineTests, ...transferTests, ...editorTests, ...fileTests, ...usbTests, ...touchTests, ...serveTests, ...loadTests, ...historyTests, ...sheetTests })) {
  if (filter && !name.includes(filter)) continue;
  ++ran;
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
    ++skipped;
    console.log(`skip  ${name} (in ${browser}: ${error.message})`);
  } else if (error) {
    ++failed;
    console.log(`FAIL  ${name}\n${error.stack ?? error}`);
  } else {
    console.log(`ok    ${name} (${Date.now() - t0} ms)`);
  }
}
await harness.close();
server.close();
console.log(`${ran - failed - skipped} of ${ran} browser tests passed in ${browser}${skipped ? `, ${skipped} skipped` : ''}`);
process.exit(failed || !ran ? 1 : 0);
