# Sourced by the test scripts: the session for end-to-end tests of the real
# program. A private X server (Xvfb), a fresh Wine prefix on the X11 driver
# created for this run, and a warm wineserver bound to that display.

_e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/x-display.sh
. "$_e2e_root/scripts/x-display.sh"

e2e_session_start() {
  local prefix="$_e2e_root/build/wine/e2e"
  mkdir -p "$_e2e_root/build/wine"
  (
    unset DISPLAY
    xvfb_start || exit 1
    echo "$DISPLAY $XVFB_PID" >"$_e2e_root/build/wine/e2e-session"
  ) || return 1
  read -r PELLUCORDA_E2E_DISPLAY _E2E_XVFB_PID <"$_e2e_root/build/wine/e2e-session"
  export PELLUCORDA_E2E_DISPLAY PELLUCORDA_E2E_PREFIX="$prefix"
  (
    export DISPLAY=$PELLUCORDA_E2E_DISPLAY WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # A server left from an earlier session on this prefix would outlive
    # the folder it serves.
    # (No server is no failure: callers may run with set -e.)
    if [ -d "$prefix" ]; then
      wineserver -k 2>/dev/null || true
      wineserver -w 2>/dev/null || true
    fi
    rm -rf "$prefix"
    mkdir -p "$prefix"
    wine wineboot -i >/dev/null 2>&1 </dev/null
    # No window manager runs on the private display: unmanaged windows keep
    # dialogs from stalling when they close.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    wineserver -k 2>/dev/null
    wineserver -w
    # The server belongs to the display of the process that starts it.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  )
}

e2e_session_stop() {
  if [ -n "${PELLUCORDA_E2E_PREFIX:-}" ]; then
    WINEPREFIX=$PELLUCORDA_E2E_PREFIX wineserver -k 2>/dev/null || true
    WINEPREFIX=$PELLUCORDA_E2E_PREFIX wineserver -w 2>/dev/null || true
  fi
  if [ -n "${_E2E_XVFB_PID:-}" ]; then
    kill "$_E2E_XVFB_PID" 2>/dev/null || true
  fi
  rm -f "$_e2e_root/build/wine/e2e-session"
}
