"""Kills `kthost --at-start` at random moments of an update run and checks, after every kill,
that nothing was lost or corrupted; then lets one run finish and compares it with a clean run.

    KTHOST=... KTMODULE=... KTUPDATE_STUB=... KT_FTPACS_WRITER=... \\
        /usr/bin/python3 tests/e2e/crash_run.py --kills 200 --seed 1

After every kill: appid.xml, the workstation files, files.xml and updating.xml parse; every
files.xml entry names a package in Update/ with the server's bytes; every file the run created,
changed, renamed or removed (traced with strace) lies inside the test's temporary tree.
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

from ktenv import AT_START_INTERNET, Practice, Server, last_line

ANSWERS = "message 1060 -> no\n"
# Large enough for the throttle to pace them: a run lasts a few seconds.
# pyftpdlib lets a data connection send twice its limit before it first pauses (2 s): with these
# sizes each step package takes about two seconds.
PACKAGE_SIZE = 128 * 1024
PACK_SIZE = 64 * 1024
THROTTLE = 64 * 1024
# A file call that may change the disk: its path arguments, and for open() its flags.
WRITING_CALL = re.compile(r'^\d+\s+(open|openat|creat|mkdir|mkdirat|rename|renameat2?|unlink|unlinkat|rmdir|'
                          r'link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|utimensat)\((.*)\)\s+=\s+(-?\d+)')
QUOTED = re.compile(r'"((?:[^"\\]|\\.)*)"')
SYSTEM_FILES = ("/dev/null", "/dev/tty", "/dev/urandom", "/dev/random", "/proc/", "/sys/")


def parse_errors(practice):
    """The XML files the module shares that do not parse."""
    paths = [practice.appid(), practice.lock(), os.path.join(practice.update, "files.xml")]
    paths += [os.path.join(practice.update, name) for name in os.listdir(practice.update) if name.endswith(".xml")]
    errors = []
    for path in sorted(set(paths)):
        if os.path.exists(path):
            try:
                ET.parse(path)
            except ET.ParseError as error:
                errors.append("%s does not parse: %s" % (path, error))
    return errors


def files_entries(practice):
    path = os.path.join(practice.update, "files.xml")
    if not os.path.exists(path):
        return []
    return [(entry.tag, entry.get("Name")) for entry in ET.parse(path).getroot()]


def package_errors(practice, server):
    errors = []
    for tag, name in files_entries(practice):
        local = os.path.join(practice.update, "Update", name or "")
        if not name or not os.path.isfile(local):
            errors.append("files.xml names %s %r, missing from Update/" % (tag, name))
            continue
        with open(local, "rb") as f:
            if f.read() != server.package(name):
                errors.append("Update/%s differs from the server's" % name)
    return errors


def outside_writes(trace, root):
    """Paths outside `root` that the traced run created or changed."""
    found = []
    with open(trace, errors="replace") as f:
        for line in f:
            call = WRITING_CALL.match(line)
            if not call or call.group(3).startswith("-"):
                continue
            name, arguments = call.group(1), call.group(2)
            if name.startswith("open") and not re.search(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", arguments):
                continue
            for path in QUOTED.findall(arguments):
                if os.path.isabs(path) and not path.startswith(root + "/") and not path.startswith(SYSTEM_FILES):
                    found.append("%s %s" % (name, path))
    return found


def traced_kthost(practice, options, trace):
    script = practice.write("answers.txt", ANSWERS)
    return subprocess.Popen(["strace", "-f", "-qq", "--seccomp-bpf", "-o", trace, "-e", "trace=%file",
                             os.environ["KTHOST"], "--module", os.environ["KTMODULE"], *options,
                             "--ui", "script:" + script, "--transcript", practice.path("shown.txt")],
                            env=practice.env, cwd=practice.root, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)


def traced_child(tracer, limit=10.0):
    """kthost's process id, once strace started it; None when the run is already over."""
    children = "/proc/%d/task/%d/children" % (tracer.pid, tracer.pid)
    kthost = os.path.realpath(os.environ["KTHOST"])
    end = time.monotonic() + limit
    while time.monotonic() < end and tracer.poll() is None:
        try:
            with open(children) as f:
                found = f.read().split()
        except OSError:
            return None
        # strace first forks probes of its own.
        for pid in found:
            try:
                if os.readlink("/proc/%s/exe" % pid) == kthost:
                    return int(pid)
            except OSError:
                pass
        time.sleep(0.005)
    return None


def new_practice(server):
    practice = Practice()
    options = practice.configured(server.url, AT_START_INTERNET, **{"--at-start": True})
    return practice, options


def clean_run(practice, options):
    done, _ = practice.kthost(*options, script=ANSWERS, timeout=300)
    update = os.path.join(practice.update, "Update")
    return (last_line(done.stdout), files_entries(practice), sorted(os.listdir(update)) if os.path.isdir(update) else [])


def crash_campaign(kills, seed, out=sys.stdout):
    """Kills `kills` runs; returns (kills made, runs over before their kill, invariant failures, final run
    differences)."""
    rng = random.Random(seed)
    server_tree = Practice()
    server = Server(server_tree.path("server"), "--throttle", str(THROTTLE), package_size=PACKAGE_SIZE,
                    pack_size=PACK_SIZE)
    failures, finished_early, differences = [], 0, []
    practice = None
    try:
        reference, options = new_practice(server)
        start = time.monotonic()
        expected = clean_run(reference, options)
        duration = time.monotonic() - start
        expected_end = reference.journal_end()
        reference.close()
        print("clean run: %.1f s, files.xml %s" % (duration, expected[1]), file=out, flush=True)
        practice, options = new_practice(server)
        made, attempt = 0, 0
        # A run that ends before its kill counts for nothing; the cap keeps a fast machine from looping.
        while made < kills and attempt < 3 * kills:
            delay = rng.uniform(0.0, duration)
            trace = practice.path("trace-%d.txt" % attempt)
            tracer = traced_kthost(practice, options, trace)
            child = traced_child(tracer)
            time.sleep(delay)
            ended = tracer.poll() is not None
            if child is not None and not ended:
                try:
                    os.kill(child, signal.SIGKILL)
                except ProcessLookupError:
                    ended = True
            tracer.wait(timeout=30)
            attempt += 1
            made += not ended
            print("run %d at %.2f s: %s" % (attempt, delay, "over before its kill" if ended else "killed"), file=out,
                  flush=True)
            problems = parse_errors(practice) + package_errors(practice, server) + \
                outside_writes(trace, practice.root)
            os.remove(trace)
            for problem in problems:
                failures.append("run %d (%.2f s): %s" % (attempt, delay, problem))
                print(failures[-1], file=out, flush=True)
            if ended:
                # A finished run leaves nothing to interrupt: start again from a configured workstation.
                finished_early += 1
                practice.close()
                practice, options = new_practice(server)
        final = clean_run(practice, options)
        for label, want, got in zip(("result", "files.xml", "Update/"), expected, final):
            if want != got:
                differences.append("%s: %r, clean run %r" % (label, got, want))
        if practice.journal_end() != expected_end:
            differences.append("journal end: %r, clean run %r" % (practice.journal_end(), expected_end))
    finally:
        server.stop()
        server_tree.close()
        if practice:
            practice.close()
    return made, finished_early, failures, differences


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    kills, finished_early, failures, differences = crash_campaign(args.kills, args.seed)
    print("kills %d (runs over before their kill: %d), invariant failures %d, final run %s"
          % (kills, finished_early, len(failures), "like a clean run" if not differences else differences))
    return 0 if not failures and not differences else 1


if __name__ == "__main__":
    sys.exit(main())
