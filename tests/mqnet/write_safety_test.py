#!/usr/bin/python3
"""What mqnet may not change: an output that is one of its inputs, a read-only plan, the blocks
already in a plan allocated into, a plan two commands edit at once, a plan whose zone files
could not be written. Usage: write_safety_test.py PATH-TO-MQNET"""
import atexit, csv, io, os, shutil, subprocess, sys, tempfile, time, unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
WORK = tempfile.mkdtemp()
atexit.register(shutil.rmtree, WORK, True)


def run(*args, stdin=None, code=0):
    r = subprocess.run([MQNET, *args], input=stdin, capture_output=True, text=True)
    assert code is None or r.returncode == code, (args, r.returncode, r.stderr)
    return r


def put(name, text):
    with open(os.path.join(WORK, name), "w") as f:
        f.write(text)
    return f.name


def state(path):
    with open(path) as f:
        return os.stat(path).st_ino, f.read()


def campus(name, *rules):
    """A /24 (staff) with a host and DNS settings, laid out by `rules`."""
    plan = os.path.join(WORK, name)
    run("plan", "allocate", *rules, "-o", plan, "10.40.0.0/16", "-", stdin="staff, 200\n")
    run("plan", "hosts", "import", "--format", "csv", plan, "-", stdin="name,ipv4\npc1,10.40.0.10\n")
    run("plan", "outputs", "--domain", "campus.example", "--name-server", "ns1.campus.example=10.40.0.5", plan)
    return plan


class Refused(unittest.TestCase):
    def test_an_output_that_is_an_input_is_refused_and_both_stay(self):
        plan, segs, names = campus("in.mqplan"), put("segs.txt", "web, 10\n"), put("list.txt", "10.0.0.0/24\n")
        hosts, link, hard, zones = put("hosts.txt", "10.40.0.11 pc2\n"), *(os.path.join(WORK, n) for n in "lhz")
        os.symlink(plan, link)
        os.link(plan, hard)
        os.mkdir(zones)
        os.link(plan, os.path.join(zones, "named.conf.zones"))  # one of the files plan dns writes
        cases = [(["plan", "dhcp", "--format", "kea4", "-o", plan], plan),
                 (["plan", "export", "--format", "hosts", "-o", link], plan),  # through a link
                 (["plan", "export", "--format", "xlsx", "-o", hard], plan),  # under another name
                 (["plan", "show", "--xlsx", "-o", plan], plan),
                 (["plan", "allocate", "-o", segs, "10.0.0.0/8"], segs),
                 (["plan", "import", "--format", "list", "-o", names, "10.0.0.0/8"], names),
                 (["plan", "hosts", "import", "--format", "hosts", "-o", hosts, plan], hosts),
                 (["plan", "allocate", "--into", plan, "-o", segs], segs),
                 (["plan", "dns", "-d", zones], plan)]
        for args, source in cases:
            with self.subTest(args=args):
                before = [state(plan), state(source)]
                r = run(*args, source, code=2)
                self.assertRegex(r.stderr, r"(is an input|is the same file as the input|is the plan) ")
                self.assertEqual([state(plan), state(source)], before)
        # The plan written back to itself is what an edit is for, whatever -o calls it.
        run("plan", "hosts", "import", "--format", "hosts", "-o", link, plan, hosts)
        self.assertIn("pc2", state(plan)[1])

    def test_every_command_that_writes_a_plan_refuses_a_read_only_one(self):
        segs, other, names = put("more.txt", "lab, 20\n"), campus("writable.mqplan"), put("l.txt", "10.0.0.0/24\n")
        cases = [["plan", "hosts", "import", "--format", "hosts", "{}", put("h.txt", "10.40.0.12 pc3\n")],
                 ["plan", "allocate", "--into", "{}", segs], ["plan", "allocate", "--into", other, "-o", "{}", segs],
                 ["plan", "allocate", "-o", "{}", "10.0.0.0/8", segs],
                 ["plan", "import", "--format", "list", "-o", "{}", "10.0.0.0/8", names],
                 ["plan", "outputs", "--ttl", "60", "{}"]]
        for n, args in enumerate(cases):
            with self.subTest(args=args):
                plan = campus(f"read-only{n}.mqplan")
                os.chmod(plan, 0o444)
                before = state(plan)
                r = run(*[a.format(plan) for a in args], code=1)
                self.assertIn(f"cannot write {plan}: it is read-only", r.stderr)
                self.assertEqual(state(plan), before)


def subnets(plan):
    rows = csv.DictReader(io.StringIO(run("plan", "export", "--format", "subnets", plan).stdout))
    return {r["name"]: (r["gateway"], r["ranges"], r["kept"]) for r in rows}


class Kept(unittest.TestCase):
    def test_allocating_into_a_plan_keeps_the_layout_of_its_blocks(self):
        plan = campus("into.mqplan", "--gateway", "first", "--kept", "3")
        before = subnets(plan)
        run("plan", "allocate", "--into", plan, "--gateway", "last", "--kept", "0", "--dhcp", "upper-half", "-",
            stdin="voice, 50\n")
        self.assertEqual(subnets(plan), {**before, "voice": ("10.40.1.62", "10.40.1.32-10.40.1.61", "")})
        run("plan", "dhcp", "--format", "kea4", plan)  # the host is still outside any pool

    def test_zone_files_that_cannot_be_written_leave_the_plan_as_it_was(self):
        plan, folder = campus("serials.mqplan"), os.path.join(WORK, "blocked")
        os.makedirs(os.path.join(folder, "named.conf.zones"))  # a folder where a file must go
        before = state(plan)
        self.assertIn("the plan was left as it was", run("plan", "dns", "-d", folder, plan, code=1).stderr)
        self.assertEqual(state(plan), before)
        run("plan", "dns", "-d", WORK, plan)  # the serials are recorded once the files are written
        self.assertNotEqual(state(plan), before)


def waits_for_lock(pid):
    """An entry "1: -> FLOCK ADVISORY WRITE PID ..." of /proc/locks."""
    with open("/proc/locks") as f:
        return any(line.split()[1:2] == ["->"] and line.split()[5] == str(pid) for line in f)


def wait_until(proc, ready):
    """Polled until ready or proc has ended: no outcome depends on the machine's speed."""
    while proc.poll() is None and not ready():
        time.sleep(0.01)


class Together(unittest.TestCase):
    def test_an_edit_made_during_a_slow_import_waits_and_both_stay(self):
        late = put("late.txt", "10.40.0.21 pc21\n")
        for n, (second, shows) in enumerate([(["plan", "outputs", "--ttl", "77"], "77"),
                                             (["plan", "hosts", "import", "--format", "hosts"], "pc21")]):
            with self.subTest(second=second):
                plan = campus(f"together{n}.mqplan")
                pipe = dict(stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                slow = subprocess.Popen([MQNET, "plan", "hosts", "import", "--format", "hosts", plan, "-"],
                                        stdin=subprocess.PIPE, **pipe)
                wchan = f"/proc/{slow.pid}/wchan"
                wait_until(slow, lambda: "pipe" in state(wchan)[1])  # the plan read, standard input next
                other = subprocess.Popen([MQNET, *second, plan] + ([late] if n else []), **pipe)
                wait_until(other, lambda: waits_for_lock(other.pid))
                slow.communicate("10.40.0.20 pc20\n")
                other.communicate()
                self.assertEqual((slow.returncode, other.returncode), (0, 0))
                self.assertIn("pc20", state(plan)[1])
                self.assertIn(shows, state(plan)[1])


if __name__ == "__main__":
    unittest.main()
