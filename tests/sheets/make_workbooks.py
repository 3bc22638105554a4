"""Workbooks for the sheet reader's tests, those named written into the folder given: by openpyxl, and
by hand (zipfile) where a part must hold what openpyxl does not write (cached formula
values, shared and rich strings), is damaged, or is too large."""
import sys
import warnings
import zipfile

import openpyxl
from openpyxl.styles import Alignment

out = sys.argv[1]
NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
RELS = 'xmlns="http://schemas.openxmlformats.org/package/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def cells_workbook():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Cells"
    ws.append(["name", "hosts", None, "growth"])
    ws.append(["lab, east", 1000, None, 12.5])
    ws.append(["big", 2**64, -0.0, 1e15])
    ws.append([True, False, 0.25, 0.125])
    ws["C4"].number_format = "0%"
    ws["D4"].number_format = '0.0"%"%'
    ws["A5"] = "merged"
    ws["C5"] = "x"
    ws["C6"] = "y"
    ws.merge_cells("A5:B6")
    ws["A5"].alignment = Alignment(horizontal="center")
    wb.create_sheet("Second").append(["second"])
    wb.save(out + "/cells.xlsx")


def formula_workbook():
    wb = openpyxl.Workbook()
    wb.active.append(["name", "=1+1"])
    wb.save(out + "/formula.xlsx")


def segments_workbook():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Site A"
    rows = [
        ["name", "hosts", "growth", "length", "vlan"],
        [None, None, None, None, None],
        ["staff", 1000, "25%", None, 10],
        ["# parked for later", 5],
        ["lab", "1,000", None, 28],
        ["voice", "many"],
        ["servers", 0],
        ["wan", 2, None, None, 5000],
        ["dmz", 40, "lots"],
    ]
    for r in rows:
        ws.append(r)
    ws.merge_cells("A1:A2")
    ws.merge_cells("B1:B2")
    wb.save(out + "/segments.xlsx")


def write_parts(name, parts, stored=False):
    method = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(out + "/" + name, "w", method) as z:
        for entry, text in parts.items():
            z.writestr(entry, text)


def book_parts(sheet, strings=None):
    rels = '<Relationship Id="rS" Type="%sworksheet" Target="worksheets/s.xml"/>' % REL
    if strings is not None:
        rels += '<Relationship Id="rT" Type="%ssharedStrings" Target="strings.xml"/>' % REL
    parts = {
        "_rels/.rels": '<Relationships %s><Relationship Id="r1" Type="%sofficeDocument" '
        'Target="xl/workbook.xml"/></Relationships>' % (RELS, REL),
        "xl/workbook.xml": '<workbook %s xmlns:r="%s"><sheets><sheet name="Hand" sheetId="1" '
        'r:id="rS"/></sheets></workbook>' % (NS, REL[:-1]),
        "xl/_rels/workbook.xml.rels": "<Relationships %s>%s</Relationships>" % (RELS, rels),
        "xl/worksheets/s.xml": "<worksheet %s><sheetData>%s</sheetData></worksheet>" % (NS, sheet),
    }
    if strings is not None:
        parts["xl/strings.xml"] = strings
    return parts


def manual_workbook():
    strings = ('<sst %s><si><t>plain</t></si><si><r><t>ri</t></r><r><rPr><b/></rPr><t xml:space="preserve">ch '
               "</t></r><rPh><t>guide</t></rPh></si></sst>" % NS)
    sheet = ('<row r="2"><c r="A2" t="s"><v>1</v></c><c r="C2" t="s"><v>0</v></c></row>'
             '<row><c t="inlineStr"><is><r><t>in</t></r><r><t>line</t></r></is></c>'
             '<c><f>1+1</f><v>2</v></c><c t="str"><f>"a"&amp;"b"</f><v>ab</v></c>'
             '<c t="e"><f>1/0</f><v>#DIV/0!</v></c><c><v>1.2E+3</v></c></row>')
    write_parts("manual.xlsx", book_parts(sheet, strings))


def bad_workbooks():
    strings = '<sst %s><si><t>plain</t></si></sst>' % NS
    write_parts("badstring.xlsx", book_parts('<row r="1"><c r="A1" t="s"><v>7</v></c></row>', strings))
    write_parts("badxml.xlsx", book_parts('<row r="1"><c r="A1"><v>1</v></row>'))
    write_parts("badrows.xlsx", book_parts('<row r="2"><c r="A2"><v>1</v></c></row><row r="1"/>'))
    write_parts("badmerge.xlsx", book_parts('<row r="1"><c r="A1"><v>1</v></c></row></sheetData>'
                                            '<mergeCells><x:mergeCell xmlns:x="x" ref="B2:A1"/></mergeCells><sheetData>'))
    write_parts("twice.xlsx", book_parts('<row r="1"><c r="A1"><v>1</v></c></row>'))
    with zipfile.ZipFile(out + "/twice.xlsx", "a") as z, warnings.catch_warnings():
        warnings.simplefilter("ignore")  # zipfile warns of the duplicate it is asked to write
        z.writestr("xl/worksheets/s.xml", "<worksheet/>")


def damaged_workbook():
    write_parts("damaged.xlsx", book_parts('<row r="1"><c r="A1" t="inlineStr"><is><t>name</t></is></c></row>'),
                stored=True)
    data = bytearray(open(out + "/damaged.xlsx", "rb").read())
    at = data.index(b"<t>name</t>")
    data[at + 4] = ord("b")  # still good XML: only the checksum tells
    open(out + "/damaged.xlsx", "wb").write(bytes(data))


def bomb_workbooks():
    """300 MiB from about 300 KiB each: many small shared strings, and a sheet of blanks."""
    parts = book_parts('<row r="1"><c r="A1" t="s"><v>0</v></c></row>', "")
    del parts["xl/strings.xml"]
    with zipfile.ZipFile(out + "/bomb.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        for entry, text in parts.items():
            z.writestr(entry, text)
        with z.open("xl/strings.xml", "w", force_zip64=True) as f:
            f.write(("<sst %s>" % NS).encode())
            block = b"<si><t>" + b"A" * 1000 + b"</t></si>"
            block *= 1024
            for _ in range(300):
                f.write(block)
            f.write(b"</sst>")
    parts = book_parts("")
    head, tail = parts.pop("xl/worksheets/s.xml").split("</sheetData>")
    with zipfile.ZipFile(out + "/sheetbomb.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        for entry, text in parts.items():
            z.writestr(entry, text)
        with z.open("xl/worksheets/s.xml", "w", force_zip64=True) as f:
            f.write(head.encode())
            block = (b" " * 65530 + b"<x/>") * 16
            for _ in range(300):
                f.write(block)
            f.write(("</sheetData>" + tail).encode())
    with zipfile.ZipFile(out + "/longtext.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        for entry, text in parts.items():
            z.writestr(entry, text)
        z.writestr("xl/worksheets/s.xml", head + '<row r="1"><c r="A1" t="inlineStr"><is><t>' + "A" * (3 << 20) +
                   "</t></is></c></row></sheetData>" + tail)


def million_rows():
    parts = book_parts("")
    sheet = parts.pop("xl/worksheets/s.xml")
    head, tail = sheet.split("<sheetData>")
    with zipfile.ZipFile(out + "/million.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        for entry, text in parts.items():
            z.writestr(entry, text)
        with z.open("xl/worksheets/s.xml", "w", force_zip64=True) as f:
            f.write((head + "<sheetData>").encode())
            for start in range(1, 1_000_001, 10_000):
                f.write("".join('<row r="%d"><c r="A%d" t="inlineStr"><is><t>s%d</t></is></c><c r="B%d"><v>%d</v></c></row>'
                                % (r, r, r, r, r % 1000) for r in range(start, start + 10_000)).encode())
            f.write(tail.encode())


def not_zip():
    open(out + "/notzip.xlsx", "w").write("name,hosts\nstaff,10\n")


MAKERS = {"cells.xlsx": cells_workbook, "formula.xlsx": formula_workbook, "segments.xlsx": segments_workbook,
          "manual.xlsx": manual_workbook, "damaged.xlsx": damaged_workbook, "bomb.xlsx": bomb_workbooks, "sheetbomb.xlsx": bomb_workbooks,
          "longtext.xlsx": bomb_workbooks,
          "million.xlsx": million_rows, "notzip.xlsx": not_zip,
          "badstring.xlsx": bad_workbooks, "badxml.xlsx": bad_workbooks,
          "badrows.xlsx": bad_workbooks, "badmerge.xlsx": bad_workbooks, "twice.xlsx": bad_workbooks}
for name in sys.argv[2:]:
    MAKERS[name]()
