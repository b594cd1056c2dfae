'use strict';
// How the client area is shown: its logical size, the device pixels per logical pixel and the
// palette, worked out from the stage's room; the canvas element matched to the module's image;
// the ratio the mechanism view is drawn at. It watches the stage's size, the browser's ratio
// and the header's height, and tells the animation when the view changed.
(() => {
  const {$, root, canvas, params} = tarselState;
  const stage = $('stage'), header = $('bar'), probe = $('probe');
  // Opaque: the compositor need not blend it. An opaque canvas starts black, the client area
  // white.
  const ctx = canvas.getContext('2d', {alpha: false});
  ctx.fillStyle = '#fff';
  ctx.fillRect(0, 0, canvas.width, canvas.height);

  let fixedSize = null;  // a replay names its client area's size
  let presenting = false;

  const ratio = () => window.devicePixelRatio || 1;

  // The palette: a replay link names its own; the animation follows the switch.
  function palette() {
    const name = tarselState.replay ?
        (params.get('palette') ?? 'exact') :
        ($('palette-switch').checked ? 'distinguishable' : 'exact');
    return tarselState.shared.palettes.indexOf(name);
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
  // Presenting, the design area is drawn as large as the stage holds: the fit may pass 1.
  function fitted(size) {
    const [w, h] = room();
    const fit = Math.min(presenting ? Infinity : 1, w / size[0], h / size[1]);
    const [least, most] = tarselState.shared.scales;
    const scale = Math.min(most, Math.max(least, ratio() * fit));
    return {fit, scale: presenting ? withinCap(size, scale) : scale};
  }

  // The largest scale at which `size` stays within the module's cap of device pixels a side,
  // rounded down so that it does.
  function withinCap(size, scale) {
    const {module, shared} = tarselState;
    if (module._tarsel_fits(size[0], size[1], scale)) return scale;
    return Math.floor(shared.maxDeviceSide / Math.max(...size) * 1e6) / 1e6;
  }

  // What the module asks for (tarselPage.view): the client area's logical size, its scale,
  // its palette, and whether the page presents (the design area alone, drawn anew).
  function view() {
    const {module, shared} = tarselState;
    if (fixedSize) return {size: fixedSize, scale: fitted(fixedSize).scale, palette: palette()};
    const design = shared.design;
    const {fit, scale} = fitted(design);
    const shown = {size: design, scale, palette: palette(), presenting};
    if (presenting || fit < 1) return shown;
    const [w, h] = room();
    const most = module._tarsel_most_side(scale);
    shown.size = [Math.min(most, Math.max(design[0], w)), Math.min(most, Math.max(design[1], h))];
    return shown;
  }

  // The mechanism view is drawn at the browser's ratio; presenting, as much larger as the
  // picture is (its fit), within the width of the probe's column, so that it stays crisp.
  function mechanismRatio() {
    const shared = tarselState.shared;
    if (shared && !presenting && root.classList.contains('embedded')) return embeddedRatio(shared);
    if (!presenting || !shared) return ratio();
    const border = 2;
    const across = (probe.clientWidth - border) / shared.mechanism[0];
    return ratio() * Math.max(1, Math.min(fitted(shared.design).fit, across));
  }

  // Embedded in a low frame the view is drawn smaller (its pixels still the core's, at that
  // ratio), so that it and its readout fit the frame's height without a scroll bar.
  function embeddedRatio(shared) {
    const readout = $('probe-readout');
    const room = window.innerHeight - readout.offsetHeight - 8;
    return ratio() * Math.min(1, Math.max(0.5, room / shared.mechanism[1]));
  }

  // The view changed (a resize, a turned tablet, a zoom, the colour switch, the presentation):
  // the animation applies it at its next event-processing call; after the end the module
  // applies it at once.
  function viewChanged() {
    const module = tarselState.module;
    if (!tarselState.shared) return;
    if (tarselState.live()) {
      tarselInput.queueResize();
    } else if (tarselState.phase === 'ended' && module) {
      module._tarsel_view_changed();
    }
  }
  new ResizeObserver(viewChanged).observe(stage);
  // A zoom changes devicePixelRatio, which a resize of the stage does not always show.
  let ratioQuery = null;
  function watchRatio() {
    ratioQuery?.removeEventListener('change', onRatio);
    ratioQuery = matchMedia(`(resolution: ${ratio()}dppx)`);
    ratioQuery.addEventListener('change', onRatio);
  }
  function onRatio() {
    watchRatio();
    viewChanged();
  }
  watchRatio();
  // The style sheet sizes the picture's row from the header's height, which its text sets.
  new ResizeObserver(() => root.style.setProperty('--bars', `${header.offsetHeight}px`))
      .observe(header);

  window.tarselView = {
    view,
    fitted,
    palette,
    mechanismRatio,
    viewChanged,
    fixSize(size) {
      fixedSize = size;
    },
    setPresenting(on) {
      presenting = on;
      viewChanged();
    },
    // The canvas element takes the image's device pixels, and a CSS size that puts each of
    // them on one pixel of the screen.
    matchCanvas(logicalWidth, logicalHeight, deviceWidth, deviceHeight, scale) {
      canvas.width = deviceWidth;
      canvas.height = deviceHeight;
      canvas.style.width = `${deviceWidth / ratio()}px`;
      canvas.style.height = `${deviceHeight / ratio()}px`;
      canvas.dataset.size = `${logicalWidth}x${logicalHeight}`;
      // What tarsel-render needs for the same pixels: --size WxH --scale S. String() gives the
      // shortest decimal that reads back as the same double.
      root.dataset.tarselSize = `${logicalWidth}x${logicalHeight}`;
      root.dataset.tarselScale = String(scale);
      if (window.tarselTiming) tarselTiming.placeMarker();
      if (window.tarselLabels) tarselLabels.place();
    },
    // The whole image's bytes, and the part of it that changed.
    show(rgba, width, height, x, y, w, h) {
      ctx.putImageData(new ImageData(rgba, width, height), 0, 0, x, y, w, h);
      if (tarselState.trace) tarselState.trace.push(['shown', performance.now()]);
    },
  };
})();
