// The four transfers in the page against vxr-sim: the same bytes on the line as the desktop's
// command line puts there, faults reported as failures, and no other input while one runs.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { alone } from './harness.mjs';
import { Simulator } from './serial-double.mjs';

const run = promisify(execFile);
const USB = (n) => ({ usbVendorId: 0x0403, usbProductId: 0x6000 + n });

function tempDir(env) {
  const dir = mkdtempSync(join(tmpdir(), 'vxr-web-'));
  env.defer(() => rmSync(dir, { recursive: true, force: true, maxRetries: 5 }));
  return dir;
}

// A simulator whose frames and final state land in dir/name.frames and dir/name.state; paced at
// the line's 1200 bit/s where the test needs a transfer in progress.
async function sim(env, dir, name, args = [], paced = false) {
  const s = await Simulator.start(env.sim, ['--transcript', join(dir, `${name}.frames`), '--state', join(dir, `${name}.state`), ...args], { paced });
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

// Chooses port n in the list and answers its message.
async function choosePort(view, n) {
  await view.page.selectOption('#CommPort', String(n));
  assert.match((await view.message()).text, new RegExp(`^COM${n}`));
  await view.answer('OK');
}

// Every text the progress label shows, in order, from now on.
const watchLabel = (page) => page.evaluate(() => {
  window.labels = [];
  new MutationObserver(() => window.labels.push(document.getElementById('MSG_LB').textContent))
    .observe(document.getElementById('MSG_LB'), { childList: true, characterData: true, subtree: true });
});

export const tests = {
  'read all and write all put the same bytes on the line as the desktop, with their progress': alone(async (env) => {
    const dir = tempDir(env);
    // The page's read all is watched while it runs: at the line's pace.
    const [pageFrom, pageTo] = [await sim(env, dir, 'page-from', ['--model-number', '80'], true), await sim(env, dir, 'page-to')];
    const view = await env.harness.open({ query: '?lang=en', ports: [USB(1), USB(2)], backends: [pageFrom, pageTo] });
    env.defer(() => view.close());
    await view.answer('OK');
    await choosePort(view, 1);
    await watchLabel(view.page);
    await view.page.click('#READ_BTN');
    await view.page.waitForSelector('#MonForm[open]');
    assert.equal(await view.page.textContent('#MonFormCaption'), 'Communicat');
    await view.screenshot('transfer-progress');
    assert.deepEqual(await view.message(), { caption: 'Information', text: 'Read successful', buttons: ['OK'] });
    assert.deepEqual(await view.page.evaluate(() => [...new Set(window.labels)].filter(Boolean)),
      ['Read Modelnumber', 'Read MODEL1', 'Read MODEL2', 'Read MODEL3', 'Read MODEL4', 'Read MODEL5', 'Write Modelnumber']);
    assert.deepEqual(await view.page.evaluate(() => [document.getElementById('PG_BAR').value, document.getElementById('PG_BAR').max]), [7, 7]);
    await view.answer('OK');
    assert.equal(await view.page.getAttribute('#MODEL3', 'aria-selected'), 'true', "the controller's model is shown");
    await view.screenshot('after-read-all');
    await choosePort(view, 2);
    await view.page.click('#PROGRAM_BTN');
    assert.equal((await view.message()).text, 'Write successful');
    await view.answer('OK');

    // The desktop's transfers (vxrmgr-cli runs the same operations) between two more simulators.
    const [cliFrom, cliTo] = [await sim(env, dir, 'cli-from', ['--model-number', '80']), await sim(env, dir, 'cli-to')];
    const file = join(dir, 'bank.VXS');
    await run(env.cli, ['read', cliFrom.device, file]);
    await run(env.cli, ['write', cliTo.device, file]);
    for (const s of [pageFrom, pageTo, cliFrom, cliTo]) await stopped(s);
    const text = (name) => readFileSync(join(dir, name), 'utf8');
    assert.equal(text('page-from.frames'), text('cli-from.frames'));
    assert.equal(text('page-to.frames'), text('cli-to.frames'));
    assert.equal(text('page-to.state'), text('cli-to.state'));
    assert.match(text('page-to.frames'), /^E6 50 50$/m);
  }),

  // Timed: reported at once, or only at the reply's time-out.
  'a failed step is the transfer\'s failure, reported at once, the bank left alone': alone(async (env) => {
    const CASES = [
      // simulator fault, button, language, message
      // simulator fault, button, language, message and its second line (the step and the cause)
      { args: ['--bad-checksum', '3'], button: '#READ_BTN', query: '?lang=en', text: 'Read failed',
        cause: /^reading MODEL3: checksum mismatch: received 0x[0-9A-F]{2}, computed 0x[0-9A-F]{2}$/ },
      { args: ['--refuse-write', '3'], button: '#PROGRAM_BTN', query: '?lang=en', text: 'Write failed',
        cause: /^writing MODEL3: refused: reply ended in 0x15, not 0x06$/ },
      { args: ['--hang-up', 'D2:10'], button: '#READ_BTN', query: '?lang=ja', text: '読取失敗',
        cause: /^MODEL2 の読み取り: .*。ポートを選び直してください$/ },
      // A short reply is known only when the time-out has run out.
      { args: ['--short-reply', 'D4:20'], button: '#READ2_BTN', query: '?lang=en', text: 'Read failed', tab: 3, waits: true,
        cause: /^reading MODEL4: short reply: 20 of 50 bytes within \d+ ms$/ },
    ];
    const dir = tempDir(env);
    for (const [k, c] of CASES.entries()) {
      const s = await sim(env, dir, `fault${k}`, ['--model-number', '80', ...c.args]);
      const view = await env.harness.open({ query: c.query, ports: [USB(1)], backends: [s] });
      env.defer(() => view.close());
      await view.answer('OK');
      await choosePort(view, 1);
      const before = await view.page.evaluate(() => document.getElementById('MDL_SEL').outerHTML);
      if (c.tab !== undefined) await view.page.click(`#MODEL${c.tab + 1}`);
      const t0 = Date.now();
      await view.page.click(c.button);
      const m = await view.message();
      assert.equal(m.text.split('\n')[0], c.text, c.args.join(' '));  // a third line may say what was written
      assert.match(m.text.split('\n')[1], c.cause, c.args.join(' '));
      assert.equal(m.caption, c.query === '?lang=ja' ? 'エラー' : 'Error');
      const took = Date.now() - t0;
      assert.ok(c.waits ? took >= 6900 : took < 6500, `${c.args.join(' ')}: reported after ${took} ms`);
      assert.equal(await view.page.locator('#MonForm[open]').count(), 0);
      await view.answer('OK');
      if (c.tab === undefined) assert.equal(await view.page.evaluate(() => document.getElementById('MDL_SEL').outerHTML), before, 'nothing shown changed');
    }
  }),

  async 'the demonstration controller answers the transfers in the page and is chosen again at the next start'(env) {
    const view = await env.harness.open({ query: '?lang=en' });
    env.defer(() => view.close());
    await view.answer('OK');
    await view.page.selectOption('#CommPort', 'demo');
    assert.equal((await view.message()).text, 'COM1 OK');
    await view.answer('OK');
    await view.page.click('#MODEL2');
    await view.page.fill('#NBRK_EDIT', '200');
    await view.page.click('#PROG2_BTN');
    assert.equal((await view.message()).text, 'Write successful');
    await view.answer('OK');
    await view.page.click('#RESET_BTN');
    assert.equal(await view.page.inputValue('#NBRK_EDIT'), '128');
    await view.page.click('#READ_BTN');
    await view.answer('Discard');  // the reset is an edit that reading replaces
    assert.equal((await view.message()).text, 'Read successful');
    await view.answer('OK');
    assert.equal(await view.page.getAttribute('#MODEL2', 'aria-selected'), 'true', 'the model written last is current');
    assert.equal(await view.page.inputValue('#NBRK_EDIT'), '200', 'the controller kept what was written');
    await view.page.reload();
    assert.equal((await view.message()).text, 'COM1 OK');
    await view.answer('OK');
    assert.equal(await view.page.inputValue('#CommPort'), 'demo');
  },

  'while a transfer runs, buttons, keys and the progress window\'s close do nothing': alone(async (env) => {
    const dir = tempDir(env);
    const s = await sim(env, dir, 'busy', ['--delay', 'D6:1500'], true);
    const view = await env.harness.open({ query: '?lang=en', ports: [USB(1)], backends: [s] });
    env.defer(() => view.close());
    await view.answer('OK');
    await choosePort(view, 1);
    await view.page.click('#READ_BTN');
    await view.page.waitForSelector('#MonForm[open]');
    const at = async (id) => { const b = await view.page.locator(id).boundingBox(); return [b.x + b.width / 2, b.y + b.height / 2]; };
    await view.page.mouse.click(...(await at('#READ_BTN')));
    await view.page.mouse.click(...(await at('#MODEL2')));
    await view.page.keyboard.press('Escape');
    assert.equal(await view.page.locator('#MonForm[open]').count(), 1, 'the progress window stays');
    assert.equal((await view.message()).text, 'Read successful');
    await view.answer('OK');
    await view.page.waitForTimeout(1000);
    assert.equal(await view.page.locator('#MessageBox[open]').count(), 0, 'no second transfer');
    await stopped(s);
    const frames = readFileSync(join(dir, 'busy.frames'), 'utf8').trim().split('\n');
    assert.equal(frames.filter((f) => f === 'D6').length, 1, frames.join(' | '));
  }),
};
