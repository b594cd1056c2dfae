#!/usr/bin/env python3
"""The page's controls that change the mechanism, in headless Chromium, against tarsel-render.

    explore_test.py --site DIR --render TARSEL_RENDER --axe AXE [unittest arguments]

Every change goes through the browser's own input (typed numbers, slider keys, a drag, clicks);
every picture is compared with tarsel-render's for the same frame and configuration.
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser as web  # noqa: E402
import page_test  # noqa: E402
from exports_test import as_shown, png_of  # noqa: E402
from page_test import OneBrowser, press, step, text  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

FRAME = ["--at", "6.5", "--acc"]  # the frame the tests open at: ?at=6.5&acc=1


class Configuration:
    """The numbers on the fields, as tarsel-render's options."""

    def __init__(self):
        self.linkage = ["31.5", "7", "25", "31"]
        self.reference = "65"
        self.piston = ["25.5", "100"]
        self.crossed = False

    def options(self):
        return ["--linkage", ",".join(self.linkage), "--reference", self.reference,
                "--piston", ",".join(self.piston)] + (["--assembly", "crossed"] if self.crossed
                                                      else [])

    def set(self, key, value):
        places = {"ground": (self.linkage, 0), "crank": (self.linkage, 1),
                  "coupler": (self.linkage, 2), "rocker": (self.linkage, 3),
                  "piston-radius": (self.piston, 0), "rod": (self.piston, 1)}
        if key == "reference":
            self.reference = value
        else:
            values, i = places[key]
            values[i] = value


def typed(driver, key, value):
    """Types a number into a field and takes it with Enter."""
    field = driver.find_element(By.ID, f"explore-{key}")
    driver.execute_script("arguments[0].focus(); arguments[0].select();", field)
    ActionChains(driver).send_keys(Keys.BACKSPACE, value, Keys.ENTER).perform()


def slid(driver, key, arrow):
    """One step of a slider from the keyboard; its new value."""
    slider = driver.find_element(By.ID, f"explore-{key}-slider")
    driver.execute_script("arguments[0].focus()", slider)
    ActionChains(driver).send_keys(arrow).perform()
    return slider.get_attribute("value")


def click(driver, element_id):
    driver.find_element(By.ID, element_id).click()


def analysis(driver):
    return text(driver, "explore-analysis")


class Explore(OneBrowser):
    def open(self, query="at=6.5&acc=1"):
        d = self.driver
        d.get("about:blank")
        d.set_window_size(*page_test.ROOMY_WINDOW)
        d.get(f"{page_test.PAGE}?{query}")
        web.wait_until(d, lambda d: web.dataset(d, "link") == "open")

    def assertDraws(self, options, name, frame=FRAME):
        d = self.driver
        self.assertSamePixels(web.canvas_pixels(d), png_of(frame + options + as_shown(d)), name)

    def test_each_field_and_slider_draws_what_tarsel_render_draws(self):
        d = self.driver
        self.open()
        c = Configuration()
        # Each change on top of the ones before it; a slider's step is 0.5.
        changes = [("crank", "typed", "8"), ("coupler", "slid", Keys.ARROW_RIGHT),
                   ("reference", "typed", "50"), ("ground", "slid", Keys.ARROW_LEFT),
                   ("rocker", "typed", "2.95e1"), ("piston-radius", "typed", "30"),
                   ("rod", "slid", Keys.ARROW_LEFT), ("assembly", "click", None)]
        steps = []
        for key, how, value in changes:
            with self.subTest(key=key, how=how):
                if how == "typed":
                    step(d, lambda: typed(d, key, value))
                    c.set(key, value)
                elif how == "slid":
                    step(d, lambda: c.set(key, slid(d, key, value)))
                else:
                    step(d, lambda: click(d, "explore-assembly"))
                    c.crossed = True
                self.assertDraws(c.options(), f"explore-{key}")
                steps.append(c.options())

        # Undo twice, Redo once: the configurations before, drawn again.
        for button, options in [("explore-undo", steps[-2]), ("explore-undo", steps[-3]),
                                ("explore-redo", steps[-2])]:
            with self.subTest(button=button):
                step(d, lambda: click(d, button))
                self.assertDraws(options, button)

        # The link carries the configuration and opens it again.
        click(d, "copy-link")
        field = d.find_element(By.ID, "link-field")
        link = web.wait_until(d, lambda d: field.get_attribute("value"))
        self.assertIn("linkage=31,8,25.5,29.5", link)
        self.assertIn("piston=30,99.5", link)
        self.open(link.split("?", 1)[1])
        self.assertDraws(steps[-2], "link")
        self.assertEqual(d.find_element(By.ID, "explore-rocker").get_attribute("value"), "29.5")

        # Built-in: today's pixels, and today's link.
        step(d, lambda: click(d, "explore-builtin"))
        self.assertDraws([], "built-in")
        self.assertTrue(d.find_element(By.ID, "explore-builtin").get_property("disabled"))

    def test_a_bad_value_is_refused_beside_its_field(self):
        d = self.driver
        self.open()
        before = web.canvas_pixels(d)
        frames = web.frames(d)
        for key, value, words in [("crank", "0", "0"), ("rod", "20", "20"),
                                  ("ground", "20000", "20000")]:
            with self.subTest(key=key, value=value):
                typed(d, key, value)
                message = d.find_element(By.ID, f"explore-{key}-message")
                web.wait_until(d, lambda d: message.is_displayed())
                self.assertIn(words, message.text)
                self.assertEqual(len(message.text.splitlines()), 1, message.text)
                field = d.find_element(By.ID, f"explore-{key}")
                self.assertEqual(field.get_attribute("aria-invalid"), "true")
        self.assertEqual(web.frames(d), frames)
        self.assertSamePixels(web.canvas_pixels(d), before, "refused")
        if page_test.AXE:
            d.execute_script(page_test.AXE)
            found = d.execute_async_script(
                "const done = arguments[arguments.length - 1];"
                "axe.run(document).then((r) => done(r.violations.map((v) => v.id)));")
            self.assertEqual(found, [], "axe with a refused value")
        # Escape gives the keys back to the picture; the next key steps the animation.
        ActionChains(d).send_keys(Keys.ESCAPE).perform()
        self.assertEqual(d.execute_script("return document.activeElement.id"), "canvas")
        step(d, lambda: press(d, "a"))
        self.assertDraws([], "after Escape", ["--at", "6.75", "--acc"])

    def test_linkages_that_close_on_part_of_the_turn_or_never(self):
        d = self.driver
        for linkage, class_name, says in [("10,9,8,15", "triple-rocker", "does not close"),
                                          ("100,5,10,10", "", "at no crank angle")]:
            with self.subTest(linkage=linkage):
                self.open(f"linkage={linkage}&at=6.5&acc=1")
                self.assertDraws(["--linkage", linkage], linkage)
                words = analysis(d) + text(d, "probe-readout")
                self.assertIn(class_name, words)
                self.assertIn(says, words)
                self.assertIsNone(re.search(r"\b(nan|inf|infinity)\b", words.lower()), words)

    def test_a_dragged_slider_draws_its_last_value(self):
        d = self.driver
        self.open()
        slider = d.find_element(By.ID, "explore-crank-slider")
        chain = ActionChains(d).click_and_hold(slider)
        for dx in range(12):
            chain.move_by_offset(3, 0)
        chain.release().perform()
        value = slider.get_attribute("value")
        web.wait_until(d, lambda d: f"linkage=31.5,{value},25,31" in
                       (web.dataset(d, "explore") or ""))
        # Once the queue is empty the last frame is the last value's.
        web.wait_until(d, lambda d: web.dataset(d, "tarsel") == "waiting")
        self.assertDraws(["--linkage", f"31.5,{value},25,31"], "dragged")
        # The drag was one step: Undo returns to the built-in mechanism.
        step(d, lambda: click(d, "explore-undo"))
        self.assertDraws([], "drag undone")


def setUpModule():
    page_test.setUpModule()


def tearDownModule():
    page_test.tearDownModule()


if __name__ == "__main__":
    page_test.main()
