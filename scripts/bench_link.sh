#!/usr/bin/env bash
# On demand, not in CI: the figures of the TCP/IP link and the status window.
#   accept_96_ms              first converter connecting to the 96th in the client list
#   working_set_96_kb         the program's memory with 96 connections
#   round_trip_*_ms           a command over TCP/IP to its reply, as the traffic log times them (200)
#   status_poll_interval_ms   one status poll per tick, counted over 60 s
#   *_cpu_per_mille           the program's CPU, per mille of one core
#   scripts/bench_link.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ORV_E2E_DRIVER=e2e_bench scripts/e2e.sh \
  --gtest_filter='Bench.NinetySix*:Bench.RoundTrip*:Bench.StatusPolls*' >build/bench-link.log 2>&1 ||
  { tail -n 30 build/bench-link.log; exit 1; }
python3 - build/e2e/e2e.xml <<'PY'
import re, sys
xml = open(sys.argv[1], encoding="utf-8").read()
for name, value in re.findall(r'<property name="(\w+)" value="(-?\d+)"', xml):
    print(f"{name:32} {value}")
PY
