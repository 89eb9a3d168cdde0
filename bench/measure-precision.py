#!/usr/bin/env python3
"""Measures the precision of what a build of `tagvetter check` reports that an earlier
build didn't: on the fault benchmark's pages (bench/measure-faults.py chooses them, the
same ones), each problem the new build adds is looked for among an established checker's
findings, run as an opaque program:

  current  120 pages, checked with html5; baseline: the Nu Html Checker (npm vnu-jar on
           Java), confirming a problem when one of its messages (error or warning) covers
           a line of the problem's tag;
  older    60 pages, checked with html4; baseline: onsgmls (Debian opensp) with the HTML
           4.01 Transitional DTD of sgml-data. XHTML pages and pages without a doctype are
           given that DTD's doctype in a copy (XML's "/>" read as ">", xmlns left out, the
           lines kept), since sgml-data has no XHTML DTD.

    bench/measure-precision.py --base OLD [--tagvetter NEW] [--current N] [--older N]
                               [--list FILE]

A problem is new when the new build reports more problems of its kind on its line than
the old one did. The figure that matters: the new problems a page that the baseline
doesn't confirm. With --list, every unconfirmed one is written to FILE for review.

Installs what it needs when run (never in ./test.sh): default-jre-headless, opensp and
sgml-data through apt-get (root), and vnu-jar, pinned, through npm into build/precision.
"""

import argparse
import collections
import importlib.util
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
VNU_VERSION = "26.10.12"
TOOLS = os.path.join(ROOT, "build", "precision")
CATALOGS = ["/usr/share/sgml/html/dtd/4.01/catalog", "/usr/share/sgml/html/entities/catalog"]
HTML401 = b'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">'


def fault_benchmark():
    loader = importlib.util.spec_from_file_location("measure_faults", os.path.join(ROOT, "bench", "measure-faults.py"))
    module = importlib.util.module_from_spec(loader)
    loader.loader.exec_module(module)
    return module


def install():
    missing = [p for p, tool in (("default-jre-headless", "java"), ("opensp", "onsgmls")) if not shutil.which(tool)]
    if not os.path.exists(CATALOGS[0]):
        missing.append("sgml-data")
    if missing:
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends", *missing], check=True,
                       stdout=subprocess.DEVNULL)
    jar = os.path.join(TOOLS, "node_modules", "vnu-jar", "build", "dist", "vnu.jar")
    if not os.path.exists(jar):
        if not shutil.which("npm"):
            subprocess.run(["apt-get", "install", "-y", "--no-install-recommends", "npm"], check=True,
                           stdout=subprocess.DEVNULL)
        os.makedirs(TOOLS, exist_ok=True)
        subprocess.run(["npm", "install", "--silent", "--prefix", TOOLS, f"vnu-jar@{VNU_VERSION}"], check=True)
    return jar


def problems(tagvetter, profile, path):
    """Each problem's (line, column, kind) as check's json gives them."""
    done = subprocess.run([tagvetter, "check", "--no-config", "--format", "json", "--profile", profile, path],
                          capture_output=True)
    if done.returncode not in (0, 1):
        sys.exit(f"measure-precision: {tagvetter} check {path} exited with {done.returncode}")
    found = []
    for line in done.stdout.decode("utf-8", errors="replace").splitlines():
        record = json.loads(line)
        found.append((record.get("line"), record.get("column"), record["kind"], record["message"]))
    return found


def new_problems(old, new):
    """The problems of `new` beyond `old`'s count of their kind on their line."""
    before = collections.Counter((line, kind) for line, _, kind, _ in old)
    added = []
    for p in new:
        key = (p[0], p[2])
        if before[key] > 0:
            before[key] -= 1
        else:
            added.append(p)
    return added


def tag_lines(text_lines, line, column):
    """The lines of the tag a problem stands in: from its line to the one of the next ">"."""
    if line is None:
        return None
    last = line
    rest = text_lines[line - 1][max(0, (column or 1) - 1):] if line <= len(text_lines) else b""
    while b">" not in rest and last < len(text_lines) and last - line < 20:
        last += 1
        rest = text_lines[last - 1]
    return line, last


def vnu_findings(jar, pages):
    """{path: [(first line, last line)]} of the Nu checker's errors and warnings."""
    # Its schema needs a deep stack: with less it prints a plain-text complaint, not json.
    done = subprocess.run(["java", "-Xss4m", "-jar", jar, "--format", "json", "--exit-zero-always", *pages],
                          capture_output=True)
    output = done.stderr.decode("utf-8", errors="replace")
    try:
        messages = json.loads(output)["messages"]
    except (ValueError, KeyError):
        sys.exit("measure-precision: the Nu Html Checker gave no json report: " + output[:300])
    found = collections.defaultdict(list)
    for message in messages:
        url = message.get("url", "")
        # Errors and warnings; plain information is no finding.
        if message.get("type") == "info" and message.get("subType") != "warning":
            continue
        if not url.startswith("file:") or "lastLine" not in message:
            continue
        path = os.path.realpath(urllib_unquote(url[len("file:"):]))
        found[path].append((message.get("firstLine", message["lastLine"]), message["lastLine"]))
    return found


def urllib_unquote(text):
    import urllib.parse
    return urllib.parse.unquote(text)


def as_html401(text):
    """The page as onsgmls can read it with HTML 4.01 Transitional, its lines kept."""
    text = re.sub(rb"<\?xml[^>]*\?>", b"", text, count=1)
    doctype = re.search(rb"<!doctype[^>]*>", text[:2000], re.I)
    if doctype:
        text = text[:doctype.start()] + HTML401 + text[doctype.end():]
    else:
        text = HTML401 + text
    text = re.sub(rb"\s+xmlns(:\w+)?=\"[^\"]*\"", b"", text)
    text = re.sub(rb"\s+xml:lang=\"[^\"]*\"", b"", text)
    return re.sub(rb"\s*/>", b">", text)


def onsgmls_findings(path, folder):
    with open(path, "rb") as f:
        text = as_html401(f.read())
    copy = os.path.join(folder, "page.html")
    with open(copy, "wb") as f:
        f.write(text)
    env = dict(os.environ, SGML_CATALOG_FILES=":".join(CATALOGS), SP_CHARSET_FIXED="YES", SP_ENCODING="XML")
    done = subprocess.run(["onsgmls", "-s", "-E0", copy], capture_output=True, env=env)
    found = []
    for line in done.stderr.decode("utf-8", errors="replace").splitlines():
        match = re.match(r"onsgmls:[^:]*:(\d+):\d+:[EW]:", line)
        if match:
            found.append((int(match.group(1)), int(match.group(1))))
    return found


def unchecked_by_vnu(kind, message):
    """Whether the Nu checker never reports a problem of this kind: a link to a fragment
    the page lacks is no fault of conformance, and it doesn't follow aria-* references."""
    return kind == "missing-anchor" or (kind == "missing-id" and "(aria-" in message)


def confirmed(span, findings):
    return span is not None and any(first <= span[1] + 1 and last >= span[0] - 1 for first, last in findings)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--base", required=True, help="the earlier build's tagvetter")
    parser.add_argument("--tagvetter", default=os.path.join(ROOT, "build", "tagvetter"))
    parser.add_argument("--current", type=int, default=120)
    parser.add_argument("--older", type=int, default=60)
    parser.add_argument("--list", help="write the unconfirmed new problems here")
    args = parser.parse_args()

    jar = install()
    faults = fault_benchmark()
    sets = [("current", "html5", faults.choose_pages("current", faults.CURRENT_SOURCES, args.current)),
            ("older", "html4", faults.choose_pages("older", faults.OLDER_SOURCES, args.older))]
    unconfirmed_lines = []
    with tempfile.TemporaryDirectory() as folder:
        for set_name, profile, chosen in sets:
            pages = [p for _, paths in chosen for p in paths]
            findings = vnu_findings(jar, pages) if set_name == "current" else None
            by_kind = collections.defaultdict(lambda: [0, 0])
            blind = 0  # unconfirmed, of what the baseline doesn't look at
            for page in pages:
                added = new_problems(problems(args.base, profile, page), problems(args.tagvetter, profile, page))
                if not added:
                    continue
                with open(page, "rb") as f:
                    text_lines = f.read().split(b"\n")
                found = findings[os.path.realpath(page)] if findings is not None else onsgmls_findings(page, folder)
                for line, column, kind, message in added:
                    ok = confirmed(tag_lines(text_lines, line, column), found)
                    by_kind[kind][0] += 1
                    by_kind[kind][1] += 1 if ok else 0
                    if not ok:
                        unconfirmed_lines.append(f"{page}:{line}:{column}: {kind}: {message}")
                        if set_name == "current" and unchecked_by_vnu(kind, message):
                            blind += 1
            total = sum(n for n, _ in by_kind.values())
            sure = sum(c for _, c in by_kind.values())
            baseline = "the Nu Html Checker" if set_name == "current" else "onsgmls"
            print(f"{profile} on {len(pages)} {set_name} pages: {total} new problems, {sure} confirmed by {baseline}, "
                  f"{(total - sure) / max(1, len(pages)):.2f} unconfirmed a page")
            if blind:
                print(f"  of the unconfirmed, {blind} are of what {baseline} doesn't look at (links to a fragment, "
                      f"aria-* references); without them {(total - sure - blind) / max(1, len(pages)):.2f} a page")
            print(f"  {'kind':<30} {'new':>6} {'confirmed':>10}")
            for kind, (n, c) in sorted(by_kind.items()):
                print(f"  {kind:<30} {n:>6} {c:>10}")
            print()
    if args.list:
        with open(args.list, "w") as f:
            f.write("".join(line + "\n" for line in unconfirmed_lines))
        print(f"{len(unconfirmed_lines)} unconfirmed problems written to {args.list}")


if __name__ == "__main__":
    main()
