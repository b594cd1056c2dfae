'use strict';
// The sweep's GIF, written away from the page: a module of its own (tarsel_sweep) replays the
// sweep's keys on a canvas of its own and writes the frames from the one on the page's canvas
// on, so that the animation on the page stays usable meanwhile. The module answers through
// tarselWorker; the page hears of every frame written, then gets the file's bytes.
let job = null;  // the request being written: its file name and frame count go back with it

self.tarselWorker = {
  progress(done, total) {
    postMessage({type: 'progress', done, total});
  },
  gif(bytes) {
    postMessage({type: 'gif', bytes, name: job.name, frames: job.frames}, [bytes.buffer]);
  },
  failed(message) {
    postMessage({type: 'failed', message});
  },
  // The timing over the sweep, and a profile file read.
  timing(rgba, width, height) {
    postMessage({type: 'timing', rgba, width, height, k: job.k,
                 worked: [job.taken, performance.timeOrigin + performance.now()]},
                [rgba.buffer]);
  },
  timingCsv(csv) {
    postMessage({type: 'timingCsv', csv});
  },
  timingFailed(message) {
    postMessage({type: job.type === 'profile' ? 'timingProfileFailed' : 'timingFailed', message});
  },
  profile(angles, lifts) {
    postMessage({type: 'timingProfile', angles, lifts}, [angles.buffer, lifts.buffer]);
  },
};

importScripts('tarsel_sweep.js');
const ready = createTarselSweep();

onmessage = (e) => {
  const taken = performance.timeOrigin + performance.now();
  ready.then((m) => {
    job = e.data;
    job.taken = taken;  // when the request came, for the page's trace (benchmarks)
    if (job.type === 'catalogue') return m.ccall('tarsel_use_catalogue', null, ['string'], [job.entries]);
    if (job.type === 'timing') {
      return m.ccall('tarsel_sweep_timing', null,
                     ['string', 'string', 'number', 'number', 'number', 'number'],
                     [job.configuration, job.profile, job.threshold, job.k, job.dpr, job.palette]);
    }
    if (job.type === 'timingCsv') return m._tarsel_sweep_timing_csv(job.semicolons ? 1 : 0);
    if (job.type === 'profile') {
      // The file's bytes as they are: a NUL or bytes that are not UTF-8 are the reader's to
      // name.
      const at = m._malloc(job.bytes.length + 1);
      m.HEAPU8.set(job.bytes, at);
      m._tarsel_read_profile(at, job.bytes.length);
      return m._free(at);
    }
    try {
      m.ccall('tarsel_sweep_gif', null,
              ['string', 'number', 'number', 'number', 'number', 'number', 'number', 'number',
               'string', 'string'],
              [job.keys, job.first, job.frames, job.width, job.height, job.dpr, job.palette,
               job.label ? 1 : 0, job.configuration, job.profile]);
    } catch (error) {
      // Out of memory, most likely: the module cannot go on, so the next sweep starts another.
      tarselWorker.failed(String(error));
      close();
    }
  }, (error) => tarselWorker.failed(`the module did not load: ${error}`));
};
