#!/usr/bin/python3
"""What mqnet writes where people read it: hostile bytes in a refusal reach the terminal
escaped and shortened, with letters of every script as they are; CSV for spreadsheets gives
formula-like names and notes as text, CSV for programs gives them as typed and says so.
Usage: text_out_test.py PATH-TO-MQNET"""
import csv
import io
import os
import subprocess
import sys
import tempfile
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
WORK = tempfile.mkdtemp()


def run(*args, stdin=""):
    r = subprocess.run([MQNET, *args], input=stdin.encode(), capture_output=True)
    return r.returncode, r.stdout.decode(), r.stderr.decode()


def put(name, text):
    path = os.path.join(WORK, name)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    return path


RAW = ["\u009b", "\u007f", "\u202e", "\u2066", "\u200b", "\ufeff", "\x1b"]


class Refusals(unittest.TestCase):
    def test_controls_and_format_characters_are_escaped_and_letters_kept(self):
        long_key = "\u009b\u007f\u202e" + "k" * 100000
        vsc = put("k.json", '{"config_version": "2", "base_network": "10.0.0.0/16", "subnets": '
                            '{"10.0.0.0/16": {"' + long_key + '": {}}}}')
        cases = [
            # (arguments, standard input, escapes that must show, letters that must stay)
            (["plan", "import", "--format", "vsc-json", "10.0.0.0/16", vsc], "",
             ["\\xc2\\x9b\\x7f\\u{202e}kkk"], []),
            (["plan", "import", "--format", "vsc-json", "10.0.0.0/16", "-"],
             '{"config_version": "2", "base_network": "10.0.0.0/16", "subnets": '
             '{"10.0.0.0/16": {"\\u001b]0;x\\u0007\u2066": {}}}}', ["\\u{2066}"], []),
            (["info", "10.0.0.1\u202e/8"], "", ["\\u{202e}"], []),
            (["summarize", "-"], "10.0.0.0/24\n\ufeffZ\u00fcrich \u6771\u4eac \u202e\n", ["\\u{feff}", "\\u{202e}"],
             ["Z\u00fcrich \u6771\u4eac"]),
            (["plan", "import", "--format", "list", "10.0.0.0/8", "-"],
             "\u0627\u0644\u0642\u0627\u0647\u0631\u0629 \u05ea\u05dc \u05d0\u05d1\u05d9\u05d1\u2067\n", ["\\u{2067}"],
             ["\u0627\u0644\u0642\u0627\u0647\u0631\u0629 \u05ea\u05dc \u05d0\u05d1\u05d9\u05d1"]),
        ]
        for args, stdin, shown, kept in cases:
            status, _, err = run(*args, stdin=stdin)
            self.assertEqual(status, 2, (args, err))
            self.assertTrue(err.startswith("mqnet: "), (args, err))
            self.assertLess(len(err.encode()), 600, args)
            for raw in RAW:
                self.assertNotIn(raw, err, (args, err))
            for piece in shown + kept:
                self.assertIn(piece, err, args)


NAMES = ("10.0.1.0/24,=cmd|' /C calc'!A0,@SUM(A1)\n"
         "10.0.2.0/24,+1 staff,\"-2, north\"\n"
         "10.0.3.0/24,plain,fine\n")


class Spreadsheets(unittest.TestCase):
    def test_formulas_are_text_for_spreadsheets_and_named_where_programs_get_them(self):
        status, plan, err = run("plan", "import", "--format", "list", "10.0.0.0/16", put("names.txt", NAMES))
        self.assertEqual((status, err), (0, ""))
        plan = put("names.mqplan", plan)
        n1, n2 = ("10.0.1.0/24", "name", "=cmd|' /C calc'!A0"), ("10.0.2.0/24", "name", "+1 staff")
        o1, o2 = ("10.0.1.0/24", "note", "@SUM(A1)"), ("10.0.2.0/24", "note", "-2, north")
        cases = [
            # (arguments, name column, note column, the cells, the (block, field, value) named)
            (["plan", "export", "--format", "csv"], "name", "note",
             [("'=cmd|' /C calc'!A0", "'@SUM(A1)"), ("'+1 staff", "'-2, north"), ("plain", "fine")], []),
            (["plan", "export", "--format", "netbox", "--tenant", "=t"], "description", "comments",
             [("=cmd|' /C calc'!A0", "@SUM(A1)"), ("+1 staff", "-2, north"), ("plain", "fine")],
             [n1, o1, n2, o2, ("", "tenant", "=t")]),
            (["plan", "export", "--format", "phpipam", "--section", "@s"], "Description", "Description",
             [("=cmd|' /C calc'!A0",) * 2, ("+1 staff",) * 2, ("plain",) * 2], [n1, n2, ("", "section", "@s")]),
            (["plan", "show", "--csv"], "name", "note",
             [("=cmd|' /C calc'!A0", "@SUM(A1)"), ("+1 staff", "-2, north"), ("plain", "fine")], [n1, o1, n2, o2]),
            (["plan", "export", "--format", "vsc-json"], None, None, [], []),
        ]
        for args, name, note, cells, named in cases:
            status, out, err = run(*args, plan)
            self.assertEqual(status, 0, (args, err))
            if name:
                rows = [r for r in csv.DictReader(io.StringIO(out)) if r[name]]
                self.assertEqual([(r[name], r[note]) for r in rows], cells, args)
            told = [line for line in err.splitlines() if "spreadsheet" in line]
            self.assertEqual(told, ["mqnet: %s: %sa spreadsheet would read the %s \"%s\" as a formula; written as it is"
                                    % (" ".join(args[:2]), block + ": " if block else "", field, value)
                                    for block, field, value in named], args)
        status, out, err = run("plan", "allocate", "--csv", "10.0.0.0/24", put("segs.txt", "=evil, 10\nplain, 10\n"))
        self.assertEqual((status, out.split(",")[0]), (0, "=evil"), err)
        self.assertEqual([line for line in err.splitlines() if "spreadsheet" in line],
                         ['mqnet: plan allocate: 10.0.0.0/28: a spreadsheet would read the name "=evil" as a formula;'
                          ' written as it is'])


if __name__ == "__main__":
    unittest.main()
