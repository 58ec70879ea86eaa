#!/usr/bin/env python3
"""Reads what a person sees in a screenshot (a binary PPM, as `import ... ppm:FILE` writes).

  shot.py frame SHOT              the rectangle "x y width height" of everything on Wine's
                                  desktop that is not the desktop's own colour (one window)
  shot.py gridlines SHOT X0 X1 Y  the x of each one-pixel vertical line crossing row Y
                                  between X0 and X1: a list's grid lines, i.e. its columns
  shot.py separators SHOT X Y W H the "x y" middle of each thin vertical line standing alone
                                  in that rectangle, as a toolbar's separators do
  shot.py gridtop SHOT X Y        the y where the grid line through (X, Y) begins, going up
                                  across rows: the bottom of the list's header
  shot.py rowmiddles SHOT X Y0 Y1 the middle y of each band between the one-pixel horizontal
                                  lines crossing column X from Y0 (a row's top) down to Y1:
                                  the rows of a list with grid lines, first row first
  shot.py closebox SHOT X Y W H   the "x y" middle of the close box on the caption of the
                                  framed window at that rectangle
  shot.py marks SHOT R,G,B XS YS  for each row middle in YS (y,y,...) one line with one
                                  character for each cell between the column edges XS: "#"
                                  where the cell's middle rows hold a pixel of that colour
"""
import sys
from collections import Counter


def load(path):
    with open(path, 'rb') as f:
        data = f.read()
    fields = []
    at = 0
    # "P6", width, height, maximum value, each followed by whitespace; comments start with #.
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b'#':
            at = data.index(b'\n', at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b'P6' or fields[3] != b'255':
        sys.exit('%s is not an 8-bit binary PPM' % path)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:]


class Shot:
    def __init__(self, path):
        self.width, self.height, self.pixels = load(path)

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def frame(shot):
    # The desktop's colour is the commonest along the picture's edges, which one window
    # does not cover.
    edges = [(x, y) for x in range(0, shot.width, 3) for y in (0, shot.height - 1)]
    edges += [(x, y) for y in range(0, shot.height, 3) for x in (0, shot.width - 1)]
    background = Counter(shot.at(x, y) for x, y in edges).most_common(1)[0][0]
    xs, ys = [], []
    for y in range(shot.height):
        row = [x for x in range(shot.width) if shot.at(x, y) != background]
        if row:
            xs += (row[0], row[-1])
            ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def gridlines(shot, x0, x1, y):
    row = [shot.at(x, y) for x in range(x0, x1 + 1)]
    paper = Counter(row).most_common(1)[0][0]
    return [x0 + i for i in range(1, len(row) - 1)
            if row[i] != paper and row[i - 1] == paper and row[i + 1] == paper]


def separators(shot, x, y, w, h):
    # A separator is a line of one colour, from 20 to 60 pixels tall, with the same face
    # colour on both sides of its middle; a line reaching the rectangle's bottom belongs
    # to something taller below (the list's grid) and is no separator.
    found = []
    for cx in range(x + 1, x + w - 1):
        top = y
        while top < y + h:
            colour = shot.at(cx, top)
            end = top
            while end + 1 < y + h and shot.at(cx, end + 1) == colour:
                end += 1
            length = end - top + 1
            middle = (top + end) // 2
            face = shot.at(cx - 1, middle)
            if (20 <= length <= 60 and end + 1 < y + h and face != colour and shot.at(cx + 1, middle) == face
                    and all(shot.at(cx - 1, yy) == face for yy in range(top, end + 1))):
                found.append((cx, middle))
            top = end + 1
    return found


def gridtop(shot, x, y):
    # A focus rectangle or a row's line may hide a pixel or two of the grid line on its way
    # up; the header, about 20 pixels tall, ends it.
    colour = shot.at(x, y)
    while True:
        above = [yy for yy in range(y - 1, max(y - 4, -1), -1) if shot.at(x, yy) == colour]
        if not above:
            return y
        y = above[0]


def rowmiddles(shot, x, y0, y1):
    column = [shot.at(x, y) for y in range(y0, y1 + 1)]
    paper = Counter(column).most_common(1)[0][0]
    lines = [y0] + [y0 + i for i in range(1, len(column) - 1)
                    if column[i] != paper and column[i - 1] == paper and column[i + 1] == paper]
    return [(top + bottom) // 2 for top, bottom in zip(lines, lines[1:])]


def closebox(shot, x, y, w, h):
    # The caption is the band of rows at the top whose middle pixel has the caption's colour;
    # the close box is the last button on it before the right edge of the frame.
    middle_x = x + w // 2
    caption = shot.at(middle_x, y + 12)
    rows = [yy for yy in range(y, min(y + 40, y + h)) if shot.at(middle_x, yy) == caption]
    if not rows:
        return None
    row = (rows[0] + rows[-1]) // 2
    right = max(xx for xx in range(x, x + w) if shot.at(xx, row) == caption)
    xx = right
    while xx > x and shot.at(xx, row) == caption:
        xx -= 1
    box_right = xx
    while xx > x and shot.at(xx, row) != caption:
        xx -= 1
    return (xx + 1 + box_right) // 2, row


def marks(shot, colour, edges, middles):
    # The five pixel rows around a row's middle: inside the row, clear of its grid lines.
    return [''.join('#' if any(shot.at(x, y) == colour for x in range(left + 1, right)
                               for y in range(middle - 2, middle + 3)) else '.'
                    for left, right in zip(edges, edges[1:]))
            for middle in middles]


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    command, shot = argv[1], Shot(argv[2])
    if command == 'marks':
        colour, edges, middles = ([int(n) for n in arg.split(',')] for arg in argv[3:6])
        print(*marks(shot, tuple(colour), edges, middles), sep='\n')
        return
    numbers = [int(a) for a in argv[3:]]
    if command == 'frame':
        rect = frame(shot)
        if rect is None:
            sys.exit('nothing on the desktop')
        print(*rect)
    elif command == 'gridlines':
        print(*gridlines(shot, *numbers))
    elif command == 'separators':
        for found in separators(shot, *numbers):
            print(*found)
    elif command == 'gridtop':
        print(gridtop(shot, *numbers))
    elif command == 'rowmiddles':
        print(*rowmiddles(shot, *numbers))
    elif command == 'closebox':
        found = closebox(shot, *numbers)
        if found is None:
            sys.exit('no caption at that rectangle')
        print(*found)
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
