"""A temporary practice tree and a way to run kthost in it."""
import os
import shutil
import subprocess
import tempfile


class PracticeTree:
    """Application, data and update folders plus the overridden system folders."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="kte2e-")
        self.app = self.mkdir("app")
        self.data = self.mkdir("data")
        self.update = self.mkdir("data/UpdateInfo")
        self.env = dict(os.environ)
        for variable, folder in (("KT_WINDOWS_DIR", "windows"), ("KT_PROGRAM_FILES", "programfiles"),
                                 ("KT_COMMON_APPDATA", "appdata"), ("KT_REGISTRY_DIR", "registry"),
                                 ("KT_RUNTIME_DIR", "run"), ("TMPDIR", "tmp")):
            self.env[variable] = self.mkdir(folder)

    def mkdir(self, relative):
        path = os.path.join(self.root, relative)
        os.makedirs(path, exist_ok=True)
        return path

    def path(self, relative):
        return os.path.join(self.root, relative)

    def write(self, relative, text):
        path = self.path(relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def read(self, relative):
        try:
            with open(self.path(relative), encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def activity_log(self):
        return self.read("appdata/Talvo Software/TalvoV3/Log/TalvoLog.log")

    def record_options(self, **overrides):
        options = {"--app-dir": self.app, "--data-dir": self.data, "--update-dir": self.update,
                   "--ver-major": "5", "--ver-minor": "2", "--ver-build": "0",
                   "--compat-version": "5.2.0", "--title": "Talvo", "--practitioner": "Dr Martin",
                   "--postal-code": "77120"}
        options.update(overrides)
        args = []
        for name, value in options.items():
            if value is None:
                continue
            args += [name] if value is True else [name, value]
        return args

    def kthost(self, *args, script="", timeout=60, stdin=None):
        """Runs kthost with a script; returns (process result, transcript lines)."""
        script_path = self.write("answers.txt", script)
        transcript = self.path("shown.txt")
        if os.path.exists(transcript):
            os.remove(transcript)
        command = [os.environ["KTHOST"], "--module", os.environ["KTMODULE"], *args,
                   "--ui", "script:" + script_path, "--transcript", transcript]
        done = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=timeout,
                              stdin=subprocess.DEVNULL if stdin is None else stdin)
        return done, self.read("shown.txt").splitlines()

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


def last_line(text):
    lines = [line for line in text.splitlines() if line.strip()]
    return lines[-1] if lines else ""
