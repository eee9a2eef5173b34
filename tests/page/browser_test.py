#!/usr/bin/python3
"""Opens the genre reference page in headless Chromium and checks what it shows.

Usage: browser_test.py --pages RES_DIR --artifacts DIR [unittest arguments]
Screenshots of every view are written to the artifacts folder.
"""
import argparse
import base64
import os
import shutil
import sys
import tempfile
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
WAIT_SECONDS = 15
PAGES = None
ARTIFACTS = None

# The genre names by number, as the tag's genre byte carries them.
GENRES = [
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk",
    "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
    "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic",
    "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychedelic", "Rave",
    "Showtunes",
    "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Folk", "Folk/Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass",
    "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band",
    "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove",
    "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
    "Hardcore",
    "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangs", "Heavy Metal", "Black Metal",
    "Crossover",
    "Contemporary Chris", "Cristian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "Synthpop",
]

ENGLISH = {"file": "id3genres.html", "lang": "en", "charset": "windows-1252", "title": "ID3 Genres",
           "number": "No.", "genre": "Genre",
           "noscript": "This page requires script execution support. Enable it and try again."}
RUSSIAN = {"file": "id3genres.ru.html", "lang": "ru", "charset": "windows-1251", "title": "\u0416\u0430\u043d\u0440\u044b ID3",
           "number": "\u041d\u043e\u043c\u0435\u0440", "genre": "\u0416a\u043d\u0440",  # a Latin 'a' inside
           "noscript": "\u0414\u043b\u044f \u043f\u0440\u043e\u0441\u043c\u043e\u0442\u0440\u0430 "
                       "\u044d\u0442\u043e\u0439 \u0441\u0442\u0440\u0430\u043d\u0438\u0446\u044b "
                       "\u0442\u0440\u0435\u0431\u0443\u0435\u0442\u0441\u044f \u043f\u043e\u0434\u0434\u0435\u0440\u0436\u043a\u0430 "
                       "\u0432\u044b\u043f\u043e\u043b\u043d\u0435\u043d\u0438\u044f "
                       "\u0441\u0446\u0435\u043d\u0430\u0440\u0438\u0435\u0432. "
                       "\u0412\u043a\u043b\u044e\u0447\u0438\u0442\u0435 \u0435\u0435 \u0438 "
                       "\u043f\u043e\u043f\u0440\u043e\u0431\u0443\u0439\u0442\u0435 \u0441\u043d\u043e\u0432\u0430."}

# What the page shows, read in one go: the header cells, every body row with its class,
# rendered cell texts and computed styles.
READ_VIEW = """
const table = document.querySelector('#content table');
if (!table) return null;
const cell = c => ({text: c.innerText, link: c.querySelector('a') ? c.querySelector('a').getAttribute('href') : null,
                    border: getComputedStyle(c).borderRightStyle, align: getComputedStyle(c).textAlign});
return {
  html: content.innerHTML,
  header: Array.from(table.tHead.rows[0].cells).map(cell),
  thBottom: getComputedStyle(table.tHead.rows[0].cells[0]).borderBottomWidth,
  tdBottom: getComputedStyle(table.tBodies[0].rows[0].cells[0]).borderBottomWidth,
  rows: Array.from(table.tBodies[0].rows).map(r => ({
    className: r.className, background: getComputedStyle(r).backgroundColor,
    number: cell(r.cells[0]), name: r.cells[1].innerText})),
};
"""


def name_key(name):
    """The page's name order: case and hyphens ignored, the rest by character code."""
    return name.replace("-", "").lower()


def start_browser(user_data_dir, scripts):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=800,600", "--user-data-dir=" + user_data_dir):
        options.add_argument(flag)
    if not scripts:
        options.add_experimental_option("prefs", {"profile.managed_default_content_settings.javascript": 2})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    service = Service(CHROMEDRIVER, log_path=os.path.join(ARTIFACTS, "chromedriver.log"))
    driver = webdriver.Chrome(service=service, options=options)
    driver.set_page_load_timeout(WAIT_SECONDS)
    driver.set_script_timeout(WAIT_SECONDS)
    return driver


def page_url(page):
    return "file://" + os.path.join(PAGES, page["file"])


class BrowserCase(unittest.TestCase):
    scripts = True

    @classmethod
    def setUpClass(cls):
        cls.user_data_dir = tempfile.mkdtemp(prefix="velkor-chromium-")
        try:
            cls.driver = start_browser(cls.user_data_dir, cls.scripts)
        except Exception:
            shutil.rmtree(cls.user_data_dir, ignore_errors=True)
            raise

    @classmethod
    def tearDownClass(cls):
        try:
            cls.driver.quit()
        finally:
            shutil.rmtree(cls.user_data_dir, ignore_errors=True)

    def open(self, page):
        self.driver.get(page_url(page))
        self.assertEqual(self.driver.title, page["title"])
        self.assertEqual(self.driver.execute_script("return document.characterSet"), page["charset"])
        self.assertEqual(self.driver.execute_script("return document.documentElement.lang"), page["lang"])

    def screenshot(self, name):
        """Saves the whole page, not only the window, as ARTIFACTS/name.png."""
        width, height = self.driver.execute_script(
            "return [document.documentElement.scrollWidth, document.documentElement.scrollHeight]")
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": True,
            "clip": {"x": 0, "y": 0, "width": width, "height": height, "scale": 1}})
        with open(os.path.join(ARTIFACTS, name + ".png"), "wb") as out:
            out.write(base64.b64decode(shot["data"]))

    def assert_no_script_errors(self):
        errors = [entry for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]
        self.assertEqual(errors, [])


class PageViews(BrowserCase):
    """The name view on load, the number view after a click on its header, and back."""

    def wait_for_view(self, first_number):
        return WebDriverWait(self.driver, WAIT_SECONDS).until(
            lambda d: (lambda v: v if v and len(v["rows"]) == 148 and v["rows"][0]["number"]["text"] == first_number
                       else None)(d.execute_script(READ_VIEW)))

    def click_header_link(self):
        self.driver.find_element(By.CSS_SELECTOR, "#content th a").click()

    def check_rows_and_style(self, view, page):
        rows = view["rows"]
        # Shading goes by row position, not by genre number.
        self.assertEqual([row["className"] for row in rows], ["faded" if i % 2 else "" for i in range(len(rows))])
        faded_background = rows[1]["background"]
        self.assertNotIn(faded_background, ("", "transparent", "rgba(0, 0, 0, 0)"))
        for i, row in enumerate(rows):
            self.assertEqual(row["background"], faded_background if i % 2 else "rgba(0, 0, 0, 0)",
                             "row position %d" % i)
            self.assertEqual(row["number"]["align"], "right", "row position %d" % i)
            self.assertEqual(row["number"]["border"], "solid", "row position %d" % i)
        self.assertEqual([h["text"] for h in view["header"]], [page["number"], page["genre"]])
        self.assertEqual(view["header"][0]["border"], "solid")
        self.assertGreater(float(view["thBottom"].rstrip("px")), float(view["tdBottom"].rstrip("px")))

    def table_rows(self, view):
        return [(int(row["number"]["text"]), row["name"]) for row in view["rows"]]

    def check_page(self, page, tag):
        """Walks name view, number view, name view; returns the rows of the first two."""
        self.open(page)
        by_name = self.wait_for_view("123")
        self.check_rows_and_style(by_name, page)
        self.assertEqual([h["link"] for h in by_name["header"]], ["javascript:CreateTable()", None])
        self.screenshot(tag + "-by-name")

        self.click_header_link()
        by_number = self.wait_for_view("0")
        self.check_rows_and_style(by_number, page)
        self.assertEqual([h["link"] for h in by_number["header"]], [None, "javascript:CreateSortedTable()"])
        self.screenshot(tag + "-by-number")

        self.click_header_link()
        again = self.wait_for_view("123")
        self.assertEqual(again["html"], by_name["html"])
        self.screenshot(tag + "-by-name-again")
        self.assert_no_script_errors()
        return self.table_rows(by_name), self.table_rows(by_number), by_name["html"]

    def test_english_page(self):
        by_name, by_number, html = self.check_page(ENGLISH, "en")

        self.assertEqual(by_number, list(enumerate(GENRES)))
        self.assertEqual(by_name[0], (123, "Acapella"))
        self.assertEqual(by_name[-1], (28, "Vocal"))
        self.assertEqual(sorted(by_name), by_number, "the name view lists every genre once with its number")
        names = [name for _, name in by_name]
        for before, after in zip(names, names[1:]):
            self.assertLess(name_key(before), name_key(after), "name order")
        position = {name: i for i, (_, name) in enumerate(by_name)}
        for before, after in (("Eurodance", "Euro-House"), ("Euro-House", "Euro-Techno"), ("Pop/Funk", "Pop-Folk"),
                              ("Alternative", "AlternRock")):
            self.assertLess(position[before], position[after], "%s before %s" % (before, after))
        jazz = position["Jazz"]
        self.assertEqual(by_name[jazz:jazz + 3], [(8, "Jazz"), (29, "Jazz+Funk"), (146, "JPop")])

        # The markup as built, names unescaped; the browser writes attribute quotes as ".
        self.assertTrue(html.startswith(
            '<table><thead><tr><th class="number"><a href="javascript:CreateTable()">No.</a></th><th>Genre</th>'
            '</tr></thead><tbody><tr><td class="number">123</td><td>Acapella</td></tr>'
            '<tr class="faded"><td class="number">34</td><td>Acid</td></tr>'), html[:300])
        self.assertTrue(html.endswith('<tr class="faded"><td class="number">28</td><td>Vocal</td></tr>'
                                      '</tbody></table>'), html[-200:])
        self.assertIn("<td>Rock &amp; Roll</td>", html)

    def test_russian_page_shows_the_same_rows(self):
        english_by_name, english_by_number, _ = self.check_page(ENGLISH, "en")
        by_name, by_number, _ = self.check_page(RUSSIAN, "ru")
        self.assertEqual(by_name, english_by_name)
        self.assertEqual(by_number, english_by_number)


class WithoutScripts(BrowserCase):
    """With script execution off only the no-script paragraph shows."""
    scripts = False

    def test_no_script_paragraph(self):
        for page, tag in ((ENGLISH, "en"), (RUSSIAN, "ru")):
            with self.subTest(page=tag):
                self.open(page)
                paragraph = self.driver.find_element(By.CSS_SELECTOR, "body > p, noscript > p")
                self.assertTrue(paragraph.is_displayed())
                self.assertEqual(paragraph.text, page["noscript"])
                self.assertEqual(self.driver.execute_script("return document.getElementById('content').innerHTML"),
                                 "")
                self.assertEqual(self.driver.execute_script("return typeof CreateSortedTable"), "undefined")
                self.screenshot(tag + "-no-script")


def main():
    global PAGES, ARTIFACTS
    parser = argparse.ArgumentParser()
    parser.add_argument("--pages", required=True)
    parser.add_argument("--artifacts", required=True)
    args, rest = parser.parse_known_args()
    PAGES = os.path.abspath(args.pages)
    ARTIFACTS = os.path.abspath(args.artifacts)
    os.makedirs(ARTIFACTS, exist_ok=True)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
