'use strict';
// What the picture shows, written over the canvas (never in its pixels): the axis's ticks in
// crank degrees after top dead centre, the two dead centres' lines, the lift axis and each curve
// where it is drawn. Placed from the module's mapping of plot units to the canvas's logical
// pixels, times the CSS pixels a logical one takes, so that each label stands at its tick at
// every size and scale. On by default; the switch in "What you see" hides it.
(() => {
  const {$, root} = tarselState;
  const box = $('picture-labels'), toggle = $('labels-switch');
  let shared = null;
  const spans = new Map();  // name -> span

  function zoom() {
    const scale = Number(root.dataset.tarselScale);
    return scale > 0 ? scale / (window.devicePixelRatio || 1) : 1;
  }

  // Where a label stands beside its point: a tick's number under it, a curve's name above it
  // (red to the left of its peak, green to the right, where the two coincide).
  const beside = {tick: 'translate(-50%, 3px)', centre: 'translate(-50%, 0)', axis: '',
                  'curve red': 'translate(-105%, -105%)', 'curve green': 'translate(5%, -105%)',
                  'curve blue': 'translate(-50%, -105%)', curve: 'translate(0, -50%)'};

  function put(name, text, x, y, kind) {
    let span = spans.get(name);
    if (!span) {
      span = document.createElement('span');
      span.className = kind;
      box.append(span);
      spans.set(name, span);
    }
    const m = shared.mapping, z = zoom();
    span.textContent = text;
    span.style.transform = `translate(${(x - m.left) * m.pixelsPerX * z}px, ` +
                           `${(m.top - y) * m.pixelsPerY * z}px) ${beside[kind]}`;
    span.hidden = false;
    span.dataset.x = String(x);
    span.dataset.y = String(y);
  }

  // The ruler: the piston curve's x = 15 is top dead centre, one plot unit two crank degrees;
  // the axis's ticks stand every 22.5 units from x = -97.5, 45 crank degrees apart.
  function place() {
    if (!shared || toggle.checked === false) return;
    const m = shared.mapping;
    const right = m.left + Number(root.dataset.tarselSize?.split('x')[0] ?? 962) / m.pixelsPerX;
    for (let x = -97.5; x <= 600; x += 22.5) {
      const name = `tick${x}`;
      if (x < m.left || x > right) {
        if (spans.has(name)) spans.get(name).hidden = true;
        continue;
      }
      put(name, `${2 * (x - 15)}°`, x, 0, 'tick');
    }
    put('tdc', 'TDC', 15, 9.8, 'centre');
    put('bdc', 'BDC', 105, 9.8, 'centre');
    put('axis', 'crank degrees after TDC', m.left + 1, -0.5, 'axis');
    put('lift', 'lift ↑', 15.5, 9, 'axis');
    // The curves by their colour's name in the palette shown (the legend's table: green 0,
    // red 1, blue 2, the piston 4), the piston's where it starts, at top dead centre.
    const p = Math.max(0, tarselView.palette());
    const named = (i, what) => `${shared.curves[i].names[p]}: ${what}`;
    // On a picture drawn much smaller than its design size (a course page's frame, a small
    // screen) the names would cover each other and the curves: the ticks and the dead centres
    // stay, the legend names the curves.
    if (zoom() < 0.75) {
      for (const name of ['piston', 'red', 'green', 'blue']) {
        if (spans.has(name)) spans.get(name).hidden = true;
      }
      return;
    }
    put('piston', named(4, 'piston travel'), 15.5, 4.85, 'curve');
    const now = window.tarselTiming && tarselTiming.now;
    for (const [curve, i, what] of [['red', 1, 'lift'], ['green', 0, 'second scale'],
                                    ['blue', 2, 're-timed']]) {
      const peak = now && now.peaks[curve];
      if (!peak) {
        if (spans.has(curve)) spans.get(curve).hidden = true;
        continue;
      }
      put(curve, named(i, what), peak[0], peak[1], `curve ${curve}`);
      spans.get(curve).style.borderColor = shared.curves[i].colours[p];
    }
  }

  toggle.addEventListener('change', () => {
    box.hidden = !toggle.checked;
    place();
  });

  window.tarselLabels = {
    attach(constants) {
      shared = constants;
      place();
    },
    place,
  };
})();
