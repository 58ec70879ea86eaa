#!/usr/bin/env python3
"""Settings in a Wine prefix's registry file, changed while no Wine process of it runs.

  settings.py forget USER.REG    removes HKEY_CURRENT_USER\\Software\\Brindle\\Netpeek and
                                 every key below it, the file dialogs' memory of the
                                 folders they were last used in (Explorer\\ComDlg32), and
                                 the program's start at logon (its values under Run and
                                 Explorer\\StartupApproved\\Run), which a plain wineboot
                                 would otherwise carry out

Wine keeps HKEY_CURRENT_USER in user.reg: blocks that start with a "[key] time" line and
hold one value a line, separated by empty lines.
"""
import re
import sys

FORGOTTEN = re.compile(r'^\[Software\\\\(Brindle\\\\Netpeek|Microsoft\\\\Windows\\\\CurrentVersion'
                       r'\\\\Explorer\\\\ComDlg32)(\\\\[^\]]*)?\]', re.IGNORECASE)


RUN_KEYS = re.compile(r'^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\'
                      r'(Explorer\\\\StartupApproved\\\\)?Run\]', re.IGNORECASE)


def without_logon(block):
    """The block without the value "Netpeek" and its continuation lines."""
    kept, dropping = [], False
    for line in block.split('\n'):
        if line.lower().startswith('"netpeek"='):
            dropping = True
        if not dropping:
            kept.append(line)
        elif not line.endswith('\\'):
            dropping = False
    return '\n'.join(kept)


def forget(path):
    with open(path, encoding='latin-1', newline='') as f:
        blocks = f.read().split('\n\n')
    kept = [without_logon(block) if RUN_KEYS.match(block.lstrip('\n')) else block
            for block in blocks if not FORGOTTEN.match(block.lstrip('\n'))]
    with open(path, 'w', encoding='latin-1', newline='') as f:
        f.write('\n\n'.join(kept))
    return len(blocks) - len(kept)


def main(argv):
    if len(argv) != 3 or argv[1] != 'forget':
        sys.exit(__doc__)
    forget(argv[2])


if __name__ == '__main__':
    main(sys.argv)
