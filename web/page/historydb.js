// The page's history of setups, kept in the browser (IndexedDB). Each entry is a small record
// (time, action, port, models changed, name, first memo line) and, in a store of its own under
// the same key, its settings file's bytes: listing reads only the small records.
const NAME = 'vxrmgr-history';
const ENTRIES = 'entries';
const SETTINGS = 'settings';

const done = (request) => new Promise((resolve, reject) => {
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(request.error);
});
const finished = (tx) => new Promise((resolve, reject) => {
  tx.oncomplete = () => resolve();
  tx.onerror = () => reject(tx.error);
  tx.onabort = () => reject(tx.error ?? new DOMException('The transaction was aborted', 'AbortError'));
});

export class HistoryDb {
  #db;

  constructor(db) { this.#db = db; }

  // Rejects where the browser keeps nothing (no IndexedDB, a private window that refuses it).
  static async open(name = NAME) {
    if (!globalThis.indexedDB) throw new DOMException('This browser keeps no IndexedDB', 'NotSupportedError');
    const request = indexedDB.open(name, 1);
    request.onupgradeneeded = () => {
      request.result.createObjectStore(ENTRIES, { keyPath: 'id', autoIncrement: true });
      request.result.createObjectStore(SETTINGS);
    };
    return new HistoryDb(await done(request));
  }

  // Adds entries ({ time, action, model, port, name, changed, memo, settings: Uint8Array }) in
  // one transaction: all of them or none. Resolves with their ids.
  async add(entries) {
    const tx = this.#db.transaction([ENTRIES, SETTINGS], 'readwrite');
    const ids = [];
    for (const { settings, ...record } of entries) {
      const id = await done(tx.objectStore(ENTRIES).add(record));
      tx.objectStore(SETTINGS).put(settings, id);
      ids.push(id);
    }
    await finished(tx);
    return ids;
  }

  // Up to count records older than the one numbered before (all when null), newest first: a
  // list shows a page at a time however many are kept.
  page(before, count) {
    const range = before === null ? null : IDBKeyRange.upperBound(before, true);
    const request = this.#db.transaction(ENTRIES).objectStore(ENTRIES).openCursor(range, 'prev');
    const records = [];
    return new Promise((resolve, reject) => {
      request.onsuccess = () => {
        const cursor = request.result;
        if (!cursor || records.length >= count) { resolve(records); return; }
        records.push(cursor.value);
        cursor.continue();
      };
      request.onerror = () => reject(request.error);
    });
  }

  // The newest record with its bytes, or null when the history is empty.
  async newest() {
    const tx = this.#db.transaction([ENTRIES, SETTINGS]);
    const cursor = await done(tx.objectStore(ENTRIES).openCursor(null, 'prev'));
    if (!cursor) return null;
    return { ...cursor.value, settings: await done(tx.objectStore(SETTINGS).get(cursor.key)) };
  }

  // An entry's settings file bytes; undefined once deleted.
  settings(id) { return done(this.#db.transaction(SETTINGS).objectStore(SETTINGS).get(id)); }

  async rename(id, name) {
    const tx = this.#db.transaction(ENTRIES, 'readwrite');
    const store = tx.objectStore(ENTRIES);
    const record = await done(store.get(id));
    if (record) store.put({ ...record, name });
    await finished(tx);
  }

  async remove(id) {
    const tx = this.#db.transaction([ENTRIES, SETTINGS], 'readwrite');
    tx.objectStore(ENTRIES).delete(id);
    tx.objectStore(SETTINGS).delete(id);
    await finished(tx);
  }

  close() { this.#db.close(); }
}
