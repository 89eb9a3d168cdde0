#!/usr/bin/env python3
"""bench/compare-builds.sh against the real program: the same build twice is identical,
and a wrapper that changes one command's output, or one run's exit status, is caught at
exactly those cases. One profile a run, to stay quick.

    TAGVETTER_EXE=build/tagvetter python3 tests/scripts/compare_builds_test.py
"""
import os
import re
import stat
import subprocess
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
SCRIPT = REPO / "bench" / "compare-builds.sh"
EXE = os.environ.get("TAGVETTER_EXE", str(REPO / "build" / "tagvetter"))

PAGE = """<!DOCTYPE html>
<html><head><title>Faults</title></head><body>
<td>outside</td> <font colour="red">x</font>
<a href="missing.html">gone</a> <a href="https://example.org/">out</a>
<div><p>open
</body></html>
"""

# check gets one more byte on standard output; known --profile html4 exits 7, its
# output untouched: a difference in the status alone.
WRAPPER = """#!/bin/sh
if [ "$1" = check ]; then "{exe}" "$@"; rc=$?; printf '!'; exit $rc; fi
if [ "$1" = known ] && [ "$2" = --profile ] && [ "$3" = html4 ]; then "{exe}" "$@"; exit 7; fi
exec "{exe}" "$@"
"""

SUMMARY = re.compile(r"^compare-builds: (\d+) cases, (\d+) differ$", re.M)


class CompareBuildsTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.page = Path(self.scratch.name, "faults.html")
        self.page.write_text(PAGE)

    def tearDown(self):
        self.scratch.cleanup()

    def compare(self, old, new=None, *pages, profiles="default"):
        env = dict(os.environ, PROFILES=profiles)
        return subprocess.run(["bash", str(SCRIPT), old, *([new] if new else []), *pages], cwd=REPO, env=env,
                              capture_output=True, text=True, errors="replace", timeout=600)

    def test_same_build_is_identical(self):
        run = self.compare(EXE, EXE, "samples/sample.htm", str(self.page))
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        summary = SUMMARY.search(run.stdout)
        self.assertIsNotNone(summary, run.stdout)
        # Every command, format and census name over two pages: hundreds of cases.
        self.assertGreater(int(summary.group(1)), 250)
        self.assertEqual(summary.group(2), "0")
        self.assertNotIn("differs:", run.stdout)

    def test_changed_output_and_status_are_named(self):
        wrapper = Path(self.scratch.name, "tagvetter")
        wrapper.write_text(WRAPPER.format(exe=os.path.abspath(EXE)))
        wrapper.chmod(wrapper.stat().st_mode | stat.S_IXUSR)
        run = self.compare(EXE, str(wrapper), "samples/sample.htm", str(self.page), profiles="html5")
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        named = re.findall(r"^differs: (.*)$", run.stdout, re.M)
        summary = SUMMARY.search(run.stdout)
        self.assertIsNotNone(summary, run.stdout)
        self.assertEqual(int(summary.group(2)), len(named))
        # Only the altered runs, and each check case: formats, profiles, pages, stdin.
        for command in named:
            self.assertRegex(command, r"^tagvetter (check|known --profile html4$)", command)
        self.assertIn("tagvetter known --profile html4", named)
        self.assertIn("tagvetter check --profile html5 --format json -- samples/sample.htm", named)
        self.assertIn(f"tagvetter check --profile html5 --format sarif -- {self.page}", named)
        self.assertTrue(any(c.endswith(" < " + str(REPO / "samples/sample.htm")) for c in named), named)
        # The report shows the extra byte in the diff and the status difference.
        self.assertIn("exit status: old 0, new 7", run.stdout)
        self.assertRegex(run.stdout, r"\n    \+.*!\n")

    def test_usage_errors(self):
        self.assertEqual(self.compare(EXE).returncode, 2)
        self.assertEqual(self.compare(EXE, "/nonexistent/tagvetter").returncode, 2)
        missing = self.compare(EXE, EXE, str(Path(self.scratch.name, "missing.html")))
        self.assertEqual(missing.returncode, 2)
        self.assertIn("no such file or folder", missing.stderr)
        self.assertNotIn("cases", missing.stdout)


if __name__ == "__main__":
    unittest.main()
