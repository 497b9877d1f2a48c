import { chromium } from 'playwright-core';
import { CHROMIUM_FLAGS } from './harness.mjs';
const b = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: CHROMIUM_FLAGS });
const p = await (await b.newContext({ viewport: { width: 700, height: 520 } })).newPage();
p.on('console', (m) => console.log('console', m.type(), m.text()));
p.on('pageerror', (e) => console.log('pageerror', e.message));
await p.goto('http://127.0.0.1:8491/?lang=en');
await p.waitForTimeout(3000);
console.log(await p.evaluate(async () => ({ serial: 'serial' in navigator, state: document.documentElement.dataset.state,
  ports: await Promise.race([navigator.serial?.getPorts().then((x) => x.length), new Promise((r) => setTimeout(() => r('pending'), 2000))]),
  options: [...document.getElementById('CommPort').options].map((o) => o.text), open: !!document.querySelector('dialog[open]') })));
await p.screenshot({ path: '/tmp/probe/pw-plain.png' });
await b.close();
