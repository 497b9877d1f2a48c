// The object layer over the core's exports: texts and decisions come from C++, as JSON or strings.
import VxrCore from './vxrcore.mjs';

// The one error the core layer throws.
export class CoreError extends Error {
  constructor(message, cause) {
    super(message, { cause });
    this.name = 'CoreError';
  }
}

export class Core {
  #m;

  constructor(module) { this.#m = module; }

  static async load() {
    try {
      return new Core(await VxrCore());
    } catch (e) {
      throw new CoreError(`the core did not load: ${e.message}`, e);
    }
  }

  // Every fixed text of the page in a language (0 Japanese, 1 English).
  texts(language) { return JSON.parse(this.#m.UTF8ToString(this.#m._vxr_texts(language))); }

  // Message n of the text table, its "*"s replaced by the values in turn.
  message(n, language, ...values) {
    return this.#m.ccall('vxr_message', 'string', ['number', 'number', 'string'], [n, language, values.join('\n')]);
  }
}
