// web/tools/serve.mjs against hostile requests: no browser is involved.
import assert from 'node:assert/strict';
import { request } from 'node:http';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../tools/serve.mjs';

// The path goes on the wire as written, unnormalised, as a hostile client sends it.
function get(port, path) {
  return new Promise((resolve, reject) => {
    const r = request({ host: '127.0.0.1', port, path }, (res) => {
      let body = '';
      res.on('data', (b) => { body += b; });
      res.on('end', () => resolve({ status: res.statusCode, body }));
    });
    r.on('error', reject);
    r.end();
  });
}

export const tests = {
  async 'the page\'s server refuses malformed and outside paths and goes on serving'({ defer }) {
    const top = mkdtempSync(join(tmpdir(), 'vxr-web-serve-'));
    defer(() => rmSync(top, { recursive: true, force: true }));
    // The served folder, a sibling whose name begins with the folder's, and a file beside them.
    for (const dir of ['site', 'site-secret']) mkdirSync(join(top, dir));
    writeFileSync(join(top, 'site', 'index.html'), 'page');
    writeFileSync(join(top, 'site-secret', 'x.html'), 'secret');
    writeFileSync(join(top, 'secret.txt'), 'secret');
    const server = await serve(join(top, 'site'), 0);
    defer(() => server.close());
    const { port } = server.address();
    for (const [path, status] of [['/%E0%A4%A', 400], ['/%', 400], ['/index.html%00.png', 400],
      ['/..%2Fsite-secret%2Fx.html', 403], ['/..%2F..%2Fsecret.txt', 403], ['/%2e%2e%2fsecret.txt', 403],
      ['/../secret.txt', 404], ['/%2e%2e/site-secret/x.html', 404], ['//site-secret/x.html', 404], ['/', 200]]) {
      const answer = await get(port, path);
      assert.equal(answer.status, status, path);
      assert.notEqual(answer.body, 'secret', path);
    }
    assert.deepEqual(await get(port, '/index.html'), { status: 200, body: 'page' });
  },
};
