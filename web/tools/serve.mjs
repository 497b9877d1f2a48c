// A static file server for the built page, on the loopback interface only.
// node web/tools/serve.mjs --root build-web --port 8480
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, isAbsolute, join, relative, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.css': 'text/css', '.wasm': 'application/wasm', '.json': 'application/json',
  '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png',
};

// What a request's path names under base: { file }, or { status } for a path that is malformed
// (400) or leads outside base (403: "..", an encoded slash, a sibling folder named like base).
export function fileFor(base, url) {
  let path;
  try {
    path = decodeURIComponent(new URL(url, 'http://x').pathname);
  } catch {
    return { status: 400 };
  }
  if (path.includes('\0')) return { status: 400 };
  const file = join(base, path.endsWith('/') ? path + 'index.html' : path);
  const rel = relative(base, file);
  if (rel === '' || rel === '..' || rel.startsWith(`..${sep}`) || isAbsolute(rel)) return { status: 403 };
  return { file };
}

// Resolves with the listening server; port 0 picks a free one (server.address().port).
// cacheControl: the header every file goes with (a test plays a host that lets browsers keep them).
export function serve(root, port, { cacheControl = 'no-cache' } = {}) {
  const base = resolve(root);
  const server = createServer(async (req, res) => {
    const { file, status } = fileFor(base, req.url);
    if (!file) { res.writeHead(status).end(); return; }
    try {
      const body = await readFile(file);
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream',
                           'Cache-Control': cacheControl });
      res.end(body);
    } catch {
      res.writeHead(404).end();
    }
  });
  return new Promise((ok, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => ok(server));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const arg = (name, def) => { const i = process.argv.indexOf(name); return i < 0 ? def : process.argv[i + 1]; };
  await serve(arg('--root', 'build-web'), Number(arg('--port', '8480')));
}
