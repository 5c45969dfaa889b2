"""A small HTTP proxy on 127.0.0.1 for the tests.

It never reaches the outside: it answers every request itself, except that
with --forward-ftp an ftp:// address on 127.0.0.1 is checked by logging in
to that FTP server anonymously (200 when the login works, 502 otherwise).

--proxy-auth USER:PASS  answer 407 until those Basic credentials arrive
--never-accept          answer 407 to every request, whatever it carries
--server-auth USER:PASS answer 401 (as the server) until those credentials arrive
--status N              the status of an accepted request (200 by default)

Every request is appended to --log as one line:
  METHOD URL proxy-user=U server-user=U -> STATUS
(U is "-" when the request carried no such credentials). Prints "PORT <n>"
once it accepts connections. Stops on SIGTERM.
"""
import argparse
import base64
import ftplib
import signal
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ARGS = None
LOG_LOCK = threading.Lock()


def basic_user(header):
    """The user:password of a Basic header, or None."""
    if not header or not header.lower().startswith("basic "):
        return None
    try:
        return base64.b64decode(header[6:].strip()).decode("utf-8")
    except ValueError:
        return None


def ftp_login_works(url):
    parts = urllib.parse.urlsplit(url)
    if parts.hostname != "127.0.0.1":
        return False
    try:
        with ftplib.FTP() as ftp:
            ftp.connect("127.0.0.1", parts.port or 21, timeout=10)
            ftp.login()
        return True
    except (OSError, ftplib.Error):
        return False


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *_):
        pass

    def answer(self, with_body):
        proxy_user = basic_user(self.headers.get("Proxy-Authorization"))
        server_user = basic_user(self.headers.get("Authorization"))
        extra = {}
        if ARGS.never_accept or (ARGS.proxy_auth and proxy_user != ARGS.proxy_auth):
            status = 407
            extra["Proxy-Authenticate"] = 'Basic realm="kt-test-proxy"'
        elif ARGS.server_auth and server_user != ARGS.server_auth:
            status = 401
            extra["WWW-Authenticate"] = 'Basic realm="kt-test-server"'
        elif ARGS.forward_ftp and self.path.lower().startswith("ftp://"):
            status = ARGS.status if ftp_login_works(self.path) else 502
        else:
            status = ARGS.status
        # Logged before the answer leaves, so that a client holding the
        # answer finds its request in the log.
        with LOG_LOCK, open(ARGS.log, "a", encoding="utf-8") as log:
            log.write("%s %s proxy-user=%s server-user=%s -> %d\n" % (
                self.command, self.path, (proxy_user or "-").split(":")[0],
                (server_user or "-").split(":")[0], status))
        body = ("<html><body>%d</body></html>\n" % status).encode() * 4
        self.send_response(status)
        for name, value in extra.items():
            self.send_header(name, value)
        if status in (301, 302):
            self.send_header("Location", "http://127.0.0.1/elsewhere")
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if with_body:
            self.wfile.write(body)

    def do_GET(self):
        self.answer(True)

    def do_HEAD(self):
        self.answer(False)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--proxy-auth", default="")
    parser.add_argument("--server-auth", default="")
    parser.add_argument("--never-accept", action="store_true")
    parser.add_argument("--forward-ftp", action="store_true")
    parser.add_argument("--status", type=int, default=200)
    ARGS = parser.parse_args()

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever(poll_interval=0.2)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
