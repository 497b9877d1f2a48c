// Settings files in the page: the desktop's reader and writer, through the browser's file pickers
// or a plain file input and a download, a dropped file, and the five models shared as a link.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import jsQR from 'jsqr';
import { downloaded } from './harness.mjs';

const run = promisify(execFile);

// Without showOpenFilePicker and showSaveFilePicker the page falls back to a file input and a
// download, which the test can drive.
async function start(env, query = '?lang=en', clipboard = true) {
  const view = await env.harness.open({ query, init: (takes) => {
    delete window.showOpenFilePicker;
    delete window.showSaveFilePicker;
    // A clipboard that takes the text (kept in window.clipboardText) or refuses it. Set on
    // navigator itself: Firefox names no Clipboard interface to scripts run before the page's.
    const writeText = async (text) => {
      if (!takes) throw new DOMException('Write permission denied.', 'NotAllowedError');
      window.clipboardText = text;
    };
    Object.defineProperty(navigator, 'clipboard', { value: { writeText }, configurable: true });
  }, initArg: clipboard });
  env.defer(() => view.close());
  await view.answer('OK');
  return view;
}

function tempDir(env) {
  const dir = mkdtempSync(join(tmpdir(), 'vxr-web-files-'));
  env.defer(() => rmSync(dir, { recursive: true, force: true }));
  return dir;
}

// Opens a file through the file input and waits until the page has taken it; answer, the
// button for the question about unsaved edits.
async function open(view, file, answer = null) {
  const opened = Number(await view.page.evaluate(() => document.documentElement.dataset.opened ?? 0));
  const chooser = view.page.waitForEvent('filechooser');
  await view.page.click('#OpenBtn');
  if (answer) await view.answer(answer);
  await (await chooser).setFiles(file);
  await view.page.waitForFunction((n) => Number(document.documentElement.dataset.opened ?? 0) > n, opened);
}

function save(view) {
  return downloaded(view.page, () => view.page.click('#SaveBtn'));
}

// A file of the current layout with MODEL2 shown, one changed value and a memo in CP932, the
// form files from Japanese Windows systems have ("メモ").
const CP932_FILE = Buffer.concat([Buffer.from('[VxrManager]\r\nSYS_MDL=1\r\nSYS_CUR=15\r\nMDL2_NBRK=200\r\nMDL2_MEMO0=1\r\nMDL2_MEMO1='),
  Buffer.from([0x83, 0x81, 0x83, 0x82]), Buffer.from('\r\n')]);

// The QR code the page drew, read back by a QR decoder.
async function readQr(page) {
  const { width, height, data } = await page.evaluate(() => {
    const c = document.getElementById('LinkQr');
    return { width: c.width, height: c.height, data: [...c.getContext('2d').getImageData(0, 0, c.width, c.height).data] };
  });
  return jsQR(Uint8ClampedArray.from(data), width, height)?.data ?? null;
}

const base64Url = (bytes) => Buffer.from(bytes).toString('base64').replaceAll('+', '-').replaceAll('/', '_').replace(/=+$/, '');

export const tests = {
  async 'a file opens through the file input, in either layout and CP932, and saves as the desktop writes it'(env) {
    const dir = tempDir(env);
    const view = await start(env);
    const p = view.page;
    const cp932 = join(dir, 'japanese.vxs');
    writeFileSync(cp932, CP932_FILE);
    await open(view, cp932);
    assert.equal(await p.getAttribute('#MODEL2', 'aria-selected'), 'true');
    assert.deepEqual([await p.inputValue('#NBRK_EDIT'), await p.inputValue('#Memo1')], ['200', 'メモ']);
    const saved = await save(view);
    assert.equal(saved.name, 'japanese.VXS');
    const desktop = join(dir, 'desktop.VXS');
    await run(env.cli, ['convert', cp932, desktop]);
    assert.ok(saved.bytes.equals(readFileSync(desktop)), 'the same bytes as the desktop writes');

    // Edits since: Open asks first; Cancel keeps them, Save saves them before the file opens.
    await p.fill('#NBRK_EDIT', '201');
    await p.press('#NBRK_EDIT', 'Enter');
    await p.click('#OpenBtn');
    assert.deepEqual(await view.message(),
      { caption: 'Question', text: 'Save the changes to japanese.VXS?', buttons: ['Save', 'Discard', 'Cancel'] });
    await view.answer('Cancel');
    assert.equal(await p.inputValue('#NBRK_EDIT'), '201');

    // The older layout: TAG_DATA characters 15 and 16 give the model number, 50 is MODEL3.
    const legacy = join(dir, 'old.VXS');
    writeFileSync(legacy, '[VxrManager]\r\nTAG_DATA=00000000000000500000\r\nFRQ_DATA2=00C8100000000000000000\r\n');
    assert.match((await downloaded(p, () => open(view, legacy, 'Save'))).bytes.toString('latin1'), /MDL2_NBRK=201\r\n/);
    assert.equal(await p.getAttribute('#MODEL3', 'aria-selected'), 'true');
    assert.equal(await p.inputValue('#NBRK_EDIT'), '200');
  },

  async 'with the browser\'s file pickers Open reads the picked file, Save writes to the picked one, a failed write says so'(env) {
    // Pickers that hand out the bytes set in window.picked and keep what is written in window.written.
    const view = await env.harness.open({ query: '?lang=en', init: () => {
      const handle = (name, fail) => ({ name, getFile: async () => new File([Uint8Array.from(window.picked)], name),
        createWritable: async () => ({ write: async (b) => { if (fail) throw new DOMException('disk full', 'QuotaExceededError'); window.written = [...b]; },
          close: async () => {} }) });
      window.showOpenFilePicker = async () => [handle('picked.vxs', false)];
      window.showSaveFilePicker = async ({ suggestedName }) => { window.suggested = suggestedName; return handle('kept.VXS', window.failWrite); };
    } });
    env.defer(() => view.close());
    await view.answer('OK');
    const p = view.page;
    await p.evaluate((bytes) => { window.picked = bytes; }, [...CP932_FILE]);
    await p.click('#OpenBtn');
    await p.waitForFunction(() => document.getElementById('Memo1').value === 'メモ');
    await p.click('#SaveBtn');
    await p.waitForFunction(() => window.written);
    const dir = tempDir(env);
    writeFileSync(join(dir, 'in.vxs'), CP932_FILE);
    await run(env.cli, ['convert', join(dir, 'in.vxs'), join(dir, 'out.VXS')]);
    assert.deepEqual(Buffer.from(await p.evaluate(() => window.written)), readFileSync(join(dir, 'out.VXS')));
    assert.equal(await p.evaluate(() => window.suggested), 'picked.VXS');
    await p.evaluate(() => { window.failWrite = true; });
    await p.click('#SaveBtn');
    assert.deepEqual(await view.message(), { caption: 'Error', text: 'unsaved!', buttons: ['OK'] });
    await view.answer('OK');
  },

  async 'a file that is no settings file is refused and changes nothing, dropped or opened'(env) {
    const dir = tempDir(env);
    for (const [query, text, dropOne] of [['?lang=en', 'Not a settings file', 'Drop one settings file: a folder or several files cannot be opened.'],
      ['?lang=ja', '設定ファイルではありません', '設定ファイルを1つだけドロップしてください。フォルダーや複数のファイルは開けません。']]) {
      const view = await start(env, query);
      const p = view.page;
      await p.fill('#NBRK_EDIT', '42');
      await p.press('#NBRK_EDIT', 'Enter');
      const picture = join(dir, 'picture.png');
      writeFileSync(picture, Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0, 0, 0, 13]));
      const empty = join(dir, 'empty.VXS');
      writeFileSync(empty, '');
      for (const file of [picture, empty]) {
        await open(view, file, query === '?lang=en' ? 'Discard' : '保存しない');
        assert.deepEqual(await view.message(), { caption: query === '?lang=en' ? 'Error' : 'エラー', text, buttons: ['OK'] });
        await view.answer('OK');
      }
      // Several files, or a folder as Chromium hands one over (an entry that is a directory, bytes
      // that cannot be read): refused before the question about the edits.
      const drop = (what) => p.evaluate((kind) => {
        const target = document.getElementById('Curve');
        if (kind === 'two files') {
          const dt = new DataTransfer();
          dt.items.add(new File(['a'], 'one.VXS'));
          dt.items.add(new File(['b'], 'two.VXS'));
          target.dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
          return;
        }
        const folder = new File([], 'setups');
        folder.arrayBuffer = () => Promise.reject(new DOMException('A requested file or directory could not be found.', 'NotFoundError'));
        const items = kind === 'folder' ? [{ kind: 'file', webkitGetAsEntry: () => ({ isDirectory: true }) }] : [];
        const e = new Event('drop', { bubbles: true, cancelable: true });
        Object.defineProperty(e, 'dataTransfer', { value: { types: ['Files'], files: [folder], items } });
        target.dispatchEvent(e);
      }, what);
      for (const what of ['two files', 'folder']) {
        await drop(what);
        assert.equal((await view.message()).text, dropOne, what);
        await view.answer('OK');
      }
      // A folder the browser does not name as one fails only when read: refused then, no page error.
      await drop('unnamed folder');
      await view.answer(query === '?lang=en' ? 'Discard' : '保存しない');
      assert.equal((await view.message()).text, dropOne);
      await view.answer('OK');
      assert.equal(await p.inputValue('#NBRK_EDIT'), '42');

      // Dropped on the page: the same reader, the same refusal.
      await p.evaluate(() => {
        const dt = new DataTransfer();
        dt.items.add(new File(['just some text'], 'notes.txt'));
        document.getElementById('Curve').dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true }));
      });
      assert.equal((await view.message()).text, query === '?lang=en' ? 'Save the changes?' : '変更を保存しますか？');
      await view.answer(query === '?lang=en' ? 'Discard' : '保存しない');
      assert.equal((await view.message()).text, text);
      await view.answer('OK');
      assert.equal(await p.inputValue('#NBRK_EDIT'), '42');
      await p.evaluate((bytes) => {
        const dt = new DataTransfer();
        dt.items.add(new File([Uint8Array.from(bytes)], 'dropped.VXS'));
        document.getElementById('Curve').dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true }));
      }, [...CP932_FILE]);
      await view.answer(query === '?lang=en' ? 'Discard' : '保存しない');
      await p.waitForFunction(() => document.getElementById('Memo1').value === 'メモ');
    }
  },

  async 'a file with bytes that cannot be read opens with a warning about the replaced characters'(env) {
    const dir = tempDir(env);
    const damaged = join(dir, 'damaged.VXS');
    writeFileSync(damaged, Buffer.concat([Buffer.from('[VxrManager]\r\nSYS_MDL=1\r\nMDL2_MEMO0=1\r\nMDL2_MEMO1=メ'),
      Buffer.from([0xff]), Buffer.from('モ\r\n')]));
    for (const [query, text] of [['?lang=en', 'Some characters in this file could not be read and were replaced.'],
      ['?lang=ja', 'このファイルの一部の文字は読み取れなかったため、置き換えました。']]) {
      const view = await start(env, query);
      await open(view, damaged);
      assert.equal((await view.message()).text, text);
      await view.screenshot(`replaced-${query.slice(-2)}`);
      await view.answer('OK');
      assert.equal(await view.page.inputValue('#Memo1'), 'メ\ufffdモ');
    }
  },

  async 'a file holding values outside their range opens with one warning that lists them all'(env) {
    const dir = tempDir(env);
    const wild = join(dir, 'wild.VXS');
    writeFileSync(wild, '[VxrManager]\r\nSYS_MDL=1\r\nMDL2_BFREQ=999\r\nMDL3_PROG=-4\r\nMDL4_NBRK=300\r\n' +
      'MDL5_FRQ7=5\r\nMDL5_VLT=90\r\n');
    for (const [query, first, line] of [
      ['?lang=en', /^This file holds values outside their range/, 'MODEL2 BFREQ = 999 (allowed: 12..63)'],
      ['?lang=ja', /^このファイルには範囲外の値があります/, 'MODEL2 BFREQ = 999（範囲: 12..63）']]) {
      const view = await start(env, query);
      await open(view, wild);
      const m = await view.message();
      const lines = m.text.split('\n');
      assert.match(lines[0], first);
      assert.deepEqual(lines.slice(1).map((l) => l.split(' ').slice(0, 2).join(' ')),
        ['MODEL2 BFREQ', 'MODEL3 PROG', 'MODEL4 NBRK', 'MODEL5 VLT', 'MODEL5 FRQ7']);
      assert.equal(lines[1], line);
      await view.screenshot(`out-of-range-${query.slice(-2)}`);
      await view.answer('OK');
      assert.equal(await view.page.locator('#MessageBox[open]').count(), 0, 'one warning only');
    }
  },

  async 'a link holds the five models and their memos, deflated, also as a QR code; opening one asks before unsaved edits go, a damaged one is refused'(env) {
    const view = await start(env);
    const p = view.page;
    // A setup of a season: a memo of three lines in every model.
    const memos = [1, 2, 3, 4, 5].map((m) => `Tsukuba ${m}, wet: 17.5T, FDR 4.2\nタイヤ: ソフト、ピニオン ${20 + m}T\nbrake light at the hairpin`);
    for (let m = 0; m < 5; ++m) {
      await p.click(`#MODEL${m + 1}`);
      await p.fill('#Memo1', memos[m]);
    }
    await p.click('#MODEL4');
    await p.fill('#NBRK_EDIT', '222');
    await p.press('#NBRK_EDIT', 'Enter');
    await p.click('#ShareBtn');
    assert.equal((await view.message()).text, 'Link copied: it holds the five models.');
    const link = await p.evaluate(() => window.clipboardText);
    // The receiver's language applies: the link has no ?lang=.
    assert.match(link, /^http:\/\/127\.0\.0\.1:\d+\/#vxz=[A-Za-z0-9_-]+$/);
    assert.equal(await p.inputValue('#LinkText'), link);
    assert.equal(await readQr(p), link, 'the QR code reads as the link');
    // Dense codes need large modules for a phone's camera to read them from a screen.
    const qr = await p.$eval('#LinkQr', (c) => ({ version: Number(c.dataset.version), width: c.getBoundingClientRect().width }));
    const modules = 17 + 4 * qr.version + 8;
    assert.ok(qr.version <= 25, `a QR code of version ${qr.version} (a link of ${link.length} characters)`);
    assert.ok(qr.width / modules >= 3, `${qr.width / modules} pixels a module`);
    await view.screenshot('link-qr');
    await view.answer('OK');
    assert.equal(new URL(p.url()).hash, new URL(link).hash, 'the address bar holds the link');

    // Opened in another browser in Japanese: the same five models with their memos.
    const phone = await env.harness.open({ url: link, locale: 'ja-JP' });
    env.defer(() => phone.close());
    await phone.answer('OK');
    await phone.page.waitForFunction(() => document.getElementById('NBRK_EDIT').value === '222');
    assert.equal(await phone.page.getAttribute('html', 'lang'), 'ja');
    for (let m = 0; m < 5; ++m) {
      await phone.page.click(`#MODEL${m + 1}`);
      assert.equal(await phone.page.inputValue('#Memo1'), memos[m]);
    }

    // An older link, the file's bytes undeflated, still opens; a deflated one that is damaged
    // is refused like a damaged file.
    const old = await env.harness.open({ url: `${link.split('#')[0]}#vxs=${base64Url(CP932_FILE)}` });
    env.defer(() => old.close());
    await old.answer('OK');
    await old.page.waitForFunction(() => document.getElementById('Memo1').value === 'メモ');
    assert.equal(await old.page.getAttribute('#MODEL2', 'aria-selected'), 'true');
    const damagedPacked = await env.harness.open({ url: `${link.split('#')[0]}#vxz=${base64Url(Buffer.from('not deflated at all'))}` });
    env.defer(() => damagedPacked.close());
    await damagedPacked.answer('OK');
    assert.deepEqual(await damagedPacked.message(), { caption: 'Error', text: 'Not a settings file', buttons: ['OK'] });
    await damagedPacked.answer('OK');

    // Edits since: the link asks as Open does; Save goes on once saved, Cancel keeps them, and a
    // damaged link is refused after Discard, the edits kept.
    const other = await start(env, '?lang=en');
    const q = other.page;
    const damagedHash = '#vxs=iVBORw0KGgo';
    for (const [hash, answer, memo] of [[new URL(link).hash, 'Cancel', 'edit Cancel'], [damagedHash, 'Discard', 'edit Discard'],
      [new URL(link).hash, 'Save', memos[3]], [new URL(link).hash, 'Discard', memos[3]]]) {
      await q.evaluate(() => { location.hash = ''; });
      await q.fill('#Memo1', `edit ${answer}`);
      const asked = async () => {
        await q.evaluate((h) => { location.hash = h; }, hash);
        assert.deepEqual(await other.message(), { caption: 'Question', text: 'Save the changes?', buttons: ['Save', 'Discard', 'Cancel'] });
        await other.answer(answer);
      };
      if (answer === 'Save') assert.match((await downloaded(q, asked)).bytes.toString('latin1'), /MDL1_MEMO1=edit Save\r\n/);
      else await asked();
      if (hash === damagedHash) {
        assert.deepEqual(await other.message(), { caption: 'Error', text: 'Not a settings file', buttons: ['OK'] });
        await other.answer('OK');
      }
      await q.waitForFunction((m) => document.getElementById('Memo1').value === m, memo);
      const linked = !memo.startsWith('edit');
      assert.equal(await q.getAttribute('#MODEL4', 'aria-selected'), String(linked), `${answer} ${hash}`);
      if (linked) assert.equal(await q.inputValue('#NBRK_EDIT'), '222');
    }

    // A damaged older link is refused like a damaged file.
    const damaged = await env.harness.open({ url: `${link.split('#')[0]}#vxs=iVBORw0KGgo` });
    env.defer(() => damaged.close());
    await damaged.answer('OK');
    const m = await damaged.message();
    assert.deepEqual(m, { caption: 'Error', text: 'Not a settings file', buttons: ['OK'] });
    await damaged.screenshot('damaged-link');
    await damaged.answer('OK');
  },

  async 'where the clipboard refuses the link, the page says so and offers it selected to copy by hand'(env) {
    for (const [query, text] of [['?lang=en', 'The link could not be copied: select it below and copy it. It holds the five models.'],
      ['?lang=ja', 'リンクをコピーできませんでした。下のリンクを選んでコピーしてください。5つのMODELの設定が入っています。']]) {
      const view = await start(env, query, false);
      const p = view.page;
      await p.click('#ShareBtn');
      assert.equal((await view.message()).text, text);
      const field = await p.evaluate(() => {
        const f = document.activeElement;
        return { id: f.id, selected: f.value.slice(f.selectionStart, f.selectionEnd), value: f.value };
      });
      assert.equal(field.id, 'LinkText');
      assert.equal(field.selected, field.value, 'the whole link is selected');
      assert.match(field.value, /#vxz=/);
      assert.equal(await readQr(p), field.value);
      await view.screenshot(`link-by-hand-${query.slice(-2)}`);
      await view.answer('OK');
    }
  },
  async 'leaving the page over unsaved edits or during a transfer asks first; EXIT in a tab the page cannot close says so'(env) {
    const view = await start(env);
    const p = view.page;
    const asked = [];
    p.on('dialog', (d) => { asked.push(d.type()); d.dismiss(); });
    // Nothing to lose: the page reloads without a question.
    await p.reload();
    await view.answer('OK');
    assert.deepEqual(asked, []);
    // Over an edit: the browser asks, and staying keeps the edit.
    await p.click('#NBRK_EDIT');
    await p.fill('#NBRK_EDIT', '42');
    await p.press('#NBRK_EDIT', 'Enter');
    const reload = async () => {
      const dialog = p.waitForEvent('dialog');
      await p.evaluate(() => location.reload());
      await dialog;
    };
    await reload();
    assert.deepEqual(asked, ['beforeunload']);
    assert.equal(await p.inputValue('#NBRK_EDIT'), '42');
    // During a transfer, without edits: asks too, and the transfer ends as it would.
    await p.click('#RESET_BTN');
    await view.answer('Discard');
    await p.selectOption('#CommPort', 'demo');
    await view.answer('OK');
    await p.click('#PROGRAM_BTN');
    await p.waitForSelector('#MonForm[open]');
    await reload();
    assert.deepEqual(asked, ['beforeunload', 'beforeunload']);
    assert.equal((await view.message()).text, 'Write successful');
    await view.answer('OK');

    // Firefox lets a page close a tab its driver opened, as one a script opened: EXIT's message
    // for a tab that stays open is left to Chromium.
    if (env.harness.firefox) return;
    // A tab with a history of its own cannot be closed by the page: EXIT says so.
    await p.evaluate(() => { location.hash = 'elsewhere'; });
    await p.click('#EXIT_BTN');
    assert.deepEqual(await view.message(), { caption: 'Information', text: 'This tab cannot be closed by the page: close it in the browser.', buttons: ['OK'] });
    await view.answer('OK');
    // A window the page opened itself may be closed by it: EXIT closes it.
    const [popup] = await Promise.all([view.context.waitForEvent('page'), p.evaluate(() => window.open(location.href.split('#')[0]))]);
    await popup.locator('#MessageBox[open] button').click();
    const closed = popup.waitForEvent('close');
    await popup.click('#EXIT_BTN');
    await closed;
  },
  async 'a memo of one line of megabytes opens, takes typing and saves whole'(env) {
    const view = await start(env);
    const p = view.page;
    const line = 'abc defgh '.repeat(300_000);
    const ms = await p.evaluate(async (text) => {
      const dt = new DataTransfer();
      dt.items.add(new File([`[VxrManager]\r\nMDL1_MEMO0=1\r\nMDL1_MEMO1=${text}\r\n`], 'long.VXS'));
      const t0 = performance.now();
      document.getElementById('Curve').dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true }));
      while (document.getElementById('Memo1').value.length < text.trimEnd().length) await new Promise((r) => setTimeout(r, 5));
      await new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
      return performance.now() - t0;
    }, line);
    env.log(`  a memo line of ${line.length / 1e6} MB shown in ${Math.round(ms)} ms`);
    await p.focus('#Memo1');
    await p.keyboard.press('Control+End');
    await p.keyboard.press('Enter');
    await p.keyboard.type('XY');
    await p.click('#MODEL2');
    await p.click('#MODEL1');
    assert.equal(await p.evaluate(() => document.getElementById('Memo1').value.slice(-4)), 'h\nXY');
    const saved = await save(view, tempDir(env));
    const text = saved.bytes.toString('latin1');
    assert.ok(text.includes(`MDL1_MEMO0=2\r\nMDL1_MEMO1=${line.trimEnd()}\r\nMDL1_MEMO2=XY\r\n`), 'the memo saved whole with the typed line');
  },
};
