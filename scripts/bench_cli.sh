#!/usr/bin/env bash
# On demand, not in CI: orvellan-cli against simulators that charge their
# lines as 9600 baud would (both directions, 8E1: 11 bits a byte), paced by
# the replies. For each run: the wall time, the line's own limit (every
# byte both ways, counted in the simulator's trace) and the ratio.
#   read-all and set-all of a factory unit on RS-232C, both models
#   backup of an RS-485 bus of 8 units (a bus is one line: its limit is the
#     sum of its units')
#   backup of 96 converters connecting to the tool (--listen), against one
#     converter's read-all over TCP/IP in the same run
#   scripts/bench_cli.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target orvellan-sim orvellan-cli >/dev/null
work=$PWD/build/bench-cli
rm -rf "$work"
mkdir -p "$work"
sim=build/native/sim/orvellan-sim
cli=build/native/src/orvellan-cli
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

start_sim() {  # start_sim NAME ARGS...: a simulator at 9600 baud, its trace in NAME.log
  local name=$1
  shift
  "$sim" --pty "$work/$name" --control "127.0.0.1:$(free_port)" --baud 9600 -v "$@" \
    2>"$work/$name.log" &
  pids+=($!)
  for _ in $(seq 100); do [ -e "$work/$name" ] && return; sleep 0.05; done
}

elapsed() {  # elapsed COMMAND...: runs it, prints its wall time in seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>>"$work/cli.log" || true
  t1=$(date +%s.%N)
  python3 -c "print(f'{$t1 - $t0:.2f}')"
}

report() {  # report LABEL SECONDS LOG [GOAL_FACTOR]: time against the bytes of LOG
  python3 - "$@" <<'PY'
import re, sys
label, took, log = sys.argv[1], float(sys.argv[2]), sys.argv[3]
goal = float(sys.argv[4]) if len(sys.argv) > 4 else None
rx = tx = 0
for line in open(log, encoding="utf-8", errors="replace"):
    m = re.match(r"orvellan-sim: (rx \S+|tx \S+) (.*?)(?: after \d+ ms)?$", line.rstrip("\n"))
    if not m or m.group(2) == "(silence)":
        continue
    n = len(re.sub(r"\\x[0-9A-F]{2}|\\[rn\\]", "_", m.group(2)))
    if m.group(1).startswith("rx"):
        rx += n
    else:
        tx += n
limit = (rx + tx) * 11 / 9600
line = (f"{label:34} {took:7.2f} s  limit {limit:7.2f} s ({rx + tx} bytes: {rx} out, {tx} back)"
        f"  x{took / limit:.3f}")
if goal:
    line += f"  goal x{goal:.2f}: {'met' if took <= goal * limit else 'MISSED'}"
print(line)
PY
}

for model in orvellan tarquine; do
  start_sim "read-$model" --model "$model"
  t=$(elapsed "$cli" read-all --port "$work/read-$model" --model "$model" -o "$work/$model.dat")
  report "read-all $model (RS-232C)" "$t" "$work/read-$model.log" 1.05
  start_sim "set-$model" --model "$model"
  t=$(elapsed "$cli" set-all "$work/$model.dat" --port "$work/set-$model" --model "$model")
  report "set-all $model (RS-232C)" "$t" "$work/set-$model.log" 1.05
done

start_sim bus --line rs485 --units 8
t=$(elapsed "$cli" backup --port "$work/bus" --line rs485 --addresses 00-07 -d "$work/bus-backup")
report "backup of a bus of 8 (RS-485)" "$t" "$work/bus.log" 1.05
echo "  $(ls "$work/bus-backup" | wc -l) files"

one_port=$(free_port)
start_sim one --listen "127.0.0.1:$one_port"
one=$(elapsed "$cli" read-all --tcp "127.0.0.1:$one_port" -o "$work/one.dat")
report "read-all of one converter (TCP/IP)" "$one" "$work/one.log"

fleet_port=$(free_port)
start_sim fleet --connect "127.0.0.1:$fleet_port" --converters 96
t=$(elapsed "$cli" backup --listen "127.0.0.1:$fleet_port" --converters 96 --wait-s 30 \
  -d "$work/fleet-backup")
echo "backup of 96 converters (--listen)   $t s  one converter's read-all $one s" \
  " x$(python3 -c "print(f'{$t / $one:.3f}')")  goal x1.25; $(ls "$work/fleet-backup" | wc -l) files"
