"""The content-model columns of analysis/html4*.known (the FEATURES keys categories, holds,
anywhere, forbids and needs), compiled from the content models of the HTML 4.01 DTDs of
a table as scripts/make_html4_table.py reads them.

A model is parsed into its groups, connectors (, & |) and occurrences (? * +). What the
check follows of it: the children an element takes (its model's names and its inclusions),
the descendants it excludes (-(...)), and the children it needs: a name, or a group of
alternatives, that the model's top level asks for once or more. A child whose start tag
may be left out (TBODY in TABLE) is never needed, as HTML builds it when it isn't written.
The DTD's %inline; and %block; become the categories phrasing and flow, so that a model
reads "holds=@flow" and not its seventy names. Of a table of two DTDs, the first one's
model wins where both declare an element; the children either takes are taken."""

# What an inclusion on BODY adds may stand in any element, as every element of a page's
# content is inside BODY; the inclusions of other elements go to their own children only.
DOCUMENT_BODY = "BODY"
# Needs of more alternatives than this are left out: the message would be a list, and the
# models that have them (MAP's) are seldom written wrong.
MOST_ALTERNATIVES = 3


class ModelError(Exception):
    pass


def parse_model(tokens):
    """The tree of a content model's tokens: ("name", NAME, OCC), ("pcdata",) or
    ("group", CONNECTOR, [children], OCC); a declared content (EMPTY, CDATA) gives None."""
    if not tokens or tokens[0] != "(":
        return None
    tree, at = _group(tokens, 0)
    if at != len(tokens):
        raise ModelError("tokens after the model: %s" % " ".join(tokens[at:]))
    return tree


def _occurrence(tokens, at):
    if at < len(tokens) and tokens[at] in ("?", "*", "+"):
        # "+(" opens inclusions, which the reader keeps apart.
        if not (tokens[at] == "+" and at + 1 < len(tokens) and tokens[at + 1] == "("):
            return tokens[at], at + 1
    return "", at


def _group(tokens, at):
    at += 1  # "("
    children, connector = [], None
    while True:
        t = tokens[at]
        if t == "(":
            child, at = _group(tokens, at)
        elif t.upper() == "#PCDATA":
            child, at = ("pcdata",), at + 1
        elif t in ",&|" or t == ")":
            raise ModelError("a model with %r where a name belongs" % t)
        else:
            occurrence, after = _occurrence(tokens, at + 1)
            child, at = ("name", t.upper(), occurrence), after
        children.append(child)
        t = tokens[at]
        if t == ")":
            occurrence, at = _occurrence(tokens, at + 1)
            return ("group", connector or ",", children, occurrence), at
        if t not in ",&|" or (connector and connector != t):
            raise ModelError("a model group mixing connectors or holding %r" % t)
        connector = t
        at += 1


def _names(tree):
    if tree[0] == "name":
        return [tree[1]]
    if tree[0] == "pcdata":
        return []
    return [n for child in tree[2] for n in _names(child)]


def nullable(tree):
    """True when the model part may match nothing at all."""
    if tree[0] == "pcdata":
        return True
    if tree[0] == "name":
        return tree[2] in ("?", "*")
    if tree[3] in ("?", "*"):
        return True
    if tree[1] == "|":
        return any(nullable(c) for c in tree[2])
    return all(nullable(c) for c in tree[2])


def needed(tree, omitted_start):
    """The groups of alternatives the model's top level asks for: [["TITLE"], ["DT", "DD"]]."""
    if tree is None or nullable(tree):
        return []
    groups = []
    members = tree[2] if tree[1] in ",&" else [("group", "|", tree[2], "")]
    for child in members:
        if nullable(child):
            continue
        if child[0] == "name":
            groups.append([child[1]])
        elif child[1] == "|" and all(c[0] == "name" for c in child[2]):
            groups.append(_names(child))
    return [g for g in groups if len(g) <= MOST_ALTERNATIVES and not any(n in omitted_start for n in g)]


def _items(names, flow, inline):
    """Names as holds/forbids items: the categories for the sets they cover, then the rest."""
    names = set(names)
    items = []
    if flow <= names:
        items.append("@flow")
        names -= flow
    elif inline <= names:
        items.append("@phrasing")
        names -= inline
    return items + sorted(n.lower() for n in names)


def _entity_names(dtd, entity):
    return {t.upper() for t in dtd.tokens(dtd.entity_text(entity)) if t not in "|,&?*+()" and t != "#PCDATA"}


def content_features(dtds):
    """The FEATURES words of each element of any of `dtds`, by its lower-case name."""
    inline = _entity_names(dtds[0], "inline")
    flow = inline | _entity_names(dtds[0], "block")
    names = sorted({n for d in dtds for n in d.elements})
    omitted_start = {n for d in dtds for n, (start, _) in d.models.items() if start}
    anywhere = set(dtds[0].elements[DOCUMENT_BODY][4])
    features = {}
    for name in names:
        first = next(d for d in dtds if name in d.elements)
        _, content, _, exclusions, inclusions = first.elements[name]
        holds = set()
        for d in dtds:
            if name in d.elements:
                holds |= d.elements[name][2]
                if name != DOCUMENT_BODY:
                    holds |= d.elements[name][4]
        holds |= anywhere if name == DOCUMENT_BODY else set()
        try:
            tree = parse_model(first.models[name][1])
        except ModelError as e:
            raise ModelError("%s: %s" % (name, e))
        # A model of one child whose start tag may be left out (a Frameset page's NOFRAMES
        # holds BODY) takes that child's children too: a parser infers the start tag, and
        # the check's tree building doesn't, as it does for TBODY, HEAD and BODY elsewhere.
        only = _names(tree) if tree else []
        if len(only) == 1 and only[0] in omitted_start:
            holds |= first.elements[only[0]][2]
        categories = [c for c, members in (("flow", flow), ("phrasing", inline)) if name in members]
        words = ["categories=" + (",".join(categories) or "none")]
        if name in anywhere:
            words.append("anywhere")
        if content == "MODEL" and holds:
            words.append("holds=" + ",".join(_items(holds, flow, inline)))
        if exclusions:
            words.append("forbids=" + ",".join(sorted(n.lower() for n in exclusions)))
        for group in needed(tree, omitted_start):
            words.append("needs=" + ",".join(n.lower() for n in group))
        features[name.lower()] = " ".join(words)
    return features
