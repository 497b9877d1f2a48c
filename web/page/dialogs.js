// The message box and the progress window, as modal dialogs: while one is open nothing else on
// the page reacts.

// Results of the buttons, as the desktop's message box numbers them.
export const OK = 1, CANCEL = 2, YES = 6, NO = 7;
// Message kinds and the button sets the page uses.
export const WARNING = 0, INFORMATION = 1, QUESTION = 2, ERROR = 3;
export const BUTTONS_OK = 2, BUTTONS_YES_NO = 5;

const ICONS = ['!', 'i', '?', '\u00d7'];

export class MessageBox {
  #dialog = document.getElementById('MessageBox');
  #texts;
  #answer = null;
  #results = [];

  constructor(texts) {
    this.#texts = texts;
    // Escape gives Cancel where there is one, else OK where there is one, else nothing.
    this.#dialog.addEventListener('cancel', (e) => {
      e.preventDefault();
      const r = this.#results.includes(CANCEL) ? CANCEL : this.#results.includes(OK) ? OK : 0;
      if (r) this.#finish(r);
    });
    this.#dialog.addEventListener('keydown', (e) => {
      if (e.ctrlKey || e.altKey || e.metaKey || e.key.length !== 1) return;
      const b = [...this.#dialog.querySelectorAll('button[data-key]')].find((x) => x.dataset.key === e.key.toUpperCase());
      if (b) { e.preventDefault(); b.click(); }
    });
  }

  // Shows text with the kind's caption and icon and the button set; resolves with the result of
  // the button pressed. named ([[result, name], ...]) gives buttons of their own names instead;
  // extra, an element shown under the text (the link's QR code).
  show(kind, buttons, text, named = null, extra = null) {
    const t = this.#texts;
    const known = kind >= 0 && kind < 4;
    document.getElementById('MessageBoxCaption').textContent = known ? t.dialogCaptions[kind] : '';
    const icon = document.getElementById('MessageBoxIcon');
    icon.textContent = known ? ICONS[kind] : '';
    icon.dataset.kind = known ? kind : '';
    document.getElementById('MessageBoxText').textContent = text;
    document.getElementById('MessageBoxExtra').replaceChildren(...(extra ? [extra] : []));
    this.#results = named ? named.map(([r]) => r) : t.buttonSets[buttons] ?? [OK];
    const row = document.getElementById('MessageBoxButtons');
    row.replaceChildren();
    const names = named ? named.map(([, name]) => name) : this.#results.map((r) => t.buttonNames[r]);
    if (!named && buttons === 1) names.push(t.helpButton);
    names.forEach((name, i) => {
      const b = document.createElement('button');
      // "はい(&Y)": the letter after "&" is the access key, shown underlined.
      const amp = name.indexOf('&');
      if (amp >= 0 && amp + 1 < name.length) {
        const u = document.createElement('u');
        u.textContent = name[amp + 1];
        b.append(name.slice(0, amp), u, name.slice(amp + 2));
        b.dataset.key = name[amp + 1].toUpperCase();
      } else {
        b.textContent = name;
      }
      const result = this.#results[i];
      if (result) b.addEventListener('click', () => this.#finish(result));
      row.append(b);
    });
    this.#dialog.showModal();
    row.firstChild.focus();
    return new Promise((resolve) => { this.#answer = resolve; });
  }

  #finish(result) {
    this.#dialog.close();
    const answer = this.#answer;
    this.#answer = null;
    answer?.(result);
  }
}

export class ProgressWindow {
  #dialog = document.getElementById('MonForm');
  #label = document.getElementById('MSG_LB');
  #bar = document.getElementById('PG_BAR');
  #caption;

  constructor(texts) {
    this.#caption = texts.progressCaption;
    this.#label.textContent = texts.progressLabel;
    // The user cannot close it; only the transfer hides it.
    this.#dialog.addEventListener('cancel', (e) => e.preventDefault());
  }

  start(maximum) {
    this.#bar.max = maximum;
    this.#bar.value = 0;
    this.#label.textContent = '';
  }

  show() {
    document.getElementById('MonFormCaption').textContent = this.#caption;
    if (!this.#dialog.open) this.#dialog.showModal();
  }

  hide() { if (this.#dialog.open) this.#dialog.close(); }
  setLabel(text) { this.#label.textContent = text; }
  step() { this.#bar.value += 1; }
}
