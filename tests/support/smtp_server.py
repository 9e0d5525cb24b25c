#!/usr/bin/python3
# A loopback SMTP server for the tests: AUTH against one user, STARTTLS (or TLS from the
# start) with a given certificate, each accepted message written whole into a spool folder
# as <n>.eml with its envelope recipients in <n>.rcpt, and with --maildir also delivered
# into that maildir (for a POP3 server to hand out). With --hang-up it drops the connection
# once the message's data has arrived, accepting nothing; with --keep-then-hang-up it keeps
# the message and drops the connection before its "250"; with --keep-then-silent it keeps
# the message and never answers. Prints its port, then serves until its standard input closes.
import argparse
import asyncio
import os
import socket
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

parser = argparse.ArgumentParser()
parser.add_argument("--spool", required=True)
parser.add_argument("--user", default="")
parser.add_argument("--password", default="")
parser.add_argument("--cert", default="")
parser.add_argument("--key", default="")
parser.add_argument("--implicit-tls", action="store_true")
parser.add_argument("--refuse", action="append", default=[])
parser.add_argument("--maildir", default="")
parser.add_argument("--hang-up", action="store_true")
parser.add_argument("--keep-then-hang-up", action="store_true")
parser.add_argument("--keep-then-silent", action="store_true")
args = parser.parse_args()


class Handler:
    def __init__(self):
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in (r.lower() for r in args.refuse):
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if args.hang_up:
            server.transport.abort()
            return "421 4.3.0 Gone"
        self.count += 1
        base = os.path.join(args.spool, str(self.count))
        with open(base + ".rcpt.tmp", "w") as f:
            f.write("\n".join(envelope.rcpt_tos))
        with open(base + ".eml.tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".rcpt.tmp", base + ".rcpt")
        os.rename(base + ".eml.tmp", base + ".eml")
        if args.maildir:
            deliver(envelope.original_content, self.count)
        if args.keep_then_hang_up:
            server.transport.abort()
            return "421 4.3.0 Gone"
        if args.keep_then_silent:
            await asyncio.sleep(3600)
        return "250 Message accepted for delivery"


def deliver(content, n):
    # The maildir's owner is the mail user that serves it; a file comes into new/ whole.
    owner = os.stat(args.maildir)
    name = "%d.M%dP%d.smtp" % (1800000000 + n, n, os.getpid())
    tmp = os.path.join(args.maildir, "tmp", name)
    with open(tmp, "wb") as f:
        f.write(content)
    if os.getuid() == 0:
        os.chown(tmp, owner.st_uid, owner.st_gid)
    os.rename(tmp, os.path.join(args.maildir, "new", name))


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword)
          and auth_data.login == args.user.encode()
          and auth_data.password == args.password.encode())
    return AuthResult(success=ok, handled=False)


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


context = None
if args.cert:
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)

kwargs = dict(hostname="127.0.0.1", port=free_port(), decode_data=False)
if args.user:
    kwargs.update(authenticator=authenticator, auth_required=True,
                  auth_require_tls=context is not None and not args.implicit_tls)
if context is not None:
    if args.implicit_tls:
        kwargs.update(ssl_context=context, server_hostname="127.0.0.1")
    else:
        kwargs.update(tls_context=context, require_starttls=True)

controller = Controller(Handler(), **kwargs)
controller.start()
print(controller.port, flush=True)
sys.stdin.read()
controller.stop()
