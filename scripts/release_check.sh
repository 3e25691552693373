#!/usr/bin/env bash
# What the release executables must show: their sizes within the limits
# (bytes), the version resource's FileVersion in both, and the per-monitor
# DPI declaration in the program's manifest. Fails when one is missing.
#   scripts/release_check.sh build/win32/src
set -euo pipefail
folder=$1
version=$(sed -n 's/^set(ORV_VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
status=0
for pair in orvellan.exe:1300000 orvellan-cli.exe:1000000 orvellan-gateway.exe:2000000; do
  file=${pair%%:*} limit=${pair##*:}
  size=$(stat -c %s "$folder/$file")
  shown=$(strings -el "$folder/$file" | grep -A1 -x FileVersion | tail -1 || true)
  echo "$file: $size bytes (limit $limit), FileVersion $shown"
  [ "$size" -le "$limit" ] || { echo "  over the limit"; status=1; }
  [ "$shown" = "$version" ] || { echo "  FileVersion is not $version"; status=1; }
done
if [ "$(strings "$folder/orvellan.exe" | grep -c PerMonitorV2)" -gt 0 ]; then
  echo "orvellan.exe: the manifest declares PerMonitorV2"
else
  echo "orvellan.exe: no PerMonitorV2 in the manifest"
  status=1
fi
exit $status
