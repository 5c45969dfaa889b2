"""The FTP server of the tests and the demo on 127.0.0.1 (see --help): /usr/bin/python3 update_server.py --root DIR

It writes under DIR the maker's update tree (maj/ and maj<first two digits of the postal code>/: ftpacs.bin,
versions.xml with a chain of packages and the Sesam Vitale packs, the packages), prints "PORT <n>" once it accepts
connections and stops on SIGTERM; the other options make it misbehave for the tests."""
import argparse
import logging
import os
import re
import signal
import socket
import ssl
import struct
import subprocess
import sys
import threading
import xml.etree.ElementTree as ET
from functools import partial
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

DEFAULT_CHAIN = ("5.2.0", "5.2.1", "5.3.0", "5.4.0")
USER, PASSWORD = "talvo", "maj-2026"


def add_package(folder, catalogue, element, attributes, location, name, date, size):
    """The package's element in the catalogue, and the package: its name, then a byte pattern."""
    node = ET.SubElement(catalogue, element, attributes)
    ET.SubElement(node, "Location").text = location
    ET.SubElement(node, "File", {"Name": name, "Date": date})
    content = bytearray(("%s\n" % name).encode()[:size])
    while len(content) < size:
        content += (bytes(range(256)) * 4096)[: size - len(content)]
    os.makedirs(os.path.join(folder, location), exist_ok=True)
    with open(os.path.join(folder, location, name), "wb") as f:
        f.write(content)


def write_tree(root, chain=DEFAULT_CHAIN, postal_code="77120", package_size=64 * 1024, pack_size=16 * 1024,
               user=USER, password=PASSWORD, ftpacs_writer=None, digests=True):
    """Lays out the server's folders under `root`."""
    writer = ftpacs_writer or os.environ["KT_FTPACS_WRITER"]
    for base in ["maj"] + (["maj" + postal_code[:2]] if len(postal_code) > 2 else []):
        folder = os.path.join(root, base)
        catalogue = ET.Element("Update")
        for old, new in zip(chain, chain[1:]):
            add_package(folder, catalogue, "Version", {"OldVer": old, "NewVer": new, "Continue": "1",
                                                       "Compatibility": "1", "CanRestore": "1"},
                        new, "talvo_%s_%s.exe" % (old, new), "2.2.2026", package_size)
        add_package(folder, catalogue, "SesamAll", {"CanRestore": "0", "NoVerCheck": "1"}, "sesam", "sesam_pack.exe",
                    "1.3.2026", pack_size)
        add_package(folder, catalogue, "Sesam", {"CanRestore": "0"}, "sesam", "sesam_update.exe", "15.3.2026", pack_size)
        ET.indent(catalogue, "\t")
        versions = os.path.join(folder, "versions.xml")
        ET.ElementTree(catalogue).write(versions, encoding="UTF-8", xml_declaration=True)
        if digests:  # the publisher's tool, built beside the account file's
            subprocess.run([os.path.join(os.path.dirname(writer), "catalogue_digests"), versions], check=True)
    subprocess.run([writer, os.path.join(root, "maj", "ftpacs.bin"), user, password], check=True)


class Endless:  # a producer whose data never runs out
    def more(self):
        return b"<Update>" * 8192


def make_handler(o):
    """An FTP handler class serving o.root with the misbehaviours `o` asks for (see main()'s options).

    A stall holds only the account's first RETR of the path (a second attempt is served whole; anonymous
    reads, the proxy checks, are never held)."""
    tls = o.protocol == "ftps"
    stall, announce, replies = dict(o.stall), dict(o.announce), dict(o.reply)
    faults = {**{path: ("cut", n) for path, n in o.cut}, **{path: ("reset", n) for path, n in o.reset}}
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(o.root)
    authorizer.add_user(USER, PASSWORD, o.root, perm="elr")

    class Dtp(TLS_DTPHandler if tls else ThrottledDTPHandler if o.throttle > 0 else DTPHandler):
        write_limit = o.throttle

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
            if fault is None:
                return super().send(data)
            kind, limit = fault
            if limit - self.tot_bytes_sent > 0:
                return super().send(data[:limit - self.tot_bytes_sent])
            self.cmd_channel.data_fault = None
            if kind == "stall":  # off the event loop: the client waits for bytes that never come
                self.del_channel()
                return 0
            if kind == "cut":  # the server believes the file was sent whole
                self.producer_fifo.clear()
            else:
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.handle_close()
            return 0

    class Handler(TLS_FTPHandler if tls else FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            code = replies.get("%s %s" % (cmd, os.path.basename(arg or ""))) or replies.get(cmd)
            if code is None:
                return super().pre_process_command(line, cmd, arg)
            self.respond("%d Refused for the test." % code)
            if code == 421:
                self.close_when_done()

        def ftp_SIZE(self, path):
            if self.fs.fs2ftp(path) in o.endless:
                return self.respond("502 SIZE not implemented for streams.")
            if self.fs.fs2ftp(path) not in announce:
                return super().ftp_SIZE(path)
            self.respond("213 %d" % announce[self.fs.fs2ftp(path)])

        def ftp_RETR(self, file):
            path = self.fs.fs2ftp(file)
            self.data_fault = faults.get(path)
            if path in stall:
                self.data_fault = ("stall", stall.pop(path)) if self.username == USER else None
            if path not in o.endless:
                return super().ftp_RETR(file)
            self.push_dtp_data(Endless(), isproducer=True, cmd="RETR")
            return file

        def ftp_REST(self, line):
            if o.refuse_rest:
                return self.respond("502 Command not implemented.")
            if o.ignore_rest:
                return self.respond("350 Restarting at %s." % line)
            return super().ftp_REST(line)

    Handler.authorizer, Handler.dtp_handler, Handler.timeout = authorizer, Dtp, 120
    if tls:
        Handler.certfile, Handler.keyfile = o.cert, o.key
        Handler.tls_control_required = Handler.tls_data_required = True
    return Handler


def serve_https(o):
    """Serves o.root over HTTPS until SIGTERM. A request for the rest of a file ("Range: bytes=N-") gets it,
    or the whole file when REST is refused or ignored (a server that cannot continue files)."""
    class Handler(SimpleHTTPRequestHandler):
        def log_message(self, format, *args):
            logging.info("%s", format % args)

        def do_GET(self):
            wanted = re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", ""))
            path = self.translate_path(self.path)
            if o.refuse_rest or o.ignore_rest or not wanted or not os.path.isfile(path):
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

    server = ThreadingHTTPServer(("127.0.0.1", o.port), partial(Handler, directory=o.root))
    def identity():
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(o.cert, o.key)
        return context

    # The certificate files are read again at each handshake: a test may change the server's identity meanwhile.
    context = identity()
    context.sni_callback = lambda connection, name, _: setattr(connection, "context", identity())
    server.socket = context.wrap_socket(server.socket, server_side=True)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever(poll_interval=0.2)
    server.server_close()


def path_value(item):
    path, _, number = item.rpartition("=")
    return path, int(number)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="the folder served; the tree is written into it")
    for name, default, text in (("port", 0, "0 = a free port"), ("package-size", 64 * 1024, None),
                                ("pack-size", 16 * 1024, None), ("throttle", 0, "bytes per second on data connections")):
        parser.add_argument("--" + name, type=int, default=default, help=text)
    for name, default, text in (("chain", ",".join(DEFAULT_CHAIN), "versions, oldest first"), ("postal-code", "77120", None),
                                ("ftpacs-writer", None, "default: $KT_FTPACS_WRITER"),
                                ("log", None, "every command and answer of the server"),
                                ("cert", None, "the server's certificate (PEM), for ftps and https"),
                                ("key", None, "the certificate's private key (PEM)")):
        parser.add_argument("--" + name, default=default, help=text)
    for name, text in (("announce", "size answered to SIZE"), ("stall", "RETR stops sending after N bytes"),
                       ("cut", "RETR ends early, reported complete"), ("reset", "RETR's connection reset"),
                       ("reply", "the command (CMD or CMD NAME) refused with the code N")):
        parser.add_argument("--" + name, action="append", default=[], type=path_value, metavar="PATH=N", help=text)
    for name, text in (("no-generate", "serve the folder as it is"), ("no-digests", "versions.xml without Size and Sha256"),
                       ("refuse-rest", "REST is refused: no file is continued"),
                       ("ignore-rest", "REST is accepted, the file sent whole")):
        parser.add_argument("--" + name, action="store_true", help=text)
    parser.add_argument("--endless", action="append", default=[], metavar="PATH", help="RETR sends without end")
    parser.add_argument("--protocol", choices=("ftp", "ftps", "https"), default="ftp")
    o = parser.parse_args()
    os.makedirs(o.root, exist_ok=True)
    if not o.no_generate:
        write_tree(o.root, o.chain.split(","), o.postal_code, o.package_size, o.pack_size,
                   ftpacs_writer=o.ftpacs_writer, digests=not o.no_digests)
    if o.log:
        logging.basicConfig(filename=o.log, level=logging.DEBUG, format="%(message)s")
    if o.protocol == "https":
        return serve_https(o)
    server = FTPServer(("127.0.0.1", o.port), make_handler(o))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("PORT %d" % server.address[1], flush=True)
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    finally:
        server.close_all()


if __name__ == "__main__":
    sys.exit(main())
