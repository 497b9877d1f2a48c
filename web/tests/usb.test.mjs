// USB adapters through WebUSB: each chip family set up by the requests its Linux driver sends,
// then read all and write all byte for byte against vxr-sim (unpaced: the bytes, not their pace, are
// checked); a Bluetooth port and an adapter side by side on Android; an adapter unplugged during a
// transfer.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { alone } from './harness.mjs';
import { Simulator } from './serial-double.mjs';

const run = promisify(execFile);
const LINE = { baudRate: 1200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' };
const NO_WEB_SERIAL = () => { delete Navigator.prototype.serial; };
const ANDROID = 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/140.0.0.0 Mobile Safari/537.36';

const out = (type, request, value, index, data = []) => ({ type, request, value, index, data });
const inn = (type, request, value, index, length) => ({ type, request, value, index, length });
const CODING_1200_8N1 = [0xb0, 0x04, 0x00, 0x00, 0x00, 0x00, 0x08];

// Each family's requests at open, as the Linux usb-serial drivers send them for 1200 bit/s 8N1
// without flow control, DTR and RTS raised.
const FTDI_REQUESTS = [
  out(0x40, 9, 1, 0),            // latency timer 1 ms
  out(0x40, 0, 0, 0),            // reset
  out(0x40, 4, 0x0008, 0),       // 8 bits, no parity, 1 stop bit
  out(0x40, 3, 2500, 0),         // 3 MHz / 2500 = 1200 bit/s
  out(0x40, 2, 0, 0),            // no flow control
  out(0x40, 1, 0x0303, 0),       // DTR and RTS high
];
const CHIPS = [
  { chip: 'ftdi', vendorId: 0x0403, productId: 0x6001, name: 'FT232R 0403:6001', requests: FTDI_REQUESTS },
  { chip: 'ftdi', vendorId: 0x0403, productId: 0x6015, name: 'FT-X 0403:6015', requests: FTDI_REQUESTS },
  { chip: 'ch34x', vendorId: 0x1a86, productId: 0x7523, name: 'CH340 1A86:7523', requests: [
    inn(0xc0, 0x5f, 0, 0, 2),        // version
    out(0x40, 0xa1, 0, 0),           // serial init
    out(0x40, 0x9a, 0x1312, 0xb281), // divisor 78 (0xb2), prescaler 1 at factor 0, no buffering (bit 7)
    out(0x40, 0x9a, 0x2518, 0x00c3), // line control: receive, transmit, 8 bits
    out(0x40, 0xa4, 0x009f, 0),      // DTR and RTS on (active low)
  ] },
  { chip: 'cp210x', vendorId: 0x10c4, productId: 0xea60, name: 'CP210x 10C4:EA60', requests: [
    out(0x41, 0x00, 0x0001, 0),                        // UART enable
    out(0x41, 0x1e, 0, 0, [0xb0, 0x04, 0x00, 0x00]),   // 1200 bit/s
    out(0x41, 0x03, 0x0800, 0),                        // 8 bits, no parity, 1 stop bit
    inn(0xc1, 0x14, 0, 0, 16),                         // flow control as it is
    out(0x41, 0x13, 0, 0, [0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0]),  // every handshake off
    out(0x41, 0x07, 0x0303, 0),                        // DTR and RTS high
  ] },
  { chip: 'pl2303', vendorId: 0x067b, productId: 0x2303, name: 'PL2303 067B:2303', requests: [
    inn(0xc0, 1, 0x8484, 0, 1), out(0x40, 1, 0x0404, 0), inn(0xc0, 1, 0x8484, 0, 1), inn(0xc0, 1, 0x8383, 0, 1),
    inn(0xc0, 1, 0x8484, 0, 1), out(0x40, 1, 0x0404, 1), inn(0xc0, 1, 0x8484, 0, 1), inn(0xc0, 1, 0x8383, 0, 1),
    out(0x40, 1, 0, 1), out(0x40, 1, 1, 0), out(0x40, 1, 2, 0x44),  // the vendor's init, HX
    out(0x40, 1, 8, 0), out(0x40, 1, 9, 0),                         // reset the data pipes
    inn(0xa1, 0x21, 0, 0, 7), out(0x21, 0x20, 0, 0, CODING_1200_8N1),  // line coding
    inn(0xc0, 1, 0x0080, 0, 1), out(0x40, 1, 0, 0x01),                 // flow control bits of register 0 cleared
    out(0x21, 0x22, 0x0003, 0),                                      // DTR and RTS
  ] },
  { chip: 'pl2303', vendorId: 0x067b, productId: 0x23a3, name: 'PL2303G 067B:23A3', requests: [
    out(0x40, 0x80, 0x07, 0x03),                                       // reset both data pipes
    inn(0xa1, 0x21, 0, 0, 7), out(0x21, 0x20, 0, 0, CODING_1200_8N1),  // line coding
    inn(0xc0, 0x81, 0x0a, 0, 1), out(0x40, 0x80, 0x0a, 0x1f),          // flow control register: none
    out(0x21, 0x22, 0x0003, 0),                                      // DTR and RTS
  ] },
  { chip: 'cdcacm', vendorId: 0x2341, productId: 0x0043, name: 'CDC-ACM 2341:0043', requests: [
    out(0x21, 0x22, 0x0003, 0),                 // SET_CONTROL_LINE_STATE: DTR and RTS
    out(0x21, 0x20, 0, 0, CODING_1200_8N1),     // SET_LINE_CODING
  ] },
];

function tempDir(env) {
  const dir = mkdtempSync(join(tmpdir(), 'vxr-usb-'));
  env.defer(() => rmSync(dir, { recursive: true, force: true, maxRetries: 5 }));
  return dir;
}

async function sim(env, dir, name, args = []) {
  const s = await Simulator.start(env.sim, ['--transcript', join(dir, `${name}.frames`), '--state', join(dir, `${name}.state`), ...args]);
  env.defer(() => stopped(s));
  return s;
}

async function stopped(s) {
  if (s.child.exitCode === null) {
    const gone = new Promise((resolve) => s.child.once('exit', resolve));
    s.stop();
    await gone;
  }
}

// The desktop's read all and write all (the command line runs the same operations), once per run.
let desktop = null;
function desktopFrames(env) {
  desktop ??= (async () => {
    const dir = mkdtempSync(join(tmpdir(), 'vxr-usb-cli-'));
    try {
      const [from, to] = [await Simulator.start(env.sim, ['--transcript', join(dir, 'from.frames'), '--model-number', '80']),
        await Simulator.start(env.sim, ['--transcript', join(dir, 'to.frames'), '--state', join(dir, 'to.state')])];
      await run(env.cli, ['read', from.device, join(dir, 'bank.VXS')]);
      await run(env.cli, ['write', to.device, join(dir, 'bank.VXS')]);
      for (const s of [from, to]) await stopped(s);
      const text = (name) => readFileSync(join(dir, name), 'utf8');
      return { from: text('from.frames'), to: text('to.frames'), state: text('to.state') };
    } finally {
      rmSync(dir, { recursive: true, force: true });
    }
  })();
  return desktop;
}

async function choose(view, value, text) {
  await view.page.selectOption('#CommPort', value);
  assert.equal((await view.message()).text, text);
  await view.answer('OK');
}

const takeLog = (page) => page.evaluate(() => window.usbLog.splice(0));

function chipTest(c) {
  return async (env) => {
    const dir = tempDir(env);
    const [from, to] = [await sim(env, dir, 'from', ['--model-number', '80']), await sim(env, dir, 'to')];
    const device = { chip: c.chip, vendorId: c.vendorId, productId: c.productId };
    const view = await env.harness.open({ query: '?lang=en', init: NO_WEB_SERIAL, usb: { devices: [device, device] }, backends: [from, to] });
    env.defer(() => view.close());
    assert.equal((await view.message()).text, 'No Connection', 'the page has ports: no note of a browser without them');
    await view.answer('OK');
    assert.deepEqual(await view.page.$$eval('#CommPort option', (os) => os.map((o) => o.textContent)),
      ['OFF', `COM1  ${c.name}`, `COM2  ${c.name}`, 'COM3  Demo controller', 'Choose a USB adapter…']);
    await choose(view, '1', 'COM1 OK');
    assert.deepEqual(await takeLog(view.page), c.requests);
    await view.page.click('#READ_BTN');
    assert.equal((await view.message()).text, 'Read successful');
    await view.answer('OK');
    await choose(view, '2', 'COM2 OK');
    assert.deepEqual(await takeLog(view.page), c.requests, 'the second device of the same chip likewise');
    await view.page.click('#PROGRAM_BTN');
    assert.equal((await view.message()).text, 'Write successful');
    await view.answer('OK');
    assert.deepEqual(view.relay.opens, [{ id: 0, options: LINE }, { id: 1, options: LINE }], 'the line the chip was given');
    // The second of two alike is the one opened again at the next start.
    await view.page.reload();
    assert.equal((await view.message()).text, 'COM2 OK');
    await view.answer('OK');
    assert.equal(await view.page.inputValue('#CommPort'), '2');

    const cli = await desktopFrames(env);
    for (const s of [from, to]) await stopped(s);
    const text = (name) => readFileSync(join(dir, name), 'utf8');
    assert.equal(text('from.frames'), cli.from);
    assert.equal(text('to.frames'), cli.to);
    assert.equal(text('to.state'), cli.state);
  };
}

export const tests = {
  ...Object.fromEntries(CHIPS.map((c) => [`${c.name.split(' ')[0]} through WebUSB: the Linux driver's requests, then read all and write all byte for byte`, chipTest(c)])),

  async 'on Android a Bluetooth port and USB adapters are listed side by side, each named, and each works'(env) {
    const dir = tempDir(env);
    const [bt, asked] = [await sim(env, dir, 'bt', ['--model-number', '80']), await sim(env, dir, 'asked')];
    const view = await env.harness.open({
      query: '?lang=en', userAgent: ANDROID,
      ports: [{ bluetoothServiceClassId: '00001101-0000-1000-8000-00805f9b34fb' }],
      usb: { devices: [{ chip: 'ch34x', vendorId: 0x1a86, productId: 0x7523 }], request: { chip: 'cp210x', vendorId: 0x10c4, productId: 0xea60 } },
      backends: [bt, { error: { name: 'NetworkError', message: 'Unable to claim interface.' } }, asked],
    });
    env.defer(() => view.close());
    await view.answer('OK');
    assert.deepEqual(await view.page.$$eval('#CommPort option', (os) => os.map((o) => o.textContent)),
      ['OFF', 'COM1  Bluetooth RFCOMM', 'COM2  CH340 1A86:7523', 'COM3  Demo controller', 'Choose another port…', 'Choose a USB adapter…']);
    await choose(view, '1', 'COM1 OK');
    await view.page.click('#READ2_BTN');
    assert.equal((await view.message()).text, 'Read successful');
    await view.answer('OK');
    assert.deepEqual(view.relay.opens, [{ id: 0, options: LINE }]);

    await view.page.selectOption('#CommPort', '2');
    const refused = (await view.message()).text.split('\n');
    assert.equal(refused[0], 'COM2 dose not exist');
    assert.equal(refused[1], 'The system could not open the device: it is in use by another program, or you may not use it.');
    assert.match(refused[2], /^On Android, plug the adapter in through a USB OTG adapter/);
    await view.answer('OK');

    await choose(view, 'request-usb', 'COM3 OK');  // the chooser offers the CP210x: the filters name it
    assert.equal(await view.page.$eval('#CommPort', (s) => s.selectedOptions[0].textContent), 'COM3  CP210x 10C4:EA60');
    await view.page.click('#READ2_BTN');
    assert.equal((await view.message()).text, 'Read successful');
    await view.answer('OK');
  },

  // Timed: the failure at once, not at the reply's time-out.
  'an adapter unplugged during a transfer fails that transfer at once, and the page goes on': alone(async (env) => {
    const dir = tempDir(env);
    const s = await sim(env, dir, 'unplugged', ['--model-number', '80', '--hang-up', 'D2:10']);
    const view = await env.harness.open({ query: '?lang=ja', init: NO_WEB_SERIAL, usb: { devices: [{ chip: 'ftdi', vendorId: 0x0403, productId: 0x6001 }] }, backends: [s] });
    env.defer(() => view.close());
    await view.answer('OK');
    await choose(view, '1', 'COM1設定完了');
    const t0 = Date.now();
    await view.page.click('#READ_BTN');
    assert.equal((await view.message()).text.split('\n')[0], '読取失敗');
    assert.ok(Date.now() - t0 < 6500, `reported after ${Date.now() - t0} ms`);
    await view.answer('OK');
    // The device left the list; the demonstration controller still answers.
    await view.page.waitForFunction(() => ![...document.querySelectorAll('#CommPort option')].some((o) => o.textContent.includes('FT232R')));
    await choose(view, 'demo', 'COM1設定完了');
    await view.page.click('#READ_BTN');
    assert.equal((await view.message()).text, '読取成功');
    await view.answer('OK');
  }),
};
