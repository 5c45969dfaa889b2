"""Update runs against Debian's own servers on 127.0.0.1: vsftpd serving the update tree to its
anonymous account (which ftpacs.bin names), squid as a proxy asking for a login."""
import os
import socket
import subprocess
import unittest
import xml.etree.ElementTree as ET

from ktenv import AT_START_INTERNET, Practice, PracticeTree, Server, free_port, package, shown_items, update_server, \
    wait_for

VSFTPD, SQUID = "/usr/sbin/vsftpd", "/usr/sbin/squid"
NCSA, HTPASSWD = "/usr/lib/squid/basic_ncsa_auth", "/usr/bin/htpasswd"
PROXY_USER, PROXY_PASSWORD = "cabinet", "s3cret"


def answers(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class Foreground:
    """A server's process in the foreground, once its port answers; the test is skipped when it does not."""

    def __init__(self, command, port, limit):
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if not wait_for(lambda: self.process.poll() is not None or answers(port), limit) or self.process.poll() is not None:
            self.stop()
            raise unittest.SkipTest("%s did not start: %s" % (command[0], self.reason[-300:] or "no answer"))

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
        self.reason = self.process.communicate(timeout=10)[1].decode(errors="replace").strip()


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


class RealServers(unittest.TestCase):
    def setUp(self):
        self.tree, self.practice, self.servers = PracticeTree(), None, []

    def tearDown(self):
        for server in self.servers:
            server.stop()
        for tree in (self.tree, self.practice):
            if tree:
                tree.close()

    def run_at_start(self, url, settings=()):
        if self.practice:
            self.practice.close()
        self.practice = Practice()
        options = self.practice.configured(url, {**AT_START_INTERNET, **dict(settings)}, **{"--at-start": True})
        _, transcript = self.practice.kthost(*options, script="message 1060 -> no\n", timeout=120)
        update = os.path.join(self.practice.update, "Update")
        return shown_items(transcript), sorted(os.listdir(update)) if os.path.isdir(update) else []

    @unittest.skipUnless(os.access(VSFTPD, os.X_OK), "vsftpd is not installed (scripts/setup.sh installs it)")
    def test_through_vsftpd_the_chain_and_the_pack_arrive_whole(self):
        root, port = self.tree.path("server"), free_port()
        update_server.write_tree(root, user="anonymous", password="talvo@example.fr")
        self.servers.append(vsftpd(self.tree, root, port))
        shown, _ = self.run_at_start("ftp://127.0.0.1:%d/maj/" % port)
        self.assertEqual(shown, ["dialog 130", "1060"])
        entries = [entry.get("Name") for entry in ET.parse(os.path.join(self.practice.update, "files.xml")).getroot()]
        self.assertEqual(entries, ["sesam_pack.exe", "talvo_5.3.0_5.4.0.exe", "talvo_5.2.1_5.3.0.exe",
                                   "talvo_5.2.0_5.2.1.exe"])
        for name in entries:
            with open(os.path.join(self.practice.update, "Update", name), "rb") as f:
                self.assertEqual(f.read(), package(root, name), name)
        self.assertIn("/maj/5.3.0/talvo_5.2.1_5.3.0.exe", self.tree.read("vsftpd.log"), "vsftpd served it")

    @unittest.skipUnless(all(os.access(p, os.X_OK) for p in (SQUID, NCSA, HTPASSWD)),
                         "squid or apache2-utils is not installed (scripts/setup.sh installs them)")
    def test_through_squid_the_run_goes_only_with_its_login(self):
        server = Server(self.tree.path("server"))
        self.servers.append(server)
        port = free_port()
        self.servers.append(squid(self.tree, port))
        access_log = self.tree.path("squid/access.log")
        # name, proxy password, packages expected, what squid answered
        for name, password, packages, status in (("right login", PROXY_PASSWORD, 4, "TCP_MISS/200 "),
                                                 ("wrong login", "wrong", 0, "TCP_DENIED/407 ")):
            with self.subTest(name):
                seen = os.path.getsize(access_log) if os.path.exists(access_log) else 0
                # The connection check takes the proxy's port from its address only.
                proxy = {"Active": "1", "Address": "127.0.0.1:%d" % port, "Port": "0", "Login": PROXY_USER,
                         "Pass": password}
                shown, got = self.run_at_start(server.url, {("Update/Proxy", k): v for k, v in proxy.items()})
                self.assertEqual(len([n for n in got if n.endswith(".exe")]), packages, shown)
                with open(access_log) as f:
                    answered = f.read()[seen:]
                self.assertIn(status, answered)
                self.assertEqual("/200 " in answered, packages > 0, answered)


if __name__ == "__main__":
    unittest.main()
