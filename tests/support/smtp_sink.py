"""A real SMTP server for the mail tests, and a reader of what it received.

serve DIR [OPTIONS]
              run aiosmtpd on 127.0.0.1 with a free port; write the port to
              DIR/port when ready; write each message to DIR/N.eml and its envelope to
              DIR/N.json; run until standard input closes. Options:
                --starttls CERT KEY        offer STARTTLS and require it
                --tls-on-connect CERT KEY  TLS from the first byte
                --auth USER PASSWORD       require a sign-in (PLAIN or LOGIN, over TLS
                                           only); each attempt is appended to
                                           DIR/auth.json as [mechanism, user, accepted]
                --mechanisms LIST          the sign-in methods offered (PLAIN,LOGIN);
                                           XOAUTH2 is offered but never accepted
                --refuse-programs          answer a message that carries an .exe
                                           attachment after its final dot as Gmail
                                           does (552 5.7.0), and keep nothing
inspect FILE  parse a received message with the email package and print, as
              JSON, its defects, header names in order, selected headers and
              its structure and its parts (content type, filename, Content-ID,
              decoded bytes' SHA-256, first bytes and size, decoded text).
"""
import asyncio
import email
import email.policy
import hashlib
import json
import os
import socket
import sys


def tls_context(cert, key):
    import ssl
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


GMAIL_552 = ("552-5.7.0 This message was blocked because its content presents a potential\r\n"
             "552-5.7.0 security issue. Please visit\r\n"
             "552-5.7.0  https://support.google.com/mail/?p=BlockedMessage to review our\r\n"
             "552 5.7.0 message content and attachment content guidelines. - gsmtp")


def carries_program(raw):
    message = email.message_from_bytes(raw, policy=email.policy.compat32)
    return any((part.get_filename() or "").lower().endswith(".exe") for part in message.walk())


def serve(folder, *options):
    import argparse
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult

    parser = argparse.ArgumentParser()
    parser.add_argument("--starttls", nargs=2)
    parser.add_argument("--tls-on-connect", nargs=2)
    parser.add_argument("--auth", nargs=2)
    parser.add_argument("--mechanisms", default="PLAIN,LOGIN")
    parser.add_argument("--refuse-programs", action="store_true")
    args = parser.parse_args(options)

    class Sink:
        count = 0

        async def handle_DATA(self, server, session, envelope):
            if args.refuse_programs and carries_program(envelope.original_content):
                return GMAIL_552
            Sink.count += 1
            base = os.path.join(folder, str(Sink.count))
            with open(base + ".eml.part", "wb") as f:
                f.write(envelope.original_content)
            with open(base + ".json", "w") as f:
                json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos}, f)
            os.rename(base + ".eml.part", base + ".eml")
            return "250 Message accepted for delivery"

    class OAuthOnlySink(Sink):
        async def auth_XOAUTH2(self, server, args):
            return AuthResult(success=False, handled=False)

    handler = OAuthOnlySink() if "XOAUTH2" in args.mechanisms.split(",") else Sink()
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    settings = {"data_size_limit": 64 << 20}
    if args.starttls:
        settings.update(tls_context=tls_context(*args.starttls), require_starttls=True)
    if args.tls_on_connect:
        settings.update(ssl_context=tls_context(*args.tls_on_connect))
    if args.auth:
        user, password = (a.encode() for a in args.auth)
        attempts = os.path.join(folder, "auth.json")

        def authenticator(server, session, envelope, mechanism, data):
            accepted = data.login == user and data.password == password
            tried = json.load(open(attempts)) if os.path.exists(attempts) else []
            tried.append([mechanism, data.login.decode("utf-8", "replace"), accepted])
            with open(attempts, "w") as f:
                json.dump(tried, f)
            return AuthResult(success=accepted, handled=False)

        offered = set(args.mechanisms.split(","))
        # A connection that is TLS from the first byte counts as secure too.
        settings.update(auth_required=True, auth_require_tls=not args.tls_on_connect, authenticator=authenticator,
                        auth_exclude_mechanism=[m for m in ("PLAIN", "LOGIN") if m not in offered])
    controller = Controller(handler, hostname="127.0.0.1", port=port, **settings)
    controller.start()
    with open(os.path.join(folder, "port.part"), "w") as f:
        f.write(str(port))
    os.rename(os.path.join(folder, "port.part"), os.path.join(folder, "port"))
    sys.stdin.read()
    controller.stop()


def tree(part):
    """The message's structure: a content type, or [multipart type, [its parts]]."""
    if not part.is_multipart():
        return part.get_content_type()
    return [part.get_content_type(), [tree(p) for p in part.get_payload()]]


def inspect(path):
    with open(path, "rb") as f:
        raw = f.read()
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    defects = [type(d).__name__ for d in msg.defects]
    parts = []
    for part in msg.walk():
        defects += [type(d).__name__ for d in part.defects]
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True) or b""
        charset = part.get_content_charset() or "ascii"
        parts.append({
            "content_type": part.get_content_type(),
            "charset": part.get_content_charset(),
            "encoding": part.get("Content-Transfer-Encoding"),
            "disposition": part.get("Content-Disposition"),
            "filename": part.get_filename(),
            "sha256": hashlib.sha256(payload).hexdigest(),
            "text": payload.decode(charset, "replace") if part.get_content_maintype() == "text" else None,
            "content_id": part.get("Content-ID"),
            "head": payload[:4].hex(),
            "loops": b"NETSCAPE2.0" in payload,
            "size": len(payload),
        })
    modern = email.message_from_bytes(raw, policy=email.policy.default)
    print(json.dumps({
        "defects": defects,
        "header_names": list(msg.keys()),
        "headers": {k: str(modern[k]) for k in msg.keys()},
        "boundary": msg.get_boundary(),
        "tree": tree(msg),
        "size": len(raw),
        "parts": parts,
        "crlf_only": b"\n" not in raw.replace(b"\r\n", b""),
    }))


if __name__ == "__main__":
    {"serve": serve, "inspect": inspect}[sys.argv[1]](*sys.argv[2:])
