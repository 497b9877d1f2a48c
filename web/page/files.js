// Settings files in the page: Open (the file picker where there is one, else a file input, or a
// file dropped on the page) and Save (the save picker, else a download), the same bytes as the
// desktop's; and the five models as a link (the file's bytes in the URL fragment) and its QR code.
import { ERROR, WARNING, INFORMATION, QUESTION, BUTTONS_OK, BUTTONS_YES_NO, YES, NO, CANCEL } from './dialogs.js';
import { encode } from './uqr.js';

const TYPES = [{ description: '*.VXS', accept: { 'application/octet-stream': ['.VXS', '.vxs'] } }];
const LINK_KEY = '#vxs=';     // the file's bytes as they are: older links, still opened
const PACKED_KEY = '#vxz=';   // the file's bytes deflated, a link short enough for a phone to scan
const QR_PIXELS = 330;        // about the QR code's width on the screen, and 3 pixels a module at least

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

async function deflate(bytes) {
  return new Uint8Array(await new Response(new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw'))).arrayBuffer());
}
// Inflates at most limit + 1 bytes: a small link must not fill the memory; what is longer than a
// file may be is refused by the reader as too large.
async function inflate(bytes, limit) {
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const parts = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    parts.push(value);
    size += value.length;
    if (size > limit) { reader.cancel().catch(() => {}); break; }
  }
  const out = new Uint8Array(size);
  let at = 0;
  for (const part of parts) { out.set(part, at); at += part.length; }
  return out;
}

// The link as a QR code, dark modules on white with the quiet zone a reader needs.
function drawQr(link) {
  const qr = encode(link, { ecc: 'L', boostEcc: true, border: 4 });
  const scale = Math.max(3, Math.floor(QR_PIXELS / qr.size));
  const canvas = Object.assign(document.createElement('canvas'), { id: 'LinkQr', width: qr.size * scale, height: qr.size * scale });
  const g = canvas.getContext('2d');
  g.fillStyle = '#fff';
  g.fillRect(0, 0, canvas.width, canvas.height);
  g.fillStyle = '#000';
  qr.data.forEach((row, y) => row.forEach((dark, x) => { if (dark) g.fillRect(x * scale, y * scale, scale, scale); }));
  canvas.dataset.version = qr.version;
  // Its width given, not only limited by the dialog's (Firefox would size the dialog without it
  // and shrink the code under 3 pixels a module); a narrow screen still gets it whole.
  canvas.style.width = `min(${canvas.width}px, calc(100vw - 48px))`;
  return canvas;
}

export class Files {
  #core; #texts; #messages; #show;
  #name = 'vxrmgr.VXS';
  #named = false;  // whether #name is a file opened or saved, for the question about edits

  constructor(core, texts, messages, show) {
    this.#core = core;
    this.#texts = texts;
    this.#messages = messages;
    this.#show = show;
  }

  #text(n) { return this.#core.message(n, this.#texts.language); }

  get unsaved() { return this.#core.wouldLose(0); }

  // Before edits would be lost (loss as Core.wouldLose: what the operation replaces): Save (goes
  // on only once saved), Discard or Cancel. Whether to go on.
  async keepEdits(loss = 0) {
    if (!this.#core.wouldLose(loss)) return true;
    const m = this.#texts.msg;
    const lang = this.#texts.language;
    const question = this.#named ? this.#core.message(m.SaveChangesTo, lang, this.#name) : this.#text(m.SaveChanges);
    const r = await this.#messages.show(QUESTION, BUTTONS_YES_NO, question,
      [[YES, this.#text(m.SaveButton)], [NO, this.#text(m.DiscardButton)], [CANCEL, this.#text(m.CancelButton)]]);
    return r === NO || (r === YES && (await this.save()));
  }

  // The setting sheet's title: the file opened or saved, '' before there is one.
  get sheetTitle() { return this.#named ? this.#name : ''; }

  // Loads bytes named name; a refused file is reported and changes nothing. The page counts the
  // files taken (data-opened) for whoever waits for one.
  async load(bytes, name, named = name !== 'link') {
    const r = this.#core.load(bytes, name);
    const root = document.documentElement;
    root.dataset.opened = Number(root.dataset.opened ?? 0) + 1;
    if (r.status !== 0) {
      await this.#messages.show(ERROR, BUTTONS_OK, r.message);
      return false;
    }
    this.#show(this.#core.view());
    this.#name = this.#core.forcedName(name);
    this.#named = named;
    // Damaged bytes: the rest is loaded, but a memo may have lost characters.
    if (r.warning) await this.#messages.show(WARNING, BUTTONS_OK, r.warning);
    return true;
  }

  async open() {
    if (!(await this.keepEdits())) return;
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

  // A history entry into the editors, asking first as Open does; a save after it goes to a name
  // the user chooses, not over the file opened before.
  async restore(bytes) {
    if (!(await this.keepEdits())) return false;
    return this.load(bytes, 'vxrmgr.VXS', false);
  }

  // Whether the bytes were saved (a download counts as saved).
  async save() {
    const name = await this.#write(this.#core.saveBytes(), this.#name);
    if (!name) return false;
    if (name !== true) {
      this.#name = name;
      this.#named = true;
    }
    this.#core.kept();
    return true;
  }

  // Another setup's bytes (a history entry) as a file, suggested as name.VXS.
  saveOther(bytes, name) { return this.#write(bytes, this.#core.forcedName(name)); }

  // The save picker, else a download: the name chosen (true for a download), false when cancelled
  // or not written.
  async #write(bytes, suggestedName) {
    if (window.showSaveFilePicker) {
      let handle;
      try {
        handle = await window.showSaveFilePicker({ suggestedName, types: TYPES });
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
      return this.#core.forcedName(handle.name);
    }
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    Object.assign(document.createElement('a'), { href: url, download: suggestedName }).click();
    setTimeout(() => URL.revokeObjectURL(url), 10_000);
    return true;
  }

  // A file dropped anywhere on the page opens, unless a dialog is open or a transfer runs. A
  // folder or several files are refused before any question.
  acceptDrops(busy) {
    document.addEventListener('dragover', (e) => { if (e.dataTransfer?.types.includes('Files')) e.preventDefault(); });
    document.addEventListener('drop', async (e) => {
      e.preventDefault();
      const files = e.dataTransfer?.files;
      if (!files?.length || busy() || document.querySelector('dialog[open]')) return;
      // Only while the drop is handled does the browser tell a folder from a file.
      const folder = [...(e.dataTransfer.items ?? [])].some((item) => item.kind === 'file' && item.webkitGetAsEntry?.()?.isDirectory);
      if (files.length > 1 || folder) {
        await this.#messages.show(ERROR, BUTTONS_OK, this.#text(this.#texts.msg.DropOneFile));
        return;
      }
      const file = files[0];
      if (!(await this.keepEdits())) return;
      let bytes;
      try {
        bytes = new Uint8Array(await file.arrayBuffer());
      } catch {
        // a folder the browser did not name as one, or a file gone meanwhile
        await this.#messages.show(ERROR, BUTTONS_OK, this.#text(this.#texts.msg.DropOneFile));
        return;
      }
      await this.load(bytes, file.name);
    });
  }

  // The link that holds the five models, deflated: the page shows it in the address bar, copies
  // it and shows it as a QR code. The link leaves out the language, so the receiver's applies.
  async share() {
    const bytes = this.#core.saveBytes();
    const url = new URL(location.href);
    url.hash = '';
    url.searchParams.delete('lang');
    const fragment = `${PACKED_KEY}${toBase64Url(await deflate(bytes))}`;
    const link = `${url.href.replace(/#$/, '')}${fragment}`;
    history.replaceState(null, '', `${location.href.split('#')[0]}${fragment}`);
    this.#core.kept();
    let copied = false;
    try {
      await navigator.clipboard.writeText(link);
      copied = true;
    } catch { /* refused, or no clipboard: the dialog offers the link to copy by hand */ }
    const m = this.#texts.msg;
    const panel = document.createElement('div');
    panel.className = 'link';
    const field = Object.assign(document.createElement('input'), { id: 'LinkText', type: 'text', readOnly: true, value: link });
    field.setAttribute('aria-label', this.#text(copied ? m.LinkCopied : m.CopyLinkByHand));
    const caption = Object.assign(document.createElement('p'), { textContent: this.#text(m.LinkQrCaption) });
    const qr = drawQr(link);
    qr.setAttribute('role', 'img');
    qr.setAttribute('aria-label', caption.textContent);
    panel.append(qr, caption, field);
    const shown = this.#messages.show(INFORMATION, BUTTONS_OK, this.#text(copied ? m.LinkCopied : m.CopyLinkByHand), null, panel);
    if (!copied) { field.focus(); field.select(); }
    await shown;
  }

  // Opens the models of a link in the address bar (deflated, or the older plain form): asks
  // first when edits would be lost, as Open does; a damaged link is refused as a damaged file is.
  async openLink() {
    const packed = location.hash.startsWith(PACKED_KEY);
    if (!packed && !location.hash.startsWith(LINK_KEY)) return;
    let bytes;
    try {
      bytes = fromBase64Url(decodeURIComponent(location.hash.slice(LINK_KEY.length)));
      if (packed) bytes = await inflate(bytes, this.#texts.maxFileSize);
    } catch {
      bytes = Uint8Array.of(0);  // not base64 or not deflated: refused below like any damaged file
    }
    if (same(bytes, this.#core.saveBytes())) return;
    if (!(await this.keepEdits())) return;
    await this.load(bytes, 'link');
  }
}
