#!/usr/bin/python3
"""mqnet plan export --format xlsx, plan show --xlsx and split --xlsx: the workbooks read
back with openpyxl (and LibreOffice where it is installed) against the CSV files of the same
tables, cell for cell; types, the frozen bold header, widths, formula-like text, the
allocations sheet per root, and the refusals.
Usage: xlsx_test.py PATH-TO-MQNET"""
import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import openpyxl

MQNET = sys.argv.pop(1)
WORK = tempfile.mkdtemp()
EXACT = 2 ** 53

# IPv4 blocks with VLANs, an IPv6 /48 whose counts are beyond a spreadsheet's exact numbers
# and a /75 whose usable count, 2^53 - 1, is still exact; names and notes that read as formulas.
PREFIXES = ("prefix,status,description,vlan\n10.40.1.0/24,active,=1+2,110\n10.40.2.0/24,active,Voice,120\n"
            "10.40.3.0/24,reserved,@SUM(A1),\n2001:db8:40::/48,active,Big,\n2001:db8:41::/75,active,Edge,\n")
HOSTS = [{"name": "printer", "ipv4": "10.40.1.20", "mac": "00:11:22:33:44:55", "note": "-rm"},
         {"name": "ap", "ipv4": "10.40.2.9", "ipv6": "2001:db8:40::9", "note": "+cmd|' /C calc'!A0"},
         {"name": "odd", "ipv4": "10.40.2.10", "note": "_x0041_ is no A"}]
# sheet: the command giving the same table as CSV, and its count columns. The allocations of
# this plan lie in two roots: a sheet each, which together hold the CSV's rows.
ROOT_SHEETS = ["allocations 10.40.0.0-16", "allocations 2001.db8.40..-47"]
TABLES = {"allocations": (["plan", "show", "--csv"], {"vlan", "hosts", "needed", "usable", "spare"}),
          "leaves": (["plan", "export", "--format", "csv"], {"vlan", "hosts", "spare"}),
          "subnets": (["plan", "export", "--format", "subnets"], {"vlan", "static", "usable", "free"}),
          "hosts": (["plan", "export", "--format", "hosts"], set())}
FORMULA_START = ("=", "+", "-", "@", "\t", "\r")


def excel_text(value):
    """A string cell as a spreadsheet reads it: _xHHHH_ is the character HHHH (ECMA-376
    ST_Xstring), which openpyxl leaves as it is."""
    if not isinstance(value, str):
        return value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True)


def make_plan():
    r = run("plan", "import", "--format", "netbox", "10.40.0.0/16,2001:db8:40::/47", "-", stdin=PREFIXES.encode())
    assert r.returncode == 0, r.stderr
    doc = json.loads(r.stdout)
    doc["version"] = 3
    doc["hosts"] = HOSTS
    path = os.path.join(WORK, "campus.mqplan")
    with open(path, "w") as f:
        json.dump(doc, f)
    return path


def csv_table(args, plan=None):
    r = run(*args, *([plan] if plan else []))
    assert r.returncode == 0, r.stderr
    rows = list(csv.reader(io.StringIO(r.stdout.decode(), newline="")))
    # The spreadsheet files mark formula-like text with a '; a workbook needs no mark.
    return [[c[1:] if c[:1] == "'" and c[1:].startswith(FORMULA_START) else c for c in row] for row in rows]


def libreoffice_sheets(test, book):
    """Every sheet of the workbook as LibreOffice reads it, written by its CSV filter (its
    option token 12, -1, writes each sheet to BOOK-SHEET.csv), in the workbook's order."""
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        test.skipTest("LibreOffice (soffice) is not installed")
    out = tempfile.mkdtemp(dir=WORK)
    r = subprocess.run([soffice, "--headless", f"-env:UserInstallation=file://{out}/profile", "--convert-to",
                        "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1",
                        "--outdir", out, book], capture_output=True, timeout=240)
    test.assertEqual(r.returncode, 0, r.stderr)
    stem = os.path.splitext(os.path.basename(book))[0]
    sheets = {}
    for name in openpyxl.load_workbook(book, read_only=True).sheetnames:
        with open(os.path.join(out, f"{stem}-{name}.csv"), newline="", encoding="utf-8") as f:
            sheets[name] = list(csv.reader(f))
    return sheets


def check_sheets(test, sheets, want, counts, seen):
    """The sheets, one after the other under the same frozen bold header, hold the CSV's
    rows: each cell its text, a number where a count fits exactly; columns as wide as
    their content."""
    rows = [list(sheets[0][1])] + [list(r) for ws in sheets for r in ws.iter_rows(min_row=2)]
    test.assertEqual(len(rows), len(want), [ws.title for ws in sheets])
    for ws in sheets:
        test.assertEqual((ws.freeze_panes, [c.value for c in ws[1]]), ("A2", want[0]), ws.title)
        test.assertTrue(all(c.font.b for c in ws[1]), ws.title)
        for col, head in enumerate(want[0]):
            longest = max(len(excel_text(str(r[col].value or ""))) for r in ws.iter_rows())
            width = ws.column_dimensions[openpyxl.utils.get_column_letter(col + 1)].width
            test.assertGreaterEqual(width, min(longest, 60), (ws.title, head))
    for r, (cells, row) in enumerate(zip(rows, want), start=1):
        test.assertEqual(len(cells), len(want[0]), (sheets[0].title, r))
        for cell, text, column in zip(cells, row + [""] * len(cells), want[0]):
            where = (cell.parent.title, cell.coordinate, text)
            if text == "":
                test.assertIsNone(cell.value, where)
            elif r > 1 and column in counts and int(text) <= EXACT:
                test.assertEqual((cell.data_type, cell.value), ("n", int(text)), where)
                seen["number"] = True
            else:
                test.assertEqual((cell.data_type, excel_text(cell.value)), ("s", text), where)
                seen["big"] |= column in counts and r > 1
                if text.startswith(FORMULA_START):
                    test.assertEqual(cell.number_format, "@", where)
                    seen["formula"] += 1


class Workbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.plan = make_plan()
        cls.book = os.path.join(WORK, "campus.xlsx")
        r = run("plan", "export", "--format", "xlsx", "-o", cls.book, cls.plan)
        assert r.returncode == 0 and not r.stdout, r.stderr

    def test_every_cell_as_the_csv_with_its_type(self):
        wb = openpyxl.load_workbook(self.book)
        self.assertEqual(wb.sheetnames, ROOT_SHEETS + list(TABLES)[1:])
        seen = {"big": False, "number": False, "formula": 0}
        for name, (args, counts) in TABLES.items():
            sheets = [wb[n] for n in ROOT_SHEETS] if name == "allocations" else [wb[name]]
            check_sheets(self, sheets, csv_table(args, self.plan), counts, seen)
        self.assertTrue(seen["big"] and seen["number"], seen)
        self.assertGreaterEqual(seen["formula"], 6, seen)
        # The /75's 2^53 - 1 usable addresses are still a number.
        self.assertIn(EXACT - 1, [c.value for c in wb["subnets"]["N"][1:]])

    def test_through_libreoffice(self):
        got = libreoffice_sheets(self, self.book)
        self.assertEqual(list(got), ROOT_SHEETS + list(TABLES)[1:])
        for name, (args, _) in TABLES.items():
            want = csv_table(args, self.plan)
            rows = ([got[ROOT_SHEETS[0]][0]] + got[ROOT_SHEETS[0]][1:] + got[ROOT_SHEETS[1]][1:]
                    if name == "allocations" else got[name])
            self.assertEqual(rows, [row + [""] * (len(want[0]) - len(row)) for row in want], name)

    def test_plan_show_writes_the_allocation_sheets(self):
        book = os.path.join(WORK, "show.xlsx")
        r = run("plan", "show", "--xlsx", "-o", book, self.plan)
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, b"", b""))
        shown, exported = openpyxl.load_workbook(book), openpyxl.load_workbook(self.book)
        self.assertEqual(shown.sheetnames, ROOT_SHEETS)
        for name in ROOT_SHEETS:
            self.assertEqual([[c.value for c in r] for r in shown[name].iter_rows()],
                             [[c.value for c in r] for r in exported[name].iter_rows()], name)

    def test_refused(self):
        book = os.path.join(WORK, "refused.xlsx")
        for args, message in [(["plan", "show", "--xlsx", self.plan], "--xlsx writes a workbook: -o FILE is required"),
                              (["plan", "show", "--csv", "-o", book, self.plan], "-o is for --xlsx"),
                              (["plan", "show", "--xlsx", "--json", "-o", book, self.plan],
                               "--xlsx and --json exclude each other"),
                              (["split", "--xlsx", "10.0.0.0/8", "30"], "-o FILE is required"),
                              (["split", "--xlsx", "--csv", "-o", book, "10.0.0.0/8", "30"],
                               "--xlsx and --csv exclude each other"),
                              (["split", "-o", book, "10.0.0.0/8", "30"], "-o is for --xlsx"),
                              (["split", "--xlsx", "-o", book, "10.0.0.0/8", "30"],
                               "4194304 rows are more than a worksheet holds (1048575 below its header); "
                               "--csv writes any number of them"),
                              (["split", "--xlsx", "-o", book, "::/0", "128"], "2^128 rows are more")]:
            r = run(*args)
            self.assertEqual(r.returncode, 2, (args, r.stderr))
            self.assertIn(message, r.stderr.decode(), args)
        self.assertFalse(os.path.exists(book))
        cases = [(["--format", "xlsx", self.plan], 2, "-o FILE is required"),
                 (["--format", "xlsx", "--include-free", "-o", os.path.join(WORK, "x.xlsx"), self.plan], 2,
                  "--include-free is for the prefix formats, not xlsx"),
                 (["--format", "xlsx", "-o", os.path.join(WORK, "none", "x.xlsx"), self.plan], 1, "none"),
                 (["--format", "xlsx", "-o", "", self.plan], 2, "-o needs a file name")]
        for args, status, message in cases:
            r = run("plan", "export", *args)
            self.assertEqual(r.returncode, status, (args, r.stderr))
            self.assertIn(message, r.stderr.decode(), args)
        self.assertFalse(os.path.exists(os.path.join(WORK, "x.xlsx")))

    def test_o_writes_what_standard_output_gets(self):
        for fmt in ("csv", "hosts", "vsc-link", "xlsx"):
            path = os.path.join(WORK, "out." + fmt)
            r = run("plan", "export", "--format", fmt, "-o", path, self.plan)
            self.assertEqual((r.returncode, r.stdout), (0, b""), r.stderr)
            with open(path, "rb") as f:
                written = f.read()
            stdout = run("plan", "export", "--format", fmt, "-o", "-", self.plan).stdout
            if fmt == "xlsx":  # the zip's times differ between runs: compare what it holds
                self.assertEqual(written[:2], b"PK")
                self.assertEqual(stdout[:2], b"PK")
            else:
                self.assertEqual(written, stdout, fmt)


class Split(unittest.TestCase):
    # network, new length, rows asked for: IPv4 with a broadcast, and the last IPv6 rows of a
    # split whose indexes no spreadsheet number holds.
    CASES = [("10.0.0.0/22", "30", []),
             ("2001:db8::/32", "128", ["--from", "79228162514264337593543950330", "--count", "6"])]

    def test_the_cells_of_csv_with_their_types(self):
        for i, (network, length, rows) in enumerate(self.CASES):
            book = os.path.join(WORK, f"split{i}.xlsx")
            r = run("split", "--xlsx", "-o", book, network, length, *rows)
            self.assertEqual((r.returncode, r.stdout, r.stderr), (0, b"", b""))
            want = csv_table(["split", "--csv", "--header", network, length, *rows])
            seen = {"big": False, "number": False, "formula": 0}
            check_sheets(self, [openpyxl.load_workbook(book)["split"]], want, {"index"}, seen)
            self.assertEqual((seen["number"], seen["big"]), (i == 0, i == 1), network)
            self.assertEqual(libreoffice_sheets(self, book)["split"], want, network)

    def test_a_worksheets_rows_and_not_one_more(self):
        book = os.path.join(WORK, "full.xlsx")
        r = run("split", "--xlsx", "-o", book, "10.0.0.0/8", "32", "--from", "3", "--count", "1048576")
        self.assertEqual(r.returncode, 2, r.stderr)
        self.assertFalse(os.path.exists(book))
        r = run("split", "--xlsx", "-o", book, "10.0.0.0/8", "32", "--from", "3", "--count", "1048575")
        self.assertEqual(r.returncode, 0, r.stderr)
        ws = openpyxl.load_workbook(book, read_only=True)["split"]
        self.assertEqual((ws.max_row, ws.max_column), (1048576, 5))


if __name__ == "__main__":
    unittest.main()
