// What every USB serial driver of the page needs: control requests that fail loudly, and the bulk
// endpoints of a claimed interface.

// One control request; a stall or a short answer is an error, so a chip that did not take its
// setting never passes for configured.
export async function controlOut(device, requestType, recipient, request, value, index, data = new Uint8Array(0)) {
  const result = await device.controlTransferOut({ requestType, recipient, request, value, index }, data);
  if (result.status !== 'ok') throw new DOMException(`control request ${request} answered ${result.status}`, 'NetworkError');
}

export async function controlIn(device, requestType, recipient, request, value, index, length) {
  const result = await device.controlTransferIn({ requestType, recipient, request, value, index }, length);
  if (result.status !== 'ok' || !result.data || result.data.byteLength < length) {
    throw new DOMException(`control request ${request} answered ${result.status}`, 'NetworkError');
  }
  return new Uint8Array(result.data.buffer, result.data.byteOffset, result.data.byteLength);
}

// Claims interface number n and returns its bulk endpoints: { in, out }, each
// { endpointNumber, packetSize }.
export async function claimBulk(device, n) {
  await device.claimInterface(n);
  const found = device.configuration.interfaces.find((i) => i.interfaceNumber === n);
  const endpoints = found?.alternate?.endpoints ?? [];
  const pick = (direction) => endpoints.find((e) => e.type === 'bulk' && e.direction === direction);
  const [bulkIn, bulkOut] = [pick('in'), pick('out')];
  if (!bulkIn || !bulkOut) throw new DOMException(`interface ${n} has no bulk endpoints`, 'NotSupportedError');
  return { in: bulkIn, out: bulkOut };
}

// A 32-bit number in the little-endian order USB uses.
export const le32 = (n) => Uint8Array.of(n & 0xff, (n >>> 8) & 0xff, (n >>> 16) & 0xff, (n >>> 24) & 0xff);

// The 7 bytes of the CDC line coding (also the PL2303's): rate, one stop bit, no parity, 8 bits.
export const lineCoding = (baudRate) => Uint8Array.of(...le32(baudRate), 0, 0, 8);
