"""What the comparison scripts share: installing the peers they time against (Debian
packages, only when missing) and timing a whole process, best of several runs."""
import os
import subprocess
import sys
import time


def install(packages):
    """packages: (Debian package, a path that exists once it is installed) pairs."""
    missing = [p for p, probe in packages if not os.path.exists(probe)]
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing, check=True, env=env)


def measure(argv, times, out=os.devnull, ok=(0,), stdin=None, err=None):
    """The best wall-clock and the best processor time (user + system) of `times` runs, since
    the machine may be shared; standard output goes to `out`, standard error to `err` when
    given, and `stdin` is read when given."""
    wall = cpu = float("inf")
    for _ in range(times):
        start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            os.dup2(os.open(out, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644), 1)
            if stdin:
                os.dup2(os.open(stdin, os.O_RDONLY), 0)
            if err:
                os.dup2(os.open(err, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644), 2)
            os.execvp(argv[0], argv)
        _, status, usage = os.wait4(pid, 0)
        wall = min(wall, time.perf_counter() - start)
        cpu = min(cpu, usage.ru_utime + usage.ru_stime)
        if os.waitstatus_to_exitcode(status) not in ok:
            sys.exit(f"{' '.join(argv)} failed")
    return wall, cpu
