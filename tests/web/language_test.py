#!/usr/bin/env python3
"""The page in every language of the catalogues, in headless Chromium.

    language_test.py --site DIR --render TARSEL_RENDER --axe AXE [unittest arguments]

Languages: for each language, <html lang> and dir, axe-core clean, nothing wider than the
screen at 1366 x 768 and 390 x 844, the canvas and the mechanism view the very pixels of the
English page's. Whole: no text of the English interface left (the caption aside): a text the
language's page shows as the English page shows it is a fault, unless its catalogue gives it so
(a word two languages share) or it has no word of letters (a number with its unit, a
point's name). Pseudo: the same
against the pseudo-language en-XA (every text longer, accented), and no control whose text is
cut off or spills out of its box at either size. Choosing: a German browser gets German without
a parameter, an unknown locale gets English, the menu's choice is kept on the device. LanguageOffline:
the language's catalogue is kept by the service worker for a visit without a network, and the
page in one file carries every catalogue.
"""

import json
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser as web  # noqa: E402
import explore_test  # noqa: E402
import page_test  # noqa: E402
from page_test import OneBrowser  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import Select  # noqa: E402

# language, <html dir>
LANGUAGES = [("de", "ltr"), ("fr", "ltr"), ("es", "ltr"), ("pt-BR", "ltr"), ("zh-CN", "ltr"),
             ("ja", "ltr"), ("ar", "rtl")]
SCREENS = [("desktop", 1366, 768, False), ("phone", 390, 844, True)]


def catalogue(language):
    with open(os.path.join(page_test.SITE, "lang", f"{language}.json"), encoding="utf-8") as f:
        return json.load(f)


def open_in(driver, language, query=""):
    """The page in `language` (None: as the browser chooses), its first frame drawn."""
    params = ([f"locale={language}"] if language else []) + ([query] if query else [])
    driver.get(page_test.PAGE + ("?" + "&".join(params) if params else ""))
    web.wait_until(driver, lambda d: web.dataset(d, "catalogue") is not None)
    web.wait_frames(driver, 1)


def pictures(driver):
    """The device pixels of the picture and of the mechanism view (their canvases alone, without
    the names written over them, which are in the language)."""
    return tuple(web.data_url_pixels(driver.execute_script(
        f"return document.getElementById('{name}').toDataURL('image/png')"))
        for name in ["canvas", "tarsel-mechanism"])


def words(text):
    """The text's runs of letters longer than three: not a number, a unit (rad), a point's or a
    variable's name (O, R, x, φ)."""
    return re.findall(r"[^\W\d_]{4,}", text)


def english_left(texts, english, entries):
    """The texts shown as the English page shows them that the catalogue does not give so."""
    same = set(texts) & set(english)
    return sorted(t for t in same if words(t) and entries.get(t) != t)


class Languages(OneBrowser):
    def english(self, width, height, touch):
        web.emulate(self.driver, width, height, 1, touch)
        open_in(self.driver, "en")
        return pictures(self.driver)

    def test_every_language(self):
        d = self.driver
        for screen, width, height, touch in SCREENS:
            english = self.english(width, height, touch)
            for language, direction in LANGUAGES:
                name = f"{language} {screen}"
                with self.subTest(name):
                    open_in(d, language)
                    self.assertEqual(web.dataset(d, "catalogue"), "loaded", name)
                    self.assertEqual(d.execute_script(
                        "return [document.documentElement.lang, document.documentElement.dir]"),
                        [language, direction], name)
                    self.assertEqual(web.wider_than_screen(d), 0, f"{name}: scrolls sideways")
                    # The pixels are the same in every language; only the words around change.
                    canvas, mechanism = pictures(d)
                    self.assertTrue(canvas == english[0], f"{name}: the canvas differs")
                    self.assertTrue(mechanism == english[1], f"{name}: the mechanism differs")
                    # The picture, the mechanism view and the plot keep their own direction.
                    for element in ["stage", "mechanism-box", "timing-plot", "caption"]:
                        self.assertEqual(d.execute_script(
                            f"return getComputedStyle(document.getElementById('{element}'))"
                            ".direction"), "ltr", f"{name}: {element}")
                    if screen == "desktop" and page_test.AXE:
                        found = web.axe_violations(d, page_test.AXE)
                        self.assertEqual(found, [], f"axe, {name}: {found}")
        web.emulate(d, 1280, 800, 1, touch=False)


class Whole(OneBrowser):
    """No English left: passes once the translators are done (po_Catalogues says which are)."""

    languages = [language for language, _ in LANGUAGES]

    def test_no_english_left(self):
        d = self.driver
        open_in(d, "en")
        english = web.page_texts(d)
        for language in self.languages:
            with self.subTest(language):
                open_in(d, language)
                left = english_left(web.page_texts(d), english, catalogue(language))
                self.assertEqual(left, [], f"{language}: English left")


class Pseudo(Whole):
    """en-XA: the catalogue of every text of the template, each about 40 % longer."""

    languages = ["en-XA"]

    def test_no_control_clipped(self):
        d = self.driver
        for screen, width, height, touch in SCREENS:
            with self.subTest(screen):
                web.emulate(d, width, height, 1, touch)
                open_in(d, "en-XA")
                self.assertEqual(d.execute_script("return document.documentElement.lang"),
                                 "en-XA")
                self.assertEqual(web.clipped_controls(d), [], screen)
                self.assertEqual(web.wider_than_screen(d), 0, f"{screen}: scrolls sideways")
        web.emulate(d, 1280, 800, 1, touch=False)


class Choosing(unittest.TestCase):
    def test_the_browser_the_device_and_the_link(self):
        with web.chromium(language="de-DE") as d:
            open_in(d, None)
            self.assertEqual(d.execute_script("return navigator.languages"), ["de-DE"])
            self.assertEqual(web.dataset(d, "language"), "de", "a German browser")
            entries = catalogue("de")
            if entries.get("decimal separator\x04.") == ",":
                # Numbers on the screen as German writes them, typed so too; the link (data)
                # keeps its point.
                self.assertEqual(d.find_element(By.ID, "k-value").text, "4,500")
                explore_test.typed(d, "crank", "7,5")
                web.wait_until(d, lambda d: "linkage=31.5,7.5," in (web.dataset(d, "explore") or ""))
                self.assertEqual(d.find_element(By.ID, "explore-crank").get_attribute("value"), "7,5")
            # A bad profile file: the line the core's reader (in the sweep's worker) names, and
            # the page's sentence around it, both German.
            web.drop_file(d, 'bad.csv', 'angle,lift\n0,1\n2,1\n1,1\n3,0\n4,0\n')
            web.wait_until(d, lambda d: web.dataset(d, "profile") == "bad")
            said = d.find_element(By.ID, "profile-status").get_attribute("textContent")
            line = entries["line %1$s: %2$s"].split("%1$s")[0]
            kept = entries["%1$s: %2$s. The profile on the picture stays."].split("%2$s")[1]
            self.assertIn(line + "4", said)
            self.assertTrue(said.endswith(kept), said)
            # A locale the page does not have: English, and no catalogue fetched.
            open_in(d, "xx-YY")
            self.assertEqual([web.dataset(d, "language"), web.dataset(d, "catalogue")],
                             ["en", "none"])
            self.assertEqual(d.find_element(By.ID, "k-value").text, "4.500")
            # The menu lists each language in its own name and language, and its choice is
            # kept: the page opens in it again, over the browser's language, at the same frame.
            open_in(d, None, "at=6.5")
            menu = d.find_element(By.ID, "language")
            options = d.execute_script(
                "return [...arguments[0].options].map((o) => [o.value, o.lang, o.text])", menu)
            self.assertIn(["fr", "fr", "Français"], options)
            self.assertIn(["ar", "ar", "العربية"], options)
            self.assertGreaterEqual(menu.size["height"], 44)
            Select(menu).select_by_value("fr")
            web.wait_until(d, lambda d: "locale=fr" in d.current_url)
            self.assertIn("at=6.5", d.current_url)
            open_in(d, None)
            self.assertEqual(web.dataset(d, "language"), "fr", "the choice kept")


def setUpModule():
    page_test.setUpModule()


class LanguageOffline(unittest.TestCase):
    def test_the_language_kept_for_offline_visits(self):
        """The catalogue came before the service worker: the worker keeps it all the same."""
        with web.chromium() as d:
            open_in(d, "en-XA")
            web.wait_until(d, lambda d: d.execute_script(
                "return navigator.serviceWorker.controller !== null") or d.refresh())
            web.wait_until(d, lambda d: d.execute_async_script(
                "const done = arguments[arguments.length - 1];"
                "caches.keys().then((names) => Promise.all(names.map((n) => caches.open(n)"
                "  .then((c) => c.match('lang/en-XA.json'))))).then((m) => done(m.some(Boolean)))"))
            web.offline(d, True)
            try:
                d.refresh()
                web.wait_until(d, lambda d: web.dataset(d, "catalogue") is not None)
                self.assertEqual(web.dataset(d, "catalogue"), "loaded")
                self.assertTrue(d.find_element(By.ID, "present").text.startswith("⟦"))
            finally:
                web.offline(d, False)

    def test_the_page_in_one_file_carries_them(self):
        """From the disk, where nothing can be fetched, every language is in the file itself."""
        one_file = os.path.join(os.path.dirname(page_test.SITE), "tarsel.html")
        with web.chromium() as d:
            d.get(f"file://{one_file}?locale=en-XA")
            web.wait_until(d, lambda d: web.dataset(d, "catalogue") is not None)
            self.assertEqual(web.dataset(d, "catalogue"), "loaded")
            self.assertTrue(d.find_element(By.ID, "present").text.startswith("⟦"))


def tearDownModule():
    page_test.tearDownModule()


if __name__ == "__main__":
    page_test.main()
