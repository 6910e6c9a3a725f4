#!/usr/bin/env bash
# Dreskin as a user meets it on Windows: the real 64-bit program under wine on the virtual
# display the test run provides, its name dialog and the disk plugin's new-image dialog
# driven with xdotool.
# usage: tool_dialogs.sh DRESKIN DISK-PLUGIN TAPE-PLUGIN
set -u
tool=$1 disk=$2 tape=$3
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
  echo "skipped: needs a display and xdotool"
  exit 77
fi
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$HOME/.wine-oxwen}
# A box nobody answers would hang the run: boxes go to standard error.
export OXWEN_MESSAGE_BOXES=stderr
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { echo "Z:${1//\//\\}"; }

# The tool finds the plugins beside itself and keeps its settings there.
mkdir -p "$work/tool" "$work/images"
cp "$tool" "$disk" "$tape" "$work/tool/"
exe="$work/tool/$(basename "$tool")" images=$(winpath "$work/images")
# Without a window manager wine waits about 2 s for each dialog to close, unless it manages no window.
$wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

status=0
fail() {
  echo "FAILED: $*"
  status=1
}

# Waits for a window with exactly this title and presses the keys in it.
answer() {
  local title=$1 window
  shift
  window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" | head -1)
  [ -n "$window" ] || { fail "no window \"$title\""; return 1; }
  xdotool windowfocus --sync "$window"
  sleep 0.3
  for key in "$@"; do
    case "$key" in
      type:*) xdotool type --delay 50 "${key#type:}" ;;
      *) xdotool key "$key" ;;
    esac
    sleep 0.2
  done
}

# Starts Dreskin with the arguments; its output must not go to ctest's pipe (wine's helpers inherit it).
start() {
  $wine "$exe" "$@" >"$work/out" 2>"$work/err" </dev/null &
  pid=$!
}
finish() {
  wait "$pid"
  code=$?
}
stored() { sed -n 's/^DefImageName=//p' "$work/tool/Oxwen.cfg" 2>/dev/null | tr -d '\r'; }

# The offered "empty.mbd" has its name part selected: typing replaces just that. Then the
# disk plugin asks for the format: row 1 is "82*11*2 (2.0Mb)".
start -newmbd -askname "$images"
answer Dreskin type:game Return
answer "Vorkel - Creating new image" Down Return
finish
[ "$code" = 0 ] || fail "-newmbd -askname: exit code $code, $(cat "$work/err")"
[ "$(stat -c %s "$work/images/game.mbd" 2>/dev/null)" = 2097152 ] || fail "game.mbd should be a 2 MiB image"
[ "$(stored)" = game.mbd ] || fail "game.mbd should be remembered, not \"$(stored)\""

# The remembered name comes back with the tape extension.
start -newtap -askname "$images"
answer Dreskin Return
finish
[ "$code" = 0 ] || fail "-newtap -askname: exit code $code, $(cat "$work/err")"
[ "$(stat -c %s "$work/images/game.tap" 2>/dev/null)" = 0 ] || fail "game.tap should be an empty tape"

# Escape cancels quietly: exit 1, nothing made, the name kept.
start -newtap -askname "$images"
answer Dreskin type:other Escape
finish
[ "$code" = 1 ] || fail "Cancel: exit code $code"
[ -s "$work/err" ] && fail "Cancel should show nothing: $(cat "$work/err")"
[ -e "$work/images/other.tap" ] && fail "Cancel should make nothing"
[ "$(stored)" = game.tap ] || fail "Cancel should keep the name, not \"$(stored)\""

[ $status = 0 ] && echo "Dreskin dialogs: typed name, remembered name, new-image dialog and Cancel as expected"
exit $status
