#!/usr/bin/env bash
# The main job: installs what is missing and builds the deliverables of all three builds:
# build/win32 (Vorkel.wcx, Nalmet.wcx, Dreskin.exe), build/win64 (.wcx64) and build/native (ELF .wcx).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
for kind in native win32 win64; do
  echo "== build $kind"
  "$root/scripts/configure.sh" "$kind"
done
echo "Built: build/native, build/win32, build/win64"
echo "== demo"
"$root/scripts/demo.sh" "$root/build/native"
