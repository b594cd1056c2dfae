'use strict';
// The page inside another (index.html?embed=1, a course page's frame): the picture, the key bar
// and the mechanism view with its readout, fitted to the frame, with a button for the full
// screen; no heading, no introduction, no exports (embed.css lays it out). And the panel's
// "Embed", which gives the code that puts the page at the frame on screen into a course page.
(() => {
  const {$, root, params} = tarselState;
  const embedded = params.get('embed') === '1' && !tarselState.replay;
  // The size the code asks for: a course page's column, where the picture, the keys and the
  // mechanism view all fit without scrolling.
  const frameSize = [800, 480];

  if (embedded) {
    root.classList.add('embedded');
    // Presenting is the full screen here: the picture and the mechanism as large as the screen
    // allows, and Escape only leaves it (present.js).
    const full = $('present');
    full.textContent = 'Full screen';
    full.title = 'The picture and the mechanism on the whole screen (Esc leaves)';
  }

  const attribute = (text) => text.replace(/&/g, '&amp;').replace(/"/g, '&quot;')
                                  .replace(/</g, '&lt;');

  // The code to paste: the frame's address at the frame and configuration on screen.
  function code() {
    const s = tarselMessages.state();
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
    if (!tarselState.module || tarselState.replay) {
      note.textContent = 'Embed needs the animation: it is not made from a replay link.';
      return;
    }
    field.value = code();
    field.hidden = false;
    const copied = () => {
      note.className = 'hint';
      note.textContent = 'Code copied: paste it into the course page (as HTML) to show this frame.';
    };
    const select = () => {
      field.select();
      note.className = 'hint';
      note.textContent = 'Select the code in the field and copy it into the course page.';
    };
    if (location.protocol === 'file:') {
      select();
      note.textContent = 'This code names a file on this computer: a course page needs the ' +
                         'page on a web server.';
    } else if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(field.value).then(copied, select);
    } else {
      select();
    }
  });

  window.tarselEmbed = {embedded, code};
})();
