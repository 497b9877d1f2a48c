// The serial line over a Web Serial port: 1200 bit/s, 8 data bits, no parity, one stop bit, no
// flow control. Received bytes are kept until taken; the port's disconnect or a stream error
// means the device is gone, and every wait ends at once.

export const LINE_OPTIONS = Object.freeze({ baudRate: 1200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' });

export class LineGoneError extends Error {
  constructor() { super('the serial device is gone'); this.name = 'LineGoneError'; }
}

// What a line has received and not yet taken, and the waits for it. Once the device is gone
// every wait ends at once.
export class ReceiveQueue {
  #bytes = [];
  #wake = null;
  #gone = false;

  get gone() { return this.#gone; }

  push(bytes) {
    for (const b of bytes) this.#bytes.push(b);
    this.#wake?.();
  }

  lose() {
    this.#gone = true;
    this.#wake?.();
  }

  // Up to count bytes: resolves as soon as count bytes have arrived, or with what has arrived
  // when timeoutMs pass (fewer bytes: the time-out ran out). Throws when the device is gone
  // before count bytes came.
  async read(count, timeoutMs) {
    const deadline = performance.now() + timeoutMs;
    while (this.#bytes.length < count && !this.#gone) {
      const left = deadline - performance.now();
      if (left <= 0) break;
      await new Promise((resolve) => {
        const timer = setTimeout(resolve, left);
        this.#wake = () => { clearTimeout(timer); resolve(); };
      });
      this.#wake = null;
    }
    if (this.#gone && this.#bytes.length < count) throw new LineGoneError();
    return Uint8Array.from(this.#bytes.splice(0, count));
  }

  purge() { this.#bytes.length = 0; }
}

// What every line shares: bytes given to send are written in order, each behind the ones before.
export class QueuedLine {
  #sending = Promise.resolve();

  // Queues bytes behind any still being written; false once the device is gone.
  send(bytes) {
    if (this.gone) return false;
    const copy = Uint8Array.from(bytes);
    this.#sending = this.#sending.then(() => this.write(copy)).catch(() => {});
    return true;
  }
}

export class WebSerialLine extends QueuedLine {
  #port;
  #reader = null;
  #writer = null;
  #received = new ReceiveQueue();
  #closing = false;
  #pumping = null;
  #onDisconnect = () => this.#received.lose();

  constructor(port) { super(); this.#port = port; }

  get port() { return this.#port; }
  get gone() { return this.#received.gone; }

  // Opens the port; rejects with the browser's error (e.g. NetworkError when it is in use).
  async open() {
    await this.#port.open(LINE_OPTIONS);
    this.#port.addEventListener('disconnect', this.#onDisconnect);
    this.#writer = this.#port.writable.getWriter();
    this.#reader = this.#port.readable.getReader();
    this.#pumping = this.#pump();
  }

  async write(bytes) {
    if (this.gone) throw new LineGoneError();
    try {
      await this.#writer.write(bytes instanceof Uint8Array ? bytes : Uint8Array.from(bytes));
    } catch {
      this.#received.lose();
      throw new LineGoneError();
    }
  }

  read(count, timeoutMs) { return this.#received.read(count, timeoutMs); }

  // Drops what was received and not yet taken.
  purge() { this.#received.purge(); }

  async close() {
    if (this.#closing) return;
    this.#closing = true;
    this.#port.removeEventListener('disconnect', this.#onDisconnect);
    try { await this.#reader?.cancel(); } catch { /* already broken */ }
    await this.#pumping;
    try { this.#reader?.releaseLock(); } catch { /* released */ }
    try { await this.#writer?.close(); } catch { /* broken or closed */ }
    try { this.#writer?.releaseLock(); } catch { /* released */ }
    try { await this.#port.close(); } catch { /* gone already */ }
    this.#received.lose();
  }

  async #pump() {
    try {
      for (;;) {
        const { value, done } = await this.#reader.read();
        if (done) break;
        this.#received.push(value);
      }
    } catch {
      // A stream error: the device went away.
    }
    if (!this.#closing) this.#received.lose();
  }
}
