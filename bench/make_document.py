#!/usr/bin/env python3
"""Writes a large HTML 3.2-style document for the benchmarks.

    make_document.py OUT MB SEED

OUT gets about MB mebibytes (fractions allowed) of tables, fonts, anchors, lists,
comments, scripts and preformatted blocks in mixed letter case, part of them with CR LF
line ends. The same SEED always gives the same bytes.

A handful of defects of every kind the check reports is placed between the sections,
the same number whatever the size, so that a large document checks like a real page:
almost everything passes and a few dozen lines are reported.

Speed: a pool of sections is made once and the document is assembled from it, each
copy under a numbered heading of its own, so 50 MB take a few seconds.
"""

import os
import random
import sys

MEBIBYTE = 1 << 20
POOL_SIZE = 240
DEFECTS_PER_KIND = 3

WORDS = (
    "the plot list shed hedge seed swap water butt ladder meeting fees secretary "
    "rules north south garden bean onion leek carrot potato spring autumn harvest "
    "rain frost compost path gate key label variety year member society committee "
    "notice board tool barrow spade fork rake hoe greenhouse cold frame marrow "
    "pumpkin show prize judge entry class caf\xe9 na\xefve r\xe9sum\xe9 and of to in "
    "for with on by at from is are was be this that each every"
).split()

PAGES = ("plots.htm", "rules.htm", "seeds.html", "news.htm", "history.htm",
         "contact.HTM", "members/list.htm", "../index.htm")
REMOTE = ("http://www.example.org/", "http://www.example.com/gardens.html",
          "ftp://ftp.example.net/pub/plans.txt", "mailto:secretary@example.org")
COLOURS = ("#FFFFF0", "#800000", "#006000", "#000080", "red", "green", "navy", "#C0C0C0")
FACES = ("Arial", "Times New Roman", "Courier", "Arial, Helvetica")


class Writer:
    """Makes tag and attribute names in the letter case of one section."""

    def __init__(self, rng):
        self.rng = rng
        case = rng.random()
        if case < 0.55:
            self.case = str.upper
        elif case < 0.85:
            self.case = str.lower
        else:
            self.case = str.capitalize

    def words(self, low, high):
        return " ".join(self.rng.choices(WORDS, k=self.rng.randint(low, high)))

    def open(self, name, *attributes):
        """<NAME a=v ...>; a value of None writes the attribute bare."""
        parts = [self.case(name)]
        for attribute, value in attributes:
            attribute = self.case(attribute)
            parts.append(attribute if value is None else f"{attribute}={value}")
        # Now and then a tag runs over two lines, as hand-wrapped pages have them.
        separator = "\n" if len(parts) > 1 and self.rng.random() < 0.02 else " "
        return "<" + separator.join(parts) + ">"

    def close(self, name):
        return "</" + self.case(name) + ">"

    def wrap(self, name, text, *attributes):
        return self.open(name, *attributes) + text + self.close(name)

    def anchor(self):
        rng = self.rng
        kind = rng.random()
        if kind < 0.5:
            href = rng.choice(PAGES)
            if rng.random() < 0.3:
                href += f"#s{rng.randint(1, 99)}"
        elif kind < 0.8:
            href = rng.choice(REMOTE)
        else:
            href = f"#s{rng.randint(1, 999)}"
        attributes = [("href", f'"{href}"')]
        if rng.random() < 0.2:
            attributes.append(("target", "_top"))
        return self.wrap("a", self.words(1, 4), *attributes)

    def phrase(self):
        """Running text with inline tags, none of them left open."""
        rng = self.rng
        pieces = []
        for _ in range(rng.randint(3, 8)):
            pieces.append(self.words(3, 14))
            kind = rng.randrange(9)
            if kind == 0:
                pieces.append(self.wrap("b", self.words(1, 3)))
            elif kind == 1:
                pieces.append(self.wrap("i", self.words(1, 3)))
            elif kind == 2:
                pieces.append(self.anchor())
            elif kind == 3:
                pieces.append(self.wrap("font", self.words(1, 5),
                                        ("size", rng.choice(("+1", "-1", "2", '"4"'))),
                                        ("color", f'"{rng.choice(COLOURS)}"')))
            elif kind == 4:
                pieces.append(self.wrap(rng.choice(("em", "strong", "tt", "code", "cite")),
                                        self.words(1, 3)))
            elif kind == 5:
                pieces.append(self.open("br"))
            elif kind == 6:
                pieces.append(self.open("img", ("src", f'"pic{rng.randint(1, 40)}.gif"'),
                                        ("alt", f'"{self.words(1, 2)}"'),
                                        ("width", rng.randint(8, 64)), ("height", rng.randint(8, 64)),
                                        ("border", 0)))
            elif kind == 7:
                pieces.append("&amp; " + self.wrap("small", self.words(1, 3)))
            else:
                pieces.append(self.words(1, 3) + ",")
        return " ".join(pieces)


def paragraphs(w):
    rng = w.rng
    lines = [w.wrap(rng.choice(("h3", "h4")), w.words(2, 5))]
    for _ in range(rng.randint(2, 5)):
        attributes = [("align", rng.choice(("left", "center", "right")))] if rng.random() < 0.3 else []
        # Long paragraphs are broken over lines, sometimes inside a tag.
        text = w.phrase().replace(" ", "\n", rng.randint(0, 3))
        lines.append(w.open("p", *attributes) + text + (w.close("p") if rng.random() < 0.5 else ""))
    return lines


def table(w):
    rng = w.rng
    columns = rng.randint(2, 6)
    lines = [w.open("table", ("border", rng.randint(0, 2)), ("cellpadding", rng.randint(1, 6)),
                    ("cellspacing", 0), ("width", f'"{rng.choice((60, 80, 100))}%"'),
                    ("bgcolor", f'"{rng.choice(COLOURS)}"'))]
    if rng.random() < 0.4:
        lines.append(w.wrap("caption", w.words(2, 5), ("align", "top")))
    lines.append(w.open("tr", ("align", "left")) +
                 "".join(w.wrap("th", w.words(1, 2), ("nowrap", None)) for _ in range(columns)) +
                 w.close("tr"))
    for _ in range(rng.randint(3, 12)):
        cells = []
        for _ in range(columns):
            attributes = []
            if rng.random() < 0.4:
                attributes.append(("align", rng.choice(("left", "right", "center"))))
            if rng.random() < 0.3:
                attributes.append(("valign", "top"))
            if rng.random() < 0.2:
                attributes.append(("width", f'"{rng.randint(5, 40)}%"'))
            content = w.words(1, 4)
            if rng.random() < 0.2:
                content = w.wrap("font", content, ("face", f'"{rng.choice(FACES)}"'), ("size", 2))
            elif rng.random() < 0.15:
                content = w.anchor()
            # Cells are closed now and then, as pages of the time did.
            cells.append(w.open("td", *attributes) + content + (w.close("td") if rng.random() < 0.6 else ""))
        lines.append(w.open("tr", ("valign", "top")) + "".join(cells) + (w.close("tr") if rng.random() < 0.7 else ""))
    lines.append(w.close("table"))
    return lines


def lists(w):
    rng = w.rng
    kind = rng.choice(("ul", "ol", "dl"))
    lines = [w.open(kind)]
    for _ in range(rng.randint(3, 10)):
        if kind == "dl":
            lines.append(w.open("dt") + w.words(1, 3))
            lines.append(w.open("dd") + w.phrase())
        else:
            lines.append(w.open("li") + w.phrase())
    if rng.random() < 0.3:
        lines.append(w.open("ul"))
        lines.extend(w.open("li") + w.words(2, 6) for _ in range(rng.randint(2, 4)))
        lines.append(w.close("ul"))
    lines.append(w.close(kind))
    return lines


def comment(w):
    rng = w.rng
    kind = rng.randrange(4)
    if kind == 0:
        text = "<!-- " + w.words(3, 10) + " -->"
    elif kind == 1:
        # A ">" and whole tags inside: the comment runs on to its "->".
        text = (f"<!-- old layout: {w.open('table', ('width', 600))}{w.open('tr')}"
                f"{w.open('td')} {w.words(2, 5)} -- a > b, {w.wrap('b', 'kept')} -->")
    elif kind == 2:
        text = "<!--\n" + "\n".join(w.words(4, 10) for _ in range(rng.randint(2, 5))) + "\n-->"
    else:
        text = "<!---------- " + w.words(2, 4) + " ---------->"
    return [text]


def script(w):
    rng = w.rng
    n = rng.randint(2, 9)
    body = [
        w.open("script", ("language", '"JavaScript"')),
        "<!--",
        f"function pick{n}(i) {{",
        f"  if (i < {n} && i > 0) return \"<B>\" + i + \"</B>\";",
        "  return '<TD>' + i + '</TD>';",
        "}",
        f"for (var k = 0; k<{n}; k++) document.write(pick{n}(k) + \"<BR>\");",
        "// -->",
        w.close("script"),
    ]
    return body


def preformatted(w):
    rng = w.rng
    lines = [w.open("pre", ("width", 80)) if rng.random() < 0.3 else w.open("pre")]
    for _ in range(rng.randint(2, 8)):
        lines.append("    " + w.words(2, 6) + f"  x<{rng.randint(1, 9)}  <{w.words(1, 1)}>  a < b")
    lines.append("    <B>bold</B> stays text here, <TABLE> too")
    lines.append(w.close("pre"))
    return lines


def form(w):
    rng = w.rng
    options = "".join(w.open("option", ("value", i)) + w.words(1, 2) for i in range(rng.randint(2, 5)))
    return [
        w.open("form", ("action", '"/cgi-bin/plots"'), ("method", "post")),
        w.open("input", ("type", "text"), ("name", "q"), ("size", 20), ("maxlength", 40)),
        w.open("input", ("type", "checkbox"), ("name", "member"), ("checked", None)),
        w.open("select", ("name", "plot"), ("size", 1)) + options + w.close("select"),
        w.wrap("textarea", w.words(2, 8), ("name", "note"), ("rows", 4), ("cols", 40)),
        w.open("input", ("type", "submit"), ("value", '"Send it"')),
        w.close("form"),
    ]


def centred(w):
    rng = w.rng
    return [
        w.open("center"),
        w.wrap("font", w.words(2, 6), ("size", 2), ("face", f'"{rng.choice(FACES)}"')),
        w.close("center"),
        w.open("div", ("align", "right")) + w.phrase() + w.close("div"),
        w.open("hr", ("width", '"80%"'), ("noshade", None)),
        w.wrap("blockquote", w.phrase()),
        w.wrap("address", w.words(3, 6)),
    ]


KINDS = ((paragraphs, 5), (table, 4), (lists, 3), (comment, 2), (script, 1),
         (preformatted, 1), (form, 1), (centred, 2))


def make_pool(rng):
    """Sections of a few kilobytes, each in one letter case and one kind of line end."""
    kinds = [kind for kind, weight in KINDS for _ in range(weight)]
    pool = []
    for _ in range(POOL_SIZE):
        w = Writer(rng)
        lines = []
        for _ in range(rng.randint(2, 6)):
            lines.extend(rng.choice(kinds)(w))
        text = "\n".join(lines) + "\n"
        if rng.random() < 0.3:
            text = text.replace("\n", "\r\n")
        pool.append(text)
    return pool


# Every kind of problem the check reports, each written where it shows: between the
# sections no table is open and every counted tag is balanced.
DEFECTS = (
    "<BLINKY>an unknown tag</BLINKY>\n",
    "<p>a <centre>misspelt</centre> tag</p>\n",
    '<FONT COLOUR="red" SIZE=2>unknown attribute</FONT>\n',
    '<table border=1><tr><td widht=50 align=left>unknown attribute</td></tr></table>\n',
    '<A HREF="broken.htm>odd quotes</A>\n',
    '<IMG SRC="pic.gif" ALT="a "quoted" word>\n',
    "<B>bold <B>opened twice</B>\n",
    "<i>italic <I>again</i>\n",
    "closed without open</I>\n",
    "</EM> closed without open\n",
    "</FONT> one close too many\n",
    "</table>\n",
    "<TD>a cell outside any table</TD>\n",
    "<tr><th>a row outside any table</th></tr>\n",
)
# Counted tags left open at the end of the body.
LEFT_OPEN = '<DIV ALIGN=left>\n<FONT SIZE=2>\n<ul>\n<li>the last item\n'


def header(rng):
    return (
        '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">\r\n'
        "<HTML>\r\n<HEAD>\r\n"
        f"<TITLE>Brindlemoor yearbook {rng.randint(1921, 1999)}</TITLE>\r\n"
        '<META name="description" content="Every plot, every year">\r\n'
        '<LINK rel="next" href="plots.htm">\r\n'
        "</HEAD>\r\n"
        '<BODY bgcolor="#FFFFF0" text="#202020" link="#006000">\n'
    )


FOOTER = "<HR>\n<ADDRESS>The secretary</ADDRESS>\n</BODY>\n</HTML>\n"


def make_document(size, seed):
    """The document's text: about `size` bytes, the same for the same seed."""
    rng = random.Random(seed)
    pool = make_pool(rng)
    parts = [header(rng)]
    budget = size - len(parts[0]) - len(FOOTER) - len(LEFT_OPEN) - DEFECTS_PER_KIND * sum(map(len, DEFECTS))
    number = 0
    while budget > 0:
        number += 1
        heading = (f"<H2>Section {number}</H2>\n" if number % 3 else
                   f'<a name="s{number}"></a><h2>Section {number}</h2>\n')
        section = rng.choice(pool)
        parts.append(heading + section)
        budget -= len(heading) + len(section)
    # Spread the defects over the body: between sections, never inside one.
    defects = [d for d in DEFECTS for _ in range(DEFECTS_PER_KIND)]
    rng.shuffle(defects)
    positions = sorted(rng.randint(1, len(parts)) for _ in defects)
    for offset, (position, defect) in enumerate(zip(positions, defects)):
        parts.insert(position + offset, defect)
    parts.append(LEFT_OPEN)
    parts.append(FOOTER)
    return "".join(parts)


def main(argv):
    if len(argv) != 4:
        print("usage: make_document.py OUT MB SEED", file=sys.stderr)
        return 2
    out, mb, seed = argv[1:]
    try:
        size = int(float(mb) * MEBIBYTE)
        seed = int(seed)
    except ValueError:
        size = -1
    if size <= 0:
        print(f"make_document.py: MB must be a positive number and SEED an integer, not {mb!r} {argv[3]!r}",
              file=sys.stderr)
        return 2
    data = make_document(size, seed).encode("latin-1")
    # Written aside and renamed, so an interrupted run never leaves a cut document behind.
    partial = out + ".partial"
    with open(partial, "wb") as f:
        f.write(data)
    os.replace(partial, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
