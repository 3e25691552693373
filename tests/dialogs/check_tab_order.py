#!/usr/bin/env python3
"""Checks that the Tab key moves through every dialog in reading order.

Run from the repository root: python3 tests/dialogs/check_tab_order.py
(or name .rc files). For each DIALOGEX template, the controls that are tab
stops are taken in the order the template lists them (the order Tab
follows). Of two of them that share rows, the left one must come first; of
two that share columns, the upper one. Hidden controls and read-only boxes
marked NOT WS_TABSTOP are left out. Exit status 1 names every pair out of
order.
"""
import pathlib
import re
import sys

# Statements whose controls are tab stops unless the style says NOT WS_TABSTOP.
TAB_STOP_BY_DEFAULT = {"PUSHBUTTON", "DEFPUSHBUTTON", "EDITTEXT", "COMBOBOX", "LISTBOX",
                       "AUTOCHECKBOX", "CHECKBOX", "AUTORADIOBUTTON", "RADIOBUTTON"}
STATEMENTS = TAB_STOP_BY_DEFAULT | {"LTEXT", "RTEXT", "CTEXT", "GROUPBOX", "ICON", "CONTROL"}
# Where the id and the rectangle stand among a statement's fields.
WITH_TEXT = {"PUSHBUTTON", "DEFPUSHBUTTON", "AUTOCHECKBOX", "CHECKBOX", "AUTORADIOBUTTON",
             "RADIOBUTTON", "LTEXT", "RTEXT", "CTEXT", "GROUPBOX", "ICON"}


def fields_of(text):
    """Splits at commas outside quotes."""
    fields, current, quoted = [], "", False
    for c in text:
        if c == '"':
            quoted = not quoted
        if c == "," and not quoted:
            fields.append(current.strip())
            current = ""
        else:
            current += c
    fields.append(current.strip())
    return fields


def statements_of(body):
    """One string per control statement, continuation lines joined."""
    out = []
    for line in body.splitlines():
        line = line.split("//")[0].strip()
        if not line:
            continue
        word = line.split()[0]
        if word in STATEMENTS or not out:
            out.append(line)
        else:
            out[-1] += " " + line
    return out


def control_of(statement):
    """(name, x, y, w, h, tab stop, visible) of one statement, or None."""
    keyword, rest = statement.split(None, 1)
    fields = fields_of(rest)
    if keyword == "CONTROL":
        name, style, box = fields[1], fields[3], fields[4:8]
        tab_stop = re.search(r"(?<!NOT )\bWS_TABSTOP\b", style) is not None
    else:
        at = 1 if keyword in WITH_TEXT else 0
        name, box = fields[at], fields[at + 1:at + 5]
        style = " ".join(fields[at + 5:])
        tab_stop = keyword in TAB_STOP_BY_DEFAULT
    if re.search(r"\bNOT\s+WS_TABSTOP\b", style):
        tab_stop = False
    visible = re.search(r"\bNOT\s+WS_VISIBLE\b", style) is None
    x, y, w, h = (int(v) for v in box)
    if keyword == "COMBOBOX":
        h = 14  # a drop-down list's height counts its open list; it shows one line
    return name, x, y, w, h, tab_stop, visible


def overlap(a0, a1, b0, b1):
    return min(a1, b1) - max(a0, b0) > 0


def faults_of(dialog, controls):
    """Pairs listed against reading order."""
    stops = [c for c in controls if c[5] and c[6]]
    faults = []
    for i, a in enumerate(stops):
        for b in stops[i + 1:]:  # a comes before b
            _, ax, ay, aw, ah = a[:5]
            _, bx, by, bw, bh = b[:5]
            same_rows = overlap(ay, ay + ah, by, by + bh)
            same_columns = overlap(ax, ax + aw, bx, bx + bw)
            if same_rows and bx + bw <= ax:
                faults.append(f"{dialog}: {b[0]} (left) comes after {a[0]}")
            elif same_columns and not same_rows and by + bh <= ay:
                faults.append(f"{dialog}: {b[0]} (above) comes after {a[0]}")
    return faults


def check(path):
    text = path.read_text(encoding="utf-8")
    faults = []
    for match in re.finditer(r"^(\w+)\s+DIALOGEX\b.*?^BEGIN\s*$(.*?)^END\s*$", text, re.M | re.S):
        controls = [control_of(s) for s in statements_of(match.group(2))]
        faults += faults_of(match.group(1), [c for c in controls if c])
    return faults


def main(paths):
    files = [pathlib.Path(p) for p in paths] or sorted(pathlib.Path("src/win").rglob("*.rc"))
    faults = [f for path in files for f in check(path)]
    for fault in faults:
        print(fault)
    print(f"{len(files)} resource scripts, {len(faults)} controls out of reading order")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
