#!/usr/bin/env python3
"""Measures whole velkor runs on tmpfs, output redirected to a file, against two C
baselines run in the same rounds (syscall_floor):
  bare        the least a renamer and tagger must do per file;
  same-calls  exactly the system calls velkor makes, without its other work;
and, for tag-only jobs of at most 10,000 files, against id3tool (one process over all
files, all seven fields) when it is installed.
Jobs: rename and tag, and tag only, at each count. Rounds interleave the programs (their
order turns each round), every run on fresh files; best and median are reported, with
velkor's time as a ratio to each baseline, and the median of each round's own ratio.
Then system calls per entry (strace -c -f) and peak memory (GNU time) of velkor for job
files alone, without their files.
Usage: entry_bench.py VELKOR SYSCALL_FLOOR [--counts 10000,100000] [--rounds N]
                      [--memory-counts 10000,100000,1000000] [--output FILE]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

AUDIO = b"\xff\xfb\x90\x64" + bytes(2000)
ID3TOOL_LIMIT = 10000


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
        raise SystemExit("failed: %s" % " ".join(command[:4]))
    with open(peak_file) as f:
        return seconds, int(f.read().split()[-1])


def run_fresh(command, count, rename, root, with_files=True):
    folder = tempfile.mkdtemp(dir=root)
    try:
        if with_files:
            make_files(folder, count)
        write_job(folder, count, rename)
        return run(command, folder)
    finally:
        shutil.rmtree(folder)


def programs(args, rename, count):
    job = "rename-tag" if rename else "tag"
    listed = [("bare floor", [args.floor, "bare", job, str(count)]),
              ("same calls", [args.floor, "same-calls", job, str(count)]),
              ("velkor", [args.velkor, "job.xml"])]
    id3tool = shutil.which("id3tool")
    if id3tool and not rename and count <= ID3TOOL_LIMIT:
        listed.append(("id3tool (one process)",
                       [id3tool, "-t", "Track title", "-r", "Bench Band", "-a", "Benchmark Album", "-y", "2026",
                        "-n", "benchmark run", "-c", "7", "-g", "17"] + ["src-%06d.mp3" % i for i in range(count)]))
    return listed


def time_job(args, rename, count, root, say):
    listed = programs(args, rename, count)
    seconds = {name: [] for name, _ in listed}
    peaks = {name: 0 for name, _ in listed}
    for round_number in range(args.rounds):
        turn = round_number % len(listed)
        for name, command in listed[turn:] + listed[:turn]:
            elapsed, peak = run_fresh(command, count, rename, root)
            seconds[name].append(elapsed / count * 1e6)
            peaks[name] = max(peaks[name], peak)
    say("%s, %d files, %d rounds (us/entry)" % ("rename and tag" if rename else "tag only", count, args.rounds))
    for name, _ in listed:
        say("  %-22s best %7.2f  median %7.2f   peak %6.1f MiB"
            % (name, min(seconds[name]), statistics.median(seconds[name]), peaks[name] / 1024))
    velkor = seconds["velkor"]
    for name, _ in listed:
        if name == "velkor":
            continue
        # Within one round both programs met the same load on the machine: the median of
        # the rounds' own ratios is the figure that load disturbs least.
        rounds = statistics.median(v / b for v, b in zip(velkor, seconds[name]))
        say("  velkor / %-22s best %5.3f  median %5.3f  median of rounds %5.3f"
            % (name, min(velkor) / min(seconds[name]), statistics.median(velkor) / statistics.median(seconds[name]),
               rounds))


def syscalls(command, count, rename, root):
    """System calls of one run, counted by strace over the process and any children."""
    folder = tempfile.mkdtemp(dir=root)
    try:
        make_files(folder, count)
        write_job(folder, count, rename)
        summary = os.path.join(folder, "strace.txt")
        run(["/usr/bin/strace", "-f", "-c", "-o", summary] + command, folder)
        with open(summary) as f:
            for line in f:
                fields = line.split()
                if fields and fields[-1] == "total":
                    return int(fields[3])
        return 0
    finally:
        shutil.rmtree(folder)


def count_syscalls(args, root, say):
    """Calls per entry, from the difference of two run sizes (start-up cancels out)."""
    say("system calls per entry (strace -c -f; marginal, from 1,000 and 2,000 entries)")
    for rename in (True, False):
        small, large = programs(args, rename, 1000)[:3], programs(args, rename, 2000)[:3]
        for (name, small_command), (_, large_command) in zip(small, large):
            calls = syscalls(large_command, 2000, rename, root) - syscalls(small_command, 1000, rename, root)
            say("  %-14s %-22s %6.3f" % ("rename and tag" if rename else "tag only", name, calls / 1000))


def measure_memory(args, root, say):
    say("velkor's peak memory, job file alone (no files: every entry fails, nothing is touched)")
    for count in args.memory_counts:
        _, peak = run_fresh([args.velkor, "job.xml"], count, True, root, with_files=False)
        say("  %8d entries  %6.1f MiB" % (count, peak / 1024))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("velkor")
    parser.add_argument("floor")
    parser.add_argument("--counts", default="10000,100000")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--memory-counts", default="10000,100000,1000000")
    parser.add_argument("--output", default="bench_entries.txt")
    args = parser.parse_args()
    args.velkor, args.floor = os.path.abspath(args.velkor), os.path.abspath(args.floor)
    counts = [int(n) for n in args.counts.split(",") if n]
    args.memory_counts = [int(n) for n in args.memory_counts.split(",") if n]
    root = tempfile.mkdtemp(prefix="velkor-bench-", dir="/dev/shm")
    with open(args.output, "w") as output:
        def say(line):
            print(line, flush=True)
            output.write(line + "\n")
            output.flush()

        say("velkor %s, files of %d bytes on tmpfs, report to a file" % (args.velkor, len(AUDIO)))
        try:
            for count in counts:
                for rename in (True, False):
                    time_job(args, rename, count, root, say)
            if shutil.which("strace"):
                count_syscalls(args, root, say)
            measure_memory(args, root, say)
        finally:
            shutil.rmtree(root, ignore_errors=True)
    print("written to %s" % os.path.abspath(args.output), file=sys.stderr)


if __name__ == "__main__":
    main()
