#!/usr/bin/python3
"""Whole-process timings of mqnet's set commands and grep beside the tools an administrator
would pick instead (iprange, grepcidr, Python's netaddr), all in the same run. Each command
runs several times; the best wall-clock time and the best processor time (user + system)
are shown, since the machine may be shared. The tools are installed here when missing
(Debian packages iprange, grepcidr, python3-netaddr).
Usage: bench/net/sets_compare.py BUILD-FOLDER [RUNS]"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import peers  # noqa: E402

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
mqnet = os.path.join(build, "app/mqnet/mqnet")
work = tempfile.mkdtemp()


def install_tools():
    peers.install([("iprange", "/usr/bin/iprange"), ("grepcidr", "/usr/bin/grepcidr"),
                   ("python3-netaddr", "/usr/lib/python3/dist-packages/netaddr")])


def measure(argv, out=os.devnull, times=runs, ok=(0,)):
    return peers.measure(argv, times, out, ok)


def table(title, rows, base):
    print(f"\n{title}\n  {'command':64} {'wall s':>7} {'cpu s':>7} {'x wall':>7} {'x cpu':>7}")
    for name, (wall, cpu) in rows:
        print(f"  {name:64} {wall:7.3f} {cpu:7.3f} {wall / base[0]:7.2f} {cpu / base[1]:7.2f}")


def same_output(*argvs):
    outs = [subprocess.run(a, capture_output=True, text=True).stdout for a in argvs]
    return "same output" if all(o == outs[0] for o in outs) else "OUTPUTS DIFFER"


def write_prefixes(path, n, version, rng):
    with open(path, "w") as f:
        for _ in range(n):
            if version == 4:
                a = rng.getrandbits(32)
                f.write(f"{a >> 24}.{a >> 16 & 255}.{a >> 8 & 255}.{a & 255}/{rng.randint(16, 28)}\n")
            else:
                groups = [0x2001, 0xDB8] + [rng.getrandbits(16) for _ in range(6)]
                f.write(":".join(f"{g:x}" for g in groups) + f"/{rng.randint(48, 60)}\n")
    return path


install_tools()
rng = random.Random(19)
lists = {(v, n): write_prefixes(os.path.join(work, f"v{v}-{n}.txt"), n, v, rng)
         for v in (4, 6) for n in (10_000, 100_000, 1_000_000)}
a4, b4, a6, b6 = lists[4, 1_000_000], lists[4, 100_000], lists[6, 1_000_000], lists[6, 100_000]
netaddr_ops = os.path.join(work, "netaddr_ops.py")
with open(netaddr_ops, "w") as f:
    f.write("import sys, netaddr\n"
            "def load(p): return netaddr.IPSet(l.strip() for l in open(p) if l.strip())\n"
            "a = load(sys.argv[2])\n"
            "if sys.argv[1] == 'except': a = a - load(sys.argv[3])\n"
            "if sys.argv[1] == 'intersect': a = a & load(sys.argv[3])\n"
            "print('\\n'.join(map(str, a.iter_cidrs())))\n")
few = min(runs, 2)

# (1) to (3): set operations on 1,000,000 random IPv4 prefixes /16 to /28 and 100,000 more.
ops = (("union", [a4], ["iprange", a4]),
       ("except", [a4, b4], ["iprange", a4, "--except", b4]),
       ("intersect", [a4, b4], ["iprange", a4, "--common", b4]))
mq4 = {}
for op, files, iprange in ops:
    mq4[op] = measure([mqnet, "set", op, *files])
    rows = [(f"mqnet set {op} (1,000,000{' and 100,000' if len(files) > 1 else ''} IPv4 prefixes)", mq4[op]),
            (" ".join(os.path.basename(x) for x in iprange), measure(iprange))]
    if op == "union":
        rows.append(("mqnet summarize", measure([mqnet, "summarize", a4])))
    small = [lists[4, 100_000]] + ([lists[4, 10_000]] if len(files) > 1 else [])
    rows.append((f"python3 netaddr.IPSet {op}, a tenth of the lines",
                 measure(["/usr/bin/python3", netaddr_ops, op, *small], times=1)))
    check = same_output([mqnet, "set", op, *files], iprange)
    table(f"set {op}, IPv4 (ratios against mqnet; goal iprange >= 2.5x; mqnet and iprange: {check})", rows, rows[0][1])

# (4) the same for IPv6 lists of the same sizes (iprange knows IPv4 only).
rows = []
for op, files in (("union", [a6]), ("except", [a6, b6]), ("intersect", [a6, b6])):
    rows.append((f"mqnet set {op}, IPv6 (the IPv4 run is 1.00)", measure([mqnet, "set", op, *files])))
    rows.append((f"  against IPv4 {op}", mq4[op]))
print("\nset operations, IPv6 lists of the same sizes (goal: each within 1.5x of IPv4)")
for i in range(0, len(rows), 2):
    (name, six), (_, four) = rows[i], rows[i + 1]
    print(f"  {name:64} {six[0]:7.3f} {six[1]:7.3f} {six[0] / four[0]:7.2f} {six[1] / four[1]:7.2f}")

# (5) grep: 2,000,000 lines of a web server's log (one client address a line) against
# 10,000 prefixes.
log = os.path.join(work, "access.log")
with open(log, "w") as f:
    for i in range(2_000_000):
        a = rng.getrandbits(32)
        f.write(f"{a >> 24}.{a >> 16 & 255}.{a >> 8 & 255}.{a & 255} - - [09/Dec/2026:10:{i // 60 % 60:02d}:"
                f"{i % 60:02d} +0000] \"GET /static/app{i % 97}.js HTTP/1.1\" 200 {rng.randint(100, 99999)}\n")
patterns = lists[4, 10_000]
rows = [("grep -c of a string that never occurs (the reading floor)",
         measure(["grep", "-c", "never-in-the-log", log], ok=(1,))),
        ("mqnet grep -f PATTERNS log > /dev/null", measure([mqnet, "grep", "-f", patterns, log])),
        ("mqnet grep -c -f PATTERNS log", measure([mqnet, "grep", "-c", "-f", patterns, log])),
        ("grepcidr -f PATTERNS log > /dev/null", measure(["grepcidr", "-f", patterns, log], times=few)),
        ("grepcidr -c -f PATTERNS log", measure(["grepcidr", "-c", "-f", patterns, log], times=few))]
counts = [subprocess.run(a, capture_output=True, text=True).stdout.strip()
          for a in ([mqnet, "grep", "-c", "-f", patterns, log], ["grepcidr", "-c", "-f", patterns, log])]
table(f"grep, {os.path.getsize(log) / 1e6:.0f} MB (ratios against the reading floor; goal mqnet <= 0.25 s; "
      f"lines selected: mqnet {counts[0]}, grepcidr {counts[1]})", rows, rows[0][1])
shutil.rmtree(work)
