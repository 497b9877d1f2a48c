// Undo and redo in the page: Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z and two buttons. The steps are the
// core's; the page tells it when a gesture ends (the pointer released, the focus moved).
const $ = (id) => document.getElementById(id);

export function wireUndo(core, show) {
  const idle = () => !core.busy && !document.querySelector('dialog[open]');
  // A number being typed is an edit too: taken before it is undone.
  const takeTyped = () => {
    const field = ['NBRK_EDIT', 'PROG_EDIT'].indexOf(document.activeElement?.id);
    if (field >= 0) show(core.takeNumber(field, document.activeElement.value));
  };
  const run = (redo) => {
    if (!idle()) return;
    takeTyped();
    show(redo ? core.redo() : core.undo());
  };
  $('UNDO_BTN').addEventListener('click', () => run(false));
  $('REDO_BTN').addEventListener('click', () => run(true));
  // Captured before a text field's own undo, so that one history holds every edit.
  document.addEventListener('keydown', (e) => {
    if (!(e.ctrlKey || e.metaKey) || e.altKey) return;
    const key = e.key.toLowerCase();
    const redo = key === 'y' ? !e.shiftKey : key === 'z' ? e.shiftKey : null;
    if (redo === null) return;
    e.preventDefault();
    run(redo);
  }, true);
  for (const type of ['pointerup', 'focusin']) document.addEventListener(type, () => { if (idle()) core.endGesture(); }, true);
}
