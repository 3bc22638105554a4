#!/usr/bin/python3
"""mqnet plan import, plan export and plan allocate --cloud from outside: round trips
through each format, refused items named by line, cloud sizes against an oracle.
Usage: interchange_test.py PATH-TO-MQNET"""
import csv
import io
import ipaddress
import json
import os
import sys
import tempfile
import subprocess
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
WORK = tempfile.mkdtemp()


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


def assigned(plan):
    """(prefix, name, vlan, reserved) of every assigned block, from a document or its path."""
    doc = json.loads(read(plan) if os.path.exists(plan) else plan)
    return sorted((b["prefix"], b["name"], b.get("vlan", 0), b.get("reserved", False))
                  for b in doc["blocks"] if b.get("assigned"))


NETBOX = (
    "prefix,status,description,vlan,tenant,vrf,comments,tags\r\n"
    "10.20.0.0/16,container,campus,,ACME,blue,,\r\n"
    "10.20.1.0/24,active,\"staff, floor 1\",110,ACME,blue,\"two\nlines\",\"a,b\"\r\n"
    "10.20.2.0/25,reserved,spare,,ACME,blue,,\r\n"
    "10.20.4.0/22,active,voice,120,ACME,blue,,\r\n"
    "10.20.5.0/24,active,phones,130,ACME,blue,,\r\n"
    "10.20.8.0/24,active,a,,ACME,blue,,\r\n"
    "10.20.8.0/24,active,b,,ACME,blue,,\r\n"
    "10.99.0.0/24,active,elsewhere,,ACME,blue,,\r\n"
    "2001:db8:20:1::/64,active,v6 staff,110,ACME,blue,,\r\n")


class Import(unittest.TestCase):
    def test_refused_items_are_named_by_line_and_the_rest_placed(self):
        text = ("prefix, name, note\n10.0.0.0/24, web, front, rack 2\n10.0.1.0/24, db\n"
                "10.0.1.128/25, dup\n192.168.0.0/24, out\n10.0.3.9\n10.0.2.1/24\n")
        r = run("plan", "import", "--format", "list", "10.0.0.0/16", "-", stdin=text)
        self.assertEqual(r.returncode, 2, r.stderr)
        lines = r.stderr.splitlines()
        self.assertEqual(len(lines), 4, r.stderr)
        self.assertIn("line 3: 10.0.1.0/24: overlaps line 4 (10.0.1.128/25, contains); not placed", lines[0])
        self.assertIn("line 4: 10.0.1.128/25: overlaps line 3", lines[1])
        self.assertIn("line 5: 192.168.0.0/24: lies outside every root", lines[2])
        self.assertIn("standard input line 7: \"10.0.2.1/24\" has host bits set", lines[3])  # in line order
        self.assertEqual(assigned(r.stdout), [("10.0.0.0/24", "web", 0, False), ("10.0.3.9/32", "", 0, False)])
        doc = json.loads(r.stdout)
        self.assertEqual([b["note"] for b in doc["blocks"] if b["name"] == "web"], ["front, rack 2"])
        # Nothing to refuse: exit 0, and the plan reads back as this program writes it.
        out = os.path.join(WORK, "ok.mqplan")
        r = run("plan", "import", "--format", "list", "-o", out, "10.0.0.0/16,2001:db8::/48",
                put("ok.txt", "10.0.0.0/24,web\n2001:db8::/64,v6\n"))
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, "", ""))
        self.assertEqual(run("plan", "show", "--json", out).stdout, read(out))

    def test_netbox_round_trip_keeps_prefixes_names_vlans_and_values(self):
        first = run("plan", "import", "--format", "netbox", "10.20.0.0/16,2001:db8:20::/48", put("nb.csv", NETBOX))
        self.assertEqual(first.returncode, 2)
        self.assertEqual(len(first.stderr.splitlines()), 3, first.stderr)  # the equal pair, the outsider
        self.assertIn("nb.csv line 8: 10.20.8.0/24: overlaps line 9 (10.20.8.0/24, equal)", first.stderr)
        self.assertIn("nb.csv line 10: 10.99.0.0/24: lies outside every root", first.stderr)
        plan = put("nb.mqplan", first.stdout)
        blocks = assigned(plan)
        self.assertEqual(blocks, [("10.20.1.0/24", "staff, floor 1", 110, False),
                                  ("10.20.2.0/25", "spare", 0, True),
                                  ("10.20.5.0/24", "phones", 130, False),
                                  ("2001:db8:20:1::/64", "v6 staff", 110, False)])
        # An active prefix holding others is their parent: split, its name kept.
        self.assertIn(("10.20.4.0/22", "voice", 2),
                      [(b["prefix"], b["name"], b.get("parts")) for b in json.loads(first.stdout)["blocks"]])
        self.assertEqual(json.loads(first.stdout)["ipam"], {"tenant": "ACME", "vrf": "blue", "tags": ["a", "b"]})
        out = run("plan", "export", "--format", "netbox", plan)
        self.assertEqual(out.returncode, 0, out.stderr)
        raw = subprocess.run([MQNET, "plan", "export", "--format", "netbox", plan], capture_output=True).stdout
        self.assertEqual(raw.count(b"\r\n"), raw.count(b"\n") - 1)  # CR LF ends; the note's LF stays
        rows = list(csv.DictReader(io.StringIO(raw.decode(), newline="")))
        # The file's prefixes and the IPv6 root the file lacked; none of the halves made on the way down.
        self.assertEqual([r["prefix"] for r in rows],
                         ["10.20.0.0/16", "10.20.1.0/24", "10.20.2.0/25", "10.20.4.0/22", "10.20.5.0/24",
                          "2001:db8:20::/48", "2001:db8:20:1::/64"])
        self.assertIn("give the VLAN group or site", out.stderr)
        self.assertTrue(all(r["tenant"] == "ACME" and r["vrf"] == "blue" and r["tags"] == "a,b" for r in rows))
        self.assertIn({"prefix": "10.20.1.0/24", "status": "active", "vlan": "110", "comments": "two\nlines"},
                      [{k: r[k] for k in ("prefix", "status", "vlan", "comments")} for r in rows])
        again = run("plan", "import", "--format", "netbox", "10.20.0.0/16,2001:db8:20::/48", "-", stdin=out.stdout)
        self.assertEqual(again.returncode, 0, again.stderr)
        self.assertEqual(assigned(again.stdout), blocks)
        # phpIPAM has no status (reserved blocks come back active) and nests its subnets.
        php = run("plan", "export", "--format", "phpipam", "--section", "Campus", plan)
        self.assertEqual(php.returncode, 0, php.stderr)
        back = run("plan", "import", "--format", "phpipam", "10.20.0.0/16,2001:db8:20::/48", "-", stdin=php.stdout)
        self.assertEqual(back.returncode, 0, back.stderr)
        self.assertEqual(assigned(back.stdout), [b[:3] + (False,) for b in blocks])
        self.assertEqual(json.loads(back.stdout)["ipam"]["section"], "Campus")
        # Values given on the command line replace the plan's own.
        over = run("plan", "export", "--format", "netbox", "--tenant", "Other", "--tags", "x", plan)
        self.assertTrue(all(r["tenant"] == "Other" and r["tags"] == "x"
                            for r in csv.DictReader(io.StringIO(over.stdout, newline=""))))

    def test_values_for_the_ipam_are_given_as_it_looks_them_up(self):
        plan = put("nb2.mqplan", run("plan", "import", "--format", "netbox", "10.20.0.0/16", put("nb2.csv", NETBOX)).stdout)
        nb = run("plan", "export", "--format", "netbox", "--vlan-group", "Campus VLANs", "--site", "HQ", plan)
        self.assertEqual(nb.returncode, 0, nb.stderr)
        rows = list(csv.DictReader(io.StringIO(nb.stdout, newline="")))
        self.assertTrue(all(r["vlan_group"] == "Campus VLANs" and r["vlan_site"] == "HQ" for r in rows))
        self.assertNotIn("VLAN group", nb.stderr)
        php = run("plan", "export", "--format", "phpipam", "--section", "Campus", "--domain", "campus-l2", plan)
        self.assertEqual(php.returncode, 0, php.stderr)
        self.assertTrue(all(r["Domain"] == "campus-l2" for r in csv.DictReader(io.StringIO(php.stdout, newline=""))))
        bad = run("plan", "export", "--format", "netbox", "--tags", "core-net,Core Network", plan)
        self.assertEqual((bad.returncode, bad.stdout), (2, ""))
        self.assertIn('"Core Network" is not a slug: NetBox looks tags up by slug; "core-network" would be one', bad.stderr)

    def test_visualsubnetcalc_link_and_json_give_back_the_tree(self):
        config = {"config_version": "2", "operating_mode": "AWS", "base_network": "10.0.0.0/22",
                  "subnets": {"10.0.0.0/22": {
                      "10.0.0.0/23": {"10.0.0.0/24": {"_note": "web", "_color": "#9cc3e6"},
                                      "10.0.1.0/24": {}},
                      "10.0.2.0/23": {"_note": "db", "_color": "#f4b183"}}}}
        r = run("plan", "import", "--format", "vsc-json", "10.0.0.0/22", put("v.json", json.dumps(config)))
        self.assertEqual(r.returncode, 0, r.stderr)
        plan = put("v.mqplan", r.stdout)
        self.assertEqual(json.loads(r.stdout)["settings"]["cloud"], "aws")
        shown = {r["name"]: r for r in csv.DictReader(io.StringIO(run("plan", "show", "--csv", plan).stdout))}
        self.assertEqual((shown["web"]["first"], shown["web"]["last"], shown["web"]["usable"]),
                         ("10.0.0.4", "10.0.0.254", "251"))  # AWS keeps five addresses
        back = run("plan", "export", "--format", "vsc-json", plan)
        self.assertEqual(json.loads(back.stdout), config)
        link = run("plan", "export", "--format", "vsc-link", plan)
        self.assertTrue(link.stdout.startswith("https://visualsubnetcalc.com/index.html?c=1"), link.stdout)
        again = run("plan", "import", "--format", "vsc-link", "10.0.0.0/22", "-", stdin=link.stdout)
        self.assertEqual((again.returncode, again.stdout), (0, r.stdout))
        # A tree inside a larger root is placed where it lies.
        inner = run("plan", "import", "--format", "vsc-json", "10.0.0.0/16", put("v2.json", json.dumps(config)))
        self.assertEqual(assigned(inner.stdout), [("10.0.0.0/24", "web", 0, False), ("10.0.2.0/23", "db", 0, False)])

    def test_refusals_and_failures_name_their_cause(self):
        plan = put("six.mqplan", run("plan", "import", "--format", "list", "2001:db8::/48", put("e", "")).stdout)
        cases = [
            (["plan", "export", "--format", "vsc-json", plan], 2, "no IPv4 root"),
            (["plan", "export", "--format", "phpipam", plan], 2, "section"),
            (["plan", "export", "--format", "list", plan], 2, "is not one of"),
            (["plan", "export", "--format", "netbox", "--tenant", "a\x01b", plan], 2, "\\x01"),
            (["plan", "import", "--format", "list", "10.0.0.0/8,10.1.0.0/16", plan], 2, "overlaps"),
            (["plan", "import", "--format", "netbox", "10.0.0.0/8", put("bad.csv", "prefix\n\"10.0.0.0/8\n")], 2, "bad.csv"),
            (["plan", "import", "--format", "list", "-o", os.path.join(WORK, "no", "x.mqplan"), "10.0.0.0/8", plan],
             1, "No such file or directory"),
        ]
        for args, status, text in cases:
            r = run(*args)
            self.assertEqual(r.returncode, status, (args, r.stderr))
            self.assertIn(text, r.stderr, args)


# reserved low, reserved high, shortest, longest
CLOUDS = {"aws": (4, 1, 16, 28), "azure": (4, 1, 0, 29), "gcp": (2, 2, 0, 29), "oci": (2, 1, 0, 30)}


class CloudAllocate(unittest.TestCase):
    def test_lengths_and_first_usable_follow_each_cloud(self):
        hosts = [1, 2, 3, 5, 6, 11, 12, 13, 27, 28, 29, 59, 60, 61, 250, 251, 252, 253, 4000, 65531, 65532]
        segs = "".join(f"s{h}, {h}\n" for h in hosts)
        for mode, (low, high, shortest, longest) in CLOUDS.items():
            r = run("plan", "allocate", "--csv", "--cloud", mode, "10.0.0.0/8", "-", stdin=segs)
            rows = {row[0]: row for row in csv.reader(io.StringIO(r.stdout))}
            for h in hosts:
                want = next((l for l in range(longest, shortest - 1, -1) if 2 ** (32 - l) - low - high >= h), None)
                row = rows[f"s{h}"]
                if want is None:
                    self.assertEqual(row[1], "", (mode, h))
                    continue
                net = ipaddress.ip_network(row[1])
                self.assertEqual(net.prefixlen, want, (mode, h))
                self.assertEqual(ipaddress.ip_address(row[2]), net.network_address + low, (mode, h))
                self.assertEqual(ipaddress.ip_address(row[3]), net.broadcast_address - high, (mode, h))
                self.assertEqual(int(row[6]), net.num_addresses - low - high - h, (mode, h))
            self.assertEqual(r.returncode, 3 if mode == "aws" else 0, (mode, r.stderr))
        self.assertEqual(run("plan", "allocate", "--cloud", "ibm", "10.0.0.0/8", "-", stdin="a, 1\n").returncode, 2)


if __name__ == "__main__":
    unittest.main()
