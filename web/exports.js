'use strict';
// The panel's section "Exports": "Copy link" (the page's address at the frame on the canvas),
// "Save SVG" (the picture as lines) and "Save the sweep" (an animated GIF from the frame on the
// canvas on). The module works them all out and answers through tarselExports; the GIF is
// written by a second instance of the module in a Web Worker (sweep_worker.js), so that the
// animation stays usable while it works. Its bytes are those of tarsel-render --gif for the
// same keys.
(() => {
  const $ = (id) => document.getElementById(id);
  const root = document.documentElement;
  const note = $('exports-status'), linkField = $('link-field');
  const framesField = $('sweep-frames'), labelBox = $('sweep-label');
  const sweepButton = $('save-sweep'), progress = $('sweep-progress');
  let module = null, live = false;
  let worker = null;  // made at the first sweep, then kept
  let sweepStarted = 0;

  function say(text, kind = '') {
    note.className = kind ? `hint ${kind}` : 'hint';
    note.textContent = text;
  }

  // The file names say which frame: "tarsel-k6.500".
  // The file's name is data: k with its decimal point in every language.
  const frameName = () => `tarsel-k${$('k-value').dataset.k ?? $('k-value').textContent}`;

  // --- What the module calls.
  window.tarselExports = {
    // The module has loaded; `isLive`: the animation as the user drives it (not a replay).
    attach(m, constants, isLive) {
      module = m;
      live = isLive;
    },
    // A link's keys have all been pressed: the frame it names is on the canvas.
    linkOpened() {
      root.dataset.link = 'open';
      tarselState.tell('linkOpened');
    },
    linkFailed(message) {
      root.dataset.link = 'bad';
      // TRANSLATORS: %s says why the link opens no frame.
      if (window.tarselPage) tarselPage.say(fill(t('%s; starting at the first frame.'), message), 'error');
    },
    link(query) {
      // A profile of one's own travels in the link where the link stays within what a link
      // may hold; otherwise the link opens the built-in profile, and says so.
      const own = window.tarselTiming ? tarselTiming.profileName() : '';
      const rows = own ? tarselTiming.profileParameter() : '';
      let url = `${location.origin}${location.pathname}?${query}`;
      const carried = rows !== '' && url.length + rows.length + 9 <= tarselReplay.mostLinkLength;
      if (carried) url += `${query ? '&' : ''}profile=${rows}`;
      linkField.value = url;
      linkField.hidden = false;
      // TRANSLATORS: %s is the name of the profile's file.
      const copied = () => say(
          own && !carried ? fill(t('Link copied: it opens this page at this frame with the ' +
                                   'built-in profile (%s is too long for a link).'), own) :
          own ? fill(t('Link copied: it opens this page at this frame with %s.'), own) :
                t('Link copied: it opens this page at this frame.'));
      const select = () => {
        linkField.select();
        say(t('Select the link in the field and copy it (Ctrl+C, or Cmd+C on a Mac).'));
      };
      if (navigator.clipboard && window.isSecureContext) {
        navigator.clipboard.writeText(url).then(copied, select);
      } else {
        select();
      }
    },
    svg(bytes) {
      tarselState.download(new Blob([bytes], {type: 'image/svg+xml'}), `${frameName()}.svg`);
      say(t('Saved the picture as SVG.'));
    },
    failed(message) {
      say(message, 'error');
    },
    // The keys of the sweep and the canvas's size: the worker writes the GIF.
    sweep(keys, first, frames, width, height, dpr, palette, configuration) {
      const name = `${frameName()}-sweep${labelBox.checked ? '-label' : ''}.gif`;
      // The profile on the canvas goes as its file's text, which the worker reads again.
      const profile = window.tarselTiming ? tarselTiming.profileText() : '';
      sweepWorker().postMessage({keys, first, frames, width, height, dpr, palette, configuration,
                                 profile, label: labelBox.checked, name});
      progress.max = frames;
      progress.value = 0;
      progress.hidden = false;
      sweepButton.disabled = true;
      // TRANSLATORS: %s is a number of frames.
      say(fill(t('Writing the sweep: %s frames…'), frames));
    },
    // The sweep's worker, made at its first use: the GIF, and the timing over the sweep.
    worker: () => sweepWorker(),
    lastSweepMs: null,  // how long the last GIF took, click to download (benchmarks, tests)
  };

  function sweepWorker() {
    if (worker) return worker;
    // The page in one file carries the worker's script (its module inside it) as a string: a
    // page opened from the disk cannot load a worker from a file beside it.
    const source = window.tarselWorkerSource;
    const script = source ? new Blob([source], {type: 'text/javascript'}) : null;
    worker = new Worker(script ? URL.createObjectURL(script) : 'sweep_worker.js');
    // The worker's messages (a profile file's faults) in the page's language.
    const entries = tarselLanguage.forModule();
    if (entries) worker.postMessage({type: 'catalogue', entries});
    worker.onmessage = (e) => {
      const m = e.data;
      if (m.type.startsWith('timing')) {
        tarselTiming.fromWorker(m);
        return;
      }
      if (m.type === 'progress') {
        progress.value = m.done;
        return;
      }
      progress.hidden = true;
      sweepButton.disabled = false;
      if (m.type === 'gif') {
        tarselExports.lastSweepMs = performance.now() - sweepStarted;
        tarselState.download(new Blob([m.bytes], {type: 'image/gif'}), m.name);
        // TRANSLATORS: %1$s frames, %2$s the file's size in megabytes.
        say(fill(t('Saved the sweep: %1$s frames, %2$s MB.'), m.frames,
                 tarselLanguage.local((m.bytes.length / 1e6).toFixed(2))));
      } else {
        // TRANSLATORS: %s says why.
        say(fill(t('The sweep was not saved: %s'), m.message), 'error');
      }
    };
    worker.onerror = (e) => {
      e.preventDefault();
      progress.hidden = true;
      sweepButton.disabled = false;
      say(fill(t('The sweep was not saved: %s'), e.message || t('the worker stopped')), 'error');
      worker = null;
    };
    return worker;
  }

  // --- The controls. A click with the mouse leaves the focus where it was (on the picture, for
  // the keys); from the keyboard they work as any page's.
  function onClick(id, action) {
    const button = $(id);
    button.addEventListener('mousedown', (e) => e.preventDefault());
    button.addEventListener('click', () => {
      if (!module || !live) {
        say(t('Exports need the animation: they are not made from a replay link.'), 'error');
        return;
      }
      action();
    });
  }

  // Called directly, not through ccall: ccall would take the suspended animation for a call of
  // its own. Each answers through tarselExports.
  onClick('copy-link', () => module._tarsel_link());
  onClick('save-svg', () => module._tarsel_svg());
  onClick('save-sweep', () => {
    const text = framesField.value.trim();
    const frames = text === '' ? 0 : /^[0-9]{1,4}$/.test(text) ? Number(text) : -1;
    if (frames < 0 || (text !== '' && frames < 1) || frames > 1000) {
      // TRANSLATORS: %s is what was typed into the field Frames.
      say(fill(t("Frames: '%s' is not a number from 1 to 1000 (empty: to the end)."), text), 'error');
      return;
    }
    sweepStarted = performance.now();
    module._tarsel_sweep(frames);
  });
  labelBox.addEventListener('mousedown', (e) => e.preventDefault());
})();
