#!/usr/bin/env python3
"""The page inside a course, in headless Chromium, against the desktop's tarsel-render.

    course_test.py --site DIR --render TARSEL_RENDER [--scorm-again JS] [unittest arguments]

Embedded: index.html?embed=1 in an 800 x 480 frame of another page fits without scrolling and
draws tarsel-render's pixels. Messages: the frame's message API, driven by the page around it
(and ignored from a sibling frame). The course page is served from a folder of its own with
the site beside it, so that both come from the same server.
"""

import json
import os
import re
import shutil
import sys
import tempfile
import time
import urllib.parse
import xml.etree.ElementTree as ElementTree
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser as web  # noqa: E402
import page_test  # noqa: E402
from exports_test import as_shown, downloaded, downloads, png_of, render  # noqa: E402
from page_test import OneBrowser, press, step  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

FRAME = (800, 480)
# The course page: the frame, and every message it gets from it kept in `got`; the frame's
# errors (thrown or rejected) kept in `thrown`.
COURSE = """<!doctype html><html lang="en"><head><meta charset="utf-8"><title>A course</title>
</head><body style="margin:0">
<iframe id="t" src="site/index.html?embed=1{query}" title="tarsel" width="{w}" height="{h}"
        allow="fullscreen" style="border:0"></iframe>
<iframe id="sibling" src="sibling.html" title="another" width="20" height="20"></iframe>
<script>
window.got = [];
window.thrown = [];
const t = document.getElementById('t');
addEventListener('message', (e) => {{ if (e.source === t.contentWindow) got.push(e.data); }});
t.addEventListener('load', () => {{
  t.contentWindow.addEventListener('error', (e) => thrown.push(String(e.message)));
  t.contentWindow.addEventListener('unhandledrejection', (e) => thrown.push(String(e.reason)));
}});
window.send = (m) => t.contentWindow.postMessage(m, '*');
</script></body></html>
"""
# Another frame of the course page, which talks to the animation's frame as its parent does.
SIBLING = """<!doctype html><title>another</title><script>
window.sendToAnimation = (m) => parent.frames[0].postMessage(m, '*');
</script>"""


def course_folder(stack, query=""):
    """A folder with the course page, the sibling frame and the site beside them."""
    folder = stack.enter_context(tempfile.TemporaryDirectory())
    os.symlink(page_test.SITE, os.path.join(folder, "site"))
    with open(os.path.join(folder, "index.html"), "w") as f:
        f.write(COURSE.format(query=query, w=FRAME[0], h=FRAME[1]))
    with open(os.path.join(folder, "sibling.html"), "w") as f:
        f.write(SIBLING)
    return folder


def into_frame(driver):
    driver.switch_to.default_content()
    driver.switch_to.frame(driver.find_element(By.ID, "t"))


def messages(driver):
    """What the frame has sent to the course page so far."""
    driver.switch_to.default_content()
    got = driver.execute_script("return got")
    into_frame(driver)
    return got


def send(driver, message):
    """`message` from the course page to the frame (a text "js:..." is a JavaScript expression,
    for values JSON lacks); returns how many messages the frame had sent before."""
    driver.switch_to.default_content()
    before = driver.execute_script("return got.length")
    if isinstance(message, str) and message.startswith("js:"):
        driver.execute_script(f"send({message[3:]})")
    else:
        driver.execute_script("send(arguments[0])", message)
    into_frame(driver)
    return before


def reply(driver, message, kind=None):
    """The first message of `kind` (any, without one) that the frame sends after `message`."""
    before = send(driver, message)

    def answered(d):
        new = messages(d)[before:]
        return next((m for m in new if kind is None or m.get("type") == kind), None)
    return web.wait_until(driver, answered)


def thrown(driver):
    driver.switch_to.default_content()
    errors = driver.execute_script("return thrown")
    into_frame(driver)
    return errors


class Course(OneBrowser):
    """The course page with the frame in it, served with the site beside it."""

    def open_course(self, query=""):
        d = self.driver
        d.get("about:blank")
        base = self.stack.enter_context(web.serve(course_folder(self.stack, query)))
        d.get(base)
        into_frame(d)
        # Embedded, it starts once shown, without taking the course page's focus.
        web.wait_frames(d, 1)
        self.assertEqual(d.execute_script("return document.hasFocus()"), False)
        return base


class Embedded(Course):
    def test_fits_the_frame_and_draws_what_tarsel_render_draws(self):
        d = self.driver
        self.open_course()
        d.find_element(By.ID, "canvas").click()
        for key in ["a", Keys.BACKSPACE, "/", "a"]:
            step(d, lambda: press(d, key))
        self.assertSamePixels(web.canvas_pixels(d), png_of(["--script", "97 8 47 97"] +
                                                           as_shown(d)), "embedded")
        box = d.execute_script("""
          const shown = (id) => { const r = document.getElementById(id).getBoundingClientRect();
                                  return r.width > 0 ? [r.left, r.top, r.right, r.bottom] : null; };
          const s = document.scrollingElement, p = document.getElementById('panel');
          return {page: [s.scrollWidth - s.clientWidth, s.scrollHeight - s.clientHeight],
                  panel: p.scrollHeight - p.clientHeight, viewport: [innerWidth, innerHeight],
                  parts: Object.fromEntries(['canvas', 'keybar', 'tarsel-mechanism',
                    'probe-readout', 'present', 'heading', 'intro', 'exports', 'explore']
                    .map((id) => [id, shown(id)]))}""")
        self.assertEqual(box["viewport"], list(FRAME))
        self.assertEqual(box["page"], [0, 0], "the frame's page scrolls")
        self.assertLessEqual(box["panel"], 0, "the mechanism view's column scrolls")
        for part in ["canvas", "keybar", "tarsel-mechanism", "probe-readout", "present"]:
            l, t, r, b = box["parts"][part]
            self.assertTrue(l >= 0 and t >= 0 and r <= FRAME[0] and b <= FRAME[1],
                            f"{part} {box['parts'][part]} is not wholly in the frame")
        for part in ["intro", "exports", "explore"]:
            self.assertIsNone(box["parts"][part], f"{part} is shown in the frame")
        self.assertEqual(d.find_element(By.ID, "present").text, "Full screen")
        # As accessible as the plain page: axe finds nothing (the heading is there for a
        # screen reader, out of sight).
        self.assertEqual(page_test.Accessibility.violations(self), [])
        self.assertEqual(thrown(d), [])

    def test_escape_in_full_screen_only_leaves_it(self):
        d = self.driver
        self.open_course()
        d.find_element(By.ID, "canvas").click()
        d.find_element(By.ID, "present").click()
        web.wait_until(d, lambda d: d.execute_script("return document.fullscreenElement !== null"))
        press(d, Keys.ESCAPE)
        web.wait_until(d, lambda d: d.execute_script("return document.fullscreenElement === null"))
        time.sleep(0.3)  # an Escape that reached the animation would end it meanwhile
        self.assertEqual(page_test.phase(d), "waiting")
        step(d, lambda: press(d, "a"))
        self.assertSamePixels(web.canvas_pixels(d), png_of(["--script", "97"] + as_shown(d)),
                              "after-full-screen")

    def test_the_panel_gives_the_code_of_the_frame_on_screen(self):
        d = self.driver
        page_test.open_live(d)
        for key in ["a", Keys.BACKSPACE]:
            step(d, lambda: press(d, key))
        d.find_element(By.ID, "embed").click()
        code = d.find_element(By.ID, "embed-code").get_attribute("value")
        src = page_test.PAGE + "?embed=1&amp;at=4.75&amp;acc=1"
        self.assertIn(f'src="{src}"', code)
        self.assertIn('allow="fullscreen"', code)
        self.assertIn('title="How a four-bar linkage', code)
        # Pasted into a course page, it opens that frame, embedded.
        d.execute_script("document.body.innerHTML = arguments[0]", code)
        d.switch_to.frame(d.find_element(By.TAG_NAME, "iframe"))
        web.wait_until(d, lambda d: web.dataset(d, "link") == "open")
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
        self.assertTrue(d.execute_script(
            "return document.documentElement.classList.contains('embedded')"))
        self.assertSamePixels(web.canvas_pixels(d), png_of(["--at", "4.75", "--acc"] +
                                                           as_shown(d)), "pasted")
        d.switch_to.default_content()


# Messages the page must refuse, each with a word its error names. None of them changes the
# frame on the canvas.
MALFORMED = [
    ("unknown type", {"tarsel": 1, "type": "jump"}, "unknown type"),
    ("no type", {"tarsel": 1}, "unknown type"),
    ("a string", "next", "not an object"),
    ("a number", 7, "not an object"),
    ("an array", [1, "get"], "not an object"),
    ("null", None, "not an object"),
    ("another version", {"tarsel": 2, "type": "get"}, "tarsel 2"),
    ("at not a number", {"tarsel": 1, "type": "set", "at": "abc"}, "at='abc'"),
    ("at not finite", "js:{tarsel: 1, type: 'set', at: Infinity}", "not a finite"),
    ("reference NaN", "js:{tarsel: 1, type: 'set', reference: NaN}", "not a finite"),
    ("a list with NaN", "js:{tarsel: 1, type: 'set', piston: [25.5, NaN]}", "finite numbers"),
    ("a big integer", "js:{tarsel: 1, type: 'set', at: 5n}", "bad at"),
    ("a date", "js:{tarsel: 1, type: 'set', at: new Date(0)}", "bad at"),
    ("at past the end", {"tarsel": 1, "type": "set", "at": 21}, "at='21'"),
    ("at off the grid", {"tarsel": 1, "type": "set", "at": 4.51}, "at='4.51'"),
    ("acc not a switch", {"tarsel": 1, "type": "set", "acc": 2}, "bad acc"),
    ("accumulate a text", {"tarsel": 1, "type": "set", "accumulate": "yes"}, "bad accumulate"),
    ("a replay's parameter", {"tarsel": 1, "type": "set", "script": "97"}, "set takes"),
    ("no mechanism", {"tarsel": 1, "type": "set", "linkage": [0, 7, 25, 31]}, "linkage"),
    ("three bars", {"tarsel": 1, "type": "set", "linkage": [31.5, 7, 25]}, "linkage"),
    ("a rod too short", {"tarsel": 1, "type": "set", "piston": "25.5,20"}, "piston"),
    ("an object as k", {"tarsel": 1, "type": "set", "at": {"k": 5}}, "bad at"),
    ("a long link", {"tarsel": 1, "type": "set", "assembly": "x" * 9000}, "8000"),
    ("key without code", {"tarsel": 1, "type": "key"}, "bad code"),
    ("key past 16 bits", {"tarsel": 1, "type": "key", "code": 65536}, "bad code"),
    ("key a fraction", {"tarsel": 1, "type": "key", "code": 97.5}, "bad code"),
    ("key a letter", {"tarsel": 1, "type": "key", "code": "a"}, "bad code"),
    ("get with more", {"tarsel": 1, "type": "get", "at": 5}, "get takes"),
]

# Hostile messages made in the course page from a seeded generator: any shape, any type of value
# the structured clone carries, the API's own names with wrong values.
FUZZ = """
let seed = arguments[0];
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);
const pick = (list) => list[Math.floor(random() * list.length)];
const values = () => [NaN, Infinity, -Infinity, -1, 1e308, -0, 2 ** 53, 1.5, '', ' ', '%00',
  'a&at=5', '1e400', '\\u0000', 'x'.repeat(200), true, false, null, undefined, [], [NaN],
  [1, 2, 3, 4, 5], {}, {at: 5}, new Date(0), /x/, new Uint8Array(3), 10n, new Map(),
  ['31.5', 7, 25, 31], [31.5, 7, 25, Infinity], 'crossed,open', '65,1'];
const names = ['at', 'acc', 'accumulate', 'linkage', 'reference', 'assembly', 'piston', 'code',
  'script', 'size', 'dump', '__proto__', 'constructor', 'type', 'tarsel', 'k'];
const out = [];
for (let i = 0; i < arguments[1]; ++i) {
  const m = {tarsel: pick([1, 1, 1, '1', 0, 2, null]), type: pick(['get', 'set', 'key', 'state',
             'frame', 'error', '', 'SET', null, 1])};
  const extra = 1 + Math.floor(random() * 3);
  for (let j = 0; j < extra; ++j) m[pick(names)] = pick(values());
  if (m.type === 'get' && m.tarsel === 1) m.at = NaN;      // a plain get changes nothing
  if (m.type === 'key' && m.tarsel === 1) m.code = pick([-1, 1e6, NaN, 'a', null, 0.5]);
  if (m.type === 'set' && m.tarsel === 1) m.at = pick([NaN, Infinity, 4.51, 1e9, 'abc', {}]);
  out.push(random() < 0.1 ? pick(values()) : m);
}
return out;
"""


class Messages(Course):
    def state(self):
        return reply(self.driver, {"tarsel": 1, "type": "get"}, "state")

    def test_get_key_and_frame(self):
        d = self.driver
        base = self.open_course()
        s = self.state()
        self.assertEqual((s["started"], s["k"], s["frame"], s["acc"], s["accumulate"],
                          s["ended"]), (True, 4.5, 1, 0, 0, False))
        self.assertEqual((s["linkage"], s["reference"], s["assembly"], s["piston"]),
                         ("31.5,7,25,31", "65", "open", "25.5,100"))
        frame = reply(d, {"tarsel": 1, "type": "key", "code": 97}, "frame")
        self.assertEqual(frame, {"tarsel": 1, "type": "frame", "k": 4.75, "frame": 2, "acc": 0,
                                 "accumulate": 0})
        frame = reply(d, {"tarsel": 1, "type": "key", "code": 8}, "frame")
        self.assertEqual((frame["k"], frame["acc"]), (4.75, 1))
        frame = reply(d, {"tarsel": 1, "type": "key", "code": 13}, "frame")
        self.assertEqual((frame["k"], frame["frame"]), (4.775, 2.1))
        # Keys on the picture are heard too.
        d.find_element(By.ID, "canvas").click()
        before = len(messages(d))
        step(d, lambda: press(d, "a"))
        frame = web.wait_until(d, lambda d: next(
            (m for m in messages(d)[before:] if m["type"] == "frame"), None))
        self.assertEqual(frame["k"], 5.025)
        s = self.state()
        self.assertEqual((s["started"], s["k"], s["acc"]), (True, 5.025, 1))
        self.assertEqual(s["link"], base + "site/index.html?at=5.025&acc=1")
        self.assertSamePixels(web.canvas_pixels(d), png_of(["--script", "97 8 13 97"] +
                                                           as_shown(d)), "keys")
        # Escape ends the animation, and the course page hears of it.
        reply(d, {"tarsel": 1, "type": "key", "code": 27}, "ended")
        self.assertTrue(self.state()["ended"])
        self.assertEqual(thrown(d), [])

    def test_set_opens_the_frame_a_link_opens(self):
        d = self.driver
        self.open_course()
        for message, options in [
                ({"at": 6.5, "acc": 1}, ["--at", "6.5", "--acc"]),
                ({"at": "5", "accumulate": True}, ["--at", "5", "--accumulate"]),
                ({"at": 5.25, "linkage": [31.5, 7, 30, 31], "assembly": "crossed"},
                 ["--at", "5.25", "--linkage", "31.5,7,30,31", "--assembly", "crossed"]),
                ({}, ["--at", "4.5"])]:
            with self.subTest(message=message):
                s = reply(d, {"tarsel": 1, "type": "set", **message}, "state")
                self.assertEqual(s["k"], float(options[1]))
                self.assertFalse(s["ended"])
                self.assertEqual(page_test.phase(d), "waiting")
                self.assertSamePixels(web.canvas_pixels(d), png_of(options + as_shown(d)),
                                      "set")
        # From the end, too; and the state's own values set the same state again.
        reply(d, {"tarsel": 1, "type": "key", "code": 27}, "ended")
        s = reply(d, {"tarsel": 1, "type": "set", "at": 7, "linkage": "31.5,7,30,31"}, "state")
        again = reply(d, {"tarsel": 1, "type": "set", **{k: s[k] for k in [
            "acc", "accumulate", "linkage", "reference", "assembly", "piston"]}, "at": s["k"]},
                      "state")
        self.assertEqual({k: v for k, v in again.items()}, s)
        self.assertEqual(thrown(d), [])

    def test_malformed_messages_change_nothing(self):
        d = self.driver
        self.open_course()
        reply(d, {"tarsel": 1, "type": "set", "at": 5, "acc": 1}, "state")
        before, picture = self.state(), web.canvas_pixels(d)
        for name, message, named in MALFORMED:
            with self.subTest(name=name):
                error = reply(d, message)
                self.assertEqual(error["type"], "error", error)
                self.assertIn(named, error["message"])
                self.assertNotIn("\n", error["message"])
        # Not the course page's: another frame's messages, and objects of another conversation.
        d.switch_to.default_content()
        d.switch_to.frame(d.find_element(By.ID, "sibling"))
        d.execute_script("sendToAnimation({tarsel: 1, type: 'key', code: 97});"
                         "sendToAnimation({tarsel: 1, type: 'get'});")
        count = len(messages(d))
        send(d, {"lms": "ping"})
        time.sleep(0.5)
        self.assertEqual(len(messages(d)), count, "a sibling's or another protocol's message "
                                                  "was answered")
        self.assertEqual(self.state(), before)
        self.assertSamePixels(web.canvas_pixels(d), picture, "after-malformed")
        self.assertEqual(thrown(d), [])

    def test_fuzzed_messages_throw_nothing_and_change_nothing(self):
        d = self.driver
        self.open_course()
        reply(d, {"tarsel": 1, "type": "set", "at": 6, "accumulate": 1}, "state")
        before, picture = self.state(), web.canvas_pixels(d)
        d.switch_to.default_content()
        count = d.execute_script("return got.length")
        sent = d.execute_script(
            "const list = (() => {" + FUZZ + "})(...arguments); list.forEach(send);"
            "return list.filter((m) => m !== null && typeof m === 'object' && "
            "!Array.isArray(m) && !Object.hasOwn(m, 'tarsel')).length",
            20261209, 400)
        # Every message of this page's conversation is answered with one error; the others
        # (no tarsel in them) with nothing.
        web.wait_until(d, lambda d: d.execute_script("return got.length") - count == 400 - sent,
                       60)
        time.sleep(0.3)
        answers = d.execute_script("return got.slice(arguments[0])", count)
        self.assertEqual(len(answers), 400 - sent)
        self.assertEqual({a["type"] for a in answers}, {"error"})
        into_frame(d)
        self.assertEqual(self.state(), before)
        self.assertSamePixels(web.canvas_pixels(d), picture, "after-fuzz")
        self.assertEqual(thrown(d), [])


class OneFile(OneBrowser):
    """tarsel.html, beside the site folder, opened from the disk."""

    def test_runs_from_the_disk_as_the_site_does(self):
        d = self.driver
        folder = downloads(self)
        d.set_window_size(*page_test.SMALL_WINDOW)
        d.get("file://" + os.path.join(os.path.dirname(page_test.SITE), "tarsel.html"))
        web.wait_frames(d, 1)
        for key in ["a", Keys.BACKSPACE, "a", Keys.ENTER]:
            step(d, lambda: press(d, key))
        self.assertSamePixels(web.canvas_pixels(d), png_of(["--script", "97 8 97 13"] +
                                                           as_shown(d)), "one-file")
        # The sweep's GIF, written by a worker made from the page itself.
        d.find_element(By.ID, "sweep-frames").send_keys("4")
        d.find_element(By.ID, "save-sweep").click()
        _, gif = downloaded(d, folder, ".gif")
        want = render(["--at", "5.025", "--acc", "--sweep", "4"] + as_shown(d), "gif")[0]
        self.assertTrue(gif == want, f"the GIF ({len(gif)} bytes) differs from tarsel-render "
                                     f"--gif ({len(want)} bytes)")
        # What needs a server says so; nothing else failed.
        self.assertIn("web server", page_test.text(d, "server-note"))
        self.assertNotIn("error", d.find_element(By.ID, "status").get_attribute("class"))
        self.assertNotIn("error", d.find_element(By.ID, "exports-status").get_attribute("class"))


# A learning platform: scorm-again's SCORM 1.2 run-time as window.API, every call kept in
# `calls`, seeded from the query's `seed` (a second launch), the package's page launched in a
# frame of its own.
PLATFORM = """<!doctype html><html lang="en"><head><meta charset="utf-8"><title>A platform</title>
<script src="scorm12.js"></script></head><body style="margin:0"><script>
window.calls = [];
window.API = new Scorm12API({logLevel: 5, autocommit: false});
API.on('LMSInitialize', () => calls.push(['LMSInitialize']));
API.on('LMSSetValue.cmi.*', (element, value) => calls.push(['LMSSetValue', element, value]));
API.on('LMSFinish', () => calls.push(['LMSFinish']));
const seed = new URLSearchParams(location.search).get('seed');
if (seed) API.loadFromJSON(JSON.parse(seed));
window.launch = (href, between) => {
  const f = Object.assign(document.createElement('iframe'), {id: 'sco', title: 'lesson'});
  // A platform's own frame between it and the lesson, as many put one.
  if (between) {
    f.srcdoc = `<iframe id="inner" title="lesson" width="1000" height="700"
                        src="package/${href}"></iframe>`;
  } else {
    f.src = 'package/' + href;
  }
  f.width = 1100;
  f.height = 760;
  document.body.append(f);
};
</script></body></html>
"""
SCORM_AGAIN = None  # scorm-again's dist/scorm12.js (npm)
CP = "{http://www.imsproject.org/xsd/imscp_rootv1p1p2}"
ADLCP = "{http://www.adlnet.org/xsd/adlcp_rootv1p2}"


class Scorm(Course):
    """tarsel-scorm.zip, beside the site folder, run by scorm-again as its platform."""

    def setUp(self):
        self.folder = self.stack.enter_context(tempfile.TemporaryDirectory())
        package = os.path.join(self.folder, "package")
        with zipfile.ZipFile(os.path.join(os.path.dirname(page_test.SITE),
                                          "tarsel-scorm.zip")) as z:
            z.extractall(package)
        shutil.copy(SCORM_AGAIN, os.path.join(self.folder, "scorm12.js"))
        with open(os.path.join(self.folder, "index.html"), "w") as f:
            f.write(PLATFORM)
        self.base = self.stack.enter_context(web.serve(self.folder))
        # The manifest as a platform reads it: SCORM 1.2, one organization with one item, one
        # SCO that lists every file of the package.
        manifest = ElementTree.parse(os.path.join(package, "imsmanifest.xml")).getroot()
        self.assertEqual(manifest.find(f"{CP}metadata/{CP}schemaversion").text, "1.2")
        organizations = manifest.findall(f"{CP}organizations/{CP}organization")
        self.assertEqual(len(organizations), 1)
        self.assertEqual(len(organizations[0].findall(f"{CP}item")), 1)
        (resource,) = manifest.findall(f"{CP}resources/{CP}resource")
        self.assertEqual(resource.get(f"{ADLCP}scormtype"), "sco")
        listed = {f.get("href") for f in resource.findall(f"{CP}file")}
        packed = {os.path.relpath(os.path.join(d, n), package)
                  for d, _, names in os.walk(package) for n in names} - {"imsmanifest.xml"}
        self.assertEqual(listed, packed)
        self.href = resource.get("href")

    def launch(self, seed=None):
        d = self.driver
        d.get("about:blank")
        d.get(self.base + ("?seed=" + urllib.parse.quote(json.dumps(seed)) if seed else ""))
        d.execute_script("launch(arguments[0])", self.href)
        d.switch_to.frame(d.find_element(By.ID, "sco"))
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
        self.assertEqual(web.dataset(d, "scorm"), "found")

    def calls(self):
        d = self.driver
        d.switch_to.default_content()
        calls = d.execute_script("return calls")
        if d.find_elements(By.ID, "sco"):
            d.switch_to.frame(d.find_element(By.ID, "sco"))
        return calls

    def values(self, element):
        return [c[2] for c in self.calls() if c[0] == "LMSSetValue" and c[1] == element]

    def test_completion_suspend_data_and_resuming(self):
        d = self.driver
        self.launch()
        self.assertEqual(self.calls()[0], ["LMSInitialize"])
        self.assertEqual(self.values("cmi.core.lesson_status"), ["incomplete"])
        # Near the end, then to the last frame: completed there, not before.
        d.switch_to.default_content()
        d.execute_script("document.getElementById('sco').contentWindow.postMessage("
                         "{tarsel: 1, type: 'set', at: 19.5}, '*')")
        d.switch_to.frame(d.find_element(By.ID, "sco"))
        web.wait_until(d, lambda d: self.values("cmi.suspend_data")[-1:] == ["at=19.5"])
        d.find_element(By.ID, "canvas").click()
        step(d, lambda: press(d, "a"))
        self.assertEqual(self.values("cmi.core.lesson_status"), ["incomplete"])
        step(d, lambda: press(d, "a"))
        self.assertEqual(self.values("cmi.core.lesson_status"), ["incomplete", "completed"])
        for key in [",", Keys.BACKSPACE]:
            step(d, lambda: press(d, key))
        self.assertEqual(self.values("cmi.suspend_data")[-1], "at=19.75&acc=1")
        # Leaving the page ends the session, with its time and a place to come back to.
        d.switch_to.default_content()
        d.execute_script("document.getElementById('sco').src = 'about:blank'")
        web.wait_until(d, lambda d: ["LMSFinish"] in self.calls())
        calls = self.calls()
        self.assertEqual(calls[-1], ["LMSFinish"])
        self.assertEqual(self.values("cmi.core.exit"), ["suspend"])
        (time_span,) = self.values("cmi.core.session_time")
        self.assertRegex(time_span, r"^\d{4}:\d{2}:\d{2}\.\d{2}$")

        # The second launch resumes the same frame, and the lesson stays completed.
        self.launch({"core": {"entry": "resume", "lesson_status": "completed"},
                     "suspend_data": "at=19.75&acc=1"})
        web.wait_until(d, lambda d: web.dataset(d, "link") == "open")
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
        self.assertSamePixels(web.canvas_pixels(d), png_of(["--at", "19.75", "--acc"] +
                                                           as_shown(d)), "resumed")
        self.assertEqual(self.values("cmi.core.lesson_status"), [])
        self.assertEqual(self.values("cmi.suspend_data"), ["at=19.75&acc=1"])

    def test_found_through_a_frame_between(self):
        d = self.driver
        d.get(self.base)
        d.execute_script("launch(arguments[0], true)", self.href)
        d.switch_to.frame(d.find_element(By.ID, "sco"))
        d.switch_to.frame(d.find_element(By.ID, "inner"))
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
        self.assertEqual(web.dataset(d, "scorm"), "found")
        d.switch_to.default_content()
        self.assertEqual(d.execute_script("return calls.slice(0, 2)"),
                         [["LMSInitialize"], ["LMSSetValue", "cmi.core.lesson_status",
                                              "incomplete"]])

    def test_without_a_platform_the_page_runs_with_no_error(self):
        d = self.driver
        self.open_course()
        # The package's page in a course page's frame (no API above it), and on its own.
        d.switch_to.default_content()
        d.execute_script("document.getElementById('t').src = arguments[0]",
                         self.base + "package/" + self.href)
        into_frame(d)
        web.wait_until(d, lambda d: web.dataset(d, "scorm") == "none")
        web.wait_frames(d, 1)
        self.assertEqual(thrown(d), [])
        d.switch_to.default_content()
        d.get(self.base + "package/" + self.href)
        web.wait_frames(d, 1)
        self.assertEqual(web.dataset(d, "scorm"), "none")
        self.assertNotIn("error", d.find_element(By.ID, "status").get_attribute("class"))


def setUpModule():
    page_test.setUpModule()


def tearDownModule():
    page_test.tearDownModule()


if __name__ == "__main__":
    # --scorm-again JS is this script's own; the rest go to page_test.main.
    if "--scorm-again" in sys.argv:
        at = sys.argv.index("--scorm-again")
        SCORM_AGAIN = os.path.abspath(sys.argv[at + 1])
        del sys.argv[at:at + 2]
    page_test.main()
