// Settings files in the page: Open (the file picker where there is one, else a file input, or a
// file dropped on the page) and Save (the save picker, else a download), the same bytes as the
// desktop's; and the five models as a link (the file's bytes in the URL fragment).
import { ERROR, WARNING, INFORMATION, QUESTION, BUTTONS_OK, BUTTONS_YES_NO, YES, NO, CANCEL } from './dialogs.js';

const TYPES = [{ description: '*.VXS', accept: { 'application/octet-stream': ['.VXS', '.vxs'] } }];
const LINK_KEY = '#vxs=';

function toBase64Url(bytes) {
  let raw = '';
  for (let i = 0; i < bytes.length; i += 8192) raw += String.fromCharCode(...bytes.subarray(i, i + 8192));
  return btoa(raw).replaceAll('+', '-').replaceAll('/', '_').replace(/=+$/, '');
}
function fromBase64Url(text) {
  const raw = atob(text.replaceAll('-', '+').replaceAll('_', '/'));
  return Uint8Array.from(raw, (c) => c.charCodeAt(0));
}
const same = (a, b) => a.length === b.length && a.every((x, i) => x === b[i]);

export class Files {
  #core; #texts; #messages; #show;
  #name = 'vxrmgr.VXS';
  #named = false;  // whether #name is a file opened or saved, for the question about edits
  #kept;  // the bank's bytes when last opened, saved or linked: edits since are unsaved

  constructor(core, texts, messages, show) {
    this.#core = core;
    this.#texts = texts;
    this.#messages = messages;
    this.#show = show;
    this.#kept = core.saveBytes();
  }

  #text(n) { return this.#core.message(n, this.#texts.language); }

  get unsaved() { return !same(this.#core.saveBytes(), this.#kept); }

  // Before edits would be lost: Save (goes on only once saved), Discard or Cancel. Whether to go on.
  async #keepEdits() {
    if (!this.unsaved) return true;
    const m = this.#texts.msg;
    const lang = this.#texts.language;
    const question = this.#named ? this.#core.message(m.SaveChangesTo, lang, this.#name) : this.#text(m.SaveChanges);
    const r = await this.#messages.show(QUESTION, BUTTONS_YES_NO, question,
      [[YES, this.#text(m.SaveButton)], [NO, this.#text(m.DiscardButton)], [CANCEL, this.#text(m.CancelButton)]]);
    return r === NO || (r === YES && (await this.save()));
  }

  // Loads bytes named name; a refused file is reported and changes nothing. The page counts the
  // files taken (data-opened) for whoever waits for one.
  async load(bytes, name) {
    const r = this.#core.load(bytes, name);
    const root = document.documentElement;
    root.dataset.opened = Number(root.dataset.opened ?? 0) + 1;
    if (r.status !== 0) {
      await this.#messages.show(ERROR, BUTTONS_OK, r.message);
      return false;
    }
    this.#show(this.#core.view());
    this.#kept = this.#core.saveBytes();
    this.#name = this.#core.forcedName(name);
    this.#named = name !== 'link';
    // Damaged bytes: the rest is loaded, but a memo may have lost characters.
    if (r.warning) await this.#messages.show(WARNING, BUTTONS_OK, r.warning);
    return true;
  }

  async open() {
    if (!(await this.#keepEdits())) return;
    let file;
    if (window.showOpenFilePicker) {
      try {
        const [handle] = await window.showOpenFilePicker({ types: TYPES });
        file = await handle.getFile();
      } catch {
        return;  // cancelled
      }
    } else {
      file = await new Promise((resolve) => {
        const input = Object.assign(document.createElement('input'), { type: 'file', accept: '.VXS,.vxs' });
        input.addEventListener('change', () => resolve(input.files[0] ?? null));
        input.addEventListener('cancel', () => resolve(null));
        input.click();
      });
      if (!file) return;
    }
    await this.load(new Uint8Array(await file.arrayBuffer()), file.name);
  }

  // Whether the bytes were saved (a download counts as saved).
  async save() {
    const bytes = this.#core.saveBytes();
    if (window.showSaveFilePicker) {
      let handle;
      try {
        handle = await window.showSaveFilePicker({ suggestedName: this.#name, types: TYPES });
      } catch {
        return false;  // cancelled
      }
      try {
        const out = await handle.createWritable();
        await out.write(bytes);
        await out.close();
      } catch {
        await this.#messages.show(ERROR, BUTTONS_OK, this.#text(this.#texts.msg.Unsaved));
        return false;
      }
      this.#name = this.#core.forcedName(handle.name);
      this.#named = true;
    } else {
      const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
      Object.assign(document.createElement('a'), { href: url, download: this.#name }).click();
      setTimeout(() => URL.revokeObjectURL(url), 10_000);
    }
    this.#kept = bytes;
    return true;
  }

  // A file dropped anywhere on the page opens, unless a dialog is open or a transfer runs.
  acceptDrops(busy) {
    document.addEventListener('dragover', (e) => { if (e.dataTransfer?.types.includes('Files')) e.preventDefault(); });
    document.addEventListener('drop', async (e) => {
      e.preventDefault();
      const file = e.dataTransfer?.files[0];
      if (!file || busy() || document.querySelector('dialog[open]')) return;
      if (!(await this.#keepEdits())) return;
      await this.load(new Uint8Array(await file.arrayBuffer()), file.name);
    });
  }

  // The link that holds the five models; the page shows it in the address bar and copies it.
  async share() {
    const bytes = this.#core.saveBytes();
    const url = `${location.href.split('#')[0]}${LINK_KEY}${toBase64Url(bytes)}`;
    history.replaceState(null, '', url);
    this.#kept = bytes;
    try { await navigator.clipboard.writeText(url); } catch { /* the address bar has it */ }
    await this.#messages.show(INFORMATION, BUTTONS_OK, this.#text(this.#texts.msg.LinkCopied));
  }

  // Opens the models of a link in the address bar: asks first when edits would be lost, as Open
  // does; a damaged link is refused as a damaged file is.
  async openLink() {
    if (!location.hash.startsWith(LINK_KEY)) return;
    let bytes;
    try {
      bytes = fromBase64Url(decodeURIComponent(location.hash.slice(LINK_KEY.length)));
    } catch {
      bytes = Uint8Array.of(0);  // not even base64: refused below like any damaged file
    }
    if (same(bytes, this.#core.saveBytes())) return;
    if (!(await this.#keepEdits())) return;
    await this.load(bytes, 'link');
  }
}
