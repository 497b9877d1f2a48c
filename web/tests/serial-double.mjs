// A test double of the Web Serial API. installSerialDouble runs in the page (an init script):
// its ports hand every open, write, read and close to the test through the binding __vxrSerial,
// where SerialRelay connects them to a vxr-sim on its pseudo-terminal.
import { spawn } from 'node:child_process';
import { constants, openSync, writeSync, closeSync } from 'node:fs';
import { ReadStream } from 'node:tty';
import { createInterface } from 'node:readline';

// In the page. config: { ports: [{ usbVendorId, usbProductId }], request: info or null }.
export function installSerialDouble(config) {
  const call = (...args) => window.__vxrSerial(...args);
  const lost = () => new DOMException('The device has been lost.', 'NetworkError');
  class SerialPort extends EventTarget {
    #id; #info; #session = 0;
    readable = null;
    writable = null;
    constructor(id, info) { super(); this.#id = id; this.#info = info; }
    getInfo() { return { ...this.#info }; }
    async open(options) {
      if (this.readable) throw new DOMException('The port is already open.', 'InvalidStateError');
      const answer = await call('open', this.#id, options);
      if (answer.error) throw new DOMException(answer.error.message, answer.error.name);
      const session = this.#session = answer.session;
      this.readable = new ReadableStream({
        pull: async (controller) => {
          const bytes = await call('pull', this.#id, session);
          if (bytes === null) {
            controller.error(lost());
            this.dispatchEvent(new Event('disconnect'));
          } else {
            controller.enqueue(Uint8Array.from(bytes));
          }
        },
        cancel: () => call('cancel', this.#id, session),
      });
      this.writable = new WritableStream({
        write: async (chunk) => { if (!(await call('write', this.#id, session, Array.from(chunk)))) throw lost(); },
      });
    }
    async close() {
      if (!this.readable) throw new DOMException('The port is already closed.', 'InvalidStateError');
      if (this.readable.locked || this.writable.locked) throw new TypeError('Cannot close a locked stream');
      this.readable = this.writable = null;
      await call('close', this.#id, this.#session);
    }
  }
  const serial = new EventTarget();
  const granted = config.ports.map((info, i) => new SerialPort(i, info));
  serial.getPorts = async () => [...granted];
  serial.requestPort = async () => {
    if (!config.request) throw new DOMException('No port selected by the user.', 'NotFoundError');
    const port = new SerialPort(granted.length, config.request);
    granted.push(port);
    return port;
  };
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial, configurable: true });
}

// vxr-sim on a pseudo-terminal; its first output line names the device.
export class Simulator {
  constructor(child, device) { this.child = child; this.device = device; }

  static start(program, args = []) {
    const child = spawn(program, ['--paced', ...args], { stdio: ['ignore', 'pipe', 'ignore'] });
    return new Promise((resolve, reject) => {
      child.once('error', reject);
      child.once('exit', (code) => reject(new Error(`vxr-sim ended with ${code} before naming its device`)));
      createInterface({ input: child.stdout }).once('line', (line) => resolve(new Simulator(child, line.trim())));
    });
  }

  stop() { if (this.child.exitCode === null) this.child.kill('SIGTERM'); }
}

// The Node side of the double: port i of the page is backends[i], either a Simulator's device
// or { error: { name, message } } for a port that cannot be opened. Records what the page did.
export class SerialRelay {
  #backends;
  #open = new Map();  // port id -> { session, fd, stream, chunks, waiter, ended }
  #sessions = 0;
  opens = [];     // [{ id, options }]
  written = [];   // bytes the page wrote, all ports

  constructor(backends) { this.#backends = backends; }

  async handle(op, id, ...args) {
    switch (op) {
      case 'open': return this.#openPort(id, args[0]);
      case 'pull': return this.#pull(id, args[0]);
      case 'write': return this.#write(id, args[0], args[1]);
      case 'cancel':
      case 'close': this.#closePort(id, args[0]); return true;
      default: throw new Error(`serial double: unknown operation ${op}`);
    }
  }

  closeAll() { for (const [id, p] of this.#open) this.#closePort(id, p.session); }

  #openPort(id, options) {
    this.opens.push({ id, options });
    const backend = this.#backends[id];
    if (!backend || backend.error) return { error: backend?.error ?? { name: 'NetworkError', message: 'Failed to open serial port.' } };
    const fd = openSync(backend.device, constants.O_RDWR | constants.O_NOCTTY);
    const stream = new ReadStream(openSync(backend.device, constants.O_RDWR | constants.O_NOCTTY));
    stream.setRawMode(true);
    const p = { session: ++this.#sessions, fd, stream, chunks: [], waiter: null, ended: false };
    const wake = () => { const w = p.waiter; p.waiter = null; w?.(); };
    stream.on('data', (b) => { p.chunks.push(...b); wake(); });
    const end = () => { p.ended = true; wake(); };
    stream.on('end', end);
    stream.on('error', end);
    stream.on('close', end);
    this.#open.set(id, p);
    return { session: p.session };
  }

  async #pull(id, session) {
    for (;;) {
      const p = this.#open.get(id);
      if (!p || p.session !== session) return null;
      if (p.chunks.length) return p.chunks.splice(0);
      if (p.ended) return null;
      await new Promise((resolve) => { p.waiter = resolve; });
    }
  }

  #write(id, session, bytes) {
    const p = this.#open.get(id);
    if (!p || p.session !== session || p.ended) return false;
    try {
      writeSync(p.fd, Uint8Array.from(bytes));
    } catch {
      return false;
    }
    this.written.push(...bytes);
    return true;
  }

  #closePort(id, session) {
    const p = this.#open.get(id);
    if (!p || p.session !== session) return;
    this.#open.delete(id);
    p.ended = true;
    p.waiter?.();
    p.stream.destroy();
    try { closeSync(p.fd); } catch { /* closed */ }
  }
}
