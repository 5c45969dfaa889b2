"""The critical run seen from a host: kthost --critical on a practice's real files."""
import os
import re
import unittest

from ktenv import Practice, PracticeTree, Server, free_port, last_line

OWN, OTHER, THIRD = ("{5F0E7A2C-2B1D-4B1D-8C3E-00000000000%s}" % c for c in "BAC")
LOG = {"start": ("INFO", "Critical update function starts"),
       "needed": ("INFO", "Critical update needed : current version = 8.1.0, min version = 8.3.0"),
       "ask": ("INFO", "CriticalUpdate : Ask user if he wants to continue update or close Talvo"),
       "close": ("WARNING", "CriticalUpdate : User chooses to close Talvo"),
       "check": ("INFO", "CriticalUpdate : Check in UpdateInfo/files.xml if necessary updates are present"),
       "found": ("INFO", "CriticalUpdate : Update found in UpdateInfo : start installation"),
       "notfound": ("INFO", "CriticalUpdate : No update found in UpdateInfo : ask for download"),
       "noneed": ("INFO", "No need for critical update"),
       "internet": ("INFO", "CriticalUpdate : Look for update on Internet"),
       "incompatible": ("ERROR", "Incompatibility detected : current compatibility version (KTVer.dll) = 8.2.0 "
                                 "whereas asked version (appid.xml) = 8.3.0")}
VERSIONS = "Version actuelle de Talvo : 8.1.0\nVersion minimum à installer: 8.3.0"
NEWER = "Version actuelle de Talvo : 8.9.0\nVersion minimum à installer: 8.10.0"
# Only the texts that carry the versions; the others are compared without their text.
TEXT = {1025: "Annulation du téléchargement. La mise à jour n'a pas été installée.\nImpossible de lancer Talvo.\n\n"
              + VERSIONS,
        1107: "Incompatibilité détectée. La version de Talvo minimum requise est 8.3.0. Impossible de continuer.",
        1118: "Impossible de lancer Talvo. La mise à jour n'a pas été installée.\n\n" + VERSIONS}
CHAIN = (("8.1.0", "8.2.0"), ("8.2.0", "8.3.0"))
LITERAL = re.compile(r'^(message id=(?:1027|1030|1031|1084|1029|1060) .*?) text=".*" -> ')


def plain(lines):
    return [LITERAL.sub(r"\1 -> ", line) for line in lines]


def box(number, style, flag, answer, text=None, caption="Talvo"):
    text = TEXT.get(number, "") if text is None else text
    for raw, escaped in (("\\", "\\\\"), ('"', '\\"'), ("\n", "\\n"), ("\r", "\\r")):
        text = text.replace(raw, escaped)
    return plain(['message id=%d caption="%s" style=0x%02x flag=%d text="%s" -> %s' % (number, caption, style, flag,
                                                                                      text, answer)])[0]


def ask_1028(flag, answer, current="8.1.0", minimum="8.3.0"):
    return box(1028, 0x34, flag, answer, "Vous avez installé sur un autre poste une version plus récente de Talvo.\n"
               "Vous devez également installer cette version sur ce poste pour pouvoir utiliser Talvo.\n\nVersion "
               "actuelle de Talvo : %s\nVersion minimum à installer : %s\n\nVoulez-vous rechercher les mises à jour "
               "disponibles sur le réseau local et les installer ?" % (current, minimum))


def workstation_xml(guid, version, compat, extra=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<Workstation GUID="%s"><Version CompatVersion="%s">%s</Version>'
            '<LastUpdate Type="1">1.12.2026</LastUpdate>%s</Workstation>\n' % (guid, compat, version, extra))


class CriticalPractice(Practice):
    """A practice where this workstation runs `host` and the others require `others`."""

    def __init__(self, host="8.1.0", stored_compat=None, others=None, steps=(), installer=True, appid=True):
        super().__init__()
        self.host = host
        if appid:
            self.write("app/appid.xml", workstation_xml(OWN, host, stored_compat or host).replace(
                "<LastUpdate Type", "<Update Configured=\"1\" Type=\"1\"/><LastUpdate FirstRun=\"0\" Type"))
        for name, compat in (others if others is not None else {OTHER: "8.3.0"}).items():
            self.write("data/UpdateInfo/%s.xml" % name, workstation_xml(name, compat, compat))
        self.write("data/UpdateInfo/files.xml", "<Files>%s</Files>" % "".join(
            '<File Name="p_%s.exe" Version="%s" NewVersion="%s"/>' % (new, old, new) for old, new in steps))
        self.write("FILE", "")
        if not installer:
            os.remove(os.path.join(self.app, "ktupdate.exe"))

    def run(self, script="", flag=True, timeout=60, **overrides):
        major, minor, build = self.host.split(".")
        options = {"--ver-major": major, "--ver-minor": minor, "--ver-build": build, "--compat-version": self.host,
                   "--flag": True if flag else None}
        options.update({k: v.format(root=self.root) if v else v for k, v in overrides.items()})
        return self.kthost("--critical", *self.record_options(**options), script=script, timeout=timeout)

    def run_lines(self):
        """(level, text) of the critical run's own log lines, in order."""
        lines = [line.partition(" ")[::2] for line in self.activity_log().splitlines()]
        texts = [(level, rest.partition("ktupdateDLL : ")[2]) for level, rest in lines]
        return [(level, text) for level, text in texts if text in {line for _, line in LOG.values()}]


class ResultsOfTheCriticalRun(unittest.TestCase):
    ROWS = [
        # path, practice, run options, result, shown (answers scripted), log lines
        ("invalid record", {}, {"--practitioner": None, "flag": False}, 1,
         [box(1084, 0x10, 1, "ok unscripted", caption="Erreur")], "start"),
        ("update folder cannot be created", {}, {"--update-dir": "{root}/FILE/UpdateInfo"}, 0,
         [box(1031, 0x10, 1, "ok")], "start"),
        ("no update folder given", {}, {"--update-dir": ""}, 0, [box(1031, 0x10, 1, "ok")], "start"),
        ("incompatible host", {"host": "8.2.0", "stored_compat": "8.3.0"}, {}, 1, [box(1107, 0x10, 1, "ok")],
         "start incompatible"),
        ("no need, update folder made", {"others": {}}, {"--update-dir": "{root}/data/Shared"}, 0, [], "start noneed"),
        ("user closes at the question", {}, {"flag": False}, 1, [ask_1028(0, "no"), box(1118, 0x10, 0, "ok")],
         "start needed ask close"),
        ("user closes instead of downloading", {"steps": CHAIN[:1]}, {}, 1,
         [ask_1028(1, "yes"), box(1030, 0x34, 1, "no"), box(1025, 0x10, 1, "ok")],
         "start needed ask check notfound close"),
        ("installer started", {"steps": CHAIN}, {}, 1, [ask_1028(1, "yes")], "start needed ask check found"),
        ("installer not started", {"steps": CHAIN, "installer": False}, {}, 0,
         [ask_1028(1, "yes"), box(1027, 0x10, 1, "ok")], "start needed ask check found"),
        ("looping chain", {"steps": (("8.1.0", "8.2.0"), ("8.2.0", "8.1.0"))}, {}, 1,
         [ask_1028(1, "yes"), box(1030, 0x34, 1, "no"), box(1025, 0x10, 1, "ok")],
         "start needed ask check notfound close"),
        # The highest version of the others is the minimum, compared part by part; this workstation's own file
        # (whatever its case) and versions that do not parse are left out.
        ("others older by number", {"host": "8.10.0", "others": {OTHER: "8.9.0"}}, {}, 0, [], "start noneed"),
        ("others newer by number", {"host": "8.9.0", "others": {OTHER: "8.10.0", THIRD: "8.9.5"}}, {"flag": False}, 1,
         [ask_1028(0, "no", "8.9.0", "8.10.0"), box(1118, 0x10, 0, "ok", TEXT[1118].replace(VERSIONS, NEWER))],
         "start ask close"),
        ("own file and unparsed versions left out", {"others": {OTHER: "9", OWN.lower(): "9.0.0", THIRD: "8.1.0"}}, {},
         0, [], "start noneed"),
    ]

    def test_every_path(self):
        for path, practice_options, run_options, result, shown, logged in self.ROWS:
            with self.subTest(path=path):
                practice = CriticalPractice(**practice_options)
                try:
                    script = "".join("message %s -> %s\n" % (line.split()[1][3:], line.split(" -> ")[1])
                                     for line in shown if not line.endswith("unscripted"))
                    done, transcript = practice.run(script, timeout=10, **run_options)
                    self.assertEqual(last_line(done.stdout), "result: %d" % result, done.stderr)
                    self.assertEqual(plain(transcript), shown)
                    self.assertEqual(practice.run_lines(), [LOG[key] for key in logged.split()])
                    self.assertEqual(practice.installer_mode(), "mode=2" if path == "installer started" else None)
                    if path == "incompatible host":
                        self.assertIn('CompatVersion="8.3.0">8.2.0<', practice.read("app/appid.xml"))
                finally:
                    practice.close()


class SearchOnTheInternet(unittest.TestCase):
    """1030 answered Yes: the run decision downloads what the update folder lacks."""

    def test_the_missing_steps_are_downloaded_and_installed_or_the_failure_told(self):
        tree = PracticeTree()
        server = Server(tree.path("server"), chain=("8.1.0", "8.2.0", "8.3.0"))
        # server, the message the run ends with, the installer's mode
        for url, last, mode in ((server.url, '1060 caption="Talvo" style=0x24', "mode=2"),
                                ("ftp://127.0.0.1:%d/maj/" % free_port(), '1029 caption="Talvo" style=0x10', None)):
            practice = CriticalPractice(appid=False)
            try:
                done, shown = practice.run("message 1028 -> yes\nmessage 1030 -> yes\nmessage 1060 -> yes\n",
                                           timeout=240, **{"--server": url})
                self.assertEqual(last_line(done.stdout), "result: 1", done.stderr)
                messages = plain([line for line in shown if line.startswith("message ")])
                self.assertEqual(messages[:2], [ask_1028(1, "yes"), box(1030, 0x34, 1, "yes")])
                self.assertEqual(practice.run_lines()[-1], LOG["internet"])
                self.assertTrue(messages[-1].startswith("message id=%s flag=1 " % last), messages)
                self.assertEqual(practice.installer_mode(), mode)
                if mode:
                    self.assertEqual(len(messages), 3, messages)
                    for package in ("talvo_8.1.0_8.2.0.exe", "talvo_8.2.0_8.3.0.exe"):
                        self.assertTrue(os.path.isfile(practice.path("data/UpdateInfo/Update/" + package)))
            finally:
                practice.close()
        server.stop()
        tree.close()
