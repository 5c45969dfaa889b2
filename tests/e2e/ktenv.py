"""What the end-to-end tests share: a temporary practice tree, kthost run in it, the update server."""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import update_server  # noqa: E402

SHOWN = re.compile(r"^(message|buttons) id=(\d+) |^dialog (\d+) open")
AT_START_INTERNET = {("LastUpdate", "Active"): "1", ("Update", "Type"): "1"}


def last_line(text):
    return ([line for line in text.splitlines() if line.strip()] or [""])[-1]


def shown_items(transcript):
    """'1021', '1060', 'dialog 130'...: what the run showed, in order."""
    found = [SHOWN.match(line) for line in transcript]
    return [item.group(2) or "dialog " + item.group(3) for item in found if item]


def wait_for(condition, limit, step=0.05):
    end = time.monotonic() + limit
    while not condition() and time.monotonic() <= end:
        time.sleep(step)
    return condition()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def package(root, name):
    """The bytes of package `name` under the server folder `root`/maj."""
    for folder, _, names in os.walk(os.path.join(root, "maj")):
        if name in names:
            with open(os.path.join(folder, name), "rb") as f:
                return f.read()
    return None


def date_text(day):
    return "%d.%d.%d" % (day.day, day.month, day.year)


class Server:
    """update_server.py serving a tree generated with `tree` options until stopped."""

    def __init__(self, root, *options, **tree):
        update_server.write_tree(root, **tree)
        self.root = root
        self.process = subprocess.Popen(["/usr/bin/python3", update_server.__file__, "--root", root, "--no-generate",
                                         *options], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline().split()
        if line[:1] != ["PORT"]:
            self.stop()
            raise RuntimeError("the update server did not start")
        self.url = "ftp://127.0.0.1:%s/maj/" % line[1]

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.process.stdout.close()


class PracticeTree:
    """Application, data and update folders plus the overridden system folders."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="kte2e-")
        self.app, self.data, self.update = (self.mkdir(f) for f in ("app", "data", "data/UpdateInfo"))
        self.env = dict(os.environ)
        for variable, folder in (("KT_WINDOWS_DIR", "windows"), ("KT_PROGRAM_FILES", "programfiles"),
                                 ("KT_COMMON_APPDATA", "appdata"), ("KT_REGISTRY_DIR", "registry"),
                                 ("KT_RUNTIME_DIR", "run"), ("TMPDIR", "tmp")):
            self.env[variable] = self.mkdir(folder)

    def path(self, relative):
        return os.path.join(self.root, relative)

    def mkdir(self, relative):
        os.makedirs(self.path(relative), exist_ok=True)
        return self.path(relative)

    def write(self, relative, text):
        os.makedirs(os.path.dirname(self.path(relative)), exist_ok=True)
        with open(self.path(relative), "w", encoding="utf-8") as f:
            f.write(text)
        return self.path(relative)

    def read(self, relative):
        try:
            with open(self.path(relative), encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def activity_log(self):
        return self.read("appdata/Talvo Software/TalvoV3/Log/TalvoLog.log")

    def record_options(self, **overrides):
        """kthost's record options; an override None drops the option, True makes it a flag."""
        options = {"--app-dir": self.app, "--data-dir": self.data, "--update-dir": self.update, "--ver-major": "5",
                   "--ver-minor": "2", "--ver-build": "0", "--compat-version": "5.2.0", "--title": "Talvo",
                   "--practitioner": "Dr Martin", "--postal-code": "77120", **overrides}
        return [word for name, value in options.items() if value is not None
                for word in ([name] if value is True else [name, value])]

    def kthost_command(self, args, script, transcript="shown.txt", ui="script:"):
        """kthost answering from `script` (shown on its terminal as well with `ui` "watch:"), what it shows
        written to `transcript`."""
        return [os.environ["KTHOST"], "--module", os.environ["KTMODULE"], *args, "--ui",
                ui + self.write(transcript + ".answers", script), "--transcript", self.write(transcript, "")]

    def kthost(self, *args, script="", timeout=60, host=None, ui="script:"):
        """Runs kthost (or `host`, a command taking the module, the script and the transcript first) with a
        script; returns (process result, transcript lines)."""
        command = self.kthost_command(args, script, ui=ui) if host is None else [
            host, os.environ["KTMODULE"], "script:" + self.write("answers.txt", script), self.write("shown.txt", ""), *args]
        done = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=timeout,
                              stdin=subprocess.DEVNULL)
        return done, self.read("shown.txt").splitlines()

    def start_kthost(self, args, transcript, script="", env=None):
        return subprocess.Popen(self.kthost_command(args, script, transcript), env=env or self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


class Practice(PracticeTree):
    """A practice tree whose workstation has the installer stand-in and no proxy in its environment."""

    def __init__(self):
        super().__init__()
        for variable in [name for name in self.env if name.lower().endswith("_proxy")]:
            del self.env[variable]
        self.install_installer(self.app)

    def install_installer(self, folder):
        shutil.copy(os.environ["KTUPDATE_STUB"], os.path.join(folder, "ktupdate.exe"))

    def appid(self, app=None):
        return os.path.join(app or self.app, "appid.xml")

    def guid(self, app=None):
        return ET.parse(self.appid(app)).getroot().get("GUID")

    def configure(self, settings, app=None):
        """settings: {(element, attribute or None for the text): value} under Workstation of appid.xml."""
        tree = ET.parse(self.appid(app))
        for (element, attribute), value in settings.items():
            node = tree.getroot().find(element)
            if attribute is None:
                node.text = value
            else:
                node.set(attribute, value)
        tree.write(self.appid(app), encoding="UTF-8", xml_declaration=True)

    def setting(self, element, attribute=None):
        node = ET.parse(self.appid()).getroot().find(element)
        return node.text if attribute is None else node.get(attribute)

    def installer_mode(self):
        """The "mode=" line the installer stand-in recorded, None when it was not started."""
        record = self.read("app/ktupdate-record.txt").splitlines()
        return next((line for line in record if line.startswith("mode=")), None)

    def journal_end(self):
        """The last message of the failure journal without its time; "" when a clean end left none."""
        lines = [line for line in self.read("app/mjlog.log").splitlines() if " - " in line]
        return lines[-1].split(" - ", 1)[1] if lines else ""

    def lock(self):
        return os.path.join(self.update, "updating.xml")

    def configured(self, server_url, settings=(), **record):
        """A workstation that answered "&Non" to the configuration question, then `settings`."""
        options = self.record_options(**{"--server": server_url, **record})
        done, _ = self.kthost(*options, script="buttons 1021 -> 24\n")
        assert last_line(done.stdout) == "result: 1", done.stdout + done.stderr
        self.configure({("LastUpdate", "FirstRun"): "0", **dict(settings)}, record.get("--app-dir"))
        return options
