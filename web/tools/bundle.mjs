// Joins the page's JavaScript modules into one module script: each module becomes a function scope
// whose exports its importers take apart, so the modules keep their own names. The served page
// (--served: that folder's index.html, in place) loads it as one file named by its content, like
// its style sheet and the core's WebAssembly: the browser compiles a script file while the page
// parses, off its main thread, which an inline script does not allow (a fifth off the start-up of
// a phone-sized page with the CPU slowed four times). One file, not one per module: each further
// request showed in the start-up on a busy machine. The single file takes the script, the style
// sheet and the core with its WebAssembly inside, so that it works from file://.
//   node web/tools/bundle.mjs --served <built page folder> <core module>
//   node web/tools/bundle.mjs <built page folder> <core module with the wasm inside> <output.html>
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join, basename, posix } from 'node:path';
import { gzipSync } from 'node:zlib';

const IMPORT = /^import\s+(?:(\w+)|\{([^}]*)\})\s+from\s+'(\.{1,2}\/[\w./-]+)';\s*$/gm;

// The names a module exports, and its text without the export keywords.
function stripExports(source) {
  const names = [];
  let text = source.replace(/^export\s+default\s+(\w+);\s*$/gm, (_, name) => { names.push(`default: ${name}`); return ''; });
  text = text.replace(/^export\s+((?:async\s+)?function\*?|class)\s+(\w+)/gm, (_, kind, name) => { names.push(name); return `${kind} ${name}`; });
  text = text.replace(/^export\s+(const|let|var)\s+([^;]*);/gm, (_, kind, list) => {
    for (const m of list.matchAll(/(?:^|,)\s*(\w+)\s*=/g)) names.push(m[1]);
    return `${kind} ${list};`;
  });
  // A library's closing list: export { a, b as c };
  text = text.replace(/^export\s*\{([^}]*)\};?\s*$/gm, (_, list) => {
    for (const item of list.split(',').map((s) => s.trim()).filter(Boolean)) {
      const [local, exported] = item.split(/\s+as\s+/);
      names.push(exported ? `${exported}: ${local}` : local);
    }
    return '';
  });
  if (/^export\s/m.test(text)) throw new Error('bundle: an export form this bundler does not know');
  return { names, text };
}

export function bundle(dir, coreModule, entry = 'main.js') {
  const order = [];
  const seen = new Map();
  const visit = (file) => {
    if (seen.has(file)) return seen.get(file);
    const id = `__module${seen.size}`;
    seen.set(file, id);
    const source = readFileSync(file === 'vxrcore.mjs' ? coreModule : join(dir, file), 'utf8');
    const body = source.replace(IMPORT, (_, def, list, from) => {
      // A module's imports are relative to its own folder (the USB drivers sit in usb/).
      const dep = visit(posix.normalize(posix.join(posix.dirname(file), from)));
      if (def) return `const ${def} = ${dep}.default;`;
      return `const { ${list.split(',').map((s) => s.trim()).filter(Boolean).map((s) => s.replace(/\s+as\s+/, ': ')).join(', ')} } = ${dep};`;
    });
    const { names, text } = stripExports(body);
    order.push(`const ${id} = await (async () => {\n${text}\nreturn { ${names.join(', ')} };\n})();`);
    return id;
  };
  visit(entry);
  return compact(order.join('\n'));
}

// Comment lines and indentation, a sixth of the script, cost the page's start-up to read. The line
// breaks stay, so automatic semicolons fall as before; a template literal spanning lines would
// lose its indentation, so there must be none.
function compact(text) {
  const lines = text.split('\n');
  if (lines.some((line) => (line.replace(/\\./g, '').match(/`/g) ?? []).length % 2)) {
    throw new Error('bundle: a template literal spans lines');
  }
  return lines.map((line) => line.trim()).filter((line) => line && !line.startsWith('//')).join('\n');
}

// What a --bundle folder weighs compressed as a web host sends it (gzip -9): the files a host
// serves (all but the single file), and the single file.
export const SIZE_BUDGET = 600 * 1024;
export function compressedSizes(bundleDir) {
  const gz = (file) => gzipSync(readFileSync(join(bundleDir, file)), { level: 9 }).length;
  const files = readdirSync(bundleDir).filter((f) => statSync(join(bundleDir, f)).isFile() && f !== 'vxrmgr.html');
  return { files, served: files.reduce((sum, f) => sum + gz(f), 0), single: gz('vxrmgr.html') };
}

// A file's name with its content's hash in it: page.css -> page-1a2b3c4d5e6f.css.
export function versionedName(name, bytes) {
  const dot = name.lastIndexOf('.');
  return `${name.slice(0, dot)}-${createHash('sha256').update(bytes).digest('hex').slice(0, 12)}${name.slice(dot)}`;
}

// Only the page's own code runs: its inline scripts by their hashes, its own files, and the
// core's WebAssembly ('wasm-unsafe-eval'); no other script, no eval, nothing from elsewhere. Styles stay
// 'unsafe-inline' since the window's controls are placed by style attributes. The served page
// fetches its own files; the single file nothing beyond itself.
export function securityPolicy(html, served) {
  const scripts = [...html.matchAll(/<script(?![^>]*\bsrc=)[^>]*>([\s\S]*?)<\/script>/g)]
    .map((m) => `'sha256-${createHash('sha256').update(m[1], 'utf8').digest('base64')}'`);
  const own = served
    ? ["style-src 'self' 'unsafe-inline'", "img-src 'self'", "connect-src 'self'", "manifest-src 'self'", "worker-src 'self'"]
    // The core reads its WebAssembly from a data: URL inside the script, by fetch.
    : ["style-src 'unsafe-inline'", 'img-src data:', 'connect-src data:'];
  // The served page's modules stay beside it (a test imports one alone): 'self' there.
  const script = ['script-src', ...(served ? ["'self'"] : []), "'wasm-unsafe-eval'", ...scripts].join(' ');
  return ["default-src 'none'", script, ...own, "base-uri 'none'", "form-action 'none'"].join('; ');
}

if (process.argv[1] && basename(process.argv[1]) === 'bundle.mjs') {
  const served = process.argv[2] === '--served';
  const [dir, core, out] = process.argv.slice(served ? 3 : 2);
  const script = bundle(dir, core);
  let html = readFileSync(join(dir, 'index.html'), 'utf8');
  const replace = (pattern, text) => {
    if (!pattern.test(html)) throw new Error(`bundle: ${pattern} not in index.html`);
    html = html.replace(pattern, () => text);
  };
  if (served) {
    // The page calls most of its functions while it starts: the hint has the browser compile them
    // all along with the file, off the main thread, instead of each at its first call on it (inside
    // the single file, where it would compile them on the main thread, it did not help).
    writeFileSync(join(dir, 'page.js'), `//# allFunctionsCalledOnLoad\n${script}`);
    replace(/<script type="module" src="main.js"><\/script>/, '<script type="module" src="page.js"></script>');
    // Whatever a host lets browsers keep, the page never runs with another build's script, style or
    // core: they go by names that change with their content, written into the page here, so that
    // an index.html from any cache fetches its own build's files.
    for (const name of ['vxrcore.wasm', 'page.css', 'page.js']) {
      const bytes = readFileSync(join(dir, name));
      const versioned = versionedName(name, bytes);
      writeFileSync(join(dir, versioned), bytes);
      html = html.replaceAll(name, versioned);
    }
  } else {
    replace(/<script type="module" src="main.js"><\/script>/, `<script type="module">\n${script.replaceAll('</script', '<\\/script')}\n</script>`);
    replace(/<link rel="stylesheet" href="page.css">/, `<style>\n${readFileSync(join(dir, 'page.css'), 'utf8')}</style>`);
    replace(/<link rel="manifest"[^>]*>\n?/, '');
    // The core's WebAssembly is inside the script: nothing to fetch ahead.
    replace(/<!-- The core's WebAssembly[^>]*-->\n<script id="CoreEarly">.*<\/script>\n/, '');
    // The icon goes inside too: opened from the disk, the page asks for no other file.
    const icon = readFileSync(join(dir, 'icon.svg')).toString('base64');
    replace(/<link rel="icon" href="icon.svg"/, `<link rel="icon" href="data:image/svg+xml;base64,${icon}"`);
  }
  replace(/<meta http-equiv="Content-Security-Policy" content="[^"]*">/,
    `<meta http-equiv="Content-Security-Policy" content="${securityPolicy(html, served)}">`);
  writeFileSync(served ? join(dir, 'index.html') : out, html);
}
