// Prolific PL2303 HX and its successors on the same id: the vendor's init sequence, a reset of
// both data pipes, then the class requests for the line coding and the control lines, and the
// flow control bits of register 0 cleared.
import { controlIn, controlOut, claimBulk, lineCoding } from './control.js';

const VENDOR = 0x01;  // vendor read and write share the request number
const GET_LINE_REQUEST = 0x21, SET_LINE_REQUEST = 0x20, SET_CONTROL_REQUEST = 0x22;
const FLOWCTRL_MASK = 0xf0;
const CONTROL_DTR = 0x01, CONTROL_RTS = 0x02;

export const pl2303 = {
  chips: [{ vendorId: 0x067b, productId: 0x2303, name: 'PL2303' }],

  async open(device, baudRate) {
    const bulk = await claimBulk(device, 0);
    const read = (value) => controlIn(device, 'vendor', 'device', VENDOR, value, 0, 1);
    const write = (value, index) => controlOut(device, 'vendor', 'device', VENDOR, value, index);
    // The chip expects these in this order before it works; the values read are of no use.
    await read(0x8484);
    await write(0x0404, 0);
    await read(0x8484);
    await read(0x8383);
    await read(0x8484);
    await write(0x0404, 1);
    await read(0x8484);
    await read(0x8383);
    await write(0, 1);
    await write(1, 0);
    await write(2, 0x44);
    await write(8, 0);  // reset the upstream data pipes
    await write(9, 0);
    await controlIn(device, 'class', 'interface', GET_LINE_REQUEST, 0, 0, 7);
    await controlOut(device, 'class', 'interface', SET_LINE_REQUEST, 0, 0, lineCoding(baudRate));
    const [reg0] = await read(0x80);
    await write(0, reg0 & ~FLOWCTRL_MASK);
    await controlOut(device, 'class', 'interface', SET_CONTROL_REQUEST, CONTROL_DTR | CONTROL_RTS, 0);
    return { bulk, unpack: (bytes) => bytes };
  },
};
