'use strict';
// Change the mechanism: a number and a slider for each of its values, the switch for the crossed
// assembly, "Built-in", Undo and Redo, and what the configuration is. The module checks and
// takes a configuration (tarsel_configure), says what it is (tarsel_explore) and, once the page
// queues the configure event, draws the frame on the canvas again with it between two frames.
// A value that makes no mechanism is refused beside its field; the picture keeps the last good
// one.
(() => {
  const {$, root, canvas} = tarselState;
  const box = $('explore'), fieldBox = $('explore-fields'), analysis = $('explore-analysis');
  const assembly = $('explore-assembly'), builtIn = $('explore-builtin');
  const undoButton = $('explore-undo'), redoButton = $('explore-redo');
  const note = $('explore-status');
  let module = null, shared = null;
  let now = null;  // what tarsel_explore said of the configuration taken last
  const rows = new Map();  // field key -> {field, slider, strip, message, words, def}

  // --- Undo and Redo: the links' queries of the configurations asked for, the latest last.
  // The positions a slider passes while it is dragged are one step.
  const mostSteps = 500;
  const before = [], after = [];
  let sliding = null;  // the key of the slider being dragged

  // For the benchmarks (?trace=1): when the browser made the input event that changes it.
  function trace(e) {
    if (tarselState.trace) tarselState.trace.push(['explore', e.timeStamp]);
  }

  const call = (name, text) => tarselState.withText(text, module[name]);

  // The configuration on the fields as a link's query, `key` with the text typed for it.
  function queryWith(key, text) {
    const v = {...now.values};
    for (const k of Object.keys(v)) v[k] = encodeURIComponent(String(v[k]));
    if (key) v[key] = encodeURIComponent(text);
    const crossed = key === 'assembly' ? text : now.assembly;
    return `linkage=${v.ground},${v.crank},${v.coupler},${v.rocker}&reference=${v.reference}` +
           `&assembly=${crossed}&piston=${v['piston-radius']},${v.rod}`;
  }

  function read() {
    now = JSON.parse(call('_tarsel_explore', ''));
  }

  // Asks for the configuration of `query`: false, with the reason beside `key`'s field, when it
  // is refused. A good change is queued for the animation, which draws it between two frames;
  // `text`, the number typed or slid for `key`. `merge`: the same step of the history as the
  // change before (a drag).
  function ask(query, key, {step = true, merge = false, text = null} = {}) {
    const error = call('_tarsel_configure', query);
    if (error) {
      showError(key, error);
      return false;
    }
    showError(null, '');
    const was = now.query;
    now.query = module.UTF8ToString(module._tarsel_configuration_query());
    if (now.query === was) return true;
    // What the next change starts from, until the panel's account comes.
    if (key === 'assembly') {
      now.assembly = assembly.checked ? 'crossed' : 'open';
    } else if (text !== null) {
      now.values[key] = Number(text);
    }
    if (step) {
      if (!merge) {
        before.push(was);
        if (before.length > mostSteps) before.shift();
      }
      after.length = 0;
    }
    root.dataset.explore = now.query;
    undoButton.disabled = before.length === 0;
    redoButton.disabled = after.length === 0;
    if (tarselState.live()) {
      tarselInput.queueEvent(shared.events.configure);
    } else if (tarselState.phase === 'ended') {
      note.textContent = t('The animation has ended: Start again draws it with this mechanism.');
    }
    showSoon();
    return true;
  }

  // The panel's account after the frame: the animation draws it first, in the tasks that follow
  // the change; of many changes (a drag) only the last one's account is worked out.
  let soon = null;
  function showSoon() {
    if (soon !== null) return;
    soon = setTimeout(() => {
      soon = null;
      read();
      show();
      if (tarselState.trace) tarselState.trace.push(['explore-shown', performance.now()]);
    }, 0);
  }

  function showError(key, error) {
    for (const [k, row] of rows) {
      const bad = k === key && error !== '';
      row.message.textContent = bad ? error : '';
      row.message.hidden = !bad;
      row.field.setAttribute('aria-invalid', String(bad));
    }
    if (key === 'assembly' && error) note.textContent = error;
  }

  // --- What the fields and the panel show of the configuration taken.

  // The slider's strip: red where the value stops the crank turning all round (or the rod would
  // be too short), between the ends of the slider's track.
  function stripBackground(def, good) {
    const at = (v) => `${((v - def.low) / (def.high - def.low) * 100).toFixed(3)}%`;
    const red = '#c0392b', clear = 'transparent';
    const stops = [];
    let from = def.low;
    for (const [least, most] of good) {
      if (least > from) stops.push(`${red} ${at(from)}`, `${red} ${at(least)}`);
      stops.push(`${clear} ${at(least)}`, `${clear} ${at(most)}`);
      from = most;
    }
    if (from < def.high) stops.push(`${red} ${at(from)}`, `${red} 100%`);
    return `linear-gradient(to right, ${stops.join(', ')})`;
  }

  function showRow(key, row) {
    const value = now.values[key];
    const {local, pointNumber} = tarselLanguage;
    if (document.activeElement !== row.field || row.field.value === '' ||
        Number(pointNumber(row.field.value)) !== value) {
      row.field.value = local(String(value));
    }
    row.slider.value = String(Math.min(row.def.high, Math.max(row.def.low, value)));
    row.slider.setAttribute('aria-valuetext', local(String(value)));
    row.strip.style.background = stripBackground(row.def, now.spans[key]);
    row.words.textContent = now.spansText[key];
  }

  const cells = new Map();
  function showAnalysis() {
    const seen = new Set();
    for (const [key, label, value] of now.lines) {
      seen.add(key);
      let cell = cells.get(key);
      if (!cell) {
        const dt = document.createElement('dt');
        cell = document.createElement('dd');
        cell.dataset.key = key;
        analysis.append(dt, cell);
        cells.set(key, cell);
      }
      cell.previousElementSibling.textContent = label;
      if (cell.textContent !== value) cell.textContent = value;
      cell.hidden = cell.previousElementSibling.hidden = false;
    }
    // Lines that only some configurations have (why it does not close) go when they do not apply.
    for (const [key, cell] of cells) {
      if (!seen.has(key)) cell.hidden = cell.previousElementSibling.hidden = true;
    }
  }

  function show() {
    for (const [key, row] of rows) showRow(key, row);
    assembly.checked = now.assembly === 'crossed';
    builtIn.disabled = now.builtin;
    undoButton.disabled = before.length === 0;
    redoButton.disabled = after.length === 0;
    root.dataset.explore = now.query;
    showAnalysis();
    if (tarselState.phase !== 'ended') note.textContent = '';
  }

  // --- The controls.

  function makeRow(def) {
    const key = def.key;
    const id = `explore-${key}`;
    const label = document.createElement('label');
    label.htmlFor = id;
    label.textContent = def.name;
    const field = document.createElement('input');
    // Text, not type=number: the number is typed as the page's language writes it (4,5 in
    // German), whatever the browser's own locale, and read back with a decimal point.
    Object.assign(field, {type: 'text', id, autocomplete: 'off', spellcheck: false});
    field.className = 'explore-number';
    field.setAttribute('inputmode', 'decimal');
    const slider = document.createElement('input');
    Object.assign(slider, {type: 'range', id: `${id}-slider`, min: def.low, max: def.high,
                           step: def.step});
    // TRANSLATORS: the accessible name of a slider; %s is its field's name (the crank O-P).
    slider.setAttribute('aria-label', fill(t('%s, slider'), def.name));
    const track = document.createElement('div');
    track.className = 'explore-track';
    const strip = document.createElement('div');
    strip.className = 'explore-strip';
    strip.setAttribute('aria-hidden', 'true');
    track.append(slider, strip);
    const words = document.createElement('span');
    words.id = `${id}-spans`;
    words.className = 'visually-hidden';
    const message = document.createElement('p');
    message.id = `${id}-message`;
    message.className = 'explore-message';
    message.hidden = true;
    field.setAttribute('aria-describedby', `${id}-message ${id}-spans`);
    slider.setAttribute('aria-describedby', `${id}-spans`);
    fieldBox.append(label, field, track, words, message);
    const row = {field, slider, strip, message, words, def};
    rows.set(key, row);

    // A typed number is taken with Enter, or when the field is left; Escape undoes what was
    // typed and gives the keys back to the picture.
    const take = () => {
      if (field.value === '') {
        // TRANSLATORS: %s is the field's name (the crank O-P).
        showError(key, fill(t('The %s needs a number: there is none.'), def.name));
        return;
      }
      const typed = tarselLanguage.pointNumber(field.value.trim());
      ask(queryWith(key, typed), key, {text: typed});
    };
    field.addEventListener('change', (e) => {
      trace(e);
      take();
    });
    field.addEventListener('keydown', (e) => {
      if (e.key === 'Enter') {
        take();
      } else if (e.key === 'Escape' && !document.fullscreenElement) {
        e.preventDefault();
        showError(null, '');
        showRow(key, row);
        canvas.focus({preventScroll: true});
      }
    });
    // A drag is one step of the history; the keyboard's steps are one each.
    slider.addEventListener('input', (e) => {
      trace(e);
      const merge = sliding === key;
      sliding = key;
      ask(queryWith(key, slider.value), key, {merge, text: slider.value});
    });
    slider.addEventListener('change', () => {
      sliding = null;
    });
  }

  function undo() {
    if (before.length === 0) return;
    const query = before.pop();
    after.push(now.query);
    ask(query, null, {step: false});
  }

  function redo() {
    if (after.length === 0) return;
    const query = after.pop();
    before.push(now.query);
    ask(query, null, {step: false});
  }

  assembly.addEventListener('change', () => {
    ask(queryWith('assembly', assembly.checked ? 'crossed' : 'open'), 'assembly');
  });
  builtIn.addEventListener('click', () => ask('', null));
  for (const b of [builtIn, undoButton, redoButton]) tarselState.pointerKeepsFocus(b);
  undoButton.addEventListener('click', undo);
  redoButton.addEventListener('click', redo);

  window.tarselExplore = {
    // The module has loaded: the fields from its table, the configuration the page's link
    // names (a replay shows its own and cannot be changed).
    attach(m, constants, query, isLive) {
      module = m;
      shared = constants;
      for (const def of shared.explore) makeRow(def);
      const error = call('_tarsel_configure', query);
      read();
      show();
      if (error) note.textContent = error;
      box.querySelector('fieldset').disabled = !isLive;
      if (!isLive) note.textContent = t('A replay link draws the mechanism it names.');
    },
    // A new run took the configuration its link names.
    refresh() {
      if (!module) return;
      read();
      show();
    },
  };
})();
