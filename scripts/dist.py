#!/usr/bin/env python3
"""Writes the release zip, holding the given files in the given order, and prints its SHA-256
as sha256sum does. Every build of a commit gives the same bytes: the files carry the commit's
date (or SOURCE_DATE_EPOCH's) and fixed permissions, and the archive nothing else.

Usage: dist.py ZIP FILE...
"""
import hashlib
import os
import subprocess
import sys
import time
import zipfile


def fail(message):
    sys.exit(f"dist: {message}")


def source_date():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if epoch is None:
        root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
        git = subprocess.run(["git", "-C", root, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True)
        if git.returncode != 0:
            fail(f"no commit to take the date from ({git.stderr.strip()}); set SOURCE_DATE_EPOCH")
        epoch = git.stdout.strip()
    try:
        seconds = int(epoch)
    except ValueError:
        fail(f"the date {epoch!r} is not a number of seconds since 1970")
    # A zip cannot hold a date before 1980.
    return time.gmtime(max(seconds, 315532800))[:6]


def main(args):
    if len(args) < 2:
        fail("usage: dist.py ZIP FILE...")
    target, files = args[0], args[1:]
    for path in files:
        if not os.path.isfile(path):
            fail(f"{path} is not there; build it first")
    date = source_date()
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    # Written beside the target and then renamed, so a failed run leaves the last release whole.
    partial = target + ".partial"
    try:
        with zipfile.ZipFile(partial, "w") as archive:
            for path in files:
                entry = zipfile.ZipInfo(os.path.basename(path), date)
                entry.create_system = 3
                entry.external_attr = 0o100644 << 16
                entry.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as f:
                    archive.writestr(entry, f.read(), compresslevel=9)
        os.replace(partial, target)
    except OSError as error:
        if os.path.exists(partial):
            os.remove(partial)
        fail(f"cannot write {target}: {error}")
    with open(target, "rb") as f:
        print(f"{hashlib.sha256(f.read()).hexdigest()}  {target}")


if __name__ == "__main__":
    main(sys.argv[1:])
