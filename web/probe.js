'use strict';
// The probe in the page: a marker over the canvas (never in its pixels), moved by the pointer
// (hover, or a drag with a finger or pen) and by the arrow keys, Home and End while the canvas
// has the focus; the readout and the mechanism view beside it; "Save data". The module does the
// work (the readout, the mechanism's pixels, the CSV) and calls back tarselProbe.show.
(() => {
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas'), marker = $('probe-marker'), view = $('tarsel-mechanism');
  const labelsBox = $('mechanism-labels'), readout = $('probe-readout');
  const viewCtx = view.getContext('2d', {alpha: false});
  let module = null, shared = null, live = false;
  let keys = {};  // KeyboardEvent.key -> the module's number for the probe key

  function trace(kind, t) {
    const log = window.tarselPage && window.tarselPage.trace;
    if (log) log.push([kind, t]);
  }

  // Tab-separated lines "key label value" become the rows of the readout, made once.
  const cells = new Map();
  function showLines(text) {
    for (const line of text.split('\n')) {
      if (!line) continue;
      const [key, label, value] = line.split('\t');
      let cell = cells.get(key);
      if (!cell) {
        const dt = document.createElement('dt');
        dt.textContent = label;
        cell = document.createElement('dd');
        cell.dataset.key = key;
        readout.append(dt, cell);
        cells.set(key, cell);
      }
      if (cell.textContent !== value) cell.textContent = value;
    }
  }

  // "name x y" lines: the names written over the mechanism view, at logical pixels of the view
  // shown `across` CSS pixels a logical one.
  const spans = [];
  function showLabels(text, across) {
    const lines = text.split('\n').filter(Boolean);
    lines.forEach((line, i) => {
      const [name, x, y] = line.split('\t');
      if (!spans[i]) {
        spans[i] = document.createElement('span');
        labelsBox.append(spans[i]);
      }
      spans[i].textContent = name;
      spans[i].style.left = `${x * across}px`;
      spans[i].style.top = `${y * across}px`;
      spans[i].hidden = false;
    });
    // A linkage that does not close has no R and no phi to name.
    for (let i = lines.length; i < spans.length; ++i) spans[i].hidden = true;
  }

  // CSS pixels per logical pixel: below 1 where the page draws the picture smaller, to fit.
  function zoom() {
    const scale = Number(document.documentElement.dataset.tarselScale);
    return scale > 0 ? scale / (window.devicePixelRatio || 1) : 1;
  }

  // The marker stands at the canvas's left edge (the style sheet puts both there) and is moved
  // along it: nothing of the page's layout is read, so a move right after the readout's text
  // has changed does not make the browser lay out the whole page at once.
  function placeMarker(x) {
    const m = shared.mapping;
    marker.style.transform = `translateX(${(x - m.left) * m.pixelsPerX * zoom()}px)`;
    marker.hidden = false;
  }

  window.tarselProbe = {
    // The module has loaded; `isLive`: the animation as the user drives it (not a replay).
    attach(m, constants, isLive) {
      module = m;
      shared = constants;
      live = isLive;
      keys = {ArrowLeft: shared.probe.keys.left, ArrowRight: shared.probe.keys.right,
              Home: shared.probe.keys.home, End: shared.probe.keys.end};
      const [width, height] = shared.mechanism;
      view.style.width = `${width}px`;
      view.style.height = `${height}px`;
    },
    // The readout at x, the mechanism view's device pixels and its labels. The view is drawn
    // at the ratio the page asked for (tarselPage.mechanismRatio): one of its pixels on one of
    // the screen's.
    show(x, lines, labels, rgba, width, height) {
      if (view.width !== width || view.height !== height) {
        const dpr = window.devicePixelRatio || 1;
        view.width = width;
        view.height = height;
        view.style.width = `${width / dpr}px`;
        view.style.height = `${height / dpr}px`;
      }
      viewCtx.putImageData(new ImageData(rgba, width, height), 0, 0);
      showLines(lines);
      showLabels(labels, parseFloat(view.style.width) / shared.mechanism[0]);
      placeMarker(x);
      view.dataset.probe = String(x);
    },
  };

  // --- Moving it. The module answers at once, also while a frame is being drawn.
  function moveTo(offsetX, timeStamp) {
    if (!live || !module) return;
    // When the browser made the event, and when the page got it: Chromium hands a pointer
    // move over with its next frame, so the two differ by up to a refresh.
    trace('probe', timeStamp);
    trace('probe-taken', performance.now());
    module._tarsel_probe_at(shared.mapping.left + offsetX / zoom() / shared.mapping.pixelsPerX);
    trace('probe-shown', performance.now());
  }

  canvas.addEventListener('pointermove', (e) => {
    // A mouse moves it by hovering; a finger or a pen by dragging.
    if (e.pointerType === 'mouse' || e.buttons !== 0) moveTo(e.offsetX, e.timeStamp);
  });
  canvas.addEventListener('pointerdown', (e) => {
    if (e.pointerType !== 'mouse') moveTo(e.offsetX, e.timeStamp);
  });

  canvas.addEventListener('keydown', (e) => {
    const key = keys[e.key];
    if (key === undefined || e.ctrlKey || e.altKey || e.metaKey || !live || !module) return;
    // Not a scroll of the page: the probe moves instead.
    e.preventDefault();
    module._tarsel_probe_key(key, e.shiftKey ? 1 : 0);
  });

  // --- "Save data": the frame on the canvas, and the piston curve, each a CSV of its own; with
  // the switch "Data with semicolons", cells separated by ";" and decimal commas.
  const semicolons = $('csv-semicolons');
  semicolons.addEventListener('mousedown', (e) => e.preventDefault());
  // The file's name is data: k with its decimal point in every language.
  const frameName = () => `tarsel-k${$('k-value').dataset.k ?? $('k-value').textContent}`;
  for (const [id, which, name] of [['save-data', 0, frameName],
                                   ['save-piston', 1, () => 'tarsel-piston']]) {
    const button = $(id);
    button.addEventListener('mousedown', (e) => e.preventDefault());
    button.addEventListener('click', (e) => {
      if (!module || !live) return;
      // Called directly: ccall would take the suspended animation for a call of its own.
      const text = module.UTF8ToString(module._tarsel_data(which, semicolons.checked ? 1 : 0));
      if (text) tarselState.download(new Blob([text], {type: 'text/csv'}), `${name()}.csv`);
      // A pointer leaves the keys with the animation; the keyboard keeps its place.
      if (e.detail > 0) canvas.focus({preventScroll: true});
    });
  }
})();
