// The browser-test harness: Debian's chromium through playwright-core, one fresh context per test,
// the page served from the built folder, and every pageerror a failure.
import { chromium } from 'playwright-core';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { installSerialDouble, SerialRelay } from './serial-double.mjs';
import { installUsbDouble } from './usb-double.mjs';

export const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export class Harness {
  constructor(browser, baseUrl, screens) { this.browser = browser; this.baseUrl = baseUrl; this.screens = screens; }

  // A browser without a profile of its own: playwright gives each launch a fresh --user-data-dir.
  static async launch(baseUrl, screens) {
    mkdirSync(screens, { recursive: true });
    const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true, args: CHROMIUM_FLAGS });
    return new Harness(browser, baseUrl, screens);
  }

  // A page of its own: locale, query, granted ports (info) and what each port leads to; usb, the
  // USB adapters ({ devices, request }, see usb-double.mjs), whose backends follow the ports'; device,
  // the context's screen instead of a desktop's (viewport, hasTouch, isMobile).
  async open({ url = null, init = null, query = '', locale = 'en-US', ports = [], backends = [], request = null, usb = null,
    userAgent = undefined, device = {} } = {}) {
    const context = await this.browser.newContext({ locale, viewport: { width: 700, height: 520 }, userAgent, ...device });
    const relay = new SerialRelay(backends);
    await context.exposeBinding('__vxrSerial', (_source, ...args) => relay.handle(...args));
    await context.addInitScript(installSerialDouble, { ports, request });
    if (usb) await context.addInitScript(installUsbDouble, { base: ports.length, devices: usb.devices ?? [], request: usb.request ?? null });
    if (init) await context.addInitScript(init);
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e));
    // What the page logs goes to the test's output, for a failing test's reader.
    page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') console.log(`  page ${m.type()}: ${m.text()}`); });
    const view = new PageView(this, context, page, relay, errors);
    await page.goto(url ?? `${this.baseUrl}${query}`);
    await page.waitForSelector('html[data-state="started"], html[data-state="failed"]');
    return view;
  }

  close() { return this.browser.close(); }
}

export class PageView {
  constructor(harness, context, page, relay, errors) {
    Object.assign(this, { harness, context, page, relay, errors });
  }

  // The open message box: caption, text and button names.
  async message() {
    const box = this.page.locator('#MessageBox[open]');
    await box.waitFor();
    return box.evaluate((d) => ({
      caption: d.querySelector('#MessageBoxCaption').textContent,
      text: d.querySelector('#MessageBoxText').textContent,
      buttons: [...d.querySelectorAll('#MessageBoxButtons button')].map((b) => b.textContent),
    }));
  }

  // Presses the button of the open message box whose text is name, and waits until it has closed.
  async answer(name) {
    // The next message may open at once, so wait for this one's close event, not for no box.
    await this.page.evaluate(() => {
      window.messageClosed = false;
      document.getElementById('MessageBox').addEventListener('close', () => { window.messageClosed = true; }, { once: true });
    });
    await this.page.locator('#MessageBoxButtons button', { hasText: name }).first().click();
    await this.page.waitForFunction(() => window.messageClosed);
  }

  async screenshot(name) { await this.page.screenshot({ path: join(this.harness.screens, `${name}.png`) }); }

  async close() {
    this.relay.closeAll();
    await this.context.close();
    if (this.errors.length) throw new Error(`page error: ${this.errors.map((e) => e.stack ?? e.message).join('\n')}`);
  }
}
