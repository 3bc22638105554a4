#!/usr/bin/python3
"""What mqnet may not change: an output that is one of the command's inputs, a read-only plan,
the blocks already in a plan that is allocated into, a plan edited by two commands at once,
a plan whose zone files could not be written. Usage: write_safety_test.py PATH-TO-MQNET"""
import atexit
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
WORK = tempfile.mkdtemp()
atexit.register(shutil.rmtree, WORK, True)
HOSTS = "pc1,10.40.0.10\n"


def run(*args, stdin=None):
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)


def ok(*args, stdin=None):
    r = run(*args, stdin=stdin)
    assert r.returncode == 0, (args, r.returncode, r.stderr)
    return r


def put(name, text):
    path = os.path.join(WORK, name)
    with open(path, "w") as f:
        f.write(text)
    return path


def read(path):
    with open(path) as f:
        return f.read()


def campus(name, *rules):
    """A plan of one /24 (staff) with a host and DNS settings, laid out by `rules`."""
    plan = os.path.join(WORK, name)
    ok("plan", "allocate", *rules, "-o", plan, "10.40.0.0/16", "-", stdin="staff, 200\n")
    ok("plan", "hosts", "import", "--format", "csv", plan, "-", stdin="name,ipv4\n" + HOSTS)
    ok("plan", "outputs", "--domain", "campus.example", "--name-server", "ns1.campus.example=10.40.0.5", plan)
    return plan


def subnets(plan):
    """name -> (gateway, ranges, kept) of each assigned block."""
    rows = csv.DictReader(io.StringIO(ok("plan", "export", "--format", "subnets", plan).stdout))
    return {r["name"]: (r["gateway"], r["ranges"], r["kept"]) for r in rows}


def state(path):
    st = os.stat(path)
    return st.st_ino, read(path)


class Refused(unittest.TestCase):
    def test_an_output_that_is_an_input_is_refused_and_both_stay(self):
        plan = campus("inputs.mqplan", "--gateway", "first")
        segs = put("segs.txt", "web, 10\n")
        names = put("list.txt", "10.0.0.0/24,web\n")
        hosts = put("hosts.txt", "10.40.0.11 pc2\n")
        link = os.path.join(WORK, "link.mqplan")
        os.symlink(plan, link)
        hard = os.path.join(WORK, "hard.mqplan")
        os.link(plan, hard)
        zones = os.path.join(WORK, "zones")
        os.mkdir(zones)
        os.link(plan, os.path.join(zones, "named.conf.zones"))  # one of the files plan dns writes
        cases = [
            (["plan", "dhcp", "--format", "kea4", "-o", plan], plan),
            (["plan", "export", "--format", "hosts", "-o", link], plan),  # the same file through a link
            (["plan", "export", "--format", "xlsx", "-o", hard], plan),  # ... and under another name
            (["plan", "show", "--xlsx", "-o", plan], plan),
            (["plan", "allocate", "-o", segs, "10.0.0.0/8"], segs),
            (["plan", "import", "--format", "list", "-o", names, "10.0.0.0/8"], names),
            (["plan", "hosts", "import", "--format", "hosts", "-o", hosts, plan], hosts),
            (["plan", "allocate", "--into", plan, "-o", segs], segs),
            (["plan", "dns", "-d", zones], plan),
        ]
        for args, source in cases:
            with self.subTest(args=args):
                before = [state(plan), state(source)]
                r = run(*args, source)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertRegex(r.stderr, r"(is an input|is the same file as the input|is the plan) ")
                self.assertEqual([state(plan), state(source)], before)
        # The plan written back to itself is what an edit is for, whatever -o calls it.
        ok("plan", "hosts", "import", "--format", "hosts", "-o", link, plan, hosts)
        self.assertIn("pc2", read(plan))

    def test_every_command_that_writes_a_plan_refuses_a_read_only_one(self):
        segs = put("more.txt", "lab, 20\n")
        hosts = put("more-hosts.txt", "10.40.0.12 pc3\n")
        cases = [
            ["plan", "hosts", "import", "--format", "hosts", "{plan}", hosts],
            ["plan", "allocate", "--into", "{plan}", segs],
            ["plan", "allocate", "--into", "{other}", "-o", "{plan}", segs],
            ["plan", "allocate", "-o", "{plan}", "10.0.0.0/8", segs],
            ["plan", "import", "--format", "list", "-o", "{plan}", "10.0.0.0/8", put("l.txt", "10.0.0.0/24\n")],
            ["plan", "outputs", "--ttl", "60", "{plan}"],
        ]
        other = campus("writable.mqplan")
        for n, args in enumerate(cases):
            with self.subTest(args=args):
                plan = campus(f"read-only{n}.mqplan")
                os.chmod(plan, 0o444)
                before = state(plan)
                r = run(*[a.format(plan=plan, other=other) for a in args])
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertIn(f"cannot write {plan}: it is read-only", r.stderr)
                self.assertEqual(state(plan), before)


class Kept(unittest.TestCase):
    def test_allocating_into_a_plan_keeps_the_layout_of_its_blocks(self):
        plan = campus("into.mqplan", "--gateway", "first", "--kept", "3")
        before = subnets(plan)
        ok("plan", "allocate", "--into", plan, "--gateway", "last", "--kept", "0", "--dhcp", "upper-half", "-",
           stdin="voice, 50\n")
        after = subnets(plan)
        self.assertEqual(after["staff"], before["staff"])
        self.assertEqual(after["voice"], ("10.40.1.62", "10.40.1.32-10.40.1.61", ""))
        self.assertIn("pc1", read(plan))
        ok("plan", "dhcp", "--format", "kea4", plan)  # the host is still outside any pool

    def test_zone_files_that_cannot_be_written_leave_the_plan_as_it_was(self):
        plan = campus("serials.mqplan", "--gateway", "first")
        folder = os.path.join(WORK, "blocked")
        os.mkdir(folder)
        os.mkdir(os.path.join(folder, "named.conf.zones"))  # a folder where a file must go
        before = state(plan)
        r = run("plan", "dns", "-d", folder, plan)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("the plan was left as it was", r.stderr)
        self.assertEqual(state(plan), before)
        ok("plan", "dns", "-d", os.path.join(WORK), plan)  # the serials are recorded once written
        self.assertNotEqual(read(plan), before[1])


def locks():
    """(pid, waiting) of each entry of /proc/locks: "1: FLOCK ADVISORY WRITE PID ..." held,
    "1: -> FLOCK ..." waited for."""
    with open("/proc/locks") as f:
        for line in f:
            fields = line.split()
            waiting = fields[1] == "->"
            yield int(fields[5 if waiting else 4]), waiting


def wait_until(proc, ready):
    """Until ready() or proc has ended: polled, so no outcome depends on the machine's speed."""
    while proc.poll() is None and not ready():
        time.sleep(0.01)


def reading_input(pid):
    with open(f"/proc/{pid}/wchan") as f:
        return "pipe" in f.read()


class Together(unittest.TestCase):
    def test_two_commands_on_one_plan_keep_both_changes(self):
        # A slow import from standard input holds the plan; a second edit made meanwhile
        # waits for it instead of being written over by it.
        hosts = put("late.txt", "10.40.0.21 pc21\n")
        seconds = [
            (["plan", "outputs", "--ttl", "77"], "77"),
            (["plan", "hosts", "import", "--format", "hosts", "{plan}", hosts], "pc21"),
        ]
        for n, (second, shows) in enumerate(seconds):
            with self.subTest(second=second):
                plan = campus(f"together{n}.mqplan")
                slow = subprocess.Popen([MQNET, "plan", "hosts", "import", "--format", "hosts", plan, "-"],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)
                wait_until(slow, lambda: reading_input(slow.pid))  # the plan is read
                args = [a.format(plan=plan) for a in second]
                other = subprocess.Popen([MQNET, *args] + ([] if "{plan}" in second else [plan]),
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                wait_until(other, lambda: (other.pid, True) in locks())
                slow.communicate("10.40.0.20 pc20\n")
                other.communicate()
                self.assertEqual((slow.returncode, other.returncode), (0, 0))
                text = read(plan)
                self.assertIn("pc20", text)
                self.assertIn(shows, text)


if __name__ == "__main__":
    unittest.main()
