#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source of src/
# that the native build compiles: the core and the command-line tool's
# POSIX half (src/win/ is never part of it). Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/native/compile_commands.json ] || cmake --preset native >/dev/null
python3 - build/native/compile_commands.json "$PWD/src/" <<'PY' |
import json, sys
src = sys.argv[2]
files = {entry["file"] for entry in json.load(open(sys.argv[1]))}
print("\n".join(sorted(f for f in files if f.startswith(src) and not f.startswith(src + "win/"))))
PY
  xargs -P2 -n4 clang-tidy-14 -p build/native --quiet 2>&1 | sed -E '/^[0-9]+ warnings? generated\.$/d' |
  { if grep .; then exit 1; else echo "clang-tidy: the core is clean"; fi; }
