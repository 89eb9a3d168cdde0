#!/usr/bin/env python3
"""The real tagvetter program over a generated site: the same bytes for any number of
jobs, JSON and SARIF that parse as such and agree with the text lines whatever bytes the
pages hold, the progress line on a terminal only, and a page truncated while it is read.

    TAGVETTER_EXE=build/tagvetter python3 tests/cli/site_test.py
"""
import json
import os
import re
import pty
import random
import select
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

EXE = os.environ.get("TAGVETTER_EXE", "build/tagvetter")

# Pieces of pages: clean ones, problems of every kind, and names with bytes that are not
# UTF-8, quotes, backslashes and control characters.
PIECES = [
    b"<P>plain text</P>\n", b"<TABLE><TR><TD>cell</TD></TR></TABLE>\n", b"<A href=\"x.htm\">x</A>\n",
    b"<sidebar>\n", b"<b><b>\n", b"</i>\n", b"<FONT colour=red></FONT>\n", b"</ul>\n",
    b"<A href=\"x>\n", b"<td>\n", b"<div>\n", b"<caf\xe9>\n", b"<FONT \xff\xfe=1></FONT>\n",
    b"<x\"y\\z\x01>\n", b"<\xe2\x82\xac>\n", b"<PRE>\n<bogus>\n</PRE>\n",
    b"<p><b>x<i>y</b>z</i></p>\n", b"a</br>b\n", b"<table><tr class=\"x\"<td>c</td></tr></table>\n",
    b"\xc3\xa9<caf\xc3\xa9 \xff=1>\n",
]

# Page starts, with the profile each names.
DOCTYPES = [
    ("html32", b""), ("html5", b"<!DOCTYPE html>\n"),
    ("html4", b"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\n"),
]


def run(args, stdin=b""):
    done = subprocess.run([EXE] + args, input=stdin, capture_output=True)
    return done.returncode, done.stdout, done.stderr


class Site(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="tagvetter-site-")
        root = os.fsencode(cls.folder.name)
        rng = random.Random(9)
        names = [b"page%03d.htm" % i for i in range(60)] + [b"Caf\xe9 page.HTML", b"deep/er/\xc3\xa9t\xc3\xa9.html"]
        # The profile each page's doctype names, for --profile auto.
        cls.profile_of = {}
        for i, name in enumerate(names):
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            # Sizes from nothing to a few hundred kilobytes, so the jobs finish out of order.
            count = rng.choice([0, 1, 5, 40, 300]) if i % 7 else 2000
            profile, doctype = DOCTYPES[i % len(DOCTYPES)]
            cls.profile_of[path] = profile
            with open(path, "wb") as f:
                f.write(doctype + b"".join(rng.choice(PIECES) for _ in range(count)))
        cls.root = root

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_every_command_and_format_gives_the_same_bytes_for_any_jobs(self):
        commands = [["count"], ["tags"], ["tag", "a"]] + [["check", "--format=" + f] for f in ("text", "gnu", "json", "sarif")]
        commands += [["check", "--profile=html5", "--format=sarif"], ["count", "--profile=html4"], ["tags", "--profile=html5"]]
        commands += [["check", "--profile=auto", "--format=" + f] for f in ("gnu", "sarif")] + [["tags", "--profile=auto"]]
        for command in commands:
            first = run(command + ["-j1", self.folder.name])
            for jobs in ("-j2", "-j5"):
                self.assertEqual(run(command + [jobs, self.folder.name]), first, command + [jobs])

    def test_a_list_may_come_through_a_pipe(self):
        listed = b"".join(os.path.join(self.root, b"page%03d.htm" % i) + b"\n" for i in (3, 1, 2))
        through_dash = run(["count", "--files-from", "-"], listed)
        self.assertEqual(through_dash[0], 0)
        self.assertTrue(through_dash[2].endswith(b" in 3 files\n"))
        self.assertEqual(run(["count", "--files-from", "/dev/stdin"], listed), through_dash)

    def test_json_and_sarif_parse_and_agree_with_the_text_lines(self):
        # html32 places a problem on its line; html4 and html5 on its line and column.
        rules = {}
        for profile, kind_count in (("html32", 8), ("html4", 9), ("html5", 10)):
            with self.subTest(profile=profile):
                rules[profile], kinds = self.check_formats_agree(["--profile", profile], lambda path: profile != "html32")
                self.assertEqual(len(rules[profile]), 9 if profile == "html32" else 28)
                self.assertEqual(len(kinds), kind_count, sorted(kinds))
        # With auto each page is placed as its own profile places it, and the rules are every
        # profile's: html32's, then the others'.
        with self.subTest(profile="auto"):
            chosen, _ = self.check_formats_agree(["--profile", "auto"], lambda path: self.profile_of[path] != "html32")
            self.assertEqual(chosen, list(dict.fromkeys(rules["html32"] + rules["html4"] + rules["html5"])))

    def check_formats_agree(self, options, has_columns):
        """The SARIF log's rule ids and the kinds of the problems found."""
        status, text, _ = run(["check"] + options + [self.folder.name])
        _, gnu, _ = run(["check", "--format=gnu"] + options + [self.folder.name])
        _, lines, _ = run(["check", "--format=json"] + options + [self.folder.name])
        _, log, err = run(["check", "--format=sarif"] + options + [self.folder.name])
        self.assertEqual(status, 1)
        records = [json.loads(line) for line in lines.decode("utf-8").splitlines()]
        sarif = json.loads(log.decode("utf-8"))
        self.assertTrue(err.endswith(b" problems\n"))

        # Each record, written back as the text and the GNU formats would, is their line,
        # where path and message were UTF-8 already (elsewhere U+FFFD stands in).
        text_lines = [l for l in text.split(b"\n") if l and not l.endswith(b":No errors found")]
        gnu_lines = [l for l in gnu.split(b"\n") if l]
        self.assertEqual(len(records), len(text_lines))
        self.assertEqual(len(records), len(gnu_lines))
        kinds = set()
        checked = 0
        results = sarif["runs"][0]["results"]
        for record, text_line, gnu_line, result in zip(records, text_lines, gnu_lines, results):
            uri = result["locations"][0]["physicalLocation"]["artifactLocation"]["uri"]
            columns = has_columns(urllib.parse.unquote_to_bytes(uri[len("file://"):]))
            # A page read as HTML has columns and rates each problem.
            fields = {"path", "line", "kind", "name", "message"} | ({"column", "severity"} if columns else set())
            self.assertEqual(set(record) - {"tag", "count"}, fields)
            kinds.add(record["kind"])
            if "\ufffd" in record["path"] + record["message"]:
                continue
            path, message = record["path"].encode(), record["message"].encode()
            label = b"" if record["line"] is None else b"%04d  " % record["line"]
            where = b"" if record["line"] is None else b":%d" % record["line"]
            if columns:
                where += b":%d" % record["column"]
            self.assertEqual(text_line, path + b":" + label + message)
            severity = record["severity"].encode() + b": " if columns else b""
            self.assertEqual(gnu_line, path + where + b": " + severity + message)
            checked += 1
        self.assertGreater(checked, len(records) // 2)

        self.assertEqual(sarif["version"], "2.1.0")
        run_ = sarif["runs"][0]
        rules = [rule["id"] for rule in run_["tool"]["driver"]["rules"]]
        self.assertLessEqual(kinds, set(rules))
        self.assertEqual(len(run_["results"]), len(records))
        for result, record in zip(run_["results"], records):
            self.assertEqual(result["ruleId"], record["kind"])
            self.assertEqual(rules[result["ruleIndex"]], record["kind"])
            self.assertEqual(result["message"]["text"], record["message"])
            location = result["locations"][0]["physicalLocation"]
            uri = location["artifactLocation"]["uri"]
            # The URI gives back the path's very bytes, the ones JSON could not carry too.
            self.assertTrue(uri.startswith("file:///"))
            self.assertTrue(urllib.parse.unquote_to_bytes(uri[len("file://"):]).startswith(self.root))
            self.assertEqual(location.get("region", {}).get("startLine"), record["line"])
            self.assertEqual(location.get("region", {}).get("startColumn"), record.get("column"))
        self.assertTrue(run_["invocations"][0]["executionSuccessful"])

        # One page alone is written as it is made, in pieces: still one log.
        _, alone, _ = run(["check", "--format=sarif"] + options + [os.path.join(self.folder.name, "page000.htm")])
        self.assertGreater(len(alone), 1 << 16)
        self.assertTrue(json.loads(alone)["runs"][0]["results"])
        return rules, kinds

    def test_unreadable_files_are_notifications_of_an_unsuccessful_run(self):
        page = os.path.join(self.folder.name, "page001.htm")
        # A file among others, a file alone and a LIST: each a whole log that says so.
        for args, missing in ((["/nonexistent/a.htm", page], "/nonexistent/a.htm"),
                              (["/nonexistent/a.htm"], "/nonexistent/a.htm"),
                              (["--files-from", "/nonexistent/a.list", page], "/nonexistent/a.list")):
            with self.subTest(args=args):
                status, log, err = run(["check", "--format=sarif"] + args)
                self.assertEqual(status, 2)
                self.assertEqual(err.splitlines()[0], b"tagvetter: Can't open file: " + missing.encode())
                invocation = json.loads(log)["runs"][0]["invocations"][0]
                self.assertFalse(invocation["executionSuccessful"])
                self.assertEqual(invocation["toolExecutionNotifications"][0]["message"]["text"],
                                 "Can't open file: " + missing)


class Progress(unittest.TestCase):
    """A run that waits 1.5 s on standard input, its error stream a terminal or a pipe."""

    def run_waiting(self, err_is_terminal):
        with tempfile.NamedTemporaryFile(suffix=".htm") as page:
            page.write(b"<P>x</P>")
            page.flush()
            master = slave = None
            if err_is_terminal:
                master, slave = pty.openpty()
            process = subprocess.Popen([EXE, "check", "-j2", page.name, "-", page.name], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, stderr=slave if slave is not None else subprocess.PIPE)
            time.sleep(1.5)
            process.stdin.write(b"<td>")
            process.stdin.close()
            out = process.stdout.read()
            process.stdout.close()
            if slave is None:
                err = process.stderr.read()
                process.stderr.close()
            else:
                os.close(slave)
                err = b""
                while select.select([master], [], [], 5)[0]:
                    try:
                        chunk = os.read(master, 4096)
                    except OSError:  # the terminal is gone with the process
                        break
                    if not chunk:
                        break
                    err += chunk
                os.close(master)
            self.assertEqual(process.wait(), 1)
            return out, err

    def test_shown_on_a_terminal_and_erased(self):
        out, err = self.run_waiting(True)
        self.assertIn(b"\rtagvetter: 1 of 3 files", err)
        # Erased before the summary: spaces over the line, back to its start.
        line_length = len(b"tagvetter: 1 of 3 files")
        self.assertIn(b"\r" + b" " * line_length + b"\r3 files examined", err)
        self.assertIn(b"-:0001  TD - This tag should be in a table\n", out)

    def test_never_shown_on_a_pipe(self):
        _, err = self.run_waiting(False)
        self.assertEqual(err, b"3 files examined, 1 with problems, 1 problem\n")


class Truncation(unittest.TestCase):
    def test_a_page_truncated_and_regrown_while_examined_gives_a_defined_result(self):
        with tempfile.NamedTemporaryFile(suffix=".htm") as page:
            block = b"<P>some text of the page</P>\n" * 4096
            for _ in range(200 * 1024 * 1024 // len(block)):
                page.write(block)
            page.flush()
            size = page.tell()
            # Another process cuts the file and lets it grow again, as fast as it can.
            cutter = subprocess.Popen([sys.executable, "-c", (
                "import os, random, sys\n"
                "path, size = sys.argv[1], int(sys.argv[2])\n"
                "while True:\n"
                "    os.truncate(path, random.randrange(size))\n"
                "    os.truncate(path, size)\n"), page.name, str(size)])
            try:
                for command in (["check"], ["count"], ["tags"], ["check", "-j2", page.name]):
                    status, out, err = run(command + [page.name])
                    self.assertNotIn(b"Can't open", err, command)
                    # Caught while short, a page is not counted as examined, and an error
                    # says why (a listing of one page may have begun by then).
                    changed = err.count(b"File changed while it was read: " + page.name.encode())
                    self.assertIn(status, (0, 1) if changed == 0 else (2,), command)
                    if len(command) > 1:
                        examined = re.search(rb"(\d+) files? examined", err)
                        self.assertEqual(int(examined.group(1)) + changed, 2, command)
            finally:
                cutter.kill()
                cutter.wait()


if __name__ == "__main__":
    unittest.main()
