// The port list CommPort: "OFF", the ports this page may use (numbered COM1, COM2, ... in the
// order the browser lists them, named by their USB ids), the demonstration controller (the
// simulator's logic in the page, numbered after them), and an entry that asks the browser for
// another port. Choosing an entry opens it and reports as the desktop does; the choice is
// remembered in localStorage.
import { WebSerialLine } from './serial.js';
import { ERROR, INFORMATION, BUTTONS_OK } from './dialogs.js';

const STORE_KEY = 'vxrmgr.CommPort';
const GRANTED_WAIT_MS = 3000;  // a browser answers at once; one that has not by then has no usable Web Serial
const hex4 = (n) => n.toString(16).toUpperCase().padStart(4, '0');

// "USB 0403:6001", or the browser's own word for a port without USB ids.
export function portName(port) {
  const info = port.getInfo?.() ?? {};
  return info.usbVendorId !== undefined ? `USB ${hex4(info.usbVendorId)}:${hex4(info.usbProductId ?? 0)}` : 'Serial';
}

export class PortList {
  #select = document.getElementById('CommPort');
  #core;
  #language;
  #texts;
  #messages;
  #ports = [];
  #line = null;
  #shown = '0';  // value of the entry selected before the request entry
  #serial = false;  // whether the browser has answered which ports the page may use

  constructor(core, language, texts, messages) {
    this.#core = core;
    this.#language = language;
    this.#texts = texts;
    this.#messages = messages;
    this.#select.addEventListener('change', () => this.choose(this.#select.value));
  }

  // The open line, or null.
  get line() { return this.#line; }

  // Fills the list, selects the remembered entry and applies it: always one message. "OFF" and
  // the demonstration controller are there at once, whatever the browser says of its ports.
  async start() {
    this.#fill();
    if ('serial' in navigator) {
      // A browser may refuse the list (a permissions policy) or never answer (seen in headless
      // Chromium): then it has no usable Web Serial, unless a late answer brings the ports after all.
      const answer = navigator.serial.getPorts();
      const ports = await Promise.race([answer, new Promise((resolve) => setTimeout(resolve, GRANTED_WAIT_MS, null))]).catch(() => null);
      if (ports) this.#take(ports);
      else answer.then((late) => this.#take(late), () => {});
      navigator.serial.addEventListener('connect', () => this.#refresh());
      navigator.serial.addEventListener('disconnect', () => this.#refresh());
    }
    // Without Web Serial only the demonstration controller is left, and the message says why.
    await this.choose(this.#remembered(), this.#serial ? '' : `\n${this.#text(this.#texts.msg.NoWebSerial)}`);
  }

  // Applies the entry with this value: '0' OFF, 'n' port n, 'demo' the demonstration controller,
  // 'request' another port.
  async choose(value, note = '') {
    const t = this.#texts;
    if (value === 'demo') {
      await this.#closeLine();
      this.#core.useDemo(true);
      this.#select.value = this.#shown = 'demo';
      this.#remember('demo');
      await this.#messages.show(INFORMATION, BUTTONS_OK, this.#text(t.msg.PortOk, this.#ports.length + 1) + note);
      return;
    }
    this.#core.useDemo(false);
    if (value === 'request') {
      let port;
      try {
        port = await navigator.serial.requestPort();
      } catch {
        this.#select.value = this.#shown;  // nothing chosen: the list stays as it was
        return;
      }
      if (!this.#ports.includes(port)) this.#ports.push(port);
      this.#fill();
      value = String(this.#ports.indexOf(port) + 1);
    }
    this.#select.value = value;
    this.#shown = value;
    await this.#closeLine();
    const n = Number(value);
    const port = this.#ports[n - 1];
    if (!port) {
      this.#remember(null);
      this.#select.value = '0';
      this.#shown = '0';
      await this.#messages.show(INFORMATION, BUTTONS_OK, this.#text(t.msg.NoConnection) + note);
      return;
    }
    this.#remember(port);
    const line = new WebSerialLine(port);
    try {
      await line.open();
    } catch (e) {
      await line.close();
      const cause = e?.name === 'InvalidStateError' ? this.#text(t.msg.CauseBusy)
        : this.#text(t.msg.CauseOther, portName(port), e?.message ?? String(e));
      await this.#messages.show(ERROR, BUTTONS_OK, `${this.#text(t.msg.PortMissing, n)}\n${cause}`);
      return;
    }
    this.#line = line;
    await this.#messages.show(INFORMATION, BUTTONS_OK, this.#text(t.msg.PortOk, n));
  }

  async #closeLine() {
    const line = this.#line;
    this.#line = null;
    await line?.close();
  }

  #text(n, ...values) { return this.#core.message(n, this.#language, ...values); }

  #fill() {
    const entries = [['0', 'OFF'], ...this.#ports.map((p, i) => [String(i + 1), `COM${i + 1}  ${portName(p)}`]),
      ['demo', `COM${this.#ports.length + 1}  ${this.#text(this.#texts.msg.Demo)}`]];
    if (this.#serial) entries.push(['request', this.#text(this.#texts.msg.OtherPort)]);
    const keep = this.#select.value || this.#shown;
    this.#select.replaceChildren(...entries.map(([value, text]) => new Option(text, value)));
    this.#select.value = entries.some(([v]) => v === keep) ? keep : '0';
  }

  // The ports the browser says the page may use: it has Web Serial.
  #take(ports) {
    this.#serial = true;
    this.#ports = ports;
    this.#fill();
  }

  async #refresh() {
    try {
      this.#take(await navigator.serial.getPorts());
    } catch { /* the list stays as it was */ }
  }

  // The port is remembered by its USB ids and its place among ports with the same ids.
  #remember(port) {
    try {
      if (!port || port === 'demo') { localStorage.setItem(STORE_KEY, JSON.stringify(port ? 'demo' : 'OFF')); return; }
      const name = portName(port);
      const nth = this.#ports.filter((p) => portName(p) === name).indexOf(port);
      localStorage.setItem(STORE_KEY, JSON.stringify({ name, nth }));
    } catch { /* storage refused: nothing is remembered */ }
  }

  #remembered() {
    try {
      const saved = JSON.parse(localStorage.getItem(STORE_KEY) ?? 'null');
      if (saved === 'demo') return 'demo';
      if (!saved || typeof saved.name !== 'string') return '0';
      const port = this.#ports.filter((p) => portName(p) === saved.name)[saved.nth];
      return port ? String(this.#ports.indexOf(port) + 1) : '0';
    } catch {
      return '0';
    }
  }
}
