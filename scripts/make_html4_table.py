#!/usr/bin/env python3
"""Writes the known tags of HTML 4.01 from its DTDs as Debian's sgml-data package
installs them (default DTD_DIR: /usr/share/sgml/html/dtd/4.01): analysis/html4.known
from the Transitional and Frameset DTDs together, for a page whose doctype names no
DTD, and one table per DTD for a page whose doctype names it: html4-strict.known,
html4-transitional.known and html4-frameset.known. Building never runs this: the files
it writes are committed.

    scripts/make_html4_table.py [DTD_DIR]

The DTDs give the elements, their attributes and what each may hold; the script reads
them as an SGML parser would, parameter entities, marked sections and the catalogs
that name the files of external entities included. A table of two DTDs (one adds
frames to the other) gives an element's line what either gives it.

From the DTDs:
- Every element takes the attributes of %attrs (%coreattrs, %i18n and %events): they
  make the "*" line. Each element's line lists the rest of its ATTLIST. The few elements
  the DTDs give less than %attrs (br, base, script, ...) take the "*" attributes all the
  same, as the format can't take a global attribute away from one element; the file
  names them in a comment.
- Pairing, first rule that fits:
    void      the declared content is EMPTY;
    optional  the end tag may be omitted ("- O" or "O O");
    raw       the content is text alone (CDATA, or a model of #PCDATA only), so a
              browser reads no tags in it: script, style, title, textarea;
    strict    the element can't appear anywhere within itself: no chain of content
              models, with the exclusions in force along it, leads from the element
              back to it (a, form, label, button, select, ...), and no element
              includes it (see nests() on the inclusions);
    counted   everything else: it may nest, so opens and closes are counted.
  Headings, address and pre come out counted: object, applet, iframe, button and map
  hold block content, so the DTDs let, say, an h1 appear within an h1 through them.

Ours: the descriptions, html5.known's unless DESCRIPTIONS below gives one, as it does
where an element meant something else in HTML 4.01 (b, i, menu, s, u, ...) and for the
elements later standards dropped.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import html4_content_models  # noqa: E402  (beside this script)

DEFAULT_DTD_DIR = "/usr/share/sgml/html/dtd/4.01"
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# Descriptions for HTML 4.01's meaning of an element, where html5.known gives a later
# one, and for the elements later dropped.
# What an XHTML 1.0 page, which the html4 profile also serves, adds to every element.
XHTML_ATTRIBUTES = ["xmlns", "xml:lang"]

DESCRIPTIONS = {
    "acronym": "Acronym",
    "applet": "Java applet",
    "b": "Bold text",
    "basefont": "Base font size, face and colour",
    "big": "Bigger text",
    "center": "Centred block",
    "dir": "Directory list",
    "dl": "Definition list",
    "font": "Font face, size and colour",
    "frame": "Frame of a frameset",
    "frameset": "Set of frames",
    "hr": "Horizontal rule",
    "i": "Italic text",
    "iframe": "Inline frame",
    "isindex": "Search prompt",
    "menu": "Menu list",
    "noframes": "Content when frames are off",
    "s": "Struck-through text",
    "small": "Smaller text",
    "strike": "Struck-through text",
    "tt": "Teletype text",
    "u": "Underlined text",
}

LONGEST_DESCRIPTION = 60  # as the known-tag reader allows


def fail(message):
    sys.stderr.write("make_html4_table: %s\n" % message)
    sys.exit(1)


def strip_comments(text):
    """Text with its SGML comments ("-- ... --") taken out, for catalogs."""
    return re.sub(r"--.*?--", " ", text, flags=re.S)


def read_catalogs(paths):
    """Public identifier -> file, from the catalogs that exist among `paths`."""
    files = {}
    for path in paths:
        if not os.path.exists(path):
            continue
        with open(path, encoding="latin-1") as f:
            text = strip_comments(f.read())
        for public, name in re.findall(r'PUBLIC\s+"([^"]*)"\s+(\S+)', text):
            files.setdefault(public, os.path.join(os.path.dirname(path), name))
    return files


NAME_CHARS = re.compile(r"[A-Za-z0-9.\-_#]+")


class Dtd:
    """The declarations of one DTD that matter here: elements and their attributes."""

    def __init__(self, path, catalog):
        self.catalog = catalog
        self.entities = {}  # parameter entity -> replacement text; the first wins
        self.external = {}  # parameter entity -> file
        self.elements = {}  # name (capitals) -> (end omissible, content, names, exclusions, inclusions)
        self.attributes = {}  # name (capitals) -> attribute names in lower case, in order
        self.models = {}  # name (capitals) -> (start omissible, the tokens of its content model)
        # name (capitals) -> attribute name -> (its words in lower case, or None, its default)
        self.definitions = {}
        with open(path, encoding="latin-1") as f:
            self.read_subset(f.read())

    # Declaration subsets: comment declarations, marked sections, declarations and
    # references to external parameter entities.
    def read_subset(self, text):
        at = 0
        while True:
            at = self.skip_blanks(text, at)
            if at >= len(text):
                return
            if text.startswith("<!--", at) or text.startswith("<!>", at):
                at = self.skip_comment_declaration(text, at)
            elif text.startswith("<![", at):
                at = self.read_marked_section(text, at)
            elif text.startswith("<!", at):
                end = self.declaration_end(text, at + 2)
                self.read_declaration(text[at + 2 : end])
                at = end + 1
            elif text[at] == "%":
                match = NAME_CHARS.match(text, at + 1)
                if not match:
                    fail("a '%%' with no entity name at %r" % text[at : at + 30])
                name = match.group(0)
                at = match.end()
                if at < len(text) and text[at] == ";":
                    at += 1
                self.read_subset(self.entity_text(name))
            else:
                fail("unexpected text at %r" % text[at : at + 30])

    @staticmethod
    def skip_blanks(text, at):
        while at < len(text) and text[at].isspace():
            at += 1
        return at

    @staticmethod
    def skip_comment_declaration(text, at):
        at += 2
        while True:
            at = Dtd.skip_blanks(text, at)
            if text.startswith("--", at):
                end = text.find("--", at + 2)
                if end < 0:
                    fail("a comment that never ends")
                at = end + 2
            elif text.startswith(">", at):
                return at + 1
            else:
                fail("unexpected text in a comment declaration at %r" % text[at : at + 30])

    @staticmethod
    def declaration_end(text, at):
        """The index of the ">" closing a declaration, past its literals and comments."""
        while at < len(text):
            c = text[at]
            if c in "\"'":
                end = text.find(c, at + 1)
                if end < 0:
                    fail("a literal that never ends")
                at = end + 1
            elif text.startswith("--", at):
                end = text.find("--", at + 2)
                if end < 0:
                    fail("a comment that never ends")
                at = end + 2
            elif c == ">":
                return at
            else:
                at += 1
        fail("a declaration that never ends")

    def read_marked_section(self, text, at):
        keywords_end = text.find("[", at + 3)
        if keywords_end < 0:
            fail("a marked section without its '['")
        keywords = [k.upper() for k in self.tokens(text[at + 3 : keywords_end])]
        depth, scan = 1, keywords_end + 1
        while depth:
            opening, closing = text.find("<![", scan), text.find("]]>", scan)
            if closing < 0:
                fail("a marked section that never ends")
            if 0 <= opening < closing:
                depth, scan = depth + 1, opening + 3
            else:
                depth, scan = depth - 1, closing + 3
        content = text[keywords_end + 1 : scan - 3]
        if "IGNORE" not in keywords:
            self.read_subset(content)
        return scan

    def entity_text(self, name):
        if name in self.entities:
            return self.entities[name]
        if name in self.external:
            with open(self.external[name], encoding="latin-1") as f:
                return f.read()
        fail("parameter entity '%s' is not declared" % name)

    def tokens(self, text):
        """The tokens of a declaration's text, parameter entities replaced, comments dropped.
        A literal comes as its text in quotes; "%" alone is the parameter entity keyword."""
        out = []
        at = 0
        while at < len(text):
            c = text[at]
            if c.isspace():
                at += 1
            elif text.startswith("--", at):
                end = text.find("--", at + 2)
                if end < 0:
                    fail("a comment that never ends")
                at = end + 2
            elif c in "\"'":
                end = text.find(c, at + 1)
                if end < 0:
                    fail("a literal that never ends")
                out.append(text[at : end + 1])
                at = end + 1
            elif c == "%":
                match = re.compile(r"[A-Za-z][A-Za-z0-9.\-_]*").match(text, at + 1)
                if not match:
                    out.append("%")
                    at += 1
                    continue
                at = match.end()
                if at < len(text) and text[at] == ";":
                    at += 1
                out.extend(self.tokens(self.entity_text(match.group(0))))
            else:
                match = NAME_CHARS.match(text, at)
                if match and match.group(0) != "-":
                    out.append(match.group(0))
                    at = match.end()
                else:
                    out.append(c)
                    at += 1
        return out

    def read_declaration(self, body):
        keyword = re.match(r"[A-Za-z]+", body)
        if not keyword:
            fail("unexpected declaration <!%s>" % body[:30])
        rest = body[keyword.end() :]
        kind = keyword.group(0).upper()
        if kind == "ENTITY":
            self.read_entity(rest)
        elif kind == "ELEMENT":
            self.read_element(self.tokens(rest))
        elif kind == "ATTLIST":
            self.read_attlist(self.tokens(rest))
        else:
            fail("unexpected declaration <!%s>" % kind)

    def read_entity(self, rest):
        # The replacement text is kept as written; its references are replaced where it
        # is used, which gives the same text, the first declaration of a name winning.
        words = []
        at = 0
        while at < len(rest):
            c = rest[at]
            if c.isspace():
                at += 1
            elif rest.startswith("--", at):
                end = rest.find("--", at + 2)
                if end < 0:
                    fail("a comment that never ends")
                at = end + 2
            elif c in "\"'":
                end = rest.find(c, at + 1)
                if end < 0:
                    fail("a literal that never ends")
                words.append(rest[at : end + 1])
                at = end + 1
            else:
                match = re.compile(r"[^\s\"']+").match(rest, at)
                words.append(match.group(0))
                at = match.end()
        if not words or words[0] != "%":
            return  # a general entity: a character of the text, not needed here
        name, definition = words[1], words[2:]
        if name in self.entities or name in self.external:
            return
        if definition[0].upper() in ("PUBLIC", "SYSTEM"):
            literals = [w[1:-1] for w in definition[1:]]
            if definition[0].upper() == "PUBLIC" and literals[0] in self.catalog:
                self.external[name] = self.catalog[literals[0]]
            elif definition[0].upper() == "SYSTEM" and literals:
                self.external[name] = literals[0]
            else:
                fail("no catalog names a file for %s" % " ".join(definition))
        else:
            self.entities[name] = definition[0][1:-1]

    @staticmethod
    def group_or_name(tokens, at):
        """The names of the name group or single name at `at`, and where it ends."""
        if tokens[at] != "(":
            return [tokens[at]], at + 1
        depth, names, at = 0, [], at
        while True:
            t = tokens[at]
            at += 1
            if t == "(":
                depth += 1
            elif t == ")":
                depth -= 1
                if depth == 0:
                    return names, at
            elif t not in "|,&?*+":
                names.append(t)

    def read_element(self, tokens):
        names, at = self.group_or_name(tokens, 0)
        start, end = tokens[at].upper(), tokens[at + 1].upper()
        if start not in ("-", "O") or end not in ("-", "O"):
            fail("element %s without its tag minimization" % names)
        at += 2
        model_start = at
        if tokens[at] == "(":
            inner, at = self.group_or_name(tokens, at)
            # An occurrence indicator, unless the "+" opens the inclusions: "+(".
            if at < len(tokens) and tokens[at] in ("?", "*", "+"):
                if not (tokens[at] == "+" and at + 1 < len(tokens) and tokens[at + 1] == "("):
                    at += 1
            content = "TEXT" if [n.upper() for n in inner] == ["#PCDATA"] else "MODEL"
            children = {n.upper() for n in inner if n.upper() != "#PCDATA"}
        else:
            content, children = tokens[at].upper(), set()
            if content == "RCDATA":
                content = "CDATA"
            if content not in ("EMPTY", "CDATA", "ANY"):
                fail("element %s has the unknown declared content %s" % (names, content))
            at += 1
        model = tokens[model_start:at]
        exclusions, inclusions = set(), set()
        while at < len(tokens):
            sign = tokens[at]
            if sign not in ("-", "+"):
                fail("element %s: unexpected %r after its content" % (names, sign))
            group, at = self.group_or_name(tokens, at + 1)
            (exclusions if sign == "-" else inclusions).update(n.upper() for n in group)
        for name in names:
            self.elements.setdefault(name.upper(), (end == "O", content, children, exclusions, inclusions))
            self.models.setdefault(name.upper(), (start == "O", model))

    @staticmethod
    def attribute_definitions(tokens, at):
        """The attribute definitions from `at`, in order: each name in lower case, the
        words of a declared name group in lower case (None for a declared type such as
        CDATA), and the default ("#REQUIRED", "#IMPLIED", "#FIXED" or a value)."""
        definitions = []
        while at < len(tokens):
            name = tokens[at].lower()
            group = tokens[at + 1] == "("
            words, at = Dtd.group_or_name(tokens, at + 1)  # the declared value
            default = tokens[at].upper() if tokens[at].startswith("#") else tokens[at]
            if default == "#FIXED":
                at += 1
            at += 1  # the default value
            definitions.append((name, [w.lower() for w in words] if group else None, default))
        return definitions

    @staticmethod
    def attribute_names(tokens, at):
        """The names, in lower case and in order, of the attribute definitions from `at`."""
        return [name for name, _, _ in Dtd.attribute_definitions(tokens, at)]

    def read_attlist(self, tokens):
        names, at = self.group_or_name(tokens, 0)
        definitions = self.attribute_definitions(tokens, at)
        for name in names:
            held = self.attributes.setdefault(name.upper(), [])
            held.extend(a for a, _, _ in definitions if a not in held)
            defined = self.definitions.setdefault(name.upper(), {})
            for a, words, default in definitions:
                defined.setdefault(a, (words, default))

    def attribute_entity(self, name):
        """The attribute names an attribute-list parameter entity gives, in order."""
        return self.attribute_names(self.tokens(self.entity_text(name)), 0)


def nests(dtd, element):
    """True when `element` can appear somewhere within itself in a document of `dtd`.

    An element some other one includes ("+(INS|DEL)") can: the inclusion holds in its
    own content too. Otherwise a walk from the element through the content models,
    carrying the exclusions of the elements passed, must meet it. The walk leaves the
    inclusions out: body's lets ins and del in anywhere, so with it every element of
    the body would nest (a select holding an ins holding a select), and none could pair
    strictly."""
    content = dtd.elements[element][1]
    if content == "MODEL" and any(element in declaration[4] for declaration in dtd.elements.values()):
        return True
    start = (element, frozenset())
    seen, todo = {start}, [start]
    while todo:
        name, excluded = todo.pop()
        _, _, children, exclusions, _ = dtd.elements[name]
        excluded = excluded | exclusions
        for child in children - excluded:
            if child == element:
                return True
            state = (child, excluded)
            if state not in seen:
                seen.add(state)
                todo.append(state)
    return False


def reachable(dtd):
    found, todo = {"HTML"}, ["HTML"]
    while todo:
        _, _, children, _, inclusions = dtd.elements[todo.pop()]
        for child in children | inclusions:
            if child not in found:
                found.add(child)
                todo.append(child)
    return found


def pairing(dtds, element):
    declarations = [d.elements[element] for d in dtds if element in d.elements]
    if len({(end, content) for end, content, *_ in declarations}) != 1:
        fail("the DTDs declare %s's tags or content differently" % element)
    end_omissible, content = declarations[0][:2]
    if content == "EMPTY":
        return "void"
    if end_omissible:
        return "optional"
    if content in ("CDATA", "TEXT"):
        return "raw"
    if any(nests(d, element) for d in dtds if element in d.elements):
        return "counted"
    return "strict"


def html5_rows(path):
    """The fields of each line of html5.known that is neither blank nor a comment."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                yield [field.strip() for field in line.split("|")]


def html5_descriptions(path):
    return {fields[0].lower(): fields[2] for fields in html5_rows(path) if len(fields) > 2 and fields[2]}


# The FEATURES keys html4.known takes from html5.known.
TREE_FEATURES = ("group", "closes-p", "special", "scope", "in-head", "escapable", "table")


def html5_features(path):
    features = {}
    for fields in html5_rows(path):
        if len(fields) > 5:
            words = [w for w in fields[5].split() if w.split("=")[0] in TREE_FEATURES]
            features[fields[0].lower()] = " ".join(words)
    return features


# What names something else in the page or is a URI, as the DTDs type it (IDREF, IDREFS,
# %URI;), and the names of anchors and maps: the FEATURES of the check of ids, references
# and URLs (see make_html5_table.mjs). profile, classid, codebase and archive are left out.
REFERENCES = {
    "a": "anchors=name urls=href", "area": "urls=href", "link": "urls=href", "base": "urls=href",
    "img": "urls=src,longdesc maprefs=usemap", "iframe": "urls=src,longdesc", "frame": "urls=src,longdesc",
    "object": "urls=data maprefs=usemap", "input": "urls=src maprefs=usemap", "script": "urls=src",
    "form": "urls=action", "blockquote": "urls=cite", "q": "urls=cite", "del": "urls=cite", "ins": "urls=cite",
    "body": "urls=background", "label": "idrefs=for", "td": "idref-lists=headers", "th": "idref-lists=headers",
    "map": "map-names=name",
}


def reference_features(name, attributes, anywhere):
    """The reference features of the element `name` (lower case) for the attributes it
    takes here (`attributes`), each attribute checked against `anywhere`, those any DTD
    gives it: Strict's body has no background."""
    kept = []
    for word in REFERENCES.get(name, "").split():
        key, names = word.split("=")
        for attribute in names.split(","):
            if attribute not in anywhere:
                fail("'%s' doesn't take '%s'" % (name, attribute))
        names = [a for a in names.split(",") if a in attributes]
        if names:
            kept.append(key + "=" + ",".join(names))
    return " ".join(kept)


def value_features(definitions, names):
    """The FEATURES words of the attributes `names` among `definitions`: the word lists
    of name groups (a one-word group of the attribute's own name is the form of a
    boolean, <td nowrap>), and the attributes the DTD requires."""
    words, required = [], []
    for name in names:
        group, default = definitions[name]
        if default == "#REQUIRED":
            required.append(name)
        if group:
            words.append("values:%s=%s" % (name, ",".join(group)))
    if required:
        words.insert(0, "required=" + ",".join(required))
    return words


def line_of(fields):
    """The fields of a line, the empty ones at its end left out, an empty one between
    others leaving its bar alone ("name | void | Text | | | closes-p")."""
    while len(fields) > 3 and not fields[-1]:
        fields.pop()
    return fields[0] + "".join(" | " + field if field else " |" for field in fields[1:])


# The tables: file, what its first line calls the vocabulary, the DTD files (the first
# one's model wins where both declare an element), and what its lines 4 and 5 say of them.
TABLES = [
    ("html4.known", "HTML 4.01", ["loose.dtd", "frameset.dtd"],
     ["Transitional and Frameset", "DTDs (W3C Recommendation 24 December 1999), as Debian's sgml-data package ships them."]),
    ("html4-strict.known", "HTML 4.01 Strict", ["strict.dtd"],
     ["Strict DTD", "(W3C Recommendation 24 December 1999), as Debian's sgml-data package ships it."]),
    ("html4-transitional.known", "HTML 4.01 Transitional", ["loose.dtd"],
     ["Transitional DTD", "(W3C Recommendation 24 December 1999), as Debian's sgml-data package ships it."]),
    ("html4-frameset.known", "HTML 4.01 Frameset", ["frameset.dtd"],
     ["Frameset DTD", "(W3C Recommendation 24 December 1999), as Debian's sgml-data package ships it."]),
]

# Each DTD file's tell-tale elements: in it, and not. A wrong file, or a switch such as
# %HTML.Frameset; read wrong, shows here.
TELLING = {
    "strict.dtd": ([], ["CENTER", "FRAMESET"]),
    "loose.dtd": (["CENTER"], ["FRAMESET"]),
    "frameset.dtd": (["CENTER", "FRAMESET"], []),
}


def read_dtds(dtd_dir):
    """Each DTD file of TELLING, read, by its file name."""
    catalog = read_catalogs(
        [os.path.join(dtd_dir, "catalog"), os.path.join(dtd_dir, "..", "..", "entities", "catalog")]
    )
    dtds = {}
    for file, (present, absent) in TELLING.items():
        dtd = Dtd(os.path.join(dtd_dir, file), catalog)
        if any(n not in dtd.elements for n in present) or any(n in dtd.elements for n in absent):
            fail("%s is not the DTD it should be: is %s the HTML 4.01 folder?" % (file, dtd_dir))
        missing = set(dtd.elements) - reachable(dtd)
        if missing:
            fail("elements no document can hold: %s" % " ".join(sorted(missing)))
        undeclared = set(dtd.attributes) - set(dtd.elements)
        if undeclared:
            fail("attributes for undeclared elements: %s" % " ".join(sorted(undeclared)))
        dtds[file] = dtd
    return dtds


def make_table(dtd_dir, html5_known, files=("loose.dtd", "frameset.dtd"), dtds=None):
    """The text of a table, and its number of elements, from the DTD `files` in
    `dtd_dir` (see TABLES), with descriptions taken from the html5.known at
    `html5_known`. `dtds`: the DTDs as read_dtds gives them, when already read."""
    dtds_by_file = dtds or read_dtds(dtd_dir)
    file, vocabulary, _, source = next(t for t in TABLES if t[2] == list(files))
    dtds = [dtds_by_file[f] for f in files]
    first = dtds[0]

    everywhere = first.attribute_entity("attrs")
    if any(d.attribute_entity("attrs") != everywhere for d in dtds_by_file.values()):
        fail("the DTDs' %attrs differ")
    elements = sorted({name for d in dtds for name in d.elements})
    attributes = {}
    for name in elements:
        attributes[name] = []
        for d in dtds:
            for a in d.attributes.get(name, []):
                if a not in attributes[name]:
                    attributes[name].append(a)
    # What any DTD gives an element, for the names this script holds of its own.
    anywhere = {}
    for d in dtds_by_file.values():
        for name, held in d.attributes.items():
            anywhere.setdefault(name, set()).update(held)
    fewer = [name.lower() for name in elements if not set(everywhere) <= set(attributes[name])]

    html5 = html5_descriptions(html5_known)
    features = html5_features(html5_known)
    for lower, words in html4_content_models.content_features(dtds).items():
        features[lower] = (features.get(lower, "") + " " + words).strip()
    for name in DESCRIPTIONS:
        if not any(name.upper() in d.elements for d in dtds_by_file.values()):
            fail("'%s' is described but not an HTML 4.01 element" % name)
    lines = [
        "# The known tags of %s, in the built-in form of the known-tag format" % vocabulary,
        "# (analysis/known_tag_file.h), that of `tagvetter --known FILE` and a FEATURES field:",
        "#   NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS | FEATURES",
        "# Written by scripts/make_html4_table.py from the HTML 4.01 " + source[0],
        "# " + source[1],
        "# The descriptions are ours; the pairing kinds are the script's reading of the DTDs;",
        "# the features are html5.known's but its links, and the script's references. Edit the script, not this file.",
        "",
        "# Attributes every element takes: %attrs, that is %coreattrs, %i18n and %events, and",
        "# xmlns and xml:lang, which XHTML 1.0 (HTML 4.01 written as XML) puts on its pages.",
        "# The DTDs give these elements fewer, but the table can't take them away from one:",
        "# " + " ".join(fewer) + ".",
        "* | | | " + " ".join(everywhere + XHTML_ATTRIBUTES) + " | | "
        + " ".join(value_features(first.definitions["P"], everywhere)),
        "",
        "!- | void | Comment",
        "!DOCTYPE | void | HTML document | html public system",
        "?xml | void | XML declaration of an XHTML page",
    ]
    for name in elements:
        lower = name.lower()
        description = DESCRIPTIONS.get(lower) or html5.get(lower)
        if not description:
            fail("'%s' needs a description" % lower)
        if len(description) > LONGEST_DESCRIPTION or "|" in description:
            fail("the description of '%s' is too long or holds a '|'" % lower)
        own = [a for a in attributes[name] if a not in everywhere]
        definitions = {}
        for d in dtds:
            for a, definition in d.definitions.get(name, {}).items():
                definitions.setdefault(a, definition)
        # An element that defines one of %attrs itself (bdo's dir) says more of it.
        values = value_features(definitions, [a for a in attributes[name] if a in own or a in everywhere
                                              and definitions[a] != first.definitions["P"].get(a)])
        feature_words = [features.get(lower, ""), reference_features(lower, attributes[name], anywhere.get(name, set()))]
        feature_words += values
        lines.append(line_of([lower, pairing(dtds, name), description, " ".join(own), "",
                              " ".join(w for w in feature_words if w)]))
    return "\n".join(lines) + "\n", len(elements)


def main():
    dtd_dir = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_DTD_DIR
    html5_known = os.path.join(ROOT, "analysis", "html5.known")
    dtds = read_dtds(dtd_dir)
    for file, _, files, _ in TABLES:
        text, count = make_table(dtd_dir, html5_known, files, dtds)
        with open(os.path.join(ROOT, "analysis", file), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        print("analysis/%s: %d elements from %s" % (file, count, ", ".join(files)))


if __name__ == "__main__":
    main()
