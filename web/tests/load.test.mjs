// How the page starts from its files: without JavaScript or without its core it says so, its
// Content-Security-Policy admits only its own code, and the single file asks for nothing.
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const FAULT_TEXTS = {
  noScript: ['このページには JavaScript が必要です', 'This page needs JavaScript'],
  failed: ['このページを開始できませんでした', 'This page could not start'],
};

// A page of a context of its own, without the serial double; errors collected, not failing.
async function bare(env, url, { javaScriptEnabled = true, init = null, route = null } = {}) {
  const context = await env.harness.browser.newContext({ javaScriptEnabled });
  env.defer(() => context.close());
  if (route) await context.route(...route);
  if (init) await context.addInitScript(init);
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(url);
  return { page, errors };
}

// The visible text of the page, and whether the window shows.
async function seen(page) {
  return page.evaluate(() => ({
    text: document.body.innerText,
    window: getComputedStyle(document.getElementById('MainForm')).display !== 'none',
  }));
}

export const tests = {
  async 'without JavaScript, or when the core cannot load, the page says so in both languages'(env) {
    const { harness, bundleDir } = env;
    const single = pathToFileURL(join(bundleDir, 'vxrmgr.html')).href;
    for (const url of [harness.baseUrl, single]) {
      const { page } = await bare(env, url, { javaScriptEnabled: false });
      const { text, window } = await seen(page);
      for (const t of FAULT_TEXTS.noScript) assert.ok(text.includes(t), `${url}: ${text}`);
      assert.ok(!text.includes(FAULT_TEXTS.failed[1]), url);
      assert.equal(window, false, url);
    }
    // A host that lost the core's WebAssembly; a browser without WebAssembly opening the single file.
    const cases = [[harness.baseUrl, { route: ['**/*.wasm', (r) => r.fulfill({ status: 404 })] }],
      [single, { init: () => { delete globalThis.WebAssembly; } }]];
    for (const [url, options] of cases) {
      const { page, errors } = await bare(env, url, options);
      await page.waitForSelector('html[data-state="failed"]');
      const { text, window } = await seen(page);
      for (const t of FAULT_TEXTS.failed) assert.ok(text.includes(t), `${url}: ${text}`);
      assert.ok(!text.includes(FAULT_TEXTS.noScript[1]), url);
      assert.equal(window, false, url);
      assert.ok(errors.length > 0, 'the failure still reaches the console');
    }
  },
};
