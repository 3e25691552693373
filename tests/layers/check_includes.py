#!/usr/bin/env python3
"""Checks that dependencies between the program's folders run one way.

Run from the repository root: python3 tests/layers/check_includes.py
(--root DIR checks another copy of the tree). Every `#include "dir/..."`
under src/ is an edge from the including file's folder to the included
one's. The core's folders form layers, lowest first; a file may include its
own folder and the layers below it. Under win/, platform/ (the Win32
platform services: links, profile, files, text) uses only the core and
itself, never a window; every other folder may use platform/, base/ and the
core, main/ may also use the other folders' openers, and no other feature
folder uses another. The command-line tool and the gateway may use
win/platform/ and nothing else of win/. A file that includes a Windows
header, directly or through another header, is a Win32 file: it belongs
under win/, except for the Windows halves (*_win.cpp) of cli/, gateway/ and
io/, which no file includes.
The simulator includes nothing of the program.
"""
import argparse
import pathlib
import re
import sys

LAYERS = [["protocol"], ["unit_settings", "titles", "status", "settings_file"], ["link"],
          ["bulk"], ["app"], ["io"], ["cli", "gateway", "win"]]
WINDOWS_HEADERS = {"windows.h", "windowsx.h", "winsock2.h", "ws2tcpip.h", "commctrl.h",
                   "commdlg.h", "shlobj.h", "shellapi.h"}
RESOURCE_HEADER = "resource.h"  # the program's resource identifiers, beside the top script
QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
ANGLED = re.compile(r'^\s*#\s*include\s+<([^>]+)>', re.M)


def rank_of(folder):
    return next((rank for rank, folders in enumerate(LAYERS) if folder in folders), None)


def folder_of(name):
    """'win/titles' for win/titles/title_dialog.cpp, 'protocol' for protocol/commands.h."""
    parts = name.split("/")
    return "/".join(parts[:2]) if parts[0] == "win" and len(parts) > 2 else parts[0]


def edge_fault(source, target):
    """Why `source` may not include `target` (both relative to src/), or None."""
    own, theirs = folder_of(source), folder_of(target)
    if own == theirs:
        return None
    if own == "win/platform" and theirs.startswith("win/"):
        return "win/platform/ uses no window: only the core and itself"
    if theirs == "win/platform" and (own.startswith("win/") or own in ("cli", "gateway")):
        return None
    if theirs == "win/base" and own.startswith("win/"):
        return None
    if own.startswith("win/") and theirs.startswith("win/"):
        if own == "win/main" and not target.endswith("_res.h"):
            return None  # the dialog table opens every feature's dialogs
        return f"{own}/ may not use {theirs}/ (feature folders use only win/base/)"
    own_rank, their_rank = rank_of(own.split("/")[0]), rank_of(theirs.split("/")[0])
    if own_rank is None or their_rank is None:
        return f"folder {own if own_rank is None else theirs}/ has no layer"
    if their_rank < own_rank:
        return None
    return f"{own}/ (layer {own_rank}) may not use {theirs}/ (layer {their_rank})"


def check_program(src):
    files = {path.relative_to(src).as_posix(): path.read_text(encoding="utf-8")
             for path in sorted(src.rglob("*")) if path.suffix in (".h", ".cpp", ".rc")}
    includes = {name: QUOTED.findall(text) for name, text in files.items()}
    win32 = {name for name, text in files.items() if WINDOWS_HEADERS & set(ANGLED.findall(text))}
    while True:  # through headers: a file that includes a Win32 header is one too
        more = {name for name, targets in includes.items() if win32.intersection(targets)}
        if more <= win32:
            break
        win32 |= more
    faults = []
    for name, targets in includes.items():
        in_win = name.startswith("win/")
        for target in targets:
            if target == RESOURCE_HEADER and not in_win:
                faults.append(f"{name} -> {target}: only win/ uses the resource identifiers")
            elif target in files and (fault := edge_fault(name, target)):
                faults.append(f"{name} -> {target}: {fault}")
        platform_source = name.split("/")[0] in ("cli", "gateway", "io") and \
            name.endswith("_win.cpp") and not any(name in targets for targets in includes.values())
        if name in win32 and not in_win and not platform_source:
            faults.append(f"{name}: includes a Windows header but is not under win/")
    return faults


def check_simulator(sim):
    return [f"sim/{path.name} -> {target}: the simulator shares no code"
            for path in sorted(sim.rglob("*")) if path.suffix in (".h", ".cpp")
            for target in QUOTED.findall(path.read_text(encoding="utf-8")) if "/" in target]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=pathlib.Path, default=pathlib.Path("."))
    root = parser.parse_args().root
    print("layers, lowest first:")
    for rank, folders in enumerate(LAYERS):
        print(f"  {rank} {', '.join(f + '/' for f in folders)}")
    print("  inside win/: platform/ below base/ below every feature folder; main/ also opens "
          "the features; cli/ and gateway/ may use platform/")
    faults = check_program(root / "src") + check_simulator(root / "sim")
    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
