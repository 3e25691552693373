#!/usr/bin/env bash
# Builds orvellan.exe and runs it under Wine against orvellan-sim, whose
# pseudo-terminal is mapped to COM1.
#
#   scripts/run.sh [simulator options]     e.g. scripts/run.sh --line rs485 --units 4
#
# With a display (DISPLAY set and answering) the window opens there. Without
# one a virtual display is started; once the main window shows, a screenshot
# is written to build/run/orvellan.png. Either way it runs until the program
# is closed or the script is interrupted (Ctrl-C). The simulator's control
# channel is on 127.0.0.1:$ORV_SIM_CONTROL (default 9300); see sim/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/run
control_port=${ORV_SIM_CONTROL:-9300}

scripts/install-deps.sh all
cmake --preset native >/dev/null
cmake --build --preset native --target orvellan-sim orvellan_pty_shim
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target orvellan
mkdir -p "$work"
# shellcheck source=wine_env.sh
source scripts/wine_env.sh

sim_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  stop_display
}
trap cleanup EXIT
trap 'exit 130' INT TERM

virtual=no
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then virtual=yes; fi
start_display

if [ -f "$work/prefix/system.reg" ]; then
  export WINEPREFIX=$work/prefix
else
  echo "Preparing a Wine prefix with Japanese fonts in $work/prefix (once)"
  wine_prefix_init "$work/prefix"
fi

"$root/build/native/sim/orvellan-sim" --pty "$work/com1" --control "127.0.0.1:$control_port" -v "$@" \
  >/dev/null 2>"$work/sim.log" &
sim_pid=$!
wait_for_path "$work/com1" || { cat "$work/sim.log" >&2; exit 1; }
wine_map_com 1 "$work/com1"
wine_restart

# A first start selects the serial line on COM1 (RS-485 when the simulator runs a bus).
appdata=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')")
ini=$appdata/ORVELLAN/ORVELLAN.ini
if [ ! -f "$ini" ]; then
  mkdir -p "$(dirname "$ini")"
  control=0
  case " $* " in *" rs485 "*) control=1 ;; esac
  printf '[ORVELLAN_section]\r\ninterface_set=0\r\ncom_port=0\r\ncontrol=%s\r\n' "$control" > "$ini"
fi

started_ms=$(date +%s%3N)
LD_PRELOAD=$root/build/native/liborvellan_pty_shim.so wine "$root/build/win64/src/orvellan.exe" &
program_pid=$!
main_window_shown() {
  local windows
  windows=$(xwininfo -root -tree 2>/dev/null || true)
  [[ $windows == *'"ORVELLAN": ("orvellan.exe"'* ]]
}
for _ in $(seq 1 300); do
  main_window_shown && break
  sleep 0.1
done
if ! main_window_shown; then
  echo "the main window did not show" >&2
  exit 1
fi
echo "main window after $(( $(date +%s%3N) - started_ms )) ms"
if [ "$virtual" = yes ]; then
  sleep 1
  import -window root "$work/orvellan.png"
  echo "screenshot: $work/orvellan.png"
fi
echo "orvellan.exe runs on $DISPLAY; simulator control channel 127.0.0.1:$control_port; Ctrl-C to stop"
wait "$program_pid" || true
