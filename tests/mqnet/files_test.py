#!/usr/bin/python3
"""What mqnet's -o writes onto (links, modes, owners, what is not a file, a run that placed
nothing), and whole-file reads within an address-space limit (RLIMIT_AS), a shortage named
instead of an abort. Usage: files_test.py PATH-TO-MQNET"""
import atexit
import json
import os
import re
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
with open(MQNET, "rb") as binary:  # AddressSanitizer's shadow memory ignores an address-space limit
    SANITIZED = b"libasan" in binary.read()


def run(*args, stdin=b"10.0.0.0/24,web\n", limit=None):
    limited = (lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit))) if limit else None
    return subprocess.run([MQNET, *args], input=stdin, capture_output=True, preexec_fn=limited)


def to(out, source="-", **kw):
    return run("plan", "import", "--format", "list", "-o", out, "10.0.0.0/8", source, **kw)


def path(name, size=None, data=b""):
    """The file's path; when size is given, a sparse file of that many zero bytes and data."""
    name = os.path.join(WORK, name)
    if size is not None:
        with open(name, "wb") as f:
            f.truncate(size)
            f.seek(size)
            f.write(data)
    return name


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
            r = to(path(name), path("missing"))  # refused before the input is opened
            self.assertEqual(r.returncode, 1, (name, r.stderr))
            said = f"^mqnet: plan import: cannot write {re.escape(path(name))}.*: it is {re.escape(kind)}\n$"
            self.assertRegex(r.stderr.decode(), said)
            self.assertEqual(os.stat(path(name))[:2], before[:2], name)  # mode and inode
        self.assertTrue(os.path.islink(path("to-fifo")))

    def test_links_are_written_through_and_the_old_mode_and_owner_kept(self):
        os.mkdir(path("real"))
        target = path("real/plan.mqplan", 0, b"old\n")
        os.chmod(target, 0o600)
        owner = (1234, 1235) if os.geteuid() == 0 else (os.getuid(), os.getgid())
        os.chown(target, *owner)
        os.symlink("real/plan.mqplan", path("second"))  # relative to the link's folder
        os.symlink(path("second"), path("first"))
        os.symlink("real/new.mqplan", path("dangling"))
        for link, file in [("first", target), ("dangling", path("real/new.mqplan"))]:
            r = to(path(link))
            self.assertEqual((r.returncode, r.stderr), (0, b""), link)
            self.assertTrue(os.path.islink(path(link)), link)
            with open(file, "rb") as f:
                self.assertEqual(json.loads(f.read())["roots"], ["10.0.0.0/8"], link)
        self.assertTrue(os.path.islink(path("second")))
        st = os.stat(target)
        self.assertEqual((stat.S_IMODE(st.st_mode), st.st_uid, st.st_gid), (0o600,) + owner)
        self.assertEqual(sorted(os.listdir(path("real"))), ["new.mqplan", "plan.mqplan"], "a temporary file was left")

    def test_a_run_that_places_nothing_leaves_the_old_file(self):
        old = path("kept.mqplan", 0, b"the plan of yesterday\n")
        for out, said in [(old, b"was left as it was"), (path("never.mqplan"), b"was not written")]:
            r = to(out, stdin=b"192.168.0.0/24,outside\nnonsense\n")
            self.assertEqual(r.returncode, 2, r.stderr)
            self.assertTrue(r.stderr.endswith(b"plan import: nothing was placed, so %s %s\n" % (out.encode(), said)))
        with open(old, "rb") as f:
            self.assertEqual(f.read(), b"the plan of yesterday\n")
        self.assertFalse(os.path.exists(path("never.mqplan")))


@unittest.skipIf(SANITIZED, "an address-space limit does not apply under AddressSanitizer")
class Memory(unittest.TestCase):
    def test_whole_file_reads_stay_within_the_cap_and_name_a_shortage(self):
        # A regular file near the cap takes one block of its size; an endless device grows to
        # the cap and no further; a document that needs more than the limit leaves is named.
        big = path("big.mqplan", 400 << 20)
        doc = {"format": "maskquill-plan", "version": 2, "roots": ["10.0.0.0/8"],
               "segments": [{"name": "s", "hosts": "1"}] * 1_000_000, "blocks": [{"prefix": "10.0.0.0/8"}]}
        segments = path("segments.mqplan", 0, json.dumps(doc).encode())
        for file, limit, said in [(big, 700, b"%s: $: line 1, column 1: " % big.encode()),
                                  ("/dev/zero", 700, b"/dev/zero is larger than 512 MiB\n"),
                                  (segments, 150, b"not enough memory to read %s\n" % segments.encode())]:
            r = run("plan", "show", file, limit=limit << 20)
            self.assertEqual(r.returncode, 2, (file, r.stderr))
            self.assertTrue(r.stderr.startswith(b"mqnet: plan show: " + said), (file, r.stderr))
        self.assertEqual(run("plan", "show", segments, limit=700 << 20).returncode, 0)

    def test_a_list_to_import_is_read_a_line_at_a_time(self):
        # One line of 300 MB, then a prefix, within a limit smaller than the line.
        long = path("long.txt", 300_000_000, b"\n10.0.0.0/24,web\n")
        r = run("plan", "import", "--format", "list", "10.0.0.0/8", long, limit=200 << 20)
        self.assertEqual((r.returncode, r.stderr), (2, b"mqnet: %s line 1: the line is longer than 65536 bytes\n"
                                                    % long.encode()))
        self.assertEqual([b.get("name") for b in json.loads(r.stdout)["blocks"] if b.get("assigned")], ["web"])


if __name__ == "__main__":
    unittest.main()
