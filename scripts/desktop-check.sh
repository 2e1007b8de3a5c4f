#!/usr/bin/env bash
# Starts Tabrona as the README does (scripts/run.sh) on a virtual X server,
# checks that its window holds its screen of 121 x 50 characters and its
# border (and a menu bar), types Return and ^_ (the demo data) and writes the
# window as the X server shows it to OUT.png (default: a temporary file).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != "--inside" ]; then
  scripts/install-deps.sh test
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "${1:-}"
fi
out="${2:-$(mktemp --suffix=.png)}"
log="$(mktemp)"
# Its own state folder: the run ends by being killed, with unsaved work.
XDG_STATE_HOME="$(mktemp -d)"
export XDG_STATE_HOME
scripts/run.sh >"$log" 2>&1 &
program=$!
trap 'kill "$program" 2>/dev/null || true; rm -rf "$log" "$XDG_STATE_HOME"' EXIT
window=$(xdotool search --sync --onlyvisible --name "^Tabrona Tabellenkalkulation" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
if [ "$WIDTH" -ne 984 ] || [ "$HEIGHT" -lt 816 ] || [ "$HEIGHT" -gt 880 ]; then
  echo "desktop-check: the window is $WIDTH x $HEIGHT, not 984 x 816 (the screen and its 8-pixel border) and a menu bar"
  exit 1
fi
sleep 1
xdotool windowfocus --sync "$window" key Return
sleep 0.5
xdotool key ctrl+underscore
sleep 1
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$out"
echo "desktop-check: window $WIDTH x $HEIGHT, picture in $out"
