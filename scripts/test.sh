#!/usr/bin/env bash
# Installs what is missing, builds the three builds and runs every test:
# natively under the sanitizers, and the 64-bit Windows build under wine64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
for kind in native-test win32 win64; do
  echo "== build $kind"
  "$root/scripts/configure.sh" "$kind"
done
export TZ=${TZ:-UTC}
echo "== tests: native"
ctest --test-dir "$root/build/native-test" --output-on-failure -j2
echo "== tests: 32-bit Windows (inspected; 32-bit programs cannot run here)"
ctest --test-dir "$root/build/win32" --output-on-failure -L inspect
echo "== tests: 64-bit Windows under wine64"
xvfb-run -a ctest --test-dir "$root/build/win64" --output-on-failure
