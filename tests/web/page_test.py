#!/usr/bin/env python3
"""The browser edition in headless Chromium, against the desktop's tarsel-render.

    page_test.py --site DIR --render TARSEL_RENDER [unittest arguments, e.g. LivePage]

Keys reach the page through WebDriver actions (the browser's own input pipeline), never
through calls into the page's code; pictures are the canvas's device pixels.
"""

import argparse
import contextlib
import math
import os
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser as web  # noqa: E402
from PIL import Image  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

SITE = None
RENDER = None
DESIGN = (962, 688)
# A window smaller than the design size: the page draws the design area smaller, to fit.
SMALL_WINDOW = (900, 700)
# A window with room for the design size, its key bar and the panel: drawn one to one.
ROOMY_WINDOW = (1500, 1000)


def rendered(script, size=DESIGN, scale=1, log=False, palette=None):
    """tarsel-render's picture (width, height, RGB) and, with log, its draw log."""
    with tempfile.TemporaryDirectory() as d:
        png, log_file = os.path.join(d, "p.png"), os.path.join(d, "log")
        args = [RENDER, "--script", script, "--png", png, "--size", f"{size[0]}x{size[1]}",
                "--scale", str(scale)]
        if palette:
            args += ["--palette", palette]
        if log:
            args += ["--log", log_file]
        subprocess.run(args, check=True)
        with open(png, "rb") as f:
            pixels = web.png_pixels(f.read())
        if not log:
            return pixels
        with open(log_file, "rb") as f:
            return pixels, f.read().decode("ascii")


def rendered_data(script, probe=None, scale=1):
    """tarsel-render's CSV files and, with a probe, its mechanism view (width, height, RGB)."""
    with tempfile.TemporaryDirectory() as d:
        csv, piston, view = (os.path.join(d, n) for n in ("f.csv", "p.csv", "m.png"))
        args = [RENDER, "--script", script, "--csv", csv, "--piston-csv", piston]
        if probe is not None:
            args += ["--mechanism", view, "--probe", str(probe), "--scale", str(scale)]
        subprocess.run(args, check=True)
        with open(csv, "rb") as f, open(piston, "rb") as g:
            texts = f.read().decode("ascii"), g.read().decode("ascii")
        if probe is None:
            return texts
        with open(view, "rb") as f:
            return texts + (web.png_pixels(f.read()),)


def save_picture(name, pixels):
    w, h, rgb = pixels
    path = os.path.abspath(f"web-{name}.png")
    Image.frombytes("RGB", (w, h), rgb).save(path)
    return path


class PageCase(unittest.TestCase):
    def assertSamePixels(self, actual, expected, name):
        (aw, ah, a), (ew, eh, e) = actual, expected
        if (aw, ah) == (ew, eh) and a == e:
            return
        kept = ", ".join([save_picture(name + "-actual", actual),
                          save_picture(name + "-expected", expected)])
        if (aw, ah) != (ew, eh):
            self.fail(f"{name}: canvas is {aw}x{ah} device pixels, tarsel-render {ew}x{eh} "
                      f"({kept})")
        diff = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != e[i:i + 3])
        first = next(i for i in range(0, len(a), 3) if a[i:i + 3] != e[i:i + 3]) // 3
        self.fail(f"{name}: {diff} pixels differ, the first at ({first % aw}, {first // aw}) "
                  f"({kept})")

    def assertSideBySide(self, box, name):
        """The canvas's design area and the mechanism view wholly in view, side by side."""
        right = box["canvas"][2]
        width, height = box["viewport"]
        for part in ["canvas", "view"]:
            l, t, r, b = box[part]
            self.assertTrue(l >= 0 and t >= 0 and r <= width + 0.5 and b <= height + 0.5,
                            f"{name}: the {part} {box[part]} is not wholly in {width} x {height}")
        self.assertGreaterEqual(box["view"][0], right, f"{name}: not beside the picture: {box}")
        self.assertEqual(box["scrolled"], [0, 0], name)


def press(driver, *keys):
    """Real key events: each key goes down and up through the browser's input pipeline."""
    ActionChains(driver).send_keys(*keys).perform()


def press_ctrl(driver, letter):
    ActionChains(driver).key_down(Keys.CONTROL).send_keys(letter).key_up(Keys.CONTROL).perform()


def step(driver, send):
    """Sends a key (or other input) that releases one frame and waits until it is complete."""
    n = web.frames(driver)
    send()
    web.wait_frames(driver, n + 1)


def shown_as(driver):
    """The logical size and the scale the page reports: tarsel-render's --size and --scale."""
    size = tuple(int(v) for v in web.dataset(driver, "tarselSize").split("x"))
    return size, web.dataset(driver, "tarselScale")


def as_page(driver, script, palette=None):
    """tarsel-render's picture of the script at the size and scale the page shows."""
    size, scale = shown_as(driver)
    return rendered(script, size, scale, palette=palette)


def canvas_size(driver):
    return tuple(int(v) for v in
                 driver.find_element(By.ID, "canvas").get_attribute("data-size").split("x"))


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def open_live(driver, window=SMALL_WINDOW):
    driver.set_window_size(*window)
    driver.get(PAGE)
    web.wait_frames(driver, 1)
    # Tests watch what the page's own listener did with each key.
    driver.execute_script(
        "window.testKeys = [];"
        "addEventListener('keydown', (e) => testKeys.push([e.key, e.defaultPrevented]));")


class OneBrowser(PageCase):
    """One browser for all the tests of a class; `scale` forces its devicePixelRatio."""

    scale = None

    @classmethod
    def setUpClass(cls):
        cls.stack = contextlib.ExitStack()
        cls.driver = cls.stack.enter_context(web.chromium(scale=cls.scale))

    @classmethod
    def tearDownClass(cls):
        cls.stack.close()


class LivePage(OneBrowser):
    def test_caption_is_the_title_and_the_bar(self):
        d = self.driver
        open_live(d)
        caption = CAPTION
        self.assertEqual(len(caption), 156)
        self.assertEqual(d.execute_script("return document.querySelector('title').text"), caption)
        self.assertEqual(d.execute_script(
            "return document.getElementById('caption').textContent"), caption)
        # Shown as the window shows it, runs of spaces included; the heading says in words what
        # the page shows.
        shown, heading, lang = d.execute_script(
            "return [getComputedStyle(document.getElementById('caption')).whiteSpace,"
            " document.querySelector('h1').textContent, document.documentElement.lang]")
        self.assertEqual(shown, "pre")
        self.assertIn("four-bar linkage", heading)
        self.assertEqual(lang, "en")

    def test_keys_draw_what_the_desktop_draws(self):
        d = self.driver
        open_live(d)
        self.assertEqual(canvas_size(d), DESIGN)
        self.assertEqual(web.dataset(d, "frames"), "1")
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, ""), "first-frame")
        for key in ["a", Keys.BACKSPACE, ",", Keys.TAB, Keys.ENTER, "/", "a", Keys.SPACE]:
            step(d, lambda: press(d, key))
        # Keys without a character do nothing, not even release a frame: the next frame
        # comes from the Ctrl+H after them, which is BackSpace.
        step(d, lambda: (press(d, Keys.ARROW_RIGHT, Keys.F2, Keys.SHIFT, Keys.HOME),
                         press_ctrl(d, "h")))
        step(d, lambda: press(d, "<"))  # Shift+","; only a next frame
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97 8 44 9 13 47 97 32 8 60"),
                              "keys")
        # k: 4.5, 4.75, 4.75, 4.25, 4.225, 4.25, 4.25, 4.5, 4.5, 4.5, 4.75.
        self.assertEqual(text(d, "k-value"), "4.750")
        self.assertEqual(text(d, "frame-value"), "2 of 63")
        self.assertEqual(text(d, "acc-value"), "off")
        self.assertEqual(text(d, "cls-value"), "piling up")
        pressed = d.execute_script("return testKeys")
        self.assertIn(["F2", False], pressed)  # the browser keeps the keys it owns
        self.assertIn(["ArrowRight", True], pressed)  # the probe's: the page does not scroll
        # The browser gets control about once per display refresh while a frame is drawn
        # (a frame takes a few ms), not at each of its 600 event-processing calls.
        self.assertLess(int(web.dataset(d, "yields") or 0), 10 * 11)

    def test_starts_when_first_shown(self):
        d = self.driver
        # Opened in a tab behind the current one: loaded, hidden, and without the focus.
        before = set(d.window_handles)
        d.execute_cdp_cmd("Target.createTarget", {"url": PAGE + "?trace=1", "background": True})
        time.sleep(1.5)
        (tab,) = set(d.window_handles) - before
        d.switch_to.window(tab)  # brings it to the front
        web.wait_frames(d, 1)
        shown, trace = d.execute_script(
            "return [performance.getEntriesByType('visibility-state').map((e) => e.startTime)"
            ".pop(), tarselPage.trace]")
        frames = [t for kind, t in trace if kind == "frame"]
        self.assertEqual(len(frames), 1)
        self.assertGreater(shown, 1000)
        self.assertGreaterEqual(frames[0], shown, "the animation ran while the tab was hidden")
        d.close()
        d.switch_to.window(before.pop())

    def test_a_held_key_acts_once_per_repeat(self):
        d = self.driver
        open_live(d)
        # The browser's own key events, as a held key makes them: one press, then repeats.
        key = {"key": "a", "code": "KeyA", "text": "a", "windowsVirtualKeyCode": 65}
        for repeat in [False, True, True]:
            step(d, lambda: d.execute_cdp_cmd("Input.dispatchKeyEvent",
                                              {"type": "keyDown", "autoRepeat": repeat, **key}))
        d.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": "keyUp", **key})
        self.assertEqual(web.dataset(d, "frames"), "4")
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97 97 97"), "held-key")

    def test_keys_keep_the_page_where_it_is(self):
        d = self.driver
        d.get("about:blank")
        open_live(d)  # the small window scrolls: Space could scroll it
        d.execute_script("scrollTo(0, 0)")
        focused = d.execute_script("return document.activeElement.id")
        for key in [Keys.TAB, Keys.BACKSPACE, Keys.SPACE, "/"]:
            step(d, lambda: press(d, key))
            self.assertEqual(d.execute_script("return document.activeElement.id"), focused)
        self.assertEqual(d.execute_script("return [scrollX, scrollY]"), [0, 0])
        self.assertTrue(d.current_url.startswith(PAGE), d.current_url)
        self.assertEqual(d.execute_script("return testKeys"),
                         [["Tab", True], ["Backspace", True], [" ", True], ["/", True]])
        self.assertEqual(web.dataset(d, "frames"), "5")

    def test_grows_like_a_larger_client_area(self):
        d = self.driver
        open_live(d, ROOMY_WINDOW)
        self.assertEqual(shown_as(d)[1], "1")
        step(d, lambda: press(d, "a"))
        before = web.canvas_pixels(d)
        roomy = canvas_size(d)
        d.set_window_size(1900, 1250)
        web.wait_until(d, lambda d: canvas_size(d) != roomy)
        grown = canvas_size(d)
        self.assertGreater(grown[0], roomy[0])
        self.assertGreater(grown[1], roomy[1])
        # Nothing rescaled, nothing lost: the old picture at the top left, white beyond.
        w, h, rgb = web.canvas_pixels(d)
        self.assertEqual((w, h), grown)
        ow, oh, old = before
        for y in range(oh):
            self.assertEqual(rgb[3 * w * y:3 * (w * y + ow)], old[3 * ow * y:3 * ow * (y + 1)],
                             f"row {y} changed when the canvas grew")
        white = bytes([255]) * 3
        self.assertEqual(set(rgb[i:i + 3] for i in range(3 * w * oh, len(rgb), 3)), {white})
        step(d, lambda: press(d, "a"))
        self.assertSamePixels(web.canvas_pixels(d), rendered("97 97", grown), "grown")
        # A smaller window again shows the top-left part; the canvas keeps its size.
        d.set_window_size(*ROOMY_WINDOW)
        step(d, lambda: press(d, "a"))
        self.assertEqual(canvas_size(d), grown)
        self.assertSamePixels(web.canvas_pixels(d), rendered("97 97 97", grown), "shrunk")

    def test_lesson_layout_on_desktops(self):
        d = self.driver
        # Window sizes (the browser's own bars take some of the height) and whole screens.
        for name, width, height, window in [("window-1366", 1366, 768, True),
                                            ("window-1920", 1920, 1080, True),
                                            ("screen-1366", 1366, 768, False),
                                            ("screen-1920", 1920, 1080, False)]:
            with self.subTest(name):
                if window:
                    d.set_window_size(width, height)
                else:
                    web.emulate(d, width, height, 1, touch=False)
                d.get(PAGE)
                web.wait_frames(d, 1)
                step(d, lambda: press(d, "a"))
                self.assertSideBySide(lesson_boxes(d), name)
                self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97"), name)
                # The mechanism's controls stand beside the curves under the mechanism view and
                # its readout, the panel scrolling to them; on a large screen their first rows
                # are in view from the start.
                box = lesson_boxes(d)
                self.assertGreaterEqual(box["explore"][0], box["canvas"][2], name)
                if not name.endswith("1920"):
                    continue
                first_row = d.find_element(By.ID, "explore-ground").rect
                self.assertLessEqual(first_row["y"] + first_row["height"], box["viewport"][1],
                                     name)
        d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    def test_presenting(self):
        d = self.driver
        web.emulate(d, 1920, 1080, 1, touch=False)
        d.get(PAGE)
        web.wait_frames(d, 1)
        step(d, lambda: press(d, "a"))
        size = canvas_size(d)  # grown with the room
        present = d.find_element(By.ID, "present")
        for leave in ["button", "escape"]:
            with self.subTest(leave=leave):
                present.click()
                web.wait_until(d, lambda d: float(shown_as(d)[1]) > 1)
                self.assertEqual(present.get_attribute("aria-pressed"), "true")
                self.assertTrue(d.execute_script("return document.fullscreenElement !== null"))
                self.assertEqual(shown_as(d)[0], DESIGN)
                self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97"), "presenting")
                box = lesson_boxes(d)
                self.assertSideBySide(box, "presenting")
                # The mechanism view is drawn as large as it is shown, one pixel to one.
                self.assertGreater(box["view"][2] - box["view"][0], 400)
                self.assertEqual(box["viewPixels"], box["view"][2] - box["view"][0])
                self.assertGreaterEqual(min(box["fonts"]), 20, box["fonts"])
                if leave == "button":
                    present.click()
                else:
                    # Escape leaves the full screen, and does not end the animation.
                    press(d, Keys.ESCAPE)
                web.wait_until(d, lambda d: shown_as(d)[1] == "1")
                self.assertFalse(d.execute_script("return document.fullscreenElement !== null"))
                time.sleep(0.3)  # an Escape that reached the animation would end it meanwhile
                self.assertEqual(phase(d), "waiting")
                self.assertEqual(present.get_attribute("aria-pressed"), "false")
                # Back at the size the room gives, every line drawn, beyond the design area too.
                self.assertEqual(canvas_size(d), size)
                self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97"), "presented")
        step(d, lambda: press(d, "a"))
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97 97"), "after-presenting")
        d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    def test_escape_clears_and_ends(self):
        d = self.driver
        open_live(d)
        step(d, lambda: press(d, "a"))
        press(d, Keys.ESCAPE)
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "ended")
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97 27"), "escape")
        self.assertIn("has ended", text(d, "status"))
        self.assertIn("Start again", text(d, "status"))
        # Afterwards the page no longer takes keys, and nothing more is drawn.
        press(d, "a", Keys.SPACE)
        time.sleep(0.3)
        self.assertEqual(d.execute_script("return testKeys.slice(-2)"),
                         [["a", False], [" ", False]])
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97 27"), "after-escape")

    def test_double_click_ends(self):
        d = self.driver
        open_live(d)
        step(d, lambda: press(d, Keys.BACKSPACE))
        ActionChains(d).double_click(d.find_element(By.ID, "canvas")).perform()
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "ended")
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "8 dbl"), "double-click")
        self.assertIn("has ended", text(d, "status"))

    def test_touch_keys_and_panel(self):
        d = self.driver
        downloads = self.stack.enter_context(tempfile.TemporaryDirectory())
        d.execute_cdp_cmd("Browser.setDownloadBehavior",
                          {"behavior": "allow", "downloadPath": downloads})
        open_live(d, ROOMY_WINDOW)
        size = canvas_size(d)
        for code in [110, 44, 8, 9, 47, 13, 32, 110]:
            button = d.find_element(By.CSS_SELECTOR, f"button.key[data-code='{code}']")
            step(d, button.click)
        expected = as_page(d, "110 44 8 9 47 13 32 110")
        self.assertSamePixels(web.canvas_pixels(d), expected, "touch")
        self.assertEqual(d.execute_script("return document.activeElement.id"), "canvas")

        d.find_element(By.ID, "save").click()
        web.wait_until(d, lambda d: [f for f in os.listdir(downloads) if f.endswith(".png")])
        saved = os.path.join(downloads, os.listdir(downloads)[0])
        with open(saved, "rb") as f:
            self.assertSamePixels(web.png_pixels(f.read()), expected, "saved")

        # Hiding the panel gives the client area its room.
        toggle = d.find_element(By.ID, "panel-toggle")
        toggle.click()
        self.assertFalse(d.find_element(By.ID, "panel").is_displayed())
        web.wait_until(d, lambda d: canvas_size(d)[0] > size[0])
        toggle.click()
        self.assertTrue(d.find_element(By.ID, "panel").is_displayed())
        d.find_element(By.CSS_SELECTOR, "button.key[data-code='27']").click()
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "ended")


def lesson_boxes(driver):
    """Where the design area of the canvas, the mechanism view and the room for the mechanism's
    controls stand in the viewport, with the view's device pixels across and its fonts."""
    size, scale = shown_as(driver)
    return driver.execute_script(
        "const box = (e) => { const r = e.getBoundingClientRect();"
        "  return [r.left, r.top, r.right, r.bottom]; };"
        "const c = box(document.getElementById('canvas'));"
        "const shown = arguments[0] / devicePixelRatio;"
        "const view = document.getElementById('tarsel-mechanism');"
        "const font = (q) => parseFloat(getComputedStyle(document.querySelector(q)).fontSize);"
        "return {viewport: [innerWidth, innerHeight], scrolled: [scrollX, scrollY],"
        " canvas: [c[0], c[1], c[0] + arguments[1] * shown, c[1] + arguments[2] * shown],"
        " view: box(view), viewPixels: view.width / devicePixelRatio,"
        " explore: box(document.getElementById('explore')),"
        " fonts: [font('#probe-readout dd'), font('#probe-readout dt'),"
        "         font('#mechanism-labels span')]};",
        float(scale), DESIGN[0], DESIGN[1])


def element_pixels(driver, element_id):
    """What the screen shows of an element (overlays included), at devicePixelRatio 1."""
    return web.png_pixels(driver.find_element(By.ID, element_id).screenshot_as_png)


class LiveProbe(OneBrowser):
    def test_the_probe_moves_and_the_animation_stays(self):
        d = self.driver
        downloads = self.stack.enter_context(tempfile.TemporaryDirectory())
        d.execute_cdp_cmd("Browser.setDownloadBehavior",
                          {"behavior": "allow", "downloadPath": downloads})
        open_live(d, (1400, 1100))  # the whole canvas in view, for its screenshot
        size = canvas_size(d)
        step(d, lambda: press(d, "a"))
        canvas = d.find_element(By.ID, "canvas")
        # Hovering puts the probe under the pointer; the readout and the view follow.
        ActionChains(d).move_to_element_with_offset(canvas, 120 - size[0] // 2, 0).perform()
        web.wait_until(d, lambda d: d.execute_script(
            "return document.getElementById('tarsel-mechanism').dataset.probe") is not None)
        hovered = float(d.execute_script(
            "return document.getElementById('tarsel-mechanism').dataset.probe"))
        self.assertAlmostEqual(hovered, -50 + 120 * 230 / 962, delta=0.5)
        # Beside the picture, with its scroll bar, the panel holds the whole view and does not
        # scroll sideways.
        panel, view, box = d.execute_script(
            "const p = document.getElementById('panel');"
            "const v = document.getElementById('mechanism-box').getBoundingClientRect();"
            "return [p.scrollWidth - p.clientWidth, v.right,"
            " p.getBoundingClientRect().left + p.clientLeft + p.clientWidth]")
        self.assertLessEqual(panel, 0, "the panel scrolls sideways")
        self.assertLessEqual(view, box, "the mechanism view is cut off at the panel's edge")
        for keys in [[Keys.ARROW_RIGHT], [Keys.SHIFT, Keys.ARROW_RIGHT], [Keys.ARROW_LEFT],
                     [Keys.END], [Keys.HOME]]:
            chain = ActionChains(d)
            if keys[0] == Keys.SHIFT:
                chain.key_down(Keys.SHIFT).send_keys(keys[1]).key_up(Keys.SHIFT)
            else:
                chain.send_keys(keys[0])
            chain.perform()
        probe = float(d.execute_script(
            "return document.getElementById('tarsel-mechanism').dataset.probe"))
        self.assertNotEqual(probe, hovered)
        self.assertLess(probe, 20)  # Home: the left end of the blue trace
        # No frame was released, k did not move, nothing scrolled, the pixels are the frame's.
        time.sleep(0.3)
        self.assertEqual(web.dataset(d, "frames"), "2")
        self.assertEqual(text(d, "k-value"), "4.750")
        self.assertEqual(d.execute_script("return [scrollX, scrollY]"), [0, 0])
        self.assertEqual(d.execute_script("return testKeys.filter((k) => !k[1]).length"), 1)
        expected = rendered("97", size)
        self.assertSamePixels(web.canvas_pixels(d), expected, "probe-canvas")
        # On the screen the marker stands over the picture; everywhere else it is the picture.
        # (The checking lift's line and the labels are overlays too: out of the way here.)
        d.execute_script("for (const id of ['lift-marker', 'picture-labels'])"
                         "  document.getElementById(id).style.visibility = 'hidden'")
        marker = round((probe + 50) * 962 / 230)
        shown = element_pixels(d, "canvas")
        self.assertEqual(shown[:2], expected[:2])
        w, _, got = shown
        _, _, want = expected
        skip = {marker - 2, marker - 1, marker, marker + 1}
        differing = {(i // 3) % w for i in range(0, len(got), 3) if got[i:i + 3] != want[i:i + 3]}
        self.assertTrue(differing, "the marker is not on the screen")
        self.assertLessEqual(differing, skip, "the screen differs away from the marker")
        # "Save data" saves what tarsel-render --csv writes for the same keys.
        d.find_element(By.ID, "save-data").click()
        web.wait_until(d, lambda d: [f for f in os.listdir(downloads) if f.endswith(".csv")])
        (saved,) = [f for f in os.listdir(downloads) if f.endswith(".csv")]
        self.assertEqual(saved, "tarsel-k4.750.csv")
        with open(os.path.join(downloads, saved), encoding="ascii") as f:
            saved_text, want = f.read(), rendered_data("97")[0]
        if saved_text != want:
            with open("web-saved.csv", "w", encoding="ascii") as f:
                f.write(saved_text)
            self.fail(f"the saved data differs from tarsel-render --csv ({os.path.abspath('web-saved.csv')})")


class ScaledPage(OneBrowser):
    """devicePixelRatio 2: the canvas's backing store holds twice the pixels each way."""

    scale = 2

    def test_keys_at_ratio_2(self):
        d = self.driver
        open_live(d)
        self.assertEqual(d.execute_script("return devicePixelRatio"), 2)
        self.assertEqual(canvas_size(d), DESIGN)
        for key in ["a", Keys.BACKSPACE, "/", "a"]:
            step(d, lambda: press(d, key))
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97 8 47 97"), "ratio-2")

    def test_replay_at_ratio_2(self):
        d = self.driver
        d.set_window_size(*ROOMY_WINDOW)
        _, png = replay(d, "97 8 97@300", "700x500", probe=33.3)
        self.assertEqual(shown_as(d), ((700, 500), "2"))
        self.assertSamePixels(png, as_page(d, "97 8 97@300"), "replay-ratio-2")
        view = replay_data(d)[2]
        self.assertSamePixels(view, rendered_data("97 8 97@300", 33.3, scale=2)[2],
                              "mechanism-ratio-2")


def replay(driver, script, size=None, probe=None):
    query = {"script": script, "dump": "1"}
    if size:
        query["size"] = size
    if probe is not None:
        query["probe"] = str(probe)
    driver.get(PAGE + "?" + urllib.parse.urlencode(query, quote_via=urllib.parse.quote))
    web.wait_until(driver, lambda d: web.dataset(d, "tarsel") == "done")
    log, png = driver.execute_script(
        "const t = (id) => document.getElementById(id)?.textContent ?? null;"
        "return [t('tarsel-log'), t('tarsel-png')];")
    return log, png and web.data_url_pixels(png)


def replay_data(driver):
    """The page's CSV files and its mechanism view, after a replay with dump=1."""
    csv, piston, view = driver.execute_script(
        "const t = (id) => document.getElementById(id).textContent;"
        "return [t('tarsel-csv'), t('tarsel-piston-csv'),"
        " document.getElementById('tarsel-mechanism').toDataURL('image/png')];")
    return csv, piston, web.data_url_pixels(view)


class ReplayMode(OneBrowser):
    def test_data_and_mechanism_equal_tarsel_render(self):
        for script, probe in [("", None), ("97 8 44 13", 101.5), ("97 97 47 9", -20.25),
                              (" ".join(["44"] * 30), 15)]:
            with self.subTest(script=script, probe=probe):
                replay(self.driver, script, probe=probe)
                csv, piston, view = replay_data(self.driver)
                want_csv, want_piston, want_view = rendered_data(
                    script, 65 if probe is None else probe)
                self.assertEqual(len(csv.splitlines()), 201)
                self.assertTrue(csv == want_csv, "the CSV files differ")
                self.assertTrue(piston == want_piston, "the piston CSV files differ")
                self.assertSamePixels(view, want_view, f"mechanism-{probe}")

    def test_bad_probe_links_draw_nothing(self):
        d = self.driver
        # tarsel-render's one number syntax: "7." and "NaN" are not numbers, "2e6" is one out
        # of range.
        for probe, why in [("abc", "not a number"), ("2e6", "expected a number from"),
                           ("0x10", "not a number"), ("", "not a number"), ("7.", "not a number"),
                           ("NaN", "not a number")]:
            with self.subTest(probe=probe):
                d.get(PAGE + "?script=97&dump=1&probe=" + urllib.parse.quote(probe))
                web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "done")
                self.assertIn(f"bad probe '{probe}': {why}", text(d, "status"))
                self.assertIsNone(d.execute_script("return document.getElementById('tarsel-csv')"))

    def test_log_and_pixels_equal_tarsel_render(self):
        cases = [
            ("", None),                                    # the first frame, then no key
            ("97 97 97", None),                            # three plain steps
            ("8 97 44 13 9 97", None),                     # derivatives on, back, tenths
            ("47 97 97 97 8 97", None),                    # frames accumulate
            ("97@150 97", None),                           # a key inside pass 2
            ("44@42 44@42 97 97", None),                   # two in one call: a third waits
            ("32@599,8@600 97", None),                     # the last calls of a frame
            ("97 8@450 47@451 97", "1200x800"),            # a larger client area
            ("97@3000000000 97", None),                    # beyond 32 bits: never reached
            ("97 97 27", None),                            # Escape in a wait
            ("97 27@700", None),                           # Escape inside a pass
            ("8 dbl", None),                               # double-click in a wait
            ("97 dbl@1000 97", None),                      # double-click inside a pass
        ]
        for script, size in cases:
            with self.subTest(script=script, size=size):
                log, png = replay(self.driver, script, size)
                shown, scale = shown_as(self.driver)
                self.assertEqual(shown, tuple(map(int, (size or "962x688").split("x"))))
                want_png, want_log = rendered(script, shown, scale, log=True)
                self.assertEqual(len(log), len(want_log))
                self.assertTrue(log == want_log, "the draw logs differ")
                self.assertSamePixels(png, want_png, "replay-" + script.replace(" ", "_"))

    def test_last_frame_and_past_it(self):
        # 62 plain keys reach k = 20; one more steps past it and the animation ends (X).
        script = " ".join(["97"] * 63)
        log, png = replay(self.driver, script)
        want_png, want_log = rendered(script, *shown_as(self.driver), log=True)
        self.assertTrue(log.endswith("X\n"))
        self.assertTrue(log == want_log, "the draw logs differ")
        self.assertSamePixels(png, want_png, "past-the-last")

    def test_unusable_links_draw_nothing(self):
        d = self.driver
        for query, message in [
            ("script=97%20xyz", "malformed script token 'xyz'"),
            ("script=97@0", "malformed script token '97@0'"),
            # The bytes after a NUL or a control character are not dropped: the token is refused.
            ("script=a%00zz", "malformed script token 'a\\x00zz'"),
            ("script=97%2098%0A99", "malformed script token '98\\x0A99'"),
            ("script=97%1B%5B2J", "malformed script token '97\\x1B[2J'"),
            ("script=97&size=12x0", "bad size '12x0'"),
            ("script=97&size=9000x10", "bad size '9000x10'"),
            # A parameter given twice, a script with a frame: refused as on the command line.
            ("script=97&script=98", "the link gives script twice"),
            ("script=97&size=5x5&size=5x5", "the link gives size twice"),
            ("script=97&at=6.5",
             "the link gives both script and at, which cannot be given together"),
        ]:
            with self.subTest(query=query):
                d.get(PAGE + "?" + query + "&dump=1")
                web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "done")
                status = text(d, "status")
                self.assertIn(message, status)
                self.assertEqual(len(status.splitlines()), 1)
                w, h, rgb = web.canvas_pixels(d)
                self.assertEqual(set(rgb), {255}, "something was drawn")
                self.assertIsNone(d.execute_script("return document.getElementById('tarsel-log')"))


class Waiting(PageCase):
    """A page waiting for a key sleeps: the renderer uses (almost) no CPU."""

    def test_waiting_costs_nothing(self):
        with web.chromium() as d:
            open_live(d)
            step(d, lambda: press(d, "a"))
            time.sleep(1)
            d.execute_cdp_cmd("Performance.enable", {})
            renderers = web.renderer_pids(d)
            self.assertTrue(renderers, "no renderer process found")
            ticks0, task0 = web.cpu_ticks(renderers), task_seconds(d)
            time.sleep(5)
            ticks1, task1 = web.cpu_ticks(renderers), task_seconds(d)
            cpu = (ticks1 - ticks0) / os.sysconf("SC_CLK_TCK")
            self.assertEqual(web.dataset(d, "tarsel"), "waiting")
            # 1 % of a core over 5 s.
            self.assertLessEqual(cpu, 0.05, f"renderers used {cpu:.3f} s of CPU in 5 s")
            self.assertLessEqual(task1 - task0, 0.05, f"main-thread tasks: {task1 - task0:.3f} s")


def task_seconds(driver):
    metrics = driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
    return next(m["value"] for m in metrics if m["name"] == "TaskDuration")


# The devices of a class: a laptop, a tablet held both ways and a phone, each with a touch
# screen (CSS pixels and devicePixelRatio).
DEVICES = [("laptop", 1366, 768, 2), ("landscape-tablet", 1024, 768, 2),
           ("wide-tablet", 1180, 820, 2), ("portrait-tablet", 768, 1024, 2),
           ("phone", 390, 844, 3)]
# Those held sideways: the lesson's layout, the mechanism view beside the picture.
SIDEWAYS = {"laptop", "landscape-tablet", "wide-tablet"}
AXE = None  # axe.min.js, installed from npm by the test command


def key_button(driver, code):
    return driver.find_element(By.CSS_SELECTOR, f"button.key[data-code='{code}']")


def phase(driver):
    return web.dataset(driver, "tarsel")


class Devices(OneBrowser):
    """Touch screens of every size: the whole picture, the keys within reach, no accidents."""

    def test_every_device(self):
        d = self.driver
        for name, width, height, scale in DEVICES:
            with self.subTest(device=name):
                web.emulate(d, width, height, scale)
                d.get(PAGE)
                web.wait_frames(d, 1)
                self.check_layout(name)
                self.check_keys_and_ending(name)
        web.emulate(d, 1280, 800, 1, touch=False)

    def check_layout(self, name):
        d = self.driver
        d.execute_script("scrollTo(0, 0)")
        page_width, view_width, view_height, canvas = d.execute_script(
            "const r = document.getElementById('canvas').getBoundingClientRect();"
            "return [document.documentElement.scrollWidth, innerWidth, innerHeight,"
            " [r.left, r.top, r.width, r.height]]")
        self.assertLessEqual(page_width, view_width, f"{name}: the page scrolls sideways")
        # The whole design area is on the screen: the canvas's design part ends inside.
        size, scale = shown_as(d)
        shown = float(scale) / d.execute_script("return devicePixelRatio")
        self.assertLessEqual(canvas[0] + DESIGN[0] * shown, view_width + 0.5, name)
        self.assertLessEqual(canvas[1] + DESIGN[1] * shown, view_height + 0.5, name)
        for button in d.find_elements(By.CSS_SELECTOR, "button.key"):
            left, top, w, h = d.execute_script(
                "const r = arguments[0].getBoundingClientRect();"
                "return [r.left, r.top, r.width, r.height]", button)
            label = button.get_attribute("aria-label")
            self.assertGreaterEqual(min(w, h), 44, f"{name}: {label} is {w} x {h}")
            self.assertTrue(left >= 0 and top >= 0 and left + w <= view_width and
                            top + h <= view_height, f"{name}: {label} is off the screen")
        if name in SIDEWAYS:
            self.assertSideBySide(lesson_boxes(d), name)

    def check_keys_and_ending(self, name):
        d = self.driver
        for code in [110, 8, 44, 47, 110]:
            step(d, lambda: web.tap(d, key_button(d, code)))
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "110 8 44 47 110"), name)
        # Two taps 80 ms apart make a double-click, which a finger must not end the lesson with.
        canvas = d.find_element(By.ID, "canvas")
        web.tap(d, canvas)
        time.sleep(0.08)
        web.tap(d, canvas)
        time.sleep(0.5)
        self.assertEqual(phase(d), "waiting", f"{name}: a double tap ended the animation")
        ActionChains(d).double_click(canvas).perform()
        web.wait_until(d, lambda d: phase(d) == "ended")
        # Start again, in place: the same document, frame 1.
        d.execute_script("window.stillHere = true")
        web.tap(d, d.find_element(By.ID, "again"))
        web.wait_until(d, lambda d: phase(d) == "waiting" and web.frames(d) == 1)
        self.assertTrue(d.execute_script("return window.stillHere === true"))
        self.assertEqual(text(d, "k-value"), "4.500")
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, ""), name + "-again")


class Accessibility(OneBrowser):
    """axe-core finds nothing in any state; the keyboard reaches every control."""

    def violations(self):
        d = self.driver
        if not d.execute_script("return typeof axe !== 'undefined'"):
            d.execute_script(AXE)
        found = d.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "axe.run(document).then((r) => done(r.violations.map("
            "  (v) => [v.id, v.nodes.map((n) => n.target.join(' '))])));")
        return found

    def assertNoViolations(self, state):
        found = self.violations()
        self.assertEqual(found, [], f"axe, {state}: {found}")

    def test_axe_in_every_state(self):
        d = self.driver
        open_live(d, ROOMY_WINDOW)
        self.assertNoViolations("start")
        toggle = d.find_element(By.ID, "panel-toggle")
        toggle.click()
        self.assertNoViolations("panel hidden")
        toggle.click()
        present = d.find_element(By.ID, "present")
        present.click()
        web.wait_until(d, lambda d: d.execute_script("return document.fullscreenElement"))
        self.assertNoViolations("presenting")
        present.click()
        web.wait_until(d, lambda d: not d.execute_script("return document.fullscreenElement"))
        step(d, lambda: press(d, Keys.BACKSPACE))
        self.assertNoViolations("velocity and acceleration on")
        switch = d.find_element(By.ID, "palette-switch")
        switch.click()
        web.wait_until(d, lambda d: web.canvas_pixels(d) != as_page(d, "8"))
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "8", "distinguishable"),
                              "switched")
        self.assertNoViolations("distinguishable colours")
        step(d, lambda: press(d, "a"))
        self.assertSamePixels(web.canvas_pixels(d), as_page(d, "8 97", "distinguishable"),
                              "distinguishable")
        press(d, Keys.ESCAPE)
        web.wait_until(d, lambda d: phase(d) == "ended")
        self.assertNoViolations("ended")
        switch.click()  # back to the exact colours for the other tests

    def test_keyboard_reaches_every_control(self):
        d = self.driver
        open_live(d, ROOMY_WINDOW)
        active = lambda: d.execute_script(  # noqa: E731
            "const a = document.activeElement; return a.id || a.dataset.code")
        expected = set(d.execute_script(
            "return [...document.querySelectorAll('button, input, select')]"
            ".filter((c) => !c.disabled && !c.hidden && c.getClientRects().length)"
            ".map((a) => a.id || a.dataset.code)"))
        # The focus is drawn on every control it reaches.
        ring = lambda: d.execute_script(  # noqa: E731
            "const s = getComputedStyle(document.activeElement);"
            "return s.outlineStyle !== 'none' && parseFloat(s.outlineWidth) >= 2")
        self.assertEqual(active(), "canvas")
        press(d, Keys.F6)
        reached = {active()}
        unseen = set() if ring() else {active()}
        # Not past the last control: the focus would leave the page for the browser's own.
        for _ in range(len(expected) - 1):
            press(d, Keys.TAB)
            reached.add(active())
            if not ring():
                unseen.add(active())
        self.assertIn("save", reached)
        self.assertIn("present", reached)
        self.assertEqual(expected - reached, set())
        self.assertEqual(unseen, set(), "the focus is not drawn on these")
        self.assertNotIn("canvas", reached)
        self.assertEqual(web.frames(d), 1, "Tab among the controls stepped the animation")
        # A key button pressed from the keyboard keeps the focus, to be pressed again.
        key_button(d, 110).send_keys(Keys.ENTER)  # focuses it, then Enter
        web.wait_frames(d, 2)
        self.assertEqual(active(), "110")
        press(d, Keys.F6)
        self.assertEqual(active(), "canvas")
        step(d, lambda: press(d, Keys.TAB))  # on the picture, Tab is the animation's
        self.assertEqual(active(), "canvas")
        self.assertEqual(text(d, "k-value"), "4.725")
        # The focus is drawn on the canvas too.
        self.assertNotEqual(d.execute_script(
            "return getComputedStyle(document.getElementById('canvas')).outlineStyle"), "none")

    def test_one_announcement_per_frame_none_while_held(self):
        d = self.driver
        open_live(d, ROOMY_WINDOW)
        announced = lambda: text(d, "announce") or d.execute_script(  # noqa: E731
            "return document.getElementById('announce').textContent")
        self.assertIn("k 4.500, frame 1 of 63", announced())
        d.execute_script(
            "window.said = []; new MutationObserver(() => said.push("
            "document.getElementById('announce').textContent))"
            ".observe(document.getElementById('announce'), {childList: true, subtree: true,"
            " characterData: true});")
        key = {"key": "a", "code": "KeyA", "text": "a", "windowsVirtualKeyCode": 65}
        for repeat in [False, True, True, True]:
            step(d, lambda: d.execute_cdp_cmd("Input.dispatchKeyEvent",
                                              {"type": "keyDown", "autoRepeat": repeat, **key}))
        d.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": "keyUp", **key})
        said = d.execute_script("return said")
        # The first press is announced; the repeats are not; letting go says where it stopped.
        self.assertEqual(len(said), 2, said)
        self.assertIn("k 4.750, frame 2 of 63", said[0])
        self.assertIn("k 5.500, frame 5 of 63", said[1])


class Offline(PageCase):
    """Installable, and a second visit works with no network."""

    def test_installable_and_offline(self):
        with web.chromium() as d:
            d.set_window_size(*ROOMY_WINDOW)
            d.get(PAGE)
            web.wait_frames(d, 1)
            web.wait_until(d, lambda d: d.execute_script(
                "return navigator.serviceWorker.controller !== null") or d.refresh())
            errors = d.execute_cdp_cmd("Page.getInstallabilityErrors", {})
            self.assertEqual(errors.get("installabilityErrors"), [])
            web.offline(d, True)
            try:
                d.refresh()
                web.wait_frames(d, 1)
                step(d, lambda: press(d, "a"))
                self.assertSamePixels(web.canvas_pixels(d), as_page(d, "97"), "offline")
            finally:
                web.offline(d, False)


class PastTheEnd(OneBrowser):
    def test_the_sweep_is_over_and_starts_again(self):
        d = self.driver
        open_live(d, ROOMY_WINDOW)
        for _ in range(62):
            step(d, lambda: press(d, "a"))
        self.assertEqual(text(d, "frame-value"), "63 of 63")
        press(d, "a")
        web.wait_until(d, lambda d: phase(d) == "ended")
        self.assertEqual(text(d, "frame-value"), "the sweep is over")
        self.assertIn("sweep is over", text(d, "status"))
        d.find_element(By.ID, "again").click()
        web.wait_until(d, lambda d: phase(d) == "waiting" and web.frames(d) == 1)
        self.assertEqual(text(d, "frame-value"), "1 of 63")

    def test_replay_links_are_guarded(self):
        d = self.driver
        d.set_window_size(*ROOMY_WINDOW)
        # Too long a link: one line, nothing drawn.
        d.get(PAGE + "?script=" + "%20".join(["97"] * 2700))
        web.wait_until(d, lambda d: phase(d) == "done")
        self.assertIn("more than the 8000 a replay link may have", text(d, "status"))
        # A long replay (3,000 frames back and forth) shows its progress and gives the browser
        # control meanwhile.
        long_script = ",".join(["a,44"] * 1500)
        d.get(PAGE + "?script=" + long_script)
        web.wait_until(d, lambda d: phase(d) == "done", 120)
        self.assertTrue(web.dataset(d, "replayProgress"), "no progress shown")
        self.assertEqual(text(d, "status"), "Replayed: " + long_script)
        # A dump whose log would not fit says so instead of claiming success.
        d.get(PAGE + "?dump=1&script=" + ",".join(["a,44"] * 200))
        web.wait_until(d, lambda d: phase(d) == "done", 120)
        cut = int(web.dataset(d, "tarselCut") or 0)
        self.assertTrue(100 < cut < 400, cut)
        self.assertIn(f"Replayed only to frame {cut}", text(d, "status"))
        self.assertFalse(d.execute_script(
            "return document.getElementById('tarsel-log').textContent.endsWith('X\\n')"))
        # The largest size is allowed, and holds little more than its canvas.
        d.get(PAGE + "?script=97&size=8192x8192")
        web.wait_until(d, lambda d: phase(d) == "done", 60)
        size, scale = shown_as(d)
        self.assertEqual(size, (8192, 8192))
        canvas_bytes = 4 * math.ceil(8192 * float(scale)) ** 2
        self.assertLessEqual(int(web.dataset(d, "heapBytes")), canvas_bytes + (32 << 20))


# The caption, to the space, as the window shows it.
CAPTION = ("    KLEM / Tarsel        GEOMETRY EXPLAIN          USE: SpaceBar , /  Enter Tab    USE: "
           "BackSpace for Velocity / Acceleration     DoubleClick or ESC to Quit")


# One server for every test of the run.
SERVER = contextlib.ExitStack()
PAGE = None


def setUpModule():
    global PAGE
    PAGE = SERVER.enter_context(web.serve(SITE))


def tearDownModule():
    SERVER.close()

def main():
    """Runs the tests of the script that was started (this one, or another that uses its
    helpers) on the page in --site against --render."""
    global SITE, RENDER, AXE
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--site", required=True)
    parser.add_argument("--render", required=True)
    parser.add_argument("--axe", help="axe.min.js of axe-core (npm)")
    args, rest = parser.parse_known_args()
    SITE, RENDER = os.path.abspath(args.site), os.path.abspath(args.render)
    if args.axe:
        with open(args.axe) as f:
            AXE = f.read()
    if not os.access(RENDER, os.X_OK):
        sys.exit(f"{RENDER} is missing: build the default preset first "
                 "(cmake --workflow --preset default)")
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
