# Shared by scripts/run.sh and scripts/e2e.sh: a virtual display, a Wine
# prefix with Japanese fonts, and COM ports mapped to the simulator's ptys.
# Source it; every function reports and returns non-zero on failure.

export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# wine_prefix_init DIR: a fresh prefix in DIR.
wine_prefix_init() {
  export WINEPREFIX=$1
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
  wineserver -w
  wine_fonts
}

# The Windows font names the program and the system ask for, mapped to the
# IPA Gothic fonts. regedit takes non-ASCII names only from a UTF-16 file.
wine_fonts() {
  local reg=$WINEPREFIX/fonts.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    local name
    for name in "ＭＳ ゴシック" "MS Gothic" "ＭＳ 明朝" "MS Mincho" "MS UI Gothic"; do
      printf '"%s"="IPAGothic"\r\n' "$name"
    done
    for name in "ＭＳ Ｐゴシック" "MS PGothic" "ＭＳ Ｐ明朝" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" \
                "MS Sans Serif" "Microsoft Sans Serif" "Segoe UI" "Arial" "System"; do
      printf '"%s"="IPAPGothic"\r\n' "$name"
    done
  } | iconv -f UTF-8 -t UTF-16 > "$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
  wineserver -w
}

# wine_map_com N PATH: COMn is the device at PATH.
wine_map_com() {
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
}

# The first of COM4..COM6 that Wine has given no device (it hands the
# machine's own serial devices the lowest free numbers); empty when none is left.
wine_free_com() {
  local n
  for n in 4 5 6; do
    [ -e "$WINEPREFIX/dosdevices/com$n" ] || [ -L "$WINEPREFIX/dosdevices/com$n" ] || { echo "$n"; return; }
  done
}

# After mapping ports the wineserver must start again to see them.
wine_restart() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# start_display: a virtual display with a window manager, unless DISPLAY is
# set and answers. Sets XVFB_PID when it started one.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; return 1; }
  openbox >/dev/null 2>&1 &
  WM_PID=$!
  sleep 0.5
}

stop_display() {
  [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  return 0
}

# wait_for_path PATH [seconds]
wait_for_path() {
  local i
  for i in $(seq 1 $((${2:-10} * 20))); do
    [ -e "$1" ] && return 0
    sleep 0.05
  done
  echo "timed out waiting for $1" >&2
  return 1
}
