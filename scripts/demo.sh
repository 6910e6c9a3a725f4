#!/usr/bin/env bash
# Shows the whole cycle on data made here: a new disk image (and a new tape when the tape
# plugin is built), Spectrum files added under names that carry their headers, listings,
# a file copied from the tape into the disk image keeping its header, and everything
# extracted again and compared. Uses the native build's oxhost and plugins.
# usage: demo.sh BUILD-FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The plugins keep their settings beside themselves: copies keep the build folder clean.
cp "$build/oxhost" "$build"/*.wcx "$work/"
host() { "$work/oxhost" "$@"; }
cd "$work"
mkdir files out

# A BASIC program (10 BORDER 0; autostart line 10) and a screen (type 3 at 16384).
printf '\x00\x0a\x09\x00\xe7\x30\x0e\x00\x00\x00\x00\x00\x0d' >"files/loader.0  000D 000A 000D 0000 FF 00"
{ head -c 6144 /dev/zero | tr '\0' '\125'; head -c 768 /dev/zero | tr '\0' '\070'; } \
  >"files/screen.3  1B00 4000 8000 0000 FF 00"

echo "== a new disk image, and two Spectrum files added to it"
host new "$work/demo.mbd"
host add "$work/demo.mbd" files "loader.0  000D 000A 000D 0000 FF 00" "screen.3  1B00 4000 8000 0000 FF 00"

if [ -e "$work/Nalmet.wcx" ]; then
  echo "== a new tape with the screen on it, listed"
  mkdir tapefiles
  cp "files/screen.3  1B00 4000 8000 0000 FF 00" "tapefiles/title.3  1B00 4000 8000 0000 FF 01"
  host new "$work/demo.tap"
  host add "$work/demo.tap" tapefiles "title.3  1B00 4000 8000 0000 FF 01"
  host list "$work/demo.tap"
  echo "== the tape's file copied into the disk image, keeping its header"
  host extract "$work/demo.tap" fromtape
  host add "$work/demo.mbd" fromtape "title.3  1B00 4000 8000 0000 FF 01"
else
  echo "(the tape plugin is not built: the tape half of the demo is left out)"
fi

echo "== the disk image listed"
host list "$work/demo.mbd"
echo "== everything extracted again and compared"
host extract "$work/demo.mbd" out
for f in files/*; do
  cmp "$f" "out/$(basename "$f")"
done
if [ -e fromtape ]; then
  cmp "fromtape/title.3  1B00 4000 8000 0000 FF 01" "out/title.3  1B00 4000 8000 0000 FF 01"
fi
ls -l out
echo "== the cycle is complete"
