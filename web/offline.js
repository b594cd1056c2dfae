'use strict';
// Offline: a service worker keeps the page's files, so that a second visit works without a
// network (and the browser can install the page as an app). Asked for once the first frame is
// up: its first install fetches every file of the site again, which on a first visit would
// compete with the module's own download and compilation (the first frame came 150 to 200 ms
// later).
(() => {
  let asked = false;
  window.tarselOffline = {
    keep() {
      if (asked || !('serviceWorker' in navigator) || location.protocol === 'file:') return;
      asked = true;
      navigator.serviceWorker.register('sw.js').catch(() => {
        // Without it the page works as before, online only.
      });
    },
  };
})();
