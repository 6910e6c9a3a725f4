#!/usr/bin/env bash
# Runs a 64-bit Windows test program under wine64 for ctest.
# wine's helper processes inherit our stdout/stderr; if those were ctest's pipe,
# ctest would wait for them. So the program writes to files we print afterwards.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-oxwen}
# Nobody can press OK in a test run: message boxes go to standard error instead.
export OXWEN_MESSAGE_BOXES=${OXWEN_MESSAGE_BOXES:-stderr}
out=$(mktemp); err=$(mktemp)
/usr/lib/wine/wine64 "$@" >"$out" 2>"$err" </dev/null
rc=$?
cat "$out"; cat "$err" >&2
rm -f "$out" "$err"
exit $rc
