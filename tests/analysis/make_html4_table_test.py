#!/usr/bin/env python3
"""The DTD reading of scripts/make_html4_table.py, on a small DTD of our own, and the
committed analysis/html4*.known against what the script makes of the installed DTDs."""
import os
import runpy
import tempfile
import types
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The script loaded as a module of its own, its functions at hand.
table = types.SimpleNamespace(**runpy.run_path(os.path.join(ROOT, "scripts", "make_html4_table.py")))

# Each line exercises one thing the reader must get right; the names say which.
SMALL_DTD = """<!-- a comment declaration with a %Missing; reference, "quotes" -- -- and a second comment -->
<!ENTITY % Switch "IGNORE">
<!ENTITY % Switch "INCLUDE" -- a second declaration: the first wins -->
<!ENTITY % Script "CDATA" -- script text -->
<!ENTITY % core
 "id ID #IMPLIED -- unique, and a %Missing; in a comment --
  dir (ltr|rtl) #IMPLIED">
<!ENTITY % Extra PUBLIC "-//Us//ENTITIES Extra//EN">
%Extra;
<![ %Switch; [ <!ELEMENT GONE - - (#PCDATA)> ]]>
<![ IGNORE [ <![ INCLUDE [ <!ELEMENT ALSOGONE - O EMPTY> ]]> ]]>
<![ INCLUDE [ <!ELEMENT KEPT - - (#PCDATA)> ]]>
<!ELEMENT HTML O O (BODY)>
<!ELEMENT BODY O O (P|A|BOX|SEL|LIST|CODE|T|BR|KEPT|WIDE)* +(INS)>
<!ELEMENT P - O (A|BOX|WIDE)*>
<!ELEMENT A - - (BOX)* -(A)>
<!ELEMENT (BOX|WIDE) - - (P|A|BOX|LIST)*>
<!ELEMENT LIST - - (ITEM)+ -(LIST|WIDE)>
<!ELEMENT ITEM - O (BOX|WIDE)*>
<!ELEMENT INS - - (P)*>
<!ELEMENT SEL - - (OPT)+>
<!ELEMENT OPT - O (#PCDATA)>
<!ELEMENT CODE - - %Script>
<!ELEMENT T - - (#PCDATA) -(BR)>
<!ELEMENT BR - O EMPTY>
<!ATTLIST (A|BOX)
  %core;
  HREF    CDATA          #IMPLIED  -- a link, "quoted" --
  version CDATA          #FIXED "1 > 0"
  shape   (rect|circle)  rect
  >
<!ATTLIST BR %core>
"""

# The external entity the catalog names: a general entity, skipped, and one element.
EXTRA = """<!ENTITY nbsp CDATA "&#160;" -- no-break space -->
<!ELEMENT FROMEXTRA - - (#PCDATA)>
"""


class SmallDtd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        folder = cls.folder.name
        for name, text in (("small.dtd", SMALL_DTD), ("extra.ent", EXTRA),
                           ("catalog", '-- ours --\nPUBLIC "-//Us//ENTITIES Extra//EN" extra.ent\n')):
            with open(os.path.join(folder, name), "w") as f:
                f.write(text)
        catalog = table.read_catalogs([os.path.join(folder, "catalog"), os.path.join(folder, "absent")])
        cls.dtd = table.Dtd(os.path.join(folder, "small.dtd"), catalog)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_marked_sections_and_external_entities_decide_what_is_declared(self):
        self.assertEqual(
            sorted(self.dtd.elements),
            ["A", "BODY", "BOX", "BR", "CODE", "FROMEXTRA", "HTML", "INS", "ITEM", "KEPT", "LIST", "OPT", "P",
             "SEL", "T", "WIDE"])

    def test_attributes_come_in_lower_case_with_entities_expanded(self):
        cases = [
            ("A", ["id", "dir", "href", "version", "shape"]),
            ("BOX", ["id", "dir", "href", "version", "shape"]),
            ("BR", ["id", "dir"]),
        ]
        for element, attributes in cases:
            with self.subTest(element):
                self.assertEqual(self.dtd.attributes[element], attributes)
        self.assertNotIn("P", self.dtd.attributes)
        self.assertEqual(self.dtd.attribute_entity("core"), ["id", "dir"])

    def test_name_groups_and_required_attributes_become_features(self):
        cases = [
            # (element, its attribute definitions, features for all of them)
            ("A", {"shape": (["rect", "circle"], "rect"), "version": (None, "#FIXED")},
             ["values:shape=rect,circle"]),
            ("BR", {"id": (None, "#IMPLIED"), "dir": (["ltr", "rtl"], "#IMPLIED")}, ["values:dir=ltr,rtl"]),
        ]
        for element, definitions, features in cases:
            with self.subTest(element):
                for name, definition in definitions.items():
                    self.assertEqual(self.dtd.definitions[element][name], definition)
                self.assertEqual(table.value_features(definitions, list(definitions)), features)
        required = {"action": (None, "#REQUIRED"), "method": (["get", "post"], "get"),
                    "checked": (["checked"], "#IMPLIED"), "rows": (None, "#REQUIRED")}
        self.assertEqual(table.value_features(required, ["action", "method", "checked", "rows"]),
                         ["required=action,rows", "values:method=get,post", "values:checked=checked"])
        self.assertEqual(table.value_features(required, ["method"]), ["values:method=get,post"])

    def test_pairing_follows_content_tags_and_exclusions(self):
        cases = [
            ("BR", "void"),       # EMPTY
            ("P", "optional"),    # - O
            ("OPT", "optional"),  # text alone, but the end tag may be left out
            ("CODE", "raw"),      # CDATA through an entity referred to without ";"
            ("T", "raw"),         # #PCDATA alone
            ("A", "strict"),      # -(A) holds through BOX and P below it
            ("BOX", "counted"),   # holds itself directly
            ("WIDE", "counted"),  # through P, though LIST excludes it below LIST
            ("LIST", "strict"),   # its own exclusion reaches ITEM's BOX's LIST
            ("INS", "counted"),   # BODY includes it, so it may stand within itself
            ("SEL", "strict"),    # BODY's inclusion of INS is no way back to SEL
        ]
        for element, pairing in cases:
            with self.subTest(element):
                self.assertEqual(table.pairing([self.dtd], element), pairing)

    def test_a_fault_in_the_dtd_stops_the_script(self):
        cases = [
            "<!ELEMENT X - - (%Nowhere;)>",
            '<!ENTITY % Lost PUBLIC "-//Us//ENTITIES Lost//EN">',
            "<!ELEMENT X - - (A) *(B)>",
        ]
        for text in cases:
            with self.subTest(text):
                path = os.path.join(self.folder.name, "bad.dtd")
                with open(path, "w") as f:
                    f.write(text)
                with self.assertRaises(SystemExit):
                    table.Dtd(path, {})


def rows_of(file):
    """The lines of a committed table by element name, each as its fields."""
    with open(os.path.join(ROOT, "analysis", file), encoding="utf-8") as f:
        rows = ([field.strip() for field in line.split("|")] for line in f)
        return {fields[0]: fields + [""] * (6 - len(fields)) for fields in rows
                if fields[0] and not fields[0].startswith("#")}


class InstalledDtds(unittest.TestCase):
    def test_the_committed_tables_are_what_the_script_makes(self):
        if not os.path.exists(os.path.join(table.DEFAULT_DTD_DIR, "loose.dtd")):
            self.skipTest("sgml-data is not installed")
        html5_known = os.path.join(ROOT, "analysis", "html5.known")
        dtds = table.read_dtds(table.DEFAULT_DTD_DIR)
        counts = {"html4.known": 91, "html4-strict.known": 77, "html4-transitional.known": 89,
                  "html4-frameset.known": 91}
        self.assertEqual(sorted(counts), sorted(t[0] for t in table.TABLES))
        for file, _, files, _ in table.TABLES:
            with self.subTest(file):
                text, count = table.make_table(table.DEFAULT_DTD_DIR, html5_known, files, dtds)
                with open(os.path.join(ROOT, "analysis", file), encoding="utf-8") as f:
                    self.assertEqual(f.read(), text, "run scripts/make_html4_table.py")
                self.assertEqual(count, counts[file])

    def test_each_dtd_has_a_vocabulary_of_its_own(self):
        strict, transitional, frameset = (
            rows_of("html4-%s.known" % name) for name in ("strict", "transitional", "frameset"))
        merged = rows_of("html4.known")
        # (table, element, attribute or None, present)
        presence = [
            (strict, "font", None, False), (strict, "center", None, False), (strict, "u", None, False),
            (strict, "iframe", None, False), (strict, "frameset", None, False), (strict, "a", "target", False),
            (strict, "p", "align", False), (strict, "div", None, True), (strict, "a", "href", True),
            (transitional, "font", None, True), (transitional, "iframe", None, True),
            (transitional, "frameset", None, False), (transitional, "frame", None, False),
            (transitional, "a", "target", True), (transitional, "p", "align", True),
            (frameset, "frameset", None, True), (frameset, "frame", None, True), (frameset, "font", None, True),
            (merged, "frameset", None, True), (merged, "center", None, True),
        ]
        for rows, element, attribute, present in presence:
            with self.subTest(element=element, attribute=attribute):
                if attribute is None:
                    self.assertEqual(element in rows, present)
                else:
                    self.assertEqual(attribute in rows[element][3].split(), present)

        def words(rows, element):
            return dict(w.split("=", 1) for w in rows[element][5].split() if "=" in w)

        # What an element holds and needs follows the one DTD.
        self.assertNotIn("a", words(strict, "body")["holds"].split(","))
        self.assertIn("p", words(strict, "body")["holds"].split(","))
        self.assertEqual(words(transitional, "body")["holds"], "@flow,del,ins")
        self.assertEqual(words(frameset, "html")["holds"], "frameset,head")
        self.assertEqual(words(frameset, "html")["needs"], "frameset")
        self.assertEqual(words(transitional, "html")["holds"], "body,head")
        self.assertEqual(words(merged, "html")["holds"], "body,frameset,head")
        # A Frameset page's noframes holds body, whose start tag may be left out.
        self.assertEqual(words(frameset, "noframes")["holds"], "@flow,body")
        # A reference feature only for an attribute the element takes there.
        self.assertNotIn("urls", words(strict, "body"))
        self.assertEqual(words(transitional, "body")["urls"], "background")

    def test_a_reference_of_an_attribute_no_dtd_gives_stops_the_script(self):
        self.assertEqual(table.reference_features("img", ["src", "usemap"], {"src", "longdesc", "usemap"}),
                         "urls=src maprefs=usemap")
        with self.assertRaises(SystemExit):
            table.reference_features("img", ["src"], {"src", "usemap"})


class ContentModels(unittest.TestCase):
    """The content models the check follows, from model tokens as the DTD reader gives them."""

    def test_needed_children_of_models(self):
        models = table.html4_content_models
        cases = [
            ("(TITLE & BASE?)", set(), [["TITLE"]]),
            ("(TR)+", set(), [["TR"]]),
            ("(DT|DD)+", set(), [["DT", "DD"]]),
            ("(#PCDATA,LEGEND,(P|DIV)*)", set(), [["LEGEND"]]),
            ("(CAPTION?, (COL*|COLGROUP*), THEAD?, TFOOT?, TBODY+)", {"TBODY"}, []),
            ("(HEAD, BODY)", {"HEAD", "BODY"}, []),
            ("(%x)*", set(), []),
            ("(A|B|C|D)+", set(), []),  # more alternatives than a message lists
            ("((FRAMESET|FRAME)+ & NOFRAMES?)", set(), [["FRAMESET", "FRAME"]]),
            ("(LI)*", set(), []),
        ]
        for text, omitted, expected in cases:
            tokens = text.replace("(", " ( ").replace(")", " ) ").replace("|", " | ").replace(",", " , ")
            tokens = tokens.replace("&", " & ").replace("?", " ? ").replace("*", " * ").replace("+", " + ").split()
            tokens = ["P" if t == "%x" else t for t in tokens]
            with self.subTest(text):
                self.assertEqual(models.needed(models.parse_model(tokens), omitted), expected)

    def test_a_model_the_compiler_cannot_read_stops_it(self):
        models = table.html4_content_models
        for tokens in (["(", "A", ",", "B", "|", "C", ")"], ["(", "A", ")", "B"], ["(", ",", "A", ")"]):
            with self.subTest(tokens):
                with self.assertRaises(models.ModelError):
                    models.parse_model(tokens)

    def test_the_installed_dtds_give_the_expected_rules(self):
        with open(os.path.join(ROOT, "analysis", "html4.known"), encoding="utf-8") as f:
            rows = {line.split(" | ")[0]: line for line in f if not line.startswith("#")}
        for name, word in [("head", "needs=title"), ("a", "forbids=a"), ("body", "holds=@flow,del,ins"),
                           ("ins", "anywhere"), ("tbody", "needs=tr"), ("li", "categories=none")]:
            with self.subTest(name):
                self.assertIn(word, rows[name].split())


if __name__ == "__main__":
    unittest.main()
