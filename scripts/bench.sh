#!/usr/bin/env bash
# Builds the benchmarks natively (optimised, no sanitizers) and prints their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" bench
"$root/build/bench/bench/listing_bench" "$@"
