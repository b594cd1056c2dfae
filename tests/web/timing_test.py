#!/usr/bin/env python3
"""Valve timing in the page, in headless Chromium, against tarsel-render.

    timing_test.py --site DIR --render TARSEL_RENDER [unittest arguments]

The events of the frame on the canvas equal --report's "timing"; the timing plot and "Save
timing data" equal --timing-png and --timing-csv (and with semicolons, --csv-style semicolon); an opened profile draws what --profile draws,
and a bad one leaves the picture as it was.
"""

import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser as web  # noqa: E402
import page_test  # noqa: E402
from exports_test import as_shown, downloaded, downloads, png_of  # noqa: E402
from explore_test import click  # noqa: E402
from page_test import OneBrowser, step, text  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

LINKAGE = ["--linkage", "31.5,8,25,31"]  # a mechanism of its own: the plot is not the built-in
QUERY = "linkage=31.5,8,25,31&at=6.5&acc=1"
FRAME = ["--at", "6.5", "--acc"]
# A profile of its own as a spreadsheet in many countries writes it: semicolons, decimal commas.
PROFILE = "Winkel;Hub\r\n-70;0\r\n-40;1,5\r\n-20;5\r\n0;7,25\r\n25;4\r\n45;1\r\n80;0\r\n"


def report_timing(args):
    out = subprocess.run([page_test.RENDER, *args, "--report", "-"], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)["timing"]


def timing_files(args):
    """tarsel-render's --timing-png and --timing-csv bytes for `args`."""
    with tempfile.TemporaryDirectory() as d:
        png, csv = os.path.join(d, "t.png"), os.path.join(d, "t.csv")
        subprocess.run([page_test.RENDER, *args, "--timing-png", png, "--timing-csv", csv],
                       check=True)
        with open(png, "rb") as p, open(csv, "rb") as c:
            return p.read(), c.read()


def take_threshold(driver, value):
    field = driver.find_element(By.ID, "timing-threshold")
    driver.execute_script("arguments[0].focus(); arguments[0].select();", field)
    ActionChains(driver).send_keys(Keys.BACKSPACE, value, Keys.ENTER).perform()


def page_timing(driver):
    return driver.execute_script("return tarselTiming.report()")


class Timing(OneBrowser):
    def open(self, query=QUERY):
        d = self.driver
        d.get("about:blank")
        d.set_window_size(*page_test.ROOMY_WINDOW)
        d.get(f"{page_test.PAGE}?{query}")
        web.wait_until(d, lambda d: web.dataset(d, "link") == "open")
        web.wait_until(d, lambda d: web.dataset(d, "timing") == "6.5")

    def test_events_equal_the_report_at_each_checking_lift(self):
        d = self.driver
        self.open()
        for typed, threshold in [(None, 1), ("2.5", 2.5), ("7", 7), ("12", 12)]:
            with self.subTest(threshold=threshold):
                if typed:
                    take_threshold(d, typed)
                    web.wait_until(d, lambda d: page_timing(d)["threshold"] == threshold)
                expected = report_timing(LINKAGE + FRAME + ["--threshold", str(threshold)])
                self.assertEqual(page_timing(d), expected)
                # The marker stands at the checking lift: 688/13 logical pixels a unit of lift
                # down from lift 10 at the canvas's top edge (scale 1 in this window).
                top = d.execute_script(
                    "const m = document.getElementById('lift-marker').getBoundingClientRect();"
                    "return m.top - document.getElementById('canvas').getBoundingClientRect().top")
                self.assertAlmostEqual(top, (10 - threshold) * 688 / 13, delta=1)
                table = text(d, "timing-events")
                blue = expected["blue"]
                if blue:
                    self.assertIn(f"x = {blue['opening']:.2f}", table)
                    self.assertIn("TDC", table + text(d, "announce"))
                else:
                    self.assertIn("never reaches the checking lift", table)
        # A lift of no use is refused beside its field; the events stay.
        take_threshold(d, "-1")
        error = d.find_element(By.ID, "timing-threshold-error")
        web.wait_until(d, lambda d: error.is_displayed())
        self.assertIn("'-1'", error.text)
        self.assertEqual(page_timing(d)["threshold"], 12)

    def test_the_announcement_says_where_blue_opens_and_closes(self):
        d = self.driver
        self.open()
        expected = report_timing(LINKAGE + FRAME)
        words = text(d, "announce") or d.execute_script(
            "return document.getElementById('announce').textContent")
        self.assertIn("blue opens", words)
        shift = expected["blue"]["opening_crank"] - expected["red"]["opening_crank"]
        self.assertIn(f"{abs(shift):.1f}° {'later' if shift > 0 else 'earlier'} than the red's",
                      words)
        self.assertIn("blue closes", words)

    def test_plot_and_data_equal_tarsel_render(self):
        d = self.driver
        folder = downloads(self)
        self.open()
        click(d, "timing-sweep")
        web.wait_until(d, lambda d: web.dataset(d, "timingPlot") == "6.5", 60)
        plot = web.data_url_pixels(d.execute_script(
            "return document.getElementById('timing-plot').toDataURL('image/png')"))
        png, csv = timing_files(LINKAGE + FRAME)
        self.assertSamePixels(plot, web.png_pixels(png), "timing-plot")
        click(d, "save-timing")
        _, saved = downloaded(d, folder, "-timing.csv")
        self.assertEqual(saved, csv)
        # Another checking lift: the plot follows it.
        take_threshold(d, "3")
        web.wait_until(d, lambda d: d.execute_script(
            "return tarselTiming.report().threshold") == 3)
        click(d, "save-timing")
        _, saved = downloaded(d, folder, "-timing.csv")
        self.assertEqual(saved, timing_files(LINKAGE + FRAME + ["--threshold", "3"])[1])

    def test_the_semicolon_downloads_equal_tarsel_render_csv_style_semicolon(self):
        # With the switch "Data with semicolons" on, "Save timing data", "Save data" and "Save
        # piston data" save what tarsel-render --csv-style semicolon writes for the same keys.
        d = self.driver
        folder = downloads(self)
        self.open()
        click(d, "csv-semicolons")
        self.assertTrue(d.find_element(By.ID, "csv-semicolons").is_selected())
        style = ["--csv-style", "semicolon"]
        click(d, "save-timing")
        _, saved = downloaded(d, folder, "-timing.csv")
        self.assertEqual(saved, timing_files(LINKAGE + FRAME + style)[1])
        self.assertIn(b";", saved)
        with tempfile.TemporaryDirectory() as t:
            csv, piston = os.path.join(t, "f.csv"), os.path.join(t, "p.csv")
            subprocess.run([page_test.RENDER, *LINKAGE, *FRAME, *style, "--csv", csv,
                            "--piston-csv", piston], check=True)
            with open(csv, "rb") as f, open(piston, "rb") as g:
                want_csv, want_piston = f.read(), g.read()
        click(d, "save-data")
        self.assertEqual(downloaded(d, folder, ".csv")[1], want_csv)
        click(d, "save-piston")
        self.assertEqual(downloaded(d, folder, ".csv")[1], want_piston)

    def test_an_opened_profile_draws_what_tarsel_render_draws(self):
        d = self.driver
        downloaded_to = downloads(self)
        self.open()
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "lobe.csv")
            with open(path, "w", newline="") as f:
                f.write(PROFILE)
            picker = d.find_element(By.ID, "profile-file")
            d.execute_script("arguments[0].hidden = false", picker)
            step(d, lambda: picker.send_keys(path))
            web.wait_until(d, lambda d: web.dataset(d, "profile") == "own")
            web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
            own = LINKAGE + ["--profile", path]
            self.assertSamePixels(web.canvas_pixels(d), png_of(FRAME + own + as_shown(d)),
                                  "own-profile")
            web.wait_until(d, lambda d: page_timing(d) == report_timing(own + FRAME))

            # The sweep's GIF draws it too.
            d.find_element(By.ID, "sweep-frames").send_keys("3")
            click(d, "save-sweep")
            _, gif = downloaded(d, downloaded_to, ".gif")
            with tempfile.TemporaryDirectory() as out:
                want = os.path.join(out, "s.gif")
                subprocess.run([page_test.RENDER, *FRAME, *own, "--sweep", "3", "--gif", want,
                                *as_shown(d)], check=True)
                with open(want, "rb") as f:
                    self.assertTrue(gif == f.read(), "the sweep's GIF with an own profile")

            # The link carries it and opens it again.
            click(d, "copy-link")
            field = d.find_element(By.ID, "link-field")
            link = web.wait_until(d, lambda d: field.get_attribute("value"))
            self.assertIn("profile=-70~0_-40~1.5_", link)
            d.get("about:blank")
            d.get(link)
            web.wait_until(d, lambda d: web.dataset(d, "profile") == "own")
            web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting" and
                           page_timing(d) == report_timing(own + FRAME))
            self.assertSamePixels(web.canvas_pixels(d), png_of(FRAME + own + as_shown(d)),
                                  "linked-profile")

        # A bad file dropped on the picture: one line naming the line, the profile kept.
        before, frames = web.canvas_pixels(d), web.frames(d)
        web.drop_file(d, 'bad.csv', 'angle,lift\n0,1\n2,1\n1,1\n3,0\n4,0\n')
        web.wait_until(d, lambda d: web.dataset(d, "profile") == "bad")
        said = text(d, "profile-status")
        self.assertIn("bad.csv: line 4:", said)
        self.assertEqual(len(said.splitlines()), 1, said)
        self.assertEqual(web.frames(d), frames)
        self.assertSamePixels(web.canvas_pixels(d), before, "kept")

        # Built-in: today's picture.
        step(d, lambda: click(d, "profile-builtin"))
        self.assertSamePixels(web.canvas_pixels(d), png_of(FRAME + LINKAGE + as_shown(d)),
                              "built-in")

    def test_labels_stand_at_their_ticks_at_every_size(self):
        d = self.driver
        for window in [page_test.ROOMY_WINDOW, page_test.SMALL_WINDOW, (700, 900)]:
            with self.subTest(window=window):
                d.get("about:blank")
                page_test.open_live(d, window)
                web.wait_until(d, lambda d: web.dataset(d, "timing") == "4.5")
                placed = d.execute_script(
                    "const c = document.getElementById('canvas').getBoundingClientRect();"
                    "const across = c.width / Number(document.documentElement.dataset"
                    "  .tarselSize.split('x')[0]);"
                    "return [...document.querySelectorAll('#picture-labels [data-key^=\"tick-\"], "
                    "  #picture-labels [data-key$=\"dc\"]')].filter((s) => !s.hidden).map((s) => {"
                    "  const r = s.getBoundingClientRect();"
                    "  return [s.textContent, r.left + r.width / 2 - c.left, across]; })")
                names = [p[0] for p in placed]
                self.assertIn("0°", names)
                self.assertIn("TDC", names)
                self.assertIn("BDC", names)
                # Where each must stand, from what it says: a tick's crank degrees are
                # 2 (x - 15), TDC is x = 15 and BDC x = 105.
                for name, centre, across in placed:
                    x = {"TDC": 15, "BDC": 105}.get(name) or 15 + float(name[:-1]) / 2
                    self.assertAlmostEqual(centre, (x + 50) * 962 / 230 * across, delta=1,
                                           msg=name)
                # The labels are over the canvas, not in it.
                self.assertSamePixels(web.canvas_pixels(d), page_test.as_page(d, ""), "labels")


class LabelsScaled(OneBrowser):
    """The labels at devicePixelRatio 2: the canvas has twice the device pixels, the labels the
    same CSS places."""

    scale = 2
    test_labels_stand_at_their_ticks_at_every_size = \
        Timing.test_labels_stand_at_their_ticks_at_every_size


def setUpModule():
    page_test.setUpModule()


def tearDownModule():
    page_test.tearDownModule()


if __name__ == "__main__":
    page_test.main()
