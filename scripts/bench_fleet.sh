#!/usr/bin/env bash
# On demand, not in CI: the program's "バックアップ…" over the TCP/IP server
# against converters whose units answer at 9600 baud, paced by the replies:
# one converter alone, eight side by side and all 96, each timed at the
# units (the first line any of them received to the last), its time in per
# mille of one unit's, and the main window's longest answer meanwhile.
#   scripts/bench_fleet.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ORV_SIM_BAUD=9600 ORV_E2E_DRIVER=e2e_bench scripts/e2e.sh \
  --gtest_filter='Bench.BackupOfTheServersConvertersSideBySide' >build/bench-fleet.log 2>&1 ||
  { tail -n 30 build/bench-fleet.log; exit 1; }
python3 - build/e2e/e2e.xml <<'PY'
import re, sys
xml = open(sys.argv[1], encoding="utf-8").read()
for name, value in re.findall(r'<property name="(\w+)" value="(-?\d+)"', xml):
    print(f"{name:40} {value}")
PY
