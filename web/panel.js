'use strict';
// What the page says about the picture: the readout of the frame (k, its frame of the sweep, the
// modes) and its announcement for screen readers, the legend and the colour switch, "Save
// picture" and "Hide panel".
(() => {
  const {$, canvas, params} = tarselState;
  const paletteSwitch = $('palette-switch');
  const storedPalette = 'tarsel-palette';

  // --- Hide panel: the client area takes the room.
  const toggle = $('panel-toggle');
  tarselState.pointerKeepsFocus(toggle);
  toggle.addEventListener('click', () => {
    const hidden = document.body.classList.toggle('panel-hidden');
    toggle.textContent = hidden ? 'Show panel' : 'Hide panel';
    toggle.setAttribute('aria-expanded', String(!hidden));
  });

  // --- Save picture: the canvas's device pixels as a PNG, named after the frame's k.
  let shownK = null;
  const save = $('save');
  tarselState.pointerKeepsFocus(save);
  save.addEventListener('click', () => {
    const name = shownK === null ? 'tarsel.png' : `tarsel-k${shownK.toFixed(3)}.png`;
    canvas.toBlob((blob) => tarselState.download(blob, name), 'image/png');
  });

  // --- The colour switch: remembered on this device, for the students who need it every time.
  tarselState.pointerKeepsFocus(paletteSwitch);
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
    if (tarselState.replay) {
      params.set('palette', name);
      location.search = params.toString();
      return;
    }
    buildLegend();
    tarselView.viewChanged();
    tarselLabels.place();
  });

  // --- The legend, from the module's table: each curve's line in its colour and pen width,
  // its colour's name in the palette shown, and what it shows.
  let acc = 0;
  function legendItem(curve, p) {
    const svg = 'http://www.w3.org/2000/svg';
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
  }

  function buildLegend() {
    const shared = tarselState.shared;
    if (!shared) return;
    const p = Math.max(0, tarselView.palette());
    $('legend').replaceChildren(...shared.curves.map((curve) => legendItem(curve, p)));
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

  // --- The readout of the frame.

  // The frame of the plain sweep at k, as the core places k on it.
  function frameText(frame, exact) {
    const frames = tarselState.shared.sweep.frames;
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
    $('k-degrees').textContent = `= ${(k * 180 / Math.PI).toFixed(1)}°`;
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
    if (tarselInput.holding() || !tarselState.live()) return;
    $('announce').textContent =
        `k ${$('k-value').textContent}, frame ${$('frame-value').textContent}, ` +
        `velocity and acceleration ${$('acc-value').textContent}, ` +
        `frames ${$('cls-value').textContent}${tarselTiming.spoken()}`;
  }
  tarselInput.onLetGo(announceFrame);

  window.tarselPanel = {
    buildLegend,
    readout,
    announceFrame,
    // A new run: the readout shows its first frame whatever the last one showed.
    forget() {
      shown = '';
    },
    // The key after the last frame: the sweep is over, not at a frame 64.
    sweepOver() {
      $('k-value').textContent = '–';
      $('k-degrees').textContent = '';
      $('frame-value').textContent = 'the sweep is over';
    },
  };
})();
