// The setting sheet in the page: made for the browser's print from the core's content, in both languages.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// MODEL2 shown; values outside their range in three models; a memo of two lines, or of many.
const settings = (memoLines) => ['[VxrManager]', 'SYS_MDL=1', 'MDL2_BFREQ=999', 'MDL3_PROG=-4', 'MDL5_FRQ7=5', 'MDL5_FRQ8=63',
  `MDL2_MEMO0=${memoLines.length}`, ...memoLines.map((l, k) => `MDL2_MEMO${k + 1}=${l}`), ''].join('\r\n');

async function openSettings(env, lang, memoLines) {
  const dir = mkdtempSync(join(tmpdir(), 'vxr-web-sheet-'));
  env.defer(() => rmSync(dir, { recursive: true, force: true }));
  const file = join(dir, 'setup.VXS');
  writeFileSync(file, settings(memoLines));
  const view = await env.harness.open({ query: `?lang=${lang}`, init: () => { delete window.showOpenFilePicker; } });
  env.defer(() => view.close());
  await view.answer('OK');
  const chooser = view.page.waitForEvent('filechooser');
  await view.page.click('#OpenBtn');
  await (await chooser).setFiles(file);
  await view.page.waitForFunction(() => Number(document.documentElement.dataset.opened ?? 0) > 0);
  if (await view.page.locator('#MessageBox[open]').count()) await view.answer('OK');  // the values outside their range
  return view;
}

// The sheet as the browser would print it.
function printed(view) {
  return view.page.evaluate(() => {
    window.dispatchEvent(new Event('beforeprint'));
    const all = (e, selector) => [...e.querySelectorAll(selector)].map((x) => x.textContent);
    return {
      buttons: all(document, '#SheetButtons button'),
      pages: [...document.querySelectorAll('#SheetView .sheet-page')].map((p) => ({
        title: p.querySelector('.sheet-title').textContent, foot: all(p, '.sheet-foot span'), lines: all(p, '.sheet-line') })),
      models: [...document.querySelectorAll('#SheetView .sheet-model')].map((m) => ({
        name: m.querySelector('.sheet-name').textContent, mark: all(m, '.sheet-mark'), values: all(m, '.sheet-value'),
        steps: all(m, '.sheet-step'), crosses: m.querySelectorAll('.sheet-outside').length, points: m.querySelectorAll('.sheet-point').length })),
    };
  });
}

const d = new Date();
const TODAY = `${d.getFullYear()}-${String(d.getMonth() + 1).padStart(2, '0')}-${String(d.getDate()).padStart(2, '0')}`;

export const tests = {
  async 'the sheet of the bank as the window prints it, values outside their range marked, in both languages'(env) {
    const CASES = [
      { lang: 'en', buttons: ['Print', 'Save as PDF'], mark: 'current model', bfreq: '999 (out of range)', prog: '-4 (out of range)',
        foot: [`made ${TODAY}`, 'page 1 of 1'] },
      { lang: 'ja', buttons: ['印刷', 'PDF で保存'], mark: '現在のモデル', bfreq: '999（範囲外）', prog: '-4（範囲外）',
        foot: [`作成日 ${TODAY}`, '1 / 1 ページ'] },
    ];
    for (const c of CASES) {
      const view = await openSettings(env, c.lang, ['Tsukuba', 'wet']);
      const s = await printed(view);
      assert.deepEqual(s.buttons, c.buttons);
      assert.deepEqual(s.pages, [{ title: 'setup.VXS', foot: c.foot, lines: ['Tsukuba', 'wet'] }]);
      assert.deepEqual(s.models.map((m) => m.mark), [[], [c.mark], [], [], []]);
      assert.equal(s.models[1].values[1], c.bfreq);
      assert.equal(s.models[2].values[3], c.prog);
      assert.deepEqual(s.models[0].steps, Array(32).fill('5'));
      // FRQ7 = 5 lies outside: a cross and "?"; FRQ8 = 63 is the top step.
      assert.deepEqual([s.models[4].steps[6], s.models[4].steps[7], s.models[4].crosses, s.models[4].points], ['?', '52', 1, 31]);
      // Printed, the sheet is all there is (Firefox's driver emulates no print media).
      if (!env.harness.firefox) {
        await view.page.emulateMedia({ media: 'print' });
        assert.deepEqual([await view.page.isVisible('#MainForm'), await view.page.isVisible('#SheetView')], [false, true]);
        await view.screenshot(`sheet-${c.lang}`);
      }
    }
  },

  async 'a long memo goes on, line for line, on numbered further pages; after printing the sheet is gone'(env) {
    const memo = Array.from({ length: 150 }, (_, k) => `lap ${k + 1}`);
    const view = await openSettings(env, 'en', memo);
    const s = await printed(view);
    assert.ok(s.pages.length >= 2, `${s.pages.length} pages`);
    assert.deepEqual(s.pages.flatMap((p) => p.lines), memo);
    s.pages.forEach((p, k) => {
      assert.equal(p.foot[1], `page ${k + 1} of ${s.pages.length}`);
      if (k) assert.equal(p.title, 'setup.VXS \u2014 memo (continued)');
    });
    await view.page.emulateMedia({ media: 'print' });
    await view.screenshot('sheet-continued');
    await view.page.evaluate(() => window.dispatchEvent(new Event('afterprint')));
    assert.equal(await view.page.locator('#SheetView .sheet-page').count(), 0);
  },
};
