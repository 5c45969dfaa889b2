"""Update runs end to end: kthost and the real library against an update server on 127.0.0.1,
with the installer stand-in in the application folder."""
import datetime
import os
import signal
import time
import unittest
import xml.etree.ElementTree as ET

from ktenv import AT_START_INTERNET, Practice, PracticeTree, Server, date_text, last_line, shown_items, wait_for

TODAY = datetime.date.today()


class UpdateRuns(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server_root = PracticeTree()
        cls.server = Server(cls.server_root.path("server"))

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.server_root.close()

    def setUp(self):
        self.practice, self.processes = Practice(), []

    def tearDown(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait(timeout=10)
        self.practice.close()

    def fresh(self):
        self.practice.close()
        self.practice = Practice()
        return self.practice

    def options(self, **record):
        return self.practice.record_options(**{"--server": self.server.url, **record})

    def run_kthost(self, options, script=""):
        done, transcript = self.practice.kthost(*options, script=script, timeout=120)
        self.assertEqual(last_line(done.stdout), "result: 1", done.stdout + done.stderr)
        # The host's message library expects flag 1 on every box of an ordinary run.
        self.assertEqual([line for line in transcript if line.startswith(("message ", "buttons ")) and " flag=1 " not in line], [])
        return shown_items(transcript)

    def test_fresh_workstation_keeps_its_answer_and_its_guid(self):
        self.assertEqual(self.run_kthost(self.options(), "buttons 1021 -> 23\n")[:1], ["1021"])
        guid = self.practice.guid()
        self.assertEqual([self.practice.setting(*s) for s in (("LastUpdate", "Active"), ("Schedule", "Teletrans"),
                                                              ("Schedule", "Active"), ("Update", "Configured"))],
                         ["1", "0", "0", "1"])
        self.assertTrue(os.path.exists(os.path.join(self.practice.update, guid + ".xml")))
        self.assertNotIn("1021", self.run_kthost(self.options()))
        self.assertEqual(self.practice.guid(), guid)

    def test_runs(self):
        local = os.path.join(self.server.root, "maj")
        dead = {"--at-start": True, "--server": "ftp://127.0.0.1:9/maj/"}
        days_ago = lambda days: {**AT_START_INTERNET, ("LastUpdate", None): date_text(TODAY - datetime.timedelta(days))}
        start, first, menu = {"--at-start": True}, {("LastUpdate", "FirstRun"): "1"}, "dialog 102: click 1000; click 1\n"
        yes, no, chain, asked = "message 1060 -> yes\n", "message 1060 -> no\n", ["dialog 130", "1060"], ["dialog 102"]
        rows = [
            # name, settings, record options, answers, shown, installer started
            ("start, Internet, Yes", AT_START_INTERNET, start, yes, chain, True),
            ("start, Internet, No", AT_START_INTERNET, start, no, chain, False),
            ("start, directory", {("LastUpdate", "Active"): "1", ("Update", "Type"): "3", ("LocalUpdate", None): local},
             start, yes, chain, True),
            ("first run, asked", first, start, "buttons 1112 -> 23\n" + yes, ["1112"] + chain, True),
            ("first run, Options", first, start, "buttons 1112 -> 25\ndialog 131: click 1\n" + yes,
             ["1112", "dialog 131"] + chain, True),
            ("first run, Options, cancelled", first, start, "buttons 1112 -> 25\ndialog 131: click 2\n", ["1112", "dialog 131"],
             False),
            ("first run, Continue", {**first, ("LastUpdate", "Continue"): "1"}, start, yes, chain, True),
            ("first run, not at start", first, {}, "", asked, False),
            ("menu, Internet, Yes", {}, {}, menu + yes, asked + chain, True),
            ("menu, Internet, No", {}, {}, menu + no, asked + chain, False),
            ("menu, directory", {}, {}, 'dialog 102: click 1003; text 1004 "%s"; click 1\n' % local + yes, asked + chain, True),
            ("menu, nothing on the network", {}, {}, "dialog 102: click 1001; click 1\n", asked + ["1079"], False),
            # A month without an update: the user is asked; No moves LastUpdate to today, Yes checks again.
            ("no connection, 30 days", days_ago(30), dead, "message 1073 -> no\n", ["1073"], False),
            ("no connection, 29 days", days_ago(29), dead, "", [], False),
            ("no connection, 30 days, Yes", days_ago(30), dead, "message 1073 -> yes\ndialog 145: click 2\n",
             ["1073", "dialog 145"], False),
            ("scheduled, no connection", {("Schedule", "Teletrans"): "0", ("Schedule", "Active"): "1",
                                          ("Schedule", "Frequency"): "2", ("Update", "Type"): "1"},
             dead, "dialog 145: click 2\n", ["dialog 145"], False),
        ]
        for name, settings, record, answers, shown, started in rows:
            with self.subTest(name):
                self.fresh().configured(self.server.url, settings)
                self.assertEqual(self.run_kthost(self.options(**record), answers), shown)
                self.assertEqual(self.practice.installer_mode(), "mode=2" if started else None)
                self.assertTrue(self.practice.read("app/mjlog.log").startswith("------------- ["), "the run's journal begins anew")
                if "dialog 130" in shown:
                    steps = [n for n in os.listdir(os.path.join(self.practice.update, "Update")) if n.startswith("talvo_")]
                    self.assertEqual(len(steps), 3, "the whole chain from 5.2.0 is ready")
                self.assertFalse(os.path.exists(self.practice.lock()), "no lock is left behind")
                if "1073" in shown:
                    self.assertEqual(self.practice.setting("LastUpdate") == date_text(TODAY), "1073 -> no" in answers)

    def test_a_person_sees_the_download_a_run_at_start_keeps_minimised(self):
        for record, script, minimised in (({"--at-start": True}, "", True), ({}, "dialog 102: click 1000; click 1\n", False)):
            options = self.fresh().configured(self.server.url, AT_START_INTERNET, **record)
            done, _ = self.practice.kthost(*options, script=script + "message 1060 -> no\n", timeout=120, ui="watch:")
            self.assertEqual(("(fenêtre 130)\n" in done.stdout, "(fenêtre 130) (réduite)" in done.stdout), (not minimised, minimised))

    def test_a_malformed_file_met_mid_run_fails_cleanly(self):
        spoiled = Server(self.server_root.path("spoiled"))
        for base in ("maj", "maj77"):
            with open(os.path.join(spoiled.root, base, "versions.xml"), "w") as f:
                f.write('<?xml version="1.0"?>\n<Update><Version OldVer="5.2.0"')
        bad = "<Files><File Name="
        rows = [
            # file spoiled, server, shown, log line, journal end, packages recorded
            ("versions.xml", spoiled, ["dialog 130"], "Can't parse ", "MJ_DWL_DU_14 : Problème: lecture.", False),
            ("files.xml", self.server, ["dialog 130"],
             "KTDownload : ProcessUpdate : files.xml can't be read : sesam_pack.exe not recorded",
             "MJ_DWL_DU_15 : Problème: écriture.", False),
            ("{guid}.xml", self.server, ["dialog 130", "1060"], "Can't parse ", "MJ_DWL_DU : La mise à jour est terminée.",
             True),
        ]
        try:
            for name, server, shown, logged, journal, recorded in rows:
                with self.subTest(name):
                    options = self.fresh().configured(server.url, AT_START_INTERNET, **{"--at-start": True})
                    spoilt = name.format(guid=self.practice.guid())
                    if name != "versions.xml":
                        self.practice.write("data/UpdateInfo/" + spoilt, bad)
                    self.assertEqual(self.run_kthost(options, "message 1060 -> yes\n"), shown)
                    log = self.practice.activity_log().splitlines()
                    self.assertTrue([line for line in log if logged in line and spoilt in line], log)
                    self.assertEqual(self.practice.journal_end(), journal)
                    self.assertEqual(self.practice.installer_mode(), "mode=2" if recorded else None)
                    self.assertEqual(os.path.isdir(os.path.join(self.practice.update, "Update")), recorded)
                    left = sorted(n for n in os.listdir(self.practice.update) if n.endswith((".xml", ".tmp")))
                    for file in left:
                        if file != "files.xml" or recorded:
                            ET.parse(os.path.join(self.practice.update, file))
                    self.assertFalse([n for n in left if n.endswith(".tmp")])
                    if name == "files.xml":
                        self.assertEqual(self.practice.read("data/UpdateInfo/files.xml"), bad, "left as it was")
        finally:
            spoiled.stop()

    def teletransmission_download(self):
        """Packages downloaded by a teletransmission run, which offers nothing."""
        self.practice.configured(self.server.url, {("Schedule", "Teletrans"): "1"})
        self.assertEqual(self.run_kthost(self.options(**{"--teletrans": True})), ["dialog 130"])
        self.assertIsNone(self.practice.installer_mode())

    def test_packages_another_workstation_left(self):
        self.teletransmission_download()
        rows = [
            # name, settings, record options, dialog actions, shown
            ("teletransmission, install only", {}, {"--teletrans": True, "--inst-only": True}, "", ["1060"]),
            ("menu, network", {}, {}, "dialog 102: click 1001; click 1\n", ["dialog 102", "1060"]),
            ("start, network", {("Schedule", "Teletrans"): "0", ("LastUpdate", "Active"): "1", ("Update", "Type"): "2"},
             {"--at-start": True}, "", ["1060"]),
        ]
        for name, settings, record, actions, shown in rows:
            with self.subTest(name):
                self.practice.write("app/ktupdate-record.txt", "")
                self.practice.configure(settings)
                self.assertEqual(self.run_kthost(self.options(**record), actions + "message 1060 -> yes\n"), shown)
                self.assertEqual(self.practice.installer_mode(), "mode=2")
                self.assertFalse(os.path.exists(self.practice.lock()))

    def test_a_scheduled_no_frees_the_lock_while_the_run_waits(self):
        self.teletransmission_download()
        # An unknown frequency runs at once, then waits a day.
        self.practice.configure({("Schedule", "Teletrans"): "0", ("Schedule", "Active"): "1",
                                 ("Schedule", "Frequency"): "2", ("Update", "Type"): "2"})
        waiting = self.practice.start_kthost(self.practice.record_options(**{"--at-start": True}), "scheduled.txt",
                                             "message 1060 -> no\n")
        self.processes.append(waiting)
        self.assertTrue(wait_for(lambda: "1060" in shown_items(self.practice.read("scheduled.txt").splitlines()), 30))
        time.sleep(0.5)
        self.assertIsNone(waiting.poll(), "the run waits for its next time")
        self.assertFalse(os.path.exists(self.practice.lock()), "other workstations are not kept away meanwhile")

    def test_an_empty_update_folder_stops_the_run_before_anything_is_written(self):
        self.assertEqual(self.run_kthost(self.practice.record_options(**{"--update-dir": ""})), ["1031"])
        self.assertFalse(os.path.exists(self.practice.appid()))

    def test_another_workstations_fresh_lock_outlives_this_run(self):
        """Packages are waiting, but another workstation holds a fresh lock: a run at start gives way
        silently, a person who asked is told 1097; the lock stays as it was."""
        self.teletransmission_download()
        self.practice.configure({("Schedule", "Teletrans"): "0", ("LastUpdate", "Active"): "1", ("Update", "Type"): "2"})
        heartbeat = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        lock = self.practice.write("data/UpdateInfo/updating.xml", (
            '<?xml version="1.0" encoding="UTF-8"?>\n<Workstation GUID="{00000000-0000-4000-8000-000000000001}" '
            'Host="another-host" ProcessId="1" BootId="x" Heartbeat="%s">\n\t<LastUpdate>%s</LastUpdate>\n'
            '</Workstation>\n' % (heartbeat, date_text(TODAY))))
        before = self.practice.read(lock)
        for record, shown in (({"--at-start": True}, []), ({}, ["1097"])):
            self.assertEqual(self.run_kthost(self.practice.record_options(**record)), shown)
            self.assertEqual(self.practice.read(lock), before)
            self.assertIsNone(self.practice.installer_mode())

    def test_two_workstations_starting_at_once_download_once(self):
        """Two workstations (their own application folder, GUID and machine folders) share one update
        folder and start a teletransmission download in the same moment: one downloads, the other is told 1097."""
        slow = Server(self.practice.path("slow"), "--throttle", "40000")
        try:
            for app in ("app", "app2"):
                folder = self.practice.mkdir(app)
                self.practice.install_installer(folder)
                self.practice.configured(slow.url, {("Schedule", "Teletrans"): "1"}, **{"--app-dir": folder})
            self.assertNotEqual(self.practice.guid(self.practice.path("app")), self.practice.guid(self.practice.path("app2")))
            for app in ("app", "app2"):
                env = dict(self.practice.env, **{v: self.practice.mkdir(app + "-machine/" + v) for v in
                                                 ("KT_RUNTIME_DIR", "KT_REGISTRY_DIR", "KT_WINDOWS_DIR", "TMPDIR")})
                options = self.practice.record_options(**{"--server": slow.url, "--app-dir": self.practice.path(app),
                                                          "--teletrans": True})
                self.processes.append(self.practice.start_kthost(options, app + ".txt", env=env))
            for process in self.processes:
                process.wait(timeout=120)
        finally:
            slow.stop()
        shown = sorted([item for item in shown_items(self.practice.read(app + ".txt").splitlines())
                        if item != "dialog 102"] for app in ("app", "app2"))
        self.assertEqual(shown, [["1097"], ["dialog 130"]])
        self.assertFalse(os.path.exists(self.practice.lock()), "the winner's lock goes with its run")

    def test_a_run_waiting_for_its_time(self):
        """A second call wakes it within a second and shows nothing; once it is killed, calls run again."""
        due_far = (datetime.datetime.now() - datetime.timedelta(hours=2)).strftime("%H:%M")
        for killed in (False, True):
            with self.subTest(killed=killed):
                options = self.fresh().configured(self.server.url, {
                    ("Schedule", "Active"): "1", ("Schedule", "Frequency"): "1", ("Schedule", "Time"): due_far},
                    **{"--at-start": True})
                waiting = self.practice.start_kthost(options, "waiting.txt")
                self.processes.append(waiting)
                self.assertTrue(wait_for(lambda: "Auto update is enabled (at start or scheduled)"
                                         in self.practice.activity_log(), 30))
                time.sleep(0.5)
                self.assertIsNone(waiting.poll(), "the run waits for its time")
                if killed:
                    waiting.send_signal(signal.SIGKILL)
                    waiting.wait(timeout=10)
                shown = self.run_kthost(self.practice.record_options(**{"--practitioner": None}))
                self.assertEqual(shown, ["1084"] if killed else [], "a turned-away call shows nothing")
                if not killed:
                    self.assertTrue(wait_for(lambda: "dialog 102" in shown_items(
                        self.practice.read("waiting.txt").splitlines()), 1.0), "not woken within a second")


if __name__ == "__main__":
    unittest.main()
