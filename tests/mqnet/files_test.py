#!/usr/bin/python3
"""The files mqnet writes and reads whole, from outside: what -o writes onto (links, modes,
owners, what is not a file, a run that placed nothing), and reads that stay within the
memory a limit leaves (RLIMIT_AS), named instead of aborting.
Usage: files_test.py PATH-TO-MQNET"""
import atexit
import json
import os
import resource
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

MQNET = sys.argv.pop(1) if len(sys.argv) > 1 else "mqnet"
WORK = tempfile.mkdtemp()
atexit.register(shutil.rmtree, WORK, True)
LIST = "10.0.0.0/24,web\n"


def run(*args, stdin=None, limit=None):
    """mqnet with its address space limited to `limit` bytes when given."""
    def limited():
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, preexec_fn=limited if limit else None)


def path(name):
    return os.path.join(WORK, name)


def put(name, data):
    with open(path(name), "wb") as f:
        f.write(data)
    return path(name)


def sanitized():
    """AddressSanitizer maps terabytes of shadow memory: an address-space limit means nothing then."""
    with open(MQNET, "rb") as f:
        return b"libasan" in f.read()


class Output(unittest.TestCase):
    def test_what_is_not_a_file_is_refused_before_any_work(self):
        os.mkdir(path("folder"))
        os.mkfifo(path("fifo"))
        os.symlink("fifo", path("to-fifo"))
        targets = [("folder", "a folder"), ("fifo", "a pipe (FIFO)"), ("to-fifo", "a pipe (FIFO)")]
        try:  # a device of the test's own: /dev/full's numbers
            os.mknod(path("device"), 0o600 | stat.S_IFCHR, os.makedev(1, 7))
            targets.append(("device", "a character device"))
        except PermissionError:
            pass
        for name, kind in targets:
            before = os.stat(path(name))
            # The input does not exist: the output is refused first, with exit status 1.
            r = run("plan", "import", "--format", "list", "-o", path(name), "10.0.0.0/8", path("missing"))
            self.assertEqual(r.returncode, 1, (name, r.stderr))
            self.assertIn(b"cannot write " + path(name).encode(), r.stderr)
            self.assertIn(b": it is " + kind.encode() + b"\n", r.stderr, name)
            after = os.stat(path(name))
            self.assertEqual((stat.S_IFMT(after.st_mode), after.st_ino), (stat.S_IFMT(before.st_mode), before.st_ino), name)
        self.assertTrue(os.path.islink(path("to-fifo")))

    def test_links_are_written_through_and_the_old_mode_and_owner_kept(self):
        os.mkdir(path("real"))
        target = put("real/plan.mqplan", b"old\n")
        os.chmod(target, 0o600)
        owner = (os.getuid(), os.getgid())
        if os.geteuid() == 0:
            owner = (1234, 1235)
            os.chown(target, *owner)
        os.symlink("real/plan.mqplan", path("second"))  # relative to the link's folder
        os.symlink(path("second"), path("first"))
        os.symlink("real/new.mqplan", path("dangling"))
        for link, file in [("first", target), ("dangling", path("real/new.mqplan"))]:
            r = run("plan", "import", "--format", "list", "-o", path(link), "10.0.0.0/8", "-", stdin=LIST.encode())
            self.assertEqual((r.returncode, r.stderr), (0, b""), link)
            self.assertTrue(os.path.islink(path(link)), link)
            with open(file, "rb") as f:
                self.assertEqual(json.loads(f.read())["roots"], ["10.0.0.0/8"], link)
        self.assertTrue(os.path.islink(path("second")))
        st = os.stat(target)
        self.assertEqual((stat.S_IMODE(st.st_mode), st.st_uid, st.st_gid), (0o600,) + owner)
        self.assertEqual(sorted(os.listdir(path("real"))), ["new.mqplan", "plan.mqplan"], "a temporary file was left")

    def test_a_run_that_places_nothing_leaves_the_old_file(self):
        old = put("kept.mqplan", b"the plan of yesterday\n")
        cases = [(old, b"was left as it was"), (path("never.mqplan"), b"was not written")]
        for out, said in cases:
            r = run("plan", "import", "--format", "list", "-o", out, "10.0.0.0/8", "-",
                    stdin=b"192.168.0.0/24,outside\nnonsense\n")
            self.assertEqual(r.returncode, 2, r.stderr)
            self.assertTrue(r.stderr.endswith(b"mqnet: plan import: nothing was placed, so " + out.encode() + b" " +
                                              said + b"\n"), r.stderr)
        with open(old, "rb") as f:
            self.assertEqual(f.read(), b"the plan of yesterday\n")
        self.assertFalse(os.path.exists(path("never.mqplan")))


@unittest.skipIf(sanitized(), "an address-space limit does not apply under AddressSanitizer")
class Memory(unittest.TestCase):
    def test_whole_file_reads_stay_within_the_cap_and_name_a_shortage(self):
        # A regular file near the cap is read into one block of its size; an endless device
        # grows to the cap and no further; a document whose reading needs more than the limit
        # leaves is named.
        big = path("big.mqplan")
        with open(big, "wb") as f:
            f.truncate(400 << 20)
        doc = {"format": "maskquill-plan", "version": 2, "roots": ["10.0.0.0/8"],
               "segments": [{"name": "s", "hosts": "1"}] * 1_000_000,
               "blocks": [{"prefix": "10.0.0.0/8"}]}
        segments = put("segments.mqplan", json.dumps(doc).encode())
        cases = [
            ([big], 700 << 20, b"mqnet: plan show: " + big.encode() + b": $: line 1, column 1: "),
            (["/dev/zero"], 700 << 20, b"mqnet: plan show: /dev/zero is larger than 512 MiB\n"),
            ([segments], 150 << 20, b"mqnet: plan show: not enough memory to read " + segments.encode() + b"\n"),
        ]
        for args, limit, said in cases:
            r = run("plan", "show", *args, limit=limit)
            self.assertEqual(r.returncode, 2, (args, r.stderr))
            self.assertTrue(r.stderr.startswith(said), (args, r.stderr))
        self.assertEqual(run("plan", "show", segments, limit=700 << 20).returncode, 0)

    def test_a_list_to_import_is_read_a_line_at_a_time(self):
        # One line of 300 MB, then a prefix: the line reader refuses the first and places the
        # second, within a limit smaller than the line.
        with open(path("long.txt"), "wb") as f:
            f.truncate(300_000_000)
            f.seek(300_000_000)
            f.write(b"\n" + LIST.encode())
        r = run("plan", "import", "--format", "list", "10.0.0.0/8", path("long.txt"), limit=200 << 20)
        self.assertEqual(r.returncode, 2, r.stderr)
        self.assertEqual(r.stderr, b"mqnet: " + path("long.txt").encode() +
                         b" line 1: the line is longer than 65536 bytes\n")
        names = [b.get("name") for b in json.loads(r.stdout)["blocks"] if b.get("assigned")]
        self.assertEqual(names, ["web"])


if __name__ == "__main__":
    unittest.main()
