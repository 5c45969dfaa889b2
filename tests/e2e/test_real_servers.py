"""Update runs against Debian's own servers on 127.0.0.1: vsftpd serving the update tree to its
anonymous account (which ftpacs.bin names), squid as a proxy asking for a login."""
import os
import socket
import subprocess
import unittest
import xml.etree.ElementTree as ET

from ktenv import AT_START_INTERNET, Practice, PracticeTree, Server, free_port, shown_items, update_server, wait_for

VSFTPD = "/usr/sbin/vsftpd"
SQUID = "/usr/sbin/squid"
NCSA = "/usr/lib/squid/basic_ncsa_auth"
HTPASSWD = "/usr/bin/htpasswd"
PROXY_USER, PROXY_PASSWORD = "cabinet", "s3cret"


def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.2):
            return True
    except OSError:
        return False


def start(server, command, limit):
    """Starts `server`'s process and waits until its port answers; skips the test when it does not."""
    server.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if not wait_for(lambda: server.process.poll() is not None or answers(server.port), limit) or \
            server.process.poll() is not None:
        reason = server.process.stderr.read().decode(errors="replace") if server.process.poll() is not None else ""
        server.stop()
        raise unittest.SkipTest("%s did not start: %s" % (command[0], reason.strip()[-300:] or "no answer"))


def stop(process):
    if process.poll() is None:
        process.terminate()
    try:
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=10)
    process.stderr.close()


class Vsftpd:
    """vsftpd in the foreground, anonymous read-only on `root`."""

    def __init__(self, tree, root):
        self.port = free_port()
        config = tree.write("vsftpd.conf", "\n".join([
            "listen=YES", "listen_address=127.0.0.1", "listen_port=%d" % self.port, "background=NO",
            "run_as_launching_user=YES", "anonymous_enable=YES", "no_anon_password=YES", "anon_root=" + root,
            "local_enable=NO", "write_enable=NO", "seccomp_sandbox=NO", "pasv_enable=YES",
            "pasv_address=127.0.0.1", "secure_chroot_dir=" + tree.root, "xferlog_enable=YES",
            "vsftpd_log_file=" + tree.path("vsftpd.log"), ""]))
        start(self, [VSFTPD, config], 10)
        self.url = "ftp://127.0.0.1:%d/maj/" % self.port

    def stop(self):
        stop(self.process)


class Squid:
    """squid in the foreground on 127.0.0.1, asking for Basic credentials checked by its ncsa helper."""

    def __init__(self, tree):
        self.port = free_port()
        # squid drops to its own user: its folder must be open to it.
        folder = tree.mkdir("squid")
        for path in (tree.root, folder):
            os.chmod(path, 0o777 if path == folder else 0o755)
        subprocess.run([HTPASSWD, "-b", "-c", os.path.join(folder, "passwd"), PROXY_USER, PROXY_PASSWORD],
                       check=True, capture_output=True)
        self.access_log = os.path.join(folder, "access.log")
        config = tree.write("squid/squid.conf", "\n".join([
            "http_port 127.0.0.1:%d" % self.port,
            "auth_param basic program %s %s" % (NCSA, os.path.join(folder, "passwd")),
            "auth_param basic realm talvo-test", "acl authed proxy_auth REQUIRED",
            "http_access allow authed", "http_access deny all", "cache deny all", "cache_mem 4 MB",
            "access_log stdio:" + self.access_log, "cache_log " + os.path.join(folder, "cache.log"),
            "pid_filename " + os.path.join(folder, "squid.pid"), "coredump_dir " + folder,
            "shutdown_lifetime 0 seconds", "dns_nameservers 127.0.0.1", ""]))
        start(self, [SQUID, "-N", "-f", config], 20)

    def stop(self):
        stop(self.process)


@unittest.skipUnless(os.access(VSFTPD, os.X_OK), "vsftpd is not installed (scripts/setup.sh installs it)")
class AgainstVsftpd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server_tree = PracticeTree()
        cls.root = cls.server_tree.path("server")
        update_server.write_tree(cls.root, user="anonymous", password="talvo@example.fr")
        try:
            cls.server = Vsftpd(cls.server_tree, cls.root)
        except unittest.SkipTest:
            cls.server_tree.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.server_tree.close()

    def setUp(self):
        self.practice = Practice()

    def tearDown(self):
        self.practice.close()

    def run_at_start(self):
        options = self.practice.configured(self.server.url, AT_START_INTERNET, **{"--at-start": True})
        done, transcript = self.practice.kthost(*options, script="message 1060 -> no\n", timeout=120)
        return shown_items(transcript)

    def entries(self):
        path = os.path.join(self.practice.update, "files.xml")
        return [entry.get("Name") for entry in ET.parse(path).getroot()] if os.path.exists(path) else []

    def server_file(self, folder, name):
        with open(os.path.join(self.root, folder, name), "rb") as f:
            return f.read()

    def test_the_chain_and_the_pack_arrive_whole(self):
        self.assertEqual(self.run_at_start(), ["dialog 130", "1060"])
        self.assertEqual(self.entries(), ["sesam_pack.exe", "talvo_5.3.0_5.4.0.exe", "talvo_5.2.1_5.3.0.exe",
                                          "talvo_5.2.0_5.2.1.exe"])
        for name in self.entries():
            folder = "maj/sesam" if name.startswith("sesam") else "maj/" + name[:-4].split("_")[2]
            with open(os.path.join(self.practice.update, "Update", name), "rb") as f:
                self.assertEqual(f.read(), self.server_file(folder, name), name)
        self.assertIn("/maj/5.3.0/talvo_5.2.1_5.3.0.exe", self.server_tree.read("vsftpd.log"), "vsftpd served it")


@unittest.skipUnless(all(os.access(p, os.X_OK) for p in (SQUID, NCSA, HTPASSWD)),
                     "squid or apache2-utils is not installed (scripts/setup.sh installs them)")
class ThroughSquid(unittest.TestCase):
    def setUp(self):
        self.server_tree = PracticeTree()
        self.server = Server(self.server_tree.path("server"))
        self.practice = None
        try:
            self.squid = Squid(self.server_tree)
        except unittest.SkipTest:
            self.squid = None
            self.tearDown()
            raise

    def tearDown(self):
        if self.squid:
            self.squid.stop()
        self.server.stop()
        self.server_tree.close()
        if self.practice:
            self.practice.close()

    def test_the_run_goes_through_the_proxy_only_with_its_login(self):
        # name, proxy password, packages expected, what squid answered
        rows = [("right login", PROXY_PASSWORD, 4, "TCP_MISS/200 "), ("wrong login", "wrong", 0, "TCP_DENIED/407 ")]
        for name, password, packages, status in rows:
            with self.subTest(name):
                if self.practice:
                    self.practice.close()
                self.practice = Practice()
                # The connection check takes the proxy's port from its address only.
                proxy = {"Active": "1", "Address": "127.0.0.1:%d" % self.squid.port, "Port": "0", "Login": PROXY_USER,
                         "Pass": password}
                options = self.practice.configured(self.server.url, {
                    **AT_START_INTERNET, **{("Update/Proxy", k): v for k, v in proxy.items()}}, **{"--at-start": True})
                seen = os.path.getsize(self.squid.access_log) if os.path.exists(self.squid.access_log) else 0
                done, transcript = self.practice.kthost(*options, script="message 1060 -> no\n", timeout=120)
                update = os.path.join(self.practice.update, "Update")
                got = [n for n in os.listdir(update) if n.endswith(".exe")] if os.path.isdir(update) else []
                self.assertEqual(len(got), packages, shown_items(transcript))
                with open(self.squid.access_log) as f:
                    answered = f.read()[seen:]
                self.assertIn(status, answered)
                self.assertEqual("/200 " in answered, packages > 0, answered)


if __name__ == "__main__":
    unittest.main()
