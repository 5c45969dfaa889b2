"""Update runs end to end: kthost and the real library against an update server on 127.0.0.1,
with the installer stand-in in the application folder."""
import datetime
import os
import signal
import socket
import subprocess
import time
import unittest
import xml.etree.ElementTree as ET

from ktenv import AT_START_INTERNET, Practice, PracticeTree, Server, date_text, free_port, last_line, package, \
    shown_items, update_server, wait_for

TODAY = datetime.date.today()
# Debian's own servers, when installed: vsftpd serving the update tree to its anonymous account (which
# ftpacs.bin names), squid as a proxy asking for a login.
VSFTPD, SQUID = "/usr/sbin/vsftpd", "/usr/sbin/squid"
NCSA, HTPASSWD = "/usr/lib/squid/basic_ncsa_auth", "/usr/bin/htpasswd"
PROXY_USER, PROXY_PASSWORD = "cabinet", "s3cret"


class Foreground:
    """A server's process in the foreground, once its port answers; the test is skipped when it does not."""

    def __init__(self, command, port, limit):
        def answers():
            try:
                with socket.create_connection(("127.0.0.1", port), timeout=0.2):
                    return True
            except OSError:
                return self.process.poll() is not None
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if not wait_for(answers, limit) or self.process.poll() is not None:
            reason = self.process.stderr.read().decode(errors="replace") if self.process.poll() is not None else ""
            self.stop()
            raise unittest.SkipTest("%s did not start: %s" % (command[0], reason.strip()[-300:] or "no answer"))

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)
        self.process.stderr.close()


def vsftpd(tree, root, port):
    """vsftpd, anonymous read-only on `root`."""
    return Foreground([VSFTPD, tree.write("vsftpd.conf", "\n".join([
        "listen=YES", "listen_address=127.0.0.1", "listen_port=%d" % port, "background=NO",
        "run_as_launching_user=YES", "anonymous_enable=YES", "no_anon_password=YES", "anon_root=" + root,
        "local_enable=NO", "write_enable=NO", "seccomp_sandbox=NO", "pasv_enable=YES", "pasv_address=127.0.0.1",
        "secure_chroot_dir=" + tree.root, "xferlog_enable=YES", "vsftpd_log_file=" + tree.path("vsftpd.log"), ""]))],
        port, 10)


def squid(tree, port):
    """squid on 127.0.0.1, asking for Basic credentials checked by its ncsa helper."""
    folder = tree.mkdir("squid")
    # squid drops to its own user: its folder must be open to it.
    os.chmod(tree.root, 0o755)
    os.chmod(folder, 0o777)
    subprocess.run([HTPASSWD, "-b", "-c", os.path.join(folder, "passwd"), PROXY_USER, PROXY_PASSWORD], check=True,
                   capture_output=True)
    return Foreground([SQUID, "-N", "-f", tree.write("squid/squid.conf", "\n".join([
        "http_port 127.0.0.1:%d" % port, "auth_param basic program %s %s" % (NCSA, os.path.join(folder, "passwd")),
        "auth_param basic realm talvo-test", "acl authed proxy_auth REQUIRED", "http_access allow authed",
        "http_access deny all", "cache deny all", "cache_mem 4 MB", "access_log stdio:" + folder + "/access.log",
        "cache_log %s/cache.log" % folder, "pid_filename %s/squid.pid" % folder, "coredump_dir " + folder,
        "shutdown_lifetime 0 seconds", "dns_nameservers 127.0.0.1", ""]))], port, 20)


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
        self.practice, self.processes, self.servers = None, [], []
        self.fresh()

    def tearDown(self):
        for server in self.servers:
            server.stop()
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait(timeout=10)
        self.practice.close()

    def fresh(self):
        if self.practice:
            self.practice.close()
        self.practice = Practice()
        return self.practice

    def options(self, **record):
        return self.practice.record_options(**{"--server": self.server.url, **record})

    def run_kthost(self, options, script=""):
        done, transcript = self.practice.kthost(*options, script=script, timeout=120)
        self.assertEqual(last_line(done.stdout), "result: 1", done.stdout + done.stderr)
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
        rows = [
            # name, settings, record options, answers, shown, installer started, LastUpdate after
            ("start, Internet, Yes", AT_START_INTERNET, start, "message 1060 -> yes\n", ["dialog 130", "1060"], True,
             None),
            ("start, Internet, No", AT_START_INTERNET, start, "message 1060 -> no\n", ["dialog 130", "1060"], False,
             None),
            ("start, directory", {("LastUpdate", "Active"): "1", ("Update", "Type"): "3", ("LocalUpdate", None): local},
             start, "message 1060 -> yes\n", ["dialog 130", "1060"], True, None),
            ("first run, asked", first, start, "buttons 1112 -> 23\nmessage 1060 -> yes\n",
             ["1112", "dialog 130", "1060"], True, None),
            ("first run, Continue", {**first, ("LastUpdate", "Continue"): "1"}, start, "message 1060 -> yes\n",
             ["dialog 130", "1060"], True, None),
            ("first run, not at start", first, {}, "", ["dialog 102"], False, None),
            ("menu, Internet, Yes", {}, {}, menu + "message 1060 -> yes\n", ["dialog 102", "dialog 130", "1060"], True,
             None),
            ("menu, Internet, No", {}, {}, menu + "message 1060 -> no\n", ["dialog 102", "dialog 130", "1060"], False,
             None),
            ("menu, directory", {}, {}, 'dialog 102: click 1003; text 1004 "%s"; click 1\nmessage 1060 -> yes\n' % local,
             ["dialog 102", "dialog 130", "1060"], True, None),
            ("menu, nothing on the network", {}, {}, "dialog 102: click 1001; click 1\n", ["dialog 102", "1079"], False,
             None),
            ("no connection, 30 days", days_ago(30), dead, "message 1073 -> no\n", ["1073"], False, date_text(TODAY)),
            ("no connection, 29 days", days_ago(29), dead, "", [], False, None),
        ]
        for name, settings, record, answers, shown, started, last_update in rows:
            with self.subTest(name):
                self.fresh().configured(self.server.url, settings)
                self.assertEqual(self.run_kthost(self.options(**record), answers), shown)
                self.assertEqual(self.practice.installer_started(), started)
                if "dialog 130" in shown:
                    steps = [n for n in os.listdir(os.path.join(self.practice.update, "Update")) if n.startswith("talvo_")]
                    self.assertEqual(len(steps), 3, "the whole chain from 5.2.0 is ready")
                self.assertFalse(os.path.exists(self.practice.lock()), "no lock is left behind")
                if last_update:
                    self.assertEqual(self.practice.setting("LastUpdate"), last_update)

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
                    self.assertEqual(self.practice.installer_started(), recorded)
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
        self.assertFalse(self.practice.installer_started())

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
                self.assertTrue(self.practice.installer_started())
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
        self.practice.configured(self.server.url, {("LastUpdate", "Active"): "1", ("Update", "Type"): "2"})
        heartbeat = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        lock = self.practice.write("data/UpdateInfo/updating.xml", (
            '<?xml version="1.0" encoding="UTF-8"?>\n<Workstation GUID="{00000000-0000-4000-8000-000000000001}" '
            'Host="another-host" ProcessId="1" BootId="x" Heartbeat="%s">\n\t<LastUpdate>%s</LastUpdate>\n'
            '</Workstation>\n' % (heartbeat, date_text(TODAY))))
        before = self.practice.read(lock)
        self.assertEqual(self.run_kthost(self.practice.record_options(**{"--at-start": True})), [])
        self.assertEqual(self.practice.read(lock), before)

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


    @unittest.skipUnless(os.access(VSFTPD, os.X_OK), "vsftpd is not installed (scripts/setup.sh installs it)")
    def test_through_vsftpd_the_chain_and_the_pack_arrive_whole(self):
        root, port = self.server_root.path("vsftpd"), free_port()
        update_server.write_tree(root, user="anonymous", password="talvo@example.fr")
        self.servers.append(vsftpd(self.practice, root, port))
        options = self.practice.configured("ftp://127.0.0.1:%d/maj/" % port, AT_START_INTERNET, **{"--at-start": True})
        self.assertEqual(self.run_kthost(options, "message 1060 -> no\n"), ["dialog 130", "1060"])
        entries = [entry.get("Name") for entry in ET.parse(os.path.join(self.practice.update, "files.xml")).getroot()]
        self.assertEqual(entries, ["sesam_pack.exe", "talvo_5.3.0_5.4.0.exe", "talvo_5.2.1_5.3.0.exe",
                                   "talvo_5.2.0_5.2.1.exe"])
        for name in entries:
            with open(os.path.join(self.practice.update, "Update", name), "rb") as f:
                self.assertEqual(f.read(), package(root, name), name)
        self.assertIn("/maj/5.3.0/talvo_5.2.1_5.3.0.exe", self.practice.read("vsftpd.log"), "vsftpd served it")

    @unittest.skipUnless(all(os.access(p, os.X_OK) for p in (SQUID, NCSA, HTPASSWD)),
                         "squid or apache2-utils is not installed (scripts/setup.sh installs them)")
    def test_through_squid_the_run_goes_only_with_its_login(self):
        port, proxy_tree = free_port(), PracticeTree()
        self.addCleanup(proxy_tree.close)
        self.servers.append(squid(proxy_tree, port))
        access_log = proxy_tree.path("squid/access.log")
        # name, proxy password, packages expected, what squid answered
        for name, password, packages, status in (("right login", PROXY_PASSWORD, 4, "TCP_MISS/200 "),
                                                 ("wrong login", "wrong", 0, "TCP_DENIED/407 ")):
            with self.subTest(name):
                seen = os.path.getsize(access_log) if os.path.exists(access_log) else 0
                # The connection check takes the proxy's port from its address only.
                proxy = {"Active": "1", "Address": "127.0.0.1:%d" % port, "Port": "0", "Login": PROXY_USER,
                         "Pass": password}
                options = self.fresh().configured(self.server.url, {
                    **AT_START_INTERNET, **{("Update/Proxy", k): v for k, v in proxy.items()}}, **{"--at-start": True})
                shown = self.run_kthost(options, "message 1060 -> no\n")
                update = os.path.join(self.practice.update, "Update")
                got = [n for n in os.listdir(update) if n.endswith(".exe")] if os.path.isdir(update) else []
                self.assertEqual(len(got), packages, shown)
                with open(access_log) as f:
                    answered = f.read()[seen:]
                self.assertIn(status, answered)
                self.assertEqual("/200 " in answered, packages > 0, answered)

if __name__ == "__main__":
    unittest.main()
