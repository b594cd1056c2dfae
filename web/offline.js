'use strict';
// Offline: a service worker keeps the page's files, so that a second visit works without a
// network (and the browser can install the page as an app). Asked for once the first frame is
// up: its first install fetches every file of the site again, which on a first visit would
// compete with the module's own download and compilation (the first frame came 150 to 200 ms
// later).
(() => {
  let asked = false;
  // Opened from the disk (the page in one file): everything works but what needs a server.
  if (location.protocol === 'file:') {
    const note = document.createElement('p');
    note.id = 'server-note';
    note.className = 'hint';
    document.getElementById('exports')?.append(note);
    tarselLanguage.ready.then(() => {
      note.textContent = t('Opened as a file: installing the page as an app and keeping it for ' +
                           'offline use need it on a web server; everything else works here.');
    });
  }
  window.tarselOffline = {
    keep() {
      if (asked || !('serviceWorker' in navigator) || location.protocol === 'file:') return;
      asked = true;
      navigator.serviceWorker.register('sw.js').catch(() => {
        // Without it the page works as before, online only.
      });
      // The language's catalogue came before the worker: it keeps it too, for offline visits.
      if (tarselLanguage.language !== 'en') {
        navigator.serviceWorker.ready.then((registration) => {
          registration.active?.postMessage({keep: tarselLanguage.url});
        });
      }
    },
  };
})();
