#!/usr/bin/env python3
"""Writes one large page made of real ones, to measure the check's cost on current or
older markup: the bodies of the fault benchmark's pages of a set (bench/measure-faults.py
chooses them), one after another, repeated until the page reaches MEGABYTES, in one
html document of that set's kind.

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
        while written < wanted:
            for body in bodies:
                written += f.write(body)
                if written >= wanted:
                    break
        f.write(tail)


if __name__ == "__main__":
    main()
