'use strict';
// Presenting, for a projector: the page asks for the full screen and draws the picture and the
// mechanism view as large as the screen allows (tarselView works out the scale). Without the
// Fullscreen API, or when the browser refuses it, the larger layout alone is shown. Leaving the
// full screen (Esc, the browser's own controls, the button again) returns to the usual layout,
// drawn anew.
(() => {
  const {$, root} = tarselState;
  const button = $('present');
  let presenting = false;
  let leftFullscreenAt = -Infinity;
  // An Escape that comes this soon after the full screen was left is the same key press: a
  // browser that leaves on Escape may still hand the key to the page.
  const sameKeyMs = 500;

  function show(on) {
    if (on === presenting) return;
    presenting = on;
    root.classList.toggle('presenting', on);
    button.setAttribute('aria-pressed', String(on));
    tarselView.setPresenting(on);
  }

  function start() {
    show(true);
    const whole = document.documentElement;
    if (!whole.requestFullscreen) return;
    whole.requestFullscreen({navigationUI: 'hide'}).catch(() => {
      // Refused (a frame without permission, no user gesture): the larger layout stays.
    });
  }

  function stop() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});  // fullscreenchange then ends it
    } else {
      show(false);
    }
  }

  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement) return;
    leftFullscreenAt = performance.now();
    show(false);
  });

  // Escape leaves the presentation, never also the animation: the browser usually takes it to
  // leave the full screen and the page does not see it; where the page does see it, it leaves
  // the presentation itself.
  tarselInput.keepKeys((e) => {
    if (e.key !== 'Escape') return false;
    if (presenting) {
      stop();
      return true;
    }
    return performance.now() - leftFullscreenAt < sameKeyMs;
  });

  tarselState.pointerKeepsFocus(button);
  button.hidden = tarselState.replay;  // a replay's picture is drawn once, at its own size
  button.addEventListener('click', () => (presenting ? stop() : start()));
})();
