#!/usr/bin/python3
"""mqnet plan hosts, plan hosts import and the host formats of plan export from outside: the
hosts and the subnets' layouts checked against Python's ipaddress, round trips through each
format, refused rows named by line, the plan's faults with exit status 4.
Usage: hosts_test.py PATH-TO-MQNET [FIXTURES-FOLDER]"""
import csv
import io
import ipaddress
import json
import os
import subprocess
import sys
import tempfile
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
FIXTURES = sys.argv.pop(1) if len(sys.argv) > 1 else None
WORK = tempfile.mkdtemp()

ROOTS = "10.40.0.0/16,2001:db8:40::/48"
BLOCKS = ("10.40.1.0/24, office\n10.40.2.0/25, lab\n10.40.3.0/31, link\n10.40.4.0/30, spare\n"
          "2001:db8:40:1::/64, office\n2001:db8:40:2::/64, lab\n")

# name, ipv4, ipv6, mac (as typed), role, note: the plan's hosts, every column used once
HOSTS_CSV = ("Role,NAME,ipv4,IPv6,mac,Note\r\n"
             "printer,printer-1,10.40.1.10,,00-11-22-33-44-55,\"2nd floor, east\"\r\n"
             "server,files,10.40.1.20,2001:db8:40:1::20,0011.2233.4466,\r\n"
             "access-point,ap-lab,10.40.2.5,,001122334477,\r\n"
             "router,r1,10.40.3.0,,,\r\n"
             "router,r2,10.40.3.1,,,\r\n"
             "other,v6only,,2001:db8:40:2::99,,\r\n")


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def put(name, text):
    path = os.path.join(WORK, name)
    with open(path, "w", newline="") as f:
        f.write(text)
    return path


def read(path):
    with open(path, newline="") as f:
        return f.read()


def bare_plan(name):
    """A plan of the blocks above and no hosts, as plan import writes it."""
    r = run("plan", "import", "--format", "list", "-o", os.path.join(WORK, name), ROOTS, put(name + ".txt", BLOCKS))
    assert r.returncode == 0, r.stderr
    return os.path.join(WORK, name)


def hosts_of(plan):
    r = run("plan", "hosts", "--json", plan)
    assert r.returncode in (0, 4), r.stderr
    return json.loads(r.stdout)


def assigned(plan):
    """{network: name} of the plan's assigned blocks, read from the document."""
    doc = json.loads(read(plan))
    return {ipaddress.ip_network(b["prefix"]): b.get("name", "") for b in doc["blocks"] if b.get("assigned")}


def with_document(plan, name, change):
    """A copy of the plan's document as version 3, changed by change(doc) (a dict)."""
    doc = json.loads(read(plan))
    doc["version"] = 3
    change(doc)
    return put(name, json.dumps(doc))


class Hosts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.bare = bare_plan("bare.mqplan")
        cls.plan = os.path.join(WORK, "hosts.mqplan")
        r = run("plan", "hosts", "import", "--format", "csv", "-o", cls.plan, cls.bare, put("hosts.csv", HOSTS_CSV))
        assert (r.returncode, r.stdout, r.stderr) == (0, "", ""), r.stderr

    def test_hosts_lie_in_the_blocks_that_hold_their_addresses(self):
        blocks = assigned(self.plan)
        rows = list(csv.DictReader(io.StringIO(HOSTS_CSV)))
        got = hosts_of(self.plan)
        self.assertEqual([h["name"] for h in got], [r["NAME"] for r in rows])
        for h, r in zip(got, rows):
            want_blocks = [n for a in (r["ipv4"], r["IPv6"]) if a
                           for n in blocks if ipaddress.ip_address(a) in n]
            self.assertEqual(h["block"], " ".join(map(str, want_blocks)), h)
            self.assertEqual(h["segment"], blocks[want_blocks[0]], h)
            for key, typed in (("ipv4", r["ipv4"]), ("ipv6", r["IPv6"])):
                self.assertEqual(h[key], str(ipaddress.ip_address(typed)) if typed else None, h)
            mac = r["mac"].replace("-", "").replace(".", "").replace(":", "").lower()
            self.assertEqual(h["mac"], ":".join(mac[i:i + 2] for i in range(0, 12, 2)) if mac else None, h)
            self.assertEqual((h["role"], h["note"], h["duid"]), (r["Role"], r["Note"], None), h)
        # The table: the same cells, '-' where empty, aligned.
        table = run("plan", "hosts", self.plan)
        self.assertEqual((table.returncode, table.stderr), (0, ""))
        lines = table.stdout.splitlines()
        self.assertEqual(lines[0].split(), ["name", "ipv4", "ipv6", "mac", "duid", "role", "note", "block", "segment"])
        self.assertEqual(lines[4].split(), ["r1", "10.40.3.0", "-", "-", "-", "router", "-", "10.40.3.0/31", "link"])
        starts = [i for i in range(1, len(lines[0])) if lines[0][i - 1] == " " and lines[0][i] != " "]
        for line in lines:  # every column starts where its header does
            self.assertTrue(all(line[i - 2:i] == "  " and line[i] != " " for i in starts), line)

    def test_subnets_csv_agrees_with_ipaddress(self):
        out = run("plan", "export", "--format", "subnets", self.plan)
        self.assertEqual(out.returncode, 0, out.stderr)
        rows = list(csv.DictReader(io.StringIO(out.stdout, newline="")))
        hosts = hosts_of(self.plan)
        self.assertEqual({ipaddress.ip_network(r["prefix"]) for r in rows}, set(assigned(self.plan)))
        for r in rows:
            net = ipaddress.ip_network(r["prefix"])
            v4 = net.version == 4
            edge = v4 and net.prefixlen >= 31
            usable = net.num_addresses - (0 if edge else 2 if v4 else 1)
            first = net.network_address + (0 if edge else 1)
            last = net.broadcast_address - (0 if edge or not v4 else 1)
            statics = sum(1 for h in hosts for a in (h["ipv4"], h["ipv6"])
                          if a and ipaddress.ip_address(a) in net)
            self.assertEqual((r["network"], r["first"], r["last"]),
                             (str(net.network_address), str(first), str(last)), r)
            self.assertEqual(r["broadcast"], str(net.broadcast_address) if v4 and not edge else "", r)
            if v4:
                self.assertEqual((r["mask"], r["wildcard"]), (str(net.netmask), str(net.hostmask)), r)
            self.assertEqual((int(r["usable"]), int(r["static"]), int(r["free"]), r["ranges"], r["gateway"]),
                             (usable, statics, usable - statics, "", ""), r)

    def test_every_format_gives_the_hosts_back(self):
        want = hosts_of(self.plan)
        for export, imp, same in (("hosts", "csv", lambda h: h),
                                  ("netbox-ip", "netbox", lambda h: h),
                                  ("phpipam-ip", "phpipam", lambda h: h),
                                  ("etc-hosts", "hosts",
                                   lambda h: {k: h[k] for k in ("name", "ipv4", "ipv6", "block", "segment")})):
            out = run("plan", "export", "--format", export, "--section", "Campus", self.plan)
            self.assertEqual(out.returncode, 0, (export, out.stderr))
            back = os.path.join(WORK, export + ".mqplan")
            r = run("plan", "hosts", "import", "--format", imp, "-o", back, self.bare, put(export, out.stdout))
            self.assertEqual((r.returncode, r.stderr), (0, ""), export)
            self.assertEqual([same(h) for h in hosts_of(back)], [same(h) for h in want], export)
        # And back into the file itself (no -o), and to standard output (-o -).
        again = put("again.mqplan", read(self.bare))
        r = run("plan", "hosts", "import", "--format", "csv", again, "-", stdin=HOSTS_CSV)
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, "", ""))
        self.assertEqual(read(again), read(self.plan))
        r = run("plan", "hosts", "import", "--format", "csv", "-o", "-", self.bare, put("h2.csv", HOSTS_CSV))
        self.assertEqual((r.returncode, r.stdout), (0, read(self.plan)))

    def test_dhcp_ranges_and_the_gateway_go_out_and_come_back(self):
        # The plan's rules: the first usable address is the gateway, the upper half a range.
        def rules(doc):
            doc["settings"]["layout"] = {"gateway": "first_usable", "range": "upper_half"}
        ruled = with_document(self.plan, "ruled.mqplan", rules)
        sub = {r["prefix"]: r for r in csv.DictReader(io.StringIO(run("plan", "export", "--format", "subnets",
                                                                       ruled).stdout, newline=""))}
        office = sub["10.40.1.0/24"]
        self.assertEqual((office["gateway"], office["ranges"]), ("10.40.1.1", "10.40.1.128-10.40.1.254"))
        self.assertEqual((int(office["static"]), int(office["free"])), (3, 254 - 3 - 127))
        ranges = list(csv.DictReader(io.StringIO(run("plan", "export", "--format", "netbox-ranges", ruled).stdout)))
        self.assertIn(("10.40.1.128/24", "10.40.1.254/24"), [(r["start_address"], r["end_address"]) for r in ranges])
        # The ranges read from NetBox's file become the blocks' own.
        back = os.path.join(WORK, "ranges.mqplan")
        text = run("plan", "export", "--format", "netbox-ranges", ruled).stdout
        r = run("plan", "hosts", "import", "--format", "netbox", "-o", back, self.plan, put("ranges.csv", text))
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        got = {r["prefix"]: r["ranges"] for r in csv.DictReader(io.StringIO(run(
            "plan", "export", "--format", "subnets", back).stdout, newline=""))}
        self.assertEqual(got, {p: s["ranges"] for p, s in sub.items()})


class Refusals(unittest.TestCase):
    def test_each_refused_row_is_named_and_the_rest_placed(self):
        bare = bare_plan("refuse.mqplan")
        before = read(bare)
        rows = [  # (row, what the message says, or None when the row is placed)
            ("ok-1,10.40.1.50,,,", None),
            ("far,10.99.0.1,,,", "10.99.0.1"),
            ("net,10.40.1.0,,,", "10.40.1.0 is not a usable address in 10.40.1.0/24 (office)"),
            ("bcast,10.40.1.255,,,", "10.40.1.255 is not a usable address"),
            ("again,10.40.1.50,,,", "ok-1"),
            ("ok-1,10.40.2.9,,,", "ok-1"),
            ("bad_name!,10.40.1.51,,,", "bad_name!"),
            ("macbad,10.40.1.52,,00:11,", "00:11"),
            ("addr,10.40.1.300,,,", "10.40.1.300"),
            ("ok-2,10.40.1.53,,00:11:22:33:44:55,", None),
            ("macdup,10.40.1.54,,00-11-22-33-44-55,", "00:11:22:33:44:55"),
            ("ok-1,,2001:db8:40:1::50,,", None),  # the other family: one dual-stack host
        ]
        text = "name,ipv4,ipv6,mac,role\n" + "".join(row + "\n" for row, _ in rows)
        r = run("plan", "hosts", "import", "--format", "csv", bare, put("refuse.csv", text))
        self.assertEqual(r.returncode, 2, r.stderr)
        told = r.stderr.splitlines()
        refused = [(line, said) for line, (_, said) in enumerate(rows, 2) if said]
        self.assertEqual(len(told), len(refused), r.stderr)
        for message, (line, said) in zip(told, refused):
            self.assertIn(f"refuse.csv line {line}: ", message)
            self.assertIn(said, message)
        self.assertEqual([(h["name"], h["ipv4"], h["ipv6"]) for h in hosts_of(bare)],
                         [("ok-1", "10.40.1.50", "2001:db8:40:1::50"), ("ok-2", "10.40.1.53", None)])
        # Nothing placed: the plan is left as it was.
        again = read(bare)
        r = run("plan", "hosts", "import", "--format", "hosts", bare, put("none.hosts", "10.99.0.1 far\n"))
        self.assertEqual(r.returncode, 2)
        self.assertIn("nothing was placed, so", r.stderr)
        self.assertIn("was left as it was", r.stderr)
        self.assertEqual(read(bare), again)
        self.assertNotEqual(before, again)

    def test_arguments_and_files_are_refused_with_their_cause(self):
        bare = bare_plan("args.mqplan")
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
            (["plan", "hosts", "--csv", "--json", bare], 2, "exclude each other"),
            (["plan", "export", "--format", "hosts", "--include-free", bare], 2, "--include-free"),
            (["plan", "export", "--format", "phpipam-ip", bare], 2, "section"),
            (["plan", "export", bare], 2, "subnets, hosts, netbox-ip"),
        ]
        for args, status, text in cases:
            r = run(*args)
            self.assertEqual(r.returncode, status, (args, r.stderr))
            self.assertIn(text, r.stderr, args)

    def test_the_plans_faults_are_named_with_exit_status_4(self):
        bare = bare_plan("faults.mqplan")
        host = lambda name, **kw: dict(name=name, **kw)

        def faults(doc):
            doc["settings"]["layout"] = {"range": "upper_half"}
            doc["hosts"] = [host("inrange", ipv4="10.40.1.200"),
                            host("twin", ipv4="10.40.1.7", mac="00:11:22:33:44:55"),
                            host("twin2", ipv4="10.40.1.7", mac="00:11:22:33:44:55"),
                            host("lost", ipv4="10.40.9.9"),
                            host("fine", ipv4="10.40.2.3")]
        plan = with_document(bare, "faults3.mqplan", faults)
        r = run("plan", "hosts", plan)
        self.assertEqual(r.returncode, 4, r.stderr)
        self.assertEqual(len(r.stdout.splitlines()), 6)
        for name in ("inrange", "twin", "lost"):
            self.assertIn(f"host {name}", r.stderr)
        self.assertTrue(all(l.startswith("mqnet: " + plan + ": ") for l in r.stderr.splitlines()), r.stderr)
        self.assertIn("10.40.1.0/24 (office)", r.stderr)
        self.assertNotIn("fine", r.stderr)
        self.assertEqual(run("plan", "hosts", "--json", bare).returncode, 0)


if __name__ == "__main__":
    unittest.main()
