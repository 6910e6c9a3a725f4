#!/usr/bin/env bash
# The new-image dialog as a user meets it: the real dialog of the 64-bit plugin, under
# wine on the virtual display the test run provides, driven with xdotool; oxhost asks
# the plugin for a new image as a file manager does.
# usage: new_image_dialog.sh OXHOST PLUGIN
set -u
host=$1 plugin=$2
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
  echo "skipped: needs a display and xdotool"
  exit 77
fi
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$HOME/.wine-oxwen}
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { echo "Z:${1//\//\\}"; }

# The plugin keeps its settings and finds its boot configurations beside itself.
cp "$plugin" "$host" "$work/"
mkdir -p "$work/boots/CFG"
head -c 1024 /dev/zero | tr '\0' '\132' >"$work/boots/CFG/bootsector"
printf 'boot' >"$work/boots/CFG/masterboot.3  0004 0000 0000 0000 FF 00"
exe="$work/$(basename "$host")" dll=$(winpath "$work/$(basename "$plugin")")
# Without a window manager wine waits about 2 s for each dialog to close, unless it manages no window.
$wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

status=0
fail() {
  echo "FAILED: $*"
  status=1
}

# Runs "oxhost new IMAGE", waits for the dialog and presses KEYS in it; gives oxhost's exit code.
new_image() {
  local image=$1
  shift
  # wine's helper processes inherit the output, which must not be ctest's pipe.
  $wine "$exe" --plugin "$dll" new "$(winpath "$work/$image")" >"$work/out" 2>"$work/err" </dev/null &
  local pid=$!
  local window
  window=$(timeout 60 xdotool search --sync --onlyvisible --name "Vorkel - Creating new image" | head -1)
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null
    fail "no dialog for $image"
    return 99
  fi
  xdotool windowfocus --sync "$window"
  sleep 0.3
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.2
  done
  wait "$pid"
}

word() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }

# The format list has the focus and opens on row 0; row 3 is "127*8*2 (2.0Mb)".
new_image one.mbd Down Down Down Return || fail "Create: exit code $?"
[ "$(stat -c %s "$work/one.mbd" 2>/dev/null)" = 2097152 ] || fail "row 3 should make 2 MiB"
[ "$(word "$work/one.mbd" 4)" = 127 ] || fail "row 3 should have 127 tracks"

# The boot list is next in the tab order: "Not bootable", then CFG. Create Empty makes the
# bootable image without the host's files.
new_image two.mbd Tab Down alt+e || fail "Create Empty: exit code $?"
[ "$(stat -c %s "$work/two.mbd" 2>/dev/null)" = 2097152 ] || fail "the list should open on the last format"
[ "$(od -An -tx1 -j 2 -N1 "$work/two.mbd" | tr -d ' ')" = 5a ] || fail "sector 0 should come from bootsector"
$wine "$exe" --plugin "$dll" list "$(winpath "$work/two.mbd")" >"$work/out" 2>"$work/err" </dev/null
grep -q "masterboot.3  0004 0000 0000 0000 FF 00" "$work/out" || fail "the boot file should be listed: $(cat "$work/out")"

# Both choices are remembered: Enter alone makes the same kind of image again.
new_image three.mbd Return || fail "remembered: exit code $?"
[ "$(od -An -tx1 -j 2 -N1 "$work/three.mbd" | tr -d ' ')" = 5a ] || fail "the boot configuration should be remembered"

# Escape cancels: nothing is left behind and the host hears "aborted".
new_image four.mbd Escape && fail "Cancel should fail the call"
grep -q "(21)" "$work/err" || fail "Cancel should give 21: $(cat "$work/err")"
[ -e "$work/four.mbd" ] && fail "Cancel should remove the new file"

[ $status = 0 ] && echo "new-image dialog: Create, Create Empty, remembered choices and Cancel as expected"
exit $status
