'use strict';
// Valve timing in the panel: the checking lift (a number taken with Enter) and its marker over
// the canvas (never in its pixels), the events of the red, green and blue curves of the frame on
// the canvas, the blue's shift from the red, the timing over the sweep (the plot and "Save
// timing data", from the sweep's worker, loaded when first asked for) and "Open profile". The
// events come from the frame's own segments in the module, read after the frame is on the
// canvas, so that they never delay the picture.
(() => {
  const {$, root, canvas} = tarselState;
  const field = $('timing-threshold'), fieldError = $('timing-threshold-error');
  const marker = $('lift-marker'), table = $('timing-events');
  const plot = $('timing-plot'), plotButton = $('timing-sweep'), saveButton = $('save-timing');
  const note = $('timing-status'), profileNote = $('profile-status');
  const picker = $('profile-file');
  let module = null, shared = null, live = false;
  let threshold = 1;
  let now = null;      // tarsel_timing's answer for the frame on the canvas
  let wanted = false;  // the plot was asked for: it follows every change from then on
  let asked = null;    // the request in the worker, and one that came meanwhile
  let waitingRequest = null;
  let profileText = '';  // the opened profile's text ('' for the built-in one)
  let profileName = '';

  function trace(kind, at = performance.now()) {
    if (tarselState.trace) tarselState.trace.push([kind, at]);
  }

  // Called directly with the text's bytes: ccall would take the suspended animation for a call
  // of its own.
  function withBytes(bytes, f) {
    const at = module._malloc(bytes.length + 1);
    module.HEAPU8.set(bytes, at);
    try {
      return f(at, bytes.length);
    } finally {
      module._free(at);
    }
  }

  // --- The events of the frame on the canvas, in the window panel's words: each line goes to
  // its cell of the table (data-line, its key); a row whose cells all say the same (a curve
  // that never reaches the lift) says it once across them.
  function show() {
    for (const [key, , value] of now.lines) {
      const cell = table.querySelector(`td[data-line="${key}"]`);
      if (cell) cell.textContent = value;
    }
    for (const row of table.querySelectorAll('tbody tr')) {
      const tds = [...row.querySelectorAll('td')];
      const once = tds.every((td) => td.textContent === tds[0].textContent);
      tds[0].colSpan = once ? tds.length : 1;
      tds.forEach((td, i) => (td.hidden = once && i > 0));
    }
    root.dataset.timing = String(now.k);
  }

  // The events in words, for the frame's announcement: the blue's opening and closing and how
  // far each moved from the red's.
  function spoken() {
    return now ? `; ${now.spoken}` : '';
  }

  // The frame's events from the module; the sweep's worker is asked for the plot with its mark
  // at the frame's k before the page shows them, so that the two work at once.
  function read() {
    const text = module.UTF8ToString(module._tarsel_timing(threshold));
    if (!text) return false;
    now = JSON.parse(text);
    if (wanted) askPlot();
    show();
    return true;
  }

  // After the frame is on the canvas: its events, then its announcement, which says them too.
  // A task rather than setTimeout(0), which the browser delays by 4 ms within the animation's
  // chain of tasks.
  let soon = null;
  function frameDone() {
    if (soon !== null) return;
    soon = true;
    tarselState.task(() => {
      soon = null;
      placeMarker();
      trace('timing-read');
      read();
      trace('timing-shown');
      tarselLabels.place();
      tarselPanel.announceFrame();
    });
  }

  // --- The checking lift and its marker: a line across the canvas at lift T, at the module's
  // row for it (the window's), times the CSS pixels a logical one takes.
  function zoom() {
    const scale = Number(root.dataset.tarselScale);
    return scale > 0 ? scale / (window.devicePixelRatio || 1) : 1;
  }
  function placeMarker() {
    if (!module) return;
    marker.style.transform = `translateY(${module._tarsel_threshold_row(threshold) * zoom()}px)`;
    marker.hidden = false;
  }

  field.addEventListener('keydown', (e) => {
    if (e.key !== 'Enter') return;
    e.preventDefault();
    const text = field.value.trim();
    const bytes = new TextEncoder().encode(text);
    const value = module ? withBytes(bytes, (at, n) => module._tarsel_number(at, n)) : NaN;
    const bad = !(value > 0);
    // TRANSLATORS: the checking lift's field refused what was typed (%s).
    fieldError.textContent = bad ? fill(t("Checking lift: '%s' is not a number above 0."), text) : '';
    fieldError.hidden = !bad;
    field.setAttribute('aria-invalid', String(bad));
    if (bad) return;
    threshold = value;
    placeMarker();
    tarselLabels.place();
    if (live) read();
  });

  // --- The timing over the sweep, from the sweep's worker: the plot's pixels as the core draws
  // them, and the bytes of the timing data. Only the newest request waits while one is worked.
  function request() {
    return {type: 'timing', configuration: module.UTF8ToString(module._tarsel_configuration_query()),
            profile: profileText, threshold, k: now ? now.k : shared.sweep.firstK,
            dpr: tarselPage.mechanismRatio(), palette: Math.max(0, tarselView.palette())};
  }

  function askPlot() {
    if (!module || !live) return;
    const r = request();
    if (asked) {
      waitingRequest = r;
      return;
    }
    asked = r;
    trace('timing-asked');
    tarselExports.worker().postMessage(r);
  }

  let answered = false;  // the worker's last answer was the plot, not a failure
  function fromWorker(m) {
    if (m.type === 'timingProfile' || m.type === 'timingProfileFailed') return profileRead(m);
    if (m.type === 'timingCsv') return saved(m.csv);
    asked = null;
    answered = m.type === 'timing';
    if (m.type === 'timing') {
      if (plot.width !== m.width || plot.height !== m.height) {
        plot.width = m.width;
        plot.height = m.height;
      }
      plot.style.width = `${shared.timingPlot[0]}px`;
      plot.style.height = `${shared.timingPlot[1]}px`;
      const pixels = new Uint8ClampedArray(m.rgba.buffer);
      plot.getContext('2d').putImageData(new ImageData(pixels, m.width, m.height), 0, 0);
      plot.hidden = false;
      root.dataset.timingPlot = String(m.k);
      // The worker's stamps on the page's clock: when it took the request and when it answered.
      for (const [kind, at] of [['timing-worker-took', m.worked[0]], ['timing-worker-done', m.worked[1]]]) {
        trace(kind, at - performance.timeOrigin);
      }
      trace('timing-plot');
    } else {
      // TRANSLATORS: %s: why the timing over the sweep could not be worked out.
      note.textContent = fill(t('The timing over the sweep: %s'), m.message);
      saving = false;
    }
    if (waitingRequest) {
      const r = waitingRequest;
      waitingRequest = null;
      asked = r;
      tarselExports.worker().postMessage(r);
    } else if (saving) {
      saving = false;
      if (answered) askCsv();
    }
  }

  plotButton.addEventListener('click', () => {
    wanted = true;
    plotButton.hidden = true;
    askPlot();
  });
  // "Save timing data": the worker writes the data of the answer to the newest request, so a
  // change still being worked out is waited for; with semicolons and decimal commas where the
  // exports' switch "Data with semicolons" is on. The file is named at the click.
  let saving = false;
  let fileName = '';
  function askCsv() {
    // The file's name is data: k with its decimal point in every language.
    const k = $('k-value').dataset.k ?? $('k-value').textContent;
    fileName = `tarsel-k${k}-timing.csv`;
    tarselExports.worker().postMessage({type: 'timingCsv', semicolons: $('csv-semicolons').checked});
  }
  function saved(text) {
    note.textContent = '';
    if (text) tarselState.download(new Blob([text], {type: 'text/csv'}), fileName);
  }
  saveButton.addEventListener('click', () => {
    if (!module || !live) return;
    if (asked === null && answered) return askCsv();
    saving = true;
    note.textContent = t('Working out the timing over the sweep…');
    if (!wanted) {
      wanted = true;
      plotButton.hidden = true;
      askPlot();
    }
  });

  // --- Another profile: a file picked or dropped on the picture, read by the core's reader in
  // the sweep's worker; a bad one says why in one line and the profile on the canvas stays.
  let opening = null;  // the file being read: its name and text
  function profileSaid(text, bad) {
    profileNote.className = bad ? 'hint error' : 'hint';
    profileNote.textContent = text;
  }
  let rowsShown = null;  // the opened profile's rows, for a link: [angles, lifts]
  function useProfile(angles, lifts, name, text) {
    const rows = angles ? angles.length : 0;
    rowsShown = rows ? [Float64Array.from(angles), Float64Array.from(lifts)] : null;
    const at = module._malloc(Math.max(1, rows) * 16);
    if (rows) {
      module.HEAPF64.set(angles, at / 8);
      module.HEAPF64.set(lifts, at / 8 + rows);
    }
    module._tarsel_profile(at, at + rows * 8, rows);
    module._free(at);
    profileText = text;
    profileName = name;
    // TRANSLATORS: %1$s: the profile file's name; %2$s: its number of rows.
    profileSaid(rows ? fill(t('Profile: %1$s (%2$s rows).'), name, String(rows)) : t('The built-in profile.'), false);
    root.dataset.profile = rows ? 'own' : 'builtin';
    if (tarselState.live()) tarselInput.queueEvent(shared.events.configure);
  }
  // The worker's answer to a file.
  function profileRead(m) {
    const file = opening;
    opening = null;
    if (!file) return;
    if (m.type === 'timingProfile') {
      useProfile(m.angles, m.lifts, file.name, file.text);
    } else {
      // TRANSLATORS: %1$s: the file's name; %2$s: what is wrong with it (one line).
      profileSaid(fill(t('%1$s: %2$s. The profile on the picture stays.'), file.name, m.message), true);
      root.dataset.profile = 'bad';
    }
  }
  async function takeFile(file) {
    if (!module || !live) return;
    // As tarsel-render: a file far larger than 10,000 long rows is no profile.
    if (file.size > 16 << 20) {
      // TRANSLATORS: %s: the file's name.
      profileSaid(fill(t('%s: larger than 16 MB, no profile. The profile on the picture stays.'), file.name), true);
      root.dataset.profile = 'bad';
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    opening = {name: file.name, text: new TextDecoder().decode(bytes)};
    profileSaid(`Reading ${file.name}…`, false);
    tarselExports.worker().postMessage({type: 'profile', bytes});
  }

  $('open-profile').addEventListener('click', () => picker.click());
  picker.addEventListener('change', () => {
    if (picker.files.length) takeFile(picker.files[0]);
    picker.value = '';
  });
  $('profile-builtin').addEventListener('click', () => {
    if (module && live) useProfile(null, null, '', '');
  });
  const stage = $('stage');
  stage.addEventListener('dragover', (e) => e.preventDefault());
  stage.addEventListener('drop', (e) => {
    e.preventDefault();
    const file = e.dataTransfer.files[0];
    if (file) takeFile(file);
  });

  tarselState.listen('frame', frameDone);

  // A link carries the profile compactly, in characters a query keeps as they are: its rows as
  // "angle~lift" joined by "_", each number in the shortest text that reads back as the same
  // double. Opened, they become a table again, which the core's reader reads as a file.
  function profileParameter() {
    if (!rowsShown) return '';
    const [angles, lifts] = rowsShown;
    return Array.from(angles, (a, i) => `${a}~${lifts[i]}`).join('_');
  }
  function openLinkProfile(value) {
    const table = 'angle,lift\n' + value.split('_').map((row) => row.replace('~', ',')).join('\n');
    takeFile(new File([table], 'the link\'s profile'));
  }

  window.tarselTiming = {
    attach(m, constants, isLive) {
      module = m;
      shared = constants;
      live = isLive;
      placeMarker();
      const linked = tarselState.params.get('profile');
      if (live && linked) openLinkProfile(linked);
    },
    profileParameter,
    spoken,
    // The frame on the canvas has not had its events read yet: its announcement comes with them.
    reading: () => soon !== null,
    fromWorker,
    placeMarker,
    // The profile's name for a link ('' for the built-in one).
    profileName: () => profileName,
    // The opened profile's file text ('' for the built-in one), for the worker's sweep.
    profileText: () => profileText,
    // The checking lift taken last.
    threshold: () => threshold,
    // No request of the timing over the sweep is being worked out (benchmarks, tests).
    idle: () => asked === null,
    // The frame's events as tarsel-render's --report gives them (tests), null before a frame.
    report() {
      const text = module ? module.UTF8ToString(module._tarsel_timing_report(threshold)) : '';
      return text ? JSON.parse(text) : null;
    },
  };
})();
