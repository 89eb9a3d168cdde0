#!/usr/bin/env python3
"""Tests of make_document.py: same seed same bytes, the size asked for, every feature
the benchmarks lean on, and a fixed handful of each problem the check reports.

The check and the census are run by the tagvetter program named by TAGVETTER_EXE
(default: build/tagvetter of this tree).
"""

import os
import re
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "make_document.py")
TAGVETTER = os.environ.get("TAGVETTER_EXE") or os.path.join(HERE, "..", "build", "tagvetter")
MEBIBYTE = 1 << 20
# A document overshoots its size by at most one section and its heading.
LARGEST_OVERSHOOT = 16 * 1024


def generate(directory, mb, seed, name="doc"):
    path = os.path.join(directory, f"{name}-{mb}-{seed}.htm")
    subprocess.run([sys.executable, GENERATOR, path, str(mb), str(seed)], check=True)
    with open(path, "rb") as f:
        return path, f.read()


def tagvetter(*arguments):
    return subprocess.run([TAGVETTER, *arguments], capture_output=True, check=False)


class MakeDocumentTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.directory = tempfile.TemporaryDirectory()
        cls.small_path, cls.small = generate(cls.directory.name, 0.3, 11)
        cls.large_path, cls.large = generate(cls.directory.name, 2, 12)

    @classmethod
    def tearDownClass(cls):
        cls.directory.cleanup()

    def test_same_seed_gives_same_bytes(self):
        _, again = generate(self.directory.name, 0.3, 11, name="again")
        self.assertEqual(again, self.small)
        _, other = generate(self.directory.name, 0.3, 13)
        self.assertNotEqual(other, self.small)

    def test_size_is_what_was_asked(self):
        for mb, document in ((0.3, self.small), (2, self.large)):
            with self.subTest(mb=mb):
                self.assertGreaterEqual(len(document), mb * MEBIBYTE)
                self.assertLess(len(document), mb * MEBIBYTE + LARGEST_OVERSHOOT)

    def test_tiny_size_still_holds_every_defect(self):
        _, tiny = generate(self.directory.name, 0.01, 3)
        for marker in (b"<BLINKY>", b"COLOUR=", b'"broken.htm>', b"</table>\n", b"<TD>a cell outside"):
            with self.subTest(marker=marker):
                self.assertIn(marker, tiny)

    def test_document_holds_every_feature(self):
        features = (
            ("upper-case cell with attributes", rb"<TD [A-Z]+="),
            ("lower-case cell with attributes", rb"<td [a-z]+="),
            ("table with attributes", rb"<(TABLE|table|Table) BORDER=|<table border="),
            ("header cell", rb"<(TH|th|Th) "),
            ("row with attributes", rb"<(TR|tr|Tr) [A-Za-z]+="),
            ("font", rb"<(FONT|font|Font) (SIZE|size|Size|FACE|face|Face)="),
            ("anchor to a local page", rb'<[Aa] (HREF|href|Href)="[^"]*\.htm"'),
            ("anchor elsewhere", rb'<[Aa] (HREF|href|Href)="http://'),
            ("unordered list", rb"<(UL|ul|Ul)>"),
            ("ordered list", rb"<(OL|ol|Ol)>"),
            ("list item", rb"<(LI|li|Li)>"),
            ("definition list", rb"<(DL|dl|Dl)>\s*<(DT|dt|Dt)>"),
            ("comment holding a tag", rb"<!--((?!-->).)*<[A-Za-z]+[^>]*>((?!-->).)*-->"),
            ("multi-line comment", rb"<!--\r?\n"),
            ("tag broken over lines", rb"<[A-Za-z]+\r?\n[A-Za-z]+="),
            ("single-byte letters", rb"[\xe0-\xff]"),
        )
        for name, pattern in features:
            with self.subTest(feature=name):
                # Not assertRegex: its message would hold the whole document.
                self.assertIsNotNone(re.search(pattern, self.small, re.S), pattern)

    def test_part_of_the_lines_end_in_cr_lf(self):
        for mb, document in ((0.3, self.small), (2, self.large)):
            with self.subTest(mb=mb):
                share = document.count(b"\r\n") / document.count(b"\n")
                self.assertGreater(share, 0.1)
                self.assertLess(share, 0.9)

    def test_script_and_pre_bodies_hold_less_than_signs(self):
        for element in (b"script", b"pre"):
            with self.subTest(element=element):
                bodies = re.findall(rb"(?is)<" + element + rb"[ >](.*?)</" + element + rb">", self.small)
                self.assertTrue(bodies)
                self.assertTrue(all(b"<" in body for body in bodies))

    def test_check_reports_each_kind_a_few_times_whatever_the_size(self):
        kinds = (
            ("unknown tag", r"^\d{4,}  .* - Unknown keyword$"),
            ("unknown attribute", r"^\d{4,}  .* - Unknown attribute for [A-Z]+$"),
            ("odd quotes", r"^\d{4,}  <[A-Z]+ - Unbalanced quotes$"),
            ("strict opened twice", r"^\d{4,}  [A-Za-z]+ - Open tag before previous tag was closed$"),
            ("strict closed without open", r"^\d{4,}  /[A-Za-z]+ - Close tag without matching open tag$"),
            ("extra close of counted", r"^\d{4,}  /[A-Za-z]+ - More close tags than open tags$"),
            ("cell outside a table", r"^\d{4,}  /?T[DRH] - This tag should be in a table$"),
            ("counted left open", r"^[A-Z]+\tUnbalanced tags \(\d+\)$"),
        )
        tallies = []
        for path in (self.small_path, self.large_path):
            result = tagvetter("check", path)
            self.assertEqual(result.returncode, 1, result.stderr)
            lines = result.stdout.decode("latin-1").splitlines()
            tally = {name: sum(1 for line in lines if re.match(pattern, line)) for name, pattern in kinds}
            self.assertEqual(sum(tally.values()), len(lines), "a line of no known kind")
            tallies.append(tally)
        small, large = tallies
        for name, _ in kinds:
            with self.subTest(kind=name):
                self.assertGreaterEqual(small[name], 1)
                self.assertLessEqual(small[name], 20)
                # Normal sections report nothing, so seven times the text adds no line.
                self.assertEqual(large[name], small[name])

    def test_census_sees_every_kind_of_tag(self):
        result = tagvetter("count", self.small_path)
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.decode("latin-1").splitlines()
        counts = {line.split("\t")[0]: int(line.split("\t")[1]) for line in lines}
        for name in ("!DOCTYPE", "!-", "TABLE", "/TABLE", "TR", "TD", "TH", "CAPTION", "FONT", "A",
                     "UL", "OL", "LI", "DL", "DT", "DD", "SCRIPT", "/SCRIPT", "PRE", "/PRE",
                     "FORM", "INPUT", "SELECT", "OPTION", "IMG", "BR", "P", "CENTER", "DIV"):
            with self.subTest(tag=name):
                self.assertGreater(counts.get(name, 0), 0)
        # A stray "<" in running text would count under the empty name.
        self.assertNotIn("", counts)

    def test_listing_finds_local_links(self):
        result = tagvetter("tag", "A", self.small_path)
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.decode("latin-1").splitlines()
        local = [line for line in lines if re.search(r'href="[^"#]*\.htm', line, re.I)]
        self.assertGreater(len(local), 10)

    def test_bad_arguments_write_nothing(self):
        out = os.path.join(self.directory.name, "never.htm")
        for arguments in ([], [out, "1"], [out, "0", "1"], [out, "-2", "1"], [out, "ten", "1"], [out, "1", "one"]):
            with self.subTest(arguments=arguments):
                result = subprocess.run([sys.executable, GENERATOR, *arguments], capture_output=True)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"make_document.py", result.stderr)
                self.assertFalse(os.path.exists(out))


if __name__ == "__main__":
    unittest.main()
