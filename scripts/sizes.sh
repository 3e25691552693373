#!/usr/bin/env bash
# The release executables against their size limits (bytes); fails above.
#   scripts/sizes.sh build/win32/src
set -euo pipefail
folder=$1
status=0
for pair in orvellan.exe:1300000 orvellan-cli.exe:1000000; do
  file=${pair%%:*} limit=${pair##*:}
  size=$(stat -c %s "$folder/$file")
  echo "$file: $size bytes (limit $limit)"
  [ "$size" -le "$limit" ] || status=1
done
exit $status
