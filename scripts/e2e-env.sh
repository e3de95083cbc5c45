# Sourced by the test scripts: the session for end-to-end tests of the real
# program. A private X server (Xvfb), a fresh Wine prefix on the X11 driver
# created for this run, and a warm wineserver bound to that display.
#
# The prefix is build/wine/e2e unless PELLUCORDA_E2E_PREFIX_DIR names another
# (a test of this very script uses its own). Once e2e_session_start has been
# called, the caller's end stops the session whatever the path out of it;
# e2e_session_stop does it earlier, and may be called any number of times.

_e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/x-display.sh
. "$_e2e_root/scripts/x-display.sh"

e2e_session_start() {
  local prefix="${PELLUCORDA_E2E_PREFIX_DIR:-$_e2e_root/build/wine/e2e}"
  local started
  mkdir -p "$(dirname "$prefix")"
  started=$(mktemp)
  on_exit e2e_session_stop
  # In a subshell, so the caller's own DISPLAY stays as it was.
  (
    unset DISPLAY
    xvfb_start || exit 1
    echo "$DISPLAY $XVFB_PID" >"$started"
  )
  read -r PELLUCORDA_E2E_DISPLAY _E2E_XVFB_PID <"$started" || true
  rm -f "$started"
  if [ -z "${_E2E_XVFB_PID:-}" ]; then
    return 1
  fi
  export PELLUCORDA_E2E_DISPLAY PELLUCORDA_E2E_PREFIX="$prefix"
  (
    export DISPLAY=$PELLUCORDA_E2E_DISPLAY WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # A server left from an earlier session on this prefix would outlive
    # the folder it serves.
    if [ -d "$prefix" ]; then
      wineserver_end
    fi
    rm -rf "$prefix"
    mkdir -p "$prefix"
    wine wineboot -i >/dev/null 2>&1 </dev/null || true
    # No window manager runs on the private display: unmanaged windows keep
    # dialogs from stalling when they close.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
    wineserver_end
    # The server belongs to the display of the process that starts it.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  )
}

e2e_session_stop() {
  if [ -n "${PELLUCORDA_E2E_PREFIX:-}" ]; then
    WINEPREFIX=$PELLUCORDA_E2E_PREFIX wineserver_end
  fi
  if [ -n "${_E2E_XVFB_PID:-}" ]; then
    kill "$_E2E_XVFB_PID" 2>/dev/null || true
    # Not a child of this shell: wait for it to be gone by watching (a
    # zombie waiting for its new parent counts as gone).
    local tries=0 state
    while [ "$tries" -lt 100 ]; do
      state=$(ps -o stat= -p "$_E2E_XVFB_PID" 2>/dev/null || true)
      if [ -z "$state" ] || [ "${state:0:1}" = Z ]; then
        break
      fi
      sleep 0.1
      tries=$((tries + 1))
    done
  fi
  unset PELLUCORDA_E2E_PREFIX PELLUCORDA_E2E_DISPLAY _E2E_XVFB_PID
}
