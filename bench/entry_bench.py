#!/usr/bin/env python3
"""Measures whole velkor runs on tmpfs, output redirected to a file, against baselines
measured in the same run:
  (a) rename and tag 100,000 files, against the system-call floor (syscall_floor);
  (b) tag 10,000 files, against the floor without the rename and against id3tool
      (one process over all files, all seven fields).
Reports time per entry, system calls per entry (strace -c), peak memory and ratios.
Usage: entry_bench.py VELKOR SYSCALL_FLOOR [--rename-count N] [--tag-count N] [--repeat N]
"""
import argparse
import os
import shutil
import subprocess
import tempfile
import time

AUDIO = b"\xff\xfb\x90\x64" + bytes(2000)


def make_files(folder, count):
    for i in range(count):
        with open(os.path.join(folder, "src-%06d.mp3" % i), "wb") as f:
            f.write(AUDIO)


def write_job(folder, count, rename):
    with open(os.path.join(folder, "job.xml"), "w", encoding="utf-8") as job:
        job.write('<?xml version="1.0" encoding="UTF-8"?>\n<album title="Benchmark Album" artist="Bench Band" year="2026">\n')
        for i in range(count):
            new = ' newName="dst-%06d.mp3"' % i if rename else ""
            job.write('  <file oldName="src-%06d.mp3"%s track="%d" title="Track number %d" artist="Bench Band" '
                      'album="Benchmark Album" genre="%d" year="2026" comment="benchmark run"/>\n'
                      % (i, new, i % 99 + 1, i, i % 148))
        job.write("</album>\n")


def run(command, cwd):
    """Runs once with output to a file; returns (seconds, peak RSS in KiB).
    GNU time reports the peak of the program alone (ours would include the fork of Python)."""
    peak_file = os.path.join(cwd, "peak.txt")
    with open(os.path.join(cwd, "report.txt"), "wb") as out:
        start = time.perf_counter()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", peak_file] + command, cwd=cwd, stdout=out,
                                 stderr=subprocess.STDOUT, env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"})
        seconds = time.perf_counter() - start
    if status != 0:
        raise SystemExit("failed: %s" % " ".join(command[:3]))
    with open(peak_file) as f:
        return seconds, int(f.read().split()[-1])


def measure(name, command, count, rename, repeat, root):
    """Best time of `repeat` runs, each on fresh files."""
    best, rss = None, 0
    for _ in range(repeat):
        folder = tempfile.mkdtemp(dir=root)
        make_files(folder, count)
        write_job(folder, count, rename)
        seconds, peak = run(command(count), folder)
        shutil.rmtree(folder)
        best = seconds if best is None else min(best, seconds)
        rss = max(rss, peak)
    print("  %-34s %8.2f us/entry   peak %6.1f MiB" % (name, best / count * 1e6, rss / 1024), flush=True)
    return best


def syscalls(command, count, rename, root):
    """System calls of one run, counted by strace."""
    folder = tempfile.mkdtemp(dir=root)
    make_files(folder, count)
    write_job(folder, count, rename)
    summary = os.path.join(folder, "strace.txt")
    run(["/usr/bin/strace", "-f", "-c", "-o", summary] + command(count), folder)
    total = 0
    with open(summary) as f:
        for line in f:
            fields = line.split()
            if fields and fields[-1] == "total":
                total = int(fields[3])
    shutil.rmtree(folder)
    return total


def per_entry_syscalls(name, command, rename, root):
    """Calls per entry, from the difference of two run sizes (start-up cancels out)."""
    small, large = syscalls(command, 1000, rename, root), syscalls(command, 2000, rename, root)
    value = (large - small) / 1000
    print("  %-34s %8.2f system calls/entry" % (name, value), flush=True)
    return value


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("velkor")
    parser.add_argument("floor")
    parser.add_argument("--rename-count", type=int, default=100000)
    parser.add_argument("--tag-count", type=int, default=10000)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    args.velkor, args.floor = os.path.abspath(args.velkor), os.path.abspath(args.floor)
    root = tempfile.mkdtemp(prefix="velkor-bench-", dir="/dev/shm")
    velkor = lambda count: [args.velkor, "job.xml"]
    try:
        n = args.rename_count
        print("(a) rename and tag, %d files on tmpfs" % n)
        floor_a = measure("system-call floor", lambda count: [args.floor, "rename-tag", str(count)], n, True, args.repeat, root)
        velkor_a = measure("velkor", velkor, n, True, args.repeat, root)
        print("  velkor / floor = %.2f (goal: at most 1.3)" % (velkor_a / floor_a))

        n = args.tag_count
        print("(b) tag only, %d files on tmpfs" % n)
        floor_b = measure("system-call floor", lambda count: [args.floor, "tag", str(count)], n, False, args.repeat, root)
        velkor_b = measure("velkor", velkor, n, False, args.repeat, root)
        id3tool = shutil.which("id3tool")
        if id3tool:
            id3tool_command = lambda count: [id3tool, "-t", "Track title", "-r", "Bench Band", "-a", "Benchmark Album",
                                             "-y", "2026", "-n", "benchmark run", "-c", "7", "-g", "17"] + \
                                            ["src-%06d.mp3" % i for i in range(count)]
            peer = measure("id3tool (one process)", id3tool_command, n, False, args.repeat, root)
        print("  velkor / floor = %.2f" % (velkor_b / floor_b))
        if id3tool:
            print("  velkor / id3tool = %.2f (goal: below 1)" % (velkor_b / peer))

        if shutil.which("strace"):
            print("system calls per entry (marginal, from 1,000 and 2,000 entries)")
            per_entry_syscalls("floor, rename and tag", lambda count: [args.floor, "rename-tag", str(count)], True, root)
            per_entry_syscalls("velkor, rename and tag", velkor, True, root)
            per_entry_syscalls("floor, tag only", lambda count: [args.floor, "tag", str(count)], False, root)
            per_entry_syscalls("velkor, tag only", velkor, False, root)
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
