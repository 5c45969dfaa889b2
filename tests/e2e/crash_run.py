"""Kills `kthost --at-start` at random moments of update runs; after every kill appid.xml, the workstation
files, files.xml and updating.xml parse, every files.xml entry names a package in Update/ with the server's
bytes, and every file the run created, changed, renamed or removed (traced with strace) lies inside the
test's tree. Then one run finishes and must end as a clean run did.

    KTHOST=... KTMODULE=... KTUPDATE_STUB=... KT_FTPACS_WRITER=... \\
        /usr/bin/python3 tests/e2e/crash_run.py --kills 200 --seed 1
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

from ktenv import AT_START_INTERNET, Practice, Server, last_line, package

ANSWERS = "message 1060 -> no\n"
# pyftpdlib lets a data connection send twice its limit before it first pauses (2 s): with these sizes
# and this throttle each step package takes about two seconds, and a run a few seconds.
PACKAGE_SIZE, PACK_SIZE, THROTTLE = 128 * 1024, 64 * 1024, 64 * 1024
# A file call that may change the disk: its path arguments, and for open() its flags.
WRITING_CALL = re.compile(r'^\d+\s+(open|openat|creat|mkdir|mkdirat|rename|renameat2?|unlink|unlinkat|rmdir|'
                          r'link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|utimensat)\((.*)\)\s+=\s+(-?\d+)')
QUOTED = re.compile(r'"((?:[^"\\]|\\.)*)"')
SYSTEM_FILES = ("/dev/null", "/dev/tty", "/dev/urandom", "/dev/random", "/proc/", "/sys/")


def files_entries(practice):
    try:
        return [(entry.tag, entry.get("Name")) for entry in ET.parse(os.path.join(practice.update, "files.xml")).getroot()]
    except (OSError, ET.ParseError):  # a files.xml that does not parse is reported on its own
        return []


def problems(practice, server, trace):
    """What the killed run broke: shared files that do not parse, packages files.xml names wrongly, and
    paths outside the tree that the run created or changed."""
    found = []
    shared = [practice.appid(), practice.lock()] + [os.path.join(practice.update, n)
                                                    for n in os.listdir(practice.update) if n.endswith(".xml")]
    for path in sorted(set(p for p in shared if os.path.exists(p))):
        try:
            ET.parse(path)
        except ET.ParseError as error:
            found.append("%s does not parse: %s" % (path, error))
    for tag, name in files_entries(practice):
        local = os.path.join(practice.update, "Update", name or "")
        if not name or not os.path.isfile(local):
            found.append("files.xml names %s %r, missing from Update/" % (tag, name))
            continue
        with open(local, "rb") as f:
            if f.read() != package(server.root, name):
                found.append("Update/%s differs from the server's" % name)
    with open(trace, errors="replace") as f:
        for call in filter(None, map(WRITING_CALL.match, f)):
            name, arguments = call.group(1), call.group(2)
            if call.group(3).startswith("-") or (name.startswith("open") and
                                                 not re.search(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", arguments)):
                continue
            found += ["%s %s" % (name, path) for path in QUOTED.findall(arguments) if os.path.isabs(path) and
                      not path.startswith((practice.root + "/",) + SYSTEM_FILES)]
    return found


def killed_run(practice, options, trace, delay):
    """A traced run whose kthost is killed after `delay`; False when it was over before."""
    # The shell tells its process id, which kthost keeps when it replaces the shell.
    tracer = subprocess.Popen(["strace", "-f", "-qq", "--seccomp-bpf", "-o", trace, "-e", "trace=%file", "sh", "-c",
                               'echo $$; exec "$@" >/dev/null', "sh", *practice.kthost_command(options, ANSWERS)],
                              env=practice.env, cwd=practice.root, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              stdin=subprocess.DEVNULL, text=True)
    child = tracer.stdout.readline().strip()
    tracer.stdout.close()
    time.sleep(delay)
    killed = child.isdigit() and tracer.poll() is None
    if killed:
        try:
            os.kill(int(child), signal.SIGKILL)
        except ProcessLookupError:
            killed = False
    tracer.wait(timeout=30)
    return killed


def new_practice(server):
    practice = Practice()
    return practice, practice.configured(server.url, AT_START_INTERNET, **{"--at-start": True})


def clean_run(practice, options):
    done, _ = practice.kthost(*options, script=ANSWERS, timeout=300)
    update = os.path.join(practice.update, "Update")
    return (last_line(done.stdout), files_entries(practice), sorted(os.listdir(update)) if os.path.isdir(update) else [],
            practice.journal_end())


def crash_campaign(kills, seed, out=sys.stdout):
    """Kills `kills` runs; returns (kills made, runs over before their kill, invariant failures, final run
    differences)."""
    rng = random.Random(seed)
    server_tree = Practice()
    server = Server(server_tree.path("server"), "--throttle", str(THROTTLE), package_size=PACKAGE_SIZE,
                    pack_size=PACK_SIZE)
    failures, finished_early, differences, practice = [], 0, [], None
    try:
        reference, options = new_practice(server)
        start = time.monotonic()
        expected = clean_run(reference, options)
        duration = time.monotonic() - start
        reference.close()
        print("clean run: %.1f s, files.xml %s" % (duration, expected[1]), file=out, flush=True)
        practice, options = new_practice(server)
        made, attempt = 0, 0
        # A run that ends before its kill counts for nothing; the cap keeps a fast machine from looping.
        while made < kills and attempt < 3 * kills:
            delay, trace, attempt = rng.uniform(0.0, duration), practice.path("trace-%d.txt" % attempt), attempt + 1
            killed = killed_run(practice, options, trace, delay)
            made += killed
            print("run %d at %.2f s: %s" % (attempt, delay, "killed" if killed else "over before its kill"), file=out,
                  flush=True)
            for problem in problems(practice, server, trace):
                failures.append("run %d (%.2f s): %s" % (attempt, delay, problem))
                print(failures[-1], file=out, flush=True)
            os.remove(trace)
            if not killed:  # a finished run leaves nothing to interrupt: start again from a configured workstation
                finished_early += 1
                practice.close()
                practice, options = new_practice(server)
        final = clean_run(practice, options)
        differences = ["%s: %r, clean run %r" % (label, got, want) for label, want, got in
                       zip(("result", "files.xml", "Update/", "journal end"), expected, final) if want != got]
    finally:
        server.stop()
        server_tree.close()
        if practice:
            practice.close()
    return made, finished_early, failures, differences


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    kills, finished_early, failures, differences = crash_campaign(args.kills, args.seed)
    print("kills %d (runs over before their kill: %d), invariant failures %d, final run %s"
          % (kills, finished_early, len(failures), differences or "like a clean run"))
    sys.exit(1 if failures or differences else 0)
