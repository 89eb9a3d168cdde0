#!/usr/bin/env python3
"""scripts/install-deps.sh on a package mirror's bad days, run against fakes of apt-get,
dpkg, dpkg-query, id and sleep put first on PATH, so the real system is never touched.
The fakes keep their state (installed packages, calls made) in a scratch folder.

    python3 tests/scripts/install_deps_test.py
"""
import os
import re
import subprocess
import tempfile
import unittest
from pathlib import Path

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "install-deps.sh")

# The fakes read their behaviour from FAKE_* variables and log every call to calls.log.
FAKES = {
    "dpkg-query": r"""#!/bin/bash
echo "dpkg-query $*" >>"$FAKE_STATE/calls.log"
pkg=${@: -1}
if grep -qx -- "$pkg" "$FAKE_STATE/installed"; then printf 'install ok installed'; else
  echo "dpkg-query: no packages found matching $pkg" >&2; exit 1; fi
""",
    "dpkg": r"""#!/bin/bash
echo "dpkg $*" >>"$FAKE_STATE/calls.log"
case "$1" in
  --print-foreign-architectures) cat "$FAKE_STATE/arches" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE_STATE/arches" ;;
esac
""",
    "apt-get": r"""#!/bin/bash
echo "apt-get $*" >>"$FAKE_STATE/calls.log"
case "$1" in
  update)
    if [ "${FAKE_UPDATE_RC:-0}" -ne 0 ]; then
      echo "E: Failed to fetch http://deb.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit "$FAKE_UPDATE_RC"
    fi ;;
  install)
    shift; pkgs=()
    for a in "$@"; do case "$a" in -*) ;; *) pkgs+=("$a") ;; esac; done
    # A transaction is whole or nothing: one refused package refuses them all.
    for p in "${pkgs[@]}"; do
      if [[ -n "${FAKE_REFUSE:-}" && "$p" =~ $FAKE_REFUSE ]]; then
        echo "Some packages could not be installed."
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
    done
    printf '%s\n' "${pkgs[@]}" >>"$FAKE_STATE/installed" ;;
esac
""",
    "id": """#!/bin/bash
echo "${FAKE_UID:-0}"
""",
    "sleep": """#!/bin/bash
echo "sleep $*" >>"$FAKE_STATE/calls.log"
""",
}

def required_packages():
    """The script's own list of required packages, read from its text."""
    text = Path(SCRIPT).read_text()
    body = re.search(r"^required=\((.*?)^\)", text, re.S | re.M).group(1)
    return body.split()


class InstallDeps(unittest.TestCase):
    def run_script(self, installed, **fake):
        """Runs the script with the fakes, `installed` already present; returns
        (exit status, standard error, calls made, packages installed afterwards)."""
        scratch = tempfile.TemporaryDirectory(prefix="tagvetter-install-deps-")
        self.addCleanup(scratch.cleanup)
        bin_dir = os.path.join(scratch.name, "bin")
        os.mkdir(bin_dir)
        for name, text in FAKES.items():
            path = os.path.join(bin_dir, name)
            with open(path, "w") as f:
                f.write(text)
            os.chmod(path, 0o755)
        with open(os.path.join(scratch.name, "installed"), "w") as f:
            f.write("".join(p + "\n" for p in installed))
        open(os.path.join(scratch.name, "calls.log"), "w").close()
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"], FAKE_STATE=scratch.name,
                   **{"FAKE_" + k.upper(): str(v) for k, v in fake.items()})
        done = subprocess.run(["bash", SCRIPT], env=env, capture_output=True, text=True, timeout=60)
        calls = Path(scratch.name, "calls.log").read_text().splitlines()
        now = Path(scratch.name, "installed").read_text().split()
        return done.returncode, done.stderr, calls, now

    def test_a_mid_sync_mirror_leaves_out_only_the_32_bit_wine(self):
        status, err, calls, now = self.run_script([], update_rc=100, refuse=r":i386$")
        self.assertEqual(status, 0, err)
        # Three tries, a pause between them, then on with the lists apt has.
        self.assertEqual([c for c in calls if c.startswith(("apt-get update", "sleep"))],
                         ["apt-get update -qq", "sleep 2"] * 2 + ["apt-get update -qq"])
        self.assertIn("install-deps: apt-get update failed (3 tries): Failed to fetch "
                      "http://deb.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has "
                      "unexpected size (374820 != 376004). Mirror sync in progress?; going on with the "
                      "package lists apt has\n", err)
        self.assertIn("install-deps: left out wine32:i386 (the 32-bit Wine), so the 32-bit Windows tests "
                      "won't run here: apt said: Unable to correct problems, you have held broken packages. "
                      "(apt-get update had failed, so its lists may be incomplete)\n", err)
        self.assertEqual(len(err.splitlines()), 2, err)
        # The 32-bit Wine has an install of its own, after every required package went in.
        installs = [c for c in calls if c.startswith("apt-get install")]
        self.assertEqual(len(installs), 2, calls)
        self.assertNotIn("wine32:i386", installs[0])
        self.assertTrue(installs[1].endswith(" wine32:i386"), installs[1])
        self.assertEqual(sorted(now), sorted(required_packages()))
        self.assertIn("dpkg --add-architecture i386", calls)

    def test_a_refused_required_package_stops_the_set_up_and_is_named(self):
        status, err, calls, now = self.run_script([], refuse=r"^neovim$")
        self.assertEqual(status, 1)
        self.assertEqual(err, "install-deps: can't install the required package neovim: Unable to correct "
                              "problems, you have held broken packages.\n")
        self.assertNotIn("neovim", now)
        self.assertFalse(any("wine32" in c for c in calls), calls)

    def test_with_every_required_package_present_nothing_is_asked_of_apt_or_root(self):
        # Not root, the update would fail and the 32-bit Wine is missing: none of it matters.
        status, err, calls, now = self.run_script(required_packages(), uid=1000, update_rc=100)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual([c for c in calls if not c.startswith("dpkg-query")], [])

    def test_missing_packages_without_root_are_named(self):
        status, err, calls, _ = self.run_script(required_packages()[1:], uid=1000)
        self.assertEqual(status, 1)
        self.assertEqual(err, "install-deps: these packages are missing and installing them needs root: "
                              f"{required_packages()[0]}\n")
        self.assertFalse(any(c.startswith(("apt-get", "dpkg ")) for c in calls), calls)


if __name__ == "__main__":
    unittest.main()
