"""A real FTP server on 127.0.0.1 for the tests (pyftpdlib).

Serves --root read-only to anonymous users (and read-write to --user when one
is given), listens on a free port and prints "PORT <n>" once it accepts
connections. Every command it receives goes to --log. Stops on SIGTERM.
"""
import argparse
import logging
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--no-anonymous", action="store_true")
    parser.add_argument("--max-download-rate", type=int, default=0,
                        help="bytes per second sent on data connections, 0 = no limit")
    args = parser.parse_args()

    logging.basicConfig(filename=args.log, level=logging.DEBUG,
                        format="%(message)s")

    authorizer = DummyAuthorizer()
    if not args.no_anonymous:
        authorizer.add_anonymous(args.root)
    if args.user:
        authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    handler = type("Handler", (FTPHandler,), {})
    handler.authorizer = authorizer
    handler.timeout = 60
    if args.max_download_rate > 0:
        dtp = type("Dtp", (ThrottledDTPHandler,), {})
        dtp.write_limit = args.max_download_rate
        handler.dtp_handler = dtp

    server = FTPServer(("127.0.0.1", 0), handler)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("PORT %d" % server.address[1], flush=True)
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    finally:
        server.close_all()
    return 0


if __name__ == "__main__":
    sys.exit(main())
