"""The tests' HTTP proxy on 127.0.0.1: it answers every request itself and logs it to --log as "METHOD URL
PROXY-USER SERVER-USER STATUS" ("-": no such credentials). Prints "PORT <n>" when it listens; stops on SIGTERM."""
import argparse
import base64
import signal
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOG_LOCK = threading.Lock()


def basic_user(header):
    """The user:password of a Basic header, or "-"."""
    return base64.b64decode(header[6:].strip()).decode() if header.lower().startswith("basic ") else "-"


def make_handler(args):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *_):
            pass

        def do_GET(self, with_body=True):
            proxy_user = basic_user(self.headers.get("Proxy-Authorization", ""))
            server_user = basic_user(self.headers.get("Authorization", ""))
            status, extra = args.status, {}
            if args.never_accept or (args.proxy_auth and proxy_user != args.proxy_auth):
                status, extra = 407, {"Proxy-Authenticate": 'Basic realm="kt-test-proxy"'}
            elif args.server_auth and server_user != args.server_auth:
                status, extra = 401, {"WWW-Authenticate": 'Basic realm="kt-test-server"'}
            if status in (301, 302):
                extra["Location"] = "http://127.0.0.1/elsewhere"
            # Logged before the answer leaves, so that a client holding the answer finds its request in the log.
            with LOG_LOCK, open(args.log, "a", encoding="utf-8") as log:
                log.write("%s %s %s %s %d\n" % (
                    self.command, self.path, proxy_user.split(":")[0], server_user.split(":")[0], status))
            body = ("<html><body>%d</body></html>\n" % status).encode() * 4
            self.send_response(status)
            for name, value in {**extra, "Content-Type": "text/html", "Content-Length": str(len(body))}.items():
                self.send_header(name, value)
            self.end_headers()
            if with_body:
                self.wfile.write(body)

        def do_HEAD(self):
            self.do_GET(with_body=False)

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--log", required=True)
    parser.add_argument("--proxy-auth", default="", help="USER:PASS: 407 until these Basic credentials arrive")
    parser.add_argument("--server-auth", default="", help="USER:PASS: 401, as the server, until they arrive")
    parser.add_argument("--never-accept", action="store_true", help="407 to every request")
    parser.add_argument("--status", type=int, default=200, help="the status of an accepted request")
    server = ThreadingHTTPServer(("127.0.0.1", 0), make_handler(parser.parse_args()))
    server.daemon_threads = True
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever(poll_interval=0.2)
    server.server_close()


if __name__ == "__main__":
    sys.exit(main())
