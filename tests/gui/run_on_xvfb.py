#!/usr/bin/env python3
"""Runs COMMAND on a private X display (Xvfb on a free display number) with openbox, both stopped
afterwards; exits 77 (skipped) without Xvfb. Usage: run_on_xvfb.py COMMAND [ARGS...]"""
import ctypes
import os
import signal
import shutil
import subprocess
import sys
import time

# A hung program is stopped well before the test runner's own limit; should the runner kill this
# script first, the display, its window manager and the program go with it (PR_SET_PDEATHSIG).
LIMIT_SECONDS = int(os.environ.get("KT_GUI_LIMIT", "240"))


def die_with_parent():
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)


def stop(process):
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=10)


def main():
    if not shutil.which("Xvfb"):
        print("Xvfb is not installed: skipped")
        return 77
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              pass_fds=(write_end,), stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
    os.close(write_end)
    manager = None
    try:
        with os.fdopen(read_end) as chosen:
            number = chosen.readline().strip()
        if not number:
            print("Xvfb did not start")
            return 1
        # No session bus on the private display: settings kept in memory, no accessibility bus.
        env = dict(os.environ, DISPLAY=":" + number, GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1")
        env.pop("WAYLAND_DISPLAY", None)
        if shutil.which("openbox"):
            manager = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
            time.sleep(1.0)  # openbox takes the screen over before the first window
        return subprocess.run(sys.argv[1:], env=env, timeout=LIMIT_SECONDS, preexec_fn=die_with_parent).returncode
    finally:
        stop(manager)
        stop(server)


if __name__ == "__main__":
    sys.exit(main())
