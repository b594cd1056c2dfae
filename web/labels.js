'use strict';
// What the picture shows, written over the canvas (never in its pixels): the names the window's
// overlay writes (tarsel_plot_labels: the ticks in crank degrees after top dead centre, the two
// dead centres' lines, the axes, the checking lift and each curve where it is drawn), at the
// module's logical pixels times the CSS pixels a logical one takes, so that each label stands
// at its tick at every size and scale. On by default; the switch in "What you see" hides it.
(() => {
  const {$, root} = tarselState;
  const box = $('picture-labels'), toggle = $('labels-switch');
  let shared = null;
  const spans = new Map();  // key -> span

  function zoom() {
    const scale = Number(root.dataset.tarselScale);
    return scale > 0 ? scale / (window.devicePixelRatio || 1) : 1;
  }

  // The text's middle row at y; its middle, start or end at x.
  const anchored = {centre: 'translate(-50%, -50%)', start: 'translate(0, -50%)',
                    end: 'translate(-100%, -50%)'};

  function place() {
    const module = tarselState.module;
    if (!shared || !module || toggle.checked === false) return;
    const [width, height] = (root.dataset.tarselSize ?? shared.design.join('x')).split('x');
    const p = Math.max(0, tarselView.palette()), z = zoom();
    const labels = JSON.parse(module.UTF8ToString(module._tarsel_plot_labels(
        tarselTiming.threshold(), Number(width), Number(height), p, z)));
    const shown = new Set();
    for (const [key, text, x, y, anchor, curve] of labels) {
      let span = spans.get(key);
      if (!span) {
        span = document.createElement('span');
        span.dataset.key = key;
        box.append(span);
        spans.set(key, span);
      }
      span.className = curve >= 0 ? 'curve' : '';
      span.style.borderColor = curve >= 0 ? shared.curves[curve].colours[p] : '';
      span.textContent = text;
      span.style.transform = `translate(${x * z}px, ${y * z}px) ${anchored[anchor]}`;
      span.hidden = false;
      shown.add(key);
    }
    for (const [key, span] of spans) {
      if (!shown.has(key)) span.hidden = true;
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
