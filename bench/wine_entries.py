#!/usr/bin/env python3
"""The Windows program under Wine against the Linux program, on the same job files: peak
memory and time per entry, as ratios Windows/Linux.
Job files of 100,000 and 1,000,000 entries as reader_bench writes them (UTF-8, the plain
form), and the same entries with a character reference in each comment (a form the plain
scan leaves to the XML library). The entries name files that do not exist, so a run reads
the job file and reports one failed rename per entry.
Peak memory: VmHWM of the process running velkor.exe (not Wine's launcher nor wineserver),
sampled from /proc while it runs; the Linux program's peak resident memory from wait4().
Time: processor time (user + system) of that process, plus wineserver's meanwhile, less that
of a run whose job file is missing (the start-up), per entry; processor time, because the
machine is shared. Beside it, the floor under Wine: a program of the same Windows calls per
entry and nothing else (bench/wine_same_calls.c, a failed rename and a report line), built
with mingw-w64, so that what Wine's calls cost is told apart from what velkor.exe adds.
Then a tag-only job (no new names) in five forms of the same entries: plain UTF-8, a
character reference in each title, UTF-16 LE with a byte order mark, windows-1251 with
Cyrillic titles, and a document type whose one entity each title uses: each form's peak,
flat from the smallest count up, and its time per entry against the plain form's.
Each case runs once: a million entries under Wine take minutes.
Usage: wine_entries.py VELKOR VELKOR_EXE READER_BENCH [--counts 100000,1000000] [--output FILE]
Wine runs in WINEPREFIX (default: build-win/wineprefix of the repository).
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

TICK = os.sysconf("SC_CLK_TCK")
PEAK_GOAL_MIB = 64
TIME_GOAL = 3.0
FLOOR_GOAL = 1.5
FORM_TIME_GOAL = 1.5  # a tag-only form's time per entry against the plain form's
FLAT_GOAL = 1.25      # peak at the largest count against the smallest


def status_kib(pid, field):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def cpu_seconds(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICK  # utime, stime
    except OSError:
        return 0.0


def find_process(name, marker):
    """The process called `name` whose command line holds `marker`, or None."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/comm" % entry) as f:
                comm = f.read().strip()
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read()
        except OSError:
            continue
        if comm == name and marker.encode() in cmdline:
            return int(entry)
    return None


def wineserver_pid(prefix):
    """The wineserver of `prefix`: its folder is named after the prefix's device and inode."""
    info = os.stat(prefix)
    server = "server-%x-%x" % (info.st_dev, info.st_ino)
    for entry in os.listdir("/proc"):
        try:
            if entry.isdigit() and os.path.basename(os.readlink("/proc/%s/cwd" % entry)) == server:
                return int(entry)
        except OSError:
            continue
    raise SystemExit("no wineserver for " + prefix)


def measure(command, cwd, env, marker=None, server=None, name="velkor.exe", output=None):
    """Runs `command` in `cwd` with its output discarded. Returns the processor seconds and
    peak KiB of the child, or with `marker` of the velkor.exe process whose command line
    holds it (Wine starts it beside the child), plus wineserver's processor time meanwhile.
    With `output`, the standard output goes to that file."""
    server_before = cpu_seconds(server) if server else 0.0
    sink = open(output, "wb") if output else subprocess.DEVNULL
    child = subprocess.Popen(command, cwd=cwd, env=env, stdout=sink, stderr=subprocess.DEVNULL)
    if output:
        sink.close()
    pid, peak, seconds = None, 0, 0.0
    while True:
        done, status, usage = os.wait4(child.pid, os.WNOHANG)
        if done:
            break
        pid = pid or (find_process(name, marker) if marker else None)
        if pid:  # the high-water mark only grows, and both stay readable until it ends
            peak = max(peak, status_kib(pid, "VmHWM"))
            seconds = max(seconds, cpu_seconds(pid))
        time.sleep(0.01)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode not in (0, 254):
        raise SystemExit("%s failed with %d" % (" ".join(command), child.returncode))
    if not marker:
        return usage.ru_utime + usage.ru_stime, usage.ru_maxrss
    return seconds + (cpu_seconds(server) - server_before), peak


def write_jobs(folder, reader_bench, count):
    """The plain job file and its form with a character reference in every entry."""
    plain = os.path.join(folder, "velkor-wine-bench-plain-%d.xml" % count)
    subprocess.run([reader_bench, "--write", str(count), plain], check=True, stdout=subprocess.DEVNULL)
    reference = os.path.join(folder, "velkor-wine-bench-reference-%d.xml" % count)
    with open(plain, "rb") as source, open(reference, "wb") as target:
        for line in source:
            target.write(line.replace(b' comment="Ripped', b' comment="&#x52;ipped'))
    return [("plain", plain), ("reference", reference)]


TAG_FORMS = ("plain", "reference", "utf16le", "cp1251", "entity")


def write_tag_forms(folder, count):
    """The tag-only job of `count` entries in each of TAG_FORMS, one at a time: (form, path)."""
    for form in TAG_FORMS:
        title = {"reference": "T&#105;tle", "cp1251": "\u041f\u0435\u0441\u043d\u044f", "entity": "&t;"}.get(form, "Title")
        head = '<?xml version="1.0" encoding="%s"?>\n' % {"utf16le": "UTF-16", "cp1251": "windows-1251"}.get(form, "UTF-8")
        if form == "entity":
            head += '<!DOCTYPE album [<!ENTITY t "Title">]>\n'
        path = os.path.join(folder, "velkor-wine-bench-tag-%s-%d.xml" % (form, count))
        encoding = {"utf16le": "utf-16-le", "cp1251": "cp1251"}.get(form, "utf-8")
        # Written as it goes: this process stays small, and so does the peak that a program
        # started from it inherits until its own start.
        with open(path, "w", encoding=encoding, newline="") as f:
            f.write(("\ufeff" if form == "utf16le" else "") + head)
            f.write('<album title="Collected Works" genre="12" year="2004">\n')
            for i in range(count):
                f.write('  <file oldName="Incoming/Artist %d/%02d track.mp3" track="%d" title="%s %d" artist="Artist %d" '
                        'album="Album %d" genre="%d" year="%d" comment="Ripped from CD %d"/>\n' %
                        (i // 14, i % 14 + 1, i % 14 + 1, title, i, i // 14, i // 14, i % 126, 1965 + i % 59, i))
            f.write("</album>\n")
        yield form, path


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("velkor")
    parser.add_argument("velkor_exe")
    parser.add_argument("reader_bench")
    parser.add_argument("--counts", default="100000,1000000")
    parser.add_argument("--output")
    parser.add_argument("--tag-only", action="store_true", help="only the tag-only job in its five forms")
    args = parser.parse_args()
    velkor, exe, reader_bench = (os.path.abspath(p) for p in (args.velkor, args.velkor_exe, args.reader_bench))
    counts = sorted(int(c) for c in args.counts.split(","))
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    prefix = os.environ.get("WINEPREFIX", os.path.join(root, "build-win", "wineprefix"))
    linux_env = {"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"}
    wine_env = dict(linux_env, HOME=os.environ.get("HOME", "/root"), WINEPREFIX=prefix, WINEDEBUG="-all",
                    WINEDLLOVERRIDES="mscoree,mshtml=")
    if not os.path.exists(os.path.join(prefix, "system.reg")):
        subprocess.run(["wineboot", "-i"], env=wine_env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-p"], env=wine_env, stderr=subprocess.DEVNULL)  # kept up (or already up)
    lines = []

    def say(text):
        print(text, flush=True)
        lines.append(text)

    # tmpfs where there is one: the disk is no part of what is measured.
    parent = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(prefix="velkor-wine-bench-", dir=parent) as folder:
        wine = ["wine", exe]
        measure(wine, folder, wine_env)  # Wine's own services start at the first run
        floor = os.path.join(folder, "wine_same_calls.exe")
        subprocess.run(["x86_64-w64-mingw32-gcc", "-O2", "-municode", "-o", floor,
                        os.path.join(root, "bench", "wine_same_calls.c")], check=True)
        server = wineserver_pid(prefix)
        start_marker = "velkor-wine-bench-none.xml"  # named, never there: the start-up and one report line
        linux_start = measure([velkor, start_marker], folder, linux_env)
        wine_start = measure(wine + [start_marker], folder, wine_env, start_marker, server)
        say("start-up (processor ms, peak MiB): Linux %.1f, %.1f; Wine %.1f, %.1f" %
            (linux_start[0] * 1e3, linux_start[1] / 1024, wine_start[0] * 1e3, wine_start[1] / 1024))
        floor_start = measure(["wine", floor, "0"], folder, wine_env, "0", server, "wine_same_calls")[0]
        say("%9s %-9s %9s %9s %6s %9s %6s %10s %10s %6s" %
            ("entries", "form", "Linux us", "Wine us", "ratio", "floor us", "ratio", "Linux MiB", "Wine MiB", "ratio"))
        time_ratios, floor_ratios, plain_peak = [], [], None
        for count in [] if args.tag_only else counts:
            floor_us = (measure(["wine", floor, str(count)], folder, wine_env, str(count), server,
                                "wine_same_calls")[0] - floor_start) / count * 1e6
            for form, path in write_jobs(folder, reader_bench, count):
                linux = measure([velkor, os.path.basename(path)], folder, linux_env)
                windows = measure(wine + [os.path.basename(path)], folder, wine_env, os.path.basename(path), server)
                linux_us = (linux[0] - linux_start[0]) / count * 1e6
                wine_us = (windows[0] - wine_start[0]) / count * 1e6
                time_ratios.append(wine_us / linux_us)
                if form == "plain":
                    plain_peak = windows[1] / 1024
                    floor_ratios.append(wine_us / floor_us)
                say("%9d %-9s %9.2f %9.2f %6.2f %9.2f %6.2f %10.1f %10.1f %6.2f" %
                    (count, form, linux_us, wine_us, wine_us / linux_us, floor_us, wine_us / floor_us,
                     linux[1] / 1024, windows[1] / 1024, windows[1] / linux[1]))
                os.remove(path)
        say("tag-only job in five forms:")
        say("%9s %-9s %9s %9s %6s %10s %10s" % ("entries", "form", "Linux us", "Wine us", "/plain", "Linux MiB", "Wine MiB"))
        peaks, form_ratios = {}, []
        for count in counts:
            plain_us = None
            for form, path in write_tag_forms(folder, count):
                linux = measure([velkor, os.path.basename(path)], folder, linux_env)
                report = os.path.join(folder, "report.txt")
                windows = measure(wine + [os.path.basename(path)], folder, wine_env, os.path.basename(path), server,
                                  output=report)
                with open(report, "rb") as f:
                    first = f.readline().decode(errors="replace").strip()
                os.remove(report)
                if not first.startswith("Processing file"):  # the job file failed: nothing to measure
                    say("%9d %-9s NOT READ: %s" % (count, form, first))
                    form_ratios.append((form, float("inf")))
                    peaks.setdefault(form, []).append(float("inf"))
                    os.remove(path)
                    continue
                linux_us = (linux[0] - linux_start[0]) / count * 1e6
                wine_us = (windows[0] - wine_start[0]) / count * 1e6
                plain_us = plain_us or wine_us
                form_ratios.append((form, wine_us / plain_us))
                peaks.setdefault(form, []).append(windows[1] / 1024)
                say("%9d %-9s %9.2f %9.2f %6.2f %10.1f %10.1f" %
                    (count, form, linux_us, wine_us, wine_us / plain_us, linux[1] / 1024, windows[1] / 1024))
                os.remove(path)
    subprocess.run(["wineserver", "-k"], env=wine_env)
    for form in TAG_FORMS:
        top, flat = peaks[form][-1], peaks[form][-1] / peaks[form][0]
        say("goal: tag-only %s: peak < %d MiB at %d: %.1f MiB, %s; flat (< %gx from %d): %.2fx, %s" %
            (form, PEAK_GOAL_MIB, counts[-1], top, "met" if top < PEAK_GOAL_MIB else "NOT MET", FLAT_GOAL, counts[0],
             flat, "met" if flat < FLAT_GOAL else "NOT MET"))
    worst = max(form_ratios, key=lambda pair: pair[1])
    say("goal: tag-only forms, time per entry < %gx the plain form: at most %.2fx (%s), %s" %
        (FORM_TIME_GOAL, worst[1], worst[0], "met" if worst[1] < FORM_TIME_GOAL else "NOT MET"))
    if args.tag_only:
        return write_output(args.output, lines)
    say("goal: plain %d: peak < %d MiB: %.1f MiB, %s" %
        (counts[-1], PEAK_GOAL_MIB, plain_peak, "met" if plain_peak < PEAK_GOAL_MIB else "NOT MET"))
    say("goal: time per entry < %gx Linux: at most %.2fx, %s" %
        (TIME_GOAL, max(time_ratios), "met" if max(time_ratios) < TIME_GOAL else "NOT MET"))
    say("goal: plain, time per entry < %gx the same calls under Wine: at most %.2fx, %s" %
        (FLOOR_GOAL, max(floor_ratios), "met" if max(floor_ratios) < FLOOR_GOAL else "NOT MET"))
    write_output(args.output, lines)


def write_output(path, lines):
    if path:
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    sys.exit(main())
