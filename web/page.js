'use strict';
// The page around the animation. The animation itself (driver, key handlers, pixels) is the
// desktop's C++ compiled to WebAssembly (tarsel.js, tarsel.wasm). This script only queues the
// user's input for it, shows its pixels on the canvas and keeps the panel up to date; it calls
// into the module once, to start it, and the module calls back through tarselPage.
//
// Modes:
//   index.html                                   the animation, started by the first focus
//   index.html?at=K[&acc=1][&accumulate=1]       the same, opened at the frame at k = K (as
//                                                tarsel-render --at K --acc --accumulate)
//   index.html?script=TOKENS[&size=WxH][&probe=X][&dump=1]
//                                                plays a script as tarsel-render --script, the
//                                                probe at X (as --mechanism --probe X)
//   ...&trace=1                                  keeps timestamps in tarselPage.trace (benchmarks)
(() => {
  // What the page shares with the core (the design size, the cap, the numbers input events
  // travel as, the sweep), read from the module once it has loaded.
  let shared = null;

  const params = new URLSearchParams(location.search);
  const script = params.get('script');  // null: the animation as the user drives it
  const replay = script !== null;
  const dump = replay && params.get('dump') === '1';

  const root = document.documentElement;
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas'), stage = $('stage'), status = $('status');
  // Opaque: the compositor need not blend it. An opaque canvas starts black, the client area
  // white.
  const ctx = canvas.getContext('2d', {alpha: false});
  ctx.fillStyle = '#fff';
  ctx.fillRect(0, 0, canvas.width, canvas.height);

  // --- The caption bar shows the title exactly, runs of spaces included.
  $('caption').textContent = document.querySelector('title').textContent;

  // --- State of the page: loading -> ready -> running/waiting -> ended (replay: done).
  let phase = 'loading';
  const setPhase = (p) => {
    phase = p;
    root.dataset.tarsel = p;
  };
  let frames = 0;  // waits begun: frames complete on the canvas
  let yields = 0;  // times the animation gave the browser control while drawing

  const say = (text, kind = '') => {
    status.className = kind;
    status.textContent = text;
  };

  // --- The input queue. Events wait here until the animation's next event-processing call
  // takes them, so its handlers always run between two drawing steps.
  const queue = [];
  let wake = null;  // resolves the animation's wait for input
  let resizeQueued = false;
  const trace = params.has('trace') ? [] : null;

  function queueEvent(event) {
    if (replay || phase === 'ended') return;
    queue.push(event);
    if (wake) {
      const w = wake;
      wake = null;
      w();
    }
  }

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

  window.addEventListener('keydown', (e) => {
    if (replay || phase === 'ended') return;
    // A field of the panel takes what is typed into it (the sweep's frames, the link to copy).
    if (e.target instanceof HTMLInputElement && e.target.type === 'text') return;
    const codes = characterCodes(e);
    if (codes.length === 0) return;  // the browser keeps its own keys (F5, arrows, ...)
    // Tab must not move the focus, BackSpace navigate, Space scroll or "/" open a find bar:
    // they are keys of the animation.
    e.preventDefault();
    if (trace) trace.push(['key', e.timeStamp]);
    for (const code of codes) queueEvent(code);
  }, {capture: true});

  canvas.addEventListener('dblclick', (e) => {
    e.preventDefault();
    if (shared) queueEvent(shared.events.doubleClick);
  });

  // --- The client area: the stage, at least the design size.
  function clientSize() {
    const [width, height] = shared.design;
    return [Math.max(width, stage.clientWidth), Math.max(height, stage.clientHeight)];
  }
  new ResizeObserver(() => {
    if (phase !== 'running' && phase !== 'waiting') return;
    if (!resizeQueued) {
      resizeQueued = true;
      queueEvent(shared.events.resize);
    }
  }).observe(stage);

  // --- The panel.
  const keyButtons = [...document.querySelectorAll('button.key')];
  for (const b of keyButtons) {
    // Pressing a touch key must not take the focus from the animation.
    b.tabIndex = -1;
    b.addEventListener('mousedown', (e) => e.preventDefault());
    b.addEventListener('click', () => {
      if (trace) trace.push(['key', performance.now()]);
      queueEvent(Number(b.dataset.code));
      canvas.focus({preventScroll: true});
    });
  }

  const toggle = $('panel-toggle');
  toggle.tabIndex = -1;
  toggle.addEventListener('mousedown', (e) => e.preventDefault());
  toggle.addEventListener('click', () => {
    const hidden = document.body.classList.toggle('panel-hidden');
    toggle.textContent = hidden ? 'Show panel' : 'Hide panel';
    toggle.setAttribute('aria-expanded', String(!hidden));
  });

  let shownK = null;
  const save = $('save');
  save.tabIndex = -1;
  save.addEventListener('mousedown', (e) => e.preventDefault());
  save.addEventListener('click', () => {
    canvas.toBlob((blob) => {
      const a = document.createElement('a');
      a.href = URL.createObjectURL(blob);
      a.download = shownK === null ? 'tarsel.png' : `tarsel-k${shownK.toFixed(3)}.png`;
      document.body.append(a);
      a.click();
      a.remove();
      URL.revokeObjectURL(a.href);
    }, 'image/png');
  });

  // The frame of the plain sweep at k, as the core places k on it.
  function frameText(frame, exact) {
    const frames = shared.sweep.frames;
    if (!exact) return `between ${frame} and ${frame + 1}`;
    return frame >= 1 && frame <= frames ? `${frame} of ${frames}` :
                                           `${frame} (the sweep has 1 to ${frames})`;
  }

  let shown = '';
  function readout(k, acc, ccllss, frame, exact) {
    const key = `${k} ${acc} ${ccllss}`;
    if (key === shown) return;
    shown = key;
    shownK = k;
    $('k-value').textContent = k.toFixed(3);
    $('frame-value').textContent = frameText(frame, exact);
    $('acc-value').textContent = acc ? 'on' : 'off';
    $('cls-value').textContent = ccllss ? 'piling up' : 'cleared';
    for (const li of document.querySelectorAll('[data-when]')) {
      li.classList.toggle('off', (li.dataset.when === 'acc') !== Boolean(acc));
    }
  }

  // --- What the module calls.
  window.tarselPage = {
    trace,
    say,
    nextEvent() {
      if (queue.length === 0) return shared.events.none;
      const event = queue.shift();
      if (event === shared.events.resize) {
        resizeQueued = false;
      } else if (phase === 'waiting') {
        setPhase('running');
        if (trace) trace.push(['take', performance.now()]);
      }
      return event;
    },
    waitForEvent() {
      return queue.length ? Promise.resolve() : new Promise((resolve) => { wake = resolve; });
    },
    yieldToBrowser() {
      root.dataset.yields = String(++yields);
      // A message to itself: a task behind whatever the browser has queued meanwhile (input,
      // painting, timers), without the minimum delay of a chain of setTimeout(0). Not
      // scheduler.yield(): its continuation goes before the page's other tasks.
      return new Promise((resolve) => {
        const channel = new MessageChannel();
        channel.port1.onmessage = () => resolve();
        channel.port2.postMessage(null);
      });
    },
    clientSize,
    matchCanvas(logicalWidth, logicalHeight, deviceWidth, deviceHeight) {
      canvas.width = deviceWidth;
      canvas.height = deviceHeight;
      canvas.style.width = `${logicalWidth}px`;
      canvas.style.height = `${logicalHeight}px`;
      canvas.dataset.size = `${logicalWidth}x${logicalHeight}`;
    },
    // The whole image's bytes, and the part of it that changed.
    show(rgba, width, height, x, y, w, h) {
      ctx.putImageData(new ImageData(rgba, width, height), 0, 0, x, y, w, h);
    },
    readout,
    waiting() {
      ++frames;
      root.dataset.frames = String(frames);
      setPhase('waiting');
      if (trace) trace.push(['frame', performance.now()]);
    },
    ended() {
      setPhase('ended');
      for (const b of keyButtons) b.disabled = true;
      say('The animation has ended. Reload the page to start it again. ', 'ended');
      const again = document.createElement('button');
      again.type = 'button';
      again.textContent = 'Start again';
      again.addEventListener('click', () => location.reload());
      status.append(again);
    },
    replayDone(log, csv, pistonCsv) {
      if (dump) {
        pre('tarsel-log').textContent = log;
        pre('tarsel-png').textContent = canvas.toDataURL('image/png');
        pre('tarsel-csv').textContent = csv;
        pre('tarsel-piston-csv').textContent = pistonCsv;
      }
      say(`Replayed: ${script}`);
      setPhase('done');
    },
    replayFailed(message) {
      say(`Cannot replay this link: ${message}`, 'error');
      setPhase('done');
    },
  };

  function pre(id) {
    const p = document.createElement('pre');
    p.id = id;
    p.className = 'dump';
    document.body.append(p);
    return p;
  }

  // --- Starting.
  let module = null;
  let started = false;

  function fail(error) {
    if (location.protocol === 'file:') {
      say('This page needs a web server: a page opened from a file cannot load its ' +
          'WebAssembly (scripts/web.sh serves it).', 'error');
    } else {
      say(`The animation stopped with an error: ${error}`, 'error');
    }
    setPhase('ended');
  }

  // The animation starts when the page first has the keyboard focus and is visible, once.
  function maybeStart() {
    if (started || !module) return;
    if (!document.hasFocus() || document.visibilityState !== 'visible') {
      say('Click the picture or press a key to start.');
      return;
    }
    started = true;
    setPhase('running');
    say('Keys step the animation; a double-click on the picture or Esc ends it.');
    const [width, height] = clientSize();
    // The query may hold a link to a frame (at=6.5&acc=1): the module reads it.
    module.ccall('tarsel_live', null, ['number', 'number', 'number', 'string'],
                 [width, height, window.devicePixelRatio || 1, location.search.slice(1)],
                 {async: true})
        .catch(fail);
  }

  // "WxH", each 1 to the cap, as tarsel-render's --size; null when malformed.
  function parseSize(text) {
    const m = /^([0-9]+)x([0-9]+)$/.exec(text);
    if (!m) return null;
    const w = Number(m[1]), h = Number(m[2]), most = shared.maxDeviceSide;
    return w >= 1 && h >= 1 && w <= most && h <= most ? [w, h] : null;
  }

  function startReplay() {
    started = true;
    for (const b of keyButtons) b.disabled = true;
    const sizeText = params.get('size') ?? shared.design.join('x');
    const size = parseSize(sizeText);
    const dpr = window.devicePixelRatio || 1;
    if (!size) {
      tarselPage.replayFailed(
          `bad size '${sizeText}': expected WxH, 1 to ${shared.maxDeviceSide} each`);
      return;
    }
    const probeText = params.get('probe');
    const probe = probeText === null ? shared.probe.startX : Number(probeText);
    const decimal = /^[+-]?([0-9]+[.]?[0-9]*|[.][0-9]+)([eE][+-]?[0-9]+)?$/;
    if (probeText !== null && !(decimal.test(probeText) && Math.abs(probe) <= shared.probe.limit)) {
      tarselPage.replayFailed(`bad probe '${probeText}': expected a number from ` +
                              `-${shared.probe.limit} to ${shared.probe.limit}`);
      return;
    }
    if (!module._tarsel_fits(size[0], size[1], dpr)) {
      tarselPage.replayFailed(`picture too large: ${sizeText} at scale ${dpr} is more than ` +
                              `${shared.maxDeviceSide} device pixels a side`);
      return;
    }
    say('Replaying…');
    module.ccall('tarsel_replay', null,
                 ['string', 'number', 'number', 'number', 'number', 'number'],
                 [script, size[0], size[1], dpr, dump ? 1 : 0, probe]);
  }

  canvas.focus({preventScroll: true});
  setPhase('ready');
  createTarsel().then((m) => {
    module = m;
    shared = JSON.parse(m.ccall('tarsel_constants', 'string', [], []));
    tarselProbe.attach(m, shared, !replay);
    tarselExports.attach(m, shared, !replay);
    if (replay) {
      startReplay();
    } else {
      window.addEventListener('focus', maybeStart);
      document.addEventListener('visibilitychange', maybeStart);
      maybeStart();
    }
  }, fail);
})();
