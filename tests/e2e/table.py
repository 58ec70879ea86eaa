#!/usr/bin/env python3
"""The exported CSV file against the address table that Linux lists for a namespace.

  table.py expect IP-ADDR         the exact file that an export of that table writes
  table.py check CSV IP-ADDR      exit 0 when CSV is exactly that file; else say how it differs
  table.py addresses CSV          the IP column of a well-formed export, one a line
  table.py cells CSV FACTS COLUMNS NOW [LINK...]
                                  exit 0 when CSV holds, with those columns (headers joined
                                  by ","), the rows of the namespace that FACTS describes but
                                  for those on the links named, read at NOW (seconds since
                                  1970); else say which cells differ

IP-ADDR is the output of `ip -o addr show` in the namespace: its IPv4 lines, and its IPv6
lines when it has them (`ip -4` leaves those out). Wine's address table gives every Linux
IPv4 address the broadcast value 1 (shown 1.0.0.0), a reassembly size of 65535 and the type
"Primary"; the rest comes from ip: interface index, address and mask. Rows are in ascending
address order, compared as numbers. The IPv6 rows follow, ascending by address, then by
interface index: the index, the address as RFC 5952 writes it (with "%" and the interface's
index as its zone when it is link-local), "/" and the prefix length, two empty cells, and
the type: Wine calls every address preferred, ::1 manual (no label) and every other one
DHCP's ("Dynamic").

FACTS is a folder with the namespace's `ip -4 -o addr show` (addr.txt), `ip -o link show`
(link.txt), `ip -4 route show` (route.txt) and its resolv.conf. Wine names an interface, and
describes it, by its Linux link name; gives it the link's MAC address (none for loopback), Down
for a link set down and Up for any other, even one without carrier; the next hops of the
routes through the link as its gateways; the name servers of resolv.conf, in order, as every
interface's DNS servers; no DHCP server; and every address but loopback's a lease whose
remaining lifetime is always the same 60,000 seconds, so that it ends, in local time, about
that long after the program read it.
"""
import ipaddress
import re
import sys
import time

HEADER = '"Interface","IP","Mask","Broadcast","Realm size","Type"'
BROADCAST, REALM_SIZE, TYPE = '1.0.0.0', '65535', 'Primary'
IPV6_TYPE, IPV6_LOOPBACK_TYPE = 'Dynamic', ''
LINE = re.compile(r'^(\d+):\s+\S+\s+inet\s+(\d+\.\d+\.\d+\.\d+)/(\d+)\s')
LINE6 = re.compile(r'^(\d+):\s+\S+\s+inet6\s+([0-9a-f:]+)/(\d+)\s')


def as_number(address):
    value = 0
    for octet in address.split('.'):
        value = value * 256 + int(octet)
    return value


def mask(bits):
    value = (0xFFFFFFFF << (32 - bits)) & 0xFFFFFFFF if bits else 0
    return '.'.join(str((value >> shift) & 255) for shift in (24, 16, 8, 0))


def linux_rows(path):
    rows = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            found = LINE.match(line)
            if found:
                index, address, bits = found.groups()
                rows.append([index, address, mask(int(bits)), BROADCAST, REALM_SIZE, TYPE])
    rows.sort(key=lambda row: as_number(row[1]))
    return rows + ipv6_rows(path)


def ipv6_rows(path):
    found_rows = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            found = LINE6.match(line)
            if found:
                index, text, bits = found.groups()
                address = ipaddress.IPv6Address(text)
                zone = '%' + index if address.is_link_local else ''
                kind = IPV6_LOOPBACK_TYPE if address.is_loopback else IPV6_TYPE
                found_rows.append((address.packed, int(index),
                                   [index, address.compressed + zone, '/' + bits, '', '', kind]))
    return [row for _, _, row in sorted(found_rows, key=lambda found: found[:2])]


def csv_line(fields):
    return ','.join('"%s"' % field for field in fields)


def expected_text(path):
    return ''.join(line + '\r\n' for line in [HEADER] + [csv_line(row) for row in linux_rows(path)])


def read_export(path, header=HEADER):
    """The file's lines, or a list of what is wrong with its form."""
    with open(path, 'rb') as f:
        data = f.read()
    try:
        text = data.decode('utf-8')
    except UnicodeDecodeError as error:
        return None, ['not UTF-8: %s' % error]
    problems = []
    if not text.endswith('\r\n'):
        problems.append('the last line does not end in CR LF')
    lines = text.split('\r\n')
    if lines and lines[-1] == '':
        lines.pop()
    for number, line in enumerate(lines, 1):
        if '\n' in line or '\r' in line:
            problems.append('line %d holds a bare CR or LF: %r' % (number, line[:80]))
            break
    if not lines or lines[0] != header:
        problems.append('the first line is %r, not %r' % (lines[0][:200] if lines else '', header))
    return lines, problems


def fields_of(line):
    if not (line.startswith('"') and line.endswith('"')):
        return None
    return line[1:-1].split('","')


def check(csv_path, ip_path):
    lines, problems = read_export(csv_path)
    if lines is None:
        return problems
    expected = [HEADER] + [csv_line(row) for row in linux_rows(ip_path)]
    if problems or lines != expected:
        got_rows = [fields_of(line) for line in lines[1:]]
        bad = [line for line, fields in zip(lines[1:], got_rows) if fields is None or len(fields) != 6]
        if bad:
            problems.append('%d line(s) are not six quoted fields, e.g. %r' % (len(bad), bad[0][:80]))
        want = {line for line in expected[1:]}
        have = set(lines[1:])
        missing = [line for line in expected[1:] if line not in have]
        extra = sorted(have - want)
        if missing:
            problems.append('%d of %d expected row(s) missing, e.g. %s' %
                            (len(missing), len(want), ' '.join(missing[:3])))
        if extra:
            problems.append('%d row(s) not expected, e.g. %s' % (len(extra), ' '.join(extra[:3])))
        if len(lines) - 1 != len(want):
            problems.append('%d row(s), %d expected' % (len(lines) - 1, len(want)))
        if not missing and not extra and lines[1:] != expected[1:]:
            problems.append('the rows are not in ascending address order')
        if not problems:
            problems.append('the file differs from the expected one')
    return problems


BASE_COLUMNS = [field.strip('"') for field in HEADER.split(',')]
LINK_LINE = re.compile(r'^(\d+):\s+([^:@\s]+)(?:@\S+)?:\s+<([^>]*)>.*?\slink/(\w+)(?:\s+([0-9a-f:]+))?')
ROUTE_LINE = re.compile(r'\bvia\s+(\d+\.\d+\.\d+\.\d+)\s+dev\s+(\S+)')
LEASE_SECONDS = 60000
# The text tells the minute, and the program reads the lease when it starts or adds the column.
LEASE_SLACK = 300


def read_lines(path):
    with open(path, encoding='utf-8') as f:
        return f.read().splitlines()


def interface_cells(facts):
    """Each link's cells by interface index, the Lease expires cell as whether it has a lease."""
    gateways = {}
    for line in read_lines(facts + '/route.txt'):
        found = ROUTE_LINE.search(line)
        if found:
            gateways.setdefault(found.group(2), []).append(found.group(1))
    dns = ', '.join(line.split()[1] for line in read_lines(facts + '/resolv.conf')
                    if line.split()[:1] == ['nameserver'] and len(line.split()) > 1)
    links = {}
    for line in read_lines(facts + '/link.txt'):
        found = LINK_LINE.match(line)
        if not found:
            continue
        index, name, flags, _, mac = found.groups()
        loopback = 'LOOPBACK' in flags.split(',')
        links[index] = {
            'Name': name, 'Adapter': name,
            'MAC': '' if loopback or not mac else mac.upper().replace(':', '-'),
            'Status': 'Up' if 'UP' in flags.split(',') else 'Down',
            'Gateway': ', '.join(gateways.get(name, [])), 'DNS': dns, 'DHCP server': '',
            'Lease expires': not loopback,
        }
    return links


def lease_problem(text, leased, now):
    if not leased:
        return None if text == '' else 'not empty'
    try:
        moment = time.mktime(time.strptime(text, '%Y-%m-%d %H:%M'))
    except ValueError:
        return 'not a local time "YYYY-MM-DD HH:MM"'
    expected = now + LEASE_SECONDS
    if abs(moment - expected) > LEASE_SLACK:
        return 'not within %d s of %s' % (LEASE_SLACK, time.strftime('%Y-%m-%d %H:%M', time.localtime(expected)))
    return None


def check_cells(csv_path, facts, columns, now, hidden):
    """The rows are known by their IP cell, so COLUMNS must hold "IP"."""
    columns = columns.split(',')
    lines, problems = read_export(csv_path, csv_line(columns))
    if lines is None:
        return problems
    links = interface_cells(facts)
    expected = []
    for row in linux_rows(facts + '/addr.txt'):
        if row[0] not in links:
            return problems + ['ip lists no link with index %s, which %s is on' % (row[0], row[1])]
        if links[row[0]]['Name'] in hidden:
            continue
        cells = dict(zip(BASE_COLUMNS, row), **links[row[0]])
        expected.append((row[1], [cells.get(column) for column in columns]))
    got = {}
    for line in lines[1:]:
        fields = fields_of(line)
        if fields is None or len(fields) != len(columns):
            return problems + ['a row is not %d quoted fields: %r' % (len(columns), line[:200])]
        got[fields[columns.index('IP')]] = fields
    want = [address for address, _ in expected]
    missing = [address for address in want if address not in got]
    extra = [address for address in got if address not in want]
    if missing or extra:
        problems.append('rows missing: %s; rows not expected: %s' % (' '.join(missing) or 'none', ' '.join(extra) or 'none'))
    elif list(got) != want:
        problems.append('the rows are in the order %s, not %s' % (' '.join(got), ' '.join(want)))
    differ = []
    for address, cells in expected:
        for column, wanted, field in zip(columns, cells, got.get(address, [])):
            if column == 'Lease expires':
                problem = lease_problem(field, wanted, now)
            else:
                problem = None if field == wanted else 'not "%s"' % wanted
            if problem:
                differ.append('%s of %s is "%s": %s' % (column, address, field, problem))
    if differ:
        problems.append('%d cell(s) differ: %s' % (len(differ), '; '.join(differ[:4])))
    return problems


def main(argv):
    if len(argv) == 3 and argv[1] == 'expect':
        sys.stdout.write(expected_text(argv[2]))
    elif len(argv) == 4 and argv[1] == 'check':
        problems = check(argv[2], argv[3])
        if problems:
            print('; '.join(problems))
            return 1
    elif len(argv) >= 6 and argv[1] == 'cells':
        problems = check_cells(argv[2], argv[3], argv[4], int(argv[5]), set(argv[6:]))
        if problems:
            print('; '.join(problems))
            return 1
    elif len(argv) == 3 and argv[1] == 'addresses':
        lines, problems = read_export(argv[2])
        if problems:
            print('; '.join(problems), file=sys.stderr)
            return 1
        for line in lines[1:]:
            fields = fields_of(line)
            if fields is None or len(fields) != 6:
                print('not six quoted fields: %r' % line[:80], file=sys.stderr)
                return 1
            print(fields[1])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
