#!/usr/bin/python3
"""Peak memory and time of `mqnet plan show` on a plan of 1,000,001 blocks (about 60 MB,
written compactly: 934,464 assigned and named /28s in 58,404 split /24s, the other /24s
free), beside the baselines of the same run: the document's own size, and cat reading it.
Each command runs several times; the lowest peak (max RSS) and the best wall-clock and
processor times are shown, since the machine may be shared. Goal: the table <= 300 MB.
Usage: bench/plan/show_compare.py BUILD-FOLDER [RUNS]"""
import os
import shutil
import sys
import tempfile
import time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
mqnet = os.path.join(build, "app/mqnet/mqnet")
work = tempfile.mkdtemp()


def measure(argv, times=runs):
    wall = cpu = peak = float("inf")
    for _ in range(times):
        start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
            os.execvp(argv[0], argv)
        _, status, usage = os.wait4(pid, 0)
        wall = min(wall, time.perf_counter() - start)
        cpu = min(cpu, usage.ru_utime + usage.ru_stime)
        peak = min(peak, usage.ru_maxrss / 1024)  # KiB on Linux
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{' '.join(argv)} failed")
    return wall, cpu, peak


def write_plan(path):
    split = 58404  # 1 + 65,536 + 58,404 x 16 = 1,000,001 blocks
    with open(path, "w") as f:
        f.write('{"format": "maskquill-plan", "version": 2, "roots": ["10.0.0.0/8"],\n "blocks": [\n')
        f.write('{"prefix": "10.0.0.0/8","parts":65536},\n')
        n = 0
        for i in range(65536):
            a, b = i >> 8, i & 255
            if i < split:
                f.write(f'{{"prefix":"10.{a}.{b}.0/24","parts":16}},\n')
                for j in range(16):
                    n += 1
                    f.write(f'{{"prefix":"10.{a}.{b}.{j * 16}/28","name":"n{n}","assigned":true}},\n')
            else:
                f.write(f'{{"prefix":"10.{a}.{b}.0/24"}}' + (",\n" if i < 65535 else "\n"))
        f.write("]}\n")


plan = os.path.join(work, "million.mqplan")
write_plan(plan)
size = os.path.getsize(plan) / (1 << 20)
rows = [("cat PLAN > /dev/null (reading floor)", measure(["cat", plan])),
        ("mqnet plan show PLAN (goal <= 300 MB)", measure([mqnet, "plan", "show", plan])),
        ("mqnet plan show --csv PLAN", measure([mqnet, "plan", "show", "--csv", plan])),
        ("mqnet plan show --json PLAN", measure([mqnet, "plan", "show", "--json", plan]))]
print(f"\nplan show, 1,000,001 blocks, {size:.0f} MiB (peak in MiB; x doc: peak against the document's size; "
      f"x wall: against cat)")
print(f"  {'command':44} {'wall s':>7} {'cpu s':>7} {'peak MiB':>9} {'x doc':>6} {'x wall':>7}")
for name, (wall, cpu, peak) in rows:
    print(f"  {name:44} {wall:7.2f} {cpu:7.2f} {peak:9.0f} {peak / size:6.2f} {wall / rows[0][1][0]:7.1f}")
shutil.rmtree(work)
