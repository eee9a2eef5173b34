#!/usr/bin/env python3
"""Runs a command and samples the process it starts by the given name whose command line
holds the command's last argument (under Wine: the Windows program, not Wine's launcher),
from /proc every few milliseconds until it ends. Prints its peak resident memory (VmHWM), its processor time (user + system)
and its wall time from its start, as seen by the last sample.

  process_sample.py NAME COMMAND...      e.g. process_sample.py velkor.exe wine velkor.exe job.xml
"""
import os
import subprocess
import sys
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def find(name, marker):
    """A process called `name` whose command line holds `marker`."""
    for entry in os.listdir("/proc"):
        if entry.isdigit() and named(entry, name):
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                    if marker.encode() in cmdline.read():
                        return int(entry)
            except OSError:
                continue
    return None


def named(pid, name):
    try:
        with open(f"/proc/{pid}/comm") as comm:
            if comm.read().strip() == name[:15]:
                return True
        with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
            first = cmdline.read().split(b"\0")[0].decode(errors="replace")
        return first.replace("\\", "/").rsplit("/", 1)[-1] == name
    except OSError:
        return False


def sample(pid):
    with open(f"/proc/{pid}/status") as status:
        hwm = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) / CLOCK_TICKS
    return hwm, cpu


def main():
    name, command = sys.argv[1], sys.argv[2:]
    launcher = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    pid, last, seen_at = None, None, None
    while True:
        if pid is None:
            pid = find(name, command[-1])
            if pid is not None:
                seen_at = time.monotonic()
        if pid is not None:
            try:
                last = sample(pid)
            except (OSError, StopIteration):
                pid = -1
        if launcher.poll() is not None and (pid is None or pid == -1 or not os.path.exists(f"/proc/{pid}")):
            break
        time.sleep(0.005)
    if last is None:
        print(f"{name} ended before its first sample, exit {launcher.returncode}")
        return
    wall = time.monotonic() - seen_at
    print(f"peak {last[0] / 1024:.1f} MiB  cpu {last[1]:.2f} s  wall {wall:.2f} s  exit {launcher.returncode}")


if __name__ == "__main__":
    main()
