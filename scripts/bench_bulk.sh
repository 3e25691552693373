#!/usr/bin/env bash
# On demand, not in CI: the wall time of every timed run (set all and read
# all for both models, all screen and all switching patterns) against
# simulators that answer at 9600 baud, next to the floor its timer sets (one
# command per tick), and the longest the main window took to answer meanwhile.
# Last, a read-all of ORVELLAN with the traffic log closed and then open.
#   scripts/bench_bulk.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export ORV_SIM_BAUD=9600
scripts/e2e.sh \
  --gtest_filter='FullRun.SetAllThenRead*:FullRun.AllScreen*:FullRun.AllSixtyFour*' \
  >build/bench-bulk.log 2>&1 ||
  { tail -n 30 build/bench-bulk.log; exit 1; }
cp build/e2e/e2e.xml build/bench-bulk-tests.xml
ORV_E2E_DRIVER=e2e_bench scripts/e2e.sh --gtest_filter='Bench.ReadAllWith*:Bench.ReplyPaced*' \
  >>build/bench-bulk.log 2>&1 ||
  { tail -n 30 build/bench-bulk.log; exit 1; }
python3 - build/bench-bulk-tests.xml build/e2e/e2e.xml <<'PY'
import re, sys
xml = "".join(open(f, encoding="utf-8").read() for f in sys.argv[1:])
floors = {  # test: (model, {run: steps x timer period})
    "SetAllThenReadAllBringsEverySettingBackFromATarquine":
        ("TARQUINE", {"set_all": 208 * 400, "read_all": 207 * 300}),
    "AllScreenPatternsAndAllSwitchingPatterns":
        ("ORVELLAN", {"screen_patterns": 64 * 400, "switching_patterns": 64 * 400}),
    "AllSixtyFourTitlesOfATarquineFromACsvFileAndBack":
        ("TARQUINE", {"all_titles": 64 * 400}),
    "ReadAllWithAndWithoutTheTrafficLog":
        ("ORVELLAN", {"read_all_log_closed": 175 * 300, "read_all_log_open": 175 * 300}),
}
for test, body in re.findall(r'<testcase name="(\w+)"(.*?)</testcase>', xml, re.S):
    if test not in floors:
        continue
    model, runs = floors[test]
    props = dict(re.findall(r'<property name="(\w+)" value="(\d+)"', body))
    for run, floor in runs.items():
        ms = int(props[run + "_ms"])
        answer = props.get(run + "_longest_answer_ms")
        print(f"{model:8} {run:18} {ms / 1000:6.1f} s  floor {floor / 1000:5.1f} s  "
              f"+{(ms - floor) * 100 / floor:4.1f} %"
              + (f"  main window answered within {answer} ms" if answer else ""))
PY
# The reply-paced runs against the line's limit: the bytes both ways in the
# TARQUINE simulator's trace, between the "log clear" before each run.
python3 - build/e2e/e2e.xml build/e2e/sim-com3.log <<'PY'
import re, sys
xml = open(sys.argv[1], encoding="utf-8").read()
props = dict(re.findall(r'<property name="(\w+)" value="(\d+)"', xml))
def size(escaped):
    return len(re.sub(r"\\x[0-9A-F]{2}|\\[rn\\]", "_", escaped))
segments = [[]]
for line in open(sys.argv[2], encoding="utf-8", errors="replace"):
    if line.rstrip("\n").endswith("control: log clear"):
        segments.append([])
    segments[-1].append(line.rstrip("\n"))
def line_bytes(segment):
    total = 0
    for line in segment:
        m = re.match(r"orvellan-sim: (?:rx \S+|tx serial) (.*?)(?: after \d+ ms)?$", line)
        if m:
            total += size(m.group(1))
    return total
runs = ["read_all_paced", "set_all_paced"]
for run, segment in zip(runs, segments[-3:-1]):
    total = line_bytes(segment)
    limit = total * 11 / 9600
    wall = int(props[run + "_ms"]) / 1000
    unit = int(props[run + "_unit_ms"]) / 1000
    print(f"TARQUINE {run:18} {wall:6.1f} s (at the unit {unit:5.1f} s)  line limit {limit:5.1f} s "
          f"({total} bytes both ways)  +{(unit - limit) * 100 / limit:4.1f} %")
PY
