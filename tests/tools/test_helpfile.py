#!/usr/bin/python3
"""Checks of the built help file against its sources, read back with chmls:
every source file is in it unchanged, the viewer is told its contents, index
and first page, every page is in the contents, every link between the pages
(and every entry of the contents and index) leads to a page and anchor that
exist, and the pages hold only text their declared code page shows.

    test_helpfile.py SOURCE_FOLDER BUILT_CHM
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCES = BUILT = None

LINK = re.compile(r'''(?:href|src)\s*=\s*"([^"]*)"|<param\s+name="Local"\s+value="([^"]*)"''', re.I)
ANCHOR = re.compile(r'''<a\s[^>]*name\s*=\s*"([^"]+)"|\sid\s*=\s*"([^"]+)"''', re.I)


def chmls(*args):
    result = subprocess.run(["chmls", *args], capture_output=True, text=True, check=True)
    return result.stdout


def listed(chm):
    """The names in the file, without the compiler's own ones."""
    names = [line.strip()[1:] for line in chmls("-n", "-p", "list", chm).splitlines()
             if line.startswith("/")]
    return {n for n in names if n and n[0] not in "#$_" and not n.endswith("/")}


def extracted(chm, folder):
    subprocess.run(["chmls", "extractall", chm, folder], capture_output=True, check=True)
    return folder


def broken_links(folder):
    """(file, target) of every link in the pages, contents and index of an
    extracted help file that misses its page or its anchor."""
    def text(name):
        with open(os.path.join(folder, name), encoding="cp1252") as f:
            return f.read()
    pages = {os.path.basename(p) for p in glob.glob(os.path.join(folder, "*.html"))}
    anchors = {p: {a or i for a, i in ANCHOR.findall(text(p))} for p in pages}
    broken = []
    for name in sorted(pages) + ["contents.hhc", "index.hhk"]:
        for href, local in LINK.findall(text(name)):
            target = href or local
            if re.match(r"[a-z]+:", target, re.I):
                broken.append((name, target))   # the help stays inside the file
                continue
            page, _, anchor = target.partition("#")
            page = page or name
            if not os.path.isfile(os.path.join(folder, page)) or (anchor and anchor not in anchors.get(page, ())):
                broken.append((name, target))
    return broken


class HelpFileTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.work)

    def sources(self):
        return sorted(os.path.basename(p) for p in glob.glob(os.path.join(SOURCES, "*"))
                      if not p.endswith(".hhp"))

    def test_every_source_is_in_the_file_unchanged_and_the_viewer_finds_its_way(self):
        sources = self.sources()
        self.assertTrue({"contents.hhc", "index.hhk", "help.css", "welcome.html"} <= set(sources))
        self.assertEqual(set(sources), listed(BUILT))
        folder = extracted(BUILT, self.work)
        for name in sources:
            with self.subTest(file=name), open(os.path.join(SOURCES, name), "rb") as source, \
                    open(os.path.join(folder, name), "rb") as built:
                self.assertEqual(source.read(), built.read())
        system = chmls("printsystem", BUILT)
        for field, value in (("Contents file", "contents.hhc"), ("Index file", "index.hhk"),
                             ("Default topic", "welcome.html")):
            self.assertRegex(system, re.escape(field) + r"[^\n]*:\s*" + re.escape(value) + r"\x00?\n")

    def test_links_lead_to_pages_and_anchors_that_exist_and_every_page_is_in_the_contents(self):
        folder = extracted(BUILT, self.work)
        self.assertEqual([], broken_links(folder))
        with open(os.path.join(folder, "contents.hhc"), encoding="cp1252") as f:
            in_contents = {local.partition("#")[0] for _, local in LINK.findall(f.read())}
        pages = {n for n in listed(BUILT) if n.endswith(".html")}
        self.assertEqual(pages, in_contents)

    def test_a_broken_link_or_anchor_is_found(self):
        # The check above would pass on pages it cannot read: a copy with a
        # link to a missing page and two to missing anchors must fail it.
        copy = os.path.join(self.work, "src")
        shutil.copytree(SOURCES, copy)
        with open(os.path.join(copy, "settings.html"), "a", encoding="cp1252") as f:
            f.write('<a href="missing.html">x</a> <a href="scheduler.html#nowhere">y</a> <a href="#gone">z</a>\n')
        subprocess.run(["chmcmd", os.path.join(copy, "telmincleanwarden.hhp")], cwd=self.work,
                       capture_output=True, check=True)
        folder = extracted(os.path.join(self.work, "telmincleanwarden.chm"), os.path.join(self.work, "out"))
        self.assertEqual([("settings.html", "missing.html"), ("settings.html", "scheduler.html#nowhere"),
                          ("settings.html", "#gone")], broken_links(folder))

    def test_pages_declare_their_code_page_and_hold_plain_text(self):
        # Typographic quotes or dashes typed into a page would show as
        # garbage; they are written as entities.
        for path in glob.glob(os.path.join(SOURCES, "*.html")):
            with self.subTest(page=os.path.basename(path)), open(path, "rb") as f:
                data = f.read()
                self.assertTrue(data.isascii())
                self.assertIn(b'charset=windows-1252', data)
                self.assertRegex(data, rb"<title>[^<]+</title>")


if __name__ == "__main__":
    SOURCES, BUILT = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1])
