#!/usr/bin/env python3
"""The release zip holds exactly the built program, its console twin and the read-me, dated from
the commit and not from the files or the clock, and a failed run leaves the last release as it was.
Usage: dist_test.py NETPEEK_EXE NETPEEK_COM README"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

DIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "dist.py")


def dist(target, *files, tz="UTC"):
    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000", TZ=tz)
    return subprocess.run([sys.executable, DIST, target, *files], env=env, capture_output=True, text=True)


with tempfile.TemporaryDirectory() as work:
    files = [shutil.copy(path, work) for path in sys.argv[1:4]]
    zip_path = os.path.join(work, "out", "release.zip")
    run = dist(zip_path, *files)
    assert run.returncode == 0, run.stderr
    release = open(zip_path, "rb").read()
    assert run.stdout == f"{hashlib.sha256(release).hexdigest()}  {zip_path}\n", run.stdout

    with zipfile.ZipFile(zip_path) as archive:
        assert archive.namelist() == ["Netpeek.exe", "Netpeek.com", "ReadMe.txt"], archive.namelist()
        for entry, path in zip(archive.infolist(), files):
            assert archive.read(entry) == open(path, "rb").read(), f"{entry.filename} differs from {path}"
            assert entry.date_time == (2023, 11, 14, 22, 13, 20), entry.date_time
            assert entry.extra == b"" and entry.external_attr >> 16 == 0o100644, entry

    # Other file times and another time zone change nothing.
    for path in files:
        os.utime(path, (1, 1))
    assert dist(zip_path, *files, tz="Asia/Tokyo").returncode == 0
    assert open(zip_path, "rb").read() == release, "a second run gave other bytes"

    failed = dist(zip_path, os.path.join(work, "missing.exe"), *files[1:])
    assert failed.returncode != 0 and "missing.exe" in failed.stderr, failed
    assert open(zip_path, "rb").read() == release, "a failed run touched the last release"
print("dist: the zip holds Netpeek.exe, Netpeek.com and ReadMe.txt as built, the same from run to run")
