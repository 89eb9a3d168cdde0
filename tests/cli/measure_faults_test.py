#!/usr/bin/env python3
"""Tests of bench/measure-faults.py without the program: the faults it makes in two
small hand-written pages (the text and the expected line of each, nesting and left-out
end tags considered), how it sorts pages by doctype, and how it judges a faulted copy.

    python3 tests/cli/measure_faults_test.py
"""
import os
import runpy
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "bench", "measure-faults.py")
# The script loaded as a module of its own, its functions at hand.
mf = types.SimpleNamespace(**runpy.run_path(SCRIPT))

CURRENT = """<!DOCTYPE html>
<html><head><title>t <div> </title>
<script>if (a < b) { s = "</div>"; }</script>
</head><body>
<!-- a > b <div> in a comment -->
<div class="outer">
<div id="inner">
<p>text <span class="x">s</span>
</div>
<ul><li><a href="y.html">y</a></li>
<li><button type="button">b</button></ul>
<p><code>c</code></p>
<a href="x.html"
   title="t">link</a>
<h3>head <em>one
two</em></h3>
<table><tr class="x"><td><p>in table</td></tr></table>
<p>para<br>
</div>
<div><span>unclear</div>
<svg><a href="#"><text>t</text></a></svg><my-card>c</my-card>
<p title="a > b">gt</p>
</body></html>
"""

OLDER = """<HTML><HEAD><TITLE>Old</TITLE></HEAD>
<BODY BGCOLOR="#FFFFFF">
<UL>
<LI><A HREF="a.htm">A</A>
<LI>two
</UL>
<P>Text<IMG SRC="x.gif" ALT="x"><BR>
<DIV ALIGN="center"><B>bold</B></DIV>
<TABLE BORDER=1><TR><TD>cell<TD>cell</TABLE>
</BODY></HTML>
"""


def line_of(text, needle, start=1):
    """The 1-based line of the first line at or after START that holds NEEDLE."""
    for number, line in enumerate(text.split("\n"), 1):
        if number >= start and needle in line:
            return number
    raise AssertionError(f"{needle!r} not in the page")


def changed_lines(before, after):
    return [(n, a) for n, (b, a) in
            enumerate(zip(before.split("\n"), after.split("\n")), 1) if a != b]


class Faults(unittest.TestCase):
    def setUp(self):
        self.current = mf.faults_of(CURRENT)
        self.older = mf.faults_of(OLDER)

    def only(self, rows, row, needle):
        found = [f for f in rows[row] if needle in f.what]
        self.assertEqual(len(found), 1, [f.what for f in rows[row]])
        return found[0]

    def test_every_fault_keeps_the_lines_and_changes_the_text(self):
        for page, rows in ((CURRENT, self.current), (OLDER, self.older)):
            for faults in rows.values():
                for fault in faults:
                    faulted = fault.apply(page)
                    self.assertNotEqual(faulted, page, fault.what)
                    self.assertEqual(faulted.count("\n"), page.count("\n"))

    def test_left_out_close_is_expected_at_its_open_tag(self):
        def removed(rows, sub, page):
            return sorted((changed_lines(page, f.apply(page))[0][0], f.line)
                          for f in rows[("left-out close", sub)])
        # The inner div closes first; comments, titles and scripts hold no tags; the
        # div around an unclosed span is too unclear to fault; an svg's links are not HTML's.
        self.assertEqual(removed(self.current, "div", CURRENT), [(9, 7), (19, 6)])
        self.assertEqual(removed(self.current, "span", CURRENT), [(8, 8)])
        self.assertEqual(removed(self.current, "ul", CURRENT), [(11, 10)])
        self.assertEqual(removed(self.current, "a", CURRENT), [(10, 10), (14, 13)])
        self.assertEqual(removed(self.current, "h1-h3", CURRENT), [(16, 15)])
        self.assertEqual(removed(self.current, "button", CURRENT), [(11, 11)])
        self.assertEqual(removed(self.current, "em", CURRENT), [(16, 15)])
        # Items without their close end inside the list.
        self.assertEqual(removed(self.older, "ul", OLDER), [(6, 3)])
        self.assertEqual(removed(self.older, "div", OLDER), [(8, 8)])
        fault = self.current[("left-out close", "div")][0]
        self.assertEqual(changed_lines(CURRENT, fault.apply(CURRENT)), [(9, "")])

    def test_misspelled_tag_renames_open_and_close(self):
        fault = self.only(self.current, ("misspelled tag", "paired"), "<em made")
        self.assertEqual(fault.line, 15)
        self.assertEqual(changed_lines(CURRENT, fault.apply(CURRENT)),
                         [(15, "<h3>head <me>one"), (16, "two</me></h3>")])
        fault = self.only(self.older, ("misspelled tag", "paired"), "<DIV made")
        new = changed_lines(OLDER, fault.apply(OLDER))[0][1]
        self.assertIn(new, ('<IDV ALIGN="center"><B>bold</B></IDV>',
                            '<DVI ALIGN="center"><B>bold</B></DVI>'))
        fault = self.only(self.older, ("misspelled tag", "void"), "<IMG made")
        self.assertEqual(fault.line, 7)
        self.assertRegex(fault.apply(OLDER).split("\n")[6], r'^<P>Text<(IGM|MIG) SRC=')

    def test_misspelling_never_makes_a_known_name(self):
        # Nor renames a custom element (any such name is one) or a title (its body is text).
        renamed = [f.what for f in self.current[("misspelled tag", "paired")]]
        self.assertFalse([w for w in renamed if w.startswith(("<my-card", "<title"))], renamed)
        plain = [f.what for f in self.current[("misspelled tag", "paired")]]
        self.assertTrue(any(w.startswith("<tr made <rt") for w in plain), plain)
        guarded = mf.faults_of(CURRENT, known_tags=frozenset(("rt", "rb")),
                               known_attributes=frozenset(("ttile",)), attribute_patterns=("ti",))
        self.assertFalse(any(f.what.startswith("<tr ") for f in guarded[("misspelled tag", "paired")]))
        self.assertFalse(any(f.what.startswith("<br ") for f in guarded[("misspelled tag", "void")]))
        # Bytes of UTF-8 are never split: only ASCII letters swap.
        self.assertEqual(mf.swapped_name("ab\xc3\xa9", mf.random.Random(1), frozenset(), ()),
                         ("ba\xc3\xa9", 0))
        titles = [f.what for f in guarded[("misspelled attribute", "")] if f.what.startswith("title")]
        self.assertEqual(titles, ["title of <a made ittle on line 14"])

    def test_misspelled_attribute_is_expected_on_its_own_line(self):
        faults = [f for f in self.current[("misspelled attribute", "")]
                  if f.what.startswith("title of <a")]
        self.assertEqual(len(faults), 1)
        self.assertEqual(faults[0].line, 14)
        self.assertRegex(faults[0].apply(CURRENT).split("\n")[13], r'^   (ittle|ttile|tilte|titel)="t">link')

    def test_lost_quote_is_expected_at_the_tag(self):
        # A value that holds a > is read differently by a browser and by the check.
        quotes = [f.what for f in self.current[("lost quote", "")]]
        self.assertFalse([w for w in quotes if "<p " in w or "<p)" in w], quotes)
        for page, rows in ((CURRENT, self.current), (OLDER, self.older)):
            for fault in rows[("lost quote", "")]:
                (start, end, replacement), = fault.edits
                self.assertEqual((page[start:end], replacement), ('"', ""), fault.what)
        fault = self.only(self.current, ("lost quote", ""), "title of <a")
        self.assertEqual(fault.line, 13)
        self.assertEqual(changed_lines(CURRENT, fault.apply(CURRENT)), [(14, '   title="t>link</a>')])

    def test_crossings(self):
        fault = self.only(self.current, ("crossing", "</a></li>"), "")
        self.assertEqual((fault.line, fault.apply(CURRENT).split("\n")[9]),
                         (10, '<ul><li><a href="y.html">y</li></a>'))
        fault = self.only(self.current, ("crossing", "</code></p>"), "")
        self.assertEqual((fault.line, fault.apply(CURRENT).split("\n")[11]),
                         (12, "<p><code>c</p></code>"))
        self.assertEqual(sorted(f.line for f in self.current[("crossing", "other closes")]), [11, 16])
        fault = self.only(self.current, ("crossing", "other closes"), "</em></h3>")
        self.assertEqual(fault.apply(CURRENT).split("\n")[15], "two</h3></em>")
        self.assertEqual([f.line for f in self.older[("crossing", "other closes")]], [8])
        bold = self.current[("crossing", "<b>x<i>y</b>z</i>")]
        self.assertEqual(sorted(f.line for f in bold), [8, 10, 11, 12, 17, 17, 18])
        for fault in bold:
            self.assertIn("<b>x<i>y</b>z</i>", fault.apply(CURRENT).split("\n")[fault.line - 1])

    def test_insertions_outside_tables(self):
        # None after the <p of line 22: where its tag ends is not clear (a > in a value).
        cells = self.current[("cell outside table", "")]
        self.assertEqual(sorted(f.line for f in cells), [8, 10, 11, 12, 18])
        fault = [f for f in cells if f.line == 18][0]
        self.assertEqual(fault.apply(CURRENT).split("\n")[17], "<p><td>x</td>para<br>")
        self.assertEqual(sorted(f.line for f in self.older[("cell outside table", "")]), [4, 5, 7])
        breaks = self.current[("</br>", "")]
        self.assertEqual(sorted(f.line for f in breaks), [8, 10, 11, 12, 17, 17, 18])

    def test_extra_close_and_missing_bracket(self):
        extra = sorted(f.line for f in self.current[("extra close", "</div>")])
        self.assertEqual(extra, [9, 19, 20])
        fault = [f for f in self.current[("extra close", "</div>")] if f.line == 9][0]
        self.assertEqual(fault.apply(CURRENT).split("\n")[8], "</div></div>")
        fault = self.only(self.current, ("missing >", ""), "<tr ")
        self.assertEqual(fault.line, 17)
        self.assertEqual(fault.apply(CURRENT).split("\n")[16],
                         '<table><tr class="x"<td><p>in table</td></tr></table>')
        made = {f.what for f in self.current[("missing >", "")]}
        self.assertIn("> of <head removed on line 2", made)
        self.assertNotIn("> of <title removed on line 2", made)   # its body is text
        self.assertNotIn("> of <p removed on line 8", made)       # text follows it
        self.assertIn("> of <p removed on line 12", made)

    def test_comments_titles_and_scripts_hold_no_tags(self):
        tags, _ = mf.tokenize(CURRENT)
        self.assertEqual([(t.line, t.close) for t in tags if t.name == "div"],
                         [(6, False), (7, False), (9, True), (19, True), (20, False), (20, True)])


class Pages(unittest.TestCase):
    def test_sets_by_doctype(self):
        self.assertEqual(mf.page_set_of(b"\n<!doctype HTML>\n<html>"), "current")
        self.assertEqual(mf.page_set_of(
            b'<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN"'), "older")
        self.assertEqual(mf.page_set_of(b'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">'), "older")
        self.assertIsNone(mf.page_set_of(b'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2//EN">'))
        self.assertEqual(mf.page_set_of(b"<html><body>"), "older")
        self.assertEqual(mf.page_set_of(b" " * 300 + b"<!DOCTYPE html>"), "older")

    def test_spread(self):
        self.assertEqual(mf.spread(list(range(10)), 4), [0, 2, 5, 7])
        self.assertEqual(mf.spread([1, 2], 4), [1, 2])


class Judging(unittest.TestCase):
    def test_new_problems_near_the_line_place(self):
        clean = mf.problems_of('{"path":"a","line":7,"kind":"unknown-tag","name":"x","message":"x - U"}\n')
        faulted = mf.problems_of(
            '{"path":"b","line":7,"column":3,"kind":"unknown-tag","name":"x","message":"x - U"}\n'
            '{"path":"b","line":null,"kind":"unbalanced-tags","name":"DIV","count":1,"message":"DIV"}\n')
        self.assertEqual(mf.judge(clean, faulted, 7)[:2], (True, False))  # only the null line is new
        self.assertEqual(mf.judge(clean, clean, 7), (False, False, []))
        near = faulted + [(9, "unknown-tag", "y", "y - U")]
        self.assertEqual(mf.judge(clean, near, 8)[:2], (True, True))
        self.assertEqual(mf.judge(clean, near, 10)[:2], (True, True))
        self.assertEqual(mf.judge(clean, near, 11)[:2], (True, False))
        # A second copy of a clean problem on its line is new.
        self.assertEqual(mf.judge(clean, clean + clean, 7)[:2], (True, True))
        # A problem that goes away is noticed, and places nothing.
        self.assertEqual(mf.judge(clean, [], 7), (True, False, []))

    def test_new_problems_per_fault_count_only_the_noticed_faults(self):
        a, b = ("extra close", "</div>"), ("lost quote", "")
        # (judgements, row, expected tally, expected new problems per noticed fault)
        cases = [
            ([(a, True, True, 3), (a, True, False, 1)], a, [2, 2, 1, 4], 2.0),
            # A fault not noticed has no new problem and doesn't lower the average.
            ([(a, True, True, 1), (a, False, False, 0)], a, [2, 1, 1, 1], 1.0),
            ([(b, False, False, 0)], b, [1, 0, 0, 0], 0.0),
            # Rows are kept apart.
            ([(a, True, True, 5), (b, True, True, 1)], b, [1, 1, 1, 1], 1.0),
        ]
        for judgements, row, counts, per_fault in cases:
            rows = mf.tally(judgements)
            self.assertEqual(rows[row], counts, judgements)
            self.assertAlmostEqual(mf.new_per_fault(rows[row]), per_fault)


if __name__ == "__main__":
    unittest.main()
