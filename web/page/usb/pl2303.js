// Prolific PL2303: the HX and its successors on the same id, and the G series (HXN) on ids of
// their own, which takes other vendor request numbers and needs no init sequence. The HX gets the
// vendor's init sequence and a reset of both data pipes, the G series a reset of its pipes; then
// the class requests for the line coding and the control lines, and the flow control cleared.
import { controlIn, controlOut, claimBulk, lineCoding } from './control.js';

const GET_LINE_REQUEST = 0x21, SET_LINE_REQUEST = 0x20, SET_CONTROL_REQUEST = 0x22;
const CONTROL_DTR = 0x01, CONTROL_RTS = 0x02;
const HX = { read: 0x01, write: 0x01 };
const HXN = { read: 0x81, write: 0x80 };
const HXN_RESET_REG = 0x07, HXN_RESET_BOTH_PIPES = 0x03, HXN_FLOWCTRL_REG = 0x0a, HXN_FLOWCTRL_MASK = 0x1c, HXN_FLOWCTRL_NONE = 0x1c;
const HX_FLOWCTRL_MASK = 0xf0;

const G_SERIES = [0x23a3, 0x23b3, 0x23c3, 0x23d3, 0x23e3, 0x23f3];

export const pl2303 = {
  chips: [
    { vendorId: 0x067b, productId: 0x2303, name: 'PL2303' },
    ...G_SERIES.map((productId) => ({ vendorId: 0x067b, productId, name: 'PL2303G' })),
  ],

  async open(device, baudRate) {
    const bulk = await claimBulk(device, 0);
    const g = G_SERIES.includes(device.productId);
    const requests = g ? HXN : HX;
    const read = (value) => controlIn(device, 'vendor', 'device', requests.read, value, 0, 1);
    const write = (value, index) => controlOut(device, 'vendor', 'device', requests.write, value, index);
    if (g) {
      await write(HXN_RESET_REG, HXN_RESET_BOTH_PIPES);
    } else {
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
    }
    await controlIn(device, 'class', 'interface', GET_LINE_REQUEST, 0, 0, 7);
    await controlOut(device, 'class', 'interface', SET_LINE_REQUEST, 0, 0, lineCoding(baudRate));
    // Register 0 of the HX (read back at 0x80) and register 0x0a of the G series hold the flow control.
    if (g) {
      const [flow] = await read(HXN_FLOWCTRL_REG);
      await write(HXN_FLOWCTRL_REG, (flow & ~HXN_FLOWCTRL_MASK) | HXN_FLOWCTRL_NONE);
    } else {
      const [reg0] = await read(0x80);
      await write(0, reg0 & ~HX_FLOWCTRL_MASK);
    }
    await controlOut(device, 'class', 'interface', SET_CONTROL_REQUEST, CONTROL_DTR | CONTROL_RTS, 0);
    return { bulk, unpack: (bytes) => bytes };
  },
};
