// The browser-test harness: Debian's chromium or firefox-esr through playwright-core, one fresh
// context per test, the page served from the built folder, and every pageerror a failure.
import { chromium, firefox } from 'playwright-core';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { installSerialDouble, SerialRelay, SocketRoutes } from './serial-double.mjs';
import { installUsbDouble } from './usb-double.mjs';

export const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Firefox's downloads panel, opened by a download, takes the focus from a file chooser opened
// right after it, which then closes unanswered.
export const FIREFOX_PREFS = { 'browser.download.alwaysOpenPanel': false };

// The browser by name ('chromium' or 'firefox'), without a profile of its own: playwright gives each
// launch a fresh one. Firefox is driven over WebDriver BiDi, which Debian's firefox-esr speaks.
export async function launchBrowser(name) {
  if (name === 'firefox') {
    const downloadsPath = mkdtempSync(join(tmpdir(), 'vxr-web-downloads-'));
    const browser = await firefox.launch({ channel: 'moz-firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr',
      headless: true, firefoxUserPrefs: FIREFOX_PREFS, downloadsPath });
    firefoxDownloads.set(browser, downloadsPath);
    browser.on('disconnected', () => rmSync(downloadsPath, { recursive: true, force: true }));
    return browser;
  }
  return chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true, args: CHROMIUM_FLAGS });
}

// Thrown by a test that cannot run in this browser; the message says why.
export class Skipped extends Error {}

// Marks a test whose outcome depends on the line's timing (a transfer in progress on the paced
// simulator, a time bound on a transfer's result): the runner runs it with no other test running
// beside it in any browser.
export const alone = (test) => Object.assign(test, { alone: true });

const firefoxDownloads = new Map();

// The file a download started by action() saves: { name, bytes }. Firefox reports no download
// event for a page's blob download (its WebDriver BiDi tells only of downloads that navigate), so
// there the file is awaited in the browser's downloads folder, emptied first.
export async function downloaded(page, action) {
  const folder = firefoxDownloads.get(page.context().browser());
  if (!folder) {
    const [download] = await Promise.all([page.waitForEvent('download'), action()]);
    return { name: download.suggestedFilename(), bytes: readFileSync(await download.path()) };
  }
  for (const f of readdirSync(folder)) rmSync(join(folder, f), { force: true });
  await action();
  for (const deadline = Date.now() + 30_000; Date.now() < deadline; await sleep(50)) {
    const files = readdirSync(folder);
    if (files.length === 1 && !files[0].endsWith('.part')) return { name: files[0], bytes: readFileSync(join(folder, files[0])) };
  }
  throw new Error('no download within 30 s');
}

export class Harness {
  constructor(browser, name, baseUrl, screens, routes, log) { Object.assign(this, { browser, name, baseUrl, screens, routes, log }); }

  // server: the page's server (serve.mjs), which then also carries the doubles' sockets; log: where
  // the pages' errors and warnings are written (a run of two browsers at once tells them apart).
  static async launch(baseUrl, screens, name = 'chromium', server = null, log = console.log) {
    mkdirSync(screens, { recursive: true });
    return new Harness(await launchBrowser(name), name, baseUrl, screens, server && new SocketRoutes(server), log);
  }

  get firefox() { return this.name === 'firefox'; }

  // A page of its own: locale, query, granted ports (info) and what each port leads to; usb, the
  // USB adapters ({ devices, request }, see usb-double.mjs), whose backends follow the ports'; device,
  // the context's screen instead of a desktop's (viewport, hasTouch, isMobile); init, a script run
  // before the page's own (given initArg).
  async open({ url = null, init = null, initArg = undefined, query = '', locale = 'en-US', ports = [], backends = [], request = null, usb = null,
    userAgent = undefined, device = {} } = {}) {
    const context = await this.browser.newContext({ locale, viewport: { width: 700, height: 520 }, userAgent, ...device });
    const relay = new SerialRelay(backends, this.routes);
    await context.exposeBinding('__vxrSerial', (_source, ...args) => relay.handle(...args));
    await context.addInitScript(installSerialDouble, { ports, request });
    if (usb) await context.addInitScript(installUsbDouble, { base: ports.length, devices: usb.devices ?? [], request: usb.request ?? null });
    if (init) await context.addInitScript(init, initArg);
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e));
    // What the page logs goes to the test's output, for a failing test's reader.
    page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') this.log(`  page ${m.type()}: ${m.text()}`); });
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
