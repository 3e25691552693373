#!/usr/bin/env bash
# The installer under Wine, as a user meets it: installed per machine
# (silently), its Start menu shortcut and uninstall entry, the installed
# program started; then a build with a higher product version installed over
# it, which must replace it; then uninstalled. The configuration file is
# there before and after, untouched.
# The release MSI holds the 32-bit program, which this Wine (64-bit only)
# cannot start: its tables are checked, and the same installer definition
# is built around the 64-bit build (build/win64) for the run.
#   scripts/msi_check.sh build/win32/package/orvellan-1.02.msi
set -euo pipefail
cd "$(dirname "$0")/.."
release=$(realpath "$1")
work=$PWD/build/msi-check
rm -rf "$work"
mkdir -p "$work/stage"
# shellcheck source=wine_env.sh
source scripts/wine_env.sh
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT

fail() { echo "msi check: $*" >&2; exit 1; }
files=$(msiinfo export "$release" File | tail -n +4 | cut -f3 | sort | tr '\n' ' ')
[ "$files" = "README.txt orvellan-cli.exe orvellan-gateway.exe orvellan-gateway.ini orvellan.exe " ] ||
  fail "the release MSI holds: $files"

# The release's version, and one higher for the upgrade.
version=$(basename "$release" .msi | sed 's/^orvellan-//')
release_version="${version%%.*}.$((10#${version#*.})).0"
newer_version="${version%%.*}.$((10#${version#*.} + 1)).0"
cp build/win64/src/orvellan.exe build/win64/src/orvellan-cli.exe \
  build/win64/src/orvellan-gateway.exe packaging/README.txt packaging/orvellan-gateway.ini \
  packaging/orvellan.wxs "$work/stage"
for pair in "orvellan.msi:$release_version" "orvellan-newer.msi:$newer_version"; do
  (cd "$work/stage" && wixl -a x64 -D "Version=${pair#*:}" -D Bin=. -D Docs=. \
    -o "$work/${pair%%:*}" orvellan.wxs)
done
msi=$work/orvellan.msi

start_display
wine_prefix_init "$work/prefix"
drive_c=$WINEPREFIX/drive_c
program="$drive_c/Program Files (x86)/ORVELLAN"
# The Start menu of all users, where Windows puts a per-machine shortcut;
# Wine puts it in the installing user's.
shortcut_there() {
  find "$drive_c/ProgramData" "$drive_c/users" -path '*Start Menu/Programs/ORVELLAN/ORVELLAN.lnk' \
    2>/dev/null | grep . >/dev/null  # all of it read: no broken pipe under pipefail
}
program_window() { xwininfo -root -tree 2>/dev/null | grep '"ORVELLAN' >/dev/null; }
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
ini=$appdata/ORVELLAN/ORVELLAN.ini
mkdir -p "$(dirname "$ini")"
printf '[ORVELLAN_section]\r\ninterface_set=1\r\nport_number=10001\r\n' >"$ini"  # TCP/IP: no serial port to open
cp "$ini" "$work/ini-before"

uninstall_entries() {  # the uninstall entries that name ORVELLAN, with their versions
  local key
  for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
    'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'; do
    wine reg query "$key" /s 2>/dev/null | tr -d '\r'
  done | awk '/^HKEY/ {k=$0} /DisplayName.*ORVELLAN/ {n[k]=1} /DisplayVersion/ {v[k]=$NF}
              END {for (k in n) print v[k]}'
}

wine msiexec /i "$(winepath -w "$msi")" /qn || fail "the install failed"
[ -f "$program/orvellan.exe" ] && [ -f "$program/orvellan-cli.exe" ] &&
  [ -f "$program/orvellan-gateway.exe" ] || fail "no program installed"
# The example configuration the gateway is installed with is sound.
wine "$program/orvellan-gateway.exe" --check "$(winepath -w "$program/orvellan-gateway.ini")" \
  >/dev/null 2>&1 || fail "the installed gateway refuses its example configuration"
shortcut_there || fail "no Start menu shortcut"
[ "$(uninstall_entries)" = "$release_version" ] ||
  fail "uninstall entries: $(uninstall_entries | tr '\n' ' ')"

wine "$program/orvellan.exe" >/dev/null 2>&1 &
for _ in $(seq 60); do
  program_window && break
  sleep 0.5
done
program_window || fail "the installed program did not start"
wineserver -k
wineserver -w

wine msiexec /i "$(winepath -w "$work/orvellan-newer.msi")" /qn || fail "the upgrade failed"
[ "$(uninstall_entries)" = "$newer_version" ] ||
  fail "after the upgrade: $(uninstall_entries | tr '\n' ' ') (one entry, $newer_version)"
[ -f "$program/orvellan.exe" ] || fail "the upgrade removed the program"

wine msiexec /x "$(winepath -w "$work/orvellan-newer.msi")" /qn || fail "the uninstall failed"
[ ! -e "$program/orvellan.exe" ] || fail "the program is still there"
! shortcut_there || fail "the shortcut is still there"
[ -z "$(uninstall_entries)" ] || fail "an uninstall entry is left"
cmp -s "$ini" "$work/ini-before" || fail "the configuration file changed"
echo "msi check: $version installed and started, $newer_version over it, uninstalled; configuration untouched"
