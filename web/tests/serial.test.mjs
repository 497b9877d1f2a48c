// Ports over the Web Serial double: choosing, refusals, remembering, and the line module against
// vxr-sim on its pseudo-terminal.
import assert from 'node:assert/strict';
import { Simulator } from './serial-double.mjs';

const FTDI = { usbVendorId: 0x0403, usbProductId: 0x6001 };
const LINE = { baudRate: 1200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' };

async function startSim(env, args) {
  const sim = await Simulator.start(env.sim, args);
  env.defer(() => sim.stop());
  return sim;
}

// Opens a line on the first granted port inside the page, bypassing the port list, and runs body
// (a function of the line, run in the page) on it.
async function lineScript(page, body) {
  const line = await page.evaluateHandle(async () => {
    const { WebSerialLine } = await import('./serial.js');
    const [port] = await navigator.serial.getPorts();
    const opened = new WebSerialLine(port);
    await opened.open();
    return opened;
  });
  try {
    return await line.evaluate(body);
  } finally {
    await line.evaluate((l) => l.close());
  }
}

export const tests = {
  async 'a chosen port opens at 1200 8N1 and says OK; the choice is opened again at the next start'(env) {
    const sim = await startSim(env, []);
    const view = await env.harness.open({ query: '?lang=en', ports: [FTDI], backends: [sim] });
    env.defer(() => view.close());
    assert.equal((await view.message()).text, 'No Connection');
    await view.answer('OK');
    assert.deepEqual(await view.page.$$eval('#CommPort option', (os) => os.map((o) => o.textContent)),
      ['OFF', 'COM1  USB 0403:6001', 'COM2  Demo controller', 'Choose another port…']);
    await view.page.selectOption('#CommPort', '1');
    assert.deepEqual(await view.message(), { caption: 'Information', text: 'COM1 OK', buttons: ['OK'] });
    await view.screenshot('port-ok');
    await view.answer('OK');
    assert.deepEqual(view.relay.opens, [{ id: 0, options: LINE }]);

    await view.page.reload();
    assert.equal((await view.message()).text, 'COM1 OK');
    await view.answer('OK');
    assert.equal(await view.page.inputValue('#CommPort'), '1');
    await view.page.selectOption('#CommPort', '0');
    assert.equal((await view.message()).text, 'No Connection');
    await view.answer('OK');
  },

  async 'a port that cannot be opened is reported with the browser\'s reason in the page\'s language and what to do on this system'(env) {
    const LINUX = {
      en: 'On Linux, add yourself to the dialout group (sudo usermod -aG dialout $USER) and log in again. A Chromium installed as a snap also needs: sudo snap connect chromium:raw-usb.',
      ja: 'Linux では、ユーザーを dialout グループに加えて（sudo usermod -aG dialout $USER）ログインし直してください。snap の Chromium には sudo snap connect chromium:raw-usb も必要です。',
    };
    for (const [lang, name, message, cause] of [
      ['en', 'NetworkError', 'Failed to open serial port.', 'The system could not open the device: it is in use by another program, or you may not use it.'],
      ['ja', 'NetworkError', 'Failed to open serial port.', 'システムがデバイスを開けませんでした。他のプログラムが使用中か、使用を許されていません。'],
      ['en', 'InvalidStateError', 'The port is already open.', 'The device is in use by this page or another tab.'],
      ['en', 'NotFoundError', 'The device has been lost.', 'No such device: USB 0403:6001 (unplugged?)'],
      ['ja', 'SecurityError', 'Access denied.', 'ブラウザがこのページにデバイスの使用を許していません。'],
      ['en', 'UnknownError', 'Something odd.', 'Cannot open USB 0403:6001: Something odd.'],
    ]) {
      const view = await env.harness.open({ query: `?lang=${lang}`, ports: [FTDI], backends: [{ error: { name, message } }] });
      env.defer(() => view.close());
      await view.answer('OK');
      await view.page.selectOption('#CommPort', '1');
      const m = await view.message();
      assert.equal(m.text, `${lang === 'en' ? 'COM1 dose not exist' : 'COM1は使用できません'}\n${cause}\n${LINUX[lang]}`, name);
      assert.equal(m.caption, lang === 'en' ? 'Error' : 'エラー');
      await view.screenshot(`port-refused-${name}-${lang}`);
      await view.answer('OK');
    }
  },

  async '"No port?" says what to do on this browser and system, and on no other'(env) {
    const UA = {
      windows: 'Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/140.0.0.0 Safari/537.36',
      mac: 'Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/140.0.0.0 Safari/537.36',
      android: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/140.0.0.0 Mobile Safari/537.36',
    };
    const NO_API = () => { delete Navigator.prototype.serial; delete Navigator.prototype.usb; };
    for (const [system, lang, userAgent, init, advice] of [
      ['windows', 'en', UA.windows, null, /^On Windows, install the driver from the adapter's maker \(FTDI, CH340, CP210x, PL2303\)\. [^\n]*Device Manager[^\n]*$/],
      ['mac', 'en', UA.mac, null, /^On macOS, CH340 and PL2303 adapters need their maker's driver\.[^\n]*$/],
      ['android', 'ja', UA.android, null, /^Android では、アダプタを USB OTG アダプタ[^\n]*「USBアダプタを選ぶ…」[^\n]*$/],
      ['linux', 'en', undefined, null, /^On Linux, add yourself to the dialout group [^\n]*raw-usb\.$/],
      ['no-api', 'en', undefined, NO_API, /^This browser has no serial ports \(neither Web Serial nor WebUSB\): [^\n]*Firefox 151 [^\n]*Chrome on Android\.$/],
    ]) {
      const view = await env.harness.open({ query: `?lang=${lang}`, userAgent, init });
      env.defer(() => view.close());
      await view.answer('OK');
      await view.page.selectOption('#CommPort', 'help');
      const m = await view.message();
      assert.match(m.text, advice, system);
      assert.equal(m.caption, lang === 'en' ? 'Information' : '情報');
      await view.screenshot(`no-port-${system}-${lang}`);
      await view.answer('OK');
      assert.equal(await view.page.inputValue('#CommPort'), '0', 'the port stays as it was');
    }
  },

  async 'the entry for another port asks the browser, and a refusal leaves the list as it was'(env) {
    const sim = await startSim(env, []);
    const asked = await env.harness.open({ query: '?lang=en', request: FTDI, backends: [sim] });
    env.defer(() => asked.close());
    await asked.answer('OK');
    await asked.page.selectOption('#CommPort', 'request');
    assert.equal((await asked.message()).text, 'COM1 OK');
    await asked.answer('OK');
    assert.equal(await asked.page.inputValue('#CommPort'), '1');

    const refused = await env.harness.open({ query: '?lang=en' });
    env.defer(() => refused.close());
    await refused.answer('OK');
    await refused.page.selectOption('#CommPort', 'request');
    await refused.page.waitForFunction(() => document.getElementById('CommPort').value === '0');
    assert.equal(await refused.page.locator('#MessageBox[open]').count(), 0);
  },

  async 'a browser without Web Serial or WebUSB, or one that refuses or never gives its ports, still offers OFF and the demonstration controller'(env) {
    const NOTE = { en: 'This browser has no serial ports (neither Web Serial nor WebUSB): open the page in Chrome, Edge, Opera or Firefox 151 and later on a computer, or in Chrome on Android.',
      ja: 'このブラウザはシリアルポートを使えません（Web Serial も WebUSB もありません）。パソコンでは Chrome、Edge、Opera、Firefox 151 以降、Android では Chrome で開いてください。' };
    for (const [lang, init, off, ok, read] of [
      ['ja', () => { delete Navigator.prototype.serial; delete Navigator.prototype.usb; }, 'シリアルポートを閉じました', 'COM1設定完了', '読取成功'],
      ['en', () => { navigator.serial.getPorts = () => Promise.reject(new DOMException('Blocked', 'SecurityError')); }, 'No Connection', 'COM1 OK', 'Read successful'],
      ['en', () => { navigator.serial.getPorts = () => new Promise(() => {}); }, 'No Connection', 'COM1 OK', 'Read successful'],
    ]) {
      const view = await env.harness.open({ query: `?lang=${lang}`, init });
      env.defer(() => view.close());
      const p = view.page;
      assert.equal((await view.message()).text, `${off}\n${NOTE[lang]}`, String(init));
      assert.deepEqual(await p.$$eval('#CommPort option', (os) => os.map((o) => o.textContent)),
        ['OFF', `COM1  ${lang === 'en' ? 'Demo controller' : 'デモ用コントローラ'}`, lang === 'en' ? 'No port?' : 'ポートがない？']);
      await view.answer('OK');
      await p.selectOption('#CommPort', 'demo');
      assert.equal((await view.message()).text, ok);
      await view.answer('OK');
      await p.click('#READ2_BTN');
      assert.equal((await view.message()).text, read);
      await view.answer('OK');
    }
  },

  async 'the line carries the controller\'s reply byte for byte and a read without one ends at its time-out'(env) {
    const sim = await startSim(env, ['--model-number', '80']);
    const view = await env.harness.open({ query: '?lang=en', ports: [FTDI], backends: [sim] });
    env.defer(() => view.close());
    await view.answer('OK');
    const got = await lineScript(view.page, async (line) => {
      await line.write([0xD6]);
      const reply = Array.from(await line.read(3, 7000));
      const t0 = performance.now();
      const none = Array.from(await line.read(1, 300));
      return { reply, none, waited: performance.now() - t0 };
    });
    assert.deepEqual(got.reply, [0xD6, 0x50, 0x50], 'the echo, then the model number twice');
    assert.deepEqual(got.none, []);
    assert.ok(got.waited >= 290, `waited ${got.waited} ms`);
    assert.deepEqual(view.relay.written, [0xD6]);
  },

  async 'a controller unplugged in the middle of a reply ends the wait at once'(env) {
    const sim = await startSim(env, ['--hang-up', 'D6:2']);
    const view = await env.harness.open({ query: '?lang=en', ports: [FTDI], backends: [sim] });
    env.defer(() => view.close());
    await view.answer('OK');
    const got = await lineScript(view.page, async (line) => {
      await line.write([0xD6]);
      const t0 = performance.now();
      try { await line.read(4, 60000); return { error: 'none' }; }
      catch (e) { return { error: e.name, waited: performance.now() - t0, gone: line.gone }; }
    });
    assert.equal(got.error, 'LineGoneError');
    assert.equal(got.gone, true);
    assert.ok(got.waited < 30000, `waited ${got.waited} ms`);
  },
};
