"""The critical run seen from a host: kthost --critical on a practice's real files."""
import os
import shutil
import time
import unittest

from ktenv import PracticeTree, last_line

OWN = "{5F0E7A2C-2B1D-4B1D-8C3E-00000000000B}"
OTHER = "{0B9D2C6A-1C3B-4C3B-9E2A-00000000000A}"
THIRD = "{7C1E3B4D-3D2C-4D2C-8F1B-00000000000C}"

START = ("INFO", "Critical update function starts")
NEEDED = ("INFO", "Critical update needed : current version = 8.1.0, min version = 8.3.0")
ASK = ("INFO", "CriticalUpdate : Ask user if he wants to continue update or close Talvo")
CLOSE = ("WARNING", "CriticalUpdate : User chooses to close Talvo")
CHECK = ("INFO", "CriticalUpdate : Check in UpdateInfo/files.xml if necessary updates are present")
FOUND = ("INFO", "CriticalUpdate : Update found in UpdateInfo : start installation")
NOT_FOUND = ("INFO", "CriticalUpdate : No update found in UpdateInfo : ask for download")
NO_NEED = ("INFO", "No need for critical update")
ON_INTERNET = ("INFO", "CriticalUpdate : Look for update on Internet")
# Every line of the critical run begins with one of these.
RUN_LINES = ("Critical update", "CriticalUpdate : ", "No need for critical", "Incompatibility detected")

TEXT_1028 = ("Vous avez installé sur un autre poste une version plus récente de Talvo.\n"
             "Vous devez également installer cette version sur ce poste pour pouvoir utiliser Talvo.\n\n"
             "Version actuelle de Talvo : {0}\nVersion minimum à installer : {1}\n\n"
             "Voulez-vous rechercher les mises à jour disponibles sur le réseau local et les installer ?")
TEXT_1030 = ("Pas de mise à jour sur le réseau local.\r\n\r\nVoulez-vous poursuivre la recherche en vous "
             "connectant au site Internet de téléchargement ?")
TEXT_1118 = ("Impossible de lancer Talvo. La mise à jour n'a pas été installée.\n\n"
             "Version actuelle de Talvo : 8.1.0\nVersion minimum à installer: 8.3.0")
TEXT_1025 = ("Annulation du téléchargement. La mise à jour n'a pas été installée.\nImpossible de lancer Talvo.\n\n"
             "Version actuelle de Talvo : 8.1.0\nVersion minimum à installer: 8.3.0")


def quoted(text):
    for raw, escaped in (("\\", "\\\\"), ('"', '\\"'), ("\n", "\\n"), ("\r", "\\r"), ("\t", "\\t")):
        text = text.replace(raw, escaped)
    return '"%s"' % text


def box(number, style, flag, text, answer, caption="Talvo"):
    return "message id=%d caption=%s style=0x%02x flag=%d text=%s -> %s" % (
        number, quoted(caption), style, flag, quoted(text), answer)


def ask_1028(flag, answer, current="8.1.0", minimum="8.3.0"):
    return box(1028, 0x34, flag, TEXT_1028.format(current, minimum), answer)


def workstation_xml(guid, version, compat):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<Workstation GUID="%s">\n'
            '\t<Version CompatVersion="%s">%s</Version>\n\t<Sesam Shared="0">0</Sesam>\n'
            '\t<LastUpdate Type="1">1.12.2026</LastUpdate>\n</Workstation>\n' % (guid, compat, version))


def appid_xml(version, compat):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<Workstation GUID="%s">\n\t<Folder>app</Folder>\n'
            '\t<Version CompatVersion="%s">%s</Version>\n\t<Sesam Shared="0">0</Sesam>\n'
            '\t<LastUpdate FirstRun="0" Continue="0" Active="0">1.12.2026</LastUpdate>\n'
            '\t<Update Type="1" Network="1" Speed="0" Modem="0" RASName="" Configured="1"/>\n'
            '</Workstation>\n' % (OWN, compat, version))


def files_xml(*steps):
    entries = "".join('\t<File Date="2.2.2026" Name="talvo_%s_%s.exe" Version="%s" NewVersion="%s" CanRestore="1" '
                      'Continue="1" Compatibility="1"/>\n' % (old, new, old, new) for old, new in steps)
    return '<?xml version="1.0" encoding="UTF-8"?>\n<Files>\n%s</Files>\n' % entries


class CriticalPractice:
    """A practice where this workstation runs `host` and the others require `others`."""

    def __init__(self, host="8.1.0", host_compat=None, stored_compat=None, others=None, steps=(),
                 installer=True, appid=True):
        self.tree = PracticeTree()
        self.host = host
        self.host_compat = host_compat or host
        if appid:
            self.tree.write("app/appid.xml", appid_xml(host, stored_compat or self.host_compat))
        for name, compat in (others if others is not None else {OTHER: "8.3.0"}).items():
            self.tree.write("data/UpdateInfo/%s.xml" % name, workstation_xml(name, compat, compat))
        if steps:
            self.tree.write("data/UpdateInfo/files.xml", files_xml(*steps))
        if installer:
            shutil.copy(os.environ["KTUPDATE_STUB"], os.path.join(self.tree.app, "ktupdate.exe"))

    def run(self, script="", flag=True, timeout=60, **overrides):
        major, minor, build = self.host.split(".")
        options = {"--ver-major": major, "--ver-minor": minor, "--ver-build": build,
                   "--compat-version": self.host_compat, "--flag": True if flag else None}
        options.update(overrides)
        return self.tree.kthost("--critical", *self.tree.record_options(**options), script=script,
                                timeout=timeout)

    def run_lines(self):
        """(level, text) of the critical run's own log lines, in order."""
        lines = []
        for line in self.tree.activity_log().splitlines():
            level, _, rest = line.partition(" ")
            text = rest.partition("ktupdateDLL : ")[2]
            if text.startswith(RUN_LINES):
                lines.append((level, text))
        return lines

    def installer_started(self):
        return os.path.exists(os.path.join(self.tree.app, "ktupdate-record.txt"))


class ResultsOfTheCriticalRun(unittest.TestCase):
    """Every path of the run: its result, what it shows and what it logs."""

    CHAIN = (("8.1.0", "8.2.0"), ("8.2.0", "8.3.0"))
    INCOMPATIBLE = ("ERROR", "Incompatibility detected : current compatibility version (KTVer.dll) = 8.2.0 "
                             "whereas asked version (appid.xml) = 8.3.0")
    ROWS = [
        # path, practice, run options, script, result, shown, log lines, installer started
        ("invalid record", {}, {"--practitioner": None, "flag": False}, "", 1,
         [box(1084, 0x10, 1, "Le nom du praticien n'est pas lisible. Mise à jour impossible.", "ok unscripted",
              caption="Erreur")], [START], False),
        ("update folder cannot be created", {}, {"--update-dir": "FILE/UpdateInfo"}, "message 1031 -> ok", 0,
         [box(1031, 0x10, 1, "Impossible de créer le répertoire de sauvegarde des mises à jour !", "ok")],
         [START], False),
        ("incompatible host", {"host": "8.2.0", "stored_compat": "8.3.0"}, {}, "message 1107 -> ok", 1,
         [box(1107, 0x10, 1, "Incompatibilité détectée. La version de Talvo minimum requise est 8.3.0. "
                             "Impossible de continuer.", "ok")], [START, INCOMPATIBLE], False),
        ("no need", {"others": {}}, {}, "", 0, [], [START, NO_NEED], False),
        ("user closes at the question", {}, {"flag": False}, "message 1028 -> no\nmessage 1118 -> ok", 1,
         [ask_1028(0, "no"), box(1118, 0x10, 0, TEXT_1118, "ok")], [START, NEEDED, ASK, CLOSE], False),
        ("user closes instead of downloading", {"steps": CHAIN[:1]}, {},
         "message 1028 -> yes\nmessage 1030 -> no\nmessage 1025 -> ok", 1,
         [ask_1028(1, "yes"), box(1030, 0x34, 1, TEXT_1030, "no"), box(1025, 0x10, 1, TEXT_1025, "ok")],
         [START, NEEDED, ASK, CHECK, NOT_FOUND, CLOSE], False),
        ("installer started", {"steps": CHAIN}, {}, "message 1028 -> yes", 1, [ask_1028(1, "yes")],
         [START, NEEDED, ASK, CHECK, FOUND], True),
        ("installer not started", {"steps": CHAIN, "installer": False}, {}, "message 1028 -> yes\nmessage 1027 -> ok",
         0, [ask_1028(1, "yes"), box(1027, 0x10, 1, "Impossible d'installer la mise à jour. Le programme d'installation n'a pas été "
                                 "lancé.", "ok")],
         [START, NEEDED, ASK, CHECK, FOUND], False),
    ]

    def test_every_path(self):
        for path, practice_options, run_options, script, result, shown, logged, started in self.ROWS:
            with self.subTest(path=path):
                practice = CriticalPractice(**practice_options)
                try:
                    if run_options.get("--update-dir") == "FILE/UpdateInfo":
                        practice.tree.write("FILE", "")
                        run_options = dict(run_options, **{"--update-dir": practice.tree.path("FILE/UpdateInfo")})
                    done, transcript = practice.run(script, **run_options)
                    self.assertEqual(last_line(done.stdout), "result: %d" % result, done.stderr)
                    self.assertEqual(transcript, shown)
                    self.assertEqual(practice.run_lines(), logged)
                    self.assertEqual(practice.installer_started(), started)
                finally:
                    practice.tree.close()


class WhoLagsBehind(unittest.TestCase):
    """The minimum comes from the other workstations only, compared as numbers."""

    ROWS = [
        # host version, other workstations' files, 1028 naming (current, minimum), or None for "no need"
        ("8.10.0", {OTHER: "8.9.0"}, None),
        ("8.9.0", {OTHER: "8.10.0", THIRD: "8.9.5"}, ("8.9.0", "8.10.0")),
        ("8.1.0", {OTHER: "9", OWN.lower(): "9.0.0", THIRD: "8.1.0"}, None),
    ]

    def test_minimum_version(self):
        for host, others, asked in self.ROWS:
            with self.subTest(host=host, others=others):
                practice = CriticalPractice(host=host, others=others)
                try:
                    done, shown = practice.run("message 1028 -> no\nmessage 1118 -> ok")
                    self.assertEqual(last_line(done.stdout), "result: %d" % (0 if asked is None else 1))
                    self.assertEqual(shown[:1], [] if asked is None else [ask_1028(1, "no", *asked)])
                finally:
                    practice.tree.close()


class CriticalEdges(unittest.TestCase):
    def setUp(self):
        self.practice = None

    def tearDown(self):
        if self.practice:
            self.practice.tree.close()

    def test_a_host_too_old_for_the_data_leaves_the_configuration_as_it_was(self):
        self.practice = CriticalPractice(host="8.2.0", stored_compat="8.3.0")
        before = self.practice.tree.read("app/appid.xml")
        done, shown = self.practice.run("message 1107 -> ok")
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual(len(shown), 1)
        self.assertEqual(self.practice.tree.read("app/appid.xml"), before)

    def test_a_missing_update_folder_is_made(self):
        self.practice = CriticalPractice(others={})
        folder = self.practice.tree.path("data/Shared")
        done, shown = self.practice.run(**{"--update-dir": folder})
        self.assertEqual((last_line(done.stdout), shown), ("result: 0", []))
        self.assertTrue(os.path.isfile(os.path.join(folder, OWN + ".xml")))

    def test_the_installer_gets_the_install_mode(self):
        self.practice = CriticalPractice(steps=ResultsOfTheCriticalRun.CHAIN)
        done, _ = self.practice.run("message 1028 -> yes")
        self.assertEqual(last_line(done.stdout), "result: 1")
        record = self.practice.tree.read("app/ktupdate-record.txt").splitlines()
        self.assertIn("mode=2", record)

    def test_a_looping_chain_ends_with_the_download_question(self):
        self.practice = CriticalPractice(steps=(("8.1.0", "8.2.0"), ("8.2.0", "8.1.0")))
        begun = time.monotonic()
        done, shown = self.practice.run("message 1028 -> yes\nmessage 1030 -> no\nmessage 1025 -> ok", timeout=10)
        self.assertLess(time.monotonic() - begun, 1.0)
        self.assertEqual(last_line(done.stdout), "result: 1")
        self.assertEqual([line.split()[1] for line in shown], ["id=1028", "id=1030", "id=1025"])


if __name__ == "__main__":
    unittest.main()
