#!/usr/bin/env bash
# On demand, not in CI: orvellan-cli against simulators that answer at 9600
# baud, paced by the replies.
#   read-all of a factory TARQUINE: the wall time next to the line's own
#     limit, the reply bytes at 9600 baud 8E1 (11 bits a byte)
#   backup of an RS-485 bus of 32 units: the total time
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

start_sim() {  # start_sim NAME ARGS...
  local name=$1 port
  shift
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  "$sim" --pty "$work/$name" --control "127.0.0.1:$port" --baud 9600 -v "$@" 2>"$work/$name.log" &
  pids+=($!)
  for _ in $(seq 100); do [ -e "$work/$name" ] && return; sleep 0.05; done
}

elapsed() {  # elapsed COMMAND...: runs it, prints its wall time in seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>>"$work/cli.log"
  t1=$(date +%s.%N)
  python3 -c "print(f'{$t1 - $t0:.2f}')"
}

start_sim tarquine --model tarquine
read_all=$(elapsed "$cli" read-all --port "$work/tarquine" --model tarquine -o "$work/tarquine.dat")
python3 - "$work/tarquine.log" "$read_all" <<'PY'
import re, sys
replies = 0
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    m = re.match(r"orvellan-sim: tx serial (.*) after \d+ ms$", line.rstrip("\n"))
    if m:
        replies += len(re.sub(r"\\[rn]", "_", m.group(1)))
limit = replies * 11 / 9600
took = float(sys.argv[2])
print(f"read-all TARQUINE   {took:6.2f} s   line limit {limit:5.2f} s ({replies} reply bytes)"
      f"   +{(took - limit) * 100 / limit:.1f} %   the dialog: 62.1 s")
PY

start_sim bus --line rs485 --units 32
backup=$(elapsed "$cli" backup --port "$work/bus" --line rs485 --addresses 00-31 -d "$work/backup")
echo "backup of 32 units  $backup s   $(ls "$work/backup" | wc -l) files"
