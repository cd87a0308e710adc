#!/usr/bin/env python3
"""terminal_png.py - draws a terminal screen, as `tmux capture-pane -p -e` gives
it (text with SGR colour escapes), into a PNG through ImageMagick, so that the
README can show the terminal front-end beside Windows' own dialogs.
Usage: terminal_png.py CAPTURE.txt COLUMNS ROWS OUT.png"""
import re
import subprocess
import sys

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
SIZE = 14
CELL_W = SIZE * 0.602  # DejaVu Sans Mono's advance, in em
CELL_H = 17
PALETTE = ["#000000", "#cd0000", "#00cd00", "#cdcd00", "#0000ee", "#cd00cd", "#00cdcd", "#e5e5e5",
           "#7f7f7f", "#ff0000", "#00ff00", "#ffff00", "#5c5cff", "#ff00ff", "#00ffff", "#ffffff"]
DEFAULT_FG, DEFAULT_BG = "#d0d0d0", "#1c1c1c"


def colour256(n):
    if n < 16:
        return PALETTE[n]
    if n < 232:
        n -= 16
        steps = [0, 95, 135, 175, 215, 255]
        return "#%02x%02x%02x" % (steps[n // 36], steps[n // 6 % 6], steps[n % 6])
    grey = 8 + (n - 232) * 10
    return "#%02x%02x%02x" % (grey, grey, grey)


def apply_sgr(params, state):
    codes = [int(p) if p else 0 for p in params.split(";")] if params else [0]
    i = 0
    while i < len(codes):
        c = codes[i]
        if c == 0:
            state.update(fg=None, bg=None, bold=False, reverse=False)
        elif c == 1:
            state["bold"] = True
        elif c == 22:
            state["bold"] = False
        elif c == 7:
            state["reverse"] = True
        elif c == 27:
            state["reverse"] = False
        elif 30 <= c <= 37 or 90 <= c <= 97:
            state["fg"] = PALETTE[c - 30 if c < 90 else c - 82]
        elif 40 <= c <= 47 or 100 <= c <= 107:
            state["bg"] = PALETTE[c - 40 if c < 100 else c - 92]
        elif c == 39:
            state["fg"] = None
        elif c == 49:
            state["bg"] = None
        elif c in (38, 48) and i + 1 < len(codes):
            if codes[i + 1] == 5 and i + 2 < len(codes):
                value, i = colour256(codes[i + 2]), i + 2
            elif codes[i + 1] == 2 and i + 4 < len(codes):
                value, i = "#%02x%02x%02x" % tuple(codes[i + 2:i + 5]), i + 4
            else:
                value = None
            state["fg" if c == 38 else "bg"] = value
        i += 1


def cells(line, state):
    """Each character of a line with its foreground, background and weight."""
    out = []
    for token in re.split(r"(\x1b\[[0-9;]*[A-Za-z])", line):
        if token.startswith("\x1b["):
            if token.endswith("m"):
                apply_sgr(token[2:-1], state)
            continue
        for ch in token:
            fg, bg = state["fg"] or DEFAULT_FG, state["bg"] or DEFAULT_BG
            if state["reverse"]:
                fg, bg = bg, fg
            out.append((ch, fg, bg, state["bold"]))
    return out


def quote(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def main():
    capture, columns, rows, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    with open(capture, encoding="utf-8") as f:
        lines = f.read().split("\n")[:rows]
    width, height = round(columns * CELL_W) + 16, rows * CELL_H + 16
    mvg = ["viewbox 0 0 %d %d" % (width, height), "fill %s" % DEFAULT_BG,
           "rectangle 0,0 %d,%d" % (width, height), "font %s" % quote(FONT), "font-size %d" % SIZE]
    state = {"fg": None, "bg": None, "bold": False, "reverse": False}
    for row, line in enumerate(lines):
        y = 8 + row * CELL_H
        row_cells = cells(line, state)
        # capture-pane leaves out a line's trailing blanks: they keep the
        # colours in force at its end.
        row_cells += cells(" " * max(0, columns - len(row_cells)), state)
        for col, (ch, fg, bg, bold) in enumerate(row_cells):
            x = 8 + col * CELL_W
            if bg != DEFAULT_BG:
                mvg.append("fill %s rectangle %.1f,%d %.1f,%d" % (bg, x, y, x + CELL_W, y + CELL_H))
        for col, (ch, fg, bg, bold) in enumerate(row_cells):
            if ch != " ":
                x = 8 + col * CELL_W
                mvg.append("fill %s font-weight %s text %.1f,%d %s" % (fg, 700 if bold else 400, x, y + 13, quote(ch)))
    with open(out + ".mvg", "w", encoding="utf-8") as f:
        f.write("\n".join(mvg) + "\n")
    subprocess.run(["convert", "mvg:" + out + ".mvg", "-strip", out], check=True)


if __name__ == "__main__":
    main()
