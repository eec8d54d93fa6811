#!/usr/bin/python3
"""A real SMTP server for the end-to-end tests: aiosmtpd on 127.0.0.1 with AUTH LOGIN.

Usage: aiosmtpd_capture.py OUT_DIR USER PASSWORD

Prints "READY <port>" once it accepts connections and runs until its standard input closes.
Every message it receives is decoded with Python's email package, independently of the
client under test, into OUT_DIR/<n>/ (n counting from 1):
  envelope      "MAIL FROM" address, then each "RCPT TO" address, one per line
  subject       the decoded subject, UTF-8
  from_name     the decoded display name of "From", UTF-8
  from_address  the address of "From"
  body          the decoded text of the body (or of the text part), UTF-8, LF line ends
  part-<i>.name the file name of attachment i, as raw bytes
  part-<i>.data the decoded content of attachment i
  raw           the message as received
A recipient whose address begins with "refused" is refused with 550.
"""
import email
import email.header
import email.utils
import logging
import os
import re
import socket
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def decoded_header(raw):
    # decode_header joins adjacent encoded words of one charset before decoding, so a word
    # cut inside a character or an escape sequence still decodes.
    return str(email.header.make_header(email.header.decode_header(raw)))


def text_of(part):
    data = part.get_payload(decode=True) or b""
    return data.decode("iso-2022-jp").replace("\r\n", "\n")


def raw_file_name(part):
    # The name goes out as raw Shift_JIS bytes, which the parsed header value would alter:
    # take it from the header as received.
    for key, value in part.raw_items():
        if key.lower() == "content-type":
            found = re.search(r'name="([^"]*)"', value)
            return found.group(1).encode("ascii", "surrogateescape") if found else b""
    return b""


class Capture:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused"):
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        target = os.path.join(self.out_dir, str(self.count))
        os.makedirs(target)

        def save(name, data):
            with open(os.path.join(target, name), "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode("utf-8"))

        save("raw", envelope.content)
        save("envelope", "\n".join([envelope.mail_from] + envelope.rcpt_tos))
        msg = email.message_from_bytes(envelope.content)
        save("subject", decoded_header(msg.get("Subject", "")))
        name, address = email.utils.parseaddr(msg.get("From", ""))
        save("from_name", decoded_header(name))
        save("from_address", address)
        parts = 0
        if msg.is_multipart():
            for part in msg.get_payload():
                if part.get_content_type() == "text/plain":
                    save("body", text_of(part))
                else:
                    save("part-%d.name" % parts, raw_file_name(part))
                    save("part-%d.data" % parts, part.get_payload(decode=True) or b"")
                    parts += 1
        else:
            save("body", text_of(msg))
        return "250 Message accepted for delivery"


def main():
    # Keep the test output clean: AUTH without TLS is what these tests want.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    out_dir, user, password = sys.argv[1], os.fsencode(sys.argv[2]), os.fsencode(sys.argv[3])

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user
              and auth_data.password == password)
        # handled=False: aiosmtpd itself answers 235 or 535.
        return AuthResult(success=ok, handled=False)

    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    controller = Controller(Capture(out_dir), hostname="127.0.0.1", port=port,
                            authenticator=authenticator, auth_require_tls=False,
                            auth_exclude_mechanism=["PLAIN"], auth_required=True)
    controller.start()
    try:
        print("READY %d" % port, flush=True)
        sys.stdin.read()
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
