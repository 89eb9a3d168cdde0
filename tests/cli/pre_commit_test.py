#!/usr/bin/env python3
"""The repository's pre-commit hook, tried with Debian's pre-commit as a site's repository
uses it: a commit whose page has a fault is refused with the fault's line, and the same
commit with the fault mended goes in.

    TAGVETTER_EXE=build/tagvetter python3 tests/cli/pre_commit_test.py
"""
import os
import shutil
import subprocess
import tempfile
import unittest

EXE = os.path.abspath(os.environ.get("TAGVETTER_EXE", "build/tagvetter"))
HOOKS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", ".pre-commit-hooks.yaml")


class PreCommitHook(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory(prefix="tagvetter-pre-commit-")
        root = self.scratch.name
        # The program on the PATH as the hook finds it, under the name it is installed as.
        bin_folder = os.path.join(root, "bin")
        os.mkdir(bin_folder)
        os.symlink(EXE, os.path.join(bin_folder, "tagvetter"))
        self.env = dict(os.environ, PATH=bin_folder + os.pathsep + os.environ["PATH"],
                        PRE_COMMIT_HOME=os.path.join(root, "cache"), GIT_AUTHOR_NAME="Site Keeper",
                        GIT_AUTHOR_EMAIL="keeper@example.org", GIT_COMMITTER_NAME="Site Keeper",
                        GIT_COMMITTER_EMAIL="keeper@example.org", GIT_CONFIG_GLOBAL=os.devnull)
        # The hooks file of this working tree, committed in a repository of its own.
        self.hooks = os.path.join(root, "hooks")
        os.mkdir(self.hooks)
        shutil.copy(HOOKS, os.path.join(self.hooks, ".pre-commit-hooks.yaml"))
        self.git(self.hooks, "init", "-q")
        self.git(self.hooks, "add", ".")
        self.git(self.hooks, "commit", "-q", "-m", "hooks")
        rev = self.git(self.hooks, "rev-parse", "HEAD").strip()
        # The site: its configuration, its pre-commit configuration and the hook installed.
        self.site = os.path.join(root, "site")
        os.mkdir(self.site)
        self.git(self.site, "init", "-q")
        self.write("tagvetter.toml", 'profile = "html5"\nexclude = ["vendor/**"]\n')
        self.write(".pre-commit-config.yaml",
                   "repos:\n- repo: %s\n  rev: %s\n  hooks:\n  - id: tagvetter\n" % (self.hooks, rev))
        subprocess.run(["pre-commit", "install"], cwd=self.site, env=self.env, check=True, capture_output=True)

    def git(self, folder, *words):
        return subprocess.run(["git", "-C", folder] + list(words), env=self.env, capture_output=True, text=True,
                              check=True).stdout

    def tearDown(self):
        self.scratch.cleanup()

    def write(self, name, text):
        path = os.path.join(self.site, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)

    def commit(self):
        self.git(self.site, "add", "-A")
        done = subprocess.run(["git", "-C", self.site, "commit", "-m", "pages"], env=self.env,
                              capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr

    def test_a_fault_is_refused_and_its_mending_goes_in(self):
        self.write("index.html", "<!DOCTYPE html>\n<title>Home</title>\n<div>\n<p>Text</div>\n</span>\n")
        # A vendor page the configuration leaves out: its faults never hold a commit up.
        self.write("vendor/lib.html", "<blink>old</blink>\n")
        status, output = self.commit()
        self.assertNotEqual(status, 0, output)
        self.assertIn("index.html:5:1: error: /span - ", output)
        self.assertNotIn("vendor/lib.html", output)
        self.assertEqual(self.git(self.site, "rev-list", "--all"), "")

        self.write("index.html", "<!DOCTYPE html>\n<title>Home</title>\n<div>\n<p>Text</div>\n")
        status, output = self.commit()
        self.assertEqual(status, 0, output)
        self.assertIn("tagvetter check", output)
        self.assertEqual(len(self.git(self.site, "rev-list", "--all").split()), 1)


if __name__ == "__main__":
    unittest.main()
