'use strict';
// Running the animation: the module's start, the end and starting again in place, and what the
// module calls (tarselPage, the object page.cpp's calls go to). Loaded last: it starts the
// module once every other part of the page is set up.
(() => {
  const {$, root, canvas, say} = tarselState;
  const endButton = $('end'), againButton = $('again');
  let started = false;
  let frames = 0;  // waits begun in this run: frames complete on the canvas
  let yields = 0;  // times the animation gave the browser control while drawing
  let run = Promise.resolve();  // the run in the module: one at a time
  let reopening = false;        // a run ended only to open a link's frame in its place
  let opened = Promise.resolve();

  function fail(error) {
    if (location.protocol === 'file:') {
      say(t('This page needs a web server: a page opened from a file cannot load its ' +
            'WebAssembly (scripts/web.sh serves it). tarsel.html, the page in one file, opens ' +
            'from a file.'), 'error');
    } else {
      // TRANSLATORS: %s is the error, in English as the browser gives it.
      say(fill(t('The animation stopped with an error: %s'), error), 'error');
    }
    tarselState.setPhase('ended');
  }

  // `query`: a link to a frame to open at (the page's own query, the first time), or '' for the
  // first frame.
  function startRun(query) {
    frames = 0;
    tarselPanel.forget();
    root.dataset.frames = '0';
    tarselState.setPhase('running');
    say(t('Keys step the animation; Esc, End or a double-click on the picture ends it.'));
    tarselInput.enableKeys(true);
    endButton.hidden = false;
    againButton.hidden = true;
    run = tarselState.module.ccall('tarsel_live', null, ['string'], [query], {async: true})
              .catch(fail);
    // The run took the configuration its link names, or the one the fields hold.
    tarselExplore.refresh();
  }

  // The animation starts when the page first has the keyboard focus and is visible, once; in a
  // course page's frame as soon as it is visible (the frame takes no focus from the page).
  function maybeStart() {
    if (started || !tarselState.module) return;
    const focused = document.hasFocus() || tarselEmbed.embedded;
    if (!focused || document.visibilityState !== 'visible') {
      say(t('Click the picture or press a key to start.'));
      return;
    }
    started = true;
    // The query may hold a link to a frame (at=6.5&acc=1): the module reads it, the first time.
    startRun(location.search.slice(1));
  }

  // In place, at frame 1: a fresh state and canvas in the module, no reload.
  async function startAgain() {
    if (tarselState.phase !== 'ended' || !tarselState.module) return;
    await run;
    tarselInput.clear();
    delete root.dataset.link;
    startRun('');
    canvas.focus({preventScroll: true});
  }

  // Opens the frame a link's query names (checked already), as the page opens its own link: a
  // run going on ends first, unannounced, and the new one starts there. One at a time;
  // `starting` is called just before the new run starts (its first frame may be complete
  // before this returns).
  function open(query, starting = () => {}) {
    started = true;  // the animation's own start does not come as well
    opened = opened.then(async () => {
      if (tarselState.live()) {
        reopening = true;
        tarselInput.queueEvent(tarselState.shared.events.doubleClick);
      }
      await run;
      reopening = false;
      tarselInput.clear();
      delete root.dataset.link;
      starting();
      startRun(query);
    });
    return opened;
  }

  function ended(pastLast) {
    if (reopening) return;
    tarselState.setPhase('ended');
    tarselInput.enableKeys(false);
    if (pastLast) tarselPanel.sweepOver();
    say(pastLast ? t('The sweep is over: that was its last frame. Start again to see it anew.') :
                   t('The animation has ended. Start again to see it anew.'),
        'ended');
    endButton.hidden = true;
    againButton.hidden = false;
    tarselState.tell('ended', pastLast);
  }

  function waiting() {
    ++frames;
    root.dataset.frames = String(frames);
    tarselState.setPhase('waiting');
    // The announcement follows the frame's valve events (timing.js), after the frame.
    if (tarselState.trace) tarselState.trace.push(['frame', performance.now()]);
    tarselOffline.keep();
    tarselState.tell('frame');
  }

  window.tarselPage = {
    trace: tarselState.trace,
    say,
    nextEvent: tarselInput.take,
    waitForEvent: tarselInput.waitForEvent,
    yieldToBrowser() {
      root.dataset.yields = String(++yields);
      // A task behind whatever the browser has queued meanwhile. Not scheduler.yield(): its
      // continuation goes before the page's other tasks.
      return new Promise((resolve) => tarselState.task(resolve));
    },
    view: tarselView.view,
    mechanismRatio: tarselView.mechanismRatio,
    matchCanvas: tarselView.matchCanvas,
    show: tarselView.show,
    readout: tarselPanel.readout,
    waiting,
    ended,
    replayProgress: tarselReplay.progress,
    replayDone: tarselReplay.done,
    replayFailed: tarselReplay.failed,
  };

  endButton.addEventListener('click', () => {
    if (tarselState.shared && tarselState.live()) {
      tarselInput.queueEvent(tarselState.shared.events.doubleClick);
    }
  });
  tarselState.pointerKeepsFocus(endButton);
  againButton.addEventListener('click', startAgain);

  // The caption bar shows the title exactly, runs of spaces included.
  $('caption').textContent = document.querySelector('title').textContent;
  if (!tarselEmbed.embedded) canvas.focus({preventScroll: true});
  tarselState.setPhase('ready');
  // The language menu: a choice opens the page again in that language, at the frame and with
  // the mechanism on the screen (a link's query, as "Copy link" gives it).
  tarselLanguage.buildMenu($('language'), () => {
    const params = new URLSearchParams(location.search);
    const s = tarselState.module && !tarselState.replay ? tarselEmbed.state() : null;
    if (s && s.query !== null) {
      for (const [name, value] of new URLSearchParams(s.query)) params.set(name, value);
    }
    return params.toString();
  });
  // The module, once what the page in a course needs and the language's catalogue have come
  // too (embed.js, language.js). The module takes the catalogue before anything of it is read.
  const ready = Promise.all([createTarsel(), tarselEmbed.loaded, tarselLanguage.ready]).then(([m]) => {
    tarselState.module = m;
    m.ccall('tarsel_use_catalogue', null, ['string'], [tarselLanguage.forModule()]);
    tarselState.shared = JSON.parse(m.ccall('tarsel_constants', 'string', [], []));
    tarselProbe.attach(m, tarselState.shared, !tarselState.replay);
    tarselExports.attach(m, tarselState.shared, !tarselState.replay);
    tarselExplore.attach(m, tarselState.shared, location.search.slice(1), !tarselState.replay);
    tarselTiming.attach(m, tarselState.shared, !tarselState.replay);
    tarselLabels.attach(tarselState.shared);
    tarselState.tell('moduleReady');
    if (tarselState.replay) {
      started = true;
      tarselReplay.start(fail);
    } else {
      tarselPanel.buildLegend();
      window.addEventListener('focus', maybeStart);
      document.addEventListener('visibilitychange', maybeStart);
      maybeStart();
    }
  }, fail);

  // For the parts of the page that drive the run from outside it (a page framing this one, a
  // course platform): once the module has loaded, open a link's frame.
  window.tarselRun = {ready, open};
})();
