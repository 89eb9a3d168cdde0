#!/usr/bin/env python3
"""tagvetter links over one generated site with every kind of link, good and broken,
through every format and number of jobs: the same bytes for any -j, JSON and SARIF that
parse and name each broken link with its page, line, column, kind and target, the gnu and
text lines agreeing with them, the configuration's [links] and exclude followed, and an
intact copy that gives nothing.

    TAGVETTER_EXE=build/tagvetter python3 tests/cli/links_test.py
"""
import json
import os
import shutil
import subprocess
import tempfile
import unittest

EXE = os.path.abspath(os.environ.get("TAGVETTER_EXE", "build/tagvetter"))

# The pages, line by line. (line, target, kind, existing) marks each broken link; every
# other reference is good.
INDEX = [
    '<!DOCTYPE html>',
    '<a href="about.html">ok</a> <a href="missing.html">gone</a>',
    '<img src="img/photo.jpg" alt="">',
    '<a href="about.html#team">team</a> <a href="about.html#staff">staff</a>',
    '<a href="#top">top</a> <a href="#local">here</a> <a href="#nowhere">nowhere</a>',
    '<a href="../../../../../../../../../../outside.html">out</a>',
    '<a href="docs/">docs</a> <a href="empty/">empty</a>',
    '<a href="/about.html">rooted</a> <a href="about%20us.html?x=1&amp;y=2">spaced</a>',
    '<a href="https://example.org/">far</a> <a href="mailto:keeper@example.org">mail</a>',
    '<img srcset="img/a.png 1x, img/b.png 2x" src="img/a.png" alt="">',
    '<div id="local"></div>',
    '<script src="build/gen.js"></script>',
    '<a href="about.html#x">named</a> <a href="DOCS/index.html">case</a>',
]
BROKEN = [
    (2, "missing.html", "missing-target", None),
    (3, "img/photo.jpg", "letter-case", "img/Photo.JPG"),
    (4, "about.html#staff", "missing-anchor", None),
    (5, "#nowhere", "missing-anchor", None),
    (6, "../../../../../../../../../../outside.html", "outside-root", None),
    (7, "empty/", "missing-target", None),
    (10, "img/b.png", "missing-target", None),
    (13, "DOCS/index.html", "letter-case", "docs/index.html"),
]
EXTERNAL = [(9, "https://example.org/"), (9, "mailto:keeper@example.org")]
# A page below the top, read before index.html: its lookups start deeper than index.html's
# of the same files, and one of its pictures is a symbolic link to nothing.
GALLERY = ['<img src="photo.jpg" alt="">', '<img src="gone.png" alt="">', '<a href="../index.html#local">back</a>']
BROKEN_GALLERY = [
    (1, "photo.jpg", "letter-case", "Photo.JPG"),
    (2, "gone.png", "missing-target", None),
]


def write(root, name, text):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def make_site(root, broken=True):
    lines = INDEX if broken else [line for n, line in enumerate(INDEX, 1) if n not in {b[0] for b in BROKEN}]
    write(root, "index.html", "\n".join(lines) + "\n")
    write(root, "about.html", '<h2 id="team">Team</h2>\n<a name="x"></a>\n<a href="index.html#local">back</a>\n')
    write(root, "about us.html", "<p>spaced</p>\n")
    write(root, "docs/index.html", '<a href="../index.html">up</a>\n')
    os.makedirs(os.path.join(root, "empty"), exist_ok=True)
    write(root, "img/Photo.JPG", "")
    write(root, "img/gallery.html", "\n".join(GALLERY if broken else GALLERY[2:]) + "\n")
    if broken:
        os.symlink(os.path.join(root, "img", "nothing.png"), os.path.join(root, "img", "gone.png"))
    write(root, "img/a.png", "")
    # Left out by the configuration: its broken link is never reported.
    write(root, "vendor/lib.html", '<a href="nothing.html">x</a>\n')
    write(root, "tagvetter.toml", 'exclude = ["vendor/**"]\n[links]\naccept = ["build/**"]\n')


def run(args):
    done = subprocess.run([EXE, "links"] + args, capture_output=True, timeout=60)
    return done.returncode, done.stdout, done.stderr.decode()


class Links(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="tagvetter-links-")
        cls.site = os.path.join(cls.scratch.name, "site")
        make_site(cls.site)
        cls.index = os.path.join(cls.site, "index.html")

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def expected(self):
        """(path, line, column, kind, target, existing) of every broken link, in order."""
        found = []
        gallery = os.path.join(self.site, "img", "gallery.html")
        for page, lines, broken in ((gallery, GALLERY, BROKEN_GALLERY), (self.index, INDEX, BROKEN)):
            for line, target, kind, existing in broken:
                found.append((page, line, lines[line - 1].index(target) + 1, kind, target, existing))
        return found

    def test_every_format_and_any_jobs(self):
        outputs = {}
        for fmt in ("text", "gnu", "json", "sarif"):
            first = None
            for jobs in ("-j1", "-j2", "-j5"):
                status, out, err = run(["--format=" + fmt, jobs, self.site])
                with self.subTest(format=fmt, jobs=jobs):
                    self.assertEqual(status, 1, err)
                    self.assertEqual(err, "5 files examined, 2 with broken links, %d broken links\n" %
                                     (len(BROKEN) + len(BROKEN_GALLERY)))
                    if first is None:
                        first = out
                    self.assertEqual(out, first)
            outputs[fmt] = first.decode()

        records = [json.loads(line) for line in outputs["json"].splitlines()]
        self.assertEqual([(r["path"], r["line"], r["column"], r["kind"], r["target"], r.get("existing"))
                          for r in records], self.expected())
        gnu = ["%s:%d:%d: %s" % (r["path"], r["line"], r["column"], r["message"]) for r in records]
        self.assertEqual(outputs["gnu"].splitlines(), gnu)
        text = outputs["text"].splitlines()
        for page in ("about.html", "about us.html", os.path.join("docs", "index.html")):
            self.assertIn(os.path.join(self.site, page) + ":No broken links", text)
        self.assertEqual([line for line in text if not line.endswith(":No broken links")],
                         ["%s:%04d  %s" % (r["path"], r["line"], r["message"]) for r in records])

        log = json.loads(outputs["sarif"])
        run_ = log["runs"][0]
        rules = [rule["id"] for rule in run_["tool"]["driver"]["rules"]]
        self.assertEqual(rules, ["missing-target", "letter-case", "missing-anchor", "outside-root"])
        self.assertEqual([(r["ruleId"], r["locations"][0]["physicalLocation"]["region"]["startLine"],
                           r["locations"][0]["physicalLocation"]["region"]["startColumn"], rules[r["ruleIndex"]])
                          for r in run_["results"]],
                         [(kind, line, column, kind) for _, line, column, kind, _, _ in self.expected()])
        self.assertTrue(run_["invocations"][0]["executionSuccessful"])

        self.assertEqual([r["message"] for r in records], [
            "photo.jpg - Exists only as Photo.JPG",
            "gone.png - No such file",
            "missing.html - No such file",
            "img/photo.jpg - Exists only as img/Photo.JPG",
            "about.html#staff - No anchor staff there",
            "#nowhere - No anchor nowhere there",
            INDEX[5].split('"')[1] + " - Leads outside the root",
            "empty/ - No such file",
            "img/b.png - No such file",
            "DOCS/index.html - Exists only as docs/index.html",
        ])

    def test_one_page_its_folder_the_root(self):
        status, out, _ = run(["--format=gnu", self.index])
        self.assertEqual(status, 1)
        self.assertEqual(len(out.decode().splitlines()), len(BROKEN))
        # Without the configuration, the accepted target is broken too.
        status, out, _ = run(["--no-config", "--format=json", self.index])
        targets = [json.loads(line)["target"] for line in out.splitlines()]
        self.assertIn("build/gen.js", targets)
        # Another root: the rooted link leads elsewhere.
        status, out, _ = run(["--format=json", "--root", os.path.join(self.site, "docs"), self.index])
        targets = [json.loads(line)["target"] for line in out.splitlines()]
        self.assertIn("/about.html", targets)

    def test_a_page_named_twice(self):
        # Both namings are read and counted; the problems of the second, which follow those
        # of the first, are written with the first, for any number of jobs.
        lines = None
        for jobs in ("-j1", "-j2"):
            status, out, err = run(["--format=gnu", "--root", self.site, jobs, self.index, self.index])
            with self.subTest(jobs=jobs):
                self.assertEqual(status, 1, err)
                self.assertEqual(err, "2 files examined, 1 with broken links, %d broken links\n" % (2 * len(BROKEN)))
                once = ["%s:%d:%d: " % (self.index, line, INDEX[line - 1].index(target) + 1)
                        for line, target, _, _ in BROKEN]
                self.assertEqual([line[:line.index(": ") + 2] for line in out.decode().splitlines()], once + once)
                lines = lines or out
                self.assertEqual(out, lines)

    def test_external_links_are_listed_not_fetched(self):
        status, out, err = run(["--list-external", self.site])
        self.assertEqual(status, 0, err)
        self.assertEqual(out.decode().splitlines(), ["%s:%d: %s" % (self.index, line, target) for line, target in EXTERNAL])

    def test_an_intact_copy_gives_nothing(self):
        intact = os.path.join(self.scratch.name, "intact")
        make_site(intact, broken=False)
        for fmt in ("gnu", "json"):
            status, out, err = run(["--format=" + fmt, intact])
            self.assertEqual((status, out), (0, b""), err)
        status, out, _ = run(["--format=sarif", intact])
        self.assertEqual(json.loads(out)["runs"][0]["results"], [])
        shutil.rmtree(intact)


if __name__ == "__main__":
    unittest.main()
