#!/usr/bin/env python3
"""Measures how well `tagvetter links` finds broken links put by hand into a copy of a
real site, and how long it takes beside `tagvetter check`.

    bench/measure-links.py [--site DIR] [--seed N] [--per-kind N] [--tagvetter PATH]
                           [--keep]

The site (default: the Python documentation of python3-doc) is copied to a scratch
folder and `links --format json --no-config` runs on the intact copy; what it reports
there is listed by kind and taken as known. Then, with a fixed seed, the copy gets:

  a page deleted          every reference to it becomes missing-target
  an anchor renamed       every reference to that page#id becomes missing-anchor
  a page renamed          to its name in swapped letter case: every reference to it
                          becomes letter-case, with `existing` the new name
  links edited            --per-kind each (default 20), each in its own page: to a
                          missing file (missing-target), above the root
                          (outside-root), to a missing #fragment of an existing
                          page (missing-anchor)

Each fault is recorded at the page, line and column of the reference's value (after
its opening quote). References are read from the pages' text: double-quoted href and
src attributes on one line, outside comments, scripts and styles. A second run is
then compared: a fault is found when a report of its kind stands at its place; a
report that is neither a fault nor on the intact list is false. The script
exits 0 once the table is printed: it measures, it doesn't judge. When tagvetter links
fails or crashes, the script says so, keeps the scratch copy and exits 1.
"""

import argparse
import collections
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_SITE = "/usr/share/doc/python3-doc/html"
KINDS = ("missing-target", "letter-case", "missing-anchor", "outside-root")
PAGE_NAME = re.compile(r"\.html?$", re.IGNORECASE)
# Blanked before references are read: their text holds no attributes.
OPAQUE = re.compile(r"<!--.*?-->|<(script|style)\b.*?</\1\s*>", re.IGNORECASE | re.DOTALL)
TAG = re.compile(r"<([a-zA-Z][a-zA-Z0-9]*)\b[^<>]*>")
LINK_ATTRIBUTE = re.compile(r'\s(href|src)="([^"\n]*)"', re.IGNORECASE)
ID_ATTRIBUTE = re.compile(r'\sid="([A-Za-z0-9_.-]+)"')
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


class Reference:
    """One href or src value of a page, with where it resolves inside the site."""

    def __init__(self, page, tag, line, column, offset, value, target, fragment):
        self.page = page          # site-relative path of the page holding it
        self.tag = tag            # lower-case tag name
        self.line = line
        self.column = column
        self.offset = offset      # of the value's first character in the page text
        self.value = value
        self.target = target      # site-relative path it leads to, None when external
        self.fragment = fragment  # decoded, None when there is no '#'


def site_pages(site):
    pages = []
    for folder, subfolders, files in os.walk(site):
        subfolders.sort()
        pages += [os.path.relpath(os.path.join(folder, name), site) for name in files if PAGE_NAME.search(name)]
    return sorted(pages)


def read_text(path):
    with open(path, encoding="utf-8", errors="replace", newline="") as stream:
        return stream.read()


def write_text(path, text):
    with open(path, "w", encoding="utf-8", errors="replace", newline="") as stream:
        stream.write(text)


def resolve(page, value):
    """The site-relative path and decoded fragment VALUE leads to from PAGE; a path of
    None for external links and for links above the site's folder."""
    if SCHEME.match(value) or value.startswith("//"):
        return None, None
    path, hash_sign, fragment = value.partition("#")
    path = path.split("?", 1)[0]
    fragment = urllib.parse.unquote(fragment) if hash_sign else None
    if not path:
        return page, fragment
    if path.startswith("/"):
        joined = path.lstrip("/")
    else:
        joined = os.path.join(os.path.dirname(page), urllib.parse.unquote(path))
    normal = os.path.normpath(joined)
    if normal == ".." or normal.startswith("../") or os.path.isabs(normal):
        return None, None
    return normal, fragment


def read_references(site, page):
    text = read_text(os.path.join(site, page))
    visible = OPAQUE.sub(lambda match: re.sub(r"[^\n]", " ", match.group(0)), text)
    line_starts = [0] + [match.end() for match in re.finditer("\n", text)]
    references = []
    line = 0
    for tag in TAG.finditer(visible):
        for attribute in LINK_ATTRIBUTE.finditer(tag.group(0)):
            offset = tag.start() + attribute.start(2)
            while line + 1 < len(line_starts) and line_starts[line + 1] <= offset:
                line += 1
            value = attribute.group(2)
            target, fragment = resolve(page, value)
            references.append(Reference(page, tag.group(1).lower(), line + 1, offset - line_starts[line] + 1,
                                        offset, value, target, fragment))
    return text, references


def run_links(tagvetter, site):
    result = subprocess.run([tagvetter, "links", "--format", "json", "--no-config", site],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode not in (0, 1):
        ending = f"signal {-result.returncode}" if result.returncode < 0 else f"status {result.returncode}"
        raise RunFailed(f"tagvetter links ended with {ending} on {site}: {result.stderr.strip()}")
    reports = []
    for line in result.stdout.splitlines():
        report = json.loads(line)
        report["page"] = os.path.relpath(report["path"], site)
        reports.append(report)
    return reports


class RunFailed(Exception):
    pass


def report_key(report):
    return (report["page"], report["line"], report["column"], report["kind"], report["target"])


class Fault:
    def __init__(self, group, page, line, column, kind, target, existing=None):
        self.group = group        # what was done: "page deleted", "link to missing file", ...
        self.page = page
        self.line = line
        self.column = column
        self.kind = kind
        self.target = target
        self.existing = existing  # expected for letter-case, when it can be told


def replace_value(text, reference, value):
    end = reference.offset + len(reference.value)
    assert text[reference.offset:end] == reference.value
    return text[:reference.offset] + value + text[end:]


def swapped_name(page):
    folder, name = os.path.split(page)
    return os.path.join(folder, name.swapcase())


def plant_faults(site, pages, texts, references, intact, rng, per_kind):
    """Puts the faults into SITE and returns them, with the intact reports' keys as they
    read after the renaming."""
    ids = {page: set(ID_ATTRIBUTE.findall(texts[page])) for page in pages}
    page_set = set(pages)
    incoming = collections.defaultdict(list)
    for page in pages:
        for reference in references[page]:
            if reference.target in page_set:
                incoming[reference.target].append(reference)
    lines_with_problems = {(report["page"], report["line"]) for report in intact}

    def from_others(page):
        return [reference for reference in incoming[page] if reference.page != page]

    def is_plain_page(page):
        name = os.path.basename(page).lower()
        return not name.startswith(("index.", "genindex", "search.")) and name.swapcase() != name

    # Pages with a fair number of references from elsewhere, so losing one is felt.
    candidates = [page for page in pages if is_plain_page(page) and 3 <= len(from_others(page)) <= 200]
    deleted, renamed = rng.sample(candidates, 2)
    renamed_to = swapped_name(renamed)
    faults = []

    def current(page):
        return renamed_to if page == renamed else page

    for reference in incoming[deleted]:
        if reference.page != deleted:
            faults.append(Fault("page deleted", current(reference.page), reference.line, reference.column,
                                "missing-target", reference.value))
    os.remove(os.path.join(site, deleted))

    for reference in incoming[renamed]:
        path, hash_sign, fragment = reference.value.partition("#")
        folder, _, name = path.rpartition("/")
        existing = None
        if name == os.path.basename(renamed):
            existing = (folder + "/" if folder else "") + os.path.basename(renamed_to) + hash_sign + fragment
        if path:
            faults.append(Fault("page renamed", current(reference.page), reference.line, reference.column,
                                "letter-case", reference.value, existing))
    os.rename(os.path.join(site, renamed), os.path.join(site, renamed_to))

    # An anchor of a page that stays, referred to from at least two pages, and not a
    # fragment any intact report or other fault already names.
    anchors = collections.defaultdict(list)
    for page in pages:
        if page in (deleted, renamed):
            continue
        for reference in incoming[page]:
            if reference.fragment in ids[page] and reference.page != deleted:
                anchors[(page, reference.fragment)].append(reference)
    anchor_choices = sorted(key for key, refs in anchors.items()
                            if len({reference.page for reference in refs}) >= 2
                            and texts[key[0]].count(f'id="{key[1]}"') == 1
                            and f'name="{key[1]}"' not in texts[key[0]])
    anchor_page, anchor = rng.choice(anchor_choices)
    for reference in anchors[(anchor_page, anchor)]:
        faults.append(Fault("anchor renamed", current(reference.page), reference.line, reference.column,
                            "missing-anchor", reference.value))
    renamed_id = "tv-renamed-" + anchor
    texts[anchor_page] = texts[anchor_page].replace(f'id="{anchor}"', f'id="{renamed_id}"')
    write_text(os.path.join(site, anchor_page), texts[anchor_page])

    # One edited link a page, in pages that the other faults leave alone, on a line with
    # no known problem (an edit there would shift the columns after it), leading to a
    # page that stays as it was.
    untouched = {deleted, renamed, anchor_page}
    edit_pages = [page for page in pages if page not in untouched]
    rng.shuffle(edit_pages)
    edits = (("link to missing file", "missing-target"), ("link above the root", "outside-root"),
             ("link to missing #fragment", "missing-anchor"))
    planted = collections.Counter()
    for page in edit_pages:
        group, kind = min(edits, key=lambda edit: planted[edit[0]])
        if planted[group] >= per_kind:
            break
        choices = [reference for reference in references[page]
                   if reference.tag == "a" and reference.target in page_set and reference.target not in untouched
                   and PAGE_NAME.search(reference.target) and (page, reference.line) not in lines_with_problems
                   and not (reference.fragment == anchor and reference.target == anchor_page)]
        if not choices:
            continue
        reference = rng.choice(choices)
        number = sum(planted.values()) + 1
        if kind == "missing-target":
            value = f"tv-missing-{number}.html"
        elif kind == "outside-root":
            value = "../" * (page.count("/") + 3) + f"tv-outside-{number}.html"
        else:
            value = reference.value.partition("#")[0] + f"#tv-no-such-anchor-{number}"
        texts[page] = replace_value(texts[page], reference, value)
        write_text(os.path.join(site, page), texts[page])
        faults.append(Fault(group, page, reference.line, reference.column, kind, value))
        planted[group] += 1

    known = set()
    for report in intact:
        if report["page"] == deleted:
            continue
        key = list(report_key(report))
        key[0] = current(key[0])
        known.add(tuple(key))
    return faults, known, {"deleted": deleted, "renamed": f"{renamed} -> {renamed_to}",
                           "anchor": f"{anchor_page}#{anchor} -> {renamed_id}"}


def best_time(command, runs=3):
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--site", default=DEFAULT_SITE, help="the site to copy (default: %(default)s)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--per-kind", type=int, default=20, help="edited links of each kind (default: 20)")
    parser.add_argument("--tagvetter", default=os.path.join(ROOT, "build", "tagvetter"))
    parser.add_argument("--keep", action="store_true", help="keep the scratch copy")
    arguments = parser.parse_args()

    scratch = tempfile.mkdtemp(prefix="measure-links-")
    site = os.path.join(scratch, "site")
    # Links to files are copied as the files, so the copy stands on its own; links to
    # nothing stay links to nothing, as the site has them.
    dangling = []

    def copy_file(source, destination):
        if os.path.islink(source) and not os.path.exists(source):
            dangling.append(os.path.relpath(destination, site))
            os.symlink(os.path.realpath(source), destination)
        else:
            shutil.copy2(source, destination)

    shutil.copytree(arguments.site, site, copy_function=copy_file)
    try:
        pages = site_pages(site)
        texts, references = {}, {}
        for page in pages:
            texts[page], references[page] = read_references(site, page)

        intact = run_links(arguments.tagvetter, site)
        print(f"Site: {arguments.site} ({len(pages)} pages, "
              f"{sum(len(refs) for refs in references.values())} href/src values read), seed {arguments.seed}")
        print(f"\nIntact copy: {len(intact)} broken links")
        if dangling:
            print(f"  ({len(dangling)} symbolic links to nothing in the site, copied as such: "
                  f"{', '.join(sorted(dangling)[:3])}{', ...' if len(dangling) > 3 else ''})")
        by_kind = collections.Counter(report["kind"] for report in intact)
        for kind in KINDS:
            if by_kind[kind]:
                targets = collections.Counter(report["target"].partition("#")[0] for report in intact
                                              if report["kind"] == kind)
                listed = ", ".join(f"{target or '(same page)'} x{count}" for target, count in targets.most_common(5))
                more = f", ... ({len(targets) - 5} more targets)" if len(targets) > 5 else ""
                print(f"  {kind:15} {by_kind[kind]:5}  {listed}{more}")

        faults, known, changes = plant_faults(site, pages, texts, references, intact, random.Random(arguments.seed),
                                              arguments.per_kind)
        print(f"\nFaults: page deleted {changes['deleted']}; page renamed {changes['renamed']}; "
              f"anchor renamed {changes['anchor']}")

        broken = run_links(arguments.tagvetter, site)
        at_place = collections.defaultdict(list)
        for report in broken:
            at_place[(report["page"], report["line"], report["column"])].append(report)
        tally = collections.OrderedDict()
        misses, wrong_existing, claimed = [], [], set()
        for fault in faults:
            row = tally.setdefault((fault.group, fault.kind), collections.Counter())
            row["planted"] += 1
            here = at_place.get((fault.page, fault.line, fault.column), [])
            match = [report for report in here if report["kind"] == fault.kind and report["target"] == fault.target]
            if match:
                row["found"] += 1
                claimed.add(id(match[0]))
                if fault.existing is not None and match[0].get("existing") != fault.existing:
                    row["existing wrong"] += 1
                    wrong_existing.append((fault, match[0].get("existing")))
            else:
                row["missed"] += 1
                seen = ", ".join(f"{report['kind']} {report['target']}" for report in here) or "nothing there"
                misses.append((fault, seen))
        false_reports = [report for report in broken if id(report) not in claimed and report_key(report) not in known]

        print(f"\n{'fault':28} {'expected kind':15} {'planted':>7} {'found':>6} {'missed':>6} {'existing wrong':>14}")
        for (group, kind), row in tally.items():
            print(f"{group:28} {kind:15} {row['planted']:7} {row['found']:6} {row['missed']:6} "
                  f"{row['existing wrong']:14}")
        total = sum(tally.values(), collections.Counter())
        print(f"{'all':28} {'':15} {total['planted']:7} {total['found']:6} {total['missed']:6} "
              f"{total['existing wrong']:14}")
        print(f"False reports (neither a fault nor on the intact list): {len(false_reports)}")
        for fault, seen in misses[:10]:
            print(f"  missed: {fault.page}:{fault.line}:{fault.column} {fault.kind} {fault.target} -- {seen}")
        for fault, existing in wrong_existing[:10]:
            print(f"  wrong existing: {fault.page}:{fault.line}:{fault.column} {fault.target} -- "
                  f"{existing!r}, expected {fault.existing!r}")
        for report in false_reports[:10]:
            print(f"  false: {report['page']}:{report['line']}:{report['column']} {report['kind']} {report['target']}")

        check_time = best_time([arguments.tagvetter, "check", "--no-config", site])
        links_time = best_time([arguments.tagvetter, "links", "--no-config", site])
        print(f"\nTime on the broken copy (best of 3): check {check_time:.3f} s, links {links_time:.3f} s, "
              f"links/check {links_time / check_time:.2f}")
    except RunFailed as failure:
        # Nothing to measure; the copy is what it failed on, so it stays.
        sys.stdout.flush()
        print(f"\n{failure}", file=sys.stderr)
        arguments.keep = True
        return 1
    finally:
        if arguments.keep:
            sys.stdout.flush()
            print(f"Scratch copy kept: {site}", file=sys.stderr)
        else:
            shutil.rmtree(scratch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
