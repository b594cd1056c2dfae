'use strict';
// The page around the animation. The animation itself (driver, key handlers, pixels) is the
// desktop's C++ compiled to WebAssembly (tarsel.js, tarsel.wasm). This script only queues the
// user's input for it, tells it how the client area is shown, puts its pixels on the canvas and
// keeps the panel up to date; it calls into the module to start it, and the module calls back
// through tarselPage.
//
// Modes:
//   index.html                                   the animation, started by the first focus
//   index.html?at=K[&acc=1][&accumulate=1]       the same, opened at the frame at k = K (as
//                                                tarsel-render --at K --acc --accumulate)
//   index.html?script=TOKENS[&size=WxH][&palette=distinguishable][&probe=X][&dump=1]
//                                                plays a script as tarsel-render --script, the
//                                                probe at X (as --mechanism --probe X)
//   ...&trace=1                                  keeps timestamps in tarselPage.trace (benchmarks)
// The module reads the query by its table of a link's parameters (input/link.h): a parameter
// given twice is refused, and so is a script with at, acc or accumulate.
(() => {
  // What the page shares with the core (the design size, the cap, the scales, the numbers input
  // events travel as, the sweep, the palettes and the legend), read from the module once it has
  // loaded.
  let shared = null;

  const params = new URLSearchParams(location.search);
  const script = params.get('script');  // null: the animation as the user drives it
  const replay = script !== null;
  const dump = replay && params.get('dump') === '1';
  // Longer links are refused: 8,000 characters is what every server and browser is asked to
  // take (RFC 9110); a longer one may not even reach the page intact.
  const mostLinkLength = 8000;

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
  const live = () => phase === 'running' || phase === 'waiting';
  let frames = 0;  // waits begun in this run: frames complete on the canvas
  let yields = 0;  // times the animation gave the browser control while drawing

  const say = (text, kind = '') => {
    status.className = kind;
    status.textContent = text;
  };

  // --- The input queue. Events wait here until the animation's next event-processing call
  // takes them, so its handlers always run between two drawing steps.
  let queue = [];
  let wake = null;  // resolves the animation's wait for input
  let resizeQueued = false;
  const trace = params.has('trace') ? [] : null;

  function queueEvent(event) {
    if (replay || phase === 'ended' || phase === 'done') return;
    queue.push(event);
    if (wake) {
      const w = wake;
      wake = null;
      w();
    }
  }

  // --- Keys. On the picture every key with a character belongs to the animation; on a button
  // the page behaves as any page does. F6 moves between the two.

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
    return [...document.querySelectorAll('button, input, a[href]')].filter(
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

  let holding = false;  // a key held down repeats: the sweep plays, one frame per repeat
  window.addEventListener('keydown', (e) => {
    if (e.key === 'F6' && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();
      switchPane();
      return;
    }
    if (replay || phase === 'ended' || phase === 'done' || !animationHasKeys()) return;
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
    announceFrame();  // the sweep stopped where the key was let go
  });

  // --- Pointer. A double-click with a mouse ends the animation, as the caption says; a double
  // tap on a touch screen does not: a finger resting twice must not end a lesson.
  let lastPointer = 'mouse';
  canvas.addEventListener('pointerdown', (e) => {
    lastPointer = e.pointerType;
    canvas.focus({preventScroll: true});
  });
  canvas.addEventListener('dblclick', (e) => {
    e.preventDefault();
    if (!shared || !live()) return;
    if (lastPointer !== 'mouse') {
      say('A double tap does not end the animation: the End button does.');
      return;
    }
    queueEvent(shared.events.doubleClick);
  });

  // --- How the client area is shown: its logical size, the device pixels per logical pixel and
  // the palette.
  const paletteSwitch = $('palette-switch');
  const storedPalette = 'tarsel-palette';

  // The palette: a replay link names its own; the animation follows the switch.
  function palette() {
    const name = replay ? (params.get('palette') ?? 'exact') :
                          (paletteSwitch.checked ? 'distinguishable' : 'exact');
    return shared.palettes.indexOf(name);
  }

  // The stage's room in CSS pixels, inside the margin kept for the canvas's focus ring (whole
  // pixels, never more than there is).
  function room() {
    const r = stage.getBoundingClientRect();
    const ring = 2 * canvas.offsetLeft;
    return [Math.max(1, Math.floor(r.width) - ring), Math.max(1, Math.floor(r.height) - ring)];
  }

  // The design size fits the stage: drawn one to one (at the browser's devicePixelRatio), the
  // client area as large as the stage, as a larger window is. Otherwise the whole design area
  // is drawn smaller, at devicePixelRatio times the fit, still one canvas pixel to one screen
  // pixel: crisp, and every pixel computed by the core (tarsel-render --scale gives the same).
  function fitted(size) {
    const [w, h] = room();
    const dpr = window.devicePixelRatio || 1;
    const fit = Math.min(1, w / size[0], h / size[1]);
    const [least, most] = shared.scales;
    const scale = Math.min(most, Math.max(least, dpr * fit));
    return {fit, scale};
  }

  function view() {
    const design = shared.design;
    if (replay) {
      const {scale} = fitted(replaySize);
      return {size: replaySize, scale, palette: palette()};
    }
    const {fit, scale} = fitted(design);
    const [w, h] = room();
    const most = module._tarsel_most_side(scale);
    const size = fit < 1 ? design :
                           [Math.min(most, Math.max(design[0], w)),
                            Math.min(most, Math.max(design[1], h))];
    return {size, scale, palette: palette()};
  }

  // The view changed (a resize, a turned tablet, a zoom, the colour switch): the animation
  // applies it at its next event-processing call; after the end the module applies it at once.
  function viewChanged() {
    if (live()) {
      if (!resizeQueued) {
        resizeQueued = true;
        queueEvent(shared.events.resize);
      }
    } else if (phase === 'ended' && module) {
      module._tarsel_view_changed();
    }
  }
  new ResizeObserver(() => {
    if (shared) viewChanged();
  }).observe(stage);
  // A zoom changes devicePixelRatio, which a resize of the stage does not always show.
  let dprQuery = null;
  function watchRatio() {
    dprQuery?.removeEventListener('change', onRatio);
    dprQuery = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
    dprQuery.addEventListener('change', onRatio);
  }
  function onRatio() {
    watchRatio();
    if (shared) viewChanged();
  }
  watchRatio();

  // --- The panel.
  const keyButtons = [...document.querySelectorAll('button.key')];
  // A click with a pointer leaves the keys with the animation; a button pressed from the
  // keyboard keeps the focus, so that it can be pressed again.
  function pointerKeepsFocus(button) {
    button.addEventListener('mousedown', (e) => e.preventDefault());
  }
  for (const b of keyButtons) {
    pointerKeepsFocus(b);
    b.addEventListener('click', (e) => {
      if (trace) trace.push(['key', performance.now()]);
      queueEvent(Number(b.dataset.code));
      if (e.detail > 0) canvas.focus({preventScroll: true});
    });
  }

  const toggle = $('panel-toggle');
  pointerKeepsFocus(toggle);
  toggle.addEventListener('click', () => {
    const hidden = document.body.classList.toggle('panel-hidden');
    toggle.textContent = hidden ? 'Show panel' : 'Hide panel';
    toggle.setAttribute('aria-expanded', String(!hidden));
  });

  let shownK = null;
  const save = $('save');
  pointerKeepsFocus(save);
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

  const endButton = $('end'), againButton = $('again');
  pointerKeepsFocus(endButton);
  endButton.addEventListener('click', () => {
    if (shared && live()) queueEvent(shared.events.doubleClick);
  });
  againButton.addEventListener('click', startAgain);

  pointerKeepsFocus(paletteSwitch);
  // The colour switch: remembered on this device, for the students who need it every time.
  try {
    paletteSwitch.checked = localStorage.getItem(storedPalette) === 'distinguishable';
  } catch {
    // Storage may be off: the switch then starts off.
  }
  paletteSwitch.addEventListener('change', () => {
    const name = paletteSwitch.checked ? 'distinguishable' : 'exact';
    try {
      localStorage.setItem(storedPalette, name);
    } catch {
      // Not remembered; the switch still works.
    }
    if (replay) {
      params.set('palette', name);
      location.search = params.toString();
      return;
    }
    buildLegend();
    if (shared) viewChanged();
  });

  // The legend, from the module's table: each curve's line in its colour and pen width, its
  // colour's name in the palette shown, and what it shows.
  let acc = 0;
  function buildLegend() {
    if (!shared) return;
    const p = Math.max(0, palette());
    const svg = 'http://www.w3.org/2000/svg';
    const items = shared.curves.map((curve) => {
      const li = document.createElement('li');
      li.dataset.when = curve.shown;
      const line = document.createElementNS(svg, 'svg');
      line.setAttribute('width', '30');
      line.setAttribute('height', '10');
      line.setAttribute('aria-hidden', 'true');
      const stroke = document.createElementNS(svg, 'line');
      for (const [k, v] of [['x1', 1], ['y1', 5], ['x2', 29], ['y2', 5]]) stroke.setAttribute(k, v);
      stroke.setAttribute('stroke', curve.colours[p]);
      stroke.setAttribute('stroke-width', curve.width);
      stroke.setAttribute('stroke-linecap', 'round');
      line.append(stroke);
      const text = document.createElement('span');
      const name = document.createElement('b');
      name.textContent = curve.names[p];
      const when = document.createElement('span');
      when.className = 'when';
      text.append(name, ` (${curve.width} px): ${curve.shows}`, when);
      li.append(line, text);
      return li;
    });
    $('legend').replaceChildren(...items);
    markLegend();
  }
  // Curves not on the picture now say so in words (not by fading: faded text is hard to read).
  function markLegend() {
    for (const li of $('legend').children) {
      const off = li.dataset.when === 'plain' ? acc === 1 : li.dataset.when === 'derivatives' &&
                                                                acc !== 1;
      li.querySelector('.when').textContent = !off ? '' :
          li.dataset.when === 'plain' ? ' (not now: only while velocity and acceleration are off)' :
                                        ' (not now: BackSpace shows it)';
    }
  }

  // The frame of the plain sweep at k, as the core places k on it.
  function frameText(frame, exact) {
    const frames = shared.sweep.frames;
    if (!exact) return `between ${frame} and ${frame + 1}`;
    return frame >= 1 && frame <= frames ? `${frame} of ${frames}` :
                                           `${frame} (the sweep has 1 to ${frames})`;
  }

  let shown = '';
  function readout(k, accNow, ccllss, frame, exact) {
    const key = `${k} ${accNow} ${ccllss}`;
    if (key === shown) return;
    shown = key;
    shownK = k;
    $('k-value').textContent = k.toFixed(3);
    $('frame-value').textContent = frameText(frame, exact);
    $('acc-value').textContent = accNow ? 'on' : 'off';
    $('cls-value').textContent = ccllss ? 'piling up' : 'cleared';
    if (accNow !== acc) {
      acc = accNow;
      markLegend();
    }
  }

  // One polite announcement per frame, the readout in words; none while a held key plays the
  // sweep (a screen reader would fall behind), and the frame it stopped at once the key is up.
  function announceFrame() {
    if (holding || !live()) return;
    $('announce').textContent =
        `k ${$('k-value').textContent}, frame ${$('frame-value').textContent}, ` +
        `velocity and acceleration ${$('acc-value').textContent}, ` +
        `frames ${$('cls-value').textContent}`;
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
    view,
    // The canvas element takes the image's device pixels, and a CSS size that puts each of
    // them on one pixel of the screen.
    matchCanvas(logicalWidth, logicalHeight, deviceWidth, deviceHeight, scale) {
      const dpr = window.devicePixelRatio || 1;
      canvas.width = deviceWidth;
      canvas.height = deviceHeight;
      canvas.style.width = `${deviceWidth / dpr}px`;
      canvas.style.height = `${deviceHeight / dpr}px`;
      canvas.dataset.size = `${logicalWidth}x${logicalHeight}`;
      // What tarsel-render needs for the same pixels: --size WxH --scale S. String() gives the
      // shortest decimal that reads back as the same double.
      root.dataset.tarselSize = `${logicalWidth}x${logicalHeight}`;
      root.dataset.tarselScale = String(scale);
    },
    // The whole image's bytes, and the part of it that changed.
    show(rgba, width, height, x, y, w, h) {
      ctx.putImageData(new ImageData(rgba, width, height), 0, 0, x, y, w, h);
      if (trace) trace.push(['shown', performance.now()]);
    },
    readout,
    waiting() {
      ++frames;
      root.dataset.frames = String(frames);
      setPhase('waiting');
      announceFrame();
      if (trace) trace.push(['frame', performance.now()]);
      keepOffline();
    },
    ended(pastLast) {
      setPhase('ended');
      for (const b of keyButtons) b.disabled = true;
      if (pastLast) {
        // The key after the last frame: the sweep is over, not at a frame 64.
        $('k-value').textContent = '–';
        $('frame-value').textContent = 'the sweep is over';
      }
      say(pastLast ? 'The sweep is over: that was its last frame. Start again to see it anew.' :
                     'The animation has ended. Start again to see it anew.',
          'ended');
      endButton.hidden = true;
      againButton.hidden = false;
    },
    replayProgress(done, total) {
      root.dataset.replayProgress = String(done);
      say(`Replaying: frame ${done} of ${total}…`);
    },
    replayDone(log, csv, pistonCsv, cutAfter) {
      root.dataset.heapBytes = String(module._tarsel_heap_bytes());
      if (dump) {
        pre('tarsel-log').textContent = log;
        pre('tarsel-png').textContent = canvas.toDataURL('image/png');
        pre('tarsel-csv').textContent = csv;
        pre('tarsel-piston-csv').textContent = pistonCsv;
      }
      if (cutAfter > 0) {
        root.dataset.tarselCut = String(cutAfter);
        say(`Replayed only to frame ${cutAfter}: its draw log would pass the ` +
            `${shared.mostLogBytes / 1048576} MiB a page can hold (tarsel-render --log writes it ` +
            'whole).', 'error');
      } else {
        say(`Replayed: ${script}`);
      }
      setPhase('done');
      keepOffline();
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

  // --- Starting, ending and starting again.
  let module = null;
  let started = false;
  let run = Promise.resolve();  // the run in the module: one at a time

  function fail(error) {
    if (location.protocol === 'file:') {
      say('This page needs a web server: a page opened from a file cannot load its ' +
          'WebAssembly (scripts/web.sh serves it).', 'error');
    } else {
      say(`The animation stopped with an error: ${error}`, 'error');
    }
    setPhase('ended');
  }

  // `query`: a link to a frame to open at (the page's own query, the first time), or '' for the
  // first frame.
  function startRun(query) {
    frames = 0;
    shown = '';
    root.dataset.frames = '0';
    setPhase('running');
    say('Keys step the animation; Esc, End or a double-click on the picture ends it.');
    for (const b of keyButtons) b.disabled = false;
    endButton.hidden = false;
    againButton.hidden = true;
    run = module.ccall('tarsel_live', null, ['string'], [query], {async: true}).catch(fail);
  }

  // The animation starts when the page first has the keyboard focus and is visible, once.
  function maybeStart() {
    if (started || !module) return;
    if (!document.hasFocus() || document.visibilityState !== 'visible') {
      say('Click the picture or press a key to start.');
      return;
    }
    started = true;
    // The query may hold a link to a frame (at=6.5&acc=1): the module reads it, the first time.
    startRun(location.search.slice(1));
  }

  // In place, at frame 1: a fresh state and canvas in the module, no reload.
  async function startAgain() {
    if (phase !== 'ended' || !module) return;
    await run;
    queue = [];
    resizeQueued = false;
    delete root.dataset.link;
    startRun('');
    canvas.focus({preventScroll: true});
  }

  // --- Replay links.
  let replaySize = null;
  let replayProbe = 0;

  // "WxH", each 1 to the cap, as tarsel-render's --size; null when malformed.
  function parseSize(text) {
    const m = /^([0-9]+)x([0-9]+)$/.exec(text);
    if (!m) return null;
    const w = Number(m[1]), h = Number(m[2]), most = shared.maxDeviceSide;
    return w >= 1 && h >= 1 && w <= most && h <= most ? [w, h] : null;
  }

  // A parameter's value as a number, as tarsel-render reads its numbers; NaN when it is none.
  // Its UTF-8 bytes and their count: a C string would end at a NUL (%00).
  function number(text) {
    const bytes = new TextEncoder().encode(text);
    return module.ccall('tarsel_number', 'number', ['array', 'number'], [bytes, bytes.length]);
  }

  // Why the link cannot be replayed, or null.
  function replayRefusal() {
    if (location.href.length > mostLinkLength) {
      return `the link is ${location.href.length} characters long, more than the ` +
             `${mostLinkLength} a replay link may have`;
    }
    // A parameter given twice, or a script with at, acc or accumulate: the module reads the
    // query by its table of a link's parameters, as it reads a link to a frame, and refuses
    // these as tarsel-render refuses an option given twice or --script with --at.
    const refused = module.ccall('tarsel_query_refusal', 'string', ['string'],
                                 [location.search.slice(1)]);
    if (refused) return refused;
    const sizeText = params.get('size') ?? shared.design.join('x');
    replaySize = parseSize(sizeText);
    if (!replaySize) {
      return `bad size '${sizeText}': expected WxH, 1 to ${shared.maxDeviceSide} each`;
    }
    if (palette() < 0) {
      return `bad palette '${params.get('palette')}': expected exact or distinguishable`;
    }
    const probeText = params.get('probe');
    replayProbe = probeText === null ? shared.probe.startX : number(probeText);
    if (Number.isNaN(replayProbe)) return `bad probe '${probeText}': not a number`;
    if (Math.abs(replayProbe) > shared.probe.limit) {
      return `bad probe '${probeText}': expected a number from -${shared.probe.limit} to ` +
             `${shared.probe.limit}`;
    }
    const {scale} = fitted(replaySize);
    if (!module._tarsel_fits(replaySize[0], replaySize[1], scale)) {
      return `picture too large: ${sizeText} at scale ${scale} is more than ` +
             `${shared.maxDeviceSide} device pixels a side`;
    }
    return null;
  }

  function startReplay() {
    started = true;
    for (const b of keyButtons) b.disabled = true;
    endButton.hidden = true;
    paletteSwitch.checked = params.get('palette') === 'distinguishable';
    buildLegend();
    const refusal = replayRefusal();
    if (refusal) {
      tarselPage.replayFailed(refusal);
      return;
    }
    say('Replaying…');
    const v = view();
    // The script's UTF-8 bytes and their count: a C string would end at a NUL (%00).
    const bytes = new TextEncoder().encode(script);
    module.ccall('tarsel_replay', null,
                 ['array', 'number', 'number', 'number', 'number', 'number', 'number', 'number',
                  'string'],
                 [bytes, bytes.length, v.size[0], v.size[1], v.scale, dump ? 1 : 0, v.palette,
                  replayProbe, location.search.slice(1)],
                 {async: true})
        .catch(fail);
  }

  // --- Offline: a service worker keeps the page's files, so that a second visit works
  // without a network (and the browser can install the page as an app). Asked for once the
  // first frame is up: its first install fetches every file of the site again, which on a
  // first visit would compete with the module's own download and compilation (the first
  // frame came 150 to 200 ms later).
  let offlineAsked = false;
  function keepOffline() {
    if (offlineAsked || !('serviceWorker' in navigator) || location.protocol === 'file:') return;
    offlineAsked = true;
    navigator.serviceWorker.register('sw.js').catch(() => {
      // Without it the page works as before, online only.
    });
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
      buildLegend();
      window.addEventListener('focus', maybeStart);
      document.addEventListener('visibilitychange', maybeStart);
      maybeStart();
    }
  }, fail);
})();
