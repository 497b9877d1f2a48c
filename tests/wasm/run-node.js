// Runs a program built by scripts/wasm.sh under Node: hands it its .wasm bytes (Node cannot fetch
// a file URL), its arguments, and passes its exit status on.
'use strict';
const fs = require('fs');
const path = require('path');

const program = path.resolve(process.argv[2]);
const factory = require(program);
factory({
  wasmBinary: fs.readFileSync(program.replace(/\.js$/, '.wasm')),
  arguments: process.argv.slice(3),
}).catch((e) => {
  console.error(`${path.basename(program)}: ${e}`);
  process.exit(1);
});
