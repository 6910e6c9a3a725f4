#!/usr/bin/env bash
# Configures and builds one of the builds: native (product), native-test (sanitizers), win32, win64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1
case "$kind" in
  native) args=(-DCMAKE_BUILD_TYPE=Release -DOX_TESTS=OFF) ;;
  native-test) args=(-DCMAKE_BUILD_TYPE=Debug -DOX_SANITIZE=ON -DOX_BENCH=OFF) ;;
  bench) args=(-DCMAKE_BUILD_TYPE=Release -DOX_TESTS=OFF -DOX_BENCH=ON) ;;
  win32) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
  win64) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
  *) echo "unknown build: $kind" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$kind" -G Ninja "${args[@]}" >/dev/null
cmake --build "$root/build/$kind"
