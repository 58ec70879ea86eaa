#!/usr/bin/env python3
"""The release zip holds exactly the built program, its console twin and the two read-mes, dated
from the commit and not from the files or the clock; each read-me is UTF-8 with a BOM and CR LF
line ends, as Notepad reads it. Beside it, the winget and Scoop manifests hold every field their
published schemas require, the zip's hash, the address it is downloaded from and the version and
machine of the program in it, read as package indexes read them (real YAML and JSON); two runs
give the same bytes, and a failed run leaves the last release as it was.
Usage: dist_test.py NETPEEK_EXE NETPEEK_COM README README_EN"""
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import yaml

DIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "dist.py")
URL = "https://downloads.example.org/tools/Netpeek.zip"

# What winget's manifest schemas 1.12.0 (version, installer, defaultLocale) require, and the
# lengths the defaultLocale schema allows.
WINGET_REQUIRED = {
    "version": {"PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"},
    "installer": {"PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"},
    "defaultLocale": {"PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
                      "License", "ShortDescription", "ManifestType", "ManifestVersion"},
}
WINGET_INSTALLER_REQUIRED = {"Architecture", "InstallerUrl", "InstallerSha256"}
WINGET_LENGTHS = {"Publisher": (2, 256), "PackageName": (2, 256), "License": (3, 512),
                  "ShortDescription": (3, 256)}
# Scoop's schema requires these, and `url` where no architecture gives one; it allows no other keys
# than these (a misspelt one Scoop would skip in silence).
SCOOP_REQUIRED = {"version", "homepage", "license", "url"}
SCOOP_KEYS = {"$schema", "_comment", "##", "architecture", "autoupdate", "bin", "persist", "checkver",
              "cookie", "depends", "description", "env_add_path", "env_set", "extract_dir", "extract_to",
              "hash", "homepage", "innosetup", "installer", "license", "msi", "notes", "post_install",
              "post_uninstall", "pre_install", "pre_uninstall", "psmodule", "shortcuts", "suggest",
              "uninstaller", "url", "version"}


def dist(target, *files, tz="UTC", url=URL):
    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000", TZ=tz)
    env.pop("NETPEEK_HOMEPAGE", None)
    env.pop("NETPEEK_URL", None)
    if url:
        env["NETPEEK_URL"] = url
    return subprocess.run([sys.executable, DIST, target, *files], env=env, capture_output=True, text=True)


def exe_version(path):
    """The ProductVersion text, found by its key in the program's bytes."""
    data = open(path, "rb").read()
    at = data.rindex("ProductVersion\0".encode("utf-16-le")) + 30
    return data[at:at + 64].decode("utf-16-le", "replace").lstrip("\0").split("\0")[0]


def exe_architecture(path):
    data = open(path, "rb").read()
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    return {0x14C: "x86", 0x8664: "x64"}[struct.unpack_from("<H", data, pe + 4)[0]]


def with_version(path, folder, version):
    """A copy of the program whose version block says another version of the same length."""
    data = open(path, "rb").read()
    old = exe_version(path)
    os.makedirs(folder, exist_ok=True)
    copy = os.path.join(folder, os.path.basename(path))
    with open(copy, "wb") as f:
        f.write(data.replace(f"{old}\0".encode("utf-16-le"), f"{version}\0".encode("utf-16-le")))
    return copy


def tree(folder):
    result = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            result[os.path.relpath(path, folder)] = open(path, "rb").read()
    return result


def check_winget(out, version, architecture, sha256, url, zipped):
    folder = os.path.join(out, "winget", "manifests", "b", "Brindle", "Netpeek", version)
    names = sorted(os.listdir(folder))
    assert names == [f"Brindle.Netpeek{kind}.yaml" for kind in (".installer", ".locale.en-US", "")], names
    docs = {}
    for name in names:
        doc = yaml.safe_load(open(os.path.join(folder, name), encoding="utf-8"))
        missing = WINGET_REQUIRED[doc["ManifestType"]] - set(doc)
        assert not missing, f"{name} lacks {missing}"
        assert (doc["PackageIdentifier"], doc["PackageVersion"], doc["ManifestVersion"]) == \
            ("Brindle.Netpeek", version, "1.12.0"), doc
        docs[doc["ManifestType"]] = doc
    assert docs["defaultLocale"]["PackageLocale"] == docs["version"]["DefaultLocale"] == "en-US"
    for key, (shortest, longest) in WINGET_LENGTHS.items():
        assert shortest <= len(docs["defaultLocale"][key]) <= longest, (key, docs["defaultLocale"][key])

    installer = docs["installer"]
    assert (installer["InstallerType"], installer["NestedInstallerType"]) == ("zip", "portable"), installer
    [entry] = installer["Installers"]
    assert WINGET_INSTALLER_REQUIRED <= set(entry), entry
    assert (entry["Architecture"], entry["InstallerUrl"], entry["InstallerSha256"].lower()) == \
        (architecture, url, sha256), entry
    # Each program winget is told of is in the zip, and the name winget makes for it (its alias, or
    # else its own name, as an .exe) names no other file of the zip, on a file system that ignores case.
    assert installer["ArchiveBinariesDependOnPath"] is True, installer
    for nested in installer["NestedInstallerFiles"]:
        path = nested["RelativeFilePath"]
        assert path in zipped, nested
        alias = nested.get("PortableCommandAlias") or path
        alias = alias if alias.lower().endswith(".exe") else alias + ".exe"
        clashes = [name for name in zipped if name != path and name.lower() == alias.lower()]
        assert not clashes, f"winget's name {alias} for {path} would stand in for {clashes}"


def check_scoop(out, version, sha256, url, zipped):
    doc = json.load(open(os.path.join(out, "scoop", "netpeek.json"), encoding="utf-8"))
    assert SCOOP_REQUIRED <= set(doc) <= SCOOP_KEYS, sorted(doc)
    assert (doc["version"], doc["url"], doc["hash"], doc["homepage"]) == \
        (version, url, sha256, url.rsplit("/", 1)[0] + "/"), doc
    assert doc["bin"] == "Netpeek.com" and doc["shortcuts"] == [["Netpeek.exe", "Netpeek"]], doc
    assert {doc["bin"], doc["shortcuts"][0][0]} <= set(zipped), doc
    # Scoop makes a folder of a persisted name that is not there: the settings file is made first.
    assert doc["persist"] == "Netpeek.ini" and '"$dir\\Netpeek.ini" -ItemType File' in doc["pre_install"], doc


with tempfile.TemporaryDirectory() as work:
    files = [shutil.copy(path, work) for path in sys.argv[1:5]]
    version, architecture = exe_version(files[0]), exe_architecture(files[0])
    next_version = version[:-1] + ("8" if version[-1] != "8" else "7")
    out = os.path.join(work, "out")
    zip_path = os.path.join(out, f"Netpeek-{version}.zip")
    run = dist(out, *files)
    assert run.returncode == 0, run.stderr
    release = open(zip_path, "rb").read()
    sha256 = hashlib.sha256(release).hexdigest()
    assert run.stdout == f"{sha256}  {zip_path}\n", run.stdout

    with zipfile.ZipFile(zip_path) as archive:
        zipped = archive.namelist()
        assert zipped == ["Netpeek.exe", "Netpeek.com", "ReadMe.txt", "ReadMe.en.txt"], zipped
        for entry, path in zip(archive.infolist(), files):
            assert archive.read(entry) == open(path, "rb").read(), f"{entry.filename} differs from {path}"
            assert entry.date_time == (2023, 11, 14, 22, 13, 20), entry.date_time
            assert entry.extra == b"" and entry.external_attr >> 16 == 0o100644, entry
        # Notepad before Windows 10 1809 shows a file of bare LFs as one line.
        for name in zipped[2:]:
            text = archive.read(name)
            assert text.startswith(b"\xef\xbb\xbf") and text.decode("utf-8"), f"{name} lacks the BOM"
            assert text.endswith(b"\r\n") and text.count(b"\n") == text.count(b"\r\n"), f"{name}: bare LF"
    check_winget(out, version, architecture, sha256, URL, zipped)
    check_scoop(out, version, sha256, URL, zipped)
    release_tree = tree(out)
    assert len(release_tree) == 5 and not any(work.encode() in data for data in release_tree.values()), \
        sorted(release_tree)

    # Other file times and another time zone change nothing.
    for path in files:
        os.utime(path, (1, 1))
    assert dist(out, *files, tz="Asia/Tokyo").returncode == 0
    assert tree(out) == release_tree, "a second run gave other bytes"

    # Bad input: nothing is written, and the message names the fault.
    bad = os.path.join(work, "bad")
    cut = os.path.join(bad, "Netpeek.exe")
    os.makedirs(bad)
    program = open(files[0], "rb").read()
    open(cut, "wb").write(program[:len(program) // 2])
    stale_twin = with_version(files[1], os.path.join(work, "stale"), next_version)
    for url, given, told in [("ftp://example.org/Netpeek.zip", files, "NETPEEK_URL"),
                             (URL, [os.path.join(work, "missing.exe"), *files[1:]], "missing.exe"),
                             (URL, [cut, *files[1:]], cut),
                             (URL, [files[0], stale_twin, *files[2:]], "take both from one build")]:
        failed = dist(out, *given, url=url)
        assert failed.returncode != 0 and told in failed.stderr, (given, failed)
        assert tree(out) == release_tree, f"a failed run ({failed.stderr.strip()}) touched the last release"

    # The version is the one in the program's own version block; without an address the zip is
    # named at the placeholder location that the README states.
    rebuilt = [with_version(path, os.path.join(work, "next"), next_version) for path in files[:2]]
    other = os.path.join(work, "other")
    assert dist(other, *rebuilt, *files[2:], url="").returncode == 0
    renamed = f"Netpeek-{next_version}.zip"
    placeholder = "https://example.com/netpeek/" + renamed
    sha256 = hashlib.sha256(open(os.path.join(other, renamed), "rb").read()).hexdigest()
    check_winget(other, next_version, architecture, sha256, placeholder, zipped)
    check_scoop(other, next_version, sha256, placeholder, zipped)
print("dist: the zip holds Netpeek.exe, Netpeek.com, ReadMe.txt and ReadMe.en.txt as built, and the"
      " winget and Scoop manifests its hash, address, version and machine, the same from run to run")
