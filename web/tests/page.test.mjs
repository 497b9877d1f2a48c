// The page's window: every control there, texts from the core in both languages, the hints.
import assert from 'node:assert/strict';

// Every control of the desktop window, by its name.
const IDS = ['PROGRAM_BTN', 'READ_BTN', 'OpenBtn', 'SaveBtn', 'EXIT_BTN', 'PROG2_BTN', 'READ2_BTN', 'RESET_BTN',
  'SpeedButton1', 'MDL_SEL', 'MODEL1', 'MODEL5', 'NBRK_BAR', 'NBRK_EDIT', 'PROG_BAR', 'PROG_EDIT', 'BFREQ_CMB',
  'CUTOFF_COMB', 'AVG_BAR', 'FRQ_NUM', 'FRQ_F', 'FRQ_VAL', 'Select_Gage1', 'Memo1', 'CommPort', 'Panel4',
  'MonForm', 'MSG_LB', 'PG_BAR', ...Array.from({ length: 32 }, (_, i) => `FRQ_${i}`)];

const LANGUAGES = [
  // query, browser locale, what the page must show
  { name: 'ja-from-query', query: '?lang=ja', locale: 'en-US', html: 'ja', Label1: 'ニュートラルブレーキの状態', exitHint: '終了',
    start: { caption: '情報', text: 'シリアルポートを閉じました', buttons: ['OK'] } },
  { name: 'ja-from-browser', query: '', locale: 'ja-JP', html: 'ja', Label1: 'ニュートラルブレーキの状態', exitHint: '終了',
    start: { caption: '情報', text: 'シリアルポートを閉じました', buttons: ['OK'] } },
  { name: 'en-from-query', query: '?lang=EN', locale: 'ja-JP', html: 'en', Label1: 'AutomaticBrake', exitHint: 'Exit',
    start: { caption: 'Information', text: 'No Connection', buttons: ['OK'] } },
  { name: 'en-from-browser', query: '', locale: 'de-DE', html: 'en', Label1: 'AutomaticBrake', exitHint: 'Exit',
    start: { caption: 'Information', text: 'No Connection', buttons: ['OK'] } },
];

// What Chromium's accessibility tree says of the elements with these ids.
async function accessible(page, ids) {
  const cdp = await page.context().newCDPSession(page);
  const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
  const found = {};
  for (const id of ids) {
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector: `[id="${id}"]` });
    const [n] = (await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false })).nodes;
    const property = (name) => n.properties?.find((x) => x.name === name)?.value.value;
    found[id] = { role: n.role?.value, name: n.name?.value, description: n.description?.value || undefined, value: n.value?.value,
      selected: property('selected'), live: property('live') };
    if (n.role?.value === 'slider') found[id].range = [property('valuemin'), property('valuemax'), property('valuetext')];
  }
  await cdp.detach();
  return found;
}

// Accessible names: [id, English, Japanese].
const NAMES = [['PROGRAM_BTN', 'Write All', '全てのMODELを書き込む'], ['EXIT_BTN', 'Exit', '終了'], ['SpeedButton1', 'LinerAdjust', '直線補間'],
  ['ShareBtn', 'Copy a link holding these settings', '設定をリンクにしてコピーする'], ['MODEL3', 'MODEL3', 'MODEL3'],
  ['NBRK_BAR', 'AutomaticBrake', 'ニュートラルブレーキの状態'], ['PROG_EDIT', 'TimingAdjust', '進角の状態'],
  ['BFREQ_CMB', 'BrakeFreq', 'ブレーキの周波数'], ['CUTOFF_COMB', 'LowVoltCut', 'LowVoltCut'], ['FRQ_0', 'DriveFreq 1', '出力周波数 1'],
  ['FRQ_31', 'DriveFreq 32', '出力周波数 32'], ['AVG_BAR', 'DriveFreq AVG', '出力周波数 AVG'], ['FRQ_VAL', 'DriveFreq', '出力周波数'],
  ['Memo1', 'Memo', 'メモ'], ['CommPort', 'COMM', 'COMM']];

// The pixels of a screenshot of element ids (each clipped with a margin of 4 px), decoded in a
// blank page of the same browser: { id: { w, h, at(x, y) -> [r, g, b] } }.
async function pixels(page, ids) {
  const shots = {};
  for (const id of ids) {
    const b = await page.locator(`#${id}`).boundingBox();
    const clip = { x: Math.floor(b.x) - 4, y: Math.floor(b.y) - 4, width: Math.ceil(b.width) + 8, height: Math.ceil(b.height) + 8 };
    shots[id] = (await page.screenshot({ clip })).toString('base64');
  }
  const blank = await page.context().newPage();
  const decoded = await blank.evaluate(async (all) => {
    const out = {};
    for (const [id, png] of Object.entries(all)) {
      const img = new Image();
      img.src = `data:image/png;base64,${png}`;
      await img.decode();
      const c = Object.assign(document.createElement('canvas'), { width: img.width, height: img.height });
      const g = c.getContext('2d');
      g.drawImage(img, 0, 0);
      out[id] = { w: img.width, h: img.height, data: [...g.getImageData(0, 0, img.width, img.height).data] };
    }
    return out;
  }, shots);
  await blank.close();
  for (const shot of Object.values(decoded)) shot.at = (x, y) => shot.data.slice((y * shot.w + x) * 4, (y * shot.w + x) * 4 + 3);
  return decoded;
}

const near = (rgb, hex) => rgb.every((v, i) => Math.abs(v - parseInt(hex.slice(1 + 2 * i, 3 + 2 * i), 16)) <= 10);

export const tests = {
  async 'language from the query or the browser, texts from the core, one start-up message'({ harness, defer }) {
    for (const c of LANGUAGES) {
      const view = await harness.open({ query: c.query, locale: c.locale });
      defer(() => view.close());
      assert.deepEqual(await view.message(), c.start, c.name);
      await view.screenshot(`start-${c.name}`);
      await view.answer('OK');
      const got = await view.page.evaluate(() => ({
        html: document.documentElement.lang,
        title: document.title,
        Label1: document.getElementById('Label1').textContent,
        Label9: document.getElementById('Label9').textContent,
        exitHint: document.getElementById('EXIT_BTN').title,
        brake: [...document.getElementById('BFREQ_CMB').options].map((o) => o.textContent),
        cutOff: [...document.getElementById('CUTOFF_COMB').options].map((o) => o.textContent.replaceAll('\u00a0', ' ')),
        ports: [...document.getElementById('CommPort').options].map((o) => o.textContent),
      }));
      assert.equal(got.html, c.html, c.name);
      assert.equal(got.Label1, c.Label1, c.name);
      assert.equal(got.Label9, 'LowVoltCut', c.name);
      assert.equal(got.exitHint, c.exitHint, c.name);
      assert.equal(got.title, 'VXR Manager for ZavidEzedu Ver1.54');
      assert.equal(got.brake.length, 52);
      assert.equal(got.brake[20], '0.964kHz');
      assert.equal(got.cutOff[4], 'NiMH   5-6cell  3.2V');
      assert.equal(got.ports[0], 'OFF');
      assert.deepEqual(got.ports.slice(1), [c.html === 'ja' ? 'COM1  デモ用コントローラ' : 'COM1  Demo controller',
        c.html === 'ja' ? '他のポートを選ぶ…' : 'Choose another port…', c.html === 'ja' ? 'ポートがない？' : 'No port?'],
      'the demonstration controller, the entry that asks for another port, and what to do without one');
    }
  },

  async 'every control of the window is there by its name, each tool button with its hint'({ harness, defer }) {
    const view = await harness.open({ query: '?lang=en' });
    defer(() => view.close());
    await view.answer('OK');
    const missing = await view.page.evaluate((ids) => ids.filter((id) => !document.getElementById(id)), IDS);
    assert.deepEqual(missing, []);
    const hints = await view.page.$$eval('.tool', (bs) => bs.map((b) => [b.id, b.title]));
    assert.deepEqual(hints, [['COMPARE_BTN', 'Compare setups'], ['UNDO_BTN', 'Undo (Ctrl+Z)'], ['REDO_BTN', 'Redo (Ctrl+Y)'], ['PROGRAM_BTN', 'Write All'], ['READ_BTN', 'Read All'],
      ['OpenBtn', 'Open'], ['SaveBtn', 'Save'], ['EXIT_BTN', 'Exit'], ['PROG2_BTN', 'Write'], ['READ2_BTN', 'Read'],
      ['RESET_BTN', 'Reset'], ['SpeedButton1', 'LinerAdjust'], ['ShareBtn', 'Copy a link holding these settings'], ['HIST_BTN', 'History']]);
    await view.screenshot('window-en');
  },

  async 'a screen reader hears each control by name, the selected tab, a bar\'s step, the messages and the progress'({ harness, defer, skip }) {
    // The tree is read through Chromium's DevTools protocol; Firefox's WebDriver BiDi reaches only
    // roles and names, not the values, states and live regions this test checks.
    if (harness.firefox) skip('its accessibility tree gives roles and names only');
    for (const [lang, column, caption, text] of [['en', 1, 'Information', 'No Connection'], ['ja', 2, '情報', 'シリアルポートを閉じました']]) {
      const view = await harness.open({ query: `?lang=${lang}` });
      defer(() => view.close());
      const p = view.page;
      await view.message();
      assert.deepEqual((await accessible(p, ['MessageBox'])).MessageBox, { role: 'alertdialog', name: caption, description: text,
        value: undefined, selected: undefined, live: undefined }, lang);
      await view.answer('OK');
      const ids = await p.$$eval('#MainForm :is(button, input, select, textarea, output)', (es) => es.map((e) => e.id));
      const tree = await accessible(p, ids);
      assert.deepEqual(ids.filter((id) => !tree[id].name), [], `${lang}: every control has a name`);
      assert.deepEqual(NAMES.map(([id]) => [id, tree[id].name]), NAMES.map((row) => [row[0], row[column]]), lang);
      assert.equal(tree.FRQ_0.value, 5, 'a bar says the step the fields show, not its position');
      // Within the range it declares, its text the step too (Chromium takes that from the input's own value).
      assert.deepEqual([tree.FRQ_0.range, tree.AVG_BAR.range], [[1, 52, '5'], [1, 52, '5']]);
      await p.focus('#MODEL1');
      for (const [key, selected] of [['ArrowRight', 'MODEL2'], ['End', 'MODEL5'], ['ArrowRight', 'MODEL1'], ['ArrowLeft', 'MODEL5'], ['Home', 'MODEL1']]) {
        await p.keyboard.press(key);
        const tabs = await accessible(p, ['MODEL1', 'MODEL2', 'MODEL5']);
        assert.deepEqual(Object.keys(tabs).filter((id) => tabs[id].selected), [selected], key);
        assert.equal(await p.evaluate(() => document.activeElement.id), selected);
      }
    }
    // The progress window during a transfer on the demonstration controller.
    const view = await harness.open({ query: '?lang=en' });
    defer(() => view.close());
    await view.answer('OK');
    await view.page.selectOption('#CommPort', 'demo');
    await view.answer('OK');
    await view.page.click('#READ_BTN');
    await view.page.waitForSelector('#MonForm[open]');
    const progress = await accessible(view.page, ['MonForm', 'MSG_LB', 'PG_BAR']);
    assert.deepEqual([progress.MonForm.role, progress.MonForm.name], ['dialog', 'Communicat']);
    assert.deepEqual([progress.MSG_LB.role, progress.MSG_LB.live], ['status', 'polite']);
    assert.deepEqual([progress.PG_BAR.role, progress.PG_BAR.name, typeof progress.PG_BAR.value], ['progressbar', 'Communicat', 'number']);
    assert.equal((await view.message()).text, 'Read successful');
  },

  // Each engine draws the range's parts only as its own rules say (Firefox otherwise gives round
  // thumbs on a thin track, and no ring around a focused bar).
  async 'the curve\'s bars, AVG and the sliders are drawn as scroll bars, a focused bar with its ring'({ harness, defer }) {
    const view = await harness.open({ query: '?lang=en' });
    defer(() => view.close());
    await view.answer('OK');
    // Focused by a press on its thumb (at the bottom, value 1), as a mouse user focuses it.
    const bar = await view.page.locator('#FRQ_2').boundingBox();
    await view.page.mouse.click(bar.x + bar.width / 2, bar.y + bar.height - 5);
    const shots = await pixels(view.page, ['FRQ_2', 'FRQ_3', 'AVG_BAR', 'NBRK_BAR', 'PROG_BAR']);
    for (const [id, shot] of Object.entries(shots)) {
      const vertical = shot.h > shot.w;
      // Along the middle of the bar: its track's colour, and a thumb filling it across.
      const line = Array.from({ length: vertical ? shot.h : shot.w }, (_, k) => (vertical ? shot.at(shot.w >> 1, k) : shot.at(k, shot.h >> 1)));
      assert.ok(line.some((p) => near(p, '#e6e3de')), `${id}: the track's colour`);
      const thumb = id === 'FRQ_2' ? '#1a56c4' : '#3a5f9f';
      const k = line.findIndex((p, j) => j > 5 && j < line.length - 6 && near(p, thumb));  // inside the ring
      assert.ok(k >= 0, `${harness.name} ${id}: a thumb of ${thumb}`);
      const across = Array.from({ length: vertical ? shot.w : shot.h }, (_, j) => (vertical ? shot.at(j, k + 2) : shot.at(k + 2, j)));
      const filled = across.filter((p) => near(p, thumb)).length;
      assert.ok(filled >= (vertical ? shot.w : shot.h) - 8 - 4, `${id}: the thumb fills the bar across (${filled} px)`);
      // The focus ring: the focus colour just outside the bar's end (above a bar, left of a slider).
      const ring = Array.from({ length: 5 }, (_, j) => (vertical ? shot.at(shot.w >> 1, j) : shot.at(j, shot.h >> 1)));
      assert.equal(ring.some((p) => near(p, '#1a56c4')), id === 'FRQ_2', `${id}: a ring only around the focused bar`);
    }
  },

  async 'while a message is open nothing else on the page takes input'({ harness, defer }) {
    const view = await harness.open({ query: '?lang=en' });
    defer(() => view.close());
    await view.message();
    // The modal dialog makes the window inert: neither a click nor Tab reaches a control.
    const before = await view.page.inputValue('#NBRK_EDIT');
    const box = await view.page.locator('#NBRK_EDIT').boundingBox();
    await view.page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await view.page.keyboard.type('77');
    assert.notEqual(await view.page.evaluate(() => document.activeElement.id), 'NBRK_EDIT');
    assert.equal(await view.page.inputValue('#NBRK_EDIT'), before);
    await view.page.keyboard.press('Escape');  // an OK box takes Escape as OK
    await view.page.waitForSelector('#MessageBox[open]', { state: 'detached' });
  },
};
