#!/usr/bin/env bash
# The end-to-end stage: orvellan.exe under Wine against three simulators,
# driven by the Windows test driver (tests/e2e/*_test.cpp).
#
#   COM1  one ORVELLAN unit on RS-232C
#   COM2  an RS-485 bus of 8 ORVELLAN units that answer with their address
#   COM3  one TARQUINE unit on RS-232C
#   COM4..COM6  no device, except the ones Wine gives the machine's own serial
#               ports; ORV_FREE_COM names one that is left free
#   TCP/IP      a TREVALIX converter with one ORVELLAN unit listening on
#               127.0.0.1:ORV_TCP_CONVERTER_PORT (the program as client), and
#               97 converters that connect to 127.0.0.1:ORV_TCP_SERVER_PORT
#               from 127.0.1.1 .. 127.0.1.97 when told to (the program as server)
#   gateway     orvellan-gateway (the native build) serving one more
#               converter's unit at 127.0.0.1:ORV_TCP_GATEWAY_PORT, its raw port
#
# A fresh Wine prefix and a virtual display (unless DISPLAY answers) are
# made for the run; screenshots the tests take land in build/e2e/screenshots.
# Extra arguments go to the driver (for example --gtest_filter=Startup.*).
#
#   --twice          two passes in a shuffled order each: every test, then
#                    every test but the FullRun suites (whole runs of a unit's
#                    settings, minutes each); no test may depend on another
#   ORV_SIM_BAUD=N   the simulators answer as fast as N baud would carry
#                    (for the benchmarks; default: at once)
#   ORV_E2E_DRIVER=e2e_bench   runs the benchmarks' driver instead of the tests
set -euo pipefail
cd "$(dirname "$0")/.."
twice=false
if [ "${1:-}" = --twice ]; then
  twice=true
  shift
fi
root=$PWD
work=$root/build/e2e
started=$SECONDS

cmake --preset native >/dev/null
cmake --build --preset native --target orvellan-sim orvellan-gateway orvellan_pty_shim
cmake --preset win64 >/dev/null
driver=${ORV_E2E_DRIVER:-e2e_tests}
cmake --build --preset win64 --target orvellan "$driver"

rm -rf "$work"
mkdir -p "$work/screenshots"
# shellcheck source=wine_env.sh
source scripts/wine_env.sh
# A crash ends the crashing process at once (a failed test) instead of
# starting Wine's debugger, which waits on the display until the stage's limit.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"

sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${sims[@]}"; do wait "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  stop_display
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# start_sim VARIABLE NAME [--pty] ARGS...: a simulator, on the pseudo-terminal
# $work/NAME with --pty, ready when its control port answers; VARIABLE gets
# the control endpoint.
start_sim() {
  local variable=$1 name=$2 port pty=()
  shift 2
  [ "${1:-}" = --pty ] && { pty=(--pty "$work/$name"); shift; }
  port=$(free_port)
  "$root/build/native/sim/orvellan-sim" "${pty[@]}" --control "127.0.0.1:$port" -v \
    ${ORV_SIM_BAUD:+--baud "$ORV_SIM_BAUD"} "$@" >/dev/null 2>"$work/sim-$name.log" &
  sims+=($!)
  for _ in $(seq 100); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2).close()" \
      2>/dev/null && break
    sleep 0.05
  done
  [ ${#pty[@]} -eq 0 ] || wait_for_path "$work/$name"
  printf -v "$variable" '%s' "127.0.0.1:$port"
  export "${variable?}"
}

start_display
echo "display $DISPLAY; preparing the Wine prefix"
wine_prefix_init "$work/prefix"
start_sim ORV_SIM_COM1 com1 --pty
start_sim ORV_SIM_COM2 com2 --pty --line rs485 --units 8 --reply-address
start_sim ORV_SIM_COM3 com3 --pty --model tarquine
ORV_TCP_CONVERTER_PORT=$(free_port)
ORV_TCP_SERVER_PORT=$(free_port)
export ORV_TCP_CONVERTER_PORT ORV_TCP_SERVER_PORT
start_sim ORV_SIM_TCP_CONVERTER tcp-converter --listen "127.0.0.1:$ORV_TCP_CONVERTER_PORT"
start_sim ORV_SIM_TCP_CONVERTERS tcp-converters \
  --connect "127.0.0.1:$ORV_TCP_SERVER_PORT" --converters 97
gateway_converter=$(free_port)
ORV_TCP_GATEWAY_PORT=$(free_port)
export ORV_TCP_GATEWAY_PORT
start_sim ORV_SIM_GATEWAY_UNIT gateway-unit --listen "127.0.0.1:$gateway_converter"
printf '[unit e2e]\ntcp = 127.0.0.1:%s\nraw = %s\n' "$gateway_converter" "$ORV_TCP_GATEWAY_PORT" \
  >"$work/gateway.ini"
"$root/build/native/src/orvellan-gateway" "$work/gateway.ini" 2>"$work/gateway.log" &
sims+=($!)
wine_map_com 1 "$work/com1"
wine_map_com 2 "$work/com2"
wine_map_com 3 "$work/com3"
wine_restart
wine cmd /c exit >/dev/null 2>&1  # let Wine make its port links before anybody looks
ORV_FREE_COM=$(wine_free_com)
export ORV_FREE_COM
echo "prefix and simulators ready after $((SECONDS - started))s"

export ORV_EXE=$root/build/win64/src/orvellan.exe
export ORV_SCREENSHOTS=$work/screenshots
status=0
run_driver() {  # run_driver XML ARGS...
  local xml=$1
  shift
  LD_PRELOAD=$root/build/native/liborvellan_pty_shim.so timeout 900 \
    wine "$(find "$root/build/win64" -name "$driver.exe" | head -n 1)" \
      --gtest_output="xml:Z:$work/$xml" "$@" ||
    status=$?
}
if $twice; then
  run_driver e2e.xml --gtest_shuffle "$@"
  echo "second pass after $((SECONDS - started))s"
  run_driver e2e-second.xml --gtest_shuffle --gtest_filter='-FullRun*' "$@"
else
  run_driver e2e.xml "$@"
fi

for shot in "$work"/screenshots/*.ppm; do
  [ -e "$shot" ] && convert "$shot" "${shot%.ppm}.png" && rm "$shot"
done
echo "end-to-end stage: $((SECONDS - started))s, exit $status; screenshots in $work/screenshots"
exit $status
