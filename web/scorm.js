'use strict';
// A learning platform that runs the page as a SCORM 1.2 package (tarsel-scorm.zip): its
// run-time, found by walking up the parent windows as SCORM 1.2 describes (embed.js), hears
// that the lesson started ("incomplete"), that the sweep was stepped to its last frame
// ("completed"), where the student is (the query of a link to the frame and configuration on
// screen, in cmi.suspend_data, which a second launch resumes), and how long the session took
// when the student leaves. Without a platform nothing here runs.
(() => {
  const api = tarselEmbed.api;  // found by embed.js, which loads this file only then
  if (!api || String(api.LMSInitialize('')) !== 'true') return;

  let finished = false;
  const get = (element) => String(api.LMSGetValue(element) ?? '');
  const set = (element, value) => {
    if (!finished) api.LMSSetValue(element, value);
  };

  const started = performance.now();
  let completed = ['completed', 'passed'].includes(get('cmi.core.lesson_status'));
  if (!completed) set('cmi.core.lesson_status', 'incomplete');
  const resume = get('cmi.core.entry') === 'resume' ? get('cmi.suspend_data') : '';
  api.LMSCommit('');

  // A student who comes back starts at the frame and configuration they left, if the platform
  // kept a link the page still opens: in place of the first frame (run.js tells 'moduleReady'
  // before it starts the animation).
  tarselState.listen('moduleReady', () => {
    if (resume && !tarselEmbed.refusal(resume)) tarselRun.open(resume);
  });

  function complete() {
    if (completed) return;
    completed = true;
    set('cmi.core.lesson_status', 'completed');
    api.LMSCommit('');
  }

  let kept = '';
  tarselState.listen('shown', (s) => {
    if (s.query !== null && s.query !== kept) {
      kept = s.query;
      set('cmi.suspend_data', kept);
    }
    if (s.frame === tarselState.shared.sweep.frames) complete();
  });
  tarselState.listen('ended', (pastLast) => {
    if (pastLast) complete();
  });

  // SCORM 1.2's time span: HHHH:MM:SS.SS.
  function timespan(ms) {
    const hundredths = Math.round(ms / 10);
    const h = Math.floor(hundredths / 360000), m = Math.floor(hundredths / 6000) % 60;
    const s = (hundredths % 6000) / 100;
    const two = (n) => String(n).padStart(2, '0');
    const hours = String(Math.min(h, 9999)).padStart(4, '0');
    return `${hours}:${two(m)}:${s.toFixed(2).padStart(5, '0')}`;
  }

  // Leaving: the platform keeps the place (exit "suspend", so that the next launch resumes) and
  // the session's time, then the session ends.
  window.addEventListener('pagehide', () => {
    if (finished) return;
    set('cmi.core.exit', 'suspend');
    set('cmi.core.session_time', timespan(performance.now() - started));
    api.LMSCommit('');
    api.LMSFinish('');
    finished = true;
  });
})();
