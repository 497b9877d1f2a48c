// The editors in the page: typed numbers, lists, the curve with its selection, the average bar,
// the straight line, reset, and copying a model by dragging its tab; the core decides each.
import assert from 'node:assert/strict';
import { downloaded } from './harness.mjs';

// Without the save picker a save is a download the test can read.
async function start(env, query = '?lang=en') {
  const view = await env.harness.open({ query, init: () => { delete window.showSaveFilePicker; } });
  env.defer(() => view.close());
  await view.answer('OK');
  return view;
}

const bars = (page) => page.$$eval('#Curve .vbar', (bs) => bs.map((b) => Number(b.dataset.position)));  // AVG_BAR last
const fields = (page) => page.evaluate(() => ['FRQ_NUM', 'FRQ_F', 'FRQ_VAL'].map((id) => document.getElementById(id).value));
const lit = (page) => page.evaluate(() => {
  const g = document.getElementById('Select_Gage1').getContext('2d', { willReadFrequently: true });
  return [...Array(32).keys()].filter((i) => g.getImageData(17 * i + 8 + 2 * Math.floor(i / 8), 3, 1, 1).data[1] === 255);
});
// A click on the middle of a bar's thumb: it takes the focus without moving. Shift, when it is
// held, stays held: releasing it on a bar reduces the selection to that bar.
async function clickThumb(page, i) {
  const b = await page.locator(`#FRQ_${i}`).boundingBox();
  const value = Number(await page.getAttribute(`#FRQ_${i}`, 'data-position'));
  await page.mouse.click(b.x + b.width / 2, b.y + 8 + (b.height - 16) * value / 51);
}
async function press(page, key, times) { for (let k = 0; k < times; ++k) await page.keyboard.press(key); }
// What the core holds for MODEL1, as a save writes it: { NBRK, BFREQ, PROG, FRQ: [32] }.
async function held(page) {
  const text = (await downloaded(page, () => page.click('#SaveBtn'))).bytes.toString('latin1');
  const value = (key) => Number(text.match(new RegExp(`^MDL1_${key}=(\\d+)\r$`, 'm'))[1]);
  return { NBRK: value('NBRK'), BFREQ: value('BFREQ'), PROG: value('PROG'), FRQ: [...Array(32).keys()].map((i) => value(`FRQ${i + 1}`)) };
}
// One notch of the wheel over the middle of a control; the event is handled before the next frame.
async function wheel(page, id, deltaY) {
  const b = await page.locator(id).boundingBox();
  await page.mouse.move(b.x + b.width / 2, b.y + b.height / 2);
  await page.mouse.wheel(0, deltaY);
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
}

export const tests = {
  async 'start-up shows MODEL1 at its defaults, and typed numbers are taken as the desktop takes them'(env) {
    const view = await start(env);
    const p = view.page;
    assert.deepEqual([await p.inputValue('#NBRK_EDIT'), await p.inputValue('#PROG_EDIT')], ['128', '1']);
    assert.equal(await p.$eval('#BFREQ_CMB', (s) => s.options[s.selectedIndex].textContent), '0.964kHz');
    assert.equal(await p.$eval('#CUTOFF_COMB', (s) => s.selectedIndex), 4);
    assert.deepEqual(new Set(await bars(p)), new Set([47]));
    assert.equal((await fields(p))[0], 'AVG');
    // What a typed text becomes is the core's rule; here each way of committing it.
    for (const [field, typed, shown, how] of [['#NBRK_EDIT', '300', '255', 'Enter'], ['#PROG_EDIT', 'ab', '1', 'Tab']]) {
      await p.fill(field, typed);
      await p.press(field, how);
      assert.equal(await p.inputValue(field), shown, `${typed} + ${how}`);
    }
    // A number being typed is stored in the model shown before the tab changes.
    await p.fill('#NBRK_EDIT', '77');
    await p.click('#MODEL3');
    assert.equal(await p.inputValue('#NBRK_EDIT'), '128');
    await p.click('#MODEL1');
    assert.equal(await p.inputValue('#NBRK_EDIT'), '77');
    await p.selectOption('#CUTOFF_COMB', '0');
    await p.fill('#Memo1', 'abc\nline two');
    await p.click('#RESET_BTN');
    await view.answer('Discard');  // the edits above are asked about first
    assert.deepEqual([await p.inputValue('#NBRK_EDIT'), await p.$eval('#CUTOFF_COMB', (s) => s.selectedIndex), await p.inputValue('#Memo1')],
      ['128', 4, 'abc\nline two'], 'reset keeps the memo');
  },

  async 'a Shift-selected range moves together; the average bar shifts all or nothing'(env) {
    const view = await start(env);
    const p = view.page;
    await clickThumb(p, 2);
    await p.keyboard.down('Shift');
    await clickThumb(p, 6);
    assert.deepEqual(await lit(p), [2, 3, 4, 5, 6]);
    assert.equal((await fields(p))[0], 'FRQ7');
    await p.keyboard.press('ArrowDown');
    let b = await bars(p);
    assert.deepEqual(b.slice(0, 8), [47, 47, 48, 48, 48, 48, 48, 47]);
    assert.deepEqual(await fields(p), ['FRQ7', '4', await p.evaluate(() => document.getElementById('FRQ_VAL').value)]);
    await view.screenshot('curve-range');
    await p.keyboard.up('Shift');
    assert.deepEqual(await lit(p), [6], 'releasing Shift on a bar keeps that bar alone');
    // Bar 4 to the bottom (a range refused at the edge is the core's rule).
    await clickThumb(p, 4);
    await press(p, 'ArrowDown', 5);
    assert.equal((await bars(p))[4], 51);
    // Left and Right move the focus along the bars, never a bar; not past the ends.
    await clickThumb(p, 0);
    await p.keyboard.press('ArrowLeft');
    assert.equal(await p.evaluate(() => document.activeElement.id), 'FRQ_0');
    await p.keyboard.press('ArrowRight');
    assert.equal(await p.evaluate(() => document.activeElement.id), 'FRQ_1');
    // The average bar: refused while bar 4 sits at the bottom, else every point moves.
    await p.focus('#AVG_BAR');
    await p.keyboard.press('ArrowDown');
    assert.equal((await bars(p))[4], 51);
    await p.keyboard.press('ArrowUp');
    b = await bars(p);
    assert.deepEqual(b.slice(0, 7), [46, 46, 47, 47, 50, 47, 47]);
    assert.deepEqual(await lit(p), [], 'the selection is cleared');
    assert.equal((await fields(p))[0], 'AVG');
  },

  async 'the wheel moves the bar under it, with Shift the selected range, on the average bar the whole curve'(env) {
    const view = await start(env);
    const p = view.page;
    await clickThumb(p, 2);
    await p.keyboard.down('Shift');
    await press(p, 'ArrowRight', 2);
    // [control, wheel notches down (+) or up (-), Shift held, bars 0..7 afterwards, lit cells, FRQ_NUM]
    for (const [id, notches, shift, expected, cells, field] of [
      ['#FRQ_4', 1, true, [47, 47, 48, 48, 48, 47, 47, 47], [2, 3, 4], 'FRQ5'],
      ['#FRQ_3', -2, true, [47, 47, 46, 46, 46, 47, 47, 47], [2, 3, 4], 'FRQ4'],
      ['#FRQ_6', 1, false, [47, 47, 46, 46, 46, 47, 48, 47], [6], 'FRQ7'],
      ['#FRQ_0', -1, false, [46, 47, 46, 46, 46, 47, 48, 47], [0], 'FRQ1'],
      ['#AVG_BAR', 1, false, [47, 48, 47, 47, 47, 48, 49, 48], [], 'AVG'],
      ['#AVG_BAR', -3, true, [44, 45, 44, 44, 44, 45, 46, 45], [], 'AVG'],
    ]) {
      if (!shift) await p.keyboard.up('Shift');
      for (let k = 0; k < Math.abs(notches); ++k) await wheel(p, id, Math.sign(notches) * 100);
      const row = `${id} ${notches}${shift ? ' with Shift' : ''}`;
      assert.deepEqual((await bars(p)).slice(0, 8), expected, row);
      assert.deepEqual(await lit(p), cells, row);
      assert.equal((await fields(p))[0], field, row);
    }
    const shown = (await bars(p)).slice(0, 32);
    assert.deepEqual((await held(p)).FRQ, shown.map((position) => 63 - position), 'the core holds what the bars show');
  },

  async 'the brake frequency is taken when picked, by the list or the keys; both bars follow a mouse drag at every step and the wheel'(env) {
    const view = await start(env);
    const p = view.page;
    const item = () => p.$eval('#BFREQ_CMB', (s) => [s.selectedIndex, s.options[s.selectedIndex].textContent]);
    await p.selectOption('#BFREQ_CMB', '0');
    assert.deepEqual([await item(), (await held(p)).BFREQ], [[0, '2.44kHz'], 12]);
    // The mouse opens the list; End, Up and Enter pick in it. Firefox draws the open list outside
    // the page, where the driver's keys do not reach; there the closed list takes the same keys.
    if (env.harness.firefox) await p.focus('#BFREQ_CMB');
    else await p.click('#BFREQ_CMB');
    await p.keyboard.press('End');
    await p.keyboard.press('ArrowUp');
    await p.keyboard.press('Enter');
    assert.deepEqual([await item(), (await held(p)).BFREQ], [[50, '0.499kHz'], 62]);
    // The wheel over the closed list steps it, down to the last item and no further, then back up.
    for (const [dy, k, bfreq] of [[100, 51, 63], [100, 51, 63], [-100, 50, 62]]) {
      await wheel(p, '#BFREQ_CMB', dy);
      assert.deepEqual([(await item())[0], (await held(p)).BFREQ], [k, bfreq], `wheel ${dy}`);
    }
    // [bar, its maximum, from, to and back to, field]: the field shows every step while the button is down;
    // then two notches down and one up.
    for (const [id, max, from, far, back, edit] of [['#PROG_BAR', 12, 1, 12, 6, '#PROG_EDIT'], ['#NBRK_BAR', 255, 128, 255, 0, '#NBRK_EDIT']]) {
      const b = await p.locator(id).boundingBox();
      const x = (value) => b.x + 8 + (b.width - 16) * value / max;
      await p.mouse.move(x(from), b.y + b.height / 2);
      await p.mouse.down();
      await p.mouse.move(b.x + b.width + 40, b.y + b.height / 2, { steps: 4 });
      assert.equal(await p.inputValue(edit), String(far), `${id} past its end`);
      await p.mouse.move(x(back), b.y + b.height / 2, { steps: 4 });
      assert.equal(await p.inputValue(edit), String(back), `${id} dragged back`);
      await p.mouse.up();
      await wheel(p, id, 100);
      await wheel(p, id, 100);
      await wheel(p, id, -100);
      assert.deepEqual([Number(await p.inputValue(id)), await p.inputValue(edit)], [back + 1, String(back + 1)], `${id} wheel`);
    }
    const core = await held(p);
    assert.deepEqual([core.PROG, core.NBRK], [7, 1]);
  },

  async 'the straight line is shown while asked, kept on Yes and put back on No'(env) {
    const view = await start(env);
    const p = view.page;
    // Bar 0 at 10 and bar 4 at 20, then bars 0..4 selected with Shift and the arrow keys.
    await clickThumb(p, 0);
    await press(p, 'ArrowUp', 37);
    await clickThumb(p, 4);
    await press(p, 'ArrowUp', 27);
    const selectAndAsk = async () => {
      await clickThumb(p, 0);
      await p.keyboard.down('Shift');
      await press(p, 'ArrowRight', 4);
      assert.deepEqual(await lit(p), [0, 1, 2, 3, 4]);
      await p.click('#SpeedButton1');
      await p.keyboard.up('Shift');
    };
    for (const [answer, expected] of [['No', [10, 47, 47, 47, 20]], ['Yes', [10, 12, 15, 18, 20]]]) {
      await selectAndAsk();
      assert.deepEqual(await view.message(), { caption: 'Question', text: 'Okay?', buttons: ['Yes', 'No'] });
      assert.deepEqual((await bars(p)).slice(0, 5), [10, 12, 15, 18, 20], 'the line while the question is open');
      if (answer === 'Yes') await view.screenshot('line-question');
      await view.answer(answer);
      assert.deepEqual((await bars(p)).slice(0, 5), expected, answer);
      assert.deepEqual(await lit(p), [4], 'the selection is the end of the range');
    }
  },

  async 'dragging a tab onto another copies the model after the question; No and a click copy nothing'(env) {
    for (const [query, question, yes, no] of [['?lang=en', 'Copy? MODEL1 -> MODEL3', 'Yes', 'No'],
      ['?lang=ja', 'MODEL1をMODEL3にコピーしますか？', 'はい(Y)', 'いいえ(N)']]) {
      const view = await start(env, query);
      const p = view.page;
      await p.fill('#NBRK_EDIT', '200');
      await p.press('#NBRK_EDIT', 'Enter');
      await p.fill('#Memo1', 'copied');
      const drag = () => p.locator('#MODEL1').dragTo(p.locator('#MODEL3'));
      await drag();
      assert.equal((await view.message()).text, question);
      await view.answer(no);
      assert.equal(await p.getAttribute('#MODEL1', 'aria-selected'), 'true');
      await p.click('#MODEL3');
      assert.equal(await p.inputValue('#NBRK_EDIT'), '128', 'No copies nothing');
      await drag();
      await view.answer(yes);
      assert.equal(await p.getAttribute('#MODEL3', 'aria-selected'), 'true', 'the target is shown');
      assert.deepEqual([await p.inputValue('#NBRK_EDIT'), await p.inputValue('#Memo1')], ['200', 'copied']);
      await p.click('#MODEL2');
      assert.equal(await p.locator('#MessageBox[open]').count(), 0, 'a click asks nothing');
      assert.equal(await p.inputValue('#NBRK_EDIT'), '128');
    }
  },

  async 'Ctrl+Z undoes and Ctrl+Y redoes whole steps (keys on a bar, a typed number, typing, a copy), the buttons too'(env) {
    const view = await start(env);
    const p = view.page;
    const state = async () => [await p.getAttribute('#MODEL3', 'aria-selected'), await p.inputValue('#NBRK_EDIT'),
      await p.inputValue('#Memo1'), (await bars(p))[0]];
    assert.equal(await p.isDisabled('#UNDO_BTN'), true);
    await clickThumb(p, 0);
    await press(p, 'ArrowUp', 3);
    await p.fill('#NBRK_EDIT', '200');
    await p.press('#NBRK_EDIT', 'Enter');
    await p.click('#Memo1');
    await p.keyboard.type('abc');
    await p.locator('#MODEL1').dragTo(p.locator('#MODEL3'));
    await view.answer('Yes');
    const edited = await state();
    assert.deepEqual(edited, ['true', '200', 'abc', 44]);
    await p.click('#Memo1');  // a text field's own undo does not stand in for the page's
    await p.keyboard.press('Control+z');
    assert.deepEqual(await state(), ['true', '128', '', 47], 'the copy undone, MODEL3 shown as it was');
    await p.keyboard.press('Control+z');
    assert.deepEqual(await state(), ['false', '200', '', 44], 'the typing at once');
    await p.keyboard.press('Control+z');
    await p.click('#UNDO_BTN');
    assert.deepEqual(await state(), ['false', '128', '', 47], 'three key steps at once');
    assert.equal(await p.isDisabled('#UNDO_BTN'), true);
    await p.keyboard.press('Control+y');
    await p.keyboard.press('Control+Shift+z');
    await p.click('#REDO_BTN');
    await p.keyboard.press('Control+y');
    assert.deepEqual(await state(), edited);
    assert.equal(await p.isDisabled('#REDO_BTN'), true);
    await view.screenshot('undo-redo');
  },

  async 'a click on a track steps the bar by one toward the click, again while held, never to the point clicked'(env) {
    const view = await start(env);
    const p = view.page;
    const box = async (id) => p.locator(id).boundingBox();
    // [control, where on its length (0 top or left, 1 bottom or right), bars 4..6 and AVG afterwards, NBRK, PROG]
    for (const [id, at, expected, nbrk, prog, cells] of [
      ['#FRQ_5', 0.05, [47, 46, 47, 47], '128', '1', [5]],
      ['#FRQ_5', 0.99, [47, 47, 47, 47], '128', '1', [5]],
      ['#AVG_BAR', 0.02, [46, 46, 46, 46], '128', '1', []],
      ['#NBRK_BAR', 0.01, [46, 46, 46, 46], '127', '1', []],
      ['#PROG_BAR', 0.99, [46, 46, 46, 46], '127', '2', []],
    ]) {
      const b = await box(id);
      const vertical = b.height > b.width;
      await p.mouse.click(vertical ? b.x + b.width / 2 : b.x + b.width * at, vertical ? b.y + b.height * at : b.y + b.height / 2);
      const all = await bars(p);
      assert.deepEqual([...all.slice(4, 7), all[32], await p.inputValue('#NBRK_EDIT'), await p.inputValue('#PROG_EDIT'), await lit(p)],
        [...expected, nbrk, prog, cells], `${id} at ${at}`);
    }
    // Held on the track, the bar steps on until its thumb reaches the pointer, and stops there.
    const b = await box('#FRQ_9');
    const target = b.y + 7 + (b.height - 14) * 20 / 51;  // over position 20
    await p.mouse.move(b.x + b.width / 2, target);
    await p.mouse.down();
    await p.waitForFunction(() => Number(document.getElementById('FRQ_9').dataset.position) <= 22, null, { timeout: 10_000 });
    await p.waitForTimeout(400);
    await p.mouse.up();
    const stopped = (await bars(p))[9];
    assert.ok(stopped >= 18 && stopped <= 22, `stopped with its thumb under the pointer, at ${stopped}`);
  },

  async 'a number typed, then a transfer clicked where the click does not focus the button: the number goes too, and the focus comes back'(env) {
    const view = await start(env);
    const p = view.page;
    await p.selectOption('#CommPort', 'demo');
    await view.answer('OK');
    await p.fill('#NBRK_EDIT', '77');
    // As Firefox and Safari on macOS click: the button does not take the focus.
    await p.$eval('#PROG2_BTN', (b) => b.click());
    assert.equal((await view.message()).text, 'Write successful');
    await view.answer('OK');
    assert.equal(await p.evaluate(() => document.activeElement.id), 'PROG2_BTN', 'the focus is back on the button');
    assert.equal((await held(p)).NBRK, 77);
    await p.click('#READ2_BTN');
    await view.answer('OK');
    assert.deepEqual([await p.inputValue('#NBRK_EDIT'), await p.evaluate(() => document.activeElement.id)], ['77', 'READ2_BTN']);
  },

  async 'Ctrl+D or its button shows a file beside the editors: the models and settings that differ marked, both curves drawn'(env) {
    for (const [query, marked] of [['?lang=en', 'AutomaticBrake'], ['?lang=ja', 'ニュートラルブレーキの状態']]) {
      const view = await start(env, query);
      const p = view.page;
      await p.fill('#NBRK_EDIT', '200');
      await p.press('#NBRK_EDIT', 'Enter');
      const chooser = p.waitForEvent('filechooser');
      await (query === '?lang=ja' ? p.keyboard.press('Control+d') : p.click('#COMPARE_BTN'));
      await (await chooser).setFiles({ name: 'wet.VXS', mimeType: 'application/octet-stream',
        buffer: Buffer.from('[VxrManager]\r\nMDL1_NBRK=90\r\nMDL2_FRQ3=40\r\n') });
      await p.waitForSelector('#CompareForm[open]');
      assert.deepEqual(await p.$$eval('#CompareModels [role="tab"]', (ts) => ts.map((t) => t.textContent)),
        ['MODEL1 *', 'MODEL2 *', 'MODEL3', 'MODEL4', 'MODEL5']);
      const rows = () => p.$$eval('#CompareRows tr.differs', (rs) => rs.map((r) => [...r.cells].map((c) => c.textContent).join(' | ')));
      assert.deepEqual(await rows(), [`${marked} | 200 | 90`]);
      await p.click('#CompareModels [role="tab"]:nth-child(2)');
      assert.equal((await rows()).length, 1, 'MODEL2: one curve point');
      // Both curves are drawn: blue where they agree, the dashed red one apart at point 3.
      const colours = await p.$eval('#ComparePlot', (c) => {
        const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        let blue = 0, red = 0;
        for (let i = 0; i < d.length; i += 4) { if (d[i + 2] > 150 && d[i] < 80) ++blue; if (d[i] > 180 && d[i + 2] < 80) ++red; }
        return { blue: blue > 50, red: red > 50 };
      });
      assert.deepEqual(colours, { blue: true, red: true });
      if (query === '?lang=ja') await view.screenshot('compare-ja');
      await p.click('#CompareClose');
      assert.equal(await p.inputValue('#NBRK_EDIT'), '200', 'the bank unchanged');
    }
  },
};
