'use strict';
// Replay links (index.html?script=TOKENS&size=WxH&palette=...&probe=X&dump=1): the page plays a
// script as tarsel-render --script does, once, and with dump=1 writes the draw log, the picture
// and the data export into the page for the tests to compare. The module reads the query by its
// table of a link's parameters (input/link.h): a parameter given twice is refused, and so is a
// script with at, acc or accumulate; a configuration (linkage=, ...) is drawn.
(() => {
  const {$, params, root, canvas, say} = tarselState;
  // Longer links are refused: 8,000 characters is what every server and browser is asked to
  // take (RFC 9110); a longer one may not even reach the page intact.
  const mostLinkLength = 8000;
  let size = null;
  let probe = 0;

  // "WxH", each 1 to the cap, as tarsel-render's --size; null when malformed.
  function parseSize(text) {
    const m = /^([0-9]+)x([0-9]+)$/.exec(text);
    if (!m) return null;
    const w = Number(m[1]), h = Number(m[2]), most = tarselState.shared.maxDeviceSide;
    return w >= 1 && h >= 1 && w <= most && h <= most ? [w, h] : null;
  }

  // A parameter's value as a number, as tarsel-render reads its numbers; NaN when it is none.
  // Its UTF-8 bytes and their count: a C string would end at a NUL (%00).
  function number(text) {
    const bytes = new TextEncoder().encode(text);
    return tarselState.module.ccall('tarsel_number', 'number', ['array', 'number'],
                                    [bytes, bytes.length]);
  }

  // The probe's position, or why the link's is unusable.
  function readProbe() {
    const {limit, startX} = tarselState.shared.probe;
    const text = params.get('probe');
    probe = text === null ? startX : number(text);
    // TRANSLATORS: %s is the link's value for probe.
    if (Number.isNaN(probe)) return fill(t("bad probe '%s': not a number"), text);
    if (Math.abs(probe) <= limit) return null;
    // TRANSLATORS: %1$s is the link's value for probe, %2$s and %3$s the limits.
    return fill(t("bad probe '%1$s': expected a number from %2$s to %3$s"), text, -limit, limit);
  }

  // Why the link cannot be replayed, or null.
  function refusal() {
    const {module, shared} = tarselState;
    if (location.href.length > mostLinkLength) {
      return fill(t('the link is %1$s characters long, more than the %2$s a replay link may have'),
                  location.href.length, mostLinkLength);
    }
    // A parameter given twice, or a script with at, acc or accumulate: the module reads the
    // query by its table of a link's parameters, as it reads a link to a frame, and refuses
    // these as tarsel-render refuses an option given twice or --script with --at.
    const refused = module.ccall('tarsel_query_refusal', 'string', ['string'],
                                 [location.search.slice(1)]);
    if (refused) return refused;
    const sizeText = params.get('size') ?? shared.design.join('x');
    size = parseSize(sizeText);
    // TRANSLATORS: %1$s is the link's value for size, %2$s the largest side; WxH stays.
    if (!size) {
      return fill(t("bad size '%1$s': expected WxH, 1 to %2$s each"), sizeText,
                  shared.maxDeviceSide);
    }
    tarselView.fixSize(size);
    if (tarselView.palette() < 0) {
      // TRANSLATORS: exact and distinguishable are the link's values: they stay.
      return fill(t("bad palette '%s': expected exact or distinguishable"), params.get('palette'));
    }
    const badProbe = readProbe();
    if (badProbe) return badProbe;
    const {scale} = tarselView.fitted(size);
    if (!module._tarsel_fits(size[0], size[1], scale)) {
      return fill(t('picture too large: %1$s at scale %2$s is more than %3$s device pixels a side'),
                  sizeText, scale, shared.maxDeviceSide);
    }
    return null;
  }

  function failed(message) {
    // TRANSLATORS: %s says why.
    say(fill(t('Cannot replay this link: %s'), message), 'error');
    tarselState.setPhase('done');
  }

  // `fail`: what to do when the module stops with an error.
  function start(fail) {
    tarselInput.enableKeys(false);
    $('end').hidden = true;
    $('palette-switch').checked = params.get('palette') === 'distinguishable';
    tarselPanel.buildLegend();
    const why = refusal();
    if (why) {
      failed(why);
      return;
    }
    say(t('Replaying…'));
    const v = tarselView.view();
    // The script's UTF-8 bytes and their count: a C string would end at a NUL (%00).
    const bytes = new TextEncoder().encode(tarselState.script);
    tarselState.module
        .ccall('tarsel_replay', null,
               ['array', 'number', 'number', 'number', 'number', 'number', 'number', 'number',
                'string'],
               [bytes, bytes.length, v.size[0], v.size[1], v.scale, tarselState.dump ? 1 : 0,
                v.palette, probe, location.search.slice(1)],
               {async: true})
        .catch(fail);
  }

  function pre(id) {
    const p = document.createElement('pre');
    p.id = id;
    p.className = 'dump';
    document.body.append(p);
    return p;
  }

  function done(log, csv, pistonCsv, cutAfter) {
    root.dataset.heapBytes = String(tarselState.module._tarsel_heap_bytes());
    if (tarselState.dump) {
      pre('tarsel-log').textContent = log;
      pre('tarsel-png').textContent = canvas.toDataURL('image/png');
      pre('tarsel-csv').textContent = csv;
      pre('tarsel-piston-csv').textContent = pistonCsv;
    }
    if (cutAfter > 0) {
      root.dataset.tarselCut = String(cutAfter);
      // TRANSLATORS: %1$s a frame, %2$s a size in MiB; tarsel-render --log stays.
      say(fill(t('Replayed only to frame %1$s: its draw log would pass the %2$s MiB a page can ' +
                 'hold (tarsel-render --log writes it whole).'),
               cutAfter, tarselState.shared.mostLogBytes / 1048576), 'error');
    } else {
      // TRANSLATORS: %s is the script of keys replayed.
      say(fill(t('Replayed: %s'), tarselState.script));
    }
    tarselState.setPhase('done');
    tarselOffline.keep();
  }

  function progress(frames, total) {
    root.dataset.replayProgress = String(frames);
    say(fill(t('Replaying: frame %1$s of %2$s…'), frames, total));
  }

  window.tarselReplay = {start, done, failed, progress, mostLinkLength};
})();
