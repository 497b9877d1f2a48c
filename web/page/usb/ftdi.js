// FTDI FT232R and FT-X: vendor requests on the device, channel 0. The baud rate is a divisor of
// the 3 MHz base clock in eighths (2500 for 1200 bit/s), and every bulk-in packet begins with two
// modem and line status bytes, which are not data.
import { controlOut, claimBulk } from './control.js';

const RESET = 0, MODEM_CTRL = 1, SET_FLOW_CTRL = 2, SET_BAUDRATE = 3, SET_DATA = 4, SET_LATENCY_TIMER = 9;
const STATUS_BYTES = 2;

// The chip's encoding of a rate: the integer part of 3 MHz / rate in bits 0..13, the eighths in
// bits 14..16 in the chip's own order; two special values for the highest rates.
export function ftdiDivisor(baudRate) {
  const eighths = Math.round(48000000 / (2 * baudRate));
  const order = [0, 3, 2, 4, 1, 5, 6, 7];
  let divisor = (eighths >> 3) | (order[eighths & 7] << 14);
  if (divisor === 1) divisor = 0;
  else if (divisor === 0x4001) divisor = 1;
  return divisor;
}

export const ftdi = {
  chips: [
    { vendorId: 0x0403, productId: 0x6001, name: 'FT232R' },
    { vendorId: 0x0403, productId: 0x6015, name: 'FT-X' },
  ],

  async open(device, baudRate) {
    const bulk = await claimBulk(device, 0);
    const out = (request, value, index = 0) => controlOut(device, 'vendor', 'device', request, value, index);
    // 1 ms instead of the chip's 16: a reply's last bytes would otherwise wait in the chip, which
    // at six replies per transfer shows in its time.
    await out(SET_LATENCY_TIMER, 1);
    await out(RESET, 0);
    await out(SET_DATA, 8);  // 8 bits, no parity, one stop bit
    const divisor = ftdiDivisor(baudRate);
    await out(SET_BAUDRATE, divisor & 0xffff, divisor >>> 16);
    await out(SET_FLOW_CTRL, 0);
    await out(MODEM_CTRL, 0x0303);  // DTR and RTS raised, as a serial port's open does
    const size = bulk.in.packetSize;
    return {
      bulk,
      unpack(bytes) {
        const data = [];
        for (let at = 0; at < bytes.length; at += size) data.push(...bytes.subarray(at + STATUS_BYTES, at + size));
        return data;
      },
    };
  },
};
