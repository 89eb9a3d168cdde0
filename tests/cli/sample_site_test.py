#!/usr/bin/env python3
"""The example site of the README gives what the README shows, run from the top of the
tree as the README runs it.

    TAGVETTER_EXE=build/tagvetter python3 tests/cli/sample_site_test.py
"""
import os
import subprocess
import unittest

EXE = os.path.abspath(os.environ.get("TAGVETTER_EXE", "build/tagvetter"))
TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
COMMAND = "$ tagvetter check --format=gnu samples/site"


def shown_in_readme():
    """The lines the README shows under the command, up to the blank line after them."""
    with open(os.path.join(TOP, "README.md")) as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.strip() == COMMAND) + 1
    shown = []
    for line in lines[start:]:
        if not line.strip():
            break
        shown.append(line.strip())
    return shown


class SampleSite(unittest.TestCase):
    def test_the_readme_shows_what_the_site_gives(self):
        done = subprocess.run([EXE] + COMMAND.split()[2:], cwd=TOP, capture_output=True, text=True)
        self.assertEqual(done.returncode, 1, done.stderr)
        self.assertEqual((done.stdout + done.stderr).splitlines(), shown_in_readme())


if __name__ == "__main__":
    unittest.main()
