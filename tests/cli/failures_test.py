#!/usr/bin/env python3
"""Every way a run can fail, through every format of check: a file or LIST that can't be
read, a file over 2 GiB, a FIFO, a folder that can't be listed part way, and output that
can't be written. Whatever fails, the SARIF log is one valid log that names each failure
and says the run did not succeed, JSON comes in whole lines that parse, the good pages'
results are all there, and the exit status is the documented one.

    TAGVETTER_EXE=build/tagvetter python3 tests/cli/failures_test.py
"""
import json
import os
import stat
import subprocess
import tempfile
import time
import unittest

EXE = os.path.abspath(os.environ.get("TAGVETTER_EXE", "build/tagvetter"))
FORMATS = ("text", "gnu", "json", "sarif")
# One fault of the 1990s check and one clean page: the results every run must still give.
FAULTY = b"<P>\n<TD>cell</TD>\n"
CLEAN = b"<P>text</P>\n"


def unprivileged():
    """The words that run a command as a user the file permissions apply to: as root,
    nobody (a folder without read permission is still readable by root)."""
    return ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []


class Failures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="tagvetter-failures-")
        root = cls.root = cls.scratch.name
        os.chmod(root, 0o755)

        def page(name, text):
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(text)
            return path

        cls.faulty = page("faulty.htm", FAULTY)
        cls.clean = page("clean.htm", CLEAN)
        cls.missing = os.path.join(root, "missing.htm")
        cls.fifo = os.path.join(root, "fifo.htm")
        os.mkfifo(cls.fifo)
        cls.huge = os.path.join(root, "huge.htm")
        with open(cls.huge, "wb") as f:
            f.truncate((2 << 30) + 1)  # sparse: no room is taken on disk
        # A folder whose second subfolder can't be listed: the pages around it are examined.
        page("site/a/one.htm", FAULTY)
        page("site/b/two.htm", CLEAN)
        page("site/c/three.htm", FAULTY)
        cls.closed = os.path.join(root, "site", "b")
        os.chmod(cls.closed, 0)
        for folder, _, _ in os.walk(root):
            if folder != cls.closed:
                os.chmod(folder, 0o755)
        cls.listed = page("list.txt", (cls.faulty + "\n" + cls.clean + "\n").encode())

    @classmethod
    def tearDownClass(cls):
        os.chmod(cls.closed, 0o755)
        cls.scratch.cleanup()

    def run_check(self, words, prefix=()):
        done = subprocess.run(list(prefix) + [EXE, "check"] + words, capture_output=True, timeout=60)
        return done.returncode, done.stdout, done.stderr.decode()

    def assert_results(self, fmt, out, paths, failures):
        """The results of `paths` (faulty pages) are whole in `out`, in format `fmt`, and a SARIF
        log names exactly `failures`, in order."""
        if fmt == "sarif":
            log = json.loads(out)
            run = log["runs"][0]
            self.assertEqual(sorted({r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"][len("file://"):]
                                     for r in run["results"]}), sorted(paths))
            invocation = run["invocations"][0]
            self.assertEqual(invocation["executionSuccessful"], not failures)
            notes = invocation["toolExecutionNotifications"]
            self.assertEqual([n["message"]["text"] for n in notes], ["Can't open file: " + f for f in failures])
            self.assertTrue(all(n["level"] == "error" for n in notes))
            return
        self.assertTrue(out == b"" or out.endswith(b"\n"))
        lines = out.decode().splitlines()
        if fmt == "json":
            problems = [json.loads(line) for line in lines]
            self.assertEqual(sorted({p["path"] for p in problems}), sorted(paths))
        else:
            for path in paths:
                self.assertTrue(any(line.startswith(path + ":") for line in lines), (path, lines))

    def test_every_failure_through_every_format(self):
        cases = [
            # (what, the words after "check", the faulty pages examined, the failed inputs, as nobody)
            ("missing file among others", [self.faulty, self.missing, self.clean], [self.faulty], [self.missing], False),
            ("missing LIST", ["--files-from", self.missing, self.faulty], [self.faulty], [self.missing], False),
            ("LIST and a missing file in it", ["--files-from", self.listed, self.missing],
             [self.faulty], [self.missing], False),
            ("file over 2 GiB", [self.huge, self.faulty], [self.faulty], [self.huge], False),
            ("FIFO", [self.fifo, self.faulty], [self.faulty], [self.fifo], False),
            ("folder failing part way", [os.path.join(self.root, "site")],
             [os.path.join(self.root, "site", "a", "one.htm"), os.path.join(self.root, "site", "c", "three.htm")],
             [self.closed], True),
        ]
        for what, words, paths, failures, as_nobody in cases:
            for fmt in FORMATS:
                for jobs in ("-j1", "-j3"):
                    with self.subTest(what=what, format=fmt, jobs=jobs):
                        status, out, err = self.run_check(["--format=" + fmt, jobs] + words,
                                                          unprivileged() if as_nobody else ())
                        self.assertEqual(status, 2, err)
                        for failed in failures:
                            self.assertIn("tagvetter: Can't open file: " + failed + "\n", err)
                        self.assertRegex(err, r"\d+ files? examined, \d+ with problems, \d+ problems?\n$")
                        self.assert_results(fmt, out, paths, failures)

    def test_one_file_alone_that_fails(self):
        for failed in (self.missing, self.huge, self.fifo):
            for fmt in FORMATS:
                with self.subTest(file=failed, format=fmt):
                    status, out, err = self.run_check(["--format=" + fmt, failed])
                    self.assertEqual(status, 2)
                    self.assertEqual(err, "tagvetter: Can't open file: " + failed + "\n")
                    if fmt == "sarif":
                        self.assert_results(fmt, out, [], [failed])
                    else:
                        self.assertEqual(out, b"")

    def test_output_that_cannot_be_written(self):
        # Enough pages that the output is far larger than a pipe holds.
        pages = [self.faulty] * 3000
        for fmt in FORMATS:
            with self.subTest(sink="/dev/full", format=fmt):
                with open("/dev/full", "wb") as full:
                    done = subprocess.run([EXE, "check", "--format=" + fmt] + pages, stdout=full,
                                          stderr=subprocess.PIPE, timeout=60)
                self.assertEqual(done.returncode, 2)
                self.assertEqual(done.stderr.decode().splitlines()[-1], "tagvetter: can't write the output")
            with self.subTest(sink="a pipe closed after one read", format=fmt):
                started = time.monotonic()
                process = subprocess.Popen([EXE, "check", "--format=" + fmt, "-j2"] + pages,
                                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                first = process.stdout.read(4096)
                process.stdout.close()
                err = process.stderr.read().decode()
                self.assertEqual(process.wait(timeout=60), 2)
                self.assertLess(time.monotonic() - started, 30)
                self.assertTrue(first)
                self.assertEqual(err.splitlines()[-1], "tagvetter: can't write the output")
                # Nothing after the failed write: no summary of files never written out.
                self.assertNotIn("examined", err)


if __name__ == "__main__":
    unittest.main()
