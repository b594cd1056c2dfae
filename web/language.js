'use strict';
// The page's words in the student's language. English is the source: every text is looked up by
// its English form in the catalogue of the language chosen (lang/LL.json, made by
// po/catalogue.py from po/LL.po), and where the catalogue has no translation the English stands,
// text by text. Loaded first: every other script writes its texts through t, tc and fill.
//
//   t('text')                 the text in the language in use
//   tc('context', 'text')     the same for a text with more than one sense
//   mark('text')              a text kept in a table, passed through t() where it is shown
//   fill(pattern, a, b, ...)  "%s" the next argument, "%2$s" the second, "%%" a percent sign
//   local(text)               decimal points between digits as the language writes them
//   pointNumber(typed)        a number typed in the language's way, with a decimal point
//
// The page's own texts and accessible names (index.html) are replaced by the same rule that
// po/html_texts.py extracts them by: each text node of a letter or more, its runs of white space
// made one space, and the attributes aria-label, aria-roledescription, title, alt, placeholder
// and the description's content; nothing inside an element marked translate="no" (the caption,
// key names). The language: ?locale=, else the one chosen on this device, else the browser's,
// else English; a locale the page does not have is English.
(() => {
  const root = document.documentElement;
  // Each language in its own name, for the menu. en-XA, longer English with accents, is only
  // for finding clipped controls (?locale=en-XA).
  const languages = [['en', 'English'], ['de', 'Deutsch'], ['fr', 'Français'],
                     ['es', 'Español'], ['pt-BR', 'Português (Brasil)'],
                     ['zh-CN', '中文（简体）'], ['ja', '日本語'], ['ar', 'العربية']];
  const pseudo = 'en-XA';
  const rightToLeft = ['ar'];
  const stored = 'tarsel-language';
  let catalogue = {};

  const t = (english) => catalogue[english] || english;
  const tc = (context, english) => catalogue[`${context}\x04${english}`] || english;
  const mark = (english) => english;
  function fill(pattern, ...args) {
    let next = 0;
    return pattern.replace(/%(?:(\d+)\$)?s|%%/g, (m, n) => {
      if (m === '%%') return '%';
      const index = n === undefined ? next : Number(n) - 1;
      if (index < 0 || index >= args.length) return m;
      next = index + 1;
      return String(args[index]);
    });
  }
  const separator = () => tc('decimal separator', '.');
  const local = (text) => {
    const s = separator();
    return s === '.' ? String(text) : String(text).replace(/(?<=\d)\.(?=\d)/g, s);
  };
  const pointNumber = (typed) => {
    const s = separator();
    return s === '.' || s === '' ? typed : typed.split(s).join('.');
  };
  Object.assign(window, {t, tc, mark, fill});

  // --- Which language.

  // The page's language for a BCP 47 tag, or null: the tag itself, else its language with the
  // page's one region (pt-PT reads pt-BR, de-AT de), Chinese only where it is written simplified.
  function match(tag) {
    if (!tag) return null;
    const lower = tag.toLowerCase();
    if (lower === pseudo.toLowerCase()) return pseudo;
    const exact = languages.find(([code]) => code.toLowerCase() === lower);
    if (exact) return exact[0];
    const [language, ...rest] = lower.split(/[-_]/);
    if (language === 'zh' && rest.some((s) => ['hant', 'tw', 'hk', 'mo'].includes(s))) return null;
    const same = languages.find(([code]) => code.toLowerCase().split('-')[0] === language);
    return same ? same[0] : null;
  }

  function choose() {
    const asked = new URLSearchParams(location.search).get('locale');
    if (asked !== null) return match(asked) ?? 'en';
    try {
      const kept = match(localStorage.getItem(stored));
      if (kept) return kept;
    } catch {
      // Storage may be off: the browser's languages then decide.
    }
    for (const tag of navigator.languages ?? [navigator.language]) {
      const found = match(tag);
      if (found) return found;
    }
    return 'en';
  }
  const language = choose();
  const url = `lang/${language}.json`;

  // --- The page's own texts, found now, before any script has written into the page.
  const spaces = /[ \t\n\f\r]+/g;
  const letter = /\p{L}/u;
  const attributes = ['aria-label', 'aria-roledescription', 'title', 'alt', 'placeholder'];
  const texts = [];  // [node, english] of each text node
  const named = [];  // [element, attribute, english]
  const kept = (node) => node.parentElement?.closest('[translate="no"], title, script, style');
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const english = node.data.replace(spaces, ' ').trim();
    if (letter.test(english) && !kept(node)) texts.push([node, english]);
  }
  const description = document.querySelector('meta[name="description"]');
  if (description) named.push([description, 'content', description.content]);
  for (const element of document.body.querySelectorAll('*')) {
    if (element.closest('[translate="no"]')) continue;
    for (const name of attributes) {
      const english = element.getAttribute(name);
      if (english && letter.test(english)) named.push([element, name, english.replace(spaces, ' ').trim()]);
    }
  }

  function translatePage() {
    for (const [node, english] of texts) {
      const now = node.data.replace(spaces, ' ').trim();
      const translated = t(english);
      if (now !== english || translated === english) continue;  // a script wrote it since
      const [lead] = /^[ \t\n\f\r]*/.exec(node.data), [trail] = /[ \t\n\f\r]*$/.exec(node.data);
      node.data = lead + translated + trail;
    }
    for (const [element, name, english] of named) {
      const translated = t(english);
      if (translated !== english) element.setAttribute(name, translated);
    }
  }

  root.lang = language;
  root.dir = rightToLeft.includes(language) ? 'rtl' : 'ltr';
  root.dataset.language = language;

  // The catalogue: none for English; in the page in one file, from the page itself.
  async function load() {
    if (language === 'en') return {};
    const carried = window.tarselCatalogues;
    if (carried) return carried[language] ?? {};
    const response = await fetch(url);
    if (!response.ok) throw new Error(`${url}: ${response.status}`);
    return response.json();
  }
  const ready = load().then((entries) => {
    catalogue = entries;
    translatePage();
    root.dataset.catalogue = language === 'en' ? 'none' : 'loaded';
  }, () => {
    // Not fetched (offline before it was kept): the page stays English, whole.
    root.dataset.catalogue = 'failed';
  });

  // --- The menu: each language in its own name and language. A choice is kept on this device
  // and opens the page again in it, at the frame and mechanism on the screen.
  function buildMenu(select, reopenQuery) {
    for (const [code, name] of languages) {
      const option = new Option(name, code, false, code === language);
      option.lang = code;
      option.dir = rightToLeft.includes(code) ? 'rtl' : 'ltr';
      select.append(option);
    }
    if (language === pseudo) select.append(new Option(pseudo, pseudo, false, true));
    select.addEventListener('change', () => {
      try {
        localStorage.setItem(stored, select.value);
      } catch {
        // Not kept: the link's locale still opens it.
      }
      const params = new URLSearchParams(reopenQuery());
      params.set('locale', select.value);
      location.search = params.toString();
    });
  }

  window.tarselLanguage = {
    language, languages, url, ready, local, pointNumber, separator, buildMenu,
    // The catalogue as the module takes it (tarsel_use_catalogue): "english\x1ftranslation"
    // entries, each ended by \x1e.
    forModule() {
      return Object.entries(catalogue).map(([k, v]) => `${k}\x1f${v}\x1e`).join('');
    },
  };
})();
