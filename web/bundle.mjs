// Joins the page's JavaScript modules into one module script: each module becomes a function
// scope whose exports its importers take apart, so the modules keep their own names. The served
// page loads it as app.js (one request instead of one per module, which a page's start shows);
// the single file takes it inline, the style sheet too, with the core's WebAssembly inside, so
// that it works from file://.
//   node web/bundle.mjs --script <built page folder> <core module> <app.js>
//   node web/bundle.mjs <built page folder> <core module with the wasm inside> <output.html>
import { readFileSync, writeFileSync } from 'node:fs';
import { join, basename } from 'node:path';

const IMPORT = /^import\s+(?:(\w+)|\{([^}]*)\})\s+from\s+'\.\/([\w.-]+)';\s*$/gm;

// The names a module exports, and its text without the export keywords.
function stripExports(source) {
  const names = [];
  let text = source.replace(/^export\s+default\s+(\w+);\s*$/gm, (_, name) => { names.push(`default: ${name}`); return ''; });
  text = text.replace(/^export\s+((?:async\s+)?function\*?|class)\s+(\w+)/gm, (_, kind, name) => { names.push(name); return `${kind} ${name}`; });
  text = text.replace(/^export\s+(const|let|var)\s+([^;]*);/gm, (_, kind, list) => {
    for (const m of list.matchAll(/(?:^|,)\s*(\w+)\s*=/g)) names.push(m[1]);
    return `${kind} ${list};`;
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
      const dep = visit(from);
      if (def) return `const ${def} = ${dep}.default;`;
      return `const { ${list.split(',').map((s) => s.trim()).filter(Boolean).map((s) => s.replace(/\s+as\s+/, ': ')).join(', ')} } = ${dep};`;
    });
    const { names, text } = stripExports(body);
    order.push(`const ${id} = await (async () => {\n${text}\nreturn { ${names.join(', ')} };\n})();`);
    return id;
  };
  visit(entry);
  return order.join('\n');
}

if (process.argv[1] && basename(process.argv[1]) === 'bundle.mjs') {
  const scriptOnly = process.argv[2] === '--script';
  const [dir, core, out] = process.argv.slice(scriptOnly ? 3 : 2);
  if (scriptOnly) {
    writeFileSync(out, bundle(dir, core));
    process.exit(0);
  }
  const script = bundle(dir, core).replaceAll('</script', '<\\/script');
  const style = readFileSync(join(dir, 'page.css'), 'utf8');
  let html = readFileSync(join(dir, 'index.html'), 'utf8');
  const replace = (pattern, text) => {
    if (!pattern.test(html)) throw new Error(`bundle: ${pattern} not in index.html`);
    html = html.replace(pattern, () => text);
  };
  replace(/<link rel="stylesheet" href="page.css">/, `<style>\n${style}</style>`);
  replace(/<script type="module" src="app.js"><\/script>/, `<script type="module">\n${script}\n</script>`);
  replace(/<link rel="manifest"[^>]*>\n?/, '');
  // Everything is inline: nothing to fetch ahead.
  html = html.replace(/<!-- The core's WebAssembly[^>]*-->\n/, '').replace(/<link rel="preload"[^>]*>\n/g, '');
  writeFileSync(out, html);
}
