#!/usr/bin/python3
"""mqnet plan allocate --vlan-numbering against Python's ipaddress, eui64 against
python3-netaddr, ula's structure, and allocate's plan documents (-o, --into) read back.
Usage: addressing_test.py PATH-TO-MQNET"""
import ipaddress
import json
import os
import random
import subprocess
import sys
import tempfile
import unittest

import netaddr

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
WORK = tempfile.mkdtemp()


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def put(name, text):
    path = os.path.join(WORK, name)
    with open(path, "w") as f:
        f.write(text)
    return path


def read(path):
    with open(path) as f:
        return f.read()


def blocks(path):
    """(prefix, name, vlan) of every assigned block of a plan document."""
    r = run("plan", "show", "--json", path)
    assert r.returncode == 0, r.stderr
    return {(b["prefix"], b["name"], b.get("vlan", 0)) for b in json.loads(r.stdout)["blocks"] if b.get("assigned")}


class VlanNumbering(unittest.TestCase):
    def test_each_vlan_takes_its_digits_as_the_subnet_id_or_is_refused(self):
        rng = random.Random(25)
        for root in ["2001:db8:40::/48", "2001:db8:40:f000::/52", "2001:db8:40:ff00::/56",
                     "2001:db8:40:ff70::/60", "2001:db8:a000::/36", "2001:db8:40::/50", "2001:db8:1:2::/64"]:
            net = ipaddress.IPv6Network(root)
            vlans = rng.sample(range(1, 4095), 40) + [1, 9, 10, 99, 100, 999, 1000, 4094]
            vlans = sorted(set(vlans))
            text = "".join(f"v{v}, 10, vlan {v}\n" for v in vlans)
            r = run("plan", "allocate", "--vlan-numbering", "--json", root, "-", stdin=text)
            self.assertIn(r.returncode, (0, 3), r.stderr)
            got = {s["name"]: s for s in json.loads(r.stdout)["segments"]}
            room = (64 - net.prefixlen) // 4
            for v in vlans:
                s = got[f"v{v}"]
                if len(str(v)) <= room:
                    want = ipaddress.IPv6Network((int(net.network_address) | int(str(v), 16) << 64, 64))
                    self.assertTrue(want.subnet_of(net))
                    self.assertEqual((s["network"], s["prefix"]), (str(want.network_address), 64), (root, v))
                else:
                    tail = f"has room for {room}" if room else "has no room for a subnet ID"
                    digits = f"{len(str(v))} digit" + ("s" if len(str(v)) > 1 else "")
                    self.assertEqual(s["reason"], f"VLAN {v} needs {digits}; {root} {tail}", (root, v))

    def test_refusals_name_the_segment_and_keep_it_out_of_both_families(self):
        text = ("staff, 50, vlan 120\nguest, 20, vlan 120\nnovlan, 10\nwide, 10, /24, /60, vlan 7\n"
                "voice, 20, vlan 130\n")
        r = run("plan", "allocate", "--vlan-numbering", "--csv", "10.40.0.0/16,2001:db8:40::/48", "-", stdin=text)
        self.assertEqual(r.returncode, 3, r.stderr)
        rows = {line.split(",")[0]: line.split(",") for line in r.stdout.splitlines()}
        self.assertEqual(rows["voice"][2:7:4], ["10.40.0.0/27", "2001:db8:40:130::/64"])
        self.assertEqual(rows["staff"][-1], "IPv6: VLAN 120 is also guest's")
        self.assertEqual(rows["guest"][-1], "IPv6: VLAN 120 is also staff's")
        self.assertIn("has no VLAN", rows["novlan"][-1])
        self.assertEqual(rows["wide"][-1], "IPv6: needs a /60; VLAN numbering gives each segment a /64")
        for name in ("staff", "guest", "novlan", "wide"):
            self.assertEqual(rows[name][2], "", name)  # no IPv4 block either
        r = run("plan", "allocate", "--vlan-numbering", "2001:db8:40:ff75::/72", "-", stdin="a, 1, vlan 5\n")
        self.assertIn("2001:db8:40:ff75::/72 is longer than /64", r.stdout)


class Eui64AndUla(unittest.TestCase):
    def test_eui64_matches_netaddr_for_every_mac_form(self):
        rng = random.Random(4291)
        forms = [lambda b: ":".join(f"{x:02x}" for x in b), lambda b: "-".join(f"{x:02X}" for x in b),
                 lambda b: ".".join(f"{b[i]:02x}{b[i + 1]:02x}" for i in (0, 2, 4)),
                 lambda b: "".join(f"{x:02x}" for x in b)]
        for length in (64, 56, 48, 32, 3):
            prefix = ipaddress.IPv6Network((rng.getrandbits(128) >> (128 - length) << (128 - length), length))
            macs = [bytes(rng.getrandbits(8) for _ in range(6)) for _ in range(8)]
            texts = [forms[i % 4](m) for i, m in enumerate(macs)]
            r = run("eui64", str(prefix), *texts)
            self.assertEqual(r.returncode, 0, r.stderr)
            want = [str(netaddr.EUI(m.hex()).ipv6(int(prefix.network_address))) for m in macs]
            self.assertEqual(r.stdout.split(), want, prefix)

    def test_eui64_refuses_what_has_no_interface_id(self):
        for args, said in [(["10.0.0.0/8", "00:11:22:33:44:55"], "not an IPv6 prefix"),
                           (["2001:db8::/80", "00:11:22:33:44:55"], "64 or shorter"),
                           (["2001:db8::/64", "00:11:22:33:44"], "MAC 00:11:22:33:44: "),
                           (["2001:db8::/64"], "takes PREFIX MAC")]:
            r = run("eui64", *args)
            self.assertEqual(r.returncode, 2, args)
            self.assertIn(said, r.stderr, args)
        r = run("eui64", "2001:db8::/64", "zz", "0011.2233.4455")
        self.assertEqual((r.returncode, r.stdout), (2, "2001:db8::211:22ff:fe33:4455\n"))

    def test_ula_is_a_random_48_in_fd00_8(self):
        seen = []
        for _ in range(2):
            r = run("ula", "--count", "4")
            self.assertEqual(r.returncode, 0, r.stderr)
            seen += [ipaddress.IPv6Network(line) for line in r.stdout.split()]
        self.assertEqual(len(seen), 8)
        self.assertTrue(all(n.prefixlen == 48 and n.subnet_of(ipaddress.IPv6Network("fd00::/8")) for n in seen))
        self.assertEqual(len(set(seen)), 8)
        self.assertEqual(len(run("ula").stdout.split()), 1)
        for bad in ("0", "65537", "x"):
            self.assertEqual(run("ula", "--count", bad).returncode, 2, bad)


class AllocateDocuments(unittest.TestCase):
    SEGMENTS = "staff, 50, vlan 120\nvoice, 20, vlan 130\n"

    def test_written_plan_reads_back_and_into_keeps_every_block(self):
        plan = os.path.join(WORK, "campus.mqplan")
        roots = "10.40.0.0/16,2001:db8:40::/48"
        r = run("plan", "allocate", "--vlan-numbering", "--csv", "-o", plan, roots, "-", stdin=self.SEGMENTS)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("staff,120,10.40.0.0/26", r.stdout)  # still printed
        first = blocks(plan)
        self.assertEqual(first, {("10.40.0.0/26", "staff", 120), ("2001:db8:40:120::/64", "staff", 120),
                                 ("10.40.0.64/27", "voice", 130), ("2001:db8:40:130::/64", "voice", 130)})
        # A host and a layout rule of the saved plan, to be kept.
        doc = json.loads(read(plan))
        doc["hosts"] = [{"name": "printer-1", "ipv4": "10.40.0.10", "mac": "00:11:22:33:44:55"}]
        doc["settings"]["layout"] = {"gateway": "first_usable"}
        put("campus.mqplan", json.dumps(doc))
        # Into the saved plan: written back to it, the old blocks kept, the new in free space,
        # by the plan's own VLAN numbering.
        r = run("plan", "allocate", "--into", plan, "-", stdin="lab, 100, vlan 140\nold, 5, vlan 120\n")
        self.assertEqual(r.returncode, 3, r.stderr)
        self.assertIn("old: did not fit: IPv6: 2001:db8:40:120::/64 is taken by staff", r.stdout)
        second = blocks(plan)
        after = json.loads(read(plan))
        self.assertEqual((after["hosts"], after["settings"]["layout"]), (doc["hosts"], doc["settings"]["layout"]))
        self.assertIn(("2001:db8:40:140::/64", "lab", 140), second)
        self.assertTrue(first <= second)
        added = second - first
        self.assertEqual({b[1] for b in added}, {"lab"})
        for new in added:
            n = ipaddress.ip_network(new[0])
            self.assertFalse(any(n.overlaps(ipaddress.ip_network(o[0])) for o in first if o[0][0] == new[0][0]))
        # -o elsewhere leaves PLAN as it was; "-" puts the document on standard output.
        before = read(plan)
        out = os.path.join(WORK, "more.mqplan")
        r = run("plan", "allocate", "--into", plan, "-o", out, "10.40.0.0/16", "-", stdin="extra, 5\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(read(plan), before)
        self.assertEqual(len(blocks(out)), len(second) + 1)
        r = run("plan", "allocate", "--into", plan, "-o", "-", "10.40.0.0/16", "-", stdin="extra, 5\n")
        self.assertEqual(json.loads(r.stdout)["format"], "maskquill-plan")

    def test_nothing_placed_or_bad_options_leave_the_plan_alone(self):
        plan = os.path.join(WORK, "small.mqplan")
        self.assertEqual(run("plan", "allocate", "-o", plan, "10.0.0.0/24", "-", stdin="a, 10\n").returncode, 0)
        before = read(plan)
        r = run("plan", "allocate", "--into", plan, "-", stdin="huge, 5000\n")
        self.assertEqual(r.returncode, 3)
        self.assertIn("was left as it was", r.stderr)
        self.assertEqual(read(plan), before)
        for args, said in [(["--gateway", "first", "10.0.0.0/8"], "give -o PLAN or --into PLAN"),
                           (["-o", plan, "--gateway", "middle", "10.0.0.0/8"], "first, last, none"),
                           (["-o", plan, "--kept", "5000", "10.0.0.0/8"], "from 0 to 1024"),
                           (["-o", plan, "--dhcp", "200-100", "10.0.0.0/8"], "above its last"),
                           (["-o", plan, "--dhcp6", "dhcp", "10.0.0.0/8"], "slaac, stateful, both"),
                           (["--into", plan, "10.9.0.0/16"], "is not a block of"),
                           (["-o", WORK, "10.0.0.0/8"], "")]:
            r = run("plan", "allocate", *args, "-", stdin="b, 10\n")
            self.assertIn(r.returncode, (1, 2), args)
            self.assertIn(said, r.stderr, args)
            self.assertEqual(read(plan), before, args)
        r = run("plan", "allocate", "-o", plan, "--gateway", "last", "--kept", "2", "--dhcp", "100-199",
                "--dhcp6", "both", "10.0.0.0/24", "-", stdin="b, 10\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(blocks(plan), {("10.0.0.0/28", "b", 0)})
        self.assertEqual(json.loads(read(plan))["settings"]["layout"],
                         {"gateway": "last_usable", "kept": 2, "range": "offsets", "range_from": "100",
                          "range_to": "199", "dhcp6": "both"})


if __name__ == "__main__":
    unittest.main()
