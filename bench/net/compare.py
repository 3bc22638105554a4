#!/usr/bin/python3
"""Whole-process timings of mqnet against the bare formatting loop, sipcalc and ipcalc-ng
(when installed) and Python's ipaddress, all in the same run. Each command runs several
times; the best wall-clock time and the best processor time (user + system) are shown,
since the machine may be shared.
Usage: bench/net/compare.py BUILD-FOLDER [RUNS]"""
import ipaddress
import os
import random
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import peers  # noqa: E402

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
mqnet = os.path.join(build, "app/mqnet/mqnet")
bare = os.path.join(build, "bench/net/bare_split_loop")
work = tempfile.mkdtemp()


def measure(argv, out=os.devnull, stdin=None, times=runs, err=None, status_ok=0):
    return peers.measure(argv, times, out, (status_ok,), stdin, err)


def table(title, rows, base):
    print(f"\n{title}\n  {'command':58} {'wall s':>8} {'cpu s':>8} {'x wall':>7} {'x cpu':>7}")
    for name, (wall, cpu) in rows:
        print(f"  {name:58} {wall:8.3f} {cpu:8.3f} {wall / base[0]:7.2f} {cpu / base[1]:7.2f}")


# (1) 4,194,304 rows of 10.0.0.0/8 at /30.
listing = os.path.join(work, "rows.csv")
rows = [("bare formatting loop > /dev/null", measure([bare])),
        ("mqnet split --csv 10.0.0.0/8 30 > /dev/null", measure([mqnet, "split", "--csv", "10.0.0.0/8", "30"])),
        ("bare formatting loop > file", measure([bare], out=listing)),
        ("mqnet split --csv 10.0.0.0/8 30 > file",
         measure([mqnet, "split", "--csv", "10.0.0.0/8", "30"], out=listing))]
for tool, argv in (("sipcalc", ["sipcalc", "-s", "30", "10.0.0.0/8"]),
                   ("ipcalc-ng", ["ipcalc-ng", "--no-decorate", "-S", "30", "10.0.0.0/8"])):
    if shutil.which(tool):
        rows.append((" ".join(argv) + " > /dev/null", measure(argv, times=min(runs, 3))))
table("split: 4,194,304 rows (ratios against the bare loop to /dev/null; goal mqnet <= 1.5x)", rows, rows[0][1])

# (2) summaries of random IPv4 prefixes /16 to /28.
rng = random.Random(1)
lists = {}
for n in (100_000, 1_000_000):
    path = os.path.join(work, f"prefixes-{n}.txt")
    with open(path, "w") as f:
        for _ in range(n):
            a = rng.getrandbits(32)
            f.write(f"{a >> 24}.{a >> 16 & 255}.{a >> 8 & 255}.{a & 255}/{rng.randint(16, 28)}\n")
    lists[n] = path
collapse = os.path.join(work, "collapse.py")
with open(collapse, "w") as f:
    f.write("import ipaddress, sys\n"
            "nets = [ipaddress.ip_network(l.strip(), strict=False) for l in open(sys.argv[1])]\n"
            "print('\\n'.join(map(str, ipaddress.collapse_addresses(nets))))\n")
rows = [("mqnet summarize 100,000 prefixes", measure([mqnet, "summarize", lists[100_000]])),
        ("python3 ipaddress.collapse_addresses 100,000 prefixes",
         measure(["/usr/bin/python3", collapse, lists[100_000]], times=min(runs, 2))),
        ("mqnet summarize 1,000,000 prefixes (goal <= 0.3 s)", measure([mqnet, "summarize", lists[1_000_000]]))]
table("summarize (ratios against mqnet on 100,000)", rows, rows[0][1])

# (3) seeking in 2^96 rows: the last 1,000 rows against the first 1,000.
last = (1 << 96) - 1000
rows = [("mqnet split 2001:db8::/32 128 --count 1000 (rows 0..999)",
         measure([mqnet, "split", "--csv", "2001:db8::/32", "128", "--count", "1000"])),
        ("... --from 2^96-1000 --count 1000 (the last rows)",
         measure([mqnet, "split", "--csv", "2001:db8::/32", "128", "--from", str(last), "--count", "1000"]))]
table("split --from: constant time (ratio against the first rows)", rows, rows[0][1])

# (4) a list of 1,000,000 refused lines: each is one line on standard error, written buffered.
refused = os.path.join(work, "refused.txt")
with open(refused, "w") as f:
    f.write("10.0.0.0/8\n" + "not an address\n" * 1_000_000)
faults = os.path.join(work, "faults.txt")
rows = [("mqnet summarize 1,000,000 prefixes", measure([mqnet, "summarize", lists[1_000_000]])),
        ("mqnet summarize 1,000,000 refused lines 2> file (goal <= 1 s)",
         measure([mqnet, "summarize", refused], err=faults, status_ok=2))]
table("refused lines (ratio against 1,000,000 prefixes read)", rows, rows[0][1])
shutil.rmtree(work)
