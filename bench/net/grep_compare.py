#!/usr/bin/python3
"""mqnet grep beside grepcidr and the reading floor (grep -c of a string that never occurs),
all on the same log in the same run: 2,000,000 lines of a web server's log (180 MB, one
client address a line) against 10,000 random IPv4 prefixes, and the same with one IPv6
prefix among them (which makes mqnet look at IPv6 words too). Each command runs several
times; the best wall-clock time and the best processor time (user + system) are shown, since
the machine may be shared, with ratios against the floor and against grepcidr. grepcidr is
installed here when missing (Debian package grepcidr).
Usage: bench/net/grep_compare.py BUILD-FOLDER [RUNS]"""
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

peers.install([("grepcidr", "/usr/bin/grepcidr")])


def measure(argv, out=os.devnull, ok=(0, 1)):
    return peers.measure(argv, runs, out, ok)


def output(argv):
    return subprocess.run(argv, capture_output=True).stdout


rng = random.Random(19)
patterns = os.path.join(work, "prefixes.txt")
with open(patterns, "w") as f:
    for _ in range(10_000):
        a = rng.getrandbits(32)
        f.write(f"{a >> 24}.{a >> 16 & 255}.{a >> 8 & 255}.{a & 255}/{rng.randint(16, 28)}\n")
both = os.path.join(work, "prefixes-and-v6.txt")
with open(both, "w") as f:
    f.write(open(patterns).read() + "2001:db8::/32\n")
log = os.path.join(work, "access.log")
with open(log, "w") as f:
    for i in range(2_000_000):
        a = rng.getrandbits(32)
        f.write(f"{a >> 24}.{a >> 16 & 255}.{a >> 8 & 255}.{a & 255} - - [09/Dec/2026:10:{i // 60 % 60:02d}:"
                f"{i % 60:02d} +0000] \"GET /static/app{i % 97}.js HTTP/1.1\" 200 {rng.randint(100, 99999)}\n")

rows = [("grep -c of a string that never occurs (the floor)", measure(["grep", "-c", "never-in-the-log", log])),
        ("mqnet grep -c -f PREFIXES", measure([mqnet, "grep", "-c", "-f", patterns, log])),
        ("grepcidr -c -f PREFIXES", measure(["grepcidr", "-c", "-f", patterns, log])),
        ("mqnet grep -f PREFIXES > /dev/null", measure([mqnet, "grep", "-f", patterns, log])),
        ("grepcidr -f PREFIXES > /dev/null", measure(["grepcidr", "-f", patterns, log])),
        ("mqnet grep -c -f PREFIXES-AND-AN-IPV6-ONE", measure([mqnet, "grep", "-c", "-f", both, log]))]
floor, peer = rows[0][1], rows[2][1]
counts = {name: output(argv).strip().decode() for name, argv in
          (("mqnet", [mqnet, "grep", "-c", "-f", patterns, log]), ("grepcidr", ["grepcidr", "-c", "-f", patterns, log]))}
same = output([mqnet, "grep", "-f", patterns, log]) == output(["grepcidr", "-f", patterns, log])
print(f"grep, {os.path.getsize(log) / 1e6:.0f} MB, best of {runs}; lines selected: mqnet {counts['mqnet']}, "
      f"grepcidr {counts['grepcidr']}; {'same lines' if same else 'LINES DIFFER'} (goal: mqnet -c <= 5x the floor)")
print(f"  {'command':52} {'wall s':>7} {'cpu s':>7} {'x floor':>8} {'x floor':>8} {'x grepcidr':>11}")
print(f"  {'':52} {'':>7} {'':>7} {'(wall)':>8} {'(cpu)':>8} {'(wall)':>11}")
for name, (wall, cpu) in rows:
    print(f"  {name:52} {wall:7.3f} {cpu:7.3f} {wall / floor[0]:8.2f} {cpu / max(floor[1], 1e-3):8.2f} "
          f"{wall / peer[0]:11.2f}")
shutil.rmtree(work)
