#!/usr/bin/env python3
"""Checks that dependencies between the program's folders run one way.

Every `#include "dir/..."` in src/ is an edge from the including file's
layer to the included file's layer; an edge to a higher layer fails. The
Win32 files (*_win.*, *_window.*, *_dialog.*) are the top layer wherever they
sit, and no platform-free file includes app/ unless it is in app/ itself.
The simulator includes nothing of the program.
"""
import pathlib
import re
import sys

# Lowest first. A file may include files of its own layer and below.
LAYERS = [
    ("formats and protocol", {"protocol", "titles", "settings_file"}),
    ("status grid and link", {"status", "link"}),
    ("bulk runs", {"bulk"}),
    ("session", {"app"}),
    ("windows, dialogs and tools", {"dialogs", "converter", "cli"}),
]
TOP = len(LAYERS) - 1
WIN32 = re.compile(r"_(win|window|dialogs?)(_res)?\.(h|cpp|rc)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.M)


def layer_of(folder, name):
    if WIN32.search(name):
        return TOP
    for rank, (_, folders) in enumerate(LAYERS):
        if folder in folders:
            return rank
    return None


def check_program(src):
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".rc"):
            continue
        folder = path.relative_to(src).parts[0]
        own = layer_of(folder, path.name)
        if own is None:
            faults.append(f"{path.relative_to(src)}: folder {folder}/ has no layer")
            continue
        core = not WIN32.search(path.name)
        for target_folder, target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            theirs = layer_of(target_folder, target)
            edge = f"{path.relative_to(src)} -> {target_folder}/{target}"
            if theirs is None:
                faults.append(f"{edge}: folder {target_folder}/ has no layer")
            elif theirs > own:
                faults.append(f"{edge}: {LAYERS[own][0]} may not use {LAYERS[theirs][0]}")
            elif core and target_folder == "app" and folder != "app":
                faults.append(f"{edge}: only the session's own files and Win32 files use app/")
    return faults


def check_simulator(sim):
    faults = []
    for path in sorted(sim.rglob("*")):
        if path.suffix in (".h", ".cpp"):
            for folder, target in INCLUDE.findall(path.read_text(encoding="utf-8")):
                faults.append(f"sim/{path.name} -> {folder}/{target}: the simulator shares no code")
    return faults


def main():
    src, sim = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    print("layers, lowest first:")
    for rank, (name, folders) in enumerate(LAYERS):
        print(f"  {rank} {name}: {', '.join(sorted(folders))}/")
    print("  Win32 files (*_win, *_window, *_dialog) belong to the top layer")
    faults = check_program(src) + check_simulator(sim)
    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
