# Sourced: starting a private X server (Xvfb) when the caller needs a display.

# shellcheck source=scripts/cleanup.sh
. "$(dirname "${BASH_SOURCE[0]}")/cleanup.sh"

# Starts Xvfb on a free display number and exports DISPLAY; its process id
# goes to XVFB_PID. The screen is large enough for the list window at the top
# right and the Login dialog in the middle.
xvfb_start() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 </dev/null &
  XVFB_PID=$!
  local number
  if ! read -r -t 30 number <"$fifo"; then
    rm -f "$fifo"
    echo "Xvfb did not start" >&2
    kill "$XVFB_PID" 2>/dev/null
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$number"
  export XVFB_PID
}

# Stops the Xvfb of xvfb_start; harmless when it is gone or was never started.
xvfb_stop() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}
