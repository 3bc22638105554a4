#!/usr/bin/python3
"""mqnet plan hosts, plan hosts import and plan export's host formats on the campus plan and
the fixture files that tests/interchange reads: read back and written again byte for byte,
layouts against Python's ipaddress, refused rows by line, the plan's faults (exit status 4).
Usage: hosts_test.py PATH-TO-MQNET FIXTURES-FOLDER"""
import csv
import io
import ipaddress
import json
import os
import subprocess
import sys
import tempfile
import unittest

MQNET = sys.argv.pop(1)
FIXTURES = sys.argv.pop(1)
WORK = tempfile.mkdtemp()

# The campus of tests/interchange/hosts_io_test.cpp: gateways first usable and one more
# address kept, DHCP from offset 100 to 199 by rule; Voice and the IPv6 Staff block set
# their own ranges (none, until the ranges file gives them back).
CAMPUS = ("prefix,status,description,vlan\n10.40.1.0/24,active,Staff,110\n10.40.2.0/24,active,Voice,120\n"
          "10.40.3.0/24,reserved,Growth,\n2001:db8:40:1::/64,active,Staff,110\n")
LINKS = "10.40.4.0/31,active,link,\n10.40.5.0/30,active,p2p,\n10.40.6.0/32,active,loop,\n"
IPAM = {"tenant": "Campus IT", "role": "Access", "vrf": "campus", "tags": ["planned"], "section": "Campus"}


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def put(name, text):
    with open(os.path.join(WORK, name), "w", newline="") as f:
        f.write(text)
    return os.path.join(WORK, name)


def read(path):
    with open(path, newline="") as f:
        return f.read()


def campus(name, prefixes=CAMPUS, hosts=()):
    r = run("plan", "import", "--format", "netbox", "10.40.0.0/16,2001:db8:40::/48", "-", stdin=prefixes)
    assert r.returncode == 0, r.stderr
    doc = json.loads(r.stdout)
    doc["version"] = 3
    doc["settings"]["layout"] = {"gateway": "first_usable", "kept": 2, "range": "offsets",
                                 "range_from": "100", "range_to": "199"}
    doc["ipam"] = IPAM
    for b in doc["blocks"]:
        if b["prefix"] in ("10.40.2.0/24", "2001:db8:40:1::/64"):
            b["subnet"] = {"ranges": []}
    doc["hosts"] = list(hosts)
    return put(name, json.dumps(doc))


def hosts_import(fmt, plan, file, out=None):
    r = run("plan", "hosts", "import", "--format", fmt, *(["-o", out] if out else []), plan, file)
    assert (r.returncode, r.stdout, r.stderr) == (0, "", ""), (file, r.returncode, r.stderr)
    return out or plan


def hosts_of(plan):
    r = run("plan", "hosts", "--json", plan)
    assert r.returncode == 0, r.stderr
    return json.loads(r.stdout)


def fixture(name):
    return os.path.join(FIXTURES, name)


class Campus(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.ranged = hosts_import("netbox", campus("bare.mqplan"), fixture("netbox_ip_ranges.csv"),
                                  os.path.join(WORK, "ranged.mqplan"))
        cls.full = hosts_import("csv", cls.ranged, fixture("hosts.csv"), os.path.join(WORK, "full.mqplan"))

    def test_each_file_read_back_is_written_again_as_it_was(self):
        for export, file in (("hosts", "hosts.csv"), ("netbox-ip", "netbox_ip_addresses.csv"),
                             ("netbox-ranges", "netbox_ip_ranges.csv"), ("phpipam-ip", "phpipam_ip_addresses.csv"),
                             ("etc-hosts", "etc_hosts.txt")):
            out = subprocess.run([MQNET, "plan", "export", "--format", export, self.full], capture_output=True)
            self.assertEqual((out.returncode, out.stdout.decode()), (0, read(fixture(file))), export)

    def test_every_format_gives_the_same_hosts(self):
        want = hosts_of(self.full)
        for fmt, file, keys in (("netbox", "netbox_ip_addresses.csv", None), ("phpipam", "phpipam_ip_addresses.csv", None),
                                ("hosts", "etc_hosts.txt", ("name", "ipv4", "ipv6", "block", "segment"))):
            got = hosts_of(hosts_import(fmt, self.ranged, fixture(file), os.path.join(WORK, fmt + ".mqplan")))
            pick = (lambda h: h) if keys is None else (lambda h: {k: h[k] for k in keys})
            self.assertEqual(sorted(map(pick, got), key=lambda h: h["name"]),
                             sorted(map(pick, want), key=lambda h: h["name"]), file)
        # The IPAMs' own exports, as hosts_io_test.cpp reads them.
        for fmt, file, hosts in (("netbox", "netbox_ip_table_export.csv",
                                  [("db-1", "10.40.1.30", "2001:db8:40:1::30", None, "gateway", "primary"),
                                   ("kiosk", "10.40.2.40", None, None, "reserved", "lobby")]),
                                 ("phpipam", "phpipam_ip_own_export.csv",
                                  [("fw-1", "10.40.1.1", None, None, "gateway", ""),
                                   ("lab-pc", "10.40.3.20", None, "00:aa:bb:cc:dd:ee", "other", "bench 3")])):
            got = hosts_of(hosts_import(fmt, self.ranged, fixture(file), os.path.join(WORK, "own.mqplan")))
            self.assertEqual(sorted((h["name"], h["ipv4"], h["ipv6"], h["mac"], h["role"], h["note"]) for h in got),
                             hosts, file)
        # Back into the file itself, and to standard output.
        again = put("again.mqplan", read(self.ranged))
        self.assertEqual(read(hosts_import("csv", again, fixture("hosts.csv"))), read(self.full))
        r = run("plan", "hosts", "import", "--format", "csv", "-o", "-", self.ranged, "-", stdin=read(fixture("hosts.csv")))
        self.assertEqual((r.returncode, r.stdout), (0, read(self.full)))

    def test_hosts_and_layouts_agree_with_ipaddress(self):
        plan = campus("links.mqplan", CAMPUS + LINKS, json.loads(read(self.full))["hosts"])
        plan = hosts_import("netbox", plan, fixture("netbox_ip_ranges.csv"))
        blocks = {ipaddress.ip_network(r["prefix"]): r for r in csv.DictReader(io.StringIO(
            run("plan", "export", "--format", "subnets", plan).stdout, newline=""))}
        hosts = [ipaddress.ip_address(h[k]) for h in hosts_of(plan) for k in ("ipv4", "ipv6") if h[k]]
        for h in hosts_of(plan):
            held = [n for k in ("ipv4", "ipv6") if h[k] for n in blocks if ipaddress.ip_address(h[k]) in n]
            self.assertEqual((h["block"], h["segment"]), (" ".join(map(str, held)), blocks[held[0]]["name"]), h)
        self.assertEqual(len(blocks), 7)
        for net, r in blocks.items():
            v4, edge = net.version == 4, net.prefixlen >= net.max_prefixlen - 1
            first = net.network_address + (0 if edge else 1)
            last = net.broadcast_address - (1 if v4 and not edge else 0)
            usable = int(last) - int(first) + 1
            kept = [first + i for i in range(1, min(2, usable))]
            ranges = [tuple(map(ipaddress.ip_address, x.split("-"))) for x in r["ranges"].split()]
            if net.version == 4 and net.num_addresses > 100 and str(net) != "10.40.2.0/24":
                self.assertEqual(ranges, [(net[100], net[199])], r)
            in_ranges = sum(int(b) - int(a) + 1 for a, b in ranges)
            statics = 1 + len(kept) + sum(a in net for a in hosts)
            self.assertEqual((r["network"], r["first"], r["last"], r["gateway"]),
                             (str(net.network_address), str(first), str(last), str(first)), r)
            self.assertEqual((r["broadcast"], r["kept"]),
                             (str(net.broadcast_address) if v4 and not edge else "", " ".join(f"{a}-{a}" for a in kept)), r)
            self.assertEqual((r["mask"], r["wildcard"]), (str(net.netmask), str(net.hostmask)), r)
            self.assertEqual((int(r["usable"]), int(r["static"]), int(r["free"])),
                             (usable, statics, usable - statics - in_ranges), r)

    def test_the_table_is_the_csv_aligned(self):
        lines = run("plan", "hosts", self.full).stdout.splitlines()
        rows = list(csv.reader(io.StringIO(read(fixture("hosts.csv")), newline="")))
        self.assertEqual([lines[0].split(), lines[5].split()], [rows[0], [c or "-" for c in rows[5]]])  # cam: '-'
        starts = [i for i in range(1, len(lines[0])) if lines[0][i - 1] == " " != lines[0][i]]
        for line in lines:  # every column starts where its header does
            self.assertTrue(all(line[i - 2:i] == "  " and line[i] != " " for i in starts), line)


class Refusals(unittest.TestCase):
    def test_each_refused_row_is_named_and_the_rest_placed(self):
        bare = campus("refuse.mqplan")
        rows = [  # (row, what its message says; None: placed)
            ("ok-1,10.40.1.50,,,", None),
            ("far,10.99.0.1,,,", "10.99.0.1 lies in no assigned block"),
            ("net,10.40.1.0,,,", "10.40.1.0 is not a usable address in 10.40.1.0/24 (Staff)"),
            ("bcast,10.40.1.255,,,", "10.40.1.255 is not a usable address"),
            ("gw,10.40.1.1,,,", "10.40.1.1 is the gateway"),
            ("kept,10.40.1.2,,,", "10.40.1.2 is kept for network devices"),
            ("pool,10.40.1.150,,,", "lies in the DHCP range 10.40.1.100-10.40.1.199"),
            ("again,10.40.1.50,,,", "10.40.1.50 is already the address of ok-1"),
            ("ok-1,10.40.2.9,,,", "the name is taken: ok-1 has the address 10.40.1.50 already"),
            ("bad_name!,10.40.1.51,,,", "bad_name!"),
            ("macbad,10.40.1.52,,00:11,", "00:11"),
            ("addr,10.40.1.300,,,", "10.40.1.300"),
            ("ok-2,10.40.1.53,,00:11:22:33:44:55,", None),
            ("macdup,10.40.1.54,,00-11-22-33-44-55,", "MAC 00:11:22:33:44:55 is already ok-2's"),
            ("ok-1,,2001:db8:40:1::50,,", None),  # the other family: one dual-stack host
        ]
        text = "name,ipv4,ipv6,mac,role\n" + "".join(row + "\n" for row, _ in rows)
        r = run("plan", "hosts", "import", "--format", "csv", bare, put("refuse.csv", text))
        self.assertEqual(r.returncode, 2, r.stderr)
        refused = [(line, said) for line, (_, said) in enumerate(rows, 2) if said]
        self.assertEqual(len(r.stderr.splitlines()), len(refused), r.stderr)
        for message, (line, said) in zip(r.stderr.splitlines(), refused):
            self.assertIn(f"refuse.csv line {line}: ", message)
            self.assertIn(said, message)
        self.assertEqual([(h["name"], h["ipv4"], h["ipv6"]) for h in hosts_of(bare)],
                         [("ok-1", "10.40.1.50", "2001:db8:40:1::50"), ("ok-2", "10.40.1.53", None)])
        # Nothing placed: the plan is left as it was.
        before = read(bare)
        r = run("plan", "hosts", "import", "--format", "hosts", bare, put("none.hosts", "10.99.0.1 far\n"))
        self.assertEqual(r.returncode, 2)
        self.assertIn("nothing was placed, so " + bare + " was left as it was", r.stderr)
        self.assertEqual(read(bare), before)

    def test_arguments_and_files_are_refused_with_their_cause(self):
        bare = campus("args.mqplan")
        f = put("one.csv", "name,ipv4\na,10.40.1.9\n")
        cases = [
            (["plan", "hosts", "import", bare, f], 2, "--format is required"),
            (["plan", "hosts", "import", "--format", "dhcpd", bare, f], 2, "--format dhcpd is not one of csv"),
            (["plan", "hosts", "import", "--format", "csv", "-", "-"], 2, "both be standard input"),
            (["plan", "hosts", "import", "--format", "csv", "-", f], 2, "needs -o"),
            (["plan", "hosts", "import", "--format", "csv", "-o", os.path.join(WORK, "no", "x"), bare, f],
             1, "No such file or directory"),
            (["plan", "hosts", "import", "--format", "csv", bare, os.path.join(WORK, "missing")], 2, "missing"),
            (["plan", "hosts", "import", "--format", "csv", f, f], 2, "one.csv: $: line 1"),  # no plan
            (["plan", "hosts", "import", "--format", "csv", bare, put("e.csv", "name,ipv4\n")], 0, "e.csv holds no hosts"),
            (["plan", "hosts", "--csv", "--json", bare], 2, "exclude each other"),
            (["plan", "export", "--format", "hosts", "--include-free", bare], 2, "--include-free"),
            (["plan", "export", "--format", "phpipam-ip", "--section", "", bare], 2, "section"),
            (["plan", "export", bare], 2, "subnets, hosts, netbox-ip"),
        ]
        for args, status, text in cases:
            r = run(*args)
            self.assertEqual(r.returncode, status, (args, r.stderr))
            self.assertIn(text, r.stderr, args)

    def test_the_plans_faults_are_named_with_exit_status_4(self):
        plan = campus("faults.mqplan", hosts=[
            {"name": "inrange", "ipv4": "10.40.1.150"},
            {"name": "twin", "ipv4": "10.40.1.7", "mac": "00:11:22:33:44:55"},
            {"name": "twin2", "ipv4": "10.40.1.7", "mac": "00:11:22:33:44:55"},
            {"name": "lost", "ipv4": "10.40.9.9"},
            {"name": "fine", "ipv4": "10.40.2.3"}])
        r = run("plan", "hosts", plan)
        self.assertEqual((r.returncode, len(r.stdout.splitlines())), (4, 6), r.stderr)
        for name in ("inrange", "twin", "lost"):
            self.assertIn(f"host {name}", r.stderr)
        self.assertTrue(all(l.startswith("mqnet: " + plan + ": ") for l in r.stderr.splitlines()), r.stderr)
        self.assertIn("10.40.1.0/24 (Staff)", r.stderr)
        self.assertNotIn("fine", r.stderr)


if __name__ == "__main__":
    unittest.main()
