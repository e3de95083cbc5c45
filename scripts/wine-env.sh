# Sourced by the test scripts: the Wine prefix for in-process Windows tests and
# one warm wineserver shared by every test of a run.
#
# The prefix lives under build/ (never in the source tree), is created once,
# and uses Wine's null display driver, so windows, dialogs, the clipboard and
# the registry work without an X server.

_wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/cleanup.sh
. "$_wine_root/scripts/cleanup.sh"
export WINEPREFIX="${PELLUCORDA_WINEPREFIX:-$_wine_root/build/wine/prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Creates the prefix when it is missing (7 to 10 s), without the Mono and
# Gecko prompts, and switches it to the null driver.
wine_prefix_ensure() {
  if [ -f "$WINEPREFIX/.pellucorda-ready" ]; then
    return 0
  fi
  echo "creating Wine prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  DISPLAY= wine wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w 2>/dev/null || true
  DISPLAY= wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  # The driver is read when explorer starts: let this server end first.
  wineserver_end
  touch "$WINEPREFIX/.pellucorda-ready"
}

# Starts one persistent wineserver for the prefix; its standard streams go to
# /dev/null, or CTest would wait on the pipe until a test's timeout.
wine_session_start() {
  wine_prefix_ensure
  # However the caller ends, the server goes with it.
  on_exit wine_session_stop
  wineserver -p </dev/null >/dev/null 2>&1
  # The first program start brings up the prefix's services; do it once here.
  DISPLAY= wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
  wineserver_end
}
