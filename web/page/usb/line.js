// The serial line over a USB adapter through WebUSB, where the browser has no Web Serial for it:
// the chip's driver sets 1200 bit/s 8N1 without flow control, then bulk transfers carry the bytes.
// The device's disconnect or a failed transfer means the device is gone, as over Web Serial.
import { LINE_OPTIONS, LineGoneError, QueuedLine, ReceiveQueue } from '../serial.js';
import { ftdi } from './ftdi.js';
import { ch34x } from './ch34x.js';
import { cp210x } from './cp210x.js';
import { pl2303 } from './pl2303.js';
import { cdcacm } from './cdcacm.js';

const DRIVERS = [ftdi, ch34x, cp210x, pl2303, cdcacm];
const hex4 = (n) => n.toString(16).toUpperCase().padStart(4, '0');

// What the browser's chooser offers: the chips by their ids, and any CDC-ACM device.
export const USB_FILTERS = DRIVERS.flatMap((d) => [...d.chips.map(({ vendorId, productId }) => ({ vendorId, productId })), ...(d.filters ?? [])]);

// The driver and chip name of a device, or null for one the page cannot drive.
export function usbChip(device) {
  for (const driver of DRIVERS) {
    const chip = driver.chips.find((c) => c.vendorId === device.vendorId && c.productId === device.productId);
    if (chip) return { driver, name: chip.name };
  }
  return cdcacm.matches(device) ? { driver: cdcacm, name: 'CDC-ACM' } : null;
}

// "FT232R 0403:6001": the chip and its USB ids, short enough for the closed list to show whole.
export function usbName(device) {
  return `${usbChip(device)?.name ?? 'USB'} ${hex4(device.vendorId)}:${hex4(device.productId)}`;
}

export class WebUsbLine extends QueuedLine {
  #device;
  #setup = null;
  #received = new ReceiveQueue();
  #closing = false;
  #pumping = null;
  #onDisconnect = (e) => { if (e.device === this.#device) this.#received.lose(); };

  constructor(device) { super(); this.#device = device; }

  get port() { return this.#device; }
  get gone() { return this.#received.gone; }

  // Opens the device and sets its line; rejects with the browser's error (NetworkError when the
  // interface is held by a driver of the system or another tab).
  async open() {
    const chip = usbChip(this.#device);
    if (!chip) throw new DOMException('not a USB serial adapter this page knows', 'NotSupportedError');
    await this.#device.open();
    if (this.#device.configuration?.configurationValue !== 1) await this.#device.selectConfiguration(1);
    this.#setup = await chip.driver.open(this.#device, LINE_OPTIONS.baudRate);
    navigator.usb.addEventListener('disconnect', this.#onDisconnect);
    this.#pumping = this.#pump();
  }

  async write(bytes) {
    if (this.gone) throw new LineGoneError();
    const data = bytes instanceof Uint8Array ? bytes : Uint8Array.from(bytes);
    let result;
    try {
      result = await this.#device.transferOut(this.#setup.bulk.out.endpointNumber, data);
    } catch {
      result = null;
    }
    if (result?.status !== 'ok' || result.bytesWritten !== data.length) {
      this.#received.lose();
      throw new LineGoneError();
    }
  }

  read(count, timeoutMs) { return this.#received.read(count, timeoutMs); }

  purge() { this.#received.purge(); }

  async close() {
    if (this.#closing) return;
    this.#closing = true;
    navigator.usb?.removeEventListener('disconnect', this.#onDisconnect);
    // Closing ends the pending transfer, and with it the pump.
    try { await this.#device.close(); } catch { /* gone already */ }
    await this.#pumping;
    this.#received.lose();
  }

  async #pump() {
    const { endpointNumber, packetSize } = this.#setup.bulk.in;
    try {
      while (!this.#closing) {
        const result = await this.#device.transferIn(endpointNumber, packetSize);
        if (result.status !== 'ok') break;
        const bytes = new Uint8Array(result.data.buffer, result.data.byteOffset, result.data.byteLength);
        const data = this.#setup.unpack(bytes);
        if (data.length) this.#received.push(data);
      }
    } catch {
      // The transfer failed: the device went away, or the page closed it.
    }
    if (!this.#closing) this.#received.lose();
  }
}
