#!/usr/bin/python3
"""mqnet reading workbooks: a segment list, an in-use table and a host table read from a sheet
give what the same CSV gives, each refused row named by sheet and row instead of line, for
workbooks written by openpyxl and by LibreOffice; Maskquill's own workbook read back; bad
workbooks refused with the reason; a sheet of 10^6 rows read in memory bounded by the CSV's.
Usage: sheets_test.py PATH-TO-MQNET"""
import csv
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

import openpyxl

MQNET = sys.argv.pop(1)
with open(shutil.which(MQNET) or MQNET, "rb") as binary:  # AddressSanitizer holds freed memory back
    SANITIZED = b"libasan" in binary.read()
WORK = tempfile.mkdtemp()
SOFFICE = shutil.which("soffice")
PREFIXES = ("prefix,status,description,vlan\n10.40.1.0/24,active,Office,110\n10.40.2.0/24,active,Voice,120\n"
            "2001:db8:40::/64,active,Voice,120\n")

# (what, the arguments before the file, the CSV): each read as CSV and as a workbook.
CASES = [
    ("segments", ["plan", "allocate", "10.0.0.0/16"],
     "name,hosts,growth,vlan\nstaff,100,25%,10\n\nlab,x\n# parked\nwan,2,,5000\nvoice,1000,12.5,\n"),
    ("list", ["plan", "import", "--format", "list", "10.0.0.0/16"],
     "prefix,name,note\n10.0.1.0/24,web,\"floor 1, east\"\n10.0.2.5/24,bad\n10.0.3.7,host\n10.1.0.0/24,out\n"),
    ("netbox", ["plan", "import", "--format", "netbox", "10.0.0.0/16"],
     "prefix,status,description,vlan,is_pool\n10.0.0.0/20,container,Site,,\n10.0.1.0/24,active,Web,5000,\n"
     "10.0.2.0/24,reserved,Spare,20,maybe\n10.0.3.9/24,active,Hosty,,\n"),
    ("phpipam", ["plan", "import", "--format", "phpipam", "10.0.0.0/16"],
     "Section,Subnet,Mask,Description,VLAN\nLAN,10.0.1.0,24,Office,10\nLAN,10.0.2.0,255.255.255.0,Lab,na\n"
     "LAN,10.0.3.0,,Bad,\n"),
    ("hosts", ["plan", "hosts", "import", "--format", "csv", "-o", "-", "PLAN"],
     "name,ipv4,ipv6,mac,role,note\nprinter,10.40.1.20,,00:11:22:33:44:55,printer,\nbad,10.99.0.1,,,,\n"
     "ap,10.40.2.9,2001:db8:40::9,,access-point,x\nvoip,10.40.1.21,,00-11-22-33-44-56,,1.5\nrole,10.40.1.22,,,boss,\n"),
    ("netbox-ip", ["plan", "hosts", "import", "--format", "netbox", "-o", "-", "PLAN"],
     "address,dns_name,status,description\n10.40.1.30/24,cam,active,door\n10.40.1.31/24,,active,\n"
     "10.40.9.1/24,far,active,\n"),
    ("phpipam-ip", ["plan", "hosts", "import", "--format", "phpipam", "-o", "-", "PLAN"],
     "ip_addr,hostname,mac,is_gateway,note\n10.40.2.40,desk,00:11:22:33:44:66,0,role=server\n10.40.2.41,x y,,,\n"),
]


def run(*args, stdin=None, preexec_fn=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, preexec_fn=preexec_fn)


def typed(cell):
    """A cell as a person types it into a spreadsheet: numbers as numbers."""
    return int(cell) if re.fullmatch(r"-?[0-9]{1,15}", cell) else float(cell) if re.fullmatch(r"[0-9]+\.[0-9]+", cell) else cell


def openpyxl_book(path, text, title="Table"):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = title
    for line in text.split("\n")[:-1]:
        row = next(csv.reader([line])) if line else []
        ws.append([typed(c) if c else None for c in row] or [None])
    wb.save(path)


def streamed_book(path, header, write):
    """openpyxl's workbook of the header row, its sheet's rows after it written by write(f)
    as they stream into the archive (too many for openpyxl to hold)."""
    openpyxl_book(path, header)
    with zipfile.ZipFile(path) as z:
        parts = {n: z.read(n) for n in z.namelist()}
    head, tail = parts.pop("xl/worksheets/sheet1.xml").split(b"</sheetData>")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for n, data in parts.items():
            z.writestr(n, data)
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as f:
            f.write(head)
            write(f)
            f.write(b"</sheetData>" + tail)


def libreoffice_book(csv_path):
    """The workbook LibreOffice makes of the CSV (its own profile for each run)."""
    folder = os.path.dirname(csv_path)
    made = subprocess.run([SOFFICE, "-env:UserInstallation=file://" + folder + "/profile", "--headless",
                           "--convert-to", "xlsx", "--outdir", folder, csv_path], capture_output=True, timeout=120)
    assert made.returncode == 0, made.stderr
    return csv_path[:-4] + ".xlsx"


def plan_file():
    path = os.path.join(WORK, "campus.mqplan")
    if not os.path.exists(path):
        r = run("plan", "import", "--format", "netbox", "-o", path, "10.40.0.0/16,2001:db8:40::/48", "-",
                stdin=PREFIXES.encode())
        assert r.returncode == 0, r.stderr
    return path


def mqnet_on(args, path):
    return run(*[a if a != "PLAN" else plan_file() for a in args], path)


class SameAsCsv(unittest.TestCase):
    def check(self, maker):
        for what, args, text in CASES:
            with self.subTest(what=what, maker=maker.__name__):
                folder = tempfile.mkdtemp(dir=WORK)
                csv_path = os.path.join(folder, what + ".csv")
                with open(csv_path, "w") as f:
                    f.write(text)
                book = maker(csv_path)
                sheet = openpyxl.load_workbook(book).sheetnames[0]
                want, got = mqnet_on(args, csv_path), mqnet_on(args, book)
                self.assertEqual(got.returncode, want.returncode, got.stderr)
                self.assertEqual(got.stdout, want.stdout)
                # A list's line is quoted in its message, a row is named by its place alone.
                expected = re.sub(rb"\.csv line ([0-9]+)(: [^:\n]*(?=: ))?" if what == "segments" else rb"\.csv line ([0-9]+)",
                                  b'.xlsx sheet "%s" row \\1' % sheet.encode(), want.stderr)
                self.assertEqual(got.stderr.decode(), expected.decode())

    def test_openpyxl_workbooks_read_as_the_csv(self):
        def made(csv_path):
            book = csv_path[:-4] + ".xlsx"
            with open(csv_path) as f:
                openpyxl_book(book, f.read())
            return book
        self.check(made)

    @unittest.skipIf(not SOFFICE, "soffice is not installed (Debian's libreoffice-calc-nogui)")
    def test_libreoffice_workbooks_read_as_the_csv(self):
        self.check(libreoffice_book)


class Workbooks(unittest.TestCase):
    def test_own_workbook_gives_the_same_hosts_back(self):
        hosts = "name,ipv4,ipv6,mac,role,note\nprinter,10.40.1.20,,00:11:22:33:44:55,printer,-rm\n" \
                "ap,10.40.2.9,2001:db8:40::9,,access-point,=1+2\nodd,10.40.2.10,,,,_x0041_ is no A\n"
        full = os.path.join(WORK, "full.mqplan")
        r = run("plan", "hosts", "import", "--format", "csv", "-o", full, plan_file(), "-", stdin=hosts.encode())
        self.assertEqual(r.returncode, 0, r.stderr)
        book = os.path.join(WORK, "full.xlsx")
        self.assertEqual(run("plan", "export", "--format", "xlsx", "-o", book, full).returncode, 0)
        back = os.path.join(WORK, "back.mqplan")
        r = run("plan", "hosts", "import", "--format", "csv", "--sheet", "HOSTS", "-o", back, plan_file(), book)
        self.assertEqual((r.returncode, r.stderr), (0, b""))
        self.assertEqual(run("plan", "hosts", "--csv", back).stdout, run("plan", "hosts", "--csv", full).stdout)
        r = run("plan", "hosts", "import", "--format", "csv", "--sheet", "nope", "-o", back, plan_file(), book)
        self.assertEqual((r.returncode, r.stderr.decode()), (2, "mqnet: plan hosts import: %s: the workbook has no sheet "
                         '"nope"; its sheets are "allocations", "leaves", "subnets", "hosts"\n' % book))

    def test_bad_workbooks_are_refused_with_the_reason(self):
        notzip = os.path.join(WORK, "notzip.xlsx")
        with open(notzip, "w") as f:
            f.write("name,hosts\nstaff,10\n")
        bomb = os.path.join(WORK, "bomb.xlsx")  # 300 MiB of blanks from some 300 KiB
        streamed_book(bomb, "name,hosts\n", lambda f: [f.write(b" " * 65530 + b"<x/>") for _ in range(300 * 16)])
        csv_path = os.path.join(WORK, "plain.csv")
        with open(csv_path, "w") as f:
            f.write("name,hosts\nstaff,10\n")
        renamed = os.path.join(WORK, "renamed.csv")
        openpyxl_book(renamed, "name,hosts\nstaff,10\n", "Seg")
        cases = [
            (["plan", "allocate", "10.0.0.0/16", notzip],
             "plan allocate: cannot read %s: not an XLSX workbook (not a zip archive)" % notzip),
            (["plan", "allocate", "10.0.0.0/16", bomb], "plan allocate: cannot read %s: xl/worksheets/sheet1.xml "
             "inflates beyond 256 MiB: refused, as a zip bomb would be" % bomb),
            (["plan", "import", "--format", "list", "--sheet", "Other", "10.0.0.0/16", bomb],
             'plan import: %s: the workbook has no sheet "Other"; its sheets are "Table"' % bomb),
            (["plan", "import", "--format", "vsc-json", "10.0.0.0/16", bomb], "plan import: %s: a workbook holds a "
             "list, NetBox or phpIPAM table; visualsubnetcalc is read from its JSON or link" % bomb),
            (["plan", "hosts", "import", "--format", "hosts", plan_file(), bomb],
             "plan hosts import: %s: an /etc/hosts file is lines of text, not a table" % bomb),
            (["plan", "allocate", "--sheet", "Seg", "10.0.0.0/16", csv_path],
             "plan allocate: --sheet is for a workbook (.xlsx): %s is none" % csv_path),
            (["plan", "allocate", "--sheet", "", "10.0.0.0/16", renamed], "plan allocate: --sheet needs the name of a sheet"),
        ]
        for args, said in cases:
            with self.subTest(args=args):
                r = run(*args)
                self.assertEqual((r.returncode, r.stderr.decode()), (2, "mqnet: " + said + "\n"))
        # A workbook is told by its signature, whatever its name.
        r = run("plan", "allocate", "--sheet", "seg", "10.0.0.0/16", renamed)
        self.assertEqual((r.returncode, r.stderr), (0, b""))
        self.assertIn(b"staff  10.0.0.0/28", r.stdout)

    def test_a_million_rows_within_the_memory_of_the_csv(self):
        # 10^6 hosts into a /12: the sheet streamed, so that reading it costs no more than the
        # CSV held whole; both place the same hosts.
        net = os.path.join(WORK, "net.mqplan")
        r = run("plan", "allocate", "-o", net, "10.0.0.0/8", "-", stdin=b"net, 1000000\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        rows = ["h%d,10.%d.%d.%d" % (i, i >> 16, (i >> 8) & 255, i & 255) for i in range(1, 1_000_001)]
        csv_path, book = os.path.join(WORK, "million.csv"), os.path.join(WORK, "million.xlsx")
        with open(csv_path, "w") as f:
            f.write("name,ipv4\n" + "\n".join(rows) + "\n")
        cell = '<c t="inlineStr"><is><t>%s</t></is></c>'
        streamed_book(book, "name,ipv4\n", lambda f: [f.write("".join(
            '<row r="%d">%s%s</row>' % (i + 2, cell % rows[i].split(",")[0], cell % rows[i].split(",")[1])
            for i in range(start, start + 10_000)).encode()) for start in range(0, len(rows), 10_000)])
        peaks = []
        for path in (csv_path, book):
            out = os.path.join(WORK, "placed-" + os.path.basename(path) + ".mqplan")
            proc = subprocess.Popen([MQNET, "plan", "hosts", "import", "--format", "csv", "-o", out, net, path],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            err = proc.stderr.read()
            _, status, usage = os.wait4(proc.pid, 0)
            proc.returncode = os.waitstatus_to_exitcode(status)
            proc.stdout.close()
            proc.stderr.close()
            self.assertEqual((proc.returncode, err), (0, b""))
            peaks.append(usage.ru_maxrss)
        if not SANITIZED:
            self.assertLess(peaks[1], peaks[0] + 64 * 1024, "KiB at the peak: CSV, workbook")
        sizes = [os.path.getsize(os.path.join(WORK, "placed-" + n + ".mqplan")) for n in ("million.csv", "million.xlsx")]
        self.assertEqual(sizes[0], sizes[1])


if __name__ == "__main__":
    try:
        unittest.main(verbosity=1)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
