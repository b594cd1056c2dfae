'use strict';
// The page in a course. Inside a course page's frame (index.html?embed=1): the picture, the key
// bar and the mechanism view with its readout, fitted to the frame, with a button for the full
// screen; no heading, no introduction, no exports (embed.css lays it out). The panel's "Embed"
// gives the code that puts the page at the frame on screen into a course page. And what only a
// page in a course needs is loaded only there: the messages with the page around it
// (messages.js) when the page is framed, the reports to a learning platform (scorm.js) when one
// is found; run.js starts the module once they are in (tarselEmbed.loaded).
(() => {
  const {$, root, params} = tarselState;
  const embedded = params.get('embed') === '1' && !tarselState.replay;
  const framed = window.parent !== window && !tarselState.replay;
  // The page in one file (one_file.py) carries everything already, and nothing beside it.
  const oneFile = typeof window.tarselWorkerSource === 'string';
  // The size the code asks for: a course page's column, where the picture, the keys and the
  // mechanism view all fit without scrolling.
  const frameSize = [800, 480];

  // --- The state as the module has it (web/messages.cpp), for the messages, the platform and
  // the code to paste.

  // Why a link's query opens no frame (one line, as the page says it of its own link), or ''.
  const refusal = (query) => tarselState.withText(query, tarselState.module._tarsel_link_refusal);

  function state() {
    const m = tarselState.module;
    return JSON.parse(m.UTF8ToString(m._tarsel_state()));
  }

  // The plain page's address (never the frame's embed=1) at the state's frame.
  const here = `${location.origin}${location.pathname}`;
  const linkOf = (s) => (s.query === null ? null : `${here}?${s.query}`);

  // A frame the user sees is complete on the canvas: one that waits for a key once a link's
  // keys are all pressed (the frames on their way are not the user's). Told as 'shown', with
  // the state, to the parts that follow the user (the messages, a platform).
  function frameDone() {
    if (tarselState.phase !== 'waiting' || !tarselState.module) return;
    const s = state();
    if (!s.opening) tarselState.tell('shown', s);
  }
  tarselState.listen('frame', frameDone);
  tarselState.listen('linkOpened', frameDone);

  // --- A learning platform's SCORM 1.2 run-time: found by walking up the parent windows (at
  // most seven, SCORM 1.2's own limit), then in the window that opened this one.
  function apiIn(win) {
    try {
      return win.API && typeof win.API.LMSInitialize === 'function' ? win.API : null;
    } catch {
      return null;  // a window of another origin: not the platform of this page
    }
  }
  function findApi() {
    let win = window;
    for (let i = 0; i <= 7 && win; ++i) {
      const api = apiIn(win);
      if (api) return api;
      if (win.parent === win) break;
      win = win.parent;
    }
    return window.opener ? apiIn(window.opener) : null;
  }
  const api = tarselState.replay ? null : findApi();
  root.dataset.scorm = api ? 'found' : 'none';

  // --- Loading what the course needs; a file that does not come leaves the page as it is.
  function load(element) {
    return new Promise((resolve) => {
      element.onload = element.onerror = () => resolve();
      document.head.append(element);
    });
  }
  const wanted = [];
  if (!oneFile) {
    const script = (src) => Object.assign(document.createElement('script'), {src, async: false});
    if (embedded) {
      wanted.push(load(Object.assign(document.createElement('link'),
                                     {rel: 'stylesheet', href: 'embed.css'})));
    }
    if (framed) wanted.push(load(script('messages.js')));
    if (api) wanted.push(load(script('scorm.js')));
  }

  if (embedded) {
    root.classList.add('embedded');
    // Presenting is the full screen here: the picture and the mechanism as large as the screen
    // allows, and Escape only leaves it (present.js).
    const full = $('present');
    tarselLanguage.ready.then(() => {
      // TRANSLATORS: a button: keep it short.
      full.textContent = t('Full screen');
      full.title = t('The picture and the mechanism on the whole screen (Esc leaves)');
    });
  }

  // --- Embed: the code to paste, the frame's address at the frame and configuration on screen.
  const attribute = (text) => text.replace(/&/g, '&amp;').replace(/"/g, '&quot;')
                                  .replace(/</g, '&lt;');
  function code() {
    const s = state();
    const query = s.query === null ? 'embed=1' : `embed=1&${s.query}`;
    const src = `${location.origin}${location.pathname}?${query}`;
    const title = $('heading').textContent;
    return `<iframe src="${attribute(src)}" title="${attribute(title)}" ` +
           `width="${frameSize[0]}" height="${frameSize[1]}" allow="fullscreen" ` +
           'style="border: 0; max-width: 100%"></iframe>';
  }

  const button = $('embed'), field = $('embed-code'), note = $('exports-status');
  tarselState.pointerKeepsFocus(button);
  button.addEventListener('click', () => {
    note.className = 'hint';
    if (!tarselState.module || tarselState.replay) {
      note.textContent = t('Embed needs the animation: it is not made from a replay link.');
      return;
    }
    field.value = code();
    field.hidden = false;
    const select = (why) => {
      field.select();
      note.textContent = why;
    };
    if (location.protocol === 'file:') {
      select(t('This code names a file on this computer: a course page needs the page on a ' +
               'web server.'));
    } else if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(field.value).then(
          () => { note.textContent = t('Code copied: paste it into the course page (as HTML).'); },
          () => select(t('Select the code in the field and copy it into the course page.')));
    } else {
      select(t('Select the code in the field and copy it into the course page.'));
    }
  });

  window.tarselEmbed = {
    embedded, framed, api, code, state, refusal, linkOf,
    loaded: Promise.all(wanted),
  };
})();
