// The page's history of setups: every transfer that succeeds adds the entries the core decides,
// kept in the browser (historydb.js). The list shows them newest first, with Restore into the
// editors, Save as file, Compare, Delete and a name the user gives an entry.
import { HistoryDb } from './historydb.js';
import { WARNING, ERROR, QUESTION, BUTTONS_OK, BUTTONS_YES_NO, YES } from './dialogs.js';

const CHUNK = 200;  // rows added to the list at a time, as it is scrolled to its end

export class HistoryView {
  #core; #texts; #messages; #hooks;
  #db = null;
  #dbFailure = null;   // why the browser keeps no history, once it refused
  #told = false;       // the user is told once that the history is not kept
  #records = [];       // those listed so far, newest first
  #loading = false;
  #all = false;        // whether the list holds every record
  #selected = null;    // the selected record
  #kept = Promise.resolve();  // the last transfer's entries being stored
  #dialog;

  // hooks: restore(bytes), save(bytes, name), compare(record, bytes); each resolves when done.
  constructor(core, texts, messages, hooks) {
    this.#core = core;
    this.#texts = texts;
    this.#messages = messages;
    this.#hooks = hooks;
    const h = texts.history;
    const d = this.#dialog = Object.assign(document.createElement('dialog'), { id: 'HistoryForm' });
    d.setAttribute('aria-labelledby', 'HistoryCaption');
    d.innerHTML = '<div class="caption" id="HistoryCaption"></div>'
      + '<div class="history-list"><table id="HistoryList"><thead><tr></tr></thead><tbody></tbody></table></div>'
      + '<div class="history-name"><input type="text" id="HIST_NAME_EDIT" maxlength="200"><button id="HIST_NAME_BTN"></button></div>'
      + '<div class="buttons"><button id="HIST_RESTORE_BTN"></button><button id="HIST_SAVE_BTN"></button>'
      + '<button id="HIST_COMPARE_BTN"></button><button id="HIST_DELETE_BTN"></button><button id="HIST_CLOSE_BTN"></button></div>';
    document.body.append(d);
    const $ = (id) => d.querySelector(`#${id}`);
    $('HistoryCaption').textContent = h.caption;
    $('HistoryList').querySelector('thead tr').replaceChildren(...h.columns.map((text) => Object.assign(document.createElement('th'), { textContent: text })));
    $('HIST_NAME_EDIT').setAttribute('aria-label', h.columns[4]);
    for (const [id, text, run] of [
      ['HIST_NAME_BTN', h.setName, () => this.#rename()],
      ['HIST_RESTORE_BTN', h.restore, () => this.#restore()],
      ['HIST_SAVE_BTN', h.save, () => this.#save()],
      ['HIST_COMPARE_BTN', h.compare, () => this.#compare()],
      ['HIST_DELETE_BTN', h.delete, () => this.#delete()],
      ['HIST_CLOSE_BTN', h.close, () => d.close()]]) {
      $(id).textContent = text;
      $(id).addEventListener('click', run);
    }
    $('HIST_NAME_EDIT').addEventListener('keydown', (e) => { if (e.key === 'Enter') this.#rename(); });
    const body = $('HistoryList').querySelector('tbody');
    body.addEventListener('click', (e) => { const row = e.target.closest('tr'); if (row) this.#select(row); });
    body.addEventListener('keydown', (e) => {
      const step = { ArrowDown: 1, ArrowUp: -1 }[e.key];
      const row = step && (step > 0 ? e.target.closest('tr')?.nextElementSibling : e.target.closest('tr')?.previousElementSibling);
      if (!row) return;
      e.preventDefault();
      this.#select(row);
    });
    d.querySelector('.history-list').addEventListener('scroll', (e) => {
      const list = e.currentTarget;
      if (list.scrollTop + list.clientHeight >= list.scrollHeight - 40) this.#more();
    });
  }

  // Opens the browser's store and tells the core the newest entry, which the next transfer's
  // entries are compared with. A browser that keeps nothing leaves the page working.
  async start() {
    try {
      this.#db = await HistoryDb.open();
      const newest = await this.#db.newest();
      if (newest?.settings) this.#core.historyPrevious(newest.settings);
    } catch (e) {
      this.#db = null;
      this.#dbFailure = e;
    }
  }

  // Keeps the entries the last transfer added (the core's); a failure is told once and the
  // transfer stays as it went.
  keep() {
    const entries = this.#core.takeHistory();
    if (!entries.length) return this.#kept;
    const stored = this.#kept.then(() => {
      if (!this.#db) throw this.#dbFailure ?? new Error('no history');
      return this.#db.add(entries);
    });
    // The list waits for them; the warning does not hold it up.
    this.#kept = stored.catch(() => {});
    return stored.catch((e) => {
      this.#dbFailure = e;
      return this.#tell(e);
    });
  }

  // While the list is being read or changed its dialog says so (aria-busy), from the click on.
  async #work(run) {
    this.#dialog.setAttribute('aria-busy', 'true');
    try {
      await run();
    } finally {
      this.#dialog.setAttribute('aria-busy', 'false');
    }
  }

  async #tell(e) {
    if (this.#told) return;
    this.#told = true;
    const reason = `${e?.name ?? ''}${e?.message ? `: ${e.message}` : ''}`;
    await this.#messages.show(WARNING, BUTTONS_OK, this.#core.message(this.#texts.msg.HistoryNotKept, this.#texts.language, reason));
  }

  open() {
    return this.#work(async () => {
      await this.#kept;
      if (!this.#db && this.#dbFailure) await this.#tell(this.#dbFailure);
      await this.#load();
      this.#dialog.showModal();
      (this.#dialog.querySelector('#HistoryList tbody tr') ?? this.#dialog.querySelector('#HIST_CLOSE_BTN')).focus();
    });
  }

  // The newest records, as many as were listed (a chunk at least); more come as the list is
  // scrolled to its end.
  async #load() {
    const selected = this.#selected?.id;
    const count = Math.max(CHUNK, this.#records.length);
    this.#records = [];
    this.#all = false;
    this.#dialog.querySelector('#HistoryList tbody').replaceChildren();
    this.#selected = null;
    await this.#more(count);
    const row = this.#dialog.querySelector(`#HistoryList tbody tr[data-id="${selected}"]`) ?? this.#dialog.querySelector('#HistoryList tbody tr');
    if (row) this.#select(row, false); else this.#enable();
  }

  async #more(count = CHUNK) {
    if (!this.#db || this.#all || this.#loading) return;
    this.#loading = true;
    try {
      const page = await this.#db.page(this.#records.at(-1)?.id ?? null, count);
      this.#all = page.length < count;
      this.#records.push(...page);
      this.#dialog.querySelector('#HistoryList tbody').append(...page.map((r) => this.#row(r)));
    } finally {
      this.#loading = false;
    }
  }

  #row(r) {
    const tr = Object.assign(document.createElement('tr'), { tabIndex: -1 });
    tr.dataset.id = r.id;
    tr.setAttribute('aria-selected', 'false');
    const core = this.#core;
    for (const text of [core.historyTime(r.time), this.#actionText(r), r.port, core.historyModels(r.changed), r.name, r.memo]) {
      tr.append(Object.assign(document.createElement('td'), { textContent: text }));
    }
    return tr;
  }

  #actionText(r) { return this.#core.actionText(r.action, r.model ?? -1, this.#texts.language); }

  #select(row, focus = true) {
    for (const other of row.parentElement.querySelectorAll('tr[aria-selected="true"]')) other.setAttribute('aria-selected', 'false');
    row.setAttribute('aria-selected', 'true');
    row.tabIndex = 0;
    if (focus) row.focus();
    this.#selected = this.#records.find((r) => String(r.id) === row.dataset.id) ?? null;
    this.#dialog.querySelector('#HIST_NAME_EDIT').value = this.#selected?.name ?? '';
    this.#enable();
  }

  #enable() {
    for (const id of ['HIST_NAME_BTN', 'HIST_NAME_EDIT', 'HIST_RESTORE_BTN', 'HIST_SAVE_BTN', 'HIST_COMPARE_BTN', 'HIST_DELETE_BTN']) {
      this.#dialog.querySelector(`#${id}`).disabled = !this.#selected;
    }
  }

  // The selected entry's bytes; an entry gone or unreadable is told as the desktop tells it.
  async #bytes() {
    const bytes = this.#selected && await this.#db.settings(this.#selected.id).catch(() => undefined);
    if (bytes) return bytes;
    await this.#messages.show(ERROR, BUTTONS_OK, this.#core.message(this.#texts.msg.HistoryUnreadable, this.#texts.language));
    return null;
  }

  async #restore() {
    const bytes = await this.#bytes();
    if (!bytes) return;
    this.#dialog.close();
    await this.#hooks.restore(bytes);
  }

  async #save() {
    const bytes = await this.#bytes();
    if (bytes) await this.#hooks.save(bytes, this.#selected.name || 'vxrmgr');
  }

  async #compare() {
    const record = this.#selected;
    const bytes = await this.#bytes();
    if (!bytes) return;
    this.#dialog.close();
    await this.#hooks.compare(record, bytes);
  }

  #rename() {
    if (!this.#selected) return;
    const name = this.#core.oneLine(this.#dialog.querySelector('#HIST_NAME_EDIT').value);
    return this.#work(async () => {
      await this.#db.rename(this.#selected.id, name);
      await this.#load();
    });
  }

  #delete() {
    if (!this.#selected) return;
    return this.#work(async () => {
      const question = this.#core.message(this.#texts.msg.HistoryDeleteQuestion, this.#texts.language);
      if ((await this.#messages.show(QUESTION, BUTTONS_YES_NO, question)) !== YES) return;
      await this.#db.remove(this.#selected.id);
      this.#selected = null;
      await this.#load();
    });
  }

  // The newest entries, for the compare view's lists: { id, label }.
  async recent(count = 30) {
    await this.#kept;
    if (!this.#db) return [];
    return (await this.#db.page(null, count)).map((r) => ({ id: r.id, label: this.label(r) }));
  }

  // As the window names an entry: "#id name", or "#id time action" without a name.
  label(r) { return this.#core.entryLabel(r.id, r.name ?? '', r.time, r.action, r.model ?? -1, this.#texts.language); }

  entryBytes(id) { return this.#db?.settings(id); }
}
