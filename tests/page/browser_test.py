#!/usr/bin/python3
"""Opens the genre reference pages in headless Chromium and checks what they show.

Usage: browser_test.py --pages RES_DIR --artifacts DIR (screenshots of every view go there)
"""
import argparse
import os
import shutil
import sys
import tempfile
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

WAIT = 15
ARGS = None
# file, charset, lang, title, number header, genre header (a Latin 'a' in the Russian one),
# start of the no-script text
ENGLISH = ("id3genres.html", "windows-1252", "en", "ID3 Genres", "No.", "Genre", "This page requires script")
RUSSIAN = ("id3genres.ru.html", "windows-1251", "ru", "Жанры ID3", "Номер", "Жaнр", "Для просмотра этой страницы")

# The rows on view, with the header, classes and the computed styles that matter.
READ_VIEW = """
const table = document.querySelector('#content table');
if (!table) return null;
const style = e => getComputedStyle(e);
const link = c => c.querySelector('a') ? c.querySelector('a').getAttribute('href') : null;
return {html: content.innerHTML, list: genresList,
  header: Array.from(table.tHead.rows[0].cells).map(c => [c.innerText, link(c)]),
  thicker: parseFloat(style(table.tHead.rows[0].cells[0]).borderBottomWidth) >
           parseFloat(style(table.tBodies[0].rows[0].cells[0]).borderBottomWidth),
  rows: Array.from(table.tBodies[0].rows).map(r => [+r.cells[0].innerText, r.cells[1].innerText, r.className,
    style(r).backgroundColor, style(r.cells[0]).textAlign, style(r.cells[0]).borderRightStyle])};
"""


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.profile = tempfile.mkdtemp(prefix="velkor-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--window-size=800,3600",
                     "--user-data-dir=" + cls.profile):
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        service = Service("/usr/bin/chromedriver", log_path=os.path.join(ARGS.artifacts, "chromedriver.log"))
        try:
            cls.driver = webdriver.Chrome(service=service, options=options)
        finally:
            if not hasattr(cls, "driver"):
                shutil.rmtree(cls.profile, ignore_errors=True)
        cls.driver.set_page_load_timeout(WAIT)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def open(self, page):
        self.driver.get("file://" + os.path.join(ARGS.pages, page[0]))
        self.assertEqual(self.driver.title, page[3])
        self.assertEqual(self.driver.execute_script("return [document.characterSet, document.documentElement.lang]"),
                         list(page[1:3]))

    def screenshot(self, name):  # the window is tall enough for the whole table
        self.driver.save_screenshot(os.path.join(ARGS.artifacts, name + ".png"))

    def view(self, first_number, page, links, name):
        view = WebDriverWait(self.driver, WAIT).until(lambda d: (lambda v: v if v and len(v["rows"]) == 148 and
                                                                 v["rows"][0][0] == first_number else None)(
            d.execute_script(READ_VIEW)))
        self.screenshot(name)
        rows = view["rows"]
        self.assertEqual(view["header"], [[page[4], links[0]], [page[5], links[1]]])
        self.assertTrue(view["thicker"], "the header's bottom border is thicker than a row's")
        faded = rows[1][3]
        self.assertNotIn(faded, ("transparent", "rgba(0, 0, 0, 0)"))
        for i, row in enumerate(rows):  # shading by position, not by genre number
            self.assertEqual(row[2:], ["faded" if i % 2 else "", faded if i % 2 else "rgba(0, 0, 0, 0)", "right", "solid"],
                             row + [i])
        self.assertEqual(sorted(r[:2] for r in rows), [[n, name] for n, name in enumerate(view["list"])])
        return view

    def walk(self, page):
        """Name view, number view after a click on its header, name view again."""
        self.open(page)
        by_name = self.view(123, page, ("javascript:CreateTable()", None), page[2] + "-by-name")
        self.driver.find_element(By.CSS_SELECTOR, "#content th a").click()
        by_number = self.view(0, page, (None, "javascript:CreateSortedTable()"), page[2] + "-by-number")
        self.driver.find_element(By.CSS_SELECTOR, "#content th a").click()
        self.assertEqual(self.view(123, page, ("javascript:CreateTable()", None), page[2] + "-again")["html"],
                         by_name["html"])
        self.assertEqual([e for e in self.driver.get_log("browser") if e["level"] == "SEVERE"], [])
        return by_name, by_number

    def test_views(self):
        by_name, by_number = self.walk(ENGLISH)
        self.assertEqual([by_number["rows"][n][1] for n in (0, 17, 28, 147)], ["Blues", "Rock", "Vocal", "Synthpop"])
        # Case and hyphens are ignored, the rest goes by character code.
        names = [row[1] for row in by_name["rows"]]
        keys = [name.replace("-", "").lower() for name in names]
        self.assertEqual(keys, sorted(keys))
        self.assertIn("<td>Rock &amp; Roll</td>", by_name["html"])
        self.assertEqual([r[:2] for r in self.walk(RUSSIAN)[0]["rows"]], [r[:2] for r in by_name["rows"]])

    def test_no_script_paragraph(self):
        self.driver.execute_cdp_cmd("Emulation.setScriptExecutionDisabled", {"value": True})
        self.addCleanup(self.driver.execute_cdp_cmd, "Emulation.setScriptExecutionDisabled", {"value": False})
        for page in (ENGLISH, RUSSIAN):
            self.open(page)
            paragraph = self.driver.find_element(By.CSS_SELECTOR, "noscript > p, body > p")
            self.assertTrue(paragraph.is_displayed() and paragraph.text.startswith(page[6]), paragraph.text)
            self.assertEqual(self.driver.find_element(By.ID, "content").get_attribute("innerHTML"), "")
            self.screenshot(page[2] + "-no-script")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--pages", required=True)
    parser.add_argument("--artifacts", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.pages, ARGS.artifacts = os.path.abspath(ARGS.pages), os.path.abspath(ARGS.artifacts)
    os.makedirs(ARGS.artifacts, exist_ok=True)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)
