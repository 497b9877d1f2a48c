// The object layer over the core's exports: texts, views and decisions come from C++ as JSON.
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
  #busy = false;

  constructor(module) { this.#m = module; }

  // host: what the core asks of the page while a transfer runs (the line, the progress window,
  // the message box); see web/core/bindings.cpp.
  static async load(host) {
    try {
      // The module index.html began compiling early, if it did and that worked; else the core
      // fetches and compiles its own (and reports why it could not).
      const module = await window.vxrCoreCompiling;
      if (!module) return new Core(await VxrCore({ host }));
      // Instantiated at once: the module is compiled, and a task's wait here delays the window.
      let failed;
      const failure = new Promise((_, reject) => { failed = reject; });
      const instantiateWasm = (imports, done) => {
        let instance;
        try {
          instance = new WebAssembly.Instance(module, imports);
        } catch {
          // a browser that allows only the asynchronous way on its main thread
          WebAssembly.instantiate(module, imports).then((i) => done(i, module)).catch(failed);
          return {};
        }
        try {
          done(instance, module);
        } catch (e) {
          failed(e);  // the core's own start failed; it would not settle by itself
        }
        return {};
      };
      return new Core(await Promise.race([VxrCore({ host, instantiateWasm }), failure]));
    } catch (e) {
      throw new CoreError(`the core did not load: ${e.message}`, e);
    }
  }

  #json(name, types = [], args = []) {
    if (this.#busy) throw new CoreError(`${name} while a transfer runs`);
    return JSON.parse(this.#m.ccall(name, 'string', types, args));
  }

  // Calls name with its arguments and then text, as UTF-8 bytes in the core's heap (pointer,
  // size): ccall would copy a string onto the core's stack, which a text of megabytes overflows.
  #jsonWithText(name, text, types = [], args = []) {
    const m = this.#m;
    const bytes = new TextEncoder().encode(text);
    const at = m._malloc(Math.max(1, bytes.length));
    try {
      m.HEAPU8.set(bytes, at);
      return this.#json(name, [...types, 'number', 'number'], [...args, at, bytes.length]);
    } finally {
      m._free(at);
    }
  }

  // Every fixed text and constant of the page in a language (0 Japanese, 1 English).
  texts(language) { return this.#json('vxr_texts', ['number'], [language]); }

  // Message n of the text table, its "*"s replaced by the values in turn.
  message(n, language, ...values) {
    return this.#m.ccall('vxr_message', 'string', ['number', 'number', 'string'], [n, language, values.join('\n')]);
  }

  // The session: five models at their defaults, MODEL1 shown. Each call below returns the view
  // of the shown model afterwards.
  start(language) { return this.#json('vxr_start', ['number'], [language]); }
  // The view may be asked for during a transfer (the transfer shows the bank it read).
  view() { return JSON.parse(this.#m.ccall('vxr_view', 'string', [], [])); }
  selectTab(tab) { return this.#json('vxr_select_tab', ['number'], [tab]); }
  reset() { return this.#json('vxr_reset'); }
  takeNumber(field, text) { return this.#jsonWithText('vxr_take_number', text, ['number'], [field]); }
  moveBar(field, position) { return this.#json('vxr_move_bar', ['number', 'number'], [field, position]); }
  pickBrake(item) { return this.#json('vxr_pick_brake', ['number'], [item]); }
  pickCutOff(item) { return this.#json('vxr_pick_cutoff', ['number'], [item]); }
  setMemo(text) { return this.#jsonWithText('vxr_set_memo', text); }
  enterBar(bar, shift) { return this.#json('vxr_enter_bar', ['number', 'number'], [bar, shift ? 1 : 0]); }
  keyUpBar(bar, shift) { return this.#json('vxr_keyup_bar', ['number', 'number'], [bar, shift ? 1 : 0]); }
  scrollBar(bar, code, requested, shift) {
    return this.#json('vxr_scroll_bar', ['number', 'number', 'number', 'number'], [bar, code, requested, shift ? 1 : 0]);
  }
  // Touch: a range chosen without Shift, and a finger dragging a bar.
  selectRange(anchor, end) { return this.#json('vxr_select_range', ['number', 'number'], [anchor, end]); }
  dragBar(bar, requested) { return this.#json('vxr_drag_bar', ['number', 'number'], [bar, requested]); }
  scrollAverage(requested) { return this.#json('vxr_scroll_avg', ['number'], [requested]); }
  proposeLine() { return this.#json('vxr_propose_line'); }
  answerLine(yes) { return this.#json('vxr_answer_line', ['number'], [yes ? 1 : 0]); }
  copyQuestion(from, to) { return this.#m.ccall('vxr_copy_question', 'string', ['number', 'number'], [from, to]); }
  copy(from, to) { return this.#json('vxr_copy', ['number', 'number'], [from, to]); }
  // Undo and redo of the core's steps; a released pointer or a moved focus ends the edit going on.
  undo() { return this.#json('vxr_undo'); }
  redo() { return this.#json('vxr_redo'); }
  endGesture() { if (!this.#busy) this.#m._vxr_end_gesture(); }

  // Two setups, model side by side (see PageSession::CompareJson): each side null for the
  // editors' bank, else { bytes, name } of a settings file.
  compare(left, right, model) {
    const m = this.#m;
    const heap = [];
    try {
      const args = [];
      for (const side of [left, right]) {
        if (!side) { args.push(0, -1, ''); continue; }
        const at = m._malloc(Math.max(1, side.bytes.length));
        heap.push(at);
        m.HEAPU8.set(side.bytes, at);
        args.push(at, side.bytes.length, side.name);
      }
      return JSON.parse(m.ccall('vxr_compare', 'string', ['number', 'number', 'string', 'number', 'number', 'string', 'number'], [...args, model]));
    } finally {
      heap.forEach((at) => m._free(at));
    }
  }

  // Whether edits would be lost: 0 any (Open, a link, a history entry, leaving the page),
  // 1 the models' settings (reading all), 2 the shown model's settings (reading or resetting it).
  wouldLose(loss) { return this.#m._vxr_would_lose(loss) === 1; }
  // The bank was saved or shared: nothing is lost any more.
  kept() { this.#m._vxr_kept(); }

  // The history: the newest entry kept, which the next transfer's entries are compared with;
  // the entries the transfers added since the last call ({ time, action, model, port, changed,
  // memo, settings }); a name on one line, as an entry keeps it.
  historyPrevious(bytes) {
    const m = this.#m;
    const at = m._malloc(Math.max(1, bytes.length));
    try {
      m.HEAPU8.set(bytes, at);
      m._vxr_history_previous(at, bytes.length);
    } finally {
      m._free(at);
    }
  }
  takeHistory() {
    const m = this.#m;
    const entries = JSON.parse(m.ccall('vxr_history_take', 'string', [], []));
    return entries.map((e, k) => {
      const at = m._vxr_history_settings(k);
      return { ...e, name: '', settings: m.HEAPU8.slice(at, at + m._vxr_result_size()) };
    });
  }
  oneLine(text) { return this.#m.ccall('vxr_one_line', 'string', ['string'], [text]); }
  // An entry's action ('read', 'before-write', ...) with its model (-1 for none) as the window's
  // history names it.
  actionText(action, model, language) {
    return this.#m.ccall('vxr_action_text', 'string', ['string', 'number', 'number'], [action, model, language]);
  }

  // A history entry's time (local), the models it changed, and its name in the lists, as the
  // window shows them.
  historyTime(ms) { return this.#m.ccall('vxr_history_time', 'string', ['number'], [ms]); }
  historyModels(mask) { return this.#m.ccall('vxr_history_models', 'string', ['number'], [mask]); }
  entryLabel(id, name, time, action, model, language) {
    return this.#m.ccall('vxr_entry_label', 'string', ['number', 'string', 'number', 'string', 'number', 'number'],
      [id, name, time, action, model, language]);
  }

  // The bank's setting sheet as the window prints it (see PageSession::SheetJson); title names the
  // settings file ('' for none), made is the day as YYYY-MM-DD.
  sheet(title, made) { return this.#json('vxr_sheet', ['string', 'string'], [title, made]); }

  // Whether Left (right false) or Right on curve bar index moves the focus along the bars.
  arrowMovesFocus(index, right) { return this.#m._vxr_arrow_moves_focus(index, right ? 1 : 0) === 1; }

  // A settings file's bytes replace the bank: { status: 0 loaded, 1 not a settings file,
  // 2 unreadable; message, the text to show when refused; warning, the text to show when it
  // loaded with characters that could not be read, else '' }.
  load(bytes, name) {
    if (this.#busy) throw new CoreError('load while a transfer runs');
    const m = this.#m;
    const at = m._malloc(Math.max(1, bytes.length));
    try {
      m.HEAPU8.set(bytes, at);
      const r = JSON.parse(m.ccall('vxr_load', 'string', ['number', 'number', 'string'], [at, bytes.length, name]));
      return { status: r.status, message: r.message, warning: r.warning };
    } finally {
      m._free(at);
    }
  }

  // The bank as the desktop saves it, and the name a save writes to.
  saveBytes() {
    const at = this.#m._vxr_save();
    return this.#m.HEAPU8.slice(at, at + this.#m._vxr_result_size());
  }
  forcedName(chosen) { return this.#m.ccall('vxr_forced_name', 'string', ['string'], [chosen]); }

  // Whether the transfers go to the demonstration controller instead of the opened port.
  useDemo(demo) { this.#m._vxr_use_demo(demo ? 1 : 0); }

  get busy() { return this.#busy; }

  // Runs transfer (0 read all, 1 read shown, 2 write all, 3 write shown) over the port named
  // port with its progress and message; resolves with whether it succeeded. One at a time.
  async transfer(operation, port = '') {
    if (this.#busy) throw new CoreError('a transfer is already running');
    this.#busy = true;
    try {
      return (await this.#m.ccall('vxr_transfer', 'number', ['number', 'string'], [operation, port], { async: true })) === 1;
    } finally {
      this.#busy = false;
    }
  }
}
