#!/usr/bin/python3
"""mqnet plan export --format xlsx: the workbook read back with openpyxl (and LibreOffice
where it is installed) against the CSV files of the same tables, cell for cell; types, the
frozen bold header, widths, formula-like text, and the refusals.
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
# sheet: the command giving the same table as CSV, and its count columns
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


def csv_table(args, plan):
    r = run(*args, plan)
    assert r.returncode == 0, r.stderr
    rows = list(csv.reader(io.StringIO(r.stdout.decode(), newline="")))
    # The spreadsheet files mark formula-like text with a '; a workbook needs no mark.
    return [[c[1:] if c[:1] == "'" and c[1:].startswith(FORMULA_START) else c for c in row] for row in rows]


class Workbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.plan = make_plan()
        cls.book = os.path.join(WORK, "campus.xlsx")
        r = run("plan", "export", "--format", "xlsx", "-o", cls.book, cls.plan)
        assert r.returncode == 0 and not r.stdout, r.stderr

    def test_every_cell_as_the_csv_with_its_type(self):
        wb = openpyxl.load_workbook(self.book)
        self.assertEqual(wb.sheetnames, list(TABLES))
        seen = {"big": False, "number": False, "formula": 0}
        for name, (args, counts) in TABLES.items():
            ws, want = wb[name], csv_table(args, self.plan)
            got = [list(r) for r in ws.iter_rows(values_only=True)]
            self.assertEqual(len(got), len(want), name)
            self.assertEqual(ws.freeze_panes, "A2", name)
            self.assertTrue(all(c.font.b for c in ws[1]), name)
            for r, (cells, row) in enumerate(zip(ws.iter_rows(), want), start=1):
                self.assertEqual(len(cells), len(want[0]), (name, r))
                for cell, text, column in zip(cells, row + [""] * len(cells), want[0]):
                    where = (name, cell.coordinate, text)
                    if text == "":
                        self.assertIsNone(cell.value, where)
                    elif r > 1 and column in counts and int(text) <= EXACT:
                        self.assertEqual((cell.data_type, cell.value), ("n", int(text)), where)
                        seen["number"] = True
                    else:
                        self.assertEqual((cell.data_type, excel_text(cell.value)), ("s", text), where)
                        seen["big"] |= column in counts and r > 1
                        if text.startswith(FORMULA_START):
                            self.assertEqual(cell.number_format, "@", where)
                            seen["formula"] += 1
                for col, head in enumerate(want[0]):
                    longest = max(len(row[col]) if col < len(row) else 0 for row in want)
                    width = ws.column_dimensions[openpyxl.utils.get_column_letter(col + 1)].width
                    self.assertGreaterEqual(width, min(longest, 60), (name, head))
        self.assertTrue(seen["big"] and seen["number"], seen)
        self.assertGreaterEqual(seen["formula"], 6, seen)
        # The /75's 2^53 - 1 usable addresses are still a number.
        self.assertIn(EXACT - 1, [c.value for c in wb["subnets"]["N"][1:]])

    def test_through_libreoffice(self):
        soffice = shutil.which("soffice") or shutil.which("libreoffice")
        if not soffice:
            self.skipTest("LibreOffice (soffice) is not installed")
        out = tempfile.mkdtemp(dir=WORK)
        r = subprocess.run([soffice, "--headless", f"-env:UserInstallation=file://{out}/profile", "--convert-to",
                            "csv", "--outdir", out, self.book], capture_output=True, timeout=240)
        self.assertEqual(r.returncode, 0, r.stderr)
        # The first sheet is the one converted: the allocations, as plan show writes them.
        with open(os.path.join(out, "campus.csv"), newline="", encoding="utf-8") as f:
            got = list(csv.reader(f))
        want = csv_table(TABLES["allocations"][0], self.plan)
        self.assertEqual(got, [row + [""] * (len(want[0]) - len(row)) for row in want])

    def test_refused(self):
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


if __name__ == "__main__":
    unittest.main()
