#!/usr/bin/env python3
"""The page's exports in headless Chromium, against the desktop's tarsel-render.

    exports_test.py --site DIR --render TARSEL_RENDER [unittest arguments, e.g. Links]

"Copy link" gives a link that opens the page at the frame tarsel-render --at draws; "Save SVG"
writes tarsel-render --svg's bytes, which Chromium draws as --png but for antialiased edges;
"Save the sweep" writes tarsel-render --gif's bytes while the animation goes on.
"""

import base64
import contextlib
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser as web  # noqa: E402
import page_test  # noqa: E402
from page_test import OneBrowser, press, step, text  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

# The colours the program draws with (white, the axis, the curves): a pixel of any other colour
# is a blend at an antialiased edge.
DRAWING = {bytes.fromhex(c) for c in ["ffffff", "070000", "00ff00", "ff0000", "0000ff", "c0c000",
                                      "ff8000", "ff00ff", "8080ff", "008080", "ffc080"]}


def render(args, *outputs):
    """Runs tarsel-render with `args` and an output option per name of `outputs` ("png", "svg",
    "gif"); returns the files' bytes in that order."""
    with tempfile.TemporaryDirectory() as d:
        files = [os.path.join(d, f"out.{kind}") for kind in outputs]
        command = [page_test.RENDER] + list(args)
        for kind, path in zip(outputs, files):
            command += [f"--{kind}", path]
        subprocess.run(command, check=True)
        result = []
        for path in files:
            with open(path, "rb") as f:
                result.append(f.read())
        return result


def png_of(args):
    return web.png_pixels(render(args, "png")[0])


def as_shown(driver):
    """tarsel-render's options for the size and scale the page shows."""
    size, scale = page_test.shown_as(driver)
    return ["--size", f"{size[0]}x{size[1]}", "--scale", scale]


def keys_of(script):
    """A script's tokens as WebDriver keys."""
    names = {"97": "a", "8": Keys.BACKSPACE, "47": "/", "44": ",", "13": Keys.ENTER,
             "9": Keys.TAB, "32": Keys.SPACE}
    return [names[t] for t in script.split()]


def downloads(case):
    folder = case.stack.enter_context(tempfile.TemporaryDirectory())
    case.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                {"behavior": "allow", "downloadPath": folder})
    return folder


def downloaded(driver, folder, suffix, timeout=120):
    """The bytes of the one file ending in `suffix` once it is complete; it is removed."""
    # Chromium may show the final name before the bytes are in (an empty file while its
    # .crdownload is still written): complete means not empty and nothing still being written.
    def done(_):
        present = os.listdir(folder)
        if any(n.endswith(".crdownload") for n in present):
            return None
        names = [n for n in present if n.endswith(suffix) and
                 os.path.getsize(os.path.join(folder, n)) > 0]
        return names[0] if names else None
    name = web.wait_until(driver, done, timeout)
    path = os.path.join(folder, name)
    with open(path, "rb") as f:
        data = f.read()
    os.remove(path)
    return name, data


def fresh(driver, window=page_test.SMALL_WINDOW):
    """The animation at its first frame, with the keys going to the canvas; in the small window
    the page draws the design size smaller (scale 0.68), in the roomy one at scale 1."""
    driver.get("about:blank")
    page_test.open_live(driver, window)


class Links(OneBrowser):
    # The frame after steps, tenths, BackSpace and "/", the link "Copy link" gives for it, and
    # the options of tarsel-render that name the same frame.
    STATES = [
        ("97 97", "at=5", ["--at", "5"]),
        ("97 13 13 9", "at=4.775", ["--at", "4.775"]),
        ("97 8", "at=4.75&acc=1", ["--at", "4.75", "--acc"]),
        ("47 97 97", "at=5&accumulate=1", ["--at", "5", "--accumulate"]),
        ("8 47 44 13", "at=4.275&acc=1&accumulate=1",
         ["--at", "4.275", "--acc", "--accumulate"]),
        ("97 97 97 32", "at=4.5", ["--at", "4.5"]),
    ]

    def test_a_link_opens_the_frame_tarsel_render_draws(self):
        d = self.driver
        for keys, query, options in self.STATES:
            with self.subTest(keys=keys):
                fresh(d)
                for key in keys_of(keys):
                    step(d, lambda: press(d, key))
                d.find_element(By.ID, "copy-link").click()
                field = d.find_element(By.ID, "link-field")
                web.wait_until(d, lambda d: field.get_attribute("value"))
                link = field.get_attribute("value")
                self.assertEqual(link, page_test.PAGE + "?" + query)
                self.assertIn("ink", text(d, "exports-status"))  # "Link copied" or "...the link"

                d.get("about:blank")
                d.get(link)
                web.wait_until(d, lambda d: web.dataset(d, "link") == "open")
                web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
                self.assertSamePixels(web.canvas_pixels(d), png_of(options + as_shown(d)),
                                      "link-" + query)
                # Interactive from there: the next key steps on.
                k = float(text(d, "k-value"))
                step(d, lambda: press(d, "a"))
                self.assertAlmostEqual(float(text(d, "k-value")), k + 0.25, places=9)

    def test_a_bad_link_says_so_in_one_line_and_starts_at_frame_1(self):
        d = self.driver
        d.set_window_size(*page_test.SMALL_WINDOW)
        for query, named in [("at=4.51", "at='4.51'"), ("at=21", "at='21'"),
                             ("at=abc&acc=1", "at='abc': not a number"), ("acc=2", "acc='2'"),
                             ("at=5&accumulate=yes", "accumulate='yes'"),
                             # Given twice: neither value is taken, as on the command line.
                             ("at=5&at=5", "the link gives at twice"),
                             ("acc=1&trace=1&acc=0", "the link gives acc twice")]:
            with self.subTest(query=query):
                d.get("about:blank")
                d.get(page_test.PAGE + "?" + query)
                web.wait_frames(d, 1)
                self.assertEqual(web.dataset(d, "link"), "bad")
                status = text(d, "status")
                self.assertIn(named, status)
                self.assertIn("starting at the first frame", status)
                self.assertEqual(len(status.splitlines()), 1, status)
                self.assertSamePixels(web.canvas_pixels(d), page_test.as_page(d, ""), "bad-link")
                self.assertEqual(text(d, "k-value"), "4.500")


def svg_drawn_by_chromium(driver, svg, size):
    """Chromium's rendering of an SVG at its own size: (width, height, RGB)."""
    url = "data:image/svg+xml;base64," + base64.b64encode(svg).decode("ascii")
    png = driver.execute_async_script("""
        const [url, width, height, done] = arguments;
        const img = new Image();
        img.onload = () => {
          const c = document.createElement('canvas');
          c.width = width;
          c.height = height;
          const ctx = c.getContext('2d', {alpha: false});
          ctx.fillStyle = '#000';
          ctx.fillRect(0, 0, width, height);
          ctx.drawImage(img, 0, 0, width, height);
          done(c.toDataURL('image/png'));
        };
        img.onerror = () => done(null);
        img.src = url;""", url, size[0], size[1])
    assert png, "Chromium could not draw the SVG"
    return web.data_url_pixels(png)


def differing(drawn, png):
    """The pixels that differ, and those of them that are not on an antialiased edge. Where both
    pictures show a colour the program draws with, they must agree: a line is where it should
    be, in its colour, the aliased width-1 lines included. Where one shows a blend, the other may
    differ, but for the inside of a curve, whose 3 x 3 pixels the PNG shows in one colour: there
    only the rounding of blends drawn over one another may show, at most 2 in any channel."""
    (w, h, a), (_, _, b) = drawn, png

    def pixel(rgb, x, y):
        return rgb[3 * (w * y + x):3 * (w * y + x) + 3]

    differ, elsewhere = [], []
    for y in range(h):
        for x in range(w):
            mine, theirs = pixel(b, x, y), pixel(a, x, y)
            if mine == theirs:
                continue
            differ.append((x, y))
            if mine in DRAWING and theirs in DRAWING:
                elsewhere.append((x, y))
                continue
            near = {pixel(b, i, j) for j in range(max(0, y - 1), min(h, y + 2))
                    for i in range(max(0, x - 1), min(w, x + 2))}
            if len(near) == 1 and max(abs(p - q) for p, q in zip(mine, theirs)) > 2:
                elsewhere.append((x, y))
    return differ, elsewhere


class Exports(OneBrowser):
    def test_save_svg_writes_the_bytes_of_tarsel_render(self):
        d = self.driver
        folder = downloads(self)
        fresh(d)
        script = "97 47 97 8 9"  # frames piling up, with velocity and acceleration
        for key in keys_of(script):
            step(d, lambda: press(d, key))
        for palette in ["exact", "distinguishable"]:
            with self.subTest(palette=palette):
                if palette != "exact":
                    d.find_element(By.ID, "palette-switch").click()
                d.find_element(By.ID, "save-svg").click()
                name, svg = downloaded(d, folder, ".svg")
                self.assertEqual(name, "tarsel-k4.975.svg")
                want = render(["--script", script, "--palette", palette] + as_shown(d), "svg")[0]
                self.assertTrue(svg == want, f"the page's SVG ({len(svg)} bytes) differs from "
                                             f"tarsel-render --svg ({len(want)} bytes)")
        d.find_element(By.ID, "palette-switch").click()  # the exact colours for the other tests

    def test_chromium_draws_the_svg_as_the_png_but_for_antialiased_edges(self):
        for script, scale in [("", 1), ("97 8", 1), ("47 97 97", 1), ("97 8", 2)]:
            with self.subTest(script=script, scale=scale):
                png, svg = render(["--script", script, "--scale", str(scale)], "png", "svg")
                png = web.png_pixels(png)
                drawn = svg_drawn_by_chromium(self.driver, svg, png[:2])
                differ, elsewhere = differing(drawn, png)
                print(f"\n  SVG '{script}' at scale {scale}, {png[0]}x{png[1]}, {len(svg)} bytes: "
                      f"{len(differ)} pixels differ from --png, all on antialiased edges",
                      file=sys.stderr)
                self.assertFalse(elsewhere, f"{len(elsewhere)} differing pixels away from "
                                            f"antialiased edges, the first {elsewhere[:5]}")
                # The thick curves' edges only: a small share of the picture.
                self.assertLess(len(differ), png[0] * png[1] // 20)

    def test_save_the_sweep_writes_the_gif_of_tarsel_render(self):
        d = self.driver
        folder = downloads(self)
        fresh(d, page_test.ROOMY_WINDOW)
        plain = " ".join(["97"] * 62)
        for label in [False, True]:
            with self.subTest(label=label):
                box = d.find_element(By.ID, "sweep-label")
                if box.is_selected() != label:
                    box.click()
                frames = web.frames(d)
                started = time.monotonic()
                d.find_element(By.ID, "save-sweep").click()
                # The animation stays usable meanwhile: a key draws the next frame at once.
                progress = d.find_element(By.ID, "sweep-progress")
                self.assertTrue(progress.is_displayed())
                step(d, lambda: press(d, "a"))
                during = web.frames(d) == frames + 1 and progress.is_displayed()
                name, gif = downloaded(d, folder, ".gif")
                seconds = time.monotonic() - started
                self.assertTrue(during, "the animation did not go on while the GIF was written")
                self.assertEqual(name, "tarsel-k4.500-sweep" + ("-label" if label else "") + ".gif")
                want = render(["--script", plain] + (["--label"] if label else []) + as_shown(d),
                              "gif")[0]
                self.assertTrue(gif == want, f"the page's GIF ({len(gif)} bytes) differs from "
                                             f"tarsel-render --gif ({len(want)} bytes)")
                self.assertFalse(progress.is_displayed())
                print(f"\n  the 63-frame sweep{' labelled' if label else ''}, "
                      f"{' '.join(as_shown(d))}: {len(gif)} bytes, "
                      f"{d.execute_script('return tarselExports.lastSweepMs') / 1000:.2f} s in "
                      f"the page ({seconds:.2f} s to the file)", file=sys.stderr)
                step(d, lambda: press(d, Keys.SPACE))  # back at the first frame

        # A number of frames from a later frame, with the curves on, in the other colours.
        step(d, lambda: press(d, Keys.BACKSPACE))
        d.find_element(By.ID, "palette-switch").click()
        field = d.find_element(By.ID, "sweep-frames")
        before = web.frames(d)
        field.send_keys("5")
        time.sleep(0.2)
        self.assertEqual(web.frames(d), before, "typing in the field stepped the animation")
        d.find_element(By.ID, "save-sweep").click()
        _, gif = downloaded(d, folder, ".gif")
        want = render(["--at", "4.5", "--acc", "--sweep", "5", "--label", "--palette",
                       "distinguishable"] + as_shown(d), "gif")[0]
        self.assertTrue(gif == want, "the 5-frame sweep differs from tarsel-render --sweep 5")
        d.find_element(By.ID, "palette-switch").click()
        # A bad number of frames is named in one line.
        field.clear()
        field.send_keys("0")
        d.find_element(By.ID, "save-sweep").click()
        self.assertIn("'0'", text(d, "exports-status"))
        self.assertEqual(len(text(d, "exports-status").splitlines()), 1)


SERVER = contextlib.ExitStack()


def setUpModule():
    page_test.PAGE = SERVER.enter_context(web.serve(page_test.SITE))


def tearDownModule():
    SERVER.close()


if __name__ == "__main__":
    page_test.main()
