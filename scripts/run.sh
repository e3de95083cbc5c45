#!/usr/bin/env bash
# make run: puts the program folder outside the build tree and starts the
# program there under Wine, with a Wine prefix of its own in that folder. The
# vault and its backup live beside the program and survive `make clean`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
home=${PELLUCORDA_HOME:-$HOME/.local/share/pellucorda}

mkdir -p "$home"
for f in pellucorda.exe USkin.dll Pellucorda.txt pellucorda-cli.exe; do
  cp -f "$root/build/dist/$f" "$home/$f"
done

export WINEPREFIX="$home/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# shellcheck source=scripts/x-display.sh
. "$root/scripts/x-display.sh"
# Whatever ends this script (the program's Exit, a failure, Ctrl+C), the
# prefix's server ends first, then the Xvfb started here.
if [ -z "${DISPLAY:-}" ]; then
  xvfb_start
  on_exit xvfb_stop
  echo "No X display: started Xvfb on $DISPLAY (the program runs there unseen)." >&2
  managed=N
else
  managed=Y
fi
on_exit wineserver_end

if [ ! -d "$WINEPREFIX/drive_c" ]; then
  echo "Creating the Wine prefix in $WINEPREFIX (once)..." >&2
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# Without a window manager, managed windows stall on every dialog close.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
# Help opens Pellucorda.txt through the shell, which needs the association
# every Windows has: a fresh prefix knows the Notepad command but not ".txt".
wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1

cd "$home"
echo "Starting Pellucorda in $home (vault: $home/logininfo.dat)." >&2
wine pellucorda.exe
wineserver -w
