#!/usr/bin/env python3
"""Settings in a Wine prefix's registry file, changed while no Wine process of it runs.

  settings.py forget USER.REG    removes HKEY_CURRENT_USER\\Software\\Brindle\\Netpeek and
                                 every key below it, and the file dialogs' memory of the
                                 folders they were last used in (Explorer\\ComDlg32)

Wine keeps HKEY_CURRENT_USER in user.reg: blocks that start with a "[key] time" line and
hold one value a line, separated by empty lines.
"""
import re
import sys

FORGOTTEN = re.compile(r'^\[Software\\\\(Brindle\\\\Netpeek|Microsoft\\\\Windows\\\\CurrentVersion'
                       r'\\\\Explorer\\\\ComDlg32)(\\\\[^\]]*)?\]', re.IGNORECASE)


def forget(path):
    with open(path, encoding='latin-1', newline='') as f:
        blocks = f.read().split('\n\n')
    kept = [block for block in blocks if not FORGOTTEN.match(block.lstrip('\n'))]
    with open(path, 'w', encoding='latin-1', newline='') as f:
        f.write('\n\n'.join(kept))
    return len(blocks) - len(kept)


def main(argv):
    if len(argv) != 3 or argv[1] != 'forget':
        sys.exit(__doc__)
    forget(argv[2])


if __name__ == '__main__':
    main(sys.argv)
