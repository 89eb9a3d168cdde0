#!/usr/bin/env python3
"""The default profile, auto, as a user meets it with no option: a 1990s page gives what
--profile html32 gives, byte for byte, through every command and format; a current page
is read as its doctype says; the README's own known-tag file works without --profile.

    TAGVETTER_EXE=build/tagvetter python3 tests/cli/defaults_test.py
"""
import json
import os
import subprocess
import tempfile
import unittest

EXE = os.path.abspath(os.environ.get("TAGVETTER_EXE", "build/tagvetter"))
TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SAMPLE = os.path.join(TOP, "samples", "sample.htm")

NO_DOCTYPE = b'<HTML>\r\n<BODY BGCOLOR=white>\r\n<A href="gone.htm">x</a>\r\n<td>\r\n<P ALIGN="left>\r\n</BODY></HTML>\r\n'
CURRENT = b'<!DOCTYPE html>\n<nav><b clas="x">bold<i>both</b>it</i></nav>\n<video src=a.webm></video>\n'


def run(*args, cwd=None):
    done = subprocess.run([EXE, *args], capture_output=True, cwd=cwd)
    return done.returncode, done.stdout, done.stderr


def known_file_of_readme():
    """The known-tag file the README shows for the html5 profile."""
    with open(os.path.join(TOP, "README.md")) as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.strip().startswith("# NAME    | PAIRING"))
    shown = []
    for line in lines[start:]:
        if not line.strip():
            break
        shown.append(line.strip())
    return "\n".join(shown) + "\n"


class Defaults(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="tagvetter-defaults-")
        cls.root = cls.scratch.name

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def page(self, name, data):
        path = os.path.join(self.root, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_a_1990s_page_gives_what_html32_gives_through_every_command_and_format(self):
        old = self.page("old.htm", NO_DOCTYPE)
        commands = [["count"], ["tags"], ["tag", "a"], ["links"]]
        commands += [["check", "--format", f] for f in ("text", "gnu", "json")]
        commands += [["links", "--format", f] for f in ("gnu", "json")]
        for files in ([SAMPLE], [old], [SAMPLE, old]):
            for command in commands:
                with self.subTest(files=files, command=command):
                    default = run(*command, "--no-config", *files)
                    self.assertEqual(default, run(*command, "--no-config", "--profile", "html32", *files))
                    self.assertNotEqual(default[1] + default[2], b"")
        self.assertEqual(run("known"), run("known", "--profile", "html32"))
        status, _, err = run("known", "--profile", "auto")
        self.assertEqual((status, err), (2, b"tagvetter: known needs a profile: html32, html4 or html5\n"
                                            b"Try 'tagvetter --help'.\n"))

    def test_a_current_page_is_read_as_its_doctype_says(self):
        new = self.page("new.html", CURRENT)
        status, out, _ = run("check", "--format", "gnu", new)
        self.assertEqual(status, 1)
        self.assertEqual(out.decode(), f"{new}:2:9: error: clas - Unknown attribute for B (did you mean class?)\n"
                                       f"{new}:2:29: error: /b - Close tag crosses i, opened on line 2\n")
        # count of one page describes its tags with that page's profile.
        _, census, _ = run("count", new)
        self.assertIn(b"\nVIDEO\t1\t", census)
        self.assertEqual(census, run("count", "--profile", "html5", new)[1])
        # Over pages of several profiles, the first page's descriptions.
        old = self.page("old2.htm", NO_DOCTYPE)
        self.assertEqual(run("count", old, new)[1], run("count", "--profile", "html32", old, new)[1])
        self.assertEqual(run("count", new, old)[1], run("count", "--profile", "html5", new, old)[1])

    def test_sarif_names_the_rules_of_every_profile_auto_may_choose(self):
        new = self.page("sarif.html", CURRENT)
        status, out, _ = run("check", "--format", "sarif", new)
        self.assertEqual(status, 1)
        log = json.loads(out)
        rules = [r["id"] for r in log["runs"][0]["tool"]["driver"]["rules"]]
        self.assertEqual(len(rules), len(set(rules)))
        for result in log["runs"][0]["results"]:
            self.assertEqual(rules[result["ruleIndex"]], result["ruleId"])
        self.assertTrue({"more-closes-than-opens", "crossing-close", "unknown-attribute"} <= set(rules), rules)

    def test_the_readmes_known_tags_need_no_profile(self):
        known = self.page("site.known", known_file_of_readme().encode())
        new = self.page("known.html", b"<!DOCTYPE html>\n<nav><my-date value=1 min=0>x</my-date></nav>\n")
        old = self.page("known.htm", b"<HTML><my-date value=1>x</my-date><nav>\n")
        status, out, err = run("check", "--known", known, "--format", "gnu", new, old)
        self.assertEqual(status, 1, err)
        # nav is html5's only: the 1990s page still doesn't know it, and knows my-date.
        self.assertEqual(out.decode(), f"{old}:1: nav - Unknown keyword\n")
        _, census, _ = run("count", "--known", known, new)
        self.assertIn(b"NAV\t1\tSite menu\n", census)
        self.assertIn(b"MY-DATE\t1\tDate picker\n", census)
        # A line no profile can hold is still a fault, with each profile's reason.
        bad = self.page("bad.known", b"x-widget\n")
        status, out, err = run("check", "--known", bad, new)
        self.assertEqual((status, out), (2, b""))
        self.assertEqual(err.decode().splitlines(),
                         [f"{bad}:1: 'x-widget' is not a tag of the {p} profile, so it needs a pairing"
                          for p in ("html32", "html4", "html5")])


if __name__ == "__main__":
    unittest.main()
