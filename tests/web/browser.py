"""Serving the browser edition's folder and driving Debian's headless Chromium at it.

Shared by the page tests (tests/web/page_test.py) and the benchmark (bench/web_bench.py).
Everything runs on the loopback address, on a port free at the time, and is stopped again
however the caller ends.
"""

import base64
import contextlib
import io
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# Without the networking switches Chromium keeps trying to reach Google's hosts, which a closed
# network refuses, many at a time.
FLAGS = [
    "--headless=new",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--no-first-run",
]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@contextlib.contextmanager
def serve(directory):
    """Serves `directory` over HTTP on 127.0.0.1; yields the base address."""
    if not os.path.isfile(os.path.join(directory, "index.html")):
        raise FileNotFoundError(f"no page in {directory}: build the web preset first")
    port = free_port()
    server = subprocess.Popen(
        [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port),
         "--directory", directory],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 10
        while True:
            with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.2):
                break
            if server.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the HTTP server did not start")
            time.sleep(0.05)
        yield f"http://127.0.0.1:{port}/"
    finally:
        server.terminate()
        server.wait(5)


@contextlib.contextmanager
def chromium(scale=None, window=(1280, 800), language=None):
    """A headless Chromium with a fresh profile; scale forces the devicePixelRatio, language
    (de-DE) is the browser's language, as navigator.languages gives it."""
    profile = tempfile.mkdtemp(prefix="tarsel-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in FLAGS:
        options.add_argument(flag)
    options.add_argument(f"--user-data-dir={profile}")
    options.add_argument(f"--window-size={window[0]},{window[1]}")
    if scale:
        options.add_argument(f"--force-device-scale-factor={scale}")
    if language:
        options.add_argument(f"--lang={language}")
        options.add_experimental_option("prefs", {"intl.accept_languages": language})
    driver = None
    try:
        driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        yield driver
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def drop_file(driver, name, text):
    """A file of `text` dropped on the picture, as a student drags one from the desktop."""
    driver.execute_script(
        "const t = new DataTransfer();"
        "t.items.add(new File([arguments[1]], arguments[0]));"
        "document.getElementById('stage').dispatchEvent("
        "  new DragEvent('drop', {dataTransfer: t, bubbles: true, cancelable: true}));",
        name, text)


def dataset(driver, name):
    return driver.execute_script(f"return document.documentElement.dataset.{name} ?? null")


def wait_until(driver, what, timeout=20):
    return WebDriverWait(driver, timeout, poll_frequency=0.02).until(lambda d: what(d))


def frames(driver):
    return int(dataset(driver, "frames") or 0)


def wait_frames(driver, n, timeout=20):
    """Until the page has completed n frames (waits begun) or has ended."""
    wait_until(driver, lambda d: frames(d) >= n or dataset(d, "tarsel") == "ended", timeout)


def png_pixels(data):
    """(width, height, RGB bytes) of a PNG."""
    image = Image.open(io.BytesIO(data)).convert("RGB")
    return image.width, image.height, image.tobytes()


def data_url_pixels(url):
    prefix = "data:image/png;base64,"
    assert url.startswith(prefix), url[:40]
    return png_pixels(base64.b64decode(url[len(prefix):]))


def canvas_pixels(driver):
    return data_url_pixels(driver.execute_script(
        "return document.getElementById('canvas').toDataURL('image/png')"))


def renderer_pids(driver):
    """The renderer processes of this browser (descendants of its chromedriver)."""
    parents = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as f:
                parents[int(pid)] = int(f.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
    root = driver.service.process.pid

    def under(pid):
        while pid > 1:
            if pid == root:
                return True
            pid = parents.get(pid, 0)
        return False

    found = []
    for pid in parents:
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"--type=renderer" in f.read() and under(pid):
                    found.append(pid)
        except OSError:
            continue
    return found


def cpu_ticks(pids):
    total = 0
    for pid in pids:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        total += int(fields[11]) + int(fields[12])  # utime, stime
    return total


def emulate(driver, width, height, scale, touch=True):
    """A device: its viewport in CSS pixels, its devicePixelRatio and a touch screen."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": scale,
                            "mobile": touch})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                           {"enabled": touch, "maxTouchPoints": 5})


def tap(driver, element):
    """A finger down and up at the element's centre, as a touch screen reports it."""
    x, y = driver.execute_script(
        "const r = arguments[0].getBoundingClientRect();"
        "return [r.left + r.width / 2, r.top + r.height / 2]", element)
    driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                           {"type": "touchStart", "touchPoints": [{"x": x, "y": y}]})
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def offline(driver, on):
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.emulateNetworkConditions",
                           {"offline": on, "latency": 0, "downloadThroughput": -1,
                            "uploadThroughput": -1})


# The page's texts as a student meets them: each visible text node and each accessible name or
# tooltip (aria-label, title, placeholder, alt), with runs of white space made one; not the
# caption (the system's own text, translate="no"), nor what names a language in its own
# language (the language menu). Text inside .visually-hidden counts: a screen reader reads it.
PAGE_TEXTS = """
const seen = new Set();
const own = (e) => e.closest('[translate="no"], [lang]:not(html), pre.dump, script, style');
const shown = (e) => e.getClientRects().length > 0 || e.closest('.visually-hidden');
const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let n = walker.nextNode(); n; n = walker.nextNode()) {
  const e = n.parentElement, text = n.data.replace(/\\s+/g, ' ').trim();
  if (text && e && !own(e) && shown(e) && !e.closest('[hidden]')) seen.add(text);
}
for (const e of document.body.querySelectorAll('*')) {
  if (own(e) || e.closest('[hidden]')) continue;
  for (const name of ['aria-label', 'title', 'placeholder', 'alt']) {
    const v = e.getAttribute(name);
    if (v && v.trim()) seen.add(v.replace(/\\s+/g, ' ').trim());
  }
}
return [...seen];
"""


def page_texts(driver):
    return driver.execute_script(PAGE_TEXTS)


def wider_than_screen(driver):
    """How many CSS pixels the page is wider than the viewport (0 when it fits)."""
    return driver.execute_script(
        "return Math.max(0, document.documentElement.scrollWidth - innerWidth)")


# Every visible control whose text is wider or taller than its box (cut off, or spilling out):
# buttons, the menu, labels, legends, table headers and the key bar's keys; and every box of the
# page that its content makes wider than itself (controls that do not fit their row).
CLIPPED = """
const out = [];
const controls = 'button, select, label, legend, th, summary, h1, h2';
for (const e of document.body.querySelectorAll('*')) {
  if (e.getClientRects().length === 0 || e.closest('[hidden]') || e.closest('.visually-hidden')) continue;
  // The caption bar shows the caption as the window's title bar does: cut off where it ends.
  if (e.closest('canvas, #stage, #mechanism-box, pre, #caption')) continue;
  const style = getComputedStyle(e);
  if (style.visibility === 'hidden') continue;
  const tall = e.matches(controls) && e.scrollHeight > e.clientHeight + 1;
  if (e.scrollWidth > e.clientWidth + 1 && e.clientWidth > 0 || tall) {
    out.push(`${e.tagName.toLowerCase()}#${e.id || e.className}: ` +
             `${e.scrollWidth}x${e.scrollHeight} in ${e.clientWidth}x${e.clientHeight}: ` +
             e.textContent.trim().slice(0, 40));
  }
}
return out;
"""


def clipped_controls(driver):
    return driver.execute_script(CLIPPED)


def axe_violations(driver, axe):
    """axe-core's violations on the page as it is: [rule, [node, ...]] each."""
    if not driver.execute_script("return typeof axe !== 'undefined'"):
        driver.execute_script(axe)
    return driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document).then((r) => done(r.violations.map("
        "  (v) => [v.id, v.nodes.map((n) => n.target.join(' '))])));")
