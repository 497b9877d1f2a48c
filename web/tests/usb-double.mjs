// A test double of WebUSB with the five chip families the page drives. installUsbDouble runs in
// the page (an init script). Each device answers its control requests as the chip does, decodes
// from them the line it was given (rate, bits, parity, stop bits, flow control), logs every request
// (window.usbLog: request type, request, value, index, data), and once bulk data flows hands the
// decoded line to the serial double's relay (binding __vxrSerial), which connects the device's
// bytes to a vxr-sim over a WebSocket of its own. A device whose sim hangs up is unplugged: its
// pending transfers fail and navigator.usb reports the disconnect.

// In the page. config: { base: the relay id of the first device, devices: [device], request: device or
// null }, device = { chip: 'ftdi' | 'ch34x' | 'cp210x' | 'pl2303' | 'cdcacm', vendorId, productId }.
export function installUsbDouble(config) {
  const call = (...args) => window.__vxrSerial(...args);
  const log = window.usbLog = [];
  const error = (name, message) => new DOMException(message, name);
  const view = (bytes) => new DataView(Uint8Array.from(bytes).buffer);
  const le32 = (b, at) => (b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24)) >>> 0;
  // A UART runs within a few per cent of its rate: the standard rate so near is the one it runs at.
  const RATES = [300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200];
  const rate = (bps) => RATES.find((r) => Math.abs(bps - r) / r < 0.03) ?? Math.round(bps);
  const PARITY = ['none', 'odd', 'even', 'mark', 'space'];

  const endpoint = (endpointNumber, direction, type = 'bulk', packetSize = 64) => ({ endpointNumber, direction, type, packetSize });
  const iface = (interfaceNumber, interfaceClass, endpoints, interfaceSubclass = 0) => ({
    interfaceNumber, claimed: false,
    alternate: { alternateSetting: 0, interfaceClass, interfaceSubclass, endpoints },
    alternates: [{ alternateSetting: 0, interfaceClass, interfaceSubclass, endpoints }],
  });

  // Each chip: its interfaces, its control requests (out: true when taken; in: the answer or
  // null for a stall), and the line its registers give.
  const CHIPS = {
    ftdi: () => {
      const s = { divisor: 0x4138 /* 9600 */, data: 0x0008, flow: 0, latency: 16 };
      return {
        interfaces: [iface(0, 0xff, [endpoint(1, 'in'), endpoint(2, 'out')])],
        out({ type, request, value, index }) {
          if (type !== 0x40) return false;
          if (request === 3) s.divisor = value | ((index & 0xff) << 16);  // channel 0: index holds the high bits
          else if (request === 4) s.data = value;
          else if (request === 2) s.flow = index >> 8;
          else if (request === 9) s.latency = value;
          else if (request !== 0 && request !== 1) return false;
          return true;
        },
        in: () => null,
        line() {
          const frac = [0, 0.5, 0.25, 0.125, 0.375, 0.625, 0.75, 0.875][(s.divisor >> 14) & 7];
          const whole = s.divisor & 0x3fff;
          const bps = s.divisor === 0 ? 3e6 : s.divisor === 1 ? 2e6 : 3e6 / (whole + frac);
          return { baudRate: rate(bps), dataBits: s.data & 0xff, parity: PARITY[(s.data >> 8) & 7],
            stopBits: [1, 1.5, 2][(s.data >> 11) & 3], flowControl: s.flow ? 'hardware' : 'none' };
        },
        // Every packet the chip sends begins with its two status bytes; idle, it sends them alone
        // each latency period.
        frame: (data) => [0x01, 0x60, ...data],
        headroom: 2,
        idleMs: () => Math.max(s.latency, 4),
      };
    },
    ch34x: () => {
      const version = 0x31;
      const regs = { 0x12: 0x82, 0x13: 0xb2 /* 9600 */, 0x18: 0xc3, 0x25: 0 };
      let init = false;
      return {
        interfaces: [iface(0, 0xff, [endpoint(2, 'in', 'bulk', 32), endpoint(2, 'out', 'bulk', 32), endpoint(1, 'in', 'interrupt', 8)])],
        out({ type, request, value, index }) {
          if (type !== 0x40) return false;
          if (request === 0xa1) init = true;
          else if (request === 0x9a) { regs[value & 0xff] = index & 0xff; regs[value >> 8] = index >> 8; }
          else if (request !== 0xa4) return false;
          return true;
        },
        in: ({ type, request }) => (type === 0xc0 && request === 0x5f ? [version, 0] : null),
        line() {
          const ps = regs[0x12] & 3, fact = (regs[0x12] >> 2) & 1;
          const bps = 48e6 / ((1 << (12 - 3 * ps - fact)) * (256 - regs[0x13]));
          const lcr = regs[0x18];
          return { baudRate: init ? rate(bps) : 0, dataBits: 5 + (lcr & 3), parity: lcr & 0x08 ? PARITY[1 + ((lcr >> 4) & 3)] : 'none',
            stopBits: lcr & 0x04 ? 2 : 1, flowControl: 'none' };
        },
        frame: (data) => data,
        headroom: 0,
        // Without bit 7 of the prescaler register the chip keeps what it received until 32 bytes.
        holds: () => !(regs[0x12] & 0x80),
      };
    },
    cp210x: () => {
      // Flow control as an earlier user left it in the chip: CTS handshake and RTS flow control.
      const s = { enabled: false, baud: 9600, lineCtl: 0x0800, handshake: 0x09, replace: 0x80, xon: 0x80, xoff: 0x80 };
      const flowBytes = () => [s.handshake, s.replace, s.xon, s.xoff].flatMap((n) => [n & 0xff, (n >> 8) & 0xff, (n >> 16) & 0xff, n >>> 24]);
      return {
        interfaces: [iface(0, 0xff, [endpoint(1, 'in'), endpoint(1, 'out')])],
        out({ type, request, value, data }) {
          if (type !== 0x41) return false;
          if (request === 0x00) s.enabled = value === 1;
          else if (request === 0x1e && data.length === 4) s.baud = le32(data, 0);
          else if (request === 0x03) s.lineCtl = value;
          else if (request === 0x13 && data.length === 16) [s.handshake, s.replace, s.xon, s.xoff] = [0, 4, 8, 12].map((at) => le32(data, at));
          else if (request !== 0x07) return false;
          return true;
        },
        in: ({ type, request, length }) => (type === 0xc1 && request === 0x14 && length === 16 ? flowBytes() : null),
        line: () => ({ baudRate: s.enabled ? rate(s.baud) : 0, dataBits: s.lineCtl >> 8, parity: PARITY[(s.lineCtl >> 4) & 0xf],
          stopBits: [1, 1.5, 2][s.lineCtl & 0xf],
          flowControl: (s.handshake & 0x08) || ((s.replace >> 6) & 3) === 2 ? 'hardware' : (s.replace & 3) ? 'software' : 'none' }),
        frame: (data) => data,
        headroom: 0,
      };
    },
    // The HX on 067b:2303; the G series (HXN) on ids of their own, with other vendor request numbers
    // and its flow control in register 0x0a.
    pl2303: ({ productId }) => {
      const g = productId !== 0x2303;
      const [readRequest, writeRequest] = g ? [0x81, 0x80] : [0x01, 0x01];
      const regs = g ? { 0x0a: 0x1b } : { 0: 0x61 };  // hardware flow control left on
      let coding = [0x80, 0x25, 0, 0, 0, 0, 8];
      const flow = () => (g ? { 0x1c: 'none', 0x18: 'hardware' }[regs[0x0a] & 0x1c] ?? 'software' : regs[0] & 0xf0 ? 'hardware' : 'none');
      return {
        interfaces: [iface(0, 0xff, [endpoint(1, 'in', 'interrupt', 10), endpoint(2, 'out'), endpoint(3, 'in')])],
        out({ type, request, value, index, data }) {
          if (type === 0x40 && request === writeRequest) regs[value] = index;
          else if (type === 0x21 && request === 0x20 && data.length === 7) coding = [...data];
          else if (!(type === 0x21 && request === 0x22)) return false;
          return true;
        },
        in({ type, request, value, length }) {
          if (type === 0xc0 && request === readRequest && length === 1) {
            if (g) return [regs[value] ?? 0];
            return [value === 0x8484 ? 0x02 : value === 0x8383 ? 0x00 : regs[value & 0x7f] ?? 0];
          }
          if (type === 0xa1 && request === 0x21 && length === 7) return coding;
          return null;
        },
        line: () => ({ baudRate: rate(le32(coding, 0)), dataBits: coding[6], parity: PARITY[coding[5]], stopBits: [1, 1.5, 2][coding[4]],
          flowControl: flow() }),
        frame: (data) => data,
        headroom: 0,
      };
    },
    cdcacm: () => {
      let coding = [0x80, 0x25, 0, 0, 0, 0, 8];
      return {
        interfaces: [iface(0, 0x02, [endpoint(2, 'in', 'interrupt', 8)], 0x02), iface(1, 0x0a, [endpoint(4, 'out'), endpoint(3, 'in')])],
        out({ type, request, index, data }) {
          if (type !== 0x21 || index !== 0) return false;
          if (request === 0x20 && data.length === 7) coding = [...data];
          else if (request !== 0x22) return false;
          return true;
        },
        in: () => null,
        line: () => ({ baudRate: rate(le32(coding, 0)), dataBits: coding[6], parity: PARITY[coding[5]], stopBits: [1, 1.5, 2][coding[4]], flowControl: 'none' }),
        frame: (data) => data,
        headroom: 0,
      };
    },
  };
  const TYPE = { standard: 0x00, class: 0x20, vendor: 0x40 };
  const RECIPIENT = { device: 0, interface: 1, endpoint: 2, other: 3 };

  const usb = new EventTarget();
  class USBDevice {
    #id; #chip; #session = null; #received = []; #waiting = null;
    opened = false;
    gone = false;
    constructor(id, device) {
      this.#id = id;
      this.#chip = CHIPS[device.chip](device);
      Object.assign(this, { vendorId: device.vendorId, productId: device.productId, productName: device.chip, deviceClass: device.chip === 'cdcacm' ? 2 : 0 });
      this.configuration = { configurationValue: 1, interfaces: this.#chip.interfaces };
      this.configurations = [this.configuration];
    }
    #usable() {
      if (this.gone) throw error('NotFoundError', 'The device was disconnected.');
      if (!this.opened) throw error('InvalidStateError', 'The device must be opened first.');
    }
    async open() {
      if (this.gone) throw error('NotFoundError', 'The device was disconnected.');
      const answer = await call('probe', this.#id);
      if (answer.error) throw error(answer.error.name, answer.error.message);
      this.opened = true;
    }
    async close() {
      if (!this.opened) return;
      this.opened = false;
      for (const i of this.configuration.interfaces) i.claimed = false;
      this.#end(error('AbortError', 'The transfer was cancelled.'));
    }
    async selectConfiguration(value) {
      this.#usable();
      if (value !== 1) throw error('NotFoundError', 'The configuration value provided is not supported by the device.');
    }
    async claimInterface(n) {
      this.#usable();
      const i = this.configuration.interfaces.find((x) => x.interfaceNumber === n);
      if (!i) throw error('NotFoundError', 'The interface number provided is not supported by the device in its current configuration.');
      i.claimed = true;
    }
    async releaseInterface(n) { const i = this.configuration.interfaces.find((x) => x.interfaceNumber === n); if (i) i.claimed = false; }
    #setup(setup, direction) {
      this.#usable();
      if (setup.recipient === 'interface' && !this.configuration.interfaces.some((i) => i.claimed && i.interfaceNumber === (setup.index & 0xff))) {
        throw error('InvalidStateError', 'The interface number provided is not claimed.');
      }
      return { type: direction | TYPE[setup.requestType] | RECIPIENT[setup.recipient], request: setup.request, value: setup.value, index: setup.index };
    }
    async controlTransferOut(setup, data = new Uint8Array(0)) {
      const s = this.#setup(setup, 0x00);
      const bytes = [...new Uint8Array(ArrayBuffer.isView(data) ? data.buffer.slice(data.byteOffset, data.byteOffset + data.byteLength) : data)];
      log.push({ ...s, data: bytes });
      return this.#chip.out({ ...s, data: bytes }) ? { status: 'ok', bytesWritten: bytes.length } : { status: 'stall', bytesWritten: 0 };
    }
    async controlTransferIn(setup, length) {
      const s = this.#setup(setup, 0x80);
      log.push({ ...s, length });
      const answer = this.#chip.in({ ...s, length });
      return answer ? { status: 'ok', data: view(answer.slice(0, length)) } : { status: 'stall', data: null };
    }
    #bulk(endpointNumber, direction) {
      this.#usable();
      const owner = this.configuration.interfaces.find((i) => i.alternate.endpoints.some((e) => e.endpointNumber === endpointNumber && e.direction === direction && e.type === 'bulk'));
      if (!owner) throw error('NotFoundError', 'The specified endpoint is not part of a claimed and selected alternate interface.');
      if (!owner.claimed) throw error('InvalidStateError', 'The specified endpoint is not part of a claimed and selected alternate interface.');
      return owner.alternate.endpoints.find((e) => e.endpointNumber === endpointNumber && e.direction === direction);
    }
    // Bulk data flows on the line the control requests gave: the relay learns it at the first transfer.
    async #connect() {
      if (this.#session) return this.#session;
      const session = this.#session = (async () => {
        const answer = await call('open', this.#id, this.#chip.line());
        if (answer.error) throw error(answer.error.name, answer.error.message);
        const socket = new WebSocket(answer.url);
        socket.binaryType = 'arraybuffer';
        await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = () => reject(error('NetworkError', 'A transfer error has occurred.')); });
        socket.onmessage = (e) => { this.#received.push(...new Uint8Array(e.data)); this.#waiting?.(); };
        socket.onclose = () => { if (this.#session === session) this.#unplug(); };
        return { socket, number: answer.session };
      })();
      return session;
    }
    async transferOut(endpointNumber, data) {
      this.#bulk(endpointNumber, 'out');
      const { socket } = await this.#connect();
      if (this.gone || socket.readyState !== WebSocket.OPEN) throw error('NetworkError', 'A transfer error has occurred.');
      socket.send(Uint8Array.from(new Uint8Array(data.buffer ?? data, data.byteOffset ?? 0, data.byteLength)));
      return { status: 'ok', bytesWritten: data.byteLength };
    }
    async transferIn(endpointNumber, length) {
      const ep = this.#bulk(endpointNumber, 'in');
      await this.#connect();
      const room = Math.min(length, ep.packetSize) - this.#chip.headroom;
      for (;;) {
        this.#usable();
        const enough = this.#chip.holds?.() ? this.#received.length >= ep.packetSize : this.#received.length > 0;
        if (enough) return { status: 'ok', data: view(this.#chip.frame(this.#received.splice(0, room))) };
        const idle = this.#chip.idleMs?.();
        const woke = await new Promise((resolve, reject) => {
          const timer = idle ? setTimeout(() => resolve(false), idle) : null;
          this.#waiting = (failure) => { clearTimeout(timer); this.#waiting = null; if (failure) reject(failure); else resolve(true); };
        });
        if (!woke && this.#received.length === 0) return { status: 'ok', data: view(this.#chip.frame([])) };
      }
    }
    // The page closed the device: the pending transfer ends, the relay lets the sim go.
    #end(failure) {
      const session = this.#session;
      this.#session = null;
      this.#received = [];
      this.#waiting?.(failure);
      session?.then(({ socket, number }) => { socket.close(); call('close', this.#id, number); }, () => {});
    }
    #unplug() {
      this.gone = true;
      this.opened = false;
      this.#end(error('NotFoundError', 'The device was disconnected.'));
      const e = new Event('disconnect');
      e.device = this;
      usb.dispatchEvent(e);
    }
  }
  const granted = config.devices.map((device, i) => new USBDevice(config.base + i, device));
  usb.getDevices = async () => granted.filter((d) => !d.gone);
  usb.requestDevice = async ({ filters }) => {
    const r = config.request;
    const offered = r && filters.some((f) => (f.vendorId === r.vendorId && (f.productId === undefined || f.productId === r.productId))
      || (f.classCode !== undefined && r.chip === 'cdcacm' && f.classCode === 2));
    if (!offered) throw error('NotFoundError', 'No device selected.');
    const device = new USBDevice(config.base + granted.length, r);
    granted.push(device);
    return device;
  };
  Object.defineProperty(Navigator.prototype, 'usb', { get: () => usb, configurable: true });
}
