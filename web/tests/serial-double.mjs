// A test double of the Web Serial API. installSerialDouble runs in the page (an init script): its
// ports open and close through the binding __vxrSerial, and carry their bytes over a WebSocket of
// their own, where SerialRelay connects them to a vxr-sim on its pseudo-terminal. The bytes go by
// socket because a binding call costs milliseconds each way, which the transfers' timing would show.
import { spawn } from 'node:child_process';
import { constants, openSync, writeSync, closeSync } from 'node:fs';
import { ReadStream } from 'node:tty';
import { createInterface } from 'node:readline';
import { WebSocketServer } from 'ws';

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
      const socket = new WebSocket(answer.url);
      socket.binaryType = 'arraybuffer';
      await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = () => reject(lost()); });
      let ended = false;  // closed by the page, or the device went away
      this.readable = new ReadableStream({
        start: (controller) => {
          socket.onmessage = (e) => { if (!ended) controller.enqueue(new Uint8Array(e.data)); };
          socket.onclose = () => {
            if (ended) return;
            ended = true;
            controller.error(lost());
            this.dispatchEvent(new Event('disconnect'));
          };
        },
        cancel: () => { ended = true; socket.close(); return call('cancel', this.#id, session); },
      });
      this.writable = new WritableStream({
        write: (chunk) => {
          if (ended || socket.readyState !== WebSocket.OPEN) throw lost();
          socket.send(Uint8Array.from(chunk));
        },
      });
      this.socket = socket;
    }
    async close() {
      if (!this.readable) throw new DOMException('The port is already closed.', 'InvalidStateError');
      if (this.readable.locked || this.writable.locked) throw new TypeError('Cannot close a locked stream');
      this.readable = this.writable = null;
      this.socket.close();
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

// vxr-sim on a pseudo-terminal; its first output line names the device. It answers at once unless
// paced: at 1200 bit/s a read all takes 2.3 s and a write all 4.4 s, which only a test that needs
// a transfer in progress (or a figure measured against the line) should wait for.
export class Simulator {
  constructor(child, device) { this.child = child; this.device = device; }

  static start(program, args = [], { paced = false } = {}) {
    const child = spawn(program, [...(paced ? ['--paced'] : []), ...args], { stdio: ['ignore', 'pipe', 'ignore'] });
    return new Promise((resolve, reject) => {
      child.once('error', reject);
      child.once('exit', (code) => reject(new Error(`vxr-sim ended with ${code} before naming its device`)));
      createInterface({ input: child.stdout }).once('line', (line) => resolve(new Simulator(child, line.trim())));
    });
  }

  stop() { if (this.child.exitCode === null) this.child.kill('SIGTERM'); }
}

// The WebSocket servers of the doubles on the page's own server, one path prefix each, so that
// the page's Content-Security-Policy (connect-src 'self') admits their sockets.
export class SocketRoutes {
  #routes = new Map();
  #next = 0;
  constructor(server) {
    this.server = server;
    server.on('upgrade', (request, socket, head) => {
      const wss = this.#routes.get(request.url.split('/')[1]);
      if (!wss) { socket.destroy(); return; }
      wss.handleUpgrade(request, socket, head, (ws) => wss.emit('connection', ws, request));
    });
  }

  // A new WebSocket server and the ws: URL its sockets begin with.
  add() {
    const prefix = `double${++this.#next}`;
    const wss = new WebSocketServer({ noServer: true });
    this.#routes.set(prefix, wss);
    return { wss, url: `ws://127.0.0.1:${this.server.address().port}/${prefix}`, remove: () => this.#routes.delete(prefix) };
  }
}

// The Node side of the double: port i of the page is backends[i], either a Simulator's device
// or { error: { name, message } } for a port that cannot be opened. Records what the page did.
export class SerialRelay {
  #backends;
  #open = new Map();  // port id -> { session, fd, stream, socket }
  #sessions = 0;
  #server = null;     // { wss, url, remove }: the WebSocket server, from the first open on
  #routes;
  opens = [];     // [{ id, options }]
  written = [];   // bytes the page wrote, all ports

  // routes: SocketRoutes of the page's server; without them the sockets get a port of their own.
  constructor(backends, routes = null) { this.#backends = backends; this.#routes = routes; }

  async handle(op, id, ...args) {
    switch (op) {
      case 'open': return this.#openPort(id, args[0]);
      // A USB device's open: whether it may be opened, before its line is known.
      case 'probe': return { error: this.#backends[id]?.error ?? (this.#backends[id] ? null : { name: 'NotFoundError', message: 'The device was disconnected.' }) };
      case 'cancel':
      case 'close': this.#closePort(id, args[0]); return true;
      default: throw new Error(`serial double: unknown operation ${op}`);
    }
  }

  closeAll() {
    for (const [id, p] of this.#open) this.#closePort(id, p.session);
    this.#server?.wss.close();
    this.#server?.remove();
  }

  async #listen() {
    if (this.#server) return this.#server;
    if (this.#routes) {
      this.#server = this.#routes.add();
    } else {
      const wss = new WebSocketServer({ host: '127.0.0.1', port: 0 });
      await new Promise((resolve) => wss.once('listening', resolve));
      this.#server = { wss, url: `ws://127.0.0.1:${wss.address().port}`, remove: () => {} };
    }
    this.#server.wss.on('connection', (socket, request) => {
      const [id, session] = request.url.split('/').slice(-2).map(Number);
      const p = this.#open.get(id);
      if (!p || p.session !== session || p.ended) { socket.close(); return; }
      socket.binaryType = 'nodebuffer';
      p.socket = socket;
      socket.on('message', (bytes) => this.#write(p, bytes));
      socket.on('close', () => this.#closePort(id, session));
      for (const b of p.early.splice(0)) socket.send(b);
    });
    return this.#server;
  }

  async #openPort(id, options) {
    this.opens.push({ id, options });
    const backend = this.#backends[id];
    if (!backend || backend.error) return { error: backend?.error ?? { name: 'NetworkError', message: 'Failed to open serial port.' } };
    const server = await this.#listen();
    const fd = openSync(backend.device, constants.O_RDWR | constants.O_NOCTTY);
    const stream = new ReadStream(openSync(backend.device, constants.O_RDWR | constants.O_NOCTTY));
    stream.setRawMode(true);
    const p = { session: ++this.#sessions, fd, stream, socket: null, early: [], ended: false };
    stream.on('data', (b) => { if (p.socket) p.socket.send(b); else p.early.push(b); });
    // The device went away: the page's port sees its socket close.
    const end = () => { if (!p.ended) { p.ended = true; p.socket?.close(); } };
    stream.on('end', end);
    stream.on('error', end);
    stream.on('close', end);
    this.#open.set(id, p);
    return { session: p.session, url: `${server.url}/${id}/${p.session}` };
  }

  #write(p, bytes) {
    if (p.ended) return;
    try {
      writeSync(p.fd, bytes);
    } catch {
      p.ended = true;
      p.socket?.close();
      return;
    }
    this.written.push(...bytes);
  }

  #closePort(id, session) {
    const p = this.#open.get(id);
    if (!p || p.session !== session) return;
    this.#open.delete(id);
    p.ended = true;
    p.socket?.close();
    p.stream.destroy();
    try { closeSync(p.fd); } catch { /* closed */ }
  }
}
