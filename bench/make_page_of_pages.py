#!/usr/bin/env python3
"""Writes one large page made of real ones, to measure the check's cost on current or
older markup: the bodies of the fault benchmark's pages of a set (bench/measure-faults.py
chooses them), one after another, repeated until the page reaches MEGABYTES, in one
html document of that set's kind. Each body's ids and the names that point at them get
a suffix of their own, so that the page holds no more duplicate ids than its sources do.

    bench/make_page_of_pages.py current|older OUT MEGABYTES
"""

import importlib.util
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FRAMES = {
    "current": (b"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Pages</title>\n"
                b"</head>\n<body>\n", b"</body>\n</html>\n"),
    "older": (b"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n"
              b"<title>Pages</title>\n</head>\n<body>\n", b"</body>\n</html>\n"),
}


def body_of(text):
    start = re.search(rb"<body[^>]*>", text, re.I)
    end = text.lower().rfind(b"</body")
    return text[start.end() if start else 0:end if end > 0 else len(text)]


# Attributes whose value is one name, names split by spaces, or "#" and a name.
ONE_NAME = rb"id|name|for|form|list"
NAME_LISTS = rb"headers|aria-labelledby|aria-describedby|aria-controls|aria-owns"
FRAGMENTS = rb"href|usemap"
ATTRIBUTE = re.compile(rb"(\s(?:%s|%s|%s)\s*=\s*)(\"[^\"]*\"|'[^']*'|[^\s>\"']+)" % (ONE_NAME, NAME_LISTS, FRAGMENTS), re.I)


def with_suffix(body, suffix):
    """`body` with `suffix` after each id, each name that points at one, and each "#"
    fragment, quoting kept."""
    def rename(match):
        lead, value = match.group(1), match.group(2)
        quote = value[:1] if value[:1] in (b'"', b"'") else b""
        inner = value[1:-1] if quote else value
        attribute = lead.strip().rstrip(b"=").strip().lower()
        if re.fullmatch(FRAGMENTS, attribute):
            if not inner.startswith(b"#") or len(inner) < 2:
                return match.group(0)
            inner += suffix
        elif re.fullmatch(NAME_LISTS, attribute):
            inner = b" ".join(word + suffix for word in inner.split())
        elif inner:
            inner += suffix
        return lead + quote + inner + quote
    return ATTRIBUTE.sub(rename, body)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in FRAMES:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    set_name, out, megabytes = sys.argv[1], sys.argv[2], float(sys.argv[3])
    loader = importlib.util.spec_from_file_location("measure_faults", os.path.join(ROOT, "bench", "measure-faults.py"))
    faults = importlib.util.module_from_spec(loader)
    loader.loader.exec_module(faults)
    sources = faults.CURRENT_SOURCES if set_name == "current" else faults.OLDER_SOURCES
    pages = [p for _, paths in faults.choose_pages(set_name, sources, faults.DEFAULT_PAGES[set_name]) for p in paths]
    bodies = []
    for page in pages:
        with open(page, "rb") as f:
            bodies.append(body_of(f.read()))
    head, tail = FRAMES[set_name]
    wanted = int(megabytes * 1024 * 1024)
    with open(out, "wb") as f:
        written = f.write(head)
        copy = 0
        while written < wanted:
            for number, body in enumerate(bodies):
                written += f.write(with_suffix(body, b"-%d-%d" % (copy, number)))
                if written >= wanted:
                    break
            copy += 1
        f.write(tail)


if __name__ == "__main__":
    main()
