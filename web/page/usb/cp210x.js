// Silicon Labs CP210x (single port): requests to the interface. The UART is enabled, the rate set
// in bits per second, the line control to 8N1, and the flow control read, cleared of every
// handshake and written back.
import { controlIn, controlOut, claimBulk, le32 } from './control.js';

const IFC_ENABLE = 0x00, SET_LINE_CTL = 0x03, SET_MHS = 0x07, SET_FLOW = 0x13, GET_FLOW = 0x14, SET_BAUDRATE = 0x1e;
const UART_ENABLE = 0x0001;
const DTR_MASK = 0x03, CTS_HANDSHAKE = 0x08, DSR_HANDSHAKE = 0x10, DCD_HANDSHAKE = 0x20, DSR_SENSITIVITY = 0x40;
const AUTO_TRANSMIT = 0x01, AUTO_RECEIVE = 0x02, RTS_MASK = 0xc0;

export const cp210x = {
  chips: [{ vendorId: 0x10c4, productId: 0xea60, name: 'CP210x' }],

  async open(device, baudRate) {
    const n = 0;
    const bulk = await claimBulk(device, n);
    const out = (request, value, data) => controlOut(device, 'vendor', 'interface', request, value, n, data);
    await out(IFC_ENABLE, UART_ENABLE);
    await out(SET_BAUDRATE, 0, le32(baudRate));
    await out(SET_LINE_CTL, 8 << 8);  // 8 data bits; parity none and one stop bit are zero
    const flow = new DataView((await controlIn(device, 'vendor', 'interface', GET_FLOW, 0, n, 16)).slice().buffer);
    let handshake = flow.getUint32(0, true);
    let replace = flow.getUint32(4, true);
    // DTR and RTS under our control (low until raised below), no hardware or XON/XOFF handshake.
    handshake &= ~(DSR_HANDSHAKE | DCD_HANDSHAKE | DSR_SENSITIVITY | DTR_MASK | CTS_HANDSHAKE);
    replace &= ~(RTS_MASK | AUTO_RECEIVE | AUTO_TRANSMIT);
    const written = new DataView(new ArrayBuffer(16));
    written.setUint32(0, handshake >>> 0, true);
    written.setUint32(4, replace >>> 0, true);
    written.setUint32(8, 128, true);   // XON limit
    written.setUint32(12, 128, true);  // XOFF limit
    await out(SET_FLOW, 0, new Uint8Array(written.buffer));
    await out(SET_MHS, 0x0303);  // DTR and RTS raised, each with its write-enable bit
    return { bulk, unpack: (bytes) => bytes };
  },
};
