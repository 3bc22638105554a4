#!/usr/bin/python3
"""mqnet from outside: its answers for random prefixes of both families against Python's
ipaddress module, and its exit codes, error lines and memory as scripts rely on them.
Usage: mqnet_test.py PATH-TO-MQNET"""
import ipaddress
import json
import os
import random
import subprocess
import sys
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
rng = random.Random(2026)


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def peak_kib(pid):
    """The peak memory of a running process so far. (A child's ru_maxrss would also count the
    Python process it was forked from.)"""
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))


def text_of(address):
    """How mqnet writes an address: RFC 5952, IPv4-mapped with a dotted tail."""
    if address.version == 6 and address.ipv4_mapped is not None:
        return "::ffff:" + str(address.ipv4_mapped)
    return str(address)


def network(version, value, length, strict=True):
    return (ipaddress.IPv4Network if version == 4 else ipaddress.IPv6Network)((value, length), strict=strict)


def random_network(version):
    if version == 4:
        value, length = rng.getrandbits(32), rng.choice([0, 1, 8, 16, 23, 24, 25, 30, 31, 32, rng.randint(0, 32)])
        return network(4, value, length, strict=False), value
    # Random addresses, and some inside the blocks that carry an IPv4 address.
    base, fixed = rng.choice([(0, 0), (0xFFFF << 32, 96), (0x2002 << 112, 16), (0x20010000 << 96, 32),
                              (0x0064FF9B << 96, 96)])
    value = base | (rng.getrandbits(128) & ((1 << (128 - fixed)) - 1))
    length = rng.choice([0, 32, 48, 63, 64, 96, 126, 127, 128, rng.randint(0, 128)])
    return network(6, value, length, strict=False), value


def expected_hosts(net):
    """First and last usable host and the usable count, from ipaddress.hosts()."""
    if net.num_addresses <= 256:
        hosts = list(net.hosts())
        return hosts[0], hosts[-1], len(hosts)
    first = next(iter(net.hosts()))
    if net.version == 4:
        return first, net.broadcast_address - 1, net.num_addresses - 2
    return first, net.broadcast_address, net.num_addresses - 1


class Oracle(unittest.TestCase):
    def test_info_of_random_prefixes(self):
        for version in (4, 6):
            for _ in range(150):
                net, value = random_network(version)
                address = net.network_address.__class__(value)
                typed = f"{address}/{net.prefixlen}"
                got = run("info", "--json", typed)
                self.assertEqual(got.returncode, 0, got.stderr)
                j = json.loads(got.stdout)
                first, last, usable = expected_hosts(net)
                want = {
                    "family": version, "address": text_of(address), "expanded": address.exploded,
                    "prefix": net.prefixlen, "netmask": text_of(net.netmask),
                    "wildcard": str(net.hostmask) if version == 4 else None,
                    "network": text_of(net.network_address),
                    "broadcast": str(net.broadcast_address) if version == 4 and net.prefixlen <= 30 else None,
                    "first": text_of(first), "last": text_of(last),
                    "addresses": str(net.num_addresses), "usable": str(usable),
                    "reverse_pointer": address.reverse_pointer,
                }
                self.assertEqual({k: j[k] for k in want}, want, typed)
                embedded = None
                if version == 6:
                    embedded = address.ipv4_mapped or address.sixtofour or (address.teredo and address.teredo[1])
                    if (value >> 32) == 0x0064FF9B << 64:
                        embedded = ipaddress.IPv4Address(value & 0xFFFFFFFF)
                self.assertEqual(j["embedded_ipv4"], embedded and str(embedded), typed)
                # Every reverse zone lies inside the network's own reverse name space or holds it.
                for zone in j["reverse_zones"]:
                    self.assertTrue(zone.endswith("in-addr.arpa" if version == 4 else "ip6.arpa"))

    def test_split_rows_match_subnets(self):
        for version in (4, 6):
            for _ in range(40):
                net, _ = random_network(version)
                new = rng.randint(net.prefixlen, min(net.max_prefixlen, net.prefixlen + 70))
                rows = 1 << (new - net.prefixlen)
                start = rng.randrange(rows)
                got = run("split", "--csv", str(net), str(new), "--from", str(start), "--count", str(min(8, rows)))
                self.assertEqual(got.returncode, 0, got.stderr)
                lines = got.stdout.splitlines()
                self.assertEqual(len(lines), min(8, rows - start))
                size = 1 << (net.max_prefixlen - new)
                for k, line in enumerate(lines):
                    sub = network(version, int(net.network_address) + (start + k) * size, new)
                    first, last, _ = expected_hosts(sub)
                    broadcast = str(sub.broadcast_address) if version == 4 and new <= 30 else ""
                    self.assertEqual(line, ",".join([str(start + k), f"{text_of(sub.network_address)}/{new}",
                                                     text_of(first), text_of(last), broadcast]))
        # From the start, the rows are Python's own subnets() in order.
        got = run("split", "--csv", "2001:db8::/62", "64").stdout.splitlines()
        self.assertEqual([l.split(",")[1] for l in got],
                         [str(s) for s in ipaddress.ip_network("2001:db8::/62").subnets(new_prefix=64)])

    def test_summarize_matches_collapse_addresses(self):
        for _ in range(30):
            items, nets = [], []
            for _ in range(rng.randint(1, 60)):
                version = rng.choice((4, 6))
                bits = 32 if version == 4 else 128
                # A small corner of each space, so that neighbours and overlaps occur.
                top = (10 << 24) if version == 4 else (0x2001_0db8 << 96)
                a = top + rng.getrandbits(12)
                kind = rng.choice(("address", "prefix", "range"))
                if kind == "address":
                    items.append(str(ipaddress.ip_address(a) if version == 4 else ipaddress.IPv6Address(a)))
                    nets.append(network(version, a, bits))
                elif kind == "prefix":
                    n = network(version, a, bits - rng.randint(0, 10), strict=False)
                    items.append(f"{n.network_address + rng.randrange(n.num_addresses)}/{n.prefixlen}")
                    nets.append(n)
                else:
                    b = a + rng.randint(0, 300)
                    lo, hi = (ipaddress.IPv4Address(a), ipaddress.IPv4Address(b)) if version == 4 else \
                             (ipaddress.IPv6Address(a), ipaddress.IPv6Address(b))
                    items.append(f"{lo} - {hi}")
                    nets.extend(ipaddress.summarize_address_range(lo, hi))
            want = [str(n) for v in (4, 6) for n in ipaddress.collapse_addresses(x for x in nets if x.version == v)]
            got = run("summarize", stdin="\n".join(items) + "\n")
            self.assertEqual((got.returncode, got.stderr), (0, ""))
            self.assertEqual(got.stdout.splitlines(), want, items)


class CommandLine(unittest.TestCase):
    def test_refused_items_are_named_and_the_rest_is_processed(self):
        got = run("summarize", stdin="10.0.0.0/25\n# a comment\n\n  10.0.0.256 \n10.0.0.128/25  # the other half\n"
                                     "2001:db8::/129\n::1\n")
        self.assertEqual(got.returncode, 2)
        self.assertEqual(got.stdout, "10.0.0.0/24\n::1/128\n")
        self.assertEqual(got.stderr,
                         "mqnet: standard input line 4: 10.0.0.256: octet 4 is above 255 at character 8\n"
                         "mqnet: standard input line 6: 2001:db8::/129: prefix length 129 is above 128 "
                         "at character 12\n")
        got = run("summarize", "/nonexistent/list")
        self.assertEqual((got.returncode, got.stdout), (2, ""))
        self.assertEqual(got.stderr, "mqnet: summarize: cannot open /nonexistent/list: No such file or directory\n")

    def test_bad_arguments(self):
        for args, line in [
            (["info", "10.1.2.03"], "mqnet: info: 10.1.2.03: octet 4 has a leading zero at character 8"),
            (["info", "10.0.0.1-10.0.0.5"], "mqnet: info: 10.0.0.1-10.0.0.5: the range is not one prefix but 3 "
                                            "(mqnet summarize lists them)"),
            (["info", "--jsn", "::1"], "mqnet: info: unknown option --jsn (mqnet info --help lists them)"),
            (["split", "10.0.0.0/8", "7"], "mqnet: split: new length 7 is shorter than the network's /8"),
            (["split", "10.0.0.0/8", "33"], "mqnet: split: new length 33 is above 32"),
            (["split", "10.0.0.0/8", "30", "--from", "4194305"],
             "mqnet: split: --from 4194305 is above the row count 4194304"),
            (["split", "10.0.0.0/8", "30", "--count", "-1"], "mqnet: split: --count -1 is not a whole number"),
            (["split", "10.0.0.0/8", "30", "--from"], "mqnet: split: --from needs a value"),
            (["split", "10.0.0.0/8"], "mqnet: split: needs NETWORK and NEWLEN (mqnet split --help)"),
            (["frob"], "mqnet: unknown command: frob (mqnet --help lists the commands)"),
        ]:
            got = run(*args)
            self.assertEqual((got.returncode, got.stdout, got.stderr), (2, "", line + "\n"), args)
        self.assertEqual(run().returncode, 2)

    def test_help_version_and_usage_of_each_command(self):
        self.assertEqual(run("--help").returncode, 0)
        self.assertIn("mqnet summarize", run("--help").stdout)
        self.assertRegex(run("--version").stdout, r"^mqnet \(Maskquill\) \d+\.\d+\.\d+\n$")
        for command in (["info"], ["split"], ["summarize"], ["plan", "allocate"]):
            for option in ("-h", "--help"):
                got = run(*command, "10.0.0.0/8", option)
                self.assertEqual((got.returncode, got.stderr), (0, ""), command)
                self.assertTrue(got.stdout.startswith("Usage: mqnet " + " ".join(command) + " "), got.stdout)
        self.assertIn("mqnet plan allocate ", run("plan", "-h").stdout)

    def test_output_failures_stop_at_once_and_name_their_cause(self):
        for args in (["--help"], ["--version"], ["plan", "--help"], ["split", "-h"], ["info", "--json", "::/0"],
                     ["split", "2001:db8::/32", "128"],  # 2^96 rows: only stopping at the first failure ends it
                     ["plan", "allocate", "10.0.0.0/24", "-"]):
            with open("/dev/full", "w") as full:
                got = subprocess.run([MQNET, *args], input="a, 5\n", stdout=full, stderr=subprocess.PIPE, text=True,
                                     timeout=120)
            self.assertEqual(got.returncode, 1, args)
            self.assertRegex(got.stderr, r"^mqnet: [-a-z ]+: cannot write the output: No space left on device\n$", args)
        # A reader that goes away, SIGPIPE ignored as Python and many daemons leave it for their children.
        proc = subprocess.Popen([MQNET, "split", "2001:db8::/32", "128"], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, restore_signals=False)
        proc.stdout.read(4096)
        proc.stdout.close()
        self.assertEqual(proc.wait(timeout=120), 1)
        self.assertEqual(proc.stderr.read(), b"mqnet: split: cannot write the output: Broken pipe\n")
        proc.stderr.close()

    def test_a_list_that_cannot_be_read_is_named(self):
        for args, where in ((["summarize"], "summarize"), (["plan", "allocate", "10.0.0.0/24"], "plan allocate")):
            got = run(*args, "/")
            self.assertEqual((got.returncode, got.stdout, got.stderr),
                             (2, "", f"mqnet: {where}: cannot open /: is a directory\n"))
            got = subprocess.run([MQNET, *args, "-"], capture_output=True, text=True, preexec_fn=lambda: os.close(0))
            self.assertEqual((got.returncode, got.stdout, got.stderr),
                             (2, "", f"mqnet: {where}: standard input is closed\n"))

    def test_refused_input_is_quoted_escaped_and_shortened(self):
        hostile = b"\x1b]0;owned\x07\n\x1b[2J\n\xc2\x9b1m\n" + b"9" * 300 + b"\nx, " + b"9" * 300 + b"\n\xff\xfe\\\n"
        for args in (["summarize"], ["plan", "allocate", "10.0.0.0/24", "-"]):
            got = subprocess.run([MQNET, *args], input=hostile, capture_output=True)
            self.assertEqual(got.returncode, 2, args)
            err = got.stderr.decode()
            self.assertEqual([c for c in err if ord(c) < 0x20 and c != "\n" or 0x7F <= ord(c) < 0xA0], [], args)
            self.assertIn("line 1: \\x1b]0;owned\\x07: ", err)
            self.assertIn("line 2: \\x1b[2J: ", err)
            self.assertIn("line 3: \\xc2\\x9b1m: ", err)  # C1 control sequence introducer
            self.assertIn("line 4: " + "9" * 80 + "\u2026: ", err)
            self.assertIn("line 6: \\xff\\xfe\\\\: ", err)
            self.assertLess(max(len(line) for line in err.splitlines()), 300, err)
        self.assertIn('hosts "' + "9" * 80 + '\u2026" is not', err)
        self.assertEqual(run("info", "10.0.0.\x1b[2J").stderr, "mqnet: info: 10.0.0.\\x1b[2J: unexpected byte 27 at character 8\n")

    def test_lines_as_every_list_reads_them(self):
        # Byte order mark, CR LF, comments anywhere; a line beyond 64 KiB refused and skipped, the rest read.
        got = subprocess.run([MQNET, "summarize"], capture_output=True,
                             input=b"\xef\xbb\xbf# routes\r\n" + b"1" * 70000 + b"\r\n10.0.0.0/25 # office\r\n10.0.0.128/25\r\n")
        self.assertEqual((got.returncode, got.stdout), (2, b"10.0.0.0/24\n"))
        self.assertEqual(got.stderr, b"mqnet: standard input line 2: the line is longer than 65536 bytes\n")
        got = subprocess.run([MQNET, "plan", "allocate", "--csv", "10.0.0.0/24", "-"], capture_output=True,
                             input=b"\xef\xbb\xbflab, 10 # comment\r\n" + b"y" * 70000 + b"\nwifi, 20\t# second\n")
        self.assertEqual(got.returncode, 2)
        self.assertEqual([row.split(b",")[:2] for row in got.stdout.splitlines()],
                         [[b"lab", b"10.0.0.32/28"], [b"wifi", b"10.0.0.0/27"]])
        self.assertEqual(got.stderr, b"mqnet: standard input line 2: the line is longer than 65536 bytes\n")

    def test_strict_arguments(self):
        for args, line in [
            (["info", "1.2.3.4/ 24"], "mqnet: info: 1.2.3.4/ 24: a blank after the '/' at character 9"),
            (["split", "10.0.0.0/8", "9" * 11], "mqnet: split: new length 99999999999 is above 32"),
            (["split", "10.0.0.0/8", "9" * 45], "mqnet: split: new length " + "9" * 45 + " is above 32"),
            (["split", "--json", "--header", "10.0.0.0/8", "9"],
             "mqnet: split: --header is for text and --csv, not --json"),
            (["split", "--csv=yes", "10.0.0.0/8", "9"], "mqnet: split: --csv takes no value"),
            (["plan", "allocate", "--json", "--header", "10.0.0.0/8", "-"],
             "mqnet: plan allocate: --header is for --csv only"),
            (["plan", "allocate", "-x", "10.0.0.0/8", "-"],
             "mqnet: plan allocate: unknown option -x (mqnet plan allocate --help lists them)"),
            (["plan", "share"], "mqnet: plan: unknown plan command share (mqnet plan --help lists them)"),
        ]:
            got = run(*args)
            self.assertEqual((got.returncode, got.stdout, got.stderr), (2, "", line + "\n"), args)
        # "--" ends the options: what follows is read as it stands.
        self.assertEqual(run("split", "--csv", "--", "10.0.0.0/31", "32").stdout,
                         "0,10.0.0.0/32,10.0.0.0,10.0.0.0,\n1,10.0.0.1/32,10.0.0.1,10.0.0.1,\n")
        got = run("info", "--", "--json")
        self.assertEqual((got.returncode, got.stderr), (2, "mqnet: info: --json: no address at character 1\n"))

    def test_split_edges_and_outputs(self):
        # Far into 2^96 rows at once, and the very last of 2^128.
        got = run("split", "--csv", "2001:db8::/32", "128", "--from", str((1 << 96) - 2))
        self.assertEqual(got.stdout.splitlines()[-1], "79228162514264337593543950335,"
                         "2001:db8:ffff:ffff:ffff:ffff:ffff:ffff/128,2001:db8:ffff:ffff:ffff:ffff:ffff:ffff,"
                         "2001:db8:ffff:ffff:ffff:ffff:ffff:ffff,")
        got = run("split", "--csv", "::/0", "128", "--from", str((1 << 128) - 1))
        self.assertEqual(got.stdout, f"{(1 << 128) - 1},ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff/128,"
                                     "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,\n")
        self.assertEqual(run("split", "--csv", "10.0.0.0/30", "32", "--from", "4").stdout, "")
        self.assertEqual(run("split", "--csv", "--header", "192.0.2.0/24", "31", "--count", "1").stdout,
                         "index,network,first,last,broadcast\n0,192.0.2.0/31,192.0.2.0,192.0.2.1,\n")
        rows = json.loads(run("split", "--json", "10.0.0.0/29", "30", "--from", "1").stdout)
        self.assertEqual(rows, [{"index": "1", "network": "10.0.0.4/30", "first": "10.0.0.5", "last": "10.0.0.6",
                                 "broadcast": "10.0.0.7"}])
        self.assertEqual(json.loads(run("split", "--json", "10.0.0.0/8", "9", "--count", "0").stdout), [])
        text = run("split", "--header", "10.0.0.0/30", "31").stdout.splitlines()
        self.assertEqual([l.split() for l in text], [["index", "network", "first", "last", "broadcast"],
                                                     ["0", "10.0.0.0/31", "10.0.0.0", "10.0.0.1"],
                                                     ["1", "10.0.0.2/31", "10.0.0.2", "10.0.0.3"]])

    def test_info_conventions(self):
        j = json.loads(run("info", "--json", "fe80::1%eth0/64").stdout)
        self.assertEqual(list(j), ["input", "family", "address", "expanded", "prefix", "netmask", "wildcard",
                                   "network", "broadcast", "first", "last", "addresses", "usable", "class",
                                   "reverse_pointer", "reverse_zones", "embedded_ipv4", "special", "global"])
        self.assertEqual((j["address"], j["network"], j["netmask"]), ("fe80::1%eth0", "fe80::", "ffff:ffff:ffff:ffff::"))
        # TEXT in several arguments, a wildcard for the mask, names as the registry writes them.
        j = json.loads(run("info", "--json", "0.1.2.3", "0.255.255.255").stdout)
        self.assertEqual((j["input"], j["prefix"], j["class"]), ("0.1.2.3 0.255.255.255", 8, "A"))
        self.assertEqual(j["special"], [{"block": "0.0.0.0/8", "name": "\"This network\"", "rfc": "RFC 791, Section 3.2",
                                         "forwardable": False, "globally_reachable": False}])
        j = json.loads(run("info", "--json", "2001::1").stdout)
        self.assertEqual([(s["block"], s["globally_reachable"]) for s in j["special"]],
                         [("2001::/32", None), ("2001::/23", False)])
        self.assertEqual((j["global"], j["embedded_ipv4"]), (False, "255.255.255.254"))
        text = run("info", "192.88.99.1").stdout
        self.assertIn("192.88.99.0/24: Deprecated (6to4 Relay Anycast), RFC 7526, terminated 2015-03\n", text)
        self.assertIn("Globally reachable  yes\n", text)

    def test_memory_does_not_grow_with_the_rows_or_a_line_without_end(self):
        # The same process after its first row and after 3,000,000: a sanitizer's overhead cancels out.
        proc = subprocess.Popen([MQNET, "split", "--csv", "2001:db8::/32", "128"], stdout=subprocess.PIPE)
        proc.stdout.readline()
        first = peak_kib(proc.pid)
        rows = 1
        while rows < 3_000_000:
            rows += proc.stdout.read(1 << 20).count(b"\n")
        self.assertLess(peak_kib(proc.pid) - first, 4096, "KiB more after 3,000,000 rows than after one")
        proc.kill()
        proc.wait()
        proc.stdout.close()
        # A line without end, as from /dev/zero: refused, and never held.
        proc = subprocess.Popen([MQNET, "summarize"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        block = bytes(1 << 20)
        proc.stdin.write(block)
        first = peak_kib(proc.pid)
        for _ in range(127):
            proc.stdin.write(block)
        self.assertLess(peak_kib(proc.pid) - first, 4096, "KiB more after 128 MiB of a line than after 1 MiB")
        out, err = proc.communicate(b"\n10.0.0.0/8\n")
        self.assertEqual((proc.returncode, out, err),
                         (2, b"10.0.0.0/8\n", b"mqnet: standard input line 1: the line is longer than 65536 bytes\n"))

    def test_plan_allocate_is_a_command_of_its_own(self):
        got = run("plan", "allocate", "--csv", "10.0.0.0/24", "-", stdin="a, 50\nb, 20, 10\nc, 300\nbad\n")
        self.assertEqual(got.returncode, 2)  # a bad line outranks a segment that did not fit
        rows = got.stdout.splitlines()
        self.assertTrue(rows[0].startswith("a,10.0.0.0/26,10.0.0.1,10.0.0.62"), rows)
        self.assertTrue(rows[1].startswith("b,10.0.0.64/27,"), rows)
        self.assertIn("line 4", got.stderr)
        self.assertIn("--help", run("plan").stderr + run("plan").stdout)
        self.assertIn("mqnet plan allocate", run("--help").stdout)


if __name__ == "__main__":
    unittest.main()
