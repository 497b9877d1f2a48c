// The port list CommPort: "OFF", the ports this page may use (numbered COM1, COM2, ... in the
// order the browser lists them: Web Serial ports, then USB adapters through WebUSB where Web Serial
// cannot reach them), the demonstration controller (the simulator's logic in the page, numbered
// after them), the entries that ask the browser for another port, and "No port?" while there is
// none. Choosing an entry opens it and reports as the desktop does; the choice is remembered in
// localStorage.
import { WebSerialLine } from './serial.js';
import { WebUsbLine, USB_FILTERS, usbChip, usbName } from './usb/line.js';
import { ERROR, INFORMATION, BUTTONS_OK } from './dialogs.js';

const STORE_KEY = 'vxrmgr.CommPort';
const GRANTED_WAIT_MS = 3000;  // a browser answers at once; one that has not by then has no usable Web Serial
const SERIAL_PORT_PROFILE = [0x1101, '00001101-0000-1000-8000-00805f9b34fb'];
const hex4 = (n) => n.toString(16).toUpperCase().padStart(4, '0');
const isUsb = (port) => typeof port.getInfo !== 'function';  // a USBDevice; a SerialPort has getInfo

// The system the page runs on, for advice that fits it: android, windows, mac, linux or other.
export function systemOf(nav) {
  const said = `${nav.userAgentData?.platform ?? ''} ${nav.platform ?? ''} ${nav.userAgent ?? ''}`;
  if (/Android/i.test(said)) return 'android';
  if (/CrOS/i.test(said)) return 'other';
  if (/Win/i.test(said)) return 'windows';
  if (/Mac|iPhone|iPad/i.test(said)) return 'mac';
  if (/Linux|X11/i.test(said)) return 'linux';
  return 'other';
}

// "USB 0403:6001", "Bluetooth RFCOMM" for a serial port over Bluetooth, "FT232R 0403:6001" for
// an adapter through WebUSB, or the browser's own word for a port without ids.
export function portName(port) {
  if (isUsb(port)) return usbName(port);
  const info = port.getInfo?.() ?? {};
  if (info.bluetoothServiceClassId !== undefined) {
    const id = info.bluetoothServiceClassId;
    return SERIAL_PORT_PROFILE.includes(typeof id === 'string' ? id.toLowerCase() : id) ? 'Bluetooth RFCOMM' : `Bluetooth ${id}`;
  }
  return info.usbVendorId !== undefined ? `USB ${hex4(info.usbVendorId)}:${hex4(info.usbProductId ?? 0)}` : 'Serial';
}

export class PortList {
  #select = document.getElementById('CommPort');
  #core;
  #language;
  #texts;
  #messages;
  #serialPorts = [];
  #usbDevices = [];
  #line = null;
  #shown = '0';  // value of the entry selected before the request entry
  #serial = false;  // whether the browser has answered which ports the page may use
  #usb = false;     // likewise for USB adapters through WebUSB
  #system = systemOf(navigator);
  #entries;  // the texts of the fixed entries

  constructor(core, language, texts, messages) {
    this.#core = core;
    this.#language = language;
    this.#texts = texts;
    this.#messages = messages;
    // Taken now: the list is filled again when a device comes or goes, which may be in the middle
    // of a transfer, while the core must not be called.
    const m = texts.msg;
    this.#entries = { demo: this.#text(m.Demo), request: this.#text(m.OtherPort), requestUsb: this.#text(m.OtherUsbPort), help: this.#text(m.NoPortHelp) };
    this.#select.addEventListener('change', () => this.choose(this.#select.value));
  }

  get #ports() { return [...this.#serialPorts, ...this.#usbDevices]; }

  // The open line, or null.
  get line() { return this.#line; }

  // Fills the list, selects the remembered entry and applies it: always one message. "OFF" and
  // the demonstration controller are there at once, whatever the browser says of its ports.
  async start() {
    this.#fill();
    const asked = [];
    if ('serial' in navigator) {
      asked.push(this.#ask(() => navigator.serial.getPorts(), (ports) => { this.#serial = true; this.#serialPorts = ports; }));
      navigator.serial.addEventListener('connect', () => this.#refresh());
      navigator.serial.addEventListener('disconnect', () => this.#refresh());
    }
    // Android's Web Serial lists no wired port, and some browsers have none: there the adapters
    // are driven by the page itself.
    if ('usb' in navigator && (!('serial' in navigator) || this.#system === 'android')) {
      asked.push(this.#ask(() => navigator.usb.getDevices(), (devices) => { this.#usb = true; this.#usbDevices = devices.filter(usbChip); }));
      navigator.usb.addEventListener('connect', () => this.#refresh());
      navigator.usb.addEventListener('disconnect', () => this.#refresh());
    }
    await Promise.all(asked);
    // Without either only the demonstration controller is left, and the message says why.
    await this.choose(this.#remembered(), this.#serial || this.#usb ? '' : `\n${this.#text(this.#texts.msg.NoWebSerial)}`);
  }

  // A browser may refuse a list (a permissions policy) or never answer (seen in headless
  // Chromium): then it has no usable API, unless a late answer brings the ports after all.
  async #ask(list, take) {
    const answer = list();
    const ports = await Promise.race([answer, new Promise((resolve) => setTimeout(resolve, GRANTED_WAIT_MS, null))]).catch(() => null);
    if (ports) take(ports);
    else answer.then((late) => { take(late); this.#fill(); }, () => {});
    this.#fill();
  }

  // Applies the entry with this value: '0' OFF, 'n' port n, 'demo' the demonstration controller,
  // 'request' another Web Serial port, 'request-usb' another USB adapter, 'help' what to do
  // without a port.
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
    if (value === 'help') {
      this.#select.value = this.#shown;  // a question, not a choice: the port stays as it was
      await this.#messages.show(INFORMATION, BUTTONS_OK, this.#advice());
      return;
    }
    this.#core.useDemo(false);
    if (value === 'request' || value === 'request-usb') {
      let port;
      try {
        port = value === 'request' ? await navigator.serial.requestPort() : await navigator.usb.requestDevice({ filters: USB_FILTERS });
      } catch {
        this.#select.value = this.#shown;  // nothing chosen: the list stays as it was
        return;
      }
      const list = value === 'request' ? this.#serialPorts : this.#usbDevices;
      if (!list.includes(port)) list.push(port);
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
    const line = isUsb(port) ? new WebUsbLine(port) : new WebSerialLine(port);
    try {
      await line.open();
    } catch (e) {
      await line.close();
      await this.#messages.show(ERROR, BUTTONS_OK, `${this.#text(t.msg.PortMissing, n)}\n${this.#cause(e, port)}\n${this.#advice()}`);
      return;
    }
    this.#line = line;
    await this.#messages.show(INFORMATION, BUTTONS_OK, this.#text(t.msg.PortOk, n));
  }

  // The browser's reason in the page's language where it is one the page knows; else its own words.
  #cause(e, port) {
    const m = this.#texts.msg;
    switch (e?.name) {
    case 'InvalidStateError': return this.#text(m.CauseInUse);
    case 'NetworkError': return this.#text(m.CauseRefused);
    case 'NotFoundError': return this.#text(m.CauseNoDevice, portName(port));
    case 'SecurityError':
    case 'NotAllowedError': return this.#text(m.CauseBlocked);
    default: return this.#text(m.CauseOther, portName(port), e?.message ?? String(e));
    }
  }

  // What to do for a port on this browser and system, and no other's.
  #advice() {
    const m = this.#texts.msg;
    if (!('serial' in navigator) && !('usb' in navigator)) return this.#text(m.NoWebSerial);
    const bySystem = { android: m.AdviceAndroid, windows: m.AdviceWindows, mac: m.AdviceMac, linux: m.AdviceLinux, other: m.AdviceOther };
    return this.#text(bySystem[this.#system]);
  }

  async #closeLine() {
    const line = this.#line;
    this.#line = null;
    await line?.close();
  }

  #text(n, ...values) { return this.#core.message(n, this.#language, ...values); }

  #fill() {
    const e = this.#entries;
    const ports = this.#ports;
    const entries = [['0', 'OFF'], ...ports.map((p, i) => [String(i + 1), `COM${i + 1}  ${portName(p)}`]),
      ['demo', `COM${ports.length + 1}  ${e.demo}`]];
    if (this.#serial) entries.push(['request', e.request]);
    if (this.#usb) entries.push(['request-usb', e.requestUsb]);
    if (!ports.length) entries.push(['help', e.help]);
    const keep = this.#select.value || this.#shown;
    this.#select.replaceChildren(...entries.map(([value, text]) => new Option(text, value)));
    this.#select.value = entries.some(([v]) => v === keep) ? keep : '0';
  }

  async #refresh() {
    try {
      if (this.#serial) this.#serialPorts = await navigator.serial.getPorts();
      if (this.#usb) this.#usbDevices = (await navigator.usb.getDevices()).filter(usbChip);
    } catch { /* the list stays as it was */ }
    this.#fill();
  }

  // The port is remembered by its name (USB ids, chip) and its place among ports of that name.
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
