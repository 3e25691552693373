#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the platform-free core
# (every src/ file that is not a Win32 file), from the native build's
# compile commands. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/native/compile_commands.json ] || cmake --preset native >/dev/null
git ls-files 'src/*.cpp' | grep -v -E '_(win|window|dialog|dialogs)\.cpp$' |
  xargs -P2 -n4 clang-tidy-14 -p build/native --quiet 2>&1 | sed -E '/^[0-9]+ warnings? generated\.$/d' |
  { if grep .; then exit 1; else echo "clang-tidy: the core is clean"; fi; }
