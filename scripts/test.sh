#!/usr/bin/env bash
# Builds and runs every test: the native unit tests (core and simulator),
# the same under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz
# targets, the gateway's web panel in a headless browser, both Windows
# builds with the release's zip and MSI (installed, upgraded and
# uninstalled under Wine), and the end-to-end tests under Wine.
#   scripts/test.sh            everything
#   scripts/test.sh native     only the native stages (no Wine)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
started=$SECONDS
stage() { echo; echo "=== $* ($((SECONDS - started))s)"; }

stage "dependencies"
mode=$([ "$what" = native ] && echo native || echo all)
scripts/install-deps.sh "$mode"
scripts/check_programs.py "$mode"

stage "native build and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

stage "clang-tidy over the core"
scripts/tidy.sh

stage "unit tests under ASan and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j2

stage "fuzz targets"
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

if [ "$what" != native ]; then
  stage "the gateway's web panel in a real browser (chromium, headless)"
  tests/web/panel_test.py --screenshot build/native/web-panel.png

  stage "Windows builds (win64 tested, win32 release, its zip and its MSI)"
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target all package msi
  scripts/release_check.sh build/win32/src
  stage "the MSI under Wine: install, start, upgrade, uninstall"
  scripts/msi_check.sh build/win32/package/orvellan-*.msi
  stage "end-to-end tests under Wine"
  scripts/e2e.sh --twice
fi
stage "all tests passed"
