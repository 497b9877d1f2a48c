// The controller for the Asyncify trial, in JavaScript: it answers each command frame after a
// timer, as a real line delivers bytes later, and a waiting receive is a promise.
Module.asyncController = (function () {
  const kImage = 48;
  let modelNumber = 0;
  let images = [];
  let received = [];
  let waiter = null;

  function sum(bytes) {
    return bytes.reduce((a, b) => (a + b) & 0xff, 0);
  }
  function answer(frame) {
    const c = frame[0];
    const reply = Array.from(frame);  // the line echoes
    if (c === 0xd6) {
      reply.push(modelNumber, modelNumber);
    } else if (c === 0xe6) {
      const ok = frame[1] === frame[2];
      if (ok) modelNumber = frame[1];
      reply.push(ok ? 0x06 : 0x15);
    } else if (c >= 0xd1 && c <= 0xd5) {
      const image = images[c - 0xd1];
      reply.push(...image, sum(image));
    } else if (c >= 0xe1 && c <= 0xe5) {
      const image = Array.from(frame.slice(1, 1 + kImage));
      const ok = sum(image) === frame[1 + kImage];
      if (ok) images[c - 0xe1] = image;
      reply.push(ok ? 0x06 : 0x15);
    }
    return reply;
  }
  function arrive(bytes) {
    received.push(...bytes);
    if (waiter) waiter();
  }

  return {
    set(state) {
      modelNumber = state[0];
      images = [];
      for (let i = 0; i < 5; ++i) images.push(Array.from(state.slice(1 + i * kImage, 1 + (i + 1) * kImage)));
    },
    get() {
      return Uint8Array.from([modelNumber, ...images.flat()]);
    },
    // Every frame here is whole; the reply comes after a timer, in two pieces.
    send(frame) {
      const reply = answer(frame);
      const half = reply.length >> 1;
      setTimeout(() => arrive(reply.slice(0, half)), 1);
      setTimeout(() => arrive(reply.slice(half)), 3);
    },
    purge() {
      received = [];
    },
    receive(count, timeoutMs) {
      return new Promise((resolve) => {
        const finish = () => {
          waiter = null;
          clearTimeout(timer);
          resolve(Uint8Array.from(received.splice(0, count)));
        };
        const timer = setTimeout(finish, timeoutMs);
        waiter = () => {
          if (received.length >= count) finish();
        };
        waiter();
      });
    },
  };
})();
