// A CDC-ACM device (a microcontroller's own USB serial port): class requests to its
// communication interface, the data on its data interface.
import { controlOut, claimBulk, lineCoding } from './control.js';

const SET_LINE_CODING = 0x20, SET_CONTROL_LINE_STATE = 0x22;
const CLASS_COMM = 0x02, SUBCLASS_ACM = 0x02, CLASS_DATA = 0x0a;

// The communication and data interface numbers, or null for a device that is not CDC-ACM.
function acmInterfaces(configuration) {
  const interfaces = configuration?.interfaces ?? [];
  const comm = interfaces.find((i) => i.alternates?.[0]?.interfaceClass === CLASS_COMM && i.alternates[0].interfaceSubclass === SUBCLASS_ACM);
  const data = interfaces.find((i) => i.alternates?.[0]?.interfaceClass === CLASS_DATA);
  return comm && data ? { comm: comm.interfaceNumber, data: data.interfaceNumber } : null;
}

export const cdcacm = {
  chips: [],
  filters: [{ classCode: CLASS_COMM }],

  matches: (device) => acmInterfaces(device.configuration ?? device.configurations?.[0]) !== null,

  async open(device, baudRate) {
    const { comm, data } = acmInterfaces(device.configuration);
    await device.claimInterface(comm);
    const bulk = await claimBulk(device, data);
    await controlOut(device, 'class', 'interface', SET_CONTROL_LINE_STATE, 0x03, comm);  // DTR and RTS
    await controlOut(device, 'class', 'interface', SET_LINE_CODING, 0, comm, lineCoding(baudRate));
    return { bulk, unpack: (bytes) => bytes };
  },
};
