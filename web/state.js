'use strict';
// What the page's scripts share: how the page was opened (its query), its phase, the module and
// the constants it shares with the core, the status line and two small helpers. Each script of
// the page is one concern and shares through one object of its own (tarselInput, tarselView,
// ...); this one is read by all of them.
//
// Modes:
//   index.html                                   the animation, started by the first focus
//   index.html?at=K[&acc=1][&accumulate=1]       the same, opened at the frame at k = K (as
//                                                tarsel-render --at K --acc --accumulate)
//   index.html?script=TOKENS[&size=WxH][&palette=distinguishable][&probe=X][&dump=1]
//                                                plays a script as tarsel-render --script, the
//                                                probe at X (as --mechanism --probe X)
//   ...&trace=1                                  keeps timestamps in tarselPage.trace (benchmarks)
(() => {
  const params = new URLSearchParams(location.search);
  const script = params.get('script');  // null: the animation as the user drives it
  const root = document.documentElement;
  const $ = (id) => document.getElementById(id);
  const status = $('status');
  // loading -> ready -> running/waiting -> ended (a replay: done).
  let phase = 'loading';
  const listeners = {};

  window.tarselState = {
    params,
    script,
    replay: script !== null,
    dump: script !== null && params.get('dump') === '1',
    trace: params.has('trace') ? [] : null,
    root,
    $,
    canvas: $('canvas'),
    // The WebAssembly module and what it shares with the core (the design size, the cap, the
    // scales, the numbers input events travel as, the sweep, the palettes and the legend), set
    // once it has loaded.
    module: null,
    shared: null,

    get phase() {
      return phase;
    },
    setPhase(p) {
      phase = p;
      root.dataset.tarsel = p;
    },
    live: () => phase === 'running' || phase === 'waiting',
    // After the end, or a replay: the page takes no more input for the animation.
    over: () => phase === 'ended' || phase === 'done',

    say(text, kind = '') {
      status.className = kind;
      status.textContent = text;
    },

    // A click with a pointer leaves the keys with the animation; a button pressed from the
    // keyboard keeps the focus, so that it can be pressed again.
    pointerKeepsFocus(control) {
      control.addEventListener('mousedown', (e) => e.preventDefault());
    },

    // What happens to the run, for the parts of the page that follow it (the messages to a
    // page framing this one, a course platform): 'frame' when a frame is complete, 'ended'
    // (past the last frame or not), 'linkOpened' when a link's frame is on the canvas,
    // 'shown' (embed.js) when a frame the user sees is complete, with the state, and
    // 'moduleReady' when the module has loaded, before the animation starts.
    listen(name, f) {
      (listeners[name] ??= []).push(f);
    },
    tell(name, ...args) {
      for (const f of listeners[name] ?? []) f(...args);
    },

    // A string argument and result of a call into the module made directly: the animation may
    // be suspended in its wait, and ccall would take it for a call of its own.
    withText(text, call) {
      const m = this.module;
      const size = m.lengthBytesUTF8(text) + 1;
      const at = m._malloc(size);
      try {
        m.stringToUTF8(text, at, size);
        return m.UTF8ToString(call(at));
      } finally {
        m._free(at);
      }
    },

    // f in a task of its own, behind whatever the browser has queued meanwhile (input,
    // painting, timers): a message to itself, without the minimum delay that a chain of
    // setTimeout(0) gets, as the animation's own tasks are one.
    task(f) {
      const channel = new MessageChannel();
      channel.port1.onmessage = () => f();
      channel.port2.postMessage(null);
    },

    download(blob, name) {
      const a = document.createElement('a');
      a.href = URL.createObjectURL(blob);
      a.download = name;
      document.body.append(a);
      a.click();
      a.remove();
      // Later: some browsers read the object only after the click has returned.
      setTimeout(() => URL.revokeObjectURL(a.href), 10000);
    },
  };
})();
