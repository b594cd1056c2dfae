'use strict';
// The user's input for the animation: the queue its events wait in, the keys (on the picture
// every key with a character belongs to the animation; on a button the page behaves as any page
// does; F6 moves between the two), the key buttons and the pointer's double-click.
(() => {
  const {$, canvas, trace} = tarselState;
  const keyButtons = [...document.querySelectorAll('button.key')];

  // --- The queue. Events wait here until the animation's next event-processing call takes
  // them, so its handlers always run between two drawing steps.
  let queue = [];
  let wake = null;  // resolves the animation's wait for input
  let resizeQueued = false;

  function queueEvent(event) {
    if (tarselState.replay || tarselState.over()) return;
    queue.push(event);
    if (wake) {
      const w = wake;
      wake = null;
      w();
    }
  }

  // The oldest event, for the module; the first key after a wait starts the next frame.
  function take() {
    const shared = tarselState.shared;
    if (queue.length === 0) return shared.events.none;
    const event = queue.shift();
    if (event === shared.events.resize) {
      resizeQueued = false;
    } else if (tarselState.phase === 'waiting') {
      tarselState.setPhase('running');
      if (trace) trace.push(['take', performance.now()]);
    }
    return event;
  }

  // --- Keys.

  // The character codes a keydown produces, as the desktop window gives them to the handler:
  // Enter 13, Tab 9, BackSpace 8, Escape 27, Ctrl with a letter (or @ [ \ ] ^ _) its control
  // code, a printable character its code (UTF-16 units). Keys with no character give none.
  function characterCodes(e) {
    if (e.isComposing) return [];
    const key = e.key;
    if (e.ctrlKey && !e.altKey && !e.metaKey && key.length === 1) {
      const c = key.toUpperCase().charCodeAt(0);
      if (c >= 0x40 && c <= 0x5f) return [c & 0x1f];
    }
    switch (key) {
      case 'Enter': return [13];
      case 'Tab': return [9];
      case 'Backspace': return [8];
      case 'Escape': return [27];
    }
    // Ctrl (without AltGr, which some systems report as Ctrl+Alt) and Cmd are shortcuts.
    if (e.metaKey || (e.ctrlKey && !e.altKey)) return [];
    // Named keys (arrows, F1, Shift, Dead, ...) have names longer than one character.
    if ([...key].length !== 1) return [];
    const codes = [];
    for (let i = 0; i < key.length; ++i) codes.push(key.charCodeAt(i));
    return codes;
  }

  // The animation has the keys while the focus is on the picture, or on nothing in particular
  // after it was last on the picture (a click on the page's text). Once the focus has been among
  // the controls, Tab goes on moving it, also when it has left the last one.
  let onControls = false;
  function animationHasKeys() {
    const a = document.activeElement;
    return a === canvas || ((!a || a === document.body) && !onControls);
  }

  // The page's controls in their order, as Tab visits them.
  function controls() {
    return [...document.querySelectorAll('button, input, select, a[href]')].filter(
        (c) => !c.disabled && !c.hidden && c.getClientRects().length > 0);
  }

  let lastControl = null;
  document.addEventListener('focusin', (e) => {
    onControls = e.target !== canvas;
    if (onControls && controls().includes(e.target)) lastControl = e.target;
  });

  // F6: from the picture to the control used last (or the first), and back.
  function switchPane() {
    if (animationHasKeys()) {
      const back = lastControl && controls().includes(lastControl) ? lastControl : null;
      (back ?? controls()[0])?.focus();
    } else {
      canvas.focus();
    }
  }

  // Keys another part of the page takes before the animation (Escape while presenting).
  const keepers = [];
  const letGo = [];     // called when a key that played the sweep is let go
  let holding = false;  // a key held down repeats: the sweep plays, one frame per repeat

  window.addEventListener('keydown', (e) => {
    if (e.key === 'F6' && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();
      switchPane();
      return;
    }
    if (keepers.some((keeps) => keeps(e))) {
      e.preventDefault();
      return;
    }
    if (tarselState.replay || tarselState.over() || !animationHasKeys()) return;
    const codes = characterCodes(e);
    if (codes.length === 0) return;  // the browser keeps its own keys (F5, arrows, ...)
    // Tab must not move the focus, BackSpace navigate, Space scroll or "/" open a find bar:
    // they are keys of the animation.
    e.preventDefault();
    holding = e.repeat;
    if (trace) trace.push(['key', e.timeStamp]);
    for (const code of codes) queueEvent(code);
  }, {capture: true});
  window.addEventListener('keyup', () => {
    if (!holding) return;
    holding = false;
    for (const f of letGo) f();  // the sweep stopped where the key was let go
  });

  // --- The key buttons.
  for (const b of keyButtons) {
    tarselState.pointerKeepsFocus(b);
    b.addEventListener('click', (e) => {
      if (trace) trace.push(['key', performance.now()]);
      queueEvent(Number(b.dataset.code));
      if (e.detail > 0) canvas.focus({preventScroll: true});
    });
  }

  // --- Pointer. A double-click with a mouse ends the animation, as the caption says; a double
  // tap on a touch screen does not: a finger resting twice must not end a lesson.
  let lastPointer = 'mouse';
  canvas.addEventListener('pointerdown', (e) => {
    lastPointer = e.pointerType;
    canvas.focus({preventScroll: true});
  });
  canvas.addEventListener('dblclick', (e) => {
    e.preventDefault();
    if (!tarselState.shared || !tarselState.live()) return;
    if (lastPointer !== 'mouse') {
      tarselState.say(t('A double tap does not end the animation: the End button does.'));
      return;
    }
    queueEvent(tarselState.shared.events.doubleClick);
  });

  window.tarselInput = {
    queueEvent,
    take,
    // Suspends the animation until an event is queued.
    waitForEvent() {
      return queue.length ? Promise.resolve() : new Promise((resolve) => { wake = resolve; });
    },
    // One resize in the queue at a time: the animation reads the view anew when it takes it.
    queueResize() {
      if (resizeQueued) return;
      resizeQueued = true;
      queueEvent(tarselState.shared.events.resize);
    },
    // A new run: nothing of the last one is left queued.
    clear() {
      queue = [];
      resizeQueued = false;
    },
    holding: () => holding,
    keepKeys(keeps) {
      keepers.push(keeps);
    },
    onLetGo(f) {
      letGo.push(f);
    },
    enableKeys(on) {
      for (const b of keyButtons) b.disabled = !on;
    },
  };
})();
