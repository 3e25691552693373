#!/usr/bin/env python3
"""The include check fails on each planted violation, naming it. Each
violation goes into a fresh copy of src/ and sim/."""
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
CHECK = ROOT / "tests/layers/check_includes.py"
PLANTED = [  # file, line added, what the failure must name
    ("src/protocol/commands.h", '#include "app/session.h"', "protocol/commands.h -> app/session.h"),
    ("src/titles/title_csv.cpp", '#include "status/status_grid.h"', "titles/ (layer 1) may not use status/"),
    ("src/win/titles/title_dialog.cpp", '#include "win/status/status_window.h"', "win/titles/ may not use win/status/"),
    ("src/win/base/program.cpp", '#include "win/main/main_window.h"', "win/base/ may not use win/main/"),
    ("src/win/platform/serial_link.cpp", '#include "win/base/scoped.h"', "win/platform/ uses no window"),
    ("src/cli/fleet.cpp", '#include "win/base/scoped.h"', "cli/ (layer 6) may not use win/"),
    ("src/gateway/line.cpp", '#include "win/base/scoped.h"', "gateway/ (layer 6) may not use win/"),
    ("src/io/ports.cpp", '#include "gateway/config.h"', "io/ (layer 5) may not use gateway/"),
    ("src/link/exchange.cpp", "#include <windows.h>", "link/exchange.cpp: includes a Windows header"),
    ("src/cli/terminal.h", "#include <windows.h>", "cli/terminal.h: includes a Windows header"),
    ("sim/unit.cpp", '#include "protocol/commands.h"', "the simulator shares no code"),
]


def run_check(root):
    return subprocess.run([sys.executable, str(CHECK), "--root", str(root)],
                          capture_output=True, text=True)


def main():
    faults = []
    for file, line, named in PLANTED:
        with tempfile.TemporaryDirectory() as copy:
            copy = pathlib.Path(copy)
            for folder in ("src", "sim"):
                shutil.copytree(ROOT / folder, copy / folder)
            target = copy / file
            target.write_text(line + "\n" + target.read_text(encoding="utf-8"), encoding="utf-8")
            result = run_check(copy)
            if result.returncode == 0 or named not in result.stdout:
                faults.append(f"{file} with {line}: exit {result.returncode}, not naming "
                              f"'{named}':\n{result.stdout}")
    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
