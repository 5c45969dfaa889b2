"""The module end to end through kthost against a server already running (run_vsftpd_bench.sh starts it):
PAIRS alternating pairs of the curl command line and an at-start kthost run fetching OBJECT, each kthost run in a
fresh practice. The module's time runs from its "download starts" line for OBJECT to the next "Download ends" line
of the activity log, curl's is time_total - time_pretransfer. Then a run killed once 90% of OBJECT is in Temp/
(slowed by the speed setting so that the kill lands there) and the next run, which must continue the file: what the
server sent it, from the server's own log, at most 10% + 1 MiB, and the package byte-identical to the server's.

/usr/bin/python3 bench/kthost_bench.py BASE_URL OBJECT SERVED_FILE PAIRS SERVER_LOG [CA_FILE]
with KTHOST, KTMODULE and KTUPDATE_STUB set as for the end-to-end tests."""
import datetime
import filecmp
import os
import re
import signal
import statistics
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from ktenv import AT_START_INTERNET, Practice, last_line, wait_for  # noqa: E402

ANSWERS = "message 1060 -> no\n"
STAMP = re.compile(r"^\S+ (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3}) ")
# Fast enough to reach 90% in a few seconds, slow enough for the kill to land there.
CUT_SPEED_KO = "40000"


def stamp(line):
    return datetime.datetime.strptime(STAMP.match(line).group(1), "%Y-%m-%d %H:%M:%S,%f")


def transfer_seconds(log, obj):
    """From the last "download starts" of `obj` to the "Download ends" after it."""
    lines = log.splitlines()
    start = max(i for i, line in enumerate(lines) if "KTDownload : %s : download starts" % obj in line)
    end = next(i for i in range(start, len(lines)) if "KTDownload : Download ends" in lines[i])
    return (stamp(lines[end]) - stamp(lines[start])).total_seconds()


def curl_rate(url, output, ca):
    command = ["curl", "-s", "-o", output, "-w", "%{size_download} %{time_pretransfer} %{time_total}", url]
    done = subprocess.run(command + (["--cacert", ca] if ca else []), capture_output=True, text=True, check=True)
    size, pretransfer, total = (float(word) for word in done.stdout.split())
    os.remove(output)
    return size / (total - pretransfer)


class Workstation:
    """A fresh practice configured for at-start runs against `base`, trusting `ca`."""

    def __init__(self, base, ca, speed="0"):
        self.practice = Practice()
        self.options = self.practice.configured(base, {**AT_START_INTERNET, ("Update", "Speed"): speed},
                                                **{"--at-start": True})
        if ca:
            tree = ET.parse(self.practice.appid())
            ET.SubElement(tree.getroot().find("Update"), "Tls", {"CAFile": ca})
            tree.write(self.practice.appid(), encoding="UTF-8", xml_declaration=True)

    def run(self):
        """A whole run; its result line and the peak memory of kthost in KiB."""
        script = self.practice.write("answers.txt", ANSWERS)
        process = subprocess.Popen([os.environ["KTHOST"], "--module", os.environ["KTMODULE"], *self.options, "--ui",
                                    "script:" + script, "--transcript", self.practice.path("shown.txt")],
                                   env=self.practice.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   stdin=subprocess.DEVNULL, text=True)
        out = process.stdout.read()
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
        process.stdout.close()
        return last_line(out), usage.ru_maxrss

    def close(self):
        self.practice.close()


def pairs(base, obj, size, count, ca):
    url = base[:base.index("/", base.index("//") + 2)] + obj
    curl, module, memory = [], [], []
    for pair in range(count):
        curl.append(curl_rate(url, "/tmp/kthost_bench_curl.out", ca) / 2 ** 20)
        workstation = Workstation(base, ca)
        result, peak = workstation.run()
        seconds = transfer_seconds(workstation.practice.activity_log(), obj)
        workstation.close()
        if result != "result: 1":
            raise SystemExit("kthost: " + result)
        module.append(size / seconds / 2 ** 20)
        memory.append(peak / 1024)
        print("pair %d: curl %.0f MiB/s, kthost %.0f MiB/s (%.2fx), kthost peak memory %.1f MiB"
              % (pair + 1, curl[-1], module[-1], module[-1] / curl[-1], memory[-1]), flush=True)
    ratio = statistics.median(m / c for m, c in zip(module, curl))
    print("%.0f MiB package end to end, median of %d pairs: kthost %.0f MiB/s, curl %.0f MiB/s, median of the pairs' "
          "ratios %.2f; peak memory at most %.1f MiB (target under 32 MiB)"
          % (size / 2 ** 20, count, statistics.median(module), statistics.median(curl), ratio, max(memory)))
    return ratio, max(memory)


def sent_bytes(server_log, obj):
    """What the server's log says it sent of `obj` in its last transfer of it (vsftpd's or nginx's line)."""
    with open(server_log, errors="replace") as f:
        lines = [line for line in f if obj in line]
    vsftpd = re.search(r'", (\d+) bytes', lines[-1])
    return int(vsftpd.group(1) if vsftpd else lines[-1].split()[-1])


def resume_after_cut(base, obj, served, ca, server_log):
    size = os.path.getsize(served)
    workstation = Workstation(base, ca, CUT_SPEED_KO)
    try:
        partial = os.path.join(workstation.practice.update, "Temp", os.path.basename(obj))
        process = workstation.practice.start_kthost(workstation.options, "shown.txt", ANSWERS)
        reached = wait_for(lambda: process.poll() is None and os.path.exists(partial)
                           and os.path.getsize(partial) >= size * 9 // 10, 120, step=0.01)
        process.send_signal(signal.SIGKILL)
        process.wait(timeout=30)
        kept = os.path.getsize(partial) if os.path.exists(partial) else 0
        if not reached:
            raise SystemExit("the run to cut ended before 90%%: %d bytes in Temp/" % kept)
        workstation.practice.configure({("Update", "Speed"): "0"})
        time.sleep(1)  # the server's log line of the cut transfer
        result, _ = workstation.run()
        fetched = sent_bytes(server_log, obj)
        same = filecmp.cmp(os.path.join(workstation.practice.update, "Update", os.path.basename(obj)), served,
                           shallow=False)
        limit = size / 10 + 2 ** 20
        print("after a run killed at %.1f%%: the next run (%s) was sent %.1f MiB of %.1f MiB (target at most %.1f MiB), "
              "%s" % (100 * kept / size, result, fetched / 2 ** 20, size / 2 ** 20, limit / 2 ** 20,
                      "byte-identical" if same else "DIFFERENT from the server's file"))
        return same and fetched <= limit
    finally:
        workstation.close()


def main():
    base, obj, served, count, server_log = sys.argv[1:6]
    ca = sys.argv[6] if len(sys.argv) > 6 else ""
    ratio, memory = pairs(base, obj, os.path.getsize(served), int(count), ca)
    resumed = resume_after_cut(base, obj, served, ca, server_log)
    return 0 if ratio >= (1.0 if base.startswith("https") else 1.1) and memory < 32 and resumed else 1


if __name__ == "__main__":
    sys.exit(main())
