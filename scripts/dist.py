#!/usr/bin/env python3
"""Writes the release into DIST_DIR: Netpeek-<version>.zip holding the given files in the given
order, and beside it the manifests that winget and Scoop install it by; prints the zip's SHA-256
as sha256sum does. The version and the architecture are read from Netpeek.exe itself (its
version block and its PE header), so that neither the zip's name nor a manifest can disagree
with the program in the zip. Every build of a commit gives the same bytes: the files carry the
commit's date (or SOURCE_DATE_EPOCH's) and fixed permissions, the manifests no date and no path.

Usage: dist.py DIST_DIR FILE...   (among the files Netpeek.exe and Netpeek.com)
NETPEEK_URL in the environment is the address the zip is downloaded from, by default
https://example.com/netpeek/ followed by the zip's name; NETPEEK_HOMEPAGE the program's page,
by default the folder of that address.
"""
import hashlib
import io
import json
import os
import re
import struct
import subprocess
import sys
import time
import urllib.parse
import zipfile

PACKAGE = "Netpeek"
PUBLISHER = "Brindle"
WINDOW_PROGRAM = "Netpeek.exe"
CONSOLE_TWIN = "Netpeek.com"
SETTINGS_FILE = "Netpeek.ini"
# The README's first sentence, without the program's name, which the package managers show beside it.
DESCRIPTION = "A small Windows utility that shows the machine's IPv4 interface address table in one window."
# The repository grants no licence: all rights stay with the publisher.
LICENSE = "Proprietary"
PLACEHOLDER_FOLDER = "https://example.com/netpeek/"
# The newest manifest version that winget's community repository accepts.
WINGET_MANIFEST_VERSION = "1.12.0"
# The PE header's machine types, by the names winget gives them.
ARCHITECTURES = {0x014C: "x86", 0x8664: "x64", 0x01C4: "arm", 0xAA64: "arm64"}


def fail(message):
    sys.exit(f"dist: {message}")


class BadProgram(Exception):
    pass


def unpack(fmt, data, at, what):
    """The fields of fmt at offset at, where all of them lie inside data."""
    if at < 0 or at + struct.calcsize(fmt) > len(data):
        raise BadProgram(f"{what} lies outside the file")
    return struct.unpack_from(fmt, data, at)


def pe_image(data):
    """The machine type, a function that finds an RVA's bytes in the file, and where the
    resource directory lies (its RVA and size)."""
    if data[:2] != b"MZ":
        raise BadProgram("it is not a Windows program (no MZ header)")
    (pe,) = unpack("<I", data, 0x3C, "the PE header's offset")
    if unpack("<4s", data, pe, "the PE signature")[0] != b"PE\0\0":
        raise BadProgram("it has no PE header")
    machine, sections, _, _, _, optional_size, _ = unpack("<HHIIIHH", data, pe + 4, "the file header")
    optional = pe + 24
    (magic,) = unpack("<H", data, optional, "the optional header")
    directories = {0x10B: 96, 0x20B: 112}.get(magic)
    if directories is None:
        raise BadProgram(f"its optional header has the unknown magic {magic:#x}")
    (count,) = unpack("<I", data, optional + directories - 4, "the number of data directories")
    if count < 3 or directories + 3 * 8 > optional_size:
        raise BadProgram("it has no resource directory")
    table = [unpack("<IIII", data, optional + optional_size + 40 * i + 8, "the section table")
             for i in range(sections)]

    def bytes_at(rva, size, what):
        for virtual_size, address, raw_size, raw_offset in table:
            if address <= rva and rva + size <= address + min(virtual_size, raw_size):
                start = raw_offset + rva - address
                if start + size > len(data):
                    raise BadProgram(f"{what} lies outside the file")
                return data[start:start + size]
        raise BadProgram(f"{what} lies outside its sections")

    resources = unpack("<II", data, optional + directories + 2 * 8, "the resource directory")
    return machine, bytes_at, resources


def version_resource(data):
    """The bytes of the program's version block (resource type 16, name 1, its first language)."""
    machine, bytes_at, (rva, size) = pe_image(data)
    tree = bytes_at(rva, size, "the resource directory")

    def entry(directory, wanted, what):
        named, ids = unpack("<HH", tree, directory + 12, what)
        for i in range(named + ids):
            name, target = unpack("<II", tree, directory + 16 + 8 * i, what)
            if wanted is None or name == wanted:
                return target
        raise BadProgram(f"it has no {what}")

    offset = 0
    # Type, then name: directories; then the first language, whose entry holds the data.
    for wanted, what in ((16, "version resource"), (1, "version block")):
        target = entry(offset, wanted, what)
        if not target & 0x80000000:
            raise BadProgram(f"its {what} is not a resource directory")
        offset = target & 0x7FFFFFFF
    target = entry(offset, None, "version block in any language")
    if target & 0x80000000:
        raise BadProgram("its version block's data is a directory")
    data_rva, data_size = unpack("<II", tree, target, "the version block's data entry")
    return machine, bytes_at(data_rva, data_size, "the version block")


def version_node(block, start, end):
    """One node of a version block: its key, its value's bytes, and the spans of its children."""
    length, value_length, text = unpack("<HHH", block, start, "a node of the version block")
    if not 6 <= length <= end - start:
        raise BadProgram("a node of the version block overruns its parent")
    end = start + length
    key_end = start + 6
    while key_end + 2 <= end and block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    if key_end + 2 > end:
        raise BadProgram("a key of the version block has no end")
    key = block[start + 6:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_end = min(value_start + value_length * (2 if text else 1), end)
    children, child = [], (value_end + 3) & ~3
    while child + 6 <= end:
        (child_length,) = unpack("<H", block, child, "a node of the version block")
        if child_length == 0:
            break
        children.append((child, end))
        child = (child + child_length + 3) & ~3
    return key, block[value_start:value_end], children


def version_strings(block):
    """The texts of a version block's string tables, as (name, text) pairs."""
    key, _, children = version_node(block, 0, len(block))
    if key != "VS_VERSION_INFO":
        raise BadProgram(f"its version block begins with {key!r}")
    for span in children:
        key, _, tables = version_node(block, *span)
        if key != "StringFileInfo":
            continue
        for table in tables:
            for string in version_node(block, *table)[2]:
                name, value, _ = version_node(block, *string)
                yield name, value.decode("utf-16-le").split("\0")[0]


def product_version(path):
    """The machine type and the ProductVersion text of a program's version block."""
    try:
        with open(path, "rb") as f:
            machine, block = version_resource(f.read())
        version = dict(version_strings(block)).get("ProductVersion")
    except (OSError, BadProgram, UnicodeDecodeError) as error:
        fail(f"cannot read the version of {path}: {error}")
    if version is None:
        fail(f"the version block of {path} has no ProductVersion")
    return machine, version


def program_facts(files):
    """The version and the architecture that the window program and its console twin share."""
    by_name = {os.path.basename(path): path for path in files}
    facts = {}
    for name in (WINDOW_PROGRAM, CONSOLE_TWIN):
        if name not in by_name:
            fail(f"the release has no {name}")
        facts[name] = product_version(by_name[name])
    if facts[WINDOW_PROGRAM] != facts[CONSOLE_TWIN]:
        told = " and ".join(f"{name} is {version} for machine {machine:#x}"
                            for name, (machine, version) in facts.items())
        fail(f"{told}; take both from one build")
    machine, version = facts[WINDOW_PROGRAM]
    if machine not in ARCHITECTURES:
        fail(f"{WINDOW_PROGRAM} is built for the unknown machine type {machine:#x}")
    if not re.fullmatch(r"[0-9A-Za-z][0-9A-Za-z.+_-]*", version):
        fail(f"the version {version!r} in {WINDOW_PROGRAM}'s version block cannot name a package")
    return version, ARCHITECTURES[machine]


def web_address(name, value):
    """An http or https address as both manifests take it: no space, quote or `$`, at most 2048 long."""
    if not re.fullmatch(r"https?://[^\s\"'$\\]+", value) or len(value) > 2048:
        fail(f"{name} {value!r} is not an http:// or https:// address "
             "(without spaces, quotes, backslashes or $)")
    return value


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


def zip_bytes(files, date):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for path in files:
            entry = zipfile.ZipInfo(os.path.basename(path), date)
            entry.create_system = 3
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    return buffer.getvalue()


def yaml_text(manifest_type, fields):
    """A winget manifest: every text single-quoted, so that YAML reads none of them as a number."""
    def value(v):
        return "true" if v is True else "'" + v.replace("'", "''") + "'"

    lines = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{manifest_type}"
             f".{WINGET_MANIFEST_VERSION}.schema.json", ""]
    for key, v in fields + [("ManifestType", manifest_type), ("ManifestVersion", WINGET_MANIFEST_VERSION)]:
        if isinstance(v, list):
            lines.append(f"{key}:")
            for item in v:
                lines += [("- " if i == 0 else "  ") + f"{k}: {value(x)}" for i, (k, x) in enumerate(item)]
        else:
            lines.append(f"{key}: {value(v)}")
    return ("\n".join(lines) + "\n").encode()


def manifests(version, architecture, sha256, url, homepage):
    """The manifests' paths under the release folder, and their bytes."""
    identifier = f"{PUBLISHER}.{PACKAGE}"
    head = [("PackageIdentifier", identifier), ("PackageVersion", version)]
    folder = f"winget/manifests/{PUBLISHER[0].lower()}/{PUBLISHER}/{PACKAGE}/{version}/{identifier}"
    # The program and its twin look for each other and for their settings beside themselves, so
    # winget puts their own folder on PATH rather than links elsewhere, and makes no second name
    # (an alias `netpeek` would be a link named netpeek.exe in the folder that holds Netpeek.exe);
    # `netpeek` finds Netpeek.com there, as PATHEXT puts .COM before .EXE.
    installer = head + [
        ("InstallerType", "zip"),
        ("NestedInstallerType", "portable"),
        ("NestedInstallerFiles", [[("RelativeFilePath", WINDOW_PROGRAM)]]),
        ("ArchiveBinariesDependOnPath", True),
        ("Installers", [[("Architecture", architecture), ("InstallerUrl", url),
                         ("InstallerSha256", sha256.upper())]]),
    ]
    locale = head + [("PackageLocale", "en-US"), ("Publisher", PUBLISHER), ("PackageName", PACKAGE),
                     ("License", LICENSE), ("ShortDescription", DESCRIPTION)]
    scoop = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": homepage,
        "license": LICENSE,
        "url": url,
        "hash": sha256,
        # Scoop keeps only what persist names across updates, and makes a folder of a name that
        # is not there yet: an empty settings file tells the program to keep its settings in it.
        "pre_install": f'if (!(Test-Path "$dir\\{SETTINGS_FILE}")) '
                       f'{{ New-Item "$dir\\{SETTINGS_FILE}" -ItemType File | Out-Null }}',
        "bin": CONSOLE_TWIN,
        "shortcuts": [[WINDOW_PROGRAM, PACKAGE]],
        "persist": SETTINGS_FILE,
    }
    return {
        f"{folder}.yaml": yaml_text("version", head + [("DefaultLocale", "en-US")]),
        f"{folder}.installer.yaml": yaml_text("installer", installer),
        f"{folder}.locale.en-US.yaml": yaml_text("defaultLocale", locale),
        f"scoop/{PACKAGE.lower()}.json": (json.dumps(scoop, indent=4, ensure_ascii=False) + "\n").encode(),
    }


def write_whole(path, data):
    """Written beside the target and then renamed, so a failed run leaves the last one whole."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    partial = path + ".partial"
    try:
        with open(partial, "wb") as f:
            f.write(data)
        os.replace(partial, path)
    except OSError as error:
        if os.path.exists(partial):
            os.remove(partial)
        fail(f"cannot write {path}: {error}")


def main(args):
    if len(args) < 2:
        fail("usage: dist.py DIST_DIR FILE...")
    target, files = os.path.abspath(args[0]), args[1:]
    for path in files:
        if not os.path.isfile(path):
            fail(f"{path} is not there; build it first")
    version, architecture = program_facts(files)
    zip_name = f"{PACKAGE}-{version}.zip"
    url = web_address("NETPEEK_URL", os.environ.get("NETPEEK_URL") or PLACEHOLDER_FOLDER + zip_name)
    address = urllib.parse.urlsplit(url)
    folder = f"{address.scheme}://{address.netloc}{address.path[:address.path.rfind('/') + 1] or '/'}"
    homepage = web_address("NETPEEK_HOMEPAGE", os.environ.get("NETPEEK_HOMEPAGE") or folder)
    # Everything is made before anything is written, so that bad input leaves the last release as it was.
    release = zip_bytes(files, source_date())
    sha256 = hashlib.sha256(release).hexdigest()
    outputs = {zip_name: release, **manifests(version, architecture, sha256, url, homepage)}
    for name, data in outputs.items():
        write_whole(os.path.join(target, name), data)
    print(f"{sha256}  {os.path.join(target, zip_name)}")


if __name__ == "__main__":
    main(sys.argv[1:])
