#!/usr/bin/env python3
"""Netpeek's metrics files, as Prometheus' own checker and a scraping collector read them.

  metrics.py check FILE           exit 0 when `promtool check metrics` has nothing to say of FILE,
                                  no series is written twice, and FILE is UTF-8 with LF line
                                  ends, the last line ended too; else say what is wrong
  metrics.py series FILE          the netpeek_address_info series, one a line in the file's order:
                                  family, interface index and name, address, prefix length,
                                  type and primary, joined by tabs
  metrics.py rows CSV             the same lines from a save of the table with /columns
                                  Interface,IP,Mask,Type,Name,Route (the family from the IP, the
                                  prefix length from the mask, primary from "Default")
  metrics.py value FILE SAMPLE    the value of the sample whose name and labels, as written, are SAMPLE
  metrics.py copy FILE FOLDER STOP
                                  a reader that copies FILE again and again until the file STOP
                                  exists, as a collector scraping it would; keeps each text it
                                  got once in FOLDER (1.prom, 2.prom, ...) and prints how many
                                  copies it made, how many found no file (a replace between its
                                  two steps), how many were partial (empty or not ending with a
                                  line end) and how many texts differed
"""
import csv
import ipaddress
import os
import re
import subprocess
import sys
import time

LABEL = re.compile(r'(\w+)="((?:[^"\\]|\\.)*)"')
INFO = 'netpeek_address_info{'
LABELS = ['family', 'interface_index', 'interface_name', 'address', 'prefix_length', 'type', 'primary']


def unescape(value):
    return re.sub(r'\\(.)', lambda m: '\n' if m.group(1) == 'n' else m.group(1), value)


def check(path):
    data = open(path, 'rb').read()
    problems = []
    report = subprocess.run(['promtool', 'check', 'metrics'], input=data, capture_output=True)
    said = (report.stdout + report.stderr).decode('utf-8', 'replace').strip()
    if report.returncode != 0 or said:
        problems.append(f'promtool: {said or "exit code " + str(report.returncode)}')
    try:
        text = data.decode('utf-8')
    except UnicodeDecodeError as error:
        problems.append(f'not UTF-8: {error}')
        text = data.decode('utf-8', 'replace')
    if not text.endswith('\n'):
        problems.append('the last line has no line end')
    if '\r' in text:
        problems.append('a CR')
    series = [line.rsplit(' ', 1)[0] for line in text.split('\n') if line and not line.startswith('#')]
    twice = sorted({s for s in series if series.count(s) > 1})
    if twice:
        problems.append(f'series written twice: {twice}')
    if problems:
        sys.exit('; '.join(problems))


def series(path):
    for line in open(path, encoding='utf-8'):
        if line.startswith(INFO):
            labels = dict((name, unescape(value)) for name, value in LABEL.findall(line))
            assert list(labels) == LABELS, f'labels {list(labels)}'
            print('\t'.join(labels[name] for name in LABELS))


def rows(path):
    with open(path, encoding='utf-8', newline='') as f:
        table = list(csv.reader(f))
    assert table[0] == ['Interface', 'IP', 'Mask', 'Type', 'Name', 'Route'], f'headers {table[0]}'
    for index, address, mask, kind, name, route in table[1:]:
        ipv6 = ':' in address
        prefix = mask[1:] if ipv6 else str(bin(int(ipaddress.IPv4Address(mask))).count('1'))
        primary = '1' if route == 'Default' else '0'
        print('\t'.join(['ipv6' if ipv6 else 'ipv4', index, name, address, prefix, kind, primary]))


def value(path, sample):
    for line in open(path, encoding='utf-8'):
        if line.rsplit(' ', 1)[0] == sample:
            print(line.rsplit(' ', 1)[1].strip())
            return
    sys.exit(f'no sample {sample}')


def copy(path, folder, stop):
    copies = missing = partial = 0
    texts = {}
    while not os.path.exists(stop):
        try:
            with open(path, 'rb') as f:
                data = f.read()
        except FileNotFoundError:
            missing += 1
            continue
        copies += 1
        if not data.endswith(b'\n'):
            partial += 1
        if data not in texts:
            texts[data] = len(texts) + 1
            with open(os.path.join(folder, f'{texts[data]}.prom'), 'wb') as f:
                f.write(data)
        time.sleep(0.001)
    print(f'copies={copies} missing={missing} partial={partial} texts={len(texts)}')


if __name__ == '__main__':
    command, args = sys.argv[1], sys.argv[2:]
    {'check': check, 'series': series, 'rows': rows, 'value': value, 'copy': copy}[command](*args)
