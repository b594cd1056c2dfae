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
    // TRANSLATORS: a button of the page's top bar: keep it short.
    toggle.textContent = hidden ? t('Show panel') : t('Hide panel');
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
    // TRANSLATORS: a line of the legend after the curve's colour: %1$s its pen width in pixels,
    // %2$s what the curve shows.
    text.append(name, fill(t(' (%1$s px): %2$s'), curve.width, curve.shows), when);
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
          li.dataset.when === 'plain' ? t(' (not now: only while velocity and acceleration are off)') :
                                        t(' (not now: BackSpace shows it)');
    }
  }

  // --- The readout of the frame.

  // The frame of the plain sweep at k, as the core places k on it.
  function frameText(frame, exact) {
    const frames = tarselState.shared.sweep.frames;
    // TRANSLATORS: the frame of the sweep in the readout; %s are frame numbers.
    if (!exact) return fill(t('between %s and %s'), frame, frame + 1);
    return frame >= 1 && frame <= frames ? fill(t('%s of %s'), frame, frames) :
                                           fill(t('%s (the sweep has 1 to %s)'), frame, frames);
  }

  let shown = '';
  function readout(k, accNow, ccllss, frame, exact) {
    const key = `${k} ${accNow} ${ccllss}`;
    if (key === shown) return;
    shown = key;
    shownK = k;
    const {local} = tarselLanguage;
    $('k-value').textContent = local(k.toFixed(3));
    $('k-value').dataset.k = k.toFixed(3);
    $('k-degrees').textContent = `= ${local((k * 180 / Math.PI).toFixed(1))}°`;
    $('frame-value').textContent = frameText(frame, exact);
    // TRANSLATORS: velocity and acceleration curves shown or not.
    $('acc-value').textContent = accNow ? t('on') : t('off');
    // TRANSLATORS: frames cleared between them, or piling up on the picture.
    $('cls-value').textContent = ccllss ? t('piling up') : t('cleared');
    if (accNow !== acc) {
      acc = accNow;
      markLegend();
    }
  }

  // One polite announcement per frame, the readout in words; none while a held key plays the
  // sweep (a screen reader would fall behind), and the frame it stopped at once the key is up.
  // A key let go before its last frame's events are read leaves the saying to them, so the
  // student hears that frame once, with its own events rather than the frame's before.
  function announceFrame() {
    if (tarselInput.holding() || !tarselState.live() || tarselTiming.reading()) return;
    // TRANSLATORS: the frame read out to a screen reader: %1$s k, %2$s the frame of the sweep,
    // %3$s on/off, %4$s cleared/piling up, %5$s the valve events (starting with "; ") or nothing.
    $('announce').textContent =
        fill(t('k %1$s, frame %2$s, velocity and acceleration %3$s, frames %4$s%5$s'),
             $('k-value').textContent, $('frame-value').textContent, $('acc-value').textContent,
             $('cls-value').textContent, tarselTiming.spoken());
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
      $('k-value').textContent = $('k-value').dataset.k = '–';
      $('k-degrees').textContent = '';
      $('frame-value').textContent = t('the sweep is over');
    },
  };
})();
