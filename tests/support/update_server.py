"""The FTP server of the tests and the demo, on 127.0.0.1:

    /usr/bin/python3 tests/support/update_server.py --root DIR [--port N] [options]

It writes under DIR what the maker's server publishes (maj/ftpacs.bin, the account's login scrambled by
tools/ftpacs_writer; maj/versions.xml, a chain of host-version packages, the complete Sesam Vitale pack and
one pack update, each with its Size and Sha256 unless --no-digests; maj/<new version>/<package>;
maj/sesam/<package>; the same under maj<first two digits of the postal code>), or serves DIR as it is with
--no-generate. Anonymous users and the account read everything. It prints "PORT <n>" once it accepts
connections and stops on SIGTERM. The other options make it misbehave for the tests (see --help); --protocol
ftps requires explicit TLS, --protocol https serves the tree over HTTPS, both with --cert and --key.
"""
import argparse
import hashlib
import logging
import os
import re
import signal
import ssl
import socket
import struct
import subprocess
import threading
from functools import partial
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
import sys
import xml.etree.ElementTree as ET

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FileProducer, FTPHandler, ThrottledDTPHandler
try:
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
except ImportError:  # without python3-openssl: no FTPS
    TLS_DTPHandler = TLS_FTPHandler = None
from pyftpdlib.servers import FTPServer

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEFAULT_CHAIN = ("5.2.0", "5.2.1", "5.3.0", "5.4.0")
DEFAULT_USER = "talvo"
DEFAULT_PASSWORD = "maj-2026"
PACK_DATE = "1.3.2026"
PACK_UPDATE_DATE = "15.3.2026"


def step_file(old, new):
    return "talvo_%s_%s.exe" % (old, new)


def package_bytes(name, size):
    """Recognisable content of `size` bytes: the name, then a byte pattern."""
    head = ("%s\n" % name).encode()
    pattern = bytes(range(256)) * 4096
    out = bytearray(head[:size])
    while len(out) < size:
        out += pattern[: size - len(out)]
    return bytes(out)


def write_package(path, size):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(package_bytes(os.path.basename(path), size))


def add_package(parent, element, attributes, location, name, date):
    node = ET.SubElement(parent, element, attributes)
    ET.SubElement(node, "Location").text = location
    ET.SubElement(node, "File", {"Name": name, "Date": date})
    return node


def file_check(path):
    """The Size and Sha256 attributes of the file at `path`."""
    with open(path, "rb") as f:
        data = f.read()
    return {"Size": str(len(data)), "Sha256": hashlib.sha256(data).hexdigest()}


def add_digests(folder):
    """Gives every package element of folder/versions.xml its file's size and digest."""
    path = os.path.join(folder, "versions.xml")
    tree = ET.parse(path)
    for node in tree.getroot():
        location, file = node.find("Location"), node.find("File")
        if location is None or file is None:
            continue
        package = os.path.join(folder, location.text or "", file.get("Name", ""))
        if os.path.isfile(package):
            node.attrib.update(file_check(package))
    tree.write(path, encoding="UTF-8", xml_declaration=True)


def write_catalogue(folder, chain, package_size, pack_size, digests=True):
    """versions.xml and the packages of one server folder."""
    root = ET.Element("Update")
    for old, new in zip(chain, chain[1:]):
        add_package(root, "Version", {"OldVer": old, "NewVer": new, "Continue": "1", "Compatibility": "1",
                                      "CanRestore": "1"}, new, step_file(old, new), "2.2.2026")
        write_package(os.path.join(folder, new, step_file(old, new)), package_size)
    add_package(root, "SesamAll", {"CanRestore": "0", "NoVerCheck": "1"}, "sesam", "sesam_pack.exe", PACK_DATE)
    add_package(root, "Sesam", {"CanRestore": "0"}, "sesam", "sesam_update.exe", PACK_UPDATE_DATE)
    write_package(os.path.join(folder, "sesam", "sesam_pack.exe"), pack_size)
    write_package(os.path.join(folder, "sesam", "sesam_update.exe"), pack_size)
    ET.indent(root, "\t")
    ET.ElementTree(root).write(os.path.join(folder, "versions.xml"), encoding="UTF-8", xml_declaration=True)
    if digests:
        add_digests(folder)


def find_ftpacs_writer(given=None):
    for candidate in (given, os.environ.get("KT_FTPACS_WRITER"), os.path.join(TOP, "build", "ftpacs_writer")):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    raise SystemExit("update_server: ftpacs_writer not found; build it or pass --ftpacs-writer")


def write_tree(root, chain=DEFAULT_CHAIN, postal_code="77120", package_size=64 * 1024, pack_size=16 * 1024,
               user=DEFAULT_USER, password=DEFAULT_PASSWORD, ftpacs_writer=None, digests=True):
    """Lays out the server's folders under `root`; returns the base folders written."""
    folders = ["maj"] + (["maj" + postal_code[:2]] if len(postal_code) > 2 else [])
    writer = find_ftpacs_writer(ftpacs_writer)
    for base in folders:
        folder = os.path.join(root, base)
        os.makedirs(folder, exist_ok=True)
        write_catalogue(folder, list(chain), package_size, pack_size, digests)
    subprocess.run([writer, os.path.join(root, "maj", "ftpacs.bin"), user, password], check=True)
    return folders


class EndlessFile:
    """A file whose reads never reach an end."""

    def __init__(self, name):
        self.name = name
        self.closed = False

    def read(self, size=-1):
        return b"<Update>" * max(1, (size if size > 0 else 65536) // 8)

    def close(self):
        self.closed = True


def make_handler(root, user, password, throttle=0, announce=None, stall=None, tls=None, refuse_rest=False,
                 ignore_rest=False, cut=None, reset=None, endless=(), replies=None):
    """An FTP handler class serving `root`, with the misbehaviours asked for (see main()'s options).

    A stall holds only the account's first RETR of the path (a second attempt is served whole; anonymous
    reads, the proxy checks, are never held); `replies` maps "CMD" or "CMD name" to an error code.
    """
    announce = dict(announce or {})
    stall = dict(stall or {})
    faults = {path: ("cut", n) for path, n in (cut or {}).items()}
    faults.update({path: ("reset", n) for path, n in (reset or {}).items()})
    endless = set(endless)
    replies = dict(replies or {})
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)
    if user:
        authorizer.add_user(user, password, root, perm="elr")

    base_dtp = ThrottledDTPHandler if throttle > 0 else DTPHandler
    base_handler = FTPHandler
    if tls:
        if TLS_FTPHandler is None:
            raise SystemExit("update_server: FTPS needs python3-openssl")
        base_dtp, base_handler = TLS_DTPHandler, TLS_FTPHandler

    class Dtp(base_dtp):
        write_limit = throttle

        def readable(self):
            # libcurl secures a data connection as soon as it opens it, before
            # the transfer command: the handshake must go on, and the
            # connection wait for the command instead of being closed.
            if tls and not self._initialized and not self.receive:
                return bool(getattr(self, "_ssl_accepting", False) or getattr(self, "_ssl_want_read", False))
            return super().readable()

        def use_sendfile(self):
            return getattr(self.cmd_channel, "data_fault", None) is None and super().use_sendfile()

        def send(self, data):
            fault = getattr(self.cmd_channel, "data_fault", None)
            if fault is not None:
                kind, limit = fault
                room = limit - self.tot_bytes_sent
                if room <= 0:
                    return self.inject(kind)
                data = data[:room]
            return super().send(data)

        def inject(self, kind):
            self.cmd_channel.data_fault = None
            if kind == "stall":
                # Off the event loop: the client waits for bytes that never come.
                self.del_channel()
            elif kind == "cut":
                # The server believes the file was sent whole.
                self.producer_fifo.clear()
                self.handle_close()
            else:
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.handle_close()
            return 0

    class Handler(base_handler):
        def pre_process_command(self, line, cmd, arg):
            code = replies.get("%s %s" % (cmd, os.path.basename(arg or ""))) or replies.get(cmd)
            if code is None:
                return super().pre_process_command(line, cmd, arg)
            self.respond("%d Refused for the test." % code)
            if code == 421:
                self.close_when_done()

        def ftp_SIZE(self, path):
            if self.fs.fs2ftp(path) in endless:
                self.respond("502 SIZE not implemented for streams.")
                return
            announced = announce.get(self.fs.fs2ftp(path))
            if announced is None:
                return super().ftp_SIZE(path)
            self.respond("213 %d" % announced)

        def ftp_RETR(self, file):
            path = self.fs.fs2ftp(file)
            self.data_fault = faults.get(path)
            if path in stall:
                account = bool(user) and self.username == user
                self.data_fault = ("stall", stall.pop(path)) if account else None
            if path not in endless:
                return super().ftp_RETR(file)
            endless_file = EndlessFile(file)
            self.push_dtp_data(FileProducer(endless_file, self._current_type), isproducer=True, file=endless_file,
                               cmd="RETR")
            return file

        def ftp_REST(self, line):
            if refuse_rest:
                self.respond("502 Command not implemented.")
                return
            if ignore_rest:
                self.respond("350 Restarting at %s." % line)
                return
            return super().ftp_REST(line)

    Handler.authorizer = authorizer
    Handler.dtp_handler = Dtp
    if tls:
        Handler.certfile, Handler.keyfile = tls
        Handler.tls_control_required = True
        Handler.tls_data_required = True
    Handler.timeout = 120
    return Handler


def serve_https(root, port, tls, log, whole=False):
    """Serves `root` over HTTPS until SIGTERM; every request goes to the log.
    A request for the rest of a file ("Range: bytes=N-") gets it, or the whole
    file when `whole` (a server that cannot continue files)."""
    class Handler(SimpleHTTPRequestHandler):
        def log_message(self, format, *args):
            logging.info("%s", format % args)

        def do_GET(self):
            wanted = re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", ""))
            path = self.translate_path(self.path)
            if whole or not wanted or not os.path.isfile(path):
                return super().do_GET()
            with open(path, "rb") as source:
                data = source.read()
            start = int(wanted.group(1))
            if start >= len(data):
                return self.send_error(416)
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data)))
            self.send_header("Content-Length", str(len(data) - start))
            self.send_header("Last-Modified", self.date_time_string(int(os.stat(path).st_mtime)))
            self.end_headers()
            self.wfile.write(data[start:])

    server = ThreadingHTTPServer(("127.0.0.1", port), partial(Handler, directory=root))
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*tls)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever(poll_interval=0.2)
    server.server_close()


def serve(root, port=0, user=DEFAULT_USER, password=DEFAULT_PASSWORD, throttle=0, announce=None, stall=None,
          log=None, protocol="ftp", tls=None, refuse_rest=False, ignore_rest=False, cut=None, reset=None, endless=(),
          replies=None):
    """Serves `root` on 127.0.0.1 until SIGTERM; prints "PORT <n>" once listening."""
    if log:
        logging.basicConfig(filename=log, level=logging.DEBUG, format="%(message)s")
    if protocol == "https":
        serve_https(root, port, tls, log, whole=refuse_rest or ignore_rest)
        return
    handler = make_handler(root, user, password, throttle, announce, stall, tls if protocol == "ftps" else None,
                           refuse_rest, ignore_rest, cut, reset, endless, replies)
    server = FTPServer(("127.0.0.1", port), handler)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("PORT %d" % server.address[1], flush=True)
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    finally:
        server.close_all()


def path_values(items, option):
    values = {}
    for item in items or []:
        path, _, number = item.rpartition("=")
        if not path or not number.isdigit():
            raise SystemExit("update_server: %s wants PATH=BYTES, not %r" % (option, item))
        values[path] = int(number)
    return values


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="the folder served; the tree is written into it")
    parser.add_argument("--port", type=int, default=0, help="0 = a free port")
    parser.add_argument("--no-generate", action="store_true", help="serve the folder as it is")
    parser.add_argument("--chain", default=",".join(DEFAULT_CHAIN), help="versions, oldest first")
    parser.add_argument("--postal-code", default="77120")
    parser.add_argument("--package-size", type=int, default=64 * 1024)
    parser.add_argument("--pack-size", type=int, default=16 * 1024)
    parser.add_argument("--user", default=DEFAULT_USER)
    parser.add_argument("--password", default=DEFAULT_PASSWORD)
    parser.add_argument("--ftpacs-writer", help="default: $KT_FTPACS_WRITER, then build/ftpacs_writer")
    parser.add_argument("--throttle", type=int, default=0, help="bytes per second on data connections")
    parser.add_argument("--announce", action="append", metavar="PATH=BYTES", help="size answered to SIZE")
    parser.add_argument("--stall", action="append", metavar="PATH=BYTES", help="RETR stops sending after BYTES")
    parser.add_argument("--refuse-rest", action="store_true", help="REST is refused: no file is continued")
    parser.add_argument("--ignore-rest", action="store_true", help="REST is accepted, the file sent whole")
    parser.add_argument("--no-digests", action="store_true", help="versions.xml without Size and Sha256")
    parser.add_argument("--cut", action="append", metavar="PATH=BYTES", help="RETR ends early, reported complete")
    parser.add_argument("--reset", action="append", metavar="PATH=BYTES", help="RETR's connection reset")
    parser.add_argument("--endless", action="append", default=[], metavar="PATH", help="RETR sends without end")
    parser.add_argument("--reply", action="append", metavar="CMD[ NAME]=CODE", help="the command refused with CODE")
    parser.add_argument("--log", help="every command and answer of the server")
    parser.add_argument("--protocol", choices=("ftp", "ftps", "https"), default="ftp")
    parser.add_argument("--cert", help="the server's certificate (PEM), for ftps and https")
    parser.add_argument("--key", help="the certificate's private key (PEM)")
    args = parser.parse_args()
    if args.protocol != "ftp" and not (args.cert and args.key):
        raise SystemExit("update_server: %s needs --cert and --key" % args.protocol)

    os.makedirs(args.root, exist_ok=True)
    if not args.no_generate:
        write_tree(args.root, args.chain.split(","), args.postal_code, args.package_size, args.pack_size,
                   args.user, args.password, args.ftpacs_writer, not args.no_digests)
    serve(args.root, args.port, args.user, args.password, args.throttle,
          path_values(args.announce, "--announce"), path_values(args.stall, "--stall"), args.log, args.protocol,
          (args.cert, args.key) if args.cert else None, args.refuse_rest, args.ignore_rest,
          path_values(args.cut, "--cut"), path_values(args.reset, "--reset"), args.endless,
          path_values(args.reply, "--reply"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
