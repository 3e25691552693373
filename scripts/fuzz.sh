#!/usr/bin/env bash
# Runs every fuzz target for a fixed time (default 30 s each), starting from
# the committed corpus. A crash stops the run with the fuzzer's report.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
# Reply lines are at most 599 bytes: a few kilobytes hold several of them, and
# small inputs keep the reply targets at thousands of runs a second.
max_len() { case $1 in settings_file) echo 70000 ;; *) echo 4096 ;; esac; }
for target in serial_reply socket_reply settings_file glyph_file config_value; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  log=build/fuzz/$target.log
  if ! build/fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -max_len="$(max_len "$target")" \
      -print_final_stats=1 -artifact_prefix=build/fuzz/ "$corpus" tests/fuzz/corpus/$target \
      >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target failed; the input that broke it is in build/fuzz/" >&2
    exit 1
  fi
  grep -E "^(Done|stat::peak_rss_mb)" "$log"
done
