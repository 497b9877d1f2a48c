// WCH CH340 and CH341: vendor requests that write the chip's registers in pairs. The rate is a
// prescaler and a divisor of the 48 MHz clock; line control has a register of its own from chip
// version 0x30 on (older chips keep the 8N1 the serial init sets).
import { controlIn, controlOut, claimBulk } from './control.js';

const READ_VERSION = 0x5f, WRITE_REG = 0x9a, SERIAL_INIT = 0xa1, MODEM_CTRL = 0xa4;
const REG_PRESCALER = 0x12, REG_DIVISOR = 0x13, REG_LCR = 0x18, REG_LCR2 = 0x25;
const LCR_ENABLE_RX = 0x80, LCR_ENABLE_TX = 0x40, LCR_CS8 = 0x03;
const BIT_DTR = 0x20, BIT_RTS = 0x40;
const CLOCK = 48000000;

// The divisor register's high byte (256 - divisor), the clock factor and the prescaler, as one
// 16-bit value: the highest base clock that gives a divisor under 512, then the nearer of two
// divisors, and the lower clock when the divisor is even.
export function ch34xDivisor(baudRate) {
  const clkDiv = (ps, fact) => 1 << (12 - 3 * ps - fact);
  const minRate = (ps) => Math.floor(CLOCK / (clkDiv(ps, 1) * 512));
  let ps = 3;
  while (ps >= 0 && !(baudRate > minRate(ps))) --ps;
  if (ps < 0) throw new RangeError(`${baudRate} bit/s is below the CH34x's range`);
  let fact = 1;
  let clk = clkDiv(ps, fact);
  let div = Math.floor(CLOCK / (clk * baudRate));
  if (div < 9 || div > 255) {
    div = Math.floor(div / 2);
    clk *= 2;
    fact = 0;
  }
  if (Math.floor(16 * CLOCK / (clk * div)) - 16 * baudRate >= 16 * baudRate - Math.floor(16 * CLOCK / (clk * (div + 1)))) ++div;
  if (fact === 1 && div % 2 === 0) {
    div /= 2;
    fact = 0;
  }
  return ((0x100 - div) << 8) | (fact << 2) | ps;
}

export const ch34x = {
  chips: [
    { vendorId: 0x1a86, productId: 0x7523, name: 'CH340' },
    { vendorId: 0x1a86, productId: 0x7522, name: 'CH340' },
    { vendorId: 0x1a86, productId: 0x5523, name: 'CH341' },
    { vendorId: 0x4348, productId: 0x5523, name: 'CH341' },
  ],

  async open(device, baudRate) {
    const bulk = await claimBulk(device, 0);
    const out = (request, value, index) => controlOut(device, 'vendor', 'device', request, value, index);
    const [version] = await controlIn(device, 'vendor', 'device', READ_VERSION, 0, 0, 2);
    await out(SERIAL_INIT, 0, 0);
    let divisor = ch34xDivisor(baudRate);
    // Without bit 7 the chip holds received bytes until a whole 32-byte packet is full; one chip
    // of version 0x27 reads the bit the other way.
    if (version > 0x27) divisor |= 0x80;
    await out(WRITE_REG, (REG_DIVISOR << 8) | REG_PRESCALER, divisor);
    if (version >= 0x30) await out(WRITE_REG, (REG_LCR2 << 8) | REG_LCR, LCR_ENABLE_RX | LCR_ENABLE_TX | LCR_CS8);
    await out(MODEM_CTRL, ~(BIT_DTR | BIT_RTS) & 0xff, 0);  // the lines are active low: DTR and RTS raised
    return { bulk, unpack: (bytes) => bytes };
  },
};
