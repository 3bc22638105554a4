#!/usr/bin/python3
"""mqnet plan outputs, plan dhcp and plan dns on a plan made by plan allocate and plan hosts
import: what they write passes the servers' own checks (kea-dhcp4 -t, kea-dhcp6 -t, dnsmasq
--test, named-checkzone, named-checkconf; skipped, with the reason, where one is missing),
subnet IDs and zone serials kept in the plan, refusals named, and a plan or folder that
cannot be written left as it was. Usage: deploy_test.py PATH-TO-MQNET SOURCE-FOLDER"""
import csv
import io
import ipaddress
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
SOURCE = sys.argv.pop(1) if len(sys.argv) > 1 else "."
WORK = tempfile.mkdtemp()
SEGMENTS = "staff, 100, vlan 110\nvoice, 50, vlan 120\nlab, 20\n"  # lab: a /27, delegated per RFC 2317
SETTINGS = ["--domain", "campus.example", "--dns-server", "10.40.0.53", "--dns-server", "2001:db8:40::53",
            "--name-server", "ns1.campus.example=10.40.0.53,2001:db8:40::53", "--lease-file", "/tmp/kea.leases"]


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def ok(*args, stdin=None):
    r = run(*args, stdin=stdin)
    assert r.returncode == 0, (args, r.returncode, r.stderr)
    return r


def read(path):
    with open(path, newline="") as f:
        return f.read()


def put(name, text):
    path = os.path.join(WORK, name)
    with open(path, "w", newline="") as f:
        f.write(text)
    return path


def campus(name, gateway="first", hosts=2, settings=SETTINGS, roots="10.40.0.0/16,2001:db8:40::/48"):
    """A plan with `hosts` hosts in each block below its upper-half DHCP range."""
    plan = os.path.join(WORK, name)
    ok("plan", "allocate", "--gateway", gateway, "--kept", "2", "--dhcp", "upper-half", "--dhcp6", "both",
       "-o", plan, roots, "-", stdin=SEGMENTS)
    lines = ["name,ipv4,ipv6,mac,duid"]
    for b, row in enumerate(csv.DictReader(io.StringIO(ok("plan", "show", "--csv", plan).stdout))):
        nets = [ipaddress.ip_network(row[f]) if row[f] else None for f in ("ipv4", "ipv6")]
        for k in range(hosts):
            v4, v6 = (str(n[10 + k]) if n else "" for n in nets)
            lines.append(f"{row['name']}-{k},{v4},{v6},02:00:00:00:{b:02x}:{k:02x},00:03:00:01:02:00:00:01:{b:02x}:{k:02x}")
    if hosts:
        ok("plan", "hosts", "import", "--format", "csv", plan, put(name + ".csv", "\n".join(lines) + "\n"))
    if settings:
        ok("plan", "outputs", *settings, plan)
    return plan


def zones_of(folder):
    """(zone, file) of each stanza of named.conf.zones."""
    return re.findall(r'zone "([^"]+)"[^}]*file "([^"]+)"', read(os.path.join(folder, "named.conf.zones")))


def serial(path):
    return int(re.search(r"SOA\s+\S+\s+\S+\s*\(?\s*(\d+)", read(path)).group(1))


def subnet_ids(kea):
    return {subnet: int(i) for i, subnet in re.findall(r'"id":\s*(\d+),\s*"subnet":\s*"([^"]+)"', kea)}


class Servers(unittest.TestCase):
    """Every output of the campus plan, and of a single-family one, as the server reads it."""

    def check(self, tool, *args):
        if not shutil.which(tool):
            self.skipTest(f"{tool} is not installed")
        r = subprocess.run([tool, *args], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, (tool, args, r.stdout, r.stderr))

    def test_servers_accept_every_output(self):
        for plan in [campus("servers.mqplan"), campus("servers4.mqplan", roots="10.40.0.0/16")]:
            for check in (self.check_dhcp, self.check_dns):
                with self.subTest(plan=os.path.basename(plan), check=check.__name__):
                    check(plan)

    def check_dhcp(self, plan):
        kea = {"kea4": ("kea-dhcp4", "Dhcp4", "subnet4"), "kea6": ("kea-dhcp6", "Dhcp6", "subnet6")}
        for fmt, fragment in [("kea4", False), ("kea6", False), ("kea4", True), ("kea6", True), ("dnsmasq", False)]:
            with self.subTest(fmt=fmt, fragment=fragment):
                out = f"{plan}-{fmt}-{fragment}.conf"
                ok("plan", "dhcp", "--format", fmt, *(["--fragment"] if fragment else []), "-o", out, plan)
                if fmt == "dnsmasq":
                    self.check("dnsmasq", "--test", "--conf-file=" + out)
                    continue
                tool, top, key = kea[fmt]
                if fragment:  # as an administrator includes it
                    out = put(f"{plan}-{fmt}.conf", '{"%s": {"interfaces-config": {"interfaces": ["*"]}, '
                                                    '"%s": <?include "%s"?>}}' % (top, key, out))
                self.check(tool, "-t", out)

    def check_dns(self, plan):
        for cut, rfc2317 in [([], "all"), ([], "none"), (["--zone-cut", "16"], "all"), (["--zone-cut6", "48"], "none")]:
            with self.subTest(cut=cut, rfc2317=rfc2317):
                ok("plan", "outputs", "--rfc2317", rfc2317, plan)
                folder = plan + "-zones" + "".join(cut) + rfc2317
                os.mkdir(folder)
                listed = ok("plan", "dns", *cut, "-d", folder, plan).stdout.splitlines()
                zones = zones_of(folder)
                self.assertEqual(sorted(listed), sorted([os.path.join(folder, f) for _, f in zones] +
                                                        [os.path.join(folder, "named.conf.zones")]))
                if not cut and rfc2317 == "all":  # the /27's own child zone beside its /24's
                    self.assertLessEqual({"192/27.0.40.10.in-addr.arpa", "0.40.10.in-addr.arpa"}, set(dict(zones)))
                if not cut and rfc2317 == "none":  # the /27's PTRs in its /24's zone, and no child zone
                    self.assertFalse([z for z, _ in zones if "/" in z], zones)
                    self.assertRegex(read(os.path.join(folder, dict(zones)["0.40.10.in-addr.arpa"])),
                                     r"(?m)^202\s+IN\s+PTR\s+lab-0\.campus\.example\.$")
                for zone, file in zones:
                    self.check("named-checkzone", "-k", "fail", "-i", "full", zone, os.path.join(folder, file))
                conf = put(folder + ".conf", 'options { directory "%s"; };\ninclude "%s/named.conf.zones";\n'
                           % (folder, folder))
                self.check("named-checkconf", "-z", conf)


class Kept(unittest.TestCase):
    """What an export hands out is kept in the plan, so that the next gives the same."""

    def test_subnet_ids_are_recorded_once_and_kept(self):
        plan = campus("ids.mqplan")
        first = run("plan", "dhcp", "--format", "kea4", plan)
        self.assertEqual(first.returncode, 0, first.stderr)
        self.assertRegex(first.stderr, r"^mqnet: plan dhcp: recorded 6 new subnet IDs in .*ids\.mqplan\n$")
        saved = read(plan)
        for fmt in ["kea4", "kea6", "dnsmasq"]:  # both families' IDs came with the first
            again = run("plan", "dhcp", "--format", fmt, plan)
            self.assertEqual((again.returncode, again.stderr), (0, ""), fmt)
        self.assertEqual(run("plan", "dhcp", "--format", "kea4", plan).stdout, first.stdout)
        self.assertEqual(read(plan), saved)
        # A block added later gets a new ID; the others keep theirs.
        ok("plan", "allocate", "--into", plan, "-", stdin="guests, 200\n")
        grown = run("plan", "dhcp", "--format", "kea4", plan)
        self.assertIn("recorded 2 new subnet IDs", grown.stderr)
        before, after = subnet_ids(first.stdout), subnet_ids(grown.stdout)
        self.assertEqual({s: after[s] for s in before}, before)
        self.assertEqual(len(set(after.values())), len(after))

    def test_serials_stay_until_a_zone_changes(self):
        plan = campus("serials.mqplan", settings=SETTINGS + ["--rfc2317", "all"])
        runs = []
        for step in ["first", "same", "changed"]:
            if step == "changed":  # one more host in staff: the forward zone and staff's own child zone change
                ok("plan", "hosts", "import", "--format", "hosts", plan, put("more.hosts", "10.40.0.30 extra\n"))
            folder = os.path.join(WORK, "serials-" + step)
            os.mkdir(folder)
            r = run("plan", "dns", "-d", folder, plan)
            self.assertEqual(r.returncode, 0, r.stderr)
            runs.append((r.stderr, {z: serial(os.path.join(folder, f)) for z, f in zones_of(folder)}))
        (said1, first), (said2, same), (said3, changed) = runs
        self.assertRegex(said1, r"recorded the serials of \d+ zones in ")
        self.assertEqual((said2, same), ("", first))
        self.assertRegex(said3, r"recorded the serials of 2 zones in ")
        rose = {z for z in first if changed[z] > first[z]}
        self.assertEqual(rose, {"campus.example", "0/25.0.40.10.in-addr.arpa"})
        self.assertTrue(all(changed[z] == first[z] for z in first if z not in rose))


class Refused(unittest.TestCase):
    def test_refusals_are_named_with_their_exit_status(self):
        plan = campus("refused.mqplan")
        bare = campus("bare.mqplan", settings=None)
        nogw = campus("nogw.mqplan", gateway="none", hosts=0)
        cases = [
            (["plan", "dhcp", "--format", "dnsmasq", "--fragment", plan], 2, r"--fragment is for kea4 and kea6"),
            (["plan", "dhcp", "--format", "isc", plan], 2, r'--format "?isc"? is not one of kea4, kea6, dnsmasq'),
            (["plan", "dhcp", "--format", "kea4", nogw], 2,
             r"(?m)^mqnet: plan dhcp: 10\.40\.0\.0/25 \(staff\): .*gateway.*\n(mqnet: plan dhcp: 10\.40\.\S+ \(\w+\): .*\n){2}"),
            (["plan", "dns", "-d", WORK, bare], 2, r"^mqnet: plan dns: .*(domain|name server)"),
            (["plan", "dns", "--zone-cut", "20", "-d", WORK, plan], 2, r"--zone-cut 20: "),
            (["plan", "dns", "--zone-cut6", "30", "-d", WORK, plan], 2, r"--zone-cut6 30: "),
            (["plan", "dns", "--zone-cut6", "68", "-d", WORK, plan], 2, r"(?m)^mqnet: plan dns: 2001:db8:40::/64 \(staff\): "),
            (["plan", "outputs", "--domain", "campus..example", plan], 2, r"^mqnet: plan outputs: domain: "),
            (["plan", "outputs", "--dns-server", "10.40.0.300", plan], 2, r"--dns-server 10\.40\.0\.300: "),
            (["plan", "outputs", "--name-server", "ns1=10.1", plan], 2, r"--name-server ns1=10\.1: "),
            (["plan", "outputs", "--naming", "under", plan], 2, r"--naming \"?under\"? is not one of slash, dash"),
            (["plan", "outputs", "--ttl", "-5", plan], 2, r"--ttl \"-5\" is no whole number of seconds from 0 to 4294967295"),
            (["plan", "outputs", "--rfc2317", "some", plan], 2, r"--rfc2317 \"?some\"? is not one of none, all"),
            (["plan", "outputs", "--empty-reverse-zones", "1", plan], 2, r"--empty-reverse-zones 1 is not one of yes, no"),
            (["plan", "outputs", "--delegate", "10.40.0.193/27", plan], 2,
             r"--delegate 10\.40\.0\.193/27: .*did you mean 10\.40\.0\.192/27"),
            (["plan", "outputs", "--delegate", "10.40.0.0/24", plan], 2,
             r"^mqnet: plan outputs: delegated block 10\.40\.0\.0/24: RFC 2317 delegates blocks longer than /24"),
            (["plan", "outputs", "--delegate", "2001:db8:40::/64", plan], 2, r"2001:db8:40::/64: .* for IPv4 blocks"),
            (["plan", "outputs", "--delegate", "10.40.0.192/27,10.40.0.192/27", plan], 2, r"one is given twice"),
            (["plan", "outputs", "--delegate", "10.40.0.224/27", plan], 2,
             r"^mqnet: plan outputs: settings: delegated block 10\.40\.0\.224/27 is free"),
            (["plan", "outputs", "--delegate", "10.40.0.192/28", plan], 2,
             r"delegated block 10\.40\.0\.192/28 lies inside a block of the plan that is not split to it"),
            # Values a server would misread, and settings that clash with the plan's hosts and ranges.
            (["plan", "outputs", "--dns-server", "0.0.0.0", plan], 2, r"DNS servers: 0\.0\.0\.0 lies in 0\.0\.0\.0/8"),
            (["plan", "outputs", "--name-server", "ns1.campus.example=fe80::53%eth0", plan], 2,
             r"--name-server ns1\.campus\.example=fe80::53%eth0: .*a zone index \(%eth0\)"),
            (["plan", "outputs", "--interface", "*", plan], 2, r"interface: \"\*\" is a pattern"),
            (["plan", "outputs", "--lease-file", "/var/lib/kea/../leases.csv", plan], 2, r"lease file: .* no plain path"),
            (["plan", "outputs", "--domain", "0.40.10.in-addr.arpa", plan], 2, r"domain: .* lies in in-addr\.arpa"),
            (["plan", "outputs", "--name-server", "ns2", bare], 2, r"name server: \"ns2\" has no dot"),
            (["plan", "outputs", "--name-server", "STAFF-0.campus.example=10.40.0.99", plan], 2,
             r"^mqnet: plan outputs: 10\.40\.0\.0/25 \(staff\): host staff-0: the name is also the name server "
             r"\"STAFF-0\.campus\.example\"'s, which is given 10\.40\.0\.99"),
            (["plan", "outputs", "--dns-server", "10.40.0.100", plan], 2,
             r"10\.40\.0\.0/25 \(staff\): the DNS server 10\.40\.0\.100 lies inside the range 10\.40\.0\.\d+-"),
        ]
        saved = read(plan)
        for args, status, said in cases:
            with self.subTest(args=args[:4]):
                r = run(*args)
                self.assertEqual((r.returncode, r.stdout), (status, ""), r.stderr)
                self.assertRegex(r.stderr, said)
        self.assertEqual(read(plan), saved)

    def test_a_plan_or_folder_that_cannot_be_written_changes_nothing(self):
        missing = os.path.join(WORK, "nowhere")
        dhcp, dns, outputs = ["plan", "dhcp", "--format", "kea4"], ["plan", "dns"], ["plan", "outputs", "--ttl", "60"]
        cases = [  # (plan's mode, folder's mode or None for a missing one, the command, what is named)
            (0o444, 0o755, dhcp, r"cannot record 6 new subnet IDs: cannot write .*: it is read-only"),
            (0o444, 0o755, dns, r"cannot record the serials of \d+ zones: cannot write .*: it is read-only"),
            (0o444, 0o755, outputs, r"cannot record the output settings: .*read-only"),
            (0o644, 0o555, dns, r"cannot write into .*: it is read-only"),
            (0o644, None, dns, r"cannot write into .*nowhere: No such file or directory"),
        ]
        for n, (mode, folder_mode, command, said) in enumerate(cases):
            with self.subTest(command=command, mode=oct(mode)):
                plan = campus(f"locked{n}.mqplan")
                saved = read(plan)
                os.chmod(plan, mode)
                folder = missing if folder_mode is None else os.path.join(WORK, f"locked{n}")
                if folder_mode is not None:
                    os.mkdir(folder, folder_mode)
                r = run(*command, *(["-d", folder] if command[1] == "dns" else []), plan)
                self.assertEqual((r.returncode, r.stdout), (1, ""), r.stderr)
                self.assertRegex(r.stderr, said)
                self.assertEqual(read(plan), saved)
                self.assertEqual(os.listdir(folder) if folder_mode is not None else [], [])
        self.assertFalse(os.path.exists(missing))


SHOWN = """--domain             campus.example
--hostmaster         -
--interface          eth1
--lease-file         /tmp/kea.leases
--dns-server         10.40.0.53
--dns-server         2001:db8:40::53
--ttl                600
--refresh            86400
--retry              60
--expire             1209600
--minimum            3600
--valid-lifetime     86400
--preferred-lifetime 43200
--zone-cut           16
--zone-cut6          0
--naming             dash
--rfc2317            all
--delegate           10.40.0.192/27
--empty-reverse-zones no
"""


class Settings(unittest.TestCase):
    def test_settings_are_shown_as_they_were_set(self):
        plan = campus("settings.mqplan", hosts=0, settings=None)
        ok("plan", "outputs", *SETTINGS, "--ttl", "600", "--zone-cut", "16", "--naming", "dash", "--interface",
           "eth1", "--rfc2317", "all", "--delegate", "10.40.0.192/27", "--empty-reverse-zones", "no", plan)
        # An empty value clears a list; what is not given stays.
        ok("plan", "outputs", "--name-server=", "--retry", "60", plan)
        self.assertEqual(ok("plan", "outputs", plan).stdout, SHOWN)


    def test_a_name_without_a_dot_lies_in_the_domain(self):
        plan = campus("qualified.mqplan", hosts=0, settings=None)
        ok("plan", "outputs", "--domain", "campus.example", "--name-server", "ns2=10.40.0.2", "--hostmaster", "admin",
           plan)
        shown = ok("plan", "outputs", plan).stdout
        self.assertIn("--hostmaster         admin.campus.example\n", shown)
        self.assertIn("--name-server        ns2.campus.example=10.40.0.2\n", shown)
        folder = os.path.join(WORK, "qualified")
        os.mkdir(folder)
        ok("plan", "dns", "-d", folder, plan)
        zone = read(os.path.join(folder, dict(zones_of(folder))["campus.example"]))
        self.assertRegex(zone, r"SOA\s+ns2\.campus\.example\. admin\.campus\.example\. ")
        self.assertRegex(zone, r"(?m)^ns2\s+IN\s+A\s+10\.40\.0\.2$")

    def test_a_plan_saved_with_a_setting_now_refused_opens(self):
        plan = campus("older.mqplan", hosts=0)
        with open(plan) as f:
            doc = json.load(f)
        doc["outputs"]["settings"]["interface"] = "*"
        with open(plan, "w") as f:
            json.dump(doc, f)
        self.assertIn("--interface          *\n", ok("plan", "outputs", plan).stdout)
        for fmt in ["kea4", "kea6", "dnsmasq"]:
            r = run("plan", "dhcp", "--format", fmt, plan)
            self.assertEqual((r.returncode, r.stdout), (2, ""), fmt)
            self.assertRegex(r.stderr, r'^mqnet: plan dhcp: settings: interface: "\*" is a pattern')
        ok("plan", "outputs", "--interface", "", plan)  # set right, the plan gives its outputs again
        ok("plan", "dhcp", "--format", "kea6", plan)


if __name__ == "__main__":
    try:
        unittest.main()
    finally:
        shutil.rmtree(WORK, True)
