# Sourced: ending what a script started, on every path out of it.

# on_exit COMMAND...: runs the command when the sourcing script ends, however
# it ends (its last line, `exit`, a failure under `set -e`, Ctrl+C or a
# TERM). Commands run newest first, so what was started last is ended first;
# a failing one does not stop the others. An EXIT trap the script had set
# before the first call still runs, last. A trap the script sets after it
# replaces them all: set yours first.
on_exit() {
  if [ "${#_on_exit_hooks[@]}" -eq 0 ]; then
    _on_exit_previous=$(trap -p EXIT)
    trap _on_exit_run EXIT
  fi
  _on_exit_hooks+=("$*")
}

# Sourced more than once (through several helpers): keep what is registered.
if [ -z "${_on_exit_loaded:-}" ]; then
  _on_exit_hooks=()
  _on_exit_previous=
  _on_exit_loaded=1
fi

_on_exit_run() {
  set +e
  local i
  for ((i = ${#_on_exit_hooks[@]} - 1; i >= 0; i--)); do
    eval "${_on_exit_hooks[i]}"
  done
  _on_exit_hooks=()
  if [ -n "$_on_exit_previous" ]; then
    # "trap -- 'COMMAND' EXIT", quoted for the shell: its third word.
    eval "set -- $_on_exit_previous"
    eval "$3"
  fi
}

# Ends the wineserver of $WINEPREFIX and waits until it is gone. Quiet, and
# successful when no server runs: `wineserver -k` fails then, which under
# `set -e` would end the caller before it stops anything else.
wineserver_end() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
