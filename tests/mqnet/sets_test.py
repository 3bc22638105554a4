#!/usr/bin/python3
"""mqnet set, overlaps, free and grep from outside, on random lists over small universes of
both families, checked against Python's ipaddress and sets of integers.
Usage: sets_test.py PATH-TO-MQNET"""
import ipaddress
import json
import os
import random
import shutil
import re
import resource
import select
import subprocess
import sys
import tempfile
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
with open(shutil.which(MQNET) or MQNET, "rb") as binary:  # AddressSanitizer's shadow memory ignores an address-space limit
    SANITIZED = b"libasan" in binary.read()
rng = random.Random(1919)
WORK = tempfile.mkdtemp()
# Universes at the bottom, in the middle and at the top of each family's space.
UNIVERSES = [(4, 0), (4, 0x0A000000), (4, 2**32 - 256), (6, 0x20010DB8 << 96), (6, 2**128 - 256)]


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def put(text):
    path = os.path.join(WORK, f"list{rng.getrandbits(40)}.txt")
    with open(path, "w", newline="") as f:
        f.write(text)
    return path


def address(version, value):
    return ipaddress.ip_address(value) if version == 6 else ipaddress.IPv4Address(value)


def random_list(universes, most=8):
    """Lines of items (ranges, prefixes, addresses, a comment, CR LF) and the values they hold."""
    lines, values, items = [], set(), []
    for _ in range(rng.randint(0, most)):
        version, base = rng.choice(universes)
        a = rng.randrange(256)
        b = min(255, a + rng.randrange(40))
        kind = rng.randrange(3)
        if kind == 0:
            size = 1 << rng.randrange(6)
            a &= ~(size - 1)
            b = a + size - 1
            bits = 32 if version == 4 else 128
            text = f"{address(version, base + a)}/{bits - size.bit_length() + 1}"
        elif kind == 1:
            text = f"{address(version, base + a)} - {address(version, base + b)}"
        else:
            b = a
            text = str(address(version, base + a))
        items.append((version, base + a, base + b, text))
        values |= {(version, base + v) for v in range(a, b + 1)}
        lines.append(text + rng.choice(["", "  # in use", "\r"]))
    return "".join(line + "\n" for line in lines), values, items


def prefixes_of(values):
    """What mqnet writes for a set: the fewest prefixes, IPv4 first, in address order."""
    out = []
    for version in (4, 6):
        addrs = sorted(address(version, v) for f, v in values if f == version)
        out += [str(n) for n in ipaddress.collapse_addresses(addrs)]
    return out


def ranges_of(values):
    out = []
    for version in (4, 6):
        vs = sorted(v for f, v in values if f == version)
        i = 0
        while i < len(vs):
            j = i
            while j + 1 < len(vs) and vs[j + 1] == vs[j] + 1:
                j += 1
            first, last = address(version, vs[i]), address(version, vs[j])
            out.append(str(first) if i == j else f"{first}-{last}")
            i = j + 1
    return out


class Sets(unittest.TestCase):
    def test_operations_match_sets_of_integers(self):
        for _ in range(60):
            universes = rng.sample(UNIVERSES, 2)
            (ta, a, _), (tb, b, _), (tc, c, _) = (random_list(universes) for _ in range(3))
            fa, fb, fc = put(ta), put(tb), put(tc)
            for op, files, want in (("union", [fa, fb, fc], a | b | c), ("intersect", [fa, fb, fc], a & b & c),
                                    ("except", [fa, fb, fc], a - b - c), ("diff", [fa, fb], a ^ b)):
                got = run("set", op, *files)
                self.assertEqual((got.returncode, got.stderr), (0, ""), op)
                self.assertEqual(got.stdout.splitlines(), prefixes_of(want), (op, ta, tb, tc))
            self.assertEqual(run("set", "union", "--ranges", fa, fb).stdout.splitlines(), ranges_of(a | b))
            self.assertEqual(run("set", "diff", fb, fa).stdout, run("set", "diff", fa, fb).stdout)

    def test_refused_lines_and_arguments(self):
        bad = put("10.0.0.0/24\n10.0.0.300\n\x1b[2J\n10.0.1.0/24\n")
        got = run("set", "union", bad)
        self.assertEqual((got.returncode, got.stdout), (2, "10.0.0.0/23\n"))
        self.assertIn(f"{bad} line 2: 10.0.0.300", got.stderr)
        self.assertIn(f"{bad} line 3: \\x1b[2J", got.stderr)
        for args in (["set"], ["set", "join", bad], ["set", "intersect", bad], ["set", "diff", bad, bad, bad],
                     ["set", "union", "-", "-"], ["set", "union", WORK]):
            got = run(*args, stdin="")
            self.assertEqual(got.returncode, 2, args)
            self.assertTrue(got.stderr.startswith("mqnet: "), args)


def relation(a, b):
    if (a[1], a[2]) == (b[1], b[2]):
        return "equal"
    if a[1] <= b[1] and b[2] <= a[2]:
        return "contains"
    if b[1] <= a[1] and a[2] <= b[2]:
        return "inside"
    return "overlaps"


def shares(a, b):
    return a[0] == b[0] and a[1] <= b[2] and b[1] <= a[2]


class Overlaps(unittest.TestCase):
    def test_every_pair_in_one_list_and_between_two(self):
        for _ in range(60):
            universes = rng.sample(UNIVERSES, 2)
            (ta, _, ia), (tb, _, ib) = random_list(universes, 12), random_list(universes, 12)
            if ia and rng.random() < 0.5:  # a duplicate and an item equal across the lists
                ta += ia[0][3] + "\n"
                ia.append(ia[0])
                tb += ia[0][3] + "\n"
                ib.append(ia[0])
            fa, fb = put(ta), put(tb)
            want = [f"{i + 1}:{x[3]} {relation(x, y)} {j + 1}:{y[3]}"
                    for i, x in enumerate(ia) for j, y in enumerate(ia) if j > i and shares(x, y)]
            got = run("overlaps", fa)
            self.assertEqual(got.stdout.splitlines(), want, ta)
            self.assertEqual(got.returncode, 4 if want else 0)
            pairs = [(i, j) for i, x in enumerate(ia) for j, y in enumerate(ib) if shares(x, y)]
            got = run("overlaps", fa, fb)
            self.assertEqual(got.stdout.splitlines(),
                             [f"{fa}:{i + 1}:{ia[i][3]} {relation(ia[i], ib[j])} {fb}:{j + 1}:{ib[j][3]}" for i, j in pairs])
            got = json.loads(run("overlaps", "--json", fa, fb).stdout)
            self.assertEqual(got, [{"a": {"file": fa, "line": i + 1, "item": ia[i][3]},
                                    "b": {"file": fb, "line": j + 1, "item": ib[j][3]},
                                    "relation": relation(ia[i], ib[j])} for i, j in pairs])

    @unittest.skipIf(SANITIZED, "an address-space limit does not apply under AddressSanitizer")
    def test_equal_lines_are_written_as_found_within_a_memory_limit(self):
        # 4,000 equal lines make 7,998,000 pairs, which held at once take more than the limit:
        # 64 MiB above what the shared libraries map (Qt Core's ICU data alone is 30 MB).
        libraries = subprocess.run(["ldd", MQNET], capture_output=True, text=True).stdout
        limit = (64 << 20) + sum(os.path.getsize(p) for p in re.findall(r"=> (/\S+)", libraries))

        def limited():
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        proc = subprocess.Popen([MQNET, "overlaps", put("10.0.0.0/24\n" * 4000)], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, preexec_fn=limited)
        first, lines = proc.stdout.readline(), 1
        while block := proc.stdout.read(1 << 20):
            lines += block.count(b"\n")
        err = proc.stderr.read()
        proc.wait()
        proc.stdout.close()
        proc.stderr.close()
        self.assertEqual((proc.returncode, err, first, lines), (4, b"", b"1:10.0.0.0/24 equal 2:10.0.0.0/24\n", 7998000))
        # The import names each equal line against the first (the first against the second).
        got = subprocess.run([MQNET, "plan", "import", "--format", "list", "10.0.0.0/8",
                              put("10.0.0.0/24\n" * 20000 + "10.1.0.0/16\n")], capture_output=True, text=True,
                             preexec_fn=limited)
        refused = got.stderr.splitlines()
        self.assertEqual((got.returncode, len(refused)), (2, 20000), got.stderr[-300:])
        self.assertTrue(refused[0].endswith(" line 1: 10.0.0.0/24: overlaps line 2 (10.0.0.0/24, equal); not placed"))
        self.assertTrue(refused[-1].endswith(" line 20000: 10.0.0.0/24: overlaps line 1 (10.0.0.0/24, equal); not placed"))
        self.assertIn('"10.1.0.0/16"', got.stdout)


class Free(unittest.TestCase):
    def test_free_space_first_block_and_counts(self):
        for _ in range(60):
            version, base = rng.choice(UNIVERSES)
            bits = 32 if version == 4 else 128
            host = rng.randrange(8)
            at = rng.randrange(256) & ~((1 << host) - 1)
            root = ipaddress.ip_network(f"{address(version, base + at)}/{bits - host}")
            text, used, items = random_list([(version, base)])
            inside = {v for f, v in used if int(root[0]) <= v <= int(root[-1])}
            free = {(version, v) for v in range(int(root[0]), int(root[-1]) + 1)} - {(version, v) for v in inside}
            outside = [i + 1 for i, x in enumerate(items) if x[2] < int(root[0]) or x[1] > int(root[-1])]
            path = put(text)
            got = run("free", str(root), path)
            self.assertEqual(got.stdout.splitlines(), prefixes_of(free), (str(root), text))
            self.assertEqual([int(line.split(" line ")[1].split(":")[0]) for line in got.stderr.splitlines()], outside)
            self.assertEqual(got.returncode, 2 if outside else 0)
            j = json.loads(run("free", "--json", str(root), path).stdout)
            self.assertEqual(j, {"root": str(root), "free": prefixes_of(free), "free_addresses": str(len(free)),
                                 "used_addresses": str(len(inside))})
            n = bits - rng.randrange(4)
            blocks = [b for b in root.subnets(new_prefix=n) if all((version, int(v)) in free for v in b)] \
                if n >= root.prefixlen else []
            got = run("free", "--first", str(n), str(root), path)
            self.assertEqual(got.stdout.splitlines(), [str(blocks[0])] if blocks else [])
            self.assertEqual(got.returncode, 2 if outside else 0 if blocks else 3)

    def test_items_outside_the_root_are_named(self):
        got = run("free", "10.0.0.0/24", "-", stdin="10.0.0.0/25\n10.0.1.0/24\n10.0.0.200-10.0.1.5\n::1\n")
        self.assertEqual((got.returncode, got.stdout), (2, "10.0.0.128/26\n10.0.0.192/29\n"))
        self.assertEqual([line.split(":")[1] for line in got.stderr.splitlines()], [" standard input line 2",
                                                                                   " standard input line 4"])
        self.assertEqual(run("free", "--first", "25", "10.0.0.0/24", "-", stdin="10.0.0.0/25\n10.0.0.200\n")
                         .returncode, 3)
        self.assertEqual(run("free", "--first", "33", "10.0.0.0/24", "-", stdin="").returncode, 2)


WORD = re.compile(r"[0-9A-Za-z_.:]+")


def addresses_in(line):
    """The addresses grep finds, by the rule mqnet's manual gives, with ipaddress as parser."""
    out = []
    for m in WORD.finditer(line):
        word = m.group().rstrip(".") or "."
        candidates = [word]
        if word.count(":") == 1 and word.split(":")[1].isdigit():
            candidates.append(word.split(":")[0])
        for c in candidates:
            if ":" in c and re.search("[g-zG-Z_]", c):
                continue
            try:
                out.append((c, ipaddress.ip_address(c)))
                break
            except ValueError:
                continue
    return out


class Grep(unittest.TestCase):
    def test_selected_lines_match_a_reference_filter(self):
        words = ["GET", "10:15:32", "v1.2.3.4", "1.2.3.4.5", "HTTP/1.1", "[{}]:443", "{}:22", "{}.", "ip={}/24",
                 "x{}", "{}y", "01.2.3.4", "::", "std::map", "{},{}"]
        for _ in range(20):
            universes = rng.sample(UNIVERSES, 3)
            patterns_text, values, _ = random_list(universes, 6)
            lines = []
            for _ in range(200):
                version, base = rng.choice(universes)
                parts = []
                for _ in range(rng.randint(0, 4)):
                    w = rng.choice(words)
                    parts.append(w.format(*[address(version, base + rng.randrange(256))] * w.count("{}")))
                lines.append(" ".join(parts))
            log = put("\n".join(lines) + "\n")
            pattern_file = put(patterns_text)

            def hit(found):
                return (found[1].version, int(found[1])) in values

            selected = [line for line in lines if any(hit(x) for x in addresses_in(line))]
            others = [line for line in lines if not any(hit(x) for x in addresses_in(line))]
            got = run("grep", "-f", pattern_file, log)
            self.assertEqual(got.stdout.splitlines(), selected, patterns_text)
            self.assertEqual(got.returncode, 0 if selected else 1)
            self.assertEqual(run("grep", "-v", "-f", pattern_file, log).stdout.splitlines(), others)
            self.assertEqual(run("grep", "-c", "-f", pattern_file, log).stdout, f"{len(selected)}\n")
            self.assertEqual(run("grep", "-o", "-f", pattern_file, log).stdout.splitlines(),
                             [c for line in lines for c, a in addresses_in(line) if hit((c, a))])
            one_arg = ", ".join(line.split("#")[0].strip() for line in patterns_text.splitlines())
            if one_arg.strip(", "):
                self.assertEqual(run("grep", one_arg.replace(" - ", "-"), log).stdout.splitlines(), selected)

    def test_exit_status_is_greps(self):
        self.assertEqual(run("grep", "10.0.0.0/8", stdin="a 10.1.2.3 b\n").returncode, 0)
        self.assertEqual(run("grep", "10.0.0.0/8", stdin="a 11.1.2.3 b\n").returncode, 1)
        for args in (["grep", "10.0.0.0/33"], ["grep", "10.0.0.0/8", WORK], ["grep", "-x", "10.0.0.0/8"],
                     ["grep", "-f", os.path.join(WORK, "missing")], ["grep"]):
            got = run(*args, stdin="10.1.2.3\n")
            self.assertEqual(got.returncode, 2, args)
            self.assertTrue(got.stderr.startswith("mqnet: grep: "), (args, got.stderr))
        # Lines beyond 65536 bytes, one cut by the end of a 1 MiB block and one that runs past
        # the next block's end, are named and skipped; the others are still read.
        log = ["a"] * 450000 + ["x" * 200000 + " 10.0.0.1", "10.0.0.2"]
        log += ["b"] * ((2090000 - len("\n".join(log))) // 2) + ["y" * 70000 + " 10.0.0.3", "10.0.0.4"]
        got = run("grep", "10.0.0.0/8", put("\n".join(log) + "\n"))
        self.assertEqual((got.returncode, got.stdout), (2, "10.0.0.2\n10.0.0.4\n"))
        self.assertEqual([line.split(" line ", 1)[1] for line in got.stderr.splitlines()],
                         [f"{n}: the line is longer than 65536 bytes" for n in (450001, len(log) - 1)])
        with open("/dev/full", "w") as sink:
            got = subprocess.run([MQNET, "grep", "10.0.0.0/8"], input="10.0.0.1\n", text=True, stdout=sink,
                                 stderr=subprocess.PIPE)
        self.assertEqual(got.returncode, 2)
        self.assertIn("No space left on device", got.stderr)

    def test_lines_at_every_block_boundary_and_the_line_limit(self):
        # A line of 65,535 to 65,537 bytes whose last byte before LF (its CR, with CR LF) lies
        # around the end of the first or second 1 MiB read block, or that ends the file.
        mib = 1 << 20
        for boundary in (mib, 2 * mib):
            for length in (65535, 65536, 65537):
                for ending in ("\n", "\r\n", "", "\r"):
                    for shift in range(-2, 3):
                        line = "10.0.0.1 " + "x" * (length - 9) + ("\r" if ending.startswith("\r") else "")
                        fill = boundary + shift - len(line)  # so the line's last byte before LF is there
                        text = ("b" * 999 + "\n") * (fill // 1000) + ("c" * (fill % 1000 - 1) + "\n" if fill % 1000 else "")
                        number = text.count("\n") + 1
                        after = "\n10.0.0.2\n" if ending.endswith("\n") else ""
                        text += line + after
                        case = (boundary, length, ending, shift)
                        with open(os.path.join(WORK, "edge.log"), "w", newline="") as f:
                            f.write(text)
                        got = subprocess.run([MQNET, "grep", "10.0.0.0/8", os.path.join(WORK, "edge.log")],
                                             capture_output=True)
                        kept = length <= 65536
                        want = (line + "\n" if kept else "") + after[1:]
                        self.assertEqual((got.returncode, got.stdout.decode(), got.stderr.decode()),
                                         (0 if kept else 2, want, "" if kept else
                                          f"mqnet: {WORK}/edge.log line {number}: the line is longer than 65536 bytes\n"),
                                         case)

    def test_an_address_cut_by_a_read_block_is_read_whole(self):
        # Each word cut by the end of a 1 MiB read block at every place, on a line ended by
        # LF or CR LF (one file, a case at each block's end) or by the file's end (a file a
        # case), with and without an IPv6 pattern.
        mib = 1 << 20
        cases = [(word, cut) for word in ("10.0.0.10", "::ffff:10.0.0.1", "fe80::1%eth0") for cut in range(len(word) + 1)]
        runs = [(ending, cases) for ending in ("\n", "\r\n")] + [("", [c]) for c in cases if c[0] == "::ffff:10.0.0.1"]
        for ending, block_cases in runs:
            text, lines = "", []
            for word, cut in block_cases:
                fill = (len(text) // mib + 1) * mib - len(text) - cut - 2  # the word starts cut bytes before a block's end
                text += ("b" * 999 + "\n") * (fill // 1000) + ("c" * (fill % 1000 - 1) + "\n" if fill % 1000 else "")
                lines += ["a " + word] + (["11.0.0.1", "10.0.0.1"] if ending else [])
                text += ending.join(lines[-3 if ending else -1:]) + ending
            for patterns in ("10.0.0.1/32", "10.0.0.1/32,fe80::1/128"):
                wanted = {ipaddress.ip_address(p.split("/")[0]) for p in patterns.split(",")}
                want = [line for line in lines if any(a in wanted for _, a in addresses_in(line))]
                got = run("grep", patterns, put(text))
                self.assertEqual(got.stdout.splitlines(), want, (ending, block_cases, patterns))

    def test_a_line_without_end_is_named_as_it_passes_the_limit(self):
        proc = subprocess.Popen([MQNET, "grep", "10.0.0.0/8"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        proc.stdin.write(b"10.0.0.1\n" + bytes(3 << 20))
        proc.stdin.flush()
        # Only a guard against waiting for ever: the message comes before the line ends.
        ready, _, _ = select.select([proc.stderr], [], [], 120)
        self.assertTrue(ready, "no message while the line goes on")
        self.assertEqual(proc.stderr.readline(), b"mqnet: standard input line 2: the line is longer than 65536 bytes\n")
        out, err = proc.communicate(b"\n10.0.0.2\n")
        self.assertEqual((proc.returncode, out, err), (2, b"10.0.0.1\n10.0.0.2\n", b""))


if __name__ == "__main__":
    unittest.main()
