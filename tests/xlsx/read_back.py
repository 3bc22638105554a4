#!/usr/bin/python3
"""A workbook's sheets as openpyxl reads them, for the C++ tests: "sheet NAME", then a line
per row, its cells joined by tabs: a number as #N, a text as it is (with _xHHHH_ read as the
character HHHH), an empty cell as nothing. Exit status 3 when openpyxl is missing.
Usage: read_back.py BOOK.xlsx"""
import re
import sys

try:
    import openpyxl
except ImportError:
    sys.exit(3)


def cell(value):
    if value is None:
        return ""
    if isinstance(value, (int, float)):
        return "#%d" % value if float(value).is_integer() else "#%r" % value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


book = openpyxl.load_workbook(sys.argv[1], read_only=True)
out = sys.stdout
for ws in book.worksheets:
    out.write("sheet %s\n" % ws.title)
    for row in ws.iter_rows(values_only=True):
        out.write("\t".join(cell(v) for v in row).rstrip("\t") + "\n")
