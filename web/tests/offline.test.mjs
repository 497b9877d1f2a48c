// The page without a server: the single file from file://, the served page again offline through
// its service worker, and the size of both.
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { compressedSizes, SIZE_BUDGET } from '../tools/bundle.mjs';

export const tests = {
  async 'the single file works from file:// in both languages, its port list included'({ harness, bundleDir, defer }) {
    const url = pathToFileURL(join(bundleDir, 'vxrmgr.html')).href;
    for (const [query, text, label] of [['?lang=ja', 'シリアルポートを閉じました', '出力周波数'], ['?lang=en', 'No Connection', 'DriveFreq']]) {
      const view = await harness.open({ url: url + query, ports: [{ usbVendorId: 0x0403, usbProductId: 0x6001 }],
        backends: [{ error: { name: 'NetworkError', message: 'Failed to open serial port.' } }] });
      defer(() => view.close());
      assert.equal((await view.message()).text, text);
      await view.answer('OK');
      assert.equal(await view.page.textContent('#Label18'), label);
      await view.page.selectOption('#CommPort', '1');
      assert.match((await view.message()).text, /^COM1/);
      await view.answer('OK');
      await view.screenshot(`single-file-${query.slice(-2)}`);
    }
  },

  async 'the served page starts again offline from what its service worker kept'({ harness, defer }) {
    const view = await harness.open({ query: '?lang=en' });
    defer(() => view.close());
    await view.answer('OK');
    await view.page.evaluate(() => navigator.serviceWorker.ready);
    await view.context.setOffline(true);
    await view.page.reload();
    await view.page.waitForSelector('html[data-state="started"]');
    assert.equal((await view.message()).text, 'No Connection');
    await view.answer('OK');
    assert.equal(await view.page.textContent('#Label1'), 'AutomaticBrake');
    assert.ok(await view.page.evaluate(() => navigator.serviceWorker.controller !== null), 'served by the service worker');
    const manifest = await view.page.evaluate(async () => (await fetch(document.querySelector('link[rel=manifest]').href)).json());
    assert.equal(manifest.display, 'standalone');
  },

  async 'the core loads where the browser cannot compile it early or instantiate it at once'({ harness, defer }) {
    const cases = {
      'no streaming compile': () => { delete WebAssembly.compileStreaming; },
      'the early compile refused': () => { WebAssembly.compileStreaming = () => Promise.reject(new TypeError('wrong MIME type')); },
      'no synchronous instance': () => { WebAssembly.Instance = function () { throw new RangeError('not on the main thread'); }; },
    };
    for (const [name, init] of Object.entries(cases)) {
      const view = await harness.open({ query: '?lang=en', init });
      defer(() => view.close());
      assert.equal(await view.page.getAttribute('html', 'data-state'), 'started', name);
      assert.equal((await view.message()).text, 'No Connection', name);
      await view.answer('OK');
      assert.equal(await view.page.textContent('#Label1'), 'AutomaticBrake', name);
    }
  },

  async 'the served files and the single file each stay within 600 KB compressed'({ bundleDir }) {
    const { files, served, single } = compressedSizes(bundleDir);
    assert.ok(files.some((f) => /^vxrcore-\w+\.wasm$/.test(f)) && files.includes('index.html'), files.join(' '));
    assert.ok(served <= SIZE_BUDGET, `served page: ${served} bytes compressed`);
    assert.ok(single <= SIZE_BUDGET, `single file: ${single} bytes compressed`);
  },
};
