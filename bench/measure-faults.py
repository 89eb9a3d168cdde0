#!/usr/bin/env python3
"""Measures how well `tagvetter check` notices hand-made faults on real pages, and how
well it places them: each fault is put, one at a time, into a copy of a page of this
machine's documentation, and the copy's problems are compared with the clean page's.

    bench/measure-faults.py [--seed N] [--pages N] [--faults-per-page N]
                            [--profile P]... [--tagvetter PATH] [--list-misses FILE]

The pages, each set evenly spread over its sources' pages sorted by path:

  current  up to 120 pages whose first 300 bytes hold <!DOCTYPE html> (any letter case),
           from /usr/share/doc/cmake-data (cmake-doc), /usr/share/doc/python3.11
           (python3.11-doc) and /usr/share/doc/nodejs (nodejs); checked with html5;
  older    up to 60 pages with an HTML 4.x or XHTML 1.x doctype, or none, from
           postgresql-doc-15, libstdc++-12-doc, lintian and valgrind; checked with
           html4 (when the build has it) and html32.

Where a source holds too few pages, its package is installed through
scripts/install-deps.sh (which needs root); failing that, the pages there are used.

A fault is *noticed* when the copy's problems differ from the clean page's, and *placed*
when one of the problems that are new has its line within one of the fault's line. The
column "new/fault" is the number of problems that are new in the copy, averaged over the
faults of its row that were noticed: 1.00 when each noticed fault is reported once.
Every fault keeps the page's line count, so problems are compared by line, kind, name
and message (a column, if given, is ignored: a fault shifts the columns after it).
The same seed gives the same faults; nothing is timed.
"""

import argparse
import bisect
import collections
import concurrent.futures
import json
import os
import random
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOC = "/usr/share/doc"

# (folder under /usr/share/doc, Debian package that ships it)
CURRENT_SOURCES = (("cmake-data", "cmake-doc"), ("python3.11", "python3.11-doc"),
                   ("nodejs", "nodejs"))
# libstdc++-12-doc links its manual from gcc-12-base, so the pages are found there.
OLDER_SOURCES = (("postgresql-doc-15", "postgresql-doc-15"),
                 ("gcc-12-base/libstdc++", "libstdc++-12-doc"),
                 ("lintian", "lintian"), ("valgrind", "valgrind"))
SET_PROFILES = {"current": ("html5",), "older": ("html4", "html32")}
DEFAULT_PAGES = {"current": 120, "older": 60}

VOID = frozenset("area base br col embed hr img input keygen link meta param source "
                 "track wbr".split())
# Their contents are text up to the close tag, so no fault is placed by their names.
RAW = frozenset("script style textarea title xmp".split())
FOREIGN = frozenset(("svg", "math"))
# Elements a close of an ancestor may end silently; any other element left open
# between an open tag and its close makes the pair too unclear to fault.
IMPLIED_END = frozenset("p li dt dd td th tr thead tbody tfoot caption colgroup option "
                        "optgroup rb rt rtc rp html head body".split())
# Elements whose close tag a page may not leave out, for crossing two closes.
REQUIRED_END = frozenset("a abbr b blockquote button cite code dfn div dl em form h1 h2 h3 "
                         "h4 h5 h6 i kbd label nav ol pre q s samp section small span "
                         "strong sub sup table u ul var".split())
LEFT_OUT = (("div", ("div",)), ("span", ("span",)), ("ul", ("ul",)), ("a", ("a",)),
            ("h1-h3", ("h1", "h2", "h3")), ("button", ("button",)), ("em", ("em",)))
TEXT_HOLDERS = frozenset("p li dd td th".split())
PARAGRAPHS = frozenset("p li dd".split())

# Every row of the table, in its order: (class, subclass or "").
ROWS = ([("misspelled tag", "paired"), ("misspelled tag", "void"),
         ("misspelled attribute", "")]
        + [("left-out close", sub) for sub, _ in LEFT_OUT]
        + [("extra close", "</div>"),
           ("crossing", "</a></li>"), ("crossing", "</code></p>"),
           ("crossing", "other closes"), ("crossing", "<b>x<i>y</b>z</i>"),
           ("lost quote", ""), ("cell outside table", ""), ("</br>", ""),
           ("missing >", "")])


class Tag:
    """One open or close tag of a page, with what the pairing learned about it."""
    __slots__ = ("close", "name", "written", "start", "name_start", "end", "line",
                 "attrs", "ambiguous", "foreign", "in_table", "match", "index")

    def __init__(self, close, written, start, name_start, end, line, attrs, ambiguous):
        self.close = close
        self.written = written
        self.name = written.lower()
        self.start = start
        self.name_start = name_start
        self.end = end
        self.line = line
        self.attrs = attrs          # [(name, name offset, value offset, value end)]
        self.ambiguous = ambiguous  # a quote out of place, or < or > inside a value
        self.foreign = False
        self.in_table = False
        self.match = None           # index of the tag it pairs with, clearly
        self.index = None


class Fault:
    """One fault: edits of the clean text (start, end, replacement) and its line."""
    __slots__ = ("cls", "sub", "edits", "line", "what")

    def __init__(self, cls, sub, edits, line, what):
        self.cls, self.sub, self.edits, self.line, self.what = cls, sub, edits, line, what

    @property
    def row(self):
        return (self.cls, self.sub)

    def apply(self, text):
        out = text
        for start, end, replacement in sorted(self.edits, reverse=True):
            out = out[:start] + replacement + out[end:]
        if out.count("\n") != text.count("\n"):
            raise AssertionError(f"fault {self.what!r} changed the line count")
        return out


class Lines:
    def __init__(self, text):
        self.breaks = [m.start() for m in re.finditer("\n", text)]

    def at(self, offset):
        return bisect.bisect_left(self.breaks, offset) + 1


TAG_START = re.compile(r"<(/?)([A-Za-z][^\s/>]*)")
ATTRIBUTE = re.compile(r"""([^\s"'>/=]+)(?:\s*=\s*("[^"]*"|'[^']*'|[^\s"'=<>`]+))?""")


def tokenize(text):
    """The open and close tags of a page, read as a browser would: comments, doctypes
    and the bodies of scripts and styles are skipped, and quoted values hold any `>`."""
    lines = Lines(text)
    tags = []
    pos, n = 0, len(text)
    while True:
        lt = text.find("<", pos)
        if lt < 0:
            break
        if text.startswith("<!--", lt):
            close = text.find("-->", lt + 4)
            if close < 0:
                break
            pos = close + 3
            continue
        if text.startswith("<!", lt) or text.startswith("<?", lt):
            close = text.find(">", lt)
            if close < 0:
                break
            pos = close + 1
            continue
        m = TAG_START.match(text, lt)
        if not m:
            pos = lt + 1
            continue
        i, quote, ambiguous, last = m.end(), None, False, ""
        while i < n:
            c = text[i]
            if quote:
                if c == quote:
                    quote = None
                elif c in "<>":
                    ambiguous = True
            elif c in "\"'":
                if last == "=":
                    quote = c
                else:
                    ambiguous = True
            elif c == ">":
                break
            elif c == "<":
                ambiguous = True
            if not c.isspace():
                last = c
            i += 1
        if i >= n:
            break
        inner_start = m.end()
        attrs = []
        if not m.group(1):
            for a in ATTRIBUTE.finditer(text, inner_start, i):
                value = a.span(2) if a.group(2) else (None, None)
                attrs.append((a.group(1), a.start(1), value[0], value[1]))
        tag = Tag(bool(m.group(1)), m.group(2), lt, m.start(2), i + 1, lines.at(lt),
                  attrs, ambiguous)
        tag.index = len(tags)
        tags.append(tag)
        pos = i + 1
        if not tag.close and tag.name in RAW and not text[inner_start:i].rstrip().endswith("/"):
            body_end = re.compile(r"</" + re.escape(tag.name) + r"[\s/>]", re.I).search(text, pos)
            if not body_end:
                break
            pos = body_end.start()
    return tags, lines


def self_closing(text, tag):
    return text[tag.start:tag.end - 1].rstrip().endswith("/")


def pair_up(text, tags):
    """Pairs each close with its open over a stack of open elements, and notes for each
    tag whether it stands in an svg or math and in a table."""
    stack = []
    for tag in tags:
        tag.foreign = any(tags[j].name in FOREIGN for j in stack)
        tag.in_table = any(tags[j].name == "table" for j in stack)
        if not tag.close:
            if tag.name not in VOID and not self_closing(text, tag):
                stack.append(tag.index)
            continue
        for k in range(len(stack) - 1, -1, -1):
            if tags[stack[k]].name == tag.name:
                if all(tags[j].name in IMPLIED_END for j in stack[k + 1:]):
                    tag.match = stack[k]
                    tags[stack[k]].match = tag.index
                del stack[k:]
                break


def swapped_name(written, rng, known, patterns):
    """The name with two adjacent letters swapped, at a random place where that gives a
    name no profile knows, or None; also the place."""
    places = []
    for i in range(len(written) - 1):
        pair = written[i:i + 2]
        # ASCII letters only: the page is read byte for byte, and a UTF-8 sequence
        # split by a swap would be a different fault.
        if not (pair.isascii() and pair.isalpha()) or pair[0].lower() == pair[1].lower():
            continue
        result = swap_at(written, i).lower()
        if result in known or any(result.startswith(p) for p in patterns):
            continue
        places.append(i)
    if not places:
        return None
    i = rng.choice(places)
    return swap_at(written, i), i


def swap_at(written, i):
    return written[:i] + written[i + 1] + written[i] + written[i + 2:]


def faults_of(text, known_tags=frozenset(), known_attributes=frozenset(),
              attribute_patterns=(), seed="0"):
    """Every fault that can be made in the page, by row. The random generator only
    chooses which letters a misspelling swaps."""
    tags, lines = tokenize(text)
    pair_up(text, tags)
    rng = random.Random(seed)
    rows = collections.defaultdict(list)

    def add(cls, sub, edits, line, what):
        rows[(cls, sub)].append(Fault(cls, sub, edits, line, what))

    def one_line(tag):
        return "\n" not in text[tag.start:tag.end]

    for tag in tags:
        if tag.foreign or tag.name in FOREIGN:
            continue
        nxt = tags[tag.index + 1] if tag.index + 1 < len(tags) else None
        if tag.close:
            if tag.match is not None and one_line(tag):
                opened = tags[tag.match]
                for sub, names in LEFT_OUT:
                    if tag.name in names:
                        add("left-out close", sub, [(tag.start, tag.end, "")], opened.line,
                            f"{text[tag.start:tag.end]} of line {opened.line} removed on line {tag.line}")
            if tag.name == "div":
                add("extra close", "</div>", [(tag.end, tag.end, "</div>")],
                    lines.at(tag.end), f"</div> added after the </div> of line {tag.line}")
            if (nxt is not None and nxt.close and nxt.start == tag.end and tag.match is not None
                    and nxt.match is not None and one_line(tag) and one_line(nxt)
                    and tag.name != nxt.name):
                pair = (tag.name, nxt.name)
                sub = {("a", "li"): "</a></li>", ("code", "p"): "</code></p>"}.get(pair)
                if sub is None and tag.name in REQUIRED_END and nxt.name in REQUIRED_END:
                    sub = "other closes"
                if sub:
                    first, second = text[tag.start:tag.end], text[nxt.start:nxt.end]
                    add("crossing", sub, [(tag.start, nxt.end, second + first)], tag.line,
                        f"{first}{second} made {second}{first} on line {tag.line}")
            continue

        # Open tags.
        if tag.name not in RAW and "-" not in tag.name:
            if tag.match is not None:
                close = tags[tag.match]
                swap = swapped_name(tag.written, rng, known_tags, ())
                if swap:
                    new, i = swap
                    close_new = swap_at(close.written, i)
                    add("misspelled tag", "paired",
                        [(tag.name_start, tag.name_start + len(new), new),
                         (close.name_start, close.name_start + len(close_new), close_new)],
                        tag.line, f"<{tag.written} made <{new} on line {tag.line}, "
                                  f"its close on line {close.line}")
            elif tag.name in VOID:
                swap = swapped_name(tag.written, rng, known_tags, ())
                if swap:
                    new = swap[0]
                    add("misspelled tag", "void",
                        [(tag.name_start, tag.name_start + len(new), new)],
                        tag.line, f"<{tag.written} made <{new} on line {tag.line}")
        if tag.ambiguous:
            continue
        for name, at, value, value_end in tag.attrs:
            swap = swapped_name(name, rng, known_attributes, attribute_patterns)
            if swap:
                line = lines.at(at)
                add("misspelled attribute", "", [(at, at + len(name), swap[0])], line,
                    f"{name} of <{tag.written} made {swap[0]} on line {line}")
            if value is not None and text[value] == '"':
                add("lost quote", "", [(value_end - 1, value_end, "")], tag.line,
                    f"closing quote of {name} of <{tag.written} (line {tag.line}) removed "
                    f"on line {lines.at(value_end - 1)}")
        if nxt is not None and nxt.start == tag.end and tag.name not in RAW:
            add("missing >", "", [(tag.end - 1, tag.end, "")], tag.line,
                f"> of <{tag.written} removed on line {lines.at(tag.end - 1)}")
        if tag.name in TEXT_HOLDERS:
            line = lines.at(tag.end)
            add("</br>", "", [(tag.end, tag.end, "</br>")], line,
                f"</br> added after <{tag.written} on line {line}")
            add("crossing", "<b>x<i>y</b>z</i>", [(tag.end, tag.end, "<b>x<i>y</b>z</i>")],
                line, f"<b>x<i>y</b>z</i> added after <{tag.written} on line {line}")
            if tag.name in PARAGRAPHS and not tag.in_table:
                add("cell outside table", "", [(tag.end, tag.end, "<td>x</td>")], line,
                    f"<td>x</td> added after <{tag.written} on line {line}")
    return rows


# Pages.

HTML5_DOCTYPE = re.compile(rb"<!doctype html>", re.I)
OLDER_DOCTYPE = re.compile(rb'<!doctype\s+html\s+public\s+"-//W3C//DTD\s+(HTML\s+4\.|XHTML\s+1\.)',
                           re.I)


def page_set_of(head):
    """Which set a page belongs to by its first 300 bytes: current, older or neither."""
    head = head[:300]
    if HTML5_DOCTYPE.search(head):
        return "current"
    if OLDER_DOCTYPE.search(head) or not re.search(rb"<!doctype", head, re.I):
        return "older"
    return None


def html_files(folder):
    found = []
    for directory, _, files in os.walk(folder):
        found += [os.path.join(directory, f) for f in files
                  if f.lower().endswith((".html", ".htm"))]
    return sorted(found, key=os.fsencode)


def pages_of(folder, wanted_set):
    pages = []
    for path in html_files(folder):
        with open(path, "rb") as f:
            if page_set_of(f.read(300)) == wanted_set:
                pages.append(path)
    return pages


def spread(items, count):
    return [items[i * len(items) // count] for i in range(count)] if len(items) > count else items


def choose_pages(set_name, sources, total):
    shares = [total // len(sources) + (1 if i < total % len(sources) else 0)
              for i in range(len(sources))]
    found = [pages_of(os.path.join(DOC, folder), set_name) for folder, _ in sources]
    short = [package for (_, package), pages, share in zip(sources, found, shares)
             if len(pages) < share]
    if short:
        done = subprocess.run([os.path.join(ROOT, "scripts", "install-deps.sh"), *short],
                              stdout=subprocess.DEVNULL)
        if done.returncode != 0:
            print(f"measure-faults: could not install {' '.join(short)}; using the pages there are",
                  file=sys.stderr)
        found = [pages_of(os.path.join(DOC, folder), set_name) for folder, _ in sources]
    chosen = []
    for (folder, _), pages, share in zip(sources, found, shares):
        chosen.append((folder, spread(pages, share)))
    return chosen


# Runs.

class CheckFailed(Exception):
    pass


def problems_of(output):
    """(line, kind, name, message) of each JSON line of check; other fields are ignored."""
    problems = []
    for raw in output.splitlines():
        if raw.strip():
            p = json.loads(raw)
            problems.append((p.get("line"), p.get("kind"), p.get("name"), p.get("message")))
    return problems


def check(tagvetter, profile, path):
    done = subprocess.run([tagvetter, "check", "--format", "json", "--profile", profile, path],
                          capture_output=True)
    if done.returncode not in (0, 1):
        raise CheckFailed(f"tagvetter check --profile {profile} {path} exited with "
                          f"{done.returncode}: {done.stderr.decode(errors='replace').strip()}")
    return problems_of(done.stdout.decode("utf-8", errors="replace"))


def profile_exists(tagvetter, profile, folder):
    empty = os.path.join(folder, "empty.html")
    open(empty, "wb").close()
    done = subprocess.run([tagvetter, "check", "--format", "json", "--profile", profile, empty],
                          capture_output=True)
    if done.returncode == 2 and b"profile" in done.stderr:
        return False
    if done.returncode not in (0, 1):
        raise CheckFailed(f"tagvetter check --profile {profile} exited with {done.returncode}: "
                          f"{done.stderr.decode(errors='replace').strip()}")
    return True


def judge(clean, faulted, line):
    """(noticed, placed, the new problems) of a faulted copy against its clean page."""
    before, after = collections.Counter(clean), collections.Counter(faulted)
    new = list((after - before).elements())
    placed = any(p[0] is not None and abs(p[0] - line) <= 1 for p in new)
    return after != before, placed, new


def tally(judgements):
    """Per row, from (row, noticed, placed, number of new problems) of each faulted copy:
    [tried, noticed, placed, new problems of the noticed ones]."""
    rows = collections.defaultdict(lambda: [0, 0, 0, 0])
    for row, noticed, placed, new in judgements:
        counts = rows[row]
        counts[0] += 1
        counts[1] += noticed
        counts[2] += placed
        counts[3] += new if noticed else 0
    return rows


def new_per_fault(counts):
    """The new problems per noticed fault of a row's tally (0 when none was noticed)."""
    return counts[3] / counts[1] if counts[1] else 0.0


def known_names(tagvetter, profiles):
    """Tag and attribute names some profile knows, so that no misspelling makes one."""
    tags, attributes, patterns = set(), set(), set()
    for profile in profiles:
        done = subprocess.run([tagvetter, "known", "--profile", profile], capture_output=True)
        for row in done.stdout.decode("utf-8", errors="replace").splitlines():
            fields = row.split("\t")
            if not fields[0].startswith(("/", "!", "*")):
                tags.add(fields[0].lower())
            for name in (fields[2].split() if len(fields) > 2 else ()):
                if name == "*":
                    continue  # a tag that takes any attribute says nothing of names
                if name.endswith("*"):
                    patterns.add(name[:-1].lower())
                else:
                    attributes.add(name.lower())
    return frozenset(tags), frozenset(attributes), tuple(sorted(patterns))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--pages", type=int, help="pages of each set (120 current, 60 older)")
    parser.add_argument("--faults-per-page", type=int, default=1,
                        help="faults of each row of the table a page gets at most (1)")
    parser.add_argument("--profile", action="append", choices=("html5", "html4", "html32"),
                        help="only this profile (may be repeated)")
    parser.add_argument("--tagvetter", default=os.path.join(ROOT, "build", "tagvetter"))
    parser.add_argument("--list-misses", metavar="FILE",
                        help="write each fault that was not placed, with what was reported")
    parser.add_argument("--list-repeats", metavar="FILE",
                        help="write each noticed fault that gave more than one new problem, with them")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args()

    if not os.path.exists(args.tagvetter):
        if args.tagvetter != os.path.join(ROOT, "build", "tagvetter"):
            parser.error(f"no program {args.tagvetter}")
        subprocess.run([os.path.join(ROOT, "scripts", "build.sh"), "native"],
                       stdout=subprocess.DEVNULL, check=True)

    work = tempfile.TemporaryDirectory(prefix="measure-faults-")
    profiles = {}
    for set_name, names in SET_PROFILES.items():
        for profile in names:
            if args.profile and profile not in args.profile:
                continue
            if profile_exists(args.tagvetter, profile, work.name):
                profiles.setdefault(set_name, []).append(profile)
            else:
                print(f"{profile}: not a profile of {args.tagvetter}, skipped")
    if not profiles:
        sys.exit("measure-faults: no profile to measure")
    known = known_names(args.tagvetter, [p for ps in profiles.values() for p in ps])

    sources = {"current": CURRENT_SOURCES, "older": OLDER_SOURCES}
    jobs = []          # (set, page, profile, fault or None)
    texts = {}
    for set_name in profiles:
        chosen = choose_pages(set_name, sources[set_name],
                              args.pages or DEFAULT_PAGES[set_name])
        print(f"{set_name} pages: {sum(len(p) for _, p in chosen)} ("
              + ", ".join(f"{folder} {len(p)}" for folder, p in chosen) + ")")
        for _, pages in chosen:
            for page in pages:
                with open(page, "rb") as f:
                    texts[page] = f.read().decode("latin-1")
                rng = random.Random(f"{args.seed}:{page}")
                rows = faults_of(texts[page], *known, seed=f"{args.seed}:{page}:names")
                picked = []
                for row in ROWS:
                    candidates = rows.get(row, [])
                    picked += rng.sample(candidates, min(args.faults_per_page, len(candidates)))
                for profile in profiles[set_name]:
                    jobs.append((set_name, page, profile, None))
                    jobs += [(set_name, page, profile, fault) for fault in picked]
    print(f"seed {args.seed}, at most {args.faults_per_page} fault(s) of each row a page, "
          f"{len(jobs)} runs of check\n")

    def run(number, job):
        _, page, profile, fault = job
        text = texts[page] if fault is None else fault.apply(texts[page])
        path = os.path.join(work.name, f"{number}-{os.path.basename(page)}")
        with open(path, "wb") as f:
            f.write(text.encode("latin-1"))
        try:
            return check(args.tagvetter, profile, path)
        finally:
            os.remove(path)

    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        results = list(pool.map(run, range(len(jobs)), jobs))

    clean = {(page, profile): problems for (_, page, profile, fault), problems
             in zip(jobs, results) if fault is None}
    misses = []
    repeats = []
    for set_name, names in profiles.items():
        for profile in names:
            pages = [page for (s, page, p, fault) in jobs if s == set_name and p == profile
                     and fault is None]
            problems = sum(len(clean[(page, profile)]) for page in pages)
            without = sum(1 for page in pages if not clean[(page, profile)])
            print(f"{profile} on {len(pages)} {set_name} pages: "
                  f"{problems / max(1, len(pages)):.2f} problems per clean page, "
                  f"{without} pages without any")
            judgements = []
            for (s, page, p, fault), problems in zip(jobs, results):
                if s != set_name or p != profile or fault is None:
                    continue
                noticed, placed, new = judge(clean[(page, profile)], problems, fault.line)
                judgements.append((fault.row, noticed, placed, len(new)))
                if not placed:
                    misses.append((page, profile, fault, noticed, new))
                if len(new) > 1:
                    repeats.append((page, profile, fault, noticed, new))
            rows = tally(judgements)
            print(f"  {'fault':<34} {'tried':>6} {'noticed':>8} {'placed':>8} {'new/fault':>10}")
            for row in ROWS:
                if row in rows:
                    counts = rows[row]
                    tried, noticed, placed = counts[:3]
                    label = f"{row[0]}: {row[1]}" if row[1] else row[0]
                    print(f"  {label:<34} {tried:>6} {100 * noticed / tried:>7.1f}% "
                          f"{100 * placed / tried:>7.1f}% {new_per_fault(counts):>10.2f}")
            every = [sum(c[i] for c in rows.values()) for i in range(4)]
            if every[0]:
                print(f"  {'every fault':<34} {every[0]:>6} {100 * every[1] / every[0]:>7.1f}% "
                      f"{100 * every[2] / every[0]:>7.1f}% {new_per_fault(every):>10.2f}")
            absent = [f"{c}: {s}" if s else c for c, s in ROWS if (c, s) not in rows]
            if absent:
                print(f"  could not be made on these pages: {', '.join(absent)}")
            print()

    for path, listed, what in ((args.list_misses, misses, "misses"),
                               (args.list_repeats, repeats, "faults reported more than once")):
        if not path:
            continue
        with open(path, "w", encoding="utf-8") as out:
            out.write("page\tprofile\tfault\texpected line\twhat was done\tmiss\treported new\n")
            for page, profile, fault, noticed, new in listed:
                label = f"{fault.cls}: {fault.sub}" if fault.sub else fault.cls
                reported = " | ".join(
                    f"{'null' if line is None else line}: {kind}: {message}".replace("\t", " ")
                    for line, kind, _, message in new) or "-"
                placed = any(p[0] is not None and abs(p[0] - fault.line) <= 1 for p in new)
                out.write(f"{page}\t{profile}\t{label}\t{fault.line}\t{fault.what}\t"
                          f"{'placed' if placed else 'not placed' if noticed else 'not noticed'}"
                          f"\t{reported}\n")
        print(f"{len(listed)} {what} written to {path}")


if __name__ == "__main__":
    try:
        main()
    except CheckFailed as failure:
        sys.exit(f"measure-faults: {failure}")
