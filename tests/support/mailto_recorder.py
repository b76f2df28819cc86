"""The desktop's mail program in the tests, registered as the mailto handler.

mailto_recorder.py RECORD URI
    Returns at once, as a mail program that is already running does, and a
    moment later (once the program that handed the message over has ended)
    reads the attachments and writes RECORD as JSON: the recipients, subject,
    body, and for each attachment its path, whether it was still there, and
    its SHA-256.
"""
import hashlib
import json
import os
import sys
import time
import urllib.parse


def parse(uri):
    assert uri.startswith("mailto:"), uri
    address, _, query = uri[len("mailto:"):].partition("?")
    fields = {"to": [urllib.parse.unquote(a) for a in address.split(",") if a]}
    for pair in query.split("&"):
        if pair:
            name, _, value = pair.partition("=")
            fields.setdefault(name.lower(), []).append(urllib.parse.unquote(value))
    return fields


def record(path, uri):
    fields = parse(uri)
    time.sleep(1.5)
    attachments = []
    for name in fields.get("attach", []):
        there = os.path.isfile(name)
        digest = hashlib.sha256(open(name, "rb").read()).hexdigest() if there else None
        attachments.append({"path": name, "there": there, "sha256": digest})
    with open(path + ".part", "w") as f:
        json.dump({"to": fields["to"], "subject": fields.get("subject", [""])[0],
                   "body": fields.get("body", [""])[0], "attachments": attachments}, f)
    os.rename(path + ".part", path)


if __name__ == "__main__":
    if os.fork() == 0:
        os.setsid()
        record(sys.argv[1], sys.argv[2])
    os._exit(0)
