// A range input driven as the desktop's scroll bar is, not as the browser's slider: a press on
// the thumb drags it, a press on the track steps it by a page toward the press (again and again
// while held, until the thumb reaches the pointer), and a finger never sets it by a tap. The
// browser's own handling (a jump to the point pressed, a tap moving the thumb) is switched off;
// the keyboard stays the browser's or the caller's.

const REPEAT_DELAY_MS = 350, REPEAT_MS = 50;
const LONG_PRESS_MS = 500;
const SLOP_PX = 8;  // a finger that moves less is still a tap or a long press

// el: the range input; vertical: whether its minimum is at the top and it runs downwards;
// max: its maximum (the minimum is 0); thumb: the thumb's length along the track in px;
// position(): where it stands now. What the user does is told, never done, here:
//   focus()                       a mouse press, before anything moves
//   page(direction)               a press on the track: -1 toward the minimum, +1 toward the maximum
//   track(requested)              the mouse drags the thumb
//   end()                         the mouse is released
//   tap(x, y)                     a finger touched and let go without moving
//   drag(requested)               a finger drags: the thumb follows it, from where it stood
//   longPress(), longMove(x, y)   a finger held still, then moved while still down
export function attachScrollBar(el, { vertical, max, thumb, position, ...on }) {
  let press = null;

  const geometry = () => {
    const r = el.getBoundingClientRect();
    const length = vertical ? r.height : r.width;
    const size = thumb();
    const start = vertical ? r.top : r.left;
    const perStep = (length - size) / max;
    return { start, size, perStep, thumbStart: start + perStep * position() };
  };
  const along = (e) => (vertical ? e.clientY : e.clientX);
  const clamp = (p) => Math.max(0, Math.min(max, p));

  // Neither the mouse nor a finger reaches the browser's slider.
  el.addEventListener('mousedown', (e) => e.preventDefault());
  el.addEventListener('touchstart', (e) => { if (e.cancelable) e.preventDefault(); }, { passive: false });

  const repeat = () => {
    const g = geometry();
    const at = along(press.last);
    // The thumb has reached the pointer: stop stepping, as the desktop's scroll bar does.
    if (at >= g.thumbStart && at < g.thumbStart + g.size) return;
    on.page(at < g.thumbStart ? -1 : 1);
    press.timer = setTimeout(repeat, REPEAT_MS);
  };

  el.addEventListener('pointerdown', (e) => {
    if (press || e.button !== 0) return;
    e.preventDefault();
    el.setPointerCapture(e.pointerId);
    if (e.pointerType === 'mouse') {
      on.focus();
      const g = geometry();
      const at = along(e);
      press = { id: e.pointerId, mouse: true, last: e };
      if (at >= g.thumbStart && at < g.thumbStart + g.size) {
        press.grab = at - g.thumbStart;
      } else {
        on.page(at < g.thumbStart ? -1 : 1);
        press.timer = setTimeout(repeat, REPEAT_DELAY_MS);
      }
      return;
    }
    press = { id: e.pointerId, mouse: false, x: e.clientX, y: e.clientY, from: position(), mode: null };
    press.timer = setTimeout(() => {
      if (press?.mode !== null) return;
      press.mode = 'long';
      on.longPress();
    }, LONG_PRESS_MS);
  });

  el.addEventListener('pointermove', (e) => {
    if (!press || e.pointerId !== press.id) return;
    if (press.mouse) {
      press.last = e;
      if (press.grab === undefined) return;
      const g = geometry();
      on.track(clamp(Math.round((along(e) - press.grab - g.start) / g.perStep)));
      return;
    }
    if (press.mode === 'long') {
      on.longMove(e.clientX, e.clientY);
      return;
    }
    const moved = vertical ? e.clientY - press.y : e.clientX - press.x;
    if (press.mode === null) {
      if (Math.hypot(e.clientX - press.x, e.clientY - press.y) < SLOP_PX) return;
      clearTimeout(press.timer);
      press.mode = 'drag';
    }
    on.drag(clamp(press.from + Math.round(moved / geometry().perStep)));
  });

  const finish = (e, cancelled) => {
    if (!press || e.pointerId !== press.id) return;
    const p = press;
    press = null;
    clearTimeout(p.timer);
    if (p.mouse) on.end();
    else if (p.mode === null && !cancelled) on.tap(e.clientX, e.clientY);
  };
  el.addEventListener('pointerup', (e) => finish(e, false));
  el.addEventListener('pointercancel', (e) => finish(e, true));
}

// The thumb's length along the track, as the style sheet draws it (--thumb on the element).
export function thumbLength(el) {
  return parseFloat(getComputedStyle(el).getPropertyValue('--thumb')) || 16;
}
