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
exec wine "$@"
