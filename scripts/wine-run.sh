#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix (CMake's cross-compiling
# emulator: every Windows test program starts through this).
set -u
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.pellucorda-ready" ]; then
  wine_prefix_ensure
fi
# In-process tests run on the null driver and need no X display.
unset DISPLAY
# Processes that Wine starts on the side can outlive the test for a while; if
# they inherited CTest's pipes, CTest would wait for them. The output goes
# through files instead and is passed on once the test program has ended.
out=$(mktemp)
err=$(mktemp)
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
