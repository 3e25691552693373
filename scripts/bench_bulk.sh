#!/usr/bin/env bash
# On demand, not in CI: the wall time of "全項目の設定" and "設定項目の読み込み" for
# both models against simulators that answer at 9600 baud, next to the floor
# their timers set (one command per tick), and the longest the main window
# took to answer meanwhile.
#   scripts/bench_bulk.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ORV_SIM_BAUD=9600 tests/e2e/run.sh \
  --gtest_filter='FullRun.SetAllThenRead*:FullRun.SetAllToOneUnit*' >build/bench-bulk.log 2>&1 ||
  { tail -n 30 build/bench-bulk.log; exit 1; }
python3 - build/e2e/e2e.xml <<'PY'
import re, sys
xml = open(sys.argv[1], encoding="utf-8").read()
floors = {  # steps x timer period
    "SetAllThenReadAllBringsEverySettingBackFromATarquine": ("TARQUINE", 208 * 400, 207 * 300),
    "SetAllToOneUnitOfABusChangesOnlyThatUnit": ("ORVELLAN", 176 * 400, 175 * 300),
}
for test, body in re.findall(r'<testcase name="(\w+)"(.*?)</testcase>', xml, re.S):
    if test not in floors:
        continue
    model, set_floor, read_floor = floors[test]
    props = dict(re.findall(r'<property name="(\w+)" value="(\d+)"', body))
    for run, floor in (("set_all", set_floor), ("read_all", read_floor)):
        ms = int(props[run + "_ms"])
        print(f"{model:8} {run:8} {ms / 1000:6.1f} s  floor {floor / 1000:5.1f} s  "
              f"+{(ms - floor) * 100 / floor:4.1f} %  "
              f"main window answered within {props[run + '_longest_answer_ms']} ms")
PY
