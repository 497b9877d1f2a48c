// The page on a phone and a tablet: its own layout at their sizes, and fingers on the curve and
// the tabs. The fingers are Chromium's only: the touches go in through Chromium's DevTools
// protocol, and Firefox emulates no mobile device (playwright's isMobile). Firefox gets the
// phones' sizes as a window of that size, with a mouse.
import assert from 'node:assert/strict';

const PHONE = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true };

async function start(env, device = PHONE, query = '?lang=en') {
  if (env.harness.firefox && device.hasTouch) env.skip('the fingers go in through Chromium\'s DevTools protocol, and Firefox emulates no phone');
  const view = await env.harness.open({ query, device });
  env.defer(() => view.close());
  await view.message();
  return view;
}

// A finger on the screen, at viewport coordinates.
async function finger(page) {
  const cdp = await page.context().newCDPSession(page);
  const send = (type, x, y) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: type === 'touchEnd' ? [] : [{ x, y }] });
  const f = {
    down: (x, y) => send('touchStart', x, y),
    move: async (x, y, steps = 4, from = null) => {
      for (let k = 1; k <= steps; ++k) await send('touchMove', from ? from[0] + (x - from[0]) * k / steps : x, from ? from[1] + (y - from[1]) * k / steps : y);
    },
    up: () => send('touchEnd'),
    // Touches the middle of an element (brought into view first) and lets go.
    tap: async (selector) => { const [x, y] = await f.at(selector); await f.down(x, y); await f.up(); },
    at: async (selector, fy = 0.5) => {
      await page.locator(selector).scrollIntoViewIfNeeded();
      const b = await page.locator(selector).boundingBox();
      return [b.x + b.width / 2, b.y + b.height * fy];
    },
  };
  return f;
}

// A finger's answer to the open message box.
async function tapAnswer(view, f, name) {
  await view.page.evaluate(() => {
    window.messageClosed = false;
    document.getElementById('MessageBox').addEventListener('close', () => { window.messageClosed = true; }, { once: true });
  });
  const button = await view.page.locator('#MessageBoxButtons button', { hasText: name }).first().boundingBox();
  await f.down(button.x + button.width / 2, button.y + button.height / 2);
  await f.up();
  await view.page.waitForFunction(() => window.messageClosed);
}

const bars = (page) => page.$$eval('#Curve .vbar', (bs) => bs.map((b) => Number(b.dataset.position)));
const lit = (page) => page.$$eval('#Curve .vbar', (bs) => bs.flatMap((b, i) => (b.classList.contains('lit') ? [i] : [])));
const field = (page) => page.$eval('#FRQ_NUM', (o) => o.value);

// What breaks the layout at this size: sideways panning or shrinking, controls under 24 x 24
// px, tool buttons without their names in words, a dialog reaching off the screen.
function layoutFaults() {
  const faults = [];
  const w = innerWidth, h = innerHeight;
  if (document.documentElement.scrollWidth > w) faults.push(`pans sideways: ${document.documentElement.scrollWidth} > ${w}`);
  if (visualViewport.scale !== 1) faults.push(`shrunk to ${visualViewport.scale}`);
  for (const e of document.querySelectorAll('#MainForm :is(button, input, select, textarea, [role="tab"]), dialog[open] button')) {
    const r = e.getBoundingClientRect();
    if (r.width < 24 || r.height < 24) faults.push(`${e.id || e.textContent} ${r.width}x${r.height}`);
    if (r.right > w + 0.5 || r.left < -0.5) faults.push(`${e.id} beyond the sides`);
  }
  for (const b of document.querySelectorAll('.tool')) if (b.innerText.trim() !== b.title) faults.push(`${b.id} not named in words`);
  for (const d of document.querySelectorAll('dialog[open]')) {
    const r = d.getBoundingClientRect();
    if (r.left < 0 || r.top < 0 || r.right > w || r.bottom > h) faults.push(`${d.id} off the screen`);
  }
  return faults;
}

export const tests = {
  async 'on a phone and a tablet the page fits the screen: no panning, no control under 24 px, the tools named in words'(env) {
    const { firefox } = env.harness;
    // Without a touch screen the page keeps the desktop's window from its width up.
    const sizes = [['phone', 390, 844], ['small phone', 360, 640], ['phone on its side', 640, 360], ['tablet', 768, 1024], ['tablet on its side', 1024, 768]]
      .filter(([, width]) => !firefox || width < 601);
    for (const [lang, query, ok] of [['en', '?lang=en', 'OK'], ['ja', '?lang=ja', 'OK']]) {
      for (const [name, width, height] of sizes) {
        const view = await start(env, firefox ? { viewport: { width, height } } : { viewport: { width, height }, hasTouch: true, isMobile: true }, query);
        const p = view.page;
        const case_ = `${name} ${width}x${height} ${lang}`;
        assert.deepEqual(await p.evaluate(layoutFaults), [], `${case_}, its start-up message open`);
        await view.screenshot(`touch-${width}x${height}-${lang}-start`);
        await view.answer(ok);
        assert.deepEqual(await p.evaluate(layoutFaults), [], case_);
        // Every bar in view at once on a tablet; on a phone, eight a row.
        const rows = new Set(await p.$$eval('#Curve .vbar:not(#AVG_BAR)', (bs) => bs.map((b) => Math.round(b.getBoundingClientRect().top))));
        assert.equal(rows.size, width < 440 ? 4 : width < 900 ? 2 : 1, `${case_}: rows of bars`);
        await view.screenshot(`touch-${width}x${height}-${lang}`);
        await p.evaluate(() => scrollTo(0, document.body.scrollHeight));
        await view.screenshot(`touch-${width}x${height}-${lang}-end`);
      }
    }
    // Below the desktop's width with a mouse too; from it up, the desktop's window.
    const narrow = await start(env, { viewport: { width: 560, height: 700 } });
    await narrow.answer('OK');
    assert.deepEqual(await narrow.page.evaluate(layoutFaults), []);
    const desk = await start(env, { viewport: { width: 700, height: 520 } });
    assert.deepEqual(await desk.page.$eval('#MainForm', (m) => [m.offsetWidth, m.offsetHeight]), [601, 452]);
  },

  async 'a finger taps a bar without moving it, drags it, and holds one to choose a range that then moves together'(env) {
    const view = await start(env);
    const p = view.page;
    const f = await finger(p);
    await tapAnswer(view, f, 'OK');
    const flat = await bars(p);
    // A tap on the track far from the thumb selects the bar and leaves it where it is.
    await f.tap('#FRQ_5', 0.05);
    assert.deepEqual([await bars(p), await lit(p), await field(p)], [flat, [5], 'FRQ6']);
    // A drag: the thumb follows the finger, from where it stood, however far from it the finger began.
    const stepOf = (id) => p.$eval(id, (b) => (b.getBoundingClientRect().height - parseFloat(getComputedStyle(b).getPropertyValue('--thumb'))) / 51);
    const perStep = await stepOf('#FRQ_5');
    let [x, y] = await f.at('#FRQ_5', 0.2);
    await f.down(x, y);
    await f.move(x, y - 10 * perStep, 5, [x, y]);
    await f.up();
    let b = await bars(p);
    assert.deepEqual([b[4], b[5], b[6], await field(p)], [47, 37, 47, 'FRQ6'], 'dragged up by ten steps');
    // Held still on bar 2, then moved to bar 4: the range 2..4, nothing moved.
    [x, y] = await f.at('#FRQ_2');
    await f.down(x, y);
    await p.waitForTimeout(800);
    const [x4] = await f.at('#FRQ_4');
    await f.move(x4, y, 6, [x, y]);
    await f.up();
    assert.deepEqual([await lit(p), (await bars(p)).slice(0, 8)], [[2, 3, 4], b.slice(0, 8)], 'a range chosen by a held finger');
    // A drag of a bar of the range takes the range with it; a bar outside moves alone.
    [x, y] = await f.at('#FRQ_3');
    await f.down(x, y);
    await f.move(x, y - 6 * perStep, 4, [x, y]);
    await f.up();
    b = await bars(p);
    assert.deepEqual([b.slice(1, 6), await lit(p)], [[47, 41, 41, 41, 37], [2, 3, 4]]);
    [x, y] = await f.at('#FRQ_6');
    await f.down(x, y);
    await f.move(x, y - 8 * perStep, 4, [x, y]);
    await f.up();
    b = await bars(p);
    assert.deepEqual([b.slice(2, 8), await lit(p)], [[41, 41, 41, 37, 39, 47], [6]]);
    // The average bar follows a finger too, every point with it.
    [x, y] = await f.at('#AVG_BAR');
    await f.down(x, y);
    await f.move(x, y - 5 * (await stepOf('#AVG_BAR')), 4, [x, y]);
    await f.up();
    assert.deepEqual([(await bars(p)).slice(2, 8), await lit(p), await field(p)], [[36, 36, 36, 32, 34, 42], [], 'AVG']);
    await view.screenshot('touch-curve');
  },

  async 'a finger switches the tabs and copies a model onto another with the desktop\'s question; reads and writes by taps'(env) {
    const view = await start(env);
    const p = view.page;
    const f = await finger(p);
    await tapAnswer(view, f, 'OK');
    await p.fill('#NBRK_EDIT', '200');
    await p.press('#NBRK_EDIT', 'Enter');
    await f.tap('#MODEL2');
    assert.deepEqual([await p.getAttribute('#MODEL2', 'aria-selected'), await p.inputValue('#NBRK_EDIT')], ['true', '128']);
    assert.equal(await p.evaluate(() => scrollY), 0, 'the page stays where the finger is');
    assert.equal(await p.locator('#MessageBox[open]').count(), 0, 'a tap asks nothing');
    const [x1, y1] = await f.at('#MODEL1');
    const [x3, y3] = await f.at('#MODEL3');
    await f.down(x1, y1);
    await f.move(x3, y3, 6, [x1, y1]);
    await f.up();
    assert.equal((await view.message()).text, 'Copy? MODEL1 -> MODEL3');
    await view.screenshot('touch-copy-question');
    // Answered by a tap too: the finger lifted while moving must not leave a fling that eats it.
    await tapAnswer(view, f, 'Yes');
    assert.deepEqual([await p.getAttribute('#MODEL3', 'aria-selected'), await p.inputValue('#NBRK_EDIT')], ['true', '200']);
    // Write all, then read all, on the demonstration controller, each by a tap.
    await p.selectOption('#CommPort', 'demo');
    await tapAnswer(view, f, 'OK');
    for (const [id, result] of [['#PROGRAM_BTN', 'Write successful'], ['#READ_BTN', 'Read successful']]) {
      await f.tap(id);
      await p.waitForSelector('#MonForm[open]');
      assert.deepEqual(await p.evaluate(layoutFaults), [], `${id}: the progress window inside the screen`);
      assert.equal((await view.message()).text, result);
      await tapAnswer(view, f, 'OK');
    }
    assert.deepEqual([await p.getAttribute('#MODEL3', 'aria-selected'), await p.inputValue('#NBRK_EDIT')], ['true', '200'], 'read back as written');
  },
};
