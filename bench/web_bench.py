#!/usr/bin/env python3
"""Benchmarks of the browser edition in Debian's headless Chromium; prints one table.

    /usr/bin/python3 bench/web_bench.py [--site build/web/web/site] [--keys 30] [--loads 10]

Build the web preset first (cmake --workflow --preset web, or scripts/web.sh). The times are
the page's own, from ?trace=1: performance.now() when the wasm takes a key from the queue and
when a frame is complete on the canvas, and each keydown's timeStamp. The opening time is the
first frame's performance.now(), which counts from the start of the navigation.
"""

import argparse
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "web"))
import browser as web  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402


def trace(driver):
    return driver.execute_script("return tarselPage.trace")


def until_all(events, start, ends):
    """Time from each `start` event until every one of `ends` has followed it (ms)."""
    out, since, seen = [], None, set()
    for kind, t in events:
        if kind == start:
            since, seen = t, set()
        elif kind in ends and since is not None:
            seen.add(kind)
            if seen == set(ends):
                out.append(t - since)
                since = None
    return out


def pairs(events, start, end):
    """Time from each `start` event to the next `end` event (ms)."""
    return until_all(events, start, [end])


def press_frames(driver, key, count):
    for _ in range(count):
        n = web.frames(driver)
        ActionChains(driver).send_keys(key).perform()
        web.wait_frames(driver, n + 1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", default=os.path.join(HERE, "..", "build", "web", "web", "site"))
    parser.add_argument("--keys", type=int, default=30)
    parser.add_argument("--loads", type=int, default=10)
    args = parser.parse_args()

    rows = []
    # The window in which the canvas takes the design size, 962 x 688, with the panel beside it.
    with web.serve(os.path.abspath(args.site)) as page, web.chromium(window=(1375, 917)) as d:
        url = page + "?trace=1"
        opening = []
        for i in range(args.loads):
            d.get(f"{url}&load={i}")
            web.wait_frames(d, 1)
            opening.append(next(t for kind, t in trace(d) if kind == "frame"))
        d.get(url)
        web.wait_frames(d, 1)
        press_frames(d, "a", args.keys)
        yields = int(web.dataset(d, "yields") or 0) / args.keys
        plain = trace(d)
        press_frames(d, Keys.BACKSPACE, 1)
        press_frames(d, "a", args.keys)
        derivatives = trace(d)[len(plain):]

        # Probe moves: the pointer over the canvas, from the event to the readout and the
        # mechanism view updated (the page's own timestamps).
        canvas = d.find_element("id", "canvas")
        half = int(canvas.rect["width"]) // 2 - 5
        before = len(trace(d))
        for i in range(args.keys * 2):
            x = -half + (17 * i) % (2 * half)
            ActionChains(d).move_to_element_with_offset(canvas, x, 10).perform()
        probe = [t for t in trace(d)[before:] if t[0] in ("probe", "probe-taken", "probe-shown")]

        # Waiting for a key, once the browser has settled: in the 10 s after the probe moves
        # (or a sweep) it still works at its own housekeeping, 1.6 to 1.7 % of a core, and
        # nothing after; the page itself runs no timer and no loop while it waits.
        time.sleep(12)
        renderers = web.renderer_pids(d)
        before = web.cpu_ticks(renderers)
        time.sleep(10)
        idle = (web.cpu_ticks(renderers) - before) / os.sysconf("SC_CLK_TCK") / 10 * 100

        # "Save the sweep" from the first frame: 63 frames written by the worker, from the click
        # to the file offered, and the animation's key-to-frame time meanwhile.
        sweeps, busy = [], []
        folder = tempfile.mkdtemp(prefix="tarsel-bench-")
        d.execute_cdp_cmd("Browser.setDownloadBehavior",
                          {"behavior": "allow", "downloadPath": folder})
        for _ in range(3):
            press_frames(d, Keys.SPACE, 1)
            d.execute_script("tarselExports.lastSweepMs = null")
            before = len(trace(d))
            d.find_element("id", "save-sweep").click()
            while d.execute_script("return tarselExports.lastSweepMs") is None:
                press_frames(d, "a", 1)
                press_frames(d, ",", 1)
            sweeps.append(d.execute_script("return tarselExports.lastSweepMs"))
            busy += pairs(trace(d)[before:], "key", "frame")
        shutil.rmtree(folder, ignore_errors=True)

        # Changing the mechanism: one step of the crank's slider from the keyboard, from the
        # input event to the frame drawn again with it; then a drag of 60 changes a second, and
        # how long after its last change the frame on the canvas shows the last value.
        slider = d.find_element("id", "explore-crank-slider")
        d.execute_script("arguments[0].focus()", slider)
        before = len(trace(d))
        for i in range(args.keys):
            n = web.frames(d)
            ActionChains(d).send_keys(Keys.ARROW_RIGHT if i % 2 == 0 else Keys.ARROW_LEFT) \
                .perform()
            web.wait_frames(d, n + 1)
        change = pairs(trace(d)[before:], "explore", "frame")
        drag_ends = []
        for _ in range(3):
            before = len(trace(d))
            chain = ActionChains(d)
            for i in range(60):
                chain.send_keys(Keys.ARROW_RIGHT if i < 30 else Keys.ARROW_LEFT).pause(1 / 60)
            chain.perform()
            web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting" and
                           web.dataset(d, "explore") == "")
            events = trace(d)[before:]
            last = max(i for i, e in enumerate(events) if e[0] == "explore")
            drag_ends.append(next(t for kind, t in events[last:] if kind == "frame") -
                             events[last][1])

        # Valve timing: the frame's events, read after the frame from its segments, and the
        # timing over the sweep brought up to date by the worker after a step of k (the plot's
        # mark moves) and after a length changed (the 63 frames' events worked out again).
        d.find_element("id", "timing-sweep").click()
        web.wait_until(d, lambda d: web.dataset(d, "timingPlot") is not None, 60)

        def timing_steps(send):
            before = len(trace(d))
            for i in range(args.keys):
                n = web.frames(d)
                send(i)
                web.wait_frames(d, n + 1)
                web.wait_until(d, lambda d: web.dataset(d, "timingPlot") ==
                               web.dataset(d, "timing") and
                               d.execute_script("return tarselTiming.idle()"), 60)
            return trace(d)[before:]

        d.execute_script("arguments[0].focus()", canvas)
        k_steps = timing_steps(lambda i: ActionChains(d).send_keys("a" if i % 2 == 0 else ",")
                               .perform())
        d.execute_script("arguments[0].focus()", slider)
        length_steps = timing_steps(lambda i: ActionChains(d).send_keys(
            Keys.ARROW_RIGHT if i % 2 == 0 else Keys.ARROW_LEFT).perform())

        size = d.find_element("id", "canvas").get_attribute("data-size")

    def row(name, samples):
        rows.append((name, statistics.median(samples), min(samples)))

    row(f"complete frame on the canvas, {size} (ms)", pairs(plain, "take", "shown"))
    row("  with velocity and acceleration (ms)", pairs(derivatives, "take", "shown"))
    row("  and the panel's readout and mechanism view after it (ms)", pairs(plain, "take", "frame"))
    row("  control given to the browser while drawing, a frame (times)", [yields])
    row("key event to frame complete on the canvas (ms)",
        pairs(plain + derivatives, "key", "frame"))
    row(f"opening the address to the first frame, {args.loads} loads (ms)", opening)
    row("  the first, cold (ms)", opening[:1])
    row("pointer event to probe readout and mechanism view (ms)",
        pairs(probe, "probe-taken", "probe-shown"))
    row("  from the event's timestamp, with the browser's delivery (ms)",
        pairs(probe, "probe", "probe-shown"))
    row("Save the sweep, 63 frames, click to file offered (ms)", sweeps)
    row("  key event to frame complete meanwhile (ms)", busy)
    row("CPU while waiting for a key, 10 s (% of a core)", [idle])
    row("a length changed (slider key) to the frame drawn with it (ms)", change)
    row("  a drag at 60 changes a second: its last change to the frame showing it (ms)",
        drag_ends)
    row("the frame's valve events, read after the frame (ms)",
        pairs(k_steps + length_steps, "timing-read", "timing-shown"))
    row("the timing over the sweep after a step of k: the worker's work (ms)",
        pairs(k_steps, "timing-worker-took", "timing-worker-done"))
    row("  after a length changed, the 63 frames' events worked out again (ms)",
        pairs(length_steps, "timing-worker-took", "timing-worker-done"))
    row("  frame complete to its events and the plot both shown (ms)",
        until_all(k_steps + length_steps, "frame", ["timing-shown", "timing-plot"]))
    row("    from the page's task after the browser painted the frame (ms)",
        until_all(k_steps + length_steps, "timing-read", ["timing-shown", "timing-plot"]))
    width = max(len(r[0]) for r in rows)
    print(f"| {'measure':<{width}} | {'median':>8} | {'least':>8} |")
    print(f"| {'-' * width} | {'-' * 7}: | {'-' * 7}: |")
    for name, median, least in rows:
        print(f"| {name:<{width}} | {median:8.1f} | {least:8.1f} |")

if __name__ == "__main__":
    main()
