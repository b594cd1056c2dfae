'use strict';
// The messages of a page that frames this one (a course page): window.postMessage, objects
// carrying tarsel: 1. It asks for the state ("get"), opens a frame as a link would ("set"),
// presses a key ("key"), and hears of every frame ("frame") and of the end ("ended"). Only the
// parent window is heard; what it sends that this page cannot take is answered with an "error"
// and changes nothing. docs/embedding.md has the messages with an example page.
(() => {
  const {root} = tarselState;
  // "set" takes a link's parameters, and only those that name a frame and its configuration.
  const setNames = ['at', 'acc', 'accumulate', 'linkage', 'reference', 'assembly', 'piston'];
  // The configuration's parameters, as a link writes them, go with every "state".
  const configNames = ['linkage', 'reference', 'assembly', 'piston'];
  // How many numbers a list parameter takes when it is given as an array.
  const listLength = {linkage: 4, piston: 2};
  // As long as a link may be (replay.js): what the page would not open from its address.
  const mostQueryLength = 8000;

  const {state, refusal, linkOf} = tarselEmbed;

  function stateMessage(s = state()) {
    const message = {
      type: 'state', k: s.k, frame: s.frame, acc: s.acc, accumulate: s.accumulate,
      ended: s.ended, started: s.started, link: linkOf(s),
    };
    for (const name of configNames) message[name] = s[name];
    return message;
  }

  // The message's value for a link's parameter as the link writes it, or why it is none.
  function parameterText(name, value) {
    if (name === 'acc' || name === 'accumulate') {
      if (value === true || value === 1 || value === '1') return {text: '1'};
      if (value === false || value === 0 || value === '0') return {text: '0'};
      return {error: `bad ${name} ${show(value)}: expected 0 or 1`};
    }
    if (typeof value === 'number') {
      const bad = `bad ${name} ${show(value)}`;
      if (!Number.isFinite(value)) return {error: `${bad}: not a finite number`};
      if (name in listLength) return {error: `${bad}: expected ${listLength[name]} numbers`};
      return {text: String(value)};
    }
    if (Array.isArray(value) && name in listLength) {
      if (value.length !== listLength[name] ||
          !value.every((v) => typeof v === 'number' && Number.isFinite(v))) {
        return {error: `bad ${name} ${show(value)}: expected ${listLength[name]} finite numbers`};
      }
      return {text: value.map(String).join(',')};
    }
    if (typeof value === 'string') return {text: value};
    return {error: `bad ${name} ${show(value)}: expected a number or a text as in a link`};
  }

  // A value in an error message: short, on one line.
  function show(value) {
    let text;
    try {
      text = typeof value === 'string' ? JSON.stringify(value) :
             typeof value === 'bigint' ? `${value}n` :
             Array.isArray(value) ? JSON.stringify(value) :
             value !== null && typeof value === 'object' ? Object.prototype.toString.call(value) :
                                                           String(value);
    } catch {
      text = Object.prototype.toString.call(value);
    }
    return text.length > 60 ? `${text.slice(0, 57)}...` : text;
  }

  // The query a "set" stands for, or why it is refused: read by the module as the page reads
  // its own link (ReadLink), so that "set" opens what a link opens and refuses what it refuses.
  function setQuery(message) {
    const parts = [];
    for (const name of Object.keys(message)) {
      if (name === 'tarsel' || name === 'type') continue;
      if (!setNames.includes(name)) {
        return {error: `set takes ${setNames.join(', ')}; not ${show(name)}`};
      }
      const {text, error} = parameterText(name, message[name]);
      if (error) return {error};
      parts.push(`${name}=${encodeURIComponent(text)}`);
    }
    // Nothing named is the first frame of the built-in mechanism, as a link opens it.
    if (parts.length === 0) parts.push(`at=${tarselState.shared.sweep.firstK}`);
    const query = parts.join('&');
    if (query.length > mostQueryLength) {
      return {error: `set is ${query.length} characters as a link, more than ${mostQueryLength}`};
    }
    const refused = refusal(query);
    return refused ? {error: refused} : {query};
  }

  // --- Talking with the parent.
  const parent = window.parent;
  const framed = tarselEmbed.framed;  // in the page in one file, loaded whether framed or not
  const send = (message) => parent.postMessage({tarsel: 1, ...message}, '*');
  const refuse = (message) => send({type: 'error', message});

  let answerSet = null;  // a "set" waits for its frame to be on the canvas

  tarselState.listen('shown', (s) => {
    if (!framed) return;
    if (answerSet) {
      const answer = answerSet;
      answerSet = null;
      answer(s);
      return;
    }
    send({type: 'frame', k: s.k, frame: s.frame, acc: s.acc, accumulate: s.accumulate});
  });
  tarselState.listen('ended', (pastLast) => {
    if (framed) send({type: 'ended', pastLast: Boolean(pastLast)});
  });

  async function handle(data) {
    if (typeof data !== 'object' || data === null || Array.isArray(data)) {
      return refuse(`not a message of this page: ${show(data)} is not an object`);
    }
    if (!Object.hasOwn(data, 'tarsel')) return;  // another page's conversation
    if (data.tarsel !== 1) return refuse(`tarsel ${show(data.tarsel)}: this page speaks tarsel 1`);
    // Loaded by embed.js, this may run before run.js, the page's last script.
    if (!window.tarselRun) {
      await new Promise((resolve) => document.addEventListener('DOMContentLoaded', resolve));
    }
    await tarselRun.ready;
    if (!tarselState.module || tarselState.replay) return refuse('the animation did not load');
    switch (data.type) {
      case 'get':
        if (Object.keys(data).length > 2) return refuse('get takes nothing but tarsel and type');
        return send(stateMessage());
      case 'set': {
        const {query, error} = setQuery(data);
        if (error) return refuse(error);
        let shown = null;
        await tarselRun.open(query, () => {
          shown = new Promise((resolve) => { answerSet = resolve; });
        });
        return send(stateMessage(await shown));
      }
      case 'key': {
        const code = data.code;
        if (Object.keys(data).some((name) => !['tarsel', 'type', 'code'].includes(name))) {
          return refuse('key takes code, a character code');
        }
        if (!Number.isInteger(code) || code < 0 || code > 0xffff) {
          return refuse(`bad code ${show(code)}: expected a character code from 0 to 65535`);
        }
        if (tarselState.over()) return refuse('the animation has ended: set opens a frame again');
        if (!tarselState.live()) await tarselRun.open(location.search.slice(1));
        tarselInput.queueEvent(code);
        return;
      }
      default:
        return refuse(`unknown type ${show(data.type)}: expected get, set or key`);
    }
  }

  // One message at a time, in the order they came: a "set" is answered before the next is read.
  let handled = Promise.resolve();
  if (framed) {
    window.addEventListener('message', (e) => {
      if (e.source !== parent) return;  // a sibling frame, or this page's own
      const data = e.data;
      handled = handled.then(() => handle(data)).catch((error) => refuse(String(error)));
    });
  }

  root.dataset.framed = String(framed);
})();
