// The page's history of setups: what each transfer adds, kept in the browser across reloads;
// restoring, saving, naming, deleting and comparing entries; and the questions before a read or
// a reset replaces unsaved settings.
import assert from 'node:assert/strict';
import { downloaded } from './harness.mjs';

const PORT = 'COM1  Demo controller';

async function start(env, { query = '?lang=en', init = () => { delete window.showSaveFilePicker; }, device } = {}) {
  const view = await env.harness.open({ query, init, device });
  env.defer(() => view.close());
  await view.answer('OK');
  await view.page.selectOption('#CommPort', 'demo');
  await view.answer('OK');
  return view;
}

async function transfer(view, id, text) {
  await view.page.click(`#${id}`);
  assert.equal((await view.message()).text, text);
  await view.answer('OK');
}

async function setNumber(p, value) {
  await p.fill('#NBRK_EDIT', String(value));
  await p.press('#NBRK_EDIT', 'Enter');
}

// The history's rows as shown, newest first: action, port, models changed, name, memo (the time
// left out).
async function rows(p) {
  if (!(await p.isVisible('#HistoryForm[open]'))) await p.click('#HIST_BTN');
  await p.waitForSelector('#HistoryForm[open][aria-busy="false"]');
  return p.$$eval('#HistoryList tbody tr', (rs) => rs.map((r) => [...r.cells].slice(1).map((c) => c.textContent)));
}
const choose = (p, n) => p.click(`#HistoryList tbody tr:nth-child(${n})`);

export const tests = {
  async 'each transfer that succeeds adds its entries, a write also what the controller held before it, kept across a reload'(env) {
    const view = await start(env);
    const p = view.page;
    await transfer(view, 'READ_BTN', 'Read successful');
    await p.click('#MODEL2');
    await setNumber(p, 200);
    await p.fill('#Memo1', 'Tsukuba, wet\nsoft tyres');
    await transfer(view, 'PROG2_BTN', 'Write successful');
    const expected = [
      ['Write MODEL2', PORT, '2', '', 'Tsukuba, wet'],
      // The controller's settings with the bank's memos: MODEL2's memo edited since the read.
      ['Before write (MODEL2)', PORT, '2', '', 'Tsukuba, wet'],
      ['Read all', PORT, '1,2,3,4,5', '', '']];
    assert.deepEqual(await rows(p), expected);
    await p.click('#HIST_CLOSE_BTN');
    // A read that fails adds nothing.
    await p.selectOption('#CommPort', '0');
    await view.answer('OK');
    await p.click('#READ2_BTN');
    assert.match((await view.message()).text, /^Read failed/);
    await view.answer('OK');
    await p.reload();
    await view.answer('OK');
    assert.deepEqual(await rows(p), expected);
    await view.screenshot('history-en');
  },

  async 'an entry is restored after the question about unsaved edits as one undo step, saved as a file, named and deleted'(env) {
    const view = await start(env);
    const p = view.page;
    await transfer(view, 'READ_BTN', 'Read successful');
    await setNumber(p, 50);
    for (const [answer, value] of [['Cancel', '50'], ['Discard', '128']]) {
      await rows(p);
      await choose(p, 1);
      await p.click('#HIST_RESTORE_BTN');
      assert.equal((await view.message()).text, 'Save the changes?');
      await view.answer(answer);
      assert.equal(await p.inputValue('#NBRK_EDIT'), value, answer);
    }
    await p.keyboard.press('Control+z');
    assert.equal(await p.inputValue('#NBRK_EDIT'), '50', 'one step undone');
    await p.keyboard.press('Control+y');

    await rows(p);
    await choose(p, 1);
    // A pasted control character (a tab) becomes a blank: a name is one line.
    await p.$eval('#HIST_NAME_EDIT', (e) => { e.value = 'Tsukuba,\twet'; });
    await p.click('#HIST_NAME_BTN');
    assert.equal((await rows(p))[0][3], 'Tsukuba, wet', 'on one line');
    const file = await downloaded(p, () => p.click('#HIST_SAVE_BTN'));
    assert.equal(file.name, 'Tsukuba, wet.VXS');
    const saved = file.bytes.toString('latin1');
    assert.match(saved, /^\[VxrManager\]\r\n/);
    assert.match(saved, /^MDL1_NBRK=128\r$/m);

    await p.click('#HIST_DELETE_BTN');
    assert.equal((await view.message()).text, 'Delete the selected history entry?');
    await view.answer('No');
    assert.equal((await rows(p)).length, 1);
    await p.click('#HIST_DELETE_BTN');
    await view.answer('Yes');
    assert.deepEqual(await rows(p), []);
    assert.equal(await p.isDisabled('#HIST_RESTORE_BTN'), true, 'nothing selected');
  },

  async 'any two setups compared: the editors, a file and history entries, the differences marked on either side'(env) {
    const view = await start(env, { query: '?lang=ja' });
    const p = view.page;
    await transfer(view, 'READ_BTN', '読取成功');
    await setNumber(p, 90);
    await transfer(view, 'PROGRAM_BTN', '書込成功');
    await rows(p);
    await choose(p, 3);  // the read, before the edit
    await p.click('#HIST_COMPARE_BTN');
    await p.waitForSelector('#CompareForm[open]');
    const marked = () => p.$$eval('#CompareRows tr.differs', (rs) => rs.map((r) => [...r.cells].slice(1).map((c) => c.textContent)));
    assert.deepEqual(await marked(), [['90', '128']], 'the editors beside the entry read');
    // The write's entry on the left: the same as the editors; then the entry before it.
    const entries = await p.$$eval('#CompareLeft option', (os) => os.map((o) => o.value).filter((v) => v.startsWith('entry:')));
    assert.equal(entries.length, 3);
    await p.selectOption('#CompareLeft', entries[0]);
    assert.deepEqual(await marked(), [['90', '128']]);
    await p.selectOption('#CompareLeft', entries[1]);
    assert.deepEqual(await marked(), [], 'what the controller held before the write is what was read');
    const chooser = p.waitForEvent('filechooser');
    await p.selectOption('#CompareRight', 'pick');
    await (await chooser).setFiles({ name: 'wet.VXS', mimeType: 'application/octet-stream', buffer: Buffer.from('[VxrManager]\r\nMDL1_NBRK=10\r\n') });
    await p.waitForFunction(() => document.querySelector('#CompareRight').value === 'file');
    assert.deepEqual(await marked(), [['128', '10']]);
    await view.screenshot('compare-history-ja');
  },

  async 'Read shown and Reset ask before unsaved settings of that model go; reading all before those of any model'(env) {
    const view = await start(env);
    const p = view.page;
    await setNumber(p, 40);
    await p.fill('#Memo1', 'a memo is kept by a read');
    await p.click('#MODEL2');
    await p.click('#RESET_BTN');  // MODEL2 has no edits: no question
    await p.fill('#Memo1', 'only a memo');
    await transfer(view, 'READ2_BTN', 'Read successful');
    await p.click('#MODEL1');
    for (const [id, answer, value] of [['RESET_BTN', 'Cancel', '40'], ['READ2_BTN', 'Cancel', '40'], ['READ_BTN', 'Cancel', '40'], ['READ2_BTN', 'Discard', '128']]) {
      await p.click(`#${id}`);
      assert.equal((await view.message()).text, 'Save the changes?', id);
      await view.answer(answer);
      if (answer === 'Discard') await view.answer('OK');  // read successful
      assert.equal(await p.inputValue('#NBRK_EDIT'), value, `${id} ${answer}`);
    }
    assert.equal(await p.inputValue('#Memo1'), 'a memo is kept by a read');
  },

  async 'a long history lists its newest entries first and the older ones as the list is scrolled to its end'(env) {
    const view = await start(env);
    const p = view.page;
    await p.evaluate(async () => {
      const { HistoryDb } = await import('./historydb.js');
      const settings = new TextEncoder().encode('[VxrManager]\r\n');
      await (await HistoryDb.open()).add(Array.from({ length: 450 }, (_, k) => ({ time: k * 1000, action: 'read', model: -1, port: '', name: '', changed: 0, memo: `${k}`, settings })));
    });
    const memos = async () => (await rows(p)).map((r) => r[4]);
    assert.deepEqual((await memos()).slice(0, 2), ['449', '448']);
    for (const shown of [400, 450]) {
      await p.$eval('.history-list', (l) => { l.scrollTop = l.scrollHeight; });
      await p.waitForFunction((n) => document.querySelectorAll('#HistoryList tbody tr').length === n, shown);
    }
    assert.deepEqual((await memos()).slice(-1), ['0']);
  },

  async 'a browser that keeps no history still transfers, and says so once'(env) {
    const view = await start(env, { init: () => { window.indexedDB.open = () => { throw new DOMException('The user denied permission', 'InvalidStateError'); }; } });
    const p = view.page;
    await transfer(view, 'READ_BTN', 'Read successful');
    assert.equal((await view.message()).text, 'Not kept in the history:\nInvalidStateError: The user denied permission');
    await view.answer('OK');
    await transfer(view, 'PROGRAM_BTN', 'Write successful');
    assert.equal(await p.locator('#MessageBox[open]').count(), 0, 'said once');
    assert.deepEqual(await rows(p), []);
  },

  async 'on a phone the history fits the screen, each entry on its lines and every button a finger\'s size'(env) {
    // Firefox emulates no phone: its window only narrowed, which gives the same layout.
    const phone = env.harness.firefox ? {} : { hasTouch: true, isMobile: true };
    const view = await start(env, { device: { viewport: { width: 390, height: 844 }, ...phone } });
    const p = view.page;
    await transfer(view, 'READ_BTN', 'Read successful');
    await transfer(view, 'PROG2_BTN', 'Write successful');
    await rows(p);
    await choose(p, 1);
    const fit = await p.evaluate(() => {
      const d = document.getElementById('HistoryForm').getBoundingClientRect();
      const list = document.querySelector('.history-list');
      const small = [...document.querySelectorAll('#HistoryForm button, #HistoryForm input')]
        .map((e) => e.getBoundingClientRect()).filter((r) => r.width < 24 || r.height < 24);
      return { inside: d.left >= 0 && d.right <= innerWidth && d.top >= 0 && d.bottom <= innerHeight,
        sideways: list.scrollWidth > list.clientWidth, small: small.length };
    });
    assert.deepEqual(fit, { inside: true, sideways: false, small: 0 });
    await view.screenshot('history-phone');
  },
};
